#pragma once
// Downloader: fetches one address into one local file with an HTTP GET, on the thread it lives
// on, driven by QNetworkAccessManager's signals. The body streams chunk by chunk into a
// temporary file beside the target, which replaces the target only when the whole body has
// arrived; an error status, a broken connection, a short body or a stalled transfer is a
// failure that leaves the target as it was and removes the temporary file. Reports progress
// as (content length, bytes read) and the end as (success, plain-words reason). A body larger
// than a cap, or one that trickles in below a minimum rate, is a failure too, so a hostile or
// broken server can neither fill the disk nor hold the program; abort() is the user's cancel.
// Collaborators: QNetworkAccessManager, QSaveFile, programRequest (WebRequest); TfrmFileDownload
// (the window over it), downloadFile (the blocking form for headless callers).

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;
class QTimer;

enum class DownloadFailure {
    None,
    LocalFile,     // the local file could not be created, written or put in place
    Network,       // host not found, connection refused or broken, TLS failure, timeout
    HttpStatus,    // the server answered with a status of 400 or more
    Incomplete,    // the body ended before the length the server announced
    Aborted,       // abort() was called
    TooLarge,      // the body is (or announces itself) larger than the cap
    TooSlow,       // less than the minimum arrived within one rate window
};

// Whole percent of a transfer, truncated toward zero (999 of 1000 is 99); -1 when the total is
// unknown (not positive).
int downloadPercent(qint64 bytesRead, qint64 contentLength);

class Downloader : public QObject {
    Q_OBJECT
public:
    // No byte for this long ends the transfer; a server that stops sending would otherwise
    // hold a window that refuses to close.
    static constexpr int kDefaultStallTimeoutMs = 120000;
    // Far above the largest archive (a few hundred MB).
    static constexpr qint64 kDefaultMaximumSize = qint64(2) * 1024 * 1024 * 1024;
    // A dial-up line brings several hundred KB a minute; a server that sends a byte now and then
    // (which the stall timeout never catches) brings almost nothing.
    static constexpr qint64 kDefaultMinimumBytes = 16 * 1024;
    static constexpr int kDefaultRateWindowMs = 60000;

    explicit Downloader(QObject* parent = nullptr);
    ~Downloader() override;   // a running transfer is aborted without a finished signal

    void setStallTimeout(int msecs) { m_stallTimeoutMs = msecs; }
    void setMaximumSize(qint64 bytes) { m_maximumSize = bytes; }
    // At least `bytes` must arrive in every `windowMs` from the start of the transfer.
    void setMinimumRate(qint64 bytes, int windowMs) {
        m_minimumBytes = bytes;
        m_rateWindowMs = windowMs;
    }

    // Starts the transfer; finished() always comes later from the event loop, even when the
    // local file cannot be created. Starting again while running abandons the running one.
    void start(const QUrl& url, const QString& fileName);
    void abort();

    bool isRunning() const { return m_reply != nullptr; }
    bool succeeded() const { return m_failure == DownloadFailure::None && m_done; }
    DownloadFailure failure() const { return m_failure; }
    QString errorText() const { return m_error; }
    QUrl url() const { return m_url; }
    QString fileName() const { return m_fileName; }
    qint64 contentLength() const { return m_contentLength; }
    qint64 bytesRead() const { return m_bytesRead; }

signals:
    // contentLength <= 0 when the server did not announce one.
    void progress(qint64 contentLength, qint64 bytesRead);
    void finished(bool ok, const QString& error);

private:
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void fail(DownloadFailure failure, const QString& error);
    void finish();
    void dropReply();
    void checkRate();
    QString tooLargeText() const;
    int httpStatus() const;

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QNetworkReply* m_reply = nullptr;
    std::unique_ptr<QSaveFile> m_file;
    QUrl m_url;
    QString m_fileName;
    qint64 m_contentLength = -1;
    qint64 m_bytesRead = 0;
    int m_stallTimeoutMs = kDefaultStallTimeoutMs;
    qint64 m_maximumSize = kDefaultMaximumSize;
    qint64 m_minimumBytes = kDefaultMinimumBytes;
    int m_rateWindowMs = kDefaultRateWindowMs;
    qint64 m_bytesAtWindowStart = 0;
    QTimer* m_rateTimer = nullptr;
    DownloadFailure m_failure = DownloadFailure::None;
    QString m_error;
    bool m_done = false;
    bool m_aborting = false;
};

// Blocking form for callers without a window: runs its own event loop until the transfer ends.
// Returns true on success; otherwise false with the reason in *error (when given).
bool downloadFile(const QUrl& url, const QString& fileName, QString* error = nullptr,
                  const std::function<void(qint64 contentLength, qint64 bytesRead)>& progress = {});
