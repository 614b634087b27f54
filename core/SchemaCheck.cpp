#include "core/SchemaCheck.h"

#include "core/Paths.h"
#include "core/SourceRecord.h"
#include "core/ZipCodes.h"

#include <stdexcept>

void runSchemaScript(Database& db, const QString& scriptName) {
    const QString file = findShippedFile(scriptName);
    const QString sql = readTextFile(file);
    try {
        db.exec(sql);
    } catch (const DatabaseError& e) {
        throw DatabaseError(QStringLiteral("The script \"%1\" failed: %2").arg(file, e.message()));
    }
}

void ensureZipTable(Database& zipdb) {
    if (!zipTableExists(zipdb)) {
        runSchemaScript(zipdb, QStringLiteral("postal.sql"));
        zipdb.close();
        zipdb.open();
    }
}

namespace {

qint64 countRows(Database& db, const QString& table) {
    return db.scalar(QStringLiteral("select count(1) from %1").arg(table)).toLongLong();
}

} // namespace

void runCheckDatabases(Database& condb, Database& zipdb, const SchemaCheckPaths& paths, const ImportStep& import) {
    if (!condb.tableExists(QStringLiteral("canada"))) {
        runSchemaScript(condb, QStringLiteral("fcc.sql"));
        condb.close();
        condb.open();
    }
    ensureZipTable(zipdb);
    sourcerecord::adoptLoadedTables(zipdb);
    sourcerecord::adoptLoadedTables(condb);

    auto job = [&](TDataType kind, const QString& source, Database& target) {
        ImportJob j;
        j.kind = kind;
        j.sourceFile = source;
        j.databaseFile = target.fileName();
        j.zipDatabaseFile = zipdb.fileName();
        import(j);
    };
    // A source is due when its load never completed (amateur and GMRS share two tables, so a
    // filled table does not tell), or when its table is empty.
    auto due = [](Database& db, TDataType kind) {
        return !sourcerecord::isComplete(db, kind) || countRows(db, dataTypeTable(kind)) == 0;
    };
    const QString base = withSlash(paths.appDataPath);

    if (due(zipdb, TDataType::ZIP))
        job(TDataType::ZIP, paths.zipSourceFile.isEmpty() ? findShippedFile(QStringLiteral("postal_update.csv")) : paths.zipSourceFile, zipdb);
    for (TDataType kind : sourcerecord::licenceSources())
        if (due(condb, kind))
            job(kind, base + dataTypeSourceFile(kind), condb);
}

void upgradeCallSignIndex(Database& condb) {
    if (!condb.tableExists(QStringLiteral("FCC_EN")))
        return;
    const QString sql =
        condb.scalar(QStringLiteral("select sql from sqlite_master where type='index' and name='idx_en_call'")).toString();
    if (sql.contains(QLatin1String("unique_system_identifier"), Qt::CaseInsensitive))
        return;
    TransactionGuard tx(condb);
    condb.exec(QStringLiteral("DROP INDEX IF EXISTS idx_en_call"));
    // The same definition as fcc.sql's.
    condb.exec(QStringLiteral("CREATE INDEX idx_en_call ON FCC_EN (call_sign, service, unique_system_identifier)"));
    tx.commit();
}
