// The fixed-function layer over WebGL 2 as the web window backend sees it. The
// scenes and loaders only see GL/gl.h and GL/glu.h of this folder.
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
