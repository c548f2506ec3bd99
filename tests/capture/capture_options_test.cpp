// The capture tool's command line, its frame plans, its streamed soundtrack and the
// reason its offscreen context cannot be had, all without rendering.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

#include "capture.h"
#include "gl_test.h"
#include "platform/offscreen.h"
#include "runtime/build_config.h"
#include "scenes/scenes.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"
#include "test_ogg.h"

namespace {

// The parser's code: -1 to go on, 0 for --help and --version, 2 for a usage error.
int parse(std::vector<const char*> args, CaptureOptions* options, std::string* out, std::string* err) {
    args.insert(args.begin(), "vorrend-capture");
    return parseCaptureArgs(int(args.size()), args.data(), options, out, err);
}

bool parse(std::vector<const char*> args, CaptureOptions* options, std::string* error) {
    std::string out;
    return parse(std::move(args), options, &out, error) == -1;
}

}  // namespace

TEST(CaptureOptions, DefaultsAndOutputKinds) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--out", "demo.mp4"}, &o, &error)) << error;
    EXPECT_EQ(o.kind, OutputKind::video);
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.fps.num, 60);
    EXPECT_EQ(o.from, 0);
    EXPECT_EQ(o.to, showEnd);
    EXPECT_EQ(o.frameCount, int64_t(showEnd) * 60);  // 1/120 s .. a 120th before the end
    EXPECT_EQ(o.samples, 1);
    EXPECT_EQ(o.crf, -1);
    EXPECT_FALSE(o.lossless);

    ASSERT_TRUE(parse({"--out=frames", "--fps", "60000/1001", "--size=1440x1080"}, &o, &error)) << error;
    EXPECT_EQ(o.kind, OutputKind::folder);
    EXPECT_EQ(o.fps.num, 60000);
    EXPECT_EQ(o.fps.den, 1001);
    EXPECT_EQ(o.frameCount, int64_t(std::floor(showEnd * 60000 / 1001)));
    EXPECT_EQ(o.width, 1440);

    ASSERT_TRUE(parse({"--time", "21", "--out", "x.PNG"}, &o, &error)) << error;
    EXPECT_EQ(o.kind, OutputKind::picture);
    EXPECT_TRUE(o.single);
    EXPECT_EQ(o.time, 21);

    // A span given in tenths still counts every frame at 10 fps.
    ASSERT_TRUE(parse({"--from", "21", "--to", "22.1", "--fps", "10", "--out", "f.webm"}, &o, &error)) << error;
    EXPECT_EQ(o.frameCount, 11);

    ASSERT_TRUE(parse({"--aa", "4", "--crf", "63", "--out", "f.webm"}, &o, &error)) << error;
    EXPECT_EQ(o.samples, 4);
    EXPECT_EQ(o.crf, 63);
    ASSERT_TRUE(parse({"--lossless", "--out", "f.MKV", "--aa", "16"}, &o, &error)) << error;
    EXPECT_TRUE(o.lossless);
    EXPECT_EQ(o.samples, 16);
}

TEST(CaptureOptions, HelpAndVersionGoToStdoutAndEndWithZero) {
    const std::string version = std::string("vorrend-capture ") + vorrendVersion + "\n";
    const std::vector<std::pair<const char*, std::string>> cases = {{"--help", "Usage: vorrend-capture [options]"},
                                                                    {"-h", "Usage: vorrend-capture [options]"},
                                                                    {"--version", version},
                                                                    {"-V", version}};
    for (const auto& [flag, start] : cases) {
        CaptureOptions o;
        std::string out, err;
        // Before any other fault on the line.
        EXPECT_EQ(parse({"--out", "a.avi", flag}, &o, &out, &err), 0) << flag;
        EXPECT_EQ(err, "") << flag;
        EXPECT_EQ(out.rfind(start, 0), 0u) << out;
    }
    CaptureOptions o;
    std::string out, err;
    parse({"--help"}, &o, &out, &err);
    EXPECT_NE(out.find("--data DIR"), std::string::npos) << out;
}

