// The demo's window on SDL2: a desktop full-screen window (the display mode is never
// changed) or a resizable one, a GL context for fixed-function drawing, and the event
// queue. The 4:3 picture sits centred in the window with black bars; a scissor on the
// picture keeps every scene clear off the bars.
#include <GL/gl.h>
#include <SDL.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <thread>
#include <vector>

#include "platform/window.h"
#include "runtime/stop_request.h"

struct DemoWindowImpl {
    SDL_Window* window = nullptr;
    bool hasGL = false;  // created with an OpenGL visual
};

namespace {
// SIGINT and SIGTERM ask to quit, like closing the window. A handler only notes the
// request (and wakes the watcher below); the event loop picks it up, and loading
// gives up between files (stopRequested). While a message box waits nothing pumps
// events, and SDL's X11 box runs in a child process that the main thread waits for;
// so a watcher thread, woken through a pipe, ends that child, the box returns, and
// no later box is shown: the loop then ends before the first frame, the window's
// way. Should the program still run a second after the request (a frame or a load
// step that takes longer), the watcher ends it: the player writes no file, so
// nothing is lost.
volatile std::sig_atomic_t quitSignalled = 0;
std::atomic<bool> boxShowing{false};
int signalPipe[2] = {-1, -1};

void onQuitSignal(int) {
    int saved = errno;
    quitSignalled = 1;
    stopRequested = 1;
    char byte = 0;
    ssize_t ignored = write(signalPipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

void watchQuitSignals();

void catchQuitSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) signalPipe[0] = signalPipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    if (signalPipe[0] >= 0) std::thread(watchQuitSignals).detach();
}

// Our child processes: only a message box's, as the demo starts no others.
std::vector<pid_t> childProcesses() {
    std::vector<pid_t> children;
    const pid_t self = getpid();
    DIR* proc = opendir("/proc");
    if (!proc) return children;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end) continue;
        char path[64], stat[512];
        std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t got = read(fd, stat, sizeof stat - 1);
        close(fd);
        if (got <= 0) continue;
        stat[got] = 0;
        // "pid (name) state ppid ...": the name may hold anything but the last ')'.
        const char* after = std::strrchr(stat, ')');
        char state = 0;
        long parent = 0;
        if (after && std::sscanf(after + 1, " %c %ld", &state, &parent) == 2 && parent == self)
            children.push_back(pid_t(pid));
    }
    closedir(proc);
    return children;
}

void watchQuitSignals() {
    for (;;) {
        pollfd wait = {signalPipe[0], POLLIN, 0};
        if (poll(&wait, 1, -1) < 0 && errno != EINTR) return;
        char bytes[16];
        bool signalled = false;
        while (read(signalPipe[0], bytes, sizeof bytes) > 0) signalled = true;
        if (!signalled) continue;
        // A box about to appear has no child yet: keep looking.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(900);
        while (std::chrono::steady_clock::now() < deadline) {
            if (boxShowing)
                for (pid_t child : childProcesses()) kill(child, SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        _exit(0);
    }
}

DemoWindowImpl theWindow;
Uint32 quitEventType = 0;  // our quit request, registered with SDL
int pendingQuits = 0;      // quit requests that SDL's queue could not take
int pendingQuitCode = 0;
bool cursorHidden = false;
SDL_GLContext pendingContext = nullptr;  // made by setupPixelFormat, taken by createGLContext
int barsToClear = 0;                     // buffers whose bars may still hold an old picture

// A desktop window or nothing: SDL would otherwise fall back to its offscreen driver
// and play to nobody. SDL_VIDEODRIVER in the environment still wins. Signals are
// ours (see onQuitSignal): SDL's own would wait for the event loop. Wayland only
// where a session could be: without XDG_RUNTIME_DIR libwayland prints its own
// complaint ahead of ours.
bool startVideo() {
    const bool wayland = std::getenv("WAYLAND_DISPLAY") || std::getenv("XDG_RUNTIME_DIR");
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, wayland ? "x11,wayland" : "x11", SDL_HINT_DEFAULT);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
}

// The pixel format the demo asks for. Alpha is not requested, as the demo never
// reads destination alpha, and an alpha visual could make the window see-through
// under a compositor.
void requestPixelFormat(int depthBits) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// On X11 the visual, and with it the depth buffer, is fixed when the window is made:
// try 32 depth bits, then 24; without any GL visual a plain window still lets the
// demo report the failure the usual way. Full screen starts borderless at the
// screen's top-left corner; a window is centred on it.
SDL_Window* makeWindow(const char* title, int width, int height, bool full, bool* hasGL) {
    const Uint32 flags = SDL_WINDOW_HIDDEN | (full ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE);
    int x = int(SDL_WINDOWPOS_CENTERED_DISPLAY(fullScreenDisplay)), y = x;
    SDL_Rect bounds;
    if (full) x = y = 0;
    if (full && SDL_GetDisplayBounds(fullScreenDisplay, &bounds) == 0) x = bounds.x, y = bounds.y;
    for (int depthBits : {32, 24}) {
        requestPixelFormat(depthBits);
        if (SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL)) {
            *hasGL = true;
            return window;
        }
    }
    *hasGL = false;
    return SDL_CreateWindow(title, x, y, width, height, flags);
}

