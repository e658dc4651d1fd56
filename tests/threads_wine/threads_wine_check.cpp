// The Windows threads under Wine: a start and its join, the processors the
// process may use, and the world and its map with every start refused.
//   verifier-threads.exe [--processors N] [--refused] [--no-world]
// N: the count expected; --refused: the system refuses every thread;
// --no-world: the threads and processors alone.
// Prints PASS/FAIL lines; exits 1 when a check failed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/backend_common.h"
#include "world/forest.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
    if (!ok) ++failures;
}

void set_flag(void* p) { *(volatile int*)p = 42; }

}  // namespace

int main(int argc, char** argv) {
    int processors = plat_usable_processors();
    std::printf("processeurs utilisables : %d\n", processors);
    check(processors >= 1, "at least one processor");
    int expected = 0;
    bool system_refuses = false, world = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--processors") == 0 && i + 1 < argc) expected = std::atoi(argv[++i]);
        if (std::strcmp(argv[i], "--refused") == 0) system_refuses = true;
        if (std::strcmp(argv[i], "--no-world") == 0) world = false;
    }
    if (expected > 0) check(processors == expected, "the processors of the affinity mask");

    volatile int flag = 0;
    PlatThread t;
    if (system_refuses) {
        check(!plat_thread_start(&t, set_flag, (void*)&flag) && !t.started, "the system refuses a thread");
        plat_thread_join(&t);
        check(flag == 0, "and nothing ran");
    } else {
        check(plat_thread_start(&t, set_flag, (void*)&flag) && t.started, "a thread starts");
        plat_thread_join(&t);
        check(flag == 42 && !t.started, "its work is done when joined");
    }

    if (!world) return failures ? 1 : 0;
    world_generate();
    int obstacles = obstacle_count();
    uint32_t map = world_map_checksum();
    std::vector<TreePlacement> trees = world_trees();

    plat_threads_refuse(true);
    check(!plat_thread_start(&t, set_flag, (void*)&flag) && !t.started, "a refused start says so");
    plat_thread_join(&t);
    world_generate();
    check(obstacle_count() == obstacles, "refused: the same obstacles");
    check(world_map_checksum() == map, "refused: the same map, painted on the calling thread");
    check(world_trees().size() == trees.size() &&
              std::memcmp(world_trees().data(), trees.data(), trees.size() * sizeof(TreePlacement)) == 0,
          "refused: the same trees");
    world_map_paint_later();
    int frames = 0;
    for (; frames < 100000 && !world_map_ready(); ++frames) world_map_step(false);
    check(frames > 16 && world_map_checksum() == map, "refused: painted a few rows a frame, the same map");
    plat_threads_refuse(false);
    std::printf("carte %08x, %d obstacles\n", map, obstacles);
    return failures ? 1 : 0;
}
