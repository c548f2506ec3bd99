#include "test_ogg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <ogg/ogg.h>

#include "encoders.h"
#include "runtime/manifest.h"

bool writeTestOgg(const std::string& path, double seconds, const SampleGenerator& sample, int channels, int rate) {
    if (channels <= 0) return false;
    const int64_t frames = std::max<int64_t>(0, std::llround(seconds * rate));
    std::vector<float> interleaved(size_t(frames) * size_t(channels));
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) interleaved[size_t(i) * size_t(channels) + size_t(c)] = sample(i, c);
    const std::string bytes = encodeOggVorbis(interleaved.data(), size_t(frames), channels, rate, 0.5f, 20261207);
    if (bytes.empty()) return false;

    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

std::string withOggLayout(std::string bytes, uint8_t channels, uint32_t rate) {
    const size_t header = 27 + uint8_t(bytes.at(26));
    bytes.at(header + 11) = char(channels);
    for (int i = 0; i < 4; ++i) bytes.at(header + 12 + i) = char(rate >> (8 * i));
    ogg_page page;
    page.header = reinterpret_cast<unsigned char*>(&bytes[0]);
    page.header_len = long(header);
    page.body = reinterpret_cast<unsigned char*>(&bytes[header]);
    page.body_len = 0;
    for (size_t i = 0; i < header - 27; ++i) page.body_len += uint8_t(bytes[27 + i]);
    ogg_page_checksum_set(&page);
    return bytes;
}

float testToneSample(int64_t frame, int channel) {
    float tone = 0.25f + 0.5f * float(std::sin(2.0 * M_PI * 441.0 * double(frame) / 44100.0));
    return channel == 0 ? tone : 0.8f * tone;
}

bool writeTestSoundtrack(const std::string& dir, double seconds) {
    return writeTestOgg(dir + "/" + dataPath(soundtrackFile), seconds, testToneSample);
}
