// The soundtrack player on Web Audio. The page decodes the Ogg file as it loads it
// (the browser's decodeAudioData, page.js); the stream plays that buffer, and the
// spectrum is taken from its mono mix at the position being heard: the context's
// clock since the start, less its output latency.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/bass.h"
#include "platform/web/web_audio.h"
#include "sound/spectrum.h"

namespace {
constexpr HSTREAM theStream = 1;

struct Player {
    bool ready = false;  // BASS_Init ran
    bool playing = false;
    double startSeconds = 0;
    std::string path;  // the stream's file; empty without a stream
    int channels = 0;
    std::string mixedPath;  // the file `mono` was mixed from: kept for the next play
    int rate = 0;
    std::vector<float> mono;
} player;

// The page's side of these, in web/page.js.
// clang-format off
EM_JS(int, soundFrames, (const char* path, int* channels, int* rate), {
    return Module.vorrend.soundFrames(UTF8ToString(path), channels, rate);
});
EM_JS(void, copySoundChannel, (const char* path, int channel, int first, int count, float* to), {
    Module.vorrend.copySoundChannel(UTF8ToString(path), channel, first, count, to);
});
EM_JS(void, startSound, (const char* path, double fromSeconds), {
    Module.vorrend.startSound(UTF8ToString(path), fromSeconds);
});
EM_JS(double, heardSeconds, (), { return Module.vorrend.heardSeconds(); });
EM_JS(void, stopSound, (), { Module.vorrend.stopSound(); });
EM_JS(void, resumeSound, (), { Module.vorrend.resumeSound(); });
// clang-format on
}  // namespace

void unlockAudio() { resumeSound(); }

const std::vector<float>* musicMono(int* rate) {
    if (player.path.empty()) return nullptr;
    *rate = player.rate;
    return &player.mono;
}

bool BASS_Init(int device, uint32_t, uint32_t, DemoWindow, const void*) {
    if (device != 1 || player.ready) return false;
    player.ready = true;
    return true;
}

HSTREAM BASS_StreamCreateFile(bool fromMemory, const char* file, uint64_t offset, uint64_t length, uint32_t) {
    if (!player.ready || fromMemory || offset != 0 || length != 0 || !player.path.empty() || !file) return 0;
    int channels = 0, rate = 0;
    const int frames = soundFrames(file, &channels, &rate);
    if (frames <= 0 || channels < 1 || rate < 1) return 0;  // missing, or the browser could not decode it
    player.path = file;
    player.channels = channels;
    if (player.mixedPath != player.path) {
        // Channels averaged in single precision, as the native player mixes them.
        player.rate = rate;
        player.mono.assign(size_t(frames), 0.0f);
        std::vector<float> chunk(65536);
        for (int c = 0; c < channels; ++c)
            for (int first = 0; first < frames; first += int(chunk.size())) {
                const int count = std::min(int(chunk.size()), frames - first);
                copySoundChannel(file, c, first, count, chunk.data());
                for (int i = 0; i < count; ++i) player.mono[size_t(first + i)] += chunk[size_t(i)];
            }
        for (float& v : player.mono) v /= float(channels);
        player.mixedPath = player.path;
    }
    return theStream;
}

bool BASS_StreamPlay(HSTREAM handle, bool, uint32_t) {
    if (handle != theStream || player.path.empty()) return false;
    if (!player.playing) startSound(player.path.c_str(), player.startSeconds);
    player.playing = true;  // a repeated request changes nothing
    return true;
}

int32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length) {
    if (handle != theStream || player.path.empty() || !buffer || length != BASS_DATA_FFT512 || !player.playing)
        return -1;
    const double heard = player.startSeconds + heardSeconds();
    spectrumOfPlayed(player.mono, int64_t(heard * player.rate), static_cast<float*>(buffer));
    return 256 * int32_t(sizeof(float));
}

uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, double seconds) {
    if (handle != theStream || player.path.empty() || !(seconds >= 0)) return uint64_t(-1);
    return uint64_t(std::llround(seconds * player.rate)) * uint64_t(player.channels) * 2;
}

bool BASS_ChannelSetPosition(uint32_t handle, uint64_t position, uint32_t mode) {
    if (handle != theStream || player.path.empty() || mode != BASS_POS_BYTE) return false;
    const uint64_t frame = position / (uint64_t(player.channels) * 2), frames = player.mono.size();
    // Past the end the stream stays silent; heard positions count from there.
    player.startSeconds = double(std::min(frame, frames)) / player.rate;
    if (player.playing) startSound(player.path.c_str(), player.startSeconds);
    return frame < frames;
}

void BASS_Free() {
    stopSound();
    player.ready = false;
    player.playing = false;
    player.startSeconds = 0;
    player.path.clear();  // the mono mix is kept: the same file comes back at once
}
