// Frame histories: which frames to draw, unseen, before a picture at a given time so
// that it finds the state a whole run leaves there. The capture tool plans every
// picture with them, and the player starting part-way (--from) its first frame.
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

std::vector<PlannedFrame> fullHistory(const FrameRate& fps, double firstShown);
// Every grid frame before firstShown (the demoTime of the first frame shown): the
// frame history of the live demo running at fps, its first frame at 1/fps.

std::vector<PlannedFrame> shortHistory(const FrameRate& fps, double firstShown);
// The frames of fullHistory that decide the state firstShown finds: the last grid
// frame of every earlier scene window, then the two grid frames just before
// firstShown. See frame_plan.cpp for why this leaves the same state.

double musicSecondsAt(const FrameRate& fps, double demoSeconds);
// Music heard at the start of a frame at demoSeconds, the music having started with
// the run's first frame at 1/fps (never negative).
