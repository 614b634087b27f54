#pragma once
// TDistrictEditor ("District Editor"): creates the districts of a state and edits their county
// lists. The counties of the chosen state are listed on the left (double-click adds one to the
// district), the district's counties on the right (double-click removes one). Changes are
// written by Update, and on choosing another district or closing when there are any.
// Collaborators: DistrictFiles (the files), stateCounties (the zip table), CenteredMessageDialog
// and the input box, the general error report (files that cannot be read or written).

#include "core/AppContext.h"
#include "search/DistrictFiles.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QListWidget;
class QPushButton;

class TDistrictEditor : public QDialog {
    Q_OBJECT
public:
    TDistrictEditor(const TAppContext& context, QWidget* owner);

    // The current district file, the state folder and whether the list holds unwritten changes.
    QString districtFile() const { return DistrictFile; }
    QString stateFolder() const { return StateFolder; }
    bool districtChanged() const { return DistrictChanged; }
    // How Help hands the document to the desktop; tests replace it.
    void setDocumentOpener(std::function<void(const QString&)> opener) { m_openDocument = std::move(opener); }

    void cboStateSelect();
    void cboDistrictSelect();
    void lbCountyDblClick();
    void lbDistrictDblClick();
    void bntNewClick();
    void btnUpdateClick();
    void btnDismissClick();
    void btnHelpClick();

public slots:
    // Every way of closing (Dismiss, Escape, the title bar) passes here.
    void done(int result) override;

private:
    void FormCreate();
    void buildUi();
    void LoadStateLists();
    // Writes the list to the current district; false (after the error report) when it failed.
    bool writeDistrict();
    QStringList listedCounties() const;
    void showDistrict(const QStringList& counties);

    TAppContext m_ctx;
    QString StateFolder;
    QString DistrictFile;
    bool DistrictChanged = false;
    DistrictEncoding m_encoding = DistrictEncoding::Utf8;
    std::function<void(const QString&)> m_openDocument;

    QComboBox* cboState = nullptr;
    QComboBox* cboDistrict = nullptr;
    QListWidget* lbCounty = nullptr;
    QListWidget* lbDistrict = nullptr;
    QPushButton* bntNew = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* btnDismiss = nullptr;
};
