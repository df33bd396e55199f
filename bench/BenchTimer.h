#pragma once
// Wall-clock timing for the benchmarks, on the performance counter.
#include <windows.h>

inline double Seconds(LARGE_INTEGER a, LARGE_INTEGER b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// Seconds one call of work takes.
template <class F> double Time(F work)
{
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    work();
    QueryPerformanceCounter(&b);
    return Seconds(a, b);
}
