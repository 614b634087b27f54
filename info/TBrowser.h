#pragma once
// TBrowser ("Browser"): the map window. It holds the map request of the last US record, shows its
// text, and rewrites its zoom and map-type parts from the zoom bar and the two display modes. With
// a static-map key the request itself is fetched and shown; without one the map is put together
// from slippy-map tiles around the record's zip code, following the same zoom and map type.
// Collaborators: MapUrls (parts, what a request asks for), MapView (fetching and drawing),
// ServiceConfig (key, tile servers), the Google Maps menu entry (builds the request, opens this).

#include "core/Services.h"
#include "geo/HamCalc.h"

#include <QDialog>
#include <QStringList>
#include <optional>

class MapView;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

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
