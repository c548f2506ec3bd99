// vorrend-capture from the command line, checked against the demo's own frame loop
// run in this process.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "capture.h"
#include "capture_cli.h"
#include "gl_test.h"
#include "platform/headless/headless.h"
#include "platform/offscreen.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/manifest.h"
#include "runtime/timeline.h"
#include "runtime/timeline_table.h"
#include "scenes/scenes.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"

namespace fs = std::filesystem;

namespace {

constexpr int width = 160, height = 120;

// A whole run at 10 frames per second, every frame drawn in full: frame k (from 0)
// shows the middle of its tenth of a second, (k + 1/2)/10, and hears the music from
// k/10. The pictures at the frames asked for. Written independently of the tool's
// own frame plans.
std::map<int64_t, Picture> referenceFrames(const std::vector<int64_t>& wanted) {
    std::map<int64_t, Picture> pictures;
    std::string error;
    OffscreenGL* gl = createOffscreenGL(width, height, &error);
    EXPECT_NE(gl, nullptr) << error;
    if (!gl) return pictures;
    headlessSetPictureSize(width, height);
    inDirectory(captureDataDir(), [] { loadAssets(createDemoWindow("Vorrend - Grumla 2", width, height, true)); });
    DecodedSound sound;
    EXPECT_TRUE(decodeOggFile(captureDataDir() + "/" + dataPath(soundtrackFile), &sound));
    std::vector<float> mono = mixToMono(sound);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    int64_t last = *std::max_element(wanted.begin(), wanted.end());
    for (int64_t k = 0; k <= last; ++k) {
        spectrumOfPlayed(mono, std::llround(k / 10.0 * sound.rate), musicSpectrum);
        drawFrameAt(float((k + 0.5) / 10.0));
        if (std::find(wanted.begin(), wanted.end(), k) == wanted.end()) continue;
        Picture& p = pictures[k];
        p.width = width;
        p.height = height;
        p.rgb.resize(size_t(width) * height * 3);
        std::vector<uint8_t> rgba(size_t(width) * height * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    p.rgb[(size_t(y) * width + x) * 3 + c] = rgba[(size_t(height - 1 - y) * width + x) * 4 + c];
    }
    destroyOffscreenGL(gl);
    return pictures;
}

std::string size() { return std::to_string(width) + "x" + std::to_string(height); }

// Picture differences are reported by count, not dumped byte by byte.
int differingBytes(const Picture& a, const Picture& b) {
    if (a.rgb.size() != b.rgb.size()) return -1;
    int count = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) count += a.rgb[i] != b.rgb[i];
    return count;
}

std::map<std::string, std::vector<std::string>> probe(const std::string& file) {
    std::map<std::string, std::vector<std::string>> fields;
    ScratchDir dir;
    std::string listing = dir.file("probe.txt");
    std::string command =
        "ffprobe -v error -show_entries "
        "stream=codec_type,width,height,r_frame_rate,nb_read_frames,duration:format=duration "
        "-count_frames -of default=noprint_wrappers=1 '" +
        file + "' > '" + listing + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) fields[line.substr(0, eq)].push_back(line.substr(eq + 1));
    }
    return fields;
}

// The soundtrack's sample frames first .. first + count - 1 as a capture writes them.
std::vector<int16_t> soundtrackPcm(int64_t first, int64_t count) {
    static DecodedSound sound;
    if (sound.samples.empty()) {
        EXPECT_TRUE(decodeOggFile(captureDataDir() + "/" + dataPath(soundtrackFile), &sound));
    }
    std::vector<int16_t> pcm;
    for (int64_t i = first; i < first + count; ++i) {
        float v = i < int64_t(sound.samples.size()) ? std::clamp(sound.samples[size_t(i)], -1.0f, 1.0f) : 0.0f;
        pcm.push_back(int16_t(std::lrint(v * 32767.0f)));
    }
    return pcm;
}

// Differences between two sample runs by count; -1 when their lengths differ.
int differingSamples(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
    return count;
}

