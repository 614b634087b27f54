#include "core/ResultTable.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#ifdef __linux__
#include <sys/mman.h>
#endif

// The memory of a table: a few large blocks handed out front to back and freed together. Blocks
// from 2 MiB up sit on huge pages where the system offers them: a million-row result touches
// hundreds of megabytes, and taking them 4 KiB at a time costs a page fault each.
class ResultTable::Arena {
public:
    Arena() = default;
    ~Arena() {
        for (void* b : m_blocks)
            std::free(b);
    }
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    void* take(size_t bytes) {
        bytes = (bytes + 15) & ~size_t(15);
        if (bytes > m_left) {
            m_next = std::min<size_t>(std::max(m_next * 2, size_t(64) << 10), kLargest);
            newBlock(std::max(bytes, m_next));
        }
        void* p = m_free;
        m_free += bytes;
        m_left -= bytes;
        return p;
    }
    // The other arena's blocks now belong to this one.
    void adopt(Arena& other) {
        m_blocks.insert(m_blocks.end(), other.m_blocks.begin(), other.m_blocks.end());
        other.m_blocks.clear();
        other.m_free = nullptr;
        other.m_left = 0;
    }

private:
    static constexpr size_t kHuge = size_t(2) << 20;
    static constexpr size_t kLargest = size_t(16) << 20;

    void newBlock(size_t bytes) {
        void* p = nullptr;
        if (bytes >= kHuge) {
            bytes = (bytes + kHuge - 1) & ~(kHuge - 1);
            p = std::aligned_alloc(kHuge, bytes);
#ifdef __linux__
            if (p)
                madvise(p, bytes, MADV_HUGEPAGE);
#endif
        } else {
            p = std::malloc(bytes);
        }
        if (!p)
            throw std::bad_alloc();
        m_blocks.push_back(p);
        m_free = static_cast<char*>(p);
        m_left = bytes;
    }

    std::vector<void*> m_blocks;
    char* m_free = nullptr;
    size_t m_left = 0;
    size_t m_next = 0;
};

ResultTable::ResultTable() = default;
ResultTable::ResultTable(const QStringList& fieldNames) : m_fields(fieldNames), m_columns(size_t(fieldNames.size())) {}
ResultTable::~ResultTable() = default;
ResultTable::ResultTable(ResultTable&& other) noexcept = default;
ResultTable& ResultTable::operator=(ResultTable&& other) noexcept = default;

void ResultTable::clear() {
    m_fields.clear();
    m_columns.clear();
    m_order.clear();
    m_arena.reset();
}

void ResultTable::append(Column& c, Kind kind, QByteArrayView text) {
    constexpr quint32 rowsPerChunk = 1u << kChunkBits;
    if (!m_arena)
        m_arena = std::make_unique<Arena>();
    if (c.chunks.empty() || c.chunks.back().count == rowsPerChunk) {
        // The first chunk starts small (most results are); later ones take a full chunk of values
        // and as much text as the one before held, and a little more.
        Chunk k;
        k.rows = c.chunks.empty() ? 256 : rowsPerChunk;
        k.capacity = c.chunks.empty() ? 4096 : c.chunks.back().used + c.chunks.back().used / 8 + 64;
        k.bytes = static_cast<char*>(m_arena->take(k.capacity));
        k.ends = static_cast<quint32*>(m_arena->take(sizeof(quint32) * k.rows));
        k.kinds = static_cast<Kind*>(m_arena->take(sizeof(Kind) * k.rows));
        c.chunks.push_back(k);
    }
    Chunk& k = c.chunks.back();
    if (k.count == k.rows) {
        const quint32 rows = std::min(k.rows * 2, rowsPerChunk);
        auto* ends = static_cast<quint32*>(m_arena->take(sizeof(quint32) * rows));
        auto* kinds = static_cast<Kind*>(m_arena->take(sizeof(Kind) * rows));
        std::memcpy(ends, k.ends, sizeof(quint32) * k.count);
        std::memcpy(kinds, k.kinds, sizeof(Kind) * k.count);
        k.ends = ends;
        k.kinds = kinds;
        k.rows = rows;
    }
    const auto n = size_t(text.size());
    if (k.used + n > k.capacity) {
        // Offsets are 32-bit: the values of one chunk stay below 4 GiB of text.
        const size_t wanted = std::max<size_t>(size_t(k.capacity) * 2, k.used + n);
        if (wanted > std::numeric_limits<quint32>::max())
            throw std::length_error("The result is too large to hold.");
        auto* bytes = static_cast<char*>(m_arena->take(wanted));
        std::memcpy(bytes, k.bytes, k.used);
        k.bytes = bytes;
        k.capacity = quint32(wanted);
    }
    if (n > 0)
        std::memcpy(k.bytes + k.used, text.data(), n);
    k.used += quint32(n);
    k.ends[k.count] = k.used;
    k.kinds[k.count] = kind;
    ++k.count;
}

