#pragma once
// TestHttpServer: the small HTTP/1.1 server on 127.0.0.1 every test that fetches uses. Each path
// has a canned answer: a status, a body sent in pieces with a declared length, without one (the
// end of the connection ends it) or chunked, a declared length the body never reaches, a point
// where the body stops until the test releases it, and a pause between pieces (a trickle).
// It tells when an answer has ended (all sent, or the client went away), so a test waits for
// that instead of for a while.

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
    int pauseMs = 15;             // between two pieces
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
    // Every path gets this status and body.
    TestHttpServer(int status, const QByteArray& body, QObject* parent = nullptr);
    ~TestHttpServer() override;

    void route(const QByteArray& path, const Route& route) { m_routes.insert(path, route); }
    // The answer to every path without a route of its own (by default a 404 page).
    void fallback(const Route& route) { m_fallback = route; }
    QUrl url(const QByteArray& path) const;
    QString base() const;   // "http://127.0.0.1:<port>"
    // Lets every held answer go on.
    void release();

    int requests() const { return m_requests; }
    QByteArray lastUserAgent() const { return m_userAgent; }
    QByteArray request() const { return m_lastRequest; }   // the last request, as it came
    // The paths (with their queries) asked for, in order.
    QList<QByteArray> paths() const { return m_paths; }
    // Answers that have ended: the whole body went out, or the client closed the connection.
    int answersEnded() const { return m_ended; }

    // An address on 127.0.0.1 where nothing listens.
    static QUrl refusedUrl();

signals:
    void answerEnded();

private:
    struct Exchange;
    void accept();
    void readRequest(Exchange* ex);
    void sendNext(Exchange* ex);
    void endAnswer(Exchange* ex);

    QTcpServer m_server;
    QHash<QByteArray, Route> m_routes;
    Route m_fallback = Route::answer(404, "Not Found", "<html>no such page</html>");
    QList<QByteArray> m_paths;
    QList<Exchange*> m_exchanges;
    int m_requests = 0;
    int m_ended = 0;
    QByteArray m_userAgent;
    QByteArray m_lastRequest;
};
