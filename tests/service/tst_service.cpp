// The look-up service: the request head reader and the answers without sockets (tables of
// cases), then the service itself on the fixture databases over 127.0.0.1 — the records in the
// common layout, keep-alive and pipelining, HEAD, the error answers and hostile paths, loopback
// only, the connection and time bounds, a port in use, and a database swapped in while it runs.
#include "core/Database.h"
#include "lookup/CallLookup.h"
#include "service/HttpRequest.h"
#include "service/LookupRoutes.h"
#include "service/LookupService.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestClasses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Answer {
    int status = 0;
    QByteArray head;
    QByteArray body;
    bool closed = false; // the service closed the connection after it
};

// Reads one answer from the socket (no body after a HEAD).
Answer readAnswer(QTcpSocket& s, bool headOnly = false, int waitMs = 5000) {
    Answer a;
    QByteArray buffer = s.property("pending").toByteArray();
    s.setProperty("pending", QByteArray());
    qsizetype end = -1;
    QElapsedTimer clock;
    clock.start();
    auto more = [&] {
        if (s.bytesAvailable() == 0 && !s.waitForReadyRead(std::max<qint64>(1, waitMs - clock.elapsed())))
            return false;
        buffer += s.readAll();
        return true;
    };
    while ((end = buffer.indexOf("\r\n\r\n")) < 0)
        if (!more())
            return a;
    a.head = buffer.left(end);
    a.status = a.head.mid(9, 3).toInt();
    qsizetype length = 0;
    for (const QByteArray& line : a.head.split('\n'))
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    if (headOnly)
        length = 0;
    while (buffer.size() < end + 4 + length)
        if (!more())
            break;
    a.body = buffer.mid(end + 4, length);
    // Bytes of a next answer already read go back for the next call.
    const QByteArray rest = buffer.mid(end + 4 + length);
    s.setProperty("pending", rest);
    return a;
}

bool closedByPeer(QTcpSocket& s, int waitMs) {
    if (s.state() == QAbstractSocket::UnconnectedState)
        return true;
    s.waitForDisconnected(waitMs);
    return s.state() == QAbstractSocket::UnconnectedState;
}

QJsonObject callsignOf(const QByteArray& body) {
    return QJsonDocument::fromJson(body).object().value(QStringLiteral("hamdb")).toObject().value(QStringLiteral("callsign")).toObject();
}

HttpRequestHead getHead(const QByteArray& target, const QByteArray& method = "GET") {
    HttpRequestHead h;
    h.method = method;
    h.target = target;
    return h;
}

} // namespace

class TestServiceProtocol : public QObject {
    Q_OBJECT
private slots:
    void requestHeads_data();
    void requestHeads();
    void answers_data();
    void answers();
    void responseBytesForHead();
};

