#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

#include "gl_test.h"
#include "runtime/manifest.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"
#include "test_ogg.h"

namespace {
#ifdef VORREND_STB_VORBIS
constexpr bool stbVorbis = true;  // the binary built with ogg_stream_stb.cpp
#else
constexpr bool stbVorbis = false;
#endif

std::vector<float> sine(int bin, float amplitude, size_t count) {
    std::vector<float> samples(count);
    for (size_t n = 0; n < count; ++n) samples[n] = amplitude * float(std::sin(2.0 * M_PI * bin * double(n) / 512.0));
    return samples;
}
}  // namespace

TEST(Spectrum, SyntheticSignalsLandWhereTheScaleSays) {
    float out[256];
    std::vector<float> silence(512, 0.0f);
    fft512Magnitudes(silence.data(), out);
    for (float m : out) EXPECT_EQ(m, 0.0f);

    std::vector<float> constant(512, 1.0f);
    fft512Magnitudes(constant.data(), out);
    EXPECT_NEAR(out[0], 1.0f, 1e-5f);
    EXPECT_NEAR(out[1], 0.5f, 1e-5f);  // the Hann window's own leakage into bin 1
    for (int k = 2; k < 256; ++k) EXPECT_NEAR(out[k], 0.0f, 1e-5f) << k;

    for (int bin : {1, 5, 40, 200}) {
        std::vector<float> tone = sine(bin, 1.0f, 512);
        fft512Magnitudes(tone.data(), out);
        EXPECT_NEAR(out[bin], 0.5f, 1e-4f) << bin;
        EXPECT_NEAR(out[bin + 1], 0.25f, 1e-4f) << bin;
        EXPECT_LT(out[0], 1e-4f) << bin;
        if (bin + 3 < 256) {
            EXPECT_LT(out[bin + 3], 1e-4f) << bin;
        }
    }

    // Overshoot beyond full scale, as decoded audio can give, stays within 0..1.
    std::vector<float> loud(512, 1.5f);
    fft512Magnitudes(loud.data(), out);
    EXPECT_EQ(out[0], 1.0f);
}

TEST(Spectrum, PlayedSpectrumTakesThe512FramesBeforeThePlayPoint) {
    // First half a tone in bin 10, then one in bin 30.
    std::vector<float> mono = sine(10, 1.0f, 2048);
    std::vector<float> later = sine(30, 1.0f, 2048);
    mono.insert(mono.end(), later.begin(), later.end());
    float out[256];

    spectrumOfPlayed(mono, 2048, out);
    EXPECT_NEAR(out[10], 0.5f, 1e-3f);
    EXPECT_LT(out[30], 1e-3f);
    spectrumOfPlayed(mono, 2048 + 512, out);
    EXPECT_NEAR(out[30], 0.5f, 1e-3f);
    EXPECT_LT(out[10], 1e-3f);

    // Before the start and after the end there is only silence.
    for (int64_t at : {int64_t(0), int64_t(-100), int64_t(4096 + 512), int64_t(1) << 40}) {
        spectrumOfPlayed(mono, at, out);
        for (float m : out) EXPECT_EQ(m, 0.0f) << at;
    }
    // Half a window of a constant: the silent half is read as zeros.
    std::vector<float> constant(1000, 1.0f);
    spectrumOfPlayed(constant, 256, out);
    EXPECT_NEAR(out[0], 0.5f, 0.005f);
}

