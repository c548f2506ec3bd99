#include <GL/gl.h>

#include <cmath>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "scene_fixture.h"
#include "scenes/scenes.h"
#include "test_shapes.h"

namespace {

const double pi = std::acos(-1.0);
double rad(double degrees) { return degrees * pi / 180.0; }

void drawTunnelAt(float time) {
    setDemoClocks(time);
    drawTunnelScene();
}

Rgb at(PixelPos p) { return GLTest::pixel(int(p.x), int(p.y)); }

// Object-space copy of an eye-space box for the ship close-up at t71: the
// close-up's transforms undone in reverse order, built by GL itself.
mesh closeUpBoxAt(float t71, float x, float y, float z, float h, float depthHalf, uint32_t texture) {
    double inverse[16];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glScalef(1 / 0.003f, 100.0f, 100.0f);
    glRotatef(float(-5.0 * std::sin(1.15 * t71)), 0, 1, 0);
    glRotatef(90, 0, 0, 1);
    glRotatef(float(-(1.5 * t71 - 20.0)), 0, 1, 0);
    glRotatef(70, 1, 0, 0);
    glTranslatef(-0.3f, 0.3f, 2.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, inverse);
    glPopMatrix();
    mesh box = makeBoxMesh(x, y, z, h, h, depthHalf, texture);
    for (size_t i = 0; i < box.positions.size(); i += 3) {
        double e[3] = {box.positions[i], box.positions[i + 1], box.positions[i + 2]};
        for (int row = 0; row < 3; ++row)
            box.positions[i + row] =
                float(inverse[row] * e[0] + inverse[4 + row] * e[1] + inverse[8 + row] * e[2] + inverse[12 + row]);
    }
    return box;
}

}  // namespace

using Tunnel = SceneTest;

// A red marker on the tube at radius 1 along the tube's own x, 5 units in front of
// the eye, where the tube's turn about the line of sight puts it.
TEST_F(Tunnel, TubeTurnsTenDegreesAtTheStartAndAHundredAtTheEnd) {
    uint32_t red = makeSolidTexture({255, 0, 0, 255});
    // Tube's y becomes the line of sight; its quad faces the eye (normal -y).
    mesh marker = makeQuadMesh(0.08f, 0.08f, red);
    for (size_t i = 0; i < marker.positions.size(); i += 3) {
        float qx = marker.positions[i], qy = marker.positions[i + 1];
        marker.positions[i] = 1.0f + qx;
        marker.positions[i + 1] = 3.0f;
        marker.positions[i + 2] = qy;
    }
    marker.normals.assign(4, Vec3{0, -1, 0});
    objTunnel = makeObject({marker});

    for (float time : {71.0f, 86.0f}) {
        SCOPED_TRACE(time);
        enter(leftByShip);
        drawTunnelAt(time);
        drawTunnelAt(time);
        // The turn is 10 + 6 * t71 degrees; the eye looks along +z, so the tube's
        // x shows to the left. The marker sits at eye (-cos a, sin a, -5).
        double a = rad(10.0 + 6.0 * (time - 71.0));
        double other = rad(time == 71.0f ? 100.0 : 10.0);
        Rgb here = at(eyeToPixel(-std::cos(a), std::sin(a), -5));
        EXPECT_GT(here[0], 100);
        EXPECT_EQ(here[1], 0);
        EXPECT_TRUE(pixelNear(at(eyeToPixel(-std::cos(other), std::sin(other), -5)), rgb(0.5, 0.5, 0.5)));
    }
}

// The ship scene hands over with fog on; the tube must not be fogged on the first
// frame either, or the scene would open with one grey frame.
TEST_F(Tunnel, FogIsOffFromTheFirstFrameAndTheFogStateIsSet) {
    uint32_t red = makeSolidTexture({255, 0, 0, 255});
    mesh marker = makeQuadMesh(0.3f, 0.3f, red);
    for (size_t i = 0; i < marker.positions.size(); i += 3) {
        float qx = marker.positions[i], qy = marker.positions[i + 1];
        marker.positions[i] = qx;
        marker.positions[i + 1] = 6.0f;  // eye depth 8: dense fog would leave 24 %
        marker.positions[i + 2] = qy;
    }
    marker.normals.assign(4, Vec3{0, -1, 0});
    objTunnel = makeObject({marker});

    enter(leftByShip);
    drawTunnelAt(72.0f);
    Rgb first = pixel(320, 240);
    drawTunnelAt(72.0f);
    EXPECT_EQ(pixel(320, 240), first);
    EXPECT_EQ(first[1], 0);

    EXPECT_FALSE(glIsEnabled(GL_FOG));
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_EXP2);
    float density = 0, colour[4] = {};
    glGetFloatv(GL_FOG_DENSITY, &density);
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_FLOAT_EQ(density, 0.15f);
    EXPECT_FLOAT_EQ(colour[0], 0.5f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
}

