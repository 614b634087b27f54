// The data workflow end to end: a first start that downloads, unpacks and imports generated
// archives from a server on 127.0.0.1 (or cannot reach it, or loses one file's import), then
// Update Data succeeding, keeping the user's own files, and failing at each stage, including a
// new source that falls far short of the data in use, with the old data still searchable.
#include "app/Main.h"
#include "ArchiveWriter.h"
#include "SampleGenerator.h"
#include "core/Paths.h"
#include "core/SourceRecord.h"
#include "data/Downloader.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestHttpServer.h"
#include "ui/ErrorApplication.h"
#include "ui/MessageDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
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

constexpr int kWait = 120000;

void writeBytes(const QString& file, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString plural(qint64 n) { return n == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(n); }

} // namespace

class TestUpdate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstStartBuildsEverything();
    void offlineFirstStartSaysItOnce();
    void failedGmrsHeadersImportedAtNextStart();
    void cancelledDownload();
    void updateDataReplacesAndKeepsBackup();
    void updateDataFailureKeepsOldData_data();
    void updateDataFailureKeepsOldData();
    void updateDataBuildErrorKeepsOldData();
    void dailyChangesFromTheMenu_data();
    void dailyChangesFromTheMenu();

private:
    void serveGoodArchives();
    void startForm();
    void runUpdate();
    // An archive of the sample files, with some members given other content.
    QByteArray archiveWith(const char* folder, const QStringList& members, const QHash<QString, QByteArray>& replaced = {});
    QString lookUp(const QString& call);
    QString status() const;

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
    options.dailyDays = 3;
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
    // Unpacking goes on from the event loop; the start-up is through when it has imported.
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->dataWorkRunning(), kWait);
}

void TestUpdate::runUpdate() {
    m_form->FetchFiles();
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->dataWorkRunning(), kWait);
}

QByteArray TestUpdate::archiveWith(const char* folder, const QStringList& members, const QHash<QString, QByteArray>& replaced) {
    const QString from = m_samples.filePath(QLatin1String(folder)) + QLatin1Char('/');
    const QString work = m_home->filePath(QStringLiteral("archive-") + QLatin1String(folder)) + QLatin1Char('/');
    std::vector<sampledata::ArchiveMember> list;
    for (const QString& name : members) {
        QString file = from + name;
        if (replaced.contains(name)) {
            file = work + name;
            writeBytes(file, replaced.value(name));
        }
        list.push_back({name, file});
    }
    const QString zip = work + QStringLiteral("archive.zip");
    sampledata::writeZipArchive(zip, list, 0);
    return fileBytes(zip);
}

QString TestUpdate::status() const { return m_form->findChild<QLabel*>(QStringLiteral("txtMessage"))->text(); }

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
    // Nothing missing; the date of each service's weekly archive (its counts file), and as the
    // sample week lies months back, the full update offered: newer weekly files are surely out.
    QCOMPARE(status(), QStringLiteral("Licence data of April 12, 2026 (amateur), April 12, 2026 (GMRS); "
                                      "a newer weekly licence file is out: File > Update Data"));
    // Loaded three days ago, applied up to the day before yesterday: the daily changes offered.
    // Up to yesterday: nothing offered.
    const QDate today = QDate::currentDate();
    auto standAt = [&](const QDate& weekly, const QDate& day) {
        for (const char* service : {"AMAT", "GMRS"})
            db.exec(QStringLiteral("delete from quillmarsh_licence_dates where service = '%1';"
                                   "insert into quillmarsh_licence_dates values ('%1', 'weekly', '%2', '%2'), ('%1', 'daily', '%3', '%3')")
                        .arg(QLatin1String(service), weekly.toString(Qt::ISODate), day.toString(Qt::ISODate)));
        m_form->showDataStatus();
        return status();
    };
    QVERIFY2(standAt(today.addDays(-3), today.addDays(-2)).endsWith(QStringLiteral("; newer licences may be out: File > Apply Daily Changes")),
             qPrintable(status()));
    QVERIFY2(!standAt(today.addDays(-3), today.addDays(-1)).contains(QStringLiteral("File >")), qPrintable(status()));
    // The generated files hold a few deliberately broken lines; they are told once, in one box.
    QVERIFY(answers.messages.size() <= 1);
    for (TDataType kind : sourcerecord::licenceSources())
        QVERIFY2(sourcerecord::isComplete(db, kind), qPrintable(dataTypeName(kind)));

    // A second start finds every marker and fetches nothing.
    m_form.reset();
    m_dm.reset();
    startForm();
    QCOMPARE(m_server->requests(), 3);
}