TEST(OggStream, EncodedToneDecodesBackWithItsLengthAndLevel) {
    ScratchDir dir;
    ASSERT_TRUE(writeTestSoundtrack(dir.path(), 1.0));
    DecodedSound sound;
    ASSERT_TRUE(decodeOggFile(dir.file(dataPath(soundtrackFile)), &sound));
    EXPECT_EQ(sound.channels, 2);
    EXPECT_EQ(sound.rate, 44100);
    EXPECT_EQ(sound.frames(), 44100);
    // Lossy, but close to what went in, and the right channel quieter.
    double error = 0;
    for (int64_t f = 0; f < sound.frames(); ++f) error += std::fabs(sound.samples[f * 2] - testToneSample(f, 0));
    EXPECT_LT(error / double(sound.frames()), 0.02);
    std::vector<float> mono = mixToMono(sound);
    EXPECT_NEAR(mono[1000], 0.9f * testToneSample(1000, 0), 0.05f);

    // Read in small pieces: the same frames.
    int channels = 0, rate = 0;
    OggStream* stream = openOggStream(dir.file(dataPath(soundtrackFile)).c_str(), &channels, &rate);
    ASSERT_NE(stream, nullptr);
    std::vector<float> pieces, chunk(size_t(37) * channels);
    while (int64_t got = readOggFrames(stream, chunk.data(), 37)) {
        ASSERT_LE(got, 37);
        pieces.insert(pieces.end(), chunk.begin(), chunk.begin() + got * channels);
    }
    EXPECT_EQ(readOggFrames(stream, chunk.data(), 37), 0);
    closeOggStream(stream);
    EXPECT_EQ(pieces, sound.samples);
}

// Both readers (ogg_stream.cpp's libvorbisfile and ogg_stream_stb.cpp's stb_vorbis)
// give what libvorbisfile decodes by itself, to float rounding (1.8e-7 at most seen),
// except that stb_vorbis refuses 5.1 as libvorbisenc codes it, which it would get wrong.
TEST(OggStream, DecodesAsLibvorbisfileDoesItself) {
    ScratchDir dir;
    const auto noise = [](int64_t f, int c) { return float((f * 7919 + c * 104729) % 2001) / 2500.0f - 0.4f; };
    // 5.1 comes from the fuzzer's seeds: libvorbisenc leaks when it writes six channels.
    const struct {
        int channels, rate;
        double seconds;
    } cases[] = {{1, 8000, 2.0}, {2, 44100, 1.0}, {6, 48000, 0.03}, {8, 22050, 0.5}};
    for (const auto& c : cases) {
        const std::string path = c.channels == 6 ? VORREND_SURROUND_OGG : dir.file(std::to_string(c.channels) + ".ogg");
        if (c.channels != 6) {
            ASSERT_TRUE(writeTestOgg(path, c.seconds, noise, c.channels, c.rate));
        }
        std::string why;
        OggStream* stream = openOggStream(path.c_str(), nullptr, nullptr, &why);
        closeOggStream(stream);
        if (stbVorbis && c.channels == 6) {
            EXPECT_EQ(why, "channels coupled in a way stb_vorbis decodes wrongly (as 5.1 sound is)");
            continue;
        }
        DecodedSound sound;
        ASSERT_TRUE(decodeOggFile(path, &sound)) << why;
        EXPECT_EQ(sound.channels, c.channels);
        EXPECT_EQ(sound.rate, c.rate);

        OggVorbis_File file;
        ASSERT_EQ(ov_fopen(path.c_str(), &file), 0);
        std::vector<float> direct;
        float** planes = nullptr;
        int section = 0;
        while (long got = ov_read_float(&file, &planes, 4096, &section))
            for (long i = 0; i < std::max(got, 0L); ++i)
                for (int ch = 0; ch < c.channels; ++ch) direct.push_back(planes[ch][i]);
        ov_clear(&file);
        ASSERT_EQ(sound.samples.size(), direct.size()) << c.channels;
        float worst = 0;
        for (size_t i = 0; i < direct.size(); ++i) worst = std::max(worst, std::fabs(sound.samples[i] - direct[i]));
        EXPECT_LE(worst, 1e-6f) << c.channels << " channels at " << c.rate << " Hz";
    }
}

