// The look-up service under load: CLIENTS keep-alive clients (20 by default) each asking one call
// after another for SECONDS seconds (10 by default) against a full-scale data folder, while the
// main thread keeps doing the window's own look-up on its own connections every few milliseconds.
// Prints answers per second, the clients' latency (median, p99, max), errors, and the window's
// look-up latency meanwhile; then the same window look-ups with the service idle, as the baseline.
// usage: bench_service DATA_DIR [SECONDS] [CLIENTS]   (DATA_DIR holds FCCdata.db, postal.db, calls.txt)
#include "Percentile.h"
#include "core/Database.h"
#include "lookup/CallLookup.h"
#include "service/LookupService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {


QString ms(double v, int decimals = 2) { return QString::number(v, 'f', decimals) + QStringLiteral(" ms"); }

// One blocking keep-alive client: a request, then exactly its answer.
class Client {
public:
    explicit Client(quint16 port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        m_ok = ::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~Client() { ::close(m_fd); }

    // The status of the answer, 0 when the connection failed.
    int ask(const std::string& call) {
        if (!m_ok)
            return 0;
        const std::string req = "GET /v1/" + call + "/json/bench HTTP/1.1\r\nHost: localhost\r\n\r\n";
        if (::send(m_fd, req.data(), req.size(), MSG_NOSIGNAL) != ssize_t(req.size()))
            return 0;
        std::size_t end;
        while ((end = m_buf.find("\r\n\r\n")) == std::string::npos)
            if (!fill())
                return 0;
        const std::size_t lengthAt = m_buf.find("Content-Length: ");
        const std::size_t length = lengthAt < end ? std::stoul(m_buf.substr(lengthAt + 16)) : 0;
        while (m_buf.size() < end + 4 + length)
            if (!fill())
                return 0;
        const int status = std::atoi(m_buf.c_str() + 9);
        m_buf.erase(0, end + 4 + length);
        return status;
    }

private:
    bool fill() {
        char chunk[4096];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return m_ok = false;
        m_buf.append(chunk, std::size_t(n));
        return true;
    }
    int m_fd = -1;
    bool m_ok = false;
    std::string m_buf;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        err << "usage: bench_service DATA_DIR [SECONDS] [CLIENTS]\n";
        return 2;
    }
    const QString data = args[1] + QLatin1Char('/');
    const int seconds = args.size() > 2 ? args[2].toInt() : 10;
    const int clients = args.size() > 3 ? args[3].toInt() : 20;
    QFile callFile(data + QStringLiteral("calls.txt"));
    std::vector<std::string> calls;
    if (callFile.open(QIODevice::ReadOnly))
        for (const QByteArray& line : callFile.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                calls.push_back(line.trimmed().toStdString());
    if (calls.empty()) {
        err << "no calls in " << data << "calls.txt\n";
        return 2;
    }
    // Some calls nobody holds, as a logger meets them.
    for (int i = 0; i < int(calls.size()) / 10; ++i)
        calls.push_back("N0Q" + std::to_string(100 + i % 900).substr(0, 3));

    LookupService service(LookupDataFiles{data + QStringLiteral("FCCdata.db"), data + QStringLiteral("postal.db")});
    const QString problem = service.start(0);
    if (!problem.isEmpty()) {
        err << problem << "\n";
        return 1;
    }
    Database condb, zipdb;
    condb.open(data + QStringLiteral("FCCdata.db"));
    zipdb.open(data + QStringLiteral("postal.db"));
    CallLookup window(condb, zipdb);
    auto windowLookups = [&](const std::function<bool()>& goOn) {
        std::vector<double> v;
        QElapsedTimer t;
        for (std::size_t i = 0; goOn(); i += 7) {
            t.start();
            window.find(QString::fromStdString(calls[i % calls.size()]));
            v.push_back(double(t.nsecsElapsed()) / 1e6);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return v;
    };

    // Baseline: the window's look-ups with the service idle, after a first pass that brings the
    // pages they touch into memory.
    QElapsedTimer clock;
    clock.start();
    windowLookups([&] { return clock.elapsed() < 1000; });
    clock.start();
    const std::vector<double> idle = windowLookups([&] { return clock.elapsed() < 2000; });

    std::atomic_bool running{true};
    std::atomic<int> errors{0};
    std::vector<std::vector<double>> latencies(clients);
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            Client client(service.port());
            QElapsedTimer t;
            for (std::size_t i = std::size_t(c) * 131; running; ++i) {
                t.start();
                const int status = client.ask(calls[i % calls.size()]);
                latencies[c].push_back(double(t.nsecsElapsed()) / 1e6);
                if (status != 200) {
                    ++errors;
                    if (status == 0)
                        return;
                }
            }
        });
    }
    clock.start();
    const std::vector<double> busy = windowLookups([&] { return clock.elapsed() < seconds * 1000; });
    running = false;
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;
    for (std::thread& t : threads)
        t.join();
    std::vector<double> all;
    for (const auto& l : latencies)
        all.insert(all.end(), l.begin(), l.end());

    out << clients << " keep-alive clients for " << QString::number(elapsed, 'f', 1) << " s: " << all.size() << " answers, "
        << QString::number(double(all.size()) / elapsed, 'f', 0) << " per second, " << errors.load() << " errors\n";
    out << "client latency: median " << ms(percentile(all, 0.5), 3) << ", p99 " << ms(percentile(all, 0.99)) << ", max "
        << ms(percentile(all, 1.0), 1) << "\n";
    out << "window look-up meanwhile: " << busy.size() << ", median " << ms(percentile(busy, 0.5), 3) << ", p99 "
        << ms(percentile(busy, 0.99)) << ", max " << ms(percentile(busy, 1.0), 1) << "\n";
    out << "window look-up, service idle: " << idle.size() << ", median " << ms(percentile(idle, 0.5), 3) << ", p99 "
        << ms(percentile(idle, 0.99)) << "; ratio of medians " << QString::number(percentile(busy, 0.5) / percentile(idle, 0.5), 'f', 2)
        << "\n";
    return errors.load() == 0 ? 0 : 1;
}
