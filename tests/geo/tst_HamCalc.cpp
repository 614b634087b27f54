// Station geometry: expected values are known results (published locators, reference distances,
// bearings and sun times), never recomputed from the formulas here.

#include "geo/HamCalc.h"

#include <QLocale>
#include <QStringList>
#include <QTest>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kDefaultLat = 32.22917;
constexpr double kDefaultLon = -110.875;

LatLon at(double lat, double lon)
{
    LatLon ll;
    ll.Latitude = lat;
    ll.Longitude = lon;
    return ll;
}

QDateTime utc(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC);
}

// Collects the warnings THamUtil raises, in order.
struct WarningLog {
    QStringList texts;
    THamUtil util{[this](const QString& text) { texts << text; }};
};

} // namespace

class TestHamCalc : public QObject {
    Q_OBJECT

private slots:
    void latLongToLocator_data();
    void latLongToLocator();
    void locatorToLatLong_data();
    void locatorToLatLong();
    void invalidLocator_data();
    void invalidLocator();
    void locatorCentreSweep();

    void degreesAndRadians_data();
    void degreesAndRadians();
    void dmsToReal_data();
    void dmsToReal();
    void dmsToRealRejectsText_data();
    void dmsToRealRejectsText();
    void dmsToRealUsesUserDecimalSeparator();
    void num_data();
    void num();
    void numOutOfRange_data();
    void numOutOfRange();

    void distance_data();
    void distance();
    void azimuth_data();
    void azimuth();
    void locatorForms_data();
    void locatorForms();
    void locatorFormsWarnSecondArgumentFirst();

    void solarTimes_data();
    void solarTimes();
    void solarTimesPolarDayAndNight_data();
    void solarTimesPolarDayAndNight();
    void solarTimesPoleClamp_data();
    void solarTimesPoleClamp();
    void solarTimesInvalidDate();
};

// ---------------------------------------------------------------- locators

void TestHamCalc::latLongToLocator_data()
{
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");
    QTest::addColumn<QString>("locator");

    QTest::newRow("default station") << kDefaultLat << kDefaultLon << QStringLiteral("DM42NF");
    QTest::newRow("origin is the north-east cell") << 0.0 << 0.0 << QStringLiteral("JJ00AA");
    QTest::newRow("south-west corner") << -90.0 << -180.0 << QStringLiteral("AA00AA");
    QTest::newRow("just south-west of origin") << -0.0001 << -0.0001 << QStringLiteral("II99XX");
    QTest::newRow("just inside north-east corner") << 89.9999 << 179.9999 << QStringLiteral("RR99XX");
    QTest::newRow("not clamped") << 90.0 << 180.0 << QStringLiteral("SS00AA");
    // Published locators of well-known places.
    QTest::newRow("W1AW Newington") << 41.714775 << -72.727260 << QStringLiteral("FN31PR");
    QTest::newRow("Sydney Opera House") << -33.8568 << 151.2153 << QStringLiteral("QF56OD");
}

void TestHamCalc::latLongToLocator()
{
    QFETCH(double, lat);
    QFETCH(double, lon);
    QFETCH(QString, locator);

    const THamUtil util;
    QCOMPARE(util.LatLongToLocator(lat, lon), locator);
    QCOMPARE(util.LatLongToLocator(at(lat, lon)), locator);
}

void TestHamCalc::locatorToLatLong_data()
{
    QTest::addColumn<QString>("locator");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");

    QTest::newRow("DM42NF") << QStringLiteral("DM42NF") << 32.2291667 << -110.875;
    QTest::newRow("lower case") << QStringLiteral("dm42nf") << 32.2291667 << -110.875;
    QTest::newRow("mixed case") << QStringLiteral("Dm42nF") << 32.2291667 << -110.875;
    QTest::newRow("four characters take LL") << QStringLiteral("FN31") << 41.4791667 << -73.0416667;
    QTest::newRow("five characters take L") << QStringLiteral("fn31p") << 41.4791667 << -72.7083333;
    QTest::newRow("empty is AA00AA") << QString() << -89.9791667 << -179.9583333;
    QTest::newRow("three characters is AA00AA") << QStringLiteral("AB1") << -89.9791667 << -179.9583333;
    QTest::newRow("north-east corner") << QStringLiteral("RR99XX") << 89.9791667 << 179.9583333;
}

