#include "AppTests.h"

#include "core/Database.h"
#include "core/Paths.h"
#include "tests/support/ImportSteps.h"
#include "tests/support/Fixtures.h"
#include "ui/MessageDialog.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <limits>
#include <QTimer>

void TestMainWindow::init() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
}

void TestMainWindow::cleanup() { m_home.reset(); }

void TestMainWindow::firstStartOnEmptyFolder() {
    const QString data = programDataPath();
    QVERIFY(!QDir(data).exists());
    TDM dm;
    TForm1 form(dm);
    QVERIFY(QDir(data).exists());
    QCOMPARE(form.windowTitle(), QStringLiteral("Quillmarsh - Amatuer and GMRS - ") + data);
    QCOMPARE(form.GetTheme(), QStringLiteral("Windows"));
    QCOMPARE(form.findChild<QAction*>(QStringLiteral("Theme_Windows"))->isChecked(), true);
    QVERIFY(!QFile::exists(data + QStringLiteral("Quillmarsh.cfg")));

    QStringList imports;
    form.setImportStep([&](const ImportJob& j) {
        imports << dataTypeName(j.kind);
        return importDone(j);
    });
    QStringList downloads;
    form.setDownloadStep([&](const QString& url, const QString& file) {
        downloads << url.section(QLatin1Char('/'), -1) + QLatin1Char('>') + QFileInfo(file).fileName();
        return false;   // offline: nothing arrives
    });
    ScopedDialogAnswers answers;
    form.show();
    form.FormActivate();
    // Offline, it is said once: which archives, and where to fetch them later.
    QCOMPARE(answers.messages.size(), 1);
    QVERIFY2(answers.messages.first().text.contains(QStringLiteral("amateur.zip: the download failed\nl_amat.zip: the download failed\n"
                                                                   "l_gmrs.zip: the download failed")),
             qPrintable(answers.messages.first().text));
    QVERIFY(answers.messages.first().text.contains(QStringLiteral("File > Update Data")));
    QCOMPARE(downloads, (QStringList{"amateur.zip>amateur.zip", "l_amat.zip>l_amat.zip", "l_gmrs.zip>l_gmrs.zip"}));
    QCOMPARE(imports, (QStringList{"ZIP", "CDN", "AMT_AM", "AMT_HD", "GMRS_HD", "AMT_EN", "GMRS_EN"}));
    QVERIFY(QFile::exists(data + QStringLiteral("FCCdata.db")));
    QVERIFY(dm.Zipdb.tableExists(QStringLiteral("zipcodes")));
    QVERIFY(dm.condb.tableExists(QStringLiteral("FCC_EN")));
    QVERIFY(QDir(data + QStringLiteral("Districts")).exists());
    QVERIFY(form.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    // The window's focus child: what gets the keys as soon as the window is active.
    QCOMPARE(form.focusWidget(), form.findChild<QLineEdit*>(QStringLiteral("edtSearch")));
}

void TestMainWindow::districtsFromZipTableAndActivationOnce() {
    writeFixtureDatabases(programDataPath());
    TDM dm;
    TForm1 form(dm);
    int imports = 0;
    form.setImportStep([&](const ImportJob& j) {
        ++imports;
        return importDone(j);
    });
    form.setDownloadStep([](const QString&, const QString&) { return false; });
    form.FormActivate();
    form.FormActivate();   // a later activation (a modal window closed) runs nothing again
    QCOMPARE(imports, 0);
    QCOMPARE(form.values().StateList, (QStringList{"AZ", "CT"}));
    const QString districts = programDataPath() + QStringLiteral("Districts/");
    QVERIFY(QDir(districts + QStringLiteral("AZ")).exists());
    QVERIFY(QDir(districts + QStringLiteral("CT")).exists());
    QVERIFY(!QDir(districts + QStringLiteral("ON")).exists());
}

void TestMainWindow::menusCarryTheirNamesAndCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const char* rows[][2] = {
        {"mnuUpdateData", "Update Data"},       {"mnuEditZipCode", "Edit Zipcode Table"}, {"mnuBatchProcess", "Batch Process"},
        {"mnuExit", "Exit"},                    {"mnuSetup", "Setup"},                    {"DistrictEditor1", "District Editor"},
        {"mniFCCULSLink1", "FCC ULS Link"},     {"mniLookupQRZ", "Lookup QRZ"},           {"mniGoogleMaps1", "Google Maps"},
        {"mnuZipcodeSearch_US", "Zip Code"},    {"mnuLastNameSearch_USA", "Last Name"},   {"mniCitySearch_USA", "City"},
        {"mnuCountySearch_USA", "County"},      {"mniDateSearch", "Dates"},               {"CDNLastName", "Last Name"},
        {"CDNCity", "City"},                    {"CDNPostal", "Postal Code"},             {"mnuAbout", "About"},
    };
    for (const auto& r : rows)
        QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
}

