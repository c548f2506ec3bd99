// The fixed-function state the layer keeps on behalf of OpenGL 1.1: what WebGL has
// no notion of (matrices, light, fog, texture coordinate generation, immediate
// mode, client arrays) and, so that it can be saved and put back, what it passes on.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "fixed_math.h"

struct ClientArray {
    bool enabled = false;
    GLint size = 4;
    GLsizei stride = 0;
    const void* pointer = nullptr;
};

struct LayerState {
    std::vector<Matrix> modelview{Matrix()}, projection{Matrix()}, texture{Matrix()};  // stacks, top last
    GLenum matrixMode = GL_MODELVIEW;

    float color[4] = {1, 1, 1, 1};  // as given: clamped per vertex, as GL does
    float texCoord[4] = {0, 0, 0, 1};
    float normal[3] = {0, 0, 1};

    bool texture2D = false, lighting = false, light0 = false, fog = false, blend = false, depthTest = false,
         cullFace = false, scissorTest = false, texGenS = false, texGenT = false;
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO, depthFunction = GL_LESS;
    GLenum polygonModeFront = GL_FILL, polygonModeBack = GL_FILL;
    GLenum texGenModeS = 0x2400, texGenModeT = 0x2400;  // GL_EYE_LINEAR

    GLenum fogMode = GL_EXP;
    float fogDensity = 1, fogStart = 0, fogEnd = 1, fogColor[4] = {0, 0, 0, 0};
    float lightPosition[4] = {0, 0, 1, 0};  // eye coordinates, transformed when given

    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1;
    GLint viewport[4] = {0, 0, 0, 0}, scissorBox[4] = {0, 0, 0, 0};
    GLint packAlignment = 4, unpackAlignment = 4;
    GLuint boundTexture = 0;

    ClientArray vertexArray, normalArray, texCoordArray;
};

extern LayerState layer;
extern bool layerStarted;  // a context is current and startFixedFunction ran

Matrix& currentMatrix();  // top of the stack glMatrixMode chose

bool textureComplete(GLuint name);
// The texture has level 0 and, when its minification filter uses mipmaps, every
// level down to 1 x 1: otherwise GL draws as if texturing were off.

void applyPassedState();  // hands every passed-on item of `layer` to WebGL again
