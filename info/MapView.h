#pragma once
// MapView: the map area of the map window. Either one image fetched from an address (the
// static-map service), or a map put together from slippy-map tiles around a point with a blue "S"
// marker at the point and the tile server's credit in the corner. Whatever fails to load is said
// in the view (HTTP status or network error); the area is never left blank without a word.
// Collaborators: SlippyTiles (which tiles, where), QNetworkAccessManager (the requests, with the
// program's user agent), TBrowser (tells it what to show).

#include "geo/HamCalc.h"

#include <QHash>
#include <QImage>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QLabel;
class QNetworkReply;

// A tile server: its template, highest zoom and credit.
struct TileSource {
    QString urlTemplate;
    int maxZoom = 19;
    QString attribution;
};

class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);
    ~MapView() override;

    void showImage(const QUrl& url);
    void showTiles(const TileSource& source, const LatLon& centre, int zoom);
    void showMessage(const QString& text);

    bool isLoading() const { return !m_pending.isEmpty(); }
    // What the view says over the map: a failure, a note, or nothing.
    QString statusText() const;
    QString attributionText() const;
    // In tile mode: the zoom the tiles are at (the wanted one clamped to the server's range).
    int tileZoomShown() const { return m_zoom; }
    int tilesShown() const;
    QStringList failures() const { return m_failures; }

signals:
    // No request is outstanding any more (every answer arrived or failed).
    void settled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Mode { Message, Image, Tiles };
    void reset(Mode mode);
    QNetworkReply* get(const QUrl& url);
    void imageArrived(QNetworkReply* reply);
    void tileArrived(QNetworkReply* reply, const QString& url);
    void requestVisibleTiles();
    void setStatus(const QString& text);
    void placeLabels();
    void finishReply(QNetworkReply* reply);
    void drawMarker(QPainter& p, QPoint at) const;

    QNetworkAccessManager m_network;
    Mode m_mode = Mode::Message;
    QImage m_image;
    TileSource m_source;
    LatLon m_centre;
    int m_zoom = 0;
    QHash<QString, QImage> m_tiles;   // by address; kept across zoom changes and resizes
    QHash<QNetworkReply*, QString> m_pending;
    QStringList m_failures;
    QLabel* lblMapStatus = nullptr;
    QLabel* lblAttribution = nullptr;
};

// Why a reply brought no map: "HTTP 404 Not Found", or the network error's text.
QString replyFailure(QNetworkReply* reply);
