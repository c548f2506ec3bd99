#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "scene_fixture.h"
#include "scenes/scenes.h"
#include "test_shapes.h"

namespace {

const Rgba8 red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, yellow{255, 255, 0, 255};

// A water quad whose every vertex samples the texture at (s, t): the whole quad
// shows the one texel the texture matrix moves (s, t) to.
mesh oneTexelQuad(float halfWidth, float halfHeight, uint32_t texture, float s, float t) {
    mesh m = makeQuadMesh(halfWidth, halfHeight, texture);
    m.texCoords = {s, t, s, t, s, t, s, t};
    return m;
}

bool isClearGrey(const Rgb& p) { return pixelNear(p, {204, 204, 204}); }

}  // namespace

using Ship = SceneTest;

TEST_F(Ship, FirstFrameOfEachWindowClearsWithThePreviousColour) {
    drawFrameAt(34.9f);  // the gallery leaves a black clear colour
    drawFrameAt(35.5f);
    EXPECT_EQ(pixel(320, 240), (Rgb{0, 0, 0}));
    drawFrameAt(35.52f);
    EXPECT_TRUE(isClearGrey(pixel(320, 240)));

    glClearColor(0, 0, 0, 0);  // as the torus leaves it
    drawFrameAt(126.01f);
    EXPECT_EQ(pixel(10, 10), (Rgb{0, 0, 0}));
    drawFrameAt(126.03f);
    EXPECT_TRUE(isClearGrey(pixel(10, 10)));
}

TEST_F(Ship, CamerasByTimeAndTheCrossingShip) {
    // Eye-space places of the ship's origin, worked out from the look-at:
    //  40 s: eye (-37.5, 0, -5), ship (0, -1.5, -5): right-hand axis (-5, 0, 37.5)
    //        / 37.83, so x = -187.5 / 37.83 = -4.96, depth 37.5^2 / 37.83 = 37.17;
    //  60 s: eye (20, 0, -35): x = 100 / 40.31 = 2.48, depth 1450 / 40.31 = 35.97;
    //  47 s: no look-at, the ship's translation is its eye position;
    // 136 s: eye (0, 0, -35), ship (2.5, -1, -3): x = -2.5, depth 32.
    // The axes marker (arms `arm` long) shows the ship's turns, -100 degrees about x,
    // -25 about z and the rocking 5 sin(1.15 demoTime) about y, by the pixels where its
    // red, green and blue arms' tips (0.8 of an arm) land. The crossing runs on t126,
    // the rocking on demoTime: the last case moves demoTime half a rocking period on
    // with t126 held, which tips the red and blue arms.
    struct Case {
        float time;
        double x, y, depth;
        float arm;
        double later;
        ArmTips tips;
    };
    const double halfRock = std::acos(-1.0) / 1.15;
    for (Case c : {Case{40, -4.956, -1.5, 37.17, 25, 0, {{{249, 261}, {144, 272}, {205, 202}}}},
                   Case{60, 2.481, -1.5, 35.97, 25, 0, {{{287, 258}, {387, 278}, {382, 200}}}},
                   Case{47, 0, -1.5, 5, 4, 0, {{{414, 413}, {357, 406}, {315, 338}}}},
                   Case{136, -2.5, -1, 32, 25, 0, {{{179, 248}, {206, 273}, {263, 185}}}},
                   Case{136, -2.5, -1, 32, 25, halfRock, {{{179, 255}, {206, 273}, {253, 185}}}}}) {
        SCOPED_TRACE(testing::Message() << c.time << " s, demoTime " << c.later << " s on");
        // Its alpha is 0, which shows only because the ship is drawn with blending off.
        objSkute = makeObject(makeColouredAxes(c.arm, 0.02f * c.arm, 0));
        drawFrameAt(c.time - 0.02f);  // the frame before leaves the grey clear
        setDemoClocks(float(c.time + c.later));
        t126 = c.time - 126;
        drawShipScene();
        PixelPos at = eyeToPixel(c.x, c.y, -c.depth), mirrored = eyeToPixel(-c.x, c.y, -c.depth);
        EXPECT_FALSE(isClearGrey(pixel(int(at.x), int(at.y))));
        if (c.x != 0) {
            EXPECT_TRUE(isClearGrey(pixel(int(mirrored.x), int(mirrored.y))));
        }
        EXPECT_TRUE(isClearGrey(pixel(int(at.x), 20)));
        // With a look-at at 47 s the ship would sit 30 units off, not 5: near the
        // centre, far from the lower edge where the identity view puts it.
        if (c.time == 47) {
            EXPECT_TRUE(isClearGrey(pixel(320, 250)));
        }
        EXPECT_TRUE(armsLand(c.tips));
    }
}

