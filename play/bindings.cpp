#include "play/bindings.h"

#include "platform/platform.h"

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
    return key_index_held(bindings[action]);
}

bool binding_pressed(int action) {
    if (action < 0 || action >= BINDING_COUNT) return false;
    return key_index_pressed(bindings[action]);
}

int binding_bar_slot(int action) {
    if (action >= BIND_BAR1 && action < BIND_BAR1 + 5) return action - BIND_BAR1;
    if (action >= BIND_BAR6 && action < BIND_BAR6 + 5) return action - BIND_BAR6 + 5;
    return -1;
}

float binding_forward_axis() {
    float f = 0.0f;
    if (binding_held(BIND_FORWARD) || key_index_held(KEY_ARROW_UP)) f += 1.0f;
    if (binding_held(BIND_BACK) || key_index_held(KEY_ARROW_DOWN)) f -= 1.0f;
    return f;
}

float binding_strafe_axis() {
    float s = 0.0f;
    if (binding_held(BIND_LEFT) || key_index_held(KEY_ARROW_LEFT)) s -= 1.0f;
    if (binding_held(BIND_RIGHT) || key_index_held(KEY_ARROW_RIGHT)) s += 1.0f;
    return s;
}
