// The demo's window on Win32: window class "tjafs", a WGL context for fixed-function
// drawing, the message queue and message boxes. Full screen is a borderless window
// over the chosen monitor (the display mode is never changed); --window is a
// resizable window. The 4:3 picture sits centred with black bars; a scissor on the
// picture keeps every scene clear off the bars.
#include <windows.h>
// after windows.h, which GL/gl.h needs
#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/window.h"

struct DemoWindowImpl {
    HWND window = nullptr;
    HDC dc = nullptr;
};

namespace {
const wchar_t className[] = L"tjafs";

DemoWindowImpl theWindow;
DWORD mainThread = 0;
bool cursorHidden = false;
int barsToClear = 0;  // buffers whose bars may still hold an old picture

// Ctrl+C, Ctrl+Break or the console closing ask to quit, like closing the window.
// The handler runs on a thread of its own: it notes the request, which the message
// loop picks up, and closes a message box that waits, so that start-up goes on to
// the loop's end; no later box is shown.
std::atomic<bool> quitSignalled{false};

BOOL CALLBACK closeDialog(HWND window, LPARAM) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770") PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL WINAPI onConsoleControl(DWORD) {
    quitSignalled = true;
    EnumThreadWindows(mainThread, closeDialog, 0);
    return TRUE;
}

std::wstring wide(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(size_t(std::max(length, 1)), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &text[0], length);
    text.resize(text.size() - 1);  // the terminating zero
    return text;
}

// The screens, the primary one first (screen 0), the others in the system's order.
BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
    return TRUE;
}

std::vector<HMONITOR> monitors() {
    std::vector<HMONITOR> found;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&found));
    std::stable_partition(found.begin(), found.end(), [](HMONITOR monitor) {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        return GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY);
    });
    return found;
}

bool monitorInfo(int display, MONITORINFO* info) {
    const std::vector<HMONITOR> screens = monitors();
    if (display < 0 || display >= int(screens.size())) return false;
    info->cbSize = sizeof *info;
    return GetMonitorInfoW(screens[size_t(display)], info);
}

// The drawable's size: the window's client area.
void drawableSize(int* width, int* height) {
    RECT client = {};
    GetClientRect(theWindow.window, &client);
    *width = client.right - client.left;
    *height = client.bottom - client.top;
}

// A window of a new size: the picture follows, and the bars of both buffers are
// cleared as the next two frames are presented.
void followWindowSize() {
    if (followWindowPicture(&theWindow)) barsToClear = 2;
}

// Black over everything around the picture, leaving the picture and the scenes' GL
// state (the clear colour, the scissor box) as they were.
void clearBars() {
    int drawableWidth = 0, drawableHeight = 0;
    drawableSize(&drawableWidth, &drawableHeight);
    clearBarsAround(drawableWidth, drawableHeight);
}

// The window procedure: Escape and closing the window (Alt+F4 becomes a close in
// the default handling) ask to quit; every other key is swallowed; the picture
// follows the window's size; GL paints everything, so nothing is erased.
LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        if (glContext) return 1;
        break;
    case WM_CLOSE:
        postQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) postQuitMessage(0);
        return 0;
    case WM_SIZE:
        followWindowSize();
        return 0;
    case WM_SYSCOMMAND:
        // No screen saver and no monitor power-saving during the show.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) return 0;
        break;
    case WM_DPICHANGED: {  // a window moved to a screen of another scale takes the size offered
        const RECT* offered = reinterpret_cast<const RECT*>(lParam);
        if (!fullScreen)
            SetWindowPos(window, nullptr, offered->left, offered->top, offered->right - offered->left,
                         offered->bottom - offered->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Makes the window cover screen fullScreenDisplay. Shows "Could Not Enum Display
// Settings" when the screen cannot be read (the window stays where it is), or
// "Display Mode Not Compatible" with a quit request when it cannot be moved there.
void enterFullScreen() {
    MONITORINFO info = {};
    if (!monitorInfo(fullScreenDisplay, &info)) {
        showMessageBox("Could Not Enum Display Settings", "Error");
        return;
    }
    const RECT& screen = info.rcMonitor;
    if (!SetWindowPos(theWindow.window, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
                      screen.bottom - screen.top, SWP_NOACTIVATE)) {
        showMessageBox("Display Mode Not Compatible", "Error");
        postQuitMessage(0);
    }
}

// The demo's pixel format: double-buffered RGBA, 32 colour bits, 32 depth bits (the
// driver gives the nearest it has). Alpha is not requested, as the demo never reads
// destination alpha.
bool setupPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &request);
    if (format == 0) {
        showMessageBox("ChoosePixelFormat failed", "Error");
        return false;
    }
    if (!SetPixelFormat(dc, format, &request)) {
        showMessageBox("SetPixelFormat failed", "Error");
        return false;
    }
    return true;
}

