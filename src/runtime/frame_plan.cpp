// Frame histories on a grid of frame times.
#include "runtime/frame_plan.h"

#include <algorithm>
#include <cmath>

#include "runtime/timeline_table.h"

namespace {

// The row of the timeline whose window holds the time; -1 on a bound or past the
// end, where a frame draws nothing.
int windowAt(float time) {
    for (size_t w = 0; w < timelineRows; ++w)
        if (windowHolds(timeline[w], time)) return int(w);
    return -1;
}

// The middle of frame i's display interval [from + i/fps, from + (i + 1)/fps), in
// halves of the rate's own fraction.
double middleOf(const FrameRate& fps, double from, int64_t i) {
    return from + double(2 * i + 1) * double(fps.den) / double(2 * fps.num);
}

// The grid frames before firstShown: 0 .. count - 1. A hair of tolerance keeps a
// time given as text (21.15) from counting its own grid frame as history.
int64_t historyCount(const FrameRate& fps, double firstShown) {
    int64_t count = int64_t(std::ceil(firstShown * fps.value())) + 1;
    while (count > 0 && middleOf(fps, 0, count - 1) >= firstShown - 1e-7) --count;
    return count;
}

PlannedFrame gridFrame(const FrameRate& fps, int64_t k) {
    PlannedFrame frame = spanFrame(fps, 0, k);
    frame.quiet = true;
    return frame;
}

}  // namespace

PlannedFrame spanFrame(const FrameRate& fps, double from, int64_t i) {
    // The music's position is the same expression as the capture's sound boundaries
    // (from + i/fps), so spectrum and sound agree to the sample.
    return {float(middleOf(fps, from, i)), from + fps.seconds(i), false};
}

double musicSecondsAt(const FrameRate& fps, double demoSeconds) {
    // The frame's display interval, and the sound heard with it, starts half a frame
    // before the time it shows.
    return std::max(0.0, demoSeconds - 0.5 * fps.seconds(1));
}

std::vector<PlannedFrame> fullHistory(const FrameRate& fps, double firstShown) {
    std::vector<PlannedFrame> frames;
    const int64_t count = historyCount(fps, firstShown);
    frames.reserve(size_t(count));
    for (int64_t k = 0; k < count; ++k) frames.push_back(gridFrame(fps, k));
    // A first shown frame on a window bound draws nothing and shows this one's picture.
    if (!frames.empty()) frames.back().quiet = false;
    return frames;
}

// Why the short history leaves the same state as the full one. Scenes save and
// restore nothing, but what a scene frame leaves is, item by item, either set from
// demoTime alone, or passed on untouched, or (light 0's position only) derived from
// the modelview it found. Within a window, an item one frame sets is set by every
// later frame too (a scene's timed layers, once started, run to the window's end),
// so after a window's last frame every item holds either that frame's own value or
// what the window's first frame found, i.e. what the previous window's last frame
// left. Rendering only the last frame of each window, in order, therefore leaves
// the full history's state at each window's end, up to light 0's position, which
// every frame that lights anything sets again before it draws. Frames on a window
// bound draw nothing and change nothing; the blob meshes are rewritten from demoTime
// before every draw. Of the two frames before firstShown, the first may find another
// window's state and draw a different picture, but leaves the right state; the
// second then finds exactly the full history's state, so its picture is right too,
// and a first shown frame on a window bound (which draws nothing) shows it. A test
// checks all of this against the full history across every window and bound.
std::vector<PlannedFrame> shortHistory(const FrameRate& fps, double firstShown) {
    const int64_t count = historyCount(fps, firstShown);
    int64_t lastOfWindow[timelineRows];
    std::fill(lastOfWindow, lastOfWindow + timelineRows, -1);
    for (int64_t k = 0; k < count; ++k) {
        int w = windowAt(gridFrame(fps, k).time);
        if (w >= 0) lastOfWindow[w] = k;
    }
    std::vector<int64_t> keep;
    for (int64_t k : lastOfWindow)
        if (k >= 0) keep.push_back(k);
    for (int64_t k = std::max<int64_t>(0, count - 2); k < count; ++k) keep.push_back(k);
    std::sort(keep.begin(), keep.end());
    keep.erase(std::unique(keep.begin(), keep.end()), keep.end());

    std::vector<PlannedFrame> frames;
    for (int64_t k : keep) frames.push_back(gridFrame(fps, k));
    if (!frames.empty()) frames.back().quiet = false;
    return frames;
}
