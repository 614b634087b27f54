#include "ui/GridHelpers.h"

#include "ui/JobRunner.h"
#include "ui/ResultModel.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QSet>
#include <QTableView>
#include <QUrl>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Width estimates from per-character advances: summing a table is far cheaper than shaping.
// The table is read-only once built, so threads share it; a character beyond Latin-1 counts
// as wide as the font's widest.
class AdvanceTable {
public:
    explicit AdvanceTable(const QFont& font) {
        const QFontMetricsF fm(font);
        for (int i = 0; i < 256; ++i)
            m_low[size_t(i)] = float(fm.horizontalAdvance(QChar(i)));
        m_other = float(fm.maxWidth());
    }

    float estimate(QByteArrayView utf8) const {
        float w = 0;
        const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
        const qsizetype n = utf8.size();
        for (qsizetype i = 0; i < n;) {
            const unsigned char b = p[i];
            if (b < 0x80) {
                w += m_low[b];
                ++i;
                continue;
            }
            const int len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            char32_t cp = len == 4 ? b & 0x07 : len == 3 ? b & 0x0F : b & 0x1F;
            for (int k = 1; k < len && i + k < n; ++k)
                cp = (cp << 6) | (p[i + k] & 0x3F);
            w += len > 1 && cp < 256 ? m_low[cp] : m_other;
            i += len;
        }
        return w;
    }

private:
    std::array<float, 256> m_low{};
    float m_other = 0;
};

// Different texts measured per column at most, widest estimates first. More than that within
// reach of the widest are texts of equal character widths (zip codes, dates, codes), which
// measure alike.
constexpr int kMaxMeasured = 512;
constexpr size_t kKeep = size_t(kMaxMeasured) * 32;

// The texts of one column worth measuring, widest estimates first (any thread: no font calls).
// Shaping and kerning move a text's width from its estimate by less than 2 pixels + 5%, so a
// text whose estimate plus that stays below `atLeast` (the title's width) cannot matter; the
// final cut against the widest measured text is made while measuring.
struct Candidates {
    std::vector<quint32> stored;
    std::vector<float> estimate;
};
float reach(float e) { return e + 2.0f + 0.05f * e; }

Candidates findCandidates(const ResultTable& table, const std::vector<quint32>& stored, int column,
                          const AdvanceTable& advances, int atLeast) {
    Candidates out;
    const size_t rows = stored.size();
    std::vector<float> estimate(rows);
    float widest = 0;
    for (size_t r = 0; r < rows; ++r) {
        estimate[r] = advances.estimate(table.storedUtf8(stored[r], column));
        widest = std::max(widest, estimate[r]);
    }
    // Nothing is wider than the widest estimate by more than the margin, nor can a text whose
    // reach is below the widest estimate minus the margin beat the text with the widest estimate.
    const float floor = std::max(float(atLeast), widest - (reach(widest) - widest));
    std::vector<quint32> rowsIn;
    for (size_t r = 0; r < rows; ++r)
        if (reach(estimate[r]) >= floor)
            rowsIn.push_back(quint32(r));
    auto wider = [&estimate](quint32 a, quint32 b) { return estimate[a] > estimate[b]; };
    if (rowsIn.size() > kKeep) {
        std::nth_element(rowsIn.begin(), rowsIn.begin() + qsizetype(kKeep), rowsIn.end(), wider);
        rowsIn.resize(kKeep);
    }
    std::sort(rowsIn.begin(), rowsIn.end(), wider);
    for (quint32 r : rowsIn) {
        out.stored.push_back(stored[r]);
        out.estimate.push_back(estimate[r]);
    }
    return out;
}

int widestCandidate(const ResultTable& table, const Candidates& c, int column, const QFontMetrics& fm, int atLeast) {
    int best = atLeast;
    QSet<QByteArrayView> measured;
    for (size_t i = 0; i < c.stored.size(); ++i) {
        if (reach(c.estimate[i]) < float(best) || measured.size() >= kMaxMeasured)
            break;
        const QByteArrayView t = table.storedUtf8(c.stored[i], column);
        if (measured.contains(t))
            continue;
        measured.insert(t);
        best = std::max(best, fm.horizontalAdvance(QString::fromUtf8(t)));
    }
    return best;
}

QList<int> visibleColumns(const QTableView* grid) {
    const QHeaderView* header = grid->horizontalHeader();
    QList<int> columns;
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!grid->isColumnHidden(logical))
            columns << logical;
    }
    return columns;
}

} // namespace

void setUpResultGrid(QTableView* grid) {
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setHighlightSections(false);
}

