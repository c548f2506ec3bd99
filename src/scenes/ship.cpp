// The ship rocking on drifting water under one light, in grey linear fog, framed
// by the screen overlay. Two windows: 35-71 s with two sliding cameras, and
// 126-145 s with a fixed camera, the ship crossing the view and the closing
// picture fading in.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "scenes/scene_setup.h"
#include "scenes/scenes.h"
#include "scenes/sprite.h"

void drawShipScene() {
    // The clear comes before the clear colour, so it uses the previous frame's:
    // black on the first frame of each window, this scene's grey after.
    beginLitFrame(0.8f);

    // Set before the camera: transformed by whatever modelview the previous frame
    // left (the identity after any frame of this scene).
    switchOnLamp();

    glEnable(GL_FOG);
    glFogf(GL_FOG_START, 8);
    glFogf(GL_FOG_END, 75);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogGrey);

    setLens(standardFovy);

    // The water's picture drifts: a texture-matrix offset, popped after the water.
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glTranslatef(float(-0.08 * demoTime), float(-0.04 * demoTime), 0);
    glMatrixMode(GL_MODELVIEW);

    // Camera by time; at exactly 47 s none applies and the view is the identity.
    glLoadIdentity();
    if (demoTime > 35.0f && demoTime < shipFarCameraFrom)
        gluLookAt(3.5 * t52 + 4.5, 0, -5, 0, 0, 0, 0, 1, 0);  // x from -55 to -13
    if (demoTime > shipFarCameraFrom && demoTime < 71.0f)
        gluLookAt(-2.0 * t69 + 2.0, 0, -35, 0, 0, 0, 0, 1, 0);  // x from 46 to -2
    if (demoTime > 126.0f && demoTime < 150.0f) gluLookAt(0, 0, -35, 0, 0, 0, 0, 1, 0);

    // Water: lit, fogged, blended by its texture's alpha.
    glPushMatrix();
    glTranslatef(0, -1.5f, 0);
    glRotatef(75, 1, 0, 0);
    glScalef(6, 6, 6);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    objVann.draw();
    glPopMatrix();

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    // Ship: fixed near the origin in the first window; in the second it crosses
    // from (15.5, 3, 12) towards the camera. Rocks +-5 degrees; opaque.
    glPushMatrix();
    if (demoTime > 126.0f && demoTime < 150.0f)
        glTranslatef(float(15.5 - 1.3 * t126), float(3.0 - 0.4 * t126), float(12.0 - 1.5 * t126));
    if (demoTime > 35.0f && demoTime < 71.0f) glTranslatef(0, -1.5f, -5);
    glRotatef(-100, 1, 0, 0);
    glRotatef(-25, 0, 0, 1);
    glRotatef(float(5.0 * std::sin(1.15 * demoTime)), 0, 1, 0);
    glScalef(0.2f, 0.2f, 0.2f);
    glDisable(GL_BLEND);
    objSkute.draw();
    glPopMatrix();

    // Fog stays on: the overlays at eye depth 2 lie inside its start anyway.
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);

    // Closing picture: alpha 0.1 t126, negative (invisible) all through the first
    // window, 0 to 1 over 126-136 s, then full.
    glLoadIdentity();
    glPushMatrix();
    glColor4f(1, 1, 1, float(0.1 * t126));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTranslatef(0, 0, -3);
    drawSpritePop(texTg05);

    // Screen overlay, the whole view.
    beginAlphaOverlay();
    glTranslatef(0, 0, -3);
    drawSpritePop(texSkjerm);
}
