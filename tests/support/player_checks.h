#pragma once
// Checks on the live player shared by the walking tests.
#include <cmath>

#include "play/player.h"
#include "world/terrain.h"

// How far the player's feet reach into the nearest solid obstacle that stands
// at their height (0 when clear).
inline float player_obstacle_overlap() {
    int count = 0;
    const int32_t* idx = obstacle_query(player.pos_x, player.pos_z, &count);
    const Obstacle* list = obstacle_list();
    float worst = 0.0f;
    for (int i = 0; i < count; ++i) {
        const Obstacle& o = list[idx[i]];
        if (!(o.base_y + o.height > player.pos_y)) continue;
        float d = std::hypot(player.pos_x - o.x, player.pos_z - o.z);
        worst = std::fmax(worst, o.radius + PLAYER_RADIUS - d);
    }
    return worst;
}
