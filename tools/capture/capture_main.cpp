// vorrend-capture: renders the demo headless, frame-exact, to a PNG picture, a folder
// of PNG frames with the soundtrack, or a video encoded by ffmpeg.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "capture.h"
#include "runtime/data_folder.h"
#include "runtime/manifest.h"
#include "runtime/show.h"

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }

int failWith(const std::string& message) {
    std::fprintf(stderr, "vorrend-capture: %s\n", message.c_str());
    return 1;
}

// A file can be made at path: its folder exists and it is not itself a folder.
bool canCreateFile(const std::string& path, std::string* error) {
    fs::path target(path);
    fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        *error = "cannot write " + path + ": no folder " + folder.string();
        return false;
    }
    if (fs::is_directory(target, ec)) {
        *error = "cannot write " + path + ": it is a folder";
        return false;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        *error = "cannot write " + path + ": the folder is not writable";
        return false;
    }
    return true;
}

const char* noFfmpeg =
    "a video needs the ffmpeg program (and its ffprobe), which is not installed; install it with "
    "'sudo apt-get install ffmpeg', or capture to a folder of PNG frames instead";

// What a capture writes. Staged before anything is rendered, so that output problems
// show at once; nothing takes its final name before it is complete.
struct Output {
    StagedFile file;  // the picture or the video
    WavWriter wav;    // a folder's soundtrack
    std::string ffmpeg, ffprobe;
};

// Folders this run made, deepest first, removed again at exit when nothing was kept
// in them. At exit, also the temporaries of files not finished: start-up can end
// the process from inside loadAssets (a JPEG picture that cannot be read).
std::vector<std::string> madeFolders;
void removeLeftovers() {
    removeStagedLeftovers();
    for (const std::string& folder : madeFolders) rmdir(folder.c_str());
}

bool checkOutput(const CaptureOptions& o, Output* output, std::string* error) {
    if (o.kind == OutputKind::folder) {
        std::error_code ec;
        std::string found;
        // Old frames and new ones must never mix: a longer earlier capture would leave
        // its last frames after ours.
        if (holdsFrames(o.out, &found)) {
            *error = o.out + " already holds an earlier capture (" + found +
                     "); give a new or empty folder, or remove its frames first";
            return false;
        }
        for (fs::path folder = o.out; !folder.empty() && !fs::exists(folder, ec); folder = folder.parent_path())
            madeFolders.push_back(folder.string());
        fs::create_directories(o.out, ec);
        if (!fs::is_directory(o.out, ec)) {
            *error = "cannot make the folder " + o.out;
            return false;
        }
        return true;
    }
    if (o.kind == OutputKind::video) {
        output->ffmpeg = findProgram("ffmpeg");
        output->ffprobe = findProgram("ffprobe");
        if (output->ffmpeg.empty() || output->ffprobe.empty()) {
            *error = noFfmpeg;
            return false;
        }
    }
    return canCreateFile(o.out, error);
}

bool stageOutput(const CaptureOptions& o, const Soundtrack& sound, Output* output, std::string* error) {
    if (o.kind != OutputKind::folder) return stageFile(o.out, &output->file, error);
    int64_t soundFrames = soundFramesIn(sound, o.from + o.fps.seconds(o.frameCount)) - soundFramesIn(sound, o.from);
    return startWav((fs::path(o.out) / "soundtrack.wav").string(), sound.channels, sound.rate, soundFrames,
                    &output->wav, error);
}

std::string clockText(double seconds) {
    long s = long(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

struct Progress {
    bool terminal = isatty(STDERR_FILENO) != 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now(), lastShown = start;
    double elapsed() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); }
    void show(int64_t done, int64_t total) {
        if (!terminal) return;
        auto now = std::chrono::steady_clock::now();
        if (done < total && now - lastShown < std::chrono::milliseconds(250)) return;
        lastShown = now;
        double rate = done / std::max(elapsed(), 1e-6);
        std::fprintf(stderr, "\r  frame %lld of %lld   %.1f fps   %s left   ", (long long)done, (long long)total, rate,
                     clockText(rate > 0 ? (total - done) / rate : 0).c_str());
        std::fflush(stderr);
    }
    void summary(const std::string& line) { std::fprintf(stderr, "%s%s\n", terminal ? "\r\033[K" : "", line.c_str()); }
};

const char* nothingCaptured = "vorrend-capture: interrupted before the first frame; nothing captured\n";

int capturePicture(const CaptureOptions& o, Soundtrack& sound, Output& output) {
    std::string error;
    drawPictureAt(o.fps, o.time, heardIn(sound), &interrupted);
    if (interrupted) {
        std::fputs(nothingCaptured, stderr);
        return 130;
    }
    std::vector<uint8_t> picture;
    readFrame(o.width, o.height, &picture);
    if (!writePngTo(&output.file, o.width, o.height, picture.data(), 6, &error) || !commitFile(&output.file, &error))
        return failWith(error);
    return 0;
}

