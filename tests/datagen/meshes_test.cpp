// The generated meshes: what the generator made is what the loader reads, with
// normals facing out, and each object framed for the scene that draws it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "data_set.h"
#include "datagen.h"
#include "runtime/assets.h"
#include "runtime/timeline_table.h"

namespace {

// A little fixed-function matrix maths, as OpenGL composes it.
struct Mat {
    std::array<double, 16> m{};  // column-major
    static Mat identity() {
        Mat r;
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
        return r;
    }
    Mat operator*(const Mat& b) const {
        Mat r;
        for (int c = 0; c < 4; ++c)
            for (int row = 0; row < 4; ++row) {
                double s = 0;
                for (int k = 0; k < 4; ++k) s += m[k * 4 + row] * b.m[c * 4 + k];
                r.m[c * 4 + row] = s;
            }
        return r;
    }
    std::array<double, 4> apply(double x, double y, double z, double w = 1) const {
        std::array<double, 4> out{};
        for (int row = 0; row < 4; ++row) out[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row] * w;
        return out;
    }
};
Mat translate(double x, double y, double z) {
    Mat r = Mat::identity();
    r.m[12] = x, r.m[13] = y, r.m[14] = z;
    return r;
}
Mat scaleBy(double x, double y, double z) {
    Mat r = Mat::identity();
    r.m[0] = x, r.m[5] = y, r.m[10] = z;
    return r;
}
Mat rotate(double degrees, double x, double y, double z) {
    double l = std::sqrt(x * x + y * y + z * z);
    x /= l, y /= l, z /= l;
    double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
    Mat r = Mat::identity();
    r.m[0] = t * x * x + c, r.m[4] = t * x * y - s * z, r.m[8] = t * x * z + s * y;
    r.m[1] = t * x * y + s * z, r.m[5] = t * y * y + c, r.m[9] = t * y * z - s * x;
    r.m[2] = t * x * z - s * y, r.m[6] = t * y * z + s * x, r.m[10] = t * z * z + c;
    return r;
}
// gluLookAt(0, 0, -d, 0, 0, 0, 0, 1, 0): a half turn about y, then the eye moved back.
Mat lookAlongZ(double d) { return translate(0, 0, -d) * rotate(180, 0, 1, 0); }
// Fraction of the view's half-extent at which an eye-space point lands (45 degrees).
std::array<double, 2> onScreen(const std::array<double, 4>& eye) {
    double k = 1 / (std::tan(22.5 * M_PI / 180) * -eye[2]);
    return {eye[0] * k, eye[1] * k};
}

TEST(DataSet, ObjectsRoundTripThroughTheLoader) {
    for (const NamedMeshFile& file : meshFiles()) {
        std::vector<EbrMesh> made = file.make();
        tegn3d object;
        ASSERT_TRUE(object.loadFromFile(dataFile(file.path).c_str())) << file.path;
        ASSERT_EQ(object.meshCount, int32_t(made.size())) << file.path;
        for (size_t k = 0; k < made.size(); ++k) {
            const mesh& m = object.meshes[k];
            ASSERT_EQ(size_t(m.vertexCount) * 3, made[k].positions.size()) << file.path << " mesh " << k;
            EXPECT_EQ(m.positions, made[k].positions) << file.path << " mesh " << k;
            EXPECT_EQ(m.indices, made[k].indices) << file.path << " mesh " << k;
            for (int32_t v = 0; v < m.vertexCount; ++v) {
                EXPECT_EQ(m.texCoords[2 * v], 1.0f - made[k].uv[2 * v]);
                EXPECT_EQ(m.texCoords[2 * v + 1], made[k].uv[2 * v + 1]);
            }
        }
    }
}

TEST(DataSet, ObjectsMeetTheLimitsAndHaveAFiniteNormalAtEveryVertex) {
    for (const ManifestObject& entry : objectManifest) {
        tegn3d object = loadObject(*entry.object);
        ASSERT_GE(object.meshCount, 1) << entry.path;
        for (int32_t k = 0; k < object.meshCount; ++k)
            for (const Vec3& n : object.meshes[k].normals)
                ASSERT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-3f) << entry.path << " mesh " << k;
    }
    // A mesh for every part of the ship, each with something to show.
    tegn3d ship = loadObject(objSkute);
    EXPECT_EQ(ship.meshCount, meshOf(ShipPart::count));
    for (const mesh& m : ship.meshes) EXPECT_GT(m.faceCount, 0);
    EXPECT_GE(loadObject(objKube2).meshCount, 6);
    tegn3d sphere = loadObject(objKule);
    EXPECT_GE(sphere.meshes[0].vertexCount, 2000);
    EXPECT_LE(sphere.meshes[0].vertexCount, 10000);
    EXPECT_GE(loadObject(objTunnel).meshes[0].vertexCount, 2000);
    EXPECT_GE(loadObject(objTorus).meshes[0].vertexCount, 2000);
}

