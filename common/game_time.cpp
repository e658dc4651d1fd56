#include "common/game_time.h"

double game_clock = 0.0;
float frame_dt = 0.0f;
float world_dt = 0.0f;
