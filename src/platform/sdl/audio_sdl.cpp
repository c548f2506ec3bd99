// The soundtrack player on SDL2 audio. The device is opened by BASS_Init and runs
// from then on (silence until the stream plays); the Ogg file is decoded inside the
// audio callback, a device buffer at a time, so nothing is decoded ahead of need.
//
// Shared with SDL's audio thread, under `guard`: the play flag, the count of frames
// handed to the device, the time of the last callback, and a short history of the
// mono output that the spectrum is taken from. The decoder itself belongs to the
// main thread until the first play request and to the callback from then on; a
// seek takes it back for a moment with the device locked.
#include <SDL.h>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/bass.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr HSTREAM theStream = 1;  // the one stream this player can hold
constexpr int historyFrames = 1 << 15;

struct Player {
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec spec = {};  // what the callback delivers: float, device layout
    OggStream* ogg = nullptr;
    SDL_AudioStream* converter = nullptr;  // file layout and rate -> device's
    int oggChannels = 0, oggRate = 0;
    std::vector<float> decodeBuffer;
    bool decoderDrained = false;  // everything decoded went into the converter

    std::mutex guard;  // --- shared with the audio thread from here ---
    bool playing = false;
    int64_t framesOut = 0;  // stream frames handed to the device so far
    Clock::time_point lastCallback;
    float history[historyFrames] = {};  // mono output, indexed by frame % historyFrames
};
Player player;

// Fills `out` with up to `frames` frames of the stream; returns how many. Runs on
// the audio thread only once playing.
int pullStream(float* out, int frames) {
    const int channels = player.spec.channels;
    const int wantBytes = frames * channels * int(sizeof(float));
    while (SDL_AudioStreamAvailable(player.converter) < wantBytes && !player.decoderDrained) {
        int64_t got = readOggFrames(player.ogg, player.decodeBuffer.data(), 1024);
        if (got > 0) {
            SDL_AudioStreamPut(player.converter, player.decodeBuffer.data(),
                               int(got * player.oggChannels * int(sizeof(float))));
        } else {
            SDL_AudioStreamFlush(player.converter);
            player.decoderDrained = true;
        }
    }
    int gotBytes = SDL_AudioStreamGet(player.converter, out, wantBytes);
    return gotBytes > 0 ? gotBytes / (channels * int(sizeof(float))) : 0;
}

void SDLCALL audioCallback(void*, Uint8* bytes, int length) {
    float* out = reinterpret_cast<float*>(bytes);
    const int channels = player.spec.channels;
    const int frames = length / (channels * int(sizeof(float)));
    std::fill(out, out + frames * channels, 0.0f);

    bool playing;
    {
        std::lock_guard<std::mutex> lock(player.guard);
        playing = player.playing;
    }
    if (!playing) return;  // before the first play request nothing is heard or counted

    // Decoding happens outside the lock so the main thread never waits on it.
    const int produced = pullStream(out, frames);
    (void)produced;  // after the end the rest stays silent; the count runs on

    std::lock_guard<std::mutex> lock(player.guard);
    for (int f = 0; f < frames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c) sum += out[f * channels + c];
        player.history[(player.framesOut + f) % historyFrames] = sum / float(channels);
    }
    player.framesOut += frames;
    player.lastCallback = Clock::now();
}

// The stream frame reaching the speakers now. The device holds about one buffer
// beyond the one the callback just filled, so what the callback handed over at
// its last call starts to be heard one buffer later.
int64_t heardFrameLocked() {
    const int64_t buffer = player.spec.samples;
    double since = std::chrono::duration<double>(Clock::now() - player.lastCallback).count();
    int64_t advance = std::min<int64_t>(int64_t(since * player.spec.freq), buffer);
    return std::max<int64_t>(0, player.framesOut - 2 * buffer + advance);
}

// ALSA writes its own errors to stderr (eight lines when there is no sound card);
// the player says in one line what follows for the demo instead. SDL opens the same
// libasound, so the handler set here is the one its ALSA driver meets.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

