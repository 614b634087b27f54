// The download window offscreen, against the test server: its controls, the labels and the
// bar while a transfer runs, no percentage when the length is unknown, closing refused until the
// end but Cancel stopping a trickle, closing by itself after success, and the error box then
// closing after failure.

#include "tests/support/WidgetLookup.h"
#include "tests/support/TestHttpServer.h"
#include "data/Downloader.h"
#include "data/TfrmFileDownload.h"
#include "ui/MessageDialog.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kWait = 30000;


QString text(QWidget& w, const char* name) { return child<QLabel>(w, name)->text(); }

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray body(int size) {
    QByteArray out;
    for (int i = 0; out.size() < size; ++i)
        out += QByteArray::number(i) + ',';
    out.truncate(size);
    return out;
}

} // namespace

class TestDownloadWindow : public QObject {
    Q_OBJECT
private slots:
    void controls();
    void progressAndRefusedClose_data();
    void progressAndRefusedClose();
    void unknownLengthShowsNoPercentage();
    void failureShowsErrorThenCloses_data();
    void failureShowsErrorThenCloses();
    void destroyedMidTransfer();
    void cancelStopsATrickle();
};

void TestDownloadWindow::controls() {
    QWidget owner;
    owner.setGeometry(60, 40, 700, 500);
    owner.show();
    TfrmFileDownload w(&owner, QStringLiteral("http://127.0.0.1:1/x.zip"), QStringLiteral("/nowhere/x.zip"));
    QCOMPARE(w.windowTitle(), QStringLiteral("File Downloader"));
    QCOMPARE(text(w, "lblRequestedFile"), QStringLiteral("Requested File: "));
    QCOMPARE(text(w, "lblLocalFilename"), QStringLiteral("Local Filename:"));
    QCOMPARE(text(w, "lblTotalBytesCaption"), QStringLiteral("Total Bytes:"));
    QCOMPARE(text(w, "lblTransferedCaption"), QStringLiteral("Bytes Transfered:"));
    QCOMPARE(child<QLabel>(w, "lblLocalFilename")->buddy(), child<QLabel>(w, "lclFile"));
    QCOMPARE(text(w, "reqFile"), QStringLiteral("RemoteFileName"));
    QCOMPARE(text(w, "lclFile"), QStringLiteral("Localfilename"));
    QCOMPARE(text(w, "lblTotalBytes"), QStringLiteral("0"));
    QCOMPARE(text(w, "lblTransfered"), QStringLiteral("0"));
    QProgressBar* bar = child<QProgressBar>(w, "ProgressBar1");
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QVERIFY(!bar->isTextVisible());   // the labels tell the figures; the bar is plain
    QCOMPARE(child<QPushButton>(w, "btnCancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(w.size(), QSize(645, 122));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    // Not shown, nothing started: nothing holds the window open.
    QVERIFY(!w.isFinished());
    QVERIFY(w.close());

    // Shown, it sits over the middle of its owner (the local file fails at once and the
    // window goes again after its error box).
    ScopedDialogAnswers answers;
    w.open();
    const QPoint middle = owner.frameGeometry().center();
    QVERIFY(qAbs(w.frameGeometry().center().x() - middle.x()) <= 2);
    QVERIFY(qAbs(w.frameGeometry().center().y() - middle.y()) <= 2);
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWait);
}

void TestDownloadWindow::progressAndRefusedClose_data() {
    QTest::addColumn<int>("heldAt");
    QTest::addColumn<int>("percent");
    QTest::newRow("a quarter") << 250 << 25;
    QTest::newRow("999 of 1000") << 999 << 99;
}

void TestDownloadWindow::progressAndRefusedClose() {
    QFETCH(int, heldAt);
    QFETCH(int, percent);
    ScopedDialogAnswers answers;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("l_amat.zip"));
    TestHttpServer server;
    Route route;
    route.body = body(1000);
    route.holdAfter = heldAt;
    server.route("/download/pub/uls/complete/l_amat.zip", route);
    const QString url = server.url("/download/pub/uls/complete/l_amat.zip").toString();

    TfrmFileDownload w(nullptr, url, target);
    w.open();
    QCOMPARE(text(w, "reqFile"), url);
    QCOMPARE(text(w, "lclFile"), target);
    QTRY_COMPARE_WITH_TIMEOUT(text(w, "lblTransfered"), QString::number(heldAt), kWait);
    QCOMPARE(text(w, "lblTotalBytes"), QStringLiteral("1000"));
    QCOMPARE(child<QProgressBar>(w, "ProgressBar1")->value(), percent);

    // Neither the close button nor Escape ends a running transfer.
    QVERIFY(!w.close());
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QVERIFY(!w.isFinished());

    server.release();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWait);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(w.succeeded());
    QCOMPARE(w.errorText(), QString());
    QVERIFY(answers.messages.isEmpty());
    QCOMPARE(child<QProgressBar>(w, "ProgressBar1")->value(), 100);
    QCOMPARE(text(w, "lblTransfered"), QStringLiteral("1000"));
    QVERIFY(readAll(target) == route.body);
}

