#pragma once
// Shared by the quest suites: a clean quest state, creatures that die for the
// counters, and the dialogue buttons pressed the way the dialog runs them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "content/quests.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/player.h"
#include "render/hud.h"

inline void fresh_quests(int level) {
    if (hud_dialog_state().open) hud_dialog_close();
    quests_reset_all();
    inventory_clear();
    player.level = level;
    player.experience = 0;
    hud_message("", 0.0f);
}

// A dead creature as the death handling passes it on (not in the table).
inline Creature& corpse(int species, float x, float z, int elite = 0) {
    static Creature c;
    std::memset(static_cast<void*>(&c), 0, sizeof c);
    c.species = species;
    c.elite_index = elite;
    c.elite = elite > 0;
    c.pos = {x, 0.0f, z};
    return c;
}

inline void kill(int species, float x, float z, int elite = 0) {
    Creature& c = corpse(species, x, z, elite);
    quests_creature_killed(species, &c);
}

// The objective panel's entry of giver g's current quest, found as the player
// reads it: the quest's name over the giver's name. An entry not shown when
// the panel has none.
inline int giver_entry_slot(int g) {
    const GiverDef& d = quest_givers[g];
    int n = giver_quest[g].numero;
    const char* title = n >= 0 && n < d.quest_count ? d.quests[n].name : "";
    for (int s = 0; s < HUD_TRACKER_SLOTS; ++s) {
        const QuestTrackerEntry* e = hud_tracker_get(s);
        if (e->shown && !std::strcmp(e->title, title) && !std::strcmp(e->giver_name, d.full_name)) return s;
    }
    return -1;
}

inline const QuestTrackerEntry* giver_entry(int g) {
    static const QuestTrackerEntry none{};
    int s = giver_entry_slot(g);
    return s >= 0 ? hud_tracker_get(s) : &none;
}

inline std::string dialog_body() { return hud_dialog_state().open ? hud_dialog_state().body : ""; }
inline std::string dialog_title() { return hud_dialog_state().open ? hud_dialog_state().title : ""; }

inline std::string button_label(int i) {
    const Dialog& d = hud_dialog_state();
    return d.open && i < d.button_count ? d.buttons[i].label : "";
}

// Presses button i: the dialog closes, then its action runs.
inline void press(int i) {
    const Dialog& d = hud_dialog_state();
    ASSERT_TRUE(d.open);
    ASSERT_LT(i, d.button_count);
    HudAction a = d.buttons[i].action;
    hud_dialog_close();
    if (a) a();
}

inline void close_dialog() {
    if (hud_dialog_state().open) hud_dialog_close();
}
