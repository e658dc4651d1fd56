#pragma once
// Sound services for the rest of the game: effects by name, flat or placed
// in the world, plus the listener and the two volumes.
#include "common/mathx.h"

// The effect bank, by id (the recipes in sound/synth.cpp, same order).
enum SoundEffect : int {
    SFX_HEAVY_BLOW = 0,       // a bow loosed hard: strong shots, the skeleton archers
    SFX_HIT_THUD = 1,         // the player's blow lands
    SFX_ARROW_TICK = 2,       // an arrow strikes a target, the ground or a wall
    SFX_FOOTSTEP = 3,         // on grass and earth
    SFX_COINS = 4,            // money changes hands
    SFX_PICK_UP = 5,          // an item reaches the bag, a plant is gathered
    SFX_LEVEL_UP = 6,         // the rising arpeggio
    SFX_RISING_CHIRPS = 7,    // healing and nature magic
    SFX_CLICK = 8,            // the interface click
    SFX_RISING_GROWL = 9,     // the boar
    SFX_GRUNT = 10,           // the goblin's voice
    SFX_FALLING_ROAR = 11,    // the goblin's death
    SFX_THUMP = 12,           // the player is hurt
    SFX_METALLIC_HIT = 13,    // traps and brambles catch
    SFX_FANFARE = 14,         // quests, a player joins, the crypt's lord falls
    SFX_ITEM_RUSTLE = 15,     // equipment moves
    SFX_TRIPLE_BLOW = 16,     // volleys and the whirlwind
    SFX_WOBBLE_CRY = 17,      // the wolf's voice; the wolf spirit comes, bites and goes
    SFX_FALLING_WHISTLE = 18, // the wolf's death
    SFX_SHORT_GROWL = 19,     // the brigand's voice
    SFX_DEEP_GROWL = 20,      // the brigand's death
    SFX_TICKS = 21,           // the skeleton's rattle
    SFX_GRAINS = 22,          // bones falling apart
    SFX_SWEEP = 23,           // a weapon swung
    SFX_ANVIL_STRIKE = 24,    // the smith's anvil, a blocked blow, a charge striking home
    SFX_RUMBLE = 25,          // heavy impacts: slabs, the charge, ore
    SFX_PORTAL_HUM = 26,      // the catacomb portal, druid bolts, the dead rising
    SFX_CRYPT_DRONE = 27,     // the crypt's lord
    SFX_STONE_STEP = 28,      // footsteps in the catacombs
    SFX_BONE_KNOCK = 29,      // a critical hit
    SFX_VOICED_CRY = 30,      // the bear
    SFX_LAUGHTER = 31,        // the Green Knight rises again
};
constexpr int SND_EFFECT_COUNT = 32;
static_assert(SFX_LAUGHTER + 1 == SND_EFFECT_COUNT, "one name per effect");

// Start-up: synthesises the effect and note banks, then opens the output.
void snd_init();
// Once per frame with the real step (also while paused): melody and ambience
// events, then every buffer the device has finished is mixed and queued.
void snd_update(float dt);

// Flat sound (interface); an id outside the bank is the caller's fault
// (asserted; a release build plays nothing), and nothing plays below volume
// 0.003.
void snd_play(int id, float volume);
// Sound placed in the world: attenuated with the distance from the camera
// eye, silent beyond 70 m, panned against the camera's right-hand direction.
void snd_play_at(int id, Vec3 position, float volume);

// Camera eye and its right-hand direction, for placed sounds. Set once per
// frame after the camera has moved.
void snd_set_listener(Vec3 eye, Vec3 right);
// The same from the camera's eye and look-at point (y is up).
void snd_set_listener_view(Vec3 eye, Vec3 look);
// The player's feet, for the camp-fire crackle.
void snd_set_player_position(Vec3 position);
// The player's world: below, the caves' drips and echoes replace the birds,
// the camp fires and the melody.
void snd_set_underground(bool below);

// Volumes 0..1 (clamped); defaults 0.9 effects, 0.8 music. Music counts as
// on while its volume is above 0.001.
void snd_set_effects_volume(float volume);
void snd_set_music_volume(float volume);
float snd_effects_volume();
float snd_music_volume();
