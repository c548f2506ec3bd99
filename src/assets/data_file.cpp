#include "assets/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::FILE* openDataFile(const char* path, uint64_t maxBytes, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    if (!path) {
        *why = "no file name";
        return nullptr;
    }
    // Non-blocking: opening a FIFO would otherwise wait for a writer that never comes.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = std::strerror(errno);
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        *why = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        *why = std::strerror(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
        *why = "not a regular file";
    } else if (uint64_t(st.st_size) > maxBytes) {
        *why = "larger than " + std::to_string(maxBytes >> 20) + " MiB";
    } else if (fcntl(fd, F_SETFL, 0) != 0) {
        *why = std::strerror(errno);
    } else if (std::FILE* file = fdopen(fd, "rb")) {
        return file;
    } else {
        *why = std::strerror(errno);
    }
    close(fd);
    return nullptr;
}
