#include "core/Database.h"
#include "data/DailyChanges.h"
#include "InfoTests.h"

#include "core/Version.h"
#include "info/AboutInfo.h"
#include "info/TAboutBox.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WidgetLookup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

void writeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

QString labelText(QWidget& w, const char* name) { return child<QLabel>(w, name)->text(); }

} // namespace

void TestAbout::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
}

void TestAbout::windowsBuildTable_data() {
    QTest::addColumn<int>("build");
    QTest::addColumn<QString>("name");
    QTest::newRow("23H2") << 22631 << "Windows 11, Version 23H2";
    QTest::newRow("24H2 is not in the table") << 26100 << "Undefined";
    QTest::newRow("XP") << 2600 << "Windows XP, Service Pack 3";
    QTest::newRow("first") << 511 << "Windows NT 3.1";
    QTest::newRow("22H1 as listed") << 19045 << "Windows 10, Version 22H1";
    QTest::newRow("nothing") << 0 << "Undefined";
}

void TestAbout::windowsBuildTable() {
    QFETCH(int, build);
    QFETCH(QString, name);
    QCOMPARE(windowsBuildName(build), name);
}

void TestAbout::systemNameIsDistribution() {
    QFile release(QStringLiteral("/etc/os-release"));
    if (!release.open(QIODevice::ReadOnly))
        QSKIP("no /etc/os-release here");
    QString pretty;
    for (const QByteArray& line : release.readAll().split('\n'))
        if (line.startsWith("PRETTY_NAME="))
            pretty = QString::fromUtf8(line.mid(12)).remove(QLatin1Char('"')).trimmed();
    QVERIFY(!pretty.isEmpty());
    QCOMPARE(GetOS(), pretty);
}

void TestAbout::creationTimeBeforeModification() {
    const QString file = m_home->filePath(QStringLiteral("dated.txt"));
    writeFile(file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QDateTime longAgo(QDate(2001, 5, 17), QTime(12, 0));
    QVERIFY(f.setFileTime(longAgo, QFileDevice::FileModificationTime));
    f.close();
    const QString modified = QLocale().toString(longAgo.date(), QLocale::ShortFormat);
    QCOMPARE(modified, QStringLiteral("5/17/01"));
    if (QFileInfo(file).birthTime().isValid())
        QCOMPARE(dataFileDateText(file), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    else
        QCOMPARE(dataFileDateText(file), modified);   // this file system keeps no creation time
    QCOMPARE(dataFileDateText(m_home->filePath(QStringLiteral("absent.txt"))), QStringLiteral("not downloaded yet"));
    QVERIFY(!fileCreationTime(m_home->path()).isValid());   // a folder is no data file
}

void TestAbout::dataFiles_data() {
    QTest::addColumn<bool>("amateur");
    QTest::addColumn<bool>("gmrs");
    QTest::addColumn<bool>("canada");
    QTest::newRow("all three") << true << true << true;
    QTest::newRow("no Canadian list yet") << true << true << false;
    QTest::newRow("none, not even the folders") << false << false << false;
}

void TestAbout::dataFiles() {
    QFETCH(bool, amateur);
    QFETCH(bool, gmrs);
    QFETCH(bool, canada);
    QTemporaryDir data;
    const AboutDataFiles files = aboutDataFiles(data.path());
    QCOMPARE(files.canada, data.path() + QStringLiteral("/CADN/amateur.txt"));
    if (amateur)
        writeFile(files.amateur);
    if (gmrs)
        writeFile(files.gmrs);
    if (canada)
        writeFile(files.canada);
    if (amateur) {
        // Where the licence data stands: the weekly amateur archive and a day applied after it.
        Database db;
        db.open(data.filePath(QStringLiteral("FCCdata.db")));
        recordWeeklyLoad(db, DailyService::Amateur, QDate(2026, 4, 12));
        db.exec(QStringLiteral("insert into quillmarsh_licence_dates values ('AMAT', 'daily', '2026-04-14', '')"));
    }
    QApplication::setWindowIcon(programIcon());

    TAboutBox about(nullptr, data.path() + QLatin1Char('/'));
    about.show();
    const QString today = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString missing = QStringLiteral("not downloaded yet");
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(labelText(about, "lblAMT"), amateur ? today : missing);
    QCOMPARE(labelText(about, "lblGMRS"), gmrs ? today : missing);
    QCOMPARE(labelText(about, "lblCDN"), canada ? today : missing);
    QCOMPARE(child<QLabel>(about, "lbl2")->buddy(), child<QLabel>(about, "lblCDN"));
    QCOMPARE(labelText(about, "lblLicenceData"),
             amateur ? QStringLiteral("Licence data of April 14, 2026 (amateur)") : QStringLiteral("not known"));
    QCOMPARE(child<QLabel>(about, "lbl4")->buddy(), child<QLabel>(about, "lblLicenceData"));

    QCOMPARE(labelText(about, "ProductName"), QStringLiteral("Quillmarsh"));
    QCOMPARE(labelText(about, "Version"), QStringLiteral("Versiom: " QM_VERSION_TEXT));
    QVERIFY(labelText(about, "Copyright").startsWith(QStringLiteral("Copyright")));
    QVERIFY(!labelText(about, "Comments").isEmpty() && labelText(about, "Comments") != QLatin1String("Comments"));
    QCOMPARE(labelText(about, "LabelOS"), QStringLiteral("Operating System: ") + GetOS());
    QCOMPARE(labelText(about, "License"), QStringLiteral("Application to lookup Amateur/GMRS callsigns"));
    QVERIFY(!child<QLabel>(about, "ProgramIcon")->pixmap().isNull());
    QCOMPARE(child<QLabel>(about, "ProgramIcon")->size(), QSize(60, 60));

    const QString notice = child<QPlainTextEdit>(about, "memNotice")->toPlainText();
    QVERIFY(notice.contains(QStringLiteral("GeoNames")));
    QVERIFY(notice.contains(QStringLiteral("CC BY 4.0")));

    auto* ok = child<QPushButton>(about, "OKButton");
    QVERIFY(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestAbout::withoutApplicationIconKeepsCaptions() {
    QApplication::setWindowIcon(QIcon());
    TAboutBox about(nullptr, m_home->path());
    QCOMPARE(labelText(about, "ProductName"), QStringLiteral("Product Name"));
    QCOMPARE(labelText(about, "Version"), QStringLiteral("Version"));
    QCOMPARE(labelText(about, "lblAMT"), QStringLiteral("lblAMT"));
    QCOMPARE(labelText(about, "LabelOS"), QStringLiteral("LabelOS"));
    QApplication::setWindowIcon(programIcon());
}