void TestHamCalc::locatorToLatLong()
{
    QFETCH(QString, locator);
    QFETCH(double, lat);
    QFETCH(double, lon);

    WarningLog log;
    const LatLon ll = log.util.LocatorToLatLong(locator);
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join(QLatin1Char('\n'))));
    QVERIFY2(std::abs(ll.Latitude - lat) < 1e-6, qPrintable(QString::number(ll.Latitude, 'f', 8)));
    QVERIFY2(std::abs(ll.Longitude - lon) < 1e-6, qPrintable(QString::number(ll.Longitude, 'f', 8)));
    QVERIFY(ll.County.isEmpty());
}

void TestHamCalc::invalidLocator_data()
{
    QTest::addColumn<QString>("locator");
    QTest::addColumn<QString>("shown");

    QTest::newRow("extended locator") << QStringLiteral("FN31PR12") << QStringLiteral("FN31PR12");
    QTest::newRow("leading space") << QStringLiteral(" FN31PR") << QStringLiteral(" FN31PR");
    QTest::newRow("field beyond R") << QStringLiteral("SS00AA") << QStringLiteral("SS00AA");
    QTest::newRow("subsquare beyond X") << QStringLiteral("FN31PY") << QStringLiteral("FN31PY");
    QTest::newRow("letter for digit") << QStringLiteral("FNA1PR") << QStringLiteral("FNA1PR");
    QTest::newRow("trailing newline") << QStringLiteral("FN31PR\n") << QStringLiteral("FN31PR\n");
    QTest::newRow("padded four characters") << QStringLiteral("zz00") << QStringLiteral("ZZ00LL");
    QTest::newRow("padded five characters") << QStringLiteral("fn31y") << QStringLiteral("FN31YL");
    // Only ASCII letters are upper-cased: a dotless i must not turn into I.
    QTest::newRow("non-ASCII letter") << QStringLiteral("\u0131O91XL") << QStringLiteral("\u0131O91XL");
}

void TestHamCalc::invalidLocator()
{
    QFETCH(QString, locator);
    QFETCH(QString, shown);

    WarningLog log;
    const LatLon ll = log.util.LocatorToLatLong(locator);
    QCOMPARE(log.texts.size(), 1);
    QVERIFY2(log.texts.first().startsWith(shown), qPrintable(log.texts.first()));
    QVERIFY(log.texts.first().size() > shown.size());
    QCOMPARE(ll.Latitude, 0.0);
    QCOMPARE(ll.Longitude, 0.0);
}

// Every position and the centre of its subsquare share a locator, and the centre is within half
// a subsquare of the position.
void TestHamCalc::locatorCentreSweep()
{
    WarningLog log;
    for (double lat = -89.99; lat < 90.0; lat += 0.737) {
        for (double lon = -179.99; lon < 180.0; lon += 1.313) {
            const QString loc = log.util.LatLongToLocator(lat, lon);
            const LatLon centre = log.util.LocatorToLatLong(loc);
            QVERIFY2(log.texts.isEmpty(), qPrintable(loc));
            QCOMPARE(log.util.LatLongToLocator(centre), loc);
            QVERIFY2(std::abs(centre.Latitude - lat) <= 1.0 / 48.0 + 1e-9, qPrintable(loc));
            QVERIFY2(std::abs(centre.Longitude - lon) <= 1.0 / 24.0 + 1e-9, qPrintable(loc));
        }
    }
}

// ---------------------------------------------------------------- number helpers

