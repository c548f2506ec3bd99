#include "runtime/clock.h"

#include "platform/counter.h"

int64_t timerStart = 0;
double timerPeriod = 0.0;

float demoTime = 0, introSlide = 0;
float t19 = 0, t31 = 0, t52 = 0, t69 = 0, t71 = 0, t106 = 0, t126 = 0;

void initDemoClock() {
    timerPeriod = counterPeriod();
    timerStart = readCounter();
}

// The demo's time starts here, before main: start-up counts on the timeline.
static const bool demoClockStarted = (initDemoClock(), true);

void startDemoClockAt(float seconds) { timerStart = readCounter() - int64_t(double(seconds) / timerPeriod); }

float readDemoClock() {
    int64_t now = readCounter();
    return float(double(now - timerStart) * timerPeriod);
}

void setDemoClocks(float now) {
    demoTime = now;
    introSlide = demoTime;
    t19 = demoTime - 19.0f;
    t31 = demoTime - 31.0f;
    t52 = demoTime - 52.0f;
    t69 = demoTime - 69.0f;
    t71 = demoTime - 71.0f;
    t106 = demoTime - 106.0f;
    t126 = demoTime - 126.0f;
    if (demoTime > 19.0f) introSlide = 19.0f;
}
