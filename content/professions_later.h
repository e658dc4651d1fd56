#pragma once
// What the professions and the maps read from the merchant and the quests.
// The merchant and the quests answer for them.
#include "common/mathx.h"

// Maître Anseau's feet (the anvil stands beside him).
Vec3 merchant_position();
// Viviane on the lake shore.
Vec3 lady_position();
// Quest giver g (0 .. 8): feet, name for the map, marker over the head
// (0 none, 1 gold "!", 2 gold "?", 3 grey "?").
Vec3 giver_position(int g);
const char* giver_map_name(int g);
int giver_marker(int g);
// The map marker of objective panel entry slot: where to go, or where to turn
// the quest in (*turn_in); false when the entry has none.
bool quest_panel_marker(int slot, Vec3* where, bool* turn_in);
