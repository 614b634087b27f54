#include "UlsWriter.h"

#include "CallSigns.h"
#include "TextOut.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sampledata {

namespace {

// One record's fields, counted from 1 as in the FCC's layouts; unset fields stay empty.
template <int N>
class Record {
public:
    std::string_view& operator[](int field) { return m_fields[std::size_t(field - 1)]; }
    void clear() { m_fields.fill({}); }
    // keep < N writes a line cut after that many fields, as some lines of the real files are.
    void write(TextOut& out, int keep = N) const
    {
        for (int i = 0; i < keep; ++i) {
            if (i > 0)
                out.put('|');
            out.put(m_fields[std::size_t(i)]);
        }
        out.put(std::string_view("\r\n"));
    }

private:
    std::array<std::string_view, N> m_fields {};
};

struct Dates {
    std::string grant, expiry, cancel, effective, lastAction;
};

std::int64_t addYears(std::int64_t days, int years)
{
    int y, m, d;
    civilFromDays(days, y, m, d);
    if (m == 2 && d == 29)
        d = 28;
    return daysFromCivil(y + years, m, d);
}

constexpr std::int64_t kYear = 365;

Dates makeDates(Rng& rng, char status, std::int64_t today, std::int64_t& grantDay)
{
    Dates out;
    std::int64_t grant = 0, cancel = -1, lastAction = 0;
    switch (status) {
    case 'A':
        grant = today - rng.between(30, 10 * kYear - 10);
        lastAction = rng.chance(200000) ? grant + rng.between(0, today - grant) : grant;
        break;
    case 'E':
        grant = today - rng.between(12 * kYear + 30, 30 * kYear);
        cancel = addYears(addYears(grant, 10), 2) + 1;
        lastAction = cancel;
        break;
    default: {   // cancelled or terminated before the end of the term
        grant = today - rng.between(60, 30 * kYear);
        const std::int64_t span = std::min(addYears(grant, 10), today) - grant;
        cancel = grant + rng.between(1, std::max<std::int64_t>(1, span));
        lastAction = cancel;
        break;
    }
    }
    grantDay = grant;
    out.grant = ulsDate(grant);
    out.expiry = ulsDate(addYears(grant, 10));
    if (cancel >= 0)
        out.cancel = ulsDate(cancel);
    if (!rng.chance(2000))
        out.effective = ulsDate(grant);
    out.lastAction = ulsDate(lastAction);
    return out;
}

char amateurStatus(Rng& rng)
{
    const auto r = rng.below(100);
    return r < 68 ? 'A' : r < 88 ? 'E' : r < 98 ? 'C' : 'T';
}

char gmrsStatus(Rng& rng)
{
    const auto r = rng.below(100);
    return r < 60 ? 'A' : r < 90 ? 'E' : 'C';
}

char operatorClass(Rng& rng)
{
    const auto r = rng.below(1000);
    return r < 270 ? 'E' : r < 320 ? 'A' : r < 540 ? 'G' : r < 960 ? 'T' : r < 980 ? 'N' : 'P';
}

CallShape amateurShape(Rng& rng, char cls)
{
    const auto r = rng.below(100);
    switch (cls) {
    case 'E':
        return r < 4 ? CallShape::OneByTwo : r < 8 ? CallShape::TwoByOne : r < 48 ? CallShape::TwoByTwo
               : r < 70 ? CallShape::OneByThree : CallShape::TwoByThree;
    case 'A':
        return r < 50 ? CallShape::TwoByTwo : r < 70 ? CallShape::OneByThree : CallShape::TwoByThree;
    case ' ':   // clubs
        return r < 40 ? CallShape::OneByThree : CallShape::TwoByThree;
    default:
        return r < 20 ? CallShape::OneByThree : CallShape::TwoByThree;
    }
}

std::string_view groupCode(CallShape shape, char cls)
{
    switch (shape) {
    case CallShape::OneByTwo:
    case CallShape::TwoByOne: return "A";
    case CallShape::TwoByTwo: return cls == 'E' ? "A" : "B";
    case CallShape::OneByThree: return "C";
    default: return "D";
    }
}

std::string regionCode(const std::string& call, const std::string& state)
{
    if (state == "AK")
        return "11";
    if (state == "PR" || state == "VI")
        return "12";
    if (state == "HI" || state == "GU" || state == "AS" || state == "MP")
        return "13";
    for (char c : call)
        if (c >= '0' && c <= '9')
            return c == '0' ? "10" : std::string(1, c);
    return {};
}

char lowerClass(char cls)
{
    switch (cls) {
    case 'E': return 'A';
    case 'A': return 'G';
    case 'G': return 'T';
    default: return 'N';
    }
}

constexpr const char* kNicknames[] = {"BUD", "SKIP", "DOC", "RED", "SPARKY", "TEX", "BOOTS"};

// The state of one run: open files, call pools, calls kept for reassignment.
class Run {
public:
    Run(const ZipTable& zips, std::uint64_t seed, std::int64_t today, const UlsSizes& sizes)
        : m_seed(seed), m_today(today), m_people(zips, seed), m_calls(seed),
          m_amateurIncidents(sizes.amateur, amateurIncidentCounts(sizes.amateur), hashKeys({seed, 1})),
          m_gmrsIncidents(sizes.gmrs, gmrsIncidentCounts(sizes.gmrs), hashKeys({seed, 2}))
    {
        const double expectedActive = 0.68 * double(std::max<std::uint64_t>(1, sizes.amateur));
        m_lookupPerMillion = std::uint32_t(std::min(1.0, double(sizes.lookupCalls) / expectedActive) * 1e6);
    }

