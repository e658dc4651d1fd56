#pragma once
// The player's bag and equipment, and the ways other parts of the game put
// items into the bag or take them out (quest rewards, gathering, crafting,
// the catacomb chest, the character file).
#include "play/combat_later.h"

constexpr int ITEM_LAST = 113;       // ids run 1 .. 113, 0 is no item
constexpr int BAG_SLOTS = 24;
constexpr int EQUIPMENT_SLOTS = 12;
constexpr int STACK_MAX = 20;

struct BagSlot {
    int id;     // 0 empty
    int count;  // 1 .. STACK_MAX for stackable items, 1 otherwise
};

extern BagSlot bag[BAG_SLOTS];
extern int equipment[EQUIPMENT_SLOTS];  // item id per slot, 0 empty

// Adds one item, with its floating name and sound; when the bag is full the
// item is lost and the player told. source (may be null) names the giver in
// the log. True when the item went into the bag.
bool give_item(int id, const char* source);
// The bare add: true on success, nothing shown.
bool add_to_bag(int id);
// How many of that item the bag holds.
int count_in_bag(int id);
// Removes exactly n when at least n are present; otherwise removes nothing.
bool remove_from_bag(int id, int n);
bool item_is_stackable(int id);
// Whether an item may be worn in an equipment slot (0 .. 11).
bool item_fits_equipment_slot(int id, int slot);
// Empty bag and equipment (a new character, or before a load).
void inventory_clear();
// Recomputes the character's armour, endurance, agility and weapon factor
// from what is worn (after a load or an equip).
void equipment_apply();
