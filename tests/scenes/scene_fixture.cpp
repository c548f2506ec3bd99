#include "scene_fixture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "runtime/assets.h"
#include "runtime/timeline.h"
#include "test_shapes.h"

static std::vector<uint32_t> madeTextures;
uint32_t SceneTest::invisible = 0;

uint32_t makeTexture(int width, int height, const std::vector<uint8_t>& rgba) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    madeTextures.push_back(name);
    return name;
}

uint32_t makeSolidTexture(Rgba8 c) { return makeTexture(1, 1, {c.r, c.g, c.b, c.a}); }

uint32_t makeQuadrantTexture(Rgba8 tl, Rgba8 tr, Rgba8 bl, Rgba8 br) {
    return makeTexture(
        2, 2, {tl.r, tl.g, tl.b, tl.a, tr.r, tr.g, tr.b, tr.a, bl.r, bl.g, bl.b, bl.a, br.r, br.g, br.b, br.a});
}

mesh makeQuadMesh(float halfWidth, float halfHeight, uint32_t texture) {
    return makeQuadMesh(halfWidth, halfHeight, texture, 0, 0, 0);
}

mesh makeQuadMesh(float hw, float hh, uint32_t texture, float x, float y, float z) {
    mesh m;
    m.positions = {x - hw, y + hh, z, x + hw, y + hh, z, x + hw, y - hh, z, x - hw, y - hh, z};
    m.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    m.normals.assign(4, Vec3{0, 0, 1});
    m.indices = {0, 3, 2, 0, 2, 1};
    m.texture = texture;
    m.vertexCount = m.normalCount = m.texCoordCount = 4;
    m.faceCount = 2;
    return m;
}

tegn3d makeObject(std::vector<mesh> meshes) {
    tegn3d object;
    object.meshCount = int32_t(meshes.size());
    object.meshes = std::move(meshes);
    return object;
}

void setAllTextureGlobals(uint32_t t) {
    for (uint32_t& slot : jpgTextures) slot = t;
    for (uint32_t* global :
         {&texSkjerm,    &texKubetex,  &texKuletex,    &texKuletex2,    &texKuletex3, &texTreasureroom, &texGulv,
          &texRemember,  &texGrumla2,  &texVann,       &texStortflagg2, &texHjul,     &texMetall,       &texRuter,
          &texSflagg,    &texTau,      &texTre,        &texTre2,        &texTre3,     &texTre4,         &texLoading,
          &texPirat,     &texFinish2,  &texLegacyKube, &texSkatt,       &texStone,    &texGreet,        &texMalstrom,
          &texMalstrom2, &texTreasure, &texCred,       &texTg05})
        *global = t;
}

void clearAllObjects() {
    for (tegn3d* object : {&objVann, &objTorus, &objCube, &objKule, &objKuleFlipped, &objKuleTau, &objKuleTex3,
                           &objTunnel, &objSkute, &objKube2})
        *object = tegn3d{};
}

void SceneTest::SetUp() {
    GLTest::SetUp();
    glEnable(GL_TEXTURE_2D);
    std::fill(std::begin(musicSpectrum), std::end(musicSpectrum), 0.0f);
    clearAllObjects();
    invisible = makeSolidTexture({0, 0, 0, 0});
    setAllTextureGlobals(invisible);
}

void SceneTest::TearDown() {
    setAllTextureGlobals(0);
    clearAllObjects();
    if (!madeTextures.empty()) glDeleteTextures(GLsizei(madeTextures.size()), madeTextures.data());
    madeTextures.clear();
    invisible = 0;
}

GLint intParam(GLenum name) {
    GLint v = 0;
    glGetIntegerv(name, &v);
    return v;
}

float floatParam(GLenum name) {
    float v = 0;
    glGetFloatv(name, &v);
    return v;
}

std::array<float, 4> float4Param(GLenum name) {
    std::array<float, 4> v{};
    glGetFloatv(name, v.data());
    return v;
}

bool fillsPolygons() {
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    return mode[0] == GL_FILL && mode[1] == GL_FILL;
}

const HandedOver leftByShip = {true, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, {0.8f, 0.8f, 0.8f, 1}};
const HandedOver leftByTunnel = {false, false, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, {0.5f, 0.5f, 0.5f, 1}};
const HandedOver leftByTreasureRoom = {false, false, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, {1, 1, 1, 1}};

void enter(const HandedOver& state) {
    if (state.depthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    if (state.fog) {
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 8.0f);
        glFogf(GL_FOG_END, 75.0f);
    } else {
        glDisable(GL_FOG);
    }
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(state.blendSrc, state.blendDst);
    glClearColor(state.clear[0], state.clear[1], state.clear[2], state.clear[3]);
    glColor4f(1, 1, 1, 1);
}

void playFrames(float from, float to) {
    for (int i = 0;; ++i) {
        float t = from + float(i) / 60.0f;
        if (t >= to) break;
        drawFrameAt(t);
    }
}

PixelPos eyeToPixel(double x, double y, double z) {
    const double pi = std::acos(-1.0);
    double f = 1.0 / std::tan(22.5 * pi / 180.0);
    double ndcX = f * x / -z, ndcY = f * y / -z;
    return {(ndcX + 1) * 0.5 * GLTest::width, (1 - ndcY) * 0.5 * GLTest::height};
}

std::vector<mesh> makeColouredAxes(float length, float half, uint8_t alpha) {
    return makeAxesMarker(length, half, makeSolidTexture({255, 0, 0, alpha}), makeSolidTexture({0, 255, 0, alpha}),
                          makeSolidTexture({0, 0, 255, alpha}));
}

::testing::AssertionResult armsLand(const ArmTips& tips) {
    for (int arm = 0; arm < 3; ++arm) {
        const auto [x, y] = tips[arm];
        const Rgb seen = GLTest::pixel(x, y);
        if (hueOf(seen) != "rgb"[arm])
            return ::testing::AssertionFailure()
                   << "arm '"
                   << "rgb"[arm] << "' tip expected at (" << x << ", " << y << "), pixel there (" << seen[0] << ", "
                   << seen[1] << ", " << seen[2] << ")";
    }
    return ::testing::AssertionSuccess();
}

char hueOf(const Rgb& p) {
    if (p[0] > p[2] + 30 && p[1] > p[2] + 30) return 'y';
    if (p[0] > p[1] + 30 && p[0] > p[2] + 30) return 'r';
    if (p[1] > p[0] + 30 && p[1] > p[2] + 30) return 'g';
    if (p[2] > p[0] + 30 && p[2] > p[1] + 30) return 'b';
    return '?';
}

Rgb rgb(double r, double g, double b) {
    auto byte = [](double v) { return int(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return {byte(r), byte(g), byte(b)};
}

::testing::AssertionResult pixelNear(const Rgb& actual, const Rgb& expected, int tolerance) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(actual[i] - expected[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "pixel (" << actual[0] << ", " << actual[1] << ", " << actual[2] << "), expected (" << expected[0]
                   << ", " << expected[1] << ", " << expected[2] << ") within " << tolerance;
    return ::testing::AssertionSuccess();
}