int captureSpan(const CaptureOptions& o, Soundtrack& sound, Output& output) {
    std::string error;
    // The sound of frame i is the music from A + i/fps to A + (i + 1)/fps.
    const int64_t soundStart = soundFramesIn(sound, o.from);
    auto soundFramesUpTo = [&](int64_t frames) {
        return soundFramesIn(sound, o.from + o.fps.seconds(frames)) - soundStart;
    };
    VideoEncoder* encoder = nullptr;
    WriteFrame write;
    if (o.kind == OutputKind::video) {
        encoder = startVideoEncoder(output.ffmpeg, &output.file, o.width, o.height, o.fps, {o.crf, o.lossless},
                                    sound.channels, sound.rate, &error);
        if (!encoder) return failWith(error);
        write = [encoder](CapturedFrame& frame, std::string* why) {
            if (frame.ringSlot >= 0 && !readRingFrame(&frame, why)) return false;
            if (writeVideoFrame(encoder, frame.picture.data(), frame.picture.size(), frame.sound)) return true;
            *why = "ffmpeg stopped taking frames";
            return false;
        };
    } else {
        // Fastest compression: a frame costs about as much to compress as to render.
        write = [&o, &output, number = int64_t(0)](CapturedFrame& frame, std::string* why) mutable {
            return (frame.ringSlot < 0 || readRingFrame(&frame, why)) &&
                   writePng(o.out + "/" + frameName(++number), o.width, o.height, frame.picture.data(), 1, why) &&
                   addWavFrames(&output.wav, frame.sound, why);
        };
    }
    // The writer hands frames to ffmpeg, or writes the PNG files and the WAV, while
    // the next frames render: a few frames in hand, within 256 MiB.
    const size_t pictureBytes = size_t(o.width) * size_t(o.height) * 4;
    const size_t depth = std::clamp<size_t>((256u << 20) / pictureBytes, 1, 4);
    // One more slot than frames the writer holds: the one being drawn. Without the
    // ring every frame is read back here, after it is drawn.
    std::string why;
    const bool ring = startFrameRing(int(depth) + 1, &why);
    FrameWriter* writer = startFrameWriter(write, depth);

    Progress progress;
    // The first frame shows the middle of its interval, half a frame after A.
    replayHistory(o.fps, o.from + 0.5 * o.fps.seconds(1), heardIn(sound), &interrupted);

    // Ctrl+C (or a polite kill) ends the capture after the current frame, keeping
    // what was captured.
    CapturedFrame frame;
    int64_t queued = 0;
    bool failed = false;
    for (int64_t i = 0; i < o.frameCount && !interrupted; ++i) {
        if (ring) {
            drawRingFrame(spanFrame(o.fps, o.from, i), sound, i, &frame);
        } else {
            runPlannedFrame(spanFrame(o.fps, o.from, i), heardIn(sound));
            readFrame(o.width, o.height, &frame.picture);
            frame.ringSlot = -1;
        }
        int64_t soundFrom = soundFramesUpTo(i);
        soundPcm16(sound, soundStart + soundFrom, soundFramesUpTo(i + 1) - soundFrom, &frame.sound);
        if (!queueFrame(writer, &frame, &error)) {
            failed = true;
            break;
        }
        queued = i + 1;
        progress.show(queued, o.frameCount);
    }

    int64_t done = 0;
    std::string finishError;
    if (!finishFrameWriter(writer, &done, &finishError) && !failed) {
        error = finishError;
        failed = true;
    }
    if (encoder && !finishVideoEncoder(encoder, &finishError) && !failed) {
        error = finishError;
        failed = true;
    }
    // Kept only when complete: the video as ffprobe reads it back, the frames with
    // their soundtrack.
    if (!failed && done > 0) {
        if (encoder)
            failed = !verifyVideo(output.ffprobe, output.file.temporary, done,
                                  double(soundFramesUpTo(done)) / sound.rate, &error) ||
                     !commitFile(&output.file, &error);
        else
            failed = !finishWav(&output.wav, &error);
    }
    // Frames queued after the one that failed were dropped, not written.
    if (!encoder && (failed || done == 0)) removeFrames(o.out, queued);
    if (failed) return failWith(error);
    if (done == 0) {
        std::fputs(nothingCaptured, stderr);
        return 130;
    }

    char line[600];
    std::snprintf(line, sizeof line,
                  "vorrend-capture: %s%lld frames (%.3f s at %.6g fps, %dx%d) to %s in %.1f s, %.1f fps",
                  interrupted ? "interrupted; " : "", (long long)done, o.fps.seconds(done), o.fps.value(), o.width,
                  o.height, o.out.c_str(), progress.elapsed(), done / std::max(progress.elapsed(), 1e-6));
    progress.summary(line);
    return interrupted ? 130 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string out, error;
    int code = parseCaptureArgs(argc, argv, &options, &out, &error);
    if (code >= 0) {
        std::fputs(out.c_str(), stdout);
        std::fputs(error.c_str(), stderr);
        return code;
    }
    std::atexit(removeLeftovers);
    // From here Ctrl+C (or a polite kill) only sets a flag: the capture stops at the
    // next frame and keeps, or removes, what it wrote.
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::string dataFolder;
    if (!findDataFolder(options.data, executablePath(), &dataFolder, &error)) return failWith(error);
    setDataRoot(dataFolder);

    Output output;
    if (!checkOutput(options, &output, &error)) return failWith(error);
    Soundtrack sound;
    const std::string soundtrack = dataPath(soundtrackFile);
    std::string why;
    if (!openSoundtrack(soundtrack, &sound, &why) && options.kind != OutputKind::picture)
        std::fprintf(stderr, "vorrend-capture: no readable %s (%s); the soundtrack will be silent\n",
                     soundtrack.c_str(), why.c_str());
    if (!stageOutput(options, sound, &output, &error)) return failWith(error);

    if (!startCaptureRenderer(options.width, options.height, options.samples, &error)) return failWith(error);
    return options.single ? capturePicture(options, sound, output) : captureSpan(options, sound, output);
}
