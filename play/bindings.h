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

// ---- The pad -------------------------------------------------------------------
// Pad button of each action (PadButton, or -1 for none), saved by the options
// file beside the keys. Movement rides the left stick, the bar slots the
// trigger pages, Back and Start are the map and the pause: those are fixed.
extern int32_t pad_bindings[BINDING_COUNT];
extern const int32_t pad_binding_defaults[BINDING_COUNT];
void pad_bindings_reset();
// Whether an action takes a pad button at all (the options list these).
bool pad_action_bindable(int action);
// Whether a button may be given to an action (not Back, Start or a trigger).
bool pad_button_bindable(int button);
// Short name of a pad button for hints and the options screen ("A", "LB"...).
const char* pad_button_name(int button);

// A pad button held or pressed for play: not while a screen has the pad,
// and the face buttons and the right bumper not while a trigger holds the
// action bar's page open.
bool pad_play_held(int button);
bool pad_play_pressed(int button);
// The bar slot (0..9) pressed this frame through the trigger pages, or -1.
int pad_bar_slot_pressed();
// The open trigger page: 0 none, 1 slots 1-5 (left trigger), 2 slots 6-10.
int pad_bar_page();
// The button of the page that uses a slot's place (0..4).
extern const int pad_bar_buttons[5];
// Live pad tuning from the options: stick dead zone, camera speed, axis.
struct PadTuning {
    float dead_zone;    // 0.05 .. 0.5
    float sensitivity;  // 0.25 .. 2.5
    uint8_t invert_y;
    uint8_t vibration;
};
extern PadTuning pad_tuning;
// The left stick through the dead zone, in play (0 while a screen has focus).
void pad_move_axes(float* forward, float* strafe);
// Shakes the pad (its two motors 0..1) when it has motors and the option
// allows it.
void pad_shake(float low, float high, float seconds);
// The name an on-screen hint gives an action: its pad button when the pad
// was used last and the action has one, else its key's name.
void binding_hint_name(int action, char* out, int capacity);
// The interaction's hint before "·": "E ou clic droit", or the pad's button.
const char* interact_hint();
