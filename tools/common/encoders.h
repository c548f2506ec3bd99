// JPEG and Ogg Vorbis encoders into memory, deterministic: the same input gives the
// same bytes on every run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

std::string encodeJpeg(const uint8_t* pixels, int width, int height, int quality, int components = 3);
// pixels: height rows of width * components bytes, top row first, no padding;
// components 3 is RGB, 1 is grey. quality 1..100 (libjpeg's scale, baseline tables).
// Returns the JPEG file's bytes; empty when the size or component count is unusable
// or libjpeg reports an error (the process is never ended by the library).

using VorbisTags = std::vector<std::pair<std::string, std::string>>;

std::string encodeOggVorbis(const float* interleaved, size_t frames, int channels, int rate, float quality, int serial,
                            const VorbisTags& tags = {});
// interleaved: frames * channels floats in [-1, 1], channel 0 first in each frame.
// quality is libvorbisenc's VBR quality (-0.1..1); serial is the Ogg stream serial
// number, fixed by the caller so the bytes repeat; tags go into the comment header
// (name, value), in order. Returns the whole Ogg file; empty when the encoder
// refuses the settings (no channels, an unusable rate).
