#include <kissfft.hh>

#include "sound/real_fft.h"

void realFft512(const float samples[512], float real[257], float imaginary[257]) {
    // 512 reals as 256 complex values, then kissfft's own split into the real
    // transform; bin 0 comes back holding the DC and the Nyquist terms together.
    static const kissfft<float> plan(256, false);
    std::complex<float> bins[256];
    plan.transform_real(samples, bins);
    real[0] = bins[0].real();
    imaginary[0] = 0;
    real[256] = bins[0].imag();
    imaginary[256] = 0;
    for (int k = 1; k < 256; ++k) {
        real[k] = bins[k].real();
        imaginary[k] = bins[k].imag();
    }
}
