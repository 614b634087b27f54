#include "InfoTests.h"

#include "core/Services.h"
#include "info/MapUrls.h"
#include "info/SlippyTiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

void TestMapUrls::addressText_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << "1200 N Main St" << "Tucson" << "AZ" << "1200+N+Main+St+Tucson+AZ";
    QTest::newRow("number sign removed") << "12 Oak St #4" << "Tucson" << "AZ" << "12+Oak+St+4+Tucson+AZ";
    QTest::newRow("no record yet") << "" << "" << "" << "++";
    QTest::newRow("two-word city") << "PO Box 12" << "Salt Lake City" << "UT" << "PO+Box+12+Salt+Lake+City+UT";
    QTest::newRow("ampersand stays in the address") << "A & B Rd" << "Tucson" << "AZ" << "A+%26+B+Rd+Tucson+AZ";
    QTest::newRow("plus question percent") << "1+1 Rd ?" << "50% Town" << "AZ" << "1%2B1+Rd+%3F+50%25+Town+AZ";
}

void TestMapUrls::addressText() {
    QFETCH(QString, address);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(QString, text);
    QCOMPARE(mapAddressText(address, city, state), text);
}

void TestMapUrls::requestAndItsParts() {
    ServiceConfig s;
    s.StaticMapService = QStringLiteral("http://127.0.0.1:9/maps/");
    s.StaticMapKey = QStringLiteral("AIzaSyA-123456789012345678901234567890");
    const QString url = staticMapUrl(s, mapAddressText(QStringLiteral("1200 N Main St"), QStringLiteral("Tucson"), QStringLiteral("AZ")));
    QCOMPARE(url, QStringLiteral("http://127.0.0.1:9/maps/maps/api/staticmap?center=1200+N+Main+St+Tucson+AZ&zoom=16&size=1024x768"
                                 "&maptype=roadmap&markers=color:blue%7Clabel:S%7C1200+N+Main+St+Tucson+AZ&sensor=false"
                                 "&key=AIzaSyA-123456789012345678901234567890"));
    const QStringList parts = mapUrlParts(url);
    QCOMPARE(parts.size(), 7);
    QCOMPARE(parts.at(1), QStringLiteral("zoom=16"));
    QCOMPARE(parts.at(3), QStringLiteral("maptype=roadmap"));

    // An ampersand in the address neither adds a part nor moves zoom and map type; an address
    // that looks like a placeholder stays as it is.
    const QStringList odd = mapUrlParts(staticMapUrl(s, mapAddressText(QStringLiteral("A & B _width Rd"), QString(), QString())));
    QCOMPARE(odd.size(), 7);
    QCOMPARE(odd.at(0).section(QLatin1Char('='), 1), QStringLiteral("A+%26+B+_width+Rd++"));
    QCOMPARE(odd.at(1), QStringLiteral("zoom=16"));
    QCOMPARE(odd.at(2), QStringLiteral("size=1024x768"));
}

void TestMapUrls::zoomAndTypeRewriting() {
    ServiceConfig s;
    QStringList parts = mapUrlParts(staticMapUrl(s, QStringLiteral("1+Elm+St+Tucson+AZ")));
    const QStringList original = parts;
    setZoomPart(parts, 12);
    QCOMPARE(parts.at(1), QStringLiteral("zoom=12"));
    setMapTypePart(parts, true);
    const QString hybrid = joinMapUrlParts(parts);
    QVERIFY(hybrid.contains(QStringLiteral("&zoom=12&size=1024x768&maptype=hybrid&markers=")));
    QCOMPARE(mapRequestOf(hybrid).zoom, 12);
    QVERIFY(mapRequestOf(hybrid).hybrid);
    setMapTypePart(parts, false);
    setZoomPart(parts, 16);
    QCOMPARE(parts, original);
    QVERIFY(!mapRequestOf(joinMapUrlParts(parts)).hybrid);
    QCOMPARE(mapRequestOf(QStringLiteral("http://127.0.0.1:9/y?zoom=abc")).zoom, 16);
    QCOMPARE(mapRequestOf(QStringLiteral("no query at all")).zoom, 16);
}

void TestMapUrls::lookupLinks() {
    ServiceConfig s;
    s.QrzSite = QStringLiteral("http://127.0.0.1:9/qrz/");
    s.UlsSite = QStringLiteral("http://127.0.0.1:9/uls");
    QCOMPARE(s.qrzPageUrl(QStringLiteral("K7ABC")), QStringLiteral("http://127.0.0.1:9/qrz/db/K7ABC"));
    QCOMPARE(s.qrzPageUrl(QString()), QStringLiteral("http://127.0.0.1:9/qrz/db/"));
    QCOMPARE(s.ulsLicenceUrl(QStringLiteral("101")), QStringLiteral("http://127.0.0.1:9/uls/UlsApp/UlsSearch/license.jsp?licKey=101"));
    QCOMPARE(s.ulsLicenceUrl(QString()), QStringLiteral("http://127.0.0.1:9/uls/UlsApp/UlsSearch/license.jsp?licKey="));
}

