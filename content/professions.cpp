// Profession levels, their rolls, crafting at the right place with the right
// materials, and the corpses a kill leaves to skin.
#include <cmath>

#include "content/professions.h"
#include "common/game_events.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/player.h"
#include "render/hud.h"
#include "sound/sound.h"
#include "world/camelot.h"
#include "world/terrain.h"
#include "play/merchant.h"

int profession_level[PROFESSION_COUNT] = {1, 1, 1, 1, 1, 1};
int professions_selected = PROF_ALCHEMY;
// Yields, regrowth and rolls: a fixed non-zero seed (xorshift stays at 0 from 0).
Rng profession_rng{PROFESSION_RNG_SEED};

void professions_reset() {
    for (int& l : profession_level) l = 1;
    professions_selected = PROF_ALCHEMY;
    gather_reset();
}

float skill_up_chance(int gap, bool crafted) {
    if (crafted) {
        if (gap < 15) return 1.0f;
        if (gap < 30) return 0.5f;
        if (gap < 45) return 0.2f;
        return 0.0f;
    }
    if (gap < 25) return 1.0f;
    if (gap < 50) return 0.5f;
    if (gap < 70) return 0.15f;
    return 0.0f;
}

bool skill_up(int profession, int difficulty, bool crafted) {
    if (profession < 0 || profession >= PROFESSION_COUNT) return false;
    int& level = profession_level[profession];
    if (level >= PROFESSION_LEVEL_MAX) return false;
    float chance = skill_up_chance(level - difficulty, crafted);
    // Sure outcomes spend no draw, so a sure gain never shifts later rolls.
    if (chance <= 0.0f) return false;
    if (chance < 1.0f && !(rng_float(profession_rng) < chance)) return false;
    ++level;
    result_float_text(Vec3{player.pos_x, player.pos_y + 2.3f, player.pos_z},
                      hud_fmt("%s %d", profession_defs[profession].name, level), HUD_GOLD, 1.6f, 0.8f, 0.4f);
    log_printf("Métier : %s %d", profession_defs[profession].name, level);
    return true;
}

// ---- Crafting ---------------------------------------------------------------------------

Vec3 anvil_position() {
    Vec3 m = merchant_position();
    float x = m.x + 2.4f, z = m.z - 1.6f;
    return {x, ground_height(x, z), z};
}

bool near_anvil(Vec3 feet) {
    if (game_flags.underground) return false;
    Vec3 a = anvil_position();
    Vec3 f = camelot_forge_position();
    return std::hypot(feet.x - a.x, feet.z - a.z) <= 4.0f || std::hypot(feet.x - f.x, feet.z - f.z) <= 4.5f;
}

const char* craft_refusal(int recipe) {
    if (recipe < 0 || recipe >= RECIPE_COUNT) return "Recette inconnue";
    const RecipeDef& r = recipes[recipe];
    if (profession_level[r.profession] < r.level)
        return hud_fmt("%s %d requis", profession_defs[r.profession].name, r.level);
    for (int m = 0; m < 3; ++m)
        if (r.material[m] && count_in_bag(r.material[m]) < r.material_count[m]) return "Il manque des matériaux";
    if (r.profession == PROF_SMITHING && !near_anvil({player.pos_x, player.pos_y, player.pos_z}))
        return "Il faut être près d'une enclume (chez le marchand, ou à la forge de Camelot)";
    // The product must find room once the materials are out, or nothing is spent.
    if (!bag_can_hold_after_taking(r.material, r.material_count, 3, r.product)) return "Votre sac est plein.";
    return nullptr;
}

bool craft(int recipe) {
    const char* refusal = craft_refusal(recipe);
    if (refusal) {
        result_message(refusal, 1.4f);
        return false;
    }
    const RecipeDef& r = recipes[recipe];
    for (int m = 0; m < 3; ++m)
        if (r.material[m]) remove_from_bag(r.material[m], r.material_count[m]);
    Vec3 feet{player.pos_x, player.pos_y, player.pos_z};
    add_to_bag(r.product);  // room was checked above
    result_message(hud_fmt("Fabriqué : %s", item_name(r.product)), 1.4f);
    log_printf("Fabriqué : %s", item_name(r.product));
    int sound = r.profession == PROF_SMITHING  ? SFX_SWEEP
                : r.profession == PROF_ALCHEMY ? SFX_RISING_CHIRPS
                                               : SFX_ITEM_RUSTLE;
    snd_play_at(sound, feet, 0.9f);
    skill_up(r.profession, r.level, true);
    return true;
}

// ---- Frame and kills --------------------------------------------------------------------


// A fresh corpse can be skinned once, whatever the slot held before.
void professions_creature_killed(const Creature* c) {
    if (!c) return;
    int i = creature_index(c);
    if (i >= 0 && i < CREATURE_CAPACITY) creatures[i].skinned = 0;
}
