#include "ui/GridHelpers.h"

#include "core/Paths.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>
#include <QUrl>

void AutoSizeGridColumns(QTableView* grid) {
    if (!grid || !grid->model())
        return;
    const QAbstractItemModel* model = grid->model();
    const QFontMetrics fm(grid->font());
    const QFontMetrics hfm(grid->horizontalHeader()->font());
    grid->setUpdatesEnabled(false);
    for (int c = 0; c < model->columnCount(); ++c) {
        int width = hfm.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < model->rowCount(); ++r)
            width = std::max(width, fm.horizontalAdvance(model->index(r, c).data().toString()));
        grid->setColumnWidth(c, width + 10);
    }
    grid->setUpdatesEnabled(true);
    if (model->rowCount() > 0)
        grid->scrollToTop();
}

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& f : fields) {
        QString v = f;
        v.replace(QLatin1Char('"'), QLatin1String("\"\""));
        quoted << QLatin1Char('"') + v + QLatin1Char('"');
    }
    return quoted.join(QLatin1Char(','));
}

void ExportGridToCSV(QTableView* grid, const QString& fileName) {
    const QAbstractItemModel* model = grid ? grid->model() : nullptr;
    if (!model)
        return;
    const QHeaderView* header = grid->horizontalHeader();
    QList<int> columns;   // visible columns in their on-screen order
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!grid->isColumnHidden(logical))
            columns << logical;
    }
    QStringList lines;
    QStringList fields;
    for (int c : columns)
        fields << model->headerData(c, Qt::Horizontal).toString();
    lines << csvLine(fields);
    for (int r = 0; r < model->rowCount(); ++r) {
        fields.clear();
        for (int c : columns)
            fields << model->index(r, c).data().toString();
        lines << csvLine(fields);
    }
    writeTextLines(fileName, lines);
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
