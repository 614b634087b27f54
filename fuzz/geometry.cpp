// The locator, distance, bearing and sun-time routines and the figures a record display builds
// from them, on arbitrary doubles (NaN, infinities, huge and tiny values) and arbitrary dates.
// Under the sanitizers any overflow in a conversion stops the run; the properties hold for every
// input: a locator is six characters, a bearing of two real places lies in [0, 360), a distance
// is never negative, and a place outside the Earth's ranges has no sun times.

#include "FuzzSupport.h"
#include "licence/RecordGeometry.h"

#include <cmath>
#include <cstring>

namespace {

double anyDouble(FuzzInput& in) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | in.byte();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint32_t anyWord(FuzzInput& in) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = v << 8 | in.byte();
    return v;
}

bool onEarth(double lat, double lon) { return std::abs(lat) <= 90.0 && std::abs(lon) <= 180.0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const double lat1 = anyDouble(in), lon1 = anyDouble(in), lat2 = anyDouble(in), lon2 = anyDouble(in);
    const int offset = int(int32_t(anyWord(in)));
    const QDate date = QDate::fromJulianDay(qint64(int32_t(anyWord(in))) * 64);
    const QDateTime now(date, QTime(12, 0), Qt::UTC);
    const TDisType unit = TDisType(in.byte() % 4);
    const std::string_view locatorBytes = in.rest();

    const THamUtil ham([](const QString&) {});
    const QString locator = ham.LatLongToLocator(lat1, lon1);
    QM_FUZZ_CHECK(locator.size() == 6);
    const LatLon back = ham.LocatorToLatLong(QString::fromUtf8(locatorBytes.data(), qsizetype(locatorBytes.size())));
    QM_FUZZ_CHECK(onEarth(back.Latitude, back.Longitude));

    LatLon a, b;
    a.Latitude = lat1;
    a.Longitude = lon1;
    b.Latitude = lat2;
    b.Longitude = lon2;
    const double km = ham.Distance(a, b);
    const double bearing = ham.Azimuth(a, b);
    if (onEarth(lat1, lon1) && onEarth(lat2, lon2)) {
        QM_FUZZ_CHECK(km >= 0 && km <= 20100);
        QM_FUZZ_CHECK(bearing >= 0 && bearing < 360);
    }
    distanceInUnit(km, unit);

    QDateTime rise, noon, set;
    ham.CalculateSolarTimes(lat2, lon2, now, rise, noon, set);
    if (!onEarth(lat2, lon2))
        QM_FUZZ_CHECK(!rise.isValid() && !noon.isValid() && !set.isValid());
    sunTimeText(rise, offset, lat2, date);
    sunTimeText(noon, offset, lat2, date);

    placeFigures(ham, a, lat2, lon2, unit, offset, now);
    return 0;
}
