#pragma once
// Every hostile or wild creature, the druid's wolf spirit and the crypt's lord
// live in one fixed table of 192 records. This header holds the species and
// elite tables, the record, and the calls the rest of the game makes.
#include <cstdint>

#include "common/mathx.h"
#include "common/rng.h"
#include "world/model.h"

constexpr int CREATURE_CAPACITY = 192;
constexpr int CREATURE_ARROW_CAPACITY = 16;
constexpr int SLAB_CAPACITY = 9;
constexpr int SPECIES_COUNT = 11;
constexpr int ELITE_COUNT = 9;  // rows 1..9; 0 is "not an elite"
// Slots the wild population of the surface leaves free for what is called
// up in play: the druid's wolf spirit and the crypt lord's two pairs of dead.
constexpr int CREATURE_CALL_RESERVE = 5;

enum Species : int32_t {
    SP_BOAR = 0, SP_GOBLIN = 1, SP_WOLF = 2, SP_BRIGAND = 3, SP_SKELETON = 4, SP_SKELETON_ARCHER = 5,
    SP_BONE_GUARDIAN = 6, SP_BOSS = 7, SP_WOLF_SPIRIT = 8, SP_BEAR = 9, SP_FELON = 10,
};

enum CreatureState : int32_t {
    CS_BOAR_IDLE = 0, CS_BOAR_ROAM = 1, CS_BOAR_FIGHT = 2, CS_BOAR_FLEE = 3,
    CS_IDLE = 4, CS_ROAM = 5, CS_FIGHT = 6, CS_RETURN = 7, CS_DEAD = 8,
};

enum EliteRow : int32_t {
    ELITE_GROGNARD = 1, ELITE_GUEULE_GRISE = 2, ELITE_GAUDIN = 3, ELITE_OSSIAN = 4, ELITE_GREEN_KNIGHT = 5,
    ELITE_CROCS_NOIRS = 6, ELITE_BRIAN = 7, ELITE_RION = 8, ELITE_BLANCHECRINS = 9,
};

struct SpeciesDef {
    const char* name;
    int32_t level_min, level_max;
    uint8_t beast;
    float base_health;  // the boar, goblin and boss use fixed values instead
    float damage;
    float walk_speed, run_speed;
    float reach;        // times the creature's scale
    float aggro_radius;
    float leash;        // twice this on the surface
    float radius;
    float bar_height;
    float attack_interval;
    int32_t voice_sound, death_sound;
    int32_t family;
    // Hit shape in the creature's frame (forward, up, side), before scaling.
    float head_height, head_forward, head_radius;
    float body_height, body_forward, body_half_side, body_half_height, body_half_length;
};

struct EliteDef {
    const char* name;
    const char* title;
    int32_t species;
    int32_t level;
    float scale;
    float health_multiplier;  // row 1: the fixed health instead
    float damage_multiplier;  // row 1: the fixed blow instead
    int32_t experience;
};

extern const SpeciesDef species_defs[SPECIES_COUNT];
extern const EliteDef elite_defs[ELITE_COUNT + 1];

// Which side of the map a creature (or a trap, or the player) is on: the
// catacombs lie beside the surface, east of it, in the same coordinates.
enum CreatureWorld : uint8_t { WORLD_SURFACE = 0, WORLD_CATACOMBS = 1 };

struct Creature {
    uint8_t in_use;
    int32_t species;
    int32_t ai_state;
    uint32_t serial;

    Vec3 pos;
    float heading;  // facing (sin, cos) in (x, z)
    float speed;

    float behaviour_timer, attack_timer, attack_anim, death_time, hit_flash, effect_timer;
    float health, max_health;

    Vec3 roam_goal, home, anchor;
    uint8_t show_bar;

    // Model and pose.
    Model model;
    float stride_phase;
    float stagger;
    Vec3 hit_dir_local;  // where the last blow came from, in the creature's frame
    Vec3 tint;           // site colouring, applied when drawn

    // Loot, filled when it dies.
    int32_t loot[4];
    int32_t loot_count;
    int32_t loot_money;

    uint8_t elite;
    float body_scale;
    int32_t elite_index;
    char custom_name[32];  // empty for none

    float stun_time;
    int32_t level;

    uint8_t world;  // a CreatureWorld
    uint8_t minion;
    uint8_t skinned;
    uint8_t companion;
    int32_t companion_target;

    Vec3 patrol_point;
    float draw_time, retreat_time, lost_sight_time;

