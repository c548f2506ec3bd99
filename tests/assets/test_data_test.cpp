// The shared test data set must be complete and sound, or every test built on it
// proves nothing.
#include "test_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "assets/tegn3d.h"
#include "gl_test.h"
#include "platform/headless/headless.h"
#include "runtime/assets.h"

TEST(TestDataSet, PicturesAreDistinctAndOrdered) {
    const auto& pictures = testPictures();
    ASSERT_EQ(pictures.size(), 36u);
    std::set<std::string> paths;
    for (size_t i = 0; i < pictures.size(); ++i) {
        std::string path = pictures[i].path;
        EXPECT_TRUE(paths.insert(path).second) << path;
        EXPECT_EQ(path.substr(path.size() - 4), i < 4 ? ".jpg" : ".png") << path;
        EXPECT_EQ(findTestPicture(pictures[i].texture), &pictures[i]);
        for (size_t j = 0; j < i; ++j) {
            const TestPicture &a = pictures[i], &b = pictures[j];
            bool close = std::abs(a.r - b.r) <= 16 && std::abs(a.g - b.g) <= 16 && std::abs(a.b - b.b) <= 16;
            EXPECT_FALSE(close) << a.path << " and " << b.path;
        }
    }
    uint32_t notLoaded = 0;
    EXPECT_EQ(findTestPicture(&notLoaded), nullptr);
}

TEST(TestDataSet, ObjectsLoadAndFaceOutwards) {
    headlessReset();
    ScratchDir dir;
    ASSERT_TRUE(writeTestDataSet(dir.path()));
    for (const TestPicture& p : testPictures())
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.file(p.path))) << p.path;
    for (const TestObject& o : testObjects()) {
        tegn3d object;
        ASSERT_TRUE(object.loadFromFile(dir.file(o.path).c_str())) << o.path;
        ASSERT_GE(object.meshCount, 1);
        for (mesh& m : object.meshes) {
            ASSERT_GT(m.faceCount, 0) << o.path;
            m.computeNormals();
            for (const Vec3& n : m.normals) EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-4f) << o.path;
        }
    }
    EXPECT_TRUE(headlessMessages().empty());

    tegn3d ship, cube, sphere;
    ship.loadFromFile(dir.file(testObjectOf(objSkute).path).c_str());
    cube.loadFromFile(dir.file(testObjectOf(objKube2).path).c_str());
    sphere.loadFromFile(dir.file(testObjectOf(objKule).path).c_str());
    EXPECT_GE(ship.meshCount, meshOf(ShipPart::count));
    EXPECT_GE(cube.meshCount, 6);
    ASSERT_EQ(sphere.meshCount, 1);
    mesh& s = sphere.meshes[0];
    s.computeNormals();
    for (int i = 0; i < s.vertexCount; ++i) {
        const float* p = &s.positions[3 * i];
        float outward = p[0] * s.normals[i].x + p[1] * s.normals[i].y + p[2] * s.normals[i].z;
        EXPECT_GT(outward, 0.9f * 30) << i;
    }
    // Cube faces: each face's normal points away from the centre.
    for (mesh& m : cube.meshes) {
        m.computeNormals();
        const float* p = &m.positions[0];
        EXPECT_GT(p[0] * m.normals[0].x + p[1] * m.normals[0].y + p[2] * m.normals[0].z, 0.0f);
    }
}
