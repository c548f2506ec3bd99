#include "runtime/timeline.h"

#include <GL/gl.h>

#include "runtime/clock.h"
#include "runtime/show.h"
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
    startShowAt(showStart);
    int exitCode = 0;
    while (playLiveFrame(&exitCode)) {
    }
    finishShow();
    return exitCode;
}
