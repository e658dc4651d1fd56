// Files and clock of the Linux launcher.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "launcher/launcher_io.h"

const char LAUNCHER_GAME_FILE[] = "Tervanne";
const char LAUNCHER_SELF_FILE[] = "Tervanne-lanceur";

struct LFile {
    int fd;
    bool writing;
};

namespace {

LFile* open_with(const char* path, int flags, bool writing) {
    int fd;
    // Non-blocking only for the open itself: a pipe or a device of that name
    // would otherwise hold the worker for ever before it is refused below.
    do fd = open(path, flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
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

void lfs_match_mode(const char* temp, const char* target, bool program) {
    struct stat st;
    mode_t mode;
    if (stat(target, &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 0777;
    } else if (program && stat(temp, &st) == 0) {
        // Executable by whoever may read it (the creation already applied the umask).
        mode = (st.st_mode & 0777) | ((st.st_mode & 0444) >> 2);
    } else {
        return;
    }
    chmod(temp, mode);
}

namespace {
int folder_lock = -1;
}

void lfs_lock_folder(const char* folder) {
    lfs_unlock_folder();
    // The folder itself carries the lock: no file of ours is left behind.
    folder_lock = open(folder[0] ? folder : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_lock < 0) return;
    while (flock(folder_lock, LOCK_EX) != 0 && errno == EINTR) {
    }
}

void lfs_unlock_folder() {
    if (folder_lock < 0) return;
    close(folder_lock);  // releases the lock
    folder_lock = -1;
}

uint32_t lnc_tick_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)((uint64_t)ts.tv_sec * 1000 + (uint64_t)ts.tv_nsec / 1000000);
}
