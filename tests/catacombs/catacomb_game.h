#pragma once
// One real game start for the whole suite (world, catacombs, models and the
// GL context are built once), and a player put where a test needs him.
#include <cstring>

#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/creatures.h"
#include "play/player.h"
#include "render/hud.h"
#include "play/catacomb_visits.h"
#include "world/terrain.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"

inline bool catacomb_game() {
    static int state = -1;
    if (state < 0) {
        headless_set_time_step(0.05);
        headless_set_window_size(640, 360);
        scene_economy();
        state = game_startup() == 0 ? 1 : 0;
        game_flags.character_creation_open = 0;  // no character file here: straight into play
        game_flags.title_overlay = 0;
    }
    return state == 1;
}

// Back on the heath at (x, z) with a fresh character and no dialog open.
inline void surface_player_at(float x, float z, int level) {
    if (game_flags.underground) catacombs_leave();
    if (hud_dialog_state().open) hud_dialog_close();
    player_reset_new();
    game_flags.title_overlay = 0;
    player.level = level;
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
    player.max_health = player.health = 1e6f;
    bindings_reset();
}

inline void put_player(float x, float z, float heading = 0.0f) {
    player.pos_x = x;
    player.pos_y = 0.0f;
    player.pos_z = z;
    player.heading = heading;
    player.camera_yaw = heading;
}

inline int catacomb_creatures() {
    int n = 0;
    for (const Creature& c : creatures) n += c.in_use && c.world == 1 ? 1 : 0;
    return n;
}

inline int bosses() {
    int n = 0;
    for (const Creature& c : creatures) n += c.in_use && c.species == SP_BOSS ? 1 : 0;
    return n;
}

inline InputState idle_frame(int w = 640, int h = 360) {
    InputState s;
    std::memset(&s, 0, sizeof(s));
    s.client_width = w;
    s.client_height = h;
    s.window_active = 1;
    s.mouse_x = w / 2;
    s.mouse_y = h / 2;
    return s;
}
