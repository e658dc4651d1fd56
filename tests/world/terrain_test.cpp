// Ground heights, the walkable boundary, zones and places, and the obstacle grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "world/terrain.h"

TEST(Terrain, CamelotPlateauIsFlatAndBlendsBackWithin34Metres) {
    float plateau = terrain_base(540, 180) + 1.2f;
    EXPECT_NEAR(ground_height(540, 180), plateau, 1e-4f);
    // Anywhere on the square is the same height.
    EXPECT_NEAR(ground_height(640, 90), plateau, 1e-4f);
    EXPECT_NEAR(ground_height(430, 290), plateau, 1e-4f);
    // 34 m or more outside the square: the plain landscape.
    EXPECT_EQ(ground_height(540 + 120 + 34, 180), terrain_base(540 + 120 + 34, 180));
    EXPECT_EQ(ground_height(540, 180 - 120 - 40), terrain_base(540, 180 - 120 - 40));
    EXPECT_EQ(ground_height(540 + 120 + 30, 180 + 120 + 30), terrain_base(690, 330));  // corner, d = 42
    // Just inside the blend band the height moves toward the plateau.
    float x = 540 + 120 + 20;
    float b = terrain_base(x, 180);
    float g = ground_height(x, 180);
    EXPECT_NE(g, b);
    EXPECT_LE(std::fabs(g - plateau), std::fabs(b - plateau));
}

TEST(Terrain, OutsideTheLandscapeIsFlatZeroOnlyToTheEast) {
    for (float z = -1400; z <= 600; z += 37.5f) {
        EXPECT_EQ(terrain_base(951, z), 0.0f) << z;
        EXPECT_EQ(ground_height(951, z), 0.0f) << z;
        EXPECT_NE(terrain_base(-951, z), 0.0f) << z;
    }
}

TEST(Terrain, RidgesSurroundTheRegionsAndThePassCutsThem) {
    // On the ridge between the zones, away from the pass.
    EXPECT_GT(terrain_base(300, -400), 18.0f);
    // The pass itself stays low along its whole length.
    for (float z = -580; z <= -220; z += 20) {
        float cx = 6.0f * std::sin(0.02f * z);
        EXPECT_LT(terrain_base(cx, z), 4.0f) << z;
    }
    // Outer borders rise, the forest floor does not.
    EXPECT_GT(terrain_base(805, 0), 15.0f);
    EXPECT_GT(terrain_base(100, 408), 15.0f);
    EXPECT_GT(terrain_base(-300, -1208), 15.0f);
    EXPECT_LT(std::fabs(terrain_base(-300, 150)), 6.0f);
    // The meeting place of the paths is flattened, the lake is a basin below -0.7.
    EXPECT_LT(std::fabs(terrain_base(0, 0)), 1.5f);
    EXPECT_LT(ground_height(LAKE_X, LAKE_Z), -2.0f);
    EXPECT_TRUE(is_lake_water(LAKE_X, LAKE_Z));
    EXPECT_FALSE(is_lake_water(LAKE_X + 49, LAKE_Z));
    EXPECT_FALSE(is_lake_water(0, 0));
    // Burial mound stands above its surroundings.
    EXPECT_GT(terrain_base(-20, -1001), terrain_base(-20, -1030) + 1.0f);
}

