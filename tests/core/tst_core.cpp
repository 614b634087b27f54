// Settings store, database check, text routines and shared routines.
#include "core/BackgroundJob.h"
#include "core/Database.h"
#include "core/Job.h"
#include "core/DatabaseSwap.h"
#include "core/Paths.h"
#include "core/Query.h"
#include "core/SchemaCheck.h"
#include "core/Services.h"
#include "core/Settings.h"
#include "core/SharedRoutines.h"
#include "core/SourceRecord.h"
#include "core/TextRoutines.h"
#include "core/TimeText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

namespace {

QString readAll(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

void writeFile(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestCore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void userFilesOnlyRegularAndBounded_data();
    void userFilesOnlyRegularAndBounded();
    void parallelForTakesEveryPieceOnce();
    void parallelForStopsOnFailureAndCancel();
    void backgroundJobEnds_data();
    void backgroundJobEnds();
    void backgroundJobDestroyedWhileRunning();

    void settingsDefaultsWithoutFile();
    void settingsWritesAndReplacesInPlace();
    void settingsIntegerParsing_data();
    void settingsIntegerParsing();
    void settingsFloatRoundTripAndGarbage();
    void settingsSectionAndKeyCaseInsensitive();
    void settingsFileForms_data();
    void settingsFileForms();
    void settingsReadAgainOnlyWhenChanged();

    void properCase_data();
    void properCase();
    void licenseClassName_data();
    void licenseClassName();

    void decodeTextHonoursMarksAndFallsBack();
    void shippedFileMissingNamesFolders();

    void checkDatabasesFreshRunsAllSevenInOrder();
    void checkDatabasesHalfFilledImportsOnlyEntities();
    void checkDatabasesFilledImportsNothing();
    void checkDatabasesImportsSourcesNotCompleted_data();
    void checkDatabasesImportsSourcesNotCompleted();
    void schemaHasColumnsInOrder();
    void callSignIndexUpgradedOnce();

    void stateListExcludesProvincesAndAppends();
    void versionDataHasFourNumbers();
    void databaseSwap();
    void folderSwapKeepsOldUntilNewIsIn();
    void carryOverCopiesOnlyWhatIsMissing();
    void damagedDatabaseNamesTheFile();
    void updateRule_data();
    void updateRule();
    void serviceConfigFromFile();
    void dateTimeTextHasFourDigitYear_data();
    void dateTimeTextHasFourDigitYear();

private:
    QString m_dist;
};

void TestCore::initTestCase() {
    m_dist = qEnvironmentVariable("QM_DIST_DIR");
    QVERIFY2(!m_dist.isEmpty(), "QM_DIST_DIR is set by CTest");
    QVERIFY(QDir::setCurrent(m_dist));
}

void TestCore::settingsDefaultsWithoutFile() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quillmarsh.cfg"));
    TSettings s(file);
    TGlobalProps g;
    QCOMPARE(g.GridSquare(s), QStringLiteral("DM42NF"));
    QCOMPARE(g.Latitude(s), 32.22917);
    QCOMPARE(g.Longitude(s), -110.875);
    QCOMPARE(g.IsUTC(s), false);
    QCOMPARE(g.DisType(s), TDisType::SM);
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("Windows")), QStringLiteral("Windows"));
    QVERIFY2(!QFile::exists(file), "reading must not create the settings file");
}

void TestCore::settingsWritesAndReplacesInPlace() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quillmarsh.cfg"));
    TSettings s(file);
    TGlobalProps g;
    g.setDisType(s, TDisType::NM);
    g.setIsUTC(s, true);
    s.SaveSetting(QStringLiteral("Theme"), QStringLiteral("Carbon"));
    QCOMPARE(readAll(file), QStringLiteral("[Settings]\r\nDisType=2\r\nISUTC=1\r\nTheme=Carbon\r\n"));
    // A second save of a key replaces its line where it stands.
    g.setDisType(s, TDisType::KM);
    QCOMPARE(readAll(file), QStringLiteral("[Settings]\r\nDisType=1\r\nISUTC=1\r\nTheme=Carbon\r\n"));

    // Other sections and lines of a hand-made file are kept; a new key goes at the end of its section.
    writeFile(file, "[Other]\nx=1\n[settings]\nGridSquare = FN31pr \n\n[Last]\ny=2\n");
    QCOMPARE(s.GetSetting(QStringLiteral("gridsquare"), QStringLiteral("?")), QStringLiteral("FN31pr"));
    s.SaveSetting(QStringLiteral("FontSize"), 14);
    QCOMPARE(readAll(file), QStringLiteral("[Other]\nx=1\n[settings]\nGridSquare = FN31pr \nFontSize=14\n\n[Last]\ny=2\n"));
}

