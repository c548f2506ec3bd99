// The show's timeline as one table: the open window of demoTime each scene plays
// in, and the end of the show. Plain constants without GL, so that the frame, the
// capture tool's frame plans, the soundtrack's sections and the tests all read the
// same bounds.
#pragma once
#include <cstddef>
#include <stdexcept>

enum class Scene { opening, gallery, ship, tunnel, treasureRoom, torus };

struct TimelineWindow {
    float from, to;   // open: from < demoTime < to, both strict, in single precision
    Scene scene;      // drawn by every frame inside the window
    bool playsMusic;  // every frame inside the window also asks for the music, before drawing
};

// Every frame past the end, demoTime > showEnd, posts the quit request: a stall
// across the last seconds (a suspended machine, a debugger) still ends the show.
inline constexpr float showEnd = 145.0f;

// In time order. Each row is tested on its own, so a frame exactly on a bound draws
// nothing. The Ship scene plays twice and tells its passages apart by demoTime.
inline constexpr TimelineWindow timeline[] = {
    {0.0f, 20.0f, Scene::opening, true},         {20.0f, 35.0f, Scene::gallery, false},
    {35.0f, 71.0f, Scene::ship, false},          {71.0f, 86.0f, Scene::tunnel, false},
    {86.0f, 106.0f, Scene::treasureRoom, false}, {106.0f, 126.0f, Scene::torus, false},
    {126.0f, showEnd, Scene::ship, false},
};
inline constexpr size_t timelineRows = sizeof(timeline) / sizeof(timeline[0]);

constexpr bool windowHolds(const TimelineWindow& window, float time) { return time > window.from && time < window.to; }

// The passage-th window (0 the first) a scene plays in.
constexpr const TimelineWindow& windowOf(Scene scene, int passage = 0) {
    for (const TimelineWindow& window : timeline)
        if (window.scene == scene && passage-- == 0) return window;
    throw std::out_of_range("the scene has no such passage");  // where constant: a compile error
}

constexpr const char* sceneName(Scene scene) {
    switch (scene) {
    case Scene::opening:
        return "opening";
    case Scene::gallery:
        return "gallery";
    case Scene::ship:
        return "ship";
    case Scene::tunnel:
        return "tunnel";
    case Scene::treasureRoom:
        return "treasure room";
    case Scene::torus:
        return "torus";
    }
    return "?";
}

// Windows that overlapped would draw two scenes in one frame.
constexpr bool windowsInOrder() {
    for (size_t i = 0; i < timelineRows; ++i) {
        if (!(timeline[i].from < timeline[i].to)) return false;
        if (i > 0 && timeline[i].from < timeline[i - 1].to) return false;
    }
    return timeline[timelineRows - 1].to <= showEnd;
}
static_assert(windowsInOrder(), "timeline windows must be in order and must not overlap");
