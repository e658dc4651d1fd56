#pragma once
// The wild population kept by the ambience step (the top-ups themselves are
// declared in world/world_later.h).

// One pass of the camp, site, wanderer and goblin rules; how many were added.
int population_round();
