#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "runtime/assets.h"
#include "runtime/timeline.h"
#include "scene_fixture.h"

using Opening = SceneTest;

static const Rgba8 red{255, 0, 0, 255}, white{255, 255, 255, 255};

// Columns where row y turns red, from the left and from the right.
static std::pair<int, int> redSpan(int y) {
    int left = -1, right = -1;
    for (int x = 0; x < GLTest::width; ++x)
        if (GLTest::pixel(x, y)[0] > 128) {
            if (left < 0) left = x;
            right = x;
        }
    return {left, right};
}

static int firstRedRow(int x) {
    for (int y = 0; y < GLTest::height; ++y)
        if (GLTest::pixel(x, y)[0] > 128) return y;
    return -1;
}

TEST_F(Opening, ShipSlidesUntilNineteenSecondsAndRocksCounterclockwise) {
    texSkuta = makeSolidTexture(red);
    // Centre at (introSlide 0.18 - 2.3, -0.83) at eye depth 16. The rocking turns
    // the quad about that centre, so the red run through it stays symmetric.
    auto centreAt = [](float time) {
        drawFrameAt(time);
        auto [left, right] = redSpan(int(std::lround(eyeToPixel(0, -0.83, -16).y)));
        return (left + right) / 2.0;
    };
    EXPECT_NEAR(centreAt(0.5f), eyeToPixel(-2.21, 0, -16).x, 1.0);  // 213.3
    EXPECT_NEAR(centreAt(19.0f), eyeToPixel(1.12, 0, -16).x, 1.0);  // 374.1
    EXPECT_NEAR(centreAt(19.5f), eyeToPixel(1.12, 0, -16).x, 1.0);
    EXPECT_NEAR(centreAt(5.0f), eyeToPixel(-1.4, 0, -16).x, 1.0);

    // The rocking, 5 sin(1.15 demoTime) degrees, tilts the top edge: over 80
    // columns it climbs 80 x 0.75 (the 4:3 stretch) x tan a rows. At pi / 2 / 1.15 s
    // +5 degrees, the right side higher; at 19.95 s, with the slide stopped, -4.1.
    for (float time : {float(std::acos(0.0) / 1.15), 19.95f}) {
        SCOPED_TRACE(time);
        drawFrameAt(time);
        double centre = eyeToPixel(std::min(time, 19.0f) * 0.18 - 2.3, 0, -16).x;
        int leftTop = firstRedRow(int(centre) - 40), rightTop = firstRedRow(int(centre) + 40);
        double degrees = 5 * std::sin(1.15 * time);
        EXPECT_NEAR(leftTop - rightTop, 60 * std::tan(degrees * std::acos(-1.0) / 180), 1.0);
    }
}

TEST_F(Opening, LightningFlickersPerChannel) {
    texLyn = makeSolidTexture(white);
    PixelPos lyn = eyeToPixel(-1, 1, -16);  // (271.7, 203.8)
    // At 0.25 s: sin 3.5 = -0.35, sin 10.5 = -0.88, sin 3 = 0.14, so only blue.
    drawFrameAt(0.25f);
    EXPECT_TRUE(pixelNear(pixel(int(lyn.x), int(lyn.y)), rgb(0, 0, std::sin(3.0))));
    // At 0.288 s all three sines are negative: nothing is added.
    drawFrameAt(0.288f);
    EXPECT_EQ(pixel(int(lyn.x), int(lyn.y)), (Rgb{0, 0, 0}));
    // Later the flicker passes through full colours: sin 14t at its crest.
    float crest = float(std::acos(0.0) / 14.0 + 2 * std::acos(-1.0) / 14.0 * 10);
    drawFrameAt(crest);
    EXPECT_GE(pixel(int(lyn.x), int(lyn.y))[0], 254);
}

TEST_F(Opening, BackgroundIsTheSameOnTheFirstFrameAndLaterOnes) {
    // The first frame finds blending off, later ones the additive blending of the
    // lightning layer; over the black clear both show the picture as it is. The
    // loading picture blends by its own alpha, below the centre at eye depth 14.
    texBakgrunn = makeSolidTexture({100, 150, 200, 255});
    texLoading = makeSolidTexture({255, 255, 255, 128});
    int loadingRow = int(eyeToPixel(0, -2.5, -14).y);  // 343.5
    drawFrameAt(1.0f);
    EXPECT_TRUE(pixelNear(pixel(320, 240), {100, 150, 200}));
    EXPECT_TRUE(pixelNear(pixel(320, loadingRow), {128, 128, 128}));
    EXPECT_EQ(pixel(200, 240), (Rgb{0, 0, 0}));  // outside the middle third
    playFrames(1.0f, 1.5f);
    drawFrameAt(1.5f);
    EXPECT_TRUE(pixelNear(pixel(320, 240), {100, 150, 200}));
    EXPECT_TRUE(pixelNear(pixel(320, loadingRow), {128, 128, 128}));
}

TEST_F(Opening, LeavesTheStateTheGalleryDrawsIn) {
    drawFrameAt(0.25f);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(intParam(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(intParam(GL_BLEND_DST), GL_ONE);
    const std::array<float, 4> colour = float4Param(GL_CURRENT_COLOR);
    EXPECT_NEAR(colour[0], std::sin(3.5), 1e-5);
    EXPECT_NEAR(colour[1], std::sin(10.5), 1e-5);
    EXPECT_NEAR(colour[2], std::sin(3.0), 1e-5);
    EXPECT_EQ(colour[3], 1.0f);
    EXPECT_EQ(GLuint(intParam(GL_TEXTURE_BINDING_2D)), texLyn);
    EXPECT_EQ(intParam(GL_MODELVIEW_STACK_DEPTH), 1);
}
