// Stand-ins for the pieces of play that player_update calls into and that
// land with combat, skills, windows, targets, prompts, creatures, catacombs
// and sound; deleted when they are all in place.
#include "play/player.h"
#include "play/player_later.h"
#include "play/creatures.h"
#include "render/hud.h"

bool player_window_keys() { return false; }
void player_action_bar_keys() {}
void player_escape_and_focus() {}
bool player_window_blocks_clicks() { return false; }
void clear_skills() {}
void player_health_regen(float) {}
float player_slow_factor() { return 1.0f; }
bool player_charge_step(float, float*, float*) { return false; }
void player_attack_step(float) {}
void player_interaction_prompt() {}
void player_arrows_update(float) {}
void player_traps_update(float) {}
Vec3 player_catacomb_resolve(Vec3 p, float) { return p; }
bool player_catacomb_line_clear(Vec3, Vec3) { return true; }
bool player_catacomb_solid(Vec3) { return false; }
float player_mouse_sensitivity() { return 1.0f; }
bool player_mouse_inverted() { return false; }
bool player_presentation_portrait() { return false; }
// Until armour, blocks and the death message arrive with the fighting code,
// a blow simply takes health and may lay the player down.
void damage_player(float amount, Vec3) {
    if (player.dead || !(amount > 0.0f)) return;
    player.health -= amount;
    player.since_hurt = 0.0f;
    hud_hit_flash();
    if (player.health <= 0.0f) {
        player.health = 0.0f;
        player.dead = 1;
        player.death_time = 0.0f;
    }
}
float player_spell_damage() { return 10.0f + 2.0f * (float)player.level; }
void player_companion_hit(Creature* target, float amount) { damage_creature(target, amount); }
