#include "demo_process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

double monotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void sleepSeconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

VirtualDisplay::VirtualDisplay(int width, int height) : width_(width), height_(height) {
    int ready[2];
    if (pipe(ready) != 0) return;
    server_ = fork();
    if (server_ == 0) {
        close(ready[0]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(ready[1]);
        std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        // -displayfd: the server picks a free display and reports it when ready.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    pollfd wait = {ready[0], POLLIN, 0};
    const double deadline = monotonicSeconds() + 20;
    while (monotonicSeconds() < deadline && poll(&wait, 1, 100) >= 0) {
        if (!(wait.revents & (POLLIN | POLLHUP))) continue;
        char c;
        if (read(ready[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(ready[0]);
    if (number.empty()) return;
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
}

VirtualDisplay::~VirtualDisplay() {
    if (display_) XCloseDisplay(display_);
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
}

std::array<int, 3> VirtualDisplay::Shot::at(int x, int y) const {
    const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

bool VirtualDisplay::Shot::allBlack() const {
    for (uint8_t v : rgb)
        if (v) return false;
    return true;
}

VirtualDisplay::Shot VirtualDisplay::screenshot() const {
    Shot shot;
    if (!display_) return shot;
    XImage* image =
        XGetImage(display_, DefaultRootWindow(display_), 0, 0, unsigned(width_), unsigned(height_), AllPlanes, ZPixmap);
    if (!image) return shot;
    shot.width = width_;
    shot.height = height_;
    shot.rgb.resize(size_t(width_) * height_ * 3);
    // A 24-bit TrueColor root: 8 bits per channel at the masks' places. Pixels of
    // 32 bits in the host's order are read straight from the image, which is much
    // faster than XGetPixel and keeps the polling from starving the demo.
    const uint32_t one = 1;
    const bool littleEndianHost = *reinterpret_cast<const uint8_t*>(&one) == 1;
    const bool direct = image->bits_per_pixel == 32 && (image->byte_order == LSBFirst) == littleEndianHost;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            unsigned long pixel =
                direct ? *reinterpret_cast<const uint32_t*>(image->data + size_t(y) * image->bytes_per_line + x * 4)
                       : XGetPixel(image, x, y);
            uint8_t* out = &shot.rgb[(size_t(y) * width_ + x) * 3];
            out[0] = uint8_t((pixel & image->red_mask) >> 16);
            out[1] = uint8_t((pixel & image->green_mask) >> 8);
            out[2] = uint8_t(pixel & image->blue_mask);
        }
    XDestroyImage(image);
    return shot;
}

unsigned long VirtualDisplay::findWindow(const std::string& title) const {
    if (!display_) return 0;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    unsigned long found = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        // WM_NAME may be STRING or UTF8_STRING; compare the bytes either way.
        Atom type;
        int format;
        unsigned long length = 0, after = 0;
        unsigned char* name = nullptr;
        if (XGetWindowProperty(display_, children[i], XA_WM_NAME, 0, 256, False, AnyPropertyType, &type, &format,
                               &length, &after, &name) == Success &&
            name) {
            if (format == 8 && std::string(reinterpret_cast<char*>(name), length) == title) found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

VirtualDisplay::Geometry VirtualDisplay::geometry(unsigned long window) const {
    Geometry g;
    XWindowAttributes attributes;
    Window child;
    if (!display_ || !window || !XGetWindowAttributes(display_, window, &attributes)) return g;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &g.x, &g.y, &child);
    g.width = attributes.width;
    g.height = attributes.height;
    return g;
}

bool VirtualDisplay::resize(unsigned long window, int width, int height) const {
    if (!display_ || !window) return false;
    XResizeWindow(display_, window, unsigned(width), unsigned(height));
    XSync(display_, False);
    return true;
}

bool VirtualDisplay::sendClose(unsigned long window) const {
    if (!display_ || !window) return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    bool sent = XSendEvent(display_, window, False, NoEventMask, &event) != 0;
    XFlush(display_);
    return sent;
}

bool VirtualDisplay::key(const std::string& keys) const {
    std::string command = "DISPLAY=" + name_ + " xdotool key " + keys;
    return std::system(command.c_str()) == 0;
}

DemoProcess::DemoProcess(const std::string& exe, const std::string& dir,
                         const std::vector<std::pair<std::string, std::string>>& set,
                         const std::vector<std::string>& args) {
    stderrPath_ = dir + "/demo-stderr.txt";
    stdoutPath_ = dir + "/demo-stdout.txt";
    std::vector<const char*> argv = {exe.c_str()};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    started_ = monotonicSeconds();
    pid_ = fork();
    if (pid_ == 0) {
        for (const auto& [name, value] : set) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        int err = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int out = open(stdoutPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0 || out < 0 || chdir(dir.c_str()) != 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        execv(exe.c_str(), const_cast<char* const*>(argv.data()));
        _exit(127);
    }
}

DemoProcess::~DemoProcess() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
}

bool DemoProcess::running() {
    if (pid_ <= 0 || status_ != -1) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        return false;
    }
    return true;
}

bool DemoProcess::signal(int number) { return running() && kill(pid_, number) == 0; }

int DemoProcess::waitExit(double timeoutSeconds) {
    const double deadline = monotonicSeconds() + timeoutSeconds;
    while (running()) {
        if (monotonicSeconds() > deadline) return -1;
        sleepSeconds(0.005);
    }
    if (status_ == -1) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
}

namespace {
std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

std::string DemoProcess::stderrText() const { return readText(stderrPath_); }
std::string DemoProcess::stdoutText() const { return readText(stdoutPath_); }

double DemoProcess::secondsSinceStart() const { return monotonicSeconds() - started_; }

double waitForPicture(const VirtualDisplay& display, double timeoutSeconds) {
    const double start = monotonicSeconds();
    while (monotonicSeconds() - start < timeoutSeconds) {
        if (!display.screenshot().allBlack()) return monotonicSeconds() - start;
        sleepSeconds(0.05);  // a screenshot costs about 0.1 s of the server's time
    }
    return -1;
}