    void open(const QString& amatDir, const QString& gmrsDir)
    {
        m_amEn = std::make_unique<TextOut>(amatDir + QStringLiteral("/EN.dat"));
        m_amHd = std::make_unique<TextOut>(amatDir + QStringLiteral("/HD.dat"));
        m_amAm = std::make_unique<TextOut>(amatDir + QStringLiteral("/AM.dat"));
        m_gmEn = std::make_unique<TextOut>(gmrsDir + QStringLiteral("/EN.dat"));
        m_gmHd = std::make_unique<TextOut>(gmrsDir + QStringLiteral("/HD.dat"));
    }

    void close()
    {
        for (auto* out : {m_amEn.get(), m_amHd.get(), m_amAm.get(), m_gmEn.get(), m_gmHd.get()})
            out->close();
    }

    void amateur(std::uint64_t i, std::uint64_t usi);
    void gmrs(std::uint64_t j, std::uint64_t usi, std::uint64_t amateurSoFar);

    UlsSummary summary;
    std::vector<std::string> lookupCalls;

private:
    static IncidentCounts amateurIncidentCounts(std::uint64_t n)
    {
        const bool small = n < 100000;
        return {0, small ? 2u : 40u, small ? 2u : 40u, small ? 2u : 150u, small ? 1u : 10u,
                small ? 1u : 20u, small ? 1u : 20u, small ? 1u : 20u, small ? 2u : 1500u, small ? 3u : 2500u};
    }
    static IncidentCounts gmrsIncidentCounts(std::uint64_t n)
    {
        const bool small = n < 100000;
        return {0, small ? 1u : 10u, small ? 1u : 10u, small ? 1u : 40u, 0, small ? 1u : 5u,
                small ? 1u : 5u, 0, small ? 1u : 200u, small ? 2u : 500u};
    }

    struct Licence {
        std::uint64_t usiValue = 0;
        std::string usi, call, status;
        Dates dates;
        Incident incident = Incident::None;
    };
    void writeEntity(TextOut& out, const Licence& lic, const Person& p, ServiceSummary& s,
                     std::string_view entityType);
    void writeHeader(TextOut& out, const Licence& lic, std::string_view serviceCode, ServiceSummary& s);