// What ffmpeg decodes a file's stream to: "v" as rgb24 pictures, "a" as the capture
// test soundtrack's 16-bit mono.
std::string decoded(const std::string& file, const char* stream) {
    ScratchDir dir;
    const std::string raw = dir.file("raw");
    const std::string format = stream[0] == 'v' ? "-f rawvideo -pix_fmt rgb24" : "-f s16le -ac 1";
    const std::string command = "ffmpeg -v error -i '" + file + "' -map 0:" + stream + " " + format + " '" + raw + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(raw, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<int16_t> asSamples(const std::string& bytes, size_t from = 0) {
    std::vector<int16_t> samples;
    for (size_t i = from; i + 1 < bytes.size(); i += 2)
        samples.push_back(int16_t(uint16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8)));
    return samples;
}

}  // namespace

// The picture at T is a whole run's after the frames that lead up to T, whichever
// scene window T falls in, just after a window opens, and exactly on a bound (where
// nothing is drawn and the previous frame stays). The music-driven scenes also show
// that the spectrum is taken at the right moment. Every other picture is asked for
// with --aa 1, which must change nothing.
TEST(CaptureCommandLine, PictureAtAnyTimeIsAWholeRunsAfterItsFrameHistory) {
    // Inside each scene, the first frame of each later window (which finds the
    // previous scene's state), the Ship's 47 s without a camera, the music-driven
    // Treasure room and Torus, then the bounds the Opening and the Gallery close on
    // and the end of the show, which show the frame before.
    struct Case {
        double time;
        int64_t frame;  // the reference frame it shows
    };
    std::vector<Case> cases;
    for (int64_t k : {50, 210, 469, 800, 1000, 1160, 1310}) cases.push_back({(k + 0.5) / 10, k});
    cases.push_back({shipFarCameraFrom, -1});
    for (size_t w = 1; w < timelineRows; ++w) {
        int64_t k = std::lround(timeline[w].from * 10);
        cases.push_back({(k + 0.5) / 10, k});
    }
    for (float bound : {timeline[0].to, timeline[1].to, showEnd}) cases.push_back({bound, std::lround(bound * 10) - 1});
    std::vector<int64_t> frames;
    for (const Case& c : cases)
        if (c.frame >= 0) frames.push_back(c.frame);
    std::map<int64_t, Picture> reference = referenceFrames(frames);
    ScratchDir out;
    std::vector<std::vector<std::string>> runs;
    for (size_t i = 0; i < cases.size(); ++i) {
        runs.push_back({"--size", size(), "--fps", "10", "--time", timeText(cases[i].time), "--out",
                        out.file(std::to_string(i) + ".png")});
        if (i % 2) runs.back().insert(runs.back().begin(), {"--aa", "1"});
    }
    std::vector<ProcessResult> results = runCaptures(runs, captureDataDir());
    Picture noCamera;
    for (size_t i = 0; i < cases.size(); ++i) {
        ASSERT_EQ(results[i].exitCode, 0) << results[i].errorText;
        EXPECT_EQ(results[i].errorText, "") << "a picture capture prints nothing on success";
        Picture picture;
        ASSERT_TRUE(readPngFile(runs[i].back(), &picture)) << runs[i].back();
        if (cases[i].frame < 0) {
            noCamera = picture;
            continue;
        }
        EXPECT_EQ(differingBytes(picture, reference[cases[i].frame]), 0) << "at " << cases[i].time << " s";
    }
    // The pictures differ from scene to scene, or the checks above would prove little;
    // at 47 s, where the Ship has no camera, the picture is unlike its neighbours'.
    EXPECT_FALSE(reference[210] == reference[1000]);
    EXPECT_FALSE(reference[1060] == reference[1160]);
    EXPECT_GT(differingBytes(noCamera, reference[469]), int(noCamera.rgb.size() / 4));
}

