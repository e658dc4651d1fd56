// A player on foot from the spawn point to the heart of the second zone,
// through the pass, with the real movement and collision: the road is
// walkable the whole way, never through a tree or under the ground.
#include <gtest/gtest.h>

#include "tests/support/player_checks.h"

#include <cmath>
#include <cstring>

#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "world/terrain.h"
#include "world/world.h"

TEST(Walk, FromSpawnThroughThePassToTheSecondZone) {
    world_generate();
    std::memset(&plat_input, 0, sizeof plat_input);
    plat_input.client_width = 1280;
    plat_input.client_height = 720;
    plat_input.window_active = 1;
    bindings_reset();
    game_flags.paused = 0;
    player_reset_new();

    // The roads west out of Camelot, then south down the long road through
    // the pass into the second zone.
    const float route[][2] = {{408, 180}, {230, 232}, {-8, 140}, {-16, 44}, {0, -4},
                              {0, -200}, {0, -400}, {0, -600}, {0, -800}};
    const float dt = 1.0f / 60.0f;
    int leg = 0;
    int frames = 0;
    bool passed_gate_of_pass = false;
    plat_input.key_down[bindings[BIND_FORWARD]] = 1;
    while (leg < (int)(sizeof route / sizeof route[0]) && frames < 60 * 600) {
        float dx = route[leg][0] - player.pos_x, dz = route[leg][1] - player.pos_z;
        if (std::hypot(dx, dz) < 2.0f) {
            ++leg;
            continue;
        }
        // Steer by turning the camera, as the mouse would.
        player.camera_yaw = std::atan2(dx, dz);
        std::memcpy(plat_input.key_down_prev, plat_input.key_down, sizeof plat_input.key_down);
        player_update(dt);
        ++frames;
        float ground = ground_height(player.pos_x, player.pos_z);
        ASSERT_GE(player.pos_y, ground - 1e-3f) << "under the ground at " << player.pos_x << ", " << player.pos_z;
        ASSERT_LT(player_obstacle_overlap(), 0.02f) << "inside an obstacle at " << player.pos_x << ", " << player.pos_z;
        if (player.pos_z < -400.0f) passed_gate_of_pass = true;
    }
    EXPECT_EQ(leg, (int)(sizeof route / sizeof route[0])) << "stuck near " << player.pos_x << ", " << player.pos_z;
    EXPECT_TRUE(passed_gate_of_pass);
    EXPECT_TRUE(in_gaste(player.pos_z));
    // About 1.5 km at running speed: the road never held the player back for long.
    EXPECT_LT(frames, 60 * 400);
}
