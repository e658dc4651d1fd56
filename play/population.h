#pragma once
// The wild population kept by the ambience step (the top-ups themselves are
// declared below).
#include "common/mathx.h"

// One pass of the camp, site, wanderer and goblin rules; how many were added.
int population_round();

// Where a named chief (elite row 1 .. ELITE_COUNT) keeps to, on the ground.
Vec3 chief_haunt(int elite);

// Fills every camp and site, 14 wanderers and 20 goblins (the ambience rules
// repeated), and places every chief at his haunt.
void world_initial_population();
// The same fill when the player comes back from the catacombs; a fallen
// chief returns only to a haunt far from the player, as in every top-up.
void world_population_on_return();
// The creature top-ups of the ambience step, run when their timers fire.
void ambience_top_up_camps();      // every 20 s: camps and guarded sites
void ambience_wanderers_step();    // every 10 s: boars round the player
void ambience_goblins_step();      // every 15 s: the goblin camp
void ambience_gaste_bears_step();  // every 8 s while the player is in the second zone
void ambience_cave_guards_step();  // every 30 s: skeletons before the cave
