#pragma once
// The kinds of import and the request that CheckDatabases hands to whoever runs an import
// (the import window in the program, the engine directly in the headless importer and tests).

#include <QString>
#include <functional>

enum class TDataType { AMT_EN, AMT_HD, AMT_AM, CDN, ZIP, GMRS_EN, GMRS_HD, GMRS_AM };

QString dataTypeName(TDataType kind);
// The table a kind fills, and the service its rows belong to ("AMAT", "GMRS"; empty for the
// Canadian list and the zip table).
QString dataTypeTable(TDataType kind);
QString dataTypeService(TDataType kind);
// Where a licence source lies under the data folder ("AMAT/EN.dat"); empty for the zip list,
// which ships with the program.
QString dataTypeSourceFile(TDataType kind);

struct ImportJob {
    TDataType kind = TDataType::ZIP;
    QString sourceFile;        // the file to read
    QString databaseFile;      // the database to write (its own connection is opened for the import)
    QString zipDatabaseFile;   // postal.db, read for counties by the entity imports
};

// Runs one import to its end (success or failure); CheckDatabases goes on afterwards whatever happened.
using ImportStep = std::function<void(const ImportJob&)>;
