#pragma once
// The real game started for a scene suite, and the open ground its scenes
// stand on.
#include <cmath>

#include "common/game_flags.h"
#include "game/main_loop.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/ambience_rules.h"
#include "play/bindings.h"
#include "play/player.h"
#include "tests/support/scene_economy.h"
#include "world/terrain.h"

// Straight into play at w x h (no character file here), with the default
// bindings, a new player and no title overlay. False when the game did not
// start or has no GL context: the suite's scenes then skip.
inline bool start_in_play(int w, int h, double step) {
    headless_set_time_step(step);
    headless_set_window_size(w, h);
    scene_economy();
    if (game_startup() != 0) return false;
    game_flags.character_creation_open = 0;
    const bool started = headless_has_context();
    plat_input.client_width = w;
    plat_input.client_height = h;
    bindings_reset();
    player_reset_new();
    game_flags.title_overlay = 0;
    return started;
}

// An open place with dry land around, where nothing stands in the picture:
// the nearest to (x0, z0) on rings 20 m apart, else (x0, z0) itself.
inline Vec3 open_ground(float x0, float z0) {
    for (int r = 0; r < 40; ++r)
        for (int k = 0; k < 8; ++k) {
            float a = (float)k * 0.785f;
            float x = x0 + std::sin(a) * 20.0f * (float)r, z = z0 + std::cos(a) * 20.0f * (float)r;
            bool ok = true;
            for (int s = 0; s <= 3 && ok; ++s) {
                float px = x + 6.0f * (float)s;
                ok = ambience_obstacle_clear(px, z, 15.0f) && ground_height(px, z) > 0.5f &&
                     std::fabs(ground_height(px, z) - ground_height(x, z)) < 1.5f;
            }
            if (ok) return {x, ground_height(x, z), z};
        }
    return {x0, ground_height(x0, z0), z0};
}
