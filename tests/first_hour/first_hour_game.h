#pragma once
// One real game start for the playthrough, and the hands of the player:
// frames with keys, clicks and drags, pictures of the screens.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "render/hud.h"
#include "world/terrain.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"

constexpr int FH_W = 640, FH_H = 360;

inline bool first_hour_game() {
    static int state = -1;
    if (state < 0) {
        headless_set_time_step(0.05);
        headless_set_window_size(FH_W, FH_H);
        scene_economy();
        state = game_startup() == 0 && headless_has_context() ? 1 : 0;
        // Frames are drawn for the pictures only: the software renderer is slow.
        main_loop_set_draw_interval(100000);
    }
    return state == 1;
}

inline InputState fh_idle(float mx = FH_W * 0.5f, float my = FH_H * 0.5f) {
    InputState s;
    std::memset(&s, 0, sizeof s);
    s.client_width = FH_W;
    s.client_height = FH_H;
    s.window_active = 1;
    s.mouse_x = (int)mx;
    s.mouse_y = (int)my;
    return s;
}

inline void fh_play(std::vector<InputState>& script) {
    headless_set_input_script(script.data(), (int)script.size());
    for (size_t f = 0; f < script.size(); ++f) game_frame();
}

inline void fh_frames(int n, float mx = FH_W * 0.5f, float my = FH_H * 0.5f) {
    std::vector<InputState> s((size_t)n, fh_idle(mx, my));
    fh_play(s);
}

// A key pressed for `held` frames, then released; the character screens
// read their keys and typed text while they are drawn.
inline void fh_key(int key, int held = 1, bool drawn = false) {
    std::vector<InputState> s((size_t)held + 2, fh_idle());
    for (int i = 0; i < held; ++i) {
        s[(size_t)i].key_down[key] = 1;
        s[(size_t)i].key_pressed[key] = i == 0;
        s[(size_t)i].key_down_prev[key] = i > 0;
    }
    s[(size_t)held].key_down_prev[key] = 1;
    headless_set_input_script(s.data(), (int)s.size());
    for (size_t f = 0; f < s.size(); ++f) {
        main_loop_set_draw_interval(drawn && f == 0 ? 1 : 100000);  // the press
        game_frame();
    }
    main_loop_set_draw_interval(100000);
}

inline void fh_type(const char* text) {
    std::vector<InputState> t(2, fh_idle());
    std::snprintf(t[0].text_input, sizeof t[0].text_input, "%s", text);
    t[0].text_input_length = (int32_t)std::strlen(t[0].text_input);
    headless_set_input_script(t.data(), 2);
    main_loop_set_draw_interval(1);
    game_frame();
    main_loop_set_draw_interval(100000);
    game_frame();
}

// A press and release of a mouse button at a point. Screens that take their
// clicks while they are drawn (the creation screen, the professions window)
// get every frame of the click drawn.
inline void fh_click(float x, float y, int button = 0, bool drawn = false) {
    std::vector<InputState> s(3, fh_idle(x, y));
    s[0].button_down[button] = s[0].button_pressed[button] = 1;
    s[1].button_down_prev[button] = 1;
    headless_set_input_script(s.data(), 3);
    main_loop_set_draw_interval(drawn ? 1 : 100000);
    game_frame();  // the press
    main_loop_set_draw_interval(100000);
    game_frame();
    game_frame();
}

template <class B>
inline void fh_click_box(const B& b, bool drawn = false) {
    fh_click(b.x + b.w * 0.5f, b.y + b.h * 0.5f, 0, drawn);
}

// One drawn frame kept as a PNG in the build folder.
inline bool fh_picture(const char* file, float mx = 4, float my = 4) {
    main_loop_set_draw_interval(1);
    fh_frames(1, mx, my);
    main_loop_set_draw_interval(100000);
    return headless_screenshot(file);
}

inline void fh_stand(float x, float z, float heading) {
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
    player.heading = player.camera_yaw = heading;
    player.camera_pitch = 0.3f;
}

inline float fh_heading_to(float x, float z) { return std::atan2(x - player.pos_x, z - player.pos_z); }

inline std::string fh_prompt() { return hud_prompt_shown() ? hud_prompt_text() : ""; }

inline std::string fh_button(int i) {
    const Dialog& d = hud_dialog_state();
    return d.open && i < d.button_count ? d.buttons[i].label : "";
}

// Clicks the dialog's button with this label.
inline bool fh_press(const char* label) {
    const Dialog& d = hud_dialog_state();
    if (!d.open) return false;
    for (int i = 0; i < d.button_count; ++i)
        if (std::strcmp(d.buttons[i].label, label) == 0) {
            DialogLayout l = hud_dialog_layout();
            fh_click(l.buttons[i].x + l.buttons[i].w * 0.5f, l.buttons[i].y + l.buttons[i].h * 0.5f);
            return true;
        }
    return false;
}
