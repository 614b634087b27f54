// The batch conversion: one call sign at a time on the fixture databases, the reading of the
// input (byte-order marks, code page, line ends, delimiters), the output name, whole runs that
// succeed, fail or are cancelled, the worker thread, and the window driven through the dialog seam.
#include "batch/BatchConversion.h"
#include "batch/BatchRunner.h"
#include "batch/TProcessBatch.h"
#include "core/Paths.h"
#include "tests/support/Fixtures.h"
#include "core/Database.h"
#include "tests/support/WidgetLookup.h"
#include "ui/MessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

namespace {

const QByteArray kHeader = "Call Sign,Entity Name,Street Address,City,State,Zipcode,Grid,TenTen,VP,First Name,Last Name,MI,"
                           "County,Latitude,Longitude,Grant Date,Expired Date";
const QString kK7abc = QStringLiteral(
    R"("K7ABC","","1 Elm St","Tucson","AZ","857011234",DM42MF,,,"John","Public","Q","","32.2217","-110.9265","2019-05-17","2030-01-01")");
const QString kW1aw = QStringLiteral(
    R"("W1AW","Arrl Hq Operators Club","225 Main St","Newington","CT","06111",FN31PQ,,,"","","","","41.6869","-72.7305","2020-01-01","2030-01-01")");

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// What the main window hands the batch window: here a data module on the fixture files (its
// connections open only when asked: the window must then find the files through the paths) and a
// documents folder of its own.
struct WindowContext {
    WindowContext(const QString& data, bool openConnections)
        : settings(data + QStringLiteral("Quillmarsh.cfg")) {
        if (openConnections) {
            dm.condb.open(data + QStringLiteral("FCCdata.db"));
            dm.Zipdb.open(data + QStringLiteral("postal.db"));
        } else {
            app.FCCDatabaseFile = data + QStringLiteral("FCCdata.db");
            app.PostalDatabaseFile = data + QStringLiteral("postal.db");
        }
        app.DocumentsPath = docs.path();
    }
    TAppContext context() { return TAppContext{dm, settings, props, app, services}; }
    QString doc(const char* name) const { return docs.filePath(QLatin1String(name)); }

    TDM dm;
    TSettings settings;
    TGlobalProps props;
    TAppValues app;
    ServiceConfig services;
    QTemporaryDir docs;
};

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void convertOne_data();
    void convertOne();
    void inputDecoding_data();
    void inputDecoding();
    void delimiterSplitting_data();
    void delimiterSplitting();
    void outputName_data();
    void outputName();
    void sameFileThroughLinks();
    void wholeRunWritesCsvLines();
    void failedOrCancelledRunLeavesOutput_data();
    void failedOrCancelledRunLeavesOutput();
    void runnerWorksOffTheWindowThread();
    void windowEndToEnd();
    void windowRefusesInputAsOutput();
    void windowCancelDuringRunWritesNothing();

private:
    BatchJob job(const QString& in, const QString& out) const;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_data;
    Database m_condb;
    Database m_zipdb;
};

void TestBatch::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    m_data = programDataPath();
    writeFixtureDatabases(m_data);
    m_condb.open(m_data + QStringLiteral("FCCdata.db"));
    m_zipdb.open(m_data + QStringLiteral("postal.db"));
    // Rows only the conversion needs: a licence without street or box, one at a zip at 0/0 with
    // its county, one whose names hold double quotes.
    Statement en(m_condb, QStringLiteral("insert into FCC_EN values(?1,?2,'L',?3,?4,'',?5,?6,'','Here','AZ',?7,?8,?9,'AMAT')"));
    Statement hd(m_condb, QStringLiteral("insert into FCC_HD values(?1,'A','2021-02-03','2031-02-03','','','')"));
    Statement am(m_condb, QStringLiteral("insert into FCC_AM values(?1,'T','')"));
    const QVariantList rows[] = {
        {"300", "KC1NOB", "", "No", "Box", "", "85701", "", "0300"},
        {"301", "KC1ZRO", "", "Zero", "Point", "9 Null Is", "00000", "Gulf County", "0301"},
        {"302", "KC1QUO", "The \"Q\" Club", "Sean", "O\"Brien", "1 \"Quoted\" Rd", "85701", "", "0302"},
    };
    for (const QVariantList& r : rows) {
        en.bindAll(r);
        en.execute();
        hd.bindAll({r.at(0)});
        hd.execute();
        am.bindAll({r.at(0)});
        am.execute();
    }
    m_zipdb.exec(QStringLiteral("insert into zipcodes(zip,city,state,latitude,longitude,county) values('00000','Null','XX',0,0,'')"));
}

