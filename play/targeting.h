#pragma once
#include "common/mathx.h"
// The player's target: choosing it, keeping it, and picking under the cursor.
struct Creature;

bool target_is_valid(const Creature* c);
// Candidates ahead of the camera within 45 m; with cycle, the next one to the
// right of the current target.
Creature* select_target(bool cycle);
// The current target, or a new one; null (and a message) beyond range.
Creature* ensure_target(float range);
// The basic attack's form: also turns the body to face the target and holds
// the aim; true with no creature at all (the blow goes straight ahead).
bool ensure_target_for_attack(float range);
Creature* pick_creature_at_cursor();
// The creature a ray (unit direction) passes nearest to its origin, with how
// far along the ray it lies; null when none.
Creature* pick_creature_along_ray(Vec3 origin, Vec3 dir, float* along);
// Targets the creature under the cursor; true when one was hit. A miss
// clears the target when asked.
bool player_click_target(bool clear_on_miss);

void player_target_key();
void player_target_upkeep(float dt);
// Target queries (creatures).
bool player_target_valid();
Vec3 player_target_position();
// Creatures that block the player: positions of living creatures of the
// given world (0 surface, 1 catacombs); returns how many were written.
int player_collect_creature_points(bool catacombs, float* xs, float* zs, int capacity);
