#include "assets/textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>

#include <cmath>
#include <cstdlib>

#include "assets/data_file.h"
#include "assets/tegn3d.h"
#include "encoders.h"
#include "gl_test.h"
#include "platform/headless.h"
#include "sound/ogg_stream.h"
#include "test_data.h"

namespace {

struct Texels {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// Level `level` of the bound texture as RGBA bytes, first row = t = 0.
Texels boundTexels(int level = 0) {
    Texels t;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &t.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &t.height);
    t.rgba.resize(size_t(t.width) * t.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return t;
}

GLint boundParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint alphaBits() {
    GLint bits = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &bits);
    return bits;
}

void expectNear(const uint8_t* texel, std::initializer_list<int> want, int tolerance, const char* what = "") {
    int i = 0;
    for (int w : want) {
        EXPECT_NEAR(texel[i], w, tolerance) << what << " channel " << i;
        ++i;
    }
}

// Picture pixels: top half colour a, bottom half colour b (JPEG blocks of 8 rows).
std::vector<uint8_t> halves(int width, int height, std::array<uint8_t, 3> a, std::array<uint8_t, 3> b) {
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto& c = y < height / 2 ? a : b;
            pixels.insert(pixels.end(), c.begin(), c.end());
        }
    return pixels;
}

// Patches a PNG's IHDR size and fixes the chunk's CRC: a header that claims a huge
// picture without the bytes to match.
std::string withPngSize(std::string png, uint32_t width, uint32_t height) {
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) png[at + i] = char(v >> (24 - 8 * i));
    };
    put(16, width);
    put(20, height);
    uint32_t crc = 0xffffffffu;
    for (size_t i = 12; i < 29; ++i) {  // chunk type and data of IHDR
        crc ^= uint8_t(png[i]);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    put(29, ~crc);
    return png;
}

class EnvVar {
  public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() { unsetenv(name_); }

  private:
    const char* name_;
};

pngPixels decodePng(const std::string& bytes, int maxSize = 0) {
    pngPixels out;
    std::string why;
    EXPECT_TRUE(decodePngForTexture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), maxSize, &out, &why))
        << why;
    return out;
}

}  // namespace

class JpegTexture : public GLTest {
  protected:
    ScratchDir dir;
    uint32_t load(const std::string& bytes, const char* name = "p.jpg") {
        dir.write(name, bytes);
        uint32_t slots[2] = {0, 0};
        loadJpgTexture(slots, dir.file(name).c_str(), 1);
        EXPECT_EQ(slots[0], 0u);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(GLuint(bound), slots[1]);
        return slots[1];
    }
};

TEST_F(JpegTexture, FullMipmapChainTopRowFirst) {
    uint32_t name = load(encodeJpeg(256, 128, halves(256, 128, {250, 20, 20}, {20, 20, 250})));
    ASSERT_NE(name, 0u);
    for (int level = 0; level < 9; ++level) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, std::max(256 >> level, 1)) << level;
        EXPECT_EQ(h, std::max(128 >> level, 1)) << level;
    }
    EXPECT_EQ(boundParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    Texels t = boundTexels();
    expectNear(t.at(0, 0), {250, 20, 20}, 4, "top-left");
    expectNear(t.at(255, 127), {20, 20, 250}, 4, "bottom-right");
}

TEST_F(JpegTexture, AnyWidthUploadsAndGreyBecomesRgb) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (int w : {30, 37, 5}) {
        ASSERT_NE(load(encodeJpeg(w, 16, halves(w, 16, {240, 16, 16}, {16, 240, 16}))), 0u);
        Texels t = boundTexels();
        for (int y : {0, 1, 5, 6})
            for (int x = 0; x < t.width; ++x) expectNear(t.at(x, y), {240, 16, 16}, 6, "top half");
        for (int x = 0; x < t.width; ++x) expectNear(t.at(x, t.height - 1), {16, 240, 16}, 6, "bottom row");
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4);
    }

    std::vector<uint8_t> grey(24 * 16, 0);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = i < grey.size() / 2 ? 200 : 40;
    ASSERT_NE(load(encodeJpeg(24, 16, grey, true), "grey.jpg"), 0u);
    Texels t = boundTexels();
    expectNear(t.at(3, 0), {200, 200, 200}, 3, "grey top");
    expectNear(t.at(3, t.height - 1), {40, 40, 40}, 3, "grey bottom");
}

