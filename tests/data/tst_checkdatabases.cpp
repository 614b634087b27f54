// The database check end to end through the import engine: a tiny data folder laid out like
// the program's own, imported in-process and by the quillmarsh-import tool.

#include "core/Version.h"
#include "data/HeadlessImport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

// Restores the current directory, which decides where the shipped files are found.
struct CurrentDir {
    explicit CurrentDir(const QString& dir) : previous(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~CurrentDir() { QDir::setCurrent(previous); }
    QString previous;
};

void copyShipped(const QString& name, const QString& toDir) {
    QFile::remove(QDir(toDir).filePath(name));
    QVERIFY(QFile::copy(distFile(name), QDir(toDir).filePath(name)));
}

QByteArray en(const QByteArray& usi, const QByteArray& call, const QByteArray& zip) {
    return ulsLine("EN", {{2, usi}, {5, call}, {8, "DOE, JAN"}, {9, "JAN"}, {11, "DOE"}, {16, "1 MAIN ST"}, {17, "TOWN"}, {18, "CT"},
                          {19, zip}, {22, "000"}, {23, "0000000001"}},
                   30) + "\r\n";
}

QByteArray hd(const QByteArray& usi, const QByteArray& call) {
    return ulsLine("HD", {{2, usi}, {5, call}, {6, "A"}, {8, "01/02/2020"}, {9, "01/02/2030"}, {43, "01/02/2020"}, {44, "01/02/2020"}}, 59) +
           "\r\n";
}

} // namespace

class TestCheckDatabases : public QObject {
    Q_OBJECT
private slots:
    void init();
    void importsEveryEmptyTableInOrder();
    void failedImportIsReported();
    void failedGmrsHeadersImportedByNextRun();
    void toolRunsFromAScript();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_work, m_data;
};

void TestCheckDatabases::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_work = m_dir->filePath(QStringLiteral("work"));
    m_data = m_dir->filePath(QStringLiteral("data"));
    QDir().mkpath(m_work);
    copyShipped(QStringLiteral("fcc.sql"), m_work);
    copyShipped(QStringLiteral("postal.sql"), m_work);
    writeBytes(m_work + QStringLiteral("/postal_update.csv"), "06111,Newington,CT,41.7,-72.7,,US,Hartford\n"
                                                              "06001,Avon,CT,41.8,-72.9,,US,Hartford\n"
                                                              "K1A,Ottawa,ON,45.4,-75.7,,Ottawa\n");
    writeBytes(m_data + QStringLiteral("/AMAT/AM.dat"), ulsLine("AM", {{2, "1"}, {5, "W1AW"}, {6, "E"}}, 18) + "\r\n" +
                                                           ulsLine("AM", {{2, "2"}, {5, "K1ZZ"}, {6, "T"}, {16, "KC1OLD"}}, 18) + "\r\n");
    writeBytes(m_data + QStringLiteral("/AMAT/HD.dat"), hd("1", "W1AW") + hd("2", "K1ZZ"));
    writeBytes(m_data + QStringLiteral("/AMAT/EN.dat"), en("1", "W1AW", "061111234") + en("2", "K1ZZ", "06001"));
    writeBytes(m_data + QStringLiteral("/GMRS/HD.dat"), hd("3", "WRAB123"));
    writeBytes(m_data + QStringLiteral("/GMRS/EN.dat"), en("3", "WRAB123", "99999"));
    QByteArray cdn = "title\r\n \r\nThere are 1 call signs in this report.\r\n \r\n";
    cdn += "VA3ABC Al" + QByteArray(34, ' ') + "Jones\r\n";
    writeBytes(m_data + QStringLiteral("/CADN/amateur.txt"), cdn);
}

void TestCheckDatabases::importsEveryEmptyTableInOrder() {
    CurrentDir cd(m_work);
    QString outText, errText;
    {
        QTextStream out(&outText), err(&errText);
        QCOMPARE(runHeadlessImport(m_data, out, err), 0);
    }
    const QStringList lines = outText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 8);
    const QStringList order{"ZIP", "CDN", "AMT_AM", "AMT_HD", "GMRS_HD", "AMT_EN", "GMRS_EN", "total"};
    for (int i = 0; i < order.size(); ++i)
        QVERIFY2(lines[i].startsWith(order[i] + QLatin1Char(' ')), qPrintable(lines[i]));
    QVERIFY2(lines[5].contains(QLatin1String("lines 2  rows 2  skipped 0")), qPrintable(lines[5]));
    QVERIFY2(lines[7].contains(QLatin1String("7 imports  lines 16  rows 12  skipped 0")), qPrintable(lines[7]));
    QVERIFY(errText.isEmpty());

    ImportFixture probe;   // only for its query helpers
    const QString fcc = m_data + QStringLiteral("/FCCdata.db");
    const auto found = probe.rowsIn(fcc,
        QStringLiteral("select e.call_sign, e.county, e.service, h.grant_date, a.operator_class from FCC_EN e join FCC_HD h on "
                       "h.unique_system_identifier = e.unique_system_identifier left join FCC_AM a on a.unique_system_identifier = "
                       "e.unique_system_identifier where h.license_status = 'A' order by e.call_sign"));
    QCOMPARE(found, (QList<QStringList>{{"K1ZZ", "Hartford", "AMAT", "2020-01-02", "T"},
                                        {"W1AW", "Hartford", "AMAT", "2020-01-02", "E"},
                                        {"WRAB123", "", "GMRS", "2020-01-02", ""}}));
    QCOMPARE(probe.rowsIn(fcc, QStringLiteral("select callsign, surname from canada")), (QList<QStringList>{{"VA3ABC", "Jones"}}));
    QCOMPARE(probe.rowsIn(m_data + QStringLiteral("/postal.db"), QStringLiteral("select count(1) from zipcodes")).at(0).at(0), "3");

    // Everything is filled now: a second run imports nothing.
    outText.clear();
    QTextStream out(&outText), err(&errText);
    QCOMPARE(runHeadlessImport(m_data, out, err), 0);
    QVERIFY2(outText.startsWith(QLatin1String("total    0 imports")), qPrintable(outText));
}

