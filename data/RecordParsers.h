#pragma once
// The record formats of the five imports: ULS AM, EN and HD records (pipe-separated), the
// Canadian fixed-position list and the zip CSV. Each builder turns one source record into the
// values of one table row, in the table's column order, or says why the record is skipped.
// The values are UTF-8 bytes kept in a RowValues buffer so that the engine can bind them
// without building a QString per field; the QString helpers are for tests and small callers.
// Collaborators: ImportEngine (binds the rows), CountyTable (counties for EN rows), ByteText.

#include "core/Database.h"
#include "core/ImportTypes.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// ULS date mm/dd/yyyy -> yyyy-mm-dd; anything else, a day that does not exist included, "1900-01-01".
QString ParseDate(const QString& d);
// Appends the stored form; false when the text was neither blank nor a real date.
bool appendParseDate(std::string_view d, std::string& out);

// The comma-separated-values scanner of the zip list (enclosing quotes removed, doubled quotes kept).
QStringList ParseCSV(const QString& S, QChar ADelimiter, QChar AQuoteChar);

// The zip table's counties, read once per import instead of one query per entity record.
class CountyTable {
public:
    void load(Database& zipdb);
    void insert(std::string_view zip, std::string_view county);   // the first row of a zip wins
    // County of the first five characters of the zip code; empty when shorter or not found.
    std::string_view county(std::string_view zip) const;
    size_t size() const { return m_size; }

private:
    static constexpr uint32_t kUnset = 0xFFFFFFFFu;
    std::vector<std::string> m_names;                        // the county texts
    std::vector<uint32_t> m_byDigits;                        // five-digit zip -> m_names index
    std::unordered_map<std::string, uint32_t> m_byText;      // any other zip
    std::unordered_map<std::string, uint32_t> m_nameIndex;   // county text -> m_names index
    size_t m_size = 0;
    mutable std::string m_key;
};

// One row's values, UTF-8, held in one buffer.
class RowValues {
public:
    void clear();
    int count() const { return int(m_spans.size()); }
    std::string_view value(int i) const { return {m_arena.data() + m_spans[size_t(i)].first, m_spans[size_t(i)].second}; }
    QStringList toStringList() const;

    void add(std::string_view v);
    void addProperCase(std::string_view v);
    void addDate(std::string_view v);
    // Dates of this row that were not real dates and were stored as "1900-01-01".
    int badDates() const { return m_badDates; }

private:
    std::string m_arena;
    std::vector<std::pair<size_t, size_t>> m_spans;
    int m_badDates = 0;
};

// Why a record was left out; the texts are fixed so the engine can count them.
struct SkipReason {
    const char* text = nullptr;
    explicit operator bool() const { return text != nullptr; }
};

namespace skip {
inline constexpr const char* ShortAM = "AM record with fewer than 16 fields";
inline constexpr const char* ShortEN = "EN record with 22 fields or fewer";
inline constexpr const char* ShortHD = "HD record with fewer than 44 fields";
inline constexpr const char* StrayBar = "record with an extra \"|\" that could not be placed";
inline constexpr const char* EmptyLine = "empty line";
inline constexpr const char* ShortZip = "zip line with fewer than three fields";
inline constexpr const char* ZipNumber = "zip line whose latitude or longitude is not a number";
inline constexpr const char* TooLong = "line longer than 65536 bytes";
inline constexpr const char* Orphan = "line that continues no record";
inline constexpr const char* ExtraFields =
    "line that holds more fields than the record before it can take and no recognisable record type";
inline constexpr const char* TooLongRecord = "line that would make the record before it longer than 65536 bytes";
} // namespace skip

// The record type at the start of every ULS line of the kind's file: "AM", "EN" or "HD".
std::string_view ulsRecordType(TDataType kind);
bool isUlsKind(TDataType kind);
// Fields of today's layout of the kind's records (0 for the other kinds).
int ulsFieldCount(TDataType kind);

// Splits a ULS record at "|" (fields counted from 1 as in the published layouts: fields[0] is
// field 1). When the record has more fields than today's layout, the extra separators are
// taken as part of the free-text field where the rest of the record still fits the layout.
// Returns false when no such field exists.
bool splitUlsRecord(TDataType kind, std::string_view record, std::vector<std::string_view>& fields);

// Row of FCC_AM, FCC_EN or FCC_HD from one ULS record (any encoding; the result is UTF-8).
SkipReason buildUlsRow(TDataType kind, std::string_view record, const CountyTable& counties, RowValues& row);

// Row of `canada` from one line of the list (header lines are the caller's business).
SkipReason buildCanadianRow(std::string_view line, RowValues& row);

struct ZipRow {
    QString zip, city, state, county;
    double latitude = 0.0;
    double longitude = 0.0;
};
SkipReason buildZipRow(std::string_view line, ZipRow& row);
// True for the plain decimal numbers a coordinate may be written as (sign, digits, point, exponent).
bool parseCoordinate(const QString& text, double& value);
