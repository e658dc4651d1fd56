#pragma once
// Loot on corpses: the roll when a creature dies, the corpse under the
// pointer, the loot window and what taking from it does.
#include <cstdint>

#include "common/mathx.h"
#include "common/rng.h"

struct Creature;

// The loot generator's kept state (carried from one roll to the next).
extern Rng loot_rng;
// Rolls with the player's class for the Green Knight's weapon.
void loot_roll_for_class(Creature* c, int player_class);
// Adds one item to a corpse's list; skipped when it already holds 4.
void loot_add(Creature* c, int id);

// A corpse that still holds something.
bool corpse_lootable(const Creature* c);
// The lootable corpse hit by a ray (nearest hit closer than 40), or null.
Creature* corpse_hit_by_ray(Vec3 origin, Vec3 direction);
// The nearest lootable corpse within 3.5 of the player (ground plane).
Creature* corpse_nearest();

// The window.
bool loot_open(Creature* c);
void loot_close();
Creature* loot_corpse();  // null while closed
bool loot_take_money();
// Takes the item at row index of the corpse's list (0-based).
bool loot_take_item(int index);
void loot_take_all();
// Closes the window when its corpse is gone, re-used, or out of reach.
void loot_upkeep();

// The right click that falls on nothing else: the corpse under the pointer,
// or the nearest one. The interaction key's prompt for corpses.
void loot_click();
bool loot_prompt(bool pressed);

// Drawing and the window's own clicks (true when the press was taken).
struct LootLayout {
    float x, y, w, h;
    float row_y0, row_h;
    int rows;  // money row included
    float all_x, all_y, all_w, all_h;  // "Tout prendre"
    float close_x, close_y, close_s;
};
LootLayout loot_layout();
bool loot_window_mouse(float mx, float my);