void TestHamCalc::degreesAndRadians_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<double>("radians");

    QTest::newRow("half turn") << 180.0 << std::numbers::pi;
    QTest::newRow("right angle") << 90.0 << std::numbers::pi / 2;
    QTest::newRow("negative") << -45.0 << -std::numbers::pi / 4;
    QTest::newRow("zero") << 0.0 << 0.0;
}

void TestHamCalc::degreesAndRadians()
{
    QFETCH(double, degrees);
    QFETCH(double, radians);

    QCOMPARE(THamUtil::DegToRad(degrees), radians);
    QCOMPARE(THamUtil::RadToDeg(radians), degrees);
}

void TestHamCalc::dmsToReal_data()
{
    QTest::addColumn<QString>("deg");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("sec");
    QTest::addColumn<double>("value");

    QTest::newRow("west") << QStringLiteral("W110") << QStringLiteral("52") << QStringLiteral("30") << -110.875;
    QTest::newRow("north") << QStringLiteral("N32") << QStringLiteral("13") << QStringLiteral("45") << 32.2291667;
    QTest::newRow("lower-case s is positive") << QStringLiteral("s10") << QStringLiteral("0") << QStringLiteral("0") << 10.0;
    QTest::newRow("south") << QStringLiteral("S33") << QStringLiteral("52") << QStringLiteral("12") << -33.87;
    QTest::newRow("east, fractional seconds") << QStringLiteral("E0") << QStringLiteral("0") << QStringLiteral("36.0") << 0.01;
    QTest::newRow("any first character is dropped") << QStringLiteral("x45") << QStringLiteral("30") << QStringLiteral("0") << 45.5;
}

void TestHamCalc::dmsToReal()
{
    QFETCH(QString, deg);
    QFETCH(QString, min);
    QFETCH(QString, sec);
    QFETCH(double, value);

    const THamUtil util;
    const double result = util.DMStoReal(deg, min, sec);
    QVERIFY2(std::abs(result - value) < 1e-7, qPrintable(QString::number(result, 'f', 9)));
}

void TestHamCalc::dmsToRealRejectsText_data()
{
    QTest::addColumn<QString>("deg");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("sec");
    QTest::addColumn<QString>("culprit");

    QTest::newRow("degrees not a number") << QStringLiteral("Nabc") << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("Nabc");
    QTest::newRow("hemisphere letter only") << QStringLiteral("N") << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("N");
    QTest::newRow("empty degrees") << QString() << QStringLiteral("0") << QStringLiteral("0") << QString();
    QTest::newRow("fractional degrees") << QStringLiteral("N10.5") << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("N10.5");
    QTest::newRow("minutes not a number") << QStringLiteral("N10") << QStringLiteral("x") << QStringLiteral("0") << QStringLiteral("x");
    QTest::newRow("fractional minutes") << QStringLiteral("N10") << QStringLiteral("1.5") << QStringLiteral("0") << QStringLiteral("1.5");
    QTest::newRow("seconds not a number") << QStringLiteral("N10") << QStringLiteral("0") << QStringLiteral("4x") << QStringLiteral("4x");
    QTest::newRow("empty seconds") << QStringLiteral("N10") << QStringLiteral("0") << QString() << QString();
}

void TestHamCalc::dmsToRealRejectsText()
{
    QFETCH(QString, deg);
    QFETCH(QString, min);
    QFETCH(QString, sec);
    QFETCH(QString, culprit);

    const THamUtil util;
    try {
        util.DMStoReal(deg, min, sec);
        QFAIL("no exception");
    } catch (const std::runtime_error& e) {
        QVERIFY(dynamic_cast<const NumberConversionError*>(&e) != nullptr);
        const QString message = QString::fromStdString(e.what());
        QVERIFY2(message.contains(QLatin1Char('\'') + culprit + QLatin1Char('\'')), qPrintable(message));
    }
}