// A seek lands on the frame a whole decode has there; the end is a place to seek to,
// before the start and past the end are not, and the stream reads as ended then.
TEST(OggStream, SeeksLandOnTheFramesOfTheWholeDecode) {
    ScratchDir dir;
    ASSERT_TRUE(writeTestSoundtrack(dir.path(), 1.0));
    const std::string path = dir.file(dataPath(soundtrackFile));
    DecodedSound whole;
    ASSERT_TRUE(decodeOggFile(path, &whole));
    OggStream* stream = openOggStream(path.c_str(), nullptr, nullptr);
    ASSERT_NE(stream, nullptr);
    const int64_t frames = whole.frames();
    for (int64_t frame : {int64_t(30000), int64_t(1), int64_t(4095), frames - 1, frames, frames + 1, int64_t(-1),
                          int64_t(0), int64_t(20000)}) {
        const bool inside = frame >= 0 && frame <= frames;
        EXPECT_EQ(seekOggStream(stream, frame), inside) << frame;
        float got[64 * 2];
        const int64_t read = readOggFrames(stream, got, 64);
        ASSERT_EQ(read, inside ? std::min<int64_t>(64, frames - frame) : 0) << frame;
        int wrong = 0;
        for (int64_t i = 0; i < read * 2; ++i) wrong += got[i] != whole.samples[size_t(frame * 2 + i)];
        EXPECT_EQ(wrong, 0) << frame;
    }
    closeOggStream(stream);
}

// Refused with the reason. The header's channel count and rate are taken as the
// unsigned numbers they are: a rate of 2^31 Hz or more is not let through as negative.
TEST(OggStream, MissingDamagedAndOutOfLimitFilesAreRefused) {
    ScratchDir dir;
    const auto encoded = [&](int channels) {
        const std::string path = dir.file(std::to_string(channels) + ".ogg");
        EXPECT_TRUE(writeTestOgg(path, 0.05, testToneSample, channels, 8000));
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string good = encoded(8), nine = encoded(9);
    const struct {
        std::string bytes;
        const char* reason;  // null: opens
    } cases[] = {
        {"this is not an Ogg file at all", "not an Ogg Vorbis file"},
        {good.substr(0, good.size() / 3), "not an Ogg Vorbis file"},
        {withOggLayout(good, 0, 8000), "not an Ogg Vorbis file"},
        {withOggLayout(good, 8, 0), "not an Ogg Vorbis file"},
        {nine, "9 channels, more than the 8 a soundtrack may have"},
        {withOggLayout(good, 8, 384001), "a sample rate of 384001 Hz, above the 384000 Hz"},
        {withOggLayout(good, 8, 2147483648u), "a sample rate of 2147483648 Hz"},
        {withOggLayout(good, 8, 4294967295u), "a sample rate of 4294967295 Hz"},
        // A comment count of 2^31 - 1 (after "\3vorbis" and the vendor's length and
        // name, on the page after the first); stb_vorbis crashed on it (CVE-2023-45680).
        {withOggPageBytes(good, 1, 11 + uint8_t(good[58 + 27 + uint8_t(good[58 + 26]) + 7]), "\xff\xff\xff\x7f"),
         "not an Ogg Vorbis file"},
        {withOggLayout(good, 8, 384000), nullptr}};
    for (const auto& c : cases) {
        dir.write("case.ogg", c.bytes);
        int channels = 0, rate = 0;
        std::string why;
        OggStream* stream = openOggStream(dir.file("case.ogg").c_str(), &channels, &rate, &why);
        EXPECT_EQ(stream != nullptr, c.reason == nullptr) << why;
        if (c.reason) {
            EXPECT_EQ(why.find(c.reason), 0u) << why;
        } else {
            EXPECT_EQ(channels * 1000000 + rate, 8384000);
        }
        closeOggStream(stream);
    }
    DecodedSound sound;
    EXPECT_FALSE(decodeOggFile(dir.file("absent.ogg"), &sound));
    EXPECT_EQ(openOggStream(nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(readOggFrames(nullptr, nullptr, 10), 0);
    EXPECT_FALSE(seekOggStream(nullptr, 0));
    closeOggStream(nullptr);
}