void TestServiceProtocol::requestHeads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("state");      // ParsedHead::State
    QTest::addColumn<int>("status");     // when Failed
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<bool>("keepAlive");
    QTest::addColumn<bool>("hasBody");
    const int C = ParsedHead::Complete, I = ParsedHead::Incomplete, F = ParsedHead::Failed;
    QTest::newRow("HTTP/1.1 stays open") << QByteArray("GET /health HTTP/1.1\r\nHost: x\r\n\r\n") << C << 0 << QByteArray("/health") << true << false;
    QTest::newRow("HTTP/1.0 closes") << QByteArray("GET /a HTTP/1.0\r\n\r\n") << C << 0 << QByteArray("/a") << false << false;
    QTest::newRow("HTTP/1.0 asking keep-alive") << QByteArray("GET /a HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n") << C << 0
                                                << QByteArray("/a") << true << false;
    QTest::newRow("close among options") << QByteArray("GET /a HTTP/1.1\r\nconnection: TE, close\r\n\r\n") << C << 0 << QByteArray("/a")
                                         << false << false;
    QTest::newRow("bare LF line ends, empty lines before") << QByteArray("\r\n\nGET /a HTTP/1.1\nHost: x\n\n") << C << 0 << QByteArray("/a")
                                                          << true << false;
    QTest::newRow("no blank line yet") << QByteArray("GET /a HTTP/1.1\r\nHost: x\r\n") << I << 0 << QByteArray() << false << false;
    QTest::newRow("nothing yet") << QByteArray() << I << 0 << QByteArray() << false << false;
    QTest::newRow("head beyond the limit") << QByteArray("GET /a HTTP/1.1\r\nX: " + QByteArray(9000, 'a')) << F << 431 << QByteArray()
                                           << false << false;
    // The limit counts the whole head, its blank line included.
    auto padded = [](qsizetype total, const QByteArray& eol) {
        const QByteArray start = "GET /a HTTP/1.1" + eol + "X: ";
        return start + QByteArray(total - start.size() - 2 * eol.size(), 'x') + eol + eol;
    };
    QTest::newRow("exactly the limit") << padded(8192, "\r\n") << C << 0 << QByteArray("/a") << true << false;
    QTest::newRow("exactly the limit, LF") << padded(8192, "\n") << C << 0 << QByteArray("/a") << true << false;
    QTest::newRow("a byte beyond") << padded(8193, "\r\n") << F << 431 << QByteArray() << false << false;
    QTest::newRow("a byte beyond, LF") << padded(8193, "\n") << F << 431 << QByteArray() << false << false;
    QTest::newRow("blank lines alone beyond the limit") << QByteArray(9000, '\n') << F << 431 << QByteArray() << false << false;
    QTest::newRow("a body announced") << QByteArray("GET /a HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello") << C << 0 << QByteArray("/a") << true
                                      << true;
    QTest::newRow("zero length is no body") << QByteArray("GET /a HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << C << 0 << QByteArray("/a")
                                            << true << false;
    QTest::newRow("chunked") << QByteArray("GET /a HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n") << C << 0 << QByteArray("/a") << true
                             << true;
    QTest::newRow("two lengths") << QByteArray("GET /a HTTP/1.1\r\nContent-Length: 0\r\nContent-Length: 0\r\n\r\n") << F << 400
                                 << QByteArray() << false << false;
    QTest::newRow("length not a number") << QByteArray("GET /a HTTP/1.1\r\nContent-Length: -1\r\n\r\n") << F << 400 << QByteArray() << false
                                         << false;
    QTest::newRow("HTTP/2.0") << QByteArray("GET /a HTTP/2.0\r\n\r\n") << F << 505 << QByteArray() << false << false;
    QTest::newRow("lower-case version") << QByteArray("GET /a http/1.1\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("no version") << QByteArray("GET /a\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("two blanks") << QByteArray("GET  /a HTTP/1.1\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("blank in target") << QByteArray("GET /a b HTTP/1.1\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("control byte in target") << QByteArray("GET /a\x01 HTTP/1.1\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("NUL in a header") << QByteArray("GET /a HTTP/1.1\r\nX: a") + '\0' + QByteArray("b\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("folded header") << QByteArray("GET /a HTTP/1.1\r\nX: a\r\n b\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("blank before colon") << QByteArray("GET /a HTTP/1.1\r\nHost : x\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("no colon") << QByteArray("GET /a HTTP/1.1\r\nHost\r\n\r\n") << F << 400 << QByteArray() << false << false;
    QTest::newRow("bare CR") << QByteArray("GET /a HTTP/1.1\r\nX: a\rb\r\n\r\n") << F << 400 << QByteArray() << false << false;
}

void TestServiceProtocol::requestHeads() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, state);
    QFETCH(int, status);
    QFETCH(QByteArray, target);
    QFETCH(bool, keepAlive);
    QFETCH(bool, hasBody);
    const ParsedHead p = parseRequestHead(bytes, 8192);
    QCOMPARE(int(p.state), state);
    if (state == ParsedHead::Failed)
        QCOMPARE(p.status, status);
    if (state != ParsedHead::Complete)
        return;
    QCOMPARE(p.head.target, target);
    QCOMPARE(p.head.keepAlive, keepAlive);
    QCOMPARE(p.head.hasBody, hasBody);
    QCOMPARE(bytes.mid(p.consumed), hasBody && bytes.endsWith("hello") ? QByteArray("hello") : QByteArray());
}

void TestServiceProtocol::answers_data() {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("asked");   // the call the look-up was asked for; empty: never asked
    QTest::newRow("health") << QByteArray("GET") << QByteArray("/health") << 200 << "";
    QTest::newRow("JSON, lower case") << QByteArray("GET") << QByteArray("/v1/k7abc/json/mylogger") << 200 << "K7ABC";
    QTest::newRow("XML") << QByteArray("GET") << QByteArray("/v1/K7ABC/xml/mylogger") << 200 << "K7ABC";
    QTest::newRow("HEAD") << QByteArray("HEAD") << QByteArray("/v1/K7ABC/json/x") << 200 << "K7ABC";
    QTest::newRow("a portable call with a slash") << QByteArray("GET") << QByteArray("/v1/VE3/K7ABC/json/x") << 200 << "VE3/K7ABC";
    QTest::newRow("an encoded slash") << QByteArray("GET") << QByteArray("/v1/K7ABC%2FP/json/x") << 200 << "K7ABC/P";
    QTest::newRow("a query is ignored") << QByteArray("GET") << QByteArray("/v1/K7ABC/json/x?key=1") << 200 << "K7ABC";
    QTest::newRow("POST") << QByteArray("POST") << QByteArray("/v1/K7ABC/json/x") << 405 << "";
    QTest::newRow("DELETE") << QByteArray("DELETE") << QByteArray("/health") << 405 << "";
    QTest::newRow("lower-case get is another method") << QByteArray("get") << QByteArray("/health") << 405 << "";
    QTest::newRow("climbing path") << QByteArray("GET") << QByteArray("/v1/../../etc/passwd/json/x") << 400 << "";
    QTest::newRow("encoded climb") << QByteArray("GET") << QByteArray("/v1/%2e%2e%2f%2e%2e/json/x") << 400 << "";
    QTest::newRow("NUL") << QByteArray("GET") << QByteArray("/v1/K7%00ABC/json/x") << 400 << "";
    QTest::newRow("wildcard %") << QByteArray("GET") << QByteArray("/v1/K7%25/json/x") << 400 << "";
    QTest::newRow("wildcard _") << QByteArray("GET") << QByteArray("/v1/K7AB_/json/x") << 400 << "";
    QTest::newRow("wildcard *") << QByteArray("GET") << QByteArray("/v1/K7*/json/x") << 400 << "";
    QTest::newRow("two characters") << QByteArray("GET") << QByteArray("/v1/K7/json/x") << 400 << "";
    QTest::newRow("eleven characters") << QByteArray("GET") << QByteArray("/v1/K7ABCDEFGHI/json/x") << 400 << "";
    QTest::newRow("100 KB call") << QByteArray("GET") << QByteArray("/v1/" + QByteArray(100 * 1024, 'A') + "/json/x") << 400 << "";
    QTest::newRow("a letter outside ASCII") << QByteArray("GET") << QByteArray("/v1/K7%C3%84BC/json/x") << 400 << "";
    QTest::newRow("unknown format") << QByteArray("GET") << QByteArray("/v1/K7ABC/yaml/x") << 400 << "";
    QTest::newRow("no format") << QByteArray("GET") << QByteArray("/v1/K7ABC") << 400 << "";
    QTest::newRow("no call") << QByteArray("GET") << QByteArray("/v1//json/x") << 400 << "";
    QTest::newRow("another path") << QByteArray("GET") << QByteArray("/etc/passwd") << 404 << "";
    QTest::newRow("absolute form") << QByteArray("GET") << QByteArray("http://localhost:8888/v1/K7ABC/json/x") << 200 << "K7ABC";
    QTest::newRow("absolute form, no path") << QByteArray("GET") << QByteArray("http://localhost") << 404 << "";
}

void TestServiceProtocol::answers() {
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QString, asked);
    QStringList calls;
    const HttpResponse r = answerRequest(getHead(target, method), [&](const QString& call) {
        calls << call;
        HamDbRecord rec;
        rec.found = true;
        rec.call = call;
        return rec;
    });
    QCOMPARE(r.status, status);
    QCOMPARE(calls, asked.isEmpty() ? QStringList() : QStringList{asked});
    QCOMPARE(r.allowHeader, status == 405);
    if (target.contains("/xml/") && status == 200) {
        QCOMPARE(r.contentType, QByteArray("application/xml"));
        QVERIFY(r.body.contains("<call>" + asked.toLatin1() + "</call>"));
        return;
    }
    const QJsonObject body = QJsonDocument::fromJson(r.body).object();
    QVERIFY2(!body.isEmpty(), r.body.constData());
    if (status == 200 && !asked.isEmpty())
        QCOMPARE(callsignOf(r.body).value(QStringLiteral("call")).toString(), asked);
    if (status != 200) {
        QCOMPARE(body.value(QStringLiteral("error")).toObject().value(QStringLiteral("status")).toInt(), status);
        // What the client sent is never echoed back.
        QVERIFY(!r.body.contains("passwd") && !r.body.contains("AAAAAAAAAA"));
    }
}

void TestServiceProtocol::responseBytesForHead() {
    // A look-up that cannot read its data is a 503 that names no file.
    const HttpResponse failed = answerRequest(getHead("/v1/K7ABC/json/x"), [](const QString&) -> HamDbRecord {
        throw DatabaseError(QStringLiteral("Cannot open database \"/home/someone/FCCdata.db\": unable to open"));
    });
    QCOMPARE(failed.status, 503);
    QVERIFY(!failed.body.contains("/home"));
    // HEAD: the length of the body GET would send, and no body.
    HttpResponse r;
    r.body = "{\"a\":1}";
    QCOMPARE(responseBytes(r, true, true),
             QByteArray("HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: 7\r\n"
                        "Cache-Control: no-store\r\nConnection: keep-alive\r\n\r\n"));
    QVERIFY(responseBytes(r, false, false).endsWith("Connection: close\r\n\r\n{\"a\":1}"));
}

// ---------------------------------------------------------------------------

class TestLookupService : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void records_data();
    void records();
    void keepAlivePipeliningAndHead();
    void errorAnswersOverTheWire_data();
    void errorAnswersOverTheWire();
    void loopbackOnly();
    void connectionBound();
    void idleAndTricklingClientsClosed();
    void portInUse();
    void changedAndSwappedDatabaseSeenAtTheNextRequest();

private:
    LookupDataFiles files() const { return {m_data + QStringLiteral("FCCdata.db"), m_data + QStringLiteral("postal.db")}; }
    QTemporaryDir m_home;
    QString m_data;
};

