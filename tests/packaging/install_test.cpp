// The build installed into a scratch prefix, as `cmake --install` and the package lay
// it out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "capture_cli.h"
#include "gl_test.h"
#include "runtime/manifest.h"

namespace {

// The width and height a PNG file's header gives, or -1.
std::pair<int, int> pngSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char header[24] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return {-1, -1};
    auto word = [&](int at) { return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3]; };
    return {word(16), word(20)};
}

}  // namespace

// Every file in its usual place; the capture tool started in another folder finds the
// data installed with it and draws what the build tree's draws.
TEST(Installed, EveryFileInItsPlaceAndTheDataFoundFromAnyFolder) {
    ScratchDir prefix, elsewhere;
    ProcessResult install =
        runProgram({CMAKE_COMMAND, "--install", VORREND_BUILD_DIR, "--prefix", prefix.path()}, elsewhere.path());
    ASSERT_EQ(install.exitCode, 0) << install.errorText;
    const struct {
        std::string path;
        int iconSize;  // 0: not an icon
    } files[] = {
        {"bin/vorrend", 0},
        {"bin/vorrend-capture", 0},
        {"bin/vorrend-datagen", 0},
        {"share/vorrend/data/" + std::string(soundtrackFile), 0},
        {"share/applications/vorrend.desktop", 0},
        {"share/icons/hicolor/256x256/apps/vorrend.png", 256},
        {"share/icons/hicolor/48x48/apps/vorrend.png", 48},
        {"share/man/man1/vorrend.1.gz", 0},
        {"share/man/man1/vorrend-capture.1.gz", 0},
        {"share/man/man1/vorrend-datagen.1.gz", 0},
    };
    for (const auto& f : files) {
        EXPECT_TRUE(std::filesystem::is_regular_file(prefix.file(f.path))) << f.path;
        if (f.iconSize) {
            EXPECT_EQ(pngSize(prefix.file(f.path)), std::make_pair(f.iconSize, f.iconSize)) << f.path;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(prefix.file("share/vorrend/data/.generated")));

    const std::vector<std::string> picture = {"--size", "64x48", "--time", "21", "--out"};
    std::vector<std::string> installed = picture, built = picture;
    installed.insert(installed.begin(), prefix.file("bin/vorrend-capture"));
    installed.push_back("installed.png");
    ProcessResult run = runProgram(installed, elsewhere.path());
    ASSERT_EQ(run.exitCode, 0) << run.errorText;
    built.push_back(elsewhere.file("built.png"));
    run = runCapture(built, VORREND_BUILD_DIR);
    ASSERT_EQ(run.exitCode, 0) << run.errorText;
    Picture fromInstalled, fromBuilt;
    ASSERT_TRUE(readPngFile(elsewhere.file("installed.png"), &fromInstalled));
    ASSERT_TRUE(readPngFile(elsewhere.file("built.png"), &fromBuilt));
    EXPECT_TRUE(fromInstalled == fromBuilt);
}
