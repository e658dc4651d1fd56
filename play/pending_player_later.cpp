// Stand-ins for the pieces of play that player_update calls into and that
// land with combat, skills, windows, targets, prompts, creatures, catacombs
// and sound; deleted when they are all in place.
#include "play/player.h"
#include "play/player_later.h"

Vec3 player_catacomb_resolve(Vec3 p, float) { return p; }
bool player_catacomb_line_clear(Vec3, Vec3) { return true; }
bool player_catacomb_solid(Vec3) { return false; }
float player_mouse_sensitivity() { return 1.0f; }
bool player_mouse_inverted() { return false; }
bool player_presentation_portrait() { return false; }
