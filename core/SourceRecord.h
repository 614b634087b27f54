#pragma once
// Which sources a database holds completely. Amateur and GMRS rows share FCC_EN and FCC_HD, so a
// filled table says nothing about whether each of its files went in; every load therefore notes
// its source (kind, table, service, rows) in a small table of the same database, in the same
// transaction as its rows, and the database check imports every source not noted. Data loaded
// before the notes were kept is adopted once from what the tables hold.
// Collaborators: ImportEngine (notes a load), runCheckDatabases (asks what is due), the update
// sequence (compares the sources of a new database with those of the one in use).

#include "core/Database.h"
#include "core/ImportTypes.h"

#include <QList>
#include <QString>

namespace sourcerecord {

// The sources whose rows go into FCCdata.db, in the order the database check imports them.
QList<TDataType> licenceSources();

// Notes the source as complete with its row count; run inside the loading transaction.
void markComplete(Database& db, TDataType kind, qint64 rows);
bool isComplete(Database& db, TDataType kind);

// Notes every source the tables already hold, when the database has no notes yet (its data came
// from an earlier version of the program). Nothing to do once the notes exist.
void adoptLoadedTables(Database& db);

// Rows of the source in the database: the noted count, or, for data without notes, the rows the
// tables hold for it (for FCC_HD, those whose licence has an entity row of that service).
qint64 sourceRows(Database& db, TDataType kind);

} // namespace sourcerecord
