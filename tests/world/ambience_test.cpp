// The world ambience step: when the creature top-ups fall due, the fire
// flicker, the zone banner through the HUD, nothing at all while the player
// is in the catacombs, and where the top-ups may put new creatures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "common/game_time.h"
#include "play/player.h"
#include "render/hud.h"
#include "play/ambience_rules.h"
#include "tests/support/shown.h"
#include "world/terrain.h"
#include "play/ambience.h"
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
        game_flags.underground = 0;
        game_clock = 0.0;
        player.pos_x = 0;
        player.pos_z = 0;
        hud_message("", 0.0f);
    }
    void TearDown() override {
        game_flags.underground = 0;
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
    EXPECT_STREQ(shown_message(), "");  // first frame: nothing to compare with
    player.pos_z = -401;
    world_ambience_step(0.016f);
    EXPECT_STREQ(shown_message(), "La Gaste Forêt\nniveaux 11 à 20");
    EXPECT_FLOAT_EQ(hud_message_time(), 3.0f);
    hud_message("", 0.0f);
    world_ambience_step(0.016f);
    EXPECT_STREQ(shown_message(), "");  // once only
    player.pos_z = -399;
    world_ambience_step(0.016f);
    EXPECT_STREQ(shown_message(), "Forêt de Tervanne\nniveaux 1 à 10");
}

TEST_F(Ambience, NothingHappensWhileInTheCatacombs) {
    player.pos_z = 100;
    world_ambience_step(0.016f);  // first frame above ground: zone known, top-ups done
    game_flags.underground = 1;
    game_clock = 2.0;
    float before = world_fire_flicker();
    // Far south while underground: no banner, no flicker change, timers held.
    player.pos_z = -800;
    for (int i = 0; i < 2000; ++i) world_ambience_step(0.05f);
    EXPECT_EQ(world_fire_flicker(), before);
    EXPECT_STREQ(shown_message(), "");
    game_flags.underground = 0;
    // Back above ground: the 100 s spent below did not run the timers down.
    EXPECT_EQ(ambience_timers_step(0.016f, false) & (AMB_CAMPS | AMB_WANDERERS), 0u);
}

// ---- Where the top-ups put their creatures ------------------------------------

namespace {

class AmbiencePlacement : public ::testing::Test {
protected:
    void SetUp() override { obstacles_clear(); }
    void TearDown() override { obstacles_clear(); }
};

float flat_distance(Vec3 a, float x, float z) { return std::hypot(a.x - x, a.z - z); }

}  // namespace

TEST_F(AmbiencePlacement, ClearanceSeesObstaclesEnteredOnlyInTheNextCell) {
    // x = 0 is a cell boundary; the trunk's grid entry stops at -0.2.
    obstacle_add(-2.2f, 100.0f, 0.5f, 8.0f, 0.0f);
    EXPECT_FALSE(ambience_obstacle_clear(0.1f, 100.0f, 2.0f));   // 2.3 m < 0.5 + 2
    EXPECT_TRUE(ambience_obstacle_clear(0.1f, 100.0f, 1.2f));    // 2.3 m > 0.5 + 1.2
    EXPECT_TRUE(ambience_obstacle_clear(3.0f, 100.0f, 2.0f));
}

TEST_F(AmbiencePlacement, CampAndSitePointsRespectDistancesPlayerAndObstacles) {
    // A ring of rocks round the wolves' camp: some tries must be refused.
    for (int i = 0; i < 12; ++i) {
        float a = 2.0f * PI * (float)i / 12.0f;
        obstacle_add(208 + 6 * std::sin(a), -156 + 6 * std::cos(a), 1.0f, 1.0f, 0.0f);
    }
    Rng rng{12345};
    Vec3 far_player = {0, 0, 0};
    for (const CampRule& c : ambience_camps) {
        for (int n = 0; n < 40; ++n) {
            Vec3 p;
            if (!ambience_place_camp(rng, c, far_player, &p)) continue;
            float d = flat_distance(p, c.x, c.z);
            ASSERT_GE(d, c.d_min - 1e-3f);
            ASSERT_LE(d, c.d_max + 1e-3f);
            ASSERT_TRUE(ambience_obstacle_clear(p.x, p.z, c.clearance));
            ASSERT_EQ(p.y, ground_height(p.x, p.z));
        }
    }
    for (const SiteRule& s : ambience_sites) {
        Vec3 p;
        ASSERT_TRUE(ambience_place_site(rng, s, far_player, &p));
        float d = flat_distance(p, s.x, s.z);
        EXPECT_GE(d, s.d_min - 1e-3f);
        EXPECT_LE(d, s.d_max + 1e-3f);
    }
    // A player standing in the wolves' camp leaves no spot 14 m away within
    // 10 m of it: nothing is placed, and exactly 40 tries of two draws are spent.
    Rng a{777}, b{777};
    Vec3 out = {-1, -1, -1};
    EXPECT_FALSE(ambience_place_camp(a, ambience_camps[0], {208, 0, -156}, &out));
    EXPECT_EQ(out.x, -1);
    for (int i = 0; i < 80; ++i) rng_next(b);
    EXPECT_EQ(rng_next(a), rng_next(b));
    // Goblins keep 12 m from the player, not 14.
    Rng g{5};
    int near = 0;
    for (int i = 0; i < 200; ++i) {
        Vec3 p;
        if (!ambience_place_goblin(g, {160, 0, 124}, &p)) continue;
        float d = flat_distance(p, 160, 124);
        ASSERT_GE(d, 12.0f);
        ASSERT_LE(d, 26.0f + 1e-3f);
        if (d < 14.0f) ++near;
    }
    EXPECT_GT(near, 0);
}