void TestHamCalc::dmsToRealUsesUserDecimalSeparator()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const THamUtil util;
    double value = 0;
    bool threw = false;
    try {
        value = util.DMStoReal(QStringLiteral("N10"), QStringLiteral("0"), QStringLiteral("36,0"));
    } catch (const std::exception&) {
        threw = true;
    }
    QLocale::setDefault(previous);
    QVERIFY(!threw);
    QVERIFY2(std::abs(value - 10.01) < 1e-9, qPrintable(QString::number(value, 'f', 9)));
}

void TestHamCalc::num_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("ip");
    QTest::addColumn<double>("fp");

    QTest::newRow("negative keeps its sign") << -2.75 << -2 << -0.75;
    QTest::newRow("positive") << 2.75 << 2 << 0.75;
    QTest::newRow("whole") << 5.0 << 5 << 0.0;
    QTest::newRow("negative below one") << -0.5 << 0 << -0.5;
    QTest::newRow("largest 32-bit") << 2147483647.25 << 2147483647 << 0.25;
}

void TestHamCalc::num()
{
    QFETCH(double, x);
    QFETCH(int, ip);
    QFETCH(double, fp);

    const Numbers n = THamUtil().Num(x);
    QCOMPARE(n.ip, ip);
    QCOMPARE(n.fp, fp);
}

void TestHamCalc::numOutOfRange_data()
{
    QTest::addColumn<double>("x");
    QTest::newRow("beyond 32 bits") << 3e9;
    QTest::newRow("below 32 bits") << -2147483649.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
}

void TestHamCalc::numOutOfRange()
{
    QFETCH(double, x);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, THamUtil().Num(x));
}

// ---------------------------------------------------------------- distance and bearing

void TestHamCalc::distance_data()
{
    QTest::addColumn<double>("lat1");
    QTest::addColumn<double>("lon1");
    QTest::addColumn<double>("lat2");
    QTest::addColumn<double>("lon2");
    QTest::addColumn<double>("km");

    QTest::newRow("to New York") << kDefaultLat << kDefaultLon << 40.7128 << -74.0060 << 3399.40;
    QTest::newRow("8 degrees north") << kDefaultLat << kDefaultLon << 40.22917 << -110.875 << 889.00;
    QTest::newRow("8 degrees south") << kDefaultLat << kDefaultLon << 24.22917 << -110.875 << 889.00;
    QTest::newRow("to Anchorage") << kDefaultLat << kDefaultLon << 61.2181 << -149.9003 << 4265.77;
    QTest::newRow("to Honolulu") << kDefaultLat << kDefaultLon << 21.3069 << -157.8583 << 4777.61;
    QTest::newRow("quarter globe") << 0.0 << 0.0 << 0.0 << 90.0 << 10001.26;
    QTest::newRow("antipodal on the equator") << 0.0 << 0.0 << 0.0 << 180.0 << 20002.52;
    QTest::newRow("identical") << kDefaultLat << kDefaultLon << kDefaultLat << kDefaultLon << 0.0;
    // Here rounding takes the cosine of the central angle just past 1 and -1.
    QTest::newRow("identical, cosine past 1") << -89.92 << 0.0 << -89.92 << 0.0 << 0.0;
    QTest::newRow("antipodal, cosine past -1") << -89.92 << 10.0 << 89.92 << -170.0 << 20002.52;
}

void TestHamCalc::distance()
{
    QFETCH(double, lat1);
    QFETCH(double, lon1);
    QFETCH(double, lat2);
    QFETCH(double, lon2);
    QFETCH(double, km);

    const double result = THamUtil().Distance(at(lat1, lon1), at(lat2, lon2));
    QVERIFY2(std::abs(result - km) < 0.005, qPrintable(QString::number(result, 'f', 4)));
}

