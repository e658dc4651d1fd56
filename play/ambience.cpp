// The ambience step (the fire flicker, the creature top-up timers), the zone
// banner and the townsfolk's frame.
#include "play/ambience.h"

#include <cmath>

#include "common/game_events.h"
#include "common/game_time.h"
#include "play/player.h"
#include "world/terrain.h"
#include "play/villagers.h"
#include "world/world.h"
#include "play/population.h"

namespace {

// Timers start at 0 so the first top-ups happen on the first frame; the
// second-zone roamers wait 4 s.
float t_camps = 0, t_wanderers = 0, t_goblins = 0, t_bears = 4.0f, t_guards = 0;
int previous_zone = -1;

bool tick(float* timer, float dt, float period) {
    *timer -= dt;
    if (*timer > 0.0f) return false;
    *timer += period;
    if (*timer < 0.0f) *timer = period;
    return true;
}

}  // namespace

const char* zone_banner_step(float player_z) {
    int zone = in_gaste(player_z) ? 1 : 0;
    int prev = previous_zone;
    previous_zone = zone;
    if (prev < 0 || prev == zone) return nullptr;
    return zone == 1 ? "La Gaste Forêt\nniveaux 11 à 20" : "Forêt de Tervanne\nniveaux 1 à 10";
}

void zone_banner_reset() { previous_zone = -1; }

unsigned ambience_timers_step(float dt, bool second_zone) {
    unsigned due = 0;
    if (tick(&t_camps, dt, 20.0f)) due |= AMB_CAMPS;
    if (tick(&t_wanderers, dt, 10.0f)) due |= AMB_WANDERERS;
    if (tick(&t_goblins, dt, 15.0f)) due |= AMB_GOBLINS;
    // The roamers' timer only runs while the player is in the second zone.
    if (second_zone && tick(&t_bears, dt, 8.0f)) due |= AMB_GASTE_BEARS;
    if (tick(&t_guards, dt, 30.0f)) due |= AMB_CAVE_GUARDS;
    return due;
}

void world_ambience_reset() {
    t_camps = t_wanderers = t_goblins = t_guards = 0.0f;
    t_bears = 4.0f;
    previous_zone = -1;
}

void world_ambience_step(float dt) {
    if (game_flags.underground) return;
    world_fires_step(game_clock);
    unsigned due = ambience_timers_step(dt, in_gaste(player.pos_z));
    if (due & AMB_CAMPS) ambience_top_up_camps();
    if (due & AMB_WANDERERS) ambience_wanderers_step();
    if (due & AMB_GOBLINS) ambience_goblins_step();
    if (due & AMB_GASTE_BEARS) ambience_gaste_bears_step();
    if (due & AMB_CAVE_GUARDS) ambience_cave_guards_step();
    const char* banner = zone_banner_step(player.pos_z);
    if (banner) result_message(banner, 3.0f);
}

// The flames are part of the world submission; the townsfolk are drawn here.
void ambience_submit() { villagers_submit(); }