TEST_F(JpegTexture, NullNameLeavesTheSlot) {
    uint32_t slots[1] = {77};
    loadJpgTexture(slots, nullptr, 0);
    EXPECT_EQ(slots[0], 77u);
}

TEST(JpegDecode, DamagedAndOversizedFilesFailWithAReason) {
    std::string good = plainJpeg(16, 16, 10, 20, 30);
    auto decode = [](const std::string& bytes, std::string* why) {
        return decodeJpgMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), why);
    };
    std::string why;
    auto image = decode(good, &why);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 16u);
    EXPECT_EQ(image->height, 16);
    EXPECT_EQ(image->rowSpan, 48);

    for (std::string bad : {std::string(), std::string("not a jpeg at all"), good.substr(0, 20)}) {
        why.clear();
        EXPECT_FALSE(decode(bad, &why));
        EXPECT_FALSE(why.empty());
    }
    // A header claiming 6000 x 6000 pixels (SOF0: FF C0, length, precision, height, width).
    std::string huge = good;
    size_t sof = huge.find("\xff\xc0");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = char(6000 >> 8);
    huge[sof + 6] = char(6000 & 0xff);
    huge[sof + 7] = char(6000 >> 8);
    huge[sof + 8] = char(6000 & 0xff);
    why.clear();
    EXPECT_FALSE(decode(huge, &why));
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
    // Huffman tables stb_image would overrun: a scan naming tables the file never
    // defined (SOS: FF DA, length, count, each component's id and tables), and a table
    // of more than 256 codes (DHT: FF C4, length, class and slot, 16 counts).
    const struct {
        const char *marker, *reason;
        size_t offset;
        char value;
    } tables[] = {{"\xff\xda", "Huffman table 0x02 was not defined", 6, 0x22},
                  {"\xff\xc4", "Bogus Huffman table definition", 20, char(255)}};
    for (const auto& t : tables) {
        std::string bad = good;
        const size_t at = bad.find(t.marker);
        ASSERT_NE(at, std::string::npos);
        bad[at + t.offset] = t.value;
        why.clear();
        EXPECT_FALSE(decode(bad, &why));
        EXPECT_EQ(why, t.reason);
    }
}

// The decoder in use (stb_image in the web and Windows builds) against libjpeg itself,
// on a picture of gradients and hard edges as the data's are painted: within the web
// tests' tolerance (a mean under 0.6 levels, under 0.5% of the pixels more than 8
// levels off, under 0.2% more than 32). Measured: at most 3 levels on the data's JPEGs.
TEST(JpegDecode, WithinTheWebToleranceOfLibjpeg) {
    const int width = 96, height = 64;
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) {
        const int x = int(i / 3) % width, y = int(i / 3) / width, c = int(i % 3);
        rgb[i] = uint8_t(c == 0 ? x * 255 / width : c == 1 ? (x ^ y) * 4 : ((x / 12 + y / 12) % 2) * 200 + 20);
    }
    const std::string jpeg = encodeJpeg(rgb.data(), width, height, 90);
    std::string why;
    const auto ours = decodeJpgMemory(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), &why);
    ASSERT_TRUE(ours) << why;

    jpeg_decompress_struct reader;
    jpeg_error_mgr errors;
    reader.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&reader);
    jpeg_mem_src(&reader, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    jpeg_read_header(&reader, TRUE);
    jpeg_start_decompress(&reader);
    std::vector<uint8_t> theirs(rgb.size());
    while (reader.output_scanline < reader.output_height) {
        JSAMPROW row = &theirs[size_t(reader.output_scanline) * width * 3];
        jpeg_read_scanlines(&reader, &row, 1);
    }
    jpeg_finish_decompress(&reader);
    jpeg_destroy_decompress(&reader);

    double sum = 0;
    int over8 = 0, over32 = 0;
    for (size_t p = 0; p < size_t(width) * height; ++p) {
        int most = 0;
        for (size_t c = 0; c < 3; ++c) {
            const int d = std::abs(ours->pixels[p * 3 + c] - theirs[p * 3 + c]);
            sum += d;
            most = std::max(most, d);
        }
        over8 += most > 8;
        over32 += most > 32;
    }
    EXPECT_LT(sum / double(rgb.size()), 0.6);
    EXPECT_LT(over8, width * height / 200);
    EXPECT_LT(over32, width * height / 500);
}

