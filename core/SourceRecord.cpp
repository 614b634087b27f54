#include "core/SourceRecord.h"

#include "core/ZipCodes.h"

#include <QDateTime>

namespace {

const QString kNotes = QStringLiteral("quillmarsh_source");

void createNotes(Database& db) {
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (kind TEXT PRIMARY KEY, tbl TEXT NOT NULL, service TEXT NOT NULL, "
                           "rows INTEGER NOT NULL, loaded TEXT NOT NULL)")
                .arg(kNotes));
}

qint64 count(Database& db, const QString& sql, const QVariantList& params = {}) { return db.scalar(sql, params).toLongLong(); }

// What the tables hold for a source, for data loaded without notes.
qint64 derivedRows(Database& db, TDataType kind) {
    const QString table = dataTypeTable(kind);
    if (!db.tableExists(table))
        return 0;
    const QString service = dataTypeService(kind);
    switch (kind) {
    case TDataType::AMT_EN:
    case TDataType::GMRS_EN: return count(db, QStringLiteral("select count(1) from FCC_EN where service=?1"), {service});
    case TDataType::AMT_HD:
    case TDataType::GMRS_HD:
        // Header rows carry no service; their licence's entity row tells it. Without entity rows
        // the table cannot be split, and counts for the amateur file (which comes first).
        if (db.tableExists(QStringLiteral("FCC_EN")) && count(db, QStringLiteral("select count(1) from FCC_EN")) > 0)
            return count(db,
                         QStringLiteral("select count(1) from FCC_HD where unique_system_identifier in "
                                        "(select unique_system_identifier from FCC_EN where service=?1)"),
                         {service});
        return kind == TDataType::AMT_HD ? count(db, QStringLiteral("select count(1) from FCC_HD")) : 0;
    case TDataType::GMRS_AM: return 0;
    case TDataType::AMT_AM:
    case TDataType::CDN:
    case TDataType::ZIP: break;
    }
    return count(db, QStringLiteral("select count(1) from %1").arg(table));
}

} // namespace

namespace sourcerecord {

QList<TDataType> licenceSources() {
    return {TDataType::CDN, TDataType::AMT_AM, TDataType::AMT_HD, TDataType::GMRS_HD, TDataType::AMT_EN, TDataType::GMRS_EN};
}

void markComplete(Database& db, TDataType kind, qint64 rows) {
    createNotes(db);
    Statement st(db, QStringLiteral("insert or replace into %1 (kind, tbl, service, rows, loaded) values(?1, ?2, ?3, ?4, ?5)").arg(kNotes));
    st.bind(1, dataTypeName(kind));
    st.bind(2, dataTypeTable(kind));
    st.bind(3, dataTypeService(kind));
    st.bind(4, rows);
    st.bind(5, QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    st.execute();
}

bool isComplete(Database& db, TDataType kind) {
    return db.tableExists(kNotes) &&
           count(db, QStringLiteral("select count(1) from %1 where kind=?1").arg(kNotes), {dataTypeName(kind)}) > 0;
}

void adoptLoadedTables(Database& db) {
    if (db.tableExists(kNotes))
        return;
    const bool licences = db.tableExists(QStringLiteral("canada"));
    const bool zips = zipTableExists(db);
    TransactionGuard tx(db);
    // The notes table is made even when nothing is loaded yet: from now on its notes decide.
    createNotes(db);
    QList<TDataType> kinds;
    if (zips)
        kinds << TDataType::ZIP;
    if (licences)
        kinds << licenceSources();
    const bool headersFilled = licences && count(db, QStringLiteral("select count(1) from FCC_HD")) > 0;
    for (TDataType kind : std::as_const(kinds)) {
        const qint64 rows = derivedRows(db, kind);
        // A filled header table that cannot be split was taken as holding both files before.
        const bool unsplitHeaders = kind == TDataType::GMRS_HD && headersFilled &&
                                    count(db, QStringLiteral("select count(1) from FCC_EN")) == 0;
        if (rows > 0 || unsplitHeaders)
            markComplete(db, kind, rows);
    }
    tx.commit();
}

qint64 sourceRows(Database& db, TDataType kind) {
    if (!db.tableExists(kNotes))
        return derivedRows(db, kind);
    return count(db, QStringLiteral("select rows from %1 where kind=?1").arg(kNotes), {dataTypeName(kind)});
}

} // namespace sourcerecord
