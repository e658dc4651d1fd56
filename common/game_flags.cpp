#include "common/game_flags.h"

GameFlags game_flags = {0, 0, 1, 0, 0, 0, {}};
