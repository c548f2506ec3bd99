// Starting, running and ending a show: one way for every entry, the player
// (runMainLoop, and its --time picture), the web page and the capture tool. What
// differs between them is only where a planned frame's music comes from and who
// turns the loop.
#pragma once
#include <csignal>
#include <functional>

#include "runtime/frame_plan.h"

// The rate a show started part-way plans the frames that lead up to its start at,
// and a picture at a time its history: vorrend-capture's default, so that the
// player's and the page's pictures are the capture's.
constexpr FrameRate showPlanRate{};

// What a planned frame hears: the 256 magnitudes (as BASS_DATA_FFT512 gives them
// live) once musicSeconds of the soundtrack have played. Empty: the frame keeps
// musicSpectrum as it is.
using PlannedSpectrum = std::function<void(double musicSeconds, float magnitudes[256])>;

void openMusic();
// The default sound device and the soundtrack's stream in musicStream, not playing
// yet. Without a device one line on stderr says the show plays silent.

void runPlannedFrame(const PlannedFrame& frame, const PlannedSpectrum& spectrum);
// musicSpectrum from `spectrum`, then the demo's frame at frame.time (drawFrameAt),
// unpresented. A quiet frame is rasterised into the picture's first pixel only:
// scenes never touch the scissor, so the GL state it leaves is exactly a full
// frame's, at a fraction of the cost. Needs the window's scissor on the picture
// (createGLContext).

void replayHistory(const FrameRate& fps, double firstShown, const PlannedSpectrum& spectrum,
                   const volatile std::sig_atomic_t* stop = nullptr);
// The frames that lead up to a first frame shown at firstShown (shortHistory at
// fps), unseen, each by runPlannedFrame: the frame at firstShown then finds the
// state a whole run at fps leaves there. Stops part-way once *stop is set.

void drawPictureAt(const FrameRate& fps, double time, const PlannedSpectrum& spectrum,
                   const volatile std::sig_atomic_t* stop = nullptr);
// The picture at `time` as vorrend-capture --time draws it: the history at fps,
// then the frame at `time` hearing the music up to the start of its display
// interval (musicSecondsAt). Not presented. Stops part-way, without the picture,
// once *stop is set.

void startShowAt(double time);
// Starts the live show afresh (any sound opened before closed first). Negative
// `time`: the music set up (openMusic) and the clock
// left running from process start, so loading time counts. Else a show started
// part-way: the frames that lead up to `time` at showPlanRate first (before the
// music exists, so the Opening's play request among them finds no stream, and
// without their spectra, which only move layers inside their own frames), then the
// music, playing from `time` whichever scene's window that lies in (from 0, the
// Opening's first frame starts it, as in a whole run), and the clock reading `time`
// now.

bool playLiveFrame(int* exitCode);
// One pass of the live show: every waiting event handled (the window procedure),
// then a frame from the clock, presented (renderFrame). False, with the request's
// code in *exitCode and nothing drawn, once a quit request is taken.

int holdPictureAt(double time, const PlannedSpectrum& spectrum);
// The player's --time: the picture at `time` (drawPictureAt at showPlanRate),
// presented and held, shown again after every window event (exposed, resized), until
// a quit request; no music, no clock. Ends the show (finishShow) and returns the
// request's code. Native builds only (show_still.cpp): a page keeps its canvas.

void finishShow();
// The show's end, however it came: the window shut down (shutdownWindow) and the
// sound closed (BASS_Free), so the audio thread stops before static destructors run.
