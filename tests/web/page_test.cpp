// The web page (scripts/web.sh builds it into build-web/) in headless Chromium on
// SwiftShader, driven by page_driver.mjs: its pictures against vorrend-capture's on
// the same data, its spectrum against the native FFT's, and a show that plays from a
// key to its end card by itself.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "capture.h"
#include "page_driving.h"
#include "runtime/manifest.h"
#include "runtime/timeline_table.h"

namespace {

std::string pictureSteps(double time, const std::string& file) {
    return "{\"open\": \"vorrend.html?time=" + timeText(time) +
           "\"}, {\"wait\": \"Module.vorrend.picture !== undefined\"}, {\"save\": \"" + file + "\", \"js\": \"" +
           base64Of("Module.vorrend.picture.rgba") + "\"}";
}

// The capture tool's picture as the page's: RGBA, rows from the bottom up.
std::vector<uint8_t> asReadBack(const Picture& p) {
    std::vector<uint8_t> rgba(size_t(p.width) * p.height * 4, 255);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            std::copy_n(&p.rgb[(size_t(y) * p.width + x) * 3], 3, &rgba[(size_t(p.height - 1 - y) * p.width + x) * 4]);
    return rgba;
}

TEST(WebPage, PicturesMatchTheCaptureToolAcrossEveryScene) {
    REQUIRE_BUILT(pageDir + "/vorrend.html");
    // The middle of every scene's window and more: the Opening's flicker, the
    // Gallery's fade, both Ship passages and their cameras, a frame on a bound.
    std::vector<double> times;
    for (const TimelineWindow& window : timeline) times.push_back(std::round((window.from + window.to) / 2 * 4) / 4);
    for (double t : {0.25, 33.5, 40.0, 95.0, 131.0, 144.0}) times.push_back(t);
    times.push_back(double(timeline[2].from));  // 35: on a bound, the last frame before it shows
    ScratchDir out;
    std::string steps = "[";
    std::vector<std::vector<std::string>> captures;
    for (double t : times) {
        steps += (steps.size() > 1 ? ", " : "") + pictureSteps(t, "web-" + timeText(t) + ".rgba");
        captures.push_back({"--time", timeText(t), "--out", out.file("native-" + timeText(t) + ".png")});
    }
    // What lies over the picture's bottom-right corner, where the full-screen button sits
    // during the show: nothing, on a still picture.
    PageRun run = drive(steps +
                            ", {\"value\": \"corner\", \"js\": \"document.elementFromPoint(innerWidth - 24, "
                            "innerHeight - 24).id\"}]",
                        out);
    ASSERT_EQ(run.process.exitCode, 0) << run.process.errorText;
    EXPECT_TRUE(run.complaints.empty()) << run.complaints.front();
    EXPECT_EQ(run.values["corner"], "\"canvas\"");
    std::vector<ProcessResult> native = runCaptures(captures, pageDir);
    for (size_t i = 0; i < times.size(); ++i) {
        const std::string t = timeText(times[i]);
        ASSERT_EQ(native[i].exitCode, 0) << native[i].errorText;
        Picture picture;
        ASSERT_TRUE(readPngFile(out.file("native-" + t + ".png"), &picture)) << t;
        std::ifstream webFile(out.file("web-" + t + ".rgba"), std::ios::binary);
        std::vector<uint8_t> web((std::istreambuf_iterator<char>(webFile)), std::istreambuf_iterator<char>());
        ASSERT_EQ(web.size(), size_t(picture.width) * picture.height * 4) << t;
        const Difference d = compare(asReadBack(picture), web, picture.width, picture.height);
        expectClose(d, "t = " + t + " s");
    }
}

TEST(WebPage, SpectrumAtAKickMatchesTheNativeFft) {
    REQUIRE_BUILT(pageDir + "/vorrend.html");
    // The loudest lowest bin in the Treasure room's window, whose blobs jump with it,
    // on the capture's frame grid: a kick.
    Soundtrack sound;
    std::string why;
    ASSERT_TRUE(openSoundtrack(pageDir + "/" + dataPath(soundtrackFile), &sound, &why)) << why;
    const FrameRate fps;
    const TimelineWindow& room = windowOf(Scene::treasureRoom);
    double kick = 0;
    float native[256], loudest = -1;
    for (int64_t k = int64_t(room.from * fps.value()) + 1; fps.seconds(k) < room.to; ++k) {
        spectrumAt(sound, musicSecondsAt(fps, fps.seconds(k)), native);
        if (native[0] > loudest) loudest = native[0], kick = fps.seconds(k);
    }
    spectrumAt(sound, musicSecondsAt(fps, kick), native);
    ASSERT_GT(native[0], 0.05f) << "no kick in the soundtrack";
    ScratchDir out;
    PageRun run = drive("[{\"open\": \"vorrend.html?time=" + timeText(kick) +
                            "\"}, {\"wait\": \"Module.vorrend.spectrum !== undefined\", \"seconds\": 60},"
                            " {\"value\": \"spectrum\", \"js\": \"Array.from(Module.vorrend.spectrum)\"}]",
                        out);
    ASSERT_EQ(run.process.exitCode, 0) << run.process.errorText;
    EXPECT_TRUE(run.complaints.empty()) << run.complaints.front();
    const std::vector<double> web = numbers(run.values["spectrum"]);
    ASSERT_EQ(web.size(), 256u);
    // The browser decodes the Ogg file with its own Vorbis decoder, and the page's
    // FFT is kissfft's header form: the same bins to a small fraction of the kick.
    double worst = 0;
    int worstBin = 0;
    for (int k = 0; k < 256; ++k)
        if (std::fabs(web[k] - native[k]) > worst) worst = std::fabs(web[k] - native[k]), worstBin = k;
    std::printf("kick at %s s: bin 0 %.6f natively, %.6f on the page; largest difference %.2g at bin %d\n",
                timeText(kick).c_str(), native[0], web[0], worst, worstBin);
    EXPECT_LT(worst, 1e-3);
}

TEST(WebPage, AKeyStartsTheShowWhichEndsOnItsEndCardByItselfOrOnEscape) {
    REQUIRE_BUILT(pageDir + "/vorrend.html");
    ScratchDir out;
    // From 140 s: five seconds to the end of the show. Then Enter plays it again from
    // there, and Escape ends it at once.
    PageRun run = drive(R"steps([
        {"open": "vorrend.html?from=140"},
        {"wait": "!document.getElementById('start').hidden", "seconds": 60},
        {"sleep": 0.5},
        {"value": "framesBeforeKey", "js": "Module.vorrend.frames"},
        {"key": "a"},
        {"wait": "!document.getElementById('end').hidden", "seconds": 60},
        {"value": "ended", "js": "(window.endedAt = Module.vorrend.frames, [Module.vorrend.frames, Module.vorrend.time, Module.vorrend.startedFrom])"},
        {"key": "Enter"},
        {"wait": "document.getElementById('end').hidden && Module.vorrend.frames > window.endedAt + 2", "seconds": 60},
        {"key": "Escape"},
        {"wait": "!document.getElementById('end').hidden", "seconds": 30},
        {"value": "escaped", "js": "[Module.vorrend.frames, Module.vorrend.time]"}
    ])steps",
                        out);
    ASSERT_EQ(run.process.exitCode, 0) << run.process.errorText;
    EXPECT_TRUE(run.complaints.empty()) << run.complaints.front();
    EXPECT_EQ(run.values["framesBeforeKey"], "0");  // nothing plays before the viewer asks
    const std::vector<double> ended = numbers(run.values["ended"]), escaped = numbers(run.values["escaped"]);
    ASSERT_EQ(ended.size(), 3u);
    ASSERT_EQ(escaped.size(), 2u);
    EXPECT_GT(ended[0], 10) << "frames played";
    EXPECT_GT(ended[1], double(showEnd)) << "the last frame, which asks to quit";
    EXPECT_LT(ended[1], double(showEnd) + 1);
    EXPECT_EQ(ended[2], 140) << "where the music started";
    EXPECT_GT(escaped[0], ended[0] + 2);
    EXPECT_LT(escaped[1], double(showEnd)) << "Escape ended it before the end";
}

