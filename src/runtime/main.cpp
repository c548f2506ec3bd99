#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/timeline.h"

int main() {
    DemoWindow window = createDemoWindow("Vorrend - Grumla 2", 640, 480, fullScreen);
    if (!window) return 1;
    loadAssets(window);
    return runMainLoop();
}
