// The Windows program as scripts/windows.sh ships it, run under Wine on a virtual
// display of its own: its pictures against vorrend-capture's, its sound read back
// from ALSA's file device, its end, its failures and its console.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "capture_cli.h"
#include "demo_process.h"
#include "gl_test.h"
#include "page_driving.h"
#include "runtime/manifest.h"
#include "runtime/timeline_table.h"
#include "sound/ogg_stream.h"

namespace {
const std::string programDir = VORREND_WINDOWS_DIR;  // vorrend.exe beside data/
const std::string exe = programDir + "/vorrend.exe";
const std::string dataDir = programDir + "/data";

using Environment = std::vector<std::pair<std::string, std::string>>;

// Skips when scripts/windows.sh has not built the program, unless
// VORREND_WINDOWS_REQUIRED=1 (the test script) makes that a failure.
#define REQUIRE_PROGRAM()                                                             \
    do {                                                                              \
        if (std::ifstream(exe).good()) break;                                         \
        const char* required = std::getenv("VORREND_WINDOWS_REQUIRED");               \
        if (required && std::string(required) == "1") FAIL() << "not built: " << exe; \
        GTEST_SKIP() << "not built: " << exe << " (scripts/windows.sh builds it)";    \
    } while (0)

class WindowsProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_PROGRAM();
        ASSERT_TRUE(display.ok()) << "cannot start Xvfb";
    }
    // Each test ends its Wine session, whose processes know its display and HOME.
    void TearDown() override {
        demo.reset();
        std::string stop = "WINEPREFIX='" + std::string(VORREND_WINE_PREFIX) + "' wineserver -k 2>/dev/null";
        if (std::system(stop.c_str()) != 0) {
        }  // none may be running
    }
    // vorrend.exe with these options, in a folder of the test's own with a HOME of its
    // own (where ALSA reads its .asoundrc).
    DemoProcess& start(const std::vector<std::string>& options, const Environment& extra = {}) {
        std::vector<std::string> args = {VORREND_WINE_PREFIX, exe};
        args.insert(args.end(), options.begin(), options.end());
        Environment env = {{"DISPLAY", display.name()}, {"HOME", home.path()}, {"WAYLAND_DISPLAY", ""}};
        env.insert(env.end(), extra.begin(), extra.end());
        demo = std::make_unique<DemoProcess>(VORREND_WINE_RUN, work.path(), env, args);
        return *demo;
    }

    VirtualDisplay display{640, 480};
    ScratchDir home, work;
    std::unique_ptr<DemoProcess> demo;
};

// The screen once two screenshots half a second apart agree: the held picture.
VirtualDisplay::Shot heldPicture(const VirtualDisplay& display, double timeoutSeconds) {
    const double deadline = monotonicSeconds() + timeoutSeconds;
    VirtualDisplay::Shot last = display.screenshot();
    while (monotonicSeconds() < deadline) {
        sleepSeconds(0.5);
        VirtualDisplay::Shot now = display.screenshot();
        if (!now.allBlack() && now.rgb == last.rgb) return now;
        last = now;
    }
    return {};
}

// RGB rows from the top -> RGBA rows from the bottom, as compare() takes them.
std::vector<uint8_t> rgbaBottomUp(int width, int height, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> rgba(size_t(width) * height * 4, 255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                rgba[(size_t(height - 1 - y) * width + x) * 4 + c] = rgb[(size_t(y) * width + x) * 3 + c];
    return rgba;
}

// Text as Linux lines: the program's console output ends its lines with CR LF.
// Text as Linux lines: the program's console output ends its lines with CR LF.
std::string lines(const std::string& text) {
    std::string kept;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        kept += line + "\n";
    }
    return kept;
}
}  // namespace

// --time T on a 640x480 screen: the whole screen is the picture, which must match
// the capture tool's at T within the web page's tolerance.
TEST_F(WindowsProgram, PicturesAtTimesAcrossEverySceneMatchTheCapture) {
    std::vector<double> times;
    for (const TimelineWindow& window : timeline) times.push_back(std::round((window.from + window.to) / 2 * 4) / 4);
    for (double t : {0.25, 40.0, 131.0}) times.push_back(t);
    ScratchDir out;
    std::vector<std::vector<std::string>> captures;
    for (double t : times)
        captures.push_back(
            {"--time", timeText(t), "--data", dataDir, "--out", out.file("native-" + timeText(t) + ".png")});
    const std::vector<ProcessResult> native = runCaptures(captures, out.path());
    for (size_t i = 0; i < times.size(); ++i) {
        const std::string t = timeText(times[i]);
        ASSERT_EQ(native[i].exitCode, 0) << native[i].errorText;
        Picture expected;
        ASSERT_TRUE(readPngFile(out.file("native-" + t + ".png"), &expected));
        start({"--time", t});
        const VirtualDisplay::Shot shot = heldPicture(display, 90);
        ASSERT_EQ(shot.width, expected.width) << "no picture at " << t << " s; stderr:\n" << demo->stderrText();
        ASSERT_EQ(shot.height, expected.height);
        EXPECT_TRUE(display.key("Escape"));
        EXPECT_EQ(demo->waitExit(30), 0) << "t = " << t << " s";
        expectClose(compare(rgbaBottomUp(shot.width, shot.height, shot.rgb),
                            rgbaBottomUp(expected.width, expected.height, expected.rgb), shot.width, shot.height),
                    "t = " + t + " s");
        TearDown();
    }
}

