// The setup dialog offscreen: what it shows when it opens, F2 both ways, F3 through the input box,
// OK storing the values only after both coordinates and the port passed their check, Cancel
// storing nothing; and, through the main window's menu, the sun panel and the record display
// following the stored station after the dialog closes either way, and the look-up service for
// other programs following its check box and port (a port in use told in the status bar).
#include "app/Main.h"
#include "core/Settings.h"
#include "setup/StationSetup.h"
#include "setup/TfrmSetup.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/ImportSteps.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WidgetLookup.h"
#include "ui/ErrorApplication.h"
#include "ui/MessageDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QByteArray fileText(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
}

void writeText(const QString& name, const QByteArray& text) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class TestSetup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensWithStoredValues_data();
    void opensWithStoredValues();
    void f2BothWays_data();
    void f2BothWays();
    void f3PostalCode_data();
    void f3PostalCode();
    void okStoresFiveValuesCancelNone();
    void okChecksBothCoordinatesFirst_data();
    void okChecksBothCoordinatesFirst();
    void serverPortCheckedBeforeAnyStore_data();
    void serverPortCheckedBeforeAnyStore();

private:
    std::unique_ptr<TfrmSetup> dialog();
    QLineEdit* box(const char* name) { return child<QLineEdit>(*m_dlg, name); }
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_cfg;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TSettings> m_settings;
    TGlobalProps m_props;
    TAppValues m_app;
    ServiceConfig m_services;
    std::unique_ptr<TfrmSetup> m_dlg;
};

void TestSetup::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    writeFixtureDatabases(programDataPath());
    Database zipdb;
    zipdb.open(programDataPath() + QStringLiteral("postal.db"));
    zipdb.exec(QStringLiteral("insert into zipcodes(zip,city,state,latitude,longitude,county) values"
                              "('T2P','Calgary','AB',51.0486,-114.0708,''),('DUP','One','XX',1,1,''),('DUP','Two','XX',2,2,'')"));
    m_cfg = programDataPath() + QStringLiteral("Quillmarsh.cfg");
}

void TestSetup::init() {
    QFile::remove(m_cfg);
    m_dm = std::make_unique<TDM>();
    m_dm->Zipdb.open(programDataPath() + QStringLiteral("postal.db"));
    m_settings = std::make_unique<TSettings>(m_cfg);
    m_props = TGlobalProps();
}

void TestSetup::cleanup() {
    m_dlg.reset();
    m_settings.reset();
    m_dm.reset();
}

std::unique_ptr<TfrmSetup> TestSetup::dialog() {
    return std::make_unique<TfrmSetup>(nullptr, TAppContext{*m_dm, *m_settings, m_props, m_app, m_services});
}

void TestSetup::opensWithStoredValues_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("boxes");   // grid, latitude, longitude
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("utc");
    QTest::newRow("no settings file: defaults") << QByteArray() << QStringList{"DM42NF", "32.22917", "-110.875"} << "rbSM" << false;
    QTest::newRow("KM and UTC")
        << QByteArray("[Settings]\nDisType=1\nISUTC=1\nGridSquare=FN31pq\nLatitude=41.5\nLongitude=-72.75\n")
        << QStringList{"FN31pq", "41.5", "-72.75"} << "rbKM" << true;
    QTest::newRow("NM") << QByteArray("[Settings]\nDisType=2\n") << QStringList{"DM42NF", "32.22917", "-110.875"} << "rbNM" << false;
    QTest::newRow("unknown unit reads as NM") << QByteArray("[Settings]\nDisType=7\n") << QStringList{"DM42NF", "32.22917", "-110.875"}
                                              << "rbNM" << false;
    QTest::newRow("a stored latitude that is no number shows as stored")
        << QByteArray("[Settings]\nLatitude=32,5\n") << QStringList{"DM42NF", "32,5", "-110.875"} << "rbSM" << false;
}

