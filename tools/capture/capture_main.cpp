// vorrend-capture: renders the demo headless, frame-exact, to a PNG picture, a folder
// of PNG frames with the soundtrack, or a video encoded by ffmpeg.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "capture.h"
#include "runtime/manifest.h"

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
    "a video needs the ffmpeg program, which is not installed; install it with "
    "'sudo apt-get install ffmpeg', or capture to a folder of PNG frames instead";

// Output problems show before the assets are loaded and anything is rendered.
bool checkOutput(const CaptureOptions& o, std::string* error) {
    if (o.kind == OutputKind::folder) {
        std::error_code ec;
        fs::create_directories(o.out, ec);
        if (fs::is_directory(o.out, ec)) return true;
        *error = "cannot make the folder " + o.out;
        return false;
    }
    if (o.kind == OutputKind::video && findProgram("ffmpeg").empty()) {
        *error = noFfmpeg;
        return false;
    }
    return canCreateFile(o.out, error);
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

int capturePicture(const CaptureOptions& o, const Soundtrack& sound) {
    std::string error;
    for (const PlannedFrame& frame : shortHistory(o.fps, o.time)) renderPlannedFrame(frame, sound);
    renderPlannedFrame({float(o.time), musicSecondsAt(o.fps, o.time), false}, sound);
    std::vector<uint8_t> rgb;
    readFrame(o.width, o.height, &rgb);
    if (!writePng(o.out, o.width, o.height, rgb.data(), 6, &error)) return failWith(error);
    return 0;
}

int captureSpan(const CaptureOptions& o, const Soundtrack& sound) {
    std::string error;
    // The sound of frame i is the music from A + (i - 1)/fps to A + i/fps.
    const int64_t soundStart = soundFramesIn(sound, o.from);
    auto soundFramesUpTo = [&](int64_t frames) {
        return soundFramesIn(sound, o.from + o.fps.seconds(frames)) - soundStart;
    };
    const std::string wavPath = (fs::path(o.out) / "soundtrack.wav").string();
    VideoEncoder* encoder = nullptr;
    FrameFolder* frameFolder = nullptr;

    if (o.kind == OutputKind::video) {
        std::string ffmpeg = findProgram("ffmpeg");
        if (ffmpeg.empty()) return failWith(noFfmpeg);
        encoder = startVideoEncoder(ffmpeg, o.out, o.width, o.height, o.fps, sound.channels, sound.rate, &error);
        if (!encoder) return failWith(error);
    } else {
        // Written first, whole, so an unwritable folder shows before any rendering.
        if (!writeWav(wavPath, sound, o.from, soundFramesUpTo(o.frameCount), &error)) return failWith(error);
        frameFolder = startFrameFolder(o.out, o.width, o.height);
    }

    // Ctrl+C (or a polite kill) ends the capture after the current frame, leaving a
    // playable file with what was captured.
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Progress progress;
    const double firstShown = o.from + o.fps.seconds(1);
    for (const PlannedFrame& frame : shortHistory(o.fps, firstShown)) renderPlannedFrame(frame, sound);

    std::vector<uint8_t> rgb;
    std::vector<int16_t> pcm;
    int64_t done = 0;
    bool failed = false;
    for (int64_t i = 1; i <= o.frameCount && !interrupted; ++i) {
        double seconds = o.from + o.fps.seconds(i);
        renderPlannedFrame({float(seconds), musicSecondsAt(o.fps, seconds), false}, sound);
        readFrame(o.width, o.height, &rgb);
        if (encoder) {
            int64_t soundFrom = soundFramesUpTo(i - 1);
            soundPcm16(sound, soundStart + soundFrom, soundFramesUpTo(i) - soundFrom, &pcm);
            if (!writeVideoFrame(encoder, rgb.data(), rgb.size(), pcm)) {
                error = "ffmpeg stopped taking frames";
                failed = true;
                break;
            }
        } else if (!addFolderFrame(frameFolder, i, rgb, &error)) {
            failed = true;
            break;
        }
        done = i;
        progress.show(done, o.frameCount);
    }

    std::string finishError;
    bool finished = encoder ? finishVideoEncoder(encoder, &finishError) : finishFrameFolder(frameFolder, &finishError);
    if (interrupted && done == 0) {
        // Nothing to keep: a video without pictures is no file at all.
        if (o.kind == OutputKind::video) std::remove(o.out.c_str());
        std::fprintf(stderr, "vorrend-capture: interrupted before the first frame; nothing captured\n");
        return 130;
    }
    if (!finished && !failed) {
        error = finishError;
        failed = true;
    }
    if (o.kind == OutputKind::folder && !failed && done < o.frameCount) {
        // Stopped early: cut the soundtrack to the frames there are.
        std::string wavError;
        writeWav(wavPath, sound, o.from, soundFramesUpTo(done), &wavError);
    }
    if (failed) return failWith(error);

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
    std::string error;
    if (!parseCaptureArgs(argc, argv, &options, &error)) {
        if (error.empty()) {  // --help
            std::fputs(captureUsage(), stdout);
            return 0;
        }
        std::fprintf(stderr, "vorrend-capture: %s\n%s", error.c_str(), captureUsage());
        return 1;
    }
    std::error_code ec;
    if (!fs::is_directory(dataRoot, ec))
        return failWith("no " + std::string(dataRoot) + " folder in " + fs::current_path(ec).string() +
                        "; run it in the folder that holds the demo's " + dataRoot);

    if (!checkOutput(options, &error)) return failWith(error);
    Soundtrack sound;
    const std::string soundtrack = dataPath(soundtrackFile);
    if (!loadSoundtrack(soundtrack, &sound) && options.kind != OutputKind::picture)
        std::fprintf(stderr, "vorrend-capture: no readable %s; the soundtrack will be silent\n", soundtrack.c_str());

    if (!startCaptureRenderer(options.width, options.height, &error))
        return failWith("no offscreen OpenGL context: " + error);
    return options.single ? capturePicture(options, sound) : captureSpan(options, sound);
}
