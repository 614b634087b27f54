#include "InfoTests.h"

#include "core/Services.h"
#include "info/MapUrls.h"
#include "info/TBrowser.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WidgetLookup.h"

#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace {

QByteArray png(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

const QColor kTileColour(0x40, 0xA0, 0x60);
const QColor kStaticColour(0xC0, 0x30, 0x90);

LatLon tucson() {
    LatLon p;
    p.Latitude = 32.2217;
    p.Longitude = -110.9265;
    p.Valid = true;
    return p;
}

QString base(const TestHttpServer& server) {
    QString b = server.url("/").toString();
    b.chop(1);
    return b;
}

QString pathText(const QByteArray& path) { return QString::fromLatin1(path); }

// Waits until the view has no request outstanding and the server has answered at least one.
bool settled(const TBrowser& b, const TestHttpServer& server) {
    for (int i = 0; i < 500; ++i) {
        if (server.requests() > 0 && !b.view()->isLoading())
            return true;
        QTest::qWait(10);
    }
    return false;
}

ServiceConfig tileServices(const TestHttpServer& server) {
    ServiceConfig s;
    s.StaticMapService = base(server);
    s.StaticMapKey.clear();
    s.MapTileUrl = base(server) + QStringLiteral("/tiles/{z}/{x}/{y}.png");
    s.MapTileMaxZoom = 19;
    return s;
}

QString tucsonRequest(const ServiceConfig& s) {
    return staticMapUrl(s, mapAddressText(QStringLiteral("1 Elm St"), QStringLiteral("Tucson"), QStringLiteral("AZ")));
}

} // namespace

void TestMapWindow::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
}

void TestMapWindow::staticMapFollowsZoomAndType() {
    TestHttpServer server;
    server.fallback(Route::answer(200, "OK", png(QSize(1024, 768), kStaticColour)));
    ServiceConfig s;
    s.StaticMapService = base(server);
    s.StaticMapKey = QStringLiteral("TESTKEY");
    TBrowser b(nullptr, s, std::nullopt);
    QVERIFY(!b.usesTiles());
    b.show();
    b.load(tucsonRequest(s));
    QVERIFY(settled(b, server));

    QCOMPARE(child<QScrollBar>(b, "scrlbr1")->value(), 16);
    QVERIFY(child<QRadioButton>(b, "rbRoadMap")->isChecked());
    QCOMPARE(server.paths().size(), 1);
    QCOMPARE(pathText(server.paths().last()),
             QStringLiteral("/maps/api/staticmap?center=1+Elm+St+Tucson+AZ&zoom=16&size=1024x768&maptype=roadmap"
                            "&markers=color:blue%7Clabel:S%7C1+Elm+St+Tucson+AZ&sensor=false&key=TESTKEY"));
    QVERIFY(server.lastUserAgent().startsWith("Quillmarsh/"));
    QCOMPARE(b.view()->statusText(), QString());
    const QImage shot = b.view()->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() / 2, shot.height() / 2), kStaticColour);

    child<QScrollBar>(b, "scrlbr1")->setValue(12);
    QTRY_COMPARE(server.requests(), 2);
    QVERIFY(pathText(server.paths().last()).contains(QStringLiteral("&zoom=12&size=1024x768&maptype=roadmap&")));
    QTest::mouseClick(child<QRadioButton>(b, "rbHybird"), Qt::LeftButton);
    QTRY_COMPARE(server.requests(), 3);
    QVERIFY(pathText(server.paths().last()).contains(QStringLiteral("&zoom=12&size=1024x768&maptype=hybrid&")));
    QCOMPARE(child<QLineEdit>(b, "edtURL")->text(), b.currentUrl());
    QCOMPARE(mapUrlParts(b.currentUrl()).at(3), QStringLiteral("maptype=hybrid"));

    // Go asks for the box's text as it stands; the parts are not changed by it.
    auto* box = child<QLineEdit>(b, "edtURL");
    box->setText(box->text().replace(QStringLiteral("zoom=12"), QStringLiteral("zoom=3")));
    QTest::mouseClick(child<QPushButton>(b, "btnGo"), Qt::LeftButton);
    QTRY_COMPARE(server.requests(), 4);
    QVERIFY(pathText(server.paths().last()).contains(QStringLiteral("&zoom=3&")));
    QCOMPARE(mapUrlParts(b.currentUrl()).at(1), QStringLiteral("zoom=12"));
}

