#include "service/LookupRoutes.h"

#include "core/Version.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

namespace {

QByteArray reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}

HttpResponse error(int status, const QString& message) {
    HttpResponse r;
    r.status = status;
    QJsonObject inner{{QStringLiteral("status"), status}, {QStringLiteral("message"), message}};
    r.body = QJsonDocument(QJsonObject{{QStringLiteral("error"), inner}}).toJson(QJsonDocument::Compact);
    return r;
}

const QString kCallRule = QStringLiteral("A call sign is 3 to 10 letters, digits or slashes");

} // namespace

std::optional<QString> requestedCall(QByteArrayView encodedCall) {
    // Percent-encoding makes at most three bytes of one: anything longer is no call sign.
    if (encodedCall.size() > 30)
        return std::nullopt;
    const QByteArray call = QByteArray::fromPercentEncoding(encodedCall.toByteArray()).toUpper();
    if (call.size() < 3 || call.size() > 10)
        return std::nullopt;
    for (char c : call)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/'))
            return std::nullopt;
    return QString::fromLatin1(call);
}

HttpResponse answerRequest(const HttpRequestHead& head, const std::function<HamDbRecord(const QString&)>& find) {
    if (head.method != "GET" && head.method != "HEAD") {
        HttpResponse r = error(405, QStringLiteral("Only GET and HEAD are answered"));
        r.allowHeader = true;
        r.close = true;
        return r;
    }
    if (head.hasBody) {
        HttpResponse r = error(400, QStringLiteral("A request body is not accepted"));
        r.close = true;
        return r;
    }
    QByteArrayView path = head.target;
    // The absolute form a proxy-minded client may send: only the path counts.
    for (const char* scheme : {"http://", "https://"}) {
        if (path.startsWith(scheme)) {
            const qsizetype slash = path.indexOf('/', qsizetype(std::strlen(scheme)));
            path = slash < 0 ? QByteArrayView("/") : path.sliced(slash);
        }
    }
    if (const qsizetype q = path.indexOf('?'); q >= 0)
        path = path.first(q);
    if (path == "/health") {
        HttpResponse r;
        r.body = QJsonDocument(QJsonObject{{QStringLiteral("status"), QStringLiteral("OK")},
                                           {QStringLiteral("version"), QStringLiteral(QM_VERSION_TEXT)}})
                     .toJson(QJsonDocument::Compact);
        return r;
    }
    if (!path.startsWith("/v1/"))
        return error(404, QStringLiteral("Known paths: /v1/{call}/json/{app}, /v1/{call}/xml/{app}, /health"));
    // /v1/{call}/{format}/{app}: a call may hold slashes, so the format and app are taken from the end.
    const QByteArrayView rest = path.sliced(4);
    const qsizetype appSlash = rest.lastIndexOf('/');
    const qsizetype formatSlash = appSlash <= 0 ? -1 : rest.first(appSlash).lastIndexOf('/');
    if (formatSlash <= 0)
        return error(400, QStringLiteral("The path is /v1/{call}/json/{app} or /v1/{call}/xml/{app}"));
    const QByteArrayView format = rest.sliced(formatSlash + 1, appSlash - formatSlash - 1);
    if (format != "json" && format != "xml")
        return error(400, QStringLiteral("The format is json or xml"));
    const std::optional<QString> call = requestedCall(rest.first(formatSlash));
    if (!call)
        return error(400, kCallRule);
    HamDbRecord record;
    try {
        record = find(*call);
    } catch (const std::exception&) {
        // The file's name and SQLite's words stay in the program: a client learns only that it failed.
        return error(503, QStringLiteral("The licence data cannot be read just now"));
    }
    HttpResponse r;
    if (format == "json") {
        r.body = hamDbJson(record);
    } else {
        r.contentType = "application/xml";
        r.body = hamDbXml(record);
    }
    return r;
}

HttpResponse failureResponse(int status) {
    HttpResponse r;
    switch (status) {
    case 431: r = error(431, QStringLiteral("The request line and headers are limited to 8 KiB")); break;
    case 505: r = error(505, QStringLiteral("Only HTTP/1.0 and HTTP/1.1 are answered")); break;
    case 408: r = error(408, QStringLiteral("The request did not arrive in time")); break;
    default: r = error(400, QStringLiteral("The request could not be read")); break;
    }
    r.close = true;
    return r;
}

QByteArray responseBytes(const HttpResponse& response, bool headOnly, bool keepAlive) {
    QByteArray out;
    out.reserve(200 + (headOnly ? 0 : response.body.size()));
    out += "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) + "\r\n";
    out += "Content-Type: " + response.contentType + "; charset=utf-8\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    out += "Cache-Control: no-store\r\n";
    if (response.allowHeader)
        out += "Allow: GET, HEAD\r\n";
    out += keepAlive && !response.close ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    out += "\r\n";
    if (!headOnly)
        out += response.body;
    return out;
}
