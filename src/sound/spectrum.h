// The music spectrum shared by the live player and the capture tool.
#pragma once
#include <cstdint>
#include <vector>

// 512 mono samples in [-1, 1] -> 256 magnitudes in [0, 1]: periodic Hann window,
// real FFT (kissfft), |X[k]| divided by the sum of the window's weights (256), so a
// full-scale constant gives 1.0 at [0] and a bin-centred full-scale sine 0.5 at its
// bin. Values above 1 (overshoot of decoded audio) are clamped to 1.
void fft512Magnitudes(const float samples[512], float magnitudes[256]);

// The spectrum heard once `playedFrames` frames of `mono` have reached the output:
// the 512 frames just before that point, zeros before the start and after the end.
void spectrumOfPlayed(const std::vector<float>& mono, int64_t playedFrames, float magnitudes[256]);
