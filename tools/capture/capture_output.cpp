// Where captured frames go: PNG files (libpng) and ffmpeg through a pipe.
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture.h"

extern char** environ;

bool writePng(const std::string& path, int width, int height, const uint8_t* rgb, int compression, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_compression_level(png, compression);
        // At the fastest level the filters cost more time than they save space.
        if (compression <= 1) png_set_filter(png, 0, PNG_FILTER_NONE);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) png_write_row(png, rgb + size_t(y) * width * 3);
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (std::fclose(file) != 0) ok = false;
    if (!ok) *error = "cannot write " + path;
    return ok;
}

struct FrameFolder {
    std::string folder;
    int width = 0, height = 0;
    std::thread worker;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::pair<int64_t, std::vector<uint8_t>>> queue;
    std::vector<std::vector<uint8_t>> spare;
    bool closing = false;
    std::string error;  // the first failure; set, the worker stops writing
};

namespace {
void writeFolderFrames(FrameFolder* f) {
    std::unique_lock<std::mutex> hold(f->lock);
    for (;;) {
        f->changed.wait(hold, [f] { return f->closing || !f->queue.empty(); });
        if (f->queue.empty()) return;
        int64_t number = f->queue.front().first;
        std::vector<uint8_t> rgb = std::move(f->queue.front().second);
        hold.unlock();
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06lld.png", (long long)number);
        std::string error;
        // Fastest compression: a frame costs about as much to compress as to render.
        bool ok = writePng(f->folder + name, f->width, f->height, rgb.data(), 1, &error);
        hold.lock();
        f->queue.pop_front();
        f->spare.push_back(std::move(rgb));
        if (!ok && f->error.empty()) f->error = error;
        if (!f->error.empty()) f->queue.clear();
        f->changed.notify_all();
    }
}
}  // namespace

FrameFolder* startFrameFolder(const std::string& folder, int width, int height) {
    FrameFolder* f = new FrameFolder;
    f->folder = folder;
    f->width = width;
    f->height = height;
    f->worker = std::thread(writeFolderFrames, f);
    return f;
}

bool addFolderFrame(FrameFolder* f, int64_t number, const std::vector<uint8_t>& rgb, std::string* error) {
    std::unique_lock<std::mutex> hold(f->lock);
    f->changed.wait(hold, [f] { return f->queue.size() < 2 || !f->error.empty(); });
    if (!f->error.empty()) {
        *error = f->error;
        return false;
    }
    std::vector<uint8_t> copy;
    if (!f->spare.empty()) {
        copy = std::move(f->spare.back());
        f->spare.pop_back();
    }
    copy.assign(rgb.begin(), rgb.end());
    f->queue.emplace_back(number, std::move(copy));
    f->changed.notify_all();
    return true;
}

bool finishFrameFolder(FrameFolder* f, std::string* error) {
    {
        std::lock_guard<std::mutex> hold(f->lock);
        f->closing = true;
        f->changed.notify_all();
    }
    f->worker.join();
    bool ok = f->error.empty();
    if (!ok) *error = f->error;
    delete f;
    return ok;
}

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

// Pictures and sound travel through two pipes that ffmpeg reads in its own order:
// while it opens its inputs it reads a little of one and then waits for the other.
// So neither pipe may block us while the other has data ffmpeg wants: both are
// non-blocking, what does not fit waits in a queue, and we keep rendering (which
// makes more sound) while only pictures are backed up.
struct VideoEncoder {
    pid_t pid = -1;
    int picturePipe = -1, soundPipe = -1;
    std::deque<std::vector<uint8_t>> pictures;  // waiting for the picture pipe
    std::vector<std::vector<uint8_t>> spare;    // sent, kept for reuse (no page faults)
    size_t pictureOffset = 0;                   // bytes of pictures.front() already sent
    std::vector<uint8_t> sound;                 // waiting for the sound pipe
    size_t soundOffset = 0;
};

namespace {
std::string lowerExtension(const std::string& path) {
    size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}
}  // namespace

