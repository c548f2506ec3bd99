#include "staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// Temporaries not yet committed or discarded, for removeStagedLeftovers. Files are
// staged on several threads.
std::mutex stagedLock;
std::vector<std::string> stagedNames;

void forget(const std::string& temporary) {
    std::lock_guard<std::mutex> hold(stagedLock);
    stagedNames.erase(std::remove(stagedNames.begin(), stagedNames.end(), temporary), stagedNames.end());
}

// ".name.XXXXXX" beside the file, the name cut so that the whole fits the longest
// name the folder takes.
std::string temporaryTemplate(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    long longest = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (longest <= 0) longest = 255;
    const size_t room = size_t(std::max(longest - 8, 1L));  // the dot and ".XXXXXX"
    if (name.size() > room) name.resize(room);
    return folder + "." + name + ".XXXXXX";
}

}  // namespace

std::string cannotWrite(const std::string& path, int error) {
    return "cannot write " + path + ": " + (error ? std::strerror(error) : "write error");
}

StagedFile::~StagedFile() { discardFile(this); }

bool stageFile(const std::string& path, StagedFile* staged, std::string* error) {
    discardFile(staged);
    std::string temporary = temporaryTemplate(path);
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = cannotWrite(path, errno);
        return false;
    }
    fchmod(fd, newFileMode());
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        *error = cannotWrite(path, errno);
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    {
        std::lock_guard<std::mutex> hold(stagedLock);
        stagedNames.push_back(temporary);
    }
    staged->path = path;
    staged->temporary = temporary;
    staged->file = file;
    return true;
}

bool commitFile(StagedFile* staged, std::string* error) {
    int failure = 0;
    if (std::ferror(staged->file)) failure = EIO;
    if (!failure && std::fflush(staged->file) != 0) failure = errno;
    // On disk before it takes the final name: a crash then leaves the old file or
    // the whole new one, never a torn one.
    if (!failure && fsync(fileno(staged->file)) != 0) failure = errno;
    if (std::fclose(staged->file) != 0 && !failure) failure = errno;
    staged->file = nullptr;
    if (!failure && rename(staged->temporary.c_str(), staged->path.c_str()) != 0) failure = errno;
    if (failure) {
        *error = cannotWrite(staged->path, failure);
        discardFile(staged);
        return false;
    }
    forget(staged->temporary);
    staged->temporary.clear();
    // The rename itself on disk, as far as the folder lets us.
    size_t slash = staged->path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : staged->path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return true;
}

void discardFile(StagedFile* staged) {
    if (staged->file) std::fclose(staged->file);
    staged->file = nullptr;
    if (staged->temporary.empty()) return;
    unlink(staged->temporary.c_str());
    forget(staged->temporary);
    staged->temporary.clear();
}

bool writeStagedFile(const std::string& path, const std::string& bytes, std::string* error) {
    StagedFile staged;
    if (!stageFile(path, &staged, error)) return false;
    // A short write leaves the stream's error flag set, which commitFile reports;
    // errno still holds the cause.
    if (std::fwrite(bytes.data(), 1, bytes.size(), staged.file) != bytes.size()) {
        *error = cannotWrite(path, errno);
        return false;
    }
    return commitFile(&staged, error);
}

void removeStagedLeftovers() {
    std::lock_guard<std::mutex> hold(stagedLock);
    for (const std::string& name : stagedNames) unlink(name.c_str());
    stagedNames.clear();
}

mode_t newFileMode() {
    static const mode_t mode = [] {
        mode_t mask = umask(0);
        umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
}
