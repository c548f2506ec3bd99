// The frame: spectrum, clocks, the scene of the current second, swap.
#pragma once
#include "platform/bass.h"

// Music state, whole-run lifetime.
extern HSTREAM musicStream;       // 0 when the soundtrack could not be opened
extern float musicSpectrum[512];  // first 256 written each frame; scenes read [0]

void dispatchTimeline();
// Calls the scene whose open window holds demoTime (every row tested on its own);
// plays the music during the first 20 s; posts the quit request after 145 s.

void drawFrameAt(float time);
// One frame as the live demo draws it at demoTime = time, without the spectrum
// fetch and the swap: texturing on, clocks set, timeline dispatched. The capture
// tool and the tests drive the demo through this.

void renderFrame();
// Live frame: spectrum fetch, texturing on, clocks from the clock, dispatch, swap.

int runMainLoop();
// Sets up the music, then one event per pass, a frame when none is waiting, until
// a quit request is taken; shuts the window down and returns the quit code.
