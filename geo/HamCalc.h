#pragma once
// THamUtil: the station geometry of the program — grid locators, degree/minute/second text,
// great-circle distance and bearing, and the day's sunrise, solar noon and sunset.
// Holds no state beyond the warning callback, so one instance serves every caller and any
// thread; the only collaborator is that callback, through which an invalid locator is reported
// (the windows route it to a warning box on the user-interface thread).

#include <QDateTime>
#include <QString>

#include <functional>
#include <stdexcept>

struct LatLon {
    double Latitude = 0;
    double Longitude = 0;
    QString County;
    bool Valid = false;
};

struct Numbers {
    int ip = 0;
    double fp = 0;
};

// Raised by DMStoReal for a degrees, minutes or seconds text that is not a number.
class NumberConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class THamUtil {
public:
    using Warning = std::function<void(const QString& text)>;

    explicit THamUtil(Warning warn = {});

    // Inputs outside -90..90 / -180..180 are not clamped: (90, 180) gives "SS00AA".
    QString LatLongToLocator(double Latitude, double Longitude) const;
    QString LatLongToLocator(const LatLon& ll) const;
    // Centre of the locator's subsquare. Fewer than four characters mean "AA00AA" silently;
    // an invalid locator is reported through the warning and yields latitude and longitude 0.
    LatLon LocatorToLatLong(const QString& value) const;

    static double DegToRad(double value);
    static double RadToDeg(double value);

    // deg starts with a hemisphere letter ("S"/"W" negate). Throws NumberConversionError.
    double DMStoReal(const QString& deg, const QString& min, const QString& sec) const;
    // Integer part and signed fraction. Throws std::out_of_range when x has no 32-bit integer part.
    Numbers Num(double x) const;

    double Distance(const LatLon& a, const LatLon& b) const;  // km
    double Distance(const QString& a, const QString& b) const;
    // Degrees, 0 <= x < 360; 0 between identical or antipodal places.
    double Azimuth(const LatLon& a, const LatLon& b) const;
    double Azimuth(const QString& a, const QString& b) const;

    // Results are UTC (Qt::UTC): the desired date's midnight plus whole minutes. Only the calendar
    // date of dtDesiredDate counts. A missing sunrise or sunset (polar day or night) is an invalid
    // QDateTime; a place outside ±90/±180 (or not a number) has three invalid times.
    void CalculateSolarTimes(double dLatitude, double dLongitude, const QDateTime& dtDesiredDate,
                             QDateTime& dtSunrise, QDateTime& dtSolarNoon,
                             QDateTime& dtSunset) const;

private:
    static double FractionalYear(int Day);
    static double FractionalYear(int Day, int Hour);
    static double EquationOfTime(double gamma);
    static double SolarDeclination(double gamma);
    static double HourAngle(bool Rising, double Latitude, double Declination);
    static double SolarNoonMinutes(int Day, double LongitudeWest);
    static double SunriseMinutes(int Day, double Latitude, double LongitudeWest);
    static double SunsetMinutes(int Day, double Latitude, double LongitudeWest);
    static double EventMinutes(bool Rising, int Day, double Latitude, double LongitudeWest);
    static double CentralAngle(const LatLon& a, const LatLon& b);

    Warning warn_;
};
