#include "licence/LicenceQueries.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Several active rows for one call (duplicate or reassigned licences) are ordered so that the
// most recent grant comes first; the look-up keeps that one.
const QString kAmateurExact = QStringLiteral(
    "select * from [fcc_en],[fcc_am],[fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_en].unique_system_identifier=[fcc_am].unique_system_identifier and [fcc_hd].license_status='A'"
    " and [fcc_en].service='AMAT' and [fcc_en].call_sign=?1 order by [fcc_hd].grant_date desc");
const QString kGmrsExact = QStringLiteral(
    "select * from [fcc_en],[fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_hd].license_status='A' and [fcc_en].service='GMRS' and [fcc_en].call_sign=?1 order by [fcc_hd].grant_date desc");
// Licences, not rows: duplicate amateur rows of one licence still make one licence.
const QString kPreviousCall = QStringLiteral("select distinct unique_system_identifier from fcc_am where `previous_callsign`=?1");
const QString kByIdentifier = QStringLiteral(
    "select * from [fcc_en],[fcc_am],[fcc_hd] where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"
    " and [fcc_en].unique_system_identifier=[fcc_am].unique_system_identifier and [fcc_hd].license_status='A'"
    " and [fcc_en].unique_system_identifier=?1 order by [fcc_hd].grant_date desc");
const QString kCanada = QStringLiteral("select * from canada where callsign=?1");
const QString kGmrsOfHolder = QStringLiteral("select call_sign from FCC_EN where service = 'GMRS' and frn=?1");
const QString kAmateurOfHolder = QStringLiteral(
    "select * from FCC_EN, FCC_HD where service = 'AMAT' and FCC_EN.frn=?1 and "
    "FCC_EN.unique_system_identifier = FCC_HD.unique_system_identifier and FCC_HD.license_status='A' ");
const QString kZipRow = QStringLiteral("select latitude, longitude, county from zipcodes where zip = ?1");

// The wildcard list. ?1 is the like pattern, ?2 and ?3 bound the call-sign index to the texts that
// can match it, ?4 is the service. Duplicate licence rows of one call give one entry.
const QString kCandidatesInRange = QStringLiteral(
    "select count(*) from (select 1 from fcc_en where call_sign >= ?1 and call_sign < ?2 limit ?3)");
const QString kActiveMatchesInRange = QStringLiteral(
    "select distinct e.call_sign from fcc_en e, fcc_hd h where e.call_sign >= ?2 and e.call_sign < ?3 and e.call_sign like ?1"
    " and e.service = ?4 and h.unique_system_identifier = e.unique_system_identifier and h.license_status = 'A'");
const QString kMatchesInRange = QStringLiteral(
    "select unique_system_identifier, call_sign from fcc_en where call_sign >= ?2 and call_sign < ?3 and call_sign like ?1"
    " and service = ?4");
const QString kMatches = QStringLiteral(
    "select unique_system_identifier, call_sign from fcc_en where call_sign like ?1 and service = ?4");
const QString kActiveIdentifiers = QStringLiteral("select unique_system_identifier from fcc_hd where license_status = 'A'");

// Below this many candidate rows each one is checked against the licence headers through their
// index; above it one pass over the active licences is cheaper (about a tenth of the headers).
constexpr qsizetype kProbeLimit = 20000;

QString serviceCode(LicenceService service) {
    return service == LicenceService::Amateur ? QStringLiteral("AMAT") : QStringLiteral("GMRS");
}

bool isAsciiUpper(QChar c) { return c >= u'A' && c <= u'Z'; }
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// like compares ASCII letters without regard to case; stored calls are upper case, so the
// upper-cased pattern matches the same rows and its prefix names a range of the index.
QString asciiUpper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return out;
}

// The part of the index that holds every possible match: the letters and digits before the first
// wildcard (or any other character) are a prefix. The end of the range is the prefix with its last
// character's successor; for a letter that is the successor of its lower-case form, which lies
// beyond both cases whether the index folds case (as the schema declares) or compares bytes.
struct IndexRange {
    bool bounded = false;
    QString low;
    QString high;
};

