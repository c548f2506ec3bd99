// The generated pictures: decodable by the demo's own loaders, transparent or black
// where their scenes blend them, seamless where they repeat, and every word legible
// where its scene shows it.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "assets/textures.h"
#include "data_set.h"
#include "datagen.h"
#include "paint_kit.h"
#include "runtime/assets.h"

namespace {

TEST(DataSet, JpegPicturesDecodeAsRgbWithRowsTheUploadCanRead) {
    for (const std::string& name :
         {pictureOf(texBlue), pictureOf(texBakgrunn), pictureOf(texSkuta), pictureOf(texLyn)}) {
        std::string error;
        std::unique_ptr<jpgImage> image = loadJpgImage(dataFile(name).c_str(), &error);
        ASSERT_TRUE(image) << name << ": " << error;
        EXPECT_EQ(image->rowSpan, int32_t(image->width * 3)) << name;
        EXPECT_EQ(image->width % 4, 0u) << name << ": unpack alignment 4 needs whole words a row";
        EXPECT_GE(image->height, 128) << name;
    }
}

struct DecodedPng {
    pngPixels px;
    std::array<int, 4> at(double u, double v) const {
        int x = std::min(px.width - 1, int(u * px.width)), y = std::min(px.height - 1, int(v * px.height));
        const uint8_t* p = px.data.get() + (size_t(y) * px.width + x) * px.components;
        return {p[0], p[1], p[2], px.components == 4 ? p[3] : 255};
    }
};
DecodedPng decodePng(const std::string& name) {
    std::string bytes = readAll(dataFile(name)), error;
    DecodedPng out;
    EXPECT_TRUE(
        decodePngForTexture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 4096, &out.px, &error))
        << name << ": " << error;
    return out;
}

TEST(DataSet, PngPicturesDecodeWithTransparencyWhereTheyAreBlendedByAlpha) {
    for (const std::string& name : pictureNames())
        if (name.size() > 4 && name.substr(name.size() - 4) == ".png") {
            DecodedPng png = decodePng(name);
            EXPECT_GT(png.px.width, 0) << name;
        }
    // Alpha-blended overlays must be see-through around what they show.
    for (const std::string& name : {pictureOf(texGrumla2), pictureOf(texLoading), pictureOf(texTreasure),
                                    pictureOf(texTreasureroom), pictureOf(texTg05), pictureOf(texGreet)}) {
        DecodedPng png = decodePng(name);
        ASSERT_EQ(png.px.components, 4) << name;
        EXPECT_EQ(png.at(0.01, 0.01)[3], 0) << name << " top left";
        EXPECT_EQ(png.at(0.99, 0.99)[3], 0) << name << " bottom right";
    }
    // The screen frame: opaque where it shows, clear in the middle.
    DecodedPng frame = decodePng(pictureOf(texSkjerm));
    ASSERT_EQ(frame.px.components, 4);
    EXPECT_EQ(frame.at(0.5, 0.5)[3], 0);
    EXPECT_EQ(frame.at(0.3, 0.7)[3], 0);
    for (auto [u, v] : {std::pair{0.1, 0.5}, {0.9, 0.5}, {0.5, 0.1}, {0.5, 0.9}, {0.1, 0.1}})
        EXPECT_EQ(frame.at(u, v)[3], 255) << u << "," << v;
    // The closing picture covers the view at full opacity: its middle stays clear.
    EXPECT_EQ(decodePng(pictureOf(texTg05)).at(0.5, 0.5)[3], 0);
}

TEST(DataSet, AdditivePicturesHaveBlackBackgrounds) {
    for (const std::string& name :
         {pictureOf(texPirat), pictureOf(texSkatt), pictureOf(texFinish2), pictureOf(texLegacyKube),
          pictureOf(texMalstrom), pictureOf(texMalstrom2), pictureOf(texCred)}) {
        DecodedPng png = decodePng(name);
        for (auto [u, v] : {std::pair{0.01, 0.01}, {0.99, 0.01}, {0.01, 0.99}, {0.99, 0.99}}) {
            auto c = png.at(u, v);
            EXPECT_LT(c[0] + c[1] + c[2], 12) << name << " at " << u << "," << v;
        }
    }
    for (const std::string& name : {pictureOf(texSkuta), pictureOf(texLyn)}) {
        std::string error;
        auto image = loadJpgImage(dataFile(name).c_str(), &error);
        ASSERT_TRUE(image);
        const uint8_t* p = image->pixels.get();
        EXPECT_LT(p[0] + p[1] + p[2], 24) << name;
    }
}

// Textures that repeat across a surface must not show a seam where they wrap: the
// step from the last column to the first (and last row to first) is no bigger than
// the biggest step inside the picture.
TEST(DataSet, RepeatingTexturesWrapWithoutASeam) {
    for (const std::string& name : {pictureOf(texVann), pictureOf(texStone), pictureOf(texTau), pictureOf(texTre),
                                    pictureOf(texTre2), pictureOf(texTre3), pictureOf(texTre4)}) {
        DecodedPng png = decodePng(name);
        const int w = png.px.width, h = png.px.height, n = png.px.components;
        auto value = [&](int x, int y) {
            const uint8_t* p = png.px.data.get() + (size_t(y) * w + x) * n;
            return p[0] + p[1] + p[2];
        };
        auto columnStep = [&](int a, int b) {
            double sum = 0;
            for (int y = 0; y < h; ++y) sum += std::abs(value(a, y) - value(b, y));
            return sum / h;
        };
        auto rowStep = [&](int a, int b) {
            double sum = 0;
            for (int x = 0; x < w; ++x) sum += std::abs(value(x, a) - value(x, b));
            return sum / w;
        };
        double inside = 0, insideRows = 0;
        for (int x = 0; x + 1 < w; ++x) inside = std::max(inside, columnStep(x, x + 1));
        for (int y = 0; y + 1 < h; ++y) insideRows = std::max(insideRows, rowStep(y, y + 1));
        EXPECT_LE(columnStep(w - 1, 0), 1.1 * inside + 4) << name << " seam between right and left edge";
        EXPECT_LE(rowStep(h - 1, 0), 1.1 * insideRows + 4) << name << " seam between bottom and top edge";
    }
}

