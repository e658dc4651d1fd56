// Camelot, the townsfolk, the hamlet, the wild sites and the archery butts,
// built on the CPU once for the whole program: the lot generator and its
// rules, districts, workshops, walkers and head turns, the practice targets,
// the town plan for the map, and a walk from the spawn through the west gate
// to the market and the castle court.
#include <gtest/gtest.h>

#include "tests/support/player_checks.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "play/practice_scoring.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "tests/support/shown.h"
#include "world/camelot.h"
#include "world/landmarks.h"
#include "world/terrain.h"
#include "play/villagers.h"
#include "world/world.h"

namespace {

struct Counts {
    int lots, torches, obstacles, fires;
};

Counts first;

Counts build_all() {
    world_generate();
    camelot_build();
    landmarks_build();
    villagers_reset();
    return {camelot_lot_count(), camelot_torch_count(), obstacle_count(), world_fire_count()};
}

class Town : public ::testing::Test {
protected:
    static void SetUpTestSuite() { first = build_all(); }
};

bool rects_overlap(float ax, float az, float ahx, float ahz, float bx, float bz, float bhx, float bhz) {
    return std::fabs(ax - bx) < ahx + bhx && std::fabs(az - bz) < ahz + bhz;
}

// The player far from everyone, so that nobody turns a head.
void player_away() {
    player_reset_new();
    player.pos_x = 0.0f;
    player.pos_z = 0.0f;
}

}  // namespace

TEST_F(Town, SecondBuildGivesTheSameLotsTorchesAndObstacles) {
    EXPECT_GT(first.lots, 60);
    EXPECT_LE(first.lots, CAMELOT_MAX_LOTS);
    EXPECT_GT(first.torches, 20);
    std::vector<HouseLot> before(camelot_lots(), camelot_lots() + camelot_lot_count());
    Counts again = build_all();
    EXPECT_EQ(again.lots, first.lots);
    EXPECT_EQ(again.torches, first.torches);
    EXPECT_EQ(again.obstacles, first.obstacles);
    EXPECT_EQ(again.fires, first.fires);
    ASSERT_EQ((int)before.size(), camelot_lot_count());
    EXPECT_EQ(std::memcmp(before.data(), camelot_lots(), before.size() * sizeof(HouseLot)), 0);
}

TEST_F(Town, DistrictNames) {
    auto at = [](float lx, float lz) { return camelot_district(CAMELOT_X + lx, CAMELOT_Z + lz); };
    EXPECT_STREQ(at(68, 0), "Le château du roi");
    EXPECT_STREQ(at(-40, 0), "Place du marché");
    EXPECT_STREQ(at(0, 100), "Camelot");
    EXPECT_STREQ(at(-76.5f, -70), "Quartier des artisans");
    // The castle is tested first where its rectangle would meet the market's.
    EXPECT_STREQ(at(23.5f, 0), "Le château du roi");
    // Just outside the wall, within the 20 m margin, is still the town.
    EXPECT_STREQ(at(0, 135), "Camelot");
    EXPECT_EQ(at(150, 0), nullptr);
    EXPECT_EQ(at(0, -150), nullptr);
    EXPECT_EQ(at(110, 110.0f + 40.0f), nullptr);
}