// A window of a new size: the picture follows, and the bars of both buffers are
// cleared as the next two frames are presented.
void followWindowSize() {
    if (followWindowPicture(&theWindow)) barsToClear = 2;
}

// Black over everything around the picture, leaving the picture and the scenes' GL
// state (the clear colour, the scissor box) as they were.
void clearBars() {
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(theWindow.window, &drawableWidth, &drawableHeight);
    clearBarsAround(drawableWidth, drawableHeight);
}

// The window procedure: Escape, closing the window and Alt+F4 ask to quit; every
// other key is swallowed; everything else needs no answer (SDL repaints nothing).
void windowProc(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:  // the last window closed
        postQuitMessage(0);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) postQuitMessage(0);
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) followWindowSize();
        break;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_ESCAPE) postQuitMessage(0);
        // Without a window manager nobody turns Alt+F4 into a close request.
        if (event.key.keysym.sym == SDLK_F4 && (event.key.keysym.mod & KMOD_ALT)) postQuitMessage(0);
        break;
    default:
        break;
    }
}

// Makes the window cover the display without changing the display mode. Shows
// "Could Not Enum Display Settings" or "Display Mode Not Compatible" (the latter
// with a quit request) on failure.
void enterFullScreen() {
    SDL_Window* window = theWindow.window;
    if (!window) return;
    const int display = fullScreenDisplay;
    SDL_DisplayMode mode;
    SDL_Rect bounds;
    if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0 || SDL_GetDisplayBounds(display, &bounds) != 0) {
        // The demo runs in its plain window at the top-left corner instead.
        showMessageBox("Could Not Enum Display Settings", "Error");
        return;
    }
    // Cover the display by hand first, which is all there is without a window
    // manager; then ask for full screen at the desktop's own mode.
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        showMessageBox("Display Mode Not Compatible", "Error");
        postQuitMessage(0);
    }
}

// Makes the context for the window's double-buffered RGBA 8-8-8-8 visual with a
// 32-bit (else 24-bit) depth buffer. Shows "ChoosePixelFormat failed" and returns
// false when none can be had.
bool setupPixelFormat() {
    if (theWindow.window && theWindow.hasGL) pendingContext = SDL_GL_CreateContext(theWindow.window);
    if (!pendingContext) {
        showMessageBox("ChoosePixelFormat failed", "Error");
        return false;
    }
    return true;
}
}  // namespace

int countDisplays() {
    if (!startVideo()) return -1;
    return std::max(-1, SDL_GetNumVideoDisplays());
}

