#include "platform/bass.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/timeline.h"

int main() {
    DemoWindow window = createDemoWindow("Vorrend - Grumla 2", 640, 480, fullScreen);
    if (!window) return 1;
    loadAssets(window);
    int exitCode = runMainLoop();
    // The audio thread reads the player's state: stop it before static destructors run.
    BASS_Free();
    return exitCode;
}
