// The music player on a real SDL audio driver without a sound card: "disk" writes
// what the device would play to a file, in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include "gl_test.h"
#include "platform/bass.h"
#include "platform/ogg_stream.h"
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

class Music : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", dir.file("out.raw").c_str(), 1);
        ASSERT_TRUE(writeTestOgg(dir.file("music.ogg"), 0.5, testToneSample));
    }
    void TearDown() override { BASS_Free(); }
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

TEST_F(Music, TheSpectrumIsOfWhatIsBeingHeardNow) {
    // 0.6 s of a tone centred on bin 10, then 0.6 s on bin 40.
    auto twoTones = [](int64_t frame, int) {
        int bin = frame < 26460 ? 10 : 40;
        return 0.8f * float(std::sin(2.0 * M_PI * bin * double(frame) / 512.0));
    };
    ASSERT_TRUE(writeTestOgg(dir.file("tones.ogg"), 1.2, twoTones));
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSTREAM stream = BASS_StreamCreateFile(false, dir.file("tones.ogg").c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_StreamPlay(stream, false, 0));
    const double start = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    auto spectrumAt = [&](double seconds, float* out) {
        for (;;) {
            double now = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
            if (now - start >= seconds) break;
            sleepSeconds(0.005);
        }
        ASSERT_EQ(BASS_ChannelGetData(stream, out, BASS_DATA_FFT512), 1024);
    };
    // Well inside each half, a quarter second from the change: the tone heard then
    // dominates, not one decoded ahead or long gone.
    float early[256], late[256];
    spectrumAt(0.3, early);
    spectrumAt(0.9, late);
    EXPECT_GT(early[10], 0.3f);
    EXPECT_LT(early[40], 0.05f);
    EXPECT_GT(late[40], 0.3f);
    EXPECT_LT(late[10], 0.05f);
}
