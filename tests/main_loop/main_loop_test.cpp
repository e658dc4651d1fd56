// The real start-up and frame loop on the headless backend: the exit path of
// a driver without OpenGL 3.3, the pause rule, and a window closed during
// the world build.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/main_loop.h"
#include "platform/platform.h"

static std::string read_log() {
    static char buf[1 << 16];
    int n = plat_read_file("tervanne-journal.txt", buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, (size_t)n);
}

// One process, one start-up: the steps run in the order a player meets them.
TEST(MainLoop, StartupPauseAndExit) {
    // A driver that lacks a GL 3.3 entry point ends the game with code 1.
    headless_set_window_size(640, 360);  // small frames keep llvmpipe quick
    headless_hide_gl_function("glBlitFramebuffer");
    EXPECT_EQ(game_startup(), 1);
    std::string log = read_log();
    EXPECT_NE(log.find("OpenGL : fonction absente glBlitFramebuffer\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Votre carte graphique ne propose pas OpenGL 3.3 : mettez à jour son pilote.\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("Monde prêt"), std::string::npos);  // nothing else ran
    headless_hide_gl_function(nullptr);

    // A normal start: the world is built and logged.
    headless_set_time_step(1.0 / 60.0);
    ASSERT_EQ(game_startup(), 0);
    ASSERT_TRUE(headless_has_context());
    log = read_log();
    EXPECT_NE(log.find("Monde prêt : "), std::string::npos) << log;

    // Ten frames advance the game clock by ten fixed steps.
    double start = game_clock;
    for (int i = 0; i < 10; ++i) game_frame();
    EXPECT_NEAR(game_clock - start, 10.0 / 60.0, 1e-6);
    EXPECT_NEAR(frame_dt, 1.0 / 60.0, 1e-6);
    EXPECT_FLOAT_EQ(world_dt, frame_dt);

    // Paused: real time still runs, the world step and the clock stand still.
    paused = 1;
    double frozen = game_clock;
    for (int i = 0; i < 5; ++i) game_frame();
    EXPECT_EQ(game_clock, frozen);
    EXPECT_EQ(world_dt, 0.0f);
    EXPECT_NEAR(frame_dt, 1.0 / 60.0, 1e-6);
    paused = 0;
    game_frame();
    EXPECT_GT(game_clock, frozen);

    // A long stall never becomes a step longer than 0.05 s.
    headless_set_time_step(0.5);
    game_frame();
    EXPECT_FLOAT_EQ(frame_dt, 0.05f);
    headless_set_time_step(1.0 / 60.0);

    EXPECT_EQ(game_shutdown(), 0);
}
