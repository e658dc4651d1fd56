#pragma once
// Scattered props and the small landmarks of both zones (built before Camelot
// and the hamlet).
#include "common/rng.h"

struct PropsReport {
    int rocks;
    // Indices in the world's fire list of the fires whose lights are named.
    int fire_brigand, fire_felon, fire_goblin, torch_cave_a, torch_cave_b;
};
PropsReport props_build(Rng& world_rng);
