// The soundtrack player: the calls the demo makes of its audio library.
// Backends: sdl/audio_sdl.cpp (SDL2 output, Ogg Vorbis streamed with libvorbisfile),
// headless/audio_null.cpp (no device: every call fails without effect) and
// web/audio_web.cpp (Web Audio).
//
// Thread rule: call these from the main thread only. The SDL backend's audio
// callback runs on SDL's own thread; what it shares with the main thread is
// guarded inside the backend.
//
// Spectrum scale (BASS_DATA_FFT512): the 512 samples being heard now (what has
// reached the output), channels averaged to mono, a Hann window, a real FFT,
// 256 magnitudes |X[k]| divided by the sum of the window's weights, so every
// value lies in 0..1: a constant full-scale signal gives 1.0 at element 0, a
// full-scale sine centred on bin k about 0.5 at element k. Element 0 is the DC
// bin; bins are 44100 / 512 = 86.1 Hz apart.
#pragma once
#include <cstdint>
#include "platform/window.h"

using HSTREAM = uint32_t;
constexpr uint32_t BASS_DATA_FFT512 = 0x80000000u;
constexpr uint32_t BASS_POS_BYTE = 0;

bool BASS_Init(int device, uint32_t frequency, uint32_t flags, DemoWindow window, const void* clsid);
// Device 1 is the default output device, 0 means no sound. False without a device.

HSTREAM BASS_StreamCreateFile(bool fromMemory, const char* file, uint64_t offset, uint64_t length, uint32_t flags);
// Opens the Ogg Vorbis file for streamed playback. 0 when there is no device or
// the file cannot be read.

bool BASS_StreamPlay(HSTREAM handle, bool flush, uint32_t flags);
// The first call starts the stream from its beginning; later calls leave it
// playing undisturbed. It does not loop and stays silent after its end.

int32_t BASS_ChannelGetData(uint32_t handle, void* buffer, uint32_t length);
// With BASS_DATA_FFT512 writes 256 floats (1024 bytes) and returns 1024. Returns
// -1 and leaves the buffer untouched when the handle is 0 or not playing yet.

uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, double seconds);
// That moment of the stream as a byte position in its decoded 16-bit samples
// (frames x channels x 2). uint64_t(-1) for an unknown handle or a negative time.

bool BASS_ChannelSetPosition(uint32_t handle, uint64_t position, uint32_t mode);
// With BASS_POS_BYTE the stream goes on from that byte, whether playing or not yet.
// A position past the end leaves it silent and returns false, as does an unknown
// handle or mode.

void BASS_Free();
// Closes the output and forgets the stream, so BASS_Init can run again. The demo
// calls it once the loop has ended, so the audio thread stops before static
// destructors run; tests call it between cases.
