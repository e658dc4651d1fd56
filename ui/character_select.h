#pragma once
// The character list: the first screen after start-up.

// Opens the list (from start-up and from the pause menu's "Changer de
// personnage"), or the creation screen when there is no character.
void character_select_show();
// At start-up: the list when there are characters, else the creation screen.
void character_screens_open();
// The selected character into the world; online also connects. False (the
// list stays) when it cannot be read now.
bool character_select_play(bool online, const char* server_address);
// Leaves the character screens for play (the welcome, the cursor captured).
void character_enter_play();
void character_select_draw();
