// The player's still picture (--time): drawn once, then shown again from a copy, as
// the frames that led up to it cannot be drawn a second time from the state they
// left.
#include <GL/gl.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/window.h"
#include "runtime/show.h"

namespace {

// The copy drawn into the picture's lower-left corner (stretched, nearest pixel,
// when the window has grown or shrunk since), with the scenes' state set aside:
// nothing of the show is drawn after it.
void presentCopy(const std::vector<uint8_t>& rgb, int width, int height) {
    const int w = clientRect.right, h = clientRect.bottom;
    for (GLenum cap : {GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND, GL_FOG, GL_LIGHTING, GL_ALPHA_TEST, GL_CULL_FACE})
        glDisable(cap);
    glViewport(pictureOriginX, pictureOriginY, w, h);
    glScissor(pictureOriginX, pictureOriginY, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2f(-1, -1);
    glPixelZoom(float(w) / float(width), float(h) / float(height));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    swapDemoBuffers();
}

}  // namespace

int holdPictureAt(double time, const PlannedSpectrum& spectrum) {
    int exitCode = 0;
    if (glContext) {
        drawPictureAt(showPlanRate, time, spectrum);
        const int width = clientRect.right, height = clientRect.bottom;
        std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(pictureOriginX, pictureOriginY, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        swapDemoBuffers();
        for (DemoEventKind event; (event = peekDemoEvent(&exitCode)) != DemoEventKind::quit;) {
            if (event == DemoEventKind::other)
                presentCopy(rgb, width, height);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } else {
        // No context: start-up has said why and asked to quit.
        while (peekDemoEvent(&exitCode) != DemoEventKind::quit) {
        }
    }
    finishShow();
    return exitCode;
}
