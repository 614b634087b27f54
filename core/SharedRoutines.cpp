#include "core/SharedRoutines.h"

#include "core/Version.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

void GetStateList(Database& zipdb, Query& zipQuery, QStringList& list) {
    zipQuery.open(zipdb, QStringLiteral("select distinct state from zipcodes where state !='' and state not in"
                                        "('NL','AB','NS','PE','NB','QC','ON','MB','SK','BC','NU','NT','YT','AA','AP','AS','AE')"
                                        " order by state"));
    for (int i = 0; i < zipQuery.recordCount(); ++i)
        list << zipQuery.value(i, 0).toString();
}

QString ReadURL(const QString& address, int timeoutMs) {
    const QString failure = QStringLiteral("Cannot open URL %1").arg(address);
    const QUrl url(address);
    if (!url.isValid() || url.scheme().isEmpty())
        throw UrlError(failure.toStdString());
    if (!QCoreApplication::instance())
        throw UrlError("Unable to initialize Wininet");

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("VER1010"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");

    QNetworkReply* reply = manager.get(request);
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
    QStringDecoder dec("windows-1252");
    return dec.isValid() ? QString(dec(body)) : QString::fromLatin1(body);
}

TEXEVersionData ReadVersionData(const QString& exeFileName) {
    TEXEVersionData v;
    v.CompanyName = QStringLiteral("Quillmarsh");
    v.FileDescription = QStringLiteral("Quillmarsh - Amateur and GMRS licence look-up");
    v.FileVersion = QStringLiteral("%1.%2.%3.%4").arg(QM_VERSION_MAJOR).arg(QM_VERSION_MINOR).arg(QM_VERSION_PATCH).arg(QM_VERSION_TWEAK);
    v.InternalName = QFileInfo(exeFileName).completeBaseName();
    v.LegalCopyright = QStringLiteral("Copyright (C) 2026 Quillmarsh developers");
    v.OriginalFileName = QFileInfo(exeFileName).fileName();
    v.ProductName = QStringLiteral("Quillmarsh");
    v.ProductVersion = v.FileVersion;
    v.Comments = QStringLiteral("Look-up of US amateur and GMRS licences and Canadian amateur call signs");
    return v;
}
