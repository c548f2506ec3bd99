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
