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

// Applies daily archives (or their extracted folders) to the licence database of the data folder
// by the rules of the daily changes, printing what was applied and why anything was not. Returns
// 0 when all went in (or nothing was new), 1 when anything was refused or a chain has a gap, 2
// when the data folder or its databases cannot be used.
int runHeadlessDailyImport(const QString& dataDir, const QStringList& inputs, QTextStream& out, QTextStream& err);