TEST(WebPage, MissingFilesAreToldOnTheCards) {
    REQUIRE_BUILT(pageDir + "/vorrend.html");
    // A message box cannot wait on a page: its text stays on the card that follows.
    struct Case {
        const char* file;  // taken out of the data folder
        const char* card;  // where the page stops
        const char* note;
    } cases[] = {
        {"objects/vann.ebr", "start", "Unable to open object file data/objects/vann.ebr"},  // the show goes on
        {"pic/lyn.jpg", "failure", "Unable to load JPG File!"},                             // it cannot
    };
    for (const Case& c : cases) {
        ScratchDir page, out;
        std::filesystem::copy(pageDir, page.path(), std::filesystem::copy_options::recursive);
        std::filesystem::remove(page.file("data/" + std::string(c.file)));
        PageRun run = drive(R"steps([
            {"open": "vorrend.html"},
            {"wait": "!document.getElementById('start').hidden || !document.getElementById('failure').hidden"},
            {"value": "card", "js": "document.getElementById('start').hidden ? 'failure' : 'start'"},
            {"value": "note", "js": "document.querySelector('.notes').textContent"}
        ])steps",
                            out, page.path());
        ASSERT_EQ(run.process.exitCode, 0) << c.file << ": " << run.process.errorText;
        EXPECT_EQ(run.values["card"], "\"" + std::string(c.card) + "\"") << c.file;
        EXPECT_NE(run.values["note"].find(c.note), std::string::npos) << c.file << ": " << run.values["note"];
    }
}

}  // namespace
