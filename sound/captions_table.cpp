// The captions' lines, one row per effect of the bank (sound.h, same order),
// then the music's. Sounds the player makes and sees anyway (steps, a blow
// landing, the interface) go without one; an effect used for several things
// says what is heard, not a guess at why.
#include "sound/captions_internal.h"

const CaptionRow snd_caption_rows[SND_CAPTION_COUNT] = {
    {"Tir d'arc", 1},               // SFX_HEAVY_BLOW: the player's own shots leave from the hand
    {nullptr, 0},                   // SFX_HIT_THUD
    {"Impact de flèche", 0},        // SFX_ARROW_TICK
    {nullptr, 0},                   // SFX_FOOTSTEP
    {"Tintement de pièces", 0},     // SFX_COINS
    {nullptr, 0},                   // SFX_PICK_UP
    {"Arpège montant", 0},          // SFX_LEVEL_UP
    {"Magie de la nature", 0},      // SFX_RISING_CHIRPS
    {nullptr, 0},                   // SFX_CLICK
    {"Grognement de sanglier", 0},  // SFX_RISING_GROWL
    {"Cri de gobelin", 0},          // SFX_GRUNT
    {"Râle de gobelin", 0},         // SFX_FALLING_ROAR
    {"Coup reçu", 0},               // SFX_THUMP
    {"Piège qui se referme", 0},    // SFX_METALLIC_HIT
    {"Fanfare", 0},                 // SFX_FANFARE
    {nullptr, 0},                   // SFX_ITEM_RUSTLE
    {nullptr, 0},                   // SFX_TRIPLE_BLOW: the player's volleys and whirlwind
    {"Hurlement de loup", 0},       // SFX_WOBBLE_CRY
    {"Plainte de loup", 0},         // SFX_FALLING_WHISTLE
    {"Cri de guerre", 0},           // SFX_SHORT_GROWL
    {"Râle d'agonie", 0},           // SFX_DEEP_GROWL
    {"Cliquetis d'os", 0},          // SFX_TICKS
    {"Os qui s'effondrent", 0},     // SFX_GRAINS
    {"Arme qui fend l'air", 1},     // SFX_SWEEP: the player's own swing is at the feet
    {"Choc métallique", 0},         // SFX_ANVIL_STRIKE
    {"Fracas", 0},                  // SFX_RUMBLE
    {"Bourdonnement magique", 0},   // SFX_PORTAL_HUM
    {"Grondement de Bréhus", 0},    // SFX_CRYPT_DRONE
    {"Des pas", 1},                 // SFX_STONE_STEP: someone else's, never the player's
    {nullptr, 0},                   // SFX_BONE_KNOCK: the player's critical hit
    {"Rugissement d'ours", 0},      // SFX_VOICED_CRY
    {"Rire du Chevalier vert", 0},  // SFX_LAUGHTER
    {"La musique s'assombrit", 0},  // SND_CAPTION_MUSIC_DARKER
    {"La mélodie reprend", 0},      // SND_CAPTION_MUSIC_BRIGHTER
    {"Cri d'alerte", 0},            // SND_CAPTION_ALERT
    {"La voûte tremble", 0},        // SND_CAPTION_VAULT
};

const char* const snd_direction_names[5] = {nullptr, "devant", "à gauche", "à droite", "derrière vous"};
