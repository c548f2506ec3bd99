#include "assets/tegn3d.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "ebr_writer.h"
#include "gl_test.h"
#include "platform/headless/headless.h"

namespace {

EbrMesh triangle(std::string name = "tri") {
    return {std::move(name), {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0.25f, 0.6f, 1, 0, 0, 1}, {0, 1, 2}};
}

// A closed octahedron around the origin, faces counter-clockwise seen from outside.
EbrMesh octahedron(float r = 1) {
    EbrMesh m{"octa", {r, 0, 0, -r, 0, 0, 0, r, 0, 0, -r, 0, 0, 0, r, 0, 0, -r}, {}, {}};
    m.indices = {0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5};
    return m;
}

bool load(tegn3d& object, const std::string& bytes, std::string* why = nullptr) {
    std::string ignored;
    return object.loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), why ? why : &ignored);
}

void expectEmpty(const tegn3d& object) {
    EXPECT_EQ(object.meshCount, 0);
    EXPECT_TRUE(object.meshes.empty());
}

float length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

}  // namespace

TEST(Tegn3dLoad, ZeroMeshesIsAnEmptyObject) {
    tegn3d object;
    ASSERT_TRUE(load(object, writeEbr({})));
    expectEmpty(object);
}

TEST(Tegn3dLoad, ReadsBlocksBackToBackWithTheUvRule) {
    EbrMesh second = octahedron(2);
    second.uv.assign(12, 0.5f);
    std::string bytes = writeEbr({triangle(""), second});
    tegn3d object;
    ASSERT_TRUE(load(object, bytes));
    ASSERT_EQ(object.meshCount, 2);
    ASSERT_EQ(object.meshes.size(), 2u);

    const mesh& a = object.meshes[0];
    EXPECT_EQ(a.vertexCount, 3);
    EXPECT_EQ(a.faceCount, 1);
    EXPECT_EQ(a.normalCount, 3);
    EXPECT_EQ(a.texCoordCount, 3);
    EXPECT_TRUE(a.name.empty());
    EXPECT_EQ(a.texture, 0u);
    EXPECT_EQ(a.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_FLOAT_EQ(a.texCoords[0], 0.75f);  // s = 1 - u
    EXPECT_FLOAT_EQ(a.texCoords[1], 0.6f);   // t = v
    EXPECT_FLOAT_EQ(a.texCoords[2], 0.0f);
    EXPECT_FLOAT_EQ(a.texCoords[5], 1.0f);
    EXPECT_EQ(a.indices, (std::vector<uint32_t>{0, 1, 2}));
    for (const Vec3& n : a.normals) EXPECT_EQ(length(n), 0.0f);

    const mesh& b = object.meshes[1];
    EXPECT_EQ(b.vertexCount, 6);
    EXPECT_EQ(b.faceCount, 8);
    EXPECT_EQ(b.positions, second.positions);
    EXPECT_EQ(b.indices, second.indices);
    EXPECT_FLOAT_EQ(b.texCoords[11], 0.5f);
}

TEST(Tegn3dLoad, NamesOfAnyLengthAreSkippedAndBytesAfterTheLastBlockIgnored) {
    tegn3d object;
    std::string bytes = writeEbr({triangle(std::string(1000, 'x'))}) + "trailing";
    ASSERT_TRUE(load(object, bytes));
    EXPECT_TRUE(object.meshes[0].name.empty());
    EXPECT_EQ(object.meshes[0].positions[3], 1.0f);
}

TEST(Tegn3dLoad, RejectsEveryTruncationAndLeavesTheObjectEmpty) {
    std::string whole = writeEbr({triangle("abc"), octahedron()});
    for (size_t n = 0; n < whole.size(); ++n) {
        tegn3d object;
        ASSERT_TRUE(load(object, whole));  // filled first: a failure must empty it
        std::string why;
        EXPECT_FALSE(load(object, whole.substr(0, n), &why)) << n;
        EXPECT_FALSE(why.empty());
        expectEmpty(object);
    }
}

TEST(Tegn3dLoad, RejectsBadCountsAndIndices) {
    auto header = [](int32_t meshes, int32_t vertices, int32_t faces, uint32_t nameLength) {
        std::string s;
        appendI32(s, meshes);
        appendI32(s, vertices);
        appendI32(s, faces);
        appendU32(s, nameLength);
        return s + std::string(200, '\0');
    };
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"negative mesh count", header(-1, 0, 0, 0)},
        {"mesh count beyond the file", header(0x7fffffff, 0, 0, 0)},
        {"negative vertex count", header(1, -5, 0, 0)},
        {"negative face count", header(1, 3, -1, 0)},
        {"vertex count beyond the file", header(1, 0x7fffffff, 0, 0)},
        {"face count beyond the file", header(1, 3, 0x7fffffff, 0)},
        {"face count times three overflows", header(1, 0, 0x55555556, 0)},
        {"name beyond the file", header(1, 0, 0, 0xffffffffu)},
        {"faces without vertices", header(1, 0, 1, 0)},
    };
    for (const Case& c : cases) {
        tegn3d object;
        std::string why;
        EXPECT_FALSE(load(object, c.bytes, &why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
        expectEmpty(object);
    }

    EbrMesh bad = octahedron();
    bad.indices[7] = 6;  // one past the last vertex
    tegn3d object;
    std::string why;
    EXPECT_FALSE(load(object, writeEbr({triangle(), bad}), &why));
    EXPECT_NE(why.find("mesh 1"), std::string::npos) << why;
    EXPECT_NE(why.find("vertex 6"), std::string::npos) << why;
    expectEmpty(object);
}

// The loader only reports: loadAssets shows the message (see the manifest tests).
TEST(Tegn3dFile, MissingFileGivesItsMessageAndKeepsTheObject) {
    headlessReset();
    ScratchDir dir;
    tegn3d object;
    ASSERT_TRUE(load(object, writeEbr({triangle()})));
    std::string path = dir.file("nowhere.ebr"), why;
    EXPECT_FALSE(object.loadFromFile(path.c_str(), &why));
    EXPECT_EQ(why, "Unable to open object file " + path + ": No such file or directory");
    EXPECT_EQ(object.meshCount, 1);
    EXPECT_TRUE(headlessMessages().empty());
}

TEST(Tegn3dFile, LoadsAFileAndNamesADamagedOne) {
    headlessReset();
    ScratchDir dir;
    dir.write("good.ebr", writeEbr({octahedron()}));
    std::string bad = writeEbr({octahedron()});
    dir.write("bad.ebr", bad.substr(0, bad.size() - 1));
    tegn3d object;
    std::string why;
    EXPECT_TRUE(object.loadFromFile(dir.file("good.ebr").c_str(), &why));
    EXPECT_EQ(object.meshCount, 1);
    EXPECT_EQ(why, "");

    EXPECT_FALSE(object.loadFromFile(dir.file("bad.ebr").c_str(), &why));
    expectEmpty(object);
    EXPECT_EQ(why.rfind("Damaged object file " + dir.file("bad.ebr") + ": mesh 0: ", 0), 0u) << why;
    EXPECT_TRUE(headlessMessages().empty());
}

TEST(Tegn3dNormals, SingleTriangleFacesPlusZ) {
    tegn3d object;
    ASSERT_TRUE(load(object, writeEbr({triangle()})));
    mesh& m = object.meshes[0];
    m.computeNormals();
    for (const Vec3& n : m.normals) {
        EXPECT_FLOAT_EQ(n.x, 0);
        EXPECT_FLOAT_EQ(n.y, 0);
        EXPECT_FLOAT_EQ(n.z, 1);
    }
}

TEST(Tegn3dNormals, ZeroSumsStayZeroAndTinySumsBecomeUnit) {
    // Vertex 3 is unused; vertices 4-6 form a degenerate (zero-area) face.
    EbrMesh m{"", {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5, 1, 1, 1, 2, 2, 2, 3, 3, 3}, {}, {0, 1, 2, 4, 5, 6}};
    tegn3d object;
    ASSERT_TRUE(load(object, writeEbr({m})));
    mesh& loaded = object.meshes[0];
    loaded.computeNormals();
    for (int i = 3; i < 7; ++i) {
        const Vec3& n = loaded.normals[i];
        EXPECT_EQ(n.x, 0.0f) << i;
        EXPECT_EQ(n.y, 0.0f) << i;
        EXPECT_EQ(n.z, 0.0f) << i;
    }
    loaded.scale(1e-20f);  // face normals of 1e-40: their squares underflow a float
    loaded.computeNormals();
    EXPECT_NEAR(loaded.normals[0].z, 1.0f, 1e-6f);
}

TEST(Tegn3dNormals, UnitAfterScaleAndRepeatable) {
    for (float factor : {0.1f, 0.15f, 1.0f, 37.0f}) {
        tegn3d object;
        ASSERT_TRUE(load(object, writeEbr({octahedron()})));
        mesh& m = object.meshes[0];
        m.scale(factor);
        EXPECT_FLOAT_EQ(m.positions[0], factor);
        m.computeNormals();
        std::vector<Vec3> first = m.normals;
        for (const Vec3& n : first) EXPECT_NEAR(length(n), 1.0f, 1e-6f) << factor;
        m.computeNormals();
        for (size_t i = 0; i < first.size(); ++i) {
            EXPECT_EQ(m.normals[i].x, first[i].x);
            EXPECT_EQ(m.normals[i].y, first[i].y);
            EXPECT_EQ(m.normals[i].z, first[i].z);
        }
        // Outward on a closed shape around the origin.
        EXPECT_GT(m.normals[0].x, 0.5f);
        EXPECT_LT(m.normals[5].z, -0.5f);
    }
}

TEST(Tegn3dNormals, InvertMirrorsPositionsAndKeepsNormals) {
    tegn3d object;
    ASSERT_TRUE(load(object, writeEbr({octahedron()})));
    mesh& m = object.meshes[0];
    m.computeNormals();
    std::vector<Vec3> before = m.normals;
    m.invert();
    EXPECT_EQ(m.positions[0], -1.0f);
    EXPECT_EQ(m.positions[7], -1.0f);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(m.normals[i].x, before[i].x);
    // Recomputed normals are the same: they now point at the centre.
    m.computeNormals();
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_FLOAT_EQ(m.normals[i].x, before[i].x);
        EXPECT_FLOAT_EQ(m.normals[i].y, before[i].y);
        EXPECT_FLOAT_EQ(m.normals[i].z, before[i].z);
    }
    EXPECT_GT(m.normals[0].x, 0.5f);  // vertex 0 now lies at -x
}

