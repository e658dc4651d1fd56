// A machine that refuses threads: the world, its map and the game's start are
// the same with every worker's share done on the calling thread. Refused by
// the platform's switch, and for real by the kernel in a child process. Also
// the processors counted for the painters: affinity and CPU quotas.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/game_time.h"
#include "game/main_loop.h"
#include "platform/headless/headless.h"
#include "platform/backend_common.h"
#include "platform/posix/posix_threads.h"
#include "play/player_input.h"
#include "render/ui.h"
#include "tests/support/refuse_threads.h"
#include "tests/support/scene_economy.h"
#include "world/forest.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

struct WorldFigures {
    int obstacles;
    uint32_t map;
};

WorldFigures generate() {
    world_generate();
    return {obstacle_count(), world_map_checksum()};
}

std::string read_log() {
    static char buf[1 << 16];
    int n = plat_read_file("tervanne-journal.txt", buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, (size_t)n);
}

// The game's start on the headless backend, then frames in play. Undrawn,
// they still simulate and put up the map.
void start_and_play(bool drawn) {
    headless_set_window_size(640, 360);
    scene_economy();
    headless_set_time_step(1.0 / 60.0);
    main_loop_set_draw_interval(drawn ? 1 : 1000000);
    ASSERT_EQ(game_startup(), 0);
    EXPECT_NE(read_log().find("Monde prêt : "), std::string::npos);
    game_flags.character_creation_open = 0;  // no character file here: straight into play
    double clock = game_clock;
    for (int i = 0; i < 3; ++i) game_frame();
    EXPECT_NEAR(game_clock - clock, 3.0 / 60.0, 1e-6);
    EXPECT_TRUE(ui_map_ready());  // the first frame in play shows the map
    EXPECT_EQ(game_shutdown(), 0);
    main_loop_set_draw_interval(1);
}

void* nothing(void*) { return nullptr; }

const char CHILD[] = "TERVANNE_THREADS_REFUSED_CHILD";


}  // namespace

