#pragma once
// Timing helpers shared by the benchmarks.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

// Milliseconds from the performance counter.
inline double NowMs()
{
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

// Seconds from the performance counter.
inline double NowSeconds() { return NowMs() / 1000.0; }

// Median of the samples; 0 when there are none.
inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One line: the label padded to `width`, the median and the worst sample.
inline void Report(const char* what, const std::vector<double>& v, int width)
{
    const double worst = v.empty() ? 0 : *std::max_element(v.begin(), v.end());
    std::printf("%-*s median %7.2f ms  max %7.2f ms  (%zu runs)\n", width, what, Median(v), worst, v.size());
}

}  // namespace bench
