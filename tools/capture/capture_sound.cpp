// The soundtrack as the capture hears it: decoded once, a spectrum per frame, and
// the span of a capture written out as WAV.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "capture.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"

bool loadSoundtrack(const std::string& path, Soundtrack* sound) {
    *sound = Soundtrack();
    DecodedSound decoded;
    if (!decodeOggFile(path, &decoded) || decoded.channels < 1 || decoded.rate < 1) return false;
    sound->present = true;
    sound->channels = decoded.channels;
    sound->rate = decoded.rate;
    sound->mono = mixToMono(decoded);
    sound->samples = std::move(decoded.samples);
    return true;
}

int64_t soundFramesIn(const Soundtrack& sound, double seconds) { return std::llround(seconds * sound.rate); }

void spectrumAt(const Soundtrack& sound, double musicSeconds, float magnitudes[256]) {
    if (!sound.present) {
        std::fill(magnitudes, magnitudes + 256, 0.0f);
        return;
    }
    spectrumOfPlayed(sound.mono, soundFramesIn(sound, musicSeconds), magnitudes);
}

void soundPcm16(const Soundtrack& sound, int64_t first, int64_t count, std::vector<int16_t>* pcm) {
    const int channels = sound.channels;
    const int64_t available = int64_t(sound.samples.size()) / channels;
    pcm->resize(size_t(count * channels));
    for (int64_t i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c) {
            int64_t f = first + i;
            // Past the end (or without a soundtrack) the music is silent.
            float v = f >= 0 && f < available ? sound.samples[size_t(f * channels + c)] : 0.0f;
            (*pcm)[size_t(i * channels + c)] = int16_t(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
        }
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
}  // namespace

bool writeWav(const std::string& path, const Soundtrack& sound, double fromSeconds, int64_t frames,
              std::string* error) {
    const int channels = sound.channels;
    const int64_t first = soundFramesIn(sound, fromSeconds);
    const uint64_t dataBytes = uint64_t(frames) * channels * 2;
    if (dataBytes > 0xffffffffull - 36) {
        *error = "the soundtrack span is too long for a WAV file";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(44);
    bytes.insert(bytes.end(), {'R', 'I', 'F', 'F'});
    put32(bytes, uint32_t(36 + dataBytes));
    bytes.insert(bytes.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(bytes, 16);  // fmt chunk size
    put16(bytes, 1);   // PCM
    put16(bytes, uint32_t(channels));
    put32(bytes, uint32_t(sound.rate));
    put32(bytes, uint32_t(sound.rate) * channels * 2);  // bytes per second
    put16(bytes, uint32_t(channels * 2));               // bytes per frame
    put16(bytes, 16);                                   // bits per sample
    bytes.insert(bytes.end(), {'d', 'a', 't', 'a'});
    put32(bytes, uint32_t(dataBytes));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();

    std::vector<int16_t> pcm;
    const int64_t chunkFrames = 16384;
    for (int64_t done = 0; ok && done < frames; done += chunkFrames) {
        int64_t count = std::min(chunkFrames, frames - done);
        soundPcm16(sound, first + done, count, &pcm);
        bytes.clear();
        for (int16_t v : pcm) put16(bytes, uint16_t(v));
        ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    if (std::fclose(file) != 0) ok = false;
    if (!ok) *error = "cannot write " + path;
    return ok;
}