bool largestScreen(int* width, int* height) {
    if (!startVideo()) return false;
    int64_t largest = 0;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) != 0 || int64_t(bounds.w) * bounds.h <= largest) continue;
        largest = int64_t(bounds.w) * bounds.h;
        *width = bounds.w;
        *height = bounds.h;
    }
    return largest > 0;
}

DemoWindow createDemoWindow(const char* title, int width, int height, bool full) {
    catchQuitSignals();
    if (!startVideo()) {
        std::fprintf(stderr, "vorrend: cannot create the window, no display found (%s)\n", SDL_GetError());
        return nullptr;
    }
    quitEventType = SDL_RegisterEvents(1);
    theWindow.window = makeWindow(title, width, height, full, &theWindow.hasGL);
    if (!theWindow.window) {
        std::fprintf(stderr, "vorrend: cannot create the window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (full) {
        enterFullScreen();
        SDL_ShowCursor(SDL_DISABLE);
        cursorHidden = true;
    }
    SDL_ShowWindow(theWindow.window);
    SDL_RaiseWindow(theWindow.window);
    return &theWindow;
}

DemoRect getClientRect(DemoWindow window) {
    if (!window || !window->window) return {0, 0, 0, 0};
    int drawableWidth = 0, drawableHeight = 0;
    if (window->hasGL)
        SDL_GL_GetDrawableSize(window->window, &drawableWidth, &drawableHeight);
    else
        SDL_GetWindowSize(window->window, &drawableWidth, &drawableHeight);
    return fitPicture(drawableWidth, drawableHeight);
}

bool createGLContext(int width, int height) {
    if (!setupPixelFormat()) postQuitMessage(0);
    glContext = pendingContext;
    pendingContext = nullptr;
    // Without a context there is nothing to set up; the quit request is queued and
    // the loop ends before the first frame.
    if (!glContext || SDL_GL_MakeCurrent(theWindow.window, glContext) != 0) return false;
    // Adaptive vsync where the driver has it, else plain vsync: no tearing.
    if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);

    startPictureInContext(width, height, [] { SDL_GL_SwapWindow(theWindow.window); });
    return true;
}

void swapDemoBuffers() {
    if (!glContext) return;
    if (barsToClear > 0) {
        clearBars();
        --barsToClear;
    }
    SDL_GL_SwapWindow(theWindow.window);
}

void shutdownWindow() {
    if (glContext) {
        SDL_GL_MakeCurrent(theWindow.window, nullptr);
        SDL_GL_DeleteContext(glContext);
        glContext = nullptr;
    }
    if (cursorHidden) {
        SDL_ShowCursor(SDL_ENABLE);
        cursorHidden = false;
    }
    postQuitMessage(0);
}

void postQuitMessage(int exitCode) {
    // Behind every event already waiting, like any other event.
    SDL_Event event = {};
    event.type = quitEventType;
    event.user.code = exitCode;
    if (quitEventType == 0 || quitEventType == Uint32(-1) || SDL_PushEvent(&event) != 1) {
        ++pendingQuits;  // taken once SDL's queue is empty
        pendingQuitCode = exitCode;
    }
}

DemoEventKind peekDemoEvent(int* quitCode) {
    if (quitSignalled) {
        quitSignalled = 0;
        if (quitCode) *quitCode = 0;
        return DemoEventKind::quit;
    }
    SDL_Event event;
    if (!SDL_PollEvent(&event)) {
        if (pendingQuits == 0) return DemoEventKind::none;
        --pendingQuits;
        if (quitCode) *quitCode = pendingQuitCode;
        return DemoEventKind::quit;
    }
    if (quitEventType != 0 && event.type == quitEventType) {
        if (quitCode) *quitCode = event.user.code;
        return DemoEventKind::quit;
    }
    windowProc(event);
    return DemoEventKind::other;
}

void showMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    // After a quit signal nobody waits for a box: stderr is all there is.
    boxShowing = true;
    if (!quitSignalled) {
        // Owned by the demo's window so that it stays above the full-screen picture;
        // without a display this simply fails and stderr is all there is.
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, theWindow.window);
    }
    boxShowing = false;
}
