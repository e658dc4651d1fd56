#include "play/bindings.h"

#include <cstdio>

#include "platform/platform.h"
#include "render/ui_focus.h"

void bindings_reset() {
    for (int i = 0; i < BINDING_COUNT; ++i) bindings[i] = binding_table[i].default_key;
}

bool key_index_held(int key) {
    if (key < 0 || key > 255) return false;
    return plat_input.key_down[key] != 0;
}

bool key_index_pressed(int key) {
    if (key < 0 || key > 255) return false;
    return plat_input.key_pressed[key] != 0 ||
           (plat_input.key_down[key] != 0 && plat_input.key_down_prev[key] == 0);
}

bool binding_held(int action) {
    if (action < 0 || action >= BINDING_COUNT) return false;
    return key_index_held(bindings[action]) || pad_play_held(pad_bindings[action]);
}

bool binding_pressed(int action) {
    if (action < 0 || action >= BINDING_COUNT) return false;
    return key_index_pressed(bindings[action]) || pad_play_pressed(pad_bindings[action]);
}

int binding_bar_slot(int action) {
    if (action >= BIND_BAR1 && action < BIND_BAR1 + 5) return action - BIND_BAR1;
    if (action >= BIND_BAR6 && action < BIND_BAR6 + 5) return action - BIND_BAR6 + 5;
    return -1;
}

static float clamp1(float v) { return v < -1.0f ? -1.0f : v > 1.0f ? 1.0f : v; }

// Keys give whole steps; the stick adds its analogue share, so half a push
// walks at half the speed.
float binding_forward_axis() {
    float f = 0.0f;
    if (binding_held(BIND_FORWARD) || key_index_held(KEY_ARROW_UP)) f += 1.0f;
    if (binding_held(BIND_BACK) || key_index_held(KEY_ARROW_DOWN)) f -= 1.0f;
    float pf, ps;
    pad_move_axes(&pf, &ps);
    return clamp1(f + pf);
}

float binding_strafe_axis() {
    float s = 0.0f;
    if (binding_held(BIND_LEFT) || key_index_held(KEY_ARROW_LEFT)) s -= 1.0f;
    if (binding_held(BIND_RIGHT) || key_index_held(KEY_ARROW_RIGHT)) s += 1.0f;
    float pf, ps;
    pad_move_axes(&pf, &ps);
    return clamp1(s + ps);
}

// ---- The pad -------------------------------------------------------------------

const char* pad_button_name(int button) {
    static const char* const names[PAD_BUTTON_COUNT] = {
        "A", "B", "X", "Y", "Back", "Start", "L3", "R3", "LB", "RB", "Haut", "Bas", "Gauche", "Droite", "LT", "RT"};
    if (button < 0 || button >= PAD_BUTTON_COUNT) return "—";
    return names[button];
}

int pad_bar_page() {
    if (ui_focus_has_pad() || !plat_input.pad.connected) return 0;
    if (pad_held(plat_input.pad, PAD_LT)) return 1;
    if (pad_held(plat_input.pad, PAD_RT)) return 2;
    return 0;
}

static bool page_takes(int button) {
    if (pad_bar_page() == 0) return false;
    for (int b : pad_bar_buttons)
        if (b == button) return true;
    return false;
}

bool pad_play_held(int button) {
    if (ui_focus_has_pad() || page_takes(button)) return false;
    return pad_held(plat_input.pad, button);
}

bool pad_play_pressed(int button) {
    if (ui_focus_has_pad() || page_takes(button)) return false;
    return pad_pressed(plat_input.pad, button);
}

int pad_bar_slot_pressed() {
    int page = pad_bar_page();
    if (page == 0) return -1;
    for (int i = 0; i < 5; ++i)
        if (pad_pressed(plat_input.pad, pad_bar_buttons[i])) return (page - 1) * 5 + i;
    return -1;
}

void pad_move_axes(float* forward, float* strafe) {
    *forward = *strafe = 0.0f;
    if (ui_focus_has_pad() || !plat_input.pad.connected) return;
    float x, y;
    pad_stick(plat_input.pad.axes[PAD_LX], plat_input.pad.axes[PAD_LY], pad_tuning.dead_zone, &x, &y);
    *forward = -y;
    *strafe = x;
}

void pad_shake(float low, float high, float seconds) {
    if (!pad_tuning.vibration || !plat_input.pad.connected) return;
    plat_pad_rumble(low, high, seconds);
}

void binding_hint_name(int action, char* out, int capacity) {
    if (capacity <= 0) return;
    if (action >= 0 && action < BINDING_COUNT && plat_input.pad.connected && plat_input.pad_used_last &&
        pad_bindings[action] >= 0) {
        std::snprintf(out, (size_t)capacity, "%s", pad_button_name(pad_bindings[action]));
        return;
    }
    plat_key_name(action >= 0 && action < BINDING_COUNT ? bindings[action] : 0, out, capacity);
}

const char* interact_hint() {
    static char text[80];
    char name[48];
    binding_hint_name(BIND_INTERACT, name, (int)sizeof name);
    bool pad = plat_input.pad.connected && plat_input.pad_used_last && pad_bindings[BIND_INTERACT] >= 0;
    std::snprintf(text, sizeof text, pad ? "%s" : "%s ou clic droit", name);
    return text;
}
