// A GUI program starts without a console: --help, --version, a bad option and the
// texts of message boxes go to the console it was started from, unless stdout or
// stderr already lead to a file or a pipe, which are kept. Runs before main.
#include <windows.h>

#include <cstdio>

namespace {
bool leadsSomewhere(DWORD stream) {
    HANDLE handle = GetStdHandle(stream);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool attachParentConsole() {
    const bool out = leadsSomewhere(STD_OUTPUT_HANDLE), err = leadsSomewhere(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    if (!out) std::freopen("CONOUT$", "w", stdout);
    if (!err) std::freopen("CONOUT$", "w", stderr);
    SetConsoleOutputCP(CP_UTF8);
    return true;
}

const bool consoleAttached = attachParentConsole();
}  // namespace