VideoEncoder* startVideoEncoder(const std::string& ffmpeg, const std::string& out, int width, int height,
                                const FrameRate& fps, int channels, int rate, std::string* error) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string frameRate = std::to_string(fps.num) + "/" + std::to_string(fps.den);
    // Raw inputs need no probing; probing one pipe would stall the other.
    std::vector<std::string> args = {ffmpeg,
                                     "-hide_banner",
                                     "-loglevel",
                                     "error",
                                     "-nostdin",
                                     "-y",
                                     "-thread_queue_size",
                                     "64",
                                     "-probesize",
                                     "32",
                                     "-analyzeduration",
                                     "0",
                                     "-f",
                                     "rawvideo",
                                     "-pix_fmt",
                                     "rgb24",
                                     "-video_size",
                                     size,
                                     "-framerate",
                                     frameRate,
                                     "-i",
                                     "pipe:0",
                                     "-thread_queue_size",
                                     "512",
                                     "-probesize",
                                     "32",
                                     "-analyzeduration",
                                     "0",
                                     "-f",
                                     "s16le",
                                     "-ar",
                                     std::to_string(rate),
                                     "-ac",
                                     std::to_string(channels),
                                     "-i",
                                     "pipe:3",
                                     "-map",
                                     "0:v",
                                     "-map",
                                     "1:a"};
    const std::string ext = lowerExtension(out);
    if (ext == "webm") {
        // VP9 at its real-time setting keeps the capture near the speed of the others.
        for (const char* a : {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8",        "-row-mt",
                              "1",    "-crf",       "30",        "-b:v",     "0",         "-pix_fmt", "yuv420p",
                              "-c:a", "libopus",    "-b:a",      "160k",     "-ar",       "48000"})
            args.push_back(a);
    } else {
        for (const char* a : {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p"})
            args.push_back(a);
        if (ext == "mkv") {
            for (const char* a : {"-c:a", "flac"}) args.push_back(a);
        } else {
            for (const char* a : {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"}) args.push_back(a);
        }
    }
    for (const char* a : {"-f", ext == "mkv" ? "matroska" : ext.c_str()}) args.push_back(a);
    args.push_back(out);

    int pictures[2], sound[2];
    if (::pipe2(pictures, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return nullptr;
    }
    if (::pipe2(sound, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        close(pictures[0]);
        close(pictures[1]);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 leaves the copies open across exec; the originals close with it.
    posix_spawn_file_actions_adddup2(&actions, pictures[0], 0);
    posix_spawn_file_actions_adddup2(&actions, sound[0], 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group: Ctrl+C in the terminal reaches only us, and we end the
    // video by closing the pipe, so ffmpeg writes a complete, playable file.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, ffmpeg.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pictures[0]);
    close(sound[0]);
    if (spawned != 0) {
        close(pictures[1]);
        close(sound[1]);
        *error = "cannot start " + ffmpeg + ": " + std::strerror(spawned);
        return nullptr;
    }
    fcntl(pictures[1], F_SETFL, O_NONBLOCK);
    fcntl(sound[1], F_SETFL, O_NONBLOCK);
    VideoEncoder* encoder = new VideoEncoder;
    encoder->pid = pid;
    encoder->picturePipe = pictures[1];
    encoder->soundPipe = sound[1];
    return encoder;
}

namespace {

// Writes what the pipes take now, waiting in poll only when told to. False when
// ffmpeg has gone away.
bool pump(VideoEncoder* e, bool wait) {
    pollfd fds[2];
    int count = 0;
    if (!e->pictures.empty()) fds[count++] = {e->picturePipe, POLLOUT, 0};
    if (e->soundOffset < e->sound.size()) fds[count++] = {e->soundPipe, POLLOUT, 0};
    if (count == 0) return true;
    int ready = poll(fds, nfds_t(count), wait ? -1 : 0);
    if (ready < 0) return errno == EINTR;
    for (int i = 0; i < count; ++i) {
        if (fds[i].revents & (POLLERR | POLLNVAL)) return false;
        if (!(fds[i].revents & (POLLOUT | POLLHUP))) continue;
        const uint8_t* data;
        size_t left;
        if (fds[i].fd == e->picturePipe) {
            data = e->pictures.front().data() + e->pictureOffset;
            left = e->pictures.front().size() - e->pictureOffset;
        } else {
            data = e->sound.data() + e->soundOffset;
            left = e->sound.size() - e->soundOffset;
        }
        ssize_t written = write(fds[i].fd, data, left);
        if (written < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (written <= 0) return false;  // EPIPE: ffmpeg has stopped reading
        if (fds[i].fd == e->picturePipe) {
            e->pictureOffset += size_t(written);
            if (e->pictureOffset == e->pictures.front().size()) {
                e->spare.push_back(std::move(e->pictures.front()));
                e->pictures.pop_front();
                e->pictureOffset = 0;
            }
        } else {
            e->soundOffset += size_t(written);
            if (e->soundOffset == e->sound.size()) {
                e->sound.clear();
                e->soundOffset = 0;
            }
        }
    }
    return true;
}

}  // namespace

bool writeVideoFrame(VideoEncoder* e, const uint8_t* rgb, size_t rgbBytes, const std::vector<int16_t>& pcm) {
    const uint8_t* pcmBytes = reinterpret_cast<const uint8_t*>(pcm.data());
    e->sound.insert(e->sound.end(), pcmBytes, pcmBytes + pcm.size() * sizeof(int16_t));
    if (e->spare.empty()) e->spare.emplace_back();
    e->pictures.push_back(std::move(e->spare.back()));
    e->spare.pop_back();
    e->pictures.back().assign(rgb, rgb + rgbBytes);
    // A few pictures in hand keep ffmpeg busy; beyond that wait for it, unless all
    // the sound so far is out (then it may be waiting for more: render on). The hard
    // limit only guards memory against an ffmpeg that stops reading pictures.
    const size_t soft = 3, hard = std::max<size_t>(16, (256u << 20) / std::max<size_t>(rgbBytes, 1));
    if (!pump(e, false)) return false;
    while (e->pictures.size() > soft) {
        bool soundWaiting = e->soundOffset < e->sound.size();
        if (!soundWaiting && e->pictures.size() <= hard) break;
        if (!pump(e, true)) return false;
    }
    return true;
}

bool finishVideoEncoder(VideoEncoder* encoder, std::string* error) {
    // Send what is queued; the sound ends first, so ffmpeg can finish the pictures.
    bool sent = true;
    while (sent && (encoder->soundOffset < encoder->sound.size() || !encoder->pictures.empty())) {
        if (encoder->soundPipe >= 0 && encoder->soundOffset == encoder->sound.size()) {
            close(encoder->soundPipe);
            encoder->soundPipe = -1;
        }
        sent = pump(encoder, true);
    }
    if (encoder->soundPipe >= 0) close(encoder->soundPipe);
    close(encoder->picturePipe);
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(encoder->pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    delete encoder;
    if (waited < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "ffmpeg could not write the video (see its message above)";
        return false;
    }
    return true;
}
