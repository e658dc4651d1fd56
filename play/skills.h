#pragma once
// The three classes and their 24 skills: the table, the use of a skill with
// its checks, the druid's bolts, heals, brambles and mana, the archer's traps
// and arrow rain, the warrior's charge and whirlwind; the action bar and the
// spellbook.
#include <cstdint>

#include "common/mathx.h"

struct GpuMesh;
struct Material;
struct Creature;

constexpr int SKILLS_PER_CLASS = 8;
constexpr int SKILL_ROWS = 24;
constexpr int BAR_SLOTS = 10;
constexpr int BAR_POTION_BASE = 100;
constexpr int TRAP_CAPACITY = 3;
constexpr int BRAMBLE_CAPACITY = 4;
constexpr int BOLT_CAPACITY = 16;

struct SkillDef {
    const char* name;
    const char* description;
    int32_t level;
    float cooldown;
    int32_t icon;
    int32_t cost;  // rage (warrior) or mana (druid)
    Vec3 tint;
};
extern const SkillDef skill_defs[SKILL_ROWS];

struct ClassDef {
    const char* name;
    const char* female_name;
    const char* description;
};
extern const ClassDef class_defs[3];

// The row of a skill slot for the player's class (class clamped to 0..2).
const SkillDef& skill_of(int slot);

// ---- Skills -----------------------------------------------------------------------
bool use_skill(int slot);
// Druid: a moon bolt (kind 0) or a sun bolt (kind 1).
void cast_bolt(float multiplier, int kind);
// Per frame: cooldowns, druid resources, heals over time, brambles, the
// warrior's whirlwind.
void skills_update(float dt);
// Bolts in flight (with the arrows, also while dead).
void bolts_update(float dt);
// Traps and the arrow rain.
void traps_update(float dt);
// Every skill effect and timer of the player.
void clear_skills();
bool charge_running();
void skills_submit(const GpuMesh* speck, const Material* glow);

struct Trap {
    uint8_t active;
    uint8_t sprung;
    uint8_t world;
    Vec3 pos;
    float age;
};
struct ArrowRain {
    uint8_t active;
    Vec3 centre;
    int32_t volleys;
    float timer;
};
struct BrambleHold {
    uint8_t active;
    int32_t slot;
    uint32_t serial;
    float remaining;
    float tick;
};
struct Bolt {
    uint8_t active;
    Vec3 pos, vel;
    float age;
    int32_t homing_slot;
    uint32_t homing_serial;
    float multiplier;
    int32_t kind;
};
extern Trap traps[TRAP_CAPACITY];
extern ArrowRain arrow_rain;
extern BrambleHold bramble_holds[BRAMBLE_CAPACITY];
extern Bolt bolts[BOLT_CAPACITY];

// ---- Action bar -----------------------------------------------------------------------
// -1 empty, 0..7 a skill slot, 100 + item id for a potion.
extern int32_t action_bar[BAR_SLOTS];
void bar_default();
// What a stored value reads as: skills and potions that exist, else -1.
int32_t bar_value_sane(long long v);
// The "barre_%d" lines of a character file; no "barre_0" gives the default.
void load_bar(const char* file_text);
// Appends the "barre_%d" lines; returns the bytes written (cut at capacity).
int save_bar(char* out, int capacity);
void use_bar_slot(int slot);
void put_item_on_bar(int item, int slot);

// Warrior charge: true when the charge replaced this frame's step.
bool player_charge_step(float dt, float* step_x, float* step_z);
