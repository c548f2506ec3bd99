// The generated data set as a whole: exactly the files the demo opens, and the same
// bytes on every run. Its pictures, meshes and soundtrack have files of their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "data_set.h"
#include "datagen.h"
#include "gl_test.h"
#include "runtime/assets.h"

namespace {

// The generated folder holds exactly the files the demo opens, each listed once.
TEST(DataSet, HoldsEveryFileTheDemoLoadsUnderItsName) {
    std::set<std::string> opened;
    for (const ManifestPicture& p : jpegManifest) opened.insert(p.path);
    for (const ManifestPicture& p : pngManifest) opened.insert(p.path);
    for (const ManifestObject& o : objectManifest) opened.insert(o.path);
    opened.insert(soundtrackFile);
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dataDir()))
        if (entry.is_regular_file())
            written.insert(std::filesystem::relative(entry.path(), dataDir()).generic_string());
    EXPECT_EQ(written, opened);
    const std::vector<std::string>& listed = dataManifest();
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), opened);
    EXPECT_EQ(listed.size(), opened.size()) << "each file once";
    for (const std::string& path : opened) {
        std::error_code ec;
        EXPECT_GT(std::filesystem::file_size(dataFile(path), ec), 100u) << path;
    }
}

TEST(DataSet, TwoRunsWriteTheSameBytes) {
    ScratchDir again;
    std::string error;
    ASSERT_TRUE(generateDataSet(again.file("data"), 1, &error)) << error;
    for (const std::string& path : dataManifest())
        EXPECT_TRUE(readAll(dataFile(path)) == readAll(again.file("data/" + path))) << path << " differs";
}

#ifdef VORREND_BUILD_DATA_DIR
// The build's own data folder is what the generator makes: not stale, not partial.
TEST(DataSet, BuildFolderMatchesTheGenerator) {
    const std::string built = VORREND_BUILD_DATA_DIR;
    if (!std::filesystem::exists(built + "/.generated")) GTEST_SKIP() << "no generated data in " << built;
    for (const std::string& path : dataManifest())
        EXPECT_TRUE(readAll(dataFile(path)) == readAll(built + "/" + path)) << path;
}
#endif

}  // namespace
