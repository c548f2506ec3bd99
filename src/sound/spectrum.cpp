#include "sound/spectrum.h"

#include <algorithm>
#include <cmath>

#include "sound/real_fft.h"

namespace {
constexpr int fftSize = 512;

struct Window {
    float window[fftSize];
    float windowSum = 0;
    Window() {
        // Periodic Hann: its weights sum to exactly fftSize / 2, so a full-scale
        // constant lands on 1.0 and a bin-centred full-scale sine on 0.5.
        for (int n = 0; n < fftSize; ++n) {
            window[n] = float(0.5 - 0.5 * std::cos(2.0 * M_PI * n / fftSize));
            windowSum += window[n];
        }
    }
};
const Window& hann() {
    static const Window window;
    return window;
}
}  // namespace

void fft512Magnitudes(const float samples[512], float magnitudes[256]) {
    const Window& w = hann();
    float windowed[fftSize];
    for (int n = 0; n < fftSize; ++n) windowed[n] = samples[n] * w.window[n];
    float real[fftSize / 2 + 1], imaginary[fftSize / 2 + 1];
    realFft512(windowed, real, imaginary);
    for (int k = 0; k < fftSize / 2; ++k) {
        float magnitude = std::hypot(real[k], imaginary[k]) / w.windowSum;
        // Decoded audio may overshoot full scale a little; the scenes expect 0..1.
        magnitudes[k] = std::min(magnitude, 1.0f);
    }
}

void spectrumOfPlayed(const std::vector<float>& mono, int64_t playedFrames, float magnitudes[256]) {
    float samples[fftSize];
    const int64_t first = playedFrames - fftSize;
    const int64_t size = int64_t(mono.size());
    for (int n = 0; n < fftSize; ++n) {
        int64_t index = first + n;
        samples[n] = index >= 0 && index < size ? mono[size_t(index)] : 0.0f;
    }
    fft512Magnitudes(samples, magnitudes);
}
