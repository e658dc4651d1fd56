#pragma once
// The player's input of a frame: the bar keys, Escape and a lost focus;
// the class's basic attack, and the updates of arrows and traps.
#include <cstdint>

#include "common/game_flags.h"

// Closes the map, spellbook, journal, professions and the character sheet
// (a window that opens closes the others).
void player_windows_close_all();
// Opens the professions window as its key does (closing the map, spellbook,
// journal and character sheet), or closes it; a trainer's "Voir mes métiers"
// and the window's own close button come here too.
void professions_window_show(bool open);
void player_action_bar_keys();
// What play makes of Escape, the pad's Start and a lost focus: nothing, the
// key taken (the target dropped), or the pause asked for; game/ opens the
// pause and clears what was taken.
enum class PlayEscape { none, taken, pause };
// Start with nothing else open (before any screen sees Escape).
PlayEscape player_start_key();
// Escape that no screen took (`escape`), and a lost focus.
PlayEscape player_escape_and_focus(bool escape);
// True when a window is open that stops click tracking.
bool player_window_blocks_clicks();
// Class basic attack and per-frame skill update (after movement).
void player_attack_step(float dt);
void player_arrows_update(float dt);
void player_traps_update(float dt);
