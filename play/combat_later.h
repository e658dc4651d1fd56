#pragma once
// What fighting tells, or asks of, parts of the game that come later: the
// quests, professions and loot told of a kill, the item catalogue and the bag
// the action bar reads. Until
// they land, stand-ins answer for them.
#include "common/mathx.h"

struct Creature;

// A creature died by the player's hand.
void quests_creature_killed(int species, const Creature* c);
void professions_creature_killed(const Creature* c);
void loot_roll(Creature* c);

// Items: whether an id names an item of the catalogue, whether it is a potion.
bool item_exists(int id);
bool item_is_potion(int id);
const char* item_name(int id);
// Icon number and colour of an item (the icon drawer is shared with skills).
int item_icon(int id);
Vec3 item_colour(int id);
// How many of an item the bag holds.
int bag_count(int id);
// Drinks from the first stack of that potion (the item code applies the
// shared potion cooldown and its messages).
void potion_drink(int id);
// Seconds left on the shared potion cooldown.
float potion_cooldown_left();