// The axes marker on the close-up at its start and end, -20 and 2.5 degrees into
// its turn, rocked 0 and -5 degrees: the rocking tips the blue arm. Its motion runs
// on t71 alone: with demoTime moved half a rocking period on (2.73 s) and t71 held,
// it lands the same.
TEST_F(Tunnel, ShipCloseUpTurnsAndRocksOnItsOwnClock) {
    objSkute = makeObject(makeColouredAxes(60, 0.5f));
    for (auto [time, tips] : {std::pair{71.0f, ArmTips{{{444, 348}, {618, 283}, {376, 201}}}},
                              std::pair{86.0f, ArmTips{{{444, 345}, {620, 332}, {452, 189}}}}}) {
        for (double later : {0.0, pi / 1.15}) {
            SCOPED_TRACE(testing::Message() << time << " s, demoTime " << later << " s on");
            enter(leftByShip);
            setDemoClocks(float(time + later));
            t71 = time - 71.0f;
            drawTunnelScene();
            EXPECT_TRUE(armsLand(tips));
        }
    }
}

// The tube before it is alpha-blended and lit; the close-up shows its texture
// exactly, though that texture is half transparent.
TEST_F(Tunnel, ShipCloseUpIsUnlitAndUnblended) {
    uint32_t halfClear = makeSolidTexture({200, 40, 0, 128});
    objSkute = makeObject({closeUpBoxAt(4.0f, 0, 0, -2, 0.1f, 0.1f, halfClear)});
    enter(leftByShip);
    drawTunnelAt(75.0f);
    drawTunnelAt(75.0f);
    EXPECT_EQ(pixel(320, 240), (Rgb{200, 40, 0}));
}

// The whirlpools are drawn with the depth test still on: a part of the close-up
// nearer than their eye depth 2 hides them, a part farther away does not. The
// screen frame above them ignores depth.
TEST_F(Tunnel, CloseUpNearerThanAWhirlpoolHidesIt) {
    uint32_t box = makeSolidTexture({200, 40, 0, 255});
    texMalstrom = makeSolidTexture({0, 0, 100, 255});
    const float time = 78.0f, sinceTurn = time - 71.0f;
    PixelPos inBox = eyeToPixel(0.525, 0.325, -1.7);
    PixelPos besideBox = eyeToPixel(0.45, 0.55, -2);

    objSkute = makeObject({closeUpBoxAt(sinceTurn, 0.525f, 0.325f, -1.65f, 0.075f, 0.05f, box)});
    enter(leftByShip);
    drawTunnelAt(time);
    drawTunnelAt(time);
    EXPECT_EQ(at(inBox), (Rgb{200, 40, 0}));
    EXPECT_TRUE(pixelNear(at(besideBox), Rgb{128, 128, 228}, 1));

    // The same box beyond the whirlpool's depth: the whirlpool adds over it.
    objSkute = makeObject({closeUpBoxAt(sinceTurn, 0.525f * 1.4f, 0.325f * 1.4f, -2.4f, 0.1f, 0.05f, box)});
    drawTunnelAt(time);
    EXPECT_EQ(at(eyeToPixel(0.525, 0.325, -1.7)), (Rgb{200, 40, 100}));

    // Nearer again, under a half-transparent green screen frame.
    objSkute = makeObject({closeUpBoxAt(sinceTurn, 0.525f, 0.325f, -1.65f, 0.075f, 0.05f, box)});
    texSkjerm = makeSolidTexture({0, 255, 0, 128});
    drawTunnelAt(time);
    double a = 128.0 / 255.0;
    EXPECT_TRUE(pixelNear(at(inBox), rgb(200 / 255.0 * (1 - a), a + 40 / 255.0 * (1 - a), 0)));
}

TEST_F(Tunnel, WhirlpoolsAndScreenFrameLieWhereTheyShould) {
    texMalstrom = makeSolidTexture({0, 0, 100, 255});
    texMalstrom2 = makeSolidTexture({0, 100, 0, 255});
    enter(leftByShip);
    drawTunnelAt(80.0f);
    drawTunnelAt(80.0f);
    // First: x 0.4 to 0.8, y 0.2 to 0.6 at eye depth 2. Second: x -0.78 to -0.18,
    // y -0.48 to -0.28.
    EXPECT_TRUE(pixelNear(at(eyeToPixel(0.6, 0.4, -2)), Rgb{128, 128, 228}, 1));
    EXPECT_TRUE(pixelNear(at(eyeToPixel(0.3, 0.4, -2)), Rgb{128, 128, 128}, 1));
    EXPECT_TRUE(pixelNear(at(eyeToPixel(-0.5, -0.38, -2)), Rgb{128, 228, 128}, 1));
    EXPECT_TRUE(pixelNear(at(eyeToPixel(-0.5, -0.2, -2)), Rgb{128, 128, 128}, 1));
}
