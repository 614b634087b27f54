#pragma once
// The import run without windows: the database check of a data folder laid out like the
// program's own (AMAT/, GMRS/, CADN/amateur.txt, FCCdata.db and postal.db created there),
// every source whose load has not completed (or whose table is empty) imported by the import
// engine on the calling thread, one report line per import and a total. Used by the
// quillmarsh-import tool, so that a script can refresh the data.
// Collaborators: runCheckDatabases (the seven steps), ImportEngine, ImportReport.

#include <QString>
#include <QTextStream>

struct ImportResult;

// Exit status: 0 when every import succeeded, 1 when one failed, 2 when the folder, a database
// or a schema script could not be used (nothing imported after that point).
int runHeadlessImport(const QString& dataDir, QTextStream& out, QTextStream& err);

// The report line of one import.
QString importReportLine(const ImportResult& result);
