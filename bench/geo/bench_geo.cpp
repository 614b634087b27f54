// Cost of one sun-times computation and one locator conversion, in nanoseconds per call, as the
// median of several runs. The baseline, one std::sin plus one std::cos on the same inputs,
// is measured in the same run so the ratios compare across machines.

#include "geo/HamCalc.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr int kInputs = 1024;

struct Input {
    double lat;
    double lon;
    QDateTime date;
};

std::vector<Input> makeInputs()
{
    std::vector<Input> inputs;
    inputs.reserve(kInputs);
    for (int i = 0; i < kInputs; ++i) {
        // Spread over the inhabited latitudes, every longitude and every day of a year.
        const double lat = -60.0 + std::fmod(i * 37.77, 130.0);
        const double lon = -180.0 + std::fmod(i * 101.31, 360.0);
        inputs.push_back({lat, lon, QDateTime(QDate(2024, 1, 1).addDays(i % 366), QTime(12, 0), Qt::UTC)});
    }
    return inputs;
}

template <typename Body>
double medianNsPerCall(int iterations, Body body)
{
    std::vector<double> runs;
    for (int r = 0; r < kRuns; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < iterations; ++i)
            body(i % kInputs);
        const auto stop = std::chrono::steady_clock::now();
        runs.push_back(std::chrono::duration<double, std::nano>(stop - start).count() / iterations);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main()
{
    const std::vector<Input> inputs = makeInputs();
    const THamUtil util;
    // Folded into the output so the compiler cannot drop the measured work.
    double sink = 0;

    const double baseline = medianNsPerCall(2'000'000, [&](int i) {
        sink += std::sin(inputs[i].lat) + std::cos(inputs[i].lon);
    });
    const double solar = medianNsPerCall(200'000, [&](int i) {
        QDateTime rise, noon, set;
        util.CalculateSolarTimes(inputs[i].lat, inputs[i].lon, inputs[i].date, rise, noon, set);
        sink += double(noon.toSecsSinceEpoch() & 0xFF) + (rise.isValid() ? 1 : 0);
    });
    const double locator = medianNsPerCall(1'000'000, [&](int i) {
        sink += util.LatLongToLocator(inputs[i].lat, inputs[i].lon).at(5).unicode();
    });

    std::printf("bench_geo: median of %d runs, ns per call\n", kRuns);
    std::printf("  baseline sin+cos        %8.1f ns\n", baseline);
    std::printf("  CalculateSolarTimes     %8.1f ns  (%.1f x baseline)\n", solar, solar / baseline);
    std::printf("  LatLongToLocator        %8.1f ns  (%.1f x baseline)\n", locator, locator / baseline);
    std::printf("  (checksum %g)\n", sink);
    return 0;
}