// Every refusal is exit 2 with one line naming what is wrong, then the usage.
TEST(CaptureOptions, BadArgumentsAreRefusedWithAReason) {
    const std::string end = std::to_string(showEnd), pastEnd = std::to_string(showEnd + 0.5f);
    const std::vector<std::vector<const char*>> bad = {
        {},                                       // no --out
        {"--out"},                                // no value
        {"--out", "a.mp4", "--size", "640x400"},  // not 4:3
        {"--out", "a.mp4", "--size", "640"},      // no height
        {"--out", "a.mp4", "--size", "0x0"},
        {"--out", "a.mp4", "--size", "-640x-480"},
        {"--out", "a.mp4", "--size", "20x15"},                // odd height for a video
        {"--out", "a.mp4", "--size", "999999996x749999997"},  // 4:3, far too large; width * 3 overflows an int
        {"--out", "a.mp4", "--fps", "0"},
        {"--out", "a.mp4", "--fps", "29.97"},
        {"--out", "a.mp4", "--fps", "60/0"},
        {"--out", "a.mp4", "--fps", "5000"},
        {"--out", "a.mp4", "--from", "-1"},
        {"--out", "a.mp4", "--to", pastEnd.c_str()},
        {"--out", "a.mp4", "--from", "30", "--to", "30"},
        {"--out", "a.mp4", "--from", "30", "--to", "20"},
        {"--out", "a.mp4", "--from", "30", "--to", "30.01"},  // shorter than one frame
        {"--out", "a.mp4", "--from", "abc"},
        {"--out", "a.png"},  // a picture needs --time
        {"--time", "21", "--out", "a.mp4"},
        {"--time", "0", "--out", "a.png"},
        {"--time", "1e-300", "--out", "a.png"},  // 0 on the demo's float clock
        {"--time", pastEnd.c_str(), "--out", "a.png"},
        {"--time", "21", "--from", "20", "--out", "a.png"},
        {"--out", "a.mp4", "--speed", "2"},
        {"--out", "a.mp4", "--aa", "0"},
        {"--out", "a.mp4", "--aa", "65"},
        {"--out", "a.mp4", "--aa", "4x"},
        {"--out", "a.mp4", "--crf", "52"},  // beyond x264's scale, within VP9's
        {"--out", "a.webm", "--crf", "64"},
        {"--out", "a.mp4", "--crf", "-1"},
        {"--out", "frames", "--crf", "20"},
        {"--out", "frames", "--lossless"},
        {"--time", "21", "--out", "a.png", "--lossless"},
        {"--out", "a.webm", "--lossless"},
        {"--out", "a.mkv", "--lossless", "--crf", "0"},
        {"--out", "a.mp4", "stray"},
        {"--out", "a.avi"},  // not a video it writes, and no folder anybody means
        {"--out", "frames", "--data"},
    };
    for (const auto& args : bad) {
        CaptureOptions o;
        std::string out, err;
        std::string shown;
        for (const char* a : args) shown += std::string(a) + " ";
        EXPECT_EQ(parse(args, &o, &out, &err), 2) << shown;
        EXPECT_EQ(out, "") << shown;
        const size_t lineEnd = err.find('\n');
        ASSERT_NE(lineEnd, std::string::npos) << shown;
        EXPECT_EQ(err.rfind("vorrend-capture: ", 0), 0u) << err;
        EXPECT_GT(lineEnd, std::strlen("vorrend-capture: ")) << shown;
        EXPECT_EQ(err.substr(lineEnd + 1), "Try 'vorrend-capture --help' for more information.\n") << err;
    }
    // A --from at or past the end is named as such, not as a --to before it.
    for (const char* from : {"1e308", end.c_str()}) {
        CaptureOptions o;
        std::string out, err;
        parse({"--out", "a.mp4", "--from", from}, &o, &out, &err);
        EXPECT_EQ(err.find("vorrend-capture: --from must lie from 0 to before 145 seconds"), 0u) << err;
    }
    // Odd sizes are fine for pictures and folders of frames.
    CaptureOptions o;
    std::string error;
    EXPECT_TRUE(parse({"--out", "frames", "--size", "20x15"}, &o, &error)) << error;
    EXPECT_TRUE(parse({"--time", end.c_str(), "--size", "20x15", "--out", "a.png"}, &o, &error)) << error;
    EXPECT_TRUE(parse({"--to", end.c_str(), "--out", "a.mp4"}, &o, &error)) << error;
    // A folder named with a dot: by a trailing slash, or one that is there already.
    ASSERT_TRUE(parse({"--out", "frames.avi/", "--data", "elsewhere"}, &o, &error)) << error;
    EXPECT_EQ(o.kind, OutputKind::folder);
    EXPECT_EQ(o.data, "elsewhere");
    EXPECT_TRUE(parse({"--out", "."}, &o, &error)) << error;
    EXPECT_EQ(o.kind, OutputKind::folder);
}

