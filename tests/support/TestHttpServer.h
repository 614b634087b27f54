#pragma once
// TestHttpServer: a small HTTP/1.1 server on 127.0.0.1 for the download tests. Each path has a
// canned answer: a status, a body sent in pieces with a declared length, without one (the end
// of the connection ends it) or chunked, a declared length the body never reaches, and a point
// where the body stops until the test releases it.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;
class QTimer;

struct Route {
    enum class Framing { Declared, ToClose, Chunked };
    int status = 200;
    QByteArray reason = "OK";
    QByteArray body;
    Framing framing = Framing::Declared;
    qint64 declaredLength = -1;   // Content-Length when not the body's size
    int pieces = 4;
    qint64 holdAfter = -1;        // body bytes sent before waiting for release()
    QList<QPair<QByteArray, QByteArray>> headers;

    static Route answer(int code, const QByteArray& reason, const QByteArray& body) {
        Route r;
        r.status = code;
        r.reason = reason;
        r.body = body;
        return r;
    }
};

class TestHttpServer : public QObject {
    Q_OBJECT
public:
    explicit TestHttpServer(QObject* parent = nullptr);
    ~TestHttpServer() override;

    void route(const QByteArray& path, const Route& route) { m_routes.insert(path, route); }
    // The answer to every path without a route of its own (by default a 404 page).
    void fallback(const Route& route) { m_fallback = route; }
    QUrl url(const QByteArray& path) const;
    // Lets every held answer go on.
    void release();

    int requests() const { return m_requests; }
    QByteArray lastUserAgent() const { return m_userAgent; }
    // The paths (with their queries) asked for, in order.
    QList<QByteArray> paths() const { return m_paths; }

    // An address on 127.0.0.1 where nothing listens.
    static QUrl refusedUrl();

private:
    struct Exchange;
    void accept();
    void readRequest(Exchange* ex);
    void sendNext(Exchange* ex);

    QTcpServer m_server;
    QHash<QByteArray, Route> m_routes;
    Route m_fallback = Route::answer(404, "Not Found", "<html>no such page</html>");
    QList<QByteArray> m_paths;
    QList<Exchange*> m_exchanges;
    int m_requests = 0;
    QByteArray m_userAgent;
};
