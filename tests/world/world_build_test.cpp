// The generated world: tree counts, where plants may stand, determinism of
// the whole build (obstacles and map image), the zone banner and the
// atmosphere of the second zone.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <cstring>
#include <vector>

#include "common/rng.h"
#include "render/renderer.h"
#include "world/forest.h"
#include "world/ground_cover.h"
#include "world/terrain.h"
#include "world/terrain_paint.h"
#include "play/ambience.h"
#include "world/world.h"

namespace {

struct Snapshot {
    int obstacles;
    uint32_t checksum;
    std::vector<TreePlacement> trees;
    int cover;
};

Snapshot first_run;

class WorldBuild : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        world_generate();
        first_run.obstacles = obstacle_count();
        first_run.checksum = world_map_checksum();
        first_run.trees = world_trees();
        first_run.cover = (int)world_ground_cover().size();
    }
};

const uint8_t* map_pixel(float x, float z) {
    int c = (int)((x - WORLD_MAP_X0) / WORLD_MAP_SPAN * WORLD_MAP_SIZE);
    int r = (int)((z - WORLD_MAP_Z0) / WORLD_MAP_SPAN * WORLD_MAP_SIZE);
    return world_map_pixels() + ((size_t)r * WORLD_MAP_SIZE + (size_t)c) * 4;
}

}  // namespace

TEST_F(WorldBuild, ExactTreeCountsPerZone) {
    const WorldBuildReport& r = world_build_report();
    EXPECT_EQ(r.trees_first_zone, FIRST_ZONE_TREES);
    EXPECT_EQ(r.trees_second_zone, SECOND_ZONE_MAX_TREES);
    int z1 = 0, z2 = 0, conifers1 = 0, autumn = 0, broad = 0;
    for (const TreePlacement& t : first_run.trees) {
        if (t.zone == 1) {
            ++z1;
            EXPECT_GE(t.z, -390.0f);
            EXPECT_GE(t.x * t.x + t.z * t.z, 32.0f * 32.0f);
            EXPECT_GE(t.scale, 0.85f);
            EXPECT_LT(t.scale, 1.45f);
            conifers1 += t.conifer;
        } else {
            ++z2;
            EXPECT_LE(t.z, -570.0f);
            EXPECT_GE(t.scale, 0.95f);
            EXPECT_LT(t.scale, 1.5f);
        }
        if (!t.conifer) {
            ++broad;
            autumn += t.autumn;
            EXPECT_LT(t.variant, BROADLEAF_VARIANTS);
        } else {
            EXPECT_LT(t.variant, CONIFER_VARIANTS);
        }
        EXPECT_EQ(t.y, ground_height(t.x, t.z));
    }
    EXPECT_EQ(z1, 3500);
    EXPECT_EQ(z2, 5000);
    // Conifers are the minority inside the first zone, autumn trees about 8 %.
    EXPECT_GT(conifers1, 3500 / 5);
    EXPECT_LT(conifers1, 3500 * 3 / 5);
    EXPECT_NEAR((double)autumn / broad, 0.08, 0.02);
}

