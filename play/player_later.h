#pragma once
// Calls that player_update makes into pieces of play built elsewhere (combat,
// skills, windows, targets, prompts, death, creatures, catacombs, sound).
// Until those land, play/pending_player_later.cpp answers for them.
#include <cstdint>

#include "common/mathx.h"

constexpr int CREATURE_SLOT_LIMIT = 192;

// Window keys (map, spellbook, character, journal, professions); true when
// one acted, which skips the rest of this frame's key and mouse handling.
bool player_window_keys();
// Opens the professions window as its key does (closing the map, spellbook,
// journal and character sheet), or closes it; a trainer's "Voir mes métiers"
// and the window's own close button come here too.
void professions_window_show(bool open);
void player_action_bar_keys();
void player_target_key();
// Escape and focus loss (pause dialog, clearing the target).
void player_escape_and_focus();
// True when a window is open that stops click tracking.
bool player_window_blocks_clicks();
// A click (press and release without a drag) of the left (0) or right (1)
// button at the cursor.
void player_click(int button, int x, int y);
void player_target_upkeep(float dt);
// Death sequence; true while dead (the rest of the update is skipped).
// After 3.5 s the player comes to at Camelot or in the catacombs' vestibule.
bool player_death_step(float dt);
void player_revive();
// Skill effects, holds and traps of the player, cleared on death and return.
void clear_skills();
// Every living creature except the crypt's lord gives up the chase.
void calm_all_creatures();
void player_health_regen(float dt);
// Slow effects of skills: a factor on the step (1 = none).
float player_slow_factor();
// Warrior charge: true when the charge replaced this frame's step.
bool player_charge_step(float dt, float* step_x, float* step_z);
// Class basic attack and per-frame skill update (after movement).
void player_attack_step(float dt);
void player_interaction_prompt();
void player_arrows_update(float dt);
void player_traps_update(float dt);
void player_hud_update(float dt);

// The player takes a creature's blow, arrow or slab, coming from `from`
// (armour, blocks and death are the fighting code's).
void damage_player(float amount, Vec3 from);
// Spell damage of the character (the wolf spirit bites for a share of it).
float player_spell_damage();
// The wolf spirit's bite lands on a creature as the player's own damage.
struct Creature;
void player_companion_hit(Creature* target, float amount);
// A loot window open on this corpse closes (the corpse is going away).
void loot_window_close_for(const Creature* corpse);

// Target queries (creatures).
bool player_target_valid();
Vec3 player_target_position();

// Creatures that block the player: positions of living creatures of the
// given world (0 surface, 1 catacombs); returns how many were written.
int player_collect_creature_points(bool catacombs, float* xs, float* zs, int capacity);
// Feet of the people who stand at their posts (quest givers, the merchant):
// the player walks round them, not through them.
int standing_figure_points(float* xs, float* zs, int capacity);

// Dungeon wall queries.
Vec3 player_catacomb_resolve(Vec3 p, float radius);
bool player_catacomb_line_clear(Vec3 from, Vec3 to);
bool player_catacomb_solid(Vec3 p);

// Sound and mouse options.
void player_play_sound_at(int effect, Vec3 position, float volume);
float player_mouse_sensitivity();
bool player_mouse_inverted();
// True while the character screens show the close portrait view.
bool player_presentation_portrait();
