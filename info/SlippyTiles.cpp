#include "info/SlippyTiles.h"

#include "core/Version.h"

#include <algorithm>
#include <cmath>
#include <numbers>

WorldPixel worldPixel(double latitude, double longitude, int zoom) {
    const double worldSize = std::ldexp(double(kTileSize), zoom);
    const double lat = std::clamp(latitude, -kMercatorMaxLatitude, kMercatorMaxLatitude) * std::numbers::pi / 180.0;
    const double lon = std::clamp(longitude, -180.0, 180.0);
    WorldPixel p;
    p.x = (lon + 180.0) / 360.0 * worldSize;
    p.y = (1.0 - std::asinh(std::tan(lat)) / std::numbers::pi) / 2.0 * worldSize;
    return p;
}

TileAddress tileOf(double latitude, double longitude, int zoom) {
    const WorldPixel p = worldPixel(latitude, longitude, zoom);
    const int last = (1 << zoom) - 1;
    // 180 E and the southern edge belong to the last tile, not to one past it.
    const int px = std::min(int(std::floor(p.x)), (last + 1) * kTileSize - 1);
    const int py = std::min(int(std::floor(p.y)), (last + 1) * kTileSize - 1);
    TileAddress t;
    t.zoom = zoom;
    t.x = px / kTileSize;
    t.y = py / kTileSize;
    t.offset = QPoint(px % kTileSize, py % kTileSize);
    return t;
}

QList<TilePlacement> tilesForView(double latitude, double longitude, int zoom, const QSize& view) {
    const WorldPixel centre = worldPixel(latitude, longitude, zoom);
    const int n = 1 << zoom;
    const qint64 left = qint64(std::floor(centre.x)) - view.width() / 2;
    const qint64 top = qint64(std::floor(centre.y)) - view.height() / 2;
    const auto floorDiv = [](qint64 a) { return a >= 0 ? a / kTileSize : -((-a + kTileSize - 1) / kTileSize); };
    QList<TilePlacement> tiles;
    for (qint64 ty = floorDiv(top); ty * kTileSize < top + view.height(); ++ty) {
        if (ty < 0 || ty >= n)
            continue;
        for (qint64 tx = floorDiv(left); tx * kTileSize < left + view.width(); ++tx) {
            TilePlacement t;
            t.zoom = zoom;
            t.x = int(((tx % n) + n) % n);
            t.y = int(ty);
            t.topLeft = QPoint(int(tx * kTileSize - left), int(ty * kTileSize - top));
            tiles.append(t);
        }
    }
    return tiles;
}

int tileZoom(int wanted, int maxZoom) { return std::clamp(wanted, 0, std::max(0, maxZoom)); }

QString tileUrl(const QString& urlTemplate, int zoom, int x, int y) {
    QString url = urlTemplate;
    url.replace(QLatin1String("{z}"), QString::number(zoom));
    url.replace(QLatin1String("{x}"), QString::number(x));
    url.replace(QLatin1String("{y}"), QString::number(y));
    return url;
}

QByteArray programUserAgent() { return QByteArrayLiteral("Quillmarsh/" QM_VERSION_TEXT); }
