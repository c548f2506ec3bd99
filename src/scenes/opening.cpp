// The first twenty seconds: four flat pictures over black. The background stands
// still, the ship slides left to right and rocks, the loading picture sits below
// the centre and the lightning flickers in changing colours, up to the left.
#include <GL/gl.h>

#include <cmath>

#include "runtime/assets.h"
#include "runtime/clock.h"
#include "scenes/scenes.h"
#include "scenes/sprite.h"

void drawOpeningScene() {
    // Set-up: black, no camera, the start-up 45-degree projection.
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);

    // Background, still, eye depth 7: the middle third of the view. Blending is
    // left as found: off on the demo's first frame, additive from this scene's
    // last layer afterwards; over black both give the same picture.
    glPushMatrix();
    glTranslatef(0, 0, -8);
    glColor4f(1, 1, 1, 1);
    drawSprite(texBakgrunn);
    glPopMatrix();

    // Ship, additive: slides 0.18 a second until introSlide stops at 19 s, rocks
    // +-5 degrees on demoTime. Single-precision constants, arithmetic in double.
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glTranslatef(float(double(introSlide) * double(0.18f) - double(2.3f)), -0.83f, -17);
    glRotatef(float(double(5.0f) * std::sin(double(1.15f) * demoTime)), 0, 0, 1);
    drawSprite(texSkuta);
    glPopMatrix();

    // Loading picture, by its own alpha, below the centre.
    glLoadIdentity();
    glPushMatrix();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTranslatef(0, -2.5f, -15);
    drawSprite(texLoading);
    glPopMatrix();

    // Lightning, additive, up to the left: each channel is off while its sine is
    // negative (GL clamps it), which makes the colour flicker.
    glPushMatrix();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(float(std::sin(double(14.0f) * demoTime)), float(std::sin(double(42.0f) * demoTime)),
              float(std::sin(double(12.0f) * demoTime)), 1);
    glTranslatef(-1, 1, -17);
    drawSprite(texLyn);
    glPopMatrix();
}
