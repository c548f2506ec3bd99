// The frame: spectrum, clocks, the scene of the current second, swap.
#pragma once
#include "platform/bass.h"

// Music state, whole-run lifetime.
extern HSTREAM musicStream;       // 0 when the soundtrack could not be opened
extern float musicSpectrum[512];  // first 256 written each frame; scenes read [0]

// Where the show starts, set before runMainLoop: negative (as made) for a clock that
// runs from process start, else the demoTime of the first frame (--from).
extern float showStart;

void dispatchTimeline();
// Tests every row of the timeline (timeline_table.h) on its own: a row whose open
// window holds demoTime asks for the music if it plays it, then draws its scene.
// Any frame past showEnd posts the quit request.

void drawFrameAt(float time);
// One frame as the live demo draws it at demoTime = time, without the spectrum
// fetch and the swap: texturing on, clocks set, timeline dispatched. The capture
// tool and the tests drive the demo through this.

void renderFrame();
// Live frame: spectrum fetch, texturing on, clocks from the clock, dispatch, swap.

int runMainLoop();
// The live show (runtime/show.h): started at showStart (startShowAt: the music set up,
// saying once on stderr when there is no sound device; with showStart set, the
// frames that lead up to it drawn unseen first, as the capture tool plans them, and
// the clock and the music from there), then every waiting event and a frame per pass
// until a quit request is taken; ends the show (finishShow: the window shut down, the
// sound closed) and returns the quit code.
