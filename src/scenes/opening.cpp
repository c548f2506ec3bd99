// PLACEHOLDER scene: a clear of its own colour so the timeline can be seen.
#include <GL/gl.h>

#include "scenes/scenes.h"

void drawOpeningScene() {
    glClearColor(0.05f, 0.05f, 0.05f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
