// The real executable under a virtual display, as a user would meet it.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "capture_cli.h"
#include "demo_process.h"
#include "gl_test.h"
#include "runtime/build_config.h"
#include "runtime/manifest.h"
#include "runtime/timeline_table.h"
#include "sound/ogg_stream.h"
#include "test_data.h"
#include "test_ogg.h"

namespace {
const char* const title = "Vorrend - Grumla 2";

using Environment = std::vector<std::pair<std::string, std::string>>;

// A folder with the plain-colour data set and a short test soundtrack.
struct DemoFolder {
    ScratchDir dir;
    DemoFolder(double soundSeconds = 1.5) {
        EXPECT_TRUE(writeTestDataSet(dir.path()));
        EXPECT_TRUE(writeTestSoundtrack(dir.path(), soundSeconds));
    }
};

Environment withDisplay(const VirtualDisplay& display, const char* audio = "dummy") {
    return {{"DISPLAY", display.name()}, {"WAYLAND_DISPLAY", ""}, {"SDL_AUDIODRIVER", audio}};
}

bool near(std::array<int, 3> got, int r, int g, int b, int tolerance = 6) {
    return std::abs(got[0] - r) <= tolerance && std::abs(got[1] - g) <= tolerance && std::abs(got[2] - b) <= tolerance;
}

std::string describe(std::array<int, 3> c) {
    return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
}

// The Opening's first seconds in a picture at (left, top), width x height on the
// screen: the still background, the loading picture below the centre, black around.
void expectOpeningLayout(const VirtualDisplay::Shot& shot, int left, int top, int width, int height) {
    // (px, py) in half-widths/heights from the picture's centre, y up.
    auto at = [&](double px, double py) {
        return shot.at(int(left + width / 2 + px * width / 2), int(top + height / 2 - py * height / 2));
    };
    // The still background covers the middle third; clear of the other layers, it
    // shows its own colour (200, 120, 40).
    EXPECT_TRUE(near(at(0.2, 0.2), 200, 120, 40)) << describe(at(0.2, 0.2));
    EXPECT_TRUE(near(at(0.25, -0.25), 200, 120, 40)) << describe(at(0.25, -0.25));
    // The loading picture (255, 128, 0), opaque, below the centre and the background.
    EXPECT_TRUE(near(at(0.0, -0.5), 255, 128, 0)) << describe(at(0.0, -0.5));
    // Outside the pictures, the scene's black.
    EXPECT_EQ(at(0.7, 0.7), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(at(-0.8, -0.8), (std::array<int, 3>{0, 0, 0}));
}

// Waits for the demo's first picture; false (with a failure) when none came.
bool started(const VirtualDisplay& display, DemoProcess& demo) {
    if (waitForPicture(display, 20) < 0) {
        ADD_FAILURE() << "no picture; stderr:\n" << demo.stderrText();
        return false;
    }
    return true;
}
}  // namespace

class Demo : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(display.ok()) << "cannot start Xvfb"; }
    VirtualDisplay display;
    DemoFolder folder;
};

TEST_F(Demo, ShowsFramesAndEscapeEndsItWithinASecond) {
    DemoProcess demo(VORREND_EXE, folder.dir.path(), withDisplay(display));
    ASSERT_TRUE(started(display, demo));
    EXPECT_NE(display.findWindow(title), 0ul);
    ASSERT_TRUE(display.key("Escape"));
    EXPECT_EQ(demo.waitExit(1.0), 0) << demo.stderrText();
}

TEST_F(Demo, ClosingTheWindowOrAltF4EndsIt) {
    {
        DemoProcess demo(VORREND_EXE, folder.dir.path(), withDisplay(display));
        ASSERT_TRUE(started(display, demo));
        ASSERT_TRUE(display.sendClose(display.findWindow(title)));
        EXPECT_EQ(demo.waitExit(1.0), 0) << demo.stderrText();
    }
    sleepSeconds(0.3);  // the old window's last picture fades from the root
    DemoProcess demo(VORREND_EXE, folder.dir.path(), withDisplay(display));
    ASSERT_TRUE(started(display, demo));
    ASSERT_TRUE(display.key("alt+F4"));
    EXPECT_EQ(demo.waitExit(1.0), 0) << demo.stderrText();
}

