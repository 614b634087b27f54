#include "lookup/LookupCommand.h"

#include "core/CsvFile.h"
#include "core/Version.h"
#include "lookup/CallLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const char kUsage[] =
    "Usage: quillmarsh-lookup [--json|--csv] [--data DIR] CALL...\n"
    "Prints the licence record of each CALL from the offline data (US amateur, then GMRS, then\n"
    "Canadian), as one JSON line each in the HamDB layout (the default) or as CSV with a header.\n"
    "A CALL of - reads call signs from standard input, one per line.\n"
    "\n"
    "  --json      one JSON object per line (the default)\n"
    "  --csv       the batch conversion's columns, with their header\n"
    "  --data DIR  the data folder (default: the program's, ~/.local/share/Quillmarsh)\n"
    "  --help      this text\n"
    "  --version   the program's version\n"
    "\n"
    "Exit status: 0 when every call was found, 1 when one was not, 2 when the data cannot be read.\n";

} // namespace

int runLookupCommand(const QStringList& args, const QString& defaultData, QTextStream& in, QTextStream& out, QTextStream& err) {
    bool csv = false;
    QString data = defaultData;
    QStringList calls;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help")) {
            out << kUsage;
            return 0;
        }
        if (a == QLatin1String("--version")) {
            out << "quillmarsh-lookup " << QM_VERSION_TEXT << '\n';
            return 0;
        }
        if (a == QLatin1String("--json") || a == QLatin1String("--csv")) {
            csv = a == QLatin1String("--csv");
        } else if (a == QLatin1String("--data")) {
            if (++i >= args.size()) {
                err << "quillmarsh-lookup: --data needs a folder\n" << kUsage;
                return 2;
            }
            data = args[i];
        } else if (a.startsWith(QLatin1String("--data="))) {
            data = a.mid(7);
        } else if (a == QLatin1String("-")) {
            QString line;
            while (in.readLineInto(&line))
                if (!line.trimmed().isEmpty())
                    calls << line.trimmed();
        } else if (a.startsWith(QLatin1Char('-'))) {
            err << "quillmarsh-lookup: unknown option " << a << '\n' << kUsage;
            return 2;
        } else {
            calls << a;
        }
    }
    if (calls.isEmpty()) {
        err << kUsage;
        return 2;
    }
    const QString base = QDir(data).absolutePath() + QLatin1Char('/');
    const QString licences = base + QStringLiteral("FCCdata.db"), zips = base + QStringLiteral("postal.db");
    if (!QFileInfo(licences).isFile() || !QFileInfo(zips).isFile()) {
        err << "quillmarsh-lookup: no licence data in " << QDir::toNativeSeparators(base)
            << " (FCCdata.db and postal.db); start the program once, or give the folder with --data\n";
        return 2;
    }
    int missing = 0;
    try {
        Database condb, zipdb;
        condb.openReadOnly(licences);
        zipdb.openReadOnly(zips);
        CallLookup lookup(condb, zipdb);
        if (csv)
            out << batchHeader() << '\n';
        for (const QString& call : calls) {
            // Never a wildcard: a call is a few letters, digits and slashes.
            static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/]{1,16}$"));
            HamDbRecord r;
            if (plain.match(call).hasMatch())
                r = lookup.find(call);
            if (!r.found)
                ++missing;
            if (csv) {
                if (r.found)
                    out << hamDbCsvLine(r) << '\n';
                else
                    err << "quillmarsh-lookup: " << call << ": not found\n";
            } else {
                out << QString::fromUtf8(hamDbJson(r)) << '\n';
            }
        }
    } catch (const DatabaseError& e) {
        out.flush();
        err << "quillmarsh-lookup: the licence data in " << QDir::toNativeSeparators(base) << " cannot be read: " << e.message() << '\n';
        return 2;
    } catch (const std::exception& e) {
        out.flush();
        err << "quillmarsh-lookup: the licence data cannot be read: " << QString::fromUtf8(e.what()) << '\n';
        return 2;
    }
    return missing > 0 ? 1 : 0;
}
