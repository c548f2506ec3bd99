// The music player on a real SDL audio driver without a sound card: "disk" writes
// what the device would play to a file, in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include "gl_test.h"
#include "platform/bass.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"
#include "test_ogg.h"

namespace {
void sleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

std::vector<float> readFloats(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> floats(bytes.size() / sizeof(float));
    std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
    return floats;
}

size_t firstSound(const std::vector<float>& samples) {
    return size_t(std::find_if(samples.begin(), samples.end(), [](float s) { return s != 0.0f; }) - samples.begin());
}

// No two stretches of it alike, so a stretch of output tells where in the file it is.
float noiseSample(int64_t frame, int channel) {
    uint32_t x = uint32_t(frame * 2 + channel) * 2654435761u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return float(x % 2001) / 2000.0f - 0.5f;
}

class Music : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", dir.file("out.raw").c_str(), 1);
        ASSERT_TRUE(writeTestOgg(dir.file("music.ogg"), 0.5, testToneSample));
    }
    void TearDown() override {
        BASS_Free();
        unsetenv("SDL_DISKAUDIODELAY");
    }
    ScratchDir dir;
};
}  // namespace

TEST_F(Music, WithoutADeviceOrAFileEveryCallFailsWithoutEffect) {
    float spectrum[512];
    std::fill(spectrum, spectrum + 512, 7.0f);
    // Device 0 is "no sound".
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_StreamCreateFile(false, dir.file("music.ogg").c_str(), 0, 0, 0), 0u);
    EXPECT_FALSE(BASS_StreamPlay(0, false, 0));
    EXPECT_EQ(BASS_ChannelGetData(0, spectrum, BASS_DATA_FFT512), -1);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(0, 1.0), uint64_t(-1));
    EXPECT_FALSE(BASS_ChannelSetPosition(0, 0, BASS_POS_BYTE));

    // No output device at all.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_StreamCreateFile(false, dir.file("music.ogg").c_str(), 0, 0, 0), 0u);
    setenv("SDL_AUDIODRIVER", "disk", 1);

    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_StreamCreateFile(false, dir.file("absent.ogg").c_str(), 0, 0, 0), 0u);
    dir.write("noise.ogg", std::string(5000, 'x'));
    EXPECT_EQ(BASS_StreamCreateFile(false, dir.file("noise.ogg").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(false, nullptr, 0, 0, 0), 0u);
    EXPECT_FALSE(BASS_StreamPlay(0, false, 0));
    EXPECT_EQ(BASS_ChannelGetData(0, spectrum, BASS_DATA_FFT512), -1);
    for (float v : spectrum) ASSERT_EQ(v, 7.0f);
}

TEST_F(Music, PlaysTheFileOnceFromItsStartAndRepeatedRequestsDoNotRestartIt) {
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSTREAM stream = BASS_StreamCreateFile(false, dir.file("music.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);

    float spectrum[512] = {};
    spectrum[0] = 3.0f;
    EXPECT_EQ(BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512), -1) << "not playing yet";
    EXPECT_EQ(spectrum[0], 3.0f);

    sleepSeconds(0.1);  // the device runs silent before the first play request
    // The demo asks every frame during its first seconds.
    bool heard = false;
    for (int frame = 0; frame < 60; ++frame) {
        EXPECT_TRUE(BASS_StreamPlay(stream, false, 0));
        ASSERT_EQ(BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512), 1024);
        // The tone's DC offset (0.25 left, 0.2 right) shows in element 0 once heard.
        if (std::fabs(spectrum[0] - 0.225f) < 0.02f) heard = true;
        sleepSeconds(0.01);
    }
    EXPECT_TRUE(heard);
    sleepSeconds(0.5);  // past the end: silence, no loop
    ASSERT_EQ(BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512), 1024);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(spectrum[k], 0.0f) << k;
    BASS_Free();

    // What reached the output: silence, then the decoded file exactly once, then silence.
    DecodedSound sound;
    ASSERT_TRUE(decodeOggFile(dir.file("music.ogg"), &sound));
    std::vector<float> out = readFloats(dir.file("out.raw"));
    size_t start = firstSound(out);
    ASSERT_EQ(firstSound(sound.samples), 0u);
    ASSERT_EQ(start % 2, 0u);
    ASSERT_LE(start + sound.samples.size(), out.size());
    for (size_t i = 0; i < sound.samples.size(); ++i)
        ASSERT_NEAR(out[start + i], sound.samples[i], 1e-6f) << "sample " << i;
    for (size_t i = start + sound.samples.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << "sample " << i;
}

