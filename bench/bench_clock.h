// The benchmarks' clock and their one statistic.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

// Seconds on the performance counter.
inline double NowSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    std::size_t m = values.size() / 2;
    return values.size() % 2 != 0 ? values[m] : (values[m - 1] + values[m]) / 2;
}
