#include "runtime/timeline.h"

#include <GL/gl.h>

#include <cstdio>

#include "runtime/clock.h"
#include "runtime/manifest.h"
#include "runtime/timeline_table.h"
#include "scenes/scenes.h"

HSTREAM musicStream = 0;
float musicSpectrum[512] = {};

namespace {

// The draw function of each scene of the timeline.
void drawScene(Scene scene) {
    switch (scene) {
    case Scene::opening:
        drawOpeningScene();
        break;
    case Scene::gallery:
        drawGalleryScene();
        break;
    case Scene::ship:
        drawShipScene();
        break;
    case Scene::tunnel:
        drawTunnelScene();
        break;
    case Scene::treasureRoom:
        drawTreasureRoomScene();
        break;
    case Scene::torus:
        drawTorusScene();
        break;
    }
}

}  // namespace

void dispatchTimeline() {
    for (const TimelineWindow& window : timeline) {
        if (!windowHolds(window, demoTime)) continue;
        if (window.playsMusic) BASS_StreamPlay(musicStream, false, 0);
        drawScene(window.scene);
    }
    if (demoTime > showEnd) postQuitMessage(0);
}

void drawFrameAt(float time) {
    glEnable(GL_TEXTURE_2D);
    setDemoClocks(time);
    dispatchTimeline();
}

void renderFrame() {
    BASS_ChannelGetData(musicStream, musicSpectrum, BASS_DATA_FFT512);
    glEnable(GL_TEXTURE_2D);
    setDemoClocks(readDemoClock());
    dispatchTimeline();
    swapDemoBuffers();
}

int runMainLoop() {
    if (!BASS_Init(1, 44100, 0, mainWindow, nullptr)) std::fputs("vorrend: no sound device; playing silent\n", stderr);
    musicStream = BASS_StreamCreateFile(false, dataPath(soundtrackFile).c_str(), 0, 0, 0);
    int exitCode = 0;
    for (;;) {
        DemoEventKind event = peekDemoEvent(&exitCode);
        if (event == DemoEventKind::quit) break;
        if (event == DemoEventKind::none) renderFrame();
    }
    shutdownWindow();
    return exitCode;
}