TEST(CaptureHistory, FullHistoryIsEveryGridFrameBeforeTheFirstShown) {
    FrameRate fps{10, 1};
    std::vector<PlannedFrame> frames = fullHistory(fps, 2.15);  // frames 0.05 .. 2.05
    ASSERT_EQ(frames.size(), 21u);
    EXPECT_FLOAT_EQ(frames.front().time, 0.05f);
    EXPECT_FLOAT_EQ(frames.back().time, 2.05f);
    EXPECT_EQ(frames.front().musicSeconds, 0.0);  // the music starts with the first frame
    EXPECT_NEAR(frames.back().musicSeconds, 2.0, 1e-12);
    EXPECT_TRUE(frames.front().quiet);
    EXPECT_FALSE(frames.back().quiet);  // its picture may be shown
    EXPECT_EQ(fullHistory(fps, 2.1).size(), 21u);
    EXPECT_TRUE(fullHistory(fps, 0.05).empty());
    EXPECT_TRUE(fullHistory(fps, 0.01).empty());
    // --time T hears the music from half a frame before T, where its interval starts.
    EXPECT_NEAR(musicSecondsAt(fps, 2.1), 2.05, 1e-12);
    EXPECT_EQ(musicSecondsAt(fps, 0.01), 0.0);
}

TEST(CaptureHistory, ShortHistoryKeepsEachWindowsLastFrameAndTheTwoBeforeTheTarget) {
    FrameRate fps{60, 1};
    const double target = windowOf(Scene::ship, 1).from + 4.0 + 0.5 / 60;
    std::vector<PlannedFrame> frames = shortHistory(fps, target);
    std::vector<float> times;
    for (const PlannedFrame& f : frames) times.push_back(f.time);
    // The grid frame half a 60th before each earlier window closes, then the two
    // before the target.
    std::vector<float> expected;
    for (const TimelineWindow& w : timeline)
        if (w.to < target) expected.push_back(float((w.to * 60.0 - 0.5) / 60.0));
    expected.push_back(float((target * 60 - 2) / 60.0));
    expected.push_back(float((target * 60 - 1) / 60.0));
    ASSERT_EQ(expected.size(), timelineRows + 1);
    EXPECT_EQ(times, expected);
    EXPECT_FALSE(frames.back().quiet);
    for (size_t i = 0; i + 1 < frames.size(); ++i) EXPECT_TRUE(frames[i].quiet);
    // Inside the first window there is nothing earlier to keep.
    ASSERT_EQ(shortHistory(fps, 0.5).size(), 2u);
    EXPECT_EQ(shortHistory(fps, 0.5 / 60).size(), 0u);
    // 60000/1001: the last frame of the Opening window falls between grid steps
    // (1198.5 / 59.94 = 19.995 s for a 20 s window).
    const double lastOpening = std::floor(windowOf(Scene::opening).to * 60000 / 1001 - 0.5);
    frames = shortHistory({60000, 1001}, windowOf(Scene::gallery).from + 5.0);
    ASSERT_GE(frames.size(), 3u);
    EXPECT_NEAR(frames[0].time, (lastOpening + 0.5) * 1001 / 60000.0, 1e-5);
    EXPECT_NEAR(frames[0].musicSeconds, lastOpening * 1001 / 60000.0, 1e-9);
}

// Frame i shows the middle of its interval, so at the usual rates no frame of a
// whole run, of a span from a window's bound, or of the history before it, lands
// on a bound of the timeline or a time where a scene switches; the frames still
// fill the span from its start and end within one frame of its end.
TEST(CaptureHistory, AtTheUsualRatesNoFrameLandsOnABound) {
    std::vector<float> bounds(std::begin(sceneSwitchTimes), std::end(sceneSwitchTimes));
    for (const TimelineWindow& w : timeline) bounds.insert(bounds.end(), {w.from, w.to});
    bounds.push_back(showEnd);
    std::vector<double> froms = {0};
    for (const TimelineWindow& w : timeline) froms.push_back(w.from);
    const FrameRate rates[] = {{24, 1}, {25, 1}, {30, 1}, {50, 1}, {60, 1}, {60000, 1001}, {120, 1}, {144, 1}};
    for (const FrameRate& fps : rates) {
        const std::string rate = std::to_string(fps.num) + "/" + std::to_string(fps.den);
        for (double from : froms) {
            CaptureOptions o;
            std::string error;
            const std::string fromText = std::to_string(from);
            ASSERT_TRUE(parse({"--fps", rate.c_str(), "--from", fromText.c_str(), "--out", "a.mkv"}, &o, &error))
                << error;
            const double span = showEnd - from, frame = fps.seconds(1);
            EXPECT_LE(fps.seconds(o.frameCount), span + 1e-9);
            EXPECT_GT(fps.seconds(o.frameCount), span - frame);
            std::vector<PlannedFrame> frames = shortHistory(fps, from + frame / 2);
            for (int64_t i = 0; i < o.frameCount; ++i) frames.push_back(spanFrame(fps, from, i));
            EXPECT_FLOAT_EQ(frames[frames.size() - o.frameCount].time, float(from + frame / 2));
            EXPECT_NEAR(frames.back().musicSeconds, from + fps.seconds(o.frameCount - 1), 1e-9);
            int onBound = 0;
            for (const PlannedFrame& f : frames)
                onBound += std::find(bounds.begin(), bounds.end(), f.time) != bounds.end();
            EXPECT_EQ(onBound, 0) << rate << " from " << from;
        }
    }
}

