// Where captured frames go: PNG files (libpng) and ffmpeg through a pipe.
#include <dirent.h>
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
#include <cmath>
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

// ---- staged files ------------------------------------------------------------------

namespace {

// Temporaries not yet committed or discarded, for removeStagedLeftovers. The frame
// writer's thread stages files too.
std::mutex stagedLock;
std::vector<std::string> stagedNames;

void forget(const std::string& temporary) {
    std::lock_guard<std::mutex> hold(stagedLock);
    stagedNames.erase(std::remove(stagedNames.begin(), stagedNames.end(), temporary), stagedNames.end());
}

// What open(..., 0666) would give: mkstemp makes its files private.
mode_t newFileMode() {
    static const mode_t mode = [] {
        mode_t mask = umask(0);
        umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

std::string cannotWrite(const std::string& path, int error) {
    return "cannot write " + path + ": " + (error ? std::strerror(error) : "write error");
}

}  // namespace

StagedFile::~StagedFile() { discardFile(this); }

bool stageFile(const std::string& path, StagedFile* staged, std::string* error) {
    discardFile(staged);
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (folder.back() != '/') folder += '/';
    std::string temporary = folder + "." + name + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        *error = cannotWrite(path, errno);
        return false;
    }
    fchmod(fd, newFileMode());
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        *error = cannotWrite(path, errno);
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    {
        std::lock_guard<std::mutex> hold(stagedLock);
        stagedNames.push_back(temporary);
    }
    staged->path = path;
    staged->temporary = temporary;
    staged->file = file;
    return true;
}

bool commitFile(StagedFile* staged, std::string* error) {
    int failure = 0;
    if (std::ferror(staged->file)) failure = EIO;
    if (!failure && std::fflush(staged->file) != 0) failure = errno;
    // On disk before it takes the final name: a crash then leaves the old file or
    // the whole new one, never a torn one.
    if (!failure && fsync(fileno(staged->file)) != 0) failure = errno;
    if (std::fclose(staged->file) != 0 && !failure) failure = errno;
    staged->file = nullptr;
    if (!failure && rename(staged->temporary.c_str(), staged->path.c_str()) != 0) failure = errno;
    if (failure) {
        *error = cannotWrite(staged->path, failure);
        discardFile(staged);
        return false;
    }
    forget(staged->temporary);
    staged->temporary.clear();
    // The rename itself on disk, as far as the folder lets us.
    size_t slash = staged->path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : staged->path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return true;
}

void discardFile(StagedFile* staged) {
    if (staged->file) std::fclose(staged->file);
    staged->file = nullptr;
    if (staged->temporary.empty()) return;
    unlink(staged->temporary.c_str());
    forget(staged->temporary);
    staged->temporary.clear();
}

void removeStagedLeftovers() {
    std::lock_guard<std::mutex> hold(stagedLock);
    for (const std::string& name : stagedNames) unlink(name.c_str());
    stagedNames.clear();
}

// ---- PNG and WAV ---------------------------------------------------------------------

namespace {
// The failure is reported with its cause by our caller: libpng only gives up.
void pngGiveUp(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngNoWarning(png_structp, png_const_charp) {}
}  // namespace

bool writePngTo(StagedFile* staged, int width, int height, const uint8_t* picture, int compression,
                std::string* error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngGiveUp, pngNoWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    int failure = ok ? 0 : ENOMEM;
    errno = 0;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, staged->file);
        png_set_compression_level(png, compression);
        // At the fastest level the filters cost more time than they save space.
        if (compression <= 1) png_set_filter(png, 0, PNG_FILTER_NONE);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        // The renderer's BGRA rows: libpng swaps the channels and drops the fourth
        // byte as it writes.
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        for (int y = 0; y < height; ++y) png_write_row(png, picture + size_t(y) * size_t(width) * 4);
        png_write_end(png, nullptr);
    } else if (ok) {
        failure = errno;  // libpng gave up on a failed write
        ok = false;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (!ok) *error = cannotWrite(staged->path, failure);
    return ok;
}

bool writePng(const std::string& path, int width, int height, const uint8_t* picture, int compression,
              std::string* error) {
    StagedFile staged;
    return stageFile(path, &staged, error) && writePngTo(&staged, width, height, picture, compression, error) &&
           commitFile(&staged, error);
}

namespace {
void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}
constexpr uint64_t maxWavDataBytes = 0xffffffffull - 36;

bool writeAll(StagedFile* staged, const std::vector<uint8_t>& bytes, std::string* error) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), staged->file) == bytes.size()) return true;
    *error = cannotWrite(staged->path, errno);
    return false;
}

