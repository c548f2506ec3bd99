// Where the capture's time goes: per frame, rendering (the demo's frame, finished),
// reading the picture back, and writing it as a PNG, for a few seconds of every
// scene; then what a single picture late in the demo costs with the short frame
// history against the whole one. Prints figures; asserts nothing.
//
//   bench_capture_stages [folder] [WxH]   folder holding data/ (default: current)
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "capture.h"
#include "runtime/manifest.h"
#include "runtime/show.h"

int main(int argc, char** argv) {
    if (argc > 1 && chdir(argv[1]) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 1;
    }
    int width = 640, height = 480;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) return 1;
    Soundtrack sound;
    std::string error;
    if (!openSoundtrack(dataPath(soundtrackFile), &sound, &error)) std::printf("(no soundtrack: silent spectrum)\n");
    // PNG writing measured without the disk: into a sink that is never committed.
    StagedFile sink;
    sink.path = "/dev/null";
    sink.file = std::fopen("/dev/null", "wb");
    auto start = Clock::now();
    if (!startCaptureRenderer(width, height, 1, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("start-up (context, assets): %.3f s\n", secondsSince(start));

    const FrameRate fps{60, 1};
    const struct {
        const char* scene;
        double from;
    } spans[] = {{"opening", 5},        {"gallery", 30}, {"ship", 50},       {"tunnel", 75},
                 {"treasure room", 95}, {"torus", 115},  {"ship (end)", 135}};
    const int frames = 120;
    std::vector<uint8_t> picture;
    std::printf("%dx%d, %d frames each, ms per frame (wall; processor for a whole captured frame):\n", width, height,
                frames);
    std::printf("  %-14s %8s %8s %8s %8s %10s\n", "scene", "render", "read", "png(1)", "quiet", "processor");
    for (const auto& span : spans) {
        replayHistory(fps, span.from, heardIn(sound));
        double render = 0, read = 0, png = 0, quiet = 0, processor = 0;
        for (int i = 0; i < frames; ++i) {
            double p0 = processorSeconds();
            PlannedFrame frame = spanFrame(fps, span.from, i);
            auto t0 = Clock::now();
            runPlannedFrame(frame, heardIn(sound));
            glFinish();
            auto t1 = Clock::now();
            readFrame(width, height, &picture);
            auto t2 = Clock::now();
            writePngTo(&sink, width, height, picture.data(), 1, &error);
            auto t3 = Clock::now();
            processor += processorSeconds() - p0;
            frame.quiet = true;
            runPlannedFrame(frame, heardIn(sound));
            glFinish();
            quiet += secondsSince(t3);
            render += std::chrono::duration<double>(t1 - t0).count();
            read += std::chrono::duration<double>(t2 - t1).count();
            png += std::chrono::duration<double>(t3 - t2).count();
        }
        std::printf("  %-14s %8.2f %8.2f %8.2f %8.2f %10.2f\n", span.scene, 1e3 * render / frames, 1e3 * read / frames,
                    1e3 * png / frames, 1e3 * quiet / frames, 1e3 * processor / frames);
    }

    for (bool whole : {false, true}) {
        auto t0 = Clock::now();
        std::vector<PlannedFrame> history = whole ? fullHistory(fps, 144.0) : shortHistory(fps, 144.0);
        for (const PlannedFrame& f : history) runPlannedFrame(f, heardIn(sound));
        runPlannedFrame({144.0f, musicSecondsAt(fps, 144.0), false}, heardIn(sound));
        readFrame(width, height, &picture);
        std::printf("picture at 144 s after the %s history (%zu frames): %.3f s\n", whole ? "whole" : "short",
                    history.size(), secondsSince(t0));
    }
    return 0;
}
