#include "runtime/projection.h"

#include <GL/gl.h>

#include "platform/window.h"
#include "scenes/scene_setup.h"

void setProjection(int width, int height) {
    if (height == 0) height = 1;
    glViewport(pictureOriginX, pictureOriginY, width, height);
    setLens(standardFovy);
    glLoadIdentity();
}
