// Where captured frames go as files (each staged, staged_file.h): PNG pictures
// (libpng), the WAV, frame folders and the writer thread that takes frames off the
// renderer.
#include <dirent.h>
#include <fcntl.h>
#include <png.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture.h"

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

namespace {
int claimLock = -1;  // the lock file's descriptor while a folder is claimed
std::string claimPath;
}  // namespace

bool claimFolder(const std::string& folder, std::string* error) {
    const std::string path = folder + "/.vorrend-capture.lock";
    // A capture that just ended may remove the file between our open and our lock:
    // the lock counts only while the name still leads to the file locked.
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, newFileMode());
        if (fd < 0) {
            *error = "cannot claim the folder " + folder + ": " + std::strerror(errno);
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int failure = errno;
            close(fd);
            *error = failure == EWOULDBLOCK ? "cannot capture into " + folder + ": another capture is writing there"
                                            : "cannot claim the folder " + folder + ": " + std::strerror(failure);
            return false;
        }
        struct stat held, named;
        if (fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            claimLock = fd;
            claimPath = path;
            return true;
        }
        close(fd);
    }
    *error = "cannot claim the folder " + folder + ": other captures keep taking it";
    return false;
}

void releaseFolder() {
    if (claimLock < 0) return;
    // Removed while still locked: whoever opened it meanwhile finds it gone, above.
    unlink(claimPath.c_str());
    close(claimLock);
    claimLock = -1;
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

size_t writerDepth(size_t pictureBytes) {
    return std::clamp<size_t>(frameQueueBytes / std::max<size_t>(pictureBytes, 1), 1, 4);
}

bool queueFrame(FrameWriter* w, CapturedFrame* frame, std::string* error) {
    std::unique_lock<std::mutex> hold(w->lock);
    // A tenth of a second at a time: a writer that takes nothing (ffmpeg stopped)
    // must not keep an interrupt waiting.
    auto room = [w] { return w->waiting.size() < w->depth || !w->error.empty(); };
    while (!w->changed.wait_for(hold, std::chrono::milliseconds(100), room))
        if (interruptions) return false;
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