// A show started part-way: the stream moved before its first play request plays
// from that frame of the file, to the sample. A move past the end fails and would
// leave it silent; a later one still plays.
TEST_F(Music, PlaysFromThePositionItWasMovedTo) {
    ASSERT_TRUE(writeTestOgg(dir.file("noise.ogg"), 0.5, noiseSample));
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSTREAM stream = BASS_StreamCreateFile(false, dir.file("noise.ogg").c_str(), 0, 0, 0);
    const uint64_t at = BASS_ChannelSeconds2Bytes(stream, 0.2);
    EXPECT_EQ(at, 8820u * 2 * 2);  // 16-bit stereo frames
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 2.0), BASS_POS_BYTE));
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, at, 1));
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, at, BASS_POS_BYTE));
    ASSERT_TRUE(BASS_StreamPlay(stream, false, 0));
    sleepSeconds(0.6);
    BASS_Free();

    DecodedSound sound;
    ASSERT_TRUE(decodeOggFile(dir.file("noise.ogg"), &sound));
    const std::vector<float> rest(sound.samples.begin() + 8820 * 2, sound.samples.end());
    std::vector<float> out = readFloats(dir.file("out.raw"));
    size_t start = firstSound(out);
    ASSERT_EQ(firstSound(rest), 0u);
    ASSERT_LE(start + rest.size(), out.size());
    for (size_t i = 0; i < rest.size(); ++i) ASSERT_NEAR(out[start + i], rest[i], 1e-6f) << "sample " << i;
    for (size_t i = start + rest.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << "sample " << i;
}

// The disk driver takes a buffer, writes it at once, then sleeps: slowed to one
// buffer every 400 ms, the estimate of what is heard rests between callbacks, once
// a buffer's time has passed, exactly one buffer behind the frames handed over.
// Each resting spectrum is matched against the decoded file to the frame; the
// frames handed over are counted in the driver's output, closed mid-rest.
TEST_F(Music, TheSpectrumRestsOneDeviceBufferBehindWhatWasHandedOver) {
    setenv("SDL_DISKAUDIODELAY", "400", 1);
    ASSERT_TRUE(writeTestOgg(dir.file("noise.ogg"), 1.0, noiseSample));
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSTREAM stream = BASS_StreamCreateFile(false, dir.file("noise.ogg").c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(stream, false, 0));

    using Spectrum = std::array<float, 256>;
    using Clock = std::chrono::steady_clock;
    std::vector<Spectrum> rests;  // spectra that stayed unchanged for 60 ms
    Spectrum last = {}, now = {};
    Clock::time_point changed = Clock::now(), deadline = changed + std::chrono::seconds(5);
    bool kept = true;
    while (rests.size() < 3 && Clock::now() < deadline) {
        ASSERT_EQ(BASS_ChannelGetData(stream, now.data(), BASS_DATA_FFT512), 1024);
        if (now != last) {
            last = now, changed = Clock::now(), kept = false;
        } else if (!kept && Clock::now() - changed > std::chrono::milliseconds(60)) {
            rests.push_back(now), kept = true;
        }
        sleepSeconds(0.002);
    }
    BASS_Free();  // at once, over 300 ms before the next callback, so a loaded machine cannot slip one in
    ASSERT_EQ(rests.size(), 3u);

    DecodedSound sound;
    ASSERT_TRUE(decodeOggFile(dir.file("noise.ogg"), &sound));
    ASSERT_NE(sound.samples[0], 0.0f);
    std::vector<float> out = readFloats(dir.file("out.raw"));
    const int64_t handedOver = int64_t(out.size() - firstSound(out)) / 2;
    std::vector<float> mono(size_t(sound.frames()));
    for (size_t f = 0; f < mono.size(); ++f) mono[f] = (0.0f + sound.samples[2 * f] + sound.samples[2 * f + 1]) / 2.0f;
    // The frame each resting spectrum ends at.
    std::vector<int64_t> ends;
    for (const Spectrum& rest : rests) {
        int64_t best = -1;
        float bestError = 1;
        for (int64_t end = 1; end <= handedOver; ++end) {
            Spectrum expected;
            spectrumOfPlayed(mono, end, expected.data());
            float error = 0;
            for (int k = 0; k < 256; ++k) error = std::max(error, std::fabs(expected[k] - rest[k]));
            if (error < bestError) best = end, bestError = error;
        }
        EXPECT_LT(bestError, 1e-5f) << "no window of the file gives this spectrum";
        ends.push_back(best);
    }
    const int64_t buffer = ends[1] - ends[0];
    EXPECT_EQ(ends[2] - ends[1], buffer);
    EXPECT_EQ(handedOver % buffer, 0);
    EXPECT_EQ(ends[2], handedOver - buffer) << "handed over " << handedOver << ", buffer " << buffer;
}
