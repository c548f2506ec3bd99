// The soundtrack as planned frames hear it: read forward a window at a time, a
// spectrum per frame, and the sound of each frame as 16-bit PCM.
#include "sound/soundtrack.h"

#include <algorithm>
#include <cmath>

#include "sound/ogg_stream.h"
#include "sound/spectrum.h"

void OggStreamCloser::operator()(OggStream* stream) const { closeOggStream(stream); }

namespace {

// The spectrum looks 512 frames back from the music's position, and the sound of a
// frame starts there: a request never starts more than that (and a frame of
// rounding) before the end of the one before it. The window keeps twice as much.
constexpr int64_t keepBehind = 1024;
constexpr int64_t readChunk = 4096;

bool reopen(Soundtrack* sound, std::string* why) {
    int channels = 0, rate = 0;
    sound->stream.reset(openOggStream(sound->path.c_str(), &channels, &rate, why));
    sound->first = 0;
    sound->samples.clear();
    sound->ended = false;
    if (!sound->stream) return false;
    if (channels != sound->channels || rate != sound->rate) {
        *why = "the file changed while it was read";
        sound->stream.reset();
        return false;
    }
    return true;
}

// Frames from .. to - 1 held as far as the stream has them; frames before
// from - keepBehind may be dropped.
void holdFrames(Soundtrack& sound, int64_t from, int64_t to) {
    if (!sound.present) return;
    std::string why;
    // Frames before 0 are silence, not a reason to go back.
    if (std::max<int64_t>(from, 0) < sound.first && !reopen(&sound, &why)) {
        sound.ended = true;  // the music just stops, as when a file is cut short
        return;
    }
    const int channels = sound.channels;
    while (!sound.ended && sound.readUpTo() < to) {
        // Forget what no later request can want, in large steps, so the copying stays
        // cheap.
        int64_t dead = std::min(from - keepBehind, sound.readUpTo()) - sound.first;
        if (dead > 8 * readChunk) {
            sound.samples.erase(sound.samples.begin(), sound.samples.begin() + dead * channels);
            sound.first += dead;
        }
        size_t held = sound.samples.size();
        int64_t want = std::min(readChunk, to - sound.readUpTo());
        sound.samples.resize(held + size_t(want * channels));
        int64_t got = readOggFrames(sound.stream.get(), sound.samples.data() + held, want);
        sound.samples.resize(held + size_t(got * channels));
        if (got == 0) sound.ended = true;
    }
}

// The frame's samples, or null outside what the soundtrack holds (silence).
const float* frameAt(const Soundtrack& sound, int64_t frame) {
    if (frame < sound.first || frame >= sound.readUpTo()) return nullptr;
    return sound.samples.data() + size_t(frame - sound.first) * size_t(sound.channels);
}

}  // namespace

bool openSoundtrack(const std::string& path, Soundtrack* sound, std::string* why) {
    *sound = Soundtrack();
    Soundtrack opened;
    opened.path = path;
    int channels = 0, rate = 0;
    opened.stream.reset(openOggStream(path.c_str(), &channels, &rate, why));
    if (!opened.stream) return false;
    // Every frame's sound is rate / fps samples: a header claiming millions of them
    // a second would make each frame's sound enormous.
    if (rate > maxSoundRate) {
        *why = "a sample rate of " + std::to_string(rate) + " Hz, above the " + std::to_string(maxSoundRate) +
               " Hz a capture takes";
        return false;
    }
    opened.present = true;
    opened.channels = channels;
    opened.rate = rate;
    *sound = std::move(opened);
    return true;
}

int64_t soundFramesIn(const Soundtrack& sound, double seconds) { return std::llround(seconds * sound.rate); }

void spectrumAt(Soundtrack& sound, double musicSeconds, float magnitudes[256]) {
    if (!sound.present) {
        std::fill(magnitudes, magnitudes + 256, 0.0f);
        return;
    }
    // The 512 frames just before the music's position, zeros before its start and
    // after its end.
    const int64_t played = soundFramesIn(sound, musicSeconds);
    holdFrames(sound, played - 512, played);
    float samples[512];
    for (int n = 0; n < 512; ++n) {
        const float* frame = frameAt(sound, played - 512 + n);
        samples[n] = frame ? monoOf(frame, sound.channels) : 0.0f;
    }
    fft512Magnitudes(samples, magnitudes);
}

std::function<void(double, float[256])> heardIn(Soundtrack& sound) {
    return [&sound](double musicSeconds, float magnitudes[256]) { spectrumAt(sound, musicSeconds, magnitudes); };
}

void soundPcm16(Soundtrack& sound, int64_t first, int64_t count, std::vector<int16_t>* pcm) {
    const int channels = sound.channels;
    holdFrames(sound, first, first + count);
    pcm->resize(size_t(count * channels));
    for (int64_t i = 0; i < count; ++i) {
        const float* frame = frameAt(sound, first + i);
        for (int c = 0; c < channels; ++c) {
            float v = frame ? frame[c] : 0.0f;
            (*pcm)[size_t(i * channels + c)] = int16_t(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
        }
    }
}