    std::uint64_t m_seed;
    std::int64_t m_today;
    PersonMaker m_people;
    CallSignPool m_calls;
    IncidentSchedule m_amateurIncidents, m_gmrsIncidents;
    std::uint32_t m_lookupPerMillion = 0;
    // Calls given up by an older licence, keyed by (service, index of the licence receiving it).
    std::unordered_map<std::uint64_t, std::pair<std::string, CallShape>> m_reassigned;
    std::string m_lastRetired, m_lastAmateurCall;
    std::unique_ptr<TextOut> m_amEn, m_amHd, m_amAm, m_gmEn, m_gmHd;
};

void Run::writeEntity(TextOut& out, const Licence& lic, const Person& p, ServiceSummary& s,
                      std::string_view entityType)
{
    std::string entity = p.entityName(), given = p.given, street = p.street, attention = p.attention;
    const bool mainRow = entityType == "L";
    if (mainRow) {
        switch (lic.incident) {
        case Incident::SplitRecord:
            street = (street.empty() ? std::string("100 MAIN ST") : street) + "\r\nAPT 2";
            break;
        case Incident::StrayCr:
            street = (street.empty() ? std::string("1 MAIN ST") : street) + '\r';
            break;
        case Incident::StrayQuote: {
            const std::string nick = std::string(" \"") + kNicknames[hashKeys({m_seed, 0x21C, s.licences}) % 7] + '"';
            if (p.club) {
                entity += nick;
            } else {
                given += nick;
                entity = p.surname + ", " + given + (p.mi.empty() ? std::string() : ' ' + p.mi);
            }
            break;
        }
        case Incident::StrayPipe:
            attention = "C/O " + (attention.empty() ? std::string("JOHN SMITH") : attention) + " | ESTATE";
            break;
        default:
            break;
        }
    }
    Record<30> en;
    en[1] = "EN";
    en[2] = lic.usi;
    en[5] = lic.call;
    en[6] = entityType;
    en[7] = p.licenseeId;
    en[8] = entity;
    en[9] = given;
    en[10] = p.mi;
    en[11] = p.surname;
    en[12] = p.suffix;
    en[16] = street;
    en[17] = p.city;
    en[18] = p.state;
    en[19] = p.zip;
    en[20] = p.poBox;
    en[21] = attention;
    en[22] = "000";
    en[23] = p.frn;
    en[24] = p.club ? "B" : "I";
    en.write(out, mainRow && lic.incident == Incident::ShortEn ? 12 : 30);
    s.enLines += (mainRow && lic.incident == Incident::SplitRecord) ? 2 : 1;
}

void Run::writeHeader(TextOut& out, const Licence& lic, std::string_view serviceCode, ServiceSummary& s)
{
    Record<59> hd;
    // Most headers carry a ten-digit ULS file number; older ones have none.
    const std::uint64_t h = hashKeys({m_seed, 0xF11E, lic.usiValue});
    const std::string fileNumber = h % 100 < 85 ? number((h >> 8) % 10000000000ULL, 10) : std::string();
    hd[1] = "HD";
    hd[2] = lic.usi;
    hd[3] = fileNumber;
    hd[5] = lic.call;
    hd[6] = lic.status;
    hd[7] = serviceCode;
    hd[8] = lic.dates.grant;
    hd[9] = lic.dates.expiry;
    hd[10] = lic.dates.cancel;
    hd[43] = lic.dates.effective;
    hd[44] = lic.dates.lastAction;
    hd.write(out, lic.incident == Incident::ShortHd ? 10 : 59);
    ++s.hdLines;
}

void Run::amateur(std::uint64_t i, std::uint64_t usi)
{
    ServiceSummary& s = summary.amateur;
    Rng rng({m_seed, 0xA3A7, i});
    Licence lic;
    lic.usiValue = usi;
    lic.usi = number(usi);
    lic.incident = m_amateurIncidents.at(i);
    const bool source = m_amateurIncidents.isReassignSource(i);
    const bool club = m_people.isClub(i);
    const Person p = m_people.make(i, club);

    const char status = source ? 'E' : lic.incident == Incident::ReassignedCall ? 'A' : amateurStatus(rng);
    lic.status = std::string(1, status);
    std::int64_t grantDay = 0;
    lic.dates = makeDates(rng, status, m_today, grantDay);
    const char cls = club ? ' ' : operatorClass(rng);
    CallShape shape = amateurShape(rng, cls);
    const auto given = m_reassigned.find(i);
    if (given != m_reassigned.end()) {
        lic.call = given->second.first;
        shape = given->second.second;
        m_reassigned.erase(given);
    } else {
        lic.call = m_calls.take(shape);
    }
    if (source)
        m_reassigned[i + m_amateurIncidents.reassignGap()] = {lic.call, shape};

    std::string previous, previousClass;
    if (!club && rng.chance(150000)) {
        // Now and then two licences name the same former call.
        previous = (!m_lastRetired.empty() && rng.chance(2000)) ? m_lastRetired : m_calls.takeRetired();
        m_lastRetired = previous;
        previousClass = std::string(1, lowerClass(cls));
        ++s.previousCalls;
    }
    const bool vanity = !previous.empty() && rng.chance(500000);

    writeEntity(*m_amEn, lic, p, s, "L");
    if (lic.incident == Incident::DuplicateEntity)
        writeEntity(*m_amEn, lic, m_people.make((1ULL << 41) + i, false), s, "CL");
    writeHeader(*m_amHd, lic, vanity ? "HV" : "HA", s);

    Record<18> am;
    const std::string clsText = club ? std::string() : std::string(1, cls);
    const std::string region = regionCode(lic.call, p.state);
    std::string trusteeCall, trusteeName;
    if (club) {
        trusteeCall = m_lastAmateurCall.empty() ? std::string("W1AW") : m_lastAmateurCall;
        trusteeName = m_people.make((1ULL << 40) + i, false).fullName();
        ++s.clubs;
    }
    am[1] = "AM";
    am[2] = lic.usi;
    am[5] = lic.call;
    am[6] = clsText;
    am[7] = club ? std::string_view() : groupCode(shape, cls);
    am[8] = region;
    am[9] = trusteeCall;
    am[10] = club ? "Y" : "";
    am[14] = vanity ? "Y" : "";
    am[16] = previous;
    am[17] = previousClass;
    am[18] = trusteeName;
    am.write(*m_amAm, lic.incident == Incident::ShortAm ? 10 : 18);
    ++s.amLines;

    ++s.licences;
    ++s.incidents[std::size_t(lic.incident)];
    if (status == 'A') {
        ++s.active;
        const bool clean = lic.incident == Incident::None || lic.incident == Incident::ReassignedCall;
        if (clean && rng.chance(m_lookupPerMillion))
            lookupCalls.push_back(lic.call);
    }
    m_lastAmateurCall = lic.call;
}

void Run::gmrs(std::uint64_t j, std::uint64_t usi, std::uint64_t amateurSoFar)
{
    ServiceSummary& s = summary.gmrs;
    Rng rng({m_seed, 0x63A5, j});
    Licence lic;
    lic.usiValue = usi;
    lic.usi = number(usi);
    lic.incident = m_gmrsIncidents.at(j);
    const bool source = m_gmrsIncidents.isReassignSource(j);

    // About one GMRS licensee in five also holds an amateur licence, under the same FRN.
    std::uint64_t personNumber = (1ULL << 32) + j;
    if (amateurSoFar > 0 && rng.chance(200000)) {
        const std::uint64_t shared = rng.below(amateurSoFar);
        if (!m_people.isClub(shared))
            personNumber = shared;
    }
    const Person p = m_people.make(personNumber, false);
    // Counted only where both lines keep the FRN in field 23, so a reader can follow the link.
    auto frnIntact = [](Incident i) { return i != Incident::ShortEn && i != Incident::StrayPipe; };
    if (personNumber < amateurSoFar && !p.frn.empty() && frnIntact(lic.incident)
        && frnIntact(m_amateurIncidents.at(personNumber)))
        ++s.sharedFrns;

    const char status = source ? 'E' : lic.incident == Incident::ReassignedCall ? 'A' : gmrsStatus(rng);
    lic.status = std::string(1, status);
    std::int64_t grantDay = 0;
    lic.dates = makeDates(rng, status, m_today, grantDay);
    const auto given = m_reassigned.find((1ULL << 60) + j);
    if (given != m_reassigned.end()) {
        lic.call = given->second.first;
        m_reassigned.erase(given);
    } else {
        // The four-letter, three-digit calls stopped being issued in 2017.
        lic.call = m_calls.take(grantDay < daysFromCivil(2017, 1, 1) ? CallShape::GmrsOld : CallShape::GmrsNew);
    }
    if (source)
        m_reassigned[(1ULL << 60) + j + m_gmrsIncidents.reassignGap()] = {lic.call, CallShape::GmrsNew};

    writeEntity(*m_gmEn, lic, p, s, "L");
    if (lic.incident == Incident::DuplicateEntity)
        writeEntity(*m_gmEn, lic, m_people.make((1ULL << 42) + j, false), s, "CL");
    writeHeader(*m_gmHd, lic, "ZA", s);

    ++s.licences;
    ++s.incidents[std::size_t(lic.incident)];
    if (status == 'A')
        ++s.active;
}

} // namespace

