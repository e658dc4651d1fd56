#pragma once
// The character's fighting numbers: experience and levels, health and rage,
// the damage of every blow the player deals or takes, the warrior's swings,
// the archer's arrows and damage over time.
#include <cstdint>

#include "common/mathx.h"
#include "common/rng.h"

struct Creature;

constexpr int MAX_LEVEL = 20;
constexpr int DOT_CAPACITY = 24;
constexpr int PLAYER_ARROW_CAPACITY = 40;
constexpr int PIERCE_MEMORY = 6;

enum HitKind : int { HIT_BODY = 1, HIT_HEAD = 2 };
enum DotKind : int { DOT_FIRE = 0, DOT_BLEED = 1, DOT_FIREFLIES = 2 };
enum ArrowKind : int { ARROW_PLAIN = 0, ARROW_FIRE = 1, ARROW_ICE = 2, ARROW_PIERCING = 3, ARROW_FALLING = 4 };

// Critical hits draw from their own generator so that nothing else (particles,
// the rain's spread) shifts them.
extern Rng combat_rng;

// ---- Experience and levels --------------------------------------------------------
// Experience needed to pass from this level to the next.
int experience_need(int level);
// Points actually gained from an award (1 for 1, else (a + 2) / 4; 0 for none).
int experience_points(int amount);
// Full health of a level for the current class and endurance.
float player_full_health(int level);
void set_level_and_experience(int level, int experience);
void grant_experience(int amount);

// ---- Statistics -------------------------------------------------------------------
// Totals of the worn items (the item code calls this whenever they change).
void player_equipment_totals(int armour, int endurance, int agility, float weapon_factor);
// Armour with the warrior's bonus, maximum health (keeping the fraction).
void player_recompute_stats();
float player_melee_base();
float player_ranged_base();
// Heals and mana gains never pass the maximum; they return what was gained.
float player_heal(float amount);
float player_gain_mana(float amount);
// Rage +amount (capped at 100), and the idle clock restarts.
void player_gain_rage(float amount);

// ---- Blows ------------------------------------------------------------------------
// Every blow of the player on a creature; direction is the blow's travel.
void hit_creature(Creature* c, float damage, Vec3 point, int kind, Vec3 direction);
void add_damage_over_time(Creature* c, float duration, float per_tick, int kind);
void damage_over_time_update(float dt);

// Warrior: the body turns to what it will strike, and the swing begins.
void start_swing(int combo, float multiplier);
// One landing blow on everything in reach; returns the creatures hit.
int swing_hit(float multiplier, float reach, float cone);
// Swing progress, the combo window and the landing of the blow.
void swing_update(float dt);
// Index of the next swing of the combo.
int next_combo_index();

// ---- Arrows -------------------------------------------------------------------------
struct PlayerArrow {
    uint8_t active;
    uint8_t stuck;
    Vec3 pos;  // the tip
    Vec3 vel;
    float age;
    float multiplier;
    int32_t homing_slot;
    uint32_t homing_serial;
    int32_t kind;
    int32_t pierced[PIERCE_MEMORY];
    uint32_t pierced_serial[PIERCE_MEMORY];
    int32_t pierced_count;
    // A stuck arrow rides on this creature while it is the same one.
    int32_t stuck_slot;
    uint32_t stuck_serial;
    Vec3 stuck_offset;  // in the frame the creature is drawn in (its root matrix)
    Vec3 stuck_dir;     // the same frame
    Vec3 dir;           // drawn along this
};
extern PlayerArrow player_arrows[PLAYER_ARROW_CAPACITY];

// From the bow hand toward the target or straight ahead; counts one attack
// unless `counts` is false (the shots of one skill count once).
PlayerArrow* launch_arrow(float angle_offset, float multiplier, int kind, bool counts = true);
// A bare arrow of the ring at a given place and speed (the rain).
PlayerArrow* spawn_arrow(Vec3 pos, Vec3 vel, int kind);
void arrows_update(float dt);
// Where the bow hand is this frame.
Vec3 player_bow_hand();
// Where the druid's bolts leave: the head of the staff in hand.
Vec3 player_staff_tip();

// ---- Lifecycle ------------------------------------------------------------------------
// Damage over time and arrows (return to life, character change).
void combat_clear();
// Arrows and effects into the frame.
void combat_submit();

// ---- Small effects ---------------------------------------------------------------------
// Sparks, leaves and ice: a fixed table of short-lived specks.
void particles_burst(Vec3 at, int count, Vec3 colour, float speed, float up, float life);
void particles_update(float dt);
void particles_clear();

void player_health_regen(float dt);
// The player takes a creature's blow, arrow or slab, coming from `from`
// (armour, blocks and death are the fighting code's).
void damage_player(float amount, Vec3 from);
// Spell damage of the character (the wolf spirit bites for a share of it).
float player_spell_damage();
void player_companion_hit(Creature* target, float amount);