void ResultTable::appendTable(ResultTable&& other) {
    if (other.m_columns.empty())
        return;
    if (m_columns.empty()) {
        *this = std::move(other);
        return;
    }
    if (other.columnCount() != columnCount())
        throw std::logic_error("Joined result parts have different columns.");
    const quint32 shift = storedLimit();
    for (size_t c = 0; c < m_columns.size(); ++c) {
        auto& mine = m_columns[c].chunks;
        auto& theirs = other.m_columns[c].chunks;
        mine.insert(mine.end(), theirs.begin(), theirs.end());
    }
    m_order.reserve(m_order.size() + other.m_order.size());
    for (quint32 s : other.m_order)
        m_order.push_back(s + shift);
    if (other.m_arena) {
        if (!m_arena)
            m_arena = std::make_unique<Arena>();
        m_arena->adopt(*other.m_arena);
    }
    other.clear();
}

std::vector<quint32> ResultTable::storedPositions() const {
    std::vector<quint32> out;
    if (m_columns.empty())
        return out;
    const auto& chunks = m_columns.front().chunks;
    size_t total = 0;
    for (const Chunk& k : chunks)
        total += k.count;
    out.reserve(total);
    for (size_t k = 0; k < chunks.size(); ++k)
        for (quint32 i = 0; i < chunks[k].count; ++i)
            out.push_back(quint32(k << kChunkBits) | i);
    return out;
}

void ResultTable::prefetchRow(qsizetype row, const QList<int>& columns, bool values) const {
    const quint32 stored = m_order[size_t(row)];
    const quint32 i = stored & kChunkMask;
    for (int c : columns) {
        const Chunk& k = m_columns[size_t(c)].chunks[stored >> kChunkBits];
        if (!values) {
            __builtin_prefetch(k.ends + (i == 0 ? 0 : i - 1));
            __builtin_prefetch(k.kinds + i);
        } else {
            __builtin_prefetch(k.bytes + (i == 0 ? 0 : k.ends[i - 1]));
        }
    }
}

void ResultTable::fetch(Statement& statement, const std::function<void(qsizetype)>& progress) {
    clear();
    const int n = statement.columnCount();
    for (int i = 0; i < n; ++i)
        m_fields << statement.columnName(i);
    m_columns.resize(size_t(n));
    quint32 rows = 0;
    while (statement.step()) {
        for (int i = 0; i < n; ++i) {
            const Kind k = statement.kind(i);
            append(m_columns[size_t(i)], k, k == Kind::Null ? QByteArrayView() : statement.utf8(i));
        }
        if (++rows == quint32(1) << 31)
            throw std::length_error("The result has too many rows to hold.");
        if (progress && rows % 16384 == 0)
            progress(rows);
    }
    m_order = storedPositions();
    if (progress)
        progress(rows);
}

void ResultTable::appendRow(const QVariantList& values) {
    for (int i = 0; i < columnCount(); ++i) {
        const QVariant v = i < values.size() ? values.at(i) : QVariant();
        Kind kind = Kind::Text;
        if (!v.isValid() || v.isNull())
            kind = Kind::Null;
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::UInt)
            kind = Kind::Integer;
        else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
            kind = Kind::Float;
        append(m_columns[size_t(i)], kind, kind == Kind::Null ? QByteArray() : v.toString().toUtf8());
    }
    if (!m_columns.empty()) {
        const auto& chunks = m_columns.front().chunks;
        m_order.push_back(quint32((chunks.size() - 1) << kChunkBits) | (chunks.back().count - 1));
    }
}

int ResultTable::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant ResultTable::value(qsizetype row, int column) const {
    const QByteArrayView t = utf8(row, column);
    switch (kind(row, column)) {
    case Kind::Null: return {};
    case Kind::Integer: return QVariant(t.toLongLong());
    case Kind::Float: return QVariant(t.toDouble());
    case Kind::Blob: return QVariant(t.toByteArray());
    case Kind::Text: break;
    }
    return QVariant(QString::fromUtf8(t));
}