UlsWriter::UlsWriter(const ZipTable& zips, std::uint64_t seed, std::int64_t today)
    : m_zips(zips), m_seed(seed), m_today(today)
{
}

UlsSummary UlsWriter::write(const QString& amatDir, const QString& gmrsDir, const QString& callsFile,
                            const UlsSizes& sizes)
{
    QDir().mkpath(amatDir);
    QDir().mkpath(gmrsDir);
    Run run(m_zips, m_seed, m_today, sizes);
    run.open(amatDir, gmrsDir);

    // Both services draw identifiers from one ascending sequence, interleaved in proportion.
    Rng steps({m_seed, 0x0051});
    std::uint64_t usi = 100000 + steps.below(100000);
    std::uint64_t a = 0, g = 0;
    while (a < sizes.amateur || g < sizes.gmrs) {
        usi += 1 + steps.below(3);
        const bool amateurTurn = g >= sizes.gmrs || (a < sizes.amateur && a * sizes.gmrs <= g * sizes.amateur);
        if (amateurTurn)
            run.amateur(a++, usi);
        else
            run.gmrs(g++, usi, a);
    }
    run.close();

    TextOut calls(callsFile);
    for (const std::string& call : run.lookupCalls) {
        calls.put(call);
        calls.put('\n');
    }
    calls.close();
    run.summary.lookupCalls = run.lookupCalls.size();
    return run.summary;
}

} // namespace sampledata