BatchJob TestBatch::job(const QString& in, const QString& out) const {
    BatchJob j;
    j.inputFile = in;
    j.outputFile = out;
    j.licenceDatabase = m_data + QStringLiteral("FCCdata.db");
    j.zipDatabase = m_data + QStringLiteral("postal.db");
    return j;
}

void TestBatch::convertOne_data() {
    QTest::addColumn<QString>("inputLine");
    QTest::addColumn<QString>("output");
    QTest::newRow("active amateur") << "K7ABC" << kK7abc;
    QTest::newRow("lower case finds its licence") << "k7abc" << kK7abc;
    QTest::newRow("club: entity name, empty person fields") << "W1AW" << kW1aw;
    QTest::newRow("trailing blank") << "K7ABC " << "";
    QTest::newRow("empty line") << "" << "";
    QTest::newRow("PO Box with number, zip unknown: three empty unquoted fields")
        << "KB1BOX" << R"("KB1BOX","","PO Box 1234","Nowhere","ZZ","99999",,,,"Mary","Smith","","",,,"2017-01-01","2030-01-01")";
    QTest::newRow("PO Box without number")
        << "KC1NOB" << R"("KC1NOB","","PO Box ","Here","AZ","85701",DM42MF,,,"No","Box","","","32.2217","-110.9265","2021-02-03","2031-02-03")";
    QTest::newRow("zip at 0/0, county of the licence")
        << "KC1ZRO" << R"("KC1ZRO","","9 Null Is","Here","AZ","00000",JJ00AA,,,"Zero","Point","","Gulf County","0","0","2021-02-03","2031-02-03")";
    QTest::newRow("quotes in values are doubled")
        << "KC1QUO"
        << R"("KC1QUO","The ""Q"" Club","1 ""Quoted"" Rd","Here","AZ","85701",DM42MF,,,"Sean","O""Brien","","","32.2217","-110.9265","2021-02-03","2031-02-03")";
    QTest::newRow("duplicate call: latest grant") << "W1DUP" << R"("W1DUP","","3 New St","Newington","CT","06111",FN31PQ,,,"New","Holder","","","41.6869","-72.7305","2022-06-01","2030-01-01")";
    QTest::newRow("expired licence") << "N0GONE" << "";
    QTest::newRow("GMRS call") << "WRAB123" << "";
    QTest::newRow("previous call is not followed") << "KD7OLD" << "";
    QTest::newRow("double quote in the call sign") << "W1AW\"" << "";
    QTest::newRow("sql in the call sign") << "W1AW\" OR \"1\"=\"1" << "";
}

void TestBatch::convertOne() {
    QFETCH(QString, inputLine);
    QFETCH(QString, output);
    BatchConverter converter(m_condb, m_zipdb);
    const QStringList calls = batchCallSigns(inputLine + QStringLiteral("\r\n"), QLatin1Char('\n'));
    QCOMPARE(calls.size(), 1);
    QCOMPARE(converter.ConvertCallsign(calls.first()), output);
    // The same converter gives the same line again, after other calls used its statements.
    converter.ConvertCallsign(QStringLiteral("W1AW"));
    converter.ConvertCallsign(QStringLiteral("NOCALL"));
    QCOMPARE(converter.ConvertCallsign(calls.first()), output);
}

void TestBatch::inputDecoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFk7abc\r\nw1aw\r\n") << QStringList{"K7ABC", "W1AW"};
    QTest::newRow("UTF-16 LE mark") << QByteArray("\xFF\xFEk\0" "7\0\n\0w\0" "1\0", 12) << QStringList{"K7", "W1"};
    QTest::newRow("UTF-16 BE mark") << QByteArray("\xFE\xFF\0k\0" "7\0\n\0w\0" "1", 12) << QStringList{"K7", "W1"};
    QTest::newRow("Windows-1252 without mark, only a-z upper-cased")
        << QByteArray("w1\xE9x\nk7abc") << QStringList{QStringLiteral("W1\u00E9X"), "K7ABC"};
    QTest::newRow("UTF-8 without mark") << QByteArray("w1\xC3\xA9x") << QStringList{QStringLiteral("W1\u00E9X")};
    QTest::newRow("CR only") << QByteArray("a\rb\r") << QStringList{"A", "B"};
    QTest::newRow("LF only, empty line kept") << QByteArray("a\n\nb\n") << QStringList{"A", "", "B"};
    QTest::newRow("CR LF, no final line end") << QByteArray("a\r\nb") << QStringList{"A", "B"};
    QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QStringList{"A", "", "B"};
    QTest::newRow("one final line end makes no empty line") << QByteArray("a\r\n") << QStringList{"A"};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void TestBatch::inputDecoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, calls);
    QCOMPARE(batchCallSigns(decodeText(bytes), QLatin1Char('\n')), calls);
}

