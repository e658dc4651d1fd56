#pragma once
// How the player holds the actions that last (walking, the shield, looking
// around) and the camera's field of view: written by the options file.
#include <cstdint>

constexpr float FIELD_OF_VIEW_MIN = 50.0f;
constexpr float FIELD_OF_VIEW_DEFAULT = 60.0f;
constexpr float FIELD_OF_VIEW_MAX = 90.0f;

struct Comfort {
    uint8_t walk_toggle;   // 1: a press of the walk key switches walking on and off
    uint8_t guard_toggle;  // 1: a press raises the shield, the next lowers it
    uint8_t look_toggle;   // 1: a drag keeps looking around until the next click
    float field_of_view;   // vertical, degrees
};
extern Comfort comfort;

void comfort_defaults();
// Whether the player walks / guards this frame, from the binding's state and
// the hold or toggle choice (call once a frame; not allowed: false, and
// presses meanwhile switch nothing).
bool comfort_walking(bool allowed);
bool comfort_guarding(bool allowed);
// Forgets the toggled states (death, a new character, a screen that takes over).
void comfort_release();
// The look-around latch of the toggle mode: set when a drag ends, cleared by
// the next press of a button (which is then not a click).
bool comfort_look_latched();
void comfort_set_look_latched(bool on);
