#include "search/SearchRows.h"

#include <QThread>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace {

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

void readAll(Statement& st, ResultTable& table, std::atomic<qint64>* done) {
    qsizetype counted = 0;
    table.fetch(st, [&](qsizetype rows) {
        if (done)
            done->fetch_add(rows - counted, std::memory_order_relaxed);
        counted = rows;
    });
}

} // namespace

ResultTable readSearchRows(const QString& databaseFile, const SearchSql& search, std::atomic<qint64>* done, int parts) {
    auto orderColumn = [&search](const ResultTable& t) { return search.orderBy.isEmpty() ? -1 : t.fieldIndex(search.orderBy); };
    ResultTable rows;
    Database db;
    db.openReadOnly(databaseFile);
    const std::vector<Range> ranges = search.splitTable.isEmpty() ? std::vector<Range>() : splitRanges(db, search.splitTable, parts);

    if (ranges.empty()) {
        Statement st(db, search.sql);
        st.bindAll(search.params);
        readAll(st, rows, done);
    } else {
        const int first = int(search.params.size()) + 1;
        const QString sql = search.sql + QStringLiteral(" and [%1].rowid between ?%2 and ?%3").arg(search.splitTable).arg(first).arg(first + 1);
        std::vector<ResultTable> pieces(ranges.size());
        std::atomic<size_t> next{0};
        std::mutex failure;
        QString error;
        auto work = [&] {
            try {
                Database own;
                own.openReadOnly(databaseFile);
                Statement st(own, sql);
                for (size_t i = next++; i < ranges.size(); i = next++) {
                    st.reset();
                    st.bindAll(search.params);
                    st.bind(first, ranges[i].low);
                    st.bind(first + 1, ranges[i].high);
                    readAll(st, pieces[i], done);
                    if (orderColumn(pieces[i]) >= 0)
                        pieces[i].sort(orderColumn(pieces[i]), true);
                }
            } catch (const std::exception& e) {
                const std::lock_guard<std::mutex> lock(failure);
                if (error.isEmpty())
                    error = QString::fromUtf8(e.what());
                next = ranges.size();
            }
        };
        const int threads = std::clamp(QThread::idealThreadCount(), 1, 4);
        std::vector<std::thread> helpers;
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back(work);
        work();
        for (std::thread& h : helpers)
            h.join();
        if (!error.isEmpty())
            throw DatabaseError(error);
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
    if (orderColumn(rows) >= 0)
        rows.sort(orderColumn(rows), true);
    return rows;
}