void AutoSizeGridColumns(QTableView* grid) {
    if (!grid || !grid->model())
        return;
    const QAbstractItemModel* model = grid->model();
    const QFontMetrics fm(grid->font());
    const QFontMetrics hfm(grid->horizontalHeader()->font());
    const int columns = model->columnCount();
    std::vector<int> widths(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        widths[size_t(c)] = hfm.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString());

    if (const auto* results = qobject_cast<const ResultModel*>(model)) {
        // The estimates (every cell) are shared out over threads, a column at a time; only the
        // few candidates are measured here, with the grid's font.
        const ResultTable& table = results->table();
        const std::vector<quint32> stored = table.storedPositions();
        const AdvanceTable advances(grid->font());
        std::vector<Candidates> candidates(static_cast<size_t>(columns));
        parallelFor(
            columns, [&](int c) { candidates[size_t(c)] = findCandidates(table, stored, c, advances, widths[size_t(c)]); }, nullptr,
            stored.size() < 65536 ? 1 : 0);
        for (int c = 0; c < columns; ++c)
            widths[size_t(c)] = widestCandidate(table, candidates[size_t(c)], c, fm, widths[size_t(c)]);
    } else {
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < model->rowCount(); ++r)
                widths[size_t(c)] = std::max(widths[size_t(c)], fm.horizontalAdvance(model->index(r, c).data().toString()));
    }
    grid->setUpdatesEnabled(false);
    // The header would widen a narrow column (a one-letter field) to its style's minimum.
    QHeaderView* header = grid->horizontalHeader();
    for (int c = 0; c < columns; ++c)
        header->setMinimumSectionSize(std::min(header->minimumSectionSize(), widths[size_t(c)] + 10));
    for (int c = 0; c < columns; ++c)
        grid->setColumnWidth(c, widths[size_t(c)] + 10);
    grid->setUpdatesEnabled(true);
    if (model->rowCount() > 0)
        grid->scrollToTop();
}

bool sortGridOnTitleClick(QTableView* grid, int column, bool& sortAscending) {
    QAbstractItemModel* model = grid ? grid->model() : nullptr;
    if (!model || column < 0 || column >= model->columnCount())
        return true;
    const bool ascending = !sortAscending;
    const Qt::SortOrder order = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    if (auto* results = qobject_cast<ResultModel*>(model)) {
        // A million rows take a moment to order: on a worker, and a cancel leaves the grid as it was.
        std::vector<quint32> rows;
        if (!runJob(grid, QStringLiteral("Sorting"),
                    [&](JobControl& control) { rows = results->table().sortedOrder(column, ascending, &control); }))
            return false;
        results->applyOrder(std::move(rows));
    } else {
        model->sort(column, order);
    }
    sortAscending = ascending;
    grid->horizontalHeader()->setSortIndicator(column, order);
    if (model->rowCount() > 0) {
        const int current = grid->currentIndex().isValid() ? grid->currentIndex().column() : column;
        grid->setCurrentIndex(model->index(0, current));
        grid->scrollToTop();
    }
    return true;
}

bool ExportGridToCSV(QTableView* grid, const QString& fileName) {
    const QAbstractItemModel* model = grid ? grid->model() : nullptr;
    if (!model)
        return true;
    const QList<int> columns = visibleColumns(grid);
    if (const auto* results = qobject_cast<const ResultModel*>(model)) {
        const ResultTable& table = results->table();
        return runJob(grid, QStringLiteral("Exporting"), [&](JobControl& control) {
            control.setTotal(table.rowCount());
            writeResultCsv(table, columns, fileName, &control);
        });
    }
    CsvFileWriter out(fileName);
    for (int c : columns)
        out.addField(model->headerData(c, Qt::Horizontal).toString());
    out.endLine();
    for (int r = 0; r < model->rowCount(); ++r) {
        for (int c : columns)
            out.addField(model->index(r, c).data().toString());
        out.endLine();
    }
    out.commit();
    return true;
}

namespace {
DesktopOpener& desktopOpener() {
    static DesktopOpener opener;
    return opener;
}
} // namespace

DesktopOpener setDesktopOpener(DesktopOpener opener) {
    DesktopOpener previous = desktopOpener();
    desktopOpener() = std::move(opener);
    return previous;
}

ScopedDesktopOpener::ScopedDesktopOpener()
    : m_previous(setDesktopOpener([this](const QUrl& url) { opened.append(url); })) {}

ScopedDesktopOpener::~ScopedDesktopOpener() { setDesktopOpener(m_previous); }

void OpenDocument(const QString& target) {
    QString t = target;
    t.replace(QLatin1Char('"'), QLatin1String("%22"));
    const QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(t) : QUrl(t, QUrl::TolerantMode);
    if (desktopOpener())
        desktopOpener()(url);
    else
        QDesktopServices::openUrl(url);
}