TEST_F(Demo, OtherKeysAreSwallowed) {
    DemoProcess demo(VORREND_EXE, folder.dir.path(), withDisplay(display));
    ASSERT_TRUE(started(display, demo));
    ASSERT_TRUE(display.key("a space Return F4 q ctrl+c alt+Tab BackSpace"));
    EXPECT_EQ(demo.waitExit(0.7), -1) << "a key other than Escape ended the demo";
    EXPECT_FALSE(display.screenshot().allBlack());
    ASSERT_TRUE(display.key("Escape"));
    EXPECT_EQ(demo.waitExit(1.0), 0);
}

// Usage errors end with 2 and failures to start with 1, before any window opens;
// help and version go to stdout.
TEST(DemoCommandLine, HelpVersionBadOptionsAndMissingDataGiveTheirExitCodes) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ok());
    DemoFolder folder;
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err;  // how each begins; empty means empty
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "Usage: vorrend [options]\n", ""},
        {{"--version"}, 0, std::string("vorrend ") + vorrendVersion + "\n", ""},
        {{"--bogus"}, 2, "", "vorrend: The following argument was not expected: --bogus\nUsage: vorrend"},
        {{"--from", "145"}, 2, "", "vorrend: --from wants seconds"},
        {{"--display", "1"}, 2, "", "vorrend: --display 1: no such screen; there is 1 screen (0)\nUsage:"},
        {{"--data", "absent"}, 1, "", "vorrend: --data absent: no such folder\n"},
    };
    for (const Case& c : cases) {
        DemoProcess demo(VORREND_EXE, folder.dir.path(), withDisplay(display), c.args);
        EXPECT_EQ(demo.waitExit(10), c.code) << c.args[0];
        const std::string out = demo.stdoutText(), err = demo.stderrText();
        EXPECT_EQ(out.rfind(c.out, 0), 0u) << out;
        EXPECT_EQ(err.rfind(c.err, 0), 0u) << err;
        EXPECT_EQ(out.empty(), c.out.empty()) << out;
        EXPECT_EQ(err.empty(), c.err.empty()) << err;
    }
    // No data anywhere: the program alone in a folder of its own, started in an empty one.
    ScratchDir bare;
    std::filesystem::create_directories(bare.file("bin"));
    std::filesystem::copy_file(VORREND_EXE, bare.file("bin/vorrend"));
    DemoProcess demo(bare.file("bin/vorrend"), bare.path(), withDisplay(display));
    EXPECT_EQ(demo.waitExit(10), 1);
    EXPECT_EQ(demo.stderrText(), "vorrend: no data folder; looked in " + bare.file("data/") + ", " +
                                     bare.file("share/vorrend/data/") + ", " + bare.file("bin/data/") + "\n");
}

