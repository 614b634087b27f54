// bench_lookup FCCdata.db calls.txt [--count N] [--prefix P%] [--repeat R]
// Times the main window's call sign look-ups on a filled licence database, through the licence
// queries the window calls: the exact amateur look-up for N calls drawn from the
// list (median and 95th percentile, microseconds), and the wildcard listing (median over R runs,
// milliseconds) of K% (a third of all calls), W1A% (a few hundred) and --prefix when given.
// Prints figures only; not part of ctest.

#include "Percentile.h"
#include "bench/FixedShuffle.h"
#include "core/Database.h"
#include "core/Query.h"
#include "licence/LicenceQueries.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstdint>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        err << "usage: bench_lookup FCCdata.db calls.txt [--count N] [--prefix W1A%] [--repeat R]\n";
        return 2;
    }
    int count = 3000, repeat = 21;
    QStringList patterns{QStringLiteral("K%"), QStringLiteral("W1A%")};
    for (int i = 3; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--count"))
            count = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--prefix"))
            patterns.removeAll(args[i + 1]), patterns << args[i + 1];
        else if (args[i] == QLatin1String("--repeat"))
            repeat = args[i + 1].toInt();
    }

    QFile list(args[2]);
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "cannot read " << args[2] << "\n";
        return 1;
    }
    QStringList calls = QString::fromLatin1(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (calls.isEmpty()) {
        err << "no calls in " << args[2] << "\n";
        return 1;
    }
    fixedShuffle(calls);

    try {
        Database db;
        db.open(args[1]);
        LicenceLookup lookup(db);
        // Warm the page cache the way a running program has it; the first look-up after start
        // is reported separately.
        QElapsedTimer t;
        t.start();
        lookup.us(LicenceService::Amateur, calls.first());
        const double firstUs = double(t.nsecsElapsed()) / 1000.0;
        for (int i = 0; i < std::min<qsizetype>(200, calls.size()); ++i)
            lookup.us(LicenceService::Amateur, calls[i]);

        std::vector<double> exact;
        exact.reserve(std::size_t(count));
        int one = 0, none = 0;
        for (int i = 0; i < count; ++i) {
            const QString& call = calls[i % calls.size()];
            t.restart();
            const bool found = lookup.us(LicenceService::Amateur, call).found();
            exact.push_back(double(t.nsecsElapsed()) / 1000.0);
            (found ? one : none)++;
        }

        out << "exact look-up: " << count << " calls (" << one << " found, " << none << " none); median " << QString::number(percentile(exact, 0.5), 'f', 1) << " us, p95 "
            << QString::number(percentile(exact, 0.95), 'f', 1) << " us, first (cold) "
            << QString::number(firstUs, 'f', 1) << " us\n";
        out << "exact_median_us=" << QString::number(percentile(exact, 0.5), 'f', 1)
            << " exact_p95_us=" << QString::number(percentile(exact, 0.95), 'f', 1) << " found_one=" << one << "\n";
        out.flush();

        for (const QString& pattern : std::as_const(patterns)) {
            std::vector<double> wildcard;
            int listed = 0;
            for (int r = 0; r < repeat; ++r) {
                t.restart();
                listed = int(matchingCallSigns(db, LicenceService::Amateur, pattern).size());
                wildcard.push_back(double(t.nsecsElapsed()) / 1e6);
            }
            out << "wildcard " << pattern << ": " << listed << " calls; median "
                << QString::number(percentile(wildcard, 0.5), 'f', 2) << " ms over " << repeat << " runs, max "
                << QString::number(percentile(wildcard, 1.0), 'f', 2) << " ms\n";
            out << "wildcard_pattern=" << pattern << " wildcard_median_ms=" << QString::number(percentile(wildcard, 0.5), 'f', 2)
                << " wildcard_rows=" << listed << "\n";
            out.flush();
        }
    } catch (const DatabaseError& e) {
        err << "bench_lookup: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
