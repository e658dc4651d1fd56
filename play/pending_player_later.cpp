// Stand-ins for the pieces of play that player_update calls into and that
// land with combat, skills, windows, targets, prompts, creatures, catacombs
// and sound; deleted when they are all in place.
#include "play/player.h"
#include "play/player_later.h"

float player_mouse_sensitivity() { return 1.0f; }
bool player_mouse_inverted() { return false; }
bool player_presentation_portrait() { return false; }
