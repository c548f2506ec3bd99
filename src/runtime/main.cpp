#include <cstdio>
#include <string>

#include "platform/window.h"
#include "runtime/assets.h"
#include "runtime/data_folder.h"
#include "runtime/manifest.h"
#include "runtime/player_options.h"
#include "runtime/show.h"
#include "runtime/timeline.h"
#include "sound/soundtrack.h"

int main(int argc, char** argv) {
    PlayerOptions options;
    std::string out, err;
    int code = parsePlayerArgs(argc, argv, &options, &out, &err);
    if (code >= 0) {
        std::fputs(out.c_str(), stdout);
        std::fputs(err.c_str(), stderr);
        return code;
    }
    // Found before any window opens, so a missing folder costs no flash of a screen.
    std::string folder;
    if (!findDataFolder(options.data, executablePath(), &folder, &err)) {
        std::fprintf(stderr, "vorrend: %s\n", err.c_str());
        return 1;
    }
    setDataRoot(folder);
    fullScreen = !options.window;
    fullScreenDisplay = options.display;
    if (options.display > 0) {
        const int screens = countDisplays();  // without a display, creating the window says so
        if (screens >= 0 && options.display >= screens) {
            const std::string count =
                screens == 1 ? "is 1 screen (0)"
                             : "are " + std::to_string(screens) + " screens (0 to " + std::to_string(screens - 1) + ")";
            playerUsageError("--display " + std::to_string(options.display) + ": no such screen; there " + count, &err);
            std::fputs(err.c_str(), stderr);
            return 2;
        }
    }
    showStart = options.from;

    DemoWindow window = createDemoWindow("Vorrend - Grumla 2", options.width, options.height, fullScreen);
    if (!window) return 1;
    loadAssets(window);
    if (options.time < 0) return runMainLoop();
    // The picture hears the soundtrack as the capture tool's does; without one, silence.
    Soundtrack sound;
    std::string why;
    openSoundtrack(dataPath(soundtrackFile), &sound, &why);
    return holdPictureAt(options.time, heardIn(sound));
}
