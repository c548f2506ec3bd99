// vorrend's command line. Without options the show runs as ever: full screen on the
// first screen, the clock from process start, data/ found as data_folder.h says.
#pragma once
#include <string>

struct PlayerOptions {
    bool window = false;            // --window: a resizable window instead of full screen
    int width = 640, height = 480;  // the window's client size; 960x720 for a bare --window
    int display = 0;                // --display: the screen full screen covers, 0 the first
    float from = -1;                // --from: demoTime of the first frame; negative without it
    double time = -1;               // --time: the one picture held; negative without it
    std::string data;               // --data: the data folder; empty to look for it
};

int parsePlayerArgs(int argc, const char* const* argv, PlayerOptions* options, std::string* out, std::string* err);
// As parseCommandLine (command_line.h): -1 to go on with *options filled, 0 after
// --help or --version (text in *out), 2 on a usage error (message and help in *err).

int playerUsageError(const std::string& why, std::string* err);
// A usage error found once the platform could be asked (no such screen): 2.
