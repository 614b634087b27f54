// The downloader against a server on 127.0.0.1: bodies with and without a declared length
// arrive whole and byte for byte, with progress on the way; every failure (error status,
// refused connection, a server that dies, stalls or trickles mid-body, a body over the cap, a
// file that cannot be created) is reported and leaves the local file exactly as it was, with no
// temporary file behind. ReadURL, which shares the downloader's request, reads a whole text.

#include "tests/support/TestHttpServer.h"
#include "data/Downloader.h"
#include "data/WebRequest.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Route::Framing)
Q_DECLARE_METATYPE(DownloadFailure)

namespace {

constexpr int kWait = 30000;

QByteArray randomBytes(int size, quint32 seed) {
    QByteArray out(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (char& c : out)
        c = char(gen.bounded(256));
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

const QByteArray kOlder = "the archive of the previous update";

} // namespace

class TestDownloader : public QObject {
    Q_OBJECT
private slots:
    void percent_data();
    void percent();
    void fetchesWholeBody_data();
    void fetchesWholeBody();
    void followsRedirect();
    void failureKeepsOlderFile_data();
    void failureKeepsOlderFile();
    void transferCutShort_data();
    void transferCutShort();
    void localFileCannotBeCreated();
    void destroyedMidTransfer();
    void blockingHelper();
    void readUrlReturnsBodyAndFailsOnError();
};

void TestDownloader::percent_data() {
    QTest::addColumn<qint64>("read");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("expected");
    QTest::newRow("quarter") << qint64(250) << qint64(1000) << 25;
    QTest::newRow("truncated, not rounded") << qint64(999) << qint64(1000) << 99;
    QTest::newRow("complete") << qint64(1000) << qint64(1000) << 100;
    QTest::newRow("nothing yet") << qint64(0) << qint64(1000) << 0;
    QTest::newRow("beyond 32 bits") << qint64(3) * 1024 * 1024 * 1024 << qint64(4) * 1024 * 1024 * 1024 << 75;
    QTest::newRow("unknown length") << qint64(500) << qint64(-1) << -1;
    QTest::newRow("zero length") << qint64(500) << qint64(0) << -1;
}

void TestDownloader::percent() {
    QFETCH(qint64, read);
    QFETCH(qint64, total);
    QFETCH(int, expected);
    QCOMPARE(downloadPercent(read, total), expected);
}

void TestDownloader::fetchesWholeBody_data() {
    QTest::addColumn<Route::Framing>("framing");
    QTest::addColumn<bool>("hadOlder");
    QTest::newRow("declared length") << Route::Framing::Declared << false;
    QTest::newRow("declared length, replaces older file") << Route::Framing::Declared << true;
    QTest::newRow("length unknown, ends with the connection") << Route::Framing::ToClose << false;
    QTest::newRow("chunked") << Route::Framing::Chunked << true;
}

void TestDownloader::fetchesWholeBody() {
    QFETCH(Route::Framing, framing);
    QFETCH(bool, hadOlder);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("l_amat.zip"));
    if (hadOlder)
        writeFile(target, kOlder);
    // Larger than one read chunk, so the body crosses several writes.
    const QByteArray body = randomBytes(700 * 1024, 7);
    TestHttpServer server;
    Route route;
    route.body = body;
    route.framing = framing;
    route.pieces = 6;
    route.holdAfter = 100 * 1024;
    server.route("/l_amat.zip", route);

    Downloader d;
    QSignalSpy progress(&d, &Downloader::progress);
    QSignalSpy finished(&d, &Downloader::finished);
    d.start(server.url("/l_amat.zip"), target);
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), kWait);
    // Part of the body is in, the rest is held back: the real name still shows what was there.
    QVERIFY(d.isRunning());
    QCOMPARE(readAll(target), hadOlder ? kOlder : QByteArray("<missing>"));
    server.release();
    QVERIFY(finished.wait(kWait));

    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(finished.at(0).at(1).toString(), QString());
    QVERIFY(d.succeeded());
    QVERIFY(readAll(target) == body);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("l_amat.zip")});
    QCOMPARE(server.lastUserAgent(), QByteArray("VER1010"));

    QVERIFY(progress.size() >= 2);
    const qint64 expectedLength = framing == Route::Framing::Declared ? body.size() : -1;
    qint64 previous = 0;
    for (const QList<QVariant>& report : std::as_const(progress)) {
        if (expectedLength > 0)
            QCOMPARE(report.at(0).toLongLong(), expectedLength);
        else
            QVERIFY(report.at(0).toLongLong() <= 0);
        QVERIFY(report.at(1).toLongLong() > previous);
        previous = report.at(1).toLongLong();
    }
    QCOMPARE(previous, qint64(body.size()));
}

