#include <GL/gl.h>

#include "runtime/assets.h"
#include "runtime/timeline.h"
#include "scene_fixture.h"

// Every case comes after an opening frame, which leaves the depth test off.
class Gallery : public SceneTest {
  public:
    void SetUp() override {
        SceneTest::SetUp();
        texRemember = makeSolidTexture({255, 255, 255, 255});
        texGrumla2 = makeSolidTexture({255, 255, 255, 255});
        texPirat = makeSolidTexture({255, 0, 0, 255});
        texSkatt = makeSolidTexture({0, 255, 0, 255});
        texFinish2 = makeSolidTexture({0, 0, 255, 255});
        texLegacyKube = makeSolidTexture({255, 255, 0, 255});
        drawFrameAt(19.9f);
    }
    // Grid pictures sit from 0.15 to 0.75 of the half-extent out: centres at 0.45.
    static Rgb topLeft() { return pixel(176, 132); }
    static Rgb topRight() { return pixel(464, 132); }
    static Rgb bottomLeft() { return pixel(176, 348); }
    static Rgb bottomRight() { return pixel(464, 348); }
    static Rgb gap() { return pixel(320, 240); }          // the cross between them
    static Rgb outsideTitle() { return pixel(16, 240); }  // 0.95 out, in the gap row
};

TEST_F(Gallery, FadingPictureAloneAtTheStart) {
    drawFrameAt(21.0f);  // alpha 1 - 0.2 x 2 = 0.6 over black, nothing else
    for (Rgb p : {topLeft(), bottomRight(), gap(), outsideTitle(), pixel(0, 0), pixel(639, 479)})
        EXPECT_TRUE(pixelNear(p, rgb(0.6, 0.6, 0.6)));
}

TEST_F(Gallery, GridPicturesAppearStrictlyAfterTheirSecond) {
    drawFrameAt(23.0f);  // not yet: the fading picture alone at 0.2
    EXPECT_TRUE(pixelNear(topLeft(), rgb(0.2, 0.2, 0.2)));
    drawFrameAt(23.5f);  // the pirate under the fading picture at 0.1
    EXPECT_TRUE(pixelNear(topLeft(), rgb(1, 0.1, 0.1)));
    EXPECT_TRUE(pixelNear(topRight(), rgb(0.1, 0.1, 0.1)));
    EXPECT_TRUE(pixelNear(gap(), rgb(0.1, 0.1, 0.1)));
    drawFrameAt(24.5f);  // the fading picture is gone
    EXPECT_EQ(gap(), (Rgb{0, 0, 0}));
    drawFrameAt(25.0f);
    EXPECT_EQ(topRight(), (Rgb{0, 0, 0}));
    drawFrameAt(27.5f);
    EXPECT_EQ(topRight(), (Rgb{0, 255, 0}));
    EXPECT_EQ(bottomLeft(), (Rgb{0, 0, 255}));
    EXPECT_EQ(bottomRight(), (Rgb{0, 0, 0}));
}

TEST_F(Gallery, TitleFadesInOverTheGrid) {
    drawFrameAt(29.5f);  // all four pictures; the title at alpha -0.75 shows nothing
    EXPECT_EQ(topLeft(), (Rgb{255, 0, 0}));
    EXPECT_EQ(topRight(), (Rgb{0, 255, 0}));
    EXPECT_EQ(bottomLeft(), (Rgb{0, 0, 255}));
    EXPECT_EQ(bottomRight(), (Rgb{255, 255, 0}));
    EXPECT_EQ(gap(), (Rgb{0, 0, 0}));

    drawFrameAt(32.0f);  // half
    EXPECT_TRUE(pixelNear(topLeft(), rgb(1, 0.5, 0.5)));
    EXPECT_TRUE(pixelNear(gap(), rgb(0.5, 0.5, 0.5)));
    EXPECT_EQ(outsideTitle(), (Rgb{0, 0, 0}));

    for (float time : {33.5f, 34.9f}) {  // alpha past 1 acts as 1
        drawFrameAt(time);
        EXPECT_EQ(topLeft(), (Rgb{255, 255, 255})) << time;
        EXPECT_EQ(gap(), (Rgb{255, 255, 255})) << time;
        EXPECT_EQ(outsideTitle(), (Rgb{0, 0, 0})) << time;
    }

    // The title's own alpha still counts at full fade.
    texGrumla2 = makeSolidTexture({255, 255, 255, 64});
    drawFrameAt(34.0f);
    EXPECT_TRUE(pixelNear(gap(), rgb(0.25, 0.25, 0.25)));
}

TEST_F(Gallery, WithoutTheOpeningTheFadedPictureHidesTheTitle) {
    // A start-up past 20 s: the depth test is still on, the invisible fading
    // picture at eye depth 2 fills the depth buffer and the title behind it fails.
    resetStartupGLState(width, height);
    glEnable(GL_TEXTURE_2D);
    drawFrameAt(33.5f);
    EXPECT_EQ(gap(), (Rgb{0, 0, 0}));
    EXPECT_EQ(topLeft(), (Rgb{255, 0, 0}));
}

TEST_F(Gallery, LeavesAlphaBlendingAndTheLastOverlaysColour) {
    drawFrameAt(32.0f);
    EXPECT_EQ(intParam(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(intParam(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FLOAT_EQ(float4Param(GL_CURRENT_COLOR)[3], 0.5f);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    drawFrameAt(25.0f);
    EXPECT_FLOAT_EQ(float4Param(GL_CURRENT_COLOR)[3], float(1.0 - 6.0 * double(0.2f)));
}
