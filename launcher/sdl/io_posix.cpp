// Files and clock of the Linux launcher.
#include <fcntl.h>
#include <signal.h>
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
const char LAUNCHER_SERVER_FILE[] = "tervanne-serveur";
const bool LAUNCHER_RENAME_OVER_RUNNING = true;

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

bool lfs_rename_no_replace(const char* from, const char* to) {
    // link refuses an existing target, where rename would replace it.
    if (link(from, to) != 0) return false;
    unlink(from);
    sync_folder_of(to);
    return true;
}

bool lfs_exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// A Linux program, whatever its name: the ELF signature.
bool looks_like_program(const char* path) {
    char head[4] = {};
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const ssize_t n = read(fd, head, sizeof head);
    close(fd);
    return n == 4 && memcmp(head, "\x7f" "ELF", 4) == 0;
}

}  // namespace

void lfs_match_mode(const char* temp, const char* target, bool program) {
    struct stat st;
    mode_t mode;
    program = program || looks_like_program(temp);
    if (stat(target, &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 0777;
    } else if (stat(temp, &st) == 0) {
        mode = st.st_mode & 0777;  // the creation already applied the umask
    } else {
        return;
    }
    // A program keeps or gets its run bit, for whoever may read it: an old
    // copy that had lost it must not pass that on.
    if (program) mode |= (mode & 0444) >> 2;
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

void lnc_stop_dead() {
    raise(SIGKILL);
    _exit(137);  // not reached
}
