#pragma once
// Calls from play/ up to the layers above it (the people at their posts, the
// options, the screens' portrait view, the prompt and the right click),
// through one table that game/ fills at start-up. The defaults do nothing and answer as the default
// options do, so play runs alone in tests; tests assign fakes.
struct PlayCalls {
    // Feet of the people who stand at their posts (quest givers, the
    // merchant): the player walks round them; returns how many were written.
    int (*standing_figure_points)(float* xs, float* zs, int capacity);
    float (*mouse_sensitivity)();
    bool (*mouse_inverted)();
    // True while the character screens show the close portrait view.
    bool (*presentation_portrait)();
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
