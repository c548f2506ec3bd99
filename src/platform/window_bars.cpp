// The black bars around the picture, as the desktop windows (SDL, Windows) keep
// them: GL calls on the window's own context.
#include <GL/gl.h>

#include <algorithm>

#include "platform/window.h"

void startPictureInContext(int width, int height, void (*present)()) {
    // Black bars: clear the whole of both buffers once, then keep every later clear
    // and draw inside the picture. The clear colour goes back to OpenGL's initial
    // value, which the first scene inherits.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    for (int buffer = 0; buffer < 2; ++buffer) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        present();
    }
    glClearColor(0, 0, 0, 0);
    glScissor(pictureOriginX, pictureOriginY, width, height);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
}

void clearBarsAround(int drawableWidth, int drawableHeight) {
    const int x = pictureOriginX, y = pictureOriginY, w = clientRect.right, h = clientRect.bottom;
    const int bars[4][4] = {{0, 0, x, drawableHeight},
                            {x + w, 0, drawableWidth - x - w, drawableHeight},
                            {x, 0, w, y},
                            {x, y + h, w, drawableHeight - y - h}};
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glClearColor(0, 0, 0, 1);
    for (const auto& bar : bars) {
        if (bar[2] <= 0 || bar[3] <= 0) continue;
        glScissor(bar[0], bar[1], bar[2], bar[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glScissor(x, y, std::max(1, w), std::max(1, h));
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

bool followWindowPicture(DemoWindow window) {
    if (!glContext) return false;
    const int oldX = pictureOriginX, oldY = pictureOriginY;
    const DemoRect picture = getClientRect(window);
    if (picture.right == clientRect.right && picture.bottom == clientRect.bottom && oldX == pictureOriginX &&
        oldY == pictureOriginY)
        return false;
    clientRect = picture;
    const int width = std::max(1, int(picture.right)), height = std::max(1, int(picture.bottom));
    glViewport(pictureOriginX, pictureOriginY, width, height);
    glScissor(pictureOriginX, pictureOriginY, width, height);
    return true;
}
