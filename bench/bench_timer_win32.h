#pragma once
// Seconds on the performance counter, for the benchmarks that run under Wine.
#include <windows.h>

namespace {

inline double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace
