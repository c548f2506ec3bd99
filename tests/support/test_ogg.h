// Short Ogg Vorbis files made inside a test, so tests need no soundtrack on disk.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// sample(frame, channel) -> value in [-1, 1].
using SampleGenerator = std::function<float(int64_t frame, int channel)>;

bool writeTestOgg(const std::string& path, double seconds, const SampleGenerator& sample, int channels = 2,
                  int rate = 44100);
// Encodes seconds of the generator with libvorbisenc (quality 0.5, fixed serial
// number: the same input gives the same bytes). Makes parent folders. False when
// the file cannot be written.

std::string withOggLayout(std::string bytes, uint8_t channels, uint32_t rate);
// An Ogg Vorbis file's bytes with the channel count and rate of its identification
// header (the first page) set, the page's checksum made good again.

float testToneSample(int64_t frame, int channel);
// The default test soundtrack: a 441 Hz tone on a 0.25 DC offset, the right channel
// a little quieter, with no silent start, so the first output frame is recognisable.

bool writeTestSoundtrack(const std::string& dir, double seconds = 1.5);
// testToneSample as the soundtrack under dir, at the path the demo opens
// (dir/data/sound/vorrend.ogg); dir can then be the demo's working directory.
