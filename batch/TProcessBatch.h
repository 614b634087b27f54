#pragma once
// TProcessBatch ("Batch File Processing"): the user picks a text file of call signs and the CSV
// file to write, chooses how the call signs are separated, and presses OK; the conversion runs on
// a worker while the bar shows its progress, then the window reports completion and closes.
// Cancel (or closing the window) during a run stops it and writes nothing. An output chosen equal
// to the input is refused.
// Collaborators: BatchRunner/convertBatchFile (the work), TAppContext (database files, documents
// folder), the file dialogs and CenteredMessageDialog (ui/MessageDialog.h), the general error
// report.

#include "batch/BatchRunner.h"
#include "core/AppContext.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class TProcessBatch : public QDialog {
    Q_OBJECT
public:
    TProcessBatch(QWidget* owner, const TAppContext& context);

    QString InFileName;
    QString OutFileName;
    QChar Delimiter = QLatin1Char('\n');
    const QChar QuoteChar = QLatin1Char('"');

    void btnInFIleClick();
    void btnOutFileClick();
    void rbTabClick();
    void btnOKClick();
    void btnCancelClick();
    bool isRunning() const { return m_runner.isRunning(); }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setRunning(bool running);
    void runFinished(const BatchResult& result);

    TAppContext m_ctx;
    BatchRunner m_runner;
    bool m_closeWhenStopped = false;

    QLabel* lbl1 = nullptr;
    QLineEdit* edtInFIle = nullptr;
    QPushButton* btnInFIle = nullptr;
    QLabel* lbl2 = nullptr;
    QLineEdit* edtOutFile = nullptr;
    QPushButton* btnOutFile = nullptr;
    QGroupBox* grp1 = nullptr;
    QList<QRadioButton*> m_delimiterButtons;
    QProgressBar* pb1 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
