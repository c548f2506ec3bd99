// Drawing: immediate mode and client arrays become vertex buffers, and the fixed
// function becomes shaders built for the state of each draw. The shaders follow the
// equations of OpenGL 1.1 as Mesa evaluates them: lighting, texture coordinate
// generation and the fog distance per vertex, the fog factor per fragment.
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "layer_state.h"
#include "webgl_calls.h"

namespace {

// ---- shaders -----------------------------------------------------------------

enum ProgramFlag : unsigned {
    textured = 1,    // GL_TEXTURE_2D on with a complete texture bound
    lit = 2,         // GL_LIGHTING
    lightOn = 4,     // GL_LIGHT0
    pointLight = 8,  // light 0 at a position (w != 0), not a direction
    sphereS = 16,    // s from the sphere map
    sphereT = 32,    // t from the sphere map
    fogShift = 6,    // two bits: 0 none, 1 GL_LINEAR, 2 GL_EXP, 3 GL_EXP2
};

const char* vertexShader = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aTexCoord;
layout(location = 3) in vec4 aColor;
uniform mat4 uModelViewProjection, uModelView, uTextureMatrix;
uniform mat3 uNormalMatrix;
uniform vec4 uLightPosition;  // eye coordinates; a direction is normalised already
uniform vec3 uSceneColor;     // emission + model ambient x material ambient
uniform vec3 uLightDiffuse;   // light diffuse x material diffuse
out vec4 vColor;
out vec4 vTexCoord;
out float vFogCoord;
void main() {
    gl_Position = uModelViewProjection * aPosition;
    vec4 eye = uModelView * aPosition;
    vec3 normal = uNormalMatrix * aNormal;  // not normalised: GL_NORMALIZE is off
#if LIT
    vec3 color = uSceneColor;
#if LIGHT_ON
#if POINT_LIGHT
    vec3 toLight = uLightPosition.xyz - eye.xyz;
    toLight *= inversesqrt(dot(toLight, toLight));
#else
    vec3 toLight = uLightPosition.xyz;
#endif
    color += max(dot(normal, toLight), 0.0) * uLightDiffuse;
#endif
    vColor = clamp(vec4(color, 1.0), 0.0, 1.0);  // the default material's alpha
#else
    vColor = clamp(aColor, 0.0, 1.0);
#endif
    vec4 texCoord = aTexCoord;
#if SPHERE_S || SPHERE_T
    vec3 u = eye.xyz * inversesqrt(dot(eye.xyz, eye.xyz));
    float twiceNU = 2.0 * dot(normal, u);
    vec3 r = u - twiceNU * normal;
    vec3 q = r + vec3(0.0, 0.0, 1.0);
    float inverseM = inversesqrt(dot(q, q)) * 0.5;
#if SPHERE_S
    texCoord.s = r.x * inverseM + 0.5;
#endif
#if SPHERE_T
    texCoord.t = r.y * inverseM + 0.5;
#endif
#endif
    vTexCoord = uTextureMatrix * texCoord;
    vFogCoord = abs(eye.z);
}
)";

const char* fragmentShader = R"(
in vec4 vColor;
in vec4 vTexCoord;
in float vFogCoord;
uniform sampler2D uTexture;
uniform vec4 uFogParams;  // -1/(end - start), end/(end - start), density/ln 2, density/sqrt(ln 2)
uniform vec3 uFogColor;
out vec4 fragColor;
void main() {
    vec4 color = vColor;
#if TEXTURED
    color *= textureProj(uTexture, vTexCoord.stq);  // GL_MODULATE
#endif
#if FOG == 1
    float f = clamp(vFogCoord * uFogParams.x + uFogParams.y, 0.0, 1.0);
#elif FOG == 2
    float f = clamp(exp2(-(vFogCoord * uFogParams.z)), 0.0, 1.0);
#elif FOG == 3
    float d = vFogCoord * uFogParams.w;
    float f = clamp(exp2(-(d * d)), 0.0, 1.0);
#endif
#if FOG
    color.rgb = mix(uFogColor, color.rgb, f);
#endif
    fragColor = color;
}
)";

struct Program {
    GLuint id = 0;
    GLint modelViewProjection, modelView, textureMatrix, normalMatrix, lightPosition, sceneColor, lightDiffuse,
        fogParams, fogColor, texture;
};
std::map<unsigned, Program> programs;

GLuint compile(GLenum type, const std::string& source) {
    GLuint shader = emscripten_glCreateShader(type);
    const GLchar* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "vorrend: a fixed-function shader does not compile: %s\n", log);
    }
    return shader;
}

