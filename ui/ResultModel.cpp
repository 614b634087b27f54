#include "ui/ResultModel.h"

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultModel::setRows(const Query& query) { setRows(query.fieldNames(), query.rows()); }

void ResultModel::setRows(const QStringList& fields, const QVector<QVariantList>& rows) {
    ResultTable table(fields);
    for (const QVariantList& row : rows)
        table.appendRow(row);
    setTable(std::move(table));
}

void ResultModel::setTable(ResultTable table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int ResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_table.rowCount()); }
int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_table.columnCount(); }

QString ResultModel::displayText(int row, int column) const {
    if (row < 0 || row >= m_table.rowCount() || column < 0 || column >= m_table.columnCount())
        return {};
    return m_table.text(row, column);
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return displayText(index.row(), index.column());
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_table.columnCount() ? QVariant(m_table.fieldNames().at(section)) : QVariant();
    return section + 1;
}

void ResultModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= m_table.columnCount())
        return;
    applyOrder(m_table.sortedOrder(column, order == Qt::AscendingOrder));
}

void ResultModel::applyOrder(std::vector<quint32> rows) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<quint32> storedAt;   // storage position of each persistent index's row
    storedAt.reserve(size_t(before.size()));
    for (const QModelIndex& i : before)
        storedAt.push_back(m_table.order()[size_t(i.row())]);

    m_table.setOrder(std::move(rows));

    if (!before.isEmpty()) {
        std::vector<quint32> rowOf(m_table.storedLimit());
        const std::vector<quint32>& order = m_table.order();
        for (size_t r = 0; r < order.size(); ++r)
            rowOf[order[r]] = quint32(r);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype k = 0; k < before.size(); ++k)
            after << index(int(rowOf[storedAt[size_t(k)]]), before.at(k).column());
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
