#pragma once
// writeDailySequence: beside a written weekly set, the daily archives that follow it, in the
// layout of the FCC's daily files (l_am_<day>.zip, l_gm_<day>.zip: EN, HD, for amateur AM, and a
// counts file with the creation date), and the set those days lead to written as a weekly set
// (OUT/daily/end/AMAT, OUT/daily/end/GMRS), so that a test can compare the weekly load plus the
// days with a weekly load of the end. Each day brings new licences, changed addresses, renewals,
// cancellations, a call reassigned to a new licence and a licence whose AM row is gone; GMRS days
// change addresses and renew. The same seed gives the same bytes.
// Collaborators: SampleGenerator (the weekly set and its date), writeZipArchive.

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace sampledata {

struct DailyOptions {
    int days = 3;              // 1 to 5: Tuesday to Saturday after the weekly Sunday
    int missingDay = 0;        // 1-based day whose archives are not written (0: none)
    int licencesPerDay = 6;    // changed licences per day and service (at least 6)
};

struct DailySummary {
    QStringList archives;      // file names written, in day order
    int changedLicences = 0;
};

// The creation date of the weekly set (a Sunday) and of daily archive `day` (1-based).
QDate weeklyCreationDate();
QDate dailyCreationDate(int day);
// The first line of a counts file for that date, as the FCC's archives carry it.
QByteArray countsFirstLine(const QDate& created);

// Reads OUT/AMAT and OUT/GMRS; writes OUT/daily. Throws std::runtime_error on any failure.
DailySummary writeDailySequence(const QString& outDir, const DailyOptions& options, std::uint64_t seed);

} // namespace sampledata