void TestUpdate::offlineFirstStartSaysItOnce() {
    ScopedDialogAnswers answers;
    m_dm = std::make_unique<TDM>();
    m_form = std::make_unique<TForm1>(*m_dm);
    const QString nowhere = TestHttpServer::refusedUrl().toString(QUrl::RemovePath);
    m_form->services().FccDataServer = nowhere;
    m_form->services().CanadaDataServer = nowhere;
    m_form->show();
    m_form->FormActivate();
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->dataWorkRunning(), kWait);

    // One box instead of one per archive and another for the missing files.
    QCOMPARE(answers.messages.size(), 1);
    const RecordedMessage& box = answers.messages.first();
    QCOMPARE(box.kind, MsgKind::Warning);
    for (const char* archive : {"amateur.zip: ", "l_amat.zip: ", "l_gmrs.zip: "})
        QVERIFY2(box.text.contains(QLatin1String(archive)), qPrintable(box.text));
    QVERIFY2(box.text.contains(QLatin1String("refused"), Qt::CaseInsensitive), qPrintable(box.text));
    QVERIFY(box.text.contains(QLatin1String("The zip code table is installed.")));
    QVERIFY(box.text.contains(QLatin1String("File > Update Data fetches the licence files later.")));
    QVERIFY(!box.text.contains(QLatin1String("were not found")));
    QVERIFY(m_dm->Zipdb.scalar(QStringLiteral("select count(1) from zipcodes")).toLongLong() > 40000);
    QCOMPARE(status(), QStringLiteral("No licence data yet: File > Update Data"));
}

