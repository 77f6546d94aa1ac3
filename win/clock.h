// The performance counter in milliseconds: for budgets and timings shorter than the tick count's step.
#pragma once

#include <windows.h>

namespace win {

inline double CounterMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace win
