#include "runtime/projection.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/window.h"

void setProjection(int width, int height) {
    if (height == 0) height = 1;
    glViewport(pictureOriginX, pictureOriginY, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Aspect 1.0 whatever the picture's shape: every scene is framed for it.
    gluPerspective(45.0, 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
