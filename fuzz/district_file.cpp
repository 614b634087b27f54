// The district file reader and writer on any file. Properties: a county never holds a line end;
// what is read, written back in the encoding the reader chose, reads back the same counties in
// the same encoding, and writing that again gives the same bytes; reading the file gives what
// decoding its bytes gives.

#include "FuzzSupport.h"
#include "search/DistrictFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DistrictList list = decodeDistrict(bytes);
    QM_FUZZ_CHECK(list.encoding != TextEncoding::Windows1252);
    for (const QString& county : list.counties)
        QM_FUZZ_CHECK(!county.contains(QLatin1Char('\r')) && !county.contains(QLatin1Char('\n')));

    const QString file = scratchFile("district");
    writeScratch(file, std::string_view(bytes.constData(), size_t(bytes.size())));
    const DistrictList fromFile = readDistrictFile(file);
    QM_FUZZ_CHECK(fromFile.counties == list.counties && fromFile.encoding == list.encoding);

    writeDistrictFile(file, list.counties, list.encoding);
    const DistrictList back = readDistrictFile(file);
    QM_FUZZ_CHECK(back.counties == list.counties);
    if (!list.counties.isEmpty())
        QM_FUZZ_CHECK(back.encoding == list.encoding);
    QM_FUZZ_CHECK(encodeDistrict(back.counties, back.encoding) == encodeDistrict(list.counties, list.encoding));
    return 0;
}