namespace {

QByteArray utf16(const QByteArray& utf8, bool littleEndian) {
    QStringEncoder enc(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    return QByteArray(littleEndian ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(enc(QString::fromUtf8(utf8)));
}

} // namespace

void TestCore::settingsFileForms_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");   // once DisType=2 is saved
    QTest::addColumn<QString>("fontName");   // read before and after the save

    const QByteArray body = "[Settings]\r\nForm1_Top=120\r\nFontName=Courier New\r\n; kept as it is\r\nTheme=Carbon\r\n";
    const QByteArray saved = "[Settings]\r\nForm1_Top=120\r\nFontName=Courier New\r\n; kept as it is\r\nTheme=Carbon\r\nDisType=2\r\n";
    QByteArray cr = body, savedCr = saved;
    cr.replace("\r\n", "\r");
    savedCr.replace("\r\n", "\r");
    QTest::newRow("CR only") << cr << savedCr << "Courier New";
    QTest::newRow("UTF-8 mark, CR LF") << "\xEF\xBB\xBF" + body << "\xEF\xBB\xBF" + saved << "Courier New";
    QTest::newRow("UTF-16 LE") << utf16(body, true) << utf16(saved, true) << "Courier New";
    QTest::newRow("UTF-16 BE") << utf16(body, false) << utf16(saved, false) << "Courier New";
    QTest::newRow("Windows-1252") << QByteArray("[Settings]\nFontName=Caf\xE9\n") << QByteArray("[Settings]\nFontName=Caf\xE9\nDisType=2\n")
                                  << QString::fromUtf8("Café");
    QTest::newRow("last line without an end") << QByteArray("[Settings]\r\nFontName=Arial") << QByteArray("[Settings]\r\nFontName=Arial\r\nDisType=2\r\n")
                                              << "Arial";
    QTest::newRow("mixed line ends kept") << QByteArray("[Settings]\rFontName=Arial\nTheme=Sky\r\n") << QByteArray("[Settings]\rFontName=Arial\nTheme=Sky\r\nDisType=2\r")
                                          << "Arial";
    QTest::newRow("section written twice by an older program")
        << QByteArray("[Settings]\r\nFontName=Arial\r\n[Settings]\r\nDisType=1\r\n")
        << QByteArray("[Settings]\r\nFontName=Arial\r\n[Settings]\r\nDisType=2\r\n") << "Arial";
}

void TestCore::settingsFileForms() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, fontName);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quillmarsh.cfg"));
    writeFile(file, before);
    TSettings s(file);
    QCOMPARE(s.GetSetting(QStringLiteral("FontName"), QStringLiteral("?")), fontName);
    TGlobalProps g;
    g.setDisType(s, TDisType::NM);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), after);
    // A fresh reader sees every value, the saved one included.
    TSettings again(file);
    QCOMPARE(again.GetSetting(QStringLiteral("FontName"), QStringLiteral("?")), fontName);
    QCOMPARE(g.DisType(again), TDisType::NM);
    if (fontName == QLatin1String("Courier New"))
        QCOMPARE(again.GetSetting(QStringLiteral("Form1_Top"), -1), 120);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList{QStringLiteral("Quillmarsh.cfg")});
}

void TestCore::settingsReadAgainOnlyWhenChanged() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Quillmarsh.cfg"));
    auto writeStamped = [&](const QByteArray& bytes, const QDateTime& stamp) {
        writeFile(file, bytes);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    };
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    writeStamped("[Settings]\nTheme=Carbon\n", hourAgo);
    TSettings s(file);
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("?")), QStringLiteral("Carbon"));
    // Same time and size: the kept copy answers (the clock asks every second; the file is not read again).
    writeStamped("[Settings]\nTheme=Cobalt\n", hourAgo);
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("?")), QStringLiteral("Carbon"));
    // A change of time, or of size, is read.
    writeStamped("[Settings]\nTheme=Cobalt\n", hourAgo.addSecs(60));
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("?")), QStringLiteral("Cobalt"));
    writeStamped("[Settings]\nTheme=Sky\n", hourAgo.addSecs(60));
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("?")), QStringLiteral("Sky"));
    // A file changed just now may change again within the same tick of its clock: it is not trusted.
    writeFile(file, "[Settings]\nTheme=Alto\n");
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("?")), QStringLiteral("Alto"));
    writeFile(file, "[Settings]\nTheme=Bass\n");
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("?")), QStringLiteral("Bass"));
    QFile::remove(file);
    QCOMPARE(s.GetSetting(QStringLiteral("Theme"), QStringLiteral("?")), QStringLiteral("?"));
}

void TestCore::settingsIntegerParsing_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("FontSize=14") << 14;
    QTest::newRow("negative") << QByteArray("FontSize=-3") << -3;
    QTest::newRow("hex lower") << QByteArray("FontSize=0x1") << 1;
    QTest::newRow("hex upper") << QByteArray("FontSize=0X1F") << 31;
    QTest::newRow("hex colour wraps") << QByteArray("FontSize=0xFF000008") << int(0xFF000008);
    QTest::newRow("bare 0x is not a number") << QByteArray("FontSize=0x") << 99;
    QTest::newRow("garbage") << QByteArray("FontSize=big") << 99;
    QTest::newRow("empty") << QByteArray("FontSize=") << 99;
    QTest::newRow("too large") << QByteArray("FontSize=99999999999") << 99;
}

void TestCore::settingsIntegerParsing() {
    QFETCH(QByteArray, line);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("q.cfg"));
    writeFile(file, "[Settings]\r\n" + line + "\r\n");
    TSettings s(file);
    QCOMPARE(s.GetSetting(QStringLiteral("FontSize"), 99), expected);
}

