// The generated soundtrack: as long as the show, never clipping, its sections and
// beats on the timeline's bounds, and an encoder that keeps what it is given.
#include <gtest/gtest.h>

#include <cmath>

#include "data_set.h"
#include "datagen.h"
#include "gl_test.h"
#include "runtime/assets.h"
#include "runtime/timeline_table.h"
#include "sound/ogg_stream.h"
#include "sound/spectrum.h"

namespace {

const DecodedSound& soundtrack() {
    static DecodedSound sound;
    static bool decoded = decodeOggFile(dataFile(soundtrackFile), &sound);
    EXPECT_TRUE(decoded);
    return sound;
}
float peakBetween(const DecodedSound& s, double t0, double t1) {
    float peak = 0;
    size_t a = size_t(t0 * s.rate) * 2, b = std::min(s.samples.size(), size_t(t1 * s.rate) * 2);
    for (size_t i = a; i < b; ++i) peak = std::max(peak, std::fabs(s.samples[i]));
    return peak;
}

TEST(Soundtrack, LastsAboutTheTimelineAndNeverClips) {
    const DecodedSound& s = soundtrack();
    ASSERT_EQ(s.channels, 2);
    ASSERT_EQ(s.rate, 44100);
    double seconds = double(s.frames()) / s.rate;
    EXPECT_GT(seconds, 148.0);
    EXPECT_LT(seconds, 152.0);
    EXPECT_LT(peakBetween(s, 0, seconds), 0.89f) << "headroom of 1 dB";
    // Every section is heard, and the outro is over by the end of the show.
    for (double t = 1; t < showEnd - 2; t += 4) EXPECT_GT(peakBetween(s, t, t + 2), 0.05f) << "silent at " << t << " s";
    EXPECT_LT(peakBetween(s, showEnd + 0.5, seconds), 0.01f);
}

// The torus and the blobs move with musicSpectrum[0], by twice its value: every beat
// of their scenes must read at least 0.35 on the frames just after it, as the capture
// tool hears the music at 60 frames a second, and fall back before the next.
TEST(Soundtrack, KickMakesTheLowestSpectrumBinJumpOnEveryBeat) {
    const DecodedSound& s = soundtrack();
    std::vector<float> mono = mixToMono(s);
    float mags[256];
    auto lowestAt = [&](int frame) {
        spectrumOfPlayed(mono, std::llround((frame - 1) / 60.0 * s.rate), mags);
        return mags[0];
    };
    for (Scene scene : {Scene::treasureRoom, Scene::torus}) {
        const double from = windowOf(scene).from, to = windowOf(scene).to - 0.5;
        double weakest = 1, before = 0, beats = 0;
        for (double t = from; t < to; t += 0.5, ++beats) {
            double strongest = 0;
            for (int f = int(std::ceil(t * 60)); f <= int(t * 60) + 9; ++f)
                strongest = std::max(strongest, double(lowestAt(f)));
            weakest = std::min(weakest, strongest);
            before += lowestAt(int(t * 60) + 29);
        }
        EXPECT_GE(weakest, 0.35) << "the weakest beat from " << from << " s";
        EXPECT_LT(before / beats, 0.05) << "just before the beats from " << from << " s";
    }
}

double rmsBetween(const DecodedSound& s, double t0, double t1) {
    double sum = 0;
    size_t a = size_t(t0 * s.rate) * 2, b = std::min(s.samples.size(), size_t(t1 * s.rate) * 2);
    for (size_t i = a; i < b; ++i) sum += double(s.samples[i]) * s.samples[i];
    return std::sqrt(sum / double(b - a));
}

// The music follows the timeline: a calm intro without a beat, the full band on the
// ship, and an outro that fades.
TEST(Soundtrack, SectionsFollowTheTimeline) {
    const DecodedSound& s = soundtrack();
    std::vector<float> mono = mixToMono(s);
    float mags[256];
    double onBeat = 0, beforeBeat = 0;
    const TimelineWindow &opening = windowOf(Scene::opening), &ship = windowOf(Scene::ship),
                         &treasureRoom = windowOf(Scene::treasureRoom), &torus = windowOf(Scene::torus),
                         &closing = windowOf(Scene::ship, 1);
    for (double t = opening.from + 2; t < opening.to - 2; t += 0.5) {
        spectrumOfPlayed(mono, int64_t((t + 0.04) * s.rate), mags);
        onBeat += mags[0];
        spectrumOfPlayed(mono, int64_t((t + 0.49) * s.rate), mags);
        beforeBeat += mags[0];
    }
    EXPECT_LT(onBeat, 1.5 * beforeBeat) << "no kick in the intro";
    EXPECT_LT(rmsBetween(s, opening.from, opening.to), 0.7 * rmsBetween(s, ship.from + 5, ship.to - 1))
        << "the intro is calmer than the main theme";
    EXPECT_GT(rmsBetween(s, torus.from + 2, torus.to), 0.9 * rmsBetween(s, treasureRoom.from + 2, treasureRoom.to))
        << "the torus part is at least as loud";
    EXPECT_LT(rmsBetween(s, showEnd - 5, showEnd), 0.5 * rmsBetween(s, closing.from, closing.from + 8))
        << "the outro fades";
    // The beat stops for the last quarter second before each later scene and lands on
    // its first frame.
    for (double cut : {windowOf(Scene::tunnel).from, treasureRoom.from, torus.from, closing.from})
        EXPECT_LT(rmsBetween(s, cut - 0.2, cut), 0.2 * rmsBetween(s, cut, cut + 0.2)) << "no break before " << cut;
    // Between them the music breathes: its quietest two seconds lie well below its loudest.
    double quietest = 1, loudest = 0;
    for (double t = 37; t < 133; t += 1) {
        quietest = std::min(quietest, rmsBetween(s, t, t + 2));
        loudest = std::max(loudest, rmsBetween(s, t, t + 2));
    }
    EXPECT_GT(loudest, 2 * quietest) << "flat from 37 to 135 s";
}

// The encoder keeps every frame and the level of what it is given, and writes the
// same stream serial number every time.
TEST(Soundtrack, EncoderKeepsLengthAndLevel) {
    const int rate = 44100, frames = rate + 123;
    std::vector<float> stereo(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        stereo[2 * i] = 0.5f * float(std::sin(2 * M_PI * 440 * i / rate));
        stereo[2 * i + 1] = 0.25f * float(std::sin(2 * M_PI * 660 * i / rate));
    }
    std::string ogg = encodeOggVorbis(stereo, rate, 0.4f);
    ASSERT_GT(ogg.size(), 58u);
    EXPECT_EQ(ogg.substr(0, 4), "OggS");
    EXPECT_EQ(ogg, encodeOggVorbis(stereo, rate, 0.4f));
    ScratchDir dir;
    dir.write("tone.ogg", ogg);
    DecodedSound back;
    ASSERT_TRUE(decodeOggFile(dir.file("tone.ogg"), &back));
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.frames(), frames);
    EXPECT_NEAR(rmsBetween(back, 0.1, 0.9), std::sqrt((0.5 * 0.5 + 0.25 * 0.25) / 4), 0.02);
}

}  // namespace
