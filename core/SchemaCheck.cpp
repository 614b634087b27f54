#include "core/SchemaCheck.h"

#include "core/Paths.h"

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
    if (!zipdb.tableExists(QStringLiteral("zipcodes"))) {
        runSchemaScript(zipdb, QStringLiteral("postal.sql"));
        zipdb.close();
        zipdb.open();
    }
}

namespace {

qint64 countRows(Database& db, const char* table) {
    return db.scalar(QStringLiteral("select count(1) from %1").arg(QLatin1String(table))).toLongLong();
}

} // namespace

void runCheckDatabases(Database& condb, Database& zipdb, const SchemaCheckPaths& paths, const ImportStep& import) {
    if (!condb.tableExists(QStringLiteral("canada"))) {
        runSchemaScript(condb, QStringLiteral("fcc.sql"));
        condb.close();
        condb.open();
    }
    ensureZipTable(zipdb);

    auto job = [&](TDataType kind, const QString& source, Database& target) {
        ImportJob j;
        j.kind = kind;
        j.sourceFile = source;
        j.databaseFile = target.fileName();
        j.zipDatabaseFile = zipdb.fileName();
        import(j);
    };
    const QString base = withSlash(paths.appDataPath);

    if (countRows(zipdb, "zipcodes") == 0)
        job(TDataType::ZIP, paths.zipSourceFile.isEmpty() ? findShippedFile(QStringLiteral("postal_update.csv")) : paths.zipSourceFile, zipdb);
    if (countRows(condb, "canada") == 0)
        job(TDataType::CDN, base + QStringLiteral("CADN/amateur.txt"), condb);
    if (countRows(condb, "FCC_AM") == 0)
        job(TDataType::AMT_AM, base + QStringLiteral("AMAT/AM.dat"), condb);
    if (countRows(condb, "FCC_HD") == 0) {
        job(TDataType::AMT_HD, base + QStringLiteral("AMAT/HD.dat"), condb);
        job(TDataType::GMRS_HD, base + QStringLiteral("GMRS/HD.dat"), condb);
    }
    if (countRows(condb, "FCC_EN") == 0) {
        job(TDataType::AMT_EN, base + QStringLiteral("AMAT/EN.dat"), condb);
        job(TDataType::GMRS_EN, base + QStringLiteral("GMRS/EN.dat"), condb);
    }
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
