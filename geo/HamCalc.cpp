#include "geo/HamCalc.h"

#include <QDebug>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr double kEarthRadiusKm = 6367.0;

// Character `base` moved on by a truncated index. An index no character can hold (only reached
// from absurd or non-finite inputs, which are not range-checked) shows as '?' rather than
// overflowing the conversion.
QChar indexChar(char16_t base, double index)
{
    const double t = std::trunc(index);
    if (!(t >= -double(base) && t <= 0xFFFF - double(base)))
        return QLatin1Char('?');
    return QChar(char16_t(base + int(t)));
}

// The hour a count of hours falls in, for the series' fractional year. Only absurd inputs give
// counts beyond a day or two; they are held to a range an int holds instead of overflowing.
int wholeHours(double hours)
{
    if (!std::isfinite(hours))
        return 0;
    return int(std::clamp(std::trunc(hours), -1e6, 1e6));
}

NumberConversionError conversionError(const QString& text, const char* what)
{
    return NumberConversionError(
        QStringLiteral("'%1' is not a valid number of %2").arg(text, QLatin1String(what)).toStdString());
}

} // namespace

THamUtil::THamUtil(Warning warn) : warn_(std::move(warn)) {}

// Maidenhead locator system: fields of 20°×10°, squares of 2°×1°, subsquares of 5'×2.5',
// counted from (-90, -180); truncation puts a boundary point in the cell north/east of it.
QString THamUtil::LatLongToLocator(double Latitude, double Longitude) const
{
    double lon = Longitude + 180.0;
    double lat = Latitude + 90.0;

    const double fieldLon = std::trunc(lon / 20.0);
    const double fieldLat = std::trunc(lat / 10.0);
    lon -= 20.0 * fieldLon;
    lat -= 10.0 * fieldLat;

    const double squareLon = std::trunc(lon / 2.0);
    const double squareLat = std::trunc(lat);
    lon -= 2.0 * squareLon;
    lat -= squareLat;

    QString result(6, Qt::Uninitialized);
    QChar* out = result.data();
    out[0] = indexChar(u'A', fieldLon);
    out[1] = indexChar(u'A', fieldLat);
    out[2] = indexChar(u'0', squareLon);
    out[3] = indexChar(u'0', squareLat);
    out[4] = indexChar(u'A', lon * 12.0);
    out[5] = indexChar(u'A', lat * 24.0);
    return result;
}

QString THamUtil::LatLongToLocator(const LatLon& ll) const
{
    return LatLongToLocator(ll.Latitude, ll.Longitude);
}

// Maidenhead locator system: the centre of the subsquare; four characters stand for subsquare "LL".
LatLon THamUtil::LocatorToLatLong(const QString& value) const
{
    QString loc = value;
    for (QChar& c : loc) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    if (loc.size() < 4)
        loc = QStringLiteral("AA00AA");
    while (loc.size() < 6)
        loc += QLatin1Char('L');

    // anchoredPattern: a plain "$" would also accept a trailing newline.
    thread_local const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-R]{2}[0-9]{2}[A-X]{2}")));

    LatLon ll;
    if (!pattern.match(loc).hasMatch()) {
        const QString text = loc + QStringLiteral(
            " is not a valid grid locator: it needs two letters A to R, two digits "
            "and two letters A to X, such as DM42NF.");
        if (warn_)
            warn_(text);
        else
            qWarning().noquote() << text;
        return ll;
    }

    const auto letter = [&](int i) { return double(loc.at(i).unicode() - u'A'); };
    const auto digit = [&](int i) { return double(loc.at(i).unicode() - u'0'); };
    ll.Latitude = 10.0 * letter(1) - 90.0 + digit(3) + letter(5) / 24.0 + 1.0 / 48.0;
    ll.Longitude = 20.0 * letter(0) - 180.0 + 2.0 * digit(2) + letter(4) / 12.0 + 1.0 / 24.0;
    return ll;
}

double THamUtil::DegToRad(double value)
{
    return value * std::numbers::pi / 180.0;
}

double THamUtil::RadToDeg(double value)
{
    return value * 180.0 / std::numbers::pi;
}

