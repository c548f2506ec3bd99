#include "platform/offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

struct OffscreenGL {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
};

static bool fail(std::string* error, const char* what) {
    if (error) *error = std::string(what) + " (EGL error 0x" + std::to_string(eglGetError()) + ")";
    return false;
}

OffscreenGL* createOffscreenGL(int width, int height, std::string* error) {
    // Mesa's surfaceless platform needs neither a display server nor a GPU.
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return fail(error, "eglGetPlatformDisplayEXT is missing"), nullptr;
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return fail(error, "no surfaceless EGL display"), nullptr;

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
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
        eglTerminate(display);
        return fail(error, "no RGBA8 + depth pbuffer config"), nullptr;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        eglTerminate(display);
        return fail(error, "cannot create the pbuffer"), nullptr;
    }
    eglBindAPI(EGL_OPENGL_API);
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, surface, surface, context)) {
        eglDestroySurface(display, surface);
        eglTerminate(display);
        return fail(error, "cannot create a desktop GL context"), nullptr;
    }
    return new OffscreenGL{display, surface, context};
}

void destroyOffscreenGL(OffscreenGL* gl) {
    if (!gl) return;
    eglMakeCurrent(gl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(gl->display, gl->context);
    eglDestroySurface(gl->display, gl->surface);
    eglTerminate(gl->display);
    delete gl;
}
