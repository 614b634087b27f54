#include "data/HeadlessImport.h"

#include "core/Database.h"
#include "core/SchemaCheck.h"
#include "core/ZipCodes.h"
#include "data/DailyChanges.h"
#include "data/ImportEngine.h"
#include "data/RecordParsers.h"
#include "data/ImportReport.h"
#include "data/TableIndexes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <exception>

QString importReportLine(const ImportResult& r) {
    QString line = QStringLiteral("%1  %2  lines %3  rows %4  skipped %5  %6 s")
                       .arg(dataTypeName(r.kind).leftJustified(7), r.file)
                       .arg(r.lines)
                       .arg(r.rows)
                       .arg(r.skipped)
                       .arg(r.seconds, 0, 'f', 2);
    if (!r.ok)
        line += QStringLiteral("  FAILED%1: %2")
                    .arg(r.errorLine > 0 ? QStringLiteral(" at line %1").arg(r.errorLine) : QString(), r.error);
    return line;
}

int runHeadlessImport(const QString& dataDir, QTextStream& out, QTextStream& err) {
    const QFileInfo dir(dataDir);
    if (!dir.isDir()) {
        err << "quillmarsh-import: \"" << dataDir << "\" is not a folder\n";
        return 2;
    }
    const QString base = QDir(dir.absoluteFilePath()).absolutePath() + QLatin1Char('/');

    QElapsedTimer timer;
    timer.start();
    ImportReport report;
    try {
        Database condb, zipdb;
        condb.open(base + QStringLiteral("FCCdata.db"));
        zipdb.open(base + QStringLiteral("postal.db"));
        SchemaCheckPaths paths;
        paths.appDataPath = base;
        runCheckDatabases(condb, zipdb, paths, [&](const ImportJob& job) {
            ImportEngine engine(job);
            const ImportResult r = engine.run();
            report.add(r);
            out << importReportLine(r) << '\n';
            for (const QString& note : r.noteLines())
                err << "  " << note << '\n';
            out.flush();
            err.flush();
        });
        // Indexes left for a load that did not come (a crash between the amateur and GMRS files).
        settlePendingIndexes(condb);
    } catch (const DatabaseError& e) {
        err << "quillmarsh-import: " << e.message() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "quillmarsh-import: " << QString::fromUtf8(e.what()) << '\n';
        return 2;
    }
    out << QStringLiteral("total    %1 imports  lines %2  rows %3  skipped %4  %5 s%6")
               .arg(report.results.size())
               .arg(report.lines())
               .arg(report.rows())
               .arg(report.skipped())
               .arg(double(timer.nsecsElapsed()) / 1e9, 0, 'f', 2)
               .arg(report.failures() ? QStringLiteral("  %1 FAILED").arg(report.failures()) : QString())
        << '\n';
    out.flush();
    return report.failures() ? 1 : 0;
}

int runHeadlessDailyImport(const QString& dataDir, const QStringList& inputs, QTextStream& out, QTextStream& err) {
    const QFileInfo dir(dataDir);
    const QString base = QDir(dir.absoluteFilePath()).absolutePath() + QLatin1Char('/');
    const QString licences = base + QStringLiteral("FCCdata.db");
    if (!dir.isDir() || !QFileInfo(licences).isFile()) {
        err << "quillmarsh-import: \"" << dataDir << "\" holds no licence database; load the weekly data first\n";
        return 2;
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        err << "quillmarsh-import: no temporary folder for unpacking: " << work.errorString() << '\n';
        return 2;
    }
    try {
        Database condb;
        condb.open(licences);
        if (!condb.tableExists(QStringLiteral("FCC_EN"))) {
            err << "quillmarsh-import: " << licences << " holds no licence tables; load the weekly data first\n";
            return 2;
        }
        CountyTable counties;
        if (QFileInfo(base + QStringLiteral("postal.db")).isFile()) {
            Database zipdb;
            zipdb.openReadOnly(base + QStringLiteral("postal.db"));
            if (zipTableExists(zipdb))
                counties.load(zipdb);
        }
        QList<DailyInput> prepared;
        for (const QString& input : inputs)
            prepared << prepareDailyInput(input, work.path());
        const DailyRunReport report = applyDailyInputs(condb, counties, prepared);
        for (const QString& line : report.lines)
            out << line << '\n';
        const QString standing = licenceDataText(condb);
        if (!standing.isEmpty())
            out << standing << '\n';
        out.flush();
        return report.refused ? 1 : 0;
    } catch (const DatabaseError& e) {
        err << "quillmarsh-import: " << e.message() << '\n';
    } catch (const std::exception& e) {
        err << "quillmarsh-import: " << QString::fromUtf8(e.what()) << '\n';
    }
    return 2;
}