// Sexagesimal degrees: d + (m + s/60)/60, negative in the southern and western hemispheres.
double THamUtil::DMStoReal(const QString& deg, const QString& min, const QString& sec) const
{
    bool ok = false;
    const int degrees = deg.mid(1).toInt(&ok);
    if (!ok)
        throw conversionError(deg, "degrees");
    const int minutes = min.toInt(&ok);
    if (!ok)
        throw conversionError(min, "minutes");
    // Seconds are typed by the user, so they follow the user's decimal separator.
    const double seconds = QLocale().toDouble(sec, &ok);
    if (!ok)
        throw conversionError(sec, "seconds");

    const double value = degrees + (minutes + seconds / 60.0) / 60.0;
    const bool negative = deg.startsWith(QLatin1Char('S')) || deg.startsWith(QLatin1Char('W'));
    return negative ? -value : value;
}

Numbers THamUtil::Num(double x) const
{
    const double whole = std::trunc(x);
    if (!(whole >= double(INT_MIN) && whole <= double(INT_MAX))) {
        throw std::out_of_range(
            QStringLiteral("%1 has no 32-bit integer part").arg(x).toStdString());
    }
    Numbers n;
    n.ip = int(whole);
    n.fp = x - n.ip;
    return n;
}

// Spherical law of cosines. c is clamped because rounding can push it just past ±1, and
// atan2 keeps the angle accurate near 0 and π where acos is ill-conditioned.
double THamUtil::CentralAngle(const LatLon& a, const LatLon& b)
{
    const double lat1 = DegToRad(a.Latitude);
    const double lat2 = DegToRad(b.Latitude);
    const double dLon = DegToRad(a.Longitude) - DegToRad(b.Longitude);
    double c = std::cos(dLon) * std::cos(lat1) * std::cos(lat2) + std::sin(lat1) * std::sin(lat2);
    c = std::clamp(c, -1.0, 1.0);
    return std::atan2(std::sqrt(1.0 - c * c), c);
}

double THamUtil::Distance(const LatLon& a, const LatLon& b) const
{
    return kEarthRadiusKm * CentralAngle(a, b);
}

double THamUtil::Distance(const QString& a, const QString& b) const
{
    // b first: with two bad locators the user is warned about the second argument first.
    const LatLon lb = LocatorToLatLong(b);
    const LatLon la = LocatorToLatLong(a);
    return Distance(la, lb);
}

// Initial great-circle bearing, spherical laws of cosines (x) and sines (y): θ = atan2(y, x) in 0..2π.
double THamUtil::Azimuth(const LatLon& a, const LatLon& b) const
{
    const double lat1 = DegToRad(a.Latitude);
    const double lat2 = DegToRad(b.Latitude);
    const double dLon = DegToRad(b.Longitude) - DegToRad(a.Longitude);
    const double d = CentralAngle(a, b);

    const double y = std::sin(dLon) * std::cos(lat2) * std::cos(lat1);
    const double x = std::sin(lat2) - std::sin(lat1) * std::cos(d);

    // (x, y) has length cos(lat1)·sin(d). For identical or antipodal places it is rounding noise
    // whose sign would turn into an arbitrary 0, 90 or 180; such places have no direction: 0.
    constexpr double noDirection = 1e-12;
    if (std::abs(x) < noDirection && std::abs(y) < noDirection)
        return 0.0;

    double theta = std::atan2(y, x);
    if (std::signbit(theta))
        theta += 2.0 * std::numbers::pi;
    const double degrees = RadToDeg(theta);
    // -0 and a hair below zero come back as a full turn, which is north again.
    return degrees >= 360.0 ? 0.0 : degrees;
}

double THamUtil::Azimuth(const QString& a, const QString& b) const
{
    const LatLon lb = LocatorToLatLong(b);
    const LatLon la = LocatorToLatLong(a);
    return Azimuth(la, lb);
}

// NOAA General Solar Position Calculations: fractional year γ = 2π/365 · (N − 1 + h/24).
double THamUtil::FractionalYear(int Day)
{
    return 2.0 * std::numbers::pi / 365.0 * (Day - 1);
}

double THamUtil::FractionalYear(int Day, int Hour)
{
    return 2.0 * std::numbers::pi / 365.0 * (Day - 1 + Hour / 24.0);
}

// NOAA General Solar Position Calculations: equation of time (minutes), Fourier series in γ.
double THamUtil::EquationOfTime(double gamma)
{
    return 229.18 * (0.000075 + 0.001868 * std::cos(gamma) - 0.032077 * std::sin(gamma)
                     - 0.014615 * std::cos(2 * gamma) - 0.040849 * std::sin(2 * gamma));
}