void TestHamCalc::azimuth_data()
{
    QTest::addColumn<double>("lat1");
    QTest::addColumn<double>("lon1");
    QTest::addColumn<double>("lat2");
    QTest::addColumn<double>("lon2");
    QTest::addColumn<double>("bearing");
    QTest::addColumn<int>("shown");

    QTest::newRow("to New York") << kDefaultLat << kDefaultLon << 40.7128 << -74.0060 << 63.34 << 63;
    QTest::newRow("due north") << kDefaultLat << kDefaultLon << 40.22917 << -110.875 << 0.0 << 0;
    QTest::newRow("due south") << kDefaultLat << kDefaultLon << 24.22917 << -110.875 << 180.0 << 180;
    QTest::newRow("to Anchorage") << kDefaultLat << kDefaultLon << 61.2181 << -149.9003 << 330.78 << 330;
    QTest::newRow("to Honolulu") << kDefaultLat << kDefaultLon << 21.3069 << -157.8583 << 267.35 << 267;
    QTest::newRow("due east on the equator") << 0.0 << 0.0 << 0.0 << 10.0 << 90.0 << 90;
    QTest::newRow("due west on the equator") << 0.0 << 10.0 << 0.0 << 0.0 << 270.0 << 270;
    QTest::newRow("identical") << kDefaultLat << kDefaultLon << kDefaultLat << kDefaultLon << 0.0 << 0;
    // Rounding leaves a tiny negative x here, which would point south.
    QTest::newRow("identical, southern") << -34.6037 << -58.3816 << -34.6037 << -58.3816 << 0.0 << 0;
    QTest::newRow("antipodal on the equator") << 0.0 << 0.0 << 0.0 << 180.0 << 0.0 << 0;
    QTest::newRow("antipodal, cosine past -1") << -89.92 << 10.0 << 89.92 << -170.0 << 0.0 << 0;
}

void TestHamCalc::azimuth()
{
    QFETCH(double, lat1);
    QFETCH(double, lon1);
    QFETCH(double, lat2);
    QFETCH(double, lon2);
    QFETCH(double, bearing);
    QFETCH(int, shown);

    const double result = THamUtil().Azimuth(at(lat1, lon1), at(lat2, lon2));
    QVERIFY2(result >= 0.0 && result < 360.0, qPrintable(QString::number(result, 'f', 4)));
    QVERIFY2(std::abs(result - bearing) < 0.005, qPrintable(QString::number(result, 'f', 4)));
    QCOMPARE(int(std::trunc(result)), shown);
}

void TestHamCalc::locatorForms_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<double>("km");
    QTest::addColumn<double>("bearing");

    // DM42NF, DN40NF and DL44NF are centred within a metre of the default station and the
    // points 8 degrees north and south of it.
    QTest::newRow("north") << QStringLiteral("DM42NF") << QStringLiteral("DN40NF") << 889.00 << 0.0;
    QTest::newRow("south, lower case") << QStringLiteral("dm42nf") << QStringLiteral("dl44nf") << 889.00 << 180.0;
    QTest::newRow("same square") << QStringLiteral("DM42NF") << QStringLiteral("DM42NF") << 0.0 << 0.0;
    QTest::newRow("antipodal centres") << QStringLiteral("JJ00AA") << QStringLiteral("AI09AX") << 20002.52 << 0.0;
}

void TestHamCalc::locatorForms()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(double, km);
    QFETCH(double, bearing);

    WarningLog log;
    const double d = log.util.Distance(from, to);
    const double b = log.util.Azimuth(from, to);
    QVERIFY(log.texts.isEmpty());
    QVERIFY2(std::abs(d - km) < 0.005, qPrintable(QString::number(d, 'f', 4)));
    QVERIFY2(std::abs(b - bearing) < 0.005, qPrintable(QString::number(b, 'f', 4)));
}

