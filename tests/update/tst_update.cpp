// The data workflow end to end: a first start that downloads, unpacks and imports generated
// archives from a server on 127.0.0.1, then Update Data succeeding and failing at each stage.
#include "app/Main.h"
#include "ArchiveWriter.h"
#include "SampleGenerator.h"
#include "core/Paths.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestHttpServer.h"
#include "ui/ErrorApplication.h"
#include "ui/MessageDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

namespace {

QByteArray fileBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kAmat = "/download/pub/uls/complete/l_amat.zip";
const QByteArray kGmrs = "/download/pub/uls/complete/l_gmrs.zip";
const QByteArray kCadn = "/datafiles/amateur.zip";

} // namespace

class TestUpdate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstStartBuildsEverything();
    void updateDataReplacesAndKeepsBackup();
    void updateDataFailureKeepsOldData_data();
    void updateDataFailureKeepsOldData();
    void updateDataBuildErrorKeepsOldData();

private:
    void serveGoodArchives();
    void startForm();
    QString lookUp(const QString& call);

    QTemporaryDir m_samples;
    QStringList m_calls;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TForm1> m_form;
};

void TestUpdate::initTestCase() {
    sampledata::SampleOptions options;
    options.outDir = m_samples.path();
    options.zipTable = qEnvironmentVariable("QM_DIST_DIR") + QStringLiteral("/postal_update.csv");
    options.seed = 11;
    sampledata::generateSampleData(options);
    m_calls = readTextFile(m_samples.filePath(QStringLiteral("calls.txt"))).split(QStringLiteral("\n"), Qt::SkipEmptyParts);
    QVERIFY(m_calls.size() > 10);
    for (QString& c : m_calls)
        c = c.trimmed();
}

void TestUpdate::init() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    m_server = std::make_unique<TestHttpServer>();
    serveGoodArchives();
}

void TestUpdate::cleanup() {
    m_form.reset();
    m_dm.reset();
    m_server.reset();
    m_home.reset();
}

void TestUpdate::serveGoodArchives() {
    m_server->route(kAmat, Route::answer(200, "OK", fileBytes(m_samples.filePath(QStringLiteral("l_amat.zip")))));
    m_server->route(kGmrs, Route::answer(200, "OK", fileBytes(m_samples.filePath(QStringLiteral("l_gmrs.zip")))));
    m_server->route(kCadn, Route::answer(200, "OK", fileBytes(m_samples.filePath(QStringLiteral("amateur.zip")))));
}

void TestUpdate::startForm() {
    m_dm = std::make_unique<TDM>();
    m_form = std::make_unique<TForm1>(*m_dm);
    const QString base = m_server->url("/").toString(QUrl::StripTrailingSlash);
    m_form->services().FccDataServer = base;
    m_form->services().CanadaDataServer = base;
    m_form->show();
    m_form->FormActivate();
}

QString TestUpdate::lookUp(const QString& call) {
    auto* edit = m_form->findChild<QLineEdit*>(QStringLiteral("edtSearch"));
    edit->setText(call);
    m_form->FetchCallsign(call, true);
    return m_form->findChild<QLineEdit*>(QStringLiteral("edtCallsign"))->text();
}

void TestUpdate::firstStartBuildsEverything() {
    ScopedDialogAnswers answers;
    startForm();
    const QString data = programDataPath();
    for (const char* marker : {"AMAT/counts", "GMRS/counts", "CADN/amateur.txt", "AMAT/EN.dat"})
        QVERIFY2(QFileInfo::exists(data + QLatin1String(marker)), marker);
    QCOMPARE(m_server->requests(), 3);
    Database& db = m_dm->condb;
    for (const char* table : {"canada", "FCC_AM", "FCC_HD", "FCC_EN"})
        QVERIFY2(db.scalar(QStringLiteral("select count(1) from %1").arg(QLatin1String(table))).toLongLong() > 0, table);
    QVERIFY(m_dm->Zipdb.scalar(QStringLiteral("select count(1) from zipcodes")).toLongLong() > 40000);
    QCOMPARE(lookUp(m_calls.first()), m_calls.first());
    // The generated files hold a few deliberately broken lines; they are told once, in one box.
    QVERIFY(answers.messages.size() <= 1);

    // A second start finds every marker and fetches nothing.
    m_form.reset();
    m_dm.reset();
    startForm();
    QCOMPARE(m_server->requests(), 3);
}