void closeStream() {
    if (player.converter) SDL_FreeAudioStream(player.converter);
    closeOggStream(player.ogg);
    player.converter = nullptr;
    player.ogg = nullptr;
}
}  // namespace

bool BASS_Init(int device, uint32_t frequency, uint32_t, DemoWindow, const void*) {
    if (device != 1 || player.device) return false;  // 0 is "no sound"; one init only
    snd_lib_error_set_handler(quietAlsa);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want = {};
    want.freq = int(frequency);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = audioCallback;
    // No allowed changes: SDL converts to the device's own format behind the callback.
    player.device = SDL_OpenAudioDevice(nullptr, 0, &want, &player.spec, 0);
    if (!player.device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    player.lastCallback = Clock::now();
    SDL_PauseAudioDevice(player.device, 0);
    return true;
}

HSTREAM BASS_StreamCreateFile(bool fromMemory, const char* file, uint64_t offset, uint64_t length, uint32_t) {
    // Only what the demo asks for: a whole file from disk, one stream at a time.
    if (!player.device || fromMemory || offset != 0 || length != 0 || player.ogg) return 0;
    int channels = 0, rate = 0;
    OggStream* ogg = openOggStream(file, &channels, &rate);
    if (!ogg) return 0;
    SDL_AudioStream* converter =
        SDL_NewAudioStream(AUDIO_F32SYS, Uint8(channels), rate, AUDIO_F32SYS, player.spec.channels, player.spec.freq);
    if (!converter) {
        closeOggStream(ogg);
        return 0;
    }
    player.ogg = ogg;
    player.converter = converter;
    player.oggChannels = channels;
    player.oggRate = rate;
    player.decodeBuffer.assign(size_t(1024) * channels, 0.0f);
    return theStream;
}

bool BASS_StreamPlay(HSTREAM handle, bool, uint32_t) {
    if (handle != theStream || !player.ogg) return false;
    std::lock_guard<std::mutex> lock(player.guard);
    player.playing = true;  // a repeated request changes nothing
    return true;
}

int32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length) {
    if (handle != theStream || !player.ogg || !buffer || length != BASS_DATA_FFT512) return -1;
    float samples[512];
    {
        std::lock_guard<std::mutex> lock(player.guard);
        if (!player.playing) return -1;
        const int64_t heard = heardFrameLocked();
        for (int n = 0; n < 512; ++n) {
            int64_t frame = heard - 512 + n;
            samples[n] = frame >= 0 ? player.history[frame % historyFrames] : 0.0f;
        }
    }
    fft512Magnitudes(samples, static_cast<float*>(buffer));
    return 256 * int32_t(sizeof(float));
}

uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, double seconds) {
    if (handle != theStream || !player.ogg || !(seconds >= 0)) return uint64_t(-1);
    return uint64_t(std::llround(seconds * player.oggRate)) * uint64_t(player.oggChannels) * 2;
}

bool BASS_ChannelSetPosition(uint32_t handle, uint64_t position, uint32_t mode) {
    if (handle != theStream || !player.ogg || mode != BASS_POS_BYTE) return false;
    const uint64_t frame = position / (uint64_t(player.oggChannels) * 2);
    // The callback decodes while playing: it waits while the decoder moves. What the
    // converter held of the old position goes, and the spectrum's history plays on.
    SDL_LockAudioDevice(player.device);
    bool moved = frame <= uint64_t(INT64_MAX) && seekOggStream(player.ogg, int64_t(frame));
    SDL_AudioStreamClear(player.converter);
    player.decoderDrained = !moved;  // past the end: silence from here
    SDL_UnlockAudioDevice(player.device);
    return moved;
}

void BASS_Free() {
    if (player.device) SDL_CloseAudioDevice(player.device);  // waits for the callback to finish
    if (player.device) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    player.device = 0;
    closeStream();
    player.decoderDrained = false;
    std::lock_guard<std::mutex> lock(player.guard);
    player.playing = false;
    player.framesOut = 0;
    std::fill(std::begin(player.history), std::end(player.history), 0.0f);
}
