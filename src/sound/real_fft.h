// The spectrum's real FFT of 512 samples, from kissfft either way: its C library in
// the native program (real_fft_kiss.cpp), its header-only C++ form on the web
// (real_fft_header.cpp), where no compiled library can be linked.
#pragma once

void realFft512(const float samples[512], float real[257], float imaginary[257]);
// Bins 0 .. 256 of the transform, unscaled: bin k = sum of samples[n] e^(-2 pi i k n / 512).
