#pragma once
// The player's input of a frame: window and bar keys, Escape and a lost
// focus, the class's basic attack, and the updates of arrows and traps.
#include <cstdint>

// The screens that take the player's input away from play; the screens in ui/
// open and close them, play and the network read them.
extern uint8_t character_creation_open;
extern uint8_t character_select_open;
extern uint8_t character_sheet_open;

// Window keys (map, spellbook, character, journal, professions); true when
// one acted, which skips the rest of this frame's key and mouse handling.
bool player_window_keys();
// Opens the professions window as its key does (closing the map, spellbook,
// journal and character sheet), or closes it; a trainer's "Voir mes métiers"
// and the window's own close button come here too.
void professions_window_show(bool open);
void player_action_bar_keys();
// Escape and focus loss (pause dialog, clearing the target).
void player_escape_and_focus();
// True when a window is open that stops click tracking.
bool player_window_blocks_clicks();
// Class basic attack and per-frame skill update (after movement).
void player_attack_step(float dt);
void player_arrows_update(float dt);
void player_traps_update(float dt);
