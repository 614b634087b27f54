#include "service/LookupService.h"

#include "core/Database.h"
#include "core/FileIdentity.h"
#include "lookup/CallLookup.h"
#include "service/HttpRequest.h"
#include "service/LookupRoutes.h"

#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// Answers wait while a client leaves this much unread: a client that sends requests and never
// reads cannot make the worker hold its answers in memory without end.
constexpr qint64 kOutputBacklog = 64 * 1024;
// A connection told to close gets this long to take its last answer.
constexpr int kClosingGraceMs = 1000;
// Pipelined requests answered for one connection before the worker turns to the others.
constexpr int kAnswersPerTurn = 32;

class Worker : public QObject {
public:
    Worker(LookupDataFiles files, LookupServiceLimits limits, std::shared_ptr<LookupService::Shared> shared)
        : m_files(std::move(files)), m_limits(limits), m_shared(std::move(shared)) {}
    ~Worker() override { shutdown(); }

    void adopt(qintptr descriptor) {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            // Qt does not close a descriptor it could not take.
            delete socket;
            ::close(int(descriptor));
            --m_shared->open;
            return;
        }
        socket->setReadBufferSize(m_limits.headLimit + 4);
        Connection c;
        c.deadline = new QTimer(socket);
        c.deadline->setSingleShot(true);
        m_connections.insert(socket, c);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { pump(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { pump(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { drop(socket); });
        connect(c.deadline, &QTimer::timeout, this, [this, socket] { timedOut(socket); });
        c.deadline->start(m_limits.requestTimeoutMs);
        pump(socket);
    }

    void shutdown() {
        const QList<QTcpSocket*> sockets = m_connections.keys();
        for (QTcpSocket* s : sockets)
            drop(s);
        m_lookup.reset();
        m_licences.reset();
        m_zips.reset();
    }

private:
    struct Connection {
        QByteArray buffer;
        QTimer* deadline = nullptr;
        bool closing = false;   // the last answer is out or going: nothing more is read as a request
        bool halfClosed = false;
        bool pumping = false;   // flush() reports bytes written at once: no second pump inside the first
        bool reparse = false;   // the buffer may hold a whole request the last pump left for later
    };

    void drop(QTcpSocket* socket) {
        if (m_connections.remove(socket) == 0)
            return;
        --m_shared->open;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }

    // The last answer goes out, then our side of the connection closes while whatever the client
    // still sends is read and thrown away: closing with unread bytes would reset the connection,
    // and a client still sending would lose the answer. The client's own close, or the grace
    // time, ends it.
    void markClosing(Connection& c) {
        if (c.closing)
            return;
        c.closing = true;
        c.buffer.clear();
        c.deadline->start(kClosingGraceMs);
    }

    void closeAfterWrites(QTcpSocket* socket, Connection& c) {
        markClosing(c);
        socket->read(socket->bytesAvailable());
        if (!c.halfClosed && socket->bytesToWrite() == 0) {
            c.halfClosed = true;
            ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
        }
    }

    void timedOut(QTcpSocket* socket) {
        auto it = m_connections.find(socket);
        if (it == m_connections.end())
            return;
        if (it->closing || socket->bytesToWrite() > 0) {
            drop(socket);
            return;
        }
        // A request begun and not finished in time is told so; an idle connection just closes.
        // Closing is marked first: bytes that arrive meanwhile are not read as a request after it.
        const bool begun = !it->buffer.isEmpty() || socket->bytesAvailable() > 0;
        markClosing(*it);
        if (begun && !send(socket, responseBytes(failureResponse(408), false, false)))
            return;
        closeAfterWrites(socket, m_connections[socket]);
    }

    void pump(QTcpSocket* socket) {
        auto it = m_connections.find(socket);
        if (it == m_connections.end() || it->pumping)
            return;
        it->pumping = true;
        pumpRequests(socket);
        if (auto again = m_connections.find(socket); again != m_connections.end())
            again->pumping = false;
    }

    // Sends one answer; false when the connection is gone meanwhile.
    bool send(QTcpSocket* socket, const QByteArray& bytes) {
        socket->write(bytes);
        // Out now rather than at the next turn of the loop: a client that closes its side right
        // after asking still gets the answer.
        socket->flush();
        return m_connections.contains(socket);
    }

    void pumpRequests(QTcpSocket* socket) {
        Connection& c = m_connections[socket];
        if (c.closing) {
            closeAfterWrites(socket, c);
            return;
        }
        bool reparse = std::exchange(c.reparse, false);
        for (int answered = 0; !c.closing; ++answered) {
            if (socket->bytesToWrite() > kOutputBacklog || answered == kAnswersPerTurn) {
                c.reparse = !c.buffer.isEmpty();
                // One client's pipelined requests do not keep the others of this worker waiting.
                if (answered == kAnswersPerTurn)
                    QMetaObject::invokeMethod(this, [this, socket] { pump(socket); }, Qt::QueuedConnection);
                return;
            }
            const qsizetype room = m_limits.headLimit + 4 - c.buffer.size();
            QByteArray fresh;
            if (room > 0 && socket->bytesAvailable() > 0)
                fresh = socket->read(room);
            c.buffer += fresh;
            // A head ends with a line end: bytes without one cannot complete it, so a client that
            // sends one byte at a time does not make the worker read its buffer again for each.
            if (c.buffer.isEmpty() || (!reparse && !fresh.contains('\n') && c.buffer.size() < m_limits.headLimit))
                return;
            const ParsedHead parsed = parseRequestHead(c.buffer, m_limits.headLimit);
            if (parsed.state == ParsedHead::Incomplete)
                return;
            if (parsed.state == ParsedHead::Failed) {
                markClosing(c);
                if (send(socket, responseBytes(failureResponse(parsed.status), false, false)))
                    closeAfterWrites(socket, m_connections[socket]);
                return;
            }
            c.buffer.remove(0, parsed.consumed);
            reparse = !c.buffer.isEmpty();
            const HttpResponse response = answerRequest(parsed.head, [this](const QString& call) { return find(call); });
            const bool keepAlive = parsed.head.keepAlive && !response.close;
            // Marked before the answer goes: what follows a request that closes (a body, a
            // pipelined request) is never read as a request.
            if (!keepAlive)
                markClosing(c);
            ++m_shared->answered;
            if (!send(socket, responseBytes(response, parsed.head.method == "HEAD", keepAlive)))
                return;
            if (!keepAlive) {
                closeAfterWrites(socket, m_connections[socket]);
                return;
            }
            c.deadline->start(m_limits.requestTimeoutMs);
        }
    }



    HamDbRecord find(const QString& call) {
        const FileIdentity licences = FileIdentity::of(m_files.licences), zips = FileIdentity::of(m_files.zips);
        if (!m_lookup || licences != m_licencesId || zips != m_zipsId) {
            m_lookup.reset();
            m_licences = std::make_unique<Database>();
            m_zips = std::make_unique<Database>();
            if (!licences.exists || !zips.exists)
                throw DatabaseError(QStringLiteral("The data files are not there"));
            m_licences->openReadOnly(m_files.licences);
            m_zips->openReadOnly(m_files.zips);
            // A writer (daily changes) holds its lock for a moment only; a client waits less than
            // the window would, and the program's closing never waits long for the service.
            m_licences->exec(QStringLiteral("PRAGMA busy_timeout=1000"));
            m_lookup = std::make_unique<CallLookup>(*m_licences, *m_zips);
            m_licencesId = licences;
            m_zipsId = zips;
        }
        try {
            return m_lookup->find(call);
        } catch (...) {
            // Opened afresh at the next request: the file may have been replaced or repaired.
            m_lookup.reset();
            throw;
        }
    }

    LookupDataFiles m_files;
    LookupServiceLimits m_limits;
    std::shared_ptr<LookupService::Shared> m_shared;
    QHash<QTcpSocket*, Connection> m_connections;
    std::unique_ptr<Database> m_licences, m_zips;
    std::unique_ptr<CallLookup> m_lookup;
    FileIdentity m_licencesId, m_zipsId;
};

class DescriptorServer : public QTcpServer {
public:
    explicit DescriptorServer(std::function<void(qintptr)> take, QObject* parent) : QTcpServer(parent), m_take(std::move(take)) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_take(descriptor); }

private:
    std::function<void(qintptr)> m_take;
};

class Acceptor : public QObject {
public:
    Acceptor(std::vector<QObject*> workers, int maxConnections, std::shared_ptr<LookupService::Shared> shared)
        : m_workers(std::move(workers)), m_max(maxConnections), m_shared(std::move(shared)) {}

