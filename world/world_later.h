#pragma once
// Calls from the outdoor world's build and ambience step into the builders
// and populations that come from other subsystems.
#include "common/mathx.h"

// Build steps 6 and 8, in the order the world build calls them.
void camelot_build();     // walls, houses, castle, market, torches
void landmarks_build();   // the hamlet and the named wild sites
void catacombs_build();
// Fills every camp and site, 14 wanderers and 20 goblins (the ambience rules
// repeated), and places every chief at his haunt.
void world_initial_population();
// The same fill when the player comes back from the catacombs; a fallen
// chief returns only to a haunt far from the player, as in every top-up.
void world_population_on_return();

// The town plan's colour for the map image at (x, z), when it applies there.
bool camelot_map_colour(float x, float z, Vec3* rgb);
// Camelot's torches and the hamlet's and wild sites' fires become lights here,
// in that order, between the cave torches and the last light.
void settlements_submit_lights(Vec3 eye, float flicker);

// The creature top-ups of the ambience step, run when their timers fire.
void ambience_top_up_camps();      // every 20 s: camps and guarded sites
void ambience_wanderers_step();    // every 10 s: boars round the player
void ambience_goblins_step();      // every 15 s: the goblin camp
void ambience_gaste_bears_step();  // every 8 s while the player is in the second zone
void ambience_cave_guards_step();  // every 30 s: skeletons before the cave

// The graphics quality option (0..2): ambient occlusion is on at 2.
int world_quality_level();

// The crypt's lord has fallen (the passage opens, the log and the sound).
void catacombs_boss_defeated();
