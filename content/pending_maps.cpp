// Stand-ins for the merchant and the quest givers as the professions and the
// maps see them; each goes when the merchant or the quests land.
#include "content/professions_later.h"
#include "render/hud.h"
#include "world/terrain.h"

// The market square of Camelot.
Vec3 merchant_position() { return camelot_point(-34.0f, 6.0f); }

Vec3 lady_position() {
    float x = LAKE_X + 40.0f, z = LAKE_Z + 34.0f;
    return {x, ground_height(x, z), z};
}

// No giver stands anywhere yet.
Vec3 giver_position(int) { return {0.0f, -1000.0f, 0.0f}; }
const char* giver_map_name(int) { return ""; }
int giver_marker(int) { return 0; }

// A finished entry points back to its giver.
bool quest_panel_marker(int slot, Vec3* where, bool* turn_in) {
    const QuestTrackerEntry* e = hud_tracker_get(slot);
    if (!e || !e->shown || !e->completed) return false;
    *where = e->giver_position;
    *turn_in = true;
    return true;
}
