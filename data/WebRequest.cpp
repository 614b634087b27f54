#include "data/WebRequest.h"

#include "core/Paths.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

QNetworkRequest programRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kProgramUserAgent));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    return request;
}

QString ReadURL(const QString& address, int timeoutMs) {
    const QString failure = QStringLiteral("Cannot open URL %1").arg(address);
    const QUrl url(address);
    if (!url.isValid() || url.scheme().isEmpty())
        throw UrlError(failure.toStdString());
    if (!QCoreApplication::instance())
        throw UrlError("Unable to initialize Wininet");

    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(programRequest(url));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = reply->error() == QNetworkReply::NoError && (status == 0 || (status >= 200 && status < 300));
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    if (!ok)
        throw UrlError(failure.toStdString());
    // Read as every text the program reads: UTF-8 when it is valid, else the 8-bit code page.
    return decodeText(body);
}
