#include "sound/spectrum.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr int fftSize = 512;

struct FftPlan {
    kiss_fftr_cfg config = kiss_fftr_alloc(fftSize, 0, nullptr, nullptr);
    float window[fftSize];
    float windowSum = 0;
    FftPlan() {
        // Periodic Hann: its weights sum to exactly fftSize / 2, so a full-scale
        // constant lands on 1.0 and a bin-centred full-scale sine on 0.5.
        for (int n = 0; n < fftSize; ++n) {
            window[n] = float(0.5 - 0.5 * std::cos(2.0 * M_PI * n / fftSize));
            windowSum += window[n];
        }
    }
    ~FftPlan() { kiss_fftr_free(config); }
    FftPlan(const FftPlan&) = delete;
    FftPlan& operator=(const FftPlan&) = delete;
};

// kiss_fftr keeps scratch space in its plan, so each thread gets its own.
FftPlan& plan() {
    thread_local FftPlan perThread;
    return perThread;
}
}  // namespace

void fft512Magnitudes(const float samples[512], float magnitudes[256]) {
    FftPlan& p = plan();
    kiss_fft_scalar windowed[fftSize];
    for (int n = 0; n < fftSize; ++n) windowed[n] = samples[n] * p.window[n];
    kiss_fft_cpx bins[fftSize / 2 + 1];
    kiss_fftr(p.config, windowed, bins);
    for (int k = 0; k < fftSize / 2; ++k) {
        float magnitude = std::hypot(bins[k].r, bins[k].i) / p.windowSum;
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
