#pragma once
// The map request and its rewriting: the address text of the last US record, the static-map
// address built from the service's template, the split into '&' parts whose second is the zoom and
// whose fourth is the map type, and what a request says about zoom and type. Also where the map
// centres without a key: the coordinates of the record's zip code. No widgets.
// Collaborators: ServiceConfig (template, key), TBrowser (the parts), the Google Maps menu entry.

#include "core/Database.h"
#include "core/Query.h"
#include "core/Services.h"
#include "geo/HamCalc.h"

#include <QString>
#include <QStringList>
#include <optional>

// "#" removed, a space appended to address and city, spaces as "+", then the state. Characters that
// carry meaning in a query (&, ?, +, %) are percent-encoded first, so that they stay in the address.
QString mapAddressText(const QString& address, const QString& city, const QString& state);
// The template with every myaddress, _width and _height filled, then the key appended.
QString staticMapUrl(const ServiceConfig& services, const QString& addressText, int width = 1024, int height = 768);

QStringList mapUrlParts(const QString& url);
QString joinMapUrlParts(const QStringList& parts);
// The second part becomes "zoom=<zoom>"; the fourth "maptype=hybrid" or "maptype=roadmap".
void setZoomPart(QStringList& parts, int zoom);
void setMapTypePart(QStringList& parts, bool hybrid);

// What an address asks for: the zoom of its zoom= parameter (16 when none is readable) and
// whether its map type is hybrid.
struct MapRequest {
    int zoom = 16;
    bool hybrid = false;
};
MapRequest mapRequestOf(const QString& url);

// The coordinates of a zip code (first five characters, as the record display looks it up);
// nothing when the table has no such code.
std::optional<LatLon> zipCoordinates(Database& zipdb, const QString& zip);
