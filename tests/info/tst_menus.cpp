// The five entries the main window wires for the zip editor, the map, the two links and About,
// run from the menu of a main window on the fixture databases.
#include "app/Main.h"
#include "info/TAboutBox.h"
#include "info/TBrowser.h"
#include "tests/support/ImportSteps.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WidgetLookup.h"
#include "ui/ErrorApplication.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"
#include "zip/TfrmPostalEditor.h"

#include <QAction>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <memory>


class TestInfoMenus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void linksFollowTheLastRecords();
    void mapOfTheLastUsRecord();
    void mapBeforeAnyRecord();
    void aboutAndZipEditorOpen();

private:
    void search(const QString& text);
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<ScopedDialogAnswers> m_boxes;
    std::unique_ptr<ScopedDesktopOpener> m_opened;
};

void TestInfoMenus::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    writeFixtureDatabases(programDataPath());
}

void TestInfoMenus::init() {
    m_dm = std::make_unique<TDM>();
    m_form = std::make_unique<TForm1>(*m_dm);
    m_form->setImportStep([](const ImportJob& j) {
        QTest::qFail("the fixture databases are full; nothing is imported", __FILE__, __LINE__);
        return importDone(j);
    });
    m_form->setDownloadStep([](const QString&, const QString&) { return false; });
    m_form->FormActivate();
    m_boxes = std::make_unique<ScopedDialogAnswers>();
    m_opened = std::make_unique<ScopedDesktopOpener>();
    m_form->services().QrzSite = QStringLiteral("http://127.0.0.1:9/qrz");
    m_form->services().UlsSite = QStringLiteral("http://127.0.0.1:9/uls");
}

void TestInfoMenus::cleanup() {
    m_opened.reset();
    m_boxes.reset();
    m_form.reset();
    m_dm.reset();
}

void TestInfoMenus::search(const QString& text) {
    auto* edit = child<QLineEdit>(*m_form, "edtSearch");
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void TestInfoMenus::linksFollowTheLastRecords() {
    QAction* qrz = m_form->findChild<QAction*>(QStringLiteral("mniLookupQRZ"));
    QAction* uls = m_form->findChild<QAction*>(QStringLiteral("mniFCCULSLink1"));
    qrz->trigger();
    uls->trigger();
    search(QStringLiteral("K7ABC"));
    qrz->trigger();
    uls->trigger();
    search(QStringLiteral("VE3ABC"));
    qrz->trigger();
    uls->trigger();
    QStringList opened;
    for (const QUrl& u : std::as_const(m_opened->opened))
        opened << u.toString();
    QCOMPARE(opened, QStringList({"http://127.0.0.1:9/qrz/db/", "http://127.0.0.1:9/uls/UlsApp/UlsSearch/license.jsp?licKey=",
                                  "http://127.0.0.1:9/qrz/db/K7ABC", "http://127.0.0.1:9/uls/UlsApp/UlsSearch/license.jsp?licKey=101",
                                  "http://127.0.0.1:9/qrz/db/VE3ABC", "http://127.0.0.1:9/uls/UlsApp/UlsSearch/license.jsp?licKey=101"}));
    QCOMPARE(m_boxes->messages.size(), 0);
}

void TestInfoMenus::mapOfTheLastUsRecord() {
    TestHttpServer tiles;
    {
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(Qt::darkGreen);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        tile.save(&buffer, "PNG");
        tiles.fallback(Route::answer(200, "OK", bytes));
    }
    QString base = tiles.url("/").toString();
    m_form->services().StaticMapKey.clear();
    m_form->services().MapTileUrl = base + QStringLiteral("t/{z}/{x}/{y}.png");
    search(QStringLiteral("K7ABC"));    // 1 Elm St, Tucson AZ 85701-1234
    search(QStringLiteral("VE3ABC"));   // a Canadian record does not move the map
    QString url;
    bool tileMode = false;
    QString status = QStringLiteral("<not shown>");
    whenShown<TBrowser>([&](TBrowser& b) {
        url = child<QLineEdit>(b, "edtURL")->text();
        tileMode = b.usesTiles();
        QTRY_VERIFY(tiles.requests() > 0 && !b.view()->isLoading());
        status = b.view()->statusText();
        b.reject();
    });
    m_form->findChild<QAction*>(QStringLiteral("mniGoogleMaps1"))->trigger();
    QVERIFY(url.contains(QStringLiteral("/maps/api/staticmap?center=1+Elm+St+Tucson+AZ&zoom=16&size=1024x768&maptype=roadmap"
                                        "&markers=color:blue%7Clabel:S%7C1+Elm+St+Tucson+AZ&sensor=false&key=")));
    QVERIFY(tileMode);
    QCOMPARE(status, QString());
    QVERIFY(tiles.paths().contains("/t/16/12574/26566.png"));
}

void TestInfoMenus::mapBeforeAnyRecord() {
    QString url;
    QString status;
    whenShown<TBrowser>([&](TBrowser& b) {
        url = b.currentUrl();
        status = b.view()->statusText();
        b.reject();
    });
    m_form->findChild<QAction*>(QStringLiteral("mniGoogleMaps1"))->trigger();
    QVERIFY(url.contains(QStringLiteral("center=++&zoom=16")));
    QVERIFY2(status.startsWith(QStringLiteral("No US record has been shown yet")), qPrintable(status));
}

void TestInfoMenus::aboutAndZipEditorOpen() {
    QString cdn;
    QString title;
    whenShown<TAboutBox>([&](TAboutBox& a) {
        cdn = child<QLabel>(a, "lblCDN")->text();
        title = a.windowTitle();
        a.accept();
    });
    m_form->findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
    QCOMPARE(title, QStringLiteral("About"));
    QCOMPARE(cdn, QStringLiteral("not downloaded yet"));
    QVERIFY(!QApplication::windowIcon().isNull());

    int rows = -1;
    whenShown<TfrmPostalEditor>([&](TfrmPostalEditor& e) {
        rows = child<QTableView>(e, "dbgrd1")->model()->rowCount();
        e.reject();
    });
    m_form->findChild<QAction*>(QStringLiteral("mnuEditZipCode"))->trigger();
    QCOMPARE(rows, 4);
    QCOMPARE(m_boxes->messages.size(), 0);
}

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QmApplication app(argc, argv);
    TestInfoMenus t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_menus.moc"
