#pragma once
// What the network client needs from the items, which land later; until
// then net/pending_net_items.cpp answers for them.
#include <cstdint>

struct Model;
struct HumanRig;

// Whether an item id is an item whose kind fits equipment slot 0..10.
bool item_fits_equipment_slot(int id, int slot);
// The player's worn item in equipment slot 0..10 (0 for none).
int player_equipment_item(int slot);
// Dresses a human figure in the items it wears (11 slots, 0 = none).
void figure_dress(Model* m, const HumanRig& rig, const uint16_t* equipment);
