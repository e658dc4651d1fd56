// The third-person camera against walls set up by hand in open country: it
// comes in at once when a wall stands behind the player, backs out slowly
// after, at the same pace whatever the frame rate, and from the shoulders'
// distance finds a view that sees the head.
#include <gtest/gtest.h>

#include <cmath>

#include "play/camera.h"
#include "play/player.h"
#include "render/mesh.h"
#include "world/solids.h"
#include "world/terrain.h"

namespace {

constexpr float kX = 300.0f, kZ = 50.0f;

class CameraAgainstWalls : public ::testing::Test {
protected:
    void SetUp() override {
        solids_clear();
        obstacles_clear();
        player_reset_new();
        player.pos_x = kX;
        player.pos_z = kZ;
        player.pos_y = ground_height(kX, kZ);
        player.camera_yaw = 0.0f;  // looking along +z: the camera stands toward -z
        player.camera_pitch = 0.28f;
        player.camera_distance = 6.5f;
    }
    void TearDown() override { solids_clear(); }

    Vec3 head() const { return {player.pos_x, player.pos_y + PLAYER_EYE_HEIGHT, player.pos_z}; }
    float distance() const { return length(player.camera_pos - head()); }
    void run(int frames, float dt) {
        for (int i = 0; i < frames; ++i) camera_place(player, dt, false);
    }
    // A wall across the view, its near face `behind` metres behind the player.
    void wall_behind(float behind, float height = 8.0f) {
        float y = player.pos_y;
        solid_box(mat4_from_prs({kX, y + height * 0.5f, kZ - behind - 0.5f}, {0, 0, 0}, {20.0f, height, 1.0f}));
    }
};

}  // namespace

TEST_F(CameraAgainstWalls, ComesInAtOnceAndBacksOutSlowlyAtAnyFrameRate) {
    run(240, 1.0f / 60.0f);
    EXPECT_NEAR(distance(), 6.5f, 0.05f);

    // A wall 3 m behind: on the very next frame the eye is before it and sees the head.
    wall_behind(3.0f);
    run(1, 1.0f / 60.0f);
    EXPECT_GT(player.camera_pos.z, kZ - 3.0f + 0.15f);
    EXPECT_GE(camera_view_free(head(), player.camera_pos, false), 0.999f);
    EXPECT_GE(distance(), 1.0f);

    // The wall goes: the camera backs out, not in one jump, and at the same
    // pace at 60 and 30 frames a second.
    Player at_60 = player;
    solids_clear();
    float before = distance();
    run(6, 1.0f / 60.0f);
    float after_tenth = distance();
    EXPECT_GT(after_tenth, before);
    EXPECT_LT(after_tenth, before + 0.3f * (6.5f - before));
    run(54, 1.0f / 60.0f);
    float after_second_60 = distance();
    player = at_60;
    run(30, 1.0f / 30.0f);
    EXPECT_NEAR(distance(), after_second_60, 0.1f);
    run(150, 1.0f / 30.0f);
    EXPECT_NEAR(distance(), 6.5f, 0.05f);
}

TEST_F(CameraAgainstWalls, FromTheShouldersItLooksFromWhereTheHeadIsSeen) {
    run(60, 1.0f / 60.0f);
    // The back to a high wall: no room behind, so the camera looks from further round.
    wall_behind(0.5f, 12.0f);
    run(30, 1.0f / 60.0f);
    EXPECT_GE(distance(), 1.0f - 0.01f);
    EXPECT_FALSE(solids_hold(player.camera_pos, 0.1f));
    EXPECT_GE(camera_view_free(head(), player.camera_pos, false), 0.999f);
    EXPECT_NEAR(player.camera_target.y, head().y, 1e-4f);  // still on the player

    // A low roof over the head as well (an awning against a house): the view
    // comes from lower down, never through the roof.
    solid_box(mat4_from_prs({kX, player.pos_y + 2.6f, kZ + 1.0f}, {0, 0, 0}, {20.0f, 0.1f, 6.0f}));
    player.camera_pitch = 1.0f;
    run(30, 1.0f / 60.0f);
    EXPECT_GE(distance(), 1.0f - 0.01f);
    EXPECT_LT(player.camera_pos.y, player.pos_y + 2.4f);
    EXPECT_FALSE(solids_hold(player.camera_pos, 0.1f));
    EXPECT_GE(camera_view_free(head(), player.camera_pos, false), 0.999f);
}

TEST_F(CameraAgainstWalls, TrunksAreSteppedPastAndTheEyeNeverRestsInOne) {
    // A trunk too thin to hide the player stands 3 m behind him.
    obstacle_add(kX, kZ - 3.0f, 0.4f, 8.0f, player.pos_y);
    run(120, 1.0f / 60.0f);
    EXPECT_NEAR(distance(), 6.5f, 0.05f);  // not pulled in by it
    // Pulled in by a wall closer in; the wall goes, and backing out the eye
    // is never inside the trunk.
    wall_behind(1.5f);
    run(1, 1.0f / 60.0f);
    solids_clear();
    for (int i = 0; i < 240; ++i) {
        run(1, 1.0f / 60.0f);
        Vec3 e = player.camera_pos;
        ASSERT_GT(std::hypot(e.x - kX, e.z - (kZ - 3.0f)), 0.4f + 0.1f) << "in the trunk on frame " << i;
    }
    EXPECT_NEAR(distance(), 6.5f, 0.05f);
}
