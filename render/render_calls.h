#pragma once
// What the renderer asks of the layers above it (the quality option, whether
// a label's point is in sight), through one table that game/ fills at
// start-up. The defaults do nothing, so the drawing code runs alone
// in tests and benchmarks; tests assign fakes.
#include "common/mathx.h"

struct RenderCalls {
    int (*quality_level)();  // the "qualite" option: 0 basse, 1 moyenne, 2 haute
    // Whether the world leaves the line from the eye to a label's point open
    // (a name behind a wall is not drawn through the stone).
    bool (*label_in_sight)(Vec3 eye, Vec3 point);
};
extern RenderCalls render_calls;