void TestMainWindow::menusCarryTheirNamesAndCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    TDM dm;
    TForm1 form(dm);
    auto* action = form.findChild<QAction*>(name);
    QVERIFY2(action, qPrintable(name));
    QCOMPARE(action->text(), caption);
    auto* theme = form.findChild<QMenu*>(QStringLiteral("mnuTheme"));
    QVERIFY(theme);
    QStringList captions;
    for (QAction* a : theme->actions())
        captions << a->text();
    QCOMPARE(captions.size(), 37);
    QCOMPARE(captions, form.styleList());
    QCOMPARE(captions.first(), QStringLiteral("Amakrits"));
    QCOMPARE(captions.indexOf(QStringLiteral("Windows")), captions.indexOf(QStringLiteral("Turquoise Gray")) + 1);
}

void TestMainWindow::themeEntryWithAcceleratorMark() {
    TDM dm;
    TForm1 form(dm);
    auto* carbon = form.findChild<QAction*>(QStringLiteral("Theme_Carbon"));
    carbon->setText(QStringLiteral("&Carbon"));
    carbon->trigger();
    QCOMPARE(form.GetTheme(), QStringLiteral("Carbon"));
    int checked = 0;
    for (QAction* a : form.findChild<QMenu*>(QStringLiteral("mnuTheme"))->actions())
        checked += a->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    QVERIFY(carbon->isChecked());
    QVERIFY(form.palette().color(QPalette::Window).lightness() < 100);
    form.findChild<QAction*>(QStringLiteral("Theme_Windows"))->trigger();
    QCOMPARE(form.palette().color(QPalette::Window), QColor(0xFF, 0xFB, 0xF0));   // cream
}

void TestMainWindow::closeSavesAndNextStartRestores() {
    const QString cfg = programDataPath() + QStringLiteral("Quillmarsh.cfg");
    {
        TDM dm;
        TForm1 form(dm);
        form.show();
        form.move(123, 87);
        QFont f = form.font();
        f.setPointSize(15);
        f.setItalic(true);
        form.setFont(f);
        form.SetTheme(QStringLiteral("Sky"));
        form.close();
    }
    const QString text = readTextFile(cfg);
    for (const char* key : {"Form1_Top=", "Form1_Left=123", "FontName=", "FontCharSet=1", "FontColor=", "FontSize=15", "FontStyle=2",
                            "Color=15793151", "Theme=Sky"})
        QVERIFY2(text.contains(QLatin1String(key)), key);
    TDM dm;
    TForm1 form(dm);
    QCOMPARE(form.GetTheme(), QStringLiteral("Sky"));
    QCOMPARE(form.font().pointSize(), 15);
    QVERIFY(form.font().italic());
    for (const QMenu* menu : form.menuBar()->findChildren<QMenu*>())
        QCOMPARE(menu->font(), form.font());
    form.FormShow();
    QCOMPARE(form.x(), 123);
    // A stored position far off every screen brings the window back onto one, whole when it fits.
    TSettings(cfg).SaveSetting(QStringLiteral("Form1_Left"), std::numeric_limits<int>::max());
    TSettings(cfg).SaveSetting(QStringLiteral("Form1_Top"), std::numeric_limits<int>::min() + 1);
    form.FormShow();
    const QRect area = form.screen()->availableGeometry();
    const QRect frame = form.frameGeometry();
    QVERIFY2(area.contains(frame.topLeft()), qPrintable(QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y())));
    QVERIFY(frame.width() > area.width() || frame.right() <= area.right());
    QVERIFY(frame.height() > area.height() || frame.bottom() <= area.bottom());

    // A theme the program does not carry falls back to the platform's look.
    TSettings(cfg).SaveSetting(QStringLiteral("Theme"), QStringLiteral("Nonexistent"));
    TForm1 other(dm);
    QCOMPARE(other.GetTheme(), QStringLiteral("Windows"));
}