void TestLookupService::initTestCase() {
    useTemporaryHome(m_home);
    m_data = programDataPath();
    writeFixtureDatabases(m_data);
}

void TestLookupService::records_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<QStringList>("expected");   // key=value pairs
    QTest::newRow("US amateur") << "K7ABC" << QStringList{"call=K7ABC", "name=Public", "country=United States", "grid=DM42MF"};
    QTest::newRow("GMRS only") << "WRAB123" << QStringList{"call=WRAB123", "name=Public", "country=United States"};
    QTest::newRow("reassigned: the latest grant") << "W1DUP" << QStringList{"call=W1DUP", "fname=New", "addr1=3 New St"};
    QTest::newRow("previous call: the current holder") << "KD7OLD" << QStringList{"call=K7ABC"};
    QTest::newRow("Canadian") << "VE3ABC" << QStringList{"call=VE3ABC", "class=A", "country=Canada", "grid=FN25DJ"};
    QTest::newRow("unknown") << "N0NONE" << QStringList{"call=NOT_FOUND", "name=NOT_FOUND", "country=NOT_FOUND"};
}

void TestLookupService::records() {
    QFETCH(QString, call);
    QFETCH(QStringList, expected);
    LookupService service(files());
    QCOMPARE(service.start(0), QString());
    QTcpSocket s;
    s.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(s.waitForConnected(3000));
    s.write("GET /v1/" + call.toLatin1() + "/json/tst HTTP/1.1\r\nHost: localhost\r\n\r\n");
    const Answer a = readAnswer(s);
    QCOMPARE(a.status, 200);
    QVERIFY(a.head.contains("Content-Type: application/json"));
    // The same bytes the command-line look-up prints for the call (its values are the record display's).
    Database condb, zipdb;
    condb.openReadOnly(files().licences);
    zipdb.openReadOnly(files().zips);
    CallLookup lookup(condb, zipdb);
    QCOMPARE(a.body, hamDbJson(lookup.find(call)));
    const QJsonObject c = callsignOf(a.body);
    for (const QString& pair : expected) {
        const QString key = pair.section(QLatin1Char('='), 0, 0), value = pair.section(QLatin1Char('='), 1);
        QCOMPARE(c.value(key).toString(), value);
    }
    const QString messages = QJsonDocument::fromJson(a.body).object()[QStringLiteral("hamdb")][QStringLiteral("messages")][QStringLiteral("status")].toString();
    QCOMPARE(messages, call == QLatin1String("N0NONE") ? QStringLiteral("NOT_FOUND") : QStringLiteral("OK"));
}

