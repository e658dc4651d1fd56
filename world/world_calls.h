#pragma once
// Calls from world/ up to the layers above it, through one table that game/
// fills at start-up. The defaults are the options' defaults, so the world
// builds the same alone (tests, benchmarks); tests assign fakes.
struct WorldCalls {
    int (*quality_level)();    // the graphics quality option, 0..2 (ambient occlusion at 2)
    // The start's wild population, placed in the middle of world_build
    // (while the map paints), where its random draws have always been.
    void (*populate)();
};
extern WorldCalls world_calls;
