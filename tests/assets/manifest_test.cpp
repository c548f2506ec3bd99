#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ebr_writer.h"
#include "gl_test.h"
#include "platform/headless/headless.h"
#include "runtime/assets.h"
#include "test_data.h"

namespace {

// The table as it is before start-up: every name 0, every object empty.
void clearAssetTable() {
    for (const ManifestPicture& p : jpegManifest) *p.texture = 0;
    for (const ManifestPicture& p : pngManifest) *p.texture = 0;
    for (const ManifestObject& o : objectManifest) *o.object = tegn3d{};
}

std::array<int, 4> firstTexel(uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> rgba(size_t(w) * h * 4 + 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

const EbrMesh& fileMesh(const tegn3d& object, int index = 0) { return testObjectOf(object).meshes[index]; }

// The texture the manifest gives one mesh of an object; 0 for none.
uint32_t tableTexture(const tegn3d& object, int mesh) {
    const ManifestObject& entry = *manifestEntryOf(object);
    uint32_t texture = 0;
    for (int t = 0; t < entry.textureCount; ++t)
        if (entry.textures[t].mesh == mesh) texture = *entry.textures[t].texture;
    return texture;
}

class Manifest : public GLTest {
  protected:
    ScratchDir dir;
    void SetUp() override {
        GLTest::SetUp();
        clearAssetTable();
        ASSERT_TRUE(writeTestDataSet(dir.path()));
    }
    void load() {
        inDirectory(dir.path(), [] { loadAssets(mainWindow); });
    }
};

}  // namespace

// The paths the demo opens are the manifest's under the data root (data/ in the
// working directory unless found elsewhere), and the test data set writes a file at
// every one of them.
TEST_F(Manifest, TestDataSetHoldsAFileAtEveryPathTheDemoOpens) {
    EXPECT_EQ(dataPath(jpegManifest[0].path), "data/pic/blue.jpg");
    setDataRoot("/opt/vorrend/data");  // found elsewhere: joined with one '/'
    EXPECT_EQ(dataPath(soundtrackFile), "/opt/vorrend/data/sound/vorrend.ogg");
    setDataRoot("/opt/vorrend/data/");
    EXPECT_EQ(dataPath(soundtrackFile), "/opt/vorrend/data/sound/vorrend.ogg");
    setDataRoot(defaultDataRoot);
    std::vector<std::string> paths;
    for (const ManifestPicture& p : jpegManifest) paths.push_back(dataPath(p.path));
    for (const ManifestPicture& p : pngManifest) paths.push_back(dataPath(p.path));
    for (const ManifestObject& o : objectManifest) paths.push_back(dataPath(o.path));
    for (const std::string& path : paths) EXPECT_TRUE(std::filesystem::is_regular_file(dir.file(path))) << path;
    const auto& pictures = testPictures();
    ASSERT_EQ(pictures.size(), 36u);
    for (int i = 0; i < 36; ++i) EXPECT_EQ(pictures[i].path, paths[i]) << "load order";
}

TEST_F(Manifest, LoadsEveryPictureOnceIntoItsGlobal) {
    load();
    EXPECT_TRUE(headlessMessages().empty());
    std::set<uint32_t> names;
    const auto& pictures = testPictures();
    for (int i = 0; i < 36; ++i) {
        uint32_t name = *pictures[i].texture;
        ASSERT_NE(name, 0u) << pictures[i].path;
        EXPECT_TRUE(names.insert(name).second) << pictures[i].path;
        auto texel = firstTexel(name);
        const TestPicture& p = pictures[i];
        int tolerance = i < 4 ? 3 : 0;
        EXPECT_NEAR(texel[0], p.r, tolerance) << p.path;
        EXPECT_NEAR(texel[1], p.g, tolerance) << p.path;
        EXPECT_NEAR(texel[2], p.b, tolerance) << p.path;
        EXPECT_EQ(texel[3], p.a) << p.path;
    }
    // Slot order of the JPEG pictures, through the named views.
    EXPECT_EQ(texBlue, jpgTextures[0]);
    EXPECT_NEAR(firstTexel(texBakgrunn)[0], 200, 3);
    EXPECT_NEAR(firstTexel(texSkuta)[1], 160, 3);
    EXPECT_NEAR(firstTexel(texLyn)[2], 60, 3);
}

TEST_F(Manifest, PreparesEveryObjectByItsTable) {
    load();
    // Every mesh the table names shows its picture; every other mesh keeps 0 (the
    // test ship has one mesh more than the table's parts).
    for (const ManifestObject& o : objectManifest)
        for (int m = 0; m < o.object->meshCount; ++m)
            EXPECT_EQ(o.object->meshes[m].texture, tableTexture(*o.object, m)) << o.path << " mesh " << m;
    ASSERT_EQ(objSkute.meshCount, meshOf(ShipPart::count) + 1);
    EXPECT_EQ(objSkute.meshes[meshOf(ShipPart::count)].texture, 0u);
    EXPECT_NE(objSkute.meshes[meshOf(ShipPart::sails)].texture, 0u);
    // Shared pictures are loaded once and handed to each user.
    EXPECT_EQ(objVann.meshes[0].texture, texVann);
    EXPECT_EQ(objTunnel.meshes[0].texture, texVann);
    EXPECT_EQ(objKuleTau.meshes[0].texture, objSkute.meshes[meshOf(ShipPart::ropes)].texture);
    EXPECT_EQ(objSkute.meshes[meshOf(ShipPart::castles)].texture, objSkute.meshes[meshOf(ShipPart::rails)].texture);
    EXPECT_EQ(objKule.meshes[0].texture, 0u);
    ASSERT_EQ(objKube2.meshCount, 6);
    for (const mesh& m : objKube2.meshes) EXPECT_EQ(m.texture, texKubetex);

    // Scale factors in single precision, normals from the scaled positions.
    const EbrMesh& sphere = fileMesh(objKule);
    const mesh& kule = objKule.meshes[0];
    for (size_t i = 0; i < sphere.positions.size(); ++i) {
        ASSERT_EQ(kule.positions[i], sphere.positions[i] * manifestEntryOf(objKule)->scale) << i;
        EXPECT_EQ(objKuleTau.meshes[0].positions[i], kule.positions[i]);
        EXPECT_EQ(objKuleTex3.meshes[0].positions[i], kule.positions[i]);
        EXPECT_EQ(objKuleFlipped.meshes[0].positions[i], -kule.positions[i]);
    }
    for (int i = 0; i < kule.vertexCount; ++i) {
        const Vec3 &n = kule.normals[i], &flipped = objKuleFlipped.meshes[0].normals[i];
        EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-5f);
        EXPECT_EQ(flipped.x, n.x);  // computed before the mirroring, kept after it
        EXPECT_EQ(flipped.z, n.z);
    }
    for (int m = 0; m < objSkute.meshCount; ++m) {
        const EbrMesh& source = fileMesh(objSkute, m);
        EXPECT_EQ(objSkute.meshes[m].positions[0], source.positions[0] * manifestEntryOf(objSkute)->scale) << m;
        EXPECT_NEAR(objSkute.meshes[m].normals[0].x * objSkute.meshes[m].normals[0].x +
                        objSkute.meshes[m].normals[0].y * objSkute.meshes[m].normals[0].y +
                        objSkute.meshes[m].normals[0].z * objSkute.meshes[m].normals[0].z,
                    1.0f, 1e-5f);
    }
    EXPECT_EQ(objVann.meshes[0].positions[0], fileMesh(objVann).positions[0] * manifestEntryOf(objVann)->scale);
}

TEST_F(Manifest, MissingUnusedPictureChangesNothingElse) {
    load();
    std::vector<uint32_t> before;
    for (const ManifestPicture& p : pngManifest) before.push_back(*p.texture);
    uint32_t shipTexture = objSkute.meshes[0].texture;
    std::filesystem::remove(dir.file(findTestPicture(&texGulv)->path));
    clearAssetTable();
    ::testing::internal::CaptureStderr();
    load();
    // No box, one line on stderr with the decoder's reason.
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "data/pic/gulv.png: cannot open: No such file or directory\n");
    EXPECT_EQ(texGulv, 0u);
    EXPECT_TRUE(headlessMessages().empty());
    for (int i = 0; i < 32; ++i) {
        if (pngManifest[i].texture == &texGulv) continue;
        EXPECT_NE(*pngManifest[i].texture, 0u) << pngManifest[i].path;
        auto texel = firstTexel(*pngManifest[i].texture);
        EXPECT_EQ(texel[0], findTestPicture(pngManifest[i].texture)->r) << pngManifest[i].path;
    }
    EXPECT_NE(objSkute.meshes[0].texture, 0u);
    EXPECT_NE(shipTexture, 0u);
}

