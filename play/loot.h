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
// The creature type whose own drops are the item (hides, trophies, bone
// dust, blazons), or -1.
int loot_source_species(int id);

// A corpse that still holds something.
bool corpse_lootable(const Creature* c);
// The lootable corpse hit by a ray (nearest hit closer than 40), or null.
Creature* corpse_hit_by_ray(Vec3 origin, Vec3 direction);
// Any body lying in the player's world (searched or not) hit by a ray, with
// how far along the ray; null when none closer than 40.
Creature* body_hit_by_ray(Vec3 origin, Vec3 direction, float* along);
// The nearest lootable corpse within 3.5 of the player (ground plane).
Creature* corpse_nearest();

// The window; it closes by itself once everything is taken.
bool loot_open(Creature* c);
void loot_close();
Creature* loot_corpse();  // null while closed
bool loot_take_money();
// Takes the item at row index of the corpse's list (0-based).
bool loot_take_item(int index);
void loot_take_all();
// Closes the window when its corpse is gone, re-used, or out of reach.
void loot_upkeep();

// A right click on a body: its loot window, or a word that nothing is left.
void loot_body_clicked(Creature* c);
// The right click that falls on nothing: the nearest corpse. The interaction
// key's prompt for corpses.
void loot_click();
bool loot_prompt(bool pressed);

// The window's item rows: equal items share one row, with their count.
struct LootRow {
    int32_t id;
    int count;
};
// Fills rows (room for 4) from a corpse's list; returns how many.
int loot_item_rows(const Creature* c, LootRow* rows);
// Takes every item of one item row (0-based, the money row not counted) that
// the bag accepts; false when it took none.
bool loot_take_row(int row);

// A loot window open on this corpse closes (the corpse is going away).
void loot_window_close_for(const Creature* corpse);
void loot_roll(Creature* c);