    // Returns the port listened on, or 0 with `problem` set.
    quint16 listen(quint16 port, QString& problem) {
        auto take = [this](qintptr d) { accept(d); };
        auto* v4 = new DescriptorServer(take, this);
        if (!v4->listen(QHostAddress(QHostAddress::LocalHost), port)) {
            problem = v4->serverError() == QAbstractSocket::AddressInUseError
                          ? lookupPortInUseText(port)
                          : QStringLiteral("Look-up service: cannot listen on port %1: %2").arg(port).arg(v4->errorString());
            delete v4;
            return 0;
        }
        const quint16 chosen = v4->serverPort();
        auto* v6 = new DescriptorServer(take, this);
        if (!v6->listen(QHostAddress(QHostAddress::LocalHostIPv6), chosen)) {
            // A machine without IPv6 is served on 127.0.0.1 alone; another program on [::1] of the
            // same port would take some of our clients, so that counts as the port in use.
            const bool inUse = v6->serverError() == QAbstractSocket::AddressInUseError;
            delete v6;
            if (inUse) {
                delete v4;
                problem = lookupPortInUseText(chosen);
                return 0;
            }
        }
        return chosen;
    }

    void close() {
        for (QTcpServer* s : findChildren<QTcpServer*>())
            delete s;
    }

private:
    void accept(qintptr descriptor) {
        if (m_shared->open.load() >= m_max) {
            ::close(int(descriptor));
            return;
        }
        ++m_shared->open;
        QObject* worker = m_workers[m_next++ % m_workers.size()];
        QMetaObject::invokeMethod(worker, [worker, descriptor] { static_cast<Worker*>(worker)->adopt(descriptor); }, Qt::QueuedConnection);
    }