TEST_F(AmbiencePlacement, WanderersStayInTheOpenFirstZone) {
    EXPECT_TRUE(ambience_wanderer_spot_ok(-300, 150));
    EXPECT_FALSE(ambience_wanderer_spot_ok(LAKE_X, LAKE_Z));         // water
    EXPECT_FALSE(ambience_wanderer_spot_ok(160, 170));               // goblins within 48 m
    EXPECT_TRUE(ambience_wanderer_spot_ok(160, 175));
    EXPECT_FALSE(ambience_wanderer_spot_ok(-300, -390));             // gloom of the second zone
    EXPECT_TRUE(ambience_wanderer_spot_ok(-300, -370));
    EXPECT_FALSE(ambience_wanderer_spot_ok(540 + 127, 180));         // Camelot and its fields
    EXPECT_FALSE(ambience_wanderer_spot_ok(796, 0));
    EXPECT_FALSE(ambience_wanderer_spot_ok(0, 396));
    obstacle_add(-300, 152, 1.0f, 8.0f, 0.0f);
    EXPECT_FALSE(ambience_wanderer_spot_ok(-300, 150));              // 2 m < 1 + 1.2

    Rng rng{12345};
    Vec3 player = {-300, 0, 150};
    for (int i = 0; i < 100; ++i) {
        Vec3 p;
        ASSERT_TRUE(ambience_place_wanderer(rng, player, &p));
        float d = flat_distance(p, player.x, player.z);
        ASSERT_GE(d, 18.0f - 1e-3f);
        ASSERT_LE(d, 45.0f + 1e-3f);
        ASSERT_TRUE(ambience_wanderer_spot_ok(p.x, p.z));
    }
    // Deep in the second zone there is nowhere to put one.
    Vec3 p;
    EXPECT_FALSE(ambience_place_wanderer(rng, {0, 0, -800}, &p));
}

TEST_F(AmbiencePlacement, SecondZoneBearsRoamAwayFromTheCamps) {
    EXPECT_TRUE(ambience_gaste_bear_spot_ok(300, -700));
    EXPECT_FALSE(ambience_gaste_bear_spot_ok(300, -460));    // north of -470
    EXPECT_FALSE(ambience_gaste_bear_spot_ok(300, -1150));
    EXPECT_FALSE(ambience_gaste_bear_spot_ok(745, -700));
    EXPECT_FALSE(ambience_gaste_bear_spot_ok(170, -780));    // 55 m from the felons
    EXPECT_TRUE(ambience_gaste_bear_spot_ok(170, -770));
    EXPECT_FALSE(ambience_gaste_bear_spot_ok(-165, -671));   // 44 m from the den
    EXPECT_TRUE(ambience_gaste_bear_spot_ok(-165, -669));
    Rng rng{3};
    for (int i = 0; i < 50; ++i) {
        Vec3 p;
        ASSERT_TRUE(ambience_place_gaste_bear(rng, {300, 0, -700}, &p));
        float d = flat_distance(p, 300, -700);
        ASSERT_GE(d, 30.0f - 1e-3f);
        ASSERT_LE(d, 60.0f + 1e-3f);
    }
}

TEST(CaveGuards, FivePointsInFrontOfTheMouthFacingOut) {
    const float ox = 46.11f, oz = 319.2f, f = cave_guard_facing();
    EXPECT_FLOAT_EQ(f, std::atan2(-12.0f, -56.0f));
    // The last point is 13 m straight out along the way the guards face.
    Vec3 p4 = cave_guard_point(4);
    EXPECT_NEAR(p4.x, ox + 13 * std::sin(f), 1e-3f);
    EXPECT_NEAR(p4.z, oz + 13 * std::cos(f), 1e-3f);
    EXPECT_EQ(p4.y, ground_height(p4.x, p4.z));
    // Pairs either side of the axis, 3.5 m and 6 m off it.
    for (int pair = 0; pair < 2; ++pair) {
        Vec3 a = cave_guard_point(pair * 2), b = cave_guard_point(pair * 2 + 1);
        float along = pair ? 11.0f : 7.0f, side = pair ? 6.0f : 3.5f;
        EXPECT_NEAR(std::hypot(a.x - b.x, a.z - b.z), 2 * side, 1e-3f);
        EXPECT_NEAR((a.x + b.x) / 2, ox + along * std::sin(f), 1e-3f);
        EXPECT_NEAR((a.z + b.z) / 2, oz + along * std::cos(f), 1e-3f);
    }
    const int species[5] = {4, 4, 5, 5, 4}, levels[5] = {9, 9, 9, 9, 10};
    for (int i = 0; i < CAVE_GUARD_POINTS; ++i) {
        EXPECT_EQ(cave_guard_species(i), species[i]);
        EXPECT_EQ(cave_guard_level(i), levels[i]);
    }
}