// The loader only reports: loadAssets shows the box and ends the demo (see the
// manifest tests).
TEST_F(JpegTexture, MissingOrDamagedFileFailsWithItsReasonAndLeavesTheSlot) {
    dir.write("bad.jpg", "\xff\xd8\xff garbage");
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {{"missing.jpg", "cannot open: No such file or directory"}, {"bad.jpg", "Unsupported marker type"}};
    for (const auto& c : cases) {
        uint32_t slots[1] = {77};
        std::string why;
        EXPECT_FALSE(loadJpgTexture(slots, dir.file(c.name).c_str(), 0, &why)) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
        EXPECT_EQ(slots[0], 77u) << c.name;
    }
    EXPECT_TRUE(headlessMessages().empty());
}

class PngTexture : public GLTest {
  protected:
    ScratchDir dir;
    uint32_t bind(const std::string& bytes, int wrap = GL_REPEAT, int minFilter = GL_LINEAR) {
        dir.write("p.png", bytes);
        return pngBind(dir.file("p.png").c_str(), 0, -2, nullptr, wrap, minFilter, GL_LINEAR);
    }
};

TEST_F(PngTexture, RgbAndRgbaKeepTheirChannelsTopRowFirst) {
    PngSpec rgb;
    rgb.width = 2;
    rgb.height = 2;
    rgb.samples = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    uint32_t name = bind(encodePng(rgb));
    ASSERT_NE(name, 0u);
    EXPECT_EQ(alphaBits(), 0);
    Texels t = boundTexels();
    ASSERT_EQ(t.width, 2);
    expectNear(t.at(0, 0), {255, 0, 0, 255}, 0);
    expectNear(t.at(1, 0), {0, 255, 0}, 0);
    expectNear(t.at(0, 1), {0, 0, 255}, 0);
    expectNear(t.at(1, 1), {10, 20, 30}, 0);
    EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(boundParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    GLint levelOne = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOne);
    EXPECT_EQ(levelOne, 0);  // level 0 only

    ASSERT_NE(bind(plainPng(4, 4, 200, 100, 50, 77)), 0u);
    EXPECT_GT(alphaBits(), 0);
    expectNear(boundTexels().at(3, 3), {200, 100, 50, 77}, 0);
}