TEST_F(Manifest, ShortAndMissingObjectFilesSkipTheStepsTheyCannotTake) {
    EbrMesh box = fileMesh(objCube);
    dir.write(testObjectOf(objSkute).path, writeEbr({box, box, box}));
    dir.write(testObjectOf(objKube2).path, writeEbr({}));
    std::string sphere = writeEbr({fileMesh(objKule)});
    dir.write(testObjectOf(objKule).path, sphere.substr(0, sphere.size() - 5));
    std::filesystem::remove(dir.file(testObjectOf(objTunnel).path));
    load();
    ASSERT_EQ(objSkute.meshCount, 3);
    EXPECT_EQ(objSkute.meshes[2].texture, tableTexture(objSkute, 2));
    EXPECT_NE(objSkute.meshes[2].texture, 0u);
    EXPECT_EQ(objSkute.meshes[2].positions[0], box.positions[0] * manifestEntryOf(objSkute)->scale);
    EXPECT_EQ(objKube2.meshCount, 0);
    EXPECT_EQ(objKule.meshCount, 0);
    EXPECT_EQ(objKuleTau.meshCount, 0);
    EXPECT_EQ(objTunnel.meshCount, 0);
    // One message for each of the four sphere objects and one for the tunnel.
    ASSERT_EQ(headlessMessages().size(), 5u);
    for (const HeadlessMessage& m : headlessMessages()) EXPECT_EQ(m.caption, "tegn3d::loadFromFile");
    EXPECT_NE(headlessMessages()[0].text.find("data/objects/kule.ebr"), std::string::npos);
    EXPECT_EQ(headlessMessages()[4].text,
              "Unable to open object file data/objects/tunnel.ebr: No such file or directory");
    objTunnel.draw();  // an empty object draws nothing and does not crash
}

// The reason on stderr, then the box, then the end.
TEST_F(Manifest, MissingOrDamagedJpegStopsStartUpWithStatusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    dir.write(findTestPicture(&texLyn)->path, "\xff\xd8\xff garbage");
    EXPECT_EXIT(load(), ::testing::ExitedWithCode(1),
                "data/pic/lyn\\.jpg: Unsupported marker type 0x20\nError: Unable to load JPG File!\n");
    std::filesystem::remove(dir.file(findTestPicture(&texBlue)->path));
    EXPECT_EXIT(load(), ::testing::ExitedWithCode(1),
                "data/pic/blue\\.jpg: cannot open: No such file or directory\nError: Unable to load JPG File!\n");
}
