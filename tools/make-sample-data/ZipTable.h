#pragma once
// ZipTable: the shipped zip/postal table, read once so that generated addresses are consistent
// (a US zip with its own city and state; a Canadian postal code whose first three characters
// are a real forward sortation area of the right province), and so that the generator can make
// zips that are deliberately missing from it.
// Collaborators: UlsWriter (US rows), CanadianWriter (Canadian rows).

#include <QString>

#include <string>
#include <vector>

namespace sampledata {

struct ZipRow {
    std::string code;    // five-digit zip, or a three-character Canadian area
    std::string city;    // Windows-1252 bytes, as the table spells it
    std::string state;   // two letters
};

class ZipTable {
public:
    // Throws std::runtime_error when the file cannot be read or holds no US rows.
    explicit ZipTable(const QString& path);

    const std::vector<ZipRow>& usRows() const { return m_us; }
    const std::vector<ZipRow>& canadianRows() const { return m_canada; }
    bool hasUsZip(int zip) const { return zip >= 0 && zip < 100000 && m_usZips[std::size_t(zip)]; }
    bool hasCanadianArea(const std::string& area) const;

private:
    std::vector<ZipRow> m_us;
    std::vector<ZipRow> m_canada;
    std::vector<bool> m_usZips;
};

} // namespace sampledata