void TestCore::settingsFloatRoundTripAndGarbage() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("q.cfg"));
    TSettings s(file);
    TGlobalProps g;
    g.setLatitude(s, 33.123456789012345);
    QCOMPARE(g.Latitude(s), 33.1234567890123);
    g.setLongitude(s, -110.875);
    QVERIFY(readAll(file).contains(QStringLiteral("Longitude=-110.875\r\n")));

    // DisType=0x1 is kilometres; a Boolean takes any non-zero integer.
    writeFile(file, "[Settings]\nDisType=0x1\nISUTC=7\nLatitude=north\n");
    QCOMPARE(g.DisType(s), TDisType::KM);
    QCOMPARE(g.IsUTC(s), true);
    try {
        g.Latitude(s);
        QFAIL("a float key holding text must fail");
    } catch (const SettingsError& e) {
        const QString msg = QString::fromUtf8(e.what());
        QVERIFY2(msg.contains(QStringLiteral("Latitude")) && msg.contains(QStringLiteral("north")), qPrintable(msg));
    }
    QVERIFY(readAll(file).contains(QStringLiteral("Latitude=north")));
    for (const char* notANumber : {"nan", "inf", "-inf", "1e999"}) {
        writeFile(file, QByteArray("[Settings]\nLongitude=") + notANumber + "\n");
        QVERIFY_THROWS_EXCEPTION(SettingsError, g.Longitude(s));
    }
}

void TestCore::settingsSectionAndKeyCaseInsensitive() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("q.cfg"));
    writeFile(file, "[SETTINGS]\r\nisutc=1\r\n");
    TSettings s(file);
    TGlobalProps g;
    QCOMPARE(g.IsUTC(s), true);
    g.setIsUTC(s, false);
    QCOMPARE(readAll(file), QStringLiteral("[SETTINGS]\r\nISUTC=0\r\n"));
}

void TestCore::properCase_data() {
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("one letter") << QStringLiteral("x") << QStringLiteral("X");
    QTest::newRow("upper apostrophe") << QStringLiteral("JOHN O'BRIEN") << QStringLiteral("John O'Brien");
    QTest::newRow("lower apostrophe") << QStringLiteral("john o'brien") << QStringLiteral("John O'Brien");
    QTest::newRow("two words") << QStringLiteral("MC DONALD") << QStringLiteral("Mc Donald");
    QTest::newRow("digit starts word") << QStringLiteral("1ST ST") << QStringLiteral("1St St");
    QTest::newRow("hyphen") << QStringLiteral("AL-ANON") << QStringLiteral("Al-Anon");
    QTest::newRow("accented is no letter") << QStringLiteral("ÉCOLE") << QStringLiteral("ÉCole");
    QTest::newRow("accent kept lower") << QStringLiteral("josé") << QStringLiteral("José");
}

void TestCore::properCase() {
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(ProperCase(in), out);
}

void TestCore::licenseClassName_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("A") << "A" << "Advanced";
    QTest::newRow("E") << "E" << "Extra";
    QTest::newRow("G") << "G" << "General";
    QTest::newRow("N") << "N" << "Novice";
    QTest::newRow("P") << "P" << "Technician Plus";
    QTest::newRow("T") << "T" << "Technician";
    QTest::newRow("lower e") << "e" << "Club";
    QTest::newRow("empty") << "" << "Club";
    QTest::newRow("two letters") << "TT" << "Club";
}

void TestCore::licenseClassName() {
    QFETCH(QString, code);
    QFETCH(QString, name);
    QCOMPARE(LicenseClassName(code), name);
}

