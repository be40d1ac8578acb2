// Small helpers of the bench programs: a QueryPerformanceCounter clock and medians.
#ifndef QVL_BENCH_UTIL_H
#define QVL_BENCH_UTIL_H

#include <windows.h>

#include <algorithm>
#include <vector>

namespace qvlbench {

inline double NowMs()
{
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
}

// The raw counter, for readings taken by another process on the same machine.
inline long long NowCount()
{
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

inline double CountToMs(long long count)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(count) * 1000.0 / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace qvlbench

#endif
