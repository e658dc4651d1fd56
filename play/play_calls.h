#pragma once
// Calls from play/ up to the layers above it (quests, professions, the
// options and the character file), through one table that game/
// fills at start-up. The defaults do nothing and answer as the default
// options do, so play runs alone in tests; tests assign fakes.
struct Creature;
struct PlayCalls {
    // A creature died by the player's hand: the quests, then the professions.
    void (*quests_creature_killed)(int species, const Creature* c);
    void (*professions_creature_killed)(const Creature* c);
    // Feet of the people who stand at their posts (quest givers, the
    // merchant): the player walks round them; returns how many were written.
    int (*standing_figure_points)(float* xs, float* zs, int capacity);
    float (*mouse_sensitivity)();
    bool (*mouse_inverted)();
    // True while the character screens show the close portrait view.
    bool (*presentation_portrait)();
    void (*save_character)();
    // The catacomb chest's all-or-nothing gift; the real one by default, a
    // test puts a bag of its own here.
    bool (*give_items_fit)(const int* ids, int count, const char* source);
    // The interaction prompt of the frame (its sources reach up to the quests
    // and the professions).
    void (*interaction_prompt)();
    // A right click: true when a quest figure or a townsperson under the
    // cursor, nearer along its ray than `nearer_than`, answered it.
    bool (*quests_right_click)(int x, int y, float nearer_than);
};
extern PlayCalls play_calls;
