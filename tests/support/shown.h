#pragma once
// What the player sees of play's results once the frame hands them on: the
// tests that call play directly, between frames, read the HUD through these.
#include "game/results.h"
#include "render/hud.h"

inline const char* shown_message() {
    game_results_drain();
    return hud_message_text();
}

inline const FloatingText* shown_floating_texts() {
    game_results_drain();
    return hud_floating_texts();
}