void TestCore::decodeTextHonoursMarksAndFallsBack() {
    QCOMPARE(decodeText(QByteArray("\xEF\xBB\xBF" "caf\xC3\xA9")), QStringLiteral("café"));
    QCOMPARE(decodeText(QByteArray("\xFF\xFE" "h\0i\0", 6)), QStringLiteral("hi"));
    QCOMPARE(decodeText(QByteArray("caf\xC3\xA9")), QStringLiteral("café"));
    QCOMPARE(decodeText(QByteArray("caf\xE9 \x93q\x94")), QStringLiteral("café \u201Cq\u201D"));
    // Only the first mark is one; what follows it is text, kept for writing back.
    QCOMPARE(decodeText(QByteArray("\xFE\xFF\xFE\xFF\0x", 6)), QStringLiteral("\uFEFFx"));
    QCOMPARE(decodeText(QByteArray("\xFF\xFE\xFF\xFEx\0", 6)), QStringLiteral("\uFEFFx"));
    QCOMPARE(decodeText(QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx")), QStringLiteral("\uFEFFx"));
}

void TestCore::shippedFileMissingNamesFolders() {
    try {
        findShippedFile(QStringLiteral("no-such-script.sql"));
        QFAIL("a missing shipped file must fail");
    } catch (const std::runtime_error& e) {
        const QString msg = QString::fromUtf8(e.what());
        QVERIFY(msg.contains(QStringLiteral("no-such-script.sql")));
        QVERIFY(msg.contains(QDir::currentPath()));
    }
}

namespace {
struct Fixture {
    QTemporaryDir dir;
    Database condb;
    Database zipdb;
    QStringList calls;
    Fixture() {
        condb.open(dir.filePath(QStringLiteral("FCCdata.db")));
        zipdb.open(dir.filePath(QStringLiteral("postal.db")));
    }
    ImportStep recorder() {
        return [this](const ImportJob& j) {
            calls << dataTypeName(j.kind) + QLatin1Char(':') + QDir(dir.path()).relativeFilePath(j.sourceFile);
            QVERIFY(j.zipDatabaseFile.endsWith(QStringLiteral("postal.db")));
        };
    }
    SchemaCheckPaths paths() const { return {dir.path() + QLatin1Char('/'), dir.filePath(QStringLiteral("zip.csv"))}; }
};
} // namespace

void TestCore::checkDatabasesFreshRunsAllSevenInOrder() {
    Fixture f;
    runCheckDatabases(f.condb, f.zipdb, f.paths(), f.recorder());
    QCOMPARE(f.calls, (QStringList{"ZIP:zip.csv", "CDN:CADN/amateur.txt", "AMT_AM:AMAT/AM.dat", "AMT_HD:AMAT/HD.dat",
                                   "GMRS_HD:GMRS/HD.dat", "AMT_EN:AMAT/EN.dat", "GMRS_EN:GMRS/EN.dat"}));
    for (const char* t : {"FCC_EN", "FCC_AM", "FCC_HD", "canada"})
        QVERIFY(f.condb.tableExists(QLatin1String(t)));
    QVERIFY(f.zipdb.tableExists(QStringLiteral("zipcodes")));
}

void TestCore::checkDatabasesHalfFilledImportsOnlyEntities() {
    Fixture f;
    runSchemaScript(f.condb, QStringLiteral("fcc.sql"));
    runSchemaScript(f.zipdb, QStringLiteral("postal.sql"));
    f.zipdb.exec(QStringLiteral("insert into zipcodes(zip,city,state,latitude,longitude,county) values('85701','Tucson','AZ',32.2,-110.9,'Pima')"));
    f.condb.exec(QStringLiteral("insert into canada(callsign) values('VE3AAA');"
                                "insert into FCC_AM values('1','E','');"
                                "insert into FCC_HD values('1','A','2020-01-01','2030-01-01','1900-01-01','2020-01-01','2020-01-01')"));
    runCheckDatabases(f.condb, f.zipdb, f.paths(), f.recorder());
    QCOMPARE(f.calls, (QStringList{"AMT_EN:AMAT/EN.dat", "GMRS_EN:GMRS/EN.dat"}));
}

void TestCore::checkDatabasesFilledImportsNothing() {
    Fixture f;
    runCheckDatabases(f.condb, f.zipdb, f.paths(), [&](const ImportJob& j) {
        // The fake import fills the table it was asked for, so later counts see rows.
        Database& db = j.kind == TDataType::ZIP ? f.zipdb : f.condb;
        switch (j.kind) {
        case TDataType::ZIP: db.exec(QStringLiteral("insert into zipcodes(zip) values('1')")); break;
        case TDataType::CDN: db.exec(QStringLiteral("insert into canada(callsign) values('V')")); break;
        case TDataType::AMT_AM: db.exec(QStringLiteral("insert into FCC_AM(unique_system_identifier) values('1')")); break;
        case TDataType::AMT_HD: db.exec(QStringLiteral("insert into FCC_HD(unique_system_identifier) values('1')")); break;
        case TDataType::AMT_EN: db.exec(QStringLiteral("insert into FCC_EN(unique_system_identifier) values('1')")); break;
        default: break;
        }
        sourcerecord::markComplete(db, j.kind, 1);   // as a load that completes notes itself
        f.calls << dataTypeName(j.kind);
    });
    QCOMPARE(f.calls.size(), 7);   // the GMRS imports follow their amateur twins in the same step
    f.calls.clear();
    runCheckDatabases(f.condb, f.zipdb, f.paths(), f.recorder());
    QCOMPARE(f.calls, QStringList());
}

void TestCore::checkDatabasesImportsSourcesNotCompleted_data() {
    QTest::addColumn<bool>("noted");
    QTest::addColumn<QStringList>("expected");
    // The GMRS header file failed (or the program was killed during it) after the amateur one
    // went in: FCC_HD holds rows, yet the GMRS header rows are still due.
    QTest::newRow("loads noted, GMRS HD not") << true << QStringList{"GMRS_HD:GMRS/HD.dat"};
    // Data from before loads were noted: what the tables hold is adopted, by service.
    QTest::newRow("no notes, headers of amateur licences only") << false << QStringList{"GMRS_HD:GMRS/HD.dat"};
}

void TestCore::checkDatabasesImportsSourcesNotCompleted() {
    QFETCH(bool, noted);
    QFETCH(QStringList, expected);
    Fixture f;
    runSchemaScript(f.condb, QStringLiteral("fcc.sql"));
    runSchemaScript(f.zipdb, QStringLiteral("postal.sql"));
    f.zipdb.exec(QStringLiteral("insert into zipcodes(zip) values('85701')"));
    f.condb.exec(QStringLiteral("insert into canada(callsign) values('VE3AAA');"
                                "insert into FCC_AM values('1','E','');"
                                "insert into FCC_HD(unique_system_identifier, license_status) values('1','A');"
                                "insert into FCC_EN(unique_system_identifier, call_sign, service) values('1','K1AA','AMAT'),"
                                "('2','WRAA123','GMRS')"));
    if (noted) {
        sourcerecord::markComplete(f.zipdb, TDataType::ZIP, 1);
        for (TDataType kind : {TDataType::CDN, TDataType::AMT_AM, TDataType::AMT_HD, TDataType::AMT_EN, TDataType::GMRS_EN})
            sourcerecord::markComplete(f.condb, kind, 1);
    }
    runCheckDatabases(f.condb, f.zipdb, f.paths(), f.recorder());
    QCOMPARE(f.calls, expected);
    QCOMPARE(sourcerecord::sourceRows(f.condb, TDataType::AMT_HD), 1);
    QVERIFY(!sourcerecord::isComplete(f.condb, TDataType::GMRS_HD));
}

void TestCore::schemaHasColumnsInOrder() {
    Fixture f;
    runSchemaScript(f.condb, QStringLiteral("fcc.sql"));
    runSchemaScript(f.zipdb, QStringLiteral("postal.sql"));
    auto columns = [](Database& db, const QString& table) {
        Query q;
        q.open(db, QStringLiteral("select name from pragma_table_info(?1) order by cid"), {table});
        QStringList names;
        for (int i = 0; i < q.recordCount(); ++i)
            names << q.value(i, 0).toString();
        return names.join(QLatin1Char(','));
    };
    QCOMPARE(columns(f.condb, QStringLiteral("FCC_EN")),
             QStringLiteral("unique_system_identifier,call_sign,licensee_id,entity_name,first_name,mi,last_name,street_address,"
                            "po_box,city,state,zip_code,county,frn,service"));
    QCOMPARE(columns(f.condb, QStringLiteral("FCC_AM")), QStringLiteral("unique_system_identifier,operator_class,previous_callsign"));
    QCOMPARE(columns(f.condb, QStringLiteral("FCC_HD")),
             QStringLiteral("unique_system_identifier,license_status,grant_date,expired_date,cancellation_date,effective_date,"
                            "last_action_date"));
    QCOMPARE(columns(f.condb, QStringLiteral("canada")),
             QStringLiteral("callsign,first_name,surname,address_line,city,prov,postal_code,qual_a,qual_b,qual_c,qual_d,qual_e,"
                            "club_name1,club_name2,club_address,club_city,club_prov,club_postal"));
    QCOMPARE(columns(f.zipdb, QStringLiteral("zipcodes")), QStringLiteral("key,zip,city,state,latitude,longitude,county"));
    f.zipdb.exec(QStringLiteral("insert into zipcodes(zip) values('1'); insert into zipcodes(zip) values('2')"));
    QCOMPARE(f.zipdb.scalar(QStringLiteral("select max(key) from zipcodes")).toInt(), 2);
}

void TestCore::callSignIndexUpgradedOnce() {
    Fixture f;
    auto indexSql = [&] {
        return f.condb.scalar(QStringLiteral("select sql from sqlite_master where name='idx_en_call'")).toString();
    };
    upgradeCallSignIndex(f.condb);   // no licence table yet: nothing to do
    QCOMPARE(indexSql(), QString());
    runSchemaScript(f.condb, QStringLiteral("fcc.sql"));
    const QString fresh = indexSql();
    QVERIFY2(fresh.contains(QStringLiteral("service")), qPrintable(fresh));
    upgradeCallSignIndex(f.condb);
    QCOMPARE(indexSql(), fresh);

    // A database made with the one-column index gets the wider one; its rows are untouched.
    f.condb.exec(QStringLiteral("DROP INDEX idx_en_call; CREATE INDEX idx_en_call ON FCC_EN (call_sign);"
                                "insert into FCC_EN(unique_system_identifier, call_sign, service) values('1','W1AW','AMAT')"));
    upgradeCallSignIndex(f.condb);
    QCOMPARE(indexSql(), fresh);
    QCOMPARE(f.condb.scalar(QStringLiteral("select call_sign from FCC_EN where call_sign >= 'W' and service='AMAT'")).toString(),
             QStringLiteral("W1AW"));
    // The one index is also rebuilt when it is missing altogether.
    f.condb.exec(QStringLiteral("DROP INDEX idx_en_call"));
    upgradeCallSignIndex(f.condb);
    QCOMPARE(indexSql(), fresh);
}

void TestCore::stateListExcludesProvincesAndAppends() {
    Fixture f;
    runSchemaScript(f.zipdb, QStringLiteral("postal.sql"));
    f.zipdb.exec(QStringLiteral("insert into zipcodes(zip,state) values ('1','AZ'),('2','ON'),('3','AE'),('4',''),('5','AK'),"
                                "('6','AZ'),('7','AS'),('8','PR')"));
    QStringList list{QStringLiteral("XX")};
    GetStateList(f.zipdb, list);
    QCOMPARE(list, (QStringList{"XX", "AK", "AZ", "PR"}));
    GetStateList(f.zipdb, list);
    QCOMPARE(list.count(QStringLiteral("AZ")), 2);
}

void TestCore::versionDataHasFourNumbers() {
    const TEXEVersionData v = ReadVersionData(QStringLiteral("/x/quillmarsh"));
    const QStringList parts = v.FileVersion.split(QLatin1Char('.'));
    QCOMPARE(parts.size(), 4);
    for (const QString& p : parts) {
        bool ok = false;
        p.toInt(&ok);
        QVERIFY(ok);
    }
    QCOMPARE(v.OriginalFileName, QStringLiteral("quillmarsh"));
}

void TestCore::databaseSwap() {
    QTemporaryDir dir;
    const QString cur = dir.filePath(QStringLiteral("FCCdata.db"));
    const QString fresh = cur + QStringLiteral(".new");
    const QString bak = cur + QStringLiteral(".bak");
    writeFile(cur, "old");
    writeFile(bak, "older");
    writeFile(fresh, "new");
    QCOMPARE(replaceDatabaseFile(cur, fresh, bak), SwapOutcome::Swapped);
    QCOMPARE(readAll(cur), QStringLiteral("new"));
    QCOMPARE(readAll(bak), QStringLiteral("old"));
    QVERIFY(!QFile::exists(fresh));

    // The new file cannot be moved (it is not there): the old one is put back, nothing is lost.
    QCOMPARE(replaceDatabaseFile(cur, fresh, bak), SwapOutcome::KeptOld);
    QCOMPARE(readAll(cur), QStringLiteral("new"));

    // No database yet: the new one simply takes its place.
    QFile::remove(cur);
    writeFile(fresh, "first");
    QCOMPARE(replaceDatabaseFile(cur, fresh, bak), SwapOutcome::Swapped);
    QCOMPARE(readAll(cur), QStringLiteral("first"));
    QVERIFY(!QFile::exists(bak));
}

void TestCore::folderSwapKeepsOldUntilNewIsIn() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("AMAT"));
    const QString staging = folder + QStringLiteral(".part");
    QCOMPARE(oldFolderName(folder + QLatin1Char('/')), folder + QStringLiteral(".old"));
    QDir().mkpath(folder);
    QDir().mkpath(staging);
    QDir().mkpath(folder + QStringLiteral(".old"));   // left by an interrupted swap
    writeFile(folder + QStringLiteral("/EN.dat"), "old");
    writeFile(staging + QStringLiteral("/EN.dat"), "new");
    QCOMPARE(replaceFolder(folder, staging), SwapOutcome::Swapped);
    QCOMPARE(readAll(folder + QStringLiteral("/EN.dat")), QStringLiteral("new"));
    QVERIFY(!QFileInfo::exists(staging));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral(".old")));

    // The new folder is not there to move in: the old one is back under its name, whole.
    QCOMPARE(replaceFolder(folder, staging), SwapOutcome::KeptOld);
    QCOMPARE(readAll(folder + QStringLiteral("/EN.dat")), QStringLiteral("new"));
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral(".old")));

    // No folder yet: the new one simply takes its place.
    const QString cadn = dir.filePath(QStringLiteral("CADN"));
    QDir().mkpath(cadn + QStringLiteral(".part"));
    writeFile(cadn + QStringLiteral(".part/amateur.txt"), "list");
    QCOMPARE(replaceFolder(cadn, cadn + QStringLiteral(".part")), SwapOutcome::Swapped);
    QCOMPARE(readAll(cadn + QStringLiteral("/amateur.txt")), QStringLiteral("list"));
}

