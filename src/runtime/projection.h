// The start-up projection every scene is framed for.
#pragma once

void setProjection(int width, int height);
// Viewport = the picture at (pictureOriginX, pictureOriginY) (height 0 counts as 1),
// gluPerspective(45, 1, 1, 1000), modelview identity. Needs a current context.