const Program& programFor(unsigned flags) {
    auto found = programs.find(flags);
    if (found != programs.end()) return found->second;
    std::string defines = "#version 300 es\nprecision highp float;\n";
    auto define = [&](const char* name, unsigned value) {
        defines += "#define " + std::string(name) + " " + std::to_string(value) + "\n";
    };
    define("TEXTURED", (flags & textured) != 0);
    define("LIT", (flags & lit) != 0);
    define("LIGHT_ON", (flags & lightOn) != 0);
    define("POINT_LIGHT", (flags & pointLight) != 0);
    define("SPHERE_S", (flags & sphereS) != 0);
    define("SPHERE_T", (flags & sphereT) != 0);
    define("FOG", flags >> fogShift);
    Program p;
    p.id = emscripten_glCreateProgram();
    GLuint vs = compile(GL_VERTEX_SHADER, defines + vertexShader),
           fs = compile(GL_FRAGMENT_SHADER, defines + fragmentShader);
    emscripten_glAttachShader(p.id, vs);
    emscripten_glAttachShader(p.id, fs);
    emscripten_glLinkProgram(p.id);
    emscripten_glDeleteShader(vs);
    emscripten_glDeleteShader(fs);
    GLint ok = 0;
    emscripten_glGetProgramiv(p.id, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetProgramInfoLog(p.id, sizeof log, nullptr, log);
        std::fprintf(stderr, "vorrend: a fixed-function program does not link: %s\n", log);
    }
    auto at = [&](const char* name) { return emscripten_glGetUniformLocation(p.id, name); };
    p.modelViewProjection = at("uModelViewProjection");
    p.modelView = at("uModelView");
    p.textureMatrix = at("uTextureMatrix");
    p.normalMatrix = at("uNormalMatrix");
    p.lightPosition = at("uLightPosition");
    p.sceneColor = at("uSceneColor");
    p.lightDiffuse = at("uLightDiffuse");
    p.fogParams = at("uFogParams");
    p.fogColor = at("uFogColor");
    p.texture = at("uTexture");
    return programs[flags] = p;
}

unsigned currentFlags() {
    unsigned flags = 0;
    if (layer.texture2D && textureComplete(layer.boundTexture)) {
        flags |= textured;
        if (layer.texGenS && layer.texGenModeS == GL_SPHERE_MAP) flags |= sphereS;
        if (layer.texGenT && layer.texGenModeT == GL_SPHERE_MAP) flags |= sphereT;
    }
    if (layer.lighting) {
        flags |= lit;
        if (layer.light0) flags |= lightOn;
        if (layer.lightPosition[3] != 0) flags |= pointLight;
    }
    if (layer.fog) flags |= (layer.fogMode == GL_LINEAR ? 1u : layer.fogMode == GL_EXP ? 2u : 3u) << fogShift;
    return flags;
}

// The program for the current state, in use, its uniforms set.
void useProgram() {
    const unsigned flags = currentFlags();
    const Program& p = programFor(flags);
    emscripten_glUseProgram(p.id);
    const Matrix& modelview = layer.modelview.back();
    const Matrix mvp = multiply(layer.projection.back(), modelview);
    emscripten_glUniformMatrix4fv(p.modelViewProjection, 1, GL_FALSE, mvp.m);
    emscripten_glUniformMatrix4fv(p.modelView, 1, GL_FALSE, modelview.m);
    emscripten_glUniformMatrix4fv(p.textureMatrix, 1, GL_FALSE, layer.texture.back().m);
    if (flags & (lit | sphereS | sphereT)) {
        float normals[9];
        normalMatrix(modelview, normals);
        emscripten_glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, normals);
    }
    if (flags & lit) {
        // GL's defaults: model ambient 0.2, material ambient 0.2 and diffuse 0.8,
        // light 0 diffuse 1 and ambient 0, no specular (the material has none).
        const float scene[3] = {0.2f * 0.2f, 0.2f * 0.2f, 0.2f * 0.2f}, diffuse[3] = {0.8f, 0.8f, 0.8f};
        float position[4] = {layer.lightPosition[0], layer.lightPosition[1], layer.lightPosition[2],
                             layer.lightPosition[3]};
        if (position[3] == 0) {
            const float length =
                std::sqrt(position[0] * position[0] + position[1] * position[1] + position[2] * position[2]);
            if (length > 0)
                for (int i = 0; i < 3; ++i) position[i] /= length;
        } else {
            for (int i = 0; i < 3; ++i) position[i] /= position[3];
        }
        emscripten_glUniform4fv(p.lightPosition, 1, position);
        emscripten_glUniform3fv(p.sceneColor, 1, scene);
        emscripten_glUniform3fv(p.lightDiffuse, 1, diffuse);
    }
    if (flags >> fogShift) {
        // Mesa's own reduction of the fog equations to one multiply-add or one exp2.
        const float scaleBy = layer.fogEnd == layer.fogStart ? 1.0f : -1.0f / (layer.fogEnd - layer.fogStart);
        const float params[4] = {scaleBy, layer.fogEnd * -scaleBy, float(layer.fogDensity * M_LOG2E),
                                 float(layer.fogDensity * (1.0 / std::sqrt(M_LN2)))};
        emscripten_glUniform4fv(p.fogParams, 1, params);
        emscripten_glUniform3fv(p.fogColor, 1, layer.fogColor);
    }
    if (flags & textured) emscripten_glUniform1i(p.texture, 0);
}

