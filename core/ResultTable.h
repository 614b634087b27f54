#pragma once
// ResultTable: the rows of one query held column by column — each column keeps the UTF-8 text of
// its values back to back, with one end offset and one storage class per value — so that a
// result of a million licences takes a few hundred megabytes instead of gigabytes of per-cell
// objects, and the exact row count is known once it is read. Rows stay where they were fetched;
// sorting re-orders a row index only, and every reader addresses rows in that display order.
// Tables read in parts (by several threads) are joined without copying their rows.
// Collaborators: Statement (the rows come from it), ResultModel (the grid shows them),
// writeResultCsv (exports them), the searches (read on workers, then hand the table over).

#include "core/Database.h"
#include "core/Job.h"

#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class ResultTable {
public:
    using Kind = Statement::Kind;

    ResultTable();
    explicit ResultTable(const QStringList& fieldNames);
    ~ResultTable();
    ResultTable(ResultTable&& other) noexcept;
    ResultTable& operator=(ResultTable&& other) noexcept;
    ResultTable(const ResultTable&) = delete;
    ResultTable& operator=(const ResultTable&) = delete;

    // Takes the statement's column names and reads every row it still has. `progress`, when given,
    // hears the number of rows read so far every 16384 rows (on the reading thread).
    void fetch(Statement& statement, const std::function<void(qsizetype)>& progress = {});
    // Appends one row; numbers keep their kind (integer or real), a null QVariant is NULL,
    // anything else is text.
    void appendRow(const QVariantList& values);
    // Appends the rows of a table with the same columns, in their display order, taking over
    // their memory (nothing is copied). The other table is left empty.
    void appendTable(ResultTable&& other);
    void clear();

    int columnCount() const { return int(m_fields.size()); }
    qsizetype rowCount() const { return qsizetype(m_order.size()); }
    const QStringList& fieldNames() const { return m_fields; }
    // -1 when absent; names compare without regard to case and the first of equal names wins.
    int fieldIndex(const QString& name) const;

    // Values by display row (the order of the last sort) and column. NULL reads as empty text.
    Kind kind(qsizetype row, int column) const { return storedKind(m_order[size_t(row)], column); }
    QByteArrayView utf8(qsizetype row, int column) const { return storedUtf8(m_order[size_t(row)], column); }
    QString text(qsizetype row, int column) const { return QString::fromUtf8(utf8(row, column)); }
    QVariant value(qsizetype row, int column) const;

    // Values by storage position, for passes over a whole column whose order does not matter:
    // storedPositions() lists them in memory order.
    Kind storedKind(quint32 stored, int column) const {
        const Chunk& k = m_columns[size_t(column)].chunks[stored >> kChunkBits];
        return k.kinds[stored & kChunkMask];
    }
    QByteArrayView storedUtf8(quint32 stored, int column) const {
        const Chunk& k = m_columns[size_t(column)].chunks[stored >> kChunkBits];
        const quint32 i = stored & kChunkMask;
        const quint32 begin = i == 0 ? 0 : k.ends[i - 1];
        return QByteArrayView(k.bytes + begin, qsizetype(k.ends[i] - begin));
    }
    std::vector<quint32> storedPositions() const;
    // Every storage position is below this bound.
    quint32 storedLimit() const { return m_columns.empty() ? 0 : quint32(m_columns.front().chunks.size()) << kChunkBits; }
    // The storage position of every display row.
    const std::vector<quint32>& order() const { return m_order; }

    // Asks the processor to bring a row's values into its cache ahead of reading them in display
    // order (export): first the offsets (`values` false), some rows later the text (true).
    void prefetchRow(qsizetype row, const QList<int>& columns, bool values) const;

    // Re-orders the rows by one column in SQLite's order for values of mixed kinds: NULL first,
    // then numbers by value, then text and blobs byte by byte (the BINARY collation). Stable:
    // rows with equal values keep the order they had, in either direction.
    void sort(int column, bool ascending);
    // The same order, ascending, for a table whose display order is made of runs already sorted
    // by the column (parts sorted apart and then joined): the runs are merged, which is cheaper.
    void mergeSortedRuns(int column, const std::vector<qsizetype>& runStarts);
    // The display order sort() would make, without making it: a worker can compute it while the
    // grid shows the table (JobCancelled when the control is cancelled meanwhile); setOrder then
    // puts it in force.
    std::vector<quint32> sortedOrder(int column, bool ascending, const JobControl* control = nullptr) const;
    void setOrder(std::vector<quint32> order);

private:
    // A column is kept in chunks of up to 65536 values, so that growing it never copies what is
    // there; the arrays come from the table's own large blocks (see Arena in the .cpp).
    static constexpr int kChunkBits = 16;
    static constexpr quint32 kChunkMask = (1u << kChunkBits) - 1;
    struct Chunk {
        char* bytes = nullptr;
        quint32* ends = nullptr;   // end offset of each value in bytes
        Kind* kinds = nullptr;
        quint32 used = 0;          // bytes
        quint32 capacity = 0;      // bytes
        quint32 count = 0;         // values
        quint32 rows = 0;          // room for values
    };
    struct Column {
        std::vector<Chunk> chunks;
    };
    class Arena;
    std::vector<quint32> orderedBy(int column, bool ascending, std::vector<qsizetype> runs, const JobControl* control) const;
    void append(Column& c, Kind kind, QByteArrayView text);

    QStringList m_fields;
    std::vector<Column> m_columns;
    std::vector<quint32> m_order;
    std::unique_ptr<Arena> m_arena;
};
