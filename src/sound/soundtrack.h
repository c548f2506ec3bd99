// The soundtrack read forward as the capture tool and the player's planned frames
// hear it: a spectrum per frame, and the sound of each frame as 16-bit PCM.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct OggStream;

struct OggStreamCloser {
    void operator()(OggStream* stream) const;
};

// The soundtrack read forward as the frames go, as the live demo streams it: only
// as far as the frames so far need, holding a short window of recent samples, so
// memory does not grow with the soundtrack's length. A request that goes back before
// the window reads the file again from its start.
struct Soundtrack {
    bool present = false;
    int channels = 2, rate = 44100;
    std::string path;
    std::unique_ptr<OggStream, OggStreamCloser> stream;  // null without a soundtrack
    int64_t first = 0;                                   // stream frame of samples[0]
    std::vector<float> samples;                          // interleaved, the frames held
    bool ended = false;                                  // the stream has given all it has
    int64_t readUpTo() const { return first + int64_t(samples.size()) / channels; }
};

bool openSoundtrack(const std::string& path, Soundtrack* sound, std::string* why);
// Reads the headers only. False, with the reason, and a silent soundtrack when the
// file is missing or unreadable, or claims a rate above maxSoundRate.

void spectrumAt(Soundtrack& sound, double musicSeconds, float magnitudes[256]);
// The demo's FFT of the music heard so far; zeros without a soundtrack.

std::function<void(double musicSeconds, float magnitudes[256])> heardIn(Soundtrack& sound);
// spectrumAt on this soundtrack, as planned frames take it (a PlannedSpectrum of
// runtime/show.h).

int64_t soundFramesIn(const Soundtrack& sound, double seconds);
// Sample frames in that many seconds at the soundtrack's rate, rounded.

void soundPcm16(Soundtrack& sound, int64_t first, int64_t count, std::vector<int16_t>* pcm);
// Sample frames first .. first + count - 1 as interleaved 16-bit PCM, silence where
// the soundtrack has ended (or is missing).