void TestMainWindow::unreadableDatabaseIsReportedAndStartGoesOn() {
    const QString data = programDataPath();
    QDir().mkpath(data);
    QDir().mkpath(data + QStringLiteral("FCCdata.db"));   // a folder where the database file should be
    TDM dm;
    TForm1 form(dm);
    form.setDownloadStep([](const QString&, const QString&) { return false; });
    ScopedDialogAnswers answers;
    try {
        form.FormActivate();
    } catch (const std::exception&) {
        // The database check then fails on the closed connection; that reaches the error report.
    }
    QVERIFY(!answers.messages.isEmpty());
    QVERIFY2(answers.messages.first().text.startsWith(QStringLiteral("Exception raised with message")),
             qPrintable(answers.messages.first().text));
    QCOMPARE(answers.messages.first().kind, MsgKind::Error);
}

namespace {

QStringList indexNames(const QString& file) {
    Database db;
    db.open(file);
    QStringList names;
    Statement st(db, QStringLiteral("select name from sqlite_master where type='index' and tbl_name='FCC_EN' order by name"));
    while (st.step())
        names << st.text(0);
    return names;
}

} // namespace

void TestMainWindow::pendingIndexesBuiltAtStart() {
    writeFixtureDatabases(programDataPath());
    const QString fcc = programDataPath() + QStringLiteral("FCCdata.db");
    const QStringList allIndexes = indexNames(fcc);
    {
        // As an amateur load leaves them when its GMRS load is cancelled: two indexes waiting.
        Database db;
        db.open(fcc);
        db.exec(QStringLiteral("CREATE TABLE quillmarsh_pending_index (tbl TEXT, name TEXT, sql TEXT);"
                               "INSERT INTO quillmarsh_pending_index SELECT tbl_name, name, sql FROM sqlite_master"
                               " WHERE name IN ('idx_en_last', 'idx_en_city');"
                               "DROP INDEX idx_en_last; DROP INDEX idx_en_city;"));
    }
    auto start = [](TDM& dm, TForm1& form) {
        form.setImportStep([](const ImportJob& j) {
            QTest::qFail("the fixture databases are full", __FILE__, __LINE__);
            return importDone(j);
        });
        form.setDownloadStep([](const QString&, const QString&) { return false; });
        form.show();
        form.FormActivate();
        Q_UNUSED(dm);
    };
    {
        // Built on a worker with the progress window's Cancel (a cancelled build is the
        // engine test's): nothing is left pending, and no notice.
        ScopedDialogAnswers answers;
        TDM dm;
        TForm1 form(dm);
        start(dm, form);
        QCOMPARE(answers.texts(), QStringList());
        QVERIFY(!dm.condb.tableExists(QStringLiteral("quillmarsh_pending_index")));
        QCOMPARE(indexNames(fcc), allIndexes);
        QVERIFY(!form.findChild<QLabel*>(QStringLiteral("txtMessage"))->text().contains(QStringLiteral("indexes")));
    }
}