TEST_F(Ship, ClosingPictureFadesInOverTheSecondWindow) {
    texTg05 = makeSolidTexture({255, 255, 255, 255});
    for (auto [time, expected] : {std::pair{40.0f, rgb(0.8, 0.8, 0.8)},
                                  {126.02f, rgb(0.8, 0.8, 0.8)},
                                  {131.0f, rgb(0.9, 0.9, 0.9)},
                                  {136.0f, rgb(1, 1, 1)},
                                  {144.0f, rgb(1, 1, 1)}}) {
        drawFrameAt(time - 0.01f);
        drawFrameAt(time);
        EXPECT_TRUE(pixelNear(pixel(320, 240), expected, 3)) << time;
        EXPECT_TRUE(pixelNear(pixel(0, 479), expected, 3)) << time;  // the whole view
    }
}

TEST_F(Ship, OnlyTheWaterDrifts) {
    // Quarters red, green / blue, yellow. The water shows the texel at
    // (0.25, 0.375) moved by (-0.08, -0.04) x demoTime through the texture matrix:
    // 50 s: (-4, -2) -> top left; 56.25 s: (-4.5, -2.25) -> (0.75, 0.125), top
    // right; 62.5 s: (-5, -2.5) -> (0.25, 0.875), bottom left.
    uint32_t quarters = makeQuadrantTexture(red, green, blue, yellow);
    // 48 x 60 units, all in front of the eye (the fog distance is only exact
    // then); its normal is 6 long against the scale of 6 and points up.
    mesh water = oneTexelQuad(4, 5, quarters, 0.25f, 0.375f);
    for (Vec3& n : water.normals) n = Vec3{0, 0, -6};
    objVann = makeObject({water});
    // The cameras of 47-71 s look down onto the water; the column below the
    // centre meets it 21 to 24 units away, well lit and little fogged.
    auto dominant = [](float time) {
        drawFrameAt(time);
        return hueOf(pixel(320, 400));
    };
    EXPECT_EQ(dominant(50.0f), 'r');
    EXPECT_EQ(dominant(56.25f), 'g');
    EXPECT_EQ(dominant(62.5f), 'b');

    // The drift is popped before the ship and the overlays.
    float m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(intParam(GL_TEXTURE_STACK_DEPTH), 1);
}

TEST_F(Ship, LightFollowsThePreviousFramesModelview) {
    // A small water quad at the world origin whose normal, after the water's
    // transforms and the 126 s camera, faces the eye: eye-space (0, 0, 1), length
    // 1 (the local normal is 6 long against the scale of 6). The quad sits at eye
    // (0, -1.5, -35); linear fog from 8 to 75 keeps 40 / 67 of its colour.
    mesh water = makeQuadMesh(0.1f, 0.1f, makeSolidTexture({255, 255, 255, 255}));
    const double s = std::sin(75 * std::acos(-1.0) / 180), c = std::cos(75 * std::acos(-1.0) / 180);
    for (Vec3& n : water.normals) n = Vec3{0, float(-6 * s), float(-6 * c)};
    objVann = makeObject({water});
    PixelPos at = eyeToPixel(0, -1.5, -35);
    const double fog = 40.0 / 67.0;

    // After a frame of its own the light sits at eye (30, 30, 50): towards it
    // (30, 31.5, 85) / 95.5, so n.L = 0.890 and the colour 0.04 + 0.8 x 0.890.
    drawFrameAt(126.9f);
    drawFrameAt(127.0f);
    double lit = 0.04 + 0.8 * 85 / std::sqrt(30 * 30 + 31.5 * 31.5 + 85 * 85);
    EXPECT_TRUE(pixelNear(pixel(int(at.x), int(at.y)),
                          rgb(fog * lit + (1 - fog) * 0.5, fog * lit + (1 - fog) * 0.5, fog * lit + (1 - fog) * 0.5),
                          3));

    // After the torus's look-at from (0, 0, -19) the light lands at eye
    // (-30, 30, -69), behind the quad: ambient 0.04 only.
    glLoadIdentity();
    gluLookAt(0, 0, -19, 0, 0, 0, 0, 1, 0);
    drawFrameAt(127.0f);
    double dark = fog * 0.04 + (1 - fog) * 0.5;
    EXPECT_TRUE(pixelNear(pixel(int(at.x), int(at.y)), rgb(dark, dark, dark), 3));
}

TEST_F(Ship, LeavesTheStateTheTunnelFinds) {
    drawFrameAt(60.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(intParam(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_EQ(intParam(GL_FOG_MODE), GL_LINEAR);
    EXPECT_EQ(floatParam(GL_FOG_START), 8.0f);
    EXPECT_EQ(floatParam(GL_FOG_END), 75.0f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(intParam(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(intParam(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(float4Param(GL_CURRENT_COLOR)[3], 1.0f);
    EXPECT_EQ(float4Param(GL_COLOR_CLEAR_VALUE), leftByShip.clear);
    EXPECT_EQ(modelview[12], 0.0f);
    EXPECT_EQ(modelview[14], 0.0f);
    EXPECT_EQ(intParam(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(intParam(GL_MATRIX_MODE), GL_MODELVIEW);
}