void TestUpdate::updateDataReplacesAndKeepsBackup() {
    {
        ScopedDialogAnswers quiet;
        startForm();
    }
    const QString data = programDataPath();
    m_dm->condb.exec(QStringLiteral("create table marker_of_old(x)"));   // tells the old database from the new
    ScopedDialogAnswers answers;
    m_form->FetchFiles();
    QVERIFY(answers.messages.size() >= 2);
    QVERIFY(answers.messages.first().text.startsWith(QStringLiteral("This process will download  all the raw data files")));
    const QString last = answers.messages.last().text;
    QVERIFY2(last.startsWith(QStringLiteral("Update Process is complete\n Start Time: ")), qPrintable(last));
    QVERIFY(last.contains(QStringLiteral("\nFinish Time: ")));
    QCOMPARE(answers.messages.last().kind, MsgKind::Confirmation);
    QVERIFY(QFileInfo::exists(data + QStringLiteral("FCCdata.db.bak")));
    QVERIFY(!QFileInfo::exists(data + QStringLiteral("FCCdata.db.new")));
    QVERIFY(!m_dm->condb.tableExists(QStringLiteral("marker_of_old")));
    Database backup;
    backup.open(data + QStringLiteral("FCCdata.db.bak"));
    QVERIFY(backup.tableExists(QStringLiteral("marker_of_old")));
    QCOMPARE(m_server->requests(), 6);
    QCOMPARE(lookUp(m_calls.at(1)), m_calls.at(1));
}

void TestUpdate::updateDataFailureKeepsOldData_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");
    QTest::newRow("download refused by the server") << kGmrs << 404 << QByteArray("gone") << "The download of l_gmrs.zip failed";
    QTest::newRow("archive is not a zip") << kAmat << 200 << QByteArray("<html>maintenance</html>") << "l_amat.zip";
    QTest::newRow("import finds no entity file") << kAmat << 200 << QByteArray("no-en") << "these files were not found";
    QTest::newRow("archive of the wrong content") << kAmat << 200 << QByteArray("canada-only") << "does not hold the expected file";
}

void TestUpdate::updateDataFailureKeepsOldData() {
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    {
        ScopedDialogAnswers quiet;
        startForm();
    }
    const QString data = programDataPath();
    const qint64 rowsBefore = m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong();
    QFile::remove(data + QStringLiteral("FCCdata.db.bak"));

    if (body == "no-en") {   // a whole archive whose entity file is missing: that import cannot run
        const QString amat = m_samples.filePath(QStringLiteral("AMAT/"));
        const QString zip = m_home->filePath(QStringLiteral("no-en.zip"));
        sampledata::writeZipArchive(zip, {{QStringLiteral("AM.dat"), amat + QStringLiteral("AM.dat")},
                                          {QStringLiteral("HD.dat"), amat + QStringLiteral("HD.dat")},
                                          {QStringLiteral("counts"), amat + QStringLiteral("counts")}}, 0);
        body = fileBytes(zip);
    }
    if (body == "canada-only")
        body = fileBytes(m_samples.filePath(QStringLiteral("amateur.zip")));   // a real zip, but no ULS files in it
    m_server->route(path, Route::answer(status, status == 200 ? "OK" : "Not Found", body));
    ScopedDialogAnswers answers;
    m_form->FetchFiles();
    const QString last = answers.messages.isEmpty() ? QString() : answers.messages.last().text;
    QVERIFY2(last.startsWith(QStringLiteral("The update was stopped")), qPrintable(last));
    QVERIFY2(last.contains(expected), qPrintable(last));
    QVERIFY(last.contains(QStringLiteral("Your existing data is unchanged and still in use.")));
    QCOMPARE(answers.messages.last().kind, MsgKind::Error);
    for (const auto& m : answers.messages)
        QVERIFY2(!m.text.startsWith(QStringLiteral("Update Process is complete")), qPrintable(m.text));

    QCOMPARE(m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong(), rowsBefore);
    QCOMPARE(lookUp(m_calls.at(2)), m_calls.at(2));
    QVERIFY(!QFileInfo::exists(data + QStringLiteral("FCCdata.db.new")));
    QVERIFY(!QFileInfo::exists(data + QStringLiteral("FCCdata.db.bak")));
    QVERIFY(!QFileInfo::exists(data + QStringLiteral("AMAT.part")));
}

void TestUpdate::updateDataBuildErrorKeepsOldData() {
    {
        ScopedDialogAnswers quiet;
        startForm();
    }
    const QString data = programDataPath();
    // The place of the new database is taken by a folder: building it fails outright.
    QVERIFY(QDir().mkpath(data + QStringLiteral("FCCdata.db.new")));
    ScopedDialogAnswers answers;
    m_form->FetchFiles();
    const QString last = answers.messages.isEmpty() ? QString() : answers.messages.last().text;
    QVERIFY2(last.startsWith(QStringLiteral("The update was stopped")), qPrintable(last));
    QVERIFY(last.contains(QStringLiteral("Your existing data is unchanged and still in use.")));
    QCOMPARE(lookUp(m_calls.at(3)), m_calls.at(3));
}

int main(int argc, char** argv) {
    QmApplication app(argc, argv);
    TestUpdate t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_update.moc"
