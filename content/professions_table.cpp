// The professions, the gathering node kinds and the recipes.
#include "content/professions.h"

const ProfessionDef profession_defs[PROFESSION_COUNT] = {
    {"Herboristerie", "Récolte : plantes de la forêt et de la lande", 61},        // herb
    {"Minage", "Récolte : filons de cuivre et de fer", 64},                       // ore
    {"Dépeçage", "Récolte : cuirs et fourrures des bêtes abattues", 11},          // material
    {"Alchimie", "Fabrication : potions, élixirs, bâtons", 26},                    // potion
    {"Travail du cuir", "Fabrication : armures de cuir, arcs", 34},                // chest
    {"Forge", "Fabrication : anneaux, armures, épées (à l'enclume)", 69},         // weapon
};

namespace {
// Catalogue ids.
enum : int {
    SAGE = 61, MOONFLOWER = 62, MANDRAKE = 63, COPPER = 64, IRON = 65,
    BOAR_HIDE = 11, WOLF_FUR = 41, BEAR_SKIN = 74,
};
}  // namespace

const NodeKindDef node_kinds[NODE_KIND_COUNT] = {
    {"Cueillir", PROF_HERBALISM, SAGE, 1, 52},
    {"Cueillir", PROF_HERBALISM, MOONFLOWER, 25, 28},
    {"Arracher", PROF_HERBALISM, MANDRAKE, 50, 16},
    {"Miner", PROF_MINING, COPPER, 1, 24},
    {"Miner", PROF_MINING, IRON, 25, 20},
};

bool skinning_yield(int species, int* item, int* level) {
    switch (species) {
        case 0: *item = BOAR_HIDE; *level = 1; return true;   // Sanglier
        case 2: *item = WOLF_FUR; *level = 20; return true;   // Loup gris
        case 9: *item = BEAR_SKIN; *level = 40; return true;  // Ours des Gastes
        default: return false;
    }
}

const RecipeDef recipes[RECIPE_COUNT] = {
    {PROF_ALCHEMY, 26, 1, 1, {SAGE, 0, 0}, {2, 0, 0}},                            // Potion de soin mineure
    {PROF_ALCHEMY, 66, 1, 15, {SAGE, MOONFLOWER, 0}, {1, 1, 0}},                  // Élixir de mana
    {PROF_ALCHEMY, 71, 1, 20, {SAGE, BOAR_HIDE, 0}, {6, 2, 0}},                   // Bâton de sauge
    {PROF_ALCHEMY, 27, 1, 30, {MOONFLOWER, SAGE, 0}, {2, 1, 0}},                  // Potion de soin
    {PROF_ALCHEMY, 72, 1, 50, {MOONFLOWER, MANDRAKE, WOLF_FUR}, {4, 2, 2}},       // Bâton de lune
    {PROF_LEATHERWORK, 5, 1, 1, {BOAR_HIDE, 0, 0}, {3, 0, 0}},                    // Brassards de cuir
    {PROF_LEATHERWORK, 4, 1, 5, {BOAR_HIDE, 0, 0}, {2, 0, 0}},                    // Ceinture de cuir
    {PROF_LEATHERWORK, 67, 1, 15, {BOAR_HIDE, WOLF_FUR, 0}, {4, 1, 0}},           // Arc de chasse gainé
    {PROF_LEATHERWORK, 34, 1, 25, {BOAR_HIDE, WOLF_FUR, 0}, {6, 2, 0}},           // Tunique de chasseur
    {PROF_LEATHERWORK, 73, 1, 35, {BOAR_HIDE, WOLF_FUR, 0}, {4, 3, 0}},           // Bottes du coureur des bois
    {PROF_LEATHERWORK, 60, 1, 45, {WOLF_FUR, BOAR_HIDE, 0}, {6, 2, 0}},           // Cuissardes en peau de loup
    {PROF_LEATHERWORK, 68, 1, 55, {WOLF_FUR, BOAR_HIDE, MANDRAKE}, {6, 3, 1}},    // Arc long du forestier
    {PROF_SMITHING, 9, 1, 1, {COPPER, 0, 0}, {2, 0, 0}},                          // Anneau de cuivre
    {PROF_SMITHING, 69, 1, 10, {IRON, BOAR_HIDE, 0}, {5, 1, 0}},                  // Épée de fer
    {PROF_SMITHING, 17, 1, 20, {IRON, 0, 0}, {4, 0, 0}},                          // Brassards de fer
    {PROF_SMITHING, 18, 1, 30, {IRON, COPPER, 0}, {6, 2, 0}},                     // Spallières de fer
    {PROF_SMITHING, 14, 1, 40, {IRON, COPPER, 0}, {8, 2, 0}},                     // Jambières de mailles
    {PROF_SMITHING, 70, 1, 50, {IRON, COPPER, BOAR_HIDE}, {8, 4, 2}},             // Épée du chevalier
};

int profession_item_quality(int id) {
    switch (id) {
        // Green: the better potions and the first tier of gear.
        case 27: case 66: case 71: case 67: case 34: case 73: case 69: case 17: case 18: case 14:
        case 62: case 65: case 74:
            return 2;
        // Blue.
        case 72: case 60: case 68: case 70: case 63:
            return 3;
        default:
            return 1;
    }
}

Vec4 profession_quality_colour(int quality) {
    switch (quality) {
        case 0: return {0.62f, 0.62f, 0.62f, 1.0f};
        case 2: return {0.12f, 1.0f, 0.0f, 1.0f};
        case 3: return {0.0f, 0.44f, 0.87f, 1.0f};
        case 4: return {0.64f, 0.21f, 0.93f, 1.0f};
        default: return {0.95f, 0.95f, 0.95f, 1.0f};
    }
}
