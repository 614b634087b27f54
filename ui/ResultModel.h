#pragma once
// ResultModel: the rows of a query shown in a grid. Columns are titled with the result's field
// names; the rows live in a ResultTable (compact, for results of a million rows), and sorting
// re-orders the fetched rows in memory — the SQL is not run again — keeping the grid's current
// cell on the same record.
// Collaborators: ResultTable (the rows), Query (small data sets), the result windows,
// AutoSizeGridColumns, ExportGridToCSV, sortGridOnTitleClick.

#include "core/Query.h"
#include "core/ResultTable.h"

#include <QAbstractTableModel>

class ResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultModel(QObject* parent = nullptr);
    // Named apart from QAbstractItemModel::setData, which edits one cell.
    void setRows(const Query& query);
    void setRows(const QStringList& fields, const QVector<QVariantList>& rows);
    void setTable(ResultTable table);
    const ResultTable& table() const { return m_table; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The table's order (ResultTable::sort): NULL first, numbers by value, text byte by byte; stable.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Puts an order of the table's rows in force (ResultTable::sortedOrder, computed elsewhere);
    // selected and current cells stay on their rows.
    void applyOrder(std::vector<quint32> rows);

    const QStringList& fieldNames() const { return m_table.fieldNames(); }
    QString displayText(int row, int column) const;

private:
    ResultTable m_table;
};