TEST(Terrain, SurfaceBoundsKeepInsideAndPullOutsidePointsBack) {
    // On the ridge line but inside the pass corridor: unchanged.
    Vec3 p = resolve_surface_bounds({0, 5, -400}, 0);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 5);
    EXPECT_EQ(p.z, -400);
    // 10 m from both forests: the north region wins the tie.
    p = resolve_surface_bounds({100, 3, -400}, 0);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 3);
    EXPECT_EQ(p.z, -390);
    // Slightly nearer the south: it goes south.
    p = resolve_surface_bounds({100, 0, -401}, 0);
    EXPECT_EQ(p.z, -410);
    // Margin shrinks the forests but not the corridor.
    p = resolve_surface_bounds({0, 0, -395}, 0.5f);
    EXPECT_EQ(p.z, -395);
    p = resolve_surface_bounds({809.8f, 0, 0}, 0.5f);
    EXPECT_FLOAT_EQ(p.x, 809.5f);
    // Far outside: clamped to the nearest corner.
    p = resolve_surface_bounds({2000, 0, 2000}, 1);
    EXPECT_EQ(p.x, 809);
    EXPECT_EQ(p.z, 409);
    // Inside the corridor near its side: left alone; just outside it: pulled in.
    p = resolve_surface_bounds({40, 0, -400}, 0);
    EXPECT_EQ(p.x, 40);
    p = resolve_surface_bounds({45, 0, -400}, 0);
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.z, -400);
    // A corrupted position never stays NaN.
    p = resolve_surface_bounds({NAN, 0, 10}, 0);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.z));
}

TEST(Terrain, ZonesSquareAndCamelotFrame) {
    EXPECT_TRUE(in_gaste(-400.5f));
    EXPECT_FALSE(in_gaste(-400.0f));
    EXPECT_TRUE(in_camelot_square(659, 180, 0));
    EXPECT_FALSE(in_camelot_square(660, 180, 0));
    EXPECT_TRUE(in_camelot_square(665, 180, 8));
    Vec3 c = camelot_point(14, -3);
    EXPECT_EQ(c.x, 554);
    EXPECT_EQ(c.z, 177);
    EXPECT_EQ(c.y, ground_height(554, 177));
    Vec3 s = world_spawn_point();
    EXPECT_EQ(s.x, c.x);
    EXPECT_EQ(s.z, c.z);
}

TEST(Terrain, PlaceNamesFirstMatchAndVegetationExclusions) {
    EXPECT_STREQ(place_name(360, -10), "Gué-Fleuri");
    EXPECT_STREQ(place_name(430, -130), "Le ravin des pillards");
    EXPECT_STREQ(place_name(110, -40), "La Pierre aux Fées");
    EXPECT_STREQ(place_name(-520, -60), "Le fort de la Lune noire");
    EXPECT_STREQ(place_name(-560, -930), "Le cimetière des rois oubliés");
    EXPECT_STREQ(place_name(560, -950), "La hêtraie des loups noirs");
    EXPECT_EQ(place_name(0, 0), nullptr);
    // (512, -926) is inside the beech grove's 75 m.
    EXPECT_STREQ(place_name(512, -926), "La hêtraie des loups noirs");

    EXPECT_FALSE(vegetation_free(10, 10));        // spawn clearing
    EXPECT_FALSE(vegetation_free(-96, -30));      // lake shore, 46 m from the centre
    EXPECT_FALSE(vegetation_free(0, -500));       // the pass
    EXPECT_FALSE(vegetation_free(540 + 150, 180 - 150));  // around Camelot
    EXPECT_FALSE(vegetation_free(-4 + 6, -585));  // Gauvain's post
    EXPECT_FALSE(vegetation_free(558 + 3, 185.5f));  // the herald, in Camelot's frame
    EXPECT_FALSE(vegetation_free(-560, -900));    // graveyard
    EXPECT_TRUE(vegetation_free(-300, 150));
    EXPECT_TRUE(vegetation_free(300, -700));

    EXPECT_FALSE(settlement_free(360, 20, 0));
    EXPECT_TRUE(settlement_free(360, 25, 0));
    EXPECT_FALSE(settlement_free(360, 25, 2));
}

TEST(Terrain, PathDistanceFollowsTheSegments) {
    EXPECT_NEAR(path_distance(0, -4), 0, 1e-5f);
    EXPECT_NEAR(path_distance(3, -300), 3, 1e-4f);       // beside the pass road
    EXPECT_NEAR(path_distance(508, -910), 10, 1e-3f);    // past the end of the last one
    EXPECT_GT(path_distance(-600, 300), 100);
}

class ObstacleGrid : public ::testing::Test {
protected:
    void SetUp() override { obstacles_clear(); }
    void TearDown() override { obstacles_clear(); }
};

