// The demo's window, its GL context, its event queue and its message boxes: what
// the runtime asks of the platform. Each backend has its folder here; CMake picks one per
// target:
//   sdl/window_sdl.cpp           - the demo itself: an SDL2 desktop full-screen
//                                  window, or a resizable one;
//   headless/window_headless.cpp - tests and tools: no window, the caller's
//                                  offscreen context;
//   web/window_web.cpp           - the web page's canvas.
// Scenes and the loaders never include this header; of the asset table only
// runtime/assets.cpp, which records the window, does.
#pragma once
#include <cstdint>

struct DemoWindowImpl;
using DemoWindow = DemoWindowImpl*;

struct DemoRect {
    int32_t left, top, right, bottom;
};

// Window state, whole-run lifetime, defined once in runtime/window_state.cpp. The
// runtime records mainWindow and clientRect; a backend sets glContext and the
// picture's origin, and moves both when a window is resized.
extern DemoWindow mainWindow;  // the one window; recorded by loadAssets
extern DemoRect clientRect;    // the 4:3 picture inside the window, in pixels, (0, 0, w, h)
extern void* glContext;        // the GL context; null until createGLContext made one
extern bool fullScreen;        // true unless the player is asked for a window; set before it opens
extern int fullScreenDisplay;  // the screen full screen covers, 0 the first; set before it opens
extern int pictureOriginX;     // lower-left corner of the picture in the drawable,
extern int pictureOriginY;     //   GL pixel coordinates (0 without letterbox)

int countDisplays();
// The screens there are to cover; -1 without a display.

bool largestScreen(int* width, int* height);
// The size of the largest screen, by area; false without a display (or screens).

DemoWindow createDemoWindow(const char* title, int width, int height, bool fullScreen);
// Opens the window and shows it: covering screen fullScreenDisplay with the cursor
// hidden, or else a resizable width x height window whose picture follows its size
// (the viewport and scissor move, the bars are cleared; the scenes' projection is
// left alone). Returns null when no window can be had (no display); nothing else is
// set up then.

DemoRect getClientRect(DemoWindow window);
// The 4:3 picture rectangle that the demo draws into: (0, 0, width, height), the
// largest that fits the window (fitPicture); also sets pictureOriginX/Y to centre it.

DemoRect fitPicture(int drawableWidth, int drawableHeight);
// The largest 4:3 picture centred in a drawable of that size, as (0, 0, width,
// height), its lower-left corner in pictureOriginX/Y. Every backend's getClientRect
// answers with it (runtime/window_state.cpp).

void startPictureInContext(int width, int height, void (*present)());
// For a desktop backend's createGLContext (platform/window_bars.cpp), with the new
// context current: both buffers cleared black whole (each shown with `present`),
// the clear colour back to GL's initial value, the scissor test on over the
// picture, the depth test on.

void clearBarsAround(int drawableWidth, int drawableHeight);
// Black over the drawable around the picture (clientRect at pictureOriginX/Y),
// leaving the clear colour as it was and the scissor on the picture: a backend's
// two presents after the window changed size.

bool followWindowPicture(DemoWindow window);
// After the window changed size (platform/window_bars.cpp): the picture moves to
// its new place and size (getClientRect); the scenes keep their projection, only the
// viewport and the scissor follow. True when anything moved, so the bars need
// clearing; false without a context.

bool createGLContext(int width, int height);
// Creates the context for a picture of this size, makes it current and enables the
// depth test, and the scissor test on the picture (width x height at pictureOriginX/Y):
// every clear and draw stays inside it, off any bars, and a planned frame narrows it
// (runtime/show.h); the projection is the runtime's (setProjection). False when no
// context is current: start-up carries on without one and nothing may crash then.
// When none could be made, "ChoosePixelFormat failed" has been shown and a quit
// request posted, so the loop ends before the first frame.

void swapDemoBuffers();
// Presents the back buffer (vsync on where offered).

void shutdownWindow();
// Releases the context, shows the cursor again and posts a quit request.

void postQuitMessage(int exitCode);
// Queues a quit request behind every event already waiting.

enum class DemoEventKind { none, quit, other };
DemoEventKind peekDemoEvent(int* quitCode);
// Takes one waiting event off the queue without blocking and handles it (the
// window procedure). Returns none when nothing was waiting, quit (with the code
// of the quit request) when the event was a quit request, other otherwise.

void showMessageBox(const char* text, const char* caption);
// A modal box with one OK button; the same caption and text also go to stderr.
// Without a display, stderr alone.
