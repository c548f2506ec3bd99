// Ogg Vorbis reading, a piece at a time, so playback can start before the file is
// decoded. Also a whole-file decode for tools and tests. Two readers behind these
// calls: libvorbisfile (ogg_stream.cpp) where it is to be had, stb_vorbis
// (ogg_stream_stb.cpp) where it is not; both take the same files, within the limits
// below.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int maxSoundRate = 384000;  // Hz; a file claiming more is refused
constexpr int maxSoundChannels = 8;

struct OggStream;

OggStream* openOggStream(const char* path, int* channels, int* rate, std::string* why = nullptr);
// Null, with the reason, when the file cannot be opened, is not a regular file, is
// not Ogg Vorbis, or has no channels, more than maxSoundChannels, a rate of 0 or one
// above maxSoundRate. Reads only the headers.

int64_t readOggFrames(OggStream* stream, float* interleaved, int64_t maxFrames);
// Decodes up to maxFrames frames (channels floats each) into interleaved and
// returns how many were written; 0 at the end of the stream or on a damaged page
// that cannot be skipped. Never returns more than maxFrames.

bool seekOggStream(OggStream* stream, int64_t frame);
// The next read starts at that frame of the file. False when the file cannot seek
// there (past its end); the stream then reads as ended.

void closeOggStream(OggStream* stream);

struct DecodedSound {
    int channels = 0, rate = 0;
    std::vector<float> samples;  // interleaved
    int64_t frames() const { return channels ? int64_t(samples.size()) / channels : 0; }
};

bool decodeOggFile(const std::string& path, DecodedSound* sound);
// The whole file; false when it cannot be opened.

inline float monoOf(const float* frame, int channels) {
    float sum = 0;
    for (int c = 0; c < channels; ++c) sum += frame[c];
    return sum / float(channels);
}
// One frame's channels averaged: what the spectrum hears.

std::vector<float> mixToMono(const DecodedSound& sound);
// monoOf every frame.

bool soundLayoutAccepted(uint32_t channels, uint32_t rate, std::string* why);
// The readers' check of a header's channel count and rate, taken as the unsigned
// numbers the file holds: false, with the reason, outside 1..maxSoundChannels and
// 1..maxSoundRate.
