// An OpenGL context without a window or a display, for tests and tools: EGL on
// Mesa's surfaceless platform with a pbuffer of the requested size, desktop GL
// compatibility profile (fixed function and GLU work). The context is current
// on the calling thread from creation until destruction.
#pragma once
#include <string>

struct OffscreenGL;

OffscreenGL* createOffscreenGL(int width, int height, std::string* error);
// Null with a reason in *error when no such context can be had.

void destroyOffscreenGL(OffscreenGL* gl);

OffscreenGL* createSharedOffscreenGL(OffscreenGL* shareWith, std::string* error);
// A second context sharing shareWith's textures, renderbuffers and sync objects, on
// a 1 x 1 pbuffer of its own and current on no thread: for reading pictures back on
// another thread while the first one draws. Null with a reason when it cannot be had.
// It lives as long as the process (destroying either context ends the display).

bool makeOffscreenGLCurrent(OffscreenGL* gl);
// Makes the context current on the calling thread.