void TestUpdate::failedGmrsHeadersImportedAtNextStart() {
    // The GMRS header file gives nothing: its import fails after the amateur headers went in.
    m_server->route(kGmrs, Route::answer(200, "OK", archiveWith("GMRS", {"EN.dat", "HD.dat", "counts"}, {{"HD.dat", QByteArray()}})));
    {
        ScopedDialogAnswers answers;
        startForm();
        const QStringList texts = answers.texts();
        const auto failure = std::find_if(texts.cbegin(), texts.cend(), [](const QString& t) { return t.contains(QLatin1String("GMRS/HD.dat")); });
        QVERIFY2(failure != texts.cend(), qPrintable(texts.join(QLatin1String(" | "))));
        QVERIFY2(failure->contains(QLatin1String("it will be imported again at the next start")), qPrintable(*failure));
    }
    const QString gmrsHeaders = QStringLiteral("select count(1) from FCC_HD h join FCC_EN e on e.unique_system_identifier = "
                                               "h.unique_system_identifier where e.service = 'GMRS'");
    QVERIFY(m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_HD")).toLongLong() > 0);
    QCOMPARE(m_dm->condb.scalar(gmrsHeaders).toLongLong(), 0);
    QVERIFY(!sourcerecord::isComplete(m_dm->condb, TDataType::GMRS_HD));

    // The file is whole again; the next start imports that source, and only that one.
    QVERIFY(QFile::remove(programDataPath() + QStringLiteral("GMRS/HD.dat")));
    QVERIFY(QFile::copy(m_samples.filePath(QStringLiteral("GMRS/HD.dat")), programDataPath() + QStringLiteral("GMRS/HD.dat")));
    const qint64 entities = m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong();
    m_form.reset();
    m_dm.reset();
    {
        ScopedDialogAnswers answers;
        startForm();
    }
    QCOMPARE(m_server->requests(), 3);
    QVERIFY(m_dm->condb.scalar(gmrsHeaders).toLongLong() > 0);
    QVERIFY(sourcerecord::isComplete(m_dm->condb, TDataType::GMRS_HD));
    QCOMPARE(m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong(), entities);
}

void TestUpdate::cancelledDownload() {
    // The window's Cancel (tested against a trickling server with the window itself) as the
    // workflow sees it: at start-up the next archive comes, in Update Data the update stops.
    QString cancelled = QStringLiteral("amateur.zip");
    auto download = [&](const QString& url, const QString& file) -> DownloadOutcome {
        if (QFileInfo(file).fileName() == cancelled)
            return DownloadOutcome::cancelledByUser();
        QString error;
        return downloadFile(QUrl(url), file, &error) ? DownloadOutcome(true) : DownloadOutcome::failed(error);
    };
    m_dm = std::make_unique<TDM>();
    m_form = std::make_unique<TForm1>(*m_dm);
    m_form->setDownloadStep(download);
    const QString base = m_server->url("/").toString(QUrl::StripTrailingSlash);
    m_form->services().FccDataServer = base;
    m_form->services().CanadaDataServer = base;
    {
        ScopedDialogAnswers answers;
        m_form->show();
        m_form->FormActivate();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->dataWorkRunning(), kWait);
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY2(answers.messages.first().text.contains(QLatin1String("amateur.zip: the download was cancelled")),
                 qPrintable(answers.messages.first().text));
    }
    QCOMPARE(m_server->requests(), 2);
    QVERIFY(m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong() > 0);
    QCOMPARE(m_dm->condb.scalar(QStringLiteral("select count(1) from canada")).toLongLong(), 0);
    QVERIFY2(status().startsWith(QStringLiteral("No Canadian data yet: File > Update Data; Licence data of April 12, 2026")),
             qPrintable(status()));

    cancelled = QStringLiteral("l_amat.zip");
    const qint64 rowsBefore = m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong();
    ScopedDialogAnswers answers;
    runUpdate();
    QCOMPARE(answers.messages.last().text, QStringLiteral("The update was stopped: The download of l_amat.zip was cancelled.\n"
                                                         "Your existing data is unchanged and still in use."));
    QCOMPARE(m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong(), rowsBefore);
    QCOMPARE(lookUp(m_calls.at(4)), m_calls.at(4));
}