bool writeAt(StagedFile* staged, long offset, uint32_t value, std::string* error) {
    std::vector<uint8_t> bytes;
    put32(bytes, value);
    if (std::fseek(staged->file, offset, SEEK_SET) == 0) return writeAll(staged, bytes, error);
    *error = cannotWrite(staged->path, errno);
    return false;
}
}  // namespace

bool startWav(const std::string& path, int channels, int rate, int64_t plannedFrames, WavWriter* wav,
              std::string* error) {
    if (uint64_t(plannedFrames) * uint64_t(channels) * 2 > maxWavDataBytes) {
        *error = "the soundtrack span is too long for a WAV file";
        return false;
    }
    if (!stageFile(path, &wav->file, error)) return false;
    wav->channels = channels;
    wav->rate = rate;
    wav->frames = 0;
    // The sizes are filled in by finishWav.
    std::vector<uint8_t> bytes;
    bytes.insert(bytes.end(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(bytes, 16);  // fmt chunk size
    put16(bytes, 1);   // PCM
    put16(bytes, uint32_t(channels));
    put32(bytes, uint32_t(rate));
    put32(bytes, uint32_t(rate) * uint32_t(channels) * 2);  // bytes per second
    put16(bytes, uint32_t(channels * 2));                   // bytes per frame
    put16(bytes, 16);                                       // bits per sample
    bytes.insert(bytes.end(), {'d', 'a', 't', 'a', 0, 0, 0, 0});
    return writeAll(&wav->file, bytes, error);
}

bool addWavFrames(WavWriter* wav, const std::vector<int16_t>& pcm, std::string* error) {
    std::vector<uint8_t> bytes;
    bytes.reserve(pcm.size() * 2);
    for (int16_t v : pcm) put16(bytes, uint16_t(v));
    wav->frames += int64_t(pcm.size()) / wav->channels;
    return writeAll(&wav->file, bytes, error);
}

bool finishWav(WavWriter* wav, std::string* error) {
    const uint32_t dataBytes = uint32_t(uint64_t(wav->frames) * uint64_t(wav->channels) * 2);
    if (writeAt(&wav->file, 4, 36 + dataBytes, error) && writeAt(&wav->file, 40, dataBytes, error))
        return commitFile(&wav->file, error);
    discardFile(&wav->file);
    return false;
}

// ---- frame folders -------------------------------------------------------------------

namespace {
bool isFrameName(const std::string& name) {
    return name == "soundtrack.wav" ||
           (name.size() > 10 && name.compare(0, 6, "frame-") == 0 && name.compare(name.size() - 4, 4, ".png") == 0);
}
}  // namespace

std::string frameName(int64_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06lld.png", (long long)number);
    return name;
}

bool holdsFrames(const std::string& folder, std::string* found) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    bool holds = false;
    while (dirent* entry = readdir(dir)) {
        if (!isFrameName(entry->d_name)) continue;
        // The first in order, so the message names frame-000001.png rather than any.
        if (!holds || std::string(entry->d_name) < *found) *found = entry->d_name;
        holds = true;
    }
    closedir(dir);
    return holds;
}

struct FrameWriter {
    WriteFrame write;
    size_t depth = 1;
    std::thread worker;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<CapturedFrame> waiting;  // queued, in order; the front one is being written
    std::vector<CapturedFrame> spare;   // written, kept for reuse (no page faults)
    int64_t written = 0;
    bool closing = false;
    std::string error;  // the first failure; set, the worker stops writing
};

namespace {
void writeFrames(FrameWriter* w) {
    std::unique_lock<std::mutex> hold(w->lock);
    for (;;) {
        w->changed.wait(hold, [w] { return w->closing || !w->waiting.empty(); });
        if (w->waiting.empty()) return;
        // The front frame stays in the queue while it is written: the deque does not
        // move its elements when others are added at the back.
        CapturedFrame& frame = w->waiting.front();
        hold.unlock();
        std::string error;
        bool ok = w->write(frame, &error);
        hold.lock();
        w->spare.push_back(std::move(w->waiting.front()));
        w->waiting.pop_front();
        if (ok) ++w->written;
        if (!ok && w->error.empty()) w->error = error;
        if (!w->error.empty()) w->waiting.clear();
        w->changed.notify_all();
    }
}
}  // namespace

FrameWriter* startFrameWriter(WriteFrame write, size_t depth) {
    FrameWriter* w = new FrameWriter;
    w->write = std::move(write);
    w->depth = std::max<size_t>(depth, 1);
    w->worker = std::thread(writeFrames, w);
    return w;
}

bool queueFrame(FrameWriter* w, CapturedFrame* frame, std::string* error) {
    std::unique_lock<std::mutex> hold(w->lock);
    w->changed.wait(hold, [w] { return w->waiting.size() < w->depth || !w->error.empty(); });
    if (!w->error.empty()) {
        *error = w->error;
        return false;
    }
    w->waiting.push_back(std::move(*frame));
    *frame = CapturedFrame();
    if (!w->spare.empty()) {
        *frame = std::move(w->spare.back());
        w->spare.pop_back();
    }
    w->changed.notify_all();
    return true;
}

bool finishFrameWriter(FrameWriter* w, int64_t* written, std::string* error) {
    {
        std::lock_guard<std::mutex> hold(w->lock);
        w->closing = true;
        w->changed.notify_all();
    }
    w->worker.join();
    bool ok = w->error.empty();
    if (!ok) *error = w->error;
    *written = w->written;
    delete w;
    return ok;
}

void removeFrames(const std::string& folder, int64_t count) {
    for (int64_t number = 1; number <= count; ++number) unlink((folder + "/" + frameName(number)).c_str());
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

// Starts args[0] with the given descriptors as its own (child's number, ours), in a
// process group of its own: Ctrl+C in the terminal reaches only us, so we decide
// how ffmpeg ends (closing its pipes, so it writes a complete, playable file) and
// ffprobe still reads back what was kept.
pid_t spawnProgram(std::vector<std::string> args, const std::vector<std::pair<int, int>>& descriptors,
                   std::string* error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 leaves the copies open across exec; the originals close with it.
    for (const auto& [theirs, ours] : descriptors) posix_spawn_file_actions_adddup2(&actions, ours, theirs);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
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
    int spawned = posix_spawn(&pid, args[0].c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        *error = "cannot start " + args[0] + ": " + std::strerror(spawned);
        return -1;
    }
    return pid;
}

// The exit status of a child, 0 only for a normal exit with status 0.
int waitForExit(pid_t pid) {
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
}  // namespace

int defaultCrf(const std::string& video) { return lowerExtension(video) == "webm" ? 30 : 18; }

int maxCrf(const std::string& video) { return lowerExtension(video) == "webm" ? 63 : 51; }

VideoEncoder* startVideoEncoder(const std::string& ffmpeg, StagedFile* out, int width, int height, const FrameRate& fps,
                                const VideoQuality& quality, int channels, int rate, std::string* error) {
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
                                     "bgr0",
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
    const std::string ext = lowerExtension(out->path);
    const std::string crf = std::to_string(quality.crf >= 0 ? quality.crf : defaultCrf(out->path));
    auto add = [&args](std::initializer_list<const char*> more) { args.insert(args.end(), more.begin(), more.end()); };
    if (quality.lossless && ext == "mkv") {
        // FFV1 as archives keep it (every frame a key frame, checksummed slices), the
        // pictures in the renderer's own BGR0 and the sound as FLAC: both exact.
        add({"-c:v", "ffv1", "-level", "3", "-g", "1", "-slices", "4", "-slicecrc", "1", "-pix_fmt", "bgr0", "-c:a",
             "flac"});
    } else if (quality.lossless) {
        // H.264 of the RGB pictures at qp 0, which is lossless, and ALAC sound.
        add({"-c:v", "libx264rgb", "-preset", "veryfast", "-qp", "0", "-pix_fmt", "bgr0", "-c:a", "alac"});
    } else if (ext == "webm") {
        // VP9 at its real-time setting keeps the capture near the speed of the others.
        add({"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8",        "-row-mt",
             "1",    "-crf",       crf.c_str(), "-b:v",     "0",         "-pix_fmt", "yuv420p",
             "-c:a", "libopus",    "-b:a",      "160k",     "-ar",       "48000"});
    } else {
        add({"-c:v", "libx264", "-preset", "veryfast", "-crf", crf.c_str(), "-pix_fmt", "yuv420p"});
        if (ext == "mkv")
            add({"-c:a", "flac"});
        else
            add({"-c:a", "aac", "-b:a", "192k"});
    }
    if (ext == "mp4") add({"-movflags", "+faststart"});
    // The muxer by name, and the output as a file: a name that looks like a protocol
    // ("pipe:1.mkv") or an option ("-x.mp4") is still just a file.
    for (const char* a : {"-f", ext == "mkv" ? "matroska" : ext.c_str()}) args.push_back(a);
    args.push_back("file:" + out->temporary);

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
    pid_t pid = spawnProgram(args, {{0, pictures[0]}, {3, sound[0]}}, error);
    close(pictures[0]);
    close(sound[0]);
    if (pid < 0) {
        close(pictures[1]);
        close(sound[1]);
        return nullptr;
    }
    fcntl(pictures[1], F_SETFL, O_NONBLOCK);
    // A whole picture or more per write and per wake-up of ffmpeg, where the system
    // allows it; the default 64 KiB costs a dozen of each per picture.
    fcntl(pictures[1], F_SETPIPE_SZ, 1 << 20);
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

bool writeVideoFrame(VideoEncoder* e, const uint8_t* picture, size_t pictureBytes, const std::vector<int16_t>& pcm) {
    const uint8_t* pcmBytes = reinterpret_cast<const uint8_t*>(pcm.data());
    e->sound.insert(e->sound.end(), pcmBytes, pcmBytes + pcm.size() * sizeof(int16_t));
    if (e->spare.empty()) e->spare.emplace_back();
    e->pictures.push_back(std::move(e->spare.back()));
    e->spare.pop_back();
    e->pictures.back().assign(picture, picture + pictureBytes);
    // A few pictures in hand keep ffmpeg busy; beyond that wait for it, unless all
    // the sound so far is out (then it may be waiting for more: render on). The hard
    // limit only guards memory against an ffmpeg that stops reading pictures.
    const size_t soft = 3, hard = std::max<size_t>(16, (256u << 20) / std::max<size_t>(pictureBytes, 1));
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
    int status = waitForExit(encoder->pid);
    delete encoder;
    if (status != 0) {
        *error = "ffmpeg could not write the video (see its message above)";
        return false;
    }
    return true;
}

namespace {
// What ffprobe says of one packet: "codec_type=audio|pts_time=0.021333|duration_time=0.021333".
struct ProbedPacket {
    std::string type;
    double end = 0, duration = 0;  // seconds
};

ProbedPacket parsePacket(const std::string& line) {
    ProbedPacket packet;
    double start = 0;
    size_t at = 0;
    while (at < line.size()) {
        size_t bar = line.find('|', at);
        if (bar == std::string::npos) bar = line.size();
        std::string field = line.substr(at, bar - at);
        size_t eq = field.find('=');
        if (eq != std::string::npos) {
            std::string key = field.substr(0, eq), value = field.substr(eq + 1);
            double number = std::strtod(value.c_str(), nullptr);  // "N/A" reads as 0
            if (key == "codec_type") packet.type = value;
            if (key == "pts_time") start = number;
            if (key == "duration_time") packet.duration = number;
        }
        at = bar + 1;
    }
    packet.end = start + packet.duration;
    return packet;
}
}  // namespace

bool verifyVideo(const std::string& ffprobe, const std::string& file, int64_t frames, double soundSeconds,
                 std::string* error) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    pid_t pid = spawnProgram({ffprobe, "-v", "error", "-show_entries", "packet=codec_type,pts_time,duration_time",
                              "-of", "compact=p=0", "file:" + file},
                             {{0, nothing}, {1, output[1]}}, error);
    close(output[1]);
    if (nothing >= 0) close(nothing);
    std::string text;
    char chunk[65536];
    ssize_t got;
    while (pid >= 0 && ((got = read(output[0], chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR)))
        if (got > 0) text.append(chunk, size_t(got));
    close(output[0]);
    if (pid < 0) return false;
    if (waitForExit(pid) != 0) {
        *error = "ffprobe cannot read the video back (see its message above)";
        return false;
    }
    int64_t pictures = 0;
    double soundEnd = 0, soundPacket = 0;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        ProbedPacket packet = parsePacket(text.substr(at, end - at));
        if (packet.type == "video") ++pictures;
        if (packet.type == "audio") {
            soundEnd = std::max(soundEnd, packet.end);
            soundPacket = std::max(soundPacket, packet.duration);
        }
    }
    char why[200];
    if (pictures != frames) {
        std::snprintf(why, sizeof why,
                      "the video written holds %lld of the %lld frames sent (see ffmpeg's message above)",
                      (long long)pictures, (long long)frames);
        *error = why;
        return false;
    }
    // Encoders pad the sound to whole packets; a millisecond more for rounding.
    if (std::fabs(soundEnd - soundSeconds) > soundPacket + 0.001) {
        std::snprintf(why, sizeof why, "the video written holds %.3f s of the %.3f s of sound sent", soundEnd,
                      soundSeconds);
        *error = why;
        return false;
    }
    return true;
}