void TestCore::carryOverCopiesOnlyWhatIsMissing() {
    QTemporaryDir dir;
    const QString from = dir.filePath(QStringLiteral("GMRS"));
    const QString staging = dir.filePath(QStringLiteral("GMRS.part"));
    QDir().mkpath(from + QStringLiteral("/notes"));
    QDir().mkpath(staging);
    writeFile(from + QStringLiteral("/EN.dat"), "old archive");
    writeFile(from + QStringLiteral("/mine.txt"), "user");
    writeFile(from + QStringLiteral("/notes/deep.txt"), "user, deeper");
    writeFile(from + QStringLiteral("/skip.me"), "refused");
    writeFile(staging + QStringLiteral("/EN.dat"), "new archive");
    writeFile(staging + QStringLiteral("/mine.txt"), "the archive's own");
    const QStringList copied =
        carryOverFiles(from, staging, [](const QString& relative) { return relative != QLatin1String("skip.me"); });
    QCOMPARE(copied, QStringList{QStringLiteral("notes/deep.txt")});
    QCOMPARE(readAll(staging + QStringLiteral("/EN.dat")), QStringLiteral("new archive"));
    QCOMPARE(readAll(staging + QStringLiteral("/mine.txt")), QStringLiteral("the archive's own"));
    QCOMPARE(readAll(staging + QStringLiteral("/notes/deep.txt")), QStringLiteral("user, deeper"));
    QVERIFY(!QFileInfo::exists(staging + QStringLiteral("/skip.me")));
    QCOMPARE(readAll(from + QStringLiteral("/mine.txt")), QStringLiteral("user"));   // a copy: the old folder is whole
    QCOMPARE(carryOverFiles(dir.filePath(QStringLiteral("nothing")), staging, {}), QStringList());
}

