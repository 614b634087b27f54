// quillmarsh-lookup: the offline licence records for scripts and other programs.
#include "lookup/LookupCommand.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream in(stdin), out(stdout), err(stderr);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quillmarsh");
    return runLookupCommand(app.arguments().mid(1), data, in, out, err);
}
