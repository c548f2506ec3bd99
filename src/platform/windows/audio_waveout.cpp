// The soundtrack player on waveOut. BASS_Init opens the output and a feeder thread
// keeps a few buffers queued on it from then on (silence until the stream plays);
// the Ogg file is decoded a buffer at a time as the device hands buffers back, so
// nothing is decoded ahead of need. What is being heard is the device's own play
// position (waveOutGetPosition), so the spectrum follows the speakers, not the queue.
//
// Shared between the main thread and the feeder, under `guard`: the decoder, the
// play flag, the count of frames queued and a history of the mono output, indexed
// by device frame, that the spectrum is taken from.
#include <windows.h>
// after windows.h, which mmsystem.h needs
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/bass.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"

namespace {
constexpr HSTREAM theStream = 1;        // the one stream this player can hold
constexpr int bufferCount = 8;          // queued on the device: about 370 ms at 44.1 kHz, so
constexpr int bufferFrames = 2048;      // a busy machine does not starve it
constexpr int historyFrames = 1 << 15;  // well beyond what the device holds

struct Player {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr;  // signalled by the device as it hands a buffer back
    int channels = 0, rate = 0;   // the device's format: the file's once a stream is made
    WAVEHDR headers[bufferCount] = {};
    std::vector<int16_t> buffers[bufferCount];
    std::thread feeder;
    std::atomic<bool> stopping{false};

    std::mutex guard;  // --- shared with the feeder from here ---
    OggStream* ogg = nullptr;
    bool playing = false;
    bool ended = false;        // the decoder has nothing more: silence from here
    int64_t framesQueued = 0;  // device frames handed to the device so far
    std::vector<float> decoded;
    float history[historyFrames] = {};  // mono output, by device frame % historyFrames
};
Player player;

// Fills one buffer with the next frames: the stream while it plays, else silence.
void fillBufferLocked(int16_t* out) {
    const int channels = player.channels;
    int got = 0;
    if (player.playing && !player.ended) {
        got = int(readOggFrames(player.ogg, player.decoded.data(), bufferFrames));
        if (got < bufferFrames) player.ended = true;
    }
    for (int f = 0; f < bufferFrames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c) {
            const float sample = f < got ? player.decoded[size_t(f * channels + c)] : 0.0f;
            sum += sample;
            out[f * channels + c] = int16_t(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
        }
        player.history[(player.framesQueued + f) % historyFrames] = sum / float(channels);
    }
    player.framesQueued += bufferFrames;
}

// Hands every buffer the device is done with back to it, refilled.
void feed() {
    while (!player.stopping) {
        for (int i = 0; i < bufferCount; ++i) {
            WAVEHDR& header = player.headers[i];
            if (header.dwFlags & WHDR_INQUEUE) continue;
            {
                std::lock_guard<std::mutex> lock(player.guard);
                fillBufferLocked(player.buffers[i].data());
            }
            header.dwFlags &= ~DWORD(WHDR_DONE);
            waveOutWrite(player.device, &header, sizeof header);
        }
        WaitForSingleObject(player.bufferDone, 50);
    }
}

// Opens the device for this format and starts feeding it silence.
bool openDevice(int channels, int rate) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = WORD(channels);
    format.nSamplesPerSec = DWORD(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = WORD(channels * 2);
    format.nAvgBytesPerSec = DWORD(rate) * format.nBlockAlign;
    player.bufferDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!player.bufferDone) return false;
    if (waveOutOpen(&player.device, WAVE_MAPPER, &format, DWORD_PTR(player.bufferDone), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        CloseHandle(player.bufferDone);
        player.bufferDone = nullptr;
        player.device = nullptr;
        return false;
    }
    player.channels = channels;
    player.rate = rate;
    player.decoded.assign(size_t(bufferFrames) * size_t(channels), 0.0f);
    for (int i = 0; i < bufferCount; ++i) {
        player.buffers[i].assign(size_t(bufferFrames) * size_t(channels), 0);
        WAVEHDR& header = player.headers[i];
        header = {};
        header.lpData = reinterpret_cast<LPSTR>(player.buffers[i].data());
        header.dwBufferLength = DWORD(player.buffers[i].size() * sizeof(int16_t));
        waveOutPrepareHeader(player.device, &header, sizeof header);
    }
    player.stopping = false;
    player.feeder = std::thread(feed);
    return true;
}

void closeDevice() {
    if (!player.device) return;
    player.stopping = true;
    SetEvent(player.bufferDone);
    player.feeder.join();
    waveOutReset(player.device);  // every buffer comes back
    for (WAVEHDR& header : player.headers) waveOutUnprepareHeader(player.device, &header, sizeof header);
    waveOutClose(player.device);
    CloseHandle(player.bufferDone);
    player.device = nullptr;
    player.bufferDone = nullptr;
    player.framesQueued = 0;
    std::fill(std::begin(player.history), std::end(player.history), 0.0f);
}

// The device frame reaching the speakers now: the device's own play position.
int64_t heardFrameLocked() {
    MMTIME position = {};
    position.wType = TIME_SAMPLES;
    if (waveOutGetPosition(player.device, &position, sizeof position) != MMSYSERR_NOERROR) return 0;
    int64_t frames = position.wType == TIME_SAMPLES ? int64_t(position.u.sample)
                     : position.wType == TIME_BYTES ? int64_t(position.u.cb) / (2 * player.channels)
                                                    : 0;
    return std::clamp<int64_t>(frames, 0, player.framesQueued);
}
}  // namespace