void TestMapWindow::staticMapFailureIsShown_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("said");
    QTest::newRow("not found") << 404 << QByteArray("<html>no</html>") << "HTTP 404 Not Found";
    QTest::newRow("forbidden key") << 403 << QByteArray("The provided API key is invalid.") << "HTTP 403";
    QTest::newRow("not an image") << 200 << QByteArray("<html>hello</html>") << "no image";
    // Far more than any map: refused once that much has come, not read whole into memory.
    QTest::newRow("endless answer") << 200 << QByteArray((9 << 20) + 1, 'x') << "larger than 8 MiB";
    QTest::newRow("nobody listens") << 0 << QByteArray() << "refused";
}

void TestMapWindow::staticMapFailureIsShown() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, said);
    TestHttpServer server;
    const QByteArray reason = status == 404 ? "Not Found" : status == 403 ? "Forbidden" : "OK";
    server.fallback(Route::answer(status, reason, body));
    ServiceConfig s;
    s.StaticMapService = status == 0 ? TestHttpServer::refusedUrl().adjusted(QUrl::RemovePath).toString() : base(server);
    s.StaticMapKey = QStringLiteral("TESTKEY");
    TBrowser b(nullptr, s, tucson());
    b.show();
    b.load(tucsonRequest(s));
    QTRY_VERIFY_WITH_TIMEOUT(!b.view()->isLoading(), 10000);
    QVERIFY2(b.view()->statusText().contains(said, Qt::CaseInsensitive), qPrintable(b.view()->statusText()));
    QVERIFY(b.view()->findChild<QWidget*>(QStringLiteral("lblMapStatus"))->isVisible());
}

void TestMapWindow::tilesWithoutKey() {
    TestHttpServer server;
    server.fallback(Route::answer(200, "OK", png(QSize(256, 256), kTileColour)));
    const ServiceConfig s = tileServices(server);
    TBrowser b(nullptr, s, tucson());
    QVERIFY(b.usesTiles());
    b.resize(900, 760);
    b.show();
    b.load(tucsonRequest(s));
    QVERIFY(settled(b, server));

    QCOMPARE(child<QLineEdit>(b, "edtURL")->text(), tucsonRequest(s));
    QVERIFY(server.paths().contains("/tiles/16/12574/26566.png"));
    for (const QByteArray& p : server.paths())
        QVERIFY2(p.startsWith("/tiles/16/"), p.constData());
    const QList<QByteArray> paths = server.paths();
    QCOMPARE(b.view()->tilesShown(), int(QSet<QByteArray>(paths.begin(), paths.end()).size()));
    QVERIFY(b.view()->tilesShown() >= 9);
    QVERIFY(server.lastUserAgent().startsWith("Quillmarsh/"));
    QCOMPARE(b.view()->statusText(), QString());
    QCOMPARE(b.view()->attributionText(), QStringLiteral("\u00A9 OpenStreetMap contributors"));

    // What a person sees: tile colour away from the middle, the blue marker head above the point.
    const QImage shot = b.view()->grab().toImage();
    const QPoint centre(shot.width() / 2, shot.height() / 2);
    QCOMPARE(shot.pixelColor(30, 30), kTileColour);
    const QColor head = shot.pixelColor(centre + QPoint(-8, -26));
    QVERIFY2(head.blue() > 180 && head.red() < 90, qPrintable(head.name()));
    QCOMPARE(shot.pixelColor(centre + QPoint(60, 60)), kTileColour);

    // Moving the zoom bar asks for the tiles of the new zoom around the same point.
    child<QScrollBar>(b, "scrlbr1")->setValue(10);
    QTRY_VERIFY(server.paths().contains("/tiles/10/196/415.png"));
    QTRY_VERIFY(!b.view()->isLoading());
    QCOMPARE(b.view()->tileZoomShown(), 10);
}

