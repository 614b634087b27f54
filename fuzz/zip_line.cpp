// The zip list line builder and its CSV scanner on any line. Properties: an accepted line has
// finite coordinates and the code, city and state of its first three fields; a coordinate
// accepted on its own is finite.

#include "FuzzSupport.h"
#include "data/ByteText.h"
#include "data/RecordParsers.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const QStringList fields = ParseCSV(bytetext::decodeRecord(line), QLatin1Char(','), QLatin1Char('"'));
    ZipRow row;
    if (!buildZipRow(line, row)) {
        QM_FUZZ_CHECK(fields.size() >= 3);
        QM_FUZZ_CHECK(row.zip == fields.at(0) && row.city == fields.at(1) && row.state == fields.at(2));
        QM_FUZZ_CHECK(std::isfinite(row.latitude) && std::isfinite(row.longitude));
    }
    double value = 0.0;
    if (parseCoordinate(bytetext::decodeRecord(line), value))
        QM_FUZZ_CHECK(std::isfinite(value));
    return 0;
}
