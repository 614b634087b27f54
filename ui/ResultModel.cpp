#include "ui/ResultModel.h"

#include <algorithm>

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultModel::setRows(const Query& query) { setRows(query.fieldNames(), query.rows()); }

void ResultModel::setRows(const QStringList& fields, const QVector<QVariantList>& rows) {
    beginResetModel();
    m_fields = fields;
    m_rows = rows;
    endResetModel();
}

int ResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }
int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_fields.size()); }

QString ResultModel::displayText(int row, int column) const {
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fields.size())
        return {};
    const QVariant& v = m_rows.at(row).at(column);
    return v.isNull() ? QString() : v.toString();
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
        return section >= 0 && section < m_fields.size() ? QVariant(m_fields.at(section)) : QVariant();
    return section + 1;
}

void ResultModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= m_fields.size())
        return;
    emit layoutAboutToBeChanged();
    auto less = [column](const QVariantList& a, const QVariantList& b) {
        const QVariant& x = a.at(column);
        const QVariant& y = b.at(column);
        // NULLs first, then by the value's own type (numbers as numbers, text as text).
        if (x.isNull() || y.isNull())
            return x.isNull() && !y.isNull();
        return QVariant::compare(x, y) == QPartialOrdering::Less;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(), [&](const QVariantList& a, const QVariantList& b) { return less(b, a); });
    emit layoutChanged();
}
