#pragma once
// ResultModel: the rows of a data set shown in a grid; columns are titled with the result's
// field names, and sorting re-orders the fetched rows in memory (the SQL is not run again).
// Collaborators: Query (the rows), the result windows, AutoSizeGridColumns, ExportGridToCSV.

#include "core/Query.h"

#include <QAbstractTableModel>

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultModel(QObject* parent = nullptr);
    // Named apart from QAbstractItemModel::setData, which edits one cell.
    void setRows(const Query& query);
    void setRows(const QStringList& fields, const QVector<QVariantList>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const QStringList& fieldNames() const { return m_fields; }
    QString displayText(int row, int column) const;

private:
    QStringList m_fields;
    QVector<QVariantList> m_rows;
};
