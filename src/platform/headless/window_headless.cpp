// Backend without a window: the GL context is the caller's (an offscreen one made
// current beforehand), message boxes go to stderr and are recorded, quit requests
// and other events live on a small queue of our own.
#include <GL/gl.h>

#include <cstdio>
#include <deque>

#include "platform/headless/headless.h"
#include "platform/window.h"

namespace {
struct QueuedEvent {
    bool quit;
    int code;
};
std::deque<QueuedEvent> eventQueue;
std::vector<HeadlessMessage> messages;
int quitRequests = 0;
int swaps = 0;
int pictureWidth = 640, pictureHeight = 480;
DemoWindowImpl* const headlessWindow = reinterpret_cast<DemoWindowImpl*>(&pictureWidth);
}  // namespace

std::vector<HeadlessMessage>& headlessMessages() { return messages; }
int headlessQuitRequests() { return quitRequests; }
void headlessReset() {
    messages.clear();
    quitRequests = 0;
    eventQueue.clear();
}
void headlessSetPictureSize(int width, int height) {
    pictureWidth = width;
    pictureHeight = height;
}
void headlessQueueOtherEvent() { eventQueue.push_back({false, 0}); }
int headlessSwapCount() { return swaps; }

int countDisplays() { return 1; }
DemoWindow createDemoWindow(const char*, int, int, bool) { return headlessWindow; }
DemoRect getClientRect(DemoWindow) { return fitPicture(pictureWidth, pictureHeight); }

bool createGLContext(int width, int height) {
    glContext = headlessWindow;  // stands for the caller's current context
    glScissor(pictureOriginX, pictureOriginY, width, height);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
    return true;
}

void swapDemoBuffers() {
    ++swaps;
    glFinish();
}
void shutdownWindow() { postQuitMessage(0); }

void postQuitMessage(int exitCode) {
    ++quitRequests;
    eventQueue.push_back({true, exitCode});
}

DemoEventKind peekDemoEvent(int* quitCode) {
    if (eventQueue.empty()) return DemoEventKind::none;
    QueuedEvent event = eventQueue.front();
    eventQueue.pop_front();
    if (!event.quit) return DemoEventKind::other;
    if (quitCode) *quitCode = event.code;
    return DemoEventKind::quit;
}

void showMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    messages.push_back({caption, text});
}
