#pragma once
// The ambience step (fire flicker, creature top-up timers) and the zone
// announcements; the townsfolk's drawing.

void ambience_submit();

// Once per frame above ground: the fire flicker, the creature top-ups when
// their timers fire, and the zone banner. Does nothing in the catacombs.
void world_ambience_step(float dt);
// The top-ups due this frame, as AMB_* bits; advances the timers (the
// second-zone roamers' only while second_zone is set).
enum : unsigned {
    AMB_CAMPS = 1, AMB_WANDERERS = 2, AMB_GOBLINS = 4, AMB_GASTE_BEARS = 8, AMB_CAVE_GUARDS = 16,
};
unsigned ambience_timers_step(float dt, bool second_zone);
// Timers and the zone banner back to their start-of-game state.
void world_ambience_reset();

// The zone banner: 0 first zone, 1 second (z < -400), -1 before the first frame.
// Returns the banner text when the zone changed since the previous call, else null.
const char* zone_banner_step(float player_z);
void zone_banner_reset();
