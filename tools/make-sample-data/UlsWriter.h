#pragma once
// UlsWriter: writes the amateur (EN, HD, AM) and GMRS (EN, HD) licence files in the layout of
// the FCC's public ULS files: pipe-delimited, 30 EN / 59 HD / 18 AM fields, CR LF line ends,
// mm/dd/yyyy dates, Windows-1252 text. Licences of both services take ascending identifiers
// from one sequence (as in the real database), and every licence's EN, HD and AM lines carry
// the same identifier. It also lists active amateur calls for look-up benchmarks.
// Collaborators: PersonMaker (licensees), CallSignPool (calls), IncidentSchedule (oddities),
// TextOut (files).

#include "Incidents.h"
#include "People.h"

#include <QString>

#include <cstdint>

namespace sampledata {

struct ServiceSummary {
    std::uint64_t licences = 0;
    std::uint64_t enLines = 0, hdLines = 0, amLines = 0;   // physical lines, CR LF ended
    std::uint64_t active = 0, clubs = 0, previousCalls = 0, sharedFrns = 0;
    IncidentCounts incidents {};
};

struct UlsSummary {
    ServiceSummary amateur, gmrs;
    std::uint64_t lookupCalls = 0;
};

struct UlsSizes {
    std::uint64_t amateur = 0;
    std::uint64_t gmrs = 0;
    std::uint64_t lookupCalls = 3000;
};

class UlsWriter {
public:
    UlsWriter(const ZipTable& zips, std::uint64_t seed, std::int64_t today);
    // Writes amatDir/{EN,HD,AM}.dat, gmrsDir/{EN,HD}.dat and callsFile. Throws on I/O errors.
    UlsSummary write(const QString& amatDir, const QString& gmrsDir, const QString& callsFile,
                     const UlsSizes& sizes);

private:
    const ZipTable& m_zips;
    std::uint64_t m_seed;
    std::int64_t m_today;
};

} // namespace sampledata
