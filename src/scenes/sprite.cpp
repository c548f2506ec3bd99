#include "scenes/sprite.h"

#include <GL/gl.h>

void drawSprite(uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    // Clockwise from the top left as the default eye sees it; t = 0 is the top row
    // of the picture, so pictures stand upright and unmirrored.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-1, 1, 1);
    glTexCoord2f(1, 0);
    glVertex3f(1, 1, 1);
    glTexCoord2f(1, 1);
    glVertex3f(1, -1, 1);
    glTexCoord2f(0, 1);
    glVertex3f(-1, -1, 1);
    glEnd();
}

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
