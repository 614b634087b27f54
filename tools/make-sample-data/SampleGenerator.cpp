#include "SampleGenerator.h"

#include "ArchiveWriter.h"
#include "DailyWriter.h"
#include "TextOut.h"
#include "ZipTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <thread>

namespace sampledata {

std::int64_t sampleToday()
{
    return daysFromCivil(2026, 4, 17);
}

SampleSummary generateSampleData(const SampleOptions& options)
{
    const QString out = QDir(options.outDir).absolutePath();
    if (!QDir().mkpath(out))
        throw std::runtime_error("cannot create " + out.toStdString());
    const ZipTable zips(options.zipTable);
    const bool full = options.scale == Scale::Full;

    UlsSizes sizes;
    sizes.amateur = full ? 1560000 : 400;
    sizes.gmrs = full ? 600000 : 200;
    sizes.lookupCalls = full ? 3000 : 100;
    const QString amat = out + QStringLiteral("/AMAT"), gmrs = out + QStringLiteral("/GMRS"),
                  cadn = out + QStringLiteral("/CADN");
    SampleSummary summary;
    summary.uls = UlsWriter(zips, options.seed, sampleToday())
                      .write(amat, gmrs, out + QStringLiteral("/calls.txt"), sizes);
    QDir().mkpath(cadn);
    summary.canada = CanadianWriter(zips, options.seed, sampleToday())
                         .write(cadn + QStringLiteral("/amateur.txt"), full ? 91557 : 200);

    // The real ULS archives carry a "counts" member; the program takes its presence as the sign
    // that an archive was unpacked.
    auto writeCounts = [](const QString& dir, const QStringList& names) {
        QFile f(dir + QStringLiteral("/counts"));
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write " + f.fileName().toStdString());
        QByteArray text = countsFirstLine(weeklyCreationDate()) + "\r\n";
        for (const QString& n : names)
            text += QByteArray::number(QFileInfo(dir + u'/' + n).size()) + " bytes " + n.toLatin1() + "\r\n";
        f.write(text);
    };
    writeCounts(amat, {QStringLiteral("AM.dat"), QStringLiteral("EN.dat"), QStringLiteral("HD.dat")});
    writeCounts(gmrs, {QStringLiteral("EN.dat"), QStringLiteral("HD.dat")});

    if (options.dailyDays > 0) {
        DailyOptions daily;
        daily.days = options.dailyDays;
        daily.missingDay = options.missingDay;
        daily.licencesPerDay = full ? 2000 : 12;
        summary.dailyArchives = writeDailySequence(out, daily, options.seed).archives;
    }
    if (!options.archives)
        return summary;
    const std::time_t stamp = std::time_t(sampleToday() * 86400);
    auto member = [](const QString& dir, const QString& name) { return ArchiveMember {name, dir + u'/' + name}; };
    // The amateur archive is the largest; compress it beside the other two (libzip handles are
    // independent, and an exception must not escape the thread).
    std::string amateurError;
    std::thread amateurThread([&] {
        try {
            writeZipArchive(out + QStringLiteral("/l_amat.zip"),
                            {member(amat, QStringLiteral("AM.dat")), member(amat, QStringLiteral("EN.dat")),
                             member(amat, QStringLiteral("HD.dat")), member(amat, QStringLiteral("counts"))},
                            stamp);
        } catch (const std::exception& e) {
            amateurError = e.what();
        }
    });
    try {
        writeZipArchive(out + QStringLiteral("/l_gmrs.zip"),
                        {member(gmrs, QStringLiteral("EN.dat")), member(gmrs, QStringLiteral("HD.dat")),
                         member(gmrs, QStringLiteral("counts"))},
                        stamp);
        writeZipArchive(out + QStringLiteral("/amateur.zip"), {member(cadn, QStringLiteral("amateur.txt"))}, stamp);
    } catch (...) {
        amateurThread.join();
        throw;
    }
    amateurThread.join();
    if (!amateurError.empty())
        throw std::runtime_error(amateurError);
    return summary;
}

} // namespace sampledata