void TestSetup::opensWithStoredValues() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, boxes);
    QFETCH(QString, unit);
    QFETCH(bool, utc);
    if (!file.isEmpty())
        writeText(m_cfg, file);
    m_dlg = dialog();
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Setup"));
    QCOMPARE((QStringList{box("edtGridSquare")->text(), box("edtLatitude")->text(), box("edtLongitude")->text()}), boxes);
    QVERIFY(child<QRadioButton>(*m_dlg, unit.toLatin1().constData())->isChecked());
    QCOMPARE(child<QCheckBox>(*m_dlg, "chkUTC")->isChecked(), utc);
    QCOMPARE(box("edtServerPort")->text(), QStringLiteral("8888"));
    QCOMPARE(box("edtGridSquare")->toolTip(), QStringLiteral("Press F2 To Compute Latitude/Longitude"));
    QCOMPARE(fileText(m_cfg), file.isEmpty() ? QByteArray("<no file>") : file);
}

void TestSetup::f2BothWays_data() {
    QTest::addColumn<QString>("keyBox");
    QTest::addColumn<QStringList>("before");   // grid, latitude, longitude
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("messages");
    QTest::newRow("grid to coordinates") << "edtGridSquare" << QStringList{"DM42NF", "", ""}
                                         << QStringList{"DM42NF", "32.229167", "-110.875000"} << 0;
    QTest::newRow("four characters: centre of subsquare LL") << "edtGridSquare" << QStringList{"FN31", "1", "2"}
                                                             << QStringList{"FN31", "41.479167", "-73.041667"} << 0;
    QTest::newRow("invalid grid: warning, what it gave") << "edtGridSquare" << QStringList{"ZZ99ZZ", "1", "2"}
                                                         << QStringList{"ZZ99ZZ", "0.000000", "0.000000"} << 1;
    QTest::newRow("latitude to grid") << "edtLatitude" << QStringList{"", "32.22917", "-110.875"}
                                      << QStringList{"DM42NF", "32.22917", "-110.875"} << 0;
    QTest::newRow("longitude to grid, blanks of %8.6f allowed") << "edtLongitude" << QStringList{"", " 32.22917", "-110.875000"}
                                                                << QStringList{"DM42NF", " 32.22917", "-110.875000"} << 0;
    QTest::newRow("latitude out of range: told, grid kept") << "edtLatitude" << QStringList{"AA00AA", "95", "0"}
                                                            << QStringList{"AA00AA", "95", "0"} << 1;
    QTest::newRow("longitude no number: told, grid kept") << "edtLatitude" << QStringList{"AA00AA", "10", "west"}
                                                          << QStringList{"AA00AA", "10", "west"} << 1;
}

void TestSetup::f2BothWays() {
    QFETCH(QString, keyBox);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(int, messages);
    m_dlg = dialog();
    box("edtGridSquare")->setText(before.at(0));
    box("edtLatitude")->setText(before.at(1));
    box("edtLongitude")->setText(before.at(2));
    ScopedDialogAnswers answers;
    QTest::keyClick(box(keyBox.toLatin1().constData()), Qt::Key_F2);
    QCOMPARE((QStringList{box("edtGridSquare")->text(), box("edtLatitude")->text(), box("edtLongitude")->text()}), after);
    QCOMPARE(answers.messages.size(), messages);
    if (messages > 0 && keyBox != QLatin1String("edtGridSquare"))
        QVERIFY(answers.messages.first().text.startsWith(before.at(1) == QLatin1String("95") ? "Latitude" : "Longitude"));
}

void TestSetup::f3PostalCode_data() {
    QTest::addColumn<QString>("keyBox");
    QTest::addColumn<QStringList>("answers");   // empty: the input box is cancelled
    QTest::addColumn<QStringList>("after");     // grid, latitude, longitude
    QTest::addColumn<QString>("message");
    const QStringList unchanged{"DM42NF", "32.22917", "-110.875"};
    QTest::newRow("lower case t2p finds T2P") << "edtGridSquare" << QStringList{"t2p"} << QStringList{"DO21XB", "51.0486", "-114.0708"}
                                              << "";
    QTest::newRow("US zip from the latitude box") << "edtLatitude" << QStringList{"06111"}
                                                  << QStringList{"FN31PQ", "41.6869", "-72.7305"} << "";
    QTest::newRow("code twice in the table") << "edtLongitude" << QStringList{"dup"} << unchanged
                                             << "Geographical data for DUP was not found";
    QTest::newRow("unknown code, no trimming") << "edtGridSquare" << QStringList{"85701 "} << unchanged
                                               << "Geographical data for 85701  was not found";
    QTest::newRow("quote is a character") << "edtGridSquare" << QStringList{"85701\" or \"1\"=\"1"} << unchanged
                                          << "Geographical data for 85701\" OR \"1\"=\"1 was not found";
    QTest::newRow("input box cancelled") << "edtGridSquare" << QStringList() << unchanged << "";
}

