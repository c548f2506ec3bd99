// The shared encoders: repeatable bytes, and failures reported as an empty result
// rather than by ending the process.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "encoders.h"

TEST(EncodeJpeg, RepeatsItselfAndRefusesWhatItCannotWrite) {
    std::vector<uint8_t> rgb(16 * 8 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 7);
    std::string jpeg = encodeJpeg(rgb.data(), 16, 8, 90);
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xff\xd8");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xff\xd9");
    EXPECT_EQ(jpeg, encodeJpeg(rgb.data(), 16, 8, 90));
    EXPECT_FALSE(encodeJpeg(rgb.data(), 16, 8, 90, 1).empty());  // grey reads the first third only

    EXPECT_TRUE(encodeJpeg(rgb.data(), 16, 8, 90, 2).empty());
    EXPECT_TRUE(encodeJpeg(rgb.data(), 0, 8, 90).empty());
    EXPECT_TRUE(encodeJpeg(nullptr, 16, 8, 90).empty());
    // Taller than JPEG allows: libjpeg itself fails, midway through.
    std::vector<uint8_t> column(70000 * 3);
    EXPECT_TRUE(encodeJpeg(column.data(), 1, 70000, 90).empty());
}

TEST(EncodeOggVorbis, CarriesTheSerialRepeatsItselfAndRefusesBadSettings) {
    std::vector<float> mono(4410);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = float(i % 100) / 100.0f - 0.5f;
    std::string ogg = encodeOggVorbis(mono.data(), mono.size(), 1, 44100, 0.4f, 0x01020304, {{"TITLE", "x"}});
    ASSERT_GT(ogg.size(), 28u);
    EXPECT_EQ(ogg.substr(0, 4), "OggS");
    int32_t serial = 0;
    std::memcpy(&serial, ogg.data() + 14, 4);  // little-endian in the page header
    EXPECT_EQ(serial, 0x01020304);
    EXPECT_NE(ogg.find("TITLE=x"), std::string::npos);
    EXPECT_EQ(ogg, encodeOggVorbis(mono.data(), mono.size(), 1, 44100, 0.4f, 0x01020304, {{"TITLE", "x"}}));
    EXPECT_FALSE(encodeOggVorbis(nullptr, 0, 2, 44100, 0.4f, 1).empty());  // no samples: headers only

    EXPECT_TRUE(encodeOggVorbis(mono.data(), mono.size(), 0, 44100, 0.4f, 1).empty());
    EXPECT_TRUE(encodeOggVorbis(mono.data(), mono.size(), 1, 0, 0.4f, 1).empty());
}
