// bench_batch FCCdata.db postal.db [--count N] [--runs R]
// Times the batch conversion on filled databases: N call signs (default 100,000) drawn from the
// licence database, a mix of active amateur, expired amateur, GMRS and unknown calls, written to
// a text file and converted to CSV.
//   - baseline: the look-ups alone (the prepared statements stepped, nothing formatted or written);
//   - conversion: the whole run of convertBatchFile (read, convert, write, rename);
//   - on a worker: the same run through BatchRunner while this thread spins an event loop with a
//     10 ms timer; the longest gap between two ticks shows whether a window would stay responsive.
// Medians over R runs (default 5). Prints figures only; not part of ctest.

#include "batch/BatchConversion.h"
#include "batch/BatchRunner.h"
#include "bench/FixedShuffle.h"
#include "core/Database.h"
#include "licence/LicenceQueries.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Every k-th call of a kind, k chosen so that about `want` come back.
QStringList sample(Database& db, const QString& where, int want) {
    const qint64 all = db.scalar(QStringLiteral("select count(*) from fcc_en join fcc_hd using (unique_system_identifier) where ") + where)
                           .toLongLong();
    const qint64 step = std::max<qint64>(1, all / std::max(1, want));
    Statement st(db, QStringLiteral("select call_sign from fcc_en join fcc_hd using (unique_system_identifier) where ") + where +
                         QStringLiteral(" and fcc_en.rowid % ?1 = 0 limit ?2"));
    st.bind(1, step);
    st.bind(2, qint64(want));
    QStringList calls;
    while (st.step())
        calls << st.text(0);
    return calls;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        err << "usage: bench_batch FCCdata.db postal.db [--count N] [--runs R]\n";
        return 2;
    }
    int count = 100000, runs = 5;
    for (int i = 3; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--count"))
            count = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
    }

    Database condb, zipdb;
    condb.openReadOnly(args[1]);
    zipdb.openReadOnly(args[2]);
    const int active = count * 6 / 10, expired = count * 15 / 100, gmrs = count * 15 / 100;
    QStringList calls = sample(condb, QStringLiteral("license_status='A' and service='AMAT'"), active);
    calls += sample(condb, QStringLiteral("license_status<>'A' and service='AMAT'"), expired);
    calls += sample(condb, QStringLiteral("service='GMRS'"), gmrs);
    for (int i = 0; calls.size() < count; ++i)
        calls << QStringLiteral("KZ%1Q").arg(i);   // no such call signs
    fixedShuffle(calls);

    QTemporaryDir dir;
    BatchJob job;
    job.inputFile = dir.filePath(QStringLiteral("calls.txt"));
    job.outputFile = dir.filePath(QStringLiteral("calls.csv"));
    job.licenceDatabase = args[1];
    job.zipDatabase = args[2];
    {
        QFile f(job.inputFile);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(calls.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    }
    out << "calls " << calls.size() << " (active " << active << ", expired " << expired << ", GMRS " << gmrs << ", rest unknown)\n";

    std::vector<double> lookups, whole, worker, gaps;
    qint64 found = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        {
            // A fresh connection each time, as a conversion opens its own.
            Database fresh;
            fresh.openReadOnly(args[1]);
            fresh.exec(QStringLiteral("PRAGMA mmap_size=4294967296"));
            TransactionGuard snapshot(fresh);
            PreparedAmateurLookup lookup(fresh, zipdb);
            found = 0;
            for (const QString& c : std::as_const(calls))
                found += lookup.find(c) ? 1 : 0;
            lookups.push_back(t.nsecsElapsed() / 1e6);
        }

        std::atomic_bool cancel{false};
        t.restart();
        const BatchResult result = convertBatchFile(job, {}, cancel);
        whole.push_back(t.nsecsElapsed() / 1e6);
        if (!result.ok) {
            err << "conversion failed: " << result.error << "\n";
            return 1;
        }

        BatchRunner runner;
        QEventLoop loop;
        QElapsedTimer sinceTick;
        double longest = 0;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        QObject::connect(&runner, &BatchRunner::finished, &loop, &QEventLoop::quit);
        t.restart();
        sinceTick.start();
        tick.start();
        runner.start(job);
        loop.exec();
        worker.push_back(t.nsecsElapsed() / 1e6);
        gaps.push_back(longest);
    }
    QFile result(job.outputFile);
    qint64 written = 0;
    if (result.open(QIODevice::ReadOnly))
        written = result.readAll().count("\r\n");

    out << "licences found " << found << ", output lines " << written << " (header included)\n";
    out << "baseline, look-ups only:      median " << median(lookups) << " ms\n";
    out << "conversion, whole file:       median " << median(whole) << " ms  (" << median(whole) / median(lookups)
        << " x baseline; target 3000 ms)\n";
    out << "conversion on the worker:     median " << median(worker) << " ms\n";
    out << "longest gap of a 10 ms timer on the window thread meanwhile: median " << median(gaps) << " ms\n";
    return 0;
}