void TestSetup::f3PostalCode() {
    QFETCH(QString, keyBox);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, after);
    QFETCH(QString, message);
    m_dlg = dialog();
    ScopedDialogAnswers boxes;
    QStringList prompts;
    DialogHandlers recorder = setDialogHandlers({});
    DialogHandlers h = recorder;
    h.input = [&](QWidget* o, const QString& caption, const QString& prompt, QString& value) {
        prompts << caption << prompt << value;
        return recorder.input(o, caption, prompt, value);
    };
    setDialogHandlers(h);
    boxes.inputAnswers = answers;
    QTest::keyClick(box(keyBox.toLatin1().constData()), Qt::Key_F3);
    QCOMPARE(prompts, (QStringList{"Request Postal Code",
                                   "Enter your 5 digit US zipcode or the first 3 characters\nof your Canadian postal code", ""}));
    QCOMPARE((QStringList{box("edtGridSquare")->text(), box("edtLatitude")->text(), box("edtLongitude")->text()}), after);
    QCOMPARE(boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(fileText(m_cfg), QByteArray("<no file>"));
}

void TestSetup::okStoresFiveValuesCancelNone() {
    ScopedDialogAnswers answers;
    // Cancel after F2 and F3 stores nothing.
    m_dlg = dialog();
    answers.inputAnswers << QStringLiteral("06111");
    QTest::keyClick(box("edtGridSquare"), Qt::Key_F3);
    QTest::keyClick(box("edtGridSquare"), Qt::Key_F2);
    child<QRadioButton>(*m_dlg, "rbKM")->click();
    child<QPushButton>(*m_dlg, "btnCancel")->click();
    QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
    QCOMPARE(fileText(m_cfg), QByteArray("<no file>"));

    // OK stores all five, in order, the grid as typed even when it does not match.
    m_dlg = dialog();
    box("edtGridSquare")->clear();
    QTest::keyClicks(box("edtGridSquare"), QStringLiteral("io91wm"));
    QCOMPARE(box("edtGridSquare")->text(), QStringLiteral("IO91WM"));
    box("edtLatitude")->setText(QStringLiteral(" 41.479167"));
    box("edtLongitude")->setText(QStringLiteral("-73.041667"));
    child<QRadioButton>(*m_dlg, "rbNM")->click();
    child<QCheckBox>(*m_dlg, "chkUTC")->setChecked(true);
    box("edtServerPort")->setText(QStringLiteral("9999"));
    child<QPushButton>(*m_dlg, "btnOK")->click();
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    QVERIFY(answers.messages.isEmpty());
    QCOMPARE(fileText(m_cfg), QByteArray("[Settings]\r\nLatitude=41.479167\r\nLongitude=-73.041667\r\nGridSquare=IO91WM\r\nISUTC=1\r\n"
                                         "DisType=2\r\nServeLookups=0\r\nServerPort=9999\r\n"));
    TGlobalProps read;
    QCOMPARE(read.DisType(*m_settings), TDisType::NM);
    QCOMPARE(read.Latitude(*m_settings), 41.479167);
}

void TestSetup::okChecksBothCoordinatesFirst_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("named");   // the box the message names; empty: stored
    QTest::newRow("latitude above 90") << "90.5" << "0" << "Latitude";
    QTest::newRow("latitude below -90") << "-91" << "0" << "Latitude";
    QTest::newRow("bad longitude keeps a good latitude out too") << "10" << "-180.01" << "Longitude";
    QTest::newRow("longitude no number") << "10" << "abc" << "Longitude";
    QTest::newRow("empty latitude") << "" << "0" << "Latitude";
    QTest::newRow("not a number") << "nan" << "0" << "Latitude";
    QTest::newRow("infinity") << "10" << "inf" << "Longitude";
    QTest::newRow("limits are fine") << "-90" << "180" << "";
}

