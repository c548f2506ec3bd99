#include <chrono>

#include "platform/counter.h"

using Steady = std::chrono::steady_clock;

int64_t readCounter() { return Steady::now().time_since_epoch().count(); }

double counterPeriod() { return double(Steady::period::num) / double(Steady::period::den); }