TEST_F(ObstacleGrid, OutsideTheGridReturnsNothingAndAddsAreSeenAtOnce) {
    int n = -1;
    obstacle_query(-961, 0, &n);
    EXPECT_EQ(n, 0);
    obstacle_query(0, 600, &n);
    EXPECT_EQ(n, 0);
    obstacle_query(-959, 0, &n);
    EXPECT_EQ(n, 0);

    obstacle_add(-950, 0, 1, 5, 0);
    const int32_t* idx = obstacle_query(-959, 0, &n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(idx[0], 0);
    obstacle_query(-961, 0, &n);
    EXPECT_EQ(n, 0);

    // A second add after a query: the grid follows.
    obstacle_add(-955, 3, 0.5f, 5, 0);
    idx = obstacle_query(-950, 1, &n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(idx[0], 0);
    EXPECT_EQ(idx[1], 1);
    EXPECT_EQ(obstacle_count(), 2);
    EXPECT_EQ(obstacle_list()[1].radius, 0.5f);
}

TEST_F(ObstacleGrid, ObstaclesReachNeighbourCellsWithinTheirRadiusPlusMargin) {
    // Cell boundary at x = 0 (-960 + 60 * 16); 1 + 1.5 m reaches across.
    obstacle_add(2.4f, 8, 1, 5, 0);
    int n;
    obstacle_query(-0.5f, 8, &n);
    EXPECT_EQ(n, 1);
    obstacle_query(15.9f, 8, &n);
    EXPECT_EQ(n, 1);
    obstacle_query(-16.5f, 8, &n);
    EXPECT_EQ(n, 0);
    // Far-away obstacles are clamped into the edge cells, never out of range.
    obstacle_add(5000, -5000, 2, 5, 0);
    obstacle_add(NAN, 0, 1, 1, 0);
    obstacle_query(975, -1359, &n);
    EXPECT_GE(n, 1);
}

TEST_F(ObstacleGrid, WallsAreEvenlySpacedOverlappingCircles) {
    obstacle_wall(0, 0, 11, 0, 1, 4, -1);
    // n = floor(11 / 1.1) = 10 -> 12 circles, ends included.
    ASSERT_EQ(obstacle_count(), 12);
    EXPECT_EQ(obstacle_list()[0].x, 0);
    EXPECT_FLOAT_EQ(obstacle_list()[11].x, 11);
    EXPECT_FLOAT_EQ(obstacle_list()[1].x - obstacle_list()[0].x, 1.0f);
    EXPECT_EQ(obstacle_list()[5].base_y, -1);
    // A degenerate radius adds nothing instead of looping forever.
    obstacle_wall(0, 0, 10, 0, 0, 4, 0);
    obstacle_wall(0, 0, 10, 0, -1, 4, 0);
    EXPECT_EQ(obstacle_count(), 12);
    // A zero-length wall is two circles on the same spot.
    obstacle_wall(5, 5, 5, 5, 1, 4, 0);
    EXPECT_EQ(obstacle_count(), 14);
}

#include "common/rng.h"
#include "world/terrain_fast.h"

TEST(Terrain, GridSweepShortcutsMatchTheQueriesExactly) {
    Rng r{99};
    for (int i = 0; i < 20000; ++i) {
        float x = -1000.0f + 2000.0f * rng_float(r), z = -1400.0f + 2000.0f * rng_float(r);
        if (i % 10 == 0) x = 540.0f + 150.0f * (rng_float(r) - 0.5f);  // Camelot's blend band
        ASSERT_EQ(ground_height_terms(x, z, terrain_x_terms(x), terrain_z_terms(z)), ground_height(x, z));
        float d = path_distance(x, z);
        float near = path_distance_near(x, z);
        if (d < PATH_NEAR_CAP) ASSERT_EQ(near, d) << x << ", " << z;
        else ASSERT_EQ(near, PATH_NEAR_CAP);
    }
    // Points right beside the paths, where the shortcut matters.
    for (int k = 0; k < PATH_SEGMENT_COUNT; ++k) {
        const PathSegment& s = path_segments[k];
        for (float t = 0; t <= 1.0f; t += 0.05f) {
            float x = s.x0 + (s.x1 - s.x0) * t + 1.7f, z = s.z0 + (s.z1 - s.z0) * t - 0.9f;
            float d = path_distance(x, z);
            if (d < PATH_NEAR_CAP) {
                ASSERT_EQ(path_distance_near(x, z), d);
            }
        }
    }
}

namespace {

// The landscape formula in double precision, written out step by step.
double S(double t) {
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return t * t * (3 - 2 * t);
}

double reference_base(double x, double z) {
    if (x > 950) return 0;
    double a = 0.5 * x, b = 0.5 * z;
    double h = 2.4 * std::sin(0.045 * a) * std::cos(0.04 * b) + 1.3 * std::sin(0.1 * a + 1.3) * std::sin(0.085 * b + 0.4) +
               0.6 * std::sin(0.09 * x + 0.7) * std::cos(0.08 * z) + 0.35 * std::sin(0.31 * x) * std::cos(0.27 * z);
    double m = 810 - std::fabs(x);
    double es = std::min({m, -400 - z, 1210 + z}), en = std::min({m, 410 - z, 400 + z});
    double p = 1;
    if (z > -600 && z < -200) p = S((std::fabs(x - 6 * std::sin(0.02 * z)) - 10) / 24);
    h += 20 * std::min({S((100 - en) / 100), S((100 - es) / 100), p});
    h += 1.6 * S((320 + z) / -220) * std::sin(0.035 * x + 0.6) * std::cos(0.03 * z);
    h += 2.2 * (1 - S((std::hypot(x + 20, z + 1001) - 4) / 10));
    double d = std::min(std::hypot(x, z) / 2, std::hypot(x, z + 200) / 2 + 26);
    h *= 0.25 + 0.75 * S((d - 6) / 20);
    h *= 0.3 + 0.7 * S((std::hypot(x - 64, z - 52) - 5) / 13);
    h -= 3.2 * (1 - S((std::hypot(x + 96, z + 76) - 17.6) / 26.4));
    return h;
}

double reference_ground(double x, double z) {
    double b = reference_base(x, z), plateau = reference_base(540, 180) + 1.2;
    double qx = std::max(std::fabs(x - 540) - 120, 0.0), qz = std::max(std::fabs(z - 180) - 120, 0.0);
    double d = std::hypot(qx, qz);
    return d >= 34 ? b : b + (plateau - b) * S((34 - d) / 26);
}

}  // namespace

TEST(Terrain, HeightsMatchTheLandscapeFormulaEverywhere) {
    Rng r{2024};
    for (int i = 0; i < 20000; ++i) {
        double x = -960 + 1920 * rng_float(r), z = -1360 + 1920 * rng_float(r);
        // Extra samples where the pieces meet: pass, mound, lake, sword, Camelot's rim.
        switch (i % 6) {
            case 1: x = -40 + 80 * rng_float(r); z = -620 + 440 * rng_float(r); break;
            case 2: x = -20 + 30 * (rng_float(r) - 0.5); z = -1001 + 30 * (rng_float(r) - 0.5); break;
            case 3: x = -96 + 100 * (rng_float(r) - 0.5); z = -76 + 100 * (rng_float(r) - 0.5); break;
            case 4: x = 540 + 350 * (rng_float(r) - 0.5); z = 180 + 350 * (rng_float(r) - 0.5); break;
            case 5: x = 64 + 40 * (rng_float(r) - 0.5); z = 52 + 40 * (rng_float(r) - 0.5); break;
            default: break;
        }
        ASSERT_NEAR(terrain_base((float)x, (float)z), reference_base((float)x, (float)z), 2e-3) << x << ", " << z;
        ASSERT_NEAR(ground_height((float)x, (float)z), reference_ground((float)x, (float)z), 2e-3) << x << ", " << z;
    }
}
