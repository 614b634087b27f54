// make-sample-data OUT_DIR [--scale full|small] [--seed N] [--zips FILE] [--no-archives]
//                  [--daily DAYS [--missing-day DAY]]
// Writes a realistic licence data set (see SampleGenerator.h) and prints what it wrote.

#include "SampleGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

#include <exception>

using namespace sampledata;

namespace {

QString findZipTable(const QString& given)
{
    if (!given.isEmpty())
        return given;
    const QString name = QStringLiteral("postal_update.csv");
    const QStringList places = {name, QCoreApplication::applicationDirPath() + QStringLiteral("/dist/") + name};
    for (const QString& place : places)
        if (QFileInfo::exists(place))
            return place;
    throw std::runtime_error("postal_update.csv not found in the current directory or in "
                             + (QCoreApplication::applicationDirPath() + QStringLiteral("/dist/")).toStdString()
                             + " (use --zips FILE)");
}

int usage(QTextStream& err)
{
    err << "usage: make-sample-data OUT_DIR [--scale full|small] [--seed N] [--zips postal_update.csv] "
           "[--no-archives] [--daily DAYS [--missing-day DAY]]\n";
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments().mid(1);
    SampleOptions options;
    QString zips;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--scale") && hasValue) {
            const QString v = args[++i];
            if (v != QLatin1String("full") && v != QLatin1String("small"))
                return usage(err);
            options.scale = v == QLatin1String("full") ? Scale::Full : Scale::Small;
        } else if (a == QLatin1String("--seed") && hasValue) {
            bool ok = false;
            options.seed = args[++i].toULongLong(&ok);
            if (!ok)
                return usage(err);
        } else if (a == QLatin1String("--zips") && hasValue) {
            zips = args[++i];
        } else if ((a == QLatin1String("--daily") || a == QLatin1String("--missing-day")) && hasValue) {
            bool ok = false;
            const int n = args[++i].toInt(&ok);
            if (!ok || n < 0 || n > 5)
                return usage(err);
            (a == QLatin1String("--daily") ? options.dailyDays : options.missingDay) = n;
        } else if (a == QLatin1String("--no-archives")) {
            options.archives = false;
        } else if (a.startsWith(u'-') || !options.outDir.isEmpty()) {
            return usage(err);
        } else {
            options.outDir = a;
        }
    }
    if (options.outDir.isEmpty())
        return usage(err);

    try {
        options.zipTable = findZipTable(zips);
        QElapsedTimer timer;
        timer.start();
        const SampleSummary s = generateSampleData(options);
        const ServiceSummary& am = s.uls.amateur;
        const ServiceSummary& gm = s.uls.gmrs;
        out << "amateur: " << am.licences << " licences (" << am.active << " active, " << am.clubs << " clubs, "
            << am.previousCalls << " previous calls); lines EN " << am.enLines << ", HD " << am.hdLines << ", AM "
            << am.amLines << "\n";
        out << "GMRS: " << gm.licences << " licences (" << gm.active << " active, " << gm.sharedFrns
            << " sharing an FRN with an amateur licence); lines EN " << gm.enLines << ", HD " << gm.hdLines << "\n";
        out << "Canada: " << s.canada.records << " records (" << s.canada.clubs << " clubs), " << s.canada.lines
            << " lines\n";
        out << "look-up calls: " << s.uls.lookupCalls << "\n";
        if (!s.dailyArchives.isEmpty())
            out << "daily archives: " << s.dailyArchives.join(QStringLiteral(", ")) << " (the state they lead to in daily/end)\n";
        out << "written to " << QFileInfo(options.outDir).absoluteFilePath() << " in "
            << QString::number(double(timer.elapsed()) / 1000.0, 'f', 1) << " s\n";
    } catch (const std::exception& e) {
        err << "make-sample-data: " << QString::fromLocal8Bit(e.what()) << "\n";
        return 1;
    }
    return 0;
}
