// Opening the demo's data files on Windows: names are UTF-8, opened through the
// wide-character calls; only regular files, with the same reasons as elsewhere.
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "assets/data_file.h"

std::FILE* openDataFile(const char* path, uint64_t maxBytes, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    if (!path) {
        *why = "no file name";
        return nullptr;
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    std::wstring name(size_t(length > 0 ? length : 1), L'\0');
    if (length <= 0 || !MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, &name[0], length)) {
        *why = std::strerror(ENOENT);
        return nullptr;
    }
    name.resize(name.size() - 1);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(name, ec);
    if (!std::filesystem::exists(status)) {
        *why = std::strerror(ENOENT);
        return nullptr;
    }
    if (std::filesystem::is_directory(status)) {
        *why = std::strerror(EISDIR);
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status)) {
        *why = "not a regular file";
        return nullptr;
    }
    const uintmax_t size = std::filesystem::file_size(name, ec);
    if (ec) {
        *why = ec.message();
        return nullptr;
    }
    if (uint64_t(size) > maxBytes) {
        *why = "larger than " + std::to_string(maxBytes >> 20) + " MiB";
        return nullptr;
    }
    std::FILE* file = _wfopen(name.c_str(), L"rb");
    if (!file) *why = std::strerror(errno);
    return file;
}