void TestLookupService::keepAlivePipeliningAndHead() {
    LookupService service(files());
    QCOMPARE(service.start(0), QString());
    QTcpSocket s;
    s.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(s.waitForConnected(3000));
    // Several on one connection, two of them sent in one write.
    s.write("GET /v1/K7ABC/json/a HTTP/1.1\r\n\r\n");
    const Answer first = readAnswer(s);
    QCOMPARE(first.status, 200);
    s.write("GET /v1/VE3ABC/xml/a HTTP/1.1\r\n\r\nGET /v1/WRAB123/json/a HTTP/1.1\r\n\r\n");
    const Answer xml = readAnswer(s), json = readAnswer(s);
    QVERIFY2(xml.body.contains("<call>VE3ABC</call>") && xml.head.contains("application/xml"), xml.body.constData());
    QCOMPARE(callsignOf(json.body).value(QStringLiteral("call")).toString(), QStringLiteral("WRAB123"));
    // HEAD: the length GET would send, no body; the connection goes on.
    s.write("HEAD /v1/K7ABC/json/a HTTP/1.1\r\n\r\n");
    const Answer head = readAnswer(s, true);
    QCOMPARE(head.status, 200);
    QVERIFY2(head.head.contains("Content-Length: " + QByteArray::number(first.body.size()) + "\r\n"), head.head.constData());
    QVERIFY(!s.waitForReadyRead(100));
    s.write("GET /health HTTP/1.1\r\n\r\n");
    const Answer health = readAnswer(s);
    QCOMPARE(health.status, 200);
    QVERIFY2(health.body.startsWith("{\"status\":\"OK\""), health.body.constData());
    // Connection: close is honoured.
    s.write("GET /health HTTP/1.1\r\nConnection: close\r\n\r\n");
    QCOMPARE(readAnswer(s).status, 200);
    QVERIFY(closedByPeer(s, 3000));
    QCOMPARE(service.answered(), qint64(6));
}

