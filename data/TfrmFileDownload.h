#pragma once
// TfrmFileDownload ("File Downloader"): the modal window of one download. When first shown it
// starts a Downloader for its address and local file, shows both, the announced length, the
// bytes received and a plain bar, and closes itself when the transfer has ended, after an error
// box when it failed (unless its caller gathers the failures itself). The close button and
// Escape do not end a running transfer; its Cancel button does. After exec() the caller reads
// the outcome from succeeded(), cancelled() and errorText().
// Collaborators: Downloader (the transfer), CenteredMessageDialog (the error box), the update
// workflow (creates one per archive and waits in exec()).

#include <QDialog>
#include <QString>

class Downloader;
class QLabel;
class QProgressBar;
class QPushButton;

class TfrmFileDownload : public QDialog {
    Q_OBJECT
public:
    TfrmFileDownload(QWidget* owner, const QString& aURL, const QString& aFileName);
    ~TfrmFileDownload() override;   // a transfer still running is aborted; its temporary file goes

    bool isFinished() const { return Finished; }
    bool succeeded() const { return m_succeeded; }
    bool cancelled() const { return m_cancelled; }
    QString errorText() const { return m_errorText; }
    // Whether the window shows an error box for a failure (a caller that fetches several files
    // may tell about them together instead).
    void setReportErrors(bool report) { m_reportErrors = report; }
    // For tests that need a stall to end quickly.
    Downloader* downloader() const { return m_downloader; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void NetHTTPRequest1ReceiveData(qint64 AContentLength, qint64 AReadCount);
    void QueryFinished(bool ok, const QString& error);
    void btnCancelClick();
    bool transferRunning() const { return m_started && !Finished; }

    QString req_url;
    QString req_filename;
    qint64 TotalBytes = 0;
    qint64 LastWorkCount = 0;
    bool Finished = false;
    bool m_started = false;
    bool m_succeeded = false;
    bool m_cancelled = false;
    bool m_reportErrors = true;
    QString m_errorText;

    Downloader* m_downloader = nullptr;
    QLabel* reqFile = nullptr;
    QLabel* lclFile = nullptr;
    QLabel* lblTotalBytes = nullptr;
    QLabel* lblTransfered = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* btnCancel = nullptr;
};
