#pragma once
// TfrmPostalEditor ("Postal/Zip Code Editor"): the zip table in a grid, a search by part of a
// code, and the record form for adding a row or changing the grid's current one.
// Collaborators: ZipTable (the search), TDM (Zipdb, QuerySearch), ResultModel (the grid's rows),
// TfrmZipCRUD (opened modally for Add New and Update).

#include "core/DataModule.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class ResultModel;

class TfrmPostalEditor : public QDialog {
    Q_OBJECT
public:
    TfrmPostalEditor(QWidget* owner, TDM& dm);

    void btngoClick();
    void btnAddClick();
    void btnUpdateClick();
    void btnCloseClick();

    static constexpr int kMaxColumnWidth = 75;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void ShowAllRows();
    void LimitColumnWidths();
    // Shows the rows of QuerySearch; the current row goes to the one with that key when present.
    void showRows(const QVariant& keepKey = {});
    QString currentText(const char* field) const;

    TDM& DM;
    bool m_shown = false;
    ResultModel* ds1 = nullptr;
    QLabel* lbl1 = nullptr;
    QLineEdit* edtSearch = nullptr;
    QPushButton* btngo = nullptr;
    QTableView* dbgrd1 = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* btnClose = nullptr;
};
