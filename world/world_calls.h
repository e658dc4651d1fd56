#pragma once
// Calls from world/ up to the layers above it, through one table that game/
// fills at start-up. The defaults are the options' defaults, so the world
// builds the same alone (tests, benchmarks); tests assign fakes.
struct WorldCalls {
    int (*quality_level)();    // the graphics quality option, 0..2 (ambient occlusion at 2)
    void (*save_character)();  // after a visit's chest or the crypt's lord
};
extern WorldCalls world_calls;
