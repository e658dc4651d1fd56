// The world ambience step: when the creature top-ups fall due, the fire
// flicker, the zone banner through the HUD, and nothing at all while the
// player is in the catacombs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/main_loop.h"
#include "play/player.h"
#include "render/hud.h"
#include "world/world.h"

namespace {

// Game time at the end of each 0.5 s frame in which a top-up fell due.
std::vector<float> fire_times(unsigned bit, float seconds, bool second_zone) {
    world_ambience_reset();
    std::vector<float> at;
    const float dt = 0.5f;
    for (int i = 1; (float)i * dt <= seconds; ++i)
        if (ambience_timers_step(dt, second_zone) & bit) at.push_back((float)i * dt);
    return at;
}

class Ambience : public ::testing::Test {
protected:
    void SetUp() override {
        world_ambience_reset();
        underground = 0;
        game_clock = 0.0;
        player.pos_x = 0;
        player.pos_z = 0;
        hud_message("", 0.0f);
    }
    void TearDown() override {
        underground = 0;
        world_ambience_reset();
    }
};

}  // namespace

TEST_F(Ambience, TopUpsStartOnTheFirstFrameAndRepeatAtTheirPeriods) {
    // The first frame tops up everything except the second-zone roamers.
    unsigned first = ambience_timers_step(0.016f, false);
    EXPECT_EQ(first, (unsigned)(AMB_CAMPS | AMB_WANDERERS | AMB_GOBLINS | AMB_CAVE_GUARDS));
    EXPECT_EQ(ambience_timers_step(0.016f, false), 0u);

    EXPECT_EQ(fire_times(AMB_CAMPS, 60, false), (std::vector<float>{0.5f, 20, 40, 60}));
    EXPECT_EQ(fire_times(AMB_WANDERERS, 30, false), (std::vector<float>{0.5f, 10, 20, 30}));
    EXPECT_EQ(fire_times(AMB_GOBLINS, 45, false), (std::vector<float>{0.5f, 15, 30, 45}));
    EXPECT_EQ(fire_times(AMB_CAVE_GUARDS, 60, false), (std::vector<float>{0.5f, 30, 60}));
    // Bears roam only round a player in the second zone, first after 4 s.
    EXPECT_TRUE(fire_times(AMB_GASTE_BEARS, 60, false).empty());
    EXPECT_EQ(fire_times(AMB_GASTE_BEARS, 20, true), (std::vector<float>{4, 12, 20}));
}

TEST_F(Ambience, RoamerTimerPausesOutsideTheSecondZone) {
    // 3 s in the second zone, 10 s back north, then south again: the roamers
    // are due after one more second, not at once.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ambience_timers_step(0.5f, true) & AMB_GASTE_BEARS, 0u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(ambience_timers_step(0.5f, false) & AMB_GASTE_BEARS, 0u);
    EXPECT_EQ(ambience_timers_step(0.5f, true) & AMB_GASTE_BEARS, 0u);
    EXPECT_NE(ambience_timers_step(0.5f, true) & AMB_GASTE_BEARS, 0u);
}

TEST_F(Ambience, FlickerFollowsTheGameClock) {
    game_clock = 1.25;
    world_ambience_step(0.016f);
    EXPECT_FLOAT_EQ(world_fire_flicker(), fire_flicker_at(1.25));
    EXPECT_NE(world_fire_flicker(), fire_flicker_at(0.0));
    game_clock = 7.5;
    world_ambience_step(0.016f);
    EXPECT_FLOAT_EQ(world_fire_flicker(), fire_flicker_at(7.5));
}

TEST_F(Ambience, ZoneBannerGoesThroughTheHudForThreeSeconds) {
    player.pos_z = -399;
    world_ambience_step(0.016f);
    EXPECT_STREQ(hud_message_text(), "");  // first frame: nothing to compare with
    player.pos_z = -401;
    world_ambience_step(0.016f);
    EXPECT_STREQ(hud_message_text(), "La Gaste Forêt\nniveaux 11 à 20");
    EXPECT_FLOAT_EQ(hud_message_time(), 3.0f);
    hud_message("", 0.0f);
    world_ambience_step(0.016f);
    EXPECT_STREQ(hud_message_text(), "");  // once only
    player.pos_z = -399;
    world_ambience_step(0.016f);
    EXPECT_STREQ(hud_message_text(), "Forêt de Tervanne\nniveaux 1 à 10");
}

TEST_F(Ambience, NothingHappensWhileInTheCatacombs) {
    player.pos_z = 100;
    world_ambience_step(0.016f);  // first frame above ground: zone known, top-ups done
    underground = 1;
    game_clock = 2.0;
    float before = world_fire_flicker();
    // Far south while underground: no banner, no flicker change, timers held.
    player.pos_z = -800;
    for (int i = 0; i < 2000; ++i) world_ambience_step(0.05f);
    EXPECT_EQ(world_fire_flicker(), before);
    EXPECT_STREQ(hud_message_text(), "");
    underground = 0;
    // Back above ground: the 100 s spent below did not run the timers down.
    EXPECT_EQ(ambience_timers_step(0.016f, false) & (AMB_CAMPS | AMB_WANDERERS), 0u);
}
