// Medians of repeated runs and the table both benchmarks print.
#pragma once

#include "bench_documents.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace rova_bench {

// Runs step `runs` times; before each run `prepare` (untimed) may set
// things up, `finish` (untimed) releases what the step made. `clock` gives
// seconds. Returns the median in milliseconds.
template <class Clock>
double MedianMs(int runs, Clock clock, const std::function<void()>& step,
                const std::function<void()>& finish = [] {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = clock();
        step();
        times.push_back((clock() - start) * 1000.0);
        finish();
    }
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

// A time with the rate of the given pixel bytes: "12.3 ms (1234 MB/s)", or
// "n/a" when the step does not apply.
inline std::string Cell(double ms, std::uint64_t bytes)
{
    if (ms < 0)
        return "n/a";
    char text[64];
    if (ms < 0.1) {
        std::snprintf(text, sizeof text, "%.3f ms", ms);
        return text;
    }
    std::snprintf(text, sizeof text, "%.1f ms (%.0f MB/s)", ms, bytes / 1e6 / (ms / 1000.0));
    return text;
}

inline std::string Mib(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", bytes / 1048576.0);
    return text;
}

}  // namespace rova_bench
