// Start-up and frame rate of the live demo on a virtual display (Xvfb of its own):
//   1. the real vorrend process: seconds from its start to the first picture on screen;
//   2. in process, through the demo's own steps: demoTime at each step and at the first
//      presented frame (the process's own start-up, exec and linking, not counted);
//   3. frames per second of the empty timeline (clocks, dispatch, swap; no scene);
//   4. frames per second in each scene window, presented through the window.
// Uses ./data when the working directory has one, else the plain-colour test set.
// Prints figures only.
#include <GL/gl.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "demo_process.h"
#include "platform/bass.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "runtime/timeline_table.h"
#include "test_data.h"
#include "test_ogg.h"

namespace {
double framesPerSecond(double seconds, void (*frame)(double elapsed)) {
    const double start = monotonicSeconds();
    int frames = 0;
    double elapsed = 0;
    while ((elapsed = monotonicSeconds() - start) < seconds) {
        frame(elapsed);
        ++frames;
    }
    glFinish();
    return frames / (monotonicSeconds() - start);
}

float sceneStart = 0;
}  // namespace

int main() {
    std::string dataDir = std::filesystem::current_path().string();
    std::string scratch;
    if (!std::filesystem::exists(dataRoot)) {
        scratch = (std::filesystem::temp_directory_path() / "vorrend-bench-runtime").string();
        std::filesystem::create_directories(scratch);
        if (!writeTestDataSet(scratch) || !writeTestSoundtrack(scratch, 150.0)) {
            std::fprintf(stderr, "cannot write a data set in %s\n", scratch.c_str());
            return 1;
        }
        dataDir = scratch;
        std::printf("data: plain-colour test set with a 150 s test tone\n");
    } else {
        std::printf("data: ./data\n");
    }

    VirtualDisplay display(1024, 768);
    if (!display.ok()) {
        std::fprintf(stderr, "cannot start Xvfb\n");
        return 1;
    }
    setenv("DISPLAY", display.name().c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    // 1. The real process, as a user starts it.
    for (int run = 0; run < 3; ++run) {
        DemoProcess demo(VORREND_EXE, dataDir, {});
        double seconds = waitForPicture(display, 30);
        double total = demo.secondsSinceStart();
        std::printf("vorrend run %d: first picture seen %.3f s after the process started\n", run + 1,
                    seconds < 0 ? -1.0 : total);
        demo.waitExit(0);  // killed by its destructor
    }

    // 2. The same steps in this process, the clock restarted as if the process began here.
    if (chdir(dataDir.c_str()) != 0) return 1;
    initDemoClock();
    DemoWindow window = createDemoWindow("Vorrend - Grumla 2", 640, 480, fullScreen);
    if (!window) return 1;
    float windowAt = readDemoClock();
    loadAssets(window);
    float loadedAt = readDemoClock();
    BASS_Init(1, 44100, 0, mainWindow, nullptr);
    musicStream = BASS_StreamCreateFile(false, dataPath(soundtrackFile).c_str(), 0, 0, 0);
    renderFrame();
    glFinish();
    std::printf("in process: window %.3f s, assets loaded %.3f s, first frame presented at demoTime %.3f s\n", windowAt,
                loadedAt, readDemoClock());
    std::printf("picture %d x %d in a %d x %d screen\n", clientRect.right, clientRect.bottom, display.width(),
                display.height());

    // 3. The empty timeline: a frame on a bound draws no scene.
    double empty = framesPerSecond(2.0, [](double) {
        BASS_ChannelGetData(musicStream, musicSpectrum, BASS_DATA_FFT512);
        glEnable(GL_TEXTURE_2D);
        setDemoClocks(showEnd);
        dispatchTimeline();
        swapDemoBuffers();
    });
    std::printf("empty timeline: %.0f frames per second\n", empty);

    // 4. Each scene window from its start, presented.
    for (const TimelineWindow& row : timeline) {
        sceneStart = row.from + 0.01f;
        double fps = framesPerSecond(2.0, [](double elapsed) {
            BASS_ChannelGetData(musicStream, musicSpectrum, BASS_DATA_FFT512);
            drawFrameAt(sceneStart + float(elapsed));
            swapDemoBuffers();
        });
        std::printf("%-14s %6.1f frames per second (from %g s)\n", sceneName(row.scene), fps, row.from);
    }
    BASS_Free();
    if (!scratch.empty()) std::filesystem::remove_all(scratch);
    return 0;
}
