#include <GL/gl.h>
#include <GL/glu.h>

#include "scene_fixture.h"
#include "scenes/sprite.h"

using Sprite = SceneTest;

static const Rgba8 red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, white{255, 255, 255, 255};

static void spriteAt(float x, float y, float z, uint32_t texture) {
    glPushMatrix();
    glTranslatef(x, y, z);
    drawSpritePop(texture);
}

TEST_F(Sprite, DepthDecidesHowMuchOfTheViewItCovers) {
    // At z = -8 the quad lies at eye depth 7: half-height 1 against 7 tan 22.5 =
    // 2.9, about the middle third of the view (0.345); aspect 1 on the 4:3
    // picture makes that the middle third of the width too: 221 x 166 pixels
    // from (210, 157).
    uint32_t texture = makeSolidTexture(red);
    spriteAt(0, 0, -8, texture);
    PixelPos topLeft = eyeToPixel(-1, 1, -7), bottomRight = eyeToPixel(1, -1, -7);
    EXPECT_NEAR(topLeft.x, 209.6, 0.1);
    EXPECT_NEAR(bottomRight.y, 322.8, 0.1);
    EXPECT_EQ(pixel(320, 240), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixel(int(topLeft.x) + 2, int(topLeft.y) + 2), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixel(int(bottomRight.x) - 2, int(bottomRight.y) - 2), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixel(int(topLeft.x) - 3, 240), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(int(bottomRight.x) + 3, 240), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(320, int(topLeft.y) - 3), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(320, int(bottomRight.y) + 3), (Rgb{0, 0, 0}));

    // At z = -3 (eye depth 2, visible half-height 0.83) it fills the whole view.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    spriteAt(0, 0, -3, makeSolidTexture(green));
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}})
        EXPECT_EQ(pixel(x, y), (Rgb{0, 255, 0})) << x << ", " << y;
}

TEST_F(Sprite, PictureIsUprightAndLookAtMirrorsX) {
    uint32_t quarters = makeQuadrantTexture(red, green, blue, white);
    spriteAt(0, 0, -3, quarters);
    EXPECT_EQ(pixel(100, 100), (Rgb{255, 0, 0}));  // top left of the picture
    EXPECT_EQ(pixel(540, 100), (Rgb{0, 255, 0}));
    EXPECT_EQ(pixel(100, 380), (Rgb{0, 0, 255}));
    EXPECT_EQ(pixel(540, 380), (Rgb{255, 255, 255}));

    // The look-at camera from -z sees world +x on the left.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0, 0, -35, 0, 0, 0, 0, 1, 0);
    spriteAt(8, 0, 0, makeSolidTexture(red));
    EXPECT_EQ(pixel(160, 240), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixel(480, 240), (Rgb{0, 0, 0}));
}

TEST_F(Sprite, ColourAndAlphaOutsideTheUnitRangeAreClamped) {
    uint32_t grey = makeSolidTexture({200, 200, 200, 255});
    auto overlay = [&](float alpha) {
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        beginAlphaOverlay();
        glColor4f(1, 1, 1, alpha);
        glTranslatef(0, 0, -3);
        drawSpritePop(grey);
        return pixel(320, 240);
    };
    EXPECT_EQ(overlay(-0.4f), (Rgb{0, 0, 255}));
    EXPECT_EQ(overlay(1.6f), overlay(1.0f));
    EXPECT_EQ(overlay(1.0f), (Rgb{200, 200, 200}));

    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginAdditiveOverlay();
    glColor4f(-0.5f, 0.3f, 2.0f, 1);
    glTranslatef(0, 0, -3);
    drawSpritePop(grey);
    EXPECT_TRUE(pixelNear(pixel(320, 240), rgb(0, 0.3 * 200 / 255, 200 / 255.0)));
}

TEST_F(Sprite, LayerFunctionsSetTheirStateAndPushOneMatrix) {
    glLoadIdentity();
    glTranslatef(0, 0, -5);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glEnable(GL_LIGHTING);
    const GLint depth = intParam(GL_MODELVIEW_STACK_DEPTH);

    beginAdditiveLayer();  // keeps the matrix and the colour
    EXPECT_EQ(intParam(GL_MODELVIEW_STACK_DEPTH), depth + 1);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], -5.0f);
    EXPECT_FLOAT_EQ(float4Param(GL_CURRENT_COLOR)[0], 0.5f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(intParam(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(intParam(GL_BLEND_DST), GL_ONE);
    drawSpritePop(SceneTest::invisible);
    EXPECT_EQ(intParam(GL_MODELVIEW_STACK_DEPTH), depth);

    beginAlphaOverlay();  // identity, opaque white
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[14], 0.0f);
    EXPECT_FLOAT_EQ(float4Param(GL_CURRENT_COLOR)[3], 1.0f);
    EXPECT_EQ(intParam(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(intParam(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    glPopMatrix();

    drawSprite(SceneTest::invisible);
    EXPECT_EQ(GLuint(intParam(GL_TEXTURE_BINDING_2D)), SceneTest::invisible);
}
