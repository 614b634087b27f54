#pragma once
// TBrowser ("Browser"): the map window. It holds the map request of the last US record, shows its
// text, and rewrites its zoom and map-type parts from the zoom bar and the two display modes. With
// a static-map key the request itself is fetched and shown; without one the map is put together
// from slippy-map tiles around the record's zip code, following the same zoom and map type.
// Collaborators: MapUrls (parts, what a request asks for), MapView below (fetching and drawing),
// ServiceConfig (key, tile servers), the Google Maps menu entry (builds the request, opens this).

#include "core/Services.h"
#include "geo/HamCalc.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QNetworkAccessManager>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QNetworkReply;
class QPushButton;
class QRadioButton;
class QScrollBar;

// MapView: the map area of the map window. Either one image fetched from an address (the
// static-map service), or a map put together from slippy-map tiles around a point with a blue "S"
// marker at the point and the tile server's credit in the corner. Whatever fails to load is said
// in the view (HTTP status or network error); the area is never left blank without a word.
// Collaborators: SlippyTiles (which tiles, where), QNetworkAccessManager (the requests, with the
// program's user agent), TBrowser (tells it what to show).

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

class TBrowser : public QDialog {
    Q_OBJECT
public:
    // centre: where a tile map centres (the record's zip code); noCentreText says why there is none.
    TBrowser(QWidget* owner, const ServiceConfig& services, std::optional<LatLon> centre, const QString& noCentreText = {});

    // Takes the request, shows it and the map, then runs the window modally.
    int Execute(const QString& uri);
    // Everything Execute does except running the window (tests and Execute).
    void load(const QString& uri);

    QString currentUrl() const { return FURL; }
    bool usesTiles() const { return m_tiles; }
    MapView* view() const { return wb1; }

    void btnGoClick();
    void rbRoadMapClick();
    void rbHybirdClick();
    void scrlbr1Scroll(int position);

private:
    void Rebuild();
    void navigate(const QString& url);

    ServiceConfig m_services;
    std::optional<LatLon> m_centre;
    QString m_noCentreText;
    bool m_tiles = false;
    QString FURL;
    QStringList FParts;

    QWidget* pnl1 = nullptr;
    QLineEdit* edtURL = nullptr;
    QPushButton* btnGo = nullptr;
    QLabel* lbl1 = nullptr;
    QRadioButton* rbRoadMap = nullptr;
    QRadioButton* rbHybird = nullptr;
    QLabel* lbl2 = nullptr;
    QScrollBar* scrlbr1 = nullptr;
    QWidget* pnl2 = nullptr;
    MapView* wb1 = nullptr;
};
