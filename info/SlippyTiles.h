#pragma once
// Slippy-map tile arithmetic (the OpenStreetMap tile scheme: spherical Web Mercator, EPSG:3857,
// 256-pixel tiles, 2^zoom tiles a side, x from 180 W eastward, y from 85.0511 N southward) and
// the tiles that cover a view centred on a point. No widgets, no network.
// Collaborators: MapView (fetches and draws the tiles), ServiceConfig (templates, highest zoom).

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

constexpr int kTileSize = 256;
// Latitudes beyond this do not exist in the projection.
constexpr double kMercatorMaxLatitude = 85.05112878;

// The point in world pixels at the zoom: x from 0 at 180 W, y from 0 at the top edge.
struct WorldPixel {
    double x = 0;
    double y = 0;
};
WorldPixel worldPixel(double latitude, double longitude, int zoom);

// The tile holding the point, and the point's pixel inside it.
struct TileAddress {
    int x = 0;
    int y = 0;
    int zoom = 0;
    QPoint offset;   // 0..255 both ways
};
TileAddress tileOf(double latitude, double longitude, int zoom);

// One tile of a view: its numbers (x wrapped round the world) and where its top-left corner goes.
struct TilePlacement {
    int x = 0;
    int y = 0;
    int zoom = 0;
    QPoint topLeft;
};
// Every tile that covers a view of the size with the point at its centre (integer pixel, rounded
// down). Rows beyond the poles are left out.
QList<TilePlacement> tilesForView(double latitude, double longitude, int zoom, const QSize& view);

// The zoom the server is asked for: the wanted one within 0..maxZoom.
int tileZoom(int wanted, int maxZoom);
// The template with {z}, {x} and {y} filled.
QString tileUrl(const QString& urlTemplate, int zoom, int x, int y);
// How the program names itself to tile servers: "Quillmarsh/<version>".
QByteArray programUserAgent();
