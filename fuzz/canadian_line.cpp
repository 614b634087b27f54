// The Canadian fixed-position line builder on any line. Properties: a line is skipped as empty
// or gives a row of the table's width, every value valid UTF-8, and building the same line
// twice gives the same row (the builder keeps scratch buffers between calls).

#include "FuzzSupport.h"
#include "data/ByteText.h"
#include "data/RecordParsers.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> values(const RowValues& row) {
    std::vector<std::string> out;
    for (int i = 0; i < row.count(); ++i)
        out.emplace_back(row.value(i));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int width = [] {
        RowValues row;
        QM_FUZZ_CHECK(!buildCanadianRow(std::string(469, 'X'), row));
        return row.count();
    }();
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    RowValues row;
    if (buildCanadianRow(line, row))
        return 0;
    QM_FUZZ_CHECK(row.count() == width);
    for (int i = 0; i < row.count(); ++i)
        QM_FUZZ_CHECK(bytetext::isValidUtf8(row.value(i)));
    const std::vector<std::string> first = values(row);
    RowValues again;
    QM_FUZZ_CHECK(!buildCanadianRow(line, again));
    QM_FUZZ_CHECK(values(again) == first);
    return 0;
}