// Vsync where the driver offers it: no tearing.
void enableVsync() {
    using SwapInterval = BOOL(WINAPI*)(int);
    // Through void*: PROC and the function's own type are not related.
    auto swapInterval =
        reinterpret_cast<SwapInterval>(reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (swapInterval) swapInterval(1);
}
}  // namespace

int countDisplays() { return int(monitors().size()); }

bool largestScreen(int* width, int* height) {
    int64_t largest = 0;
    for (int display = 0; display < countDisplays(); ++display) {
        MONITORINFO info = {};
        if (!monitorInfo(display, &info)) continue;
        const int w = info.rcMonitor.right - info.rcMonitor.left, h = info.rcMonitor.bottom - info.rcMonitor.top;
        if (int64_t(w) * h <= largest) continue;
        largest = int64_t(w) * h;
        *width = w;
        *height = h;
    }
    return largest > 0;
}

DemoWindow createDemoWindow(const char* title, int width, int height, bool full) {
    mainThread = GetCurrentThreadId();
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));  // the demo's own, from its resources
    if (!windowClass.hIcon) windowClass.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));                      // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);

    // Full screen starts on the chosen screen's top-left corner (enterFullScreen
    // covers it); a window is centred on its working area.
    const DWORD style = (full ? WS_POPUP : WS_OVERLAPPEDWINDOW) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    RECT outer = {0, 0, width, height};
    AdjustWindowRect(&outer, style, FALSE);
    const int outerWidth = outer.right - outer.left, outerHeight = outer.bottom - outer.top;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    MONITORINFO info = {};
    if (monitorInfo(fullScreenDisplay, &info)) {
        const RECT& area = full ? info.rcMonitor : info.rcWork;
        x = full ? area.left : area.left + std::max(0, int(area.right - area.left - outerWidth) / 2);
        y = full ? area.top : area.top + std::max(0, int(area.bottom - area.top - outerHeight) / 2);
    }
    theWindow.window = CreateWindowExW(0, className, wide(title).c_str(), style, x, y, outerWidth, outerHeight, nullptr,
                                       nullptr, instance, nullptr);
    if (!theWindow.window) {
        std::fprintf(stderr, "vorrend: cannot create the window (error %lu)\n", GetLastError());
        return nullptr;
    }
    if (full) {
        enterFullScreen();
        ShowCursor(FALSE);
        cursorHidden = true;
    }
    ShowWindow(theWindow.window, SW_SHOWNORMAL);
    UpdateWindow(theWindow.window);
    SetForegroundWindow(theWindow.window);
    SetFocus(theWindow.window);
    return &theWindow;
}

DemoRect getClientRect(DemoWindow window) {
    if (!window || !window->window) return {0, 0, 0, 0};
    int drawableWidth = 0, drawableHeight = 0;
    drawableSize(&drawableWidth, &drawableHeight);
    return fitPicture(drawableWidth, drawableHeight);
}

bool createGLContext(int width, int height) {
    theWindow.dc = GetDC(theWindow.window);
    HGLRC context = nullptr;
    if (theWindow.dc && setupPixelFormat(theWindow.dc)) context = wglCreateContext(theWindow.dc);
    // Without a context there is nothing to set up; the quit request is queued and
    // the loop ends before the first frame.
    if (!context || !wglMakeCurrent(theWindow.dc, context)) {
        if (context) wglDeleteContext(context);
        postQuitMessage(0);
        return false;
    }
    glContext = context;
    enableVsync();

    startPictureInContext(width, height, [] { SwapBuffers(theWindow.dc); });
    return true;
}

void swapDemoBuffers() {
    if (!glContext) return;
    if (barsToClear > 0) {
        clearBars();
        --barsToClear;
    }
    SwapBuffers(theWindow.dc);
}

void shutdownWindow() {
    if (glContext) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(glContext));
        glContext = nullptr;
    }
    if (theWindow.dc) {
        ReleaseDC(theWindow.window, theWindow.dc);
        theWindow.dc = nullptr;
    }
    if (cursorHidden) {
        ShowCursor(TRUE);
        cursorHidden = false;
    }
    postQuitMessage(0);
}

void postQuitMessage(int exitCode) {
    // WM_QUIT comes off the queue once every message before it has been taken.
    PostQuitMessage(exitCode);
}

DemoEventKind peekDemoEvent(int* quitCode) {
    if (quitSignalled.exchange(false)) {
        if (quitCode) *quitCode = 0;
        return DemoEventKind::quit;
    }
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return DemoEventKind::none;
    if (message.message == WM_QUIT) {
        if (quitCode) *quitCode = int(message.wParam);
        return DemoEventKind::quit;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return DemoEventKind::other;
}

void showMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    // After Ctrl+C nobody waits for a box: the console is all there is.
    if (quitSignalled) return;
    // Owned by the demo's window so that it stays above the full-screen picture,
    // with the cursor shown to reach its button.
    if (cursorHidden) ShowCursor(TRUE);
    MessageBoxW(theWindow.window, wide(text).c_str(), wide(caption).c_str(), MB_OK | MB_ICONERROR);
    if (cursorHidden) ShowCursor(FALSE);
}
