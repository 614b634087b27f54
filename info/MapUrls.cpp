#include "info/MapUrls.h"

#include "core/ZipCodes.h"

#include <QUrlQuery>

namespace {

QString encodeQueryCharacters(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '%': out += QLatin1String("%25"); break;
        case '&': out += QLatin1String("%26"); break;
        case '+': out += QLatin1String("%2B"); break;
        case '?': out += QLatin1String("%3F"); break;
        default: out += c;
        }
    }
    return out;
}

QString addressPiece(const QString& text) {
    QString t = text;
    t.remove(QLatin1Char('#'));
    t = encodeQueryCharacters(t) + QLatin1Char(' ');
    t.replace(QLatin1Char(' '), QLatin1Char('+'));
    return t;
}

} // namespace

QString mapAddressText(const QString& address, const QString& city, const QString& state) {
    return addressPiece(address) + addressPiece(city) + encodeQueryCharacters(state);
}

QString staticMapUrl(const ServiceConfig& services, const QString& addressText, int width, int height) {
    // The size first and the address last, so that nothing in the address is taken for a placeholder.
    QString url = services.staticMapTemplate();
    url.replace(QLatin1String("_width"), QString::number(width));
    url.replace(QLatin1String("_height"), QString::number(height));
    url.replace(QLatin1String("myaddress"), addressText);
    return url + services.StaticMapKey;
}

QStringList mapUrlParts(const QString& url) { return url.split(QLatin1Char('&')); }
QString joinMapUrlParts(const QStringList& parts) { return parts.join(QLatin1Char('&')); }

void setZoomPart(QStringList& parts, int zoom) {
    while (parts.size() < 2)
        parts.append(QString());
    parts[1] = QStringLiteral("zoom=%1").arg(zoom);
}

void setMapTypePart(QStringList& parts, bool hybrid) {
    while (parts.size() < 4)
        parts.append(QString());
    parts[3] = hybrid ? QStringLiteral("maptype=hybrid") : QStringLiteral("maptype=roadmap");
}

MapRequest mapRequestOf(const QString& url) {
    MapRequest r;
    const qsizetype q = url.indexOf(QLatin1Char('?'));
    const QUrlQuery query(q < 0 ? QString() : url.mid(q + 1));
    bool ok = false;
    const int zoom = query.queryItemValue(QStringLiteral("zoom")).trimmed().toInt(&ok);
    if (ok)
        r.zoom = zoom;
    r.hybrid = query.queryItemValue(QStringLiteral("maptype")).trimmed().compare(QLatin1String("hybrid"), Qt::CaseInsensitive) == 0;
    return r;
}

std::optional<LatLon> zipCoordinates(Database& zipdb, const QString& zip) {
    if (zip.trimmed().isEmpty() || !zipdb.isOpen())
        return std::nullopt;
    const ZipGeography g = zipGeography(zipdb, usZipKey(zip));
    if (!g.found)
        return std::nullopt;
    LatLon p;
    p.Latitude = g.latitude;
    p.Longitude = g.longitude;
    p.Valid = true;
    return p;
}
