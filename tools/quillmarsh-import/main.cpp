// quillmarsh-import DATA_DIR: imports every source of the data folder that has not been loaded
// completely (or whose table is empty) from the extracted files, as the program does at
// start-up, without windows. With --daily, applies daily change archives to it.

#include "core/Version.h"
#include "data/HeadlessImport.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: quillmarsh-import DATA_DIR\n"
    "       quillmarsh-import DATA_DIR --daily ARCHIVE_OR_FOLDER...\n"
    "Creates FCCdata.db and postal.db in DATA_DIR when missing and imports every source not yet loaded from\n"
    "DATA_DIR/AMAT, DATA_DIR/GMRS, DATA_DIR/CADN/amateur.txt and the shipped postal_update.csv.\n"
    "With --daily, applies the FCC's daily archives (l_am_DAY.zip, l_gm_DAY.zip) or their extracted\n"
    "folders to the licences loaded in DATA_DIR, in date order from where each service stands.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "Exit status: 0 done, 1 an import failed or a daily archive was refused, 2 the command line or the\n"
    "data folder is wrong.\n";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QLatin1String("--help"))) {
        out << kUsage;
        return 0;
    }
    if (args.contains(QLatin1String("--version"))) {
        out << "quillmarsh-import " << QM_VERSION_TEXT << '\n';
        return 0;
    }
    if (args.size() >= 4 && args.at(2) == QLatin1String("--daily") && !args.at(1).startsWith(QLatin1Char('-')))
        return runHeadlessDailyImport(args.at(1), args.mid(3), out, err);
    if (args.size() != 2 || args.at(1).startsWith(QLatin1Char('-'))) {
        err << kUsage;
        return 2;
    }
    return runHeadlessImport(args.at(1), out, err);
}