// Smooth shading and sphere mapping need normals on the outside of closed shapes.
TEST(Framing, ClosedShapesFaceOutwards) {
    const mesh sphere = loadObject(objKule).meshes[0];
    for (int32_t v = 0; v < sphere.vertexCount; ++v) {
        const Vec3& n = sphere.normals[v];
        const float* p = &sphere.positions[3 * v];
        ASSERT_GT(n.x * p[0] + n.y * p[1] + n.z * p[2], 0) << "sphere vertex " << v;
    }
    // The torus: away from the circle through the middle of its tube.
    const mesh torus = loadObject(objTorus).meshes[0];
    const double tilt = 35 * M_PI / 180, ay = std::cos(tilt), az = std::sin(tilt), ring = 80 * 0.15;
    for (int32_t v = 0; v < torus.vertexCount; ++v) {
        const float* p = &torus.positions[3 * v];
        double along = p[1] * ay + p[2] * az;
        double rx = p[0], ry = p[1] - along * ay, rz = p[2] - along * az, r = std::sqrt(rx * rx + ry * ry + rz * rz);
        double cx = rx / r * ring, cy = ry / r * ring, cz = rz / r * ring;  // nearest point of the core circle
        const Vec3& n = torus.normals[v];
        ASSERT_GT(n.x * (p[0] - cx) + n.y * (p[1] - cy) + n.z * (p[2] - cz), 0) << "torus vertex " << v;
    }
    // Every face of the treasure cube faces away from its centre.
    tegn3d cube = loadObject(objKube2);
    for (const mesh& face : cube.meshes)
        for (int32_t v = 0; v < face.vertexCount; ++v) {
            const float* p = &face.positions[3 * v];
            EXPECT_GT(face.normals[v].x * p[0] + face.normals[v].y * p[1] + face.normals[v].z * p[2], 0);
        }
}

// The ship's hull, deck and windows face the viewer from outside the ship.
TEST(Framing, ShipPartsFaceOutwardAndUp) {
    tegn3d ship = loadObject(objSkute);
    const mesh& hull = ship.meshes[meshOf(ShipPart::hull)];
    int outward = 0, midships = 0;
    for (int32_t v = 0; v < hull.vertexCount; ++v) {
        const float* p = &hull.positions[3 * v];
        if (std::fabs(p[1]) > 15) continue;  // the middle of the hull, clear of stern and keel fin
        ++midships;
        // away from the line along the ship at mid-hull height
        if (hull.normals[v].x * p[0] + hull.normals[v].z * (p[2] + 6.0f) > 0) ++outward;
    }
    EXPECT_GT(midships, 100);
    EXPECT_GE(outward, midships * 99 / 100);
    for (const Vec3& n : ship.meshes[meshOf(ShipPart::deck)].normals) ASSERT_GT(n.z, 0.9f) << "deck planks face up";
    const mesh& windows = ship.meshes[meshOf(ShipPart::windows)];
    for (int32_t v = 0; v < windows.vertexCount; ++v) {
        const float* p = &windows.positions[3 * v];
        const Vec3& n = windows.normals[v];
        ASSERT_GT(n.x * p[0] + n.y * (p[1] + 20.0f), 0) << "window " << v / 4 << " faces into the cabin";
    }
}

