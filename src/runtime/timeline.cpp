#include "runtime/timeline.h"

#include <GL/gl.h>

#include "runtime/clock.h"
#include "scenes/scenes.h"

HSTREAM musicStream = 0;
float musicSpectrum[512] = {};

void dispatchTimeline() {
    // Every row is tested on its own; the windows are open, so a frame exactly on
    // a bound draws nothing.
    if (demoTime > 0.0f && demoTime < 20.0f) {
        BASS_StreamPlay(musicStream, false, 0);
        drawOpeningScene();
    }
    if (demoTime > 20.0f && demoTime < 35.0f) drawGalleryScene();
    if (demoTime > 35.0f && demoTime < 71.0f) drawShipScene();
    if (demoTime > 71.0f && demoTime < 86.0f) drawTunnelScene();
    if (demoTime > 86.0f && demoTime < 106.0f) drawTreasureRoomScene();
    if (demoTime > 106.0f && demoTime < 126.0f) drawTorusScene();
    if (demoTime > 126.0f && demoTime < 145.0f) drawShipScene();
    // Any frame past the end quits, so a stall across the last seconds (a suspended
    // machine, a debugger) cannot leave the demo running forever.
    if (demoTime > 145.0f) postQuitMessage(0);
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
    BASS_Init(1, 44100, 0, mainWindow, nullptr);
    musicStream = BASS_StreamCreateFile(false, "data/sound/vorrend.ogg", 0, 0, 0);
    int exitCode = 0;
    for (;;) {
        DemoEventKind event = peekDemoEvent(&exitCode);
        if (event == DemoEventKind::quit) break;
        if (event == DemoEventKind::none) renderFrame();
    }
    shutdownWindow();
    return exitCode;
}
