#include "tests/support/TestHttpServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

struct TestHttpServer::Exchange {
    QPointer<QTcpSocket> socket;
    QByteArray request;
    Route route;
    QList<QByteArray> pieces;
    qint64 sent = 0;
    bool answered = false;
    bool held = false;
    QTimer* timer = nullptr;
};

TestHttpServer::TestHttpServer(QObject* parent) : QObject(parent) {
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        qFatal("test server cannot listen on 127.0.0.1");
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::accept);
}

TestHttpServer::~TestHttpServer() {
    for (Exchange* ex : std::as_const(m_exchanges)) {
        if (ex->socket)
            ex->socket->abort();
        delete ex;
    }
}

QUrl TestHttpServer::url(const QByteArray& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QString::fromLatin1(path)));
}

QUrl TestHttpServer::refusedUrl() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/l_amat.zip").arg(port));
}

void TestHttpServer::release() {
    // Also for answers that have not reached their hold point yet.
    for (Exchange* ex : std::as_const(m_exchanges)) {
        ex->route.holdAfter = -1;
        if (ex->held && ex->socket) {
            ex->held = false;
            ex->timer->start();
        }
    }
}

void TestHttpServer::accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto* ex = new Exchange;
        ex->socket = socket;
        socket->setParent(this);
        ex->timer = new QTimer(socket);
        ex->timer->setInterval(15);
        connect(ex->timer, &QTimer::timeout, this, [this, ex] { sendNext(ex); });
        connect(socket, &QTcpSocket::readyRead, this, [this, ex] { readRequest(ex); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        m_exchanges.append(ex);
    }
}

void TestHttpServer::readRequest(Exchange* ex) {
    ex->request += ex->socket->readAll();
    if (ex->answered || !ex->request.contains("\r\n\r\n"))
        return;
    ex->answered = true;
    ++m_requests;
    const QList<QByteArray> lines = ex->request.left(ex->request.indexOf("\r\n\r\n")).split('\n');
    const QByteArray path = lines.value(0).split(' ').value(1);
    for (const QByteArray& line : lines)
        if (line.toLower().startsWith("user-agent:"))
            m_userAgent = line.mid(11).trimmed();

    m_paths.append(path);
    Route route = m_routes.value(path, m_fallback);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + ' ' + route.reason + "\r\n";
    if (route.framing == Route::Framing::Declared)
        head += "Content-Length: " + QByteArray::number(route.declaredLength >= 0 ? route.declaredLength : route.body.size()) + "\r\n";
    else if (route.framing == Route::Framing::Chunked)
        head += "Transfer-Encoding: chunked\r\n";
    for (const auto& [name, value] : std::as_const(route.headers))
        head += name + ": " + value + "\r\n";
    head += "Content-Type: application/zip\r\nConnection: close\r\n\r\n";
    ex->socket->write(head);

    // The body goes out in pieces, with a pause between them, so the client reads it in turns;
    // a hold point splits the piece it falls in.
    const qint64 pieceSize = std::max<qint64>(1, (route.body.size() + route.pieces - 1) / std::max(1, route.pieces));
    QList<qint64> cuts;
    for (qint64 at = pieceSize; at < route.body.size(); at += pieceSize)
        cuts.append(at);
    if (route.holdAfter > 0 && route.holdAfter < route.body.size() && !cuts.contains(route.holdAfter))
        cuts.append(route.holdAfter);
    std::sort(cuts.begin(), cuts.end());
    qint64 from = 0;
    for (qint64 cut : std::as_const(cuts)) {
        ex->pieces.append(route.body.mid(from, cut - from));
        from = cut;
    }
    if (from < route.body.size())
        ex->pieces.append(route.body.mid(from));
    ex->route = route;
    ex->timer->start();
}

void TestHttpServer::sendNext(Exchange* ex) {
    if (!ex->socket)
        return;
    if (ex->route.holdAfter >= 0 && ex->sent >= ex->route.holdAfter) {
        ex->held = true;
        ex->timer->stop();
        return;
    }
    if (ex->pieces.isEmpty()) {
        ex->timer->stop();
        if (ex->route.framing == Route::Framing::Chunked)
            ex->socket->write("0\r\n\r\n");
        ex->socket->disconnectFromHost();   // after what is still queued has gone out
        return;
    }
    const QByteArray piece = ex->pieces.takeFirst();
    if (ex->route.framing == Route::Framing::Chunked)
        ex->socket->write(QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
    else
        ex->socket->write(piece);
    ex->sent += piece.size();
}