// NOAA General Solar Position Calculations: solar declination (radians), series to the 2γ terms.
double THamUtil::SolarDeclination(double gamma)
{
    return 0.006918 - 0.399912 * std::cos(gamma) + 0.070257 * std::sin(gamma)
           - 0.006758 * std::cos(2 * gamma) + 0.000907 * std::sin(2 * gamma);
}

// NOAA General Solar Position Calculations: hour angle at zenith 90.833° (refraction and the
// Sun's radius). NaN when the Sun does not cross that circle (polar day or night).
double THamUtil::HourAngle(bool Rising, double Latitude, double Declination)
{
    const double lat = DegToRad(Latitude);
    const double h = std::acos(std::cos(DegToRad(90.833)) / (std::cos(lat) * std::cos(Declination))
                               - std::tan(lat) * std::tan(Declination));
    return Rising ? h : -h;
}

// NOAA General Solar Position Calculations: solar noon = 720 + 4·λW − E, E taken at the noon hour.
double THamUtil::SolarNoonMinutes(int Day, double LongitudeWest)
{
    const int hour = wholeHours(LongitudeWest / 15.0 + 12.0);
    return 720.0 + 4.0 * LongitudeWest - EquationOfTime(FractionalYear(Day, hour));
}

// NOAA General Solar Position Calculations: event = 720 + 4·(λW − H) − E, evaluated once for a
// first hour and again with the series taken at that hour. Sunset's first estimate uses the
// following day's fractional year.
double THamUtil::EventMinutes(bool Rising, int Day, double Latitude, double LongitudeWest)
{
    const double gamma0 = FractionalYear(Rising ? Day : Day + 1);
    const double h0 = RadToDeg(HourAngle(Rising, Latitude, SolarDeclination(gamma0)));
    const double t0 = 720.0 + 4.0 * (LongitudeWest - h0) - EquationOfTime(gamma0);
    if (!std::isfinite(t0))
        return t0;

    const double gamma1 = FractionalYear(Day, wholeHours(t0 / 60.0));
    const double h1 = RadToDeg(HourAngle(Rising, Latitude, SolarDeclination(gamma1)));
    return 720.0 + 4.0 * (LongitudeWest - h1) - EquationOfTime(gamma1);
}

double THamUtil::SunriseMinutes(int Day, double Latitude, double LongitudeWest)
{
    return EventMinutes(true, Day, Latitude, LongitudeWest);
}

double THamUtil::SunsetMinutes(int Day, double Latitude, double LongitudeWest)
{
    return EventMinutes(false, Day, Latitude, LongitudeWest);
}

void THamUtil::CalculateSolarTimes(double dLatitude, double dLongitude,
                                   const QDateTime& dtDesiredDate, QDateTime& dtSunrise,
                                   QDateTime& dtSolarNoon, QDateTime& dtSunset) const
{
    dtSunrise = dtSolarNoon = dtSunset = QDateTime();
    const QDate date = dtDesiredDate.date();
    if (!date.isValid())
        return;

    // No place on Earth lies outside these; such a station (a damaged setting) has no sun times.
    if (!(std::abs(dLatitude) <= 90.0 && std::abs(dLongitude) <= 180.0))
        return;

    const int day = date.dayOfYear();
    double latitude = dLatitude;
    // The hour angle's tan φ / cos φ blow up at the poles.
    if (latitude >= -90.0 && latitude < -89.8)
        latitude = -89.8;
    else if (latitude > 89.8 && latitude <= 90.0)
        latitude = 89.8;
    const double longitudeWest = -dLongitude;

    const QDateTime midnight(date, QTime(0, 0), Qt::UTC);
    const auto at = [&](double minutes) {
        // Events of a valid place fall within a day or so of its midnight.
        if (!(std::abs(minutes) <= 4.0 * 24 * 60))
            return QDateTime();
        return midnight.addSecs(qint64(std::trunc(minutes)) * 60);
    };
    dtSunrise = at(SunriseMinutes(day, latitude, longitudeWest));
    dtSolarNoon = at(SolarNoonMinutes(day, longitudeWest));
    dtSunset = at(SunsetMinutes(day, latitude, longitudeWest));
}
