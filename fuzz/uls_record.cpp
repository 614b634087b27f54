// One ULS record builder (the kind is QM_FUZZ_KIND: AMT_EN, AMT_HD or AMT_AM) on any record.
// Properties: a record is either skipped with a reason or gives a row of the table's width
// (the width a well-formed record gives), every value valid UTF-8; the same record built twice
// gives the same row (the builders keep scratch buffers between calls).

#include "FuzzSupport.h"
#include "data/ByteText.h"
#include "data/RecordParsers.h"

#include <string>
#include <vector>

namespace {

constexpr TDataType kKind = TDataType::QM_FUZZ_KIND;

const CountyTable& counties() {
    static const CountyTable table = [] {
        CountyTable t;
        t.insert("06111", "Hartford");
        t.insert("12345", "Springfield County");
        t.insert("K1A0B", "Ottawa");
        t.insert("", "Nowhere");
        return t;
    }();
    return table;
}

// A record of the layout's full width with a value in every field.
std::string wellFormed() {
    const int fields = kKind == TDataType::AMT_EN ? 30 : kKind == TDataType::AMT_HD ? 59 : 18;
    std::string record(ulsRecordType(kKind));
    for (int i = 2; i <= fields; ++i)
        record += "|1";
    return record;
}

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
        QM_FUZZ_CHECK(!buildUlsRow(kKind, wellFormed(), counties(), row));
        return row.count();
    }();
    const std::string_view record(reinterpret_cast<const char*>(data), size);
    RowValues row;
    const SkipReason skipped = buildUlsRow(kKind, record, counties(), row);
    if (skipped) {
        QM_FUZZ_CHECK(skipped.text[0] != '\0');
        return 0;
    }
    QM_FUZZ_CHECK(row.count() == width);
    for (int i = 0; i < row.count(); ++i)
        QM_FUZZ_CHECK(bytetext::isValidUtf8(row.value(i)));
    const std::vector<std::string> first = values(row);
    RowValues again;
    QM_FUZZ_CHECK(!buildUlsRow(kKind, record, counties(), again));
    QM_FUZZ_CHECK(values(again) == first);
    return 0;
}