void TestLookupService::errorAnswersOverTheWire_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("closes");   // the connection ends after this one answer
    QTest::newRow("POST") << QByteArray("POST /v1/K7ABC/json/a HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc") << 405 << true;
    QTest::newRow("headers beyond 8 KiB") << QByteArray("GET /health HTTP/1.1\r\nX: " + QByteArray(9000, 'x') + "\r\n\r\n") << 431 << true;
    QTest::newRow("a 100 KB call") << QByteArray("GET /v1/" + QByteArray(100 * 1024, 'A') + "/json/a HTTP/1.1\r\n\r\n") << 431 << true;
    QTest::newRow("climbing path") << QByteArray("GET /v1/../../etc/passwd/json/x HTTP/1.1\r\n\r\n") << 400 << false;
    QTest::newRow("NUL") << QByteArray("GET /v1/%00/json/x HTTP/1.1\r\n\r\n") << 400 << false;
    QTest::newRow("not HTTP") << QByteArray("\x16\x03\x01\x02\x01\xfc\x03\x03\r\n\r\n") << 400 << true;
    QTest::newRow("HTTP/0.9 style") << QByteArray("GET /health\r\n\r\n") << 400 << true;
    // What follows a request that closes is never read as a request (a body smuggling one in).
    QTest::newRow("a request in a body") << QByteArray("POST /health HTTP/1.1\r\nContent-Length: 24\r\n\r\nGET /health HTTP/1.1\r\n\r\n")
                                         << 405 << true;
    QTest::newRow("a request after chunked") << QByteArray("GET /health HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nGET /health HTTP/1.1\r\n\r\n")
                                             << 400 << true;
    QTest::newRow("a request after close") << QByteArray("GET /health HTTP/1.1\r\nConnection: close\r\n\r\nGET /health HTTP/1.1\r\n\r\n")
                                           << 200 << true;
}

