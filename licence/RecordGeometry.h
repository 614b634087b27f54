#pragma once
// The figures a record display shows for a place: coordinates, grid square, bearing and distance
// from the station in the chosen unit, and the day's sun times with the clock offset applied.
// Logic only (no widgets), so it is tested directly.
// Collaborators: THamUtil (geometry and sun), TimeText (formats).

#include "core/Settings.h"
#include "geo/HamCalc.h"

#include <QDateTime>
#include <QString>

struct PlaceFigures {
    QString latitude;
    QString longitude;
    QString grid;
    QString azimuth;
    QString distance;
    QString sunrise;
    QString solarNoon;
    QString sunset;
};

QString distanceCaption(TDisType unit);
// Kilometres converted to the unit and truncated toward zero.
qint64 distanceInUnit(double km, TDisType unit);
// Sun-time text of a UTC event plus the offset; a missing event (polar day or night) is told in words.
QString sunTimeText(const QDateTime& utcEvent, int offsetSeconds, double latitude, const QDate& date);

PlaceFigures placeFigures(const THamUtil& ham, const LatLon& station, double latitude, double longitude, TDisType unit,
                          int offsetSeconds, const QDateTime& now);
