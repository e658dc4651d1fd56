#pragma once
// One template model per creature species, copied by every spawned creature,
// with the node slots that the creature poses move.
#include <cstdint>

#include "world/model.h"

constexpr int SPECIES_MODEL_COUNT = 11;

// Slots of both pose procedures; -1 where the species lacks the node. The
// body node sits at the feet origin so that its local y is the body lift.
struct SpeciesSlots {
    int32_t body, head;
    // Four-legged.
    int32_t front_leg[2], hind_leg[2], tail;
    int32_t lower_front[2], lower_hind[2];
    // Two-legged.
    int32_t leg[2], off_arm, weapon_arm;
    int32_t knee[2], off_forearm, weapon_forearm;
};

struct SpeciesModel {
    Model model;
    Material* materials[8];
    int32_t material_count;
    SpeciesSlots slots;
    uint8_t quadruped;
    // Tip of the weapon (or the jaws) for effects, -1 when none.
    int32_t weapon_tip;
};

extern SpeciesModel species_models[SPECIES_MODEL_COUNT];

// Builds every template (needs GL for the uploads); later calls do nothing.
// species_models_build, called by the world build, hands over to it.
void species_templates_build();
void species_models_build();
bool species_models_ready();

// Adds an elite's extra pieces (crown, helmet, collar, mantle) and colours to
// a creature's copy of its species template. Index 1..9; others do nothing.
void species_model_add_elite_pieces(Model* copy, const SpeciesSlots& slots, int elite_index);
