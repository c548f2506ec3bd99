#include <cstdio>
#include <string>

#include "platform/bass.h"
#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/data_folder.h"
#include "runtime/manifest.h"
#include "runtime/timeline.h"

int main() {
    // Found before any window opens, so a missing folder costs no flash of a screen.
    std::string folder, err;
    if (!findDataFolder("", executablePath(), &folder, &err)) {
        std::fprintf(stderr, "vorrend: %s\n", err.c_str());
        return 1;
    }
    setDataRoot(folder);
    DemoWindow window = createDemoWindow("Vorrend - Grumla 2", 640, 480, fullScreen);
    if (!window) return 1;
    loadAssets(window);
    int exitCode = runMainLoop();
    // The audio thread reads the player's state: stop it before static destructors run.
    BASS_Free();
    return exitCode;
}
