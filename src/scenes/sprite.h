// The sprite: a textured 2 x 2 quad in the plane z = +1 of the current modelview,
// t = 0 at its top edge, s = 0 at its left. Placed with glTranslatef(x, y, -d) it
// lies at eye depth d - 1. Colour comes from the current colour (GL_MODULATE).
#pragma once
#include <cstdint>

void drawSprite(uint32_t texture);  // bind, then the quad
// The same quad with s running from sLeft at its left edge to sRight at its right:
// (1, 0) mirrors the picture, (u, u + 1) scrolls it by u.
void drawSpriteSpan(uint32_t texture, float sLeft, float sRight);
void drawSpritePop(uint32_t texture);  // drawSprite, then glPopMatrix
void beginAdditiveLayer();             // push; lighting off; blend (ONE, ONE)
void beginAdditiveOverlay();           // identity; push; white; blend (ONE, ONE)
void beginAlphaOverlay();              // identity; push; white; blend (SRC_ALPHA, 1 - SRC_ALPHA)