void TestSetup::okChecksBothCoordinatesFirst() {
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QString, named);
    m_dlg = dialog();
    m_dlg->show();
    box("edtLatitude")->setText(latitude);
    box("edtLongitude")->setText(longitude);
    ScopedDialogAnswers answers;
    child<QPushButton>(*m_dlg, "btnOK")->click();
    if (named.isEmpty()) {
        QVERIFY(answers.messages.isEmpty());
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QCOMPARE(TGlobalProps().Longitude(*m_settings), longitude.toDouble());
        return;
    }
    QCOMPARE(answers.messages.size(), 1);
    QVERIFY2(answers.messages.first().text.startsWith(named), qPrintable(answers.messages.first().text));
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(fileText(m_cfg), QByteArray("<no file>"));
}

void TestSetup::serverPortCheckedBeforeAnyStore_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("stored");   // empty: refused, the message names the box
    QTest::newRow("system port") << "80" << "";
    QTest::newRow("just below the range") << "1023" << "";
    QTest::newRow("above 65535") << "65536" << "";
    QTest::newRow("zero") << "0" << "";
    QTest::newRow("negative") << "-8888" << "";
    QTest::newRow("not a number") << "http" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("decimal") << "8888.5" << "";
    QTest::newRow("hexadecimal is not read") << "0x2000" << "";
    QTest::newRow("lowest") << "1024" << "1024";
    QTest::newRow("highest, blanks around") << " 65535 " << "65535";
}

void TestSetup::serverPortCheckedBeforeAnyStore() {
    QFETCH(QString, port);
    QFETCH(QString, stored);
    m_dlg = dialog();
    m_dlg->show();
    box("edtLatitude")->setText(QStringLiteral("10"));
    box("edtLongitude")->setText(QStringLiteral("20"));
    box("edtServerPort")->setText(port);
    child<QCheckBox>(*m_dlg, "chkServeLookups")->setChecked(true);
    ScopedDialogAnswers answers;
    child<QPushButton>(*m_dlg, "btnOK")->click();
    if (stored.isEmpty()) {
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY2(answers.messages.first().text.startsWith(QLatin1String("Server Port")), qPrintable(answers.messages.first().text));
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(fileText(m_cfg), QByteArray("<no file>"));
        return;
    }
    QVERIFY(answers.messages.isEmpty());
    QCOMPARE(m_settings->GetSetting(QStringLiteral("ServerPort"), QString()), stored);
    QCOMPARE(m_settings->GetSetting(QStringLiteral("ServeLookups"), false), true);
    // The next opening shows what was stored.
    m_dlg = dialog();
    QCOMPARE(box("edtServerPort")->text(), stored);
    QVERIFY(child<QCheckBox>(*m_dlg, "chkServeLookups")->isChecked());
}

// ---------------------------------------------------------------------------

class TestSetupFromMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sunPanelAndRecordFollowAfterOkOrCancel();
    void lookupServiceFollowsSetup();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestSetupFromMenu::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    writeFixtureDatabases(programDataPath());
}

