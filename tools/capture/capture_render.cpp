// The offscreen renderer of vorrend-capture.
// Framebuffer objects are GL 3.0: libOpenGL exports them, so their prototypes serve.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "capture.h"
#include "platform/headless.h"
#include "platform/offscreen.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/timeline.h"
#include "runtime/timeline_table.h"

namespace {
OffscreenGL* captureContext = nullptr;
int captureWidth = 0, captureHeight = 0;
GLuint antialiased = 0;  // the multisampled framebuffer drawn into, 0 for none

// The sample counts the renderer can draw an RGBA8 picture with, 1 (none) first.
std::vector<int> offeredSamples() {
    std::vector<int> counts = {1};
    GLint n = 0;
    glGetInternalformativ(GL_RENDERBUFFER, GL_RGBA8, GL_NUM_SAMPLE_COUNTS, 1, &n);
    if (glGetError() != GL_NO_ERROR || n <= 0) return counts;
    std::vector<GLint> listed(size_t(n), 0);
    glGetInternalformativ(GL_RENDERBUFFER, GL_RGBA8, GL_SAMPLES, n, listed.data());
    for (GLint c : listed)
        if (c > 1) counts.push_back(c);
    std::sort(counts.begin(), counts.end());
    return counts;
}

GLuint multisampledBuffer(GLenum format, int width, int height, int samples) {
    GLuint buffer = 0;
    glGenRenderbuffers(1, &buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, buffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    return buffer;
}
}  // namespace

bool startAntialiasing(int width, int height, int samples, std::string* error) {
    if (samples == 1) return true;
    std::vector<int> offered = offeredSamples();
    std::string list;
    for (size_t i = 0; i < offered.size(); ++i)
        list += (i == 0 ? "" : i + 1 == offered.size() ? " or " : ", ") + std::to_string(offered[i]);
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string cannot = "--aa " + std::to_string(samples) + ": this renderer (" +
                               (renderer ? renderer : "unnamed") + ") draws " + list + " samples per pixel";
    if (std::find(offered.begin(), offered.end(), samples) == offered.end()) {
        *error = cannot;
        return false;
    }
    // Colour and depth as the pbuffer has them; the pbuffer itself receives the
    // resolved picture that readFrame reads.
    GLuint colour = multisampledBuffer(GL_RGBA8, width, height, samples);
    GLint got = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &got);
    GLuint depth = multisampledBuffer(GL_DEPTH_COMPONENT24, width, height, samples);
    glGenFramebuffers(1, &antialiased);
    glBindFramebuffer(GL_FRAMEBUFFER, antialiased);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (got != samples || glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        antialiased = 0;
        *error = cannot + "; it gave " + std::to_string(got);
        return false;
    }
    return true;
}

bool startCaptureRenderer(int width, int height, int samples, std::string* error) {
    captureContext = createOffscreenGL(width, height, error);
    if (!captureContext) {
        *error = "no offscreen OpenGL context: " + *error;
        return false;
    }
    captureWidth = width;
    captureHeight = height;
    if (!startAntialiasing(width, height, samples, error)) return false;
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

void readFrame(int width, int height, std::vector<uint8_t>* picture) {
    picture->resize(size_t(width) * height * 4);
    // The samples of each pixel averaged into the pbuffer, read from there, and the
    // drawing goes on in the multisampled framebuffer.
    if (antialiased) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    }
    // BGRA is the pbuffer's own layout: a plain copy, four times faster than RGBA.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, picture->data());
    if (antialiased) glBindFramebuffer(GL_FRAMEBUFFER, antialiased);
}
