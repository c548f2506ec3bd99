// Frame times and histories. Frame i (0 the first) of a span from A to B is on screen
// while the demo's time runs from A + i/fps to A + (i + 1)/fps, and shows the demo
// at the middle of that, A + (i + 1/2)/fps, for i = 0 .. N - 1, N = floor((B - A) *
// fps). A live frame falls anywhere in its interval; the middle is the fair sample,
// and it keeps frames off the whole seconds where the timeline and the scenes
// switch (a frame exactly on one shows what a viewer practically never sees: no
// camera at 47 s, the frame before repeated on a window bound). The music heard
// with frame i is the soundtrack from A + i/fps to A + (i + 1)/fps. A whole run is
// the span from 0, its music starting with its first frame: grid frame k shows
// (k + 1/2)/fps. A frame history is which frames to draw, unseen, before a picture at
// a given time so that it finds the state a whole run leaves there: the capture tool
// plans every picture with them, and the player starting part-way (--from) its first
// frame.
#pragma once
#include <cstdint>
#include <vector>

struct FrameRate {
    int64_t num = 60, den = 1;  // frames per second = num / den
    double value() const { return double(num) / double(den); }
    double seconds(int64_t frames) const { return double(frames) * double(den) / double(num); }
};

struct PlannedFrame {
    float time;           // demoTime
    double musicSeconds;  // how much music has been heard when the frame starts
    bool quiet;           // history: only its GL state matters, not its picture
};

PlannedFrame spanFrame(const FrameRate& fps, double from, int64_t i);
// Frame i (0 the first) of a span from `from`: demoTime from + (i + 1/2)/fps, the
// music at from + i/fps. Grid frame k of a whole run is spanFrame(fps, 0, k).

std::vector<PlannedFrame> fullHistory(const FrameRate& fps, double firstShown);
// Every grid frame before firstShown (the demoTime of the first frame shown): the
// frame history of a whole run at fps.

std::vector<PlannedFrame> shortHistory(const FrameRate& fps, double firstShown);
// The frames of fullHistory that decide the state firstShown finds: the last grid
// frame of every earlier scene window, then the two grid frames just before
// firstShown. See frame_plan.cpp for why this leaves the same state.

double musicSecondsAt(const FrameRate& fps, double demoSeconds);
// Music heard at the start of a frame showing demoSeconds: half a frame earlier, the
// start of its display interval (never negative). What a picture at demoSeconds hears.
