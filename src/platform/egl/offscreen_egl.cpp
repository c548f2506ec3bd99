#include "platform/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

struct OffscreenGL {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    EGLConfig config = nullptr;
};

// Says what failed, with EGL's error code read before any clean-up call can reset
// it, then releases whatever was made so far.
static OffscreenGL* fail(std::string* error, const char* what, EGLDisplay display = EGL_NO_DISPLAY,
                         EGLSurface surface = EGL_NO_SURFACE, EGLContext context = EGL_NO_CONTEXT) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", unsigned(eglGetError()));
    if (error) *error = std::string(what) + " (EGL error " + code + ")";
    if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
    if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
    if (display != EGL_NO_DISPLAY) eglTerminate(display);
    return nullptr;
}

OffscreenGL* createOffscreenGL(int width, int height, std::string* error) {
    // Mesa's surfaceless platform needs neither a display server nor a GPU.
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return fail(error, "eglGetPlatformDisplayEXT is missing");
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return fail(error, "no surfaceless EGL display");

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_NONE};
    EGLConfig config;
    EGLint configCount = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1)
        return fail(error, "no RGBA8 + depth pbuffer config", display);
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) return fail(error, "cannot create the pbuffer", display);
    eglBindAPI(EGL_OPENGL_API);
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, surface, surface, context))
        return fail(error, "cannot create a desktop GL context", display, surface, context);
    return new OffscreenGL{display, surface, context, config};
}

OffscreenGL* createSharedOffscreenGL(OffscreenGL* shareWith, std::string* error) {
    const EGLint surfaceAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(shareWith->display, shareWith->config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) return fail(error, "cannot create the second pbuffer");
    eglBindAPI(EGL_OPENGL_API);
    EGLContext context = eglCreateContext(shareWith->display, shareWith->config, shareWith->context, nullptr);
    if (context == EGL_NO_CONTEXT) {
        // The display is the first context's: only what was made here is released.
        fail(error, "cannot create a second, sharing GL context");
        eglDestroySurface(shareWith->display, surface);
        return nullptr;
    }
    return new OffscreenGL{shareWith->display, surface, context, shareWith->config};
}

bool makeOffscreenGLCurrent(OffscreenGL* gl) {
    return eglMakeCurrent(gl->display, gl->surface, gl->surface, gl->context) == EGL_TRUE;
}

void destroyOffscreenGL(OffscreenGL* gl) {
    if (!gl) return;
    eglMakeCurrent(gl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(gl->display, gl->context);
    eglDestroySurface(gl->display, gl->surface);
    eglTerminate(gl->display);
    delete gl;
}
