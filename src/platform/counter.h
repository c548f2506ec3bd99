// The high-resolution counter the demo's clock reads. Backends: posix/counter_steady.cpp
// (std::chrono::steady_clock) and windows/counter_qpc.cpp (QueryPerformanceCounter).
#pragma once
#include <cstdint>

int64_t readCounter();
// Ticks of a monotonic counter; only differences mean anything.

double counterPeriod();
// Seconds per tick.
