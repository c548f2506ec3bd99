#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "scene_fixture.h"
#include "scenes/scenes.h"
#include "test_shapes.h"

namespace {

const double pi = std::acos(-1.0);
const double lens = 1 / std::tan(75 * pi / 180);  // gluPerspective(150, ...)

// Where the world point (x, y, z) lands under the scene's camera, 19 units in
// front of the origin looking along +z (world x shows mirrored), and lens.
PixelPos worldToPixel(double x, double y, double z) {
    double depth = z + 19;
    return {(1 - lens * x / depth) * 0.5 * GLTest::width, (1 - lens * y / depth) * 0.5 * GLTest::height};
}

void drawTorusAt(float time) {
    enter(leftByTreasureRoom);
    setDemoClocks(time);
    drawTorusScene();
}

Rgb at(PixelPos p) { return GLTest::pixel(int(p.x), int(p.y)); }

}  // namespace

using Torus = SceneTest;

// The strip spans rows 412 to 477; it is 400 units long at 39 units from the eye
// where the view is 291 wide, and moves 60 units a second towards the left.
TEST_F(Torus, CreditsStripCrossesTheBottomFromRightToLeft) {
    texCred = makeSolidTexture({0, 0, 200, 255});
    const int row = 440;
    for (float time : {107.0f, 125.0f}) {
        SCOPED_TRACE(time);
        drawTorusAt(time);
        for (int x : {2, 160, 320, 480, 637}) EXPECT_EQ(pixel(x, row), (Rgb{0, 0, 0})) << x;
    }
    drawTorusAt(116.0f);
    for (int x : {2, 160, 320, 480, 637}) EXPECT_EQ(pixel(x, row), (Rgb{0, 0, 200})) << x;
    EXPECT_EQ(pixel(320, 405), (Rgb{0, 0, 0}));

    // At 114 s the strip runs from world x = -320 to 80: its end is at eye x = -80,
    // column 144.
    drawTorusAt(114.0f);
    EXPECT_EQ(pixel(136, row), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(152, row), (Rgb{0, 0, 200}));
    EXPECT_EQ(pixel(637, row), (Rgb{0, 0, 200}));
}

// The mirrored s and the camera's mirror cancel: the picture reads left to right,
// top row at the top.
TEST_F(Torus, CreditsPictureIsUprightAndUnmirrored) {
    texCred = makeQuadrantTexture({200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}, {200, 200, 0, 255});
    drawTorusAt(116.0f);
    EXPECT_EQ(pixel(100, 425), (Rgb{200, 0, 0}));
    EXPECT_EQ(pixel(540, 425), (Rgb{0, 200, 0}));
    EXPECT_EQ(pixel(100, 465), (Rgb{0, 0, 200}));
    EXPECT_EQ(pixel(540, 465), (Rgb{200, 200, 0}));
}

// At 108 s the spin is -42120 degrees, whole turns, so a box about the origin
// stands square; its silhouette is that of its eight corners. Between whole turns
// the axes marker shows the spin itself.
TEST_F(Torus, SpinsAboutTheVerticalAndTheMusicPushesItAlongEveryAxis) {
    const uint32_t stone = makeSolidTexture({220, 220, 220, 255});
    objTorus = makeObject({makeBoxMesh(0, 0, 0, 1, 1, 1, stone)});
    for (float s : {0.0f, 0.5f, 5.0f}) {
        SCOPED_TRACE(s);
        musicSpectrum[0] = s;
        drawTorusAt(108.0f);
        double push = 2 * s, left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
        for (int corner = 0; corner < 8; ++corner) {
            PixelPos p =
                worldToPixel(push + (corner & 1 ? 1 : -1), push + (corner & 2 ? 1 : -1), push + (corner & 4 ? 1 : -1));
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
        // Just inside and just outside each edge of the silhouette.
        double midX = (left + right) / 2, midY = (top + bottom) / 2;
        EXPECT_EQ(pixel(int(left + 1.5), int(midY)), (Rgb{220, 220, 220}));
        EXPECT_EQ(pixel(int(right - 1.5), int(midY)), (Rgb{220, 220, 220}));
        EXPECT_EQ(pixel(int(midX), int(top + 1.5)), (Rgb{220, 220, 220}));
        EXPECT_EQ(pixel(int(midX), int(bottom - 1.5)), (Rgb{220, 220, 220}));
        EXPECT_EQ(pixel(int(left - 1.5), int(midY)), (Rgb{0, 0, 0}));
        EXPECT_EQ(pixel(int(right + 1.5), int(midY)), (Rgb{0, 0, 0}));
        EXPECT_EQ(pixel(int(midX), int(top - 1.5)), (Rgb{0, 0, 0}));
        EXPECT_EQ(pixel(int(midX), int(bottom + 1.5)), (Rgb{0, 0, 0}));
    }

    // -390 degrees a second about the vertical, after the quarter turn about x:
    // -30 degrees (mod 360) at 108.0769 s, -60 at 108.1538 s. The arms on x and y
    // then lie level, to the left and to the right.
    objTorus = makeObject(makeColouredAxes(20, 1));
    musicSpectrum[0] = 0.5f;
    for (auto [time, tips] : {std::pair{108.0769f, ArmTips{{{274, 237}, {337, 238}, {315, 288}}}},
                              std::pair{108.1538f, ArmTips{{{297, 238}, {359, 237}, {315, 288}}}}}) {
        SCOPED_TRACE(time);
        drawTorusAt(time);
        EXPECT_TRUE(armsLand(tips));
    }
}

// Two squares facing the eye in one mesh, the near one first: with no depth test
// the far one, drawn later, covers it. Their texels are half transparent and show
// exactly: the torus is unlit and unblended.
TEST_F(Torus, FarTrianglesPaintOverNearOnesInIndexOrder) {
    uint32_t redBlue = makeTexture(2, 1, {200, 0, 0, 128, 0, 0, 200, 128});
    // The quarter turn about x lays the model's y along the line of sight.
    auto square = [](float y, float s) {
        mesh m = makeQuadMesh(2, 2, 0);
        for (size_t i = 0; i < m.positions.size(); i += 3) {
            float qy = m.positions[i + 1];
            m.positions[i + 1] = y;
            m.positions[i + 2] = -qy;
        }
        m.texCoords.assign(8, s);
        return m;
    };
    mesh both = square(-5, 0.25f), far = square(5, 0.75f);  // red near, blue far
    both.positions.insert(both.positions.end(), far.positions.begin(), far.positions.end());
    both.texCoords.insert(both.texCoords.end(), far.texCoords.begin(), far.texCoords.end());
    for (uint32_t index : far.indices) both.indices.push_back(index + 4);
    both.vertexCount = both.normalCount = both.texCoordCount = 8;
    both.faceCount = 4;
    both.normals.resize(8);
    both.texture = redBlue;
    objTorus = makeObject({both});

    drawTorusAt(108.0f);
    EXPECT_EQ(pixel(320, 240), (Rgb{0, 0, 200}));
    // The near square is larger on screen and shows around the far one.
    EXPECT_EQ(at(worldToPixel(-1.6, 0, -5)), (Rgb{200, 0, 0}));
}