void TestCore::damagedDatabaseNamesTheFile() {
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("FCCdata.db"), QStringLiteral("postal.db")}) {
        const QString file = dir.filePath(name);
        writeFile(file, QByteArray(4096, 'x'));
        Database db;
        db.open(file);
        try {
            db.tableExists(QStringLiteral("canada"));
            QFAIL("a damaged database was read");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("damaged")), qPrintable(e.message()));
        }
        QVERIFY_THROWS_EXCEPTION(DatabaseError, db.exec(QStringLiteral("create table t(a)")));
        try {
            db.exec(QStringLiteral("create table t(a)"));
        } catch (const DatabaseError& e) {
            QVERIFY2(e.message().contains(file), qPrintable(e.message()));
        }
    }
}

void TestCore::updateRule_data() {
    QTest::addColumn<QString>("published");
    QTest::addColumn<QString>("own");
    QTest::addColumn<bool>("available");
    QTest::newRow("newer with blanks and line break") << " 2.1.0.0 \r\n" << "2.0.9.9" << true;
    QTest::newRow("place by place, not an ordering") << "1.9.0.0" << "2.0.0.0" << true;
    QTest::newRow("equal") << "2.0.0.0" << "2.0.0.0" << false;
    QTest::newRow("third place") << "2.0.1.0" << "2.0.0.7" << true;
    QTest::newRow("older everywhere") << "1.0.0.0" << "2.0.0.0" << false;
    QTest::newRow("fewer than four numbers") << "3.0" << "2.0.0.0" << false;
    QTest::newRow("not a number") << "3.x.0.0" << "2.0.0.0" << false;
    QTest::newRow("html error page") << "<html>404</html>" << "2.0.0.0" << false;
    QTest::newRow("empty") << "" << "2.0.0.0" << false;
    QTest::newRow("more than four parts uses four") << "2.0.0.0.9" << "2.0.0.0" << false;
}

