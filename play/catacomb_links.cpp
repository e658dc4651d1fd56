// The player's movement, camera, targeting and arrows ask the dungeon's wall
// grid through these.
#include "play/player_later.h"
#include "world/catacombs.h"

Vec3 player_catacomb_resolve(Vec3 p, float radius) { return catacomb_resolve(p, radius); }
bool player_catacomb_line_clear(Vec3 from, Vec3 to) { return catacomb_line_clear(from, to); }
bool player_catacomb_solid(Vec3 p) { return catacomb_solid(p); }
