#pragma once
// quillmarsh-lookup CALL… [--json|--csv] [--data DIR]: each call's record printed as a JSON line
// in the HamDB layout (or as CSV with the batch file's header), the data folder read only. "-"
// reads calls from standard input, one per line. Exit status: 0 all found, 1 any not found, 2 a
// missing or damaged database or a wrong command line.
// Collaborators: CallLookup, batchHeader (core/CsvFile), the tool's main().

#include <QStringList>
#include <QTextStream>

// `args` without the program name; `defaultData` is the program's data folder.
int runLookupCommand(const QStringList& args, const QString& defaultData, QTextStream& in, QTextStream& out, QTextStream& err);