void TestHamCalc::locatorFormsWarnSecondArgumentFirst()
{
    WarningLog log;
    log.util.Distance(QStringLiteral("SS00AA"), QStringLiteral("ZZ00AA"));
    log.util.Azimuth(QStringLiteral("XY12"), QStringLiteral("FN31PR12"));
    QCOMPARE(log.texts.size(), 4);
    QVERIFY(log.texts.at(0).startsWith(QStringLiteral("ZZ00AA")));
    QVERIFY(log.texts.at(1).startsWith(QStringLiteral("SS00AA")));
    QVERIFY(log.texts.at(2).startsWith(QStringLiteral("FN31PR12")));
    QVERIFY(log.texts.at(3).startsWith(QStringLiteral("XY12LL")));
}

// ---------------------------------------------------------------- sun times

void TestHamCalc::solarTimes_data()
{
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDateTime>("sunrise");
    QTest::addColumn<QDateTime>("noon");
    QTest::addColumn<QDateTime>("sunset");

    QTest::newRow("default station, March equinox") << kDefaultLat << kDefaultLon << QDate(2024, 3, 20)
        << utc(2024, 3, 20, 13, 26) << utc(2024, 3, 20, 19, 31) << utc(2024, 3, 21, 1, 35);
    QTest::newRow("default station, June solstice") << kDefaultLat << kDefaultLon << QDate(2024, 6, 21)
        << utc(2024, 6, 21, 12, 17) << utc(2024, 6, 21, 19, 25) << utc(2024, 6, 22, 2, 32);
    QTest::newRow("default station, December solstice") << kDefaultLat << kDefaultLon << QDate(2024, 12, 21)
        << utc(2024, 12, 21, 14, 20) << utc(2024, 12, 21, 19, 22) << utc(2024, 12, 22, 0, 23);
    QTest::newRow("New York, New Year") << 40.7128 << -74.0060 << QDate(2024, 1, 1)
        << utc(2024, 1, 1, 12, 19) << utc(2024, 1, 1, 16, 59) << utc(2024, 1, 1, 21, 39);
    QTest::newRow("Greenwich, June solstice") << 51.4779 << 0.0 << QDate(2024, 6, 21)
        << utc(2024, 6, 21, 3, 43) << utc(2024, 6, 21, 12, 1) << utc(2024, 6, 21, 20, 19);
    QTest::newRow("Sydney, sunrise the UTC day before") << -33.87 << 151.21 << QDate(2024, 6, 21)
        << utc(2024, 6, 20, 21, 0) << utc(2024, 6, 21, 1, 56) << utc(2024, 6, 21, 6, 54);
}

// Each row is also run at other times of day and with other zones and offsets: only the calendar date of
// the desired date-time may count, even where its UTC date differs.
void TestHamCalc::solarTimes()
{
    QFETCH(double, lat);
    QFETCH(double, lon);
    QFETCH(QDate, date);
    QFETCH(QDateTime, sunrise);
    QFETCH(QDateTime, noon);
    QFETCH(QDateTime, sunset);

    const QList<QDateTime> desired{
        QDateTime(date, QTime(0, 0), Qt::UTC),
        QDateTime(date, QTime(23, 59, 59), Qt::UTC),
        QDateTime(date, QTime(12, 34, 56), Qt::LocalTime),
        QDateTime(date, QTime(23, 30), Qt::OffsetFromUTC, -10 * 3600),
        QDateTime(date, QTime(0, 30), Qt::OffsetFromUTC, 14 * 3600),
    };
    const THamUtil util;
    for (const QDateTime& when : desired) {
        QDateTime rise, mid, set;
        util.CalculateSolarTimes(lat, lon, when, rise, mid, set);
        const QByteArray context = when.toString(Qt::ISODate).toUtf8();
        QVERIFY2(rise == sunrise, (context + " sunrise " + rise.toString(Qt::ISODate).toUtf8()).constData());
        QVERIFY2(mid == noon, (context + " noon " + mid.toString(Qt::ISODate).toUtf8()).constData());
        QVERIFY2(set == sunset, (context + " sunset " + set.toString(Qt::ISODate).toUtf8()).constData());
        for (const QDateTime& result : {rise, mid, set})
            QCOMPARE(result.timeSpec(), Qt::UTC);
    }
}