bool BASS_Init(int device, uint32_t frequency, uint32_t, DemoWindow, const void*) {
    if (device != 1 || player.device) return false;  // 0 is "no sound"; one init only
    if (waveOutGetNumDevs() == 0) return false;
    return openDevice(2, int(frequency));
}

HSTREAM BASS_StreamCreateFile(bool fromMemory, const char* file, uint64_t offset, uint64_t length, uint32_t) {
    // Only what the demo asks for: a whole file from disk, one stream at a time.
    if (!player.device || fromMemory || offset != 0 || length != 0 || player.ogg) return 0;
    int channels = 0, rate = 0;
    OggStream* ogg = openOggStream(file, &channels, &rate);
    if (!ogg) return 0;
    // The device takes the file's own format, so nothing is converted here.
    if (channels != player.channels || rate != player.rate) {
        closeDevice();
        if (!openDevice(channels, rate)) {
            closeOggStream(ogg);
            return 0;
        }
    }
    std::lock_guard<std::mutex> lock(player.guard);
    player.ogg = ogg;
    player.ended = false;
    return theStream;
}

bool BASS_StreamPlay(HSTREAM handle, bool, uint32_t) {
    std::lock_guard<std::mutex> lock(player.guard);
    if (handle != theStream || !player.ogg) return false;
    player.playing = true;  // a repeated request changes nothing
    return true;
}

int32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length) {
    float samples[512];
    {
        std::lock_guard<std::mutex> lock(player.guard);
        if (handle != theStream || !player.ogg || !buffer || length != BASS_DATA_FFT512 || !player.playing) return -1;
        const int64_t heard = heardFrameLocked();
        for (int n = 0; n < 512; ++n) {
            const int64_t frame = heard - 512 + n;
            samples[n] = frame >= 0 ? player.history[frame % historyFrames] : 0.0f;
        }
    }
    fft512Magnitudes(samples, static_cast<float*>(buffer));
    return 256 * int32_t(sizeof(float));
}

uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, double seconds) {
    std::lock_guard<std::mutex> lock(player.guard);
    if (handle != theStream || !player.ogg || !(seconds >= 0)) return uint64_t(-1);
    return uint64_t(std::llround(seconds * player.rate)) * uint64_t(player.channels) * 2;
}

bool BASS_ChannelSetPosition(uint32_t handle, uint64_t position, uint32_t mode) {
    std::lock_guard<std::mutex> lock(player.guard);
    if (handle != theStream || !player.ogg || mode != BASS_POS_BYTE) return false;
    // What the device already holds of the old position plays out; the next buffer
    // comes from the new one.
    const uint64_t frame = position / (uint64_t(player.channels) * 2);
    const bool moved = frame <= uint64_t(INT64_MAX) && seekOggStream(player.ogg, int64_t(frame));
    player.ended = !moved;  // past the end: silence from here
    return moved;
}

void BASS_Free() {
    closeDevice();
    std::lock_guard<std::mutex> lock(player.guard);
    closeOggStream(player.ogg);
    player.ogg = nullptr;
    player.playing = false;
    player.ended = false;
}
