#pragma once
// Calls from render/ up to the layers above it, through one table that game/
// fills at start-up. The defaults do nothing, so the drawing code runs alone
// in tests and benchmarks; tests assign fakes.
struct RenderCalls {
    void (*save_character)();  // "Changer de personnage" saves first...
    void (*net_shutdown)();    // ...and leaves the server
    void (*character_select_show)();
    void (*options_open)();
    int (*quality_level)();  // the "qualite" option: 0 basse, 1 moyenne, 2 haute
};
extern RenderCalls render_calls;
