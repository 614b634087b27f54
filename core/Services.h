#pragma once
// The hosts of the outside services (the two data servers, the update site, the static-map
// service and its key, the two look-up sites), read from the shipped services.ini, and the
// addresses the program builds from them.

#include <QString>

struct ServiceConfig {
    QString FccDataServer = QStringLiteral("https://data.fcc.gov");
    QString CanadaDataServer = QStringLiteral("http://apc-cap.ic.gc.ca");
    QString UpdateSite;
    QString StaticMapService = QStringLiteral("https://maps.googleapis.com");
    QString StaticMapKey;
    QString QrzSite = QStringLiteral("http://www.qrz.com");
    QString UlsSite = QStringLiteral("http://wireless2.fcc.gov");
    // The map without a static-map key: slippy-map tile templates ({z}, {x}, {y}), the highest
    // zoom each server offers and the credit its licence asks for. No imagery template keeps
    // the hybrid choice on the road map.
    QString MapTileUrl = QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
    int MapTileMaxZoom = 19;
    QString MapTileAttribution = QStringLiteral("\u00A9 OpenStreetMap contributors");
    QString MapImageryTileUrl;
    int MapImageryMaxZoom = 19;
    QString MapImageryAttribution;

    QString amateurArchiveUrl() const;
    QString gmrsArchiveUrl() const;
    // The FCC's daily archive of one service ("l_am_tue.zip"); dayOfWeek 0 is Sunday.
    QString dailyArchiveUrl(bool amateur, int dayOfWeek) const;
    QString canadianArchiveUrl() const;
    QString versionFileUrl() const;     // empty when no update site is configured
    QString setupDownloadUrl() const;
    // The look-up pages: the value is appended as it is.
    QString qrzPageUrl(const QString& callsign) const;
    QString ulsLicenceUrl(const QString& usi) const;
    // The static-map request up to and including "key=", with its placeholders myaddress,
    // _width and _height still in it; the key is appended after they are filled.
    QString staticMapTemplate() const;
};

// services.ini from the places findShippedFile searches; the built-in values when
// the file is absent. A key left out keeps its built-in value.
// The shipped services.ini. Without one the built-in servers are used, and `notice`, when given,
// says so and names them (the program tells it once; an installation without the file is broken).
ServiceConfig loadServiceConfig(QString* notice = nullptr);
ServiceConfig loadServiceConfig(const QString& iniFile);

// The update rule: true when, at any of the four places, the published number is greater than
// the own one. A text without four decimal numbers means no update.
bool isUpdateAvailable(const QString& published, const QString& own);
