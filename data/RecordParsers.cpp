#include "data/RecordParsers.h"

#include "data/ByteText.h"
#include "core/ZipCodes.h"

#include <QRegularExpression>
#include <array>

using bytetext::toQString;

// ---------------------------------------------------------------------------
// Dates

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view s) {
    for (const char c : s)
        if (!isDigit(c))
            return false;
    return true;
}

constexpr std::string_view kNoDate = "1900-01-01";

int number(std::string_view s) {
    int n = 0;
    for (const char c : s)
        n = n * 10 + (c - '0');
    return n;
}

// A day that exists in the proleptic Gregorian calendar.
bool isCalendarDate(std::string_view year, std::string_view month, std::string_view day) {
    if (!allDigits(year) || !allDigits(month) || !allDigits(day))
        return false;
    const int y = number(year), m = number(month), d = number(day);
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

bool isBlank(std::string_view s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) > 32)
            return false;
    return true;
}

} // namespace

bool appendParseDate(std::string_view d, std::string& out) {
    if (d.size() == 10 && d[2] == '/' && d[5] == '/' && isCalendarDate(d.substr(6, 4), d.substr(0, 2), d.substr(3, 2))) {
        out.append(d.substr(6, 4));
        out += '-';
        out.append(d.substr(0, 2));
        out += '-';
        out.append(d.substr(3, 2));
        return true;
    }
    // Already in the stored form: keep it rather than lose the date.
    if (d.size() == 10 && d[4] == '-' && d[7] == '-' && isCalendarDate(d.substr(0, 4), d.substr(5, 2), d.substr(8, 2))) {
        out.append(d);
        return true;
    }
    // Text that is not a real date would sort and compare as garbage: it becomes the missing-date mark.
    out.append(kNoDate);
    return isBlank(d);
}

QString ParseDate(const QString& d) {
    // Only a ten-character text can be a date; other lengths never reach the byte form.
    if (d.size() != 10)
        return QString::fromLatin1(kNoDate.data(), qsizetype(kNoDate.size()));
    const QByteArray utf8 = d.toUtf8();
    std::string out;
    if (utf8.size() == 10)
        appendParseDate(bytetext::view(utf8), out);
    else
        out.append(kNoDate);
    return toQString(out);
}

// ---------------------------------------------------------------------------
// CSV

QStringList ParseCSV(const QString& S, QChar ADelimiter, QChar AQuoteChar) {
    QStringList result;
    QString field;
    auto emitField = [&] {
        if (!field.isEmpty() && field.at(0) == AQuoteChar) {
            field.remove(0, 1);
            field.chop(1);
        }
        result.append(field);
        field.clear();
    };
    int state = 0;
    const qsizetype n = S.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = S.at(i);
        if (state == 0) {
            if (c == ADelimiter) {
                emitField();
            } else {
                state = 1;
                field.append(c);
            }
            ++i;
        } else if (state == 1) {
            if (c == ADelimiter && !(!field.isEmpty() && field.at(0) == AQuoteChar)) {
                state = 2;
            } else {
                field.append(c);
                ++i;
                if (c == AQuoteChar && (i == n || S.at(i) == ADelimiter))
                    state = 2;
            }
        } else {
            state = 0;
            emitField();
            ++i;
        }
    }
    if (!field.isEmpty())
        emitField();
    if (n > 0 && S.at(n - 1) == ADelimiter)
        emitField();
    return result;
}

// ---------------------------------------------------------------------------
// Counties

