#pragma once
// The wild population kept by the ambience step (the top-ups themselves are
// declared in world/world_later.h).
#include "common/mathx.h"

// One pass of the camp, site, wanderer and goblin rules; how many were added.
int population_round();

// Where a named chief (elite row 1 .. ELITE_COUNT) keeps to, on the ground.
Vec3 chief_haunt(int elite);