TEST_F(WorldBuild, NothingPlantedOnPathsInTheLakeOrInClearings) {
    for (const TreePlacement& t : first_run.trees) {
        ASSERT_TRUE(vegetation_free(t.x, t.z)) << t.x << ", " << t.z;
        ASSERT_GE(path_distance(t.x, t.z), 3.0f) << t.x << ", " << t.z;
        ASSERT_FALSE(is_lake_water(t.x, t.z));
    }
    // Second-zone trees keep 6.5 m apart.
    std::vector<const TreePlacement*> south;
    for (const TreePlacement& t : first_run.trees)
        if (t.zone == 2) south.push_back(&t);
    for (size_t i = 0; i < south.size(); i += 7)
        for (size_t j = 0; j < south.size(); ++j) {
            if (i == j) continue;
            float dx = south[i]->x - south[j]->x, dz = south[i]->z - south[j]->z;
            ASSERT_GE(dx * dx + dz * dz, 6.5f * 6.5f);
        }
    const std::vector<GroundCoverPlacement>& cover = world_ground_cover();
    ASSERT_GT(cover.size(), 50000u);
    for (const GroundCoverPlacement& g : cover) {
        ASSERT_GE(path_distance(g.x, g.z), 1.3f);
        ASSERT_GE(path_distance(g.x, g.z), path_half_width(g.x, g.z));
        ASSERT_GE(ground_height(g.x, g.z), -0.3f);
        ASSERT_TRUE(vegetation_free(g.x, g.z));
    }
    // Every tree blocks movement with its trunk.
    int n;
    const TreePlacement& t = first_run.trees[0];
    const int32_t* idx = obstacle_query(t.x, t.z, &n);
    bool found = false;
    for (int i = 0; i < n; ++i) {
        const Obstacle& o = obstacle_list()[idx[i]];
        if (o.x == t.x && o.z == t.z) {
            found = true;
            EXPECT_FLOAT_EQ(o.radius, 0.4f * t.scale);
            EXPECT_FLOAT_EQ(o.height, 8.0f * t.scale);
            EXPECT_EQ(o.base_y, t.y);
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(WorldBuild, MapImageShowsLakeTreesAndShade) {
    ASSERT_NE(world_map_pixels(), nullptr);
    const uint8_t* lake = map_pixel(LAKE_X, LAKE_Z);
    EXPECT_GT(lake[2], lake[0] + 40);  // blue water
    EXPECT_EQ(lake[3], 255);
    // The deep middle is darker than the shallow rim.
    ASSERT_TRUE(is_lake_water(LAKE_X + 30, LAKE_Z));
    const uint8_t* shallow = map_pixel(LAKE_X + 30, LAKE_Z);
    EXPECT_GT(shallow[2], shallow[0] + 40);
    EXPECT_LE(lake[2], shallow[2]);
    // A tree stamp is dark green: 0.35 x the ground plus (16.6, 43.1, 13.3).
    const TreePlacement& t = first_run.trees[10];
    const uint8_t* p = map_pixel(t.x, t.z);
    EXPECT_LT(p[0], 60);
    EXPECT_GT(p[1], p[0]);
    // Paths paint the ground in earth tones, not green.
    const uint8_t* road = map_pixel(0.3f, -300.0f);
    EXPECT_GT(road[0], 60);
}

// The game paints the map behind the screens before play, after the build:
// painted that way, with obstacles added since, it is the same picture.
TEST_F(WorldBuild, MapPaintedLaterIsTheSamePicture) {
    world_map_paint_later();
    const Obstacle late = {LAKE_X + 30.0f, LAKE_Z, 6.0f, 2.0f, 0.0f};
    obstacle_add(late.x, late.z, late.radius, late.height, late.base_y);
    int steps = 0;
    // Without a GL context nothing is uploaded: the step ends once painted.
    for (; steps < 100000 && !world_map_ready(); ++steps) {
        world_map_step(false);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the frames between
    }
    EXPECT_GT(steps, 1);  // painted behind, not on the first step
    EXPECT_EQ(world_map_checksum(), first_run.checksum);
    // Asked for at once, it is painted on the spot.
    world_generate();  // without the late obstacle
    world_map_paint_later();
    EXPECT_FALSE(world_map_ready());
    EXPECT_EQ(world_map_checksum(), first_run.checksum);
}

TEST_F(WorldBuild, TwoRunsGiveTheSameWorld) {
    world_generate();
    EXPECT_EQ(obstacle_count(), first_run.obstacles);
    EXPECT_EQ(world_map_checksum(), first_run.checksum);
    EXPECT_EQ((int)world_ground_cover().size(), first_run.cover);
    const std::vector<TreePlacement>& again = world_trees();
    ASSERT_EQ(again.size(), first_run.trees.size());
    EXPECT_EQ(std::memcmp(again.data(), first_run.trees.data(), again.size() * sizeof(TreePlacement)), 0);
}

TEST(Zones, BannerShowsOnceEachWay) {
    zone_banner_reset();
    EXPECT_EQ(zone_banner_step(-399), nullptr);  // first frame: no previous zone
    EXPECT_EQ(zone_banner_step(-399.5f), nullptr);
    const char* south = zone_banner_step(-401);
    ASSERT_NE(south, nullptr);
    EXPECT_STREQ(south, "La Gaste Forêt\nniveaux 11 à 20");
    EXPECT_EQ(zone_banner_step(-402), nullptr);
    EXPECT_EQ(zone_banner_step(-401), nullptr);
    const char* north = zone_banner_step(-399);
    ASSERT_NE(north, nullptr);
    EXPECT_STREQ(north, "Forêt de Tervanne\nniveaux 1 à 10");
    EXPECT_EQ(zone_banner_step(-398), nullptr);
    // Starting inside the second zone shows nothing either.
    zone_banner_reset();
    EXPECT_EQ(zone_banner_step(-800), nullptr);
}

TEST(Zones, AtmosphereDarkensTowardTheSecondZone) {
    fill_atmosphere(0);
    EXPECT_FLOAT_EQ(atmosphere.fog_density, 0.0018f);
    EXPECT_FLOAT_EQ(atmosphere.saturation, 1.03f);
    EXPECT_FLOAT_EQ(atmosphere.zenith.z, 0.86f);
    fill_atmosphere(-600);  // fully blended
    EXPECT_FLOAT_EQ(atmosphere.fog_density, 0.0018f + 0.0092f);
    EXPECT_FLOAT_EQ(atmosphere.saturation, 1.03f - 0.15f);
    EXPECT_FLOAT_EQ(atmosphere.fog.z, 0.8f - 0.34f);
    EXPECT_FLOAT_EQ(atmosphere.sun_dir.x, -0.452f);
    EXPECT_FLOAT_EQ(atmosphere.contrast, 1.04f);
    fill_atmosphere(-430);  // half way
    EXPECT_GT(atmosphere.fog_density, 0.0018f);
    EXPECT_LT(atmosphere.fog_density, 0.011f);
    // Fire flicker stays within 2.6 +- 0.7.
    for (double t = 0; t < 10; t += 0.37) {
        float f = fire_flicker_at(t);
        EXPECT_GE(f, 1.9f);
        EXPECT_LE(f, 3.3f);
    }
    EXPECT_FLOAT_EQ(fire_flicker_at(0), 2.6f);
}

namespace {

// The map pixel at column c, row r as painted from its description: the
// ground paint under a hill shade, the lake by depth, then every obstacle
// outside Camelot's square stamped in placement order.
Vec3 expected_map_pixel(int c, int r) {
    const float px = WORLD_MAP_SPAN / (float)WORLD_MAP_SIZE;
    float x = WORLD_MAP_X0 + ((float)c + 0.5f) * px, z = WORLD_MAP_Z0 + ((float)r + 0.5f) * px;
    float h = ground_height(x, z);
    Vec3 col;
    float lx = x + 96.0f, lz = z + 76.0f;
    if (h < -0.6f && lx * lx + lz * lz < 48.0f * 48.0f) {
        float d = std::fmin(std::fmax((-0.6f - h) * 0.4f, 0.0f), 1.0f);
        col = {0.2f - 0.08f * d, 0.45f - 0.15f * d, 0.62f - 0.12f * d};
    } else {
        float shade = (ground_height(x - 1, z) - ground_height(x + 1, z)) * 0.35f + 0.85f;
        shade = std::fmin(std::fmax(shade, 0.6f), 1.2f);
        col = ground_paint(x, z) * shade;
    }
    Vec3 v = {std::fmin(std::fmax(col.x, 0.0f), 1.0f) * 255, std::fmin(std::fmax(col.y, 0.0f), 1.0f) * 255,
              std::fmin(std::fmax(col.z, 0.0f), 1.0f) * 255};
    for (int i = 0; i < obstacle_count(); ++i) {
        const Obstacle& o = obstacle_list()[i];
        if (std::fabs(o.x - 540) < 120 && std::fabs(o.z - 180) < 120) continue;
        float radius;
        Vec3 stamp;
        if (o.radius > 3) {
            radius = o.radius;
            stamp = {91.2f, 87.8f, 82.9f};
        } else if (o.height >= 5) {
            radius = 2.2f;
            stamp = {16.6f, 43.1f, 13.3f};
        } else {
            radius = std::fmax(o.radius, 0.8f);
            stamp = {74.6f, 69.6f, 66.3f};
        }
        float dx = x - o.x, dz = z - o.z;
        if (dx * dx + dz * dz > radius * radius) continue;
        v = v * 0.35f + stamp;
    }
    return v;
}

}  // namespace

TEST_F(WorldBuild, MapPixelsFollowShadeLakeDepthAndStamps) {
    const float px = WORLD_MAP_SPAN / (float)WORLD_MAP_SIZE;
    auto pixel_of = [&](float x, float z, int* c, int* r) {
        *c = (int)((x - WORLD_MAP_X0) / px);
        *r = (int)((z - WORLD_MAP_Z0) / px);
    };
    std::vector<std::pair<int, int>> probes;
    // One obstacle of each kind of stamp, and the lake from rim to middle.
    int tree = -1, small = -1, large = -1;
    for (int i = 0; i < obstacle_count(); ++i) {
        const Obstacle& o = obstacle_list()[i];
        if (o.radius > 3 && large < 0) large = i;
        if (o.radius <= 3 && o.height >= 5 && tree < 0) tree = i;
        if (o.radius <= 3 && o.height < 5 && small < 0) small = i;
    }
    ASSERT_TRUE(tree >= 0 && small >= 0 && large >= 0);
    for (int i : {tree, small, large}) {
        int c, r;
        pixel_of(obstacle_list()[i].x, obstacle_list()[i].z, &c, &r);
        for (int k = -3; k <= 3; ++k) probes.push_back({c + k, r});
    }
    for (float d = 0; d < 50; d += 2.5f) {
        int c, r;
        pixel_of(LAKE_X + d, LAKE_Z + 0.3f * d, &c, &r);
        probes.push_back({c, r});
    }
    // Hillsides, borders and the second zone.
    Rng rng{4242};
    for (int i = 0; i < 300; ++i)
        probes.push_back({(int)(rng_float(rng) * WORLD_MAP_SIZE), (int)(rng_float(rng) * WORLD_MAP_SIZE)});

    for (auto [c, r] : probes) {
        const uint8_t* p = world_map_pixels() + ((size_t)r * WORLD_MAP_SIZE + (size_t)c) * 4;
        Vec3 want = expected_map_pixel(c, r);
        ASSERT_NEAR(p[0], std::fmin(want.x, 255.0f), 2.0f) << c << ", " << r;
        ASSERT_NEAR(p[1], std::fmin(want.y, 255.0f), 2.0f) << c << ", " << r;
        ASSERT_NEAR(p[2], std::fmin(want.z, 255.0f), 2.0f) << c << ", " << r;
        ASSERT_EQ(p[3], 255);
    }
}
