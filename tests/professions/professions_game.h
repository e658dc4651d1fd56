#pragma once
// One real game start for the whole suite, and the small moves the scenes
// share: put the player somewhere, run frames with or without keys.
#include <cmath>
#include <cstring>
#include <vector>

#include "content/professions.h"
#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/player.h"
#include "render/hud.h"
#include "play/catacomb_visits.h"
#include "world/terrain.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"

constexpr int SCENE_W = 1280, SCENE_H = 720;

inline bool professions_game() {
    static int state = -1;
    if (state < 0) {
        headless_set_time_step(0.05);
        headless_set_window_size(SCENE_W, SCENE_H);
        scene_economy();
        state = game_startup() == 0 ? 1 : 0;
        game_flags.character_creation_open = 0;  // no character file here: straight into play
        game_flags.title_overlay = 0;
    }
    return state == 1;
}

inline InputState idle_input() {
    InputState s;
    std::memset(&s, 0, sizeof(s));
    s.client_width = SCENE_W;
    s.client_height = SCENE_H;
    s.window_active = 1;
    s.mouse_x = SCENE_W / 2;
    s.mouse_y = SCENE_H / 2;
    return s;
}

// A fresh character standing at (x, z) with nothing open, professions at 1,
// an empty bag, and every node grown.
inline void fresh_player_at(float x, float z) {
    if (game_flags.underground) catacombs_leave();
    if (hud_dialog_state().open) hud_dialog_close();
    player_reset_new();
    professions_reset();
    inventory_clear();
    game_flags.windows = ScreenFlags{};
    game_flags.character_sheet_open = 0;
    game_flags.title_overlay = 0;
    game_flags.paused = 0;
    bindings_reset();
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
    player.max_health = player.health = 1e6f;
    for (int i = 0; i < gather_node_count(); ++i) gather_nodes()[i].regrow = 0.0f;
    hud_message("", 0.0f);
}

// Runs the frames of a script (drawing only every `draw`-th).
inline void play(std::vector<InputState>& script, int draw = 100000) {
    headless_set_input_script(script.data(), (int)script.size());
    main_loop_set_draw_interval(draw);
    for (size_t f = 0; f < script.size(); ++f) game_frame();
}

inline void idle_frames(int n, int draw = 100000) {
    std::vector<InputState> s(n, idle_input());
    play(s, draw);
}

// One frame with a key pressed, then idle frames.
inline void press_key(int key, int idle_after = 1) {
    std::vector<InputState> s(1 + idle_after, idle_input());
    s[0].key_down[key] = 1;
    s[0].key_pressed[key] = 1;
    play(s);
}

inline void click_at(float x, float y, int button = 0) {
    std::vector<InputState> s(3, idle_input());
    for (InputState& f : s) {
        f.mouse_x = (int)x;
        f.mouse_y = (int)y;
    }
    s[0].button_down[button] = 1;
    s[0].button_pressed[button] = 1;
    s[1].button_down_prev[button] = 1;
    // Windows take their clicks while they are drawn: the press frame is.
    headless_set_input_script(s.data(), (int)s.size());
    main_loop_set_draw_interval(1);
    game_frame();
    main_loop_set_draw_interval(100000);
    game_frame();
    game_frame();
}

// The nearest grown node of a kind to (x, z), away from everything else that
// answers the interaction key.
inline int node_of_kind(int kind) {
    for (int i = 0; i < gather_node_count(); ++i) {
        const GatherNode& n = gather_nodes()[i];
        if (n.kind != kind) continue;
        if (std::hypot(n.x - 64.0f, n.z - 52.0f) < 12.0f) continue;  // the sword in the stone
        if (std::hypot(n.x - 48.0f, n.z - 328.0f) < 12.0f) continue;  // the cave mouth
        return i;
    }
    return -1;
}

inline const char* prompt() { return hud_prompt_shown() ? hud_prompt_text() : ""; }