void TestDownloadWindow::unknownLengthShowsNoPercentage() {
    ScopedDialogAnswers answers;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("amateur.zip"));
    TestHttpServer server;
    Route route;
    route.body = body(3000);
    route.framing = Route::Framing::ToClose;
    route.holdAfter = 1200;
    server.route("/datafiles/amateur.zip", route);

    TfrmFileDownload w(nullptr, server.url("/datafiles/amateur.zip").toString(), target);
    QProgressBar* bar = child<QProgressBar>(w, "ProgressBar1");
    w.open();
    QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() == 0, kWait);   // a busy bar, no figure
    QCOMPARE(text(w, "lblTotalBytes"), QStringLiteral("0"));
    QCOMPARE(text(w, "lblTransfered"), QStringLiteral("0"));
    QVERIFY(!w.close());

    server.release();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWait);
    QVERIFY(w.succeeded());
    QVERIFY(answers.messages.isEmpty());
    QVERIFY(readAll(target) == route.body);
}

void TestDownloadWindow::failureShowsErrorThenCloses_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("boxStarts");
    QTest::addColumn<QString>("boxSays");
    QTest::newRow("404") << QStringLiteral("404") << QStringLiteral("The server answered 404 Not Found for http://127.0.0.1:")
                         << QStringLiteral("/l_gmrs.zip");
    QTest::newRow("server dies mid-body") << QStringLiteral("dies") << QStringLiteral("The download of http://127.0.0.1:")
                                          << QStringLiteral("/l_gmrs.zip");
    QTest::newRow("connection refused") << QStringLiteral("refused") << QStringLiteral("The download of http://127.0.0.1:")
                                        << QStringLiteral("refused");
    QTest::newRow("folder does not exist") << QStringLiteral("nofolder") << QStringLiteral("Downoad Error\n")
                                           << QStringLiteral("no/folder/l_gmrs.zip");
}

void TestDownloadWindow::failureShowsErrorThenCloses() {
    QFETCH(QString, kind);
    QFETCH(QString, boxStarts);
    QFETCH(QString, boxSays);
    ScopedDialogAnswers answers;
    QTemporaryDir dir;
    TestHttpServer server;
    Route dies;
    dies.body = body(4000);
    dies.declaredLength = 9000;
    server.route("/dies/l_gmrs.zip", dies);
    Route ok;
    ok.body = body(100);
    server.route("/ok/l_gmrs.zip", ok);

    QString target = dir.filePath(QStringLiteral("l_gmrs.zip"));
    QUrl url;
    if (kind == QLatin1String("404"))
        url = server.url("/l_gmrs.zip");
    else if (kind == QLatin1String("dies"))
        url = server.url("/dies/l_gmrs.zip");
    else if (kind == QLatin1String("refused"))
        url = TestHttpServer::refusedUrl();
    else {
        url = server.url("/ok/l_gmrs.zip");
        target = dir.filePath(QStringLiteral("no/folder/l_gmrs.zip"));
    }

    TfrmFileDownload w(nullptr, url.toString(), target);
    w.open();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWait);
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(w.isFinished());
    QVERIFY(!w.succeeded());
    QVERIFY(!w.errorText().isEmpty());
    QCOMPARE(answers.messages.size(), 1);
    const RecordedMessage& box = answers.messages.first();
    QVERIFY2(box.text.startsWith(boxStarts), qPrintable(box.text));
    QVERIFY2(box.text.contains(boxSays, Qt::CaseInsensitive), qPrintable(box.text));
    QCOMPARE(box.kind, MsgKind::Error);
    QCOMPARE(box.buttons, MsgButtons(MsgButton::Ok));
    QVERIFY(!QFile::exists(target));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestDownloadWindow::destroyedMidTransfer() {
    ScopedDialogAnswers answers;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("l_amat.zip"));
    TestHttpServer server;
    Route route;
    route.body = body(20000);
    route.holdAfter = 5000;
    server.route("/l_amat.zip", route);

    auto* w = new TfrmFileDownload(nullptr, server.url("/l_amat.zip").toString(), target);
    w->open();
    QTRY_COMPARE_WITH_TIMEOUT(text(*w, "lblTransfered"), QStringLiteral("5000"), kWait);
    delete w;
    server.release();
    QTRY_COMPARE_WITH_TIMEOUT(server.answersEnded(), 1, kWait);
    QVERIFY(answers.messages.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestDownloadWindow::cancelStopsATrickle() {
    ScopedDialogAnswers answers;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("l_amat.zip"));
    TestHttpServer server;
    Route trickle;
    trickle.body = body(100000);
    trickle.pieces = 100000;   // one byte at a time
    trickle.pauseMs = 50;
    server.route("/l_amat.zip", trickle);

    TfrmFileDownload w(nullptr, server.url("/l_amat.zip").toString(), target);
    w.open();
    QTRY_VERIFY_WITH_TIMEOUT(text(w, "lblTransfered").toInt() > 0, kWait);
    QVERIFY(!w.close());   // the close button still does not end it
    QTest::mouseClick(child<QPushButton>(w, "btnCancel"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), kWait);
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(w.cancelled());
    QVERIFY(!w.succeeded());
    QVERIFY(answers.messages.isEmpty());   // the user chose it; no error box
    QTRY_COMPARE_WITH_TIMEOUT(server.answersEnded(), 1, kWait);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QObject* makeTestDownloadWindow() { return new TestDownloadWindow; }

#include "tst_window.moc"
