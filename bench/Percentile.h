#pragma once
// The p-th percentile (0..1) of a benchmark's timings, by nearest rank; 0 for no timings.

#include <algorithm>
#include <cstddef>
#include <vector>

inline double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}
