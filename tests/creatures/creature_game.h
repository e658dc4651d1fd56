#pragma once
// One real game start shared by every test of the suite: the world, the
// species templates and the GL context are built once.
#include <cstring>

#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/player.h"
#include "render/hud.h"
#include "world/terrain.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"

inline bool creature_game() {
    static int state = -1;
    if (state < 0) {
        headless_set_time_step(0.05);
        headless_set_window_size(480, 270);
        scene_economy();
        state = game_startup() == 0 ? 1 : 0;
        game_flags.character_creation_open = 0;  // no character file here: straight into play
        game_flags.title_overlay = 0;
    }
    return state == 1;
}

// A fresh table with the player standing at (x, z) on the surface.
inline void clean_table_with_player_at(float x, float z) {
    creatures_reset();
    player_reset_new();
    game_flags.title_overlay = 0;
    game_flags.underground = 0;
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
    player.max_health = player.health = 1e6f;
}

inline void step_creatures(float seconds, float dt = 0.05f) {
    int n = (int)(seconds / dt + 0.5f);
    for (int i = 0; i < n; ++i) {
        game_clock += dt;
        creatures_update(dt);
    }
}
