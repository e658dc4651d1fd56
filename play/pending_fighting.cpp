// Stand-ins for what fighting tells the quests and professions; each goes
// when its part of the game lands.
#include "play/combat_later.h"

// Kills: the professions make the corpse skinnable.
void professions_creature_killed(const Creature*) {}

// The archery butts arrive with Camelot and its surroundings.
