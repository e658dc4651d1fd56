// Threads and the processors this process may use, for the Linux backends.
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/backend_common.h"
#include "platform/posix/posix_threads.h"

static_assert(sizeof(pthread_t) <= sizeof(uintptr_t), "a pthread_t fits the handle");

namespace {

void* thread_body(void* p) {
    PlatThread* t = (PlatThread*)p;
    t->fn(t->arg);
    return nullptr;
}

// The first line of a small file, or false.
bool read_line(const char* path, char* out, int capacity) {
    FILE* f = std::fopen(path, "re");
    if (!f) return false;
    bool ok = std::fgets(out, capacity, f) != nullptr;
    std::fclose(f);
    return ok;
}

long long read_number(const char* path) {
    char line[64];
    if (!read_line(path, line, sizeof line)) return 0;
    long long v = 0;
    return std::sscanf(line, "%lld", &v) == 1 ? v : 0;
}

// The lowest limit on the way from the process's group up to the root: a
// parent's quota holds for every group below it. 0: none.
int lowest_quota(const char* root, const char* group, bool v2) {
    char dir[1024];
    std::snprintf(dir, sizeof dir, "%s%s", root, group);
    size_t root_len = std::strlen(root);
    int best = 0;
    for (;;) {
        char path[1100];
        int n;
        if (v2) {
            std::snprintf(path, sizeof path, "%s/cpu.max", dir);
            char line[128];
            n = read_line(path, line, sizeof line) ? plat_cpu_max_processors(line) : 0;
        } else {
            std::snprintf(path, sizeof path, "%s/cpu.cfs_quota_us", dir);
            long long quota = read_number(path);
            std::snprintf(path, sizeof path, "%s/cpu.cfs_period_us", dir);
            n = plat_quota_processors(quota, read_number(path));
        }
        if (n > 0 && (best == 0 || n < best)) best = n;
        char* slash = std::strrchr(dir, '/');
        if (!slash || (size_t)(slash - dir) < root_len) break;
        *slash = 0;
    }
    return best;
}

}  // namespace

int posix_cgroup_cpu_limit(const char* cgroup_file, const char* root) {
    FILE* f = std::fopen(cgroup_file, "re");
    if (!f) return 0;
    char v2[512], v2_unified[512], v1_pair[512], v1_cpu[512];
    std::snprintf(v2, sizeof v2, "%s", root);
    std::snprintf(v2_unified, sizeof v2_unified, "%s/unified", root);
    std::snprintf(v1_pair, sizeof v1_pair, "%s/cpu,cpuacct", root);
    std::snprintf(v1_cpu, sizeof v1_cpu, "%s/cpu", root);
    char line[1024];
    int best = 0;
    while (std::fgets(line, sizeof line, f)) {
        line[std::strcspn(line, "\n")] = 0;
        // "<id>:<controllers>:<path>"; v2 has id 0 and no controllers.
        char* c1 = std::strchr(line, ':');
        char* c2 = c1 ? std::strchr(c1 + 1, ':') : nullptr;
        if (!c2) continue;
        *c1 = 0;
        *c2 = 0;
        const char* controllers = c1 + 1;
        const char* group = c2 + 1;
        if (std::strcmp(group, "/") == 0) group = "";
        int n = 0;
        if (std::strcmp(line, "0") == 0 && *controllers == 0) {
            n = lowest_quota(v2, group, true);
            if (n == 0) n = lowest_quota(v2_unified, group, true);
        } else {
            // v1: the group that lists the cpu controller, where it is usually mounted.
            char list[256];
            std::snprintf(list, sizeof list, ",%s,", controllers);
            if (!std::strstr(list, ",cpu,")) continue;
            n = lowest_quota(v1_pair, group, false);
            if (n == 0) n = lowest_quota(v1_cpu, group, false);
        }
        if (n > 0 && (best == 0 || n < best)) best = n;
    }
    std::fclose(f);
    return best;
}

bool plat_thread_start(PlatThread* t, void (*fn)(void*), void* arg) {
    t->fn = fn;
    t->arg = arg;
    t->started = false;
    if (plat_threads_refused()) return false;
    pthread_t id;
    if (pthread_create(&id, nullptr, thread_body, t) != 0) return false;
    t->handle = (uintptr_t)id;
    t->started = true;
    return true;
}

void plat_thread_join(PlatThread* t) {
    if (!t->started) return;
    pthread_join((pthread_t)t->handle, nullptr);
    t->started = false;
}

int plat_usable_processors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    int n = sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 0;
    if (n <= 0) {
        long online = sysconf(_SC_NPROCESSORS_ONLN);
        n = online > 0 ? (int)online : 1;
    }
    int quota = posix_cgroup_cpu_limit("/proc/self/cgroup", "/sys/fs/cgroup");
    if (quota > 0 && quota < n) n = quota;
    return n;
}
