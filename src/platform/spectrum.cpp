// PLACEHOLDER until the FFT lands.
#include "platform/spectrum.h"

void fft512Magnitudes(const float*, float magnitudes[256]) {
    for (int k = 0; k < 256; ++k) magnitudes[k] = 0;
}
void spectrumOfPlayed(const std::vector<float>&, int64_t, float magnitudes[256]) {
    for (int k = 0; k < 256; ++k) magnitudes[k] = 0;
}