void TestLookupService::errorAnswersOverTheWire() {
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QFETCH(bool, closes);
    LookupService service(files());
    QCOMPARE(service.start(0), QString());
    QTcpSocket s;
    s.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(s.waitForConnected(3000));
    s.write(request);
    const Answer a = readAnswer(s);
    QCOMPARE(a.status, status);
    if (status != 200) {
        QCOMPARE(QJsonDocument::fromJson(a.body).object()[QStringLiteral("error")][QStringLiteral("status")].toInt(), status);
        QVERIFY(!a.body.contains("passwd"));
    }
    if (status == 405)
        QVERIFY(a.head.contains("Allow: GET, HEAD"));
    QCOMPARE(closedByPeer(s, closes ? 3000 : 200), closes);
    // One answer and no other.
    QCOMPARE(s.property("pending").toByteArray() + s.readAll(), QByteArray());
}

void TestLookupService::loopbackOnly() {
    LookupService service(files());
    QCOMPARE(service.start(0), QString());
    QHostAddress other;
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLinkLocal())
            other = a;
    if (!other.isNull()) {
        QTcpSocket s;
        s.connectToHost(other, service.port());
        // Refused, or dropped by a firewall: either way nobody answers there.
        QVERIFY2(!s.waitForConnected(3000), qPrintable(other.toString()));
    }
    // Both loopback addresses answer (::1 where the machine has IPv6).
    QList<QHostAddress> loopbacks{QHostAddress(QHostAddress::LocalHost)};
    QTcpServer v6probe;
    if (v6probe.listen(QHostAddress(QHostAddress::LocalHostIPv6), 0))
        loopbacks << QHostAddress(QHostAddress::LocalHostIPv6);
    for (const QHostAddress& a : loopbacks) {
        QTcpSocket s;
        s.connectToHost(a, service.port());
        QVERIFY2(s.waitForConnected(3000), qPrintable(a.toString()));
        s.write("GET /health HTTP/1.1\r\n\r\n");
        QCOMPARE(readAnswer(s).status, 200);
    }
    if (other.isNull())
        QSKIP("This machine has no address but loopback to try a refused connection on");
}

void TestLookupService::connectionBound() {
    LookupServiceLimits limits;
    limits.maxConnections = 3;
    LookupService service(files(), limits);
    QCOMPARE(service.start(0), QString());
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < 3; ++i) {
        open.push_back(std::make_unique<QTcpSocket>());
        open.back()->connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
        QVERIFY(open.back()->waitForConnected(3000));
    }
    QTRY_COMPARE(service.openConnections(), 3);
    // One more is closed at once, without an answer.
    QTcpSocket extra;
    extra.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    extra.waitForConnected(3000);
    extra.write("GET /health HTTP/1.1\r\n\r\n");
    QVERIFY(closedByPeer(extra, 3000));
    QCOMPARE(extra.readAll(), QByteArray());
    // The open ones are still served; once one leaves, a newcomer is.
    open[0]->write("GET /health HTTP/1.1\r\n\r\n");
    QCOMPARE(readAnswer(*open[0]).status, 200);
    open[1]->disconnectFromHost();
    QTRY_COMPARE(service.openConnections(), 2);
    QTcpSocket next;
    next.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(next.waitForConnected(3000));
    next.write("GET /health HTTP/1.1\r\n\r\n");
    QCOMPARE(readAnswer(next).status, 200);
}

