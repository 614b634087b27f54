#include "search/SearchRows.h"

#include "core/FileIdentity.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// Read-only connections kept from one search to the next. A connection maps the database file
// into memory; a new one must fault every page it touches into its mapping again, which made an
// exact search of a common name three times slower than the same search repeated. A search that
// walks whole tables (a pattern search) reads through SQLite's own small page cache instead: a
// mapping would bring the whole file into the program's resident memory and keep it there.
// A connection is kept for the file as it was when opened (device and inode): a database swapped
// in under the same name is opened afresh, and the old connections are closed.
class ReaderPool {
public:
    using FileId = FileIdentity;

    static ReaderPool& instance() {
        static ReaderPool pool;
        return pool;
    }

    std::unique_ptr<Database> take(const QString& file, bool mapped, FileId& id) {
        id = FileIdentity::of(file);
        const bool known = id.exists;
        std::vector<std::unique_ptr<Database>> stale;
        std::unique_ptr<Database> found;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            for (auto it = m_idle.begin(); it != m_idle.end();) {
                if (it->file != file) {
                    ++it;
                } else if (!known || it->id != id) {
                    stale.push_back(std::move(it->db));
                    it = m_idle.erase(it);
                } else if (!found && it->mapped == mapped) {
                    found = std::move(it->db);
                    it = m_idle.erase(it);
                } else {
                    ++it;
                }
            }
        }
        if (found)
            return found;
        auto db = std::make_unique<Database>();
        db->openReadOnly(file);
        if (!mapped)
            db->exec(QStringLiteral("pragma mmap_size=0"));
        if (!known)
            id = FileId{};
        return db;
    }

    // Closes the kept mapped connections: the pages they touched count as the program's resident
    // memory while mapped, and a search that is about to hold a large result in memory should not
    // add them to it.
    void releaseMapped() {
        std::vector<std::unique_ptr<Database>> closing;
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_idle.begin(); it != m_idle.end();) {
            if (it->mapped) {
                closing.push_back(std::move(it->db));
                it = m_idle.erase(it);
            } else {
                ++it;
            }
        }
    }

    void give(const QString& file, bool mapped, const FileId& id, std::unique_ptr<Database> db) {
        if (id == FileId{})
            return;
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_idle.size() < kKeep)
            m_idle.push_back({file, id, mapped, std::move(db)});
    }

private:
    // Enough for the reading threads of one search in either way of reading.
    static constexpr size_t kKeep = 8;
    struct Idle {
        QString file;
        FileId id;
        bool mapped;
        std::unique_ptr<Database> db;
    };
    std::mutex m_mutex;
    std::vector<Idle> m_idle;
};

// One pooled connection for the time of a read; back to the pool afterwards (no statement of it
// is left open, so it holds no lock while idle).
class Reader {
public:
    Reader(const QString& file, bool mapped)
        : m_file(file), m_mapped(mapped), m_db(ReaderPool::instance().take(file, mapped, m_id)) {}
    ~Reader() { ReaderPool::instance().give(m_file, m_mapped, m_id, std::move(m_db)); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    Database& db() { return *m_db; }

private:
    QString m_file;
    bool m_mapped;
    ReaderPool::FileId m_id;
    std::unique_ptr<Database> m_db;
};

// Below this many rows in the split table one statement is quicker than starting threads.
constexpr qint64 kSplitFrom = 65536;
// More ranges than threads: the matching rows are rarely spread evenly over the table (the
// amateur licences come before the GMRS ones), and a thread that finishes takes the next range.
constexpr int kRanges = 8;

struct Range {
    qint64 low;
    qint64 high;
};

std::vector<Range> splitRanges(Database& db, const QString& table, int parts) {
    // Two subqueries: SQLite answers a lone min() or max() of the rowid from the tree's ends, but
    // both in one select walk the whole table.
    Statement st(db, QStringLiteral("select (select min(rowid) from [%1]), (select max(rowid) from [%1])").arg(table));
    if (!st.step() || st.kind(0) == Statement::Kind::Null)
        return {};
    const qint64 low = st.value(0).toLongLong(), high = st.value(1).toLongLong();
    if (parts == 0)
        parts = high - low + 1 < kSplitFrom ? 1 : kRanges;
    if (parts <= 1)
        return {};
    std::vector<Range> ranges;
    const qint64 span = high - low + 1;
    for (int i = 0; i < parts; ++i)
        ranges.push_back({low + span * i / parts, low + span * (i + 1) / parts - 1});
    return ranges;
}

void readAll(Statement& st, ResultTable& table, JobControl* control) {
    qsizetype counted = 0;
    table.fetch(st, [&](qsizetype rows) {
        if (!control)
            return;
        control->add(rows - counted);
        counted = rows;
        control->checkCancelled();
    });
    if (control)
        control->add(table.rowCount() - counted);
}

} // namespace

ResultTable readSearchRows(const QString& databaseFile, const SearchSql& search, JobControl* control, int parts) {
    auto orderColumn = [&search](const ResultTable& t) { return search.orderBy.isEmpty() ? -1 : t.fieldIndex(search.orderBy); };
    // Both kinds are split over threads (an index on one column also orders its entries by rowid,
    // so a rowid range narrows the index walk itself). A search through an index reads through kept
    // mapped connections; one that walks whole tables through kept connections without a mapping.
    const bool mapped = !search.walksWholeTable();
    if (!mapped)
        ReaderPool::instance().releaseMapped();
    Reader reader(databaseFile, mapped);
    Database& db = reader.db();
    const std::vector<Range> ranges = search.splitTable.isEmpty() ? std::vector<Range>() : splitRanges(db, search.splitTable, parts);
    const QVariantList params = search.params();

    ResultTable rows;
    if (ranges.empty()) {
        Statement st(db, search.sql());
        st.bindAll(params);
        readAll(st, rows, control);
        if (orderColumn(rows) >= 0)
            rows.sort(orderColumn(rows), true);
        return rows;
    }

    const QString sql = search.rangeSql();
    const int first = int(params.size()) + 1;
    std::vector<ResultTable> pieces(ranges.size());
    parallelFor(int(ranges.size()), [&](int i) {
        Reader own(databaseFile, mapped);
        Statement st(own.db(), sql);
        st.bindAll(params);
        st.bind(first, ranges[size_t(i)].low);
        st.bind(first + 1, ranges[size_t(i)].high);
        readAll(st, pieces[size_t(i)], control);
        if (orderColumn(pieces[size_t(i)]) >= 0)
            pieces[size_t(i)].sort(orderColumn(pieces[size_t(i)]), true);
    }, control);
    std::vector<qsizetype> runs;
    for (ResultTable& piece : pieces) {
        runs.push_back(rows.rowCount());
        rows.appendTable(std::move(piece));
    }
    // Each part was ordered on its own thread; the ordered parts only need merging.
    if (orderColumn(rows) >= 0)
        rows.mergeSortedRuns(orderColumn(rows), runs);
    return rows;
}
