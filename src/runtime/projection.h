// The start-up projection every scene is framed for.
#pragma once

void setProjection(int width, int height);
// Viewport = the picture at (pictureOriginX, pictureOriginY) (height 0 counts as 1),
// the standard lens (scenes/scene_setup.h: 45 degrees, aspect 1, depth 1 to 1000),
// modelview identity. Needs a current context.
