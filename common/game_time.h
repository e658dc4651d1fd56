#pragma once
#include <cstdint>

#include "common/game_flags.h"

// The simulation's clock: game/ advances it once a frame, every layer reads it.
extern double game_clock;  // advances by world_dt only
extern float frame_dt;     // real step, clamped to [0, 0.05]
extern float world_dt;     // frame_dt, or 0 while paused
