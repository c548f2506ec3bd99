// Videos: ffmpeg started on two pipes (pictures and sound), and ffprobe reading back
// what it wrote before the file counts as complete.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

#include "capture.h"

extern char** environ;

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
    int64_t picturesSent = 0;    // whole pictures ffmpeg has taken
    size_t heldPictures = 1;     // pictures held at most once ffmpeg runs (the byte budget)
    size_t openingPictures = 1;  // and while it opens its inputs
    bool abandoned = false;      // interrupted while ffmpeg takes nothing
};

volatile std::sig_atomic_t interruptions = 0;

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
    // The pictures held here and in ffmpeg's input queue, within the frame queue's
    // bytes (less the writer's share), at least one each.
    const size_t pictureBytes = size_t(width) * size_t(height) * 4;
    const size_t held = std::max<size_t>(
        1, (frameQueueBytes - std::min(frameQueueBytes, writerDepth(pictureBytes) * pictureBytes)) / pictureBytes);
    // Two blocks of sound, as ffmpeg reads it while it opens its inputs.
    const size_t opening = size_t(std::ceil(2048 * fps.value() / std::max(rate, 1))) + 1;
    // Raw inputs need no probing; probing one pipe would stall the other.
    std::vector<std::string> args = {ffmpeg,
                                     "-hide_banner",
                                     "-loglevel",
                                     "error",
                                     "-nostdin",
                                     "-y",
                                     "-thread_queue_size",
                                     std::to_string(std::min<size_t>(held, 64)),
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
    encoder->heldPictures = held;
    encoder->openingPictures = opening;
    return encoder;
}

namespace {

// Whether the process is stopped (SIGSTOP, or Ctrl+Z in its own terminal): the state
// letter after its name in /proc/PID/stat.
bool isStopped(pid_t pid) {
    char path[64], text[512];
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    std::FILE* file = std::fopen(path, "r");
    if (!file) return false;
    size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[got] = 0;
    const char* nameEnd = std::strrchr(text, ')');
    return nameEnd && (nameEnd[1] == ' ') && (nameEnd[2] == 'T' || nameEnd[2] == 't');
}

// After Ctrl+C the capture waits for ffmpeg to finish the file, unless ffmpeg cannot
// (it is stopped) or the user asks again: then the video is given up.
bool giveUp(VideoEncoder* e) {
    if (!e->abandoned && interruptions > 0) e->abandoned = interruptions > 1 || isStopped(e->pid);
    return e->abandoned;
}

// Writes what the pipes take now, waiting in poll (a tenth of a second at most)
// only when told to. False when ffmpeg has gone away or is given up.
bool pump(VideoEncoder* e, bool wait) {
    if (giveUp(e)) return false;
    pollfd fds[2];
    int count = 0;
    if (!e->pictures.empty()) fds[count++] = {e->picturePipe, POLLOUT, 0};
    if (e->soundOffset < e->sound.size()) fds[count++] = {e->soundPipe, POLLOUT, 0};
    if (count == 0) return true;
    int ready = poll(fds, nfds_t(count), wait ? 100 : 0);
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
                ++e->picturesSent;
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

bool writeVideoFrame(VideoEncoder* e, std::vector<uint8_t>* picture, const std::vector<int16_t>& pcm) {
    const uint8_t* pcmBytes = reinterpret_cast<const uint8_t*>(pcm.data());
    e->sound.insert(e->sound.end(), pcmBytes, pcmBytes + pcm.size() * sizeof(int16_t));
    // The picture's buffer itself joins the queue; one sent before goes back.
    e->pictures.emplace_back();
    e->pictures.back().swap(*picture);
    if (!e->spare.empty()) {
        picture->swap(e->spare.back());
        e->spare.pop_back();
    }
    // A few pictures in hand keep ffmpeg busy; beyond that wait for it, unless all
    // the sound so far is out (then it may be waiting for more: render on, within
    // the limit). While ffmpeg opens its inputs it takes a picture and then waits
    // for a block of sound, so the limit is higher until it takes the second.
    const size_t hard = e->picturesSent < 2 ? std::max(e->heldPictures, e->openingPictures) : e->heldPictures;
    const size_t soft = std::min<size_t>(3, e->heldPictures);
    if (!pump(e, false)) return false;
    while (e->pictures.size() > soft) {
        bool soundWaiting = e->soundOffset < e->sound.size();
        if (!soundWaiting && e->pictures.size() <= hard) break;
        if (!pump(e, true)) return false;
    }
    return true;
}

bool finishVideoEncoder(VideoEncoder* encoder, std::string* error, bool* abandoned) {
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
    // ffmpeg finishes the file; a stopped one is ended, and nothing of it kept.
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(encoder->pid, &status, WNOHANG)) == 0 || (waited < 0 && errno == EINTR)) {
        if (giveUp(encoder)) {
            kill(encoder->pid, SIGKILL);
            waitForExit(encoder->pid);
            status = -1;
            break;
        }
        usleep(20000);
    }
    *abandoned = encoder->abandoned;
    const bool exited = waited == encoder->pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    delete encoder;
    if (*abandoned) {
        *error = interruptions > 1 ? "interrupted twice: the video is given up unfinished, so nothing is kept"
                                   : "interrupted while ffmpeg was stopped: it cannot finish the video, so "
                                     "nothing is kept";
        return false;
    }
    if (!exited) {
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