namespace {

// The number of a five-digit zip code, or -1.
int fiveDigits(std::string_view zip) {
    if (zip.size() != 5)
        return -1;
    int n = 0;
    for (const char c : zip) {
        if (!isDigit(c))
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

void CountyTable::load(Database& zipdb) {
    m_names.clear();
    m_byDigits.clear();
    m_byText.clear();
    m_nameIndex.clear();
    m_size = 0;
    forEachZipCounty(zipdb, [this](std::string_view zip, std::string_view county) { insert(zip, county); });
}

void CountyTable::insert(std::string_view zip, std::string_view county) {
    // Almost every key is a five-digit US zip code: a plain array answers those with one read.
    const int digits = fiveDigits(zip);
    uint32_t* slot = nullptr;
    if (digits >= 0) {
        if (m_byDigits.empty())
            m_byDigits.assign(100000, kUnset);
        slot = &m_byDigits[size_t(digits)];
    } else {
        slot = &m_byText.try_emplace(std::string(zip), kUnset).first->second;
    }
    if (*slot != kUnset)
        return;   // the first row of a zip code wins
    // A few thousand distinct names serve forty thousand zip codes; sharing them keeps the
    // look-ups in the processor's cache.
    const auto named = m_nameIndex.try_emplace(std::string(county), uint32_t(m_names.size()));
    if (named.second)
        m_names.emplace_back(county);
    *slot = named.first->second;
    ++m_size;
}

std::string_view CountyTable::county(std::string_view zip) const {
    if (m_size == 0 || bytetext::utf8Length(zip) < 5)
        return {};
    const std::string_view key = bytetext::utf8Prefix(zip, 5);
    uint32_t index = kUnset;
    const int digits = fiveDigits(key);
    if (digits >= 0) {
        if (!m_byDigits.empty())
            index = m_byDigits[size_t(digits)];
    } else {
        m_key.assign(key);
        const auto it = m_byText.find(m_key);
        if (it != m_byText.end())
            index = it->second;
    }
    return index == kUnset ? std::string_view() : std::string_view(m_names[index]);
}

// ---------------------------------------------------------------------------
// Row buffer

void RowValues::clear() {
    m_arena.clear();
    m_spans.clear();
    m_badDates = 0;
}

void RowValues::add(std::string_view v) {
    m_spans.emplace_back(m_arena.size(), v.size());
    m_arena.append(v);
}

void RowValues::addProperCase(std::string_view v) {
    m_spans.emplace_back(m_arena.size(), v.size());
    bytetext::appendProperCase(v, m_arena);
}

void RowValues::addDate(std::string_view v) {
    const size_t start = m_arena.size();
    if (!appendParseDate(v, m_arena))
        ++m_badDates;
    m_spans.emplace_back(start, m_arena.size() - start);
}

QStringList RowValues::toStringList() const {
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << toQString(value(i));
    return out;
}

// ---------------------------------------------------------------------------
// ULS records

namespace {

enum class Check { Len1, Len3Max, State, Zip, Digits3, Digits10, Date, Digits, CallSign };

struct FieldCheck {
    int field;
    Check check;
};

struct UlsLayout {
    int fields;                       // today's layout
    int minFields;                    // fewer: the record is skipped
    const char* shortReason;
    std::vector<int> freeText;        // fields that may hold a stray "|", most likely first
    // What the fields around them must look like. A stray "|" in one of several neighbouring
    // free-text fields (street or city) cannot be told apart; the most likely field wins.
    std::vector<FieldCheck> checks;
};

bool passes(std::string_view v, Check c) {
    switch (c) {
    case Check::Len1: return v.size() <= 1;
    case Check::Len3Max: return v.size() <= 3;
    case Check::State: return v.empty() || (v.size() == 2 && v[0] >= 'A' && v[0] <= 'Z' && v[1] >= 'A' && v[1] <= 'Z');
    case Check::Zip:
        if (v.size() > 10)
            return false;
        for (const char ch : v)
            if (!isDigit(ch) && ch != '-')
                return false;
        return true;
    case Check::Digits3: return v.empty() || (v.size() == 3 && allDigits(v));
    case Check::Digits10: return v.empty() || (v.size() == 10 && allDigits(v));
    case Check::Date: return v.empty() || (v.size() == 10 && v[2] == '/' && v[5] == '/');
    case Check::Digits: return v.size() <= 12 && allDigits(v);
    case Check::CallSign: return v.size() <= 10 && v.find(' ') == std::string_view::npos;
    }
    return false;
}

std::vector<FieldCheck> lenOne(int from, int to, std::vector<FieldCheck> more) {
    for (int f = from; f <= to; ++f)
        more.push_back({f, Check::Len1});
    return more;
}

const UlsLayout& layoutFor(TDataType kind) {
    static const UlsLayout am{18, 16, skip::ShortAM, {18, 15}, lenOne(10, 14, {{16, Check::CallSign}, {17, Check::Len1}})};
    static const UlsLayout en{30,
                              23,
                              skip::ShortEN,
                              {8, 16, 21, 9, 11, 17, 20, 12, 15, 25},
                              {{10, Check::Len1},
                               {12, Check::Len3Max},
                               {18, Check::State},
                               {19, Check::Zip},
                               {22, Check::Digits3},
                               {23, Check::Digits10},
                               {24, Check::Len1},
                               {26, Check::Len1},
                               {28, Check::Len1}}};
    static const UlsLayout hd{59, 44, skip::ShortHD, {35, 31, 33, 34, 11},
                              lenOne(46, 59,
                                     lenOne(36, 42,
                                            lenOne(12, 30,
                                                   {{32, Check::Len1},
                                                    {43, Check::Date},
                                                    {44, Check::Date},
                                                    {45, Check::Digits}})))};
    switch (kind) {
    case TDataType::AMT_AM:
    case TDataType::GMRS_AM: return am;
    case TDataType::AMT_EN:
    case TDataType::GMRS_EN: return en;
    default: return hd;
    }
}

void splitAtBars(std::string_view record, std::vector<std::string_view>& fields) {
    fields.clear();
    size_t start = 0;
    for (;;) {
        const size_t bar = record.find('|', start);
        if (bar == std::string_view::npos) {
            fields.push_back(record.substr(start));
            return;
        }
        fields.push_back(record.substr(start, bar - start));
        start = bar + 1;
    }
}

// Fields of the record when the extra separators belong to field `c` (1-based).
void mergeAt(const std::vector<std::string_view>& raw, int layoutFields, int c, std::vector<std::string_view>& out) {
    const size_t extra = raw.size() - size_t(layoutFields);
    out.assign(raw.begin(), raw.begin() + (c - 1));
    const std::string_view& first = raw[size_t(c - 1)];
    const std::string_view& last = raw[size_t(c - 1) + extra];
    out.emplace_back(first.data(), size_t(last.data() + last.size() - first.data()));
    out.insert(out.end(), raw.begin() + c + qsizetype(extra), raw.end());
}

bool fits(const UlsLayout& layout, const std::vector<std::string_view>& f) {
    for (const FieldCheck& fc : layout.checks)
        if (size_t(fc.field) <= f.size() && !passes(f[size_t(fc.field - 1)], fc.check))
            return false;
    return true;
}

} // namespace

std::string_view ulsRecordType(TDataType kind) {
    switch (kind) {
    case TDataType::AMT_AM:
    case TDataType::GMRS_AM: return "AM";
    case TDataType::AMT_EN:
    case TDataType::GMRS_EN: return "EN";
    case TDataType::AMT_HD:
    case TDataType::GMRS_HD: return "HD";
    default: return {};
    }
}

bool isUlsKind(TDataType kind) { return !ulsRecordType(kind).empty(); }

int ulsFieldCount(TDataType kind) { return isUlsKind(kind) ? layoutFor(kind).fields : 0; }

bool splitUlsRecord(TDataType kind, std::string_view record, std::vector<std::string_view>& fields) {
    const UlsLayout& layout = layoutFor(kind);
    splitAtBars(record, fields);
    if (int(fields.size()) <= layout.fields)
        return true;
    thread_local std::vector<std::string_view> raw, merged;
    raw = fields;
    for (const int c : layout.freeText) {
        mergeAt(raw, layout.fields, c, merged);
        if (fits(layout, merged)) {
            fields = merged;
            return true;
        }
    }
    // Fields added at the end of a future layout look like this too.
    mergeAt(raw, layout.fields, layout.fields, merged);
    if (fits(layout, merged)) {
        fields = raw;
        return true;
    }
    return false;
}

SkipReason buildUlsRow(TDataType kind, std::string_view record, const CountyTable& counties, RowValues& row) {
    thread_local std::string scratch;
    thread_local std::vector<std::string_view> f;
    const std::string_view text = bytetext::toUtf8(record, scratch);
    const UlsLayout& layout = layoutFor(kind);
    if (!splitUlsRecord(kind, text, f))
        return {skip::StrayBar};
    if (int(f.size()) < layout.minFields)
        return {layout.shortReason};

    auto F = [&](int n) { return f[size_t(n - 1)]; };
    row.clear();
    switch (kind) {
    case TDataType::AMT_AM:
    case TDataType::GMRS_AM:
        row.add(F(2));
        row.add(F(6));
        row.add(F(16));
        break;
    case TDataType::AMT_EN:
    case TDataType::GMRS_EN:
        row.add(F(2));
        row.add(F(5));
        row.add(F(7));
        row.addProperCase(F(8));
        row.addProperCase(F(9));
        row.add(F(10));
        row.addProperCase(F(11));
        row.addProperCase(F(16));
        row.add(F(20));
        row.addProperCase(F(17));
        row.add(F(18));
        row.add(bytetext::utf8Prefix(F(19), 5));
        row.add(counties.county(F(19)));
        row.add(F(23));
        row.add(kind == TDataType::AMT_EN ? std::string_view("AMAT") : std::string_view("GMRS"));
        break;
    default:
        row.add(F(2));
        row.add(F(6));
        row.addDate(F(8));
        row.addDate(F(9));
        row.addDate(F(10));
        row.addDate(F(43));
        row.addDate(F(44));
        break;
    }
    return {};
}

// ---------------------------------------------------------------------------
// Canadian list

namespace {

struct CdnField {
    int first;   // 1-based character position
    int length;
    bool trimmed;
};

constexpr std::array<CdnField, 18> kCdnFields{{
    {1, 6, true},     {8, 35, true},    {44, 35, true},   {80, 70, true},   {151, 35, true}, {187, 2, true},
    {190, 10, true},  {201, 1, false},  {203, 1, false},  {205, 1, false},  {207, 1, false}, {209, 1, false},
    {211, 70, true},  {282, 70, true},  {353, 70, true},  {424, 35, true},  {460, 2, true},  {463, 7, true},
}};

} // namespace

SkipReason buildCanadianRow(std::string_view line, RowValues& row) {
    thread_local std::string scratch, spaced;
    thread_local std::vector<size_t> starts;
    std::string_view text = bytetext::toUtf8(line, scratch);
    if (bytetext::trimControl(text).empty())
        return {skip::EmptyLine};
    if (text.find('\r') != std::string_view::npos) {
        // A stray CR takes up its column like any other character.
        spaced.assign(text);
        for (char& c : spaced)
            if (c == '\r')
                c = ' ';
        text = spaced;
    }
    const bool ascii = bytetext::isAscii(text);
    size_t chars = text.size();
    if (!ascii) {
        starts.clear();
        for (size_t i = 0; i < text.size(); ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                starts.push_back(i);
        chars = starts.size();
        starts.push_back(text.size());
    }
    auto byteAt = [&](size_t ch) { return ascii ? ch : starts[ch]; };

    row.clear();
    for (const CdnField& fd : kCdnFields) {
        const size_t from = size_t(fd.first - 1);
        std::string_view v;
        if (from < chars) {
            const size_t to = std::min(chars, from + size_t(fd.length));
            v = text.substr(byteAt(from), byteAt(to) - byteAt(from));
        }
        row.add(fd.trimmed ? bytetext::trimControl(v) : v);
    }
    return {};
}

// ---------------------------------------------------------------------------
// Zip list

bool parseCoordinate(const QString& text, double& value) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        value = 0.0;
        return true;
    }
    if (!number.match(t).hasMatch())
        return false;
    bool ok = false;
    value = t.toDouble(&ok);
    return ok;
}

SkipReason buildZipRow(std::string_view line, ZipRow& row) {
    const QStringList f = ParseCSV(bytetext::decodeRecord(line), QLatin1Char(','), QLatin1Char('"'));
    if (f.isEmpty())
        return {skip::EmptyLine};
    if (f.size() < 3)
        return {skip::ShortZip};
    row.zip = f.at(0);
    row.city = f.at(1);
    row.state = f.at(2);
    if (!parseCoordinate(f.value(3), row.latitude) || !parseCoordinate(f.value(4), row.longitude))
        return {skip::ZipNumber};
    const QString county7 = f.value(6);
    row.county = county7.contains(QLatin1String("US")) ? f.value(7) : county7;
    return {};
}