void TestCheckDatabases::failedImportIsReported() {
    CurrentDir cd(m_work);
    const QString gmrsEn = m_data + QStringLiteral("/GMRS/EN.dat");
    QVERIFY(QFile::remove(gmrsEn));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(runHeadlessImport(m_data, out, err), 1);
    const QStringList lines = outText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 8);
    QVERIFY2(lines[6].startsWith(QLatin1String("GMRS_EN")) && lines[6].contains(QLatin1String("FAILED")) && lines[6].contains(gmrsEn),
             qPrintable(lines[6]));
    QVERIFY2(lines[7].endsWith(QLatin1String("1 FAILED")), qPrintable(lines[7]));
    // The amateur entity rows were committed before the GMRS file failed.
    ImportFixture probe;
    QCOMPARE(probe.rowsIn(m_data + QStringLiteral("/FCCdata.db"), QStringLiteral("select count(1) from FCC_EN")).at(0).at(0), "2");
}

void TestCheckDatabases::failedGmrsHeadersImportedByNextRun() {
    CurrentDir cd(m_work);
    const QString gmrsHd = m_data + QStringLiteral("/GMRS/HD.dat");
    writeBytes(gmrsHd, QByteArray());   // a file that gives nothing fails, after the amateur headers went in
    QString outText, errText;
    {
        QTextStream out(&outText), err(&errText);
        QCOMPARE(runHeadlessImport(m_data, out, err), 1);
    }
    QVERIFY2(outText.contains(QLatin1String("GMRS_HD")) && outText.contains(QLatin1String("FAILED: the file holds no records")),
             qPrintable(outText));
    ImportFixture probe;
    const QString fcc = m_data + QStringLiteral("/FCCdata.db");
    const QString headers = QStringLiteral("select count(1) from FCC_HD");
    QCOMPARE(probe.rowsIn(fcc, headers).at(0).at(0), "2");

    // The table holds rows, yet the GMRS headers are due: the next run imports them, and only them.
    writeBytes(gmrsHd, hd("3", "WRAB123"));
    outText.clear();
    QTextStream out(&outText), err(&errText);
    QCOMPARE(runHeadlessImport(m_data, out, err), 0);
    const QStringList lines = outText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith(QLatin1String("GMRS_HD ")) && lines[0].contains(QLatin1String("rows 1")), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(QLatin1String("total    1 imports")), qPrintable(lines[1]));
    QCOMPARE(probe.rowsIn(fcc, headers).at(0).at(0), "3");
}

void TestCheckDatabases::toolRunsFromAScript() {
    QProcess tool;
    tool.setWorkingDirectory(m_work);
    tool.start(QStringLiteral(QM_IMPORT_TOOL), {m_data});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 8);
    QVERIFY(lines.last().startsWith(QLatin1String("total    7 imports")));

    tool.start(QStringLiteral(QM_IMPORT_TOOL), {m_dir->filePath(QStringLiteral("no such folder"))});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 2);
    tool.start(QStringLiteral(QM_IMPORT_TOOL), QStringList());
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 2);
    QVERIFY(tool.readAllStandardError().startsWith("Usage: quillmarsh-import DATA_DIR"));
    // --help on standard output with status 0; --version in the usual one-line form, even after a folder.
    tool.start(QStringLiteral(QM_IMPORT_TOOL), {QStringLiteral("--help")});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(tool.readAllStandardOutput().startsWith("Usage: quillmarsh-import DATA_DIR"));
    tool.start(QStringLiteral(QM_IMPORT_TOOL), {m_data, QStringLiteral("--version")});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("quillmarsh-import " QM_VERSION_TEXT "\n"));
}

#include "tst_checkdatabases.moc"
QObject* makeTestCheckDatabases() { return new TestCheckDatabases; }
