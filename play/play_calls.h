#pragma once
// Calls from play/ up to the layers above it (the people at their posts, the
// options, the screens' portrait view, the chest's gift),
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
};
extern PlayCalls play_calls;
