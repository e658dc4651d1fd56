#pragma once
#include <cstdint>

// The 26 bindable actions. Each binding is a key index (set-1 scan code,
// extended keys + 0x80), saved by the options file under its option key.
enum BindingAction : int {
    BIND_FORWARD = 0,
    BIND_BACK = 1,
    BIND_LEFT = 2,
    BIND_RIGHT = 3,
    BIND_JUMP = 4,
    BIND_WALK = 5,
    BIND_INTERACT = 6,
    BIND_ATTACK = 7,
    BIND_GUARD = 8,
    BIND_CHARACTER = 9,
    BIND_BAG = 10,
    BIND_JOURNAL = 11,
    BIND_BAR1 = 12,  // 12..16 = action bar slots 0..4
    BIND_PROFESSIONS = 17,
    BIND_TARGET = 18,
    BIND_SPELLBOOK = 19,
    BIND_MAP = 20,
    BIND_BAR6 = 21,  // 21..25 = action bar slots 5..9
    BINDING_COUNT = 26,
};

// The arrow keys that always double the four movement bindings.
enum : int {
    KEY_ARROW_UP = 0xC8,
    KEY_ARROW_DOWN = 0xD0,
    KEY_ARROW_LEFT = 0xCB,
    KEY_ARROW_RIGHT = 0xCD,
};

struct BindingInfo {
    const char* label;       // shown by the options screen
    const char* option_key;  // key of the options file
    int32_t default_key;
};

// Rows in the order of the options file and of the options screen.
extern const BindingInfo binding_table[BINDING_COUNT];

// The live bindings (read and written by the options file).
extern int32_t bindings[BINDING_COUNT];

// Puts every binding back to its default key.
void bindings_reset();

// Held: the bound key is down now. Pressed: went down this frame (event or
// down now and up in the previous frame). A key index outside 0..255 is never
// down, so a corrupted options value cannot read past the key arrays.
bool binding_held(int action);
bool binding_pressed(int action);
bool key_index_held(int key);
bool key_index_pressed(int key);

// Action bar slot (0..9) for a binding, or -1 when the binding is not a bar slot.
int binding_bar_slot(int action);

// Movement axes from the bindings and the arrow keys: forward +1 / back -1,
// strafe left -1 / right +1.
float binding_forward_axis();
float binding_strafe_axis();
