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

// The eight skills of each class, in the order of the class's rows: the
// action bar and the character file hold these numbers.
enum ArcherSkill : int {
    SK_POWER_SHOT = 0,
    SK_VOLLEY = 1,
    SK_JAW_TRAP = 2,
    SK_FIRE_ARROW = 3,
    SK_FROST_ARROW = 4,
    SK_TWIN_ARROWS = 5,
    SK_PIERCING_ARROW = 6,
    SK_ARROW_RAIN = 7,
};
enum WarriorSkill : int {
    SK_HEROIC_STRIKE = 0,
    SK_CHARGE = 1,
    SK_WHIRLWIND = 2,
    SK_SHIELD_BASH = 3,
    SK_WAR_CRY = 4,
    SK_REND = 5,
    SK_SECOND_WIND = 6,
    SK_EXECUTE = 7,
};
enum DruidSkill : int {
    SK_LIFE_BREATH = 0,
    SK_BRAMBLES = 1,
    SK_WOLF_SPIRIT = 2,
    SK_SUN_WRATH = 3,
    SK_REGENERATION = 4,
    SK_FIREFLIES = 5,
    SK_TERVANNE_WRATH = 6,
    SK_VIVIANE_BLESSING = 7,
};

// What the warrior's pending sword blow carries (Player::pending_shield_effect).
enum PendingBlow : uint8_t { BLOW_PLAIN = 0, BLOW_SHIELD_BASH = 1, BLOW_REND = 2, BLOW_EXECUTE = 3 };

// The numbers of a skill's rule; a skill uses those it needs, the rest stay 0.
struct SkillNumbers {
    float power = 0.0f;       // damage factor of the blow, shot or spell; share of health for a heal
    float duration = 0.0f;    // seconds of the stun, hold, burn, bleed, heal, buff or summon
    float per_second = 0.0f;  // damage factor, or share of health, each second of a lasting effect
    float range = 0.0f;       // metres: the reach, or the radius of what is struck
    float min_range = 0.0f;   // metres: the charge's nearest target
    int32_t count = 0;        // arrows or volleys
    float bonus = 0.0f;       // rage gained, or the finishing blow's factor
    float threshold = 0.0f;   // share of health under which the finishing factor holds
};

struct SkillDef {
    const char* name;
    const char* description;  // worded from `text` and the numbers at start-up
    int32_t level;
    float cooldown;
    int32_t icon;
    int32_t cost;  // rage (warrior) or mana (druid)
    Vec3 tint;
    // The description with the numbers left out: {power%}, {power}, {power+%}
    // (above 1, as a percentage), {power*} (a word: triple), {duration},
    // {per_second%}, {range}, {min_range}, {bonus}, {Count} (a word: Cinq).
    const char* text;
    SkillNumbers numbers;
};
extern const SkillDef skill_defs[SKILL_ROWS];
// Fills a skill text's fields from its numbers (French decimal comma); false
// when the text names a field it does not know or `out` is too small.
bool skill_describe(const char* text, const SkillNumbers& n, char* out, int capacity);

struct ClassDef {
    const char* name;
    const char* female_name;
    const char* description;
};
extern const ClassDef class_defs[3];
// A class's name as the player reads it, in the character's gender (class
// clamped to 0..2).
const char* class_display_name(int player_class, bool woman);

// The row of a skill slot for the player's class (class clamped to 0..2).
const SkillDef& skill_of(int slot);
// The row of a class's skill, whatever the player's class.
const SkillDef& class_skill(int player_class, int slot);

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