void TestMapUrls::serviceKeysFromIni() {
    const ServiceConfig shipped = loadServiceConfig(qEnvironmentVariable("QM_DIST_DIR") + QStringLiteral("/services.ini"));
    QCOMPARE(shipped.StaticMapKey, QString());
    QCOMPARE(shipped.MapTileUrl, QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png"));
    QCOMPARE(shipped.MapTileMaxZoom, 19);
    QCOMPARE(shipped.MapTileAttribution, QStringLiteral("\u00A9 OpenStreetMap contributors"));
    QCOMPARE(shipped.MapImageryTileUrl, QString());

    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("services.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Services]\nStaticMapKey=KEY\nMapImageryTileUrl=http://127.0.0.1:9/{z}/{y}/{x}.jpg\n"
            "MapImageryAttribution=Imagery \xC2\xA9 Someone, Others\nMapTileMaxZoom=30\nMapImageryMaxZoom=x\n");
    f.close();
    const ServiceConfig c = loadServiceConfig(f.fileName());
    QCOMPARE(c.StaticMapKey, QStringLiteral("KEY"));
    QCOMPARE(c.MapImageryTileUrl, QStringLiteral("http://127.0.0.1:9/{z}/{y}/{x}.jpg"));
    QCOMPARE(c.MapImageryAttribution, QStringLiteral("Imagery \u00A9 Someone, Others"));
    QCOMPARE(c.MapTileMaxZoom, 21);
    QCOMPARE(c.MapImageryMaxZoom, 19);
    QCOMPARE(c.MapTileUrl, shipped.MapTileUrl);
}

void TestMapUrls::tileOfPoint_data() {
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QPoint>("offset");
    QTest::newRow("world at zoom 0") << 0.0 << 0.0 << 0 << 0 << 0 << QPoint(128, 128);
    QTest::newRow("null island at zoom 1") << 0.0 << 0.0 << 1 << 1 << 1 << QPoint(0, 0);
    QTest::newRow("London z5") << 51.5074 << -0.1278 << 5 << 15 << 10 << QPoint(253, 164);
    QTest::newRow("Newington z10") << 41.6869 << -72.7305 << 10 << 305 << 381 << QPoint(31, 82);
    QTest::newRow("Tucson z16") << 32.2217 << -110.9265 << 16 << 12574 << 26566 << QPoint(114, 21);
    QTest::newRow("Sydney z12") << -33.8688 << 151.2093 << 12 << 3768 << 2457 << QPoint(109, 250);
    QTest::newRow("north-west corner") << 85.0511 << -180.0 << 3 << 0 << 0 << QPoint(0, 0);
    QTest::newRow("south-east corner stays inside") << -89.0 << 180.0 << 2 << 3 << 3 << QPoint(255, 255);
}

void TestMapUrls::tileOfPoint() {
    QFETCH(double, lat);
    QFETCH(double, lon);
    QFETCH(int, zoom);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QPoint, offset);
    const TileAddress t = tileOf(lat, lon, zoom);
    QCOMPARE(t.x, x);
    QCOMPARE(t.y, y);
    QCOMPARE(t.offset, offset);
}

void TestMapUrls::tilesCoverView() {
    // Null island at zoom 1 in a 512 square: the four tiles of the world, meeting in the middle.
    QList<TilePlacement> tiles = tilesForView(0, 0, 1, QSize(512, 512));
    QCOMPARE(tiles.size(), 4);
    QCOMPARE(tiles.at(0).topLeft, QPoint(0, 0));
    QCOMPARE(QPoint(tiles.at(0).x, tiles.at(0).y), QPoint(0, 0));
    QCOMPARE(tiles.at(3).topLeft, QPoint(256, 256));
    QCOMPARE(QPoint(tiles.at(3).x, tiles.at(3).y), QPoint(1, 1));

    // Tucson at zoom 16 in 800 by 600: its tile is placed so that the point falls on the centre.
    tiles = tilesForView(32.2217, -110.9265, 16, QSize(800, 600));
    QCOMPARE(tiles.size(), 5 * 4);   // 286 px left of the tile, 514 right; 279 above, 321 below
    bool found = false;
    for (const TilePlacement& t : tiles)
        if (t.x == 12574 && t.y == 26566) {
            found = true;
            QCOMPARE(t.topLeft + QPoint(114, 21), QPoint(400, 300));
        }
    QVERIFY(found);

    // Next to the date line the view wraps round to the other side of the world; beyond the
    // poles there are no rows.
    tiles = tilesForView(0, 179.9, 2, QSize(600, 200));
    QList<int> xs;
    for (const TilePlacement& t : tiles)
        xs << t.x;
    QVERIFY(xs.contains(3) && xs.contains(0));
    for (const TilePlacement& t : tilesForView(85.0, 0, 0, QSize(600, 600)))
        QVERIFY(t.y == 0 && t.x == 0);
    QCOMPARE(tilesForView(85.0, 0, 0, QSize(600, 600)).size(), 3);
}

void TestMapUrls::tileZoomAndAddress() {
    QCOMPARE(tileZoom(21, 19), 19);
    QCOMPARE(tileZoom(-3, 19), 0);
    QCOMPARE(tileZoom(12, 19), 12);
    QCOMPARE(tileUrl(QStringLiteral("http://127.0.0.1:9/{z}/{x}/{y}.png?k={z}"), 16, 12574, 26566),
             QStringLiteral("http://127.0.0.1:9/16/12574/26566.png?k=16"));
    QVERIFY(programUserAgent().startsWith("Quillmarsh/1."));
}
