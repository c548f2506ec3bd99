// The demo's window, its GL context, its event queue and its message boxes.
// Two backends implement this header; CMake picks one per target:
//   window_sdl.cpp      - the demo itself: an SDL2 desktop full-screen window;
//   window_headless.cpp - tests and tools: no window, the caller's offscreen context.
// Scenes and assets never include this header.
#pragma once
#include <cstdint>

struct DemoWindowImpl;
using DemoWindow = DemoWindowImpl*;

struct DemoRect {
    int32_t left, top, right, bottom;
};

// Window state, whole-run lifetime.
extern DemoWindow mainWindow;  // the one window; recorded by loadAssets
extern DemoRect clientRect;    // the 4:3 picture inside the window, in pixels, (0, 0, w, h)
extern void* glContext;        // the GL context; null until createGLContext
extern const bool fullScreen;  // always true
extern int pictureOriginX;     // lower-left corner of the picture in the drawable,
extern int pictureOriginY;     //   GL pixel coordinates (0 without letterbox)

DemoWindow createDemoWindow(const char* title, int width, int height, bool fullScreen);
// Opens the window (full screen when asked), hides the cursor and shows the window.
// Returns null when no window can be had (no display); nothing else is set up then.

void enterFullScreen();
// Makes the window cover the display without changing the display mode.
// Shows "Could Not Enum Display Settings" or "Display Mode Not Compatible" (the
// latter with a quit request) on failure.

DemoRect getClientRect(DemoWindow window);
// The 4:3 picture rectangle that the demo draws into: (0, 0, width, height), the
// largest that fits the window; also sets pictureOriginX/Y to centre it.

void createGLContext(int width, int height);
// Creates the context, makes it current, enables the depth test and calls
// setProjection. When setupPixelFormat fails a quit request is posted and start-up
// carries on without a context; nothing may crash then.

bool setupPixelFormat();
// Asks for double-buffered RGBA 8-8-8-8 with a 32-bit (else 24-bit) depth buffer.
// Shows "ChoosePixelFormat failed" and returns false when none can be had.

void setProjection(int width, int height);
// Viewport = the picture (height 0 counts as 1), gluPerspective(45, 1, 1, 1000),
// modelview identity. Shared by both backends (runtime/projection.cpp).

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
