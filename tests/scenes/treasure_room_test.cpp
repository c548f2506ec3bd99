#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "runtime/timeline.h"
#include "scene_fixture.h"
#include "scenes/scenes.h"
#include "test_shapes.h"

namespace {

const double pi = std::acos(-1.0);

// A source mesh with the given vertices and one face over the first three.
mesh pointsMesh(std::vector<float> positions) {
    mesh m;
    m.positions = std::move(positions);
    m.vertexCount = m.normalCount = m.texCoordCount = int32_t(m.positions.size() / 3);
    m.normals.assign(size_t(m.vertexCount), Vec3{});
    m.texCoords.assign(2 * size_t(m.vertexCount), 0.0f);
    m.indices = {0, 1, 2};
    m.faceCount = 1;
    return m;
}

// The three sphere objects as the loader leaves them: one file, three copies.
void loadSpheres(const mesh& sphere) {
    objKule = makeObject({sphere});
    objKuleTau = makeObject({sphere});
    objKuleTex3 = makeObject({sphere});
}

float deformedAt(float time, int vertex, int axis) {
    setDemoClocks(time);
    deformBlob(objKuleTau);
    return objKuleTau.meshes[0].positions[3 * vertex + axis];
}

void drawRoomAt(float time) {
    setDemoClocks(time);
    drawTreasureRoomScene();
}

struct Box {
    int left = GLTest::width, top = GLTest::height, right = -1, bottom = -1;
    int count = 0;
    double centreX() const { return (left + right) / 2.0; }
    double centreY() const { return (top + bottom) / 2.0; }
};

// Pixels of one colour in the picture, and their bounding box.
Box find(const Rgb& colour) {
    std::vector<unsigned char> rgba(size_t(GLTest::width) * GLTest::height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLTest::width, GLTest::height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    Box box;
    for (int row = 0; row < GLTest::height; ++row)
        for (int x = 0; x < GLTest::width; ++x) {
            const unsigned char* p = &rgba[4 * (size_t(GLTest::height - 1 - row) * GLTest::width + x)];
            if (p[0] != colour[0] || p[1] != colour[1] || p[2] != colour[2]) continue;
            ++box.count;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, row);
            box.bottom = std::max(box.bottom, row);
        }
    return box;
}

}  // namespace

using TreasureRoom = SceneTest;

// Passes 2 and 3 are driven by x and y, which stay 0, so only B(0) acts on z, twice.
TEST_F(TreasureRoom, VertexOnTheZAxisEndsAtZTimesTheSquareOfB) {
    loadSpheres(pointsMesh({0, 0, 1.25f, 0, 0, -0.7f, 0.3f, 0.1f, 0.2f}));
    for (float time : {86.5f, 93.25f, 105.9f}) {
        SCOPED_TRACE(time);
        double b = 1.5 + 0.5 * std::sin(3.5 * time);
        EXPECT_EQ(deformedAt(time, 0, 0), 0.0f);
        EXPECT_EQ(deformedAt(time, 0, 1), 0.0f);
        EXPECT_NEAR(deformedAt(time, 0, 2), 1.25 * b * b, 2e-6);
        EXPECT_NEAR(deformedAt(time, 1, 2), -0.7f * b * b, 2e-6);
    }
}

// A(c) = 1.5 + 0.5 sin(3 T + 0.5 c): 2 at a phase of pi/2, 1 at -pi/2. A vertex
// (X, 0, 0) meets A(0) in passes 1 and 2, so it ends at 4 X or X.
TEST_F(TreasureRoom, FirstPassFactorIsExactlyTwoOrOneAtTheRightPhases) {
    loadSpheres(pointsMesh({0.75f, 0, 0, 0.5f, 0, 0.4f, 0, 0, 1}));
    float top = float(pi / 6), bottom = float(pi / 2);  // 3 T = pi/2, 3 pi/2
    EXPECT_EQ(deformedAt(top, 0, 0), 3.0f);
    EXPECT_EQ(deformedAt(bottom, 0, 0), 0.75f);

    // With z = 0.4 the phase shifts by 0.2: A(z) is 2 when 3 T = pi/2 - 0.2, so
    // pass 1 makes x = 2 * 0.5 = 1, which pass 2 multiplies by A(0).
    float shifted = float((pi / 2 - 0.2) / 3);
    double a0 = 1.5 + 0.5 * std::sin(3.0 * double(shifted));
    EXPECT_EQ(deformedAt(shifted, 1, 0), float(1.0 * a0));
}