TEST(Processors, AffinityAndQuotaTexts) {
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    int first = 0;
    while (!CPU_ISSET(first, &all)) ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(plat_usable_processors(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
    EXPECT_GE(plat_usable_processors(), 1);
    EXPECT_LE(plat_usable_processors(), CPU_COUNT(&all));

    // A quota of one and a half processors lets two run, never none.
    EXPECT_EQ(plat_cpu_max_processors("max 100000\n"), 0);
    EXPECT_EQ(plat_cpu_max_processors("150000 100000\n"), 2);
    EXPECT_EQ(plat_cpu_max_processors("200000 100000"), 2);
    EXPECT_EQ(plat_cpu_max_processors("1000 100000\n"), 1);
    EXPECT_EQ(plat_cpu_max_processors("100000"), 0);
    EXPECT_EQ(plat_cpu_max_processors(""), 0);
    EXPECT_EQ(plat_cpu_max_processors("x 100000"), 0);
    EXPECT_EQ(plat_quota_processors(-1, 100000), 0);  // the v1 "no quota"
    EXPECT_EQ(plat_quota_processors(300000, 100000), 3);
}

// Made-up control group trees: the lowest quota on the way up counts.
TEST(Processors, CgroupQuotaOfTheGroupAndItsParents) {
    char root[] = "/tmp/tervanne-cgroup.XXXXXX";
    ASSERT_NE(mkdtemp(root), nullptr);
    auto put = [&](const std::string& rel, const char* text) {
        std::string path = std::string(root) + rel;
        for (size_t i = std::strlen(root) + 1; i < path.size(); ++i)
            if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
        FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs(text, f);
        std::fclose(f);
    };
    const std::string proc = std::string(root) + "/cgroup";
    // v2: a parent allows 3, the group itself 6, its child (ours) no limit.
    put("/cgroup", "0::/jeu/parent/nous\n");
    put("/jeu/cpu.max", "max 100000\n");
    put("/jeu/parent/cpu.max", "300000 100000\n");
    put("/jeu/parent/nous/cpu.max", "max 100000\n");
    EXPECT_EQ(posix_cgroup_cpu_limit(proc.c_str(), root), 3);
    put("/jeu/parent/nous/cpu.max", "120000 100000\n");
    EXPECT_EQ(posix_cgroup_cpu_limit(proc.c_str(), root), 2);
    // v1: the cpu controller's group, with -1 for "no quota".
    put("/cgroup", "4:memory:/autre\n2:cpu,cpuacct:/lot\n0::/\n");
    put("/cpu,cpuacct/lot/cpu.cfs_quota_us", "-1\n");
    put("/cpu,cpuacct/lot/cpu.cfs_period_us", "100000\n");
    EXPECT_EQ(posix_cgroup_cpu_limit(proc.c_str(), root), 0);
    put("/cpu,cpuacct/lot/cpu.cfs_quota_us", "50000\n");
    EXPECT_EQ(posix_cgroup_cpu_limit(proc.c_str(), root), 1);
    put("/cgroup", "1:cpuset:/lot\n");  // no cpu controller listed
    EXPECT_EQ(posix_cgroup_cpu_limit(proc.c_str(), root), 0);
    EXPECT_EQ(posix_cgroup_cpu_limit("/nulle/part", root), 0);
    std::string rm = std::string("rm -rf ") + root;
    EXPECT_EQ(std::system(rm.c_str()), 0);
}

// The kernel refuses every thread of a child process (a process limit on a
// player's machine does the same): the game still builds its world, paints
// its map to the same picture and plays. Run first, before this process has
// a GL context and the driver's threads.
TEST(ThreadsRefused, ByTheKernelTheGameStillStartsAndPlays) {
#if !defined(TERVANNE_CAN_REFUSE_THREADS)
    GTEST_SKIP() << "the refusal filter is written for Linux on x86-64";
#else
    if (std::getenv(CHILD)) GTEST_SKIP() << "in the child";
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        setenv(CHILD, "1", 1);
        // llvmpipe waits for ever on rasterizer threads it could not start:
        // the software driver is asked to draw on the calling thread. It
        // also loses its shader cache, which needs a thread: the child's
        // frames in play are not drawn, or compiling would take a minute.
        setenv("LP_NUM_THREADS", "0", 1);
        if (!refuse_threads_in_kernel()) _exit(3);
        char filter[] = "--gtest_filter=ThreadsRefusedChild.*";
        char brief[] = "--gtest_brief=1";
        // What nobody catches ends the child as it would end the game.
        char uncaught[] = "--gtest_catch_exceptions=0";
        char self[] = "/proc/self/exe";
        char* argv[] = {self, filter, brief, uncaught, nullptr};
        execv(self, argv);
        _exit(4);
    }
    close(out[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, (size_t)n);
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status) << "\n" << text;
    ASSERT_EQ(WEXITSTATUS(status), 0) << text;

    // The same figures as a world built here, with every worker running.
    WorldFigures here = generate();
    char want[64];
    std::snprintf(want, sizeof want, "monde %d %08x", here.obstacles, here.map);
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
#endif
}

// Only in the child the test above starts, with threads refused by the kernel.
TEST(ThreadsRefusedChild, BuildsPaintsAndPlays) {
    if (!std::getenv(CHILD)) GTEST_SKIP() << "started by ThreadsRefused.ByTheKernel...";
    pthread_t t;
    ASSERT_NE(pthread_create(&t, nullptr, nothing, nullptr), 0);  // the refusal is real
    WorldFigures w = generate();
    std::printf("monde %d %08x\n", w.obstacles, w.map);
    std::fflush(stdout);
    start_and_play(false);
}

// The platform's switch: every start fails, as on a machine out of threads.
TEST(ThreadsRefused, WorkersShareDoneOnTheCallingThread) {
    WorldFigures with_workers = generate();
    std::vector<TreePlacement> trees = world_trees();

    plat_threads_refuse(true);
    PlatThread t;
    EXPECT_FALSE(plat_thread_start(&t, [](void*) {}, nullptr));
    EXPECT_FALSE(t.started);
    plat_thread_join(&t);  // nothing to wait for

    WorldFigures alone = generate();
    EXPECT_EQ(alone.obstacles, with_workers.obstacles);
    EXPECT_EQ(alone.map, with_workers.map);
    ASSERT_EQ(world_trees().size(), trees.size());
    EXPECT_EQ(std::memcmp(world_trees().data(), trees.data(), trees.size() * sizeof(TreePlacement)), 0);

    // Behind the screens with no painter, this thread paints it a few rows
    // a frame: not in one go, and to the same picture.
    world_map_paint_later();
    int frames = 0;
    for (; frames < 100000 && !world_map_ready(); ++frames) world_map_step(false);
    EXPECT_GT(frames, 16);
    EXPECT_TRUE(world_map_ready());
    EXPECT_EQ(world_map_checksum(), with_workers.map);

    // The whole start, the ground worker's share included, and play.
    start_and_play(true);
    plat_threads_refuse(false);
}