TEST_F(PngTexture, GreyPaletteTransparencyAndSixteenBits) {
    struct Case {
        const char* what;
        PngSpec spec;
        bool alpha;
        std::vector<int> first, second;  // RGBA of pixels 0 and 1
    };
    PngSpec grey;
    grey.width = 2;
    grey.colorType = 0;
    grey.samples = {90, 200};
    PngSpec greyAlpha = grey;
    greyAlpha.colorType = 4;
    greyAlpha.samples = {90, 10, 200, 250};
    PngSpec greyKey = grey;
    greyKey.transparentColour = {200};
    PngSpec grey4 = grey;
    grey4.bitDepth = 4;
    grey4.samples = {15, 5};
    PngSpec rgbKey;
    rgbKey.width = 2;
    rgbKey.samples = {1, 2, 3, 4, 5, 6};
    rgbKey.transparentColour = {4, 5, 6};
    PngSpec palette;
    palette.width = 2;
    palette.colorType = 3;
    palette.palette = {255, 0, 0, 0, 0, 255};
    palette.samples = {1, 0};
    PngSpec paletteAlpha = palette;
    paletteAlpha.paletteAlpha = {128};  // entry 0 half transparent, entry 1 opaque
    PngSpec deep;
    deep.width = 2;
    deep.colorType = 6;
    deep.bitDepth = 16;
    deep.samples = {0xffff, 0x8080, 0x0000, 0x4040, 0x1010, 0x2020, 0x3030, 0xffff};
    Case cases[] = {
        {"grey", grey, false, {90, 90, 90, 255}, {200, 200, 200, 255}},
        {"grey + alpha", greyAlpha, true, {90, 90, 90, 10}, {200, 200, 200, 250}},
        {"grey + tRNS", greyKey, true, {90, 90, 90, 255}, {200, 200, 200, 0}},
        {"grey 4-bit", grey4, false, {255, 255, 255, 255}, {85, 85, 85, 255}},
        {"RGB + tRNS", rgbKey, true, {1, 2, 3, 255}, {4, 5, 6, 0}},
        {"palette", palette, false, {0, 0, 255, 255}, {255, 0, 0, 255}},
        {"palette + tRNS", paletteAlpha, true, {0, 0, 255, 255}, {255, 0, 0, 128}},
        {"16-bit RGBA", deep, true, {255, 128, 0, 64}, {16, 32, 48, 255}},
    };
    for (const Case& c : cases) {
        ASSERT_NE(bind(encodePng(c.spec)), 0u) << c.what;
        EXPECT_EQ(alphaBits() > 0, c.alpha) << c.what;
        Texels t = boundTexels();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(t.at(0, 0)[i], c.first[i]) << c.what << " pixel 0 channel " << i;
            EXPECT_EQ(t.at(1, 0)[i], c.second[i]) << c.what << " pixel 1 channel " << i;
        }
    }
}

TEST_F(PngTexture, SidesRoundUpToPowersOfTwoByNearestNeighbour) {
    PngSpec spec;
    spec.width = 300;
    spec.height = 3;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 300; ++x)
            spec.samples.insert(spec.samples.end(), {uint16_t(x % 256), uint16_t(y * 100), 7});
    ASSERT_NE(bind(encodePng(spec)), 0u);
    Texels t = boundTexels();
    ASSERT_EQ(t.width, 512);
    ASSERT_EQ(t.height, 4);
    for (int x = 0; x < 512; ++x) {
        int source = int(float(x) * 300.0f / 512.0f);
        ASSERT_EQ(t.at(x, 0)[0], source % 256) << x;
    }
    // Rows 0, 0.75, 1.5, 2.25 of the source: 0, 0, 1, 2.
    EXPECT_EQ(t.at(0, 0)[1], 0);
    EXPECT_EQ(t.at(0, 1)[1], 0);
    EXPECT_EQ(t.at(0, 2)[1], 100);
    EXPECT_EQ(t.at(0, 3)[1], 200);

    pngPixels clamped = decodePng(encodePng(spec), 256);
    EXPECT_EQ(clamped.width, 256);
    EXPECT_EQ(clamped.height, 4);
    pngPixels square = decodePng(plainPng(64, 32, 1, 2, 3));
    EXPECT_EQ(square.width, 64);
    EXPECT_EQ(square.height, 32);
    EXPECT_EQ(square.components, 3);
}