void TestSetupFromMenu::sunPanelAndRecordFollowAfterOkOrCancel() {
    TDM dm;
    TForm1 form(dm);
    form.setImportStep([](const ImportJob& j) {
        QTest::qFail("the fixture databases are full", __FILE__, __LINE__);
        return importDone(j);
    });
    form.setDownloadStep([](const QString&, const QString&) { return false; });
    form.FormActivate();
    ScopedDialogAnswers answers;
    form.DoLocalSolar();
    auto sun = [&] {
        return QStringList{child<QLabel>(form, "lblSunrise")->text(), child<QLabel>(form, "lblSolarNoon")->text(),
                           child<QLabel>(form, "lblSunset")->text()};
    };
    auto showW1aw = [&] {
        auto* search = child<QLineEdit>(form, "edtSearch");
        search->setText(QStringLiteral("W1AW"));
        QTest::keyClick(search, Qt::Key_Return);
        return QStringList{child<QLabel>(form, "lblDistance")->text(), child<QLineEdit>(form, "edtDistance")->text(),
                           child<QLineEdit>(form, "edtAzimuth")->text()};
    };
    const QStringList tucsonSun = sun();
    QCOMPARE(showW1aw(), (QStringList{"Distance (SM)", "2183", "61"}));

    // F3 with W1AW's own zip code, kilometres, OK: the panel moves at once, the next record follows.
    answers.inputAnswers << QStringLiteral("06111");
    whenShown<TfrmSetup>([](TfrmSetup& dlg) {
        QTest::keyClick(child<QLineEdit>(dlg, "edtGridSquare"), Qt::Key_F3);
        child<QRadioButton>(dlg, "rbKM")->click();
        child<QPushButton>(dlg, "btnOK")->click();
    });
    form.findChild<QAction*>(QStringLiteral("mnuSetup"))->trigger();
    QVERIFY(answers.messages.isEmpty());
    QCOMPARE(form.settings().GetSetting(QStringLiteral("Latitude"), QString()), QStringLiteral("41.6869"));
    const QStringList newingtonSun = sun();
    QVERIFY(newingtonSun != tucsonSun);
    QCOMPARE(showW1aw(), (QStringList{"Distance (KM)", "0", "0"}));

    // Cancel stores nothing, but the panel is refreshed from what the settings hold.
    form.settings().SaveSetting(QStringLiteral("Latitude"), 32.22917);
    form.settings().SaveSetting(QStringLiteral("Longitude"), -110.875);
    whenShown<TfrmSetup>([](TfrmSetup& dlg) { child<QPushButton>(dlg, "btnCancel")->click(); });
    form.findChild<QAction*>(QStringLiteral("mnuSetup"))->trigger();
    QCOMPARE(sun(), tucsonSun);
    QCOMPARE(form.settings().GetSetting(QStringLiteral("DisType"), 0), 1);
}

namespace {

// The status line of an answer from 127.0.0.1:port, or the socket's error when none came.
QByteArray healthAnswer(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    if (!s.waitForConnected(3000))
        return "no connection: " + s.errorString().toUtf8();
    s.write("GET /health HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (s.waitForReadyRead(3000))
        answer += s.readAll();
    return answer.left(answer.indexOf("\r\n"));
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QHostAddress::LocalHost), 0);
    return probe.serverPort();
}

} // namespace

void TestSetupFromMenu::lookupServiceFollowsSetup() {
    TDM dm;
    auto form = activatedMainWindow(dm);
    ScopedDialogAnswers answers;
    QVERIFY(!form->lookupService());
    auto setup = [&](bool serve, quint16 port) {
        whenShown<TfrmSetup>([=](TfrmSetup& dlg) {
            child<QLineEdit>(dlg, "edtServerPort")->setText(QString::number(port));
            child<QCheckBox>(dlg, "chkServeLookups")->setChecked(serve);
            child<QPushButton>(dlg, "btnOK")->click();
        });
        form->findChild<QAction*>(QStringLiteral("mnuSetup"))->trigger();
    };
    auto status = [&] { return child<QLabel>(*form, "txtMessage")->text(); };

    // A port another program holds: told in the status bar, no box, the program goes on.
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress(QHostAddress::LocalHost), 0));
    setup(true, other.serverPort());
    QVERIFY(answers.messages.isEmpty());
    QVERIFY2(status().contains(QStringLiteral("Look-up service: port %1 is in use").arg(other.serverPort())), qPrintable(status()));
    QVERIFY(!form->lookupService());

    // A free port: served at once.
    const quint16 port = freePort();
    setup(true, port);
    QVERIFY(form->lookupService() && form->lookupService()->port() == port);
    QCOMPARE(healthAnswer(port), QByteArray("HTTP/1.1 200 OK"));
    QVERIFY(!status().contains(QStringLiteral("Look-up service")));

    // The next start serves from the stored settings before anything else is asked.
    form.reset();
    QVERIFY(healthAnswer(port).startsWith("no connection"));
    form = activatedMainWindow(dm);
    QCOMPARE(healthAnswer(port), QByteArray("HTTP/1.1 200 OK"));

    // Off: the port is let go.
    setup(false, port);
    QVERIFY(!form->lookupService());
    QVERIFY(healthAnswer(port).startsWith("no connection"));
}

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QmApplication app(argc, argv);
    int status = 0;
    {
        TestSetup t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestSetupFromMenu t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_setup.moc"
