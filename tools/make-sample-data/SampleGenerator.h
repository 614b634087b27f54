#pragma once
// generateSampleData: writes a complete, realistic data set for benchmarks and end-to-end
// tests: OUT/AMAT/{EN,HD,AM}.dat, OUT/GMRS/{EN,HD}.dat, OUT/CADN/amateur.txt, the three
// archives l_amat.zip, l_gmrs.zip and amateur.zip (members at the root, as downloaded), and
// OUT/calls.txt, active amateur calls to look up. The same seed gives the same bytes.
// Collaborators: ZipTable, UlsWriter, CanadianWriter, writeZipArchive.

#include "CanadianWriter.h"
#include "UlsWriter.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace sampledata {

enum class Scale { Small, Full };

struct SampleOptions {
    QString outDir;
    QString zipTable;   // postal_update.csv
    Scale scale = Scale::Small;
    std::uint64_t seed = 1;
    bool archives = true;
    int dailyDays = 0;     // daily archives after the weekly set (OUT/daily), 0 to 5
    int missingDay = 0;    // the day among them whose archives are left out (0: none)
};

struct SampleSummary {
    UlsSummary uls;
    CanadianSummary canada;
    QStringList dailyArchives;
};

// The "today" of every generated set (dates, the list's header), fixed so output is reproducible.
std::int64_t sampleToday();

// Throws std::runtime_error on any failure (missing zip table, unwritable folder, libzip error).
SampleSummary generateSampleData(const SampleOptions& options);

} // namespace sampledata
