// The whole timeline, one scene after another from the start-up state: each scene
// must leave the GL state the next one draws in, since none saves or restores any.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "runtime/assets.h"
#include "runtime/timeline.h"
#include "scene_fixture.h"
#include "test_shapes.h"

namespace {

const double pi = std::acos(-1.0);

struct LeftState {
    std::string scene;
    float time;
    HandedOver state;
    float fovy;
};

// Clamped as GL clamps it before use.
float clamp01(double v) { return float(std::clamp(v, 0.0, 1.0)); }

void expectState(const LeftState& s) {
    SCOPED_TRACE(s.scene + " at " + std::to_string(s.time));
    EXPECT_EQ(bool(glIsEnabled(GL_DEPTH_TEST)), s.state.depthTest);
    if (s.state.depthTest) {
        EXPECT_EQ(intParam(GL_DEPTH_FUNC), GL_LEQUAL);
    }
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(bool(glIsEnabled(GL_FOG)), s.state.fog);
    if (s.state.fog) {
        EXPECT_EQ(intParam(GL_FOG_MODE), GL_LINEAR);
        EXPECT_EQ(floatParam(GL_FOG_START), 8.0f);
        EXPECT_EQ(floatParam(GL_FOG_END), 75.0f);
    }
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(GLenum(intParam(GL_BLEND_SRC)), s.state.blendSrc);
    EXPECT_EQ(GLenum(intParam(GL_BLEND_DST)), s.state.blendDst);

    const std::array<float, 4> colour = float4Param(GL_CURRENT_COLOR), clear = float4Param(GL_COLOR_CLEAR_VALUE);
    if (s.scene == "opening") {
        // The lightning's flicker colour stays current.
        const double t = s.time;
        EXPECT_NEAR(clamp01(colour[0]), clamp01(std::sin(14 * t)), 1e-5);
        EXPECT_NEAR(clamp01(colour[1]), clamp01(std::sin(42 * t)), 1e-5);
        EXPECT_NEAR(clamp01(colour[2]), clamp01(std::sin(12 * t)), 1e-5);
        EXPECT_EQ(colour[3], 1.0f);
    } else {
        EXPECT_EQ(colour[0], 1.0f);
        EXPECT_EQ(colour[1], 1.0f);
        EXPECT_EQ(colour[2], 1.0f);
        if (s.scene != "gallery") {  // the gallery leaves its last fade's alpha
            EXPECT_EQ(colour[3], 1.0f);
        }
    }
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(clear[i], s.state.clear[i]) << i;

    double projection[16], texture[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 1 / std::tan(s.fovy / 2 * pi / 180), 1e-6);

    EXPECT_EQ(intParam(GL_MATRIX_MODE), GL_MODELVIEW);
    glGetDoublev(GL_TEXTURE_MATRIX, texture);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(texture[i], i % 5 == 0 ? 1.0 : 0.0) << i;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_TRUE(fillsPolygons());
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

    // Every layer pops what it pushed.
    for (GLenum stack : {GL_MODELVIEW_STACK_DEPTH, GL_PROJECTION_STACK_DEPTH, GL_TEXTURE_STACK_DEPTH})
        EXPECT_EQ(intParam(stack), 1) << stack;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Every object holds something to draw, every picture something to show.
void loadTestAssets() {
    const uint32_t wood = makeSolidTexture({150, 100, 50, 255});
    const uint32_t water = makeSolidTexture({40, 80, 160, 200});
    const uint32_t picture = makeSolidTexture({200, 200, 200, 128});
    setAllTextureGlobals(picture);
    std::vector<mesh> ship, cube;
    for (int i = 0; i < 11; ++i) ship.push_back(makeBoxMesh(float(i - 5) * 4, 0, 0, 2, 2, 8, wood));
    for (int i = 0; i < 6; ++i) cube.push_back(makeBoxMesh(0, 0, float(i), 5, 5, 0.5f, wood));
    objSkute = makeObject(ship);
    objKube2 = makeObject(cube);
    objVann = makeObject({makeQuadMesh(20, 20, water)});
    objTunnel = makeObject({makeSphereMesh(12, 16, 30.0f, water)});
    objTorus = makeObject({makeSphereMesh(12, 16, 3.0f, wood)});
    mesh sphere = makeSphereMesh(16, 24, 1.0f, 0);
    objKule = makeObject({sphere});
    sphere.texture = picture;
    objKuleTau = makeObject({sphere});
    objKuleTex3 = makeObject({sphere});
}

}  // namespace

using StateChain = SceneTest;

TEST_F(StateChain, EveryWindowLeavesTheStateTheNextDrawsIn) {
    loadTestAssets();
    musicSpectrum[0] = 0.3f;
    const GLenum one = GL_ONE, alpha = GL_SRC_ALPHA, rest = GL_ONE_MINUS_SRC_ALPHA;
    const LeftState chain[] = {
        {"opening", 10.0f, {false, false, one, one, {0, 0, 0, 0}}, 45},
        {"gallery", 25.0f, {false, false, alpha, rest, {0, 0, 0, 0}}, 45},
        {"ship", 50.0f, leftByShip, 45},
        {"tunnel", 80.0f, leftByTunnel, 45},
        {"treasure room", 95.0f, leftByTreasureRoom, 45},
        {"torus", 115.0f, {false, false, one, one, {0, 0, 0, 0}}, 150},
        {"ship", 135.0f, leftByShip, 45},
    };
    // Two frames per window: the first inherits from the scene before, the second
    // from the scene itself.
    for (const LeftState& step : chain) {
        drawFrameAt(step.time);
        expectState(step);
        LeftState again = step;
        again.time = step.time + 1.0f / 60.0f;
        drawFrameAt(again.time);
        expectState(again);
    }
}

// The first frame of each scene clears with what the scene before left where the
// scene clears before setting its colour: the tunnel after the ship's grey, the
// second ship passage after the torus's black.
TEST_F(StateChain, FirstFramesClearWithTheColourTheSceneBeforeLeft) {
    drawFrameAt(70.9f);
    drawFrameAt(71.1f);
    EXPECT_TRUE(pixelNear(pixel(320, 240), rgb(0.8, 0.8, 0.8), 1));
    drawFrameAt(71.2f);
    EXPECT_TRUE(pixelNear(pixel(320, 240), rgb(0.5, 0.5, 0.5), 1));

    drawFrameAt(125.9f);
    drawFrameAt(126.1f);
    EXPECT_EQ(pixel(320, 240), (Rgb{0, 0, 0}));
}