void TestUpdate::updateDataReplacesAndKeepsBackup() {
    {
        ScopedDialogAnswers quiet;
        startForm();
    }
    const QString data = programDataPath();
    m_dm->condb.exec(QStringLiteral("create table marker_of_old(x)"));   // tells the old database from the new
    // The user's own files in each data folder stay; the archive's own files are replaced.
    for (const char* folder : {"AMAT", "GMRS", "CADN"}) {
        writeBytes(data + QLatin1String(folder) + QStringLiteral("/my notes.txt"), QByteArray("mine in ") + folder);
        writeBytes(data + QLatin1String(folder) + QStringLiteral("/mine/deeper.txt"), "mine too");
    }
    writeBytes(data + QStringLiteral("AMAT/counts"), "stale");
    writeBytes(data + QStringLiteral("CADN/amateur.txt"), fileBytes(data + QStringLiteral("CADN/amateur.txt")) + "stale tail\r\n");
    ScopedDialogAnswers answers;
    runUpdate();
    for (const char* folder : {"AMAT", "GMRS", "CADN"}) {
        QCOMPARE(fileBytes(data + QLatin1String(folder) + QStringLiteral("/my notes.txt")), QByteArray("mine in ") + folder);
        QCOMPARE(fileBytes(data + QLatin1String(folder) + QStringLiteral("/mine/deeper.txt")), QByteArray("mine too"));
        QVERIFY(!QFileInfo::exists(data + QLatin1String(folder) + QStringLiteral(".part")));
        QVERIFY(!QFileInfo::exists(data + QLatin1String(folder) + QStringLiteral(".old")));
    }
    QCOMPARE(fileBytes(data + QStringLiteral("AMAT/counts")), fileBytes(m_samples.filePath(QStringLiteral("AMAT/counts"))));
    QCOMPARE(fileBytes(data + QStringLiteral("CADN/amateur.txt")), fileBytes(m_samples.filePath(QStringLiteral("CADN/amateur.txt"))));
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
    // A whole source gone or cut down: the new database would hold far less than the one in use.
    QTest::newRow("entity file of 0 bytes") << kAmat << 200 << QByteArray("empty-en")
                                            << "the new AMAT/EN.dat (from l_amat.zip) gave no rows, where the data in use holds ";
    // The import window (here its stand-in) reports that it could not finish.
    QTest::newRow("import reports a failure") << kAmat << 200 << QByteArray("step-fails") << "the import of these files failed: ";
    QTest::newRow("Canadian list of one record") << kCadn << 200 << QByteArray("one-canadian")
                                                 << "the new CADN/amateur.txt (from amateur.zip) gave 1 row, far fewer than the ";
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
    const qint64 canadianBefore = m_dm->condb.scalar(QStringLiteral("select count(1) from canada")).toLongLong();
    const qint64 entitiesBefore = m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN where service = 'AMAT'")).toLongLong();
    if (body == "empty-en") {
        body = archiveWith("AMAT", {"AM.dat", "EN.dat", "HD.dat", "counts"}, {{"EN.dat", QByteArray()}});
        expected += plural(entitiesBefore);
    }
    if (body == "one-canadian") {
        const QList<QByteArray> lines = fileBytes(m_samples.filePath(QStringLiteral("CADN/amateur.txt"))).split('\n');
        body = archiveWith("CADN", {"amateur.txt"}, {{"amateur.txt", lines.mid(0, 5).join('\n') + '\n'}});
        expected += plural(canadianBefore) + QStringLiteral(" of the data in use");
    }
    if (body == "step-fails") {
        body = fileBytes(m_samples.filePath(QStringLiteral("l_amat.zip")));
        m_form->setImportStep([](const ImportJob& job) {
            ImportResult r;
            r.kind = job.kind;
            r.file = job.sourceFile;
            r.error = QStringLiteral("the disk is full");
            return r;
        });
    }
    m_server->route(path, Route::answer(status, status == 200 ? "OK" : "Not Found", body));
    ScopedDialogAnswers answers;
    runUpdate();
    const QString last = answers.messages.isEmpty() ? QString() : answers.messages.last().text;
    QVERIFY2(last.startsWith(QStringLiteral("The update was stopped")), qPrintable(last));
    QVERIFY2(last.contains(expected), qPrintable(last));
    QVERIFY(last.contains(QStringLiteral("Your existing data is unchanged and still in use.")));
    QCOMPARE(answers.messages.last().kind, MsgKind::Error);
    for (const auto& m : answers.messages) {
        QVERIFY2(!m.text.startsWith(QStringLiteral("Update Process is complete")), qPrintable(m.text));
        // Nothing is imported again at a next start here: the data in use stays as it is.
        QVERIFY2(!m.text.contains(QStringLiteral("next start")), qPrintable(m.text));
    }
    if (QTest::currentDataTag() == QByteArray("entity file of 0 bytes")) {
        QCOMPARE(answers.messages.size(), 3);   // the opening notice, the import window's failure, the stop
        QVERIFY2(answers.messages.at(1).text.contains(QStringLiteral("The update stops; your data is unchanged.")),
                 qPrintable(answers.messages.at(1).text));
    }
    QCOMPARE(m_dm->condb.scalar(QStringLiteral("select count(1) from canada")).toLongLong(), canadianBefore);

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
    runUpdate();
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

void TestUpdate::dailyChangesFromTheMenu_data() {
    QTest::addColumn<QStringList>("published");   // daily archives on the server; every other day: 404
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("standing");
    QTest::addColumn<bool>("newCallFound");
    QTest::newRow("three days of both services")
        << QStringList{"l_am_mon.zip", "l_am_tue.zip", "l_am_wed.zip", "l_gm_mon.zip", "l_gm_tue.zip", "l_gm_wed.zip"}
        << "applied l_am_wed.zip: amateur changes of April 16, 2026"
        << "Licence data of April 16, 2026 (amateur), April 16, 2026 (GMRS)" << true;
    QTest::newRow("Tuesday missing: a gap, the full update offered")
        << QStringList{"l_am_mon.zip", "l_am_wed.zip"}
        << "The daily files of amateur have a gap after April 14, 2026: a full update is needed"
        << "Licence data of April 14, 2026 (amateur), April 12, 2026 (GMRS)" << true;
    QTest::newRow("nothing published") << QStringList{} << "Licence data is up to date"
                                       << "Licence data of April 12, 2026 (amateur), April 12, 2026 (GMRS)" << false;
    // The amateur data stands at Saturday April 11 on the weekly of April 5: the days of April 14
    // on go in, and they show that the weekly of April 12 is out.
    QTest::newRow("a newer weekly out: the days applied, the full update offered")
        << QStringList{"l_am_mon.zip", "l_am_tue.zip", "l_am_wed.zip"}
        << "A newer weekly file of amateur (of April 12, 2026) is out: a full update is available"
        << "Licence data of April 16, 2026 (amateur), April 12, 2026 (GMRS)" << true;
}

void TestUpdate::dailyChangesFromTheMenu() {
    QFETCH(QStringList, published);
    QFETCH(QString, says);
    QFETCH(QString, standing);
    QFETCH(bool, newCallFound);
    {
        ScopedDialogAnswers quiet;
        startForm();
    }
    if (QByteArray(QTest::currentDataTag()).startsWith("a newer weekly")) {
        m_dm->condb.exec(QStringLiteral(
            "delete from quillmarsh_licence_dates where service = 'AMAT';"
            "insert into quillmarsh_licence_dates (service, kind, created, applied) values ('AMAT', 'weekly', '2026-04-05', '2026-04-06'),"
            " ('AMAT', 'daily', '2026-04-07', '2026-04-07'), ('AMAT', 'daily', '2026-04-08', '2026-04-08'),"
            " ('AMAT', 'daily', '2026-04-09', '2026-04-09'), ('AMAT', 'daily', '2026-04-10', '2026-04-10'),"
            " ('AMAT', 'daily', '2026-04-11', '2026-04-11')"));
    }
    for (const QString& name : published)
        m_server->route("/download/pub/uls/daily/" + name.toLatin1(),
                        Route::answer(200, "OK", fileBytes(m_samples.filePath(QStringLiteral("daily/") + name))));
    const qint64 before = m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong();
    ScopedDialogAnswers answers(MsgButton::No);
    m_form->mnuApplyDailyChangesClick();
    QCOMPARE(answers.messages.size(), 1);
    const QString text = answers.messages.first().text;
    QVERIFY2(text.contains(says), qPrintable(text));
    QVERIFY2(text.contains(standing), qPrintable(text));
    QVERIFY2(status().contains(standing), qPrintable(status()));
    QCOMPARE(text.contains(QStringLiteral("Run Update Data now")), QByteArray(QTest::currentDataTag()).contains("the full update offered"));
    // The look-up sees the new licences at once; the window was not reopened.
    QCOMPARE(lookUp(QStringLiteral("N1DNAAE")) == QStringLiteral("N1DNAAE"), newCallFound);
    if (!newCallFound)
        QCOMPARE(m_dm->condb.scalar(QStringLiteral("select count(1) from FCC_EN")).toLongLong(), before);
    QVERIFY(!QDir(programDataPath()).entryList({QStringLiteral("daily-*")}, QDir::Dirs).size());
}