// The treasure room turns the cube 90 degrees about x before its spin: the pictures on
// its sides must stand upright, the top of the picture (t = 0) higher on the screen.
TEST(Framing, TreasureCubeSidePicturesStandUpright) {
    tegn3d cube = loadObject(objKube2);
    Mat model = translate(0, 2, -31) * rotate(90, 1, 0, 0);
    int sides = 0;
    for (const mesh& face : cube.meshes) {
        if (std::fabs(face.normals[0].z) > 0.5f) continue;  // top and bottom
        ++sides;
        double topY = 0, bottomY = 0;
        for (int32_t v = 0; v < face.vertexCount; ++v) {
            double y = model.apply(face.positions[3 * v], face.positions[3 * v + 1], face.positions[3 * v + 2])[1];
            (face.texCoords[2 * v + 1] < 0.5f ? topY : bottomY) += y;
        }
        EXPECT_GT(topY, bottomY);
    }
    EXPECT_EQ(sides, 4);
}

// The ship scene turns the water by 75 degrees; light 0 sits at (30, 30, 50) in eye
// space, and the camera looks at the water from above.
TEST(Framing, WaterShowsItsLitSideToLightAndCamera) {
    tegn3d water = loadObject(objVann);
    const mesh& m = water.meshes[0];
    Mat model = lookAlongZ(35) * translate(0, -1.5, 0) * rotate(75, 1, 0, 0) * scaleBy(6, 6, 6);
    const double light[3] = {30 / 65.6, 30 / 65.6, 50 / 65.6};
    int lit = 0, facing = 0;
    for (int32_t v = 0; v < m.vertexCount; ++v) {
        const Vec3& n = m.normals[v];
        auto e = model.apply(n.x, n.y, n.z, 0);  // a direction: no translation
        if (e[0] * light[0] + e[1] * light[1] + e[2] * light[2] > 0) ++lit;
        auto p = model.apply(m.positions[3 * v], m.positions[3 * v + 1], m.positions[3 * v + 2]);
        if (-(p[0] * e[0] + p[1] * e[1] + p[2] * e[2]) > 0) ++facing;  // towards the eye at the origin
    }
    EXPECT_GT(lit, m.vertexCount * 99 / 100);
    EXPECT_GT(facing, m.vertexCount * 95 / 100);
}

TEST(Framing, TunnelSurroundsTheEyeAndFacesItsAxis) {
    tegn3d tunnel = loadObject(objTunnel);
    const mesh& m = tunnel.meshes[0];
    float yMin = 1e9f, yMax = -1e9f;
    for (int32_t v = 0; v < m.vertexCount; ++v) {
        float x = m.positions[3 * v], y = m.positions[3 * v + 1], z = m.positions[3 * v + 2];
        yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        const Vec3& n = m.normals[v];
        ASSERT_LT(n.x * x + n.z * z, 0) << "vertex " << v << " faces away from the axis";
        EXPECT_GT(std::hypot(x, z), 2.0f) << "the near plane is 1 unit from the eye";
    }
    // The eye is 2 units behind the tunnel's origin along its axis, and looks along it.
    EXPECT_LT(yMin, -2.0f);
    EXPECT_GT(yMax, 100.0f);
}

// The ship stands on the water in the Ship scene: keel below the surface, deck above.
TEST(Framing, ShipFloatsUprightOnTheWater) {
    tegn3d ship = loadObject(objSkute);
    Mat shipToWorld = translate(0, -1.5, -5) * rotate(-100, 1, 0, 0) * rotate(-25, 0, 0, 1) * scaleBy(0.2, 0.2, 0.2);
    // The water plane: through (0, -1.5, 0), model -z of the water turned by 75 degrees.
    auto up = (rotate(75, 1, 0, 0)).apply(0, 0, -1, 0);
    auto height = [&](float x, float y, float z) {
        auto p = shipToWorld.apply(x, y, z);
        return p[0] * up[0] + (p[1] + 1.5) * up[1] + p[2] * up[2];
    };
    float lowest = 1e9f, highest = -1e9f;
    const mesh& hull = ship.meshes[meshOf(ShipPart::hull)];
    for (const float* p = hull.positions.data(); p < hull.positions.data() + hull.positions.size(); p += 3)
        lowest = std::min<float>(lowest, float(height(p[0], p[1], p[2])));
    for (const mesh& m : ship.meshes)
        for (size_t i = 0; i < m.positions.size(); i += 3)
            highest = std::max<float>(highest, float(height(m.positions[i], m.positions[i + 1], m.positions[i + 2])));
    EXPECT_LT(lowest, -0.3f) << "the keel sits in the water";
    EXPECT_GT(highest, 4.0f) << "the masts rise well above it";
    EXPECT_GT(height(0, 0, -2.6f), 0.3f) << "the deck (model z -26, loaded at 0.1) is above the water";
}