IndexRange prefixRange(const QString& upperPattern) {
    qsizetype n = 0;
    while (n < upperPattern.size() && (isAsciiUpper(upperPattern.at(n)) || isAsciiDigit(upperPattern.at(n))))
        ++n;
    IndexRange r;
    if (n == 0)
        return r;
    r.bounded = true;
    r.low = upperPattern.left(n);
    const QChar last = r.low.back();
    const char16_t next = isAsciiUpper(last) ? char16_t(last.toLower().unicode() + 1) : char16_t(last.unicode() + 1);
    r.high = r.low.left(n - 1) + QChar(next);
    return r;
}

void bindList(Statement& st, const QString& pattern, const IndexRange& range, LicenceService service) {
    st.bind(1, pattern);
    if (range.bounded) {
        st.bind(2, range.low);
        st.bind(3, range.high);
    }
    st.bind(4, serviceCode(service));
}

// Few candidates: the join, each candidate checked through the header index.
QStringList activeMatchesByProbing(Database& condb, LicenceService service, const QString& pattern, const IndexRange& range) {
    Statement st(condb, kActiveMatchesInRange);
    bindList(st, pattern, range, service);
    QStringList calls;
    while (st.step())
        calls << st.text(0);
    calls.sort();
    return calls;
}

// A licence identifier as the number it writes (digits, no leading zero, well within the range a
// bitmap covers); -1 for any other text.
qint64 identifierNumber(QByteArrayView text) {
    constexpr qint64 kLimit = qint64(1) << 30;
    if (text.isEmpty() || text.size() > 10 || (text.front() == '0' && text.size() > 1))
        return -1;
    qint64 n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n < kLimit ? n : -1;
}

// Many candidates (a one-letter prefix matches a third of all calls): the candidates' identifiers
// as bits, then one pass over the identifiers of the active licences marks the matches. Probing
// hundreds of thousands of candidates one by one through the header index takes seconds; the two
// scans take a fraction of that. Identifiers are numbers in the licence files; should one not be,
// the list is built by probing.
QStringList activeMatchesByScanning(Database& condb, LicenceService service, const QString& pattern, const IndexRange& range) {
    struct Candidate {
        qint64 usi;
        std::size_t callAt, callSize;
    };
    std::string calls;   // every candidate's call, one after the other
    std::vector<Candidate> candidates;
    qint64 maxUsi = -1;
    {
        Statement st(condb, range.bounded ? kMatchesInRange : kMatches);
        bindList(st, pattern, range, service);
        while (st.step()) {
            const qint64 usi = identifierNumber(st.utf8(0));
            if (usi < 0)
                return activeMatchesByProbing(condb, service, pattern, range);
            const QByteArrayView call = st.utf8(1);
            candidates.push_back({usi, calls.size(), std::size_t(call.size())});
            calls.append(call.data(), std::size_t(call.size()));
            maxUsi = std::max(maxUsi, usi);
        }
    }
    if (candidates.empty())
        return {};

    const std::size_t words = std::size_t(maxUsi) / 64 + 1;
    std::vector<quint64> wanted(words, 0), active(words, 0);
    auto bit = [](qint64 n) { return quint64(1) << (n % 64); };
    for (const Candidate& c : candidates)
        wanted[std::size_t(c.usi / 64)] |= bit(c.usi);
    {
        Statement st(condb, kActiveIdentifiers);
        while (st.step()) {
            const qint64 usi = identifierNumber(st.utf8(0));
            if (usi >= 0 && usi <= maxUsi && (wanted[std::size_t(usi / 64)] & bit(usi)))
                active[std::size_t(usi / 64)] |= bit(usi);
        }
    }

    std::vector<std::string_view> matches;
    for (const Candidate& c : candidates)
        if (active[std::size_t(c.usi / 64)] & bit(c.usi))
            matches.emplace_back(calls.data() + c.callAt, c.callSize);
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    QStringList out;
    out.reserve(qsizetype(matches.size()));
    for (std::string_view call : matches)
        out << QString::fromUtf8(call.data(), qsizetype(call.size()));
    // UTF-8 byte order is code-point order, the order QStringList::sort gives the probing way.
    return out;
}

} // namespace

