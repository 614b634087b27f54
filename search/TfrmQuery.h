#pragma once
// TfrmQuery: the small dialog through which the single-value searches ask for their value, with
// the choice of service (amateur or GMRS) and licence status (active or not). The caller writes
// the prompt, may hide the service buttons (the Canadian searches), shows it, and reads the
// three values, which only OK sets. Neither button answers Enter or Escape: a value is only
// taken by a click on OK, and Escape does not close the dialog.
// Collaborators: the US and Canadian search handlers (SearchActions).

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfrmQuery : public QDialog {
    Q_OBJECT
public:
    explicit TfrmQuery(QWidget* owner);

    // Puts the prompt into Label1 and shows the dialog modally: 1 for OK, 2 for cancel.
    int ShowDialog(const QString& prompt);
    // The Canadian searches have no service choice; the empty frame stays.
    void hideServiceButtons();

    // Set by OK only: the text exactly as typed, "Amatuer" chosen, "Active" chosen.
    QString SearchResult() const { return m_SearchResult; }
    bool IsAmat() const { return m_IsAmat; }
    bool IsActive() const { return m_IsActive; }

    void btnOKClick();
    void btnCancelClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_SearchResult;
    bool m_IsAmat = false;
    bool m_IsActive = false;

    QLabel* Label1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* rbAmat = nullptr;
    QRadioButton* rbGMRS = nullptr;
    QRadioButton* rbActive = nullptr;
    QRadioButton* rbNotActive = nullptr;
    QLineEdit* edtSearch = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
