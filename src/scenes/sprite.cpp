// PLACEHOLDER until the sprite functions land.
#include "scenes/sprite.h"

void drawSprite(uint32_t) {}
void drawSpritePop(uint32_t) {}
void beginAdditiveLayer() {}
void beginAdditiveOverlay() {}
void beginAlphaOverlay() {}