void TestCore::updateRule() {
    QFETCH(QString, published);
    QFETCH(QString, own);
    QFETCH(bool, available);
    QCOMPARE(isUpdateAvailable(published, own), available);
}

void TestCore::serviceConfigFromFile() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("services.ini"));
    writeFile(ini, "[Services]\r\nFccDataServer=http://127.0.0.1:8080/\r\nUpdateSite=http://127.0.0.1:9\r\n");
    const ServiceConfig c = loadServiceConfig(ini);
    QCOMPARE(c.amateurArchiveUrl(), QStringLiteral("http://127.0.0.1:8080/download/pub/uls/complete/l_amat.zip"));
    QCOMPARE(c.gmrsArchiveUrl(), QStringLiteral("http://127.0.0.1:8080/download/pub/uls/complete/l_gmrs.zip"));
    QCOMPARE(c.canadianArchiveUrl(), ServiceConfig().canadianArchiveUrl());   // a key left out keeps its built-in host
    QVERIFY(c.canadianArchiveUrl().endsWith(QStringLiteral("/datafiles/amateur.zip")));
    QCOMPARE(c.versionFileUrl(), QStringLiteral("http://127.0.0.1:9/files/quillmarsh.version"));
    QCOMPARE(c.setupDownloadUrl(), QStringLiteral("http://127.0.0.1:9/files/quillmarsh_setup.exe"));
    // The shipped file names no update site, so the check is off.
    QCOMPARE(loadServiceConfig().versionFileUrl(), QString());
    QString notice;
    loadServiceConfig(&notice);
    QVERIFY2(notice.isEmpty(), qPrintable(notice));
    {
        // Nowhere to be found: the built-in servers, named in the notice.
        const QString before = QDir::currentPath();
        const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
        QTemporaryDir empty;
        QDir::setCurrent(empty.path());
        qputenv("XDG_DATA_DIRS", QFile::encodeName(empty.path()));
        const ServiceConfig fallback = loadServiceConfig(&notice);
        QDir::setCurrent(before);
        qputenv("XDG_DATA_DIRS", dataDirs);
        QCOMPARE(fallback.amateurArchiveUrl(), ServiceConfig().amateurArchiveUrl());
        QVERIFY2(notice.startsWith(QStringLiteral("services.ini was not found")) && notice.contains(ServiceConfig().FccDataServer),
                 qPrintable(notice));
    }
    QCOMPARE(loadServiceConfig(dir.filePath(QStringLiteral("absent.ini"))).amateurArchiveUrl(), ServiceConfig().amateurArchiveUrl());
}

void TestCore::dateTimeTextHasFourDigitYear_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    // Each locale's own short date and long time, only the year widened to four digits.
    QTest::newRow("en_US") << "en_US" << "5/7/2024 5:21:09 AM";
    QTest::newRow("en_GB") << "en_GB" << "07/05/2024 05:21:09";
    QTest::newRow("de_DE") << "de_DE" << "07.05.2024 05:21:09";
}

void TestCore::dateTimeTextHasFourDigitYear() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    const QString shown = DateTimeText(QDateTime(QDate(2024, 5, 7), QTime(5, 21, 9)));
    QLocale::setDefault(previous);
    QCOMPARE(shown, text);
}

void TestCore::userFilesOnlyRegularAndBounded_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");   // empty: read
    QTest::newRow("regular") << "file" << "";
    QTest::newRow("link to a regular file") << "link" << "";
    QTest::newRow("named pipe without a writer") << "fifo" << "it is not a regular file";
    QTest::newRow("device that never ends") << "/dev/zero" << "it is not a regular file";
    QTest::newRow("folder") << "dir" << "it is a folder";
    QTest::newRow("too large") << "large" << "it is larger than 1 MiB";
    QTest::newRow("missing") << "missing" << "No such file or directory";
}

