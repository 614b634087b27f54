#include "licence/LicenceQueries.h"

#include "core/TextRoutines.h"

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
    struct Candidate {   // small: a one-letter prefix has a million of them
        quint32 usi;
        quint32 callAt;
        quint32 callSize;
    };
    std::string calls;   // every candidate's call, one after the other
    std::vector<Candidate> candidates;
    qint64 maxUsi = -1;
    {
        Statement st(condb, range.bounded ? kMatchesInRange : kMatches);
        bindList(st, pattern, range, service);
        while (st.step()) {
            const qint64 usi = identifierNumber(st.utf8(0));
            const QByteArrayView call = st.utf8(1);
            if (usi < 0 || calls.size() + std::size_t(call.size()) > 0xFFFFFFFFu)
                return activeMatchesByProbing(condb, service, pattern, range);
            candidates.push_back({quint32(usi), quint32(calls.size()), quint32(call.size())});
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
    // The index gives the calls in order already, unless its case folding put one elsewhere.
    if (!std::is_sorted(matches.begin(), matches.end()))
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
    // like compares ASCII letters without regard to case; stored calls are upper case, so the
    // upper-cased pattern matches the same rows and its prefix names a range of the index.
    const QString upper = AsciiUpperCase(pattern);
    const IndexRange range = prefixRange(upper);
    if (range.bounded) {
        const qint64 candidates =
            condb.scalar(kCandidatesInRange, {range.low, range.high, qint64(probeLimit) + 1}).toLongLong();
        if (candidates <= probeLimit)
            return activeMatchesByProbing(condb, service, upper, range);
    }
    return activeMatchesByScanning(condb, service, upper, range);
}

namespace {

QString column(const Statement& st, int index) { return index < 0 ? QString() : st.text(index); }

// The licence of the row the statement stands on. The joins repeat the identifier column; the
// first of equal names is taken, as they hold the same value.
UsLicence usLicenceOf(const Statement& st) {
    auto at = [&st](const char* name) { return column(st, st.columnIndex(QLatin1String(name))); };
    UsLicence l;
    l.usi = at("unique_system_identifier");
    l.callSign = at("call_sign");
    l.frn = at("frn");
    l.service = at("service");
    l.entityName = at("entity_name");
    l.firstName = at("first_name");
    l.mi = at("mi");
    l.lastName = at("last_name");
    l.street = at("street_address");
    l.poBox = at("po_box");
    l.city = at("city");
    l.state = at("state");
    l.zip = at("zip_code");
    l.county = at("county");
    l.operatorClass = at("operator_class");
    l.previousCall = at("previous_callsign");
    l.status = at("license_status");
    l.granted = at("grant_date");
    l.expires = at("expired_date");
    l.lastAction = at("last_action_date");
    return l;
}

CanadianLicence canadianLicenceOf(const Statement& st) {
    auto at = [&st](const char* name) { return column(st, st.columnIndex(QLatin1String(name))); };
    CanadianLicence c;
    c.callSign = at("callsign");
    c.firstName = at("first_name");
    c.surname = at("surname");
    c.address = at("address_line");
    c.city = at("city");
    c.province = at("prov");
    c.postalCode = at("postal_code");
    c.qualA = at("qual_a");
    c.qualB = at("qual_b");
    c.qualC = at("qual_c");
    c.qualD = at("qual_d");
    c.qualE = at("qual_e");
    c.clubName1 = at("club_name1");
    c.clubName2 = at("club_name2");
    c.clubAddress = at("club_address");
    c.clubCity = at("club_city");
    c.clubProvince = at("club_prov");
    c.clubPostalCode = at("club_postal");
    return c;
}

// Resets the statement however the reading ends, so that a kept statement never holds a read
// transaction open between look-ups (the import's swap and the daily changes wait for none).
struct ResetOnExit {
    Statement& st;
    ~ResetOnExit() { st.reset(); }
};

} // namespace

struct LicenceLookup::Statements {
    std::optional<Statement> amateur, gmrs, previous, byIdentifier, canada, gmrsOfHolder, amateurOfHolder;
};

LicenceLookup::LicenceLookup(Database& condb) : m_db(condb), m_st(std::make_unique<Statements>()) {}

LicenceLookup::~LicenceLookup() = default;

namespace {

Statement& prepared(std::optional<Statement>& slot, Database& db, const QString& sql) {
    if (!slot)
        slot.emplace(db, sql);
    return *slot;
}

} // namespace

UsLookup LicenceLookup::us(LicenceService service, const QString& call) {
    UsLookup r;
    {
        Statement& st = service == LicenceService::Amateur ? prepared(m_st->amateur, m_db, kAmateurExact)
                                                           : prepared(m_st->gmrs, m_db, kGmrsExact);
        const ResetOnExit reset{st};
        st.bind(1, call);
        if (st.step()) {
            r.outcome = UsLookupOutcome::Found;
            r.licence = usLicenceOf(st);
            return r;
        }
    }
    QString usi;
    {
        Statement& st = prepared(m_st->previous, m_db, kPreviousCall);
        const ResetOnExit reset{st};
        st.bind(1, call);
        if (!st.step())
            return r;
        usi = st.text(0);
        if (st.step())   // more than one licence had it: no single holder
            return r;
    }
    Statement& st = prepared(m_st->byIdentifier, m_db, kByIdentifier);
    const ResetOnExit reset{st};
    st.bind(1, usi);
    if (st.step()) {
        r.outcome = UsLookupOutcome::Found;
        r.licence = usLicenceOf(st);
    } else {
        r.outcome = UsLookupOutcome::NotActive;
    }
    return r;
}

std::optional<CanadianLicence> LicenceLookup::canadian(const QString& call) {
    Statement& st = prepared(m_st->canada, m_db, kCanada);
    const ResetOnExit reset{st};
    st.bind(1, call);
    if (!st.step())
        return std::nullopt;
    return canadianLicenceOf(st);
}

std::optional<QString> LicenceLookup::otherServiceCallSign(LicenceService shown, const QString& frn) {
    Statement& st = shown == LicenceService::Amateur ? prepared(m_st->gmrsOfHolder, m_db, kGmrsOfHolder)
                                                     : prepared(m_st->amateurOfHolder, m_db, kAmateurOfHolder);
    const ResetOnExit reset{st};
    st.bind(1, frn);
    if (!st.step())
        return std::nullopt;
    return st.text(st.columnIndex(QStringLiteral("call_sign")));
}

UsLookup findUsLicence(Database& condb, LicenceService service, const QString& call) {
    return LicenceLookup(condb).us(service, call);
}

std::optional<CanadianLicence> findCanadianLicence(Database& condb, const QString& call) {
    return LicenceLookup(condb).canadian(call);
}

std::optional<QString> otherServiceCallSign(Database& condb, LicenceService shown, const QString& frn) {
    return LicenceLookup(condb).otherServiceCallSign(shown, frn);
}

QString licenseeName(const QString& first, const QString& mi, const QString& last, const QString& entityName) {
    if (last.isEmpty())
        return entityName;
    return first + QLatin1Char(' ') + mi + QLatin1Char(' ') + last;
}

QString streetOrPoBox(const QString& street, const QString& poBox) {
    return street.isEmpty() ? QStringLiteral("PO Box ") + poBox : street;
}

QString licenseeName(const UsLicence& l) { return licenseeName(l.firstName, l.mi, l.lastName, l.entityName); }

QString streetOrPoBox(const UsLicence& l) { return streetOrPoBox(l.street, l.poBox); }

PreparedAmateurLookup::PreparedAmateurLookup(Database& condb, Database& zipdb)
    : m_licence(condb, kAmateurExact), m_zip(zipdb) {}

bool PreparedAmateurLookup::find(const QString& call) {
    m_licence.reset();
    m_licence.bind(1, call);
    return m_licence.step();
}

ZipGeography PreparedAmateurLookup::zip(const QString& key) { return m_zip.find(key); }
