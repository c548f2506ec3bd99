// The offscreen renderer of vorrend-capture.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

#include "capture.h"
#include "platform/headless.h"
#include "platform/offscreen.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/timeline.h"

namespace {
OffscreenGL* captureContext = nullptr;
int captureWidth = 0, captureHeight = 0;
}  // namespace

bool startCaptureRenderer(int width, int height, std::string* error) {
    captureContext = createOffscreenGL(width, height, error);
    if (!captureContext) return false;
    captureWidth = width;
    captureHeight = height;
    headlessSetPictureSize(width, height);
    DemoWindow window = createDemoWindow("Vorrend - Grumla 2", width, height, fullScreen);
    loadAssets(window);
    // The pbuffer starts undefined; a frame on a window bound at the very start shows
    // black, as a fresh window would. The clear colour is still the start-up one.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    return true;
}

void renderPlannedFrame(const PlannedFrame& frame, Soundtrack& sound) {
    spectrumAt(sound, frame.musicSeconds, musicSpectrum);
    if (frame.quiet) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, 1, 1);
    }
    drawFrameAt(frame.time);
    if (frame.quiet) {
        glDisable(GL_SCISSOR_TEST);
        glScissor(0, 0, captureWidth, captureHeight);
    }
}

void readFrame(int width, int height, std::vector<uint8_t>* rgb) {
    static std::vector<uint8_t> bgra;
    bgra.resize(size_t(width) * height * 4);
    rgb->resize(size_t(width) * height * 3);
    // BGRA is the pbuffer's own layout: a plain copy, four times faster than RGBA.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = bgra.data() + size_t(height - 1 - y) * width * 4;
        uint8_t* to = rgb->data() + size_t(y) * width * 3;
        for (int x = 0; x < width; ++x, from += 4, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
}