QString callSignPattern(const QString& typed) {
    QString text = typed;
    text.replace(QLatin1Char('*'), QLatin1Char('%'));
    text.replace(QLatin1Char('?'), QLatin1Char('_'));
    return text;
}

bool hasSqlWildcard(const QString& text) { return text.contains(QLatin1Char('%')) || text.contains(QLatin1Char('_')); }

CallCountry callCountry(const QString& text) {
    const QChar first = text.isEmpty() ? QChar() : text.at(0);
    if (first == u'A' || first == u'K' || first == u'N' || first == u'W')
        return CallCountry::UnitedStates;
    if (first == u'V')
        return CallCountry::Canada;
    return CallCountry::Other;
}

QStringList matchingCallSigns(Database& condb, LicenceService service, const QString& pattern) {
    return matchingCallSigns(condb, service, pattern, kProbeLimit);
}

QStringList matchingCallSigns(Database& condb, LicenceService service, const QString& pattern, qsizetype probeLimit) {
    const QString upper = asciiUpper(pattern);
    const IndexRange range = prefixRange(upper);
    if (range.bounded) {
        const qint64 candidates =
            condb.scalar(kCandidatesInRange, {range.low, range.high, qint64(probeLimit) + 1}).toLongLong();
        if (candidates <= probeLimit)
            return activeMatchesByProbing(condb, service, upper, range);
    }
    return activeMatchesByScanning(condb, service, upper, range);
}

bool lookupUsCall(Database& condb, Query& q, LicenceService service, const QString& call) {
    q.open(condb, service == LicenceService::Amateur ? kAmateurExact : kGmrsExact, {call});
    q.keepFirstRow();
    if (q.recordCount() > 0)
        return true;
    q.open(condb, kPreviousCall, {call});
    if (q.recordCount() != 1) {
        q.close();
        return false;
    }
    const QVariant usi = q.value(0, 0);
    q.open(condb, kByIdentifier, {usi});
    q.keepFirstRow();
    return true;
}

void lookupCanadianCall(Database& condb, Query& q, const QString& call) { q.open(condb, kCanada, {call}); }

QString otherServiceCallSign(Database& condb, Query& q, LicenceService shown, const QVariant& frn) {
    q.open(condb, shown == LicenceService::Amateur ? kGmrsOfHolder : kAmateurOfHolder, {frn});
    return q.recordCount() > 0 ? q.text(0, QStringLiteral("call_sign")) : QString();
}

QString usZipKey(const QString& zipCode) { return zipCode.left(5); }

QString canadianPostalKey(const QString& postalCode) { return postalCode.left(3); }

ZipGeography zipGeography(Database& zipdb, Query& q, const QString& key) {
    ZipGeography g;
    q.open(zipdb, kZipRow, {key});
    if (q.recordCount() == 0)
        return g;
    g.found = true;
    g.latitude = q.value(0, 0).toDouble();
    g.longitude = q.value(0, 1).toDouble();
    g.county = q.value(0, 2).toString();
    return g;
}

QString licenseeName(const QString& first, const QString& mi, const QString& last, const QString& entityName) {
    if (last.isEmpty())
        return entityName;
    return first + QLatin1Char(' ') + mi + QLatin1Char(' ') + last;
}

QString streetOrPoBox(const QString& street, const QString& poBox) {
    return street.isEmpty() ? QStringLiteral("PO Box ") + poBox : street;
}

QString licenseeName(const Query& r) {
    return licenseeName(r.text(0, QStringLiteral("first_name")), r.text(0, QStringLiteral("mi")), r.text(0, QStringLiteral("last_name")),
                        r.text(0, QStringLiteral("entity_name")));
}

QString streetOrPoBox(const Query& r) {
    return streetOrPoBox(r.text(0, QStringLiteral("street_address")), r.text(0, QStringLiteral("po_box")));
}
