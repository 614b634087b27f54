#include "data/Downloader.h"

#include "data/WebRequest.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr qint64 kChunk = 256 * 1024;

QString shown(const QUrl& url) { return url.toDisplayString(); }

} // namespace

int downloadPercent(qint64 bytesRead, qint64 contentLength) {
    if (contentLength <= 0)
        return -1;
    const double percent = std::trunc(100.0 * double(bytesRead) / double(contentLength));
    return int(std::clamp(percent, 0.0, 100.0));
}

Downloader::Downloader(QObject* parent)
    : QObject(parent), m_manager(std::make_unique<QNetworkAccessManager>()), m_rateTimer(new QTimer(this)) {
    connect(m_rateTimer, &QTimer::timeout, this, &Downloader::checkRate);
}

Downloader::~Downloader() { dropReply(); }

void Downloader::dropReply() {
    if (!m_reply)
        return;
    m_rateTimer->stop();
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    delete reply;
    m_file.reset();   // an uncommitted save file removes its temporary file
}

void Downloader::start(const QUrl& url, const QString& fileName) {
    dropReply();
    m_url = url;
    m_fileName = fileName;
    m_contentLength = -1;
    m_bytesRead = 0;
    m_bytesAtWindowStart = 0;
    m_failure = DownloadFailure::None;
    m_error.clear();
    m_done = false;
    m_aborting = false;

    m_file = std::make_unique<QSaveFile>(fileName);
    // Writing straight into the target would leave a partial file under the real name.
    m_file->setDirectWriteFallback(false);
    if (!m_file->open(QIODevice::WriteOnly)) {
        fail(DownloadFailure::LocalFile,
             QStringLiteral("Cannot create the file %1: %2").arg(fileName, m_file->errorString()));
        m_file.reset();
        // Callers connect after start(); the end must reach them from the event loop.
        QMetaObject::invokeMethod(
            this, [this, url] { if (!m_done && m_url == url && !m_reply) finish(); }, Qt::QueuedConnection);
        return;
    }

    QNetworkRequest request = programRequest(url);
    // Qt would otherwise ask for gzip and inflate it, and the announced length would no
    // longer be comparable with the bytes written.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(m_stallTimeoutMs);

    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Downloader::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &Downloader::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &Downloader::onFinished);
    if (m_minimumBytes > 0 && m_rateWindowMs > 0)
        m_rateTimer->start(m_rateWindowMs);
}

void Downloader::checkRate() {
    if (!m_reply || m_failure != DownloadFailure::None)
        return;
    const qint64 arrived = m_bytesRead - m_bytesAtWindowStart;
    m_bytesAtWindowStart = m_bytesRead;
    if (arrived >= m_minimumBytes)
        return;
    fail(DownloadFailure::TooSlow, QStringLiteral("The download of %1 stopped: only %2 bytes arrived in %3 seconds, too slow to finish.")
                                       .arg(shown(m_url))
                                       .arg(arrived)
                                       .arg(m_rateWindowMs / 1000.0));
    m_reply->abort();
}

void Downloader::abort() {
    if (!m_reply)
        return;
    m_aborting = true;
    fail(DownloadFailure::Aborted, QStringLiteral("The download of %1 was stopped.").arg(shown(m_url)));
    m_reply->abort();   // finished() follows at once
}

int Downloader::httpStatus() const {
    return m_reply ? m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
}

void Downloader::fail(DownloadFailure failure, const QString& error) {
    if (m_failure != DownloadFailure::None)
        return;   // the first reason is the one that explains the others
    m_failure = failure;
    m_error = error;
}

void Downloader::onMetaData() {
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_contentLength = length.isValid() ? length.toLongLong() : -1;
    const int status = httpStatus();
    if (status >= 400) {
        const QString reason = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        fail(DownloadFailure::HttpStatus, QStringLiteral("The server answered %1 for %2.")
                                              .arg(QString(QString::number(status) + QLatin1Char(' ') + reason).trimmed(),
                                                   shown(m_url)));
        // The error page is of no use; do not wait for it. The abort is posted, since aborting
        // inside the reply's own header signal makes it report its error twice.
        QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
    } else if (m_contentLength > m_maximumSize) {
        fail(DownloadFailure::TooLarge, tooLargeText());
        QMetaObject::invokeMethod(m_reply, &QNetworkReply::abort, Qt::QueuedConnection);
    }
}

QString Downloader::tooLargeText() const {
    return QStringLiteral("The download of %1 was stopped: it is larger than the %2 bytes allowed.").arg(shown(m_url)).arg(m_maximumSize);
}

void Downloader::onReadyRead() {
    if (!m_reply || !m_file || m_failure != DownloadFailure::None)
        return;
    bool wrote = false;
    while (m_reply->bytesAvailable() > 0) {
        const QByteArray chunk = m_reply->read(kChunk);
        if (chunk.isEmpty())
            break;
        if (m_bytesRead + chunk.size() > m_maximumSize) {
            fail(DownloadFailure::TooLarge, tooLargeText());
            m_reply->abort();
            return;
        }
        if (m_file->write(chunk) != chunk.size()) {
            fail(DownloadFailure::LocalFile,
                 QStringLiteral("Cannot write the file %1: %2").arg(m_fileName, m_file->errorString()));
            m_reply->abort();
            return;
        }
        m_bytesRead += chunk.size();
        wrote = true;
    }
    if (wrote)
        emit progress(m_contentLength, m_bytesRead);
}

void Downloader::onFinished() {
    if (!m_reply)
        return;
    m_rateTimer->stop();
    if (m_failure == DownloadFailure::None) {
        const QNetworkReply::NetworkError error = m_reply->error();
        if (error == QNetworkReply::NoError) {
            onReadyRead();
        } else if ((error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
                   && !m_aborting) {
            fail(DownloadFailure::Network, QStringLiteral("The download of %1 stopped: nothing arrived for %2 seconds.")
                                               .arg(shown(m_url))
                                               .arg(m_stallTimeoutMs / 1000.0));
        } else {
            fail(DownloadFailure::Network,
                 QStringLiteral("The download of %1 failed: %2").arg(shown(m_url), m_reply->errorString()));
        }
    }
    if (m_failure == DownloadFailure::None && m_contentLength >= 0 && m_bytesRead != m_contentLength)
        fail(DownloadFailure::Incomplete, QStringLiteral("The download of %1 broke off after %2 of %3 bytes.")
                                              .arg(shown(m_url))
                                              .arg(m_bytesRead)
                                              .arg(m_contentLength));
    if (m_failure == DownloadFailure::None && !m_file->commit())
        fail(DownloadFailure::LocalFile,
             QStringLiteral("Cannot write the file %1: %2").arg(m_fileName, m_file->errorString()));

    m_file.reset();   // after a failure this removes the temporary file; the target is untouched
    std::exchange(m_reply, nullptr)->deleteLater();
    finish();
}

void Downloader::finish() {
    m_done = true;
    emit finished(succeeded(), m_error);
}

bool downloadFile(const QUrl& url, const QString& fileName, QString* error,
                  const std::function<void(qint64, qint64)>& progress) {
    Downloader downloader;
    QEventLoop loop;
    if (progress)
        QObject::connect(&downloader, &Downloader::progress, &loop, progress);
    QObject::connect(&downloader, &Downloader::finished, &loop, &QEventLoop::quit);
    downloader.start(url, fileName);
    loop.exec();
    if (error)
        *error = downloader.errorText();
    return downloader.succeeded();
}