TEST_F(PngTexture, GammaRule) {
    auto firstTexel = [](const pngPixels& p) { return std::vector<int>(p.data.get(), p.data.get() + p.components); };
    auto expected = [](int c, double exponent) { return int(std::lround(255.0 * std::pow(c / 255.0, exponent))); };
    std::string plain = plainPng(2, 2, 64, 128, 200, 100);
    PngSpec linearSpec;
    linearSpec.colorType = 6;
    linearSpec.samples = {64, 128, 200, 100};
    linearSpec.gamma = 1.0;
    std::string linear = encodePng(linearSpec);
    PngSpec paletteSpec;
    paletteSpec.colorType = 3;
    paletteSpec.palette = {64, 128, 200};
    paletteSpec.samples = {0};
    paletteSpec.gamma = 1.0;
    std::string palette = encodePng(paletteSpec);

    EnvVar unset("VIEWING_GAMMA", nullptr);
    EXPECT_EQ(firstTexel(decodePng(plain)), (std::vector<int>{64, 128, 200, 100}));
    // gAMA 1.0 on a 2.2 screen: every colour channel to the power 1 / 2.2, alpha kept.
    EXPECT_EQ(firstTexel(decodePng(linear)),
              (std::vector<int>{expected(64, 1 / 2.2), expected(128, 1 / 2.2), expected(200, 1 / 2.2), 100}));
    EXPECT_EQ(firstTexel(decodePng(palette)),
              (std::vector<int>{expected(64, 1 / 2.2), expected(128, 1 / 2.2), expected(200, 1 / 2.2)}));
    {
        EnvVar v("VIEWING_GAMMA", "2");
        EXPECT_EQ(firstTexel(decodePng(plain)),
                  (std::vector<int>{expected(64, 2), expected(128, 2), expected(200, 2), 100}));
    }
    {
        EnvVar v("VIEWING_GAMMA", "0.5");
        EXPECT_EQ(firstTexel(decodePng(plain))[0], expected(64, 0.5));
    }
    {
        EnvVar v("VIEWING_GAMMA", "1.04");  // product 0.96: within 0.05 of 1, no change
        EXPECT_EQ(firstTexel(decodePng(plain))[0], 64);
    }
    {
        EnvVar v("VIEWING_GAMMA", "1.06");
        EXPECT_EQ(firstTexel(decodePng(plain))[0], expected(64, 1.06));
    }
    for (const char* ignored : {"0", "-2", "abc", "", "2x", "nan", "inf"}) {
        EnvVar v("VIEWING_GAMMA", ignored);
        EXPECT_EQ(firstTexel(decodePng(plain)), (std::vector<int>{64, 128, 200, 100})) << ignored;
    }
}

TEST_F(PngTexture, FailuresGiveZeroAndLeaveTheNameBoundAndSet) {
    dir.write("junk.png", "definitely not a picture");
    std::string good = plainPng(8, 8, 1, 2, 3);
    dir.write("cut.png", good.substr(0, good.size() / 2));
    dir.write("huge.png", withPngSize(good, 5000, 5000));
    std::string overlong = good;  // its IDAT claims a gigabyte: refused before anything is allocated for it
    overlong[overlong.find("IDAT") - 4] = 0x40;
    dir.write("overlong.png", overlong);
    const struct {
        const char* name;
        const char* reason;  // the decoder's, kept by pngBind
    } cases[] = {{"missing.png", "cannot open: No such file or directory"},
                 {"junk.png", "not a PNG file"},
                 {"cut.png", "unexpected end of file"},
                 {"overlong.png", "unexpected end of file"},
                 {"huge.png", "too large"}};
    for (const auto& c : cases) {
        const char* name = c.name;
        std::string path = dir.file(name), why;
        EXPECT_EQ(pngBind(path.c_str(), 0, -2, nullptr, GL_CLAMP_TO_EDGE, GL_NEAREST, GL_LINEAR, &why), 0u) << name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << name << ": " << why;
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_NE(bound, 0) << name;
        EXPECT_TRUE(glIsTexture(GLuint(bound))) << name;
        EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE) << name;
        EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE) << name;
        EXPECT_EQ(boundParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST) << name;
    }
    pngPixels out;
    std::string why;
    std::string huge = withPngSize(good, 5000, 5000);
    EXPECT_FALSE(decodePngForTexture(reinterpret_cast<const uint8_t*>(huge.data()), huge.size(), 0, &out, &why));
    EXPECT_NE(why.find("too large"), std::string::npos) << why;
}

