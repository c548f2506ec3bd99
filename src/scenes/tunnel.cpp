// The tunnel: a lit tube turning about the line of sight with its water picture
// streaming over it, an unlit squashed close-up of the ship swinging in front, two
// additive whirlpools and the screen frame on top. Motion runs on t71; only the
// texture drift runs on demoTime.
#include <GL/gl.h>

#include <cmath>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "scenes/scene_setup.h"
#include "scenes/scenes.h"
#include "scenes/sprite.h"

void drawTunnelScene() {
    // The clear comes before the clear colour, so it uses the previous frame's:
    // the ship scene's light grey on the first frame, this scene's grey after.
    beginLitFrame(0.5f);

    // Dense grey fog would swallow the tube within ten units of the eye. The
    // ship scene hands over with fog on, so switch it off here: every frame of
    // the tunnel then looks the same, the first one included.
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogfv(GL_FOG_COLOR, fogGrey);
    glFogf(GL_FOG_DENSITY, 0.15f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glDisable(GL_FOG);

    setLens(standardFovy);

    // The water picture streams over the tube: five times the ship scene's drift
    // in s, two and a half times in t.
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glTranslatef(float(-0.4 * demoTime), float(-0.1 * demoTime), 0.0f);
    glMatrixMode(GL_MODELVIEW);

    // The ship scene's lamp, set before the camera: transformed by the identity the
    // previous frame left.
    switchOnLamp();

    lookAtOriginFrom(35);

    // Tunnel: its origin 2 units in front of the eye, its own y axis laid along
    // the line of sight; drawn with the alpha blending the previous frame left.
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -33.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(float(6.0 * t71 + 10.0), 0.0f, 1.0f, 0.0f);
    objTunnel.draw();
    glPopMatrix();

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    glDisable(GL_LIGHTING);

    // Ship close-up, in eye space: unlit, opaque, squashed along its own x, turning
    // and rocking; its colour is the opaque white the last overlay left.
    glLoadIdentity();
    glPushMatrix();
    glTranslatef(0.3f, -0.3f, -2.0f);
    glRotatef(-70.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(float(1.5 * t71 - 20.0), 0.0f, 1.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
    glRotatef(float(5.0 * std::sin(1.15 * t71)), 0.0f, 1.0f, 0.0f);
    glScalef(0.003f, 0.01f, 0.01f);
    glDisable(GL_BLEND);
    objSkute.draw();
    glPopMatrix();

    // Light 0 stays enabled; with lighting off it does nothing.
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);

    // Whirlpools, still depth-tested: the close-up hides them where it is nearer.
    beginAdditiveOverlay();
    glScalef(0.2f, 0.2f, 1.0f);
    glTranslatef(3.0f, 2.0f, -3.0f);
    drawSpritePop(texMalstrom);

    beginAdditiveOverlay();
    glScalef(0.3f, 0.1f, 1.0f);
    glTranslatef(-1.6f, -3.8f, -3.0f);
    drawSpritePop(texMalstrom2);

    // Screen frame over everything: the alpha overlay with the depth test off.
    glLoadIdentity();
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTranslatef(0.0f, 0.0f, -3.0f);
    drawSpritePop(texSkjerm);
}