TEST(DemoWithoutDisplay, ExitsOneWithAReason) {
    DemoFolder folder;
    DemoProcess demo(VORREND_EXE, folder.dir.path(),
                     {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_EQ(demo.waitExit(10), 1);
    EXPECT_NE(demo.stderrText().find("cannot create the window, no display found"), std::string::npos)
        << demo.stderrText();
}

// A 16:9 screen: the 4:3 picture in the middle, black bars either side, and in its
// first seconds the Opening scene's pictures where the scene puts them.
TEST(DemoOnWideScreen, LetterboxesTheOpeningScene) {
    VirtualDisplay display(1280, 720);
    ASSERT_TRUE(display.ok());
    DemoFolder folder;
    DemoProcess demo(VORREND_EXE, folder.dir.path(), withDisplay(display));
    ASSERT_TRUE(started(display, demo));
    sleepSeconds(0.3);
    VirtualDisplay::Shot shot = display.screenshot();
    ASSERT_LT(demo.secondsSinceStart(), 19.0) << "start-up too slow to see the opening";

    // Picture 960 x 720 from x = 160.
    for (int y = 0; y < 720; y += 8)
        for (int x : {0, 80, 159, 1120, 1200, 1279})
            ASSERT_EQ(shot.at(x, y), (std::array<int, 3>{0, 0, 0})) << "bar at " << x << "," << y;
    expectOpeningLayout(shot, 160, 0, 960, 720);
    ASSERT_TRUE(display.key("Escape"));
    EXPECT_EQ(demo.waitExit(1.0), 0);
}

// --window 800x600: a window of that size, the picture the whole of it. Made
// narrower, the picture shrinks to stay 4:3 in the middle, black bars either side
// where the old picture was. Escape still ends it.
TEST_F(Demo, AWindowKeepsItsPictureFourByThreeWithBarsAsItIsResized) {
    DemoProcess demo(VORREND_EXE, folder.dir.path(), withDisplay(display), {"--window", "800x600"});
    ASSERT_TRUE(started(display, demo));
    const unsigned long window = display.findWindow(title);
    VirtualDisplay::Geometry g = display.geometry(window);
    ASSERT_EQ(g.width, 800);
    ASSERT_EQ(g.height, 600);
    sleepSeconds(0.3);
    expectOpeningLayout(display.screenshot(), g.x, g.y, 800, 600);

    // 700 x 400 holds a 533 x 400 picture from x = 83.
    ASSERT_TRUE(display.resize(window, 700, 400));
    sleepSeconds(0.5);
    g = display.geometry(window);
    ASSERT_EQ(g.width, 700);
    VirtualDisplay::Shot shot = display.screenshot();
    ASSERT_LT(demo.secondsSinceStart(), 8.0) << "start-up too slow to see the opening";
    for (int y = 0; y < 400; y += 8)
        for (int x : {0, 40, 82, 617, 660, 699})
            ASSERT_EQ(shot.at(g.x + x, g.y + y), (std::array<int, 3>{0, 0, 0})) << "bar at " << x << "," << y;
    expectOpeningLayout(shot, g.x + 83, g.y, 533, 400);
    ASSERT_TRUE(display.key("Escape"));
    EXPECT_EQ(demo.waitExit(1.0), 0) << demo.stderrText();
}

// --from 80 shows the Tunnel at once with the state a whole run leaves there: its
// first picture is the capture tool's of the same moment, within a little. The
// build's own data when there is, whose pictures show how far the tunnel has turned.
TEST_F(Demo, StartedPartWayShowsTheCaptureToolsPictureOfThatMoment) {
#ifdef VORREND_DATA_ROOT
    const std::string data = VORREND_DATA_ROOT;
#else
    const std::string data = folder.dir.path();
#endif
    DemoProcess demo(VORREND_EXE, data, withDisplay(display), {"--window", "640x480", "--from", "80"});
    VirtualDisplay::Shot shot;
    VirtualDisplay::Geometry g;
    for (double waited = 0; waited < 20 && demo.running(); waited += 0.02) {
        g = display.geometry(display.findWindow(title));
        shot = display.screenshot();
        bool black = true;
        for (int y = 0; y < g.height && black; y += 4)
            for (int x = 0; x < g.width && black; x += 4) black = shot.at(g.x + x, g.y + y) == std::array<int, 3>{};
        if (g.width == 640 && !black) break;
        sleepSeconds(0.02);
    }
    ASSERT_EQ(g.width, 640) << demo.stderrText();
    ASSERT_TRUE(display.key("Escape"));
    EXPECT_EQ(demo.waitExit(2.0), 0) << demo.stderrText();

    // Every 50th of a second from 80 s: one of them lies within a hundredth of the shot.
    ScratchDir out;
    ProcessResult capture = runCapture(
        {"--size", "640x480", "--fps", "50", "--from", "80", "--to", "80.8", "--out", out.file("frames")}, data);
    ASSERT_EQ(capture.exitCode, 0) << capture.errorText;
    double best = 255;
    for (int i = 1; i <= 40; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", i);
        Picture frame;
        ASSERT_TRUE(readPngFile(out.file("frames") + name, &frame)) << name;
        double sum = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                for (int c = 0; c < 3; ++c)
                    sum += std::abs(shot.at(g.x + x, g.y + y)[c] - frame.rgb[(size_t(y) * 640 + x) * 3 + c]);
        best = std::min(best, sum / (640 * 480 * 3));
    }
    EXPECT_LT(best, 2.0) << "mean difference per channel from the nearest captured picture";
}

// --time T holds the capture tool's picture at T to the byte: the same frames lead
// up to it, hearing the same spectra of the soundtrack file, on the same renderer.
// A time in every scene; the capture data's soundtrack jumps in level every tenth of
// a second, so a spectrum taken a little off shows. Any other key makes the picture
// be shown again, from its copy.
TEST_F(Demo, HoldsTheCaptureToolsPictureAtATime) {
    const std::string data = captureDataDir();
    for (const char* time : {"12.3", "25.05", "47.5", "62.2", "80.01", "95.55", "118.3", "140.7"}) {
        ScratchDir out;
        ProcessResult capture = runCapture({"--time", time, "--out", out.file("t.png")}, data);
        ASSERT_EQ(capture.exitCode, 0) << capture.errorText;
        Picture expected;
        ASSERT_TRUE(readPngFile(out.file("t.png"), &expected));
        DemoProcess demo(VORREND_EXE, data, withDisplay(display), {"--window", "640x480", "--time", time});
        ASSERT_TRUE(started(display, demo)) << time;
        const VirtualDisplay::Geometry g = display.geometry(display.findWindow(title));
        ASSERT_EQ(g.width, 640) << time;
        for (const char* after : {"first", "q"}) {
            if (after != std::string("first")) {
                ASSERT_TRUE(display.key(after));
                sleepSeconds(0.3);
            }
            const VirtualDisplay::Shot shot = display.screenshot();
            Picture held{640, 480, {}};
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x)
                    for (int c : shot.at(g.x + x, g.y + y)) held.rgb.push_back(uint8_t(c));
            EXPECT_TRUE(held == expected) << "at " << time << ", " << after;
        }
        ASSERT_TRUE(display.key("Escape"));
        EXPECT_EQ(demo.waitExit(2.0), 0) << time << demo.stderrText();
    }
}

// What SDL's disk driver writes is what the device would play: silence until the
// first frame starts the music, then the soundtrack from its first sample.
TEST_F(Demo, PlaysTheSoundtrackFromItsStart) {
    std::string raw = folder.dir.file("audio.raw");
    Environment environment = withDisplay(display, "disk");
    environment.push_back({"SDL_DISKAUDIOFILE", raw});
    DemoProcess demo(VORREND_EXE, folder.dir.path(), environment);
    ASSERT_TRUE(started(display, demo));
    sleepSeconds(2.5);  // the 1.5 s soundtrack plays to its end
    ASSERT_TRUE(display.key("Escape"));
    ASSERT_EQ(demo.waitExit(2.0), 0);

    DecodedSound sound;
    ASSERT_TRUE(decodeOggFile(folder.dir.file(dataPath(soundtrackFile)), &sound));
    std::ifstream in(raw, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> out(bytes.size() / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    size_t start = 0;
    while (start < out.size() && out[start] == 0.0f) ++start;
    ASSERT_EQ(start % 2, 0u) << "the first sound is a left sample";
    ASSERT_NE(sound.samples[0], 0.0f);
    ASSERT_GE(out.size(), start + sound.samples.size()) << "the soundtrack did not play to its end";
    for (size_t i = 0; i < sound.samples.size(); ++i)
        ASSERT_NEAR(out[start + i], sound.samples[i], 1e-6f) << "sample " << i;
    for (size_t i = start + sound.samples.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << "sample " << i;
}

// SIGTERM and SIGINT end the demo as closing the window does, at once, even while a
// message box waits for its OK (a damaged sphere: four boxes, the first waiting);
// the box goes with it and no later one appears.
TEST_F(Demo, QuitSignalsEndItAtOnceEvenWhileAMessageBoxWaits) {
    const char* const box = "tegn3d::loadFromFile";
    const struct {
        int signal;
        bool damaged;
    } cases[] = {{SIGTERM, true}, {SIGINT, true}, {SIGTERM, false}};
    for (const auto& c : cases) {
        DemoFolder here;
        if (c.damaged) here.dir.write("data/objects/kule.ebr", "\x01");
        DemoProcess demo(VORREND_EXE, here.dir.path(), withDisplay(display));
        if (c.damaged) {
            for (double waited = 0; waited < 10 && !display.findWindow(box) && demo.running(); waited += 0.05)
                sleepSeconds(0.05);
            ASSERT_NE(display.findWindow(box), 0ul) << demo.stderrText();
        } else {
            ASSERT_TRUE(started(display, demo));
        }
        ASSERT_TRUE(demo.signal(c.signal));
        EXPECT_EQ(demo.waitExit(1.0), 0) << c.signal << ": " << demo.stderrText();
        sleepSeconds(0.2);  // the server forgets a closed client's windows
        EXPECT_EQ(display.findWindow(box), 0ul) << c.signal;
        const std::string text = demo.stderrText();
        size_t first = text.find("tegn3d::loadFromFile: Damaged object file data/objects/kule.ebr");
        EXPECT_EQ(first != std::string::npos, c.damaged) << text;
    }
}

// ALSA on a card that is not there: one line of our own, none of the library's.
TEST_F(Demo, WithoutASoundDeviceItSaysOnceThatItPlaysSilent) {
    Environment environment = withDisplay(display, "alsa");
    environment.push_back({"AUDIODEV", "hw:99"});
    DemoProcess demo(VORREND_EXE, folder.dir.path(), environment);
    ASSERT_TRUE(started(display, demo));
    ASSERT_TRUE(display.key("Escape"));
    EXPECT_EQ(demo.waitExit(1.0), 0);
    EXPECT_EQ(demo.stderrText(), "vorrend: no sound device; playing silent\n");
}

// Without any OpenGL visual the demo says so, loads without a context, and ends
// before the first frame instead of crashing.
TEST_F(Demo, WithoutOpenGLReportsAndEndsCleanly) {
    Environment environment = withDisplay(display);
    environment.push_back({"SDL_OPENGL_LIBRARY", "/nonexistent/libGL.so"});
    DemoProcess demo(VORREND_EXE, folder.dir.path(), environment);
    // The message box waits for its OK; a user would press it, we close it.
    unsigned long box = 0;
    for (double waited = 0; waited < 10 && !box && demo.running(); waited += 0.05) {
        box = display.findWindow("Error");
        sleepSeconds(0.05);
    }
    ASSERT_NE(box, 0ul) << demo.stderrText();
    display.sendClose(box);
    EXPECT_EQ(demo.waitExit(10), 0) << demo.stderrText();
    EXPECT_NE(demo.stderrText().find("Error: ChoosePixelFormat failed"), std::string::npos) << demo.stderrText();
    // One failure, said once: not again for every picture that had no context to go to.
    EXPECT_EQ(demo.stderrText().find(".png:"), std::string::npos) << demo.stderrText();
}

// The one whole run: it ends by itself shortly after 145 s.
// It plays the build's generated data set when there is one, from the build folder as
// the play command does, and the plain test data set otherwise.
TEST(FullRun, EndsByItselfShortlyAfter145Seconds) {
    VirtualDisplay display;
    ASSERT_TRUE(display.ok());
#ifdef VORREND_DATA_ROOT
    std::string folder = VORREND_DATA_ROOT;
#else
    DemoFolder testData;
    std::string folder = testData.dir.path();
#endif
    DemoProcess demo(VORREND_EXE, folder, withDisplay(display));
    int code = demo.waitExit(showEnd + 15);
    double seconds = demo.secondsSinceStart();
    EXPECT_EQ(code, 0) << demo.stderrText();
    EXPECT_GT(seconds, showEnd);
    EXPECT_LT(seconds, showEnd + 5);
}
