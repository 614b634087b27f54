#pragma once
// TCountySearch ("US County Search"): the amateur or GMRS licences, active or not, of one US
// state restricted to one county, several counties picked by hand, or a district, shown in the
// window's own grid so that several searches can follow one another. The grid sorts on a title
// click with this window class's own direction flag and exports to CSV.
// Collaborators: countySearchSql (the statement), CountyChoiceWindow (state, counties, districts),
// fetchSearchRows (reads it), ResultModel, AutoSizeGridColumns and ExportGridToCSV (the grid),
// CenteredMessageDialog and the save-file dialog.

#include "core/AppContext.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableView;
class ResultModel;

class TCountySearch : public QDialog {
    Q_OBJECT
public:
    TCountySearch(const TAppContext& context, QWidget* owner);

    // One direction flag for every county search window of the run; false at start.
    static bool SortAscending;

    void cbbStateSelect();
    void rg1Click();
    void btnSearchClick();
    void btnExportClick();
    void dbgrd1TitleClick(int column);

private:
    void FormCreate();
    void buildUi();
    bool byDistrict() const;

    TAppContext m_ctx;
    bool m_gridBound = false;
    ResultModel* m_model = nullptr;

    QLabel* lbl1 = nullptr;
    QComboBox* cbbState = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* rbAmat = nullptr;
    QRadioButton* rbGMRS = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* rbActive = nullptr;
    QRadioButton* rbNotAtive = nullptr;
    QGroupBox* rg1 = nullptr;
    QButtonGroup* m_rg1Buttons = nullptr;
    QListWidget* lbCounty = nullptr;
    QLabel* lbl3 = nullptr;
    QLabel* lblNumRecords = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnExport = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* grp1 = nullptr;
    QTableView* dbgrd1 = nullptr;
};
