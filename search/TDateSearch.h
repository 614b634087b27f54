#pragma once
// TDateSearch ("DateSearch"): the active amateur or GMRS licences of one US state, restricted to
// counties picked by name or to a district, whose grant, expiry or last-action date falls in a
// range of days (both included). Each search opens a result table window; this window stays
// open behind it for the next search.
// Collaborators: dateSearchSql (the statement), CountyChoiceWindow (state, counties, districts),
// TTableResults (runs it and shows the rows).

#include "core/AppContext.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

class TDateSearch : public QDialog {
    Q_OBJECT
public:
    TDateSearch(const TAppContext& context, QWidget* owner);

    void cbbStateSelect();
    void rg2Click();
    void btnSearchClick();
    void btnQuitClick();

private:
    void FormCreate();
    void buildUi();
    bool byDistrict() const;

    TAppContext m_ctx;

    QGroupBox* rg1 = nullptr;
    QRadioButton* rbGrant = nullptr;
    QRadioButton* rbExpireDate = nullptr;
    QRadioButton* rbLastAction = nullptr;
    QDateEdit* dtpStart = nullptr;
    QDateEdit* dtpEndDate = nullptr;
    QComboBox* cbbState = nullptr;
    QGroupBox* grp1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* rbAmat = nullptr;
    QRadioButton* rbGMRS = nullptr;
    QGroupBox* rg2 = nullptr;
    QButtonGroup* m_rg2Buttons = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnQuit = nullptr;
    QListWidget* lbCounty = nullptr;
    QLabel* Label1 = nullptr;
};