void TestLookupService::idleAndTricklingClientsClosed() {
    LookupServiceLimits limits;
    limits.requestTimeoutMs = 1500;
    LookupService service(files(), limits);
    QCOMPARE(service.start(0), QString());
    // Silent after connecting, and silent after an answer: closed without a word.
    QTcpSocket idle;
    idle.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(idle.waitForConnected(3000));
    QVERIFY(closedByPeer(idle, 3000));
    QCOMPARE(idle.readAll(), QByteArray());
    QTcpSocket quiet;
    quiet.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(quiet.waitForConnected(3000));
    quiet.write("GET /health HTTP/1.1\r\n\r\n");
    QCOMPARE(readAnswer(quiet).status, 200);
    QVERIFY(closedByPeer(quiet, 3000));

    // A byte at a time, well inside the limit each time, never finishing: the request's time runs
    // out all the same and it is told so.
    QTcpSocket trickle;
    trickle.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(trickle.waitForConnected(3000));
    const QByteArray slow = "GET /health HTTP/1.1\r\nX-Slow: " + QByteArray(200, 'a');
    QElapsedTimer clock;
    clock.start();
    QByteArray answer;
    for (int i = 0; i < slow.size() && trickle.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 10000; ++i) {
        trickle.write(slow.mid(i, 1));
        trickle.waitForBytesWritten(100);
        trickle.waitForReadyRead(50);
        answer += trickle.readAll();
    }
    QVERIFY(closedByPeer(trickle, 3000));
    answer += trickle.readAll();
    QVERIFY2(answer.startsWith("HTTP/1.1 408 "), answer.constData());
    QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(service.openConnections(), 0);
}

void TestLookupService::portInUse() {
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress(QHostAddress::LocalHost), 0));
    LookupService service(files());
    QCOMPARE(service.start(other.serverPort()), QStringLiteral("Look-up service: port %1 is in use").arg(other.serverPort()));
    QVERIFY(!service.isListening());
    // Free again: it starts.
    const quint16 port = other.serverPort();
    other.close();
    QCOMPARE(service.start(port), QString());
    QCOMPARE(service.port(), port);
}

void TestLookupService::changedAndSwappedDatabaseSeenAtTheNextRequest() {
    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    writeFixtureDatabases(data);
    LookupService service(LookupDataFiles{data + QStringLiteral("FCCdata.db"), data + QStringLiteral("postal.db")});
    QCOMPARE(service.start(0), QString());
    QTcpSocket s;
    s.connectToHost(QHostAddress(QHostAddress::LocalHost), service.port());
    QVERIFY(s.waitForConnected(3000));
    auto nameOf = [&](const QByteArray& call) {
        s.write("GET /v1/" + call + "/json/a HTTP/1.1\r\n\r\n");
        const Answer a = readAnswer(s);
        return a.status == 200 ? callsignOf(a.body).value(QStringLiteral("name")).toString() : QString::number(a.status);
    };
    QCOMPARE(nameOf("K7ABC"), QStringLiteral("Public"));
    // Daily changes write into the file in place: seen at the next request.
    {
        Database db;
        db.open(data + QStringLiteral("FCCdata.db"));
        db.exec(QStringLiteral("update FCC_EN set last_name = 'Changed' where call_sign = 'K7ABC'"));
    }
    QCOMPARE(nameOf("K7ABC"), QStringLiteral("Changed"));
    // Update Data builds the new file beside the old one and renames it into place.
    QVERIFY(QFile::copy(data + QStringLiteral("FCCdata.db"), data + QStringLiteral("FCCdata.db.new")));
    {
        Database db;
        db.open(data + QStringLiteral("FCCdata.db.new"));
        db.exec(QStringLiteral("update FCC_EN set last_name = 'Swapped' where call_sign = 'K7ABC'"));
    }
    QVERIFY(QFile::rename(data + QStringLiteral("FCCdata.db"), data + QStringLiteral("FCCdata.db.bak")));
    QVERIFY(QFile::rename(data + QStringLiteral("FCCdata.db.new"), data + QStringLiteral("FCCdata.db")));
    QCOMPARE(nameOf("K7ABC"), QStringLiteral("Swapped"));
    // No data at all for a moment: 503, and served again once it is back.
    QVERIFY(QFile::rename(data + QStringLiteral("FCCdata.db"), data + QStringLiteral("FCCdata.db.old")));
    QCOMPARE(nameOf("K7ABC"), QStringLiteral("503"));
    QVERIFY(QFile::rename(data + QStringLiteral("FCCdata.db.old"), data + QStringLiteral("FCCdata.db")));
    QCOMPARE(nameOf("K7ABC"), QStringLiteral("Swapped"));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return runTestClasses<TestServiceProtocol, TestLookupService>(argc, argv);
}

#include "tst_service.moc"
