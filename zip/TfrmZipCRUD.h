#pragma once
// TfrmZipCRUD ("Postal/Zip CRUD Form"): adds one row to the zip table or changes one. The opener
// fills or clears the boxes and sets the mode (Tag 1: update, anything else: add); Execute checks
// the values, writes through the zip connection and confirms; a value that cannot be written is
// named in a message and the form stays open with what was typed.
// Collaborators: ZipTable (statements and checks), TDM (Zipdb),
// CenteredMessageDialog, TfrmPostalEditor (the opener).

#include "core/DataModule.h"
#include "zip/ZipTable.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmZipCRUD : public QDialog {
    Q_OBJECT
public:
    TfrmZipCRUD(QWidget* owner, TDM& dm);

    int Tag = 0;

    QLineEdit* edtZip = nullptr;
    QLineEdit* edtCity = nullptr;
    QLineEdit* edtState = nullptr;
    QLineEdit* edtLatitude = nullptr;
    QLineEdit* edtLongitude = nullptr;
    QLineEdit* edtCounty = nullptr;
    QLineEdit* edtKey = nullptr;

    void btnAddClick();
    void btncancelClick();
    // Yellow background with black text, whatever the visual style's colours.
    static void markYellow(QLineEdit* box);

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class Outcome { Written, Refused, Invalid };
    void FormShow();
    Outcome AddRecord();
    Outcome UpdateRecord();
    ZipRecordText typed() const;
    bool checkTyped();

    TDM& DM;
    QLabel* lblAction = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btncancel = nullptr;
};