// ---- vertex data ---------------------------------------------------------------

enum Attribute : GLuint { positionAt = 0, normalAt = 1, texCoordAt = 2, colorAt = 3 };
constexpr int immediateFloats = 14;  // position 3, normal 3, texture coordinate 4, colour 4

GLuint streamBuffer = 0, indexBuffer = 0, arrayBuffers[3] = {};

void ensureBuffers() {
    if (streamBuffer) return;
    emscripten_glGenBuffers(1, &streamBuffer);
    emscripten_glGenBuffers(1, &indexBuffer);
    emscripten_glGenBuffers(3, arrayBuffers);
}

bool linesForPolygons() { return layer.polygonModeFront == GL_LINE; }  // the demo sets both faces alike

void drawIndexed(GLenum mode, const std::vector<uint32_t>& indices) {
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(),
                            GL_STREAM_DRAW);
    emscripten_glDrawElements(mode, GLsizei(indices.size()), GL_UNSIGNED_INT, nullptr);
}

// Triangles (a, b, c) as listed, or their edges when polygons are drawn as lines.
void drawTriangles(const std::vector<uint32_t>& triangles) {
    if (!linesForPolygons()) return drawIndexed(GL_TRIANGLES, triangles);
    std::vector<uint32_t> lines;
    lines.reserve(triangles.size() * 2);
    for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
        const uint32_t a = triangles[i], b = triangles[i + 1], c = triangles[i + 2];
        lines.insert(lines.end(), {a, b, b, c, c, a});
    }
    drawIndexed(GL_LINES, lines);
}

GLenum immediateMode = 0;
bool insideBegin = false;
std::vector<float> immediate;

}  // namespace

extern "C" {

// ---- immediate mode ------------------------------------------------------------

void glBegin(GLenum mode) {
    insideBegin = mode == GL_QUADS || mode == GL_TRIANGLES || mode == GL_LINES;
    immediateMode = mode;
    immediate.clear();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!insideBegin) return;
    const float v[immediateFloats] = {x,
                                      y,
                                      z,
                                      layer.normal[0],
                                      layer.normal[1],
                                      layer.normal[2],
                                      layer.texCoord[0],
                                      layer.texCoord[1],
                                      layer.texCoord[2],
                                      layer.texCoord[3],
                                      layer.color[0],
                                      layer.color[1],
                                      layer.color[2],
                                      layer.color[3]};
    immediate.insert(immediate.end(), v, v + immediateFloats);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    layer.texCoord[0] = s;
    layer.texCoord[1] = t;
    layer.texCoord[2] = 0;
    layer.texCoord[3] = 1;
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    layer.color[0] = red;
    layer.color[1] = green;
    layer.color[2] = blue;
    layer.color[3] = alpha;
}