    // Boss (and the Green Knight's life in `phase`).
    int32_t phase, summons, charge_state;
    float charge_timer, slab_timer, outside_time, charge_phase_time;
    Vec3 charge_dir;
    uint8_t charge_hit;

    // Book-keeping of this implementation.
    uint8_t blow_pending;   // a started blow lands when attack_anim falls through 0.55
    uint8_t quest_excluded; // never counted by kill quests
    float return_time;      // seconds spent returning (a creature caught on a wall gives up)
};

struct CreatureArrow {
    uint8_t active;
    Vec3 pos, vel;
    float age, damage;
};

struct FallingSlab {
    uint8_t active;
    Vec3 pos;
    float age;
    uint8_t landed;
};

extern Creature creatures[CREATURE_CAPACITY];
extern CreatureArrow creature_arrows[CREATURE_ARROW_CAPACITY];
extern FallingSlab falling_slabs[SLAB_CAPACITY];
// Shared by the world's populations and the creatures, seeded 12345.
extern Rng creature_rng;

// ---- Table and spawning ----------------------------------------------------------------
// Empties every slot, arrow and slab, resets the serial and the generator.
void creatures_reset();
Creature* spawn_creature(int species, Vec3 position, Vec3 anchor);
Creature* spawn_elite(int index, Vec3 position, Vec3 anchor);
// For what must appear (the garrison, the lord and his dead, the wolf
// spirit): with every slot in use, the surface creature farthest from the
// player that he cannot see (he is below ground, or it lies beyond the
// surface's drawing range) gives up its slot; the surface's top-ups bring
// its kind back. None only when no such creature is left.
Creature* spawn_creature_making_room(int species, Vec3 position, Vec3 anchor);
void set_creature_level(Creature* c, int level);
// Site colouring and size (the guarded sites).
void set_creature_tint(Creature* c, Vec3 tint);
void set_creature_scale(Creature* c, float scale);
void free_creature(Creature* c);
// A creature about to be drawn deformed takes the deformed copies that others
// left behind before the drawing makes new ones.
void creature_take_spare_skins(Model& m);
void clear_world_creatures(int world);
int creature_index(const Creature* c);
int creatures_in_use();
int creatures_free();

// ---- Rules --------------------------------------------------------------------------
int species_health_for_level(int species, int level);
const char* creature_display_name(const Creature* c);
int creature_xp_value(const Creature* c);
// Level factor of a creature's blow against the player: 1 + 0.1 d, within [0.5, 2].
float creature_level_factor(const Creature* c);
// Damage of one blow before the level factor.
float creature_blow_damage(const Creature* c);
// Factor on the player's damage against this creature; *blocked when the
// bone guardian turns the blow on its front.
float player_damage_factor(const Creature* c, Vec3 hit_direction, bool* blocked);
// True when the creature died by this blow.
bool damage_creature(Creature* c, float amount);
// The jolt of a player's blow: impact 1 normal, 1.2 head, 1.5 critical;
// direction is the blow's travel in the world.
void creature_stagger(Creature* c, float impact, Vec3 direction);
// 0 miss, 1 body, 2 head.
int hit_part(const Creature* c, Vec3 point);
// Centre of the body shape in the world (aim point).
Vec3 creature_aim_point(const Creature* c);
float creature_radius(const Creature* c);
void alert_pack(Creature* c);
Creature* summon_companion(Vec3 position, float lifetime);
Creature* creature_companion();
void calm_all_creatures();
void reset_boss();
// The lord rises from his throne: the player came into the crypt, or a blow
// reached him from afar. Nothing when he already fights.
void boss_wake(Creature* c);
Creature* creature_boss();
bool creature_alive(const Creature* c);
// The side of the map the player is on (a CreatureWorld).
int player_world();
bool player_in_crypt();

// ---- Per frame --------------------------------------------------------------------------
void creatures_update(float dt);
void creatures_submit();
void creatures_draw_labels();

// ---- Poses --------------------------------------------------------------------------------
void pose_quadruped(Creature* c, float dt, float reference_speed);
void pose_biped(Creature* c, float dt);
// Runs the species' procedure (after the movement step).
void creature_pose(Creature* c, float dt);
bool species_is_quadruped(int species);
// Root matrix of the drawn figure: position, facing, scale, the stagger jolt,
// a corpse lying on its side and the boss's lean while charging.
Mat4 creature_root_matrix(const Creature* c);

// How dangerous a level difference (creature - player) is: 0 far below
// (grey) to 4 far above (red); the label colour is that step's.
int level_danger(int difference);
Vec3 level_colour(int difference);
void creatures_draw_labels();  // names and health bars (HUD pass)