void TestDownloader::followsRedirect() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("amateur.zip"));
    TestHttpServer server;
    Route moved = Route::answer(302, "Found", "moved");
    moved.headers = {{"Location", server.url("/datafiles/amateur.zip").toEncoded()}};
    server.route("/old/amateur.zip", moved);
    Route real;
    real.body = randomBytes(5000, 3);
    server.route("/datafiles/amateur.zip", real);

    QString error;
    QVERIFY2(downloadFile(server.url("/old/amateur.zip"), target, &error), qPrintable(error));
    QVERIFY(readAll(target) == real.body);
    QCOMPARE(server.requests(), 2);
}

void TestDownloader::failureKeepsOlderFile_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<DownloadFailure>("failure");
    QTest::addColumn<QString>("says");
    QTest::newRow("404") << QByteArray("/missing.zip") << DownloadFailure::HttpStatus << QStringLiteral("404 Not Found");
    QTest::newRow("500") << QByteArray("/broken.zip") << DownloadFailure::HttpStatus << QStringLiteral("500");
    QTest::newRow("connection refused") << QByteArray() << DownloadFailure::Network << QStringLiteral("refused");
    QTest::newRow("server dies mid-body") << QByteArray("/dies.zip") << DownloadFailure::Network << QString();
}

void TestDownloader::failureKeepsOlderFile() {
    QFETCH(QByteArray, path);
    QFETCH(DownloadFailure, failure);
    QFETCH(QString, says);
    TestHttpServer server;
    Route broken = Route::answer(500, "Internal Server Error", "<html>oops</html>");
    server.route("/broken.zip", broken);
    Route dies;
    dies.body = randomBytes(30000, 5);
    dies.declaredLength = 100000;
    server.route("/dies.zip", dies);
    const QUrl url = path.isEmpty() ? TestHttpServer::refusedUrl() : server.url(path);

    for (bool hadOlder : {true, false}) {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("l_gmrs.zip"));
        if (hadOlder)
            writeFile(target, kOlder);
        Downloader d;
        QSignalSpy finished(&d, &Downloader::finished);
        d.start(url, target);
        QVERIFY(finished.wait(kWait));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        const QString error = finished.at(0).at(1).toString();
        // A body cut short may surface as a broken connection or as a short count; both are failures.
        if (path == "/dies.zip")
            QVERIFY2(d.failure() == DownloadFailure::Network || d.failure() == DownloadFailure::Incomplete, qPrintable(error));
        else
            QCOMPARE(d.failure(), failure);
        QVERIFY2(error.contains(says, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY2(error.contains(url.toDisplayString()), qPrintable(error));
        QCOMPARE(d.errorText(), error);
        QCOMPARE(filesIn(dir.path()), hadOlder ? QStringList{QStringLiteral("l_gmrs.zip")} : QStringList());
        if (hadOlder)
            QCOMPARE(readAll(target), kOlder);
    }
}

void TestDownloader::transferCutShort_data() {
    QTest::addColumn<Route::Framing>("framing");
    QTest::addColumn<int>("pieces");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<DownloadFailure>("failure");
    QTest::addColumn<QString>("says");
    QTest::newRow("announced length over the cap") << Route::Framing::Declared << 4 << 15 << DownloadFailure::TooLarge
                                                   << QStringLiteral("larger than the 3000 bytes allowed");
    QTest::newRow("unannounced body grows past the cap") << Route::Framing::ToClose << 4 << 15 << DownloadFailure::TooLarge
                                                         << QStringLiteral("larger than the 3000 bytes allowed");
    // 8 bytes every 40 ms: a byte comes often enough for any stall timeout, never enough to finish.
    QTest::newRow("a trickle below the minimum rate") << Route::Framing::Declared << 1250 << 40 << DownloadFailure::TooSlow
                                                      << QStringLiteral("too slow");
    // 2000 bytes, then the server holds the rest for good: the stall timeout ends it.
    QTest::newRow("a server that stops sending") << Route::Framing::Declared << 1 << 0 << DownloadFailure::Network
                                                 << QStringLiteral("nothing arrived");
}

void TestDownloader::transferCutShort() {
    QFETCH(Route::Framing, framing);
    QFETCH(int, pieces);
    QFETCH(int, pauseMs);
    QFETCH(DownloadFailure, failure);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("l_amat.zip"));
    writeFile(target, kOlder);
    TestHttpServer server;
    Route route;
    route.body = randomBytes(10000, 21);
    route.framing = framing;
    route.pieces = pieces;
    route.pauseMs = pauseMs;
    const bool stalls = failure == DownloadFailure::Network;
    if (stalls)
        route.holdAfter = 2000;   // never released
    server.route("/l_amat.zip", route);

    Downloader d;
    d.setMaximumSize(failure == DownloadFailure::TooLarge ? 3000 : 1 << 20);
    if (stalls)
        d.setStallTimeout(500);
    else
        d.setMinimumRate(1000, 600);
    QSignalSpy finished(&d, &Downloader::finished);
    d.start(server.url("/l_amat.zip"), target);
    QVERIFY(finished.wait(kWait));
    QCOMPARE(d.failure(), failure);
    QVERIFY2(d.errorText().contains(says), qPrintable(d.errorText()));
    QVERIFY(d.bytesRead() < route.body.size());
    QCOMPARE(readAll(target), kOlder);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("l_amat.zip")});
}

