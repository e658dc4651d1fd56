#pragma once
// The 32 townsfolk of Camelot: who they are, where they stand or walk, and
// their figures. villagers_build makes the figures (needs GL);
// the state alone can be reset without them.
#include <cstdint>

#include "common/mathx.h"

constexpr int VILLAGER_COUNT = 32;

enum VillagerBehaviour : uint8_t { VB_ARTISAN, VB_GUARD, VB_STALL, VB_WALKER, VB_STANDING };

struct VillagerDef {
    const char* name;
    const char* title;
    VillagerBehaviour behaviour;
    // Artisans: the workshop's profession; walkers: the route; else unused.
    int8_t place;
    float x, z, facing;  // local place for guards, stall keepers and standing folk
    float phase;         // walkers: start as a fraction of the route
    uint8_t woman, skin, hair, beard;
    Vec3 tunic;
};
extern const VillagerDef villager_defs[VILLAGER_COUNT];

struct VillagerState {
    Vec3 position;   // world, on the ground
    float heading;   // facing (sin, cos) in (x, z)
    float route_distance;
    float direction;   // +1 or -1 along the route
    float pause;       // seconds left standing at a route end (or held in talk)
    float head_turn;   // radians, within +-0.9
    float stride_phase;
    float walk_blend;
};

// Per frame (from the zone step, surface only) and the draw (from the
// ambience submission): walking, head turns and gestures, then the figures
// within 75 m of the camera.
void villagers_step(float dt);
void villagers_submit();

// Back to the start: every villager at its place, walkers at their phase.
void villagers_reset();
const VillagerState& villager_state(int i);
// Moves a villager's walking state directly (tests).
VillagerState& villager_state_mut(int i);

// Walker routes (local polylines).
constexpr int VILLAGER_ROUTE_COUNT = 8;
float villager_route_length(int route);
// Local point at a distance along the route (clamped to its ends).
Vec2 villager_route_point(int route, float distance);

// The head turn toward a target at relative bearing (radians, any range):
// wrapped into [-pi, pi] first, then held within +-0.9.
float villager_head_target(float heading, float dx, float dz);

// The smith's hammering arm for a time in the 1.15 s cycle.
float smith_arm_angle(float phase);

// A talk begins: the villager turns toward the player; walkers also stay
// put for at least hold seconds.
void villager_talk_begin(int i, Vec3 player, float hold);

// Nearest villager within reach of p (horizontal distance), or -1.
int villager_nearest(Vec3 p, float reach);

// Whether figures were built (GL); the step runs either way.
bool villagers_have_figures();

void villagers_build();