namespace {
// The Ogg file with the rate field of its identification header (first page) set
// to rate, the page's checksum made good again.
std::string withOggRate(std::string bytes, uint32_t rate) {
    const size_t header = 27 + uint8_t(bytes[26]);
    for (int i = 0; i < 4; ++i) bytes[header + 12 + i] = char(rate >> (8 * i));
    ogg_page page;
    page.header = reinterpret_cast<unsigned char*>(&bytes[0]);
    page.header_len = long(header);
    page.body = reinterpret_cast<unsigned char*>(&bytes[header]);
    page.body_len = 0;
    for (size_t i = 0; i < header - 27; ++i) page.body_len += uint8_t(bytes[27 + i]);
    ogg_page_checksum_set(&page);
    return bytes;
}
}  // namespace

// The capture reads the soundtrack forward as it goes. Spectrum and sound must be
// exactly those of the whole file decoded at once, at any order of requests (going
// back reads the file again), while the stream is read only as far as asked and
// holds a short window.
TEST(CaptureSound, StreamedSpectrumAndSoundAreTheWholeDecodesHoldingAShortWindow) {
    ScratchDir dir;
    const std::string path = dir.file("music.ogg");
    ASSERT_TRUE(writeTestOgg(
        path, 12.0, [](int64_t f, int c) { return float(std::sin(f * (0.01 + 0.003 * c))); }, 2, 8000));
    DecodedSound whole;
    ASSERT_TRUE(decodeOggFile(path, &whole));
    const std::vector<float> mono = mixToMono(whole);
    Soundtrack sound;
    std::string why;
    ASSERT_TRUE(openSoundtrack(path, &sound, &why)) << why;
    EXPECT_EQ(sound.readUpTo(), 0);

    // Forward in small steps, across the end, then back.
    std::vector<double> times;
    for (double t = 0; t < 13; t += 0.37) times.push_back(t);
    times.insert(times.end(), {0.03, 11.99, 5.0});
    size_t mostHeld = 0;
    for (double t : times) {
        const int64_t played = soundFramesIn(sound, t);
        float streamed[256], expected[256];
        spectrumAt(sound, t, streamed);
        spectrumOfPlayed(mono, played, expected);
        EXPECT_EQ(std::memcmp(streamed, expected, sizeof streamed), 0) << "spectrum at " << t;
        EXPECT_LE(sound.readUpTo(), played + 4096) << "read too far for " << t;

        std::vector<int16_t> pcm;
        soundPcm16(sound, played, 300, &pcm);
        int wrong = 0;
        for (int64_t i = 0; i < 300 * 2; ++i) {
            float v = played * 2 + i < int64_t(whole.samples.size()) ? whole.samples[size_t(played * 2 + i)] : 0.0f;
            wrong += pcm[size_t(i)] != int16_t(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
        }
        EXPECT_EQ(wrong, 0) << "sound at " << t;
        mostHeld = std::max(mostHeld, sound.samples.size() / 2);
    }
    EXPECT_LT(mostHeld, 50000u) << "the window grew with the soundtrack";

    // A header claiming a rate no capture can carry is refused with its reason, as
    // is a file that is not Ogg at all.
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    dir.write("huge-rate.ogg", withOggRate(bytes, 2000000000u));
    EXPECT_FALSE(openSoundtrack(dir.file("huge-rate.ogg"), &sound, &why));
    EXPECT_NE(why.find("2000000000 Hz"), std::string::npos) << why;
    EXPECT_FALSE(sound.present);
    dir.write("text.ogg", "not a soundtrack");
    EXPECT_FALSE(openSoundtrack(dir.file("text.ogg"), &sound, &why));
    EXPECT_EQ(why, "not an Ogg Vorbis file");
}

// This binary holds no other context, so the failed display's teardown touches
// nothing. EGL_BAD_PARAMETER is 0x300C, as EGL's headers and manuals write it.
TEST(CaptureRenderer, ContextThatCannotBeHadNamesTheEglErrorInHex) {
    std::string error;
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();  // Mesa's driver keeps 128 bytes of the failed display: not ours to free
#endif
    EXPECT_EQ(createOffscreenGL(-1, 480, &error), nullptr);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    EXPECT_NE(error.find("(EGL error 0x300C)"), std::string::npos) << error;
}
