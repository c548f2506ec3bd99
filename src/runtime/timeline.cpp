#include "runtime/timeline.h"

#include <GL/gl.h>

#include <cstdio>

#include "runtime/clock.h"
#include "runtime/frame_plan.h"
#include "runtime/manifest.h"
#include "runtime/stop_request.h"
#include "runtime/timeline_table.h"
#include "scenes/scenes.h"

HSTREAM musicStream = 0;
float musicSpectrum[512] = {};
float showStart = -1.0f;

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
    // A show started part-way first draws, unseen, the frames that lead up to its
    // start as the capture tool plans them at 60 fps. Their spectra only move layers
    // inside their own frames, so they are not computed, and as the music is not set
    // up yet their play requests find no stream.
    const bool partWay = showStart >= 0;
    if (partWay)
        for (const PlannedFrame& frame : shortHistory(FrameRate{60, 1}, showStart))
            if (!stopRequested) drawFrameAt(frame.time);
    if (!BASS_Init(1, 44100, 0, mainWindow, nullptr)) std::fputs("vorrend: no sound device; playing silent\n", stderr);
    musicStream = BASS_StreamCreateFile(false, dataPath(soundtrackFile).c_str(), 0, 0, 0);
    if (partWay) {
        // The music from the start too, whichever window it lies in (only the
        // Opening's frames ask for it), and the clock reading the start now.
        BASS_ChannelSetPosition(musicStream, BASS_ChannelSeconds2Bytes(musicStream, showStart), BASS_POS_BYTE);
        BASS_StreamPlay(musicStream, false, 0);
        startDemoClockAt(showStart);
    }
    int exitCode = 0;
    for (;;) {
        DemoEventKind event = peekDemoEvent(&exitCode);
        if (event == DemoEventKind::quit) break;
        if (event == DemoEventKind::none) renderFrame();
    }
    shutdownWindow();
    return exitCode;
}
