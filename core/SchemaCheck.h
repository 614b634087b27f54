#pragma once
// The database check run at start-up and after Update Data: creates missing tables from the
// shipped scripts and fills every empty table through the given import step, zip table first,
// entity records last (the entity import looks counties up in the zip table).
// Collaborators: Database (the two connections), ImportStep (the import window or the engine).

#include "core/Database.h"
#include "core/ImportTypes.h"

#include <functional>

struct SchemaCheckPaths {
    QString appDataPath;        // with trailing '/'
    QString zipSourceFile;      // empty: the shipped postal_update.csv
};

// Runs the script file on the connection as one batch; throws naming the file on failure.
void runSchemaScript(Database& db, const QString& scriptName);

// The seven steps in order. Throws on a script or count failure (later steps do not run).
void runCheckDatabases(Database& condb, Database& zipdb, const SchemaCheckPaths& paths, const ImportStep& import);

// Creates the zip table when missing; used before the state list is read at start-up.
void ensureZipTable(Database& zipdb);

// Databases made before the call-sign index carried the service and the identifier get the wider
// index once (a few seconds on a full database). Run after pending index builds are settled.
void upgradeCallSignIndex(Database& condb);
