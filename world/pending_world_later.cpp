// Stand-ins for what the world build and the ambience step call in subsystems
// that land later (Camelot and the landmarks, the catacombs, creatures, the
// options). Each later piece deletes its functions from here. The creature
// top-ups find their tables and placement rules in world/ambience_rules.h.
#include "world/world_later.h"

void catacombs_build() {}
void world_initial_population() {}
void ambience_top_up_camps() {}
void ambience_wanderers_step() {}
void ambience_goblins_step() {}
void ambience_gaste_bears_step() {}
void ambience_cave_guards_step() {}
int world_quality_level() { return 1; }