void TestBatch::delimiterSplitting_data() {
    QTest::addColumn<QChar>("delimiter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("CR/LF keeps each line whole") << QChar(u'\n') << " w1aw , k7abc\n" << QStringList{" W1AW , K7ABC"};
    QTest::newRow("comma: trimmed, empties skipped, lines too")
        << QChar(u',') << "w1aw, k7abc,,\r\n\r\n kb1box ,\n" << QStringList{"W1AW", "K7ABC", "KB1BOX"};
    QTest::newRow("space: runs of blanks") << QChar(u' ') << "W1AW   K7ABC\tX\nN0EXP" << QStringList{"W1AW", "K7ABC\tX", "N0EXP"};
    QTest::newRow("tab") << QChar(u'\t') << "W1AW\t K7ABC \t\t" << QStringList{"W1AW", "K7ABC"};
    QTest::newRow("semicolon") << QChar(u';') << "a;b" << QStringList{"A", "B"};
    QTest::newRow("colon") << QChar(u':') << "a:b" << QStringList{"A", "B"};
    QTest::newRow("pipe") << QChar(u'|') << "a|b|" << QStringList{"A", "B"};
    QTest::newRow("at sign") << QChar(u'@') << "a@b" << QStringList{"A", "B"};
}

void TestBatch::delimiterSplitting() {
    QFETCH(QChar, delimiter);
    QFETCH(QString, text);
    QFETCH(QStringList, calls);
    QCOMPARE(batchCallSigns(text, delimiter), calls);
}

void TestBatch::outputName_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("extension replaced") << "/d/calls.txt" << "/d/calls.csv";
    QTest::newRow("no extension") << "/d/calls" << "/d/calls.csv";
    QTest::newRow("dot in the folder only") << "/d.x/calls" << "/d.x/calls.csv";
    QTest::newRow("last extension only") << "/d/a.b.txt" << "/d/a.b.csv";
    QTest::newRow("hidden name") << "/d/.calls" << "/d/.calls.csv";
    QTest::newRow("csv input keeps its file") << "/d/calls.csv" << "/d/calls-out.csv";
    QTest::newRow("CSV in capitals too") << "/d/CALLS.CSV" << "/d/CALLS-out.csv";
}

void TestBatch::outputName() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(proposedOutputName(input), output);
    QVERIFY(!sameFile(proposedOutputName(input), input));
}

void TestBatch::sameFileThroughLinks() {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("calls.csv"));
    writeFile(a, "W1AW\n");
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
    QVERIFY(QFile::link(a, dir.filePath(QStringLiteral("link.csv"))));
    QVERIFY(sameFile(a, dir.filePath(QStringLiteral("sub/../calls.csv"))));
    QVERIFY(sameFile(a, dir.filePath(QStringLiteral("link.csv"))));
    QVERIFY(!sameFile(a, dir.filePath(QStringLiteral("calls-out.csv"))));
    QVERIFY(sameFile(dir.filePath(QStringLiteral("new.csv")), dir.filePath(QStringLiteral("sub/../new.csv"))));
}

void TestBatch::wholeRunWritesCsvLines() {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("calls.txt"));
    const QString out = dir.filePath(QStringLiteral("calls.csv"));
    writeFile(in, "k7abc\r\n\r\nWRAB123\nW1AW");
    writeFile(out, "old contents");
    qint64 begun = -1, last = 0;
    BatchProgress progress;
    progress.begun = [&](qint64 n) { begun = n; };
    progress.advanced = [&](qint64 done) { last = done; };
    std::atomic_bool cancel{false};
    const BatchResult r = convertBatchFile(job(in, out), progress, cancel);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.calls, 4);
    QCOMPARE(begun, 4);
    QCOMPARE(last, 4);
    QCOMPARE(readFile(out), kHeader + "\r\n" + kK7abc.toUtf8() + "\r\n\r\n\r\n" + kW1aw.toUtf8() + "\r\n");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"calls.csv", "calls.txt"}));
}