TEST_F(TreasureRoom, ShapeDependsOnTheTimeAloneAndNormalsFollowIt) {
    mesh sphere = makeSphereMesh(8, 12, 1.0f, 0);
    loadSpheres(sphere);
    setDemoClocks(90.0f);
    deformBlob(objKuleTau);
    std::vector<float> first = objKuleTau.meshes[0].positions;
    const float* storage = objKuleTau.meshes[0].positions.data();

    // Other times, and a redraw of the whole scene in between.
    setDemoClocks(97.3f);
    deformBlob(objKuleTau);
    EXPECT_NE(objKuleTau.meshes[0].positions, first);
    enter(leftByTunnel);
    drawRoomAt(101.0f);
    setDemoClocks(90.0f);
    deformBlob(objKuleTau);
    EXPECT_EQ(objKuleTau.meshes[0].positions, first);
    EXPECT_EQ(objKuleTau.meshes[0].positions.data(), storage);  // rewritten in place

    // The normals are those of the new surface.
    mesh expected = objKuleTau.meshes[0];
    expected.computeNormals();
    for (int i = 0; i < expected.vertexCount; ++i) {
        EXPECT_EQ(objKuleTau.meshes[0].normals[i].x, expected.normals[i].x);
        EXPECT_EQ(objKuleTau.meshes[0].normals[i].y, expected.normals[i].y);
        EXPECT_EQ(objKuleTau.meshes[0].normals[i].z, expected.normals[i].z);
    }
    EXPECT_NE(objKuleTau.meshes[0].normals[3].x, sphere.normals[3].x);
    // Only the target changed; the rest shape is never written.
    EXPECT_EQ(objKule.meshes[0].positions, sphere.positions);
}

// A sphere file that failed to load leaves the objects empty; a target with fewer
// vertices than the source would be written past its end.
TEST_F(TreasureRoom, MissingOrShortMeshesAreLeftAloneAndTheSceneStillDraws) {
    mesh sphere = makeSphereMesh(4, 6, 1.0f, 0);
    mesh small = makeBoxMesh(0, 0, 0, 1, 1, 1, 0);
    objKule = makeObject({sphere});
    objKuleTau = makeObject({small});
    objKuleTex3 = tegn3d{};
    objKuleTex3.meshCount = 1;  // claims a mesh it does not hold
    setDemoClocks(95.0f);
    deformBlob(objKuleTau);
    deformBlob(objKuleTex3);
    EXPECT_EQ(objKuleTau.meshes[0].positions, small.positions);

    objKule = tegn3d{};
    objKuleTau = makeObject({sphere});
    deformBlob(objKuleTau);
    EXPECT_EQ(objKuleTau.meshes[0].positions, sphere.positions);

    // A longer target takes the source's shape on the source's vertices only.
    mesh big = makeSphereMesh(5, 6, 1.0f, 0);
    objKule = makeObject({sphere});
    objKuleTau = makeObject({big});
    deformBlob(objKuleTau);
    size_t shaped = sphere.positions.size();
    EXPECT_NE(
        std::vector<float>(objKuleTau.meshes[0].positions.begin(), objKuleTau.meshes[0].positions.begin() + shaped),
        std::vector<float>(big.positions.begin(), big.positions.begin() + shaped));
    EXPECT_TRUE(std::equal(big.positions.begin() + shaped, big.positions.end(),
                           objKuleTau.meshes[0].positions.begin() + shaped));

    // The scene carries on without its blobs.
    clearAllObjects();
    enter(leftByTunnel);
    drawRoomAt(95.0f);
    EXPECT_EQ(pixel(320, 240), (Rgb{255, 255, 255}));
}

// The blobs' centre is (2 s - 20, 2 s, 2 s + 80): 115 units ahead and 20 to the
// right with a silent spectrum, moved by 2 s along every axis.
TEST_F(TreasureRoom, BlobLayerCentreMovesWithTheMusic) {
    uint32_t green = makeSolidTexture({0, 200, 0, 255});
    mesh sphere = makeSphereMesh(10, 16, 0.5f, 0);
    loadSpheres(sphere);
    objKuleTex3.meshes[0].texture = green;
    objKuleTau.meshes[0].texture = green;

    Box silent, loud;
    for (float s : {0.0f, 1.0f}) {
        musicSpectrum[0] = s;
        enter(leftByTunnel);
        drawRoomAt(92.0f);
        Box& box = s == 0.0f ? silent : loud;
        box = find({0, 200, 0});
        ASSERT_GT(box.count, 20);
        // Eye coordinates: the camera looks along +z, so world x shows mirrored.
        PixelPos centre = eyeToPixel(-(2 * s - 20), 2 * s, -(2 * s + 80 + 35));
        EXPECT_EQ(pixel(int(centre.x), int(centre.y)), (Rgb{0, 200, 0}));
    }
    // Same shape and turn both times: the box moves as the centre does.
    PixelPos a = eyeToPixel(20, 0, -115), b = eyeToPixel(18, 2, -117);
    EXPECT_NEAR(loud.centreX() - silent.centreX(), b.x - a.x, 1.0);
    EXPECT_NEAR(loud.centreY() - silent.centreY(), b.y - a.y, 1.0);
}

