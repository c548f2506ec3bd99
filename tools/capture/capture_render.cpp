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
#include "platform/headless/headless.h"
#include "platform/offscreen.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/show.h"
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
    while (glGetError() != GL_NO_ERROR) {
    }
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

namespace {
// GL reads a picture drawn the right way up bottom row first.
void topRowFirst(int width, int height, std::vector<uint8_t>* picture) {
    const size_t row = size_t(width) * 4;
    for (int y = 0; y < height / 2; ++y)
        std::swap_ranges(picture->begin() + long(y * row), picture->begin() + long((y + 1) * row),
                         picture->begin() + long((height - 1 - y) * row));
}
}  // namespace

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
    topRowFirst(width, height, picture);
}

// ---- frames in flight --------------------------------------------------------------
//
// llvmpipe's glReadPixels waits for every frame drawn so far, so in one context the
// next frame's vertex work never overlaps the last one's rasterising. So a span is
// drawn into a ring of framebuffers and each frame is fenced; a second context on the
// writer's thread waits for a frame's fence and reads it while the next frames are
// drawn. The ring is drawn upside-down (the clip origin at the top), as the pbuffer
// holds its pictures: that makes every pixel the pbuffer's own, and rows come top
// first. With antialiasing the multisampled framebuffer is resolved into the ring.

namespace {
OffscreenGL* readerContext = nullptr;
std::vector<GLuint> ringTextures, ringFramebuffers;
GLuint ringDepth = 0;

GLuint ringFramebuffer(GLuint texture, GLuint depth) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (depth) glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    return framebuffer;
}

// Whether a frame at that time draws a scene; one that does not leaves the picture
// before it.
bool drawsAScene(float time) {
    for (const TimelineWindow& window : timeline)
        if (windowHolds(window, time)) return true;
    return false;
}
}  // namespace

bool startFrameRing(int slots, std::string* error) {
    readerContext = createSharedOffscreenGL(captureContext, error);
    if (!readerContext) return false;
    // BGRA textures, the pbuffer's own layout (and so its blending to the bit), one
    // depth buffer for all: frames are drawn one after the other.
    ringTextures.resize(size_t(slots));
    glGenTextures(slots, ringTextures.data());
    glGenRenderbuffers(1, &ringDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, ringDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, captureWidth, captureHeight);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    for (GLuint texture : ringTextures) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, captureWidth, captureHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        ringFramebuffers.push_back(ringFramebuffer(texture, antialiased ? 0 : ringDepth));
        // Black, as the pbuffer starts: a first frame on a bound shows it.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            glBindFramebuffer(GL_FRAMEBUFFER, antialiased);
            *error = "the renderer cannot draw into a texture";
            return false;
        }
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    // The multisampled framebuffer stays the right way up, as for single pictures, so
    // that its samples fall where theirs do; the reader turns its rows.
    while (glGetError() != GL_NO_ERROR) {  // what earlier calls left is not ours to judge
    }
    if (!antialiased) glClipControl(GL_UPPER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    if (glGetError() != GL_NO_ERROR) {
        glBindFramebuffer(GL_FRAMEBUFFER, antialiased);
        *error = "the renderer cannot turn its clip origin";
        return false;
    }
    // The frame history goes where frame 0 finds the picture before it.
    glBindFramebuffer(GL_FRAMEBUFFER, antialiased ? antialiased : ringFramebuffers.back());
    return true;
}

void drawRingFrame(const PlannedFrame& frame, Soundtrack& sound, int64_t index, CapturedFrame* captured) {
    const size_t slots = ringFramebuffers.size(), slot = size_t(index) % slots;
    const int w = captureWidth, h = captureHeight;
    if (!antialiased) {
        glBindFramebuffer(GL_FRAMEBUFFER, ringFramebuffers[slot]);
        // The multisampled framebuffer keeps the last picture by itself; a slot holds
        // an older one.
        if (!drawsAScene(frame.time)) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, ringFramebuffers[(slot + slots - 1) % slots]);
            glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, ringFramebuffers[slot]);
        }
    }
    runPlannedFrame(frame, heardIn(sound));
    if (antialiased) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, ringFramebuffers[slot]);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, antialiased);
    }
    captured->ringSlot = int(slot);
    captured->fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
}

bool readRingFrame(CapturedFrame* captured, std::string* error) {
    // The writer's thread: the reading context made current there once, with
    // framebuffers of its own on the shared textures.
    static thread_local std::vector<GLuint> framebuffers;
    if (framebuffers.empty()) {
        if (!makeOffscreenGLCurrent(readerContext)) {
            *error = "cannot use the second GL context";
            return false;
        }
        for (GLuint texture : ringTextures) framebuffers.push_back(ringFramebuffer(texture, 0));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
    }
    GLsync fence = static_cast<GLsync>(captured->fence);
    glClientWaitSync(fence, 0, GL_TIMEOUT_IGNORED);
    glDeleteSync(fence);
    captured->fence = nullptr;
    captured->picture.resize(size_t(captureWidth) * captureHeight * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[size_t(captured->ringSlot)]);
    glReadPixels(0, 0, captureWidth, captureHeight, GL_BGRA, GL_UNSIGNED_BYTE, captured->picture.data());
    if (antialiased) topRowFirst(captureWidth, captureHeight, &captured->picture);
    return true;
}
