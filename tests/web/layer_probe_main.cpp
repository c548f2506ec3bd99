// The web layer's side of layer_probe_test.cpp: probe ?n=N drawn through the
// fixed-function layer on the page's canvas (640 x 480 in the test), its picture left
// in Module.probe as RGBA rows from the bottom up.
#include <GL/gl.h>
#include <emscripten.h>

#include <vector>

#include "layer_probes.h"
#include "platform/web/web_page.h"
#include "platform/window.h"

// clang-format off
EM_JS(int, probeNumber, (), { return Number(new URLSearchParams(location.search).get("n")); });
EM_JS(void, leaveProbe, (const unsigned char* rgba, int size), { Module.probe = HEAPU8.slice(rgba, rgba + size); });
// clang-format on

int main() {
    DemoWindow window = createDemoWindow("layer probe", probeWidth, probeHeight, false);
    clientRect = getClientRect(window);
    if (!createGLContext(clientRect.right, clientRect.bottom)) return 1;
    showPageCard(PageCard::none);
    glDisable(GL_SCISSOR_TEST);
    drawProbe(probeNumber());
    std::vector<unsigned char> rgba(size_t(probeWidth) * probeHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, probeWidth, probeHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    leaveProbe(rgba.data(), int(rgba.size()));
    return 0;
}
