#pragma once
// CanadianWriter: writes the Canadian amateur call sign list in its fixed-width layout: four
// header lines (date and title, blank, the count sentence, blank), then one licence per line
// sorted by call sign, fields at fixed character positions, Windows-1252 text, LF line ends.
// Individuals fill the name and address columns and the five qualification letters (blank
// ones are spaces) and end at column 210; clubs fill the club columns and run to column 469.
// Postal codes take a real forward sortation area of the right province, a few invented ones.
// Collaborators: ZipTable, CanadianCallPool, TextOut.

#include "ZipTable.h"

#include <QString>

#include <cstdint>

namespace sampledata {

struct CanadianSummary {
    std::uint64_t records = 0;
    std::uint64_t lines = 0;   // header lines included
    std::uint64_t clubs = 0;
    std::uint64_t shortLines = 0;         // trailing blanks dropped
    std::uint64_t unknownAreas = 0;       // postal codes whose area is not in the zip table
};

class CanadianWriter {
public:
    CanadianWriter(const ZipTable& zips, std::uint64_t seed, std::int64_t today);
    CanadianSummary write(const QString& path, std::uint64_t records);

private:
    const ZipTable& m_zips;
    std::uint64_t m_seed;
    std::int64_t m_today;
};

// Column layout shared with the tests: first character (from 1) and width of each field.
struct FixedField {
    int first;
    int width;
};
inline constexpr FixedField kCanadianFields[18] = {
    {1, 6},    {8, 35},   {44, 35},  {80, 70},  {151, 35}, {187, 2},  {190, 10}, {201, 1}, {203, 1},
    {205, 1},  {207, 1},  {209, 1},  {211, 70}, {282, 70}, {353, 70}, {424, 35}, {460, 2}, {463, 7},
};
inline constexpr int kCanadianIndividualWidth = 210;
inline constexpr int kCanadianClubWidth = 469;

} // namespace sampledata
