// Ctrl+C during the long steps before the first frame: opening a soundtrack followed
// by gigabytes of other bytes, and loading pictures that take seconds to decode.
// Each is honoured within a second and leaves nothing behind.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "capture_cli.h"
#include "gl_test.h"
#include "runtime/manifest.h"
#include "test_data.h"

namespace fs = std::filesystem;

TEST(CaptureSignals, HonouredWithinASecondWhileOpeningTheSoundtrackOrLoading) {
    ScratchDir slowSound, slowPictures;
    for (const ScratchDir* dir : {&slowSound, &slowPictures})
        fs::copy(captureDataDir() + "/data", dir->file("data"), fs::copy_options::recursive);
    fs::resize_file(slowSound.file(dataPath(soundtrackFile)), uintmax_t(4) << 30);  // holes after the last page
    const std::string largest = plainPng(4096, 4096, 0, 0, 0);
    for (const ManifestPicture& picture : pngManifest) slowPictures.write(dataPath(picture.path), largest);
    const struct {
        const char* step;
        const ScratchDir& dir;
        std::vector<std::string> args;
    } cases[] = {{"opening the soundtrack", slowSound, {"--from", "20", "--to", "21", "--out", "frames"}},
                 {"loading", slowPictures, {"--time", "21", "--out", "picture.png"}}};
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
        double signalled = 0;
        ProcessResult run = runCapture(c.args, c.dir.path(), "", [&] { return (signalled = seconds()) > 0.5; });
        EXPECT_LT(seconds() - signalled, 1.0) << c.step;
        EXPECT_EQ(run.exitCode, 130) << c.step << ": " << run.errorText;
        EXPECT_NE(run.errorText.find("nothing captured"), std::string::npos) << run.errorText;
        EXPECT_EQ(folderListing(c.dir.path()), std::vector<std::string>{"data"}) << c.step;
    }
}
