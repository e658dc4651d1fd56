// Stand-ins for the pieces of play that player_update calls into and that
// land with combat, skills, windows, targets, prompts, creatures, catacombs
// and sound; deleted when they are all in place.
#include "play/player.h"
#include "play/player_later.h"

bool player_window_keys() { return false; }
void player_action_bar_keys() {}
void player_target_key() {}
void player_escape_and_focus() {}
bool player_window_blocks_clicks() { return false; }
void player_target_upkeep(float) {}
void clear_skills() {}
void player_health_regen(float) {}
float player_slow_factor() { return 1.0f; }
bool player_charge_step(float, float*, float*) { return false; }
void player_attack_step(float) {}
void player_arrows_update(float) {}
void player_traps_update(float) {}
bool player_target_valid() { return false; }
Vec3 player_target_position() { return {player.pos_x, player.pos_y, player.pos_z}; }
int player_collect_creature_points(bool, float*, float*, int) { return 0; }
Vec3 player_catacomb_resolve(Vec3 p, float) { return p; }
bool player_catacomb_line_clear(Vec3, Vec3) { return true; }
bool player_catacomb_solid(Vec3) { return false; }
float player_mouse_sensitivity() { return 1.0f; }
bool player_mouse_inverted() { return false; }
bool player_presentation_portrait() { return false; }
