#pragma once
// The character list: the first screen after start-up.

// Opens the list (from start-up and from the pause menu's "Changer de personnage").
void character_select_show();
void character_select_draw();