TEST_F(Town, LotsKeepEveryRuleAndClearOfStreetsMarketCastleAndQuarter) {
    const HouseLot* lots = camelot_lots();
    int n = camelot_lot_count();
    int two = 0;
    for (int i = 0; i < n; ++i) {
        const HouseLot& l = lots[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(camelot_lot_refusal(l.lx, l.lz, l.half_x, l.half_z), nullptr);
        EXPECT_TRUE(l.storeys == 1 || l.storeys == 2);
        two += l.storeys == 2;
        EXPECT_NEAR(std::hypot(l.facing_x, l.facing_z), 1.0f, 1e-5f);
        for (const CamelotStreet& s : camelot_streets) {
            float cx = (s.x0 + s.x1) * 0.5f, cz = (s.z0 + s.z1) * 0.5f;
            float hx = std::fabs(s.x1 - s.x0) * 0.5f + s.half_width, hz = std::fabs(s.z1 - s.z0) * 0.5f + s.half_width;
            EXPECT_FALSE(rects_overlap(l.lx, l.lz, l.half_x, l.half_z, cx, cz, hx, hz)) << "street";
        }
        EXPECT_FALSE(rects_overlap(l.lx, l.lz, l.half_x, l.half_z, -40, 0, 21, 21)) << "market";
        EXPECT_FALSE(rects_overlap(l.lx, l.lz, l.half_x, l.half_z, 68, 0, 45, 45)) << "castle";
        EXPECT_FALSE(rects_overlap(l.lx, l.lz, l.half_x, l.half_z, -76.5f, -70, 37.5f, 43)) << "artisans";
        // The street it faces is just in front of its door.
        float fx = l.lx + l.facing_x * ((std::fabs(l.facing_x) > 0.5f ? l.half_x : l.half_z) + 2.0f);
        float fz = l.lz + l.facing_z * ((std::fabs(l.facing_x) > 0.5f ? l.half_x : l.half_z) + 2.0f);
        EXPECT_EQ(camelot_plan_at(fx, fz), PLAN_STREET) << fx << ", " << fz;
        // Nothing built later took its ground.
        EXPECT_EQ(camelot_plan_at(l.lx, l.lz), PLAN_HOUSE);
        for (int k = 0; k < i; ++k) {
            const HouseLot& o = lots[k];
            EXPECT_FALSE(rects_overlap(l.lx, l.lz, l.half_x + 0.3f, l.half_z + 0.3f, o.lx, o.lz, o.half_x, o.half_z))
                << "lot " << k;
        }
    }
    // About 72 % of the houses have two storeys.
    EXPECT_GT(two * 100, n * 55);
    EXPECT_LT(two * 100, n * 90);
}

TEST_F(Town, LotRefusalRules) {
    EXPECT_STREQ(camelot_lot_refusal(110.0f, 0.0f, 4, 4), "beyond the wall");
    EXPECT_STREQ(camelot_lot_refusal(107.0f, 109.0f, 1.5f, 1.5f), "corner tower");
    EXPECT_STREQ(camelot_lot_refusal(-90.0f, 10.0f, 5, 4), "west gate approach");
    EXPECT_STREQ(camelot_lot_refusal(-63.0f, 31.0f, 3, 3), "inn");
    EXPECT_STREQ(camelot_lot_refusal(-92.0f, 79.0f, 3, 3), "chapel");
    EXPECT_STREQ(camelot_lot_refusal(0.0f, 30.0f, 3, 3), nullptr);
    EXPECT_STREQ(camelot_lot_refusal(0.0f, 60.0f, 3, 3), "street");
}

TEST_F(Town, TownPlanColoursTheMapWithinTheSquareOnly) {
    Vec3 street, tower, house, outside;
    ASSERT_TRUE(camelot_map_colour(CAMELOT_X - 100.0f, CAMELOT_Z + 0.0f, &street));
    ASSERT_TRUE(camelot_map_colour(CAMELOT_X + 120.0f, CAMELOT_Z + 120.0f, &tower));
    const HouseLot& l = camelot_lots()[0];
    ASSERT_TRUE(camelot_map_colour(CAMELOT_X + l.lx, CAMELOT_Z + l.lz, &house));
    auto same = [](Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    EXPECT_FALSE(same(street, tower));
    EXPECT_FALSE(same(street, house));
    EXPECT_FALSE(camelot_map_colour(CAMELOT_X + 140.0f, CAMELOT_Z + 40.0f, &outside));
    EXPECT_EQ(camelot_plan_at(-128.0f, 0.0f), PLAN_STREET);  // the road out of the gate
    EXPECT_EQ(camelot_plan_at(-120.0f, 60.0f), PLAN_TOWER);
    EXPECT_EQ(camelot_plan_at(-120.0f, 30.0f), PLAN_WALL);
}

TEST_F(Town, EachProfessionHasTheWorkshopOfItsOwnTrade) {
    // 0 herbalism, 1 mining, 2 skinning, 3 alchemy, 4 leatherwork, 5 smithing,
    // and the artisan who teaches it stands at its spot.
    const int teacher[WORKSHOP_COUNT] = {4, 5, 2, 3, 1, 0};
    std::vector<Vec3> spots;
    for (int p = 0; p < WORKSHOP_COUNT; ++p) {
        SCOPED_TRACE(p);
        float facing = -1.0f;
        Vec3 s = workshop_position(p, &facing);
        for (const Vec3& o : spots) EXPECT_GT(std::hypot(s.x - o.x, s.z - o.z), 10.0f);
        spots.push_back(s);
        EXPECT_EQ(s.y, ground_height(s.x, s.z));
        float lx = s.x - CAMELOT_X, lz = s.z - CAMELOT_Z;
        EXPECT_EQ(camelot_plan_at(lx, lz), PLAN_YARD);
        // Facing the workshop house, away from the street.
        float toward_house = lz > -70.0f ? 0.0f : PI;
        EXPECT_NEAR(facing, toward_house, 1e-5f);
        const VillagerState& v = villager_state(teacher[p]);
        EXPECT_EQ(villager_defs[teacher[p]].place, p);
        EXPECT_NEAR(v.position.x, s.x, 1e-4f);
        EXPECT_NEAR(v.position.z, s.z, 1e-4f);
        // Nothing solid on the artisan's own spot.
        int count = 0;
        const int32_t* idx = obstacle_query(s.x, s.z, &count);
        for (int k = 0; k < count; ++k) {
            const Obstacle& o = obstacle_list()[idx[k]];
            EXPECT_GT(std::hypot(o.x - s.x, o.z - s.z), o.radius) << "obstacle " << idx[k];
        }
    }
    // Out of range: the smithy's spot, facing 0.
    float facing = 1.0f;
    Vec3 a = workshop_position(9, &facing), b = workshop_position(5, nullptr);
    EXPECT_EQ(facing, 0.0f);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.z, b.z);
    workshop_position(-1, &facing);
    EXPECT_EQ(facing, 0.0f);
    // The forge is within crafting reach of the smith's spot.
    Vec3 forge = camelot_forge_position();
    EXPECT_LT(std::hypot(forge.x - b.x, forge.z - b.z), 4.5f);
}

TEST_F(Town, WalkerAtTheEndOfRouteOneWaitsThenWalksBack) {
    player_away();
    villagers_reset();
    for (int i = 0; i < VILLAGER_COUNT; ++i) {
        if (villager_defs[i].behaviour != VB_WALKER || villager_defs[i].place != 1) continue;
        SCOPED_TRACE(villager_defs[i].name);
        VillagerState& s = villager_state_mut(i);
        float len = villager_route_length(1);
        s.route_distance = len - 0.05f;
        s.direction = 1.0f;
        s.pause = 0.0f;
        const float dt = 0.05f;
        villagers_step(dt);
        EXPECT_EQ(s.route_distance, len);
        EXPECT_EQ(s.direction, -1.0f);
        float waited = 0.0f;
        while (s.route_distance >= len && waited < 10.0f) {
            villagers_step(dt);
            waited += dt;
        }
        EXPECT_GE(waited, 2.0f - 1e-3f);
        EXPECT_LE(waited, 4.0f + 2.0f * dt + 1e-3f);
        EXPECT_LT(s.route_distance, len);
        Vec2 end = villager_route_point(1, len);
        float walked = std::hypot(s.position.x - CAMELOT_X - end.x, s.position.z - CAMELOT_Z - end.y);
        for (int k = 0; k < 40; ++k) villagers_step(dt);
        float later = std::hypot(s.position.x - CAMELOT_X - end.x, s.position.z - CAMELOT_Z - end.y);
        EXPECT_GT(later, walked + 2.0f) << "walks back down the route";
        EXPECT_NEAR(s.position.y, ground_height(s.position.x, s.position.z), 1e-4f);
    }
}

TEST_F(Town, HeadTurnsTowardThePlayerTheShortWayAndStopsAtItsLimit) {
    // A bearing just across the +-pi seam is a small turn.
    float heading = 3.0f;
    float b = 3.0f + 0.2f;  // atan2 gives about -3.08 for it
    EXPECT_NEAR(villager_head_target(heading, std::sin(b), std::cos(b)), 0.2f, 1e-4f);
    EXPECT_NEAR(villager_head_target(-3.0f, std::sin(-3.2f), std::cos(-3.2f)), -0.2f, 1e-4f);
    EXPECT_NEAR(villager_head_target(0.0f, 1.0f, 0.0f), 0.9f, 1e-6f);
    EXPECT_NEAR(villager_head_target(0.0f, -1.0f, 0.1f), -0.9f, 1e-6f);

    // Live: Vieux Mathieu looks at a player beside him, not one 10 m off.
    villagers_reset();
    const VillagerState& m = villager_state(31);
    player.pos_x = m.position.x + 2.0f;
    player.pos_z = m.position.z;
    for (int k = 0; k < 60; ++k) villagers_step(0.05f);
    float want = villager_head_target(m.heading, 2.0f, 0.0f);
    EXPECT_NEAR(m.head_turn, want, 0.02f);
    EXPECT_LE(std::fabs(m.head_turn), 0.9f);
    player.pos_x = m.position.x + 10.0f;
    for (int k = 0; k < 60; ++k) villagers_step(0.05f);
    EXPECT_NEAR(m.head_turn, 0.0f, 0.02f);
    player_away();
}

TEST_F(Town, SmithHammerCycle) {
    EXPECT_NEAR(smith_arm_angle(0.0f), 0.0f, 1e-6f);
    EXPECT_NEAR(smith_arm_angle(0.35f), -1.2f * std::sin(PI * 0.25f), 1e-5f);
    EXPECT_NEAR(smith_arm_angle(0.7f), -1.2f, 1e-5f);
    EXPECT_NEAR(smith_arm_angle(0.85f), -0.6f, 1e-5f);
    EXPECT_NEAR(smith_arm_angle(1.0f), 0.0f, 1e-5f);
}

TEST_F(Town, TimberFacesHaveAtLeastOnePanel) {
    EXPECT_EQ(timber_panel_count(0.3f), 1);
    EXPECT_EQ(timber_panel_count(0.0f), 1);
    EXPECT_EQ(timber_panel_count(1.3f), 1);
    EXPECT_EQ(timber_panel_count(2.0f), 2);
    EXPECT_EQ(timber_panel_count(6.0f), 5);
}

TEST_F(Town, PracticeTargetsTakeArrowsAndScoreByDistance) {
    for (int i = 0; i < PRACTICE_TARGET_COUNT; ++i) {
        SCOPED_TRACE(i);
        Vec3 c = practice_target_centre(i), n = practice_target_normal(i);
        // Near the first clearing, facing its middle, clear of the paths.
        EXPECT_LT(std::hypot(c.x, c.z), 28.0f);
        EXPECT_LT(n.x, -0.8f);
        EXPECT_GT(path_distance(c.x, c.z), 3.0f);
        Vec3 side = normalize(cross(n, {0, 1, 0}));
        Vec3 got;
        EXPECT_TRUE(practice_target_hit(c - n * 0.05f, &got));
        EXPECT_NEAR(got.x, c.x, 1e-5f);
        EXPECT_TRUE(practice_target_hit(c + side * 0.55f - n * 0.1f, nullptr));
        EXPECT_FALSE(practice_target_hit(c + side * 0.7f, nullptr));
        EXPECT_FALSE(practice_target_hit(c + n * 0.5f, nullptr));
        EXPECT_FALSE(practice_target_hit(c - n * 0.6f, nullptr));
        EXPECT_FALSE(practice_target_hit(c + Vec3{0, 0.7f, 0}, nullptr));
    }
    EXPECT_STREQ(practice_score(0.1f).text, "Dans le mille !");
    EXPECT_TRUE(practice_score(0.1f).bullseye);
    EXPECT_STREQ(practice_score(0.2f).text, "Beau tir !");
    EXPECT_FALSE(practice_score(0.45f).bullseye);
    EXPECT_STREQ(practice_score(0.5f).text, "Touché");

    // The hook the arrows will call: counters and the message.
    player_reset_new();
    hud_reset();
    Vec3 c = practice_target_centre(1), n = practice_target_normal(1);
    Vec3 side = normalize(cross(n, {0, 1, 0}));
    EXPECT_TRUE(practice_target_scored(c + side * 0.1f));
    EXPECT_EQ(player.targets_hit, 1);
    EXPECT_EQ(player.bullseyes, 1);
    EXPECT_STREQ(shown_message(), "Dans le mille !");
    EXPECT_TRUE(practice_target_scored(c + side * 0.3f));
    EXPECT_STREQ(shown_message(), "Beau tir !");
    EXPECT_FALSE(practice_target_scored(c + n * 3.0f));
    EXPECT_EQ(player.targets_hit, 2);
    EXPECT_EQ(player.bullseyes, 1);
}

TEST_F(Town, LandmarksStandAtTheirPlacesWithFiresAndObstacles) {
    EXPECT_GE(landmark_fire_count(), 5);
    // Camp fires where people live or camp; none among the graves.
    const char* expected[] = {"Gué-Fleuri", "Le ravin des pillards", "Le fort de la Lune noire",
                              "La hêtraie des loups noirs"};
    int named[4] = {};
    for (int i = 0; i < landmark_fire_count(); ++i) {
        Vec3 f = landmark_fire(i);
        const char* name = place_name(f.x, f.z);
        for (int k = 0; k < 4; ++k)
            if (name && std::string(name) == expected[k]) named[k]++;
        if (!name) {
            EXPECT_FALSE(settlement_free(f.x, f.z, 0.0f)) << f.x << ", " << f.z;  // the hermitage
        }
    }
    for (int k = 0; k < 4; ++k) EXPECT_GE(named[k], 1) << expected[k];
    // Something solid at each site's heart.
    const float sites[][2] = {{360, -10}, {110, -40}, {-520, -60}, {-560, -930}, {582, -964}, {404, 16}};
    for (const auto& s : sites) {
        int count = 0;
        obstacle_query(s[0], s[1], &count);
        EXPECT_GT(count, 0) << s[0] << ", " << s[1];
    }
    // The quest givers' posts at the hamlet and the grove stay free.
    const float givers[][2] = {{364, -5}, {512, -926}, {-488, -902}};
    for (const auto& g : givers) {
        int count = 0;
        const int32_t* idx = obstacle_query(g[0], g[1], &count);
        for (int k = 0; k < count; ++k) {
            const Obstacle& o = obstacle_list()[idx[k]];
            EXPECT_GT(std::hypot(o.x - g[0], o.z - g[1]), o.radius + 0.5f) << g[0] << ", " << g[1];
        }
    }
}

TEST_F(Town, WalkFromTheSpawnThroughTheWestGateToTheMarketAndTheCastleCourt) {
    std::memset(&plat_input, 0, sizeof plat_input);
    plat_input.client_width = 1280;
    plat_input.client_height = 720;
    plat_input.window_active = 1;
    bindings_reset();
    game_flags.paused = 0;
    player_reset_new();
    game_flags.title_overlay = 0;

    // Local waypoints: down street 0, out of the gate, back to the market,
    // then through the castle gate into the court.
    const float route[][2] = {{-20, -3}, {-70, -3}, {-112, -1}, {-134, 0}, {-112, 1}, {-60, 8},
                              {-40, 8},  {0, 1},    {20, 0},    {34, 0},   {60, 12}};
    const float dt = 1.0f / 30.0f;
    int leg = 0, frames = 0;
    bool outside = false, in_market = false, in_court = false;
    plat_input.key_down[bindings[BIND_FORWARD]] = 1;
    while (leg < (int)(sizeof route / sizeof route[0]) && frames < 30 * 300) {
        float tx = CAMELOT_X + route[leg][0], tz = CAMELOT_Z + route[leg][1];
        float dx = tx - player.pos_x, dz = tz - player.pos_z;
        if (std::hypot(dx, dz) < 1.5f) {
            ++leg;
            continue;
        }
        player.camera_yaw = std::atan2(dx, dz);
        std::memcpy(plat_input.key_down_prev, plat_input.key_down, sizeof plat_input.key_down);
        player_update(dt);
        ++frames;
        ASSERT_LT(player_obstacle_overlap(), 0.02f) << "inside a wall at " << player.pos_x - CAMELOT_X << ", "
                                                   << player.pos_z - CAMELOT_Z;
        ASSERT_GE(player.pos_y, ground_height(player.pos_x, player.pos_z) - 1e-3f);
        const char* d = camelot_district(player.pos_x, player.pos_z);
        if (player.pos_x - CAMELOT_X < -122.0f) outside = true;
        if (d && std::string(d) == "Place du marché") in_market = true;
        if (d && std::string(d) == "Le château du roi" && player.pos_x - CAMELOT_X > 30.0f) in_court = true;
    }
    EXPECT_EQ(leg, (int)(sizeof route / sizeof route[0]))
        << "stuck near " << player.pos_x - CAMELOT_X << ", " << player.pos_z - CAMELOT_Z;
    // Some 330 m on foot at no more than running speed: no shortcut through a wall.
    EXPECT_GT(frames, 30 * 320 / 7);
    EXPECT_TRUE(outside);
    EXPECT_TRUE(in_market);
    EXPECT_TRUE(in_court);
}

TEST_F(Town, WallsHaveNoGapButTheGates) {
    // Walking straight at the curtain from inside stops at it everywhere
    // except at the west gate: probe along each side for a way through.
    auto blocked = [](float x, float z) {
        int count = 0;
        const int32_t* idx = obstacle_query(x, z, &count);
        for (int k = 0; k < count; ++k) {
            const Obstacle& o = obstacle_list()[idx[k]];
            if (std::hypot(o.x - x, o.z - z) < o.radius + PLAYER_RADIUS) return true;
        }
        return false;
    };
    for (float t = -118.0f; t <= 118.0f; t += 0.5f) {
        EXPECT_TRUE(blocked(CAMELOT_X + t, CAMELOT_Z + 120.0f)) << "north " << t;
        EXPECT_TRUE(blocked(CAMELOT_X + t, CAMELOT_Z - 120.0f)) << "south " << t;
        EXPECT_TRUE(blocked(CAMELOT_X + 120.0f, CAMELOT_Z + t)) << "east " << t;
        bool gate = std::fabs(t) < 4.6f - PLAYER_RADIUS;
        EXPECT_EQ(blocked(CAMELOT_X - 120.0f, CAMELOT_Z + t), !gate) << "west " << t;
    }
}

TEST_F(Town, NearestTorchesAndCampFiresBecomeLightsWithinTheLimit) {
    // In the west gate: its torches first, nearest first, never past 12.
    Vec3 eye = camelot_local_to_world(-118.0f, 1.7f, 0.0f);
    render_begin_frame();
    settlements_submit_lights(eye, 2.6f);
    ASSERT_GT(atmosphere.fire_count, 3);
    EXPECT_LE(atmosphere.fire_count, 8);
    float previous = 0.0f;
    for (int i = 0; i < atmosphere.fire_count; ++i) {
        const FireLight& f = atmosphere.fires[i];
        float d = std::hypot(f.position.x - eye.x, f.position.z - eye.z);
        EXPECT_GE(d, previous - 1e-3f) << i;
        EXPECT_LT(d, 45.0f);
        previous = d;
    }
    // With the list nearly full, the extra lights are dropped, not overrun.
    render_begin_frame();
    for (int i = 0; i < 10; ++i) render_add_fire({0, 0, 0}, {1, 1, 1}, 5.0f);
    settlements_submit_lights(eye, 2.6f);
    EXPECT_EQ(atmosphere.fire_count, MAX_FIRES);
    // Far in the forest: nothing of the town; at the hamlet, its fire.
    render_begin_frame();
    settlements_submit_lights({0, 2, 0}, 2.6f);
    EXPECT_EQ(atmosphere.fire_count, 0);
    render_begin_frame();
    settlements_submit_lights({355.0f, ground_height(355, -5) + 2, -5.0f}, 2.6f);
    EXPECT_EQ(atmosphere.fire_count, 1);
}