void TestMapWindow::tileZoomClampedAndGoReadsBox() {
    TestHttpServer server;
    server.fallback(Route::answer(200, "OK", png(QSize(256, 256), kTileColour)));
    const ServiceConfig s = tileServices(server);
    TBrowser b(nullptr, s, tucson());
    b.show();
    b.load(tucsonRequest(s));
    QVERIFY(settled(b, server));

    child<QScrollBar>(b, "scrlbr1")->setValue(21);
    QTRY_VERIFY(!b.view()->isLoading());
    QCOMPARE(mapUrlParts(b.currentUrl()).at(1), QStringLiteral("zoom=21"));
    QCOMPARE(b.view()->tileZoomShown(), 19);
    QVERIFY(pathText(server.paths().last()).startsWith(QStringLiteral("/tiles/19/")));
    for (const QByteArray& p : server.paths())
        QVERIFY2(!p.startsWith("/tiles/2"), p.constData());

    auto* box = child<QLineEdit>(b, "edtURL");
    box->setText(box->text().replace(QStringLiteral("zoom=21"), QStringLiteral("zoom=5")));
    QTest::mouseClick(child<QPushButton>(b, "btnGo"), Qt::LeftButton);
    QTRY_VERIFY(!b.view()->isLoading());
    QCOMPARE(b.view()->tileZoomShown(), 5);
    QVERIFY(pathText(server.paths().last()).startsWith(QStringLiteral("/tiles/5/")));
}

void TestMapWindow::hybridUsesImageryOnlyWhenSet() {
    TestHttpServer server;
    server.fallback(Route::answer(200, "OK", png(QSize(256, 256), kTileColour)));
    ServiceConfig s = tileServices(server);
    {
        TBrowser b(nullptr, s, tucson());
        b.show();
        b.load(tucsonRequest(s));
        QVERIFY(settled(b, server));
        const int before = server.requests();
        QTest::mouseClick(child<QRadioButton>(b, "rbHybird"), Qt::LeftButton);
        QTRY_VERIFY(!b.view()->isLoading());
        QVERIFY(b.currentUrl().contains(QStringLiteral("&maptype=hybrid&")));
        // No imagery server: the road tiles already held stay, nothing new is asked for.
        QCOMPARE(server.requests(), before);
        QCOMPARE(b.view()->attributionText(), QStringLiteral("\u00A9 OpenStreetMap contributors"));
    }
    s.MapImageryTileUrl = base(server) + QStringLiteral("/imagery/{z}/{y}/{x}.jpg");
    s.MapImageryAttribution = QStringLiteral("Imagery test credit");
    TBrowser b(nullptr, s, tucson());
    b.show();
    b.load(tucsonRequest(s));
    QVERIFY(settled(b, server));
    QTest::mouseClick(child<QRadioButton>(b, "rbHybird"), Qt::LeftButton);
    QTRY_VERIFY(server.paths().contains("/imagery/16/26566/12574.jpg"));
    QTRY_VERIFY(!b.view()->isLoading());
    QCOMPARE(b.view()->attributionText(), QStringLiteral("Imagery test credit"));
    QTest::mouseClick(child<QRadioButton>(b, "rbRoadMap"), Qt::LeftButton);
    QTRY_VERIFY(!b.view()->isLoading());
    QCOMPARE(b.view()->attributionText(), QStringLiteral("\u00A9 OpenStreetMap contributors"));
}

void TestMapWindow::tileFailureAndNoPlace() {
    TestHttpServer server;   // every tile: 404
    const ServiceConfig s = tileServices(server);
    {
        TBrowser b(nullptr, s, tucson());
        b.show();
        b.load(tucsonRequest(s));
        QVERIFY(settled(b, server));
        QVERIFY2(b.view()->statusText().contains(QStringLiteral("HTTP 404 Not Found")), qPrintable(b.view()->statusText()));
        QCOMPARE(b.view()->tilesShown(), 0);
    }
    TBrowser b(nullptr, s, std::nullopt, QStringLiteral("No US record has been shown yet."));
    b.show();
    const int before = server.requests();
    b.load(staticMapUrl(s, mapAddressText(QString(), QString(), QString())));
    QCOMPARE(b.view()->statusText(), QStringLiteral("No US record has been shown yet."));
    // Nothing was asked for: no reply is outstanding that could reach the server later.
    QVERIFY(!b.view()->isLoading());
    QCoreApplication::processEvents();
    QCOMPARE(server.requests(), before);
    QVERIFY(b.currentUrl().contains(QStringLiteral("center=++&zoom=16")));
}