void TestBatch::failedOrCancelledRunLeavesOutput_data() {
    QTest::addColumn<QString>("case_");
    QTest::newRow("input missing") << "input";
    QTest::newRow("licence database missing") << "database";
    QTest::newRow("output folder missing") << "folder";
    QTest::newRow("cancelled") << "cancel";
}

void TestBatch::failedOrCancelledRunLeavesOutput() {
    QFETCH(QString, case_);
    QTemporaryDir dir;
    BatchJob j = job(dir.filePath(QStringLiteral("calls.txt")), dir.filePath(QStringLiteral("calls.csv")));
    if (case_ != QLatin1String("input"))
        writeFile(j.inputFile, "W1AW\r\nK7ABC\r\n");
    writeFile(j.outputFile, "old contents");
    if (case_ == QLatin1String("database"))
        j.licenceDatabase = dir.filePath(QStringLiteral("none.db"));
    if (case_ == QLatin1String("folder"))
        j.outputFile = dir.filePath(QStringLiteral("no/such/folder/calls.csv"));
    std::atomic_bool cancel{case_ == QLatin1String("cancel")};
    const BatchResult r = convertBatchFile(j, {}, cancel);
    QVERIFY(!r.ok);
    QCOMPARE(r.cancelled, case_ == QLatin1String("cancel"));
    QCOMPARE(r.error.isEmpty(), r.cancelled);
    if (case_ == QLatin1String("input"))
        QVERIFY(r.error.contains(j.inputFile));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("calls.csv"))), QByteArray("old contents"));
    // Neither a stray temporary file nor a new empty database.
    QStringList expected{"calls.csv"};
    if (case_ != QLatin1String("input"))
        expected << "calls.txt";
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), expected);
}

void TestBatch::runnerWorksOffTheWindowThread() {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("calls.txt"));
    writeFile(in, "W1AW\nK7ABC\n");
    BatchRunner runner;
    QThread* workThread = nullptr;
    connect(&runner, &BatchRunner::begun, this, [&] { workThread = QThread::currentThread(); }, Qt::DirectConnection);
    QSignalSpy finished(&runner, &BatchRunner::finished);
    runner.start(job(in, dir.filePath(QStringLiteral("out.csv"))));
    QVERIFY(runner.isRunning());
    QVERIFY(finished.wait(10000));
    QVERIFY(!runner.isRunning());
    QVERIFY(workThread && workThread != QThread::currentThread());
    QVERIFY(finished.first().first().value<BatchResult>().ok);
}

void TestBatch::windowEndToEnd() {
    WindowContext ctx(m_data, true);
    const QString in = ctx.doc("calls.txt");
    writeFile(in, "w1aw; k7abc\r\nn0gone\r\n");

    TProcessBatch w(nullptr, ctx.context());
    QCOMPARE(w.windowTitle(), QStringLiteral("Batch File Processing"));
    QVERIFY(child<QRadioButton>(w, "rbCRLF")->isChecked());
    QCOMPARE(w.Delimiter, QChar(u'\n'));
    ScopedDialogAnswers answers;
    // Which chooser was shown, where it started and what it offered.
    QStringList shown;
    DialogHandlers recorder = setDialogHandlers({});
    DialogHandlers h = recorder;
    h.openFile = [&](QWidget* o, const QString& c, const QString& d, const QString& f) {
        shown << QStringLiteral("open") << d << f;
        return recorder.openFile(o, c, d, f);
    };
    h.saveFile = [&](QWidget* o, const QString& c, const QString& d, const QString& f) {
        shown << QStringLiteral("save") << d << f;
        return recorder.saveFile(o, c, d, f);
    };
    setDialogHandlers(h);
    answers.fileAnswers << in;
    child<QPushButton>(w, "btnInFIle")->click();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.mid(0, 2), (QStringList{"open", ctx.docs.path()}));
    QVERIFY2(shown.at(2).startsWith(QStringLiteral("Text files (*.txt)")), qPrintable(shown.at(2)));
    QCOMPARE(child<QLineEdit>(w, "edtInFIle")->text(), in);
    QCOMPARE(child<QLineEdit>(w, "edtOutFile")->text(), ctx.docs.filePath(QStringLiteral("calls.csv")));

    // The output chooser takes a name that does not exist yet, starting from the proposed one.
    const QString out = ctx.doc("chosen.csv");
    answers.fileAnswers << out;
    child<QPushButton>(w, "btnOutFile")->click();
    QCOMPARE(shown.size(), 6);
    QCOMPARE(shown.mid(3, 2), (QStringList{"save", ctx.docs.filePath(QStringLiteral("calls.csv"))}));
    QVERIFY2(shown.at(5).startsWith(QStringLiteral("CSV files (*.csv)")), qPrintable(shown.at(5)));
    QCOMPARE(w.OutFileName, out);
    QCOMPARE(child<QLineEdit>(w, "edtOutFile")->text(), out);

    child<QRadioButton>(w, "rbSemiColon")->click();
    QCOMPARE(w.Delimiter, QChar(u';'));
    w.show();
    child<QPushButton>(w, "btnOK")->click();
    QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 1, 10000);
    QCOMPARE(answers.messages.first().text, QStringLiteral("Batch File Conversion Complete\nFilename: ") + out);
    QCOMPARE(answers.messages.first().kind, MsgKind::Information);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(!w.isVisible());
    QCOMPARE(child<QProgressBar>(w, "pb1")->maximum(), 3);
    QCOMPARE(child<QProgressBar>(w, "pb1")->value(), 3);
    QCOMPARE(readFile(out), kHeader + "\r\n" + kW1aw.toUtf8() + "\r\n" + kK7abc.toUtf8() + "\r\n\r\n");
}

