// The demo's clocks. The origin is taken during static initialisation, before
// main, so start-up time counts on the timeline.
#pragma once
#include <cstdint>

// Set once by initDemoClock, whole-run lifetime.
extern int64_t timerStart;  // counter ticks at process start (platform/counter.h)
extern double timerPeriod;  // seconds per tick

// Set at the start of every frame, seconds, single precision.
extern float demoTime;                             // since timerStart
extern float introSlide;                           // demoTime, held at 19 once demoTime passes 19
extern float t19, t31, t52, t69, t71, t106, t126;  // demoTime minus that many seconds

void initDemoClock();
// Reads the tick period and the start count. Runs from a static initialiser.

void startDemoClockAt(float seconds);
// Moves the origin so that the clock reads `seconds` now: a show started part-way.

float readDemoClock();
// Seconds since timerStart, rounded to single precision.

void setDemoClocks(float now);
// demoTime = now, then introSlide and t19 ... t126 from it.