// From 142 s the show ends by itself; what reached ALSA's default device (the file
// plugin) is the soundtrack from 142 s, sample for sample after the silence before it.
TEST_F(WindowsProgram, RunFrom142EndsByItselfAndItsSoundIsTheSoundtrack) {
    const std::string raw = home.file("out.raw");
    home.write(".asoundrc", "pcm.!default { type file; slave.pcm \"null\"; file \"" + raw + "\"; format \"raw\" }\n");
    start({"--from", "142"});
    ASSERT_EQ(demo->waitExit(120), 0) << demo->stderrText();
    EXPECT_EQ(demo->stderrText(), "");

    DecodedSound track;
    ASSERT_TRUE(decodeOggFile(dataDir + "/" + soundtrackFile, &track));
    ASSERT_EQ(track.channels, 2);
    std::ifstream file(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> heard(bytes.size() / 2);  // 16-bit stereo, as the device was opened
    std::memcpy(heard.data(), bytes.data(), heard.size() * 2);
    const int64_t from = 142 * int64_t(track.rate), frames = int64_t(heard.size()) / 2;
    auto offBy = [&](int64_t lag, int64_t count) {
        float most = 0;
        for (int64_t i = 0; i < count && lag + i < frames && from + i < track.frames(); ++i)
            for (int c = 0; c < 2; ++c)
                most = std::max(most, std::abs(heard[size_t(2 * (lag + i) + c)] / 32768.0f -
                                               track.samples[size_t(2 * (from + i) + c)]));
        return most;
    };
    // The music starts after the device's first buffers of silence: the lag where
    // 256 frames match, then all of it from there.
    int64_t lag = -1;
    for (int64_t l = 0; l < std::min<int64_t>(frames, 2 * track.rate) && lag < 0; ++l)
        if (offBy(l, 256) < 2.0f / 32768) lag = l;
    ASSERT_GE(lag, 0) << "the soundtrack from 142 s is not in the first two seconds heard";
    const int64_t rest = std::min(track.frames() - from, frames - lag);
    EXPECT_GT(rest, 2 * track.rate) << "less than two seconds of music reached the device";
    EXPECT_LT(offBy(lag, rest), 2.0f / 32768) << "after " << lag << " frames of silence";
}

// Failures and the console, each as on Linux: the one line without a sound device
// (Wine's audio drivers left out), the box for a missing picture (closed as a user
// would, with Return), --help, a bad option and a screen that is not there.
TEST_F(WindowsProgram, FailuresAndTheConsoleEndAsOnLinux) {
    ScratchDir data;
    ASSERT_EQ(std::system(("cp -r '" + dataDir + "' '" + data.path() + "/'").c_str()), 0);
    ASSERT_EQ(std::remove((data.path() + "/data/" + jpegManifest[0].path).c_str()), 0);
    struct Case {
        std::vector<std::string> options;
        Environment environment;
        bool box;
        int exitCode;
        std::string out, err;  // err: its lines, or what its last line must hold
    };
    const Case cases[] = {
        {{"--from", "144"},
         {{"WINEDLLOVERRIDES", "winealsa.drv,winepulse.drv="}},
         false,
         0,
         "",
         "vorrend: no sound device; playing silent\n"},
        {{"--data", data.path() + "/data"}, {}, true, 1, "", "Error: Unable to load JPG File!\n"},
        {{"--help"}, {}, false, 0, "Usage: vorrend [options]\n", ""},
        {{"--bogus"}, {}, false, 2, "", "vorrend: The following argument was not expected: --bogus"},
        {{"--display", "1"}, {}, false, 1, "", "vorrend: --display 1: no such screen; there is 1 screen (0)"},
    };
    for (const Case& c : cases) {
        start(c.options, c.environment);
        if (c.box) {
            const double deadline = monotonicSeconds() + 90;
            while (!display.findWindow("Error") && monotonicSeconds() < deadline) sleepSeconds(0.2);
            ASSERT_NE(display.findWindow("Error"), 0u) << "no box; stderr:\n" << demo->stderrText();
            sleepSeconds(0.5);
            EXPECT_TRUE(display.key("Return"));
        }
        EXPECT_EQ(demo->waitExit(90), c.exitCode) << c.options[0];
        EXPECT_EQ(lines(demo->stdoutText()).substr(0, c.out.size()), c.out) << c.options[0];
        const std::string err = lines(demo->stderrText());
        if (c.err.empty() || c.err.back() == '\n')
            EXPECT_TRUE(err == c.err || (c.box && err.size() >= c.err.size() &&
                                         err.compare(err.size() - c.err.size(), c.err.size(), c.err) == 0))
                << c.options[0] << ":\n"
                << err;
        else
            EXPECT_EQ(err.substr(0, c.err.size()), c.err) << c.options[0];
        TearDown();
    }
}
