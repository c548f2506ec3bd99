// State and matrices: what WebGL lacks is kept in `layer` for the draw calls; what it
// has is kept there too and passed on at once.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>

#include "fixed_function.h"
#include "layer_state.h"
#include "webgl_calls.h"

LayerState layer;
bool layerStarted = false;

namespace {
LayerState startupState;
GLint maxTextureSize = 0;
constexpr size_t maxStackDepth = 32;  // the modelview depth GL promises; the others get as much

std::vector<Matrix>& currentStack() {
    switch (layer.matrixMode) {
    case GL_PROJECTION:
        return layer.projection;
    case GL_TEXTURE:
        return layer.texture;
    default:
        return layer.modelview;
    }
}

// The capability's flag in `layer`, and whether WebGL has it too.
bool* capability(GLenum cap, bool* passed) {
    *passed = false;
    switch (cap) {
    case GL_TEXTURE_2D:
        return &layer.texture2D;
    case GL_LIGHTING:
        return &layer.lighting;
    case GL_LIGHT0:
        return &layer.light0;
    case GL_FOG:
        return &layer.fog;
    case GL_TEXTURE_GEN_S:
        return &layer.texGenS;
    case GL_TEXTURE_GEN_T:
        return &layer.texGenT;
    case GL_BLEND:
        *passed = true;
        return &layer.blend;
    case GL_DEPTH_TEST:
        *passed = true;
        return &layer.depthTest;
    case GL_CULL_FACE:
        *passed = true;
        return &layer.cullFace;
    case GL_SCISSOR_TEST:
        *passed = true;
        return &layer.scissorTest;
    default:
        return nullptr;  // not one the demo uses: ignored, as GL ignores an unknown one
    }
}

void setCapability(GLenum cap, bool on) {
    bool passed = false;
    bool* flag = capability(cap, &passed);
    if (!flag) return;
    *flag = on;
    if (passed && layerStarted) on ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
}
}  // namespace

Matrix& currentMatrix() { return currentStack().back(); }

bool startFixedFunction() {
    layerStarted = true;
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    layer = LayerState();
    applyPassedState();
    return true;
}

void saveStartupState() { startupState = layer; }

void restoreStartupState() {
    layer = startupState;
    applyPassedState();
}

void applyPassedState() {
    if (!layerStarted) return;
    for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST}) {
        bool passed = false;
        *capability(cap, &passed) ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
    }
    emscripten_glBlendFunc(layer.blendSource, layer.blendDestination);
    emscripten_glDepthFunc(layer.depthFunction);
    emscripten_glClearColor(layer.clearColor[0], layer.clearColor[1], layer.clearColor[2], layer.clearColor[3]);
    emscripten_glClearDepthf(layer.clearDepth);
    emscripten_glViewport(layer.viewport[0], layer.viewport[1], layer.viewport[2], layer.viewport[3]);
    emscripten_glScissor(layer.scissorBox[0], layer.scissorBox[1], layer.scissorBox[2], layer.scissorBox[3]);
    emscripten_glPixelStorei(GL_PACK_ALIGNMENT, layer.packAlignment);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, layer.unpackAlignment);
    emscripten_glBindTexture(GL_TEXTURE_2D, layer.boundTexture);
}

extern "C" {

// ---- matrices ----------------------------------------------------------------

void glMatrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION || mode == GL_TEXTURE) layer.matrixMode = mode;
}

void glLoadIdentity(void) { currentMatrix() = Matrix(); }

void glPushMatrix(void) {
    std::vector<Matrix>& stack = currentStack();
    if (stack.size() < maxStackDepth) stack.push_back(stack.back());  // else GL's stack overflow: nothing
}