void TestDownloader::localFileCannotBeCreated() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("no/such/folder/l_amat.zip"));
    TestHttpServer server;
    Route ok;
    ok.body = "PK";
    server.route("/l_amat.zip", ok);

    Downloader d;
    QSignalSpy finished(&d, &Downloader::finished);
    d.start(server.url("/l_amat.zip"), target);
    // The end comes from the event loop, so a caller that connects after start() still hears it.
    QCOMPARE(finished.size(), 0);
    QVERIFY(finished.wait(kWait));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(d.failure(), DownloadFailure::LocalFile);
    QVERIFY2(d.errorText().contains(target), qPrintable(d.errorText()));
    QCOMPARE(server.requests(), 0);
    QVERIFY(!QFile::exists(target));
}

void TestDownloader::destroyedMidTransfer() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("l_amat.zip"));
    TestHttpServer server;
    Route held;
    held.body = randomBytes(50000, 11);
    held.holdAfter = 10000;
    server.route("/l_amat.zip", held);

    auto d = std::make_unique<Downloader>();
    QSignalSpy progress(d.get(), &Downloader::progress);
    QSignalSpy finished(d.get(), &Downloader::finished);
    d->start(server.url("/l_amat.zip"), target);
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), kWait);
    d.reset();
    server.release();
    // Whatever the server still sends arrives nowhere; its answer ends when it sees the client gone.
    QTRY_COMPARE_WITH_TIMEOUT(server.answersEnded(), 1, kWait);
    QCOMPARE(finished.size(), 0);
    QCOMPARE(filesIn(dir.path()), QStringList());
}

void TestDownloader::blockingHelper() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("amateur.zip"));
    TestHttpServer server;
    Route ok;
    ok.body = randomBytes(40000, 13);
    server.route("/datafiles/amateur.zip", ok);

    QList<qint64> seen;
    QString error = QStringLiteral("untouched");
    QVERIFY(downloadFile(server.url("/datafiles/amateur.zip"), target, &error,
                         [&](qint64 total, qint64 read) { seen.append(read); QCOMPARE(total, qint64(40000)); }));
    QCOMPARE(error, QString());
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), qint64(40000));
    QVERIFY(readAll(target) == ok.body);

    QVERIFY(!downloadFile(server.url("/nothing-here.zip"), dir.filePath(QStringLiteral("x.zip")), &error));
    QVERIFY2(error.contains(QStringLiteral("404")), qPrintable(error));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.zip"))));
}

void TestDownloader::readUrlReturnsBodyAndFailsOnError() {
    QByteArray body(2500, 'x');
    body[0] = '\x93';   // a byte of the 8-bit code page
    TestHttpServer ok(200, body);
    const QString text = ReadURL(ok.base() + QStringLiteral("/files/x.version"));
    QCOMPARE(text.size(), 2500);
    QCOMPARE(text.at(0), QChar(0x201C));
    QCOMPARE(ok.lastUserAgent(), QByteArray("VER1010"));
    QVERIFY(ok.request().contains("Cache-Control: no-cache"));
    TestHttpServer utf8(200, "99.0\xC2\xB7" "1");
    QCOMPARE(ReadURL(utf8.base() + QStringLiteral("/files/x.version")), QStringLiteral("99.0\u00B71"));

    TestHttpServer missing(404, "nope");
    const QString address = missing.base() + QStringLiteral("/files/x.version");
    try {
        ReadURL(address);
        QFAIL("an error status must fail");
    } catch (const UrlError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot open URL ") + address);
    }
    QVERIFY_THROWS_EXCEPTION(UrlError, ReadURL(TestHttpServer::refusedUrl().toString()));
}

QObject* makeTestDownloader() { return new TestDownloader; }

#include "tst_downloader.moc"