namespace {

// One row's sort key: the class of its value (NULL, number, text), then 64 bits that order most
// values alone — the number itself made sortable as unsigned bits, or the first 8 bytes of text.
// Only rows whose keys tie look at the whole text.
struct SortKey {
    quint64 prefix;
    quint32 stored;
    quint32 rank;   // 0 NULL, 1 number, 2 text, 3 blob
};

quint64 numberBits(double d) {
    const quint64 bits = std::bit_cast<quint64>(d);
    return (bits & 0x8000000000000000ULL) ? ~bits : bits | 0x8000000000000000ULL;
}

quint64 textPrefix(QByteArrayView t) {
    unsigned char b[8] = {};
    if (!t.isEmpty())
        std::memcpy(b, t.data(), size_t(std::min<qsizetype>(8, t.size())));
    quint64 p = 0;
    for (unsigned char c : b)
        p = (p << 8) | c;
    return p;
}

} // namespace

void ResultTable::sort(int column, bool ascending) { m_order = orderedBy(column, ascending, {}, nullptr); }

void ResultTable::mergeSortedRuns(int column, const std::vector<qsizetype>& runStarts) { m_order = orderedBy(column, true, runStarts, nullptr); }

std::vector<quint32> ResultTable::sortedOrder(int column, bool ascending, const JobControl* control) const {
    return orderedBy(column, ascending, {}, control);
}

void ResultTable::setOrder(std::vector<quint32> order) { m_order = std::move(order); }

std::vector<quint32> ResultTable::orderedBy(int column, bool ascending, std::vector<qsizetype> runs, const JobControl* control) const {
    if (column < 0 || column >= columnCount() || m_order.size() < 2)
        return m_order;
    std::vector<SortKey> keys(m_order.size());
    for (size_t r = 0; r < m_order.size(); ++r) {
        const quint32 s = m_order[r];
        const QByteArrayView t = storedUtf8(s, column);
        SortKey& k = keys[r];
        k.stored = s;
        switch (storedKind(s, column)) {
        case Kind::Null: k.rank = 0; k.prefix = 0; break;
        case Kind::Integer:
        case Kind::Float: k.rank = 1; k.prefix = numberBits(t.toDouble()); break;
        case Kind::Text: k.rank = 2; k.prefix = textPrefix(t); break;
        case Kind::Blob: k.rank = 3; k.prefix = textPrefix(t); break;
        }
    }
    // A cancel is heard within some ten thousand comparisons; the keys are a copy, so leaving the
    // sort by an exception leaves the table as it was.
    quint32 compared = 0;
    auto less = [this, column, control, &compared](const SortKey& a, const SortKey& b) {
        if (control && (++compared & 0x3FFF) == 0)
            control->checkCancelled();
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (a.rank < 2)
            return false;
        const QByteArrayView x = storedUtf8(a.stored, column), y = storedUtf8(b.stored, column);
        const size_t common = size_t(std::min(x.size(), y.size()));
        const int m = common == 0 ? 0 : std::memcmp(x.data(), y.data(), common);
        return m != 0 ? m < 0 : x.size() < y.size();
    };
    if (!runs.empty()) {
        // Neighbouring runs merged pairwise until one is left; a merge keeps equal rows in run order.
        runs.push_back(qsizetype(keys.size()));
        while (runs.size() > 2) {
            std::vector<qsizetype> merged;
            for (size_t i = 0; i + 1 < runs.size(); i += 2) {
                merged.push_back(runs[i]);
                if (i + 2 < runs.size())
                    std::inplace_merge(keys.begin() + runs[i], keys.begin() + runs[i + 1], keys.begin() + runs[i + 2], less);
            }
            merged.push_back(runs.back());
            runs = std::move(merged);
        }
    } else if (ascending)
        std::stable_sort(keys.begin(), keys.end(), less);
    else
        std::stable_sort(keys.begin(), keys.end(), [&less](const SortKey& a, const SortKey& b) { return less(b, a); });
    std::vector<quint32> order(keys.size());
    for (size_t r = 0; r < keys.size(); ++r)
        order[r] = keys[r].stored;
    return order;
}
