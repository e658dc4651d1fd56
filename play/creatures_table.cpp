// The species and elite tables.
#include "play/creatures.h"

#include "sound/sound.h"

// name, levels, beast, health, damage, walk, run, reach, aggro, leash, radius,
// bar height, attack interval, voice and death sounds, family, then the hit
// shape: head height, forward, radius; body centre height, forward, half side,
// half height, half length.
const SpeciesDef species_defs[SPECIES_COUNT] = {
    {"Sanglier", 2, 2, 1, 100, 14, 1.5f, 7.8f, 1.3f, 0, 40, 0.55f, 1.35f, 1.3f, SFX_RISING_GROWL, SFX_RISING_GROWL, 0,
     0.56f, 0.78f, 0.22f, 0.64f, 0, 0.3f, 0.36f, 0.66f},
    {"Gobelin", 3, 3, 0, 120, 8, 1.4f, 5, 1.7f, 15, 45, 0.45f, 1.6f, 1.4f, SFX_GRUNT, SFX_FALLING_ROAR, 1,
     1.07f, 0.12f, 0.2f, 0.72f, 0.03f, 0.27f, 0.42f, 0.24f},
    {"Loup gris", 6, 7, 1, 75, 7, 1.7f, 7, 1.7f, 14, 48, 0.5f, 1.25f, 1.2f, SFX_WOBBLE_CRY, SFX_FALLING_WHISTLE, 2,
     0.74f, 0.7f, 0.2f, 0.64f, 0, 0.22f, 0.27f, 0.62f},
    {"Brigand du Val", 7, 9, 0, 85, 8, 1.4f, 5.4f, 1.9f, 15, 45, 0.45f, 2.2f, 1.5f, SFX_SHORT_GROWL, SFX_DEEP_GROWL, 3,
     1.86f, 0.03f, 0.16f, 1.25f, 0, 0.27f, 0.64f, 0.22f},
    {"Squelette guerrier", 9, 10, 0, 95, 6, 1.3f, 4.6f, 1.9f, 11, 32, 0.42f, 2.1f, 1.5f, SFX_TICKS, SFX_GRAINS, 4,
     1.67f, 0.03f, 0.17f, 1.15f, 0, 0.25f, 0.6f, 0.2f},
    {"Squelette archer", 9, 10, 0, 75, 6, 1.3f, 4.2f, 17, 14, 32, 0.42f, 2.1f, 2.4f, SFX_TICKS, SFX_GRAINS, 4,
     1.67f, 0.03f, 0.17f, 1.15f, 0, 0.25f, 0.6f, 0.2f},
    {"Gardien d'os", 10, 10, 0, 130, 8, 1.2f, 4, 2, 11, 32, 0.5f, 2.25f, 1.8f, SFX_TICKS, SFX_GRAINS, 4,
     1.67f, 0.03f, 0.18f, 1.15f, 0, 0.28f, 0.6f, 0.22f},
    {"Bréhus sans Pitié", 10, 10, 0, 3200, 50, 1.6f, 5, 3, 0, 0, 0.75f, 2.35f, 2.2f, SFX_CRYPT_DRONE, SFX_GRAINS, 4,
     1.67f, 0.03f, 0.18f, 1.15f, 0, 0.3f, 0.62f, 0.24f},
    {"Esprit du loup", 1, 1, 1, 75, 7, 1.7f, 7.6f, 1.7f, 0, 0, 0.5f, 1.25f, 1.2f, SFX_WOBBLE_CRY, SFX_FALLING_WHISTLE, 9,
     0.74f, 0.7f, 0.2f, 0.64f, 0, 0.22f, 0.27f, 0.62f},
    {"Ours des Gastes", 11, 13, 1, 118, 9, 1.4f, 6.6f, 2.1f, 12, 40, 0.8f, 1.85f, 1.6f, SFX_VOICED_CRY, SFX_VOICED_CRY, 5,
     1.16f, 1, 0.28f, 0.98f, 0, 0.5f, 0.55f, 1},
    {"Chevalier félon", 15, 17, 0, 108, 8, 1.4f, 5.2f, 2, 15, 42, 0.5f, 2.25f, 1.5f, SFX_SHORT_GROWL, SFX_DEEP_GROWL, 6,
     1.86f, 0.03f, 0.17f, 1.25f, 0, 0.3f, 0.64f, 0.24f},
};

const EliteDef elite_defs[ELITE_COUNT + 1] = {
    {"", "", -1, 0, 1, 1, 1, 0},
    {"Grognard", "Grognard, chef des pillards", 1, 6, 1.4f, 560, 19.2f, 260},
    {"Gueule-Grise", "Gueule-Grise, loup alpha", 2, 8, 1.35f, 3.5f, 2.2f, 520},
    {"Gaudin le Rouge", "Gaudin le Rouge, chef des brigands", 3, 10, 1.2f, 3.5f, 2.0f, 760},
    {"Ossian", "Ossian, capitaine des os", 4, 10, 1.3f, 3.2f, 2.0f, 900},
    {"Le Chevalier Vert", "Le Chevalier Vert, gardien de la Chapelle", 10, 19, 1.32f, 4.2f, 2.0f, 1600},
    {"Crocs-Noirs", "Crocs-Noirs, chef du ravin", 1, 5, 1.35f, 3.0f, 1.8f, 230},
    {"Sire Brian des Îles", "Sire Brian des Îles, capitaine de la Lune noire", 10, 10, 1.15f, 3.6f, 1.7f, 950},
    {"Le roi Rion", "Le roi Rion, le mort couronné", 4, 20, 1.4f, 4.0f, 2.0f, 1300},
    {"Blanchecrins", "Blanchecrins, le loup blanc de la Gaste", 2, 20, 1.55f, 4.0f, 2.1f, 1300},
};