    std::vector<QObject*> m_workers;
    int m_max;
    std::shared_ptr<LookupService::Shared> m_shared;
    size_t m_next = 0;
};

} // namespace

QString lookupPortInUseText(quint16 port) { return QStringLiteral("Look-up service: port %1 is in use").arg(port); }

LookupService::LookupService(LookupDataFiles files, LookupServiceLimits limits) : m_files(std::move(files)), m_limits(limits) {}

LookupService::~LookupService() { stop(); }

QString LookupService::start(quint16 port) {
    stop();
    const int workers = m_limits.workers > 0 ? m_limits.workers : std::max(2, QThread::idealThreadCount());
    auto startThread = [this](const char* name) {
        auto* t = new QThread;
        t->setObjectName(QLatin1String(name));
        t->start();
        m_threads.push_back(t);
        return t;
    };
    for (int i = 0; i < workers; ++i) {
        auto* w = new Worker(m_files, m_limits, m_shared);
        w->moveToThread(startThread("lookup-service-worker"));
        m_workers.push_back(w);
    }
    auto* acceptor = new Acceptor(m_workers, m_limits.maxConnections, m_shared);
    acceptor->moveToThread(startThread("lookup-service-accept"));
    m_acceptor = acceptor;
    QString problem;
    quint16 chosen = 0;
    QMetaObject::invokeMethod(acceptor, [&] { chosen = acceptor->listen(port, problem); }, Qt::BlockingQueuedConnection);
    if (chosen == 0) {
        stop();
        return problem;
    }
    m_port = chosen;
    return {};
}

void LookupService::stop() {
    // The acceptor first, so no connection arrives for a worker that is going; then each worker
    // closes its connections (after taking the ones already handed to it) on its own thread.
    if (m_acceptor) {
        auto* acceptor = static_cast<Acceptor*>(m_acceptor);
        QMetaObject::invokeMethod(acceptor, [acceptor] { acceptor->close(); delete acceptor; }, Qt::BlockingQueuedConnection);
        m_acceptor = nullptr;
    }
    for (QObject* w : m_workers) {
        auto* worker = static_cast<Worker*>(w);
        QMetaObject::invokeMethod(worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    }
    m_workers.clear();
    for (QThread* t : m_threads) {
        t->quit();
        t->wait();
        delete t;
    }
    m_threads.clear();
    m_port = 0;
}
