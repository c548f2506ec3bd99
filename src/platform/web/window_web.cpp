// The demo's window in a web page: the page's canvas with a WebGL 2 context made
// through EGL, the 4:3 picture centred on black in it, and an event queue of our
// own fed by the page's key listener. Message boxes become notes on the page's cards.
#include <EGL/egl.h>
#include <GL/gl.h>
#include <emscripten.h>

#include <cstdio>
#include <deque>
#include <string>

#include "platform/web/web_page.h"
#include "platform/web/webgl/fixed_function.h"
#include "platform/window.h"

struct DemoWindowImpl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
};

namespace {
DemoWindowImpl theWindow;
std::deque<int> quitRequests;  // the only events the loop needs to see: quit codes
PageCard shownCard = PageCard::loading;
void (*onStart)() = nullptr;
void (*onPlayAgain)() = nullptr;

// The page's side of these, in web/page.js.
// clang-format off
EM_JS(void, sizeCanvasToPage, (int* width, int* height), { Module.vorrend.sizeCanvas(width, height); });
EM_JS(void, listenToPage, (const char* title), { Module.vorrend.listen(UTF8ToString(title)); });
EM_JS(void, showCardElement, (int card), { Module.vorrend.showCard(card); });
EM_JS(void, showMessageOnPage, (const char* text), { Module.vorrend.message(UTF8ToString(text)); });
EM_JS(void, leaveFullScreenOfPage, (), { Module.vorrend.leaveFullScreen(); });
// clang-format on

// Viewport and scissor on the picture: every scene's clear and draw stays off the
// bars, which WebGL clears to black after each frame it shows.
void placePicture() {
    clientRect = getClientRect(&theWindow);
    const int width = clientRect.right, height = clientRect.bottom;
    if (!glContext) return;
    glViewport(pictureOriginX, pictureOriginY, width, height);
    glScissor(pictureOriginX, pictureOriginY, width, height);
    glEnable(GL_SCISSOR_TEST);
}
}  // namespace

extern "C" {
EMSCRIPTEN_KEEPALIVE void vorrendKey(int which) {  // 1 Escape, 2 Enter, 0 any other key or a click
    if (shownCard == PageCard::start && which != 1 && onStart)
        onStart();
    else if (shownCard == PageCard::end && which == 2 && onPlayAgain)
        onPlayAgain();
    else if (shownCard == PageCard::none && which == 1)
        postQuitMessage(0);  // the window procedure's one key
}
EMSCRIPTEN_KEEPALIVE void vorrendResized() { placePicture(); }
}

void fitPictureToPage() { placePicture(); }

void showPageCard(PageCard card) {
    shownCard = card;
    showCardElement(int(card));
}

void setPageRequests(void (*start)(), void (*playAgain)()) {
    onStart = start;
    onPlayAgain = playAgain;
}

int countDisplays() { return 1; }  // the page's own

DemoWindow createDemoWindow(const char* title, int, int, bool) {
    listenToPage(title);
    return &theWindow;
}

DemoRect getClientRect(DemoWindow) {
    int drawableWidth = 0, drawableHeight = 0;
    sizeCanvasToPage(&drawableWidth, &drawableHeight);
    return fitPicture(drawableWidth, drawableHeight);
}

bool createGLContext(int, int) {
    DemoWindowImpl& w = theWindow;
    w.display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    // Opaque (no alpha: the page behind must not show through), a depth buffer, no
    // multisampling, as the native window.
    const EGLint configAttributes[] = {EGL_RED_SIZE,       8, EGL_GREEN_SIZE, 8,  EGL_BLUE_SIZE,    8,
                                       EGL_ALPHA_SIZE,     0, EGL_DEPTH_SIZE, 24, EGL_STENCIL_SIZE, 0,
                                       EGL_SAMPLE_BUFFERS, 0, EGL_NONE};
    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 3, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (w.display != EGL_NO_DISPLAY && eglInitialize(w.display, nullptr, nullptr) &&
        eglChooseConfig(w.display, configAttributes, &config, 1, &configs) && configs == 1) {
        w.surface = eglCreateWindowSurface(w.display, config, 0, nullptr);
        w.context = eglCreateContext(w.display, config, EGL_NO_CONTEXT, contextAttributes);
    }
    if (w.surface == EGL_NO_SURFACE || w.context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(w.display, w.surface, w.surface, w.context)) {
        showMessageBox("ChoosePixelFormat failed: this browser gives the page no WebGL 2", "Error");
        postQuitMessage(0);
        return false;
    }
    glContext = w.context;
    startFixedFunction();
    placePicture();
    glEnable(GL_DEPTH_TEST);
    return true;
}

void swapDemoBuffers() {}  // the browser shows the frame when the animation frame returns

void shutdownWindow() {
    // The context stays: the page can play the show again. Full screen ends.
    leaveFullScreenOfPage();
    postQuitMessage(0);
}

void postQuitMessage(int exitCode) { quitRequests.push_back(exitCode); }

DemoEventKind peekDemoEvent(int* quitCode) {
    if (quitRequests.empty()) return DemoEventKind::none;
    if (quitCode) *quitCode = quitRequests.front();
    quitRequests.pop_front();
    return DemoEventKind::quit;
}

void showMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);  // the browser's console
    showMessageOnPage((std::string(caption) + ": " + text).c_str());
}
