#pragma once
// TfrmFileDownload ("File Downloader"): the modal window of one download. When first shown it
// starts a Downloader for its address and local file, shows both, the announced length, the
// bytes received and the percentage, and closes itself when the transfer has ended, after an
// error box when it failed. It cannot be closed while the transfer runs. After exec() the
// caller reads the outcome from succeeded() and errorText().
// Collaborators: Downloader (the transfer), CenteredMessageDialog (the error box), the update
// workflow (creates one per archive and waits in exec()).

#include <QDialog>
#include <QString>

class Downloader;
class QLabel;
class QProgressBar;

class TfrmFileDownload : public QDialog {
    Q_OBJECT
public:
    TfrmFileDownload(QWidget* owner, const QString& aURL, const QString& aFileName);
    ~TfrmFileDownload() override;   // a transfer still running is aborted; its temporary file goes

    bool isFinished() const { return Finished; }
    bool succeeded() const { return m_succeeded; }
    QString errorText() const { return m_errorText; }
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
    bool transferRunning() const { return m_started && !Finished; }

    QString req_url;
    QString req_filename;
    qint64 TotalBytes = 0;
    qint64 LastWorkCount = 0;
    bool Finished = false;
    bool m_started = false;
    bool m_succeeded = false;
    QString m_errorText;

    Downloader* m_downloader = nullptr;
    QLabel* reqFile = nullptr;
    QLabel* lclFile = nullptr;
    QLabel* lblTotalBytes = nullptr;
    QLabel* lblTransfered = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
};