TEST(CaptureCommandLine, FolderSpanHasAFramePerStepEqualToSinglePicturesAndTheSoundtrackSpan) {
    ScratchDir out;
    std::string folder = out.file("frames");
    // Eight seconds: the soundtrack is read and written in many pieces.
    ProcessResult run =
        runCapture({"--size", size(), "--fps", "2", "--from", "21", "--to", "29", "--out", folder}, captureDataDir());
    ASSERT_EQ(run.exitCode, 0) << run.errorText;
    EXPECT_NE(run.errorText.find("16 frames"), std::string::npos) << run.errorText;  // the summary line

    // Sixteen frames and the soundtrack, nothing else (no temporaries).
    std::vector<std::string> names = folderListing(folder);
    ASSERT_EQ(names.size(), 17u);
    EXPECT_EQ(names.front(), "frame-000001.png");
    EXPECT_EQ(names[15], "frame-000016.png");
    EXPECT_EQ(names.back(), "soundtrack.wav");
    std::vector<std::vector<std::string>> runs;
    for (int i = 1; i <= 16; ++i)
        runs.push_back({"--size", size(), "--fps", "2", "--time", timeText(21 + (i - 0.5) / 2), "--out",
                        out.file("single-" + std::to_string(i) + ".png")});
    std::vector<ProcessResult> results = runCaptures(runs, captureDataDir());
    for (int i = 1; i <= 16; ++i) {
        Picture frame, single;
        ASSERT_TRUE(readPngFile(folder + "/" + frameName(i), &frame)) << frameName(i);
        ASSERT_EQ(results[i - 1].exitCode, 0) << results[i - 1].errorText;
        ASSERT_TRUE(readPngFile(runs[i - 1].back(), &single));
        EXPECT_EQ(differingBytes(frame, single), 0) << frameName(i);
    }

    // The WAV is the soundtrack from 21 s to 29 s, to the sample.
    std::ifstream wav(folder + "/soundtrack.wav", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(wav)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44u + 8 * captureSoundRate * 2);
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
               uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
    };
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(4), bytes.size() - 8);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(24), uint32_t(captureSoundRate));
    EXPECT_EQ(u32(40), uint32_t(8 * captureSoundRate * 2));
    EXPECT_EQ(differingSamples(asSamples(bytes, 44), soundtrackPcm(21 * captureSoundRate, 8 * captureSoundRate)), 0);
}

// A span's frames are drawn into a ring of framebuffers and read back on another
// thread, and are the single pictures all the same: a first frame exactly on a bound
// (it draws nothing and shows the frame before it), and antialiased frames.
TEST(CaptureCommandLine, SpanFramesOnABoundAndAntialiasedAreTheSinglePictures) {
    struct Case {
        std::vector<std::string> options;
        double from, to;
    };
    ScratchDir out;
    for (const Case& c : {Case{{}, 19.95, 20.15}, Case{{"--aa", "4"}, 46.95, 47.15}}) {
        std::vector<std::string> args = {"--size",         size(), "--fps",        "10",    "--from",
                                         timeText(c.from), "--to", timeText(c.to), "--out", out.file("span")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::vector<std::vector<std::string>> runs = {args};
        for (int i = 0; i < 2; ++i) {
            runs.push_back({"--size", size(), "--fps", "10", "--time", timeText(c.from + (i + 0.5) / 10), "--out",
                            out.file(std::to_string(i) + ".png")});
            runs.back().insert(runs.back().end(), c.options.begin(), c.options.end());
        }
        std::vector<ProcessResult> results = runCaptures(runs, captureDataDir());
        for (const ProcessResult& r : results) ASSERT_EQ(r.exitCode, 0) << r.errorText;
        for (int i = 0; i < 2; ++i) {
            Picture frame, single;
            ASSERT_TRUE(readPngFile(out.file("span/" + frameName(i + 1)), &frame));
            ASSERT_TRUE(readPngFile(out.file(std::to_string(i) + ".png"), &single));
            EXPECT_EQ(differingBytes(frame, single), 0) << "frame " << i + 1 << " from " << c.from;
        }
        fs::remove_all(out.file("span"));
    }
}

// A lossless video decodes to exactly the frames a folder capture of the same span
// holds, and to exactly the soundtrack from --from on.
TEST(CaptureCommandLine, LosslessVideoDecodesToTheFolderFramesAndTheSoundtrack) {
    ScratchDir out;
    const std::vector<std::string> span = {"--size", size(), "--fps", "10", "--from", "60", "--to", "63"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), span.begin(), span.end());
        return more;
    };
    std::vector<ProcessResult> results =
        runCaptures({with({"--out", out.file("frames")}), with({"--lossless", "--out", out.file("archive.mkv")}),
                     with({"--lossless", "--out", out.file("archive.mp4")})},
                    captureDataDir());
    for (const ProcessResult& r : results) ASSERT_EQ(r.exitCode, 0) << r.errorText;
    std::string frames;
    for (int i = 1; i <= 30; ++i) {
        Picture frame;
        ASSERT_TRUE(readPngFile(out.file("frames/" + frameName(i)), &frame)) << frameName(i);
        frames.append(frame.rgb.begin(), frame.rgb.end());
    }
    const std::vector<int16_t> soundtrack = soundtrackPcm(60 * captureSoundRate, 3 * captureSoundRate);
    for (const char* video : {"archive.mkv", "archive.mp4"}) {
        const std::string pictures = decoded(out.file(video), "v");
        EXPECT_EQ(pictures.size(), frames.size()) << video;
        EXPECT_TRUE(pictures == frames) << video << ": the pictures are not the folder's";
        EXPECT_EQ(differingSamples(asSamples(decoded(out.file(video), "a")), soundtrack), 0) << video;
    }
}

