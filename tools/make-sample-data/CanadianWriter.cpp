#include "CanadianWriter.h"

#include "CallSigns.h"
#include "Names.h"
#include "Random.h"
#include "TextOut.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

namespace sampledata {

namespace {

struct Province {
    const char* code;
    const char* prefixes[2];
    int weight;   // per ten thousand licences, roughly as the real list spreads
};

constexpr Province kProvinces[] = {
    {"ON", {"VE3", "VA3"}, 3500}, {"QC", {"VE2", "VA2"}, 2000}, {"BC", {"VE7", "VA7"}, 1650},
    {"AB", {"VE6", "VA6"}, 1000}, {"NS", {"VE1", "VA1"}, 400},  {"MB", {"VE4", "VA4"}, 300},
    {"SK", {"VE5", "VA5"}, 300},  {"NB", {"VE9", nullptr}, 300}, {"NL", {"VO1", "VO2"}, 200},
    {"PE", {"VY2", nullptr}, 50}, {"YT", {"VY1", nullptr}, 20},  {"NT", {"VE8", nullptr}, 10},
    {"NU", {"VY0", nullptr}, 5},
};

// Letters a Canadian postal code can use (no D, F, I, O, Q, U).
constexpr char kPostalLetters[] = "ABCEGHJKLMNPRSTVWXYZ";

char postalLetter(Rng& rng)
{
    return kPostalLetters[rng.below(sizeof kPostalLetters - 1)];
}

const Province& pickProvince(Rng& rng)
{
    int total = 0;
    for (const Province& p : kProvinces)
        total += p.weight;
    int r = int(rng.below(std::uint64_t(total)));
    for (const Province& p : kProvinces) {
        if (r < p.weight)
            return p;
        r -= p.weight;
    }
    return kProvinces[0];
}

void place(std::string& line, int field, const std::string& value)
{
    const FixedField& f = kCanadianFields[field];
    const std::size_t n = std::min<std::size_t>(value.size(), std::size_t(f.width));
    line.replace(std::size_t(f.first - 1), n, value, 0, n);
}

struct Entry {
    std::string call;
    std::uint64_t index;
    const Province* province;
};

} // namespace

CanadianWriter::CanadianWriter(const ZipTable& zips, std::uint64_t seed, std::int64_t today)
    : m_zips(zips), m_seed(seed), m_today(today)
{
}

CanadianSummary CanadianWriter::write(const QString& path, std::uint64_t records)
{
    std::map<std::string, std::vector<const ZipRow*>> areas;
    for (const ZipRow& row : m_zips.canadianRows())
        areas[row.state].push_back(&row);

    CanadianCallPool pool(m_seed);
    std::vector<Entry> entries;
    entries.reserve(records);
    for (std::uint64_t i = 0; i < records; ++i) {
        Rng rng({m_seed, 0xCA0, i});
        const Province* prov = &pickProvince(rng);
        std::string call;
        for (int attempt = 0; call.empty() && attempt < 64; ++attempt) {
            const int k = prov->prefixes[1] && rng.chance(500000) ? 1 : 0;
            call = pool.take(prov->prefixes[k]);
            if (call.empty() && prov->prefixes[1])
                call = pool.take(prov->prefixes[1 - k]);
            if (call.empty())
                prov = &pickProvince(rng);
        }
        if (call.empty())
            throw std::runtime_error("ran out of Canadian call signs");
        entries.push_back({std::move(call), i, prov});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.call < b.call; });

    CanadianSummary summary;
    TextOut out(path);
    const std::string count = number(records);
    out.put(isoDate(m_today) + "  Canadian Amateur Call Sign List / List d'indicatif d'appel canadien\n");
    out.put(" \n");
    out.put("There are " + count + " call signs in this report. / Il y a " + count
            + " indicatifs d'appels dans ce rapport.\n");
    out.put(" \n");
    summary.lines = 4;

    for (const Entry& e : entries) {
        Rng rng({m_seed, 0xCA1, e.index});
        const bool club = rng.chance(40000);
        const std::vector<const ZipRow*>& rows = areas[e.province->code];
        std::string area, city;
        if (!rows.empty() && !rng.chance(20000)) {
            const ZipRow& row = *rows[rng.below(rows.size())];
            area = row.code;
            city = row.city;
        } else {
            // An area the table does not know yet: the province's letter and a free combination.
            const char letter = rows.empty() ? 'X' : rows.front()->code[0];
            do
                area = std::string {letter, rng.digit(), postalLetter(rng)};
            while (m_zips.hasCanadianArea(area));
            city = rows.empty() ? std::string("Iqaluit") : rows[rng.below(rows.size())]->city;
            ++summary.unknownAreas;
        }
        // One draw per statement: the order of operands within an expression is unspecified.
        std::string postal = area + ' ';
        postal += rng.digit();
        postal += postalLetter(rng);
        postal += rng.digit();
        std::string street = number(rng.between(1, 9999)) + ' ';
        street += rng.pick(names::caStreets);
        if (rng.chance(300000))
            street = upperLatin1(street);
        if (rng.chance(350000))
            city = upperLatin1(city);

        std::string line(std::size_t(club ? kCanadianClubWidth : kCanadianIndividualWidth), ' ');
        place(line, 0, e.call);
        if (club) {
            const std::string name = std::string(rng.pick(names::clubWords)) + " AMATEUR RADIO CLUB";
            place(line, 12, rng.chance(500000) ? titleLatin1(name) : name);
            if (rng.chance(300000)) {
                std::string careOf = std::string("c/o ") + rng.pick(names::caGiven);
                careOf += std::string(" ") + rng.pick(names::caSurname);
                place(line, 13, careOf);
            }
            place(line, 14, street);
            place(line, 15, city);
            place(line, 16, e.province->code);
            place(line, 17, postal);
            ++summary.clubs;
        } else {
            std::string given = rng.pick(names::caGiven);
            std::string surname = rng.pick(names::caSurname);
            if (rng.chance(100000)) {
                given = upperLatin1(given);
                surname = upperLatin1(surname);
            }
            if (rng.chance(150000)) {
                given += ' ';
                given += rng.letter();
                given += '.';
            }
            place(line, 1, given);
            place(line, 2, surname);
            place(line, 3, street);
            place(line, 4, city);
            place(line, 5, e.province->code);
            place(line, 6, postal);
            // Basic, 5 and 12 words per minute, Advanced, Basic with Honours.
            const std::uint32_t odds[5] = {970000, 400000, 250000, 450000, 350000};
            const char marks[5] = {'A', 'B', 'C', 'D', 'E'};
            for (int q = 0; q < 5; ++q)
                if (rng.chance(odds[q]))
                    line[std::size_t(kCanadianFields[7 + q].first - 1)] = marks[q];
            if (rng.chance(5000)) {
                line.erase(line.find_last_not_of(' ') + 1);
                ++summary.shortLines;
            }
        }
        out.put(line);
        out.put('\n');
        ++summary.lines;
        ++summary.records;
    }
    out.close();
    return summary;
}

} // namespace sampledata