// The scrolling strips repeat too: no letter may be cut where the picture wraps.
TEST(DataSet, TextStripsWrapBetweenWords) {
    DecodedPng greet = decodePng(pictureOf(texGreet)), cred = decodePng(pictureOf(texCred));
    for (double v = 0.02; v < 1; v += 0.04) {
        EXPECT_EQ(greet.at(0.001, v)[3], 0) << v;
        EXPECT_EQ(greet.at(0.999, v)[3], 0) << v;
        auto left = cred.at(0.001, v), right = cred.at(0.999, v);
        EXPECT_LT(left[0] + left[1] + left[2], 12) << v;
        EXPECT_LT(right[0] + right[1] + right[2], 12) << v;
    }
}

// Full-view overlays lie under the screen frame, whose window spans 13.5 % to 86.5 %
// of the view's picture: the closing text and the title must sit inside it.
TEST(DataSet, ClosingPictureKeepsItsTextInsideTheScreenFrame) {
    DecodedPng closing = decodePng(pictureOf(texTg05));
    for (double u = 0.005; u < 1; u += 0.01)
        for (double v : {0.05, 0.12, 0.88, 0.95}) ASSERT_LT(closing.at(u, v)[3], 8) << u << "," << v;
    for (double v = 0.005; v < 1; v += 0.01)
        for (double u : {0.05, 0.12, 0.88, 0.95}) ASSERT_LT(closing.at(u, v)[3], 160) << u << "," << v;
}

// Where each picture with words lands on the 640 x 480 screen: the whole picture's
// rectangle, from the transforms of the scene that shows it, and whether the screen
// frame lies over it. The strips scroll sideways, so only their rows are fixed.
struct TextPlacement {
    const char* picture;
    double x0, y0, x1, y1;
    bool framed, scrolls;
};
const TextPlacement textPlacements[] = {
    {"pic/loading.png", 264.82, 302.08, 375.18, 384.85, false, false},        // eye depth 14, below the centre
    {"pic/remember.png", -66.27, -49.71, 706.27, 529.71, false, false},       // eye depth 2, past every edge
    {"pic/grumla2.png", 62.48, 46.86, 577.52, 433.14, false, false},          // eye depth 3
    {"pic/legacy/finish2.png", 78.58, 276.21, 271.72, 421.07, false, false},  // bottom left of the grid
    {"pic/treasureroom.png", 2.39, 272.19, 174.07, 400.95, true, false},      // eye depth 45, scaled by 5
    {"pic/treasure.png", 10.98, 77.76, 165.49, 193.65, true, false},          // eye depth 2, scaled by 0.2
    {"pic/greet.png", 0, 336.57, 640, 400.95, true, true},                    // eye depth 180
    {"pic/tg05.png", -66.27, -49.71, 706.27, 529.71, true, false},
    {"pic/cred.png", 0, 411.49, 640, 477.45, false, true},  // eye depth 39 under the 150-degree lens
};

// Every word the pictures show reads at 640 x 480: its smallest letters at least 14
// pixels tall, nothing cut by the picture's edge, the screen's edge or the frame.
TEST(Framing, TextIsLegibleAndUncutAt640x480) {
    // The frame fills the view at eye depth 2, 1.207 times the view's size.
    DecodedPng frame = decodePng("pic/skjerm.png");
    auto frameAlphaAt = [&](double x, double y) {
        const double k = 2 * 1.207107;
        return frame.at(0.5 + (x / 320 - 1) / k, 0.5 + (y / 240 - 1) / k)[3];
    };
    paint::takeTextMarks();  // whatever this thread painted before
    for (const std::string& name : pictureNames()) {
        std::string error;
        ASSERT_FALSE(paintPicture(name, &error).empty()) << name << ": " << error;
        std::vector<paint::TextMark> marks = paint::takeTextMarks();
        const TextPlacement* place = nullptr;
        for (const TextPlacement& p : textPlacements)
            if (name == p.picture) place = &p;
        if (!place) {
            EXPECT_TRUE(marks.empty()) << name << " shows words the table does not place";
            continue;
        }
        ASSERT_FALSE(marks.empty()) << name;
        DecodedPng png = decodePng(name);
        const double w = png.px.width, h = png.px.height;
        const double sx = (place->x1 - place->x0) / w, sy = (place->y1 - place->y0) / h;
        for (const paint::TextMark& m : marks) {
            const std::string what = name + " \"" + m.text + "\"";
            EXPECT_GE(m.letterHeight * sy, 14.0) << what;
            EXPECT_TRUE(m.x0 >= 0 && m.y0 >= 0 && m.x1 <= w && m.y1 <= h) << what << " runs off its picture";
            double x0 = place->x0 + m.x0 * sx, x1 = place->x0 + m.x1 * sx;
            double y0 = place->y0 + m.y0 * sy, y1 = place->y0 + m.y1 * sy;
            if (place->scrolls) x0 = x1 = 320;
            EXPECT_TRUE(x0 >= 0 && y0 >= 0 && x1 <= 640 && y1 <= 480) << what << " runs off the screen";
            if (!place->framed) continue;
            for (auto [x, y] : {std::pair{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}})
                EXPECT_LT(frameAlphaAt(x, y), 40) << what << " lies under the frame at " << x << "," << y;
        }
    }
}

}  // namespace
