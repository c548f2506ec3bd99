// Helpers for the capture tool's command-line tests: running it, reading its PNG
// files back, and a shared data folder with a soundtrack long enough for the whole
// timeline.
#pragma once
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;          // 128 + signal when it died of one
    std::string errorText;      // what it wrote to stderr
    double secondsToExit = -1;  // from the interrupt to the exit
};

using InterruptWhen = std::function<bool()>;

// What fewer runs ask for.
struct RunMore {
    int interruptSignal = SIGINT;          // as from Ctrl+C
    std::vector<std::string> environment;  // NAME=value, added to ours
};

ProcessResult runProgram(const std::vector<std::string>& args, const std::string& workingDir,
                         const std::string& pathVariable = "", const InterruptWhen& interruptWhen = nullptr,
                         long fileSizeLimit = 0, const RunMore& more = {});
// Runs args[0] (a full path) in workingDir, with a PATH of its own when given. When
// interruptWhen is given it is asked every 5 ms while the program runs, and the
// program gets more.interruptSignal the first time it says yes. With a
// fileSizeLimit, no file it (or a program it starts) writes may grow past that many
// bytes: writes beyond fail with EFBIG, as on a full disk. A program still running
// after two minutes is killed.

ProcessResult runCapture(const std::vector<std::string>& args, const std::string& workingDir,
                         const std::string& pathVariable = "", const InterruptWhen& interruptWhen = nullptr,
                         long fileSizeLimit = 0, const RunMore& more = {});
// The vorrend-capture of this build.

std::string folderWithData();
// A new scratch folder whose data/ is the capture test data's: outputs can be named
// relative to it. Removed at the end of the test binary.

std::vector<std::string> folderListing(const std::string& folder);
// Every name in the folder, hidden ones too, sorted.

std::vector<ProcessResult> runCaptures(const std::vector<std::vector<std::string>>& runs,
                                       const std::string& workingDir);
// Several captures, two at a time, results in the order given.

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first
    bool operator==(const Picture& other) const {
        return width == other.width && height == other.height && rgb == other.rgb;
    }
};

bool readPngFile(const std::string& path, Picture* picture);
// 8-bit RGB PNG files only, as the capture writes them.

const std::string& captureDataDir();
// A folder holding the test data set and a 130 s soundtrack (8 kHz mono) whose level
// jumps every tenth of a second, so a spectrum taken at the wrong moment moves the
// music-driven scenes visibly. Made once per process.

float captureSoundSample(int64_t frame, int channel);
constexpr int captureSoundRate = 8000;

std::string timeText(double seconds);
// Seconds as text that reads back as the same double.
