// What the maps read of the quests: the givers' names for the hover text and
// the objective panel's markers.
#include "content/quests.h"
#include "render/hud.h"

const char* giver_map_name(int g) {
    if (g < 0 || g >= QUEST_GIVER_COUNT) return "";
    return quest_givers[g].full_name;
}

// An entry points where to go while the quest runs, and to where it is
// turned in once done (the panel keeps that place with the entry).
bool quest_panel_marker(int slot, Vec3* where, bool* turn_in) {
    const QuestTrackerEntry* e = hud_tracker_get(slot);
    // An entry nobody filled in with a place has none to show.
    if (!e || !e->shown || e->giver_ref == 0) return false;
    *where = e->giver_position;
    *turn_in = e->completed != 0;
    return true;
}
