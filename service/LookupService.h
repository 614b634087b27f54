#pragma once
// The loopback look-up service: answers other programs on this computer from the offline data
// (LookupRoutes says what), listening on 127.0.0.1 and ::1 only, never another address.
// One thread accepts; a few worker threads each serve their share of the connections and look
// calls up on read-only connections of their own, so the window never waits for the service nor
// the service for the window. Bounds: at most maxConnections open (one more is closed at once), a
// request head within headLimit bytes, and every request whole within requestTimeout of the last
// answer (or of the connection) — an idle client or one that trickles bytes is closed then.
// A database swapped in under the same name (Update Data) is opened afresh at the next request.
// Collaborators: parseRequestHead, answerRequest, CallLookup, FileIdentity; TForm1 starts it.

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

class QThread;

struct LookupServiceLimits {
    int maxConnections = 64;
    qsizetype headLimit = 8192;
    int requestTimeoutMs = 10000;
    int workers = 0; // 0: one per core, at least two
};

struct LookupDataFiles {
    QString licences; // FCCdata.db
    QString zips;     // postal.db
};

class LookupService {
public:
    explicit LookupService(LookupDataFiles files, LookupServiceLimits limits = {});
    ~LookupService();
    LookupService(const LookupService&) = delete;
    LookupService& operator=(const LookupService&) = delete;

    // Listens on `port` (0 lets the system choose, for tests). Returns what went wrong, in the
    // words the status bar shows, or an empty text when listening. A running service is stopped first.
    QString start(quint16 port);
    void stop();
    bool isListening() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    int openConnections() const { return m_shared->open.load(); }
    qint64 answered() const { return m_shared->answered.load(); }

    struct Shared {
        std::atomic<int> open{0};
        std::atomic<qint64> answered{0};
    };

private:
    LookupDataFiles m_files;
    LookupServiceLimits m_limits;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    std::vector<QThread*> m_threads;
    std::vector<QObject*> m_workers;
    QObject* m_acceptor = nullptr;
    quint16 m_port = 0;
};

// "Look-up service: port 8888 is in use"
QString lookupPortInUseText(quint16 port);
