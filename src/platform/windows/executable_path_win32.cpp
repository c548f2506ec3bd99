#include <windows.h>

#include <string>

#include "runtime/data_folder.h"

std::string executablePath() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    if (length == 0 || length >= std::size(path)) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, path, int(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, path, int(length), &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}
