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

LookupServiceChoice lookupServiceChoice(const TSettings& settings) {
    LookupServiceChoice choice;
    choice.serve = settings.GetSetting(QStringLiteral("ServeLookups"), false);
    // A stored port out of range (an edited file) is the default again, as the box would refuse it.
    const int port = settings.GetSetting(QStringLiteral("ServerPort"), 8888);
    choice.port = port >= 1024 && port <= 65535 ? static_cast<quint16>(port) : 8888;
    return choice;
}

void storeLookupServiceChoice(TSettings& settings, const LookupServiceChoice& choice) {
    settings.SaveSetting(QStringLiteral("ServeLookups"), choice.serve);
    settings.SaveSetting(QStringLiteral("ServerPort"), static_cast<int>(choice.port));
}

std::optional<quint16> readServerPort(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 5)
        return std::nullopt;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const int port = t.toInt();
    if (port < 1024 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

QString serverPortProblem(const QString& text) {
    return QStringLiteral("Server Port: \"%1\" is not a port this program can use. Enter a whole number from 1024 to 65535.").arg(text);
}
