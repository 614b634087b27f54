#include "People.h"

#include "Names.h"
#include "TextOut.h"

namespace sampledata {

std::string Person::entityName() const
{
    if (club)
        return clubName;
    std::string s = surname + ", " + given;
    if (!mi.empty())
        s += ' ' + mi;
    if (!suffix.empty())
        s += ' ' + suffix;
    return s;
}

std::string Person::fullName() const
{
    std::string s = given;
    if (!mi.empty())
        s += ' ' + mi;
    return s + ' ' + surname;
}

bool PersonMaker::isClub(std::uint64_t personNumber) const
{
    return hashKeys({m_seed, 0xC1B, personNumber}) % 1000 < 20;
}

Person PersonMaker::make(std::uint64_t personNumber, bool club) const
{
    Rng rng({m_seed, 0x9E5, personNumber});
    Person p;
    p.club = club;
    // People type their names as they like; the FCC keeps what they typed.
    const bool mixedCase = rng.chance(650000);
    auto shape = [mixedCase](std::string s) { return mixedCase ? titleLatin1(s) : s; };

    makeAddress(rng, p);
    if (club) {
        std::string place = rng.chance(500000) ? p.city : std::string(rng.pick(names::clubWords));
        p.clubName = shape(place + ' ' + rng.pick(names::clubKinds));
    } else {
        p.given = rng.pick(names::usGiven);
        p.surname = rng.pick(names::usSurname);
        if (rng.chance(850000))
            p.mi = std::string(1, rng.letter());
        if (rng.chance(40000))
            p.suffix = rng.pick(names::suffixes);
        p.given = shape(p.given);
        p.surname = shape(p.surname);
        if (mixedCase && p.suffix.size() == 2)
            p.suffix = titleLatin1(p.suffix);   // "Jr", but "III" stays
    }
    p.street = shape(p.street);
    p.city = shape(p.city);

    // An FRN is injective in the person number below 10^10 (the multiplier is prime to 10).
    if (!rng.chance(15000)) {
        const unsigned __int128 scattered = (unsigned __int128)(personNumber % 10000000000ULL) * 2654435761ULL
                                            + m_seed % 1000003;
        p.frn = number(std::uint64_t(scattered % 10000000000ULL), 10);
    }
    if (!rng.chance(100000))
        p.licenseeId = 'L' + number((personNumber * 2654435761ULL + m_seed) % 100000000ULL, 8);
    if (rng.chance(30000)) {
        std::string who = rng.pick(names::usGiven);
        who += ' ';
        who += rng.pick(names::usSurname);
        p.attention = mixedCase ? titleLatin1(who) : who;
    }
    return p;
}

void PersonMaker::makeAddress(Rng& rng, Person& p) const
{
    const auto& rows = m_zips.usRows();
    const ZipRow& row = rows[rng.below(rows.size())];
    p.city = upperLatin1(row.city);
    p.state = row.state;

    const std::uint64_t zipKind = rng.below(1000);
    if (zipKind < 150) {
        p.zip = row.code + number(rng.below(10000), 4);
    } else if (zipKind < 170) {
        int missing;
        do
            missing = int(rng.below(100000));
        while (m_zips.hasUsZip(missing));
        p.zip = number(std::uint64_t(missing), 5);
    } else if (zipKind < 172) {
        p.zip = row.code.substr(1);   // leading zero lost on the way in
    } else if (zipKind < 174) {
        p.zip.clear();
    } else {
        p.zip = row.code;
    }

    const bool usesBox = rng.chance(80000);
    if (usesBox) {
        const std::string n = number(rng.between(1, 9999));
        switch (rng.below(5)) {
        case 0: p.poBox = n; break;
        case 1: p.poBox = "P O BOX " + n; break;
        default: p.poBox = "PO BOX " + n; break;
        }
    }
    if (usesBox && rng.chance(500000))
        return;   // box only, no street
    std::string street = number(rng.chance(900000) ? rng.between(1, 9999) : rng.between(10000, 99999));
    if (rng.chance(150000))
        street += std::string(" ") + rng.pick(names::directions);
    // One draw per statement: the order of operands within an expression is unspecified.
    street += std::string(" ") + rng.pick(names::streets);
    street += std::string(" ") + rng.pick(names::streetKinds);
    if (rng.chance(100000)) {
        street += std::string(" ") + rng.pick(names::units);
        street += ' ' + number(rng.between(1, 40));
        if (rng.chance(300000))
            street += rng.letter();
    }
    p.street = std::move(street);
}

} // namespace sampledata
