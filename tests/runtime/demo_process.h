// Driving the real vorrend executable as a user would: a virtual X display of its
// own (Xvfb), the demo started in a folder of our choice, screenshots, keys and a
// window-close request. Shared by the end-to-end tests and the runtime benchmarks.
#pragma once
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class VirtualDisplay {
  public:
    VirtualDisplay(int width = 1024, int height = 768);  // starts Xvfb; see ok()
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ok() const { return display_ != nullptr; }
    const std::string& name() const { return name_; }  // ":N"
    int width() const { return width_; }
    int height() const { return height_; }

    struct Shot {
        int width = 0, height = 0;
        std::vector<uint8_t> rgb;  // top row first
        std::array<int, 3> at(int x, int y) const;
        bool allBlack() const;
    };
    Shot screenshot() const;

    unsigned long findWindow(const std::string& title) const;  // 0 when there is none
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;  // on the screen, the inside of the window
    };
    Geometry geometry(unsigned long window) const;
    bool resize(unsigned long window, int width, int height) const;  // as a user dragging its corner
    bool sendClose(unsigned long window) const;                      // WM_DELETE_WINDOW, as a window manager does
    bool key(const std::string& keys) const;                         // xdotool key syntax, e.g. "Escape", "alt+F4"

  private:
    pid_t server_ = -1;
    std::string name_;
    int width_, height_;
    struct _XDisplay* display_ = nullptr;
};

class DemoProcess {
  public:
    // Starts `exe` with `args` in `dir` with the current environment plus `set`
    // (name, value; an empty value removes the variable). Its stdout and stderr go
    // to files.
    DemoProcess(const std::string& exe, const std::string& dir,
                const std::vector<std::pair<std::string, std::string>>& set, const std::vector<std::string>& args = {});
    ~DemoProcess();  // kills it if it still runs
    DemoProcess(const DemoProcess&) = delete;
    DemoProcess& operator=(const DemoProcess&) = delete;

    bool running();
    bool signal(int number);  // sends it while the demo runs
    // The exit code (128 + signal when killed), or -1 when it still runs after timeout.
    int waitExit(double timeoutSeconds);
    std::string stderrText() const;
    std::string stdoutText() const;
    double secondsSinceStart() const;

  private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string stderrPath_, stdoutPath_;
    double started_ = 0;
};

double monotonicSeconds();
void sleepSeconds(double seconds);

// Polls screenshots until one is not all black; the seconds it took, or -1.
double waitForPicture(const VirtualDisplay& display, double timeoutSeconds);
