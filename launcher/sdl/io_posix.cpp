// Files and clock of the Linux launcher.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "launcher/launcher_io.h"

struct LFile {
    int fd;
    bool writing;
};

namespace {

LFile* open_with(const char* path, int flags, bool writing) {
    int fd;
    do fd = open(path, flags | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return new LFile{fd, writing};
}

// The folder's entry must reach the disk too, or a rename can be lost.
void sync_folder_of(const char* path) {
    char dir[1024];
    snprintf(dir, sizeof dir, "%s", path);
    char* slash = strrchr(dir, '/');
    if (slash) *slash = 0;
    else snprintf(dir, sizeof dir, ".");
    int fd = open(dir[0] ? dir : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

LFile* lfs_create(const char* path) { return open_with(path, O_WRONLY | O_CREAT | O_TRUNC, true); }
LFile* lfs_open_read(const char* path) { return open_with(path, O_RDONLY, false); }

bool lfs_write(LFile* f, const void* data, size_t len) {
    const char* p = (const char*)data;
    while (len) {
        ssize_t n = write(f->fd, p, len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        len -= (size_t)n;
    }
    return true;
}

long long lfs_read(LFile* f, void* data, size_t len) {
    for (;;) {
        ssize_t n = read(f->fd, data, len);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool lfs_close(LFile* f) {
    bool ok = !f->writing || fsync(f->fd) == 0;
    ok = close(f->fd) == 0 && ok;
    delete f;
    return ok;
}

bool lfs_delete(const char* path) { return unlink(path) == 0; }

bool lfs_rename_replace(const char* from, const char* to) {
    if (rename(from, to) != 0) return false;
    sync_folder_of(to);
    return true;
}

bool lfs_exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

uint32_t lnc_tick_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)((uint64_t)ts.tv_sec * 1000 + (uint64_t)ts.tv_nsec / 1000000);
}