// A file a user chose is read only when it is a regular file within the limit; a named pipe must
// not hold the reader (it would wait for a writer for ever).
void TestCore::userFilesOnlyRegularAndBounded() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("input"));
    const auto write = [](const QString& p, const QByteArray& bytes) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    if (kind == QLatin1String("file")) {
        write(path, "W1AW\r\n");
    } else if (kind == QLatin1String("link")) {
        write(dir.filePath(QStringLiteral("target")), "W1AW\r\n");
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("target")), path));
    } else if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (kind == QLatin1String("dir")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("large")) {
        write(path, QByteArray((1 << 20) + 1, 'A'));
    } else if (kind.startsWith(QLatin1Char('/'))) {
        path = kind;
    }
    try {
        const QByteArray bytes = readUserFile(path, qint64(1) << 20);
        QVERIFY2(reason.isEmpty(), qPrintable(QStringLiteral("read %1 bytes").arg(bytes.size())));
        QCOMPARE(bytes, QByteArray("W1AW\r\n"));
    } catch (const FileRefused& e) {
        QCOMPARE(e.reason(), reason);
        QVERIFY(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Cannot read \"") + path + QStringLiteral("\": ")));
    }
}

void TestCore::parallelForTakesEveryPieceOnce() {
    for (int threads : {1, 2, 4, 0}) {
        std::vector<std::atomic<int>> taken(97);
        JobControl control;
        parallelFor(97, [&](int i) { taken[size_t(i)]++; control.add(1); }, &control, threads);
        for (const auto& t : taken)
            QCOMPARE(t.load(), 1);
        QCOMPARE(control.done(), 97);
    }
    parallelFor(0, [](int) { QFAIL("no piece"); });
}

void TestCore::parallelForStopsOnFailureAndCancel() {
    // The first failure comes back once every thread has ended; pieces not started stay so.
    std::atomic<int> started{0};
    try {
        parallelFor(1000, [&](int i) {
            started++;
            if (i == 3)
                throw DatabaseError(QStringLiteral("disk I/O error"));
            QThread::usleep(200);
        }, nullptr, 2);
        QFAIL("no error");
    } catch (const DatabaseError& e) {
        QCOMPARE(e.message(), QStringLiteral("disk I/O error"));
    }
    QVERIFY2(started < 1000, qPrintable(QString::number(started)));

    JobControl control;
    std::atomic<int> ran{0};
    QVERIFY_THROWS_EXCEPTION(JobCancelled, parallelFor(1000, [&](int) {
        if (++ran == 5)
            control.cancel();
    }, &control, 2));
    QVERIFY2(ran < 1000, qPrintable(QString::number(ran)));
}

void TestCore::backgroundJobEnds_data() {
    QTest::addColumn<int>("how");   // 0 returns, 1 throws, 2 waits for its cancel
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("error");
    QTest::newRow("done") << 0 << int(JobOutcome::End::Done) << "";
    QTest::newRow("failed") << 1 << int(JobOutcome::End::Failed) << "disk full";
    QTest::newRow("cancelled") << 2 << int(JobOutcome::End::Cancelled) << "";
}

// The end is told once, on the starting thread, after the worker thread has ended; a second
// start while one runs is refused.
void TestCore::backgroundJobEnds() {
    QFETCH(int, how);
    QFETCH(int, end);
    QFETCH(QString, error);
    BackgroundJob job;
    QList<JobOutcome> told;
    QThread* toldOn = nullptr;
    connect(&job, &BackgroundJob::finished, this, [&](const JobOutcome& o) {
        told << o;
        toldOn = QThread::currentThread();
    });
    QVERIFY(job.start(QStringLiteral("test"), [how](JobControl& control) {
        control.add(1);
        if (how == 1)
            throw std::runtime_error("disk full");
        while (how == 2)
            control.checkCancelled();
    }));
    QVERIFY(job.isRunning());
    QVERIFY(!job.start(QStringLiteral("again"), [](JobControl&) { QFAIL("a second run while one runs"); }));
    if (how == 2)
        job.cancel();
    QTRY_COMPARE(told.size(), 1);
    QCOMPARE(int(told.first().end), end);
    QCOMPARE(told.first().error, error);
    QCOMPARE(toldOn, QThread::currentThread());
    QVERIFY(!job.isRunning());
    QCOMPARE(job.control().done(), 1);
    QTest::qWait(20);
    QCOMPARE(told.size(), 1);
}

void TestCore::backgroundJobDestroyedWhileRunning() {
    std::atomic<bool> stopped{false};
    {
        BackgroundJob job;
        connect(&job, &BackgroundJob::finished, this, [] { QFAIL("no end is told to a job that is gone"); });
        job.start(QStringLiteral("test"), [&](JobControl& control) {
            while (!control.isCancelled())
                QThread::msleep(1);
            stopped = true;
        });
    }
    // The destructor asked the work to stop and waited for it.
    QVERIFY(stopped);
    QTest::qWait(20);
}

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