// The axes marker on the cube and, beside a small sphere as the first mesh, in the
// filled blob. The cube turns 10 degrees a second about (0, 0, -1) after standing
// up 90 about x: at 102 and 103.5 s its arms on x and y lie level, running away from
// the eye to the left and to the right, above the view's centre. The blobs tumble
// 50 degrees a second about y and 45 about x.
TEST_F(TreasureRoom, CubeSpinsAndBlobsTumbleAboutTheirOwnAxes) {
    objKube2 = makeObject(makeColouredAxes(3, 0.1f));
    loadSpheres(makeSphereMesh(4, 6, 0.3f, 0));
    for (mesh& arm : makeColouredAxes(10, 0.5f)) objKuleTex3.meshes.push_back(arm);
    objKuleTex3.meshCount = 4;
    const struct {
        float time;
        ArmTips cube, blob;
    } cases[] = {{102.0f, {{{167, 49}, {628, 17}, {320, 297}}}, {{{436, 240}, {501, 240}, {454, 203}}}},
                 {103.5f, {{{89, 36}, {550, 36}, {320, 297}}}, {{{496, 240}, {464, 207}, {427, 225}}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        enter(leftByTunnel);
        drawRoomAt(c.time);
        EXPECT_TRUE(armsLand(c.cube));
        EXPECT_TRUE(armsLand(c.blob));
    }
}

// The wireframe blob is 1.1 times the filled one and in front of it: filled, it
// would hide it. Afterwards the polygon mode is back to fill.
TEST_F(TreasureRoom, WireframeBlobIsDrawnAsLinesAroundTheFilledOne) {
    mesh sphere = makeSphereMesh(6, 8, 1.5f, 0);
    loadSpheres(sphere);
    objKuleTex3.meshes[0].texture = makeSolidTexture({0, 200, 0, 255});
    objKuleTau.meshes[0].texture = makeSolidTexture({200, 0, 0, 255});
    enter(leftByTunnel);
    drawRoomAt(99.0f);
    Box filled = find({0, 200, 0}), wire = find({200, 0, 0});
    EXPECT_GT(filled.count, 1000);
    EXPECT_GT(wire.count, 100);
    EXPECT_LT(wire.count, filled.count);
    EXPECT_LE(wire.left, filled.left);
    EXPECT_GE(wire.right, filled.right);

    EXPECT_TRUE(fillsPolygons());
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    GLint gen = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &gen);
    EXPECT_EQ(gen, GL_SPHERE_MAP);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

// Texture s runs from u + 0.31 to u + 0.69 across the view, u = 0.2 T. A picture
// red on its left half, blue on its right, has its seam where s = 18.5: at
// T = 90.5 that is column 148 from the left, 0.1 s later 34 columns further left.
TEST_F(TreasureRoom, GreetingsStripScrollsToTheLeft) {
    texGreet = makeTexture(2, 1, {255, 0, 0, 255, 0, 0, 255, 255});
    const int row = 370;  // the strip spans rows 336 to 401
    auto seam = [](double u) {
        double x = (2 * (18.5 - u) - 1) * 200;  // eye x of s = 18.5
        return (1 + x / (180 * std::tan(pi / 8))) * 0.5 * GLTest::width;
    };
    for (float time : {90.5f, 90.6f}) {
        SCOPED_TRACE(time);
        enter(leftByTunnel);
        drawRoomAt(time);
        double x = seam(0.2 * time);
        EXPECT_EQ(pixel(int(x) - 3, row), (Rgb{255, 0, 0}));
        EXPECT_EQ(pixel(int(x) + 3, row), (Rgb{0, 0, 255}));
        EXPECT_EQ(pixel(600, row), (Rgb{0, 0, 255}));
    }
    EXPECT_EQ(pixel(320, 320), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixel(320, 420), (Rgb{255, 255, 255}));
}

TEST_F(TreasureRoom, PicturesLieWhereTheyShould) {
    texTreasureroom = makeSolidTexture({255, 0, 0, 255});
    texTreasure = makeSolidTexture({0, 0, 255, 255});
    texSkjerm = makeSolidTexture({0, 0, 0, 64});
    enter(leftByTunnel);
    drawRoomAt(100.0f);
    const double frame = 1 - 64 / 255.0;
    // Room picture: x -18.5 to -8.5, y -12.5 to -2.5 at eye depth 45.
    EXPECT_TRUE(pixelNear(pixel(int(eyeToPixel(-13, -7, -45).x), int(eyeToPixel(-13, -7, -45).y)), rgb(frame, 0, 0)));
    // Treasure picture: x -0.8 to -0.4, y 0.16 to 0.56 at eye depth 2.
    PixelPos treasure = eyeToPixel(-0.6, 0.36, -2);
    EXPECT_TRUE(pixelNear(pixel(int(treasure.x), int(treasure.y)), rgb(0, 0, frame)));
    EXPECT_TRUE(pixelNear(pixel(320, 100), rgb(frame, frame, frame)));
}