void glPopMatrix(void) {
    std::vector<Matrix>& stack = currentStack();
    if (stack.size() > 1) stack.pop_back();  // else GL's stack underflow: nothing
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { translate(currentMatrix(), x, y, z); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { rotate(currentMatrix(), angle, x, y, z); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { scale(currentMatrix(), x, y, z); }

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    perspective(currentMatrix(), fovy, aspect, zNear, zFar);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ) {
    const double eye[3] = {eyeX, eyeY, eyeZ}, centre[3] = {centerX, centerY, centerZ}, up[3] = {upX, upY, upZ};
    lookAt(currentMatrix(), eye, centre, up);
}

// ---- capabilities and fixed-function state -----------------------------------

void glEnable(GLenum cap) { setCapability(cap, true); }
void glDisable(GLenum cap) { setCapability(cap, false); }

void glBlendFunc(GLenum source, GLenum destination) {
    layer.blendSource = source;
    layer.blendDestination = destination;
    if (layerStarted) emscripten_glBlendFunc(source, destination);
}

void glDepthFunc(GLenum function) {
    layer.depthFunction = function;
    if (layerStarted) emscripten_glDepthFunc(function);
}

void glShadeModel(GLenum) {}    // smooth, the only model the demo uses
void glHint(GLenum, GLenum) {}  // hints bind nobody; Mesa's software renderer ignores these two as well

void glPolygonMode(GLenum face, GLenum mode) {
    if (mode != GL_LINE && mode != GL_FILL) return;
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK) layer.polygonModeFront = mode;
    if (face == GL_BACK || face == GL_FRONT_AND_BACK) layer.polygonModeBack = mode;
}

void glTexGeni(GLenum coord, GLenum name, GLint param) {
    if (name != GL_TEXTURE_GEN_MODE) return;
    if (coord == GL_S) layer.texGenModeS = GLenum(param);
    if (coord == GL_T) layer.texGenModeT = GLenum(param);
}

void glFogf(GLenum name, GLfloat param) {
    switch (name) {
    case GL_FOG_DENSITY:
        if (param >= 0) layer.fogDensity = param;
        break;
    case GL_FOG_START:
        layer.fogStart = param;
        break;
    case GL_FOG_END:
        layer.fogEnd = param;
        break;
    case GL_FOG_MODE:
        glFogi(name, GLint(param));
        break;
    default:
        break;
    }
}

void glFogi(GLenum name, GLint param) {
    if (name != GL_FOG_MODE) return glFogf(name, GLfloat(param));
    if (param == GL_LINEAR || param == GL_EXP || param == GL_EXP2) layer.fogMode = GLenum(param);
}

void glFogfv(GLenum name, const GLfloat* params) {
    if (name != GL_FOG_COLOR) return glFogf(name, params[0]);
    for (int i = 0; i < 4; ++i) layer.fogColor[i] = std::clamp(params[i], 0.0f, 1.0f);
}

void glLightfv(GLenum light, GLenum name, const GLfloat* params) {
    // One light, GL's defaults for all but its position, which is kept in eye
    // coordinates: moved by the modelview matrix of the moment it is given.
    if (light == GL_LIGHT0 && name == GL_POSITION) transformPoint(layer.modelview.back(), params, layer.lightPosition);
}

// ---- framebuffer -------------------------------------------------------------

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    const GLint box[4] = {x, y, width, height};
    std::copy(box, box + 4, layer.viewport);
    if (layerStarted) emscripten_glViewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    const GLint box[4] = {x, y, width, height};
    std::copy(box, box + 4, layer.scissorBox);
    if (layerStarted) emscripten_glScissor(x, y, width, height);
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    const float c[4] = {red, green, blue, alpha};
    std::copy(c, c + 4, layer.clearColor);
    if (layerStarted) emscripten_glClearColor(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth) {
    layer.clearDepth = float(std::clamp(depth, 0.0, 1.0));
    if (layerStarted) emscripten_glClearDepthf(layer.clearDepth);
}

void glClear(GLbitfield mask) {
    if (layerStarted) emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

void glPixelStorei(GLenum name, GLint param) {
    if (param != 1 && param != 2 && param != 4 && param != 8) return;
    if (name == GL_PACK_ALIGNMENT)
        layer.packAlignment = param;
    else if (name == GL_UNPACK_ALIGNMENT)
        layer.unpackAlignment = param;
    else
        return;
    if (layerStarted) emscripten_glPixelStorei(name, param);
}

void glGetIntegerv(GLenum name, GLint* values) {
    switch (name) {
    case GL_MAX_TEXTURE_SIZE:
        *values = maxTextureSize;  // WebGL's limit: the loaders shrink larger pictures to it
        break;
    case GL_PACK_ALIGNMENT:
        *values = layer.packAlignment;
        break;
    case GL_UNPACK_ALIGNMENT:
        *values = layer.unpackAlignment;
        break;
    default:
        break;  // left as they are, as GL leaves them for a name it does not know
    }
}

const GLubyte* glGetString(GLenum name) {
    if (!layerStarted) return nullptr;
    switch (name) {
    case GL_VENDOR:
        return reinterpret_cast<const GLubyte*>("vorrend");
    case GL_RENDERER:
        return reinterpret_cast<const GLubyte*>("fixed-function layer over WebGL 2");
    case GL_VERSION:
        return reinterpret_cast<const GLubyte*>("1.1 vorrend-webgl");
    default:
        return nullptr;
    }
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
    if (layerStarted) emscripten_glReadPixels(x, y, width, height, format, type, pixels);
}

}  // extern "C"