// Every part of the ship close-up lies inside the tunnel scene's view, from the
// window's start (t71 = 0) to its end.
TEST(Framing, ShipCloseUpStaysInView) {
    tegn3d ship = loadObject(objSkute);
    const double length = windowOf(Scene::tunnel).to - windowOf(Scene::tunnel).from;
    for (double t71 : {0.0, length / 2, length}) {
        Mat model = translate(0.3, -0.3, -2) * rotate(-70, 1, 0, 0) * rotate(1.5 * t71 - 20, 0, 1, 0) *
                    rotate(-90, 0, 0, 1) * rotate(5 * std::sin(1.15 * t71), 0, 1, 0) * scaleBy(0.003, 0.01, 0.01);
        double width = 0;
        double xMin = 9, xMax = -9;
        for (const mesh& m : ship.meshes)
            for (size_t i = 0; i < m.positions.size(); i += 3) {
                auto e = model.apply(m.positions[i], m.positions[i + 1], m.positions[i + 2]);
                ASSERT_LT(e[2], -1.0) << "behind the near plane at t71 " << t71;
                auto s = onScreen(e);
                ASSERT_LT(std::fabs(s[0]), 1.0) << "off screen sideways at t71 " << t71;
                ASSERT_LT(std::fabs(s[1]), 1.0) << "off screen vertically at t71 " << t71;
                xMin = std::min(xMin, s[0]), xMax = std::max(xMax, s[0]);
            }
        width = xMax - xMin;
        EXPECT_GT(width, 0.3) << "a close-up, not a speck";
    }
}

// The torus spins about the vertical under a 150-degree lens: at no angle may it turn
// into a thin line, and it stays within the view.
TEST(Framing, TorusNeverSpinsEdgeOnAndStaysInView) {
    tegn3d torus = loadObject(objTorus);
    const mesh& m = torus.meshes[0];
    const double halfView = std::tan(75 * M_PI / 180);
    for (int angle = 0; angle < 360; angle += 10) {
        Mat model = lookAlongZ(19) * rotate(angle, 0, 1, 0) * rotate(90, 1, 0, 0);
        double xMin = 9, xMax = -9, yMin = 9, yMax = -9;
        for (size_t i = 0; i < m.positions.size(); i += 3) {
            auto e = model.apply(m.positions[i], m.positions[i + 1], m.positions[i + 2]);
            ASSERT_LT(e[2], -1.0);
            double x = e[0] / (-e[2] * halfView), y = e[1] / (-e[2] * halfView);
            xMin = std::min(xMin, x), xMax = std::max(xMax, x), yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        }
        EXPECT_GT(xMax - xMin, 0.3) << angle;
        EXPECT_GT(yMax - yMin, 0.3) << angle;
        EXPECT_LT(std::max({-xMin, xMax, -yMin, yMax}), 1.0) << angle;
    }
}

// The treasure room stretches the sphere up to four-fold (times 0.9 and 0.99 for the
// two blobs) around a centre 20 units off the line of sight, 115 units away.
TEST(Framing, BlobsStayInViewAtTheirLargest) {
    tegn3d sphere = loadObject(objKule);
    float radius = 0;
    for (size_t i = 0; i < sphere.meshes[0].positions.size(); ++i)
        radius = std::max(radius, std::fabs(sphere.meshes[0].positions[i]));
    double halfView = 115 * std::tan(22.5 * M_PI / 180);
    EXPECT_LT(20 + 4 * 0.99 * radius, halfView);
    EXPECT_GT(4 * radius, 0.15 * halfView) << "big enough to see";
}

}  // namespace
