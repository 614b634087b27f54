#include "data/TableIndexes.h"

namespace {

const QString kPendingTable = QStringLiteral("quillmarsh_pending_index");

QString quotedIdentifier(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

std::vector<TableIndex> readIndexes(Database& db, const QString& sql, const QString& table) {
    std::vector<TableIndex> out;
    Statement st(db, sql);
    if (!table.isEmpty())
        st.bind(1, table);
    while (st.step())
        out.push_back({st.text(0), st.text(1)});
    return out;
}

// SQLite sorts an index build in pieces of the page cache's size; small pieces that stay in the
// processor's cache and are merged afterwards are several times faster than one big sort.
class SorterCache {
public:
    explicit SorterCache(Database& db) : m_db(db), m_previous(db.scalar(QStringLiteral("PRAGMA cache_size")).toLongLong()) {
        m_db.exec(QStringLiteral("PRAGMA cache_size=-2000"));
    }
    ~SorterCache() {
        try {
            m_db.exec(QStringLiteral("PRAGMA cache_size=%1").arg(m_previous));
        } catch (...) {
        }
    }

private:
    Database& m_db;
    qint64 m_previous;
};

} // namespace

namespace tableindexes {

std::vector<TableIndex> live(Database& db, const QString& table) {
    return readIndexes(db,
                       QStringLiteral("select name, sql from sqlite_master where type='index' and tbl_name=?1 collate nocase "
                                      "and sql is not null order by name"),
                       table);
}

std::vector<TableIndex> pending(Database& db, const QString& table) {
    if (!db.tableExists(kPendingTable))
        return {};
    return readIndexes(db, QStringLiteral("select name, sql from %1 where tbl=?1 collate nocase order by name").arg(kPendingTable), table);
}

void drop(Database& db, const std::vector<TableIndex>& indexes) {
    for (const TableIndex& index : indexes)
        db.exec(QStringLiteral("DROP INDEX %1").arg(quotedIdentifier(index.name)));
}

void leavePending(Database& db, const QString& table, const std::vector<TableIndex>& indexes) {
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (tbl TEXT, name TEXT, sql TEXT)").arg(kPendingTable));
    Statement st(db, QStringLiteral("insert into %1 (tbl, name, sql) values(?1, ?2, ?3)").arg(kPendingTable));
    for (const TableIndex& index : indexes) {
        st.bind(1, table);
        st.bind(2, index.name);
        st.bind(3, index.sql);
        st.execute();
    }
}

void build(Database& db, const QString& table, const std::vector<TableIndex>& indexes, const std::function<void()>& stop) {
    SorterCache sorter(db);
    for (const TableIndex& index : indexes) {
        if (stop)
            stop();
        db.exec(index.sql);
    }
    if (db.tableExists(kPendingTable)) {
        Statement del(db, QStringLiteral("delete from %1 where tbl=?1 collate nocase").arg(kPendingTable));
        del.bind(1, table);
        del.execute();
        if (db.scalar(QStringLiteral("select count(1) from %1").arg(kPendingTable)).toLongLong() == 0)
            db.exec(QStringLiteral("DROP TABLE %1").arg(kPendingTable));
    }
}

} // namespace tableindexes

int pendingIndexCount(Database& db) {
    if (!db.tableExists(kPendingTable))
        return 0;
    return int(db.scalar(QStringLiteral("select count(1) from %1").arg(kPendingTable)).toLongLong());
}

void settlePendingIndexes(Database& db, const QString& table, const std::function<void()>& stop) {
    if (!db.tableExists(kPendingTable))
        return;
    std::vector<QString> tables;
    if (table.isEmpty()) {
        Statement st(db, QStringLiteral("select distinct tbl from %1").arg(kPendingTable));
        while (st.step())
            tables.push_back(st.text(0));
    } else {
        tables.push_back(table);
    }
    TransactionGuard tx(db);
    for (const QString& t : tables)
        tableindexes::build(db, t, tableindexes::pending(db, t), stop);
    tx.commit();
}
