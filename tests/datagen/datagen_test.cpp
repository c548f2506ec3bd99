// The generated data set as a whole: exactly the files the demo opens, and the same
// bytes on every run. Its pictures, meshes and soundtrack have files of their own.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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

// A full disk, here a 64 KiB limit on file sizes: every file that does not fit is
// named with its reason and keeps what it held; the others are whole; nothing cut
// carries a final name and no temporary stays. A link in the folder is replaced,
// the file it pointed to left alone.
TEST(DataSet, FailedWritesAreNamedAndLeaveNoCutFile) {
    namespace fs = std::filesystem;
    ScratchDir dir;
    dir.write("outside", "not ours");
    dir.write("data/objects/tunnel.ebr", "old");
    ASSERT_EQ(symlink(dir.file("outside").c_str(), dir.file("data/objects/cube.ebr").c_str()), 0);
    const size_t limit = 64 << 10;
    const std::string command = "trap '' XFSZ; ulimit -f " + std::to_string(limit / 512) +
                                "; exec '" VORREND_DATAGEN "' '" + dir.file("data") + "' 2>'" + dir.file("errors") +
                                "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    const std::string errors = readAll(dir.file("errors"));
    size_t failed = 0;
    for (const std::string& path : dataManifest()) {
        const std::string made = dir.file("data/" + path), whole = readAll(dataFile(path));
        if (whole.size() <= limit) {
            EXPECT_TRUE(readAll(made) == whole) << path;
            continue;
        }
        ++failed;
        EXPECT_NE(errors.find("vorrend-datagen: cannot write " + made + ": File too large\n"), std::string::npos)
            << path << " in:\n"
            << errors;
        EXPECT_EQ(readAll(made), path == "objects/tunnel.ebr" ? "old" : "") << path;
    }
    EXPECT_EQ(size_t(std::count(errors.begin(), errors.end(), '\n')), failed) << errors;
    EXPECT_EQ(readAll(dir.file("outside")), "not ours");
    EXPECT_FALSE(fs::is_symlink(dir.file("data/objects/cube.ebr")));
    for (const auto& entry : fs::recursive_directory_iterator(dir.file("data")))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
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
