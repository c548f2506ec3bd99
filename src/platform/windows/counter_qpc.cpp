#include <windows.h>

#include "platform/counter.h"

int64_t readCounter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double counterPeriod() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1.0 / double(frequency.QuadPart);
}