void TestBatch::windowRefusesInputAsOutput() {
    WindowContext ctx(m_data, false);
    const QString in = ctx.doc("calls.csv");
    writeFile(in, "W1AW\r\n");
    TProcessBatch w(nullptr, ctx.context());
    ScopedDialogAnswers answers;

    // OK before any input: told, nothing started, the window stays.
    child<QPushButton>(w, "btnOK")->click();
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages.first().kind, MsgKind::Error);
    QVERIFY(!w.isRunning());

    answers.fileAnswers << in << in;
    child<QPushButton>(w, "btnInFIle")->click();
    QCOMPARE(w.OutFileName, ctx.docs.filePath(QStringLiteral("calls-out.csv")));
    child<QPushButton>(w, "btnOutFile")->click();   // the input chosen as output: refused
    QCOMPARE(answers.messages.size(), 2);
    QVERIFY(answers.messages.last().text.contains(in));
    QCOMPARE(w.OutFileName, ctx.docs.filePath(QStringLiteral("calls-out.csv")));
    QCOMPARE(child<QLineEdit>(w, "edtOutFile")->text(), w.OutFileName);

    child<QPushButton>(w, "btnOK")->click();
    QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 3, 10000);
    QCOMPARE(readFile(in), QByteArray("W1AW\r\n"));
    QCOMPARE(readFile(w.OutFileName), kHeader + "\r\n" + kW1aw.toUtf8() + "\r\n");
}

void TestBatch::windowCancelDuringRunWritesNothing() {
    WindowContext ctx(m_data, true);
    const QString in = ctx.doc("calls.txt");
    writeFile(in, QByteArray("K7ABC\r\nW1AW\r\n").repeated(100000));
    const QString out = ctx.doc("calls.csv");
    writeFile(out, "old contents");

    TProcessBatch w(nullptr, ctx.context());
    ScopedDialogAnswers answers;
    answers.fileAnswers << in;
    child<QPushButton>(w, "btnInFIle")->click();
    w.show();
    // The gate: while another connection holds the licence database exclusively, the worker
    // cannot read it and waits, so the Cancel below surely lands before any call is converted.
    Database gate;
    gate.open(m_data + QStringLiteral("FCCdata.db"));
    gate.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    child<QPushButton>(w, "btnOK")->click();
    QVERIFY(w.isRunning());
    QVERIFY(!child<QPushButton>(w, "btnOK")->isEnabled());
    child<QPushButton>(w, "btnCancel")->click();
    gate.exec(QStringLiteral("ROLLBACK"));
    QTRY_VERIFY_WITH_TIMEOUT(!w.isRunning(), 20000);
    QTRY_VERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(answers.messages.isEmpty());
    QCOMPARE(readFile(out), QByteArray("old contents"));
    QCOMPARE(QDir(ctx.docs.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"calls.csv", "calls.txt"}));
}

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    TestBatch t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_batch.moc"
