#include "licence/RecordGeometry.h"

#include "core/TextRoutines.h"
#include "core/TimeText.h"

#include <cmath>

QString distanceCaption(TDisType unit) {
    switch (unit) {
    case TDisType::KM: return QStringLiteral("Distance (KM)");
    case TDisType::SM: return QStringLiteral("Distance (SM)");
    default: return QStringLiteral("Distance (NM)");
    }
}

qint64 distanceInUnit(double km, TDisType unit) {
    double d = km;
    if (unit == TDisType::SM)
        d = km * 0.621371192;
    else if (unit != TDisType::KM)
        d = km * 0.539956803;
    // A distance on the earth always fits; anything else (a broken coordinate) shows as 0.
    return std::isfinite(d) && std::fabs(d) < 1e15 ? qint64(std::trunc(d)) : 0;
}

QString sunTimeText(const QDateTime& utcEvent, int offsetSeconds, double latitude, const QDate& date) {
    if (utcEvent.isValid())
        return DateTimeText(utcEvent.addSecs(offsetSeconds));
    // Whether the sun stays up or down: the sign of the noon elevation, with the declination from
    // the usual cosine approximation of the sun's annual path (enough to pick the words).
    const double decl = -23.44 * std::cos(2.0 * M_PI / 365.0 * (date.dayOfYear() + 10));
    const bool up = latitude * decl > 0 && std::fabs(latitude) >= 90.0 - std::fabs(decl) - 0.833;
    return up ? QStringLiteral("Sun up all day") : QStringLiteral("Sun down all day");
}

PlaceFigures placeFigures(const THamUtil& ham, const LatLon& station, double latitude, double longitude, TDisType unit,
                          int offsetSeconds, const QDateTime& now) {
    PlaceFigures f;
    LatLon place;
    place.Latitude = latitude;
    place.Longitude = longitude;
    place.Valid = true;
    f.latitude = FloatText(latitude);
    f.longitude = FloatText(longitude);
    f.grid = ham.LatLongToLocator(place);
    const double azimuth = ham.Azimuth(station, place);
    f.azimuth = QString::number(std::isfinite(azimuth) ? qint64(std::trunc(azimuth)) : 0);
    f.distance = QString::number(distanceInUnit(ham.Distance(station, place), unit));
    QDateTime rise, noon, set;
    ham.CalculateSolarTimes(latitude, longitude, now, rise, noon, set);
    const QDate date = now.date();
    f.sunrise = sunTimeText(rise, offsetSeconds, latitude, date);
    f.solarNoon = sunTimeText(noon, offsetSeconds, latitude, date);
    f.sunset = sunTimeText(set, offsetSeconds, latitude, date);
    return f;
}
