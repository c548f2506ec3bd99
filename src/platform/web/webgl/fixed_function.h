// The fixed-function layer over WebGL 2 as the web window backend sees it. The
// scenes and loaders only see GL/gl.h and GL/glu.h of this folder.
//
// How close it comes to Mesa's software renderer, which the native pictures are
// drawn with. The arithmetic is Mesa's and GLU's: matrices to the bit, mipmaps and
// scaled pictures to the byte (fixed_math.cpp, tested natively), and the shaders
// evaluate lighting, the sphere map and the fog distance per vertex and the fog
// factor per fragment, as Mesa does. What is left to the browser's renderer cannot
// match exactly: which pixels a polygon edge or a line covers, texture filtering's
// sub-texel precision and its choice of mipmap level, and a depth buffer of 24 bits.
// On SwiftShader that leaves the show's pictures within a quarter of a level on
// average, with at most a tenth of a percent of the pixels (on thin ropes, edges and
// the wireframe blob) more than 32 levels off; tests/web measures it.
#pragma once

bool startFixedFunction();
// Call once a WebGL 2 context is current: reads its limits and puts it in OpenGL's
// initial state. Until then every call of the layer does nothing (glGetString
// answers null, glGenTextures makes no names), as GL without a context.

void saveStartupState();
void restoreStartupState();
// The whole drawing state (matrices, capabilities, current colour, fog, light,
// bindings), kept once start-up is done and put back to play the show again from
// the state a fresh start finds. Texture objects are kept as they are.
