// The clocks the benches time with.
#pragma once
#include <sys/resource.h>

#include <chrono>

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor seconds of the whole process, renderer threads included: steadier than
// wall time on a machine shared with other work.
inline double processorSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           1e-6 * double(use.ru_utime.tv_usec + use.ru_stime.tv_usec);
}
