#include <kiss_fftr.h>

#include "sound/real_fft.h"

namespace {
// kiss_fftr keeps scratch space in its plan, so each thread gets its own.
struct Plan {
    kiss_fftr_cfg config = kiss_fftr_alloc(512, 0, nullptr, nullptr);
    ~Plan() { kiss_fftr_free(config); }
};
}  // namespace

void realFft512(const float samples[512], float real[257], float imaginary[257]) {
    thread_local Plan plan;
    kiss_fft_cpx bins[257];
    kiss_fftr(plan.config, samples, bins);
    for (int k = 0; k <= 256; ++k) {
        real[k] = bins[k].r;
        imaginary[k] = bins[k].i;
    }
}