// Names that look like a protocol or an option are files all the same, named as given
// and nothing else left beside them. x264 writes its settings into the stream, which
// shows the quality asked for.
TEST(CaptureCommandLine, VideoHasTheSpansDurationRateSizeAndAnAudioTrack) {
    const std::string work = folderWithData();
    struct Case {
        const char* file;
        const char* fps;
        const char* to;
        int frames;
        const char* rate;
        std::vector<std::string> quality;
        const char* setting;  // in x264's settings
    };
    for (const Case& c : {Case{"-dash.mp4", "60000/1001", "21.5", 29, "60000/1001", {"--crf", "23"}, "crf=23.0"},
                          Case{"pipe:1.mkv", "30", "22", 30, "30/1", {}, "crf=18.0"},
                          Case{"a:b.webm", "30", "21.5", 15, "30/1", {}, ""},
                          Case{"lossless.mp4", "30", "21.5", 15, "30/1", {"--lossless"}, "qp=0"}}) {
        std::vector<std::string> args = {"--size", size(), "--fps", c.fps,   "--from",
                                         "21",     "--to", c.to,    "--out", c.file};
        args.insert(args.end(), c.quality.begin(), c.quality.end());
        ProcessResult run = runCapture(args, work);
        ASSERT_EQ(run.exitCode, 0) << run.errorText;
        std::vector<std::string> only = {c.file, "data"};
        std::sort(only.begin(), only.end());
        EXPECT_EQ(folderListing(work), only);
        std::ifstream in(work + "/" + c.file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(bytes.find(c.setting), std::string::npos) << c.file << " lacks " << c.setting;
        auto fields = probe(work + "/" + c.file);
        fs::remove(work + "/" + c.file);  // out of the next case's listing
        ASSERT_EQ(fields["codec_type"].size(), 2u) << c.file;
        EXPECT_EQ(fields["codec_type"][0], "video");
        EXPECT_EQ(fields["codec_type"][1], "audio");
        EXPECT_EQ(fields["width"][0], std::to_string(width));
        EXPECT_EQ(fields["height"][0], std::to_string(height));
        EXPECT_EQ(fields["r_frame_rate"][0], c.rate);
        EXPECT_EQ(fields["nb_read_frames"][0], std::to_string(c.frames));
        double expected = c.frames / (c.rate == std::string("30/1") ? 30.0 : 60000 / 1001.0);
        ASSERT_EQ(fields["duration"].size(), 3u);  // video, audio, file
        EXPECT_NEAR(std::stod(fields["duration"][2]), expected, 0.05) << c.file;
    }
}

// A disk that fills up (here a file-size limit: writes past it fail): exit 1 with the
// reason, the file that had the name before untouched, nothing left beside it. The
// frames a folder capture had written go again, and so does the folder it made.
// ffmpeg itself may exit 0 with a cut video (webm): reading it back tells.
TEST(CaptureCommandLine, FailedWritesExitOneLeavingTheOldFileAndNoDebris) {
    const std::string work = folderWithData();
    const std::string old = "the earlier file";
    const struct {
        std::vector<std::string> args;
        long limit;
        const char* message;
    } cases[] = {
        {{"--size", "640x480", "--time", "21", "--out", "old.png"}, 1000, "cannot write old.png: File too large"},
        {{"--fps", "10", "--from", "21", "--to", "24", "--out", "old.mkv"}, 8000, "video"},
        {{"--fps", "10", "--from", "21", "--to", "24", "--out", "old.webm"}, 8000, "video"},
        {{"--fps", "10", "--from", "21", "--to", "24", "--out", "old.mp4"}, 8000, "video"},
        // The soundtrack fills up after a few frames were written.
        {{"--fps", "10", "--from", "21", "--to", "24", "--out", "frames"}, 8000, "soundtrack.wav: File too large"},
    };
    for (const auto& c : cases) {
        const std::string out = work + "/" + c.args.back();
        if (c.args.back() != "frames") std::ofstream(out) << old;
        std::vector<std::string> args = {"--size", size()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProcessResult run = runCapture(args, work, "", nullptr, c.limit);
        EXPECT_EQ(run.exitCode, 1) << c.args.back() << ": " << run.errorText;
        EXPECT_NE(run.errorText.find(c.message), std::string::npos) << run.errorText;
        std::vector<std::string> before = {"data"};
        if (c.args.back() != "frames") {
            std::ifstream in(out);
            std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_TRUE(kept == old) << c.args.back() << " was replaced";
            before.push_back(c.args.back());
            std::sort(before.begin(), before.end());
        }
        EXPECT_EQ(folderListing(work), before) << c.args.back();
        fs::remove_all(out);
    }
}

namespace {
// The size of the file being written under a temporary name beside `name`, 0 while
// there is none.
uintmax_t stagedSize(const std::string& folder, const std::string& name) {
    for (const std::string& entry : folderListing(folder))
        if (entry.rfind("." + name + ".", 0) == 0) {
            std::error_code ec;
            uintmax_t size = fs::file_size(folder + "/" + entry, ec);
            return ec ? 1 : std::max<uintmax_t>(size, 1);
        }
    return 0;
}
}  // namespace

// Ctrl+C keeps what was captured, complete and under its final name: the video
// playable (ffprobe reads it back before it is kept), a folder's frames with their
// soundtrack cut to match. Before the first frame there is nothing to keep, and
// nothing is left: no video, no soundtrack, no folder the capture made.
TEST(CaptureCommandLine, InterruptedVideoIsPlayableWithWhatWasCaptured) {
    ScratchDir out;
    std::string video = out.file("whole.mp4");
    ProcessResult run = runCapture({"--size", size(), "--out", video}, captureDataDir(), "",
                                   [&] { return stagedSize(out.path(), "whole.mp4") > 20000; });
    EXPECT_EQ(run.exitCode, 130) << run.errorText;
    EXPECT_NE(run.errorText.find("interrupted"), std::string::npos) << run.errorText;
    EXPECT_EQ(folderListing(out.path()), std::vector<std::string>{"whole.mp4"});
    auto fields = probe(video);
    ASSERT_EQ(fields["codec_type"].size(), 2u);
    int frames = std::stoi(fields["nb_read_frames"][0]);
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, 8700);
    // Pictures and sound stop together.
    ASSERT_EQ(fields["duration"].size(), 3u);
    EXPECT_NEAR(std::stod(fields["duration"][0]), frames / 60.0, 0.02);
    EXPECT_NEAR(std::stod(fields["duration"][1]), frames / 60.0, 0.05);

    std::string folder = out.file("frames");
    run = runCapture({"--size", size(), "--fps", "10", "--out", folder}, captureDataDir(), "", [&] {
        std::error_code ec;
        return fs::exists(folder + "/frame-000005.png", ec);
    });
    EXPECT_EQ(run.exitCode, 130) << run.errorText;
    int pictures = 0;
    for (const std::string& name : folderListing(folder)) {
        if (name == "soundtrack.wav") continue;
        Picture picture;
        EXPECT_TRUE(readPngFile(folder + "/" + name, &picture)) << name;
        ++pictures;
    }
    EXPECT_GE(pictures, 5);
    EXPECT_LT(pictures, showEnd * 10);
    EXPECT_EQ(fs::file_size(folder + "/soundtrack.wav"), 44u + uintmax_t(pictures) * captureSoundRate / 10 * 2);

    // Stopped while the assets load: the outputs are staged by then.
    for (const char* name : {"early.mkv", "early"}) {
        ScratchDir empty;
        const std::string target = empty.file(name);
        run = runCapture({"--size", size(), "--from", "100", "--out", target}, captureDataDir(), "", [&] {
            return stagedSize(empty.path(), name) > 0 || stagedSize(target, "soundtrack.wav") > 0;
        });
        EXPECT_EQ(run.exitCode, 130) << name << ": " << run.errorText;
        EXPECT_NE(run.errorText.find("nothing captured"), std::string::npos) << run.errorText;
        EXPECT_EQ(folderListing(empty.path()), std::vector<std::string>{}) << name;
    }
}

// Usage errors end with 2, failures at run time with 1, each with a clear message.
TEST(CaptureCommandLine, FailuresExitWithTheirCodeAndAClearMessage) {
    ScratchDir out, empty;
    fs::create_directories(empty.file("elsewhere"));
    out.write("plain-file", "x");
    out.write("earlier/frame-000001.png", "an earlier capture's");
    struct Case {
        std::vector<std::string> args;
        std::string dir, path;
        int code;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--size", "640x400", "--out", out.file("a.mp4")}, captureDataDir(), "", 2, "4:3"},
        {{"--time", "21", "--out", out.path() + "/"}, captureDataDir(), "", 2, "--out must name a .png"},
        {{"--out", out.file("a.avi")}, captureDataDir(), "", 2, ".avi is not a video"},
        {{"--time", "21", "--out", out.file("a.png"), "--data", empty.file("data")},
         captureDataDir(),
         "",
         1,
         "--data " + empty.file("data") + ": no such folder"},
        {{"--time", "21", "--out", out.file("no-such-folder/a.png")}, captureDataDir(), "", 1, "cannot write"},
        {{"--from", "21", "--to", "22", "--out", out.file("plain-file/frames")},
         captureDataDir(),
         "",
         1,
         "cannot make"},
        {{"--from", "21", "--to", "22", "--out", out.file("a.mp4")},
         captureDataDir(),
         empty.file("elsewhere"),
         1,
         "apt-get install ffmpeg"},
        {{"--from", "21", "--to", "22", "--out", out.file("no-such-folder/a.mp4")},
         captureDataDir(),
         "",
         1,
         "cannot write"},
        // Old frames and new ones would mix.
        {{"--from", "21", "--to", "22", "--out", out.file("earlier")},
         captureDataDir(),
         "",
         1,
         "already holds an earlier capture (frame-000001.png)"},
        // No renderer draws three samples a pixel; the message says what it offers.
        {{"--aa", "3", "--time", "21", "--out", out.file("a.png")}, captureDataDir(), "", 1, "--aa 3: this renderer"},
    };
    for (const Case& c : cases) {
        ProcessResult run = runCapture(c.args, c.dir, c.path);
        EXPECT_EQ(run.exitCode, c.code) << c.message;
        EXPECT_EQ(run.errorText.rfind("vorrend-capture: ", 0), 0u) << run.errorText;
        EXPECT_NE(run.errorText.find(c.message), std::string::npos) << run.errorText;
    }
    EXPECT_EQ(folderListing(out.file("earlier")), std::vector<std::string>{"frame-000001.png"});
}

// Started anywhere, it finds the data made beside it in the build tree, as an
// installed one finds its own.
TEST(CaptureCommandLine, FindsTheDataBesideItFromAnyFolder) {
#ifndef VORREND_BUILD_DIR
    GTEST_SKIP() << "this build makes no data";
#else
    ScratchDir elsewhere;
    ProcessResult run = runCapture({"--size", "64x48", "--time", "21", "--out", "x.png"}, elsewhere.path());
    ASSERT_EQ(run.exitCode, 0) << run.errorText;
    Picture here, beside;
    ASSERT_TRUE(readPngFile(elsewhere.file("x.png"), &here));
    run = runCapture({"--size", "64x48", "--time", "21", "--out", elsewhere.file("y.png")}, VORREND_BUILD_DIR);
    ASSERT_EQ(run.exitCode, 0) << run.errorText;
    ASSERT_TRUE(readPngFile(elsewhere.file("y.png"), &beside));
    EXPECT_TRUE(here == beside);
#endif
}

namespace {
// The green channel of a picture as readFrame gives it (BGRA rows) at (x, y).
int green(const std::vector<uint8_t>& picture, int x, int y) { return picture[(size_t(y) * width + x) * 4 + 1]; }
}  // namespace

// A known silhouette: white over black below the line from (0, 0.2 h) to (w, 0.8 h).
// With one sample a pixel its edge is a staircase of black and white; four samples
// a pixel, resolved, give the pixels the edge crosses shades in between, and each
// column's sum follows the exact covered height more closely.
TEST(CaptureRenderer, FourSamplesAPixelSoftenAnEdgeToItsCoverage) {
    struct Edge {
        int between = 0;         // pixels neither black nor white
        double columnError = 0;  // mean |column sum - covered height|, in pixels
    };
    std::map<int, Edge> edges;
    for (int samples : {1, 4}) {
        std::string error;
        OffscreenGL* gl = createOffscreenGL(width, height, &error);
        ASSERT_NE(gl, nullptr) << error;
        ASSERT_TRUE(startAntialiasing(width, height, samples, &error)) << error;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glVertex2f(-1, -1);
        glVertex2f(1, -1);
        glVertex2f(1, 0.6f);
        glVertex2f(-1, -0.6f);
        glEnd();
        std::vector<uint8_t> picture;
        readFrame(width, height, &picture);
        destroyOffscreenGL(gl);
        Edge& edge = edges[samples];
        for (int x = 0; x < width; ++x) {
            double sum = 0;
            for (int y = 0; y < height; ++y) {
                int g = green(picture, x, y);
                edge.between += g > 0 && g < 255;
                sum += g / 255.0;
            }
            edge.columnError += std::fabs(sum - height * (0.2 + 0.6 * (x + 0.5) / width)) / width;
        }
    }
    EXPECT_EQ(edges[1].between, 0);
    EXPECT_GT(edges[4].between, width / 2);
    EXPECT_LT(edges[4].columnError, edges[1].columnError * 0.6) << edges[1].columnError;

    // The tool itself: --aa 4 changes a Ship picture at its edges only.
    ScratchDir out;
    std::vector<ProcessResult> results =
        runCaptures({{"--size", size(), "--time", "40", "--out", out.file("1.png")},
                     {"--size", size(), "--aa", "4", "--time", "40", "--out", out.file("4.png")}},
                    captureDataDir());
    Picture one, four;
    ASSERT_EQ(results[1].exitCode, 0) << results[1].errorText;
    ASSERT_TRUE(readPngFile(out.file("1.png"), &one) && readPngFile(out.file("4.png"), &four));
    const int changed = differingBytes(one, four);
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, int(one.rgb.size() / 4));
}
