#pragma once
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
// Targets the creature under the cursor; true when one was hit. A miss
// clears the target when asked.
bool player_click_target(bool clear_on_miss);
