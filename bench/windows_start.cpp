// The Windows program's start-up under Wine beside the native program's, on the
// same machine and a virtual display of their own (Xvfb, 640 x 480): seconds from
// starting the process to the first picture on screen, three runs each. A Wine run
// starts its session afresh (as the first program a user starts under Wine), and
// the seconds Wine alone takes to start and end a program (vorrend.exe --version)
// are given beside it. Prints figures only.
//   bench_windows_start [PROGRAM-FOLDER]   (default build-windows/vorrend, which
//                                           scripts/windows.sh makes)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo_process.h"

namespace {
void endWineSession() {
    const std::string stop = "WINEPREFIX='" + std::string(VORREND_WINE_PREFIX) + "' wineserver -k 2>/dev/null";
    if (std::system(stop.c_str()) != 0) {
    }  // none was running
}

void report(const char* what, std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-50s", what);
    for (double s : seconds) std::printf(" %6.2f", s);
    std::printf("   median %.2f s\n", seconds[seconds.size() / 2]);
}
}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : VORREND_WINDOWS_DIR;
    const std::string exe = folder + "/vorrend.exe", data = folder + "/data";
    VirtualDisplay display(640, 480);
    if (!display.ok()) {
        std::fprintf(stderr, "cannot start Xvfb\n");
        return 1;
    }
    const std::vector<std::pair<std::string, std::string>> env = {{"DISPLAY", display.name()},
                                                                  {"SDL_AUDIODRIVER", "dummy"}};
    std::vector<double> native, windows, wineAlone;
    for (int run = 0; run < 3; ++run) {
        {
            DemoProcess demo(VORREND_EXE, folder, env, {"--data", data});
            if (waitForPicture(display, 60) < 0) return std::fprintf(stderr, "native: no picture\n"), 1;
            native.push_back(demo.secondsSinceStart());
        }
        endWineSession();
        {
            DemoProcess demo(VORREND_WINE_RUN, folder, env, {VORREND_WINE_PREFIX, exe});
            if (waitForPicture(display, 120) < 0) return std::fprintf(stderr, "Windows: no picture\n"), 1;
            windows.push_back(demo.secondsSinceStart());
        }
        endWineSession();
        {
            DemoProcess demo(VORREND_WINE_RUN, folder, env, {VORREND_WINE_PREFIX, exe, "--version"});
            demo.waitExit(120);
            wineAlone.push_back(demo.secondsSinceStart());
        }
    }
    endWineSession();
    std::printf("seconds from the process's start to its first picture (3 runs, fastest first):\n");
    report("  native vorrend", native);
    report("  vorrend.exe under Wine", windows);
    report("  Wine alone: vorrend.exe --version, start to end", wineAlone);
    return 0;
}
