// The import window offscreen: its controls, closing itself after the worker, the reports it
// gives, and the confirmed cancel that is the only way to close it while the worker runs.

#include "tests/support/WidgetLookup.h"
#include "data/TfrmDataProcess.h"
#include "ui/MessageDialog.h"
#include "TestSupport.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <csignal>
#include <sys/stat.h>

namespace {

QByteArray amLines(int n, int firstUsi = 1) {
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += ulsLine("AM", {{2, QByteArray::number(firstUsi + i)}, {6, "E"}, {16, "N1OLD"}}, 18) + "\r\n";
    return out;
}


} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void controls();
    void importsAndClosesItself();
    void reportsSkippedLines();
    void reportsFailure_data();
    void reportsFailure();
    void closeOnlyThroughConfirmedCancel();
};

void TestWindow::controls() {
    ImportFixture fx;
    TfrmDataProcess w(nullptr, TDataType::CDN, fx.path(QStringLiteral("CADN/amateur.txt")), fx.job(TDataType::CDN, QString()));
    QCOMPARE(w.windowTitle(), QStringLiteral("Data Processor"));
    QCOMPARE(child<QLabel>(w, "lblFileName")->text(), QStringLiteral("File Name:"));
    QCOMPARE(child<QLabel>(w, "lblRecordType")->text(), QStringLiteral("Record Type:"));
    QCOMPARE(child<QLabel>(w, "lblRecords")->text(), QStringLiteral("Number of Records:"));
    QCOMPARE(child<QLabel>(w, "lblRecords")->buddy(), child<QLabel>(w, "txtRecords"));
    QCOMPARE(child<QLabel>(w, "txtRecords")->text(), QStringLiteral("0"));
    QLabel* commit = child<QLabel>(w, "lblCommit");
    QCOMPARE(commit->text(), QStringLiteral("Commit Data"));
    QVERIFY(commit->font().bold());
    QVERIFY(commit->isHidden());
    QCOMPARE(child<QProgressBar>(w, "pb1")->value(), 0);
    QVERIFY(!w.isRunning());
}

void TestWindow::importsAndClosesItself() {
    ScopedDialogAnswers answers;
    ImportFixture fx;
    const QString file = fx.path(QStringLiteral("AMAT/AM.dat"));
    writeBytes(file, amLines(4500));
    TfrmDataProcess w(nullptr, TDataType::AMT_AM, file, fx.job(TDataType::AMT_AM, QString()));
    w.open();
    QCOMPARE(child<QLabel>(w, "txtFileName")->text(), file);
    QCOMPARE(child<QLabel>(w, "txtRecordType")->text(), QStringLiteral("Amateur AM Records"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(w.importResult().ok);
    QCOMPARE(child<QLabel>(w, "txtRecords")->text(), QStringLiteral("4500"));
    QCOMPARE(child<QProgressBar>(w, "pb1")->value(), 4000);   // the last whole step
    QVERIFY(child<QLabel>(w, "lblCommit")->isVisibleTo(&w));
    QVERIFY(answers.messages.isEmpty());
    QCOMPARE(fx.count(QStringLiteral("FCC_AM")), 4500);
}

void TestWindow::reportsSkippedLines() {
    ScopedDialogAnswers answers;
    ImportFixture fx;
    const QString file = fx.path(QStringLiteral("AMAT/AM.dat"));
    writeBytes(file, amLines(2) + ulsLine("AM", {{2, "9"}}, 10) + "\r\n");
    TfrmDataProcess w(nullptr, TDataType::AMT_AM, file, fx.job(TDataType::AMT_AM, QString()));
    w.open();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages[0].kind, MsgKind::Information);
    QVERIFY2(answers.messages[0].text.contains(QLatin1String("1 of 3 lines")), qPrintable(answers.messages[0].text));
    QVERIFY(answers.messages[0].text.contains(QLatin1String("AM record with fewer than 16 fields: 1")));
    QCOMPARE(fx.count(QStringLiteral("FCC_AM")), 2);
}

void TestWindow::reportsFailure_data() {
    QTest::addColumn<int>("setting");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("untrue");
    // At start-up a failed source really is imported again at the next start; in Update Data
    // the old data stays in use and nothing is imported again.
    QTest::newRow("at start-up") << int(ImportSetting::StartUp)
                                 << QStringLiteral("Nothing of this file was kept; it will be imported again at the next start.")
                                 << QStringLiteral("update");
    QTest::newRow("in Update Data") << int(ImportSetting::Update) << QStringLiteral("The update stops; your data is unchanged.")
                                    << QStringLiteral("next start");
}

void TestWindow::reportsFailure() {
    QFETCH(int, setting);
    QFETCH(QString, outcome);
    QFETCH(QString, untrue);
    ScopedDialogAnswers answers;
    ImportFixture fx;
    const QString file = fx.path(QStringLiteral("GMRS/EN.dat"));
    TfrmDataProcess w(nullptr, TDataType::GMRS_EN, file, fx.job(TDataType::GMRS_EN, QString()));
    w.setSetting(ImportSetting(setting));
    w.open();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages[0].kind, MsgKind::Error);
    QVERIFY(answers.messages[0].text.contains(file));
    QVERIFY2(answers.messages[0].text.endsWith(outcome), qPrintable(answers.messages[0].text));
    QVERIFY2(!answers.messages[0].text.contains(untrue), qPrintable(answers.messages[0].text));
    QVERIFY(!w.importResult().ok);
}

void TestWindow::closeOnlyThroughConfirmedCancel() {
    ImportFixture fx;
    // A pipe as the source keeps the worker waiting for input until the test lets it go on.
    const QString fifo = fx.path(QStringLiteral("AM.fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::signal(SIGPIPE, SIG_IGN);   // the worker may have closed its end before the last write
    ScopedDialogAnswers answers(MsgButton::No);
    TfrmDataProcess w(nullptr, TDataType::AMT_AM, fifo, fx.job(TDataType::AMT_AM, QString()));
    w.open();
    QFile writer(fifo);
    QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    // More than the reader's first block (8 MB), so that it reads one block and waits for the next.
    const QByteArray first = amLines(300000);
    QVERIFY(first.size() > (8 << 20) && first.size() < (16 << 20));
    QCOMPARE(writer.write(first), first.size());
    QTRY_VERIFY_WITH_TIMEOUT(child<QProgressBar>(w, "pb1")->value() >= 2000, 30000);
    QVERIFY(w.isRunning());

    w.close();
    QTest::keyClick(&w, Qt::Key_Escape);
    QCOMPARE(answers.messages.size(), 2);
    for (const RecordedMessage& m : answers.messages) {
        QCOMPARE(m.kind, MsgKind::Confirmation);
        QCOMPARE(m.buttons, MsgButtons(MsgButton::Yes | MsgButton::No));
        QVERIFY(m.text.contains(fifo));
    }
    QVERIFY(w.isVisible());
    QVERIFY(w.isRunning());

    answers.answer = MsgButton::Yes;
    w.close();
    QVERIFY(w.isVisible());   // closes only once the worker has rolled back
    writer.write(amLines(10, 900000));
    writer.close();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 30000);
    QVERIFY(w.importResult().cancelled);
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(answers.messages.size(), 4);
    QCOMPARE(answers.messages[3].kind, MsgKind::Information);
    QVERIFY(answers.messages[3].text.contains(QLatin1String("cancelled")));
    QCOMPARE(fx.count(QStringLiteral("FCC_AM")), 0);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
