// Segments against the world's solids: pieces (boxes turned any way, roof
// prisms) through their grid, and the catacombs' walls.
#include <gtest/gtest.h>

#include <cmath>

#include "render/mesh.h"
#include "world/catacombs.h"
#include "world/solids.h"
#include "world/terrain.h"

namespace {

class Solids : public ::testing::Test {
protected:
    void SetUp() override {
        solids_clear();
        obstacles_clear();
    }
};

// A box of the given size standing with its centre at c, turned by yaw.
void box_at(Vec3 c, Vec3 size, float yaw = 0.0f) { solid_box(mat4_from_prs(c, {0, yaw, 0}, size)); }

}  // namespace

TEST_F(Solids, BoxesAreMetAtTheirGrownFacesAndFromTheMarginOnlyAhead) {
    box_at({10, 2, 10}, {2, 4, 2});  // x and z 9..11, y 0..4
    // Along x at y 1 from x 0: the face at 9, grown by 0.2 at 8.8.
    EXPECT_NEAR(solids_segment_hit({0, 1, 10}, {20, 1, 10}, 0.0f), 9.0f / 20.0f, 1e-4f);
    EXPECT_NEAR(solids_segment_hit({0, 1, 10}, {20, 1, 10}, 0.2f), 8.8f / 20.0f, 1e-4f);
    // Over the top, and short of it.
    EXPECT_EQ(solids_segment_hit({0, 4.5f, 10}, {20, 4.5f, 10}, 0.2f), 1.0f);
    EXPECT_EQ(solids_segment_hit({0, 1, 10}, {8.5f, 1, 10}, 0.2f), 1.0f);
    // From 0.1 m off the face (inside a 0.2 m margin): into the wall at once, away freely.
    EXPECT_LT(solids_segment_hit({8.9f, 1, 10}, {12, 1, 10}, 0.2f), 1e-3f);
    EXPECT_EQ(solids_segment_hit({8.9f, 1, 10}, {2, 1, 10}, 0.2f), 1.0f);
    // Along the face, neither nearer nor farther: free.
    EXPECT_EQ(solids_segment_hit({8.9f, 1, 9.5f}, {8.9f, 1, 12}, 0.2f), 1.0f);
    // From off the corner, outside the margin, the grown face is met as usual.
    EXPECT_NEAR(solids_segment_hit({8.9f, 1, 8}, {8.9f, 1, 12}, 0.2f), 0.8f / 4.0f, 1e-4f);
    // From inside the stone itself there is nothing to head into.
    EXPECT_EQ(solids_segment_hit({10, 1, 10}, {20, 1, 10}, 0.2f), 1.0f);
    // Turned by 45 degrees its corner points at the segment: sqrt 2 from the centre.
    solids_clear();
    box_at({10, 2, 10}, {2, 4, 2}, PI * 0.25f);
    EXPECT_NEAR(solids_segment_hit({0, 1, 10}, {20, 1, 10}, 0.0f), (10.0f - std::sqrt(2.0f)) / 20.0f, 1e-4f);
    EXPECT_TRUE(solids_hold({10, 1, 11.3f}, 0.0f));
    EXPECT_FALSE(solids_hold({11.1f, 1, 11.1f}, 0.0f));
}

TEST_F(Solids, RoofPrismsSlopeFromTheEavesToTheRidge) {
    // 6 m wide along x, apex 3 m above a base at y 5, 8 m deep along z.
    solid_gable(mat4_translate({0, 5, 0}), 6.0f, 3.0f, 8.0f);
    EXPECT_TRUE(solids_hold({0, 7.9f, 0}, 0.0f));
    EXPECT_TRUE(solids_hold({-2.0f, 5.9f, 3.9f}, 0.0f));
    EXPECT_FALSE(solids_hold({-2.0f, 5.9f, 4.1f}, 0.0f));  // beyond the gable end
    EXPECT_FALSE(solids_hold({-2.0f, 6.1f, 0}, 0.0f));     // above the slope (6 there)
    // Straight down at x = 1.5: the slope is 1.5 m above the base there.
    EXPECT_NEAR(solids_segment_hit({1.5f, 10, 0}, {1.5f, 0, 0}, 0.0f), (10.0f - 6.5f) / 10.0f, 1e-4f);
}

TEST_F(Solids, TheGridFindsPiecesAcrossCellsAndThoseAddedLate) {
    // A cell border at x = 32 (cells of 16 m from -960): a segment from
    // one cell into a piece standing wholly in the next.
    box_at({34, 2, 10}, {2, 4, 2});
    solids_seal();
    EXPECT_NEAR(solids_segment_hit({20, 1, 10}, {40, 1, 10}, 0.0f), 13.0f / 20.0f, 1e-4f);
    EXPECT_EQ(solids_segment_hit({20, 1, 30}, {40, 1, 30}, 0.0f), 1.0f);
    box_at({34, 2, 30}, {2, 4, 2});
    EXPECT_EQ(solid_count(), 2);
    EXPECT_NEAR(solids_segment_hit({20, 1, 30}, {40, 1, 30}, 0.0f), 13.0f / 20.0f, 1e-4f);
}

TEST(CatacombSolids, WallsWithTheirTrimAndTheVault) {
    catacomb_maze_generate();
    Vec3 centre = catacomb_cell_centre(CATACOMB_START_I, CATACOMB_START_J);  // (1048, 3): the vestibule
    centre.y = 1.5f;
    // South into the border wall, whose face is at z = 1.
    float g = 0.2f + CATACOMB_TRIM_DEPTH;
    EXPECT_NEAR(catacomb_segment_hit(centre, centre + Vec3{0, 0, -5}, 0.2f), (2.0f - g) / 5.0f, 1e-4f);
    // East across the vestibule, a hall without inner walls.
    EXPECT_EQ(catacomb_segment_hit(centre, centre + Vec3{5, 0, 0}, 0.2f), 1.0f);
    // Up into the vault at 4.6, grown by the margin only.
    EXPECT_NEAR(catacomb_segment_hit(centre, centre + Vec3{0, 5, 0}, 0.2f), (4.4f - 1.5f) / 5.0f, 1e-4f);
}