class Tegn3dDraw : public GLTest {};

TEST_F(Tegn3dDraw, DrawsEachMeshWithItsTextureAndLeavesTheLastBound) {
    // A red and a green triangle side by side, each in a 1 x 1 texture of its colour.
    GLuint tex[2];
    glGenTextures(2, tex);
    const uint8_t colours[2][3] = {{255, 0, 0}, {0, 255, 0}};
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, tex[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, colours[i]);
    }
    EbrMesh left{"", {-3, -2, -10, -0.5f, -2, -10, -2, 2, -10}, {}, {0, 1, 2}};
    EbrMesh right{"", {0.5f, -2, -10, 3, -2, -10, 2, 2, -10}, {}, {0, 1, 2}};
    tegn3d object;
    ASSERT_TRUE(load(object, writeEbr({left, right})));
    object.meshes[0].setTexture(tex[0]);
    object.meshes[1].setTexture(tex[1]);
    glEnable(GL_TEXTURE_2D);
    object.draw();
    EXPECT_EQ(pixel(width / 2 - 120, height / 2 + 20), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(pixel(width / 2 + 120, height / 2 + 20), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(pixel(width / 2, 5), (std::array<int, 3>{0, 0, 0}));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), tex[1]);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));

    tegn3d empty;
    ASSERT_TRUE(load(empty, writeEbr({})));
    glClear(GL_COLOR_BUFFER_BIT);
    empty.draw();
    EXPECT_EQ(pixel(width / 2 - 120, height / 2 + 20), (std::array<int, 3>{0, 0, 0}));
    glDeleteTextures(2, tex);
}
