#pragma once
// TableIndexes: a table's own indexes, dropped before a bulk load and built again after it in
// the same transaction (inserting into seven indexes row by row costs far more than sorting
// once). When another load into the same table follows at once (the amateur file before the
// GMRS one), the build is left to that load: the definitions wait in a small table of the same
// database, written in the loading transaction, so a rollback or a crash never loses them.
// Collaborators: ImportEngine (drives it), Database, CheckDatabases' callers (settlePendingIndexes).

#include "core/Database.h"

#include <QString>
#include <functional>
#include <vector>

struct TableIndex {
    QString name;
    QString sql;
};

namespace tableindexes {

// The indexes of the table that can be rebuilt from their SQL (not those of constraints).
std::vector<TableIndex> live(Database& db, const QString& table);
// Indexes of the table whose build an earlier load left to a later one.
std::vector<TableIndex> pending(Database& db, const QString& table);

void drop(Database& db, const std::vector<TableIndex>& indexes);
// Records the indexes as pending, in the caller's transaction.
void leavePending(Database& db, const QString& table, const std::vector<TableIndex>& indexes);
// Creates the indexes and forgets the table's pending ones, in the caller's transaction.
// `stop` is asked between two indexes; when it answers true, build throws its exception.
void build(Database& db, const QString& table, const std::vector<TableIndex>& indexes, const std::function<void()>& stop);

} // namespace tableindexes

// Builds every pending index of the database in its own transaction; nothing to do in the usual
// case. Run at the end of the database check, and after a load that left indexes pending fails.
// `stop` is asked before each index; what it throws rolls the build back and leaves the indexes
// pending, so that the next database check builds them.
void settlePendingIndexes(Database& db, const QString& table = QString(), const std::function<void()>& stop = {});
// The number of indexes waiting to be built (0 in the usual case).
int pendingIndexCount(Database& db);
