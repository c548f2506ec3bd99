// Preloaded into vorrend-capture by a test: renaming a regular file fails with EIO
// unless the same thread fsynced that very file last. An output that would take its
// final name before it is on disk (where a crash could leave it empty under that
// name) then fails the capture instead of passing unseen.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

static __thread dev_t syncedDev;
static __thread ino_t syncedIno;

int fsync(int fd) {
    int (*real)(int) = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    struct stat st;
    if (fstat(fd, &st) == 0) {
        syncedDev = st.st_dev;
        syncedIno = st.st_ino;
    }
    return real(fd);
}

int rename(const char* from, const char* to) {
    int (*real)(const char*, const char*) = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    struct stat st;
    if (lstat(from, &st) == 0 && S_ISREG(st.st_mode) && (st.st_dev != syncedDev || st.st_ino != syncedIno)) {
        errno = EIO;
        return -1;
    }
    syncedIno = 0;
    return real(from, to);
}
