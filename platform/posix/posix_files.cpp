// Files beside the program and the run log, for the Linux backends.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/backend_common.h"

// Why the last file call failed: EBUSY and ETXTBSY pass once the other
// program lets go; a read-only file or folder (EACCES, EPERM, EROFS), a full
// disk (ENOSPC), a quota (EDQUOT) or a size limit (EFBIG) do not.
static bool last_busy = false;

static bool fail(int error) {
    last_busy = error == EBUSY || error == ETXTBSY;
    return false;
}

bool plat_file_busy() { return last_busy; }

static bool path_beside_program(const char* name, char* out, int capacity) {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe);
    // readlink cuts silently: a full buffer may name another folder.
    if (n <= 0 || n >= (ssize_t)sizeof exe) return false;
    exe[n] = 0;
    plat_path_beside_program(exe, name, out, capacity);
    return out[0] != 0;
}

int plat_read_file(const char* name, char* buffer, int capacity) {
    last_busy = false;
    if (!name || !buffer || capacity <= 0) return -1;
    char path[4200];
    if (!path_beside_program(name, path, sizeof path)) return -1;
    int fd;
    do fd = open(path, O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        fail(errno);
        return -1;
    }
    // One read, as on Windows: the files are small and the capacity is the limit.
    ssize_t got;
    do got = read(fd, buffer, (size_t)(capacity - 1));
    while (got < 0 && errno == EINTR);
    int error = errno;
    close(fd);
    if (got < 0) {
        fail(error);
        return -1;
    }
    buffer[got] = 0;
    return (int)got;
}

bool plat_write_file(const char* name, const void* data, int length) {
    last_busy = false;
    if (!name || length < 0 || (!data && length > 0)) return false;
    char path[4200];
    if (!path_beside_program(name, path, sizeof path)) return false;
    int fd;
    do fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return fail(errno);
    const char* p = (const char*)data;
    int left = length;
    int error = 0;
    while (left > 0) {
        ssize_t w = write(fd, p, (size_t)left);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            // A write that takes nothing without saying why is a full disk.
            error = w < 0 ? errno : ENOSPC;
            break;
        }
        p += w;
        left -= (int)w;
    }
    // A full disk can also show only at close (network folders).
    if (close(fd) != 0 && error == 0) error = errno;
    if (left == 0 && error == 0) return true;
    return fail(error);
}

bool plat_replace_file(const char* from_name, const char* to_name) {
    last_busy = false;
    if (!from_name || !to_name) return false;
    char from[4200], to[4200];
    if (!path_beside_program(from_name, from, sizeof from) || !path_beside_program(to_name, to, sizeof to))
        return false;
    // The new bytes must be on disk before the name points at them.
    int fd = open(from, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    bool synced = fsync(fd) == 0;
    int error = errno;
    close(fd);
    if (!synced) return fail(error);
    if (rename(from, to) != 0) return fail(errno);
    // And the folder entry too, or the rename itself can be lost.
    char folder[4200];
    std::snprintf(folder, sizeof folder, "%s", to);
    char* slash = std::strrchr(folder, '/');
    if (slash) {
        *slash = 0;
        int dir = open(folder[0] ? folder : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    return true;
}

bool plat_claim_program_folder() {
    char path[4200];
    if (!path_beside_program("tervanne-jeu.verrou", path, sizeof path)) return true;
    // Never closed: the lock lasts as long as this process, and ends with it
    // even after a crash.
    int fd = open(path, O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return true;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int e = errno;
        if (e == EINTR) continue;
        close(fd);
        return e != EWOULDBLOCK;
    }
    return true;
}

bool plat_restore_launcher() {
    char from[4200], to[4200];
    if (!path_beside_program("Tervanne-lanceur.ancien", from, sizeof from) ||
        !path_beside_program("Tervanne-lanceur", to, sizeof to))
        return false;
    // link refuses an existing launcher, where rename would replace it.
    if (link(from, to) != 0) return false;
    unlink(from);
    return true;
}

static int log_fd = -1;
static bool log_tried = false;

void log_printf(const char* fmt, ...) {
    if (!log_tried) {
        log_tried = true;
        char path[4200];
        if (path_beside_program("tervanne-journal.txt", path, sizeof path))
            log_fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (log_fd < 0) return;
    char line[2048];
    va_list args;
    va_start(args, fmt);
    int n = plat_format_log_line(line, fmt, args);
    va_end(args);
    static long log_bytes = 0;
    n = plat_log_keep(line, n, &log_bytes);
    if (n <= 0) return;
    ssize_t w = write(log_fd, line, (size_t)n);
    (void)w;
}
