#include "runtime/show.h"

#include <GL/gl.h>

#include <cstdio>

#include "platform/bass.h"
#include "platform/window.h"
#include "runtime/clock.h"
#include "runtime/manifest.h"
#include "runtime/timeline.h"

void openMusic() {
    if (!BASS_Init(1, 44100, 0, mainWindow, nullptr)) std::fputs("vorrend: no sound device; playing silent\n", stderr);
    musicStream = BASS_StreamCreateFile(false, dataPath(soundtrackFile).c_str(), 0, 0, 0);
}

void runPlannedFrame(const PlannedFrame& frame, const PlannedSpectrum& spectrum) {
    if (spectrum) spectrum(frame.musicSeconds, musicSpectrum);
    if (frame.quiet) glScissor(pictureOriginX, pictureOriginY, 1, 1);
    drawFrameAt(frame.time);
    if (frame.quiet) glScissor(pictureOriginX, pictureOriginY, clientRect.right, clientRect.bottom);
}

void replayHistory(const FrameRate& fps, double firstShown, const PlannedSpectrum& spectrum,
                   const volatile std::sig_atomic_t* stop) {
    for (const PlannedFrame& frame : shortHistory(fps, firstShown)) {
        if (stop && *stop) return;
        runPlannedFrame(frame, spectrum);
    }
}

void drawPictureAt(const FrameRate& fps, double time, const PlannedSpectrum& spectrum,
                   const volatile std::sig_atomic_t* stop) {
    replayHistory(fps, time, spectrum, stop);
    if (!(stop && *stop)) runPlannedFrame({float(time), musicSecondsAt(fps, time), false}, spectrum);
}

void startShowAt(double time) {
    BASS_Free();  // a show played before, or the page's sound opened early
    musicStream = 0;
    if (time >= 0) replayHistory(showPlanRate, time, {});
    openMusic();
    if (time < 0) return;
    if (time > 0) {
        BASS_ChannelSetPosition(musicStream, BASS_ChannelSeconds2Bytes(musicStream, time), BASS_POS_BYTE);
        BASS_StreamPlay(musicStream, false, 0);
    }
    startDemoClockAt(float(time));
}

bool playLiveFrame(int* exitCode) {
    for (DemoEventKind event; (event = peekDemoEvent(exitCode)) != DemoEventKind::none;)
        if (event == DemoEventKind::quit) return false;
    renderFrame();
    return true;
}

void finishShow() {
    shutdownWindow();
    BASS_Free();
}
