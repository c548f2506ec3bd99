// The music spectrum shared by the live player and the capture tool.
#pragma once
#include <cstdint>
#include <vector>

// 512 mono samples in [-1, 1] -> 256 magnitudes in [0, 1]: Hann window, real FFT
// (kissfft), |X[k]| divided by the sum of the window's weights.
void fft512Magnitudes(const float samples[512], float magnitudes[256]);

// The spectrum heard once `playedFrames` frames of `mono` have reached the output:
// the 512 frames just before that point, zeros before the start and after the end.
void spectrumOfPlayed(const std::vector<float>& mono, int64_t playedFrames, float magnitudes[256]);
