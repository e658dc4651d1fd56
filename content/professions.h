#pragma once
// Professions: three gathered in the world (herbs, ore, hides), three crafted
// (potions and staves, leather, smithing). Levels live in
// play/profession_state.h; this is the rest: the tables, the gathering nodes,
// the harvest and skinning action, crafting and the level rolls.
#include <cstdint>

#include "common/mathx.h"
#include "common/rng.h"
#include "play/profession_state.h"

struct Creature;

enum Profession : int {
    PROF_HERBALISM = 0, PROF_MINING = 1, PROF_SKINNING = 2,
    PROF_ALCHEMY = 3, PROF_LEATHERWORK = 4, PROF_SMITHING = 5,
};
constexpr int PROFESSION_LEVEL_MAX = 75;

struct ProfessionDef {
    const char* name;
    const char* description;
    int icon_item;  // an item of the kind whose icon stands for the profession
};
extern const ProfessionDef profession_defs[PROFESSION_COUNT];

// ---- Gathering nodes ------------------------------------------------------------
constexpr int NODE_KIND_COUNT = 5;
struct NodeKindDef {
    const char* verb;
    int profession;
    int item;
    int level;
    int placed;
};
extern const NodeKindDef node_kinds[NODE_KIND_COUNT];
inline bool node_kind_is_ore(int kind) { return kind >= 3; }

constexpr int GATHER_NODE_CAPACITY = 160;
constexpr uint32_t GATHER_PLACEMENT_SEED = 91357u;
struct GatherNode {
    int32_t kind;
    float x, y, z, yaw;
    float regrow;  // seconds; positive: depleted and hidden
};

// Runs the placement generator over the current terrain and obstacles into
// out (GATHER_NODE_CAPACITY entries); returns the count. Pure: the same nodes
// on every call.
int gather_nodes_place(GatherNode* out);
// Why a candidate spot would be refused (the generator's rules apart from the
// nodes already placed), or null.
const char* gather_spot_refusal(float x, float z);
// The nodes of the game (placed by gathering_build).
int gather_node_count();
GatherNode* gather_nodes();

// ---- Skinning ---------------------------------------------------------------------
// Item and level of a skinnable species, false for the others.
bool skinning_yield(int species, int* item, int* level);

// ---- The action --------------------------------------------------------------------
// Finds a node or corpse in reach, shows its prompt; start begins the action.
bool gather_prompt(bool start);
bool gather_running();
float gather_progress();  // 0 .. 1
const char* gather_action_label();  // "Cueillir…", "Dépeçage…"
// Regrowth timers and the running action.
void gathering_update(float dt);
// Stops a running action with "Interrompu.".
void gather_cancel();
// Drops a running action without a word (a character change).
void gather_reset();

// ---- Level rolls -------------------------------------------------------------------
// Harvest yields, regrowth and level rolls share this generator.
constexpr uint32_t PROFESSION_RNG_SEED = 0x2F6B1D35u;
extern Rng profession_rng;
// Chance that a success at this gap (level - difficulty) raises the level.
float skill_up_chance(int gap, bool crafted);
// One roll; true when the level rose (with its floating text).
bool skill_up(int profession, int difficulty, bool crafted);

// ---- Crafting ------------------------------------------------------------------------
constexpr int RECIPE_COUNT = 18;
struct RecipeDef {
    int profession;
    int product;
    int count;
    int level;
    int material[3];
    int material_count[3];
};
extern const RecipeDef recipes[RECIPE_COUNT];
// Where smithing can be done.
Vec3 anvil_position();
bool near_anvil(Vec3 feet);
// Why the recipe cannot be made now, or null when it can.
const char* craft_refusal(int recipe);
// Makes the recipe when it can; shows the result or the refusal. True when
// made (even when the product was lost to a full bag).
bool craft(int recipe);

// Quality of the items the professions deal in (names in its colour).
int profession_item_quality(int id);
Vec4 profession_quality_colour(int quality);

// ---- Screens -------------------------------------------------------------------------
// The crafting profession shown on the right of the professions screen.
extern int professions_selected;

void professions_creature_killed(const Creature* c);
