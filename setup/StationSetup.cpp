#include "setup/StationSetup.h"

#include "core/ZipCodes.h"

#include <QLocale>

QString fixedCoordinateText(double value) { return QLocale().toString(value, 'f', 6).rightJustified(8, QLatin1Char(' ')); }

std::optional<double> readCoordinate(const QString& text, Coordinate which) {
    bool ok = false;
    const double v = QLocale().toDouble(text.trimmed(), &ok);
    const double limit = which == Coordinate::Latitude ? 90.0 : 180.0;
    // The comparison also turns away NaN and the infinities.
    if (!ok || !(v >= -limit && v <= limit))
        return std::nullopt;
    return v;
}

QString coordinateProblem(const QString& text, Coordinate which) {
    return which == Coordinate::Latitude
               ? QStringLiteral("Latitude: \"%1\" is not a latitude. Enter a number from -90 to 90.").arg(text)
               : QStringLiteral("Longitude: \"%1\" is not a longitude. Enter a number from -180 to 180.").arg(text);
}

std::optional<PostalLocation> postalCodeLocation(Database& zipdb, const QString& code) {
    const ZipGeography g = zipGeography(zipdb, code);
    // A code that stands twice in the table gives no single place.
    if (!g.found || !g.unique)
        return std::nullopt;
    return PostalLocation{g.latitude, g.longitude};
}

void storeStation(TGlobalProps& props, TSettings& settings, const StationValues& values) {
    props.setLatitude(settings, values.latitude);
    props.setLongitude(settings, values.longitude);
    props.setGridSquare(settings, values.gridSquare);
    props.setIsUTC(settings, values.isUtc);
    props.setDisType(settings, values.disType);
}