// Solar noon depends on longitude alone, so inside the polar circles it matches the default
// station's noon on the same date.
void TestHamCalc::solarTimesPolarDayAndNight_data()
{
    QTest::addColumn<double>("lat");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDateTime>("noon");

    QTest::newRow("polar day, north") << 70.0 << QDate(2024, 6, 21) << utc(2024, 6, 21, 19, 25);
    QTest::newRow("polar night, north") << 70.0 << QDate(2024, 12, 21) << utc(2024, 12, 21, 19, 22);
    QTest::newRow("polar night, south") << -70.0 << QDate(2024, 6, 21) << utc(2024, 6, 21, 19, 25);
    QTest::newRow("polar day, south") << -70.0 << QDate(2024, 12, 21) << utc(2024, 12, 21, 19, 22);
    QTest::newRow("north pole, June") << 90.0 << QDate(2024, 6, 21) << utc(2024, 6, 21, 19, 25);
}

void TestHamCalc::solarTimesPolarDayAndNight()
{
    QFETCH(double, lat);
    QFETCH(QDate, date);
    QFETCH(QDateTime, noon);

    QDateTime rise = utc(2000, 1, 1, 0, 0), mid, set = rise;
    THamUtil().CalculateSolarTimes(lat, kDefaultLon, QDateTime(date, QTime(12, 0), Qt::UTC), rise, mid, set);
    QVERIFY(!rise.isValid());
    QVERIFY(!set.isValid());
    QCOMPARE(mid, noon);
}

// Dates on which the Sun crosses the horizon at ±89.8°, so a latitude that escaped the limit
// would give other times.
void TestHamCalc::solarTimesPoleClamp_data()
{
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("limit");
    QTest::addColumn<QDate>("date");

    QTest::newRow("89.9, sunset") << 89.9 << 89.8 << QDate(2024, 3, 17);
    QTest::newRow("89.9, sunrise") << 89.9 << 89.8 << QDate(2024, 3, 18);
    QTest::newRow("90, sunrise") << 90.0 << 89.8 << QDate(2024, 3, 18);
    QTest::newRow("-89.9, sunset") << -89.9 << -89.8 << QDate(2024, 3, 21);
    QTest::newRow("-89.9, sunrise") << -89.9 << -89.8 << QDate(2024, 3, 22);
    QTest::newRow("-90, sunrise") << -90.0 << -89.8 << QDate(2024, 9, 21);
}

void TestHamCalc::solarTimesPoleClamp()
{
    QFETCH(double, lat);
    QFETCH(double, limit);
    QFETCH(QDate, date);

    const THamUtil util;
    const QDateTime when(date, QTime(0, 0), Qt::UTC);
    QDateTime rise, mid, set, limitRise, limitMid, limitSet;
    util.CalculateSolarTimes(lat, 0.0, when, rise, mid, set);
    util.CalculateSolarTimes(limit, 0.0, when, limitRise, limitMid, limitSet);
    QVERIFY(limitRise.isValid() || limitSet.isValid());
    QCOMPARE(rise, limitRise);
    QCOMPARE(mid, limitMid);
    QCOMPARE(set, limitSet);
}

void TestHamCalc::solarTimesInvalidDate()
{
    QDateTime rise = utc(2000, 1, 1, 0, 0), mid = rise, set = rise;
    THamUtil().CalculateSolarTimes(kDefaultLat, kDefaultLon, QDateTime(), rise, mid, set);
    QVERIFY(!rise.isValid());
    QVERIFY(!mid.isValid());
    QVERIFY(!set.isValid());
}

QTEST_GUILESS_MAIN(TestHamCalc)
#include "tst_HamCalc.moc"
