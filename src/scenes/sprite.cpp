#include "scenes/sprite.h"

#include <GL/gl.h>

void drawSpriteSpan(uint32_t texture, float sLeft, float sRight) {
    glBindTexture(GL_TEXTURE_2D, texture);
    // Clockwise from the top left as the default eye sees it; t = 0 is the top row
    // of the picture, so pictures stand upright.
    glBegin(GL_QUADS);
    glTexCoord2f(sLeft, 0);
    glVertex3f(-1, 1, 1);
    glTexCoord2f(sRight, 0);
    glVertex3f(1, 1, 1);
    glTexCoord2f(sRight, 1);
    glVertex3f(1, -1, 1);
    glTexCoord2f(sLeft, 1);
    glVertex3f(-1, -1, 1);
    glEnd();
}

// s from 0 on the left to 1 on the right: unmirrored.
void drawSprite(uint32_t texture) { drawSpriteSpan(texture, 0, 1); }

void drawSpritePop(uint32_t texture) {
    drawSprite(texture);
    glPopMatrix();
}

// Keeps the current modelview (the camera) and the current colour.
void beginAdditiveLayer() {
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
}

void beginAdditiveOverlay() {
    glLoadIdentity();
    glPushMatrix();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
}

void beginAlphaOverlay() {
    glLoadIdentity();
    glPushMatrix();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
