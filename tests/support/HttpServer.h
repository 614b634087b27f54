#pragma once
// A small HTTP server on 127.0.0.1 for tests: every request gets the same status and body.

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

class TinyHttpServer : public QTcpServer {
public:
    TinyHttpServer(int status, QByteArray body) : m_status(status), m_body(std::move(body)) {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    m_request += s->readAll();
                    if (!m_request.contains("\r\n\r\n"))
                        return;
                    ++m_requests;
                    const QByteArray reply = "HTTP/1.1 " + QByteArray::number(m_status) + " X\r\nContent-Length: " +
                                             QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body;
                    s->write(reply);
                    s->disconnectFromHost();
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    QString url() const { return base() + QStringLiteral("/files/x.version"); }
    QByteArray request() const { return m_request; }
    int requests() const { return m_requests; }

private:
    int m_status;
    QByteArray m_body;
    QByteArray m_request;
    int m_requests = 0;
};
