// Applying one day of FCC licence changes to a full-scale licence database, from the download of
// its archive off 127.0.0.1 to the commit, while another thread keeps looking up calls on its own
// connection (as the window would). Each run first sets the amateur data back to its weekly date,
// so that the same day applies again.
// usage: bench_daily DATA_DIR DAY_ARCHIVE [RUNS]   (DATA_DIR holds FCCdata.db, postal.db, calls.txt)
#include "Percentile.h"
#include "core/Database.h"
#include "core/ZipCodes.h"
#include "data/DailyChanges.h"
#include "data/Downloader.h"
#include "data/RecordParsers.h"
#include "licence/LicenceQueries.h"
#include "tests/support/TestHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        err << "usage: bench_daily DATA_DIR DAY_ARCHIVE [RUNS]\n";
        return 2;
    }
    const QString data = args[1] + QLatin1Char('/');
    const int runs = args.size() > 3 ? args[3].toInt() : 5;
    QFile archive(args[2]);
    if (!archive.open(QIODevice::ReadOnly)) {
        err << "cannot read " << args[2] << "\n";
        return 2;
    }
    TestHttpServer server;
    server.route("/day.zip", Route::answer(200, "OK", archive.readAll()));
    QFile callFile(data + QStringLiteral("calls.txt"));
    QStringList calls;
    if (callFile.open(QIODevice::ReadOnly))
        calls = QString::fromLatin1(callFile.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (QString& c : calls)
        c = c.trimmed();
    if (calls.isEmpty()) {
        err << "no calls in " << data << "calls.txt\n";
        return 2;
    }
    try {
        CountyTable counties;
        {
            Database zipdb;
            zipdb.openReadOnly(data + QStringLiteral("postal.db"));
            counties.load(zipdb);
        }
        Database condb;
        condb.open(data + QStringLiteral("FCCdata.db"));
        const QDate weekly = serviceStanding(condb, DailyService::Amateur).weekly;
        if (!weekly.isValid()) {
            err << "the amateur data has no weekly date; import a set written by make-sample-data\n";
            return 2;
        }
        std::vector<double> totals, lookups;
        int licences = 0;
        for (int run = 0; run < runs; ++run) {
            condb.beginTransaction();
            recordWeeklyLoad(condb, DailyService::Amateur, weekly);
            condb.commit();

            std::atomic_bool applying{true};
            std::vector<double> during;
            std::thread reader([&] {
                Database own;
                own.openReadOnly(data + QStringLiteral("FCCdata.db"));
                LicenceLookup lookup(own);
                QElapsedTimer t;
                for (int i = 0; applying; ++i) {
                    t.start();
                    lookup.us(LicenceService::Amateur, calls[i % calls.size()]);
                    during.push_back(double(t.nsecsElapsed()) / 1e6);
                }
            });
            QElapsedTimer timer;
            timer.start();
            QTemporaryDir work;
            Downloader d;
            QEventLoop loop;
            bool ok = false;
            QObject::connect(&d, &Downloader::finished, &loop, [&](bool done, const QString&) {
                ok = done;
                loop.quit();
            });
            d.start(server.url("/day.zip"), work.filePath(QStringLiteral("l_am_mon.zip")));
            loop.exec();
            DailyRunReport report;
            if (ok) {
                const DailyInput in = prepareDailyInput(work.filePath(QStringLiteral("l_am_mon.zip")), work.path());
                report = applyDailyInputs(condb, counties, {in});
            }
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            applying = false;
            reader.join();
            if (!ok || report.applied != 1) {
                err << "run " << run << " did not apply: " << report.lines.join(QStringLiteral("; ")) << "\n";
                return 1;
            }
            licences = int(report.lines.first().section(QStringLiteral(", "), -1).section(u' ', 0, 0).toInt());
            totals.push_back(ms);
            lookups.insert(lookups.end(), during.begin(), during.end());
            out << "run " << run + 1 << ": " << QString::number(ms, 'f', 0) << " ms, " << during.size() << " look-ups meanwhile\n";
            out.flush();
        }
        out << "one day (" << licences << " licences), download to commit: median " << QString::number(percentile(totals, 0.5), 'f', 0)
            << " ms, max " << QString::number(percentile(totals, 1.0), 'f', 0) << " ms over " << runs << " runs\n";
        out << "look-ups during it: " << lookups.size() << ", median " << QString::number(percentile(lookups, 0.5), 'f', 3)
            << " ms, p99 " << QString::number(percentile(lookups, 0.99), 'f', 3) << " ms, max "
            << QString::number(percentile(lookups, 1.0), 'f', 1) << " ms\n";
    } catch (const std::exception& e) {
        err << "bench_daily: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