void glEnd(void) {
    if (!insideBegin) return;
    insideBegin = false;
    const uint32_t count = uint32_t(immediate.size() / immediateFloats);
    if (!layerStarted || count == 0) return;
    ensureBuffers();
    useProgram();
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, streamBuffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(immediate.size() * sizeof(float)), immediate.data(),
                            GL_STREAM_DRAW);
    const GLsizei stride = immediateFloats * sizeof(float);
    const GLint sizes[4] = {3, 3, 4, 4}, offsets[4] = {0, 3, 6, 10};
    for (GLuint a = 0; a < 4; ++a) {
        emscripten_glEnableVertexAttribArray(a);
        emscripten_glVertexAttribPointer(a, sizes[a], GL_FLOAT, GL_FALSE, stride,
                                         reinterpret_cast<const void*>(uintptr_t(offsets[a] * sizeof(float))));
    }
    std::vector<uint32_t> indices;
    if (immediateMode == GL_LINES) {
        for (uint32_t i = 0; i + 1 < count; ++i) indices.push_back(i);
        drawIndexed(GL_LINES, indices);
    } else if (immediateMode == GL_TRIANGLES) {
        for (uint32_t i = 0; i + 2 < count; i += 3) indices.insert(indices.end(), {i, i + 1, i + 2});
        drawTriangles(indices);
    } else if (linesForPolygons()) {
        // A quad's outline is its four sides; the diagonal that splits it is no edge.
        for (uint32_t i = 0; i + 3 < count; i += 4)
            indices.insert(indices.end(), {i, i + 1, i + 1, i + 2, i + 2, i + 3, i + 3, i});
        drawIndexed(GL_LINES, indices);
    } else {
        // Split as Mesa splits a quad: (0, 1, 3) and (1, 2, 3).
        for (uint32_t i = 0; i + 3 < count; i += 4)
            indices.insert(indices.end(), {i, i + 1, i + 3, i + 1, i + 2, i + 3});
        drawTriangles(indices);
    }
    for (GLuint a = 0; a < 4; ++a) emscripten_glDisableVertexAttribArray(a);
}

// ---- client arrays ---------------------------------------------------------------

void glEnableClientState(GLenum array) {
    if (array == GL_VERTEX_ARRAY) layer.vertexArray.enabled = true;
    if (array == GL_NORMAL_ARRAY) layer.normalArray.enabled = true;
    if (array == GL_TEXTURE_COORD_ARRAY) layer.texCoordArray.enabled = true;
}

void glDisableClientState(GLenum array) {
    if (array == GL_VERTEX_ARRAY) layer.vertexArray.enabled = false;
    if (array == GL_NORMAL_ARRAY) layer.normalArray.enabled = false;
    if (array == GL_TEXTURE_COORD_ARRAY) layer.texCoordArray.enabled = false;
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (type == GL_FLOAT && size >= 2 && size <= 4)
        layer.vertexArray = {layer.vertexArray.enabled, size, stride, pointer};
}

void glNormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (type == GL_FLOAT) layer.normalArray = {layer.normalArray.enabled, 3, stride, pointer};
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer) {
    if (type == GL_FLOAT && size >= 1 && size <= 4)
        layer.texCoordArray = {layer.texCoordArray.enabled, size, stride, pointer};
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices) {
    if (!layerStarted || mode != GL_TRIANGLES || type != GL_UNSIGNED_INT || count <= 0 || !indices) return;
    if (!layer.vertexArray.enabled || !layer.vertexArray.pointer) return;  // GL draws nothing without positions
    const uint32_t* first = static_cast<const uint32_t*>(indices);
    std::vector<uint32_t> triangles(first, first + count);
    uint32_t highest = 0;
    for (uint32_t i : triangles) highest = std::max(highest, i);
    ensureBuffers();
    useProgram();
    // Each enabled array as far as the highest index reaches; the others as the
    // current normal and texture coordinate. The colour is the current one.
    const ClientArray* arrays[3] = {&layer.vertexArray, &layer.normalArray, &layer.texCoordArray};
    const Attribute at[3] = {positionAt, normalAt, texCoordAt};
    for (int a = 0; a < 3; ++a) {
        const ClientArray& c = *arrays[a];
        if (!c.enabled || !c.pointer) {
            emscripten_glDisableVertexAttribArray(at[a]);
            const float normal4[4] = {layer.normal[0], layer.normal[1], layer.normal[2], 1};
            emscripten_glVertexAttrib4fv(at[a], a == 1 ? normal4 : layer.texCoord);
            continue;
        }
        const size_t stride = c.stride ? size_t(c.stride) : size_t(c.size) * sizeof(float);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, arrayBuffers[a]);
        emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(stride * highest + size_t(c.size) * sizeof(float)),
                                c.pointer, GL_STREAM_DRAW);
        emscripten_glEnableVertexAttribArray(at[a]);
        emscripten_glVertexAttribPointer(at[a], c.size, GL_FLOAT, GL_FALSE, GLsizei(stride), nullptr);
    }
    emscripten_glDisableVertexAttribArray(colorAt);
    emscripten_glVertexAttrib4fv(colorAt, layer.color);
    drawTriangles(triangles);
    for (GLuint a = 0; a < 4; ++a) emscripten_glDisableVertexAttribArray(a);
}

}  // extern "C"
