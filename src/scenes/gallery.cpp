// Seconds 20 to 35: a full-screen picture fades out over black, four pictures
// appear one by one in a 2 x 2 grid, then the title fades in over them.
// Drawn with the depth test off as the opening left it: the title lies behind the
// fading picture and must still cover it.
#include <GL/gl.h>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "scenes/scenes.h"
#include "scenes/sprite.h"

// One grid picture, additive, at eye depth 8, from `from` seconds to the end.
static void gridPicture(float from, float x, float y, uint32_t texture) {
    if (!(demoTime > from && demoTime < 35.0f)) return;
    beginAdditiveLayer();
    glTranslatef(x, y, -9);
    drawSprite(texture);
    glPopMatrix();
}

void drawGalleryScene() {
    // Set-up: black, opaque white, no camera, the start-up projection.
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    glLoadIdentity();

    // The grid, two seconds apart.
    gridPicture(galleryPictureFrom[0], -1.5f, 1.5f, texPirat);
    gridPicture(galleryPictureFrom[1], 1.5f, 1.5f, texSkatt);
    gridPicture(galleryPictureFrom[2], -1.5f, -1.5f, texFinish2);
    gridPicture(galleryPictureFrom[3], 1.5f, -1.5f, texLegacyKube);

    // Fading picture, eye depth 2 (past every edge): alpha 0.8 at 20 s, 0 at 24 s,
    // negative (clamped, invisible) after. It ends the frame if ever out of window.
    if (!(demoTime > 17.0f && demoTime < 35.0f)) return;
    glLoadIdentity();
    glPushMatrix();
    glColor4f(1, 1, 1, float(double(1.0f) - double(t19) * double(0.2f)));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTranslatef(0, 0, -3);
    drawSprite(texRemember);
    glPopMatrix();

    // Title, eye depth 3, the middle 80 %: invisible until 31 s, full from 33 s.
    if (!(demoTime > galleryTitleFrom && demoTime < 35.0f)) return;
    glLoadIdentity();
    glPushMatrix();
    glColor4f(1, 1, 1, float(double(t31) * 0.5));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTranslatef(0, 0, -4);
    drawSprite(texGrumla2);
    glPopMatrix();
}
