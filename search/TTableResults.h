#pragma once
// TTableResults: the result table window the single-value searches and the date search end in.
// ShowDialog runs the search on the licence connection — on a worker, since the largest results
// (every active amateur licence) take seconds — keeps every row, and only when there are rows
// opens modally with the exact count, the rows in a grid sized to its content, title-click
// sorting (one direction flag for every window of this class, kept for the whole run) and CSV
// export. With no rows it says "No records found" and never opens.
// The rows belong to the window, in the compact ResultTable (a data set of per-cell objects would
// need gigabytes for a million licences); they go when the caller frees the window.
// Collaborators: SearchSql, fetchSearchRows, ResultModel/ResultTable, GridHelpers
// (AutoSizeGridColumns, sortGridOnTitleClick, ExportGridToCSV), CenteredMessageDialog.

#include "core/AppContext.h"
#include "core/ResultTable.h"
#include "search/SearchSql.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;
class QTableView;
class ResultModel;

class TTableResults : public QDialog {
    Q_OBJECT
public:
    TTableResults(const TAppContext& context, QWidget* owner);

    // Runs the search; without rows tells "No records found" and returns 0 without opening (so
    // does a search the user cancelled, silently);
    // otherwise shows the window modally and returns 2 (cancel) when it is dismissed or closed.
    // A database error is thrown (the general error report shows it); the window stays closed.
    int ShowDialog(const SearchSql& search);
    int ShowDialog(const QString& sql, const QVariantList& params = {});
    // The same for rows the caller has read already (the date search reads its counties in parts).
    int ShowDialog(ResultTable rows);

    // The sort direction of the next title click is its opposite; false when the program starts.
    static inline bool SortAscending = false;

    void btnExportClick();
    void btnDismissClick();
    void dbgrd1TitleClick(int column);

    const ResultModel& model() const { return *m_model; }

private:
    TDM& DM;
    ResultModel* m_model = nullptr;
    QLabel* lblRecords = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnDismiss = nullptr;
    QTableView* dbgrd1 = nullptr;
};

// Every row of a search, read by a worker on its own read-only connection to the database file
// while the owner waits with Cancel (runJob), then ordered as the search asks; nothing when the
// user cancelled. Throws the database's error. For windows that show the rows their own way:
// pass DM.condb.fileName().
std::optional<ResultTable> fetchSearchRows(QWidget* owner, const QString& databaseFile, const SearchSql& search);