// A FIFO (with no writer), a device, a folder or a file past the size limit in place
// of a data file: every loader fails at once, with the reason, as for a missing one.
// The streamed soundtrack has no size limit and reads the huge file as not Ogg.
TEST_F(PngTexture, SpecialAndOversizedFilesFailAtOnceInEveryLoader) {
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", dir.file("zero").c_str()), 0);
    ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0700), 0);
    dir.write("huge", "");
    ASSERT_EQ(truncate(dir.file("huge").c_str(), off_t(maxDataFileBytes) + 1), 0);
    const struct {
        const char *name, *reason, *oggReason;
    } cases[] = {{"fifo", "not a regular file", "not a regular file"},
                 {"zero", "not a regular file", "not a regular file"},
                 {"folder", "Is a directory", "Is a directory"},
                 {"huge", "larger than 256 MiB", "not an Ogg Vorbis file"}};
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name), reason = c.reason;
        std::string why;
        EXPECT_EQ(loadJpgImage(path.c_str(), &why), nullptr);
        EXPECT_EQ(why, "cannot open: " + reason);
        EXPECT_EQ(pngBind(path.c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR, &why), 0u);
        EXPECT_EQ(why, "cannot open: " + reason);
        tegn3d object;
        EXPECT_FALSE(object.loadFromFile(path.c_str(), &why));
        EXPECT_EQ(why, "Unable to open object file " + path + ": " + reason);
        EXPECT_EQ(openOggStream(path.c_str(), nullptr, nullptr, &why), nullptr);
        EXPECT_EQ(why, c.oggReason);
    }
}

TEST_F(PngTexture, AlignmentIsRestored) {
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    ASSERT_NE(bind(plainPng(3, 3, 9, 9, 9)), 0u);  // 9-byte rows need alignment 1
    GLint pack = 0, unpack = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(pack, 2);
    EXPECT_EQ(unpack, 8);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    Texels t = boundTexels();
    EXPECT_EQ(t.width, 4);
    expectNear(t.at(3, 3), {9, 9, 9}, 0);
}

TEST_F(PngTexture, PrefetchedPicturesBindLikeReadOnes) {
    dir.write("a.png", plainPng(4, 2, 10, 20, 30, 40));
    dir.write("junk.png", "not a png");
    dir.write("b.png", plainPng(2, 2, 50, 60, 70));
    std::string a = dir.file("a.png"), junk = dir.file("junk.png"), missing = dir.file("missing.png"),
                b = dir.file("b.png");
    const char* list[] = {a.c_str(), junk.c_str(), missing.c_str(), a.c_str(), nullptr};
    startPngPrefetch(list, 5);
    ASSERT_NE(pngBind(a.c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR), 0u);
    expectNear(boundTexels().at(3, 1), {10, 20, 30, 40}, 0);
    std::string why;
    EXPECT_EQ(pngBind(junk.c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR, &why), 0u);
    EXPECT_EQ(why, "not a PNG file");  // the worker's reason comes through
    EXPECT_EQ(pngBind(missing.c_str(), 0, -2, nullptr, GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR, &why), 0u);
    EXPECT_NE(why.find("cannot open"), std::string::npos) << why;
    EXPECT_EQ(boundParameter(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    // Not in the list: read as usual. Listed twice: the second copy serves the second call.
    ASSERT_NE(pngBind(b.c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR), 0u);
    expectNear(boundTexels().at(1, 1), {50, 60, 70, 255}, 0);
    ASSERT_NE(pngBind(a.c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR), 0u);
    ASSERT_NE(pngBind(a.c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR), 0u);  // taken: reads the file
    expectNear(boundTexels().at(0, 0), {10, 20, 30, 40}, 0);
    finishPngPrefetch();
    finishPngPrefetch();  // twice is harmless

    startPngPrefetch(list, 4);
    finishPngPrefetch();  // nothing taken: everything dropped, nothing leaked
    EXPECT_NE(pngBind(a.c_str(), 0, -2, nullptr, GL_REPEAT, GL_LINEAR, GL_LINEAR), 0u);
}
