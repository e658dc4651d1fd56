#pragma once
// Sound services for the rest of the game: effects by number, flat or placed
// in the world, plus the listener and the two volumes.
#include "common/mathx.h"

constexpr int SND_EFFECT_COUNT = 32;

// Start-up: synthesises the effect and note banks, then opens the output.
void snd_init();
// Once per frame with the real step (also while paused): melody and ambience
// events, then every buffer the device has finished is mixed and queued.
void snd_update(float dt);

// Flat sound (interface): ids 0-31; nothing below volume 0.003.
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

// Volumes 0..1 (clamped); defaults 0.9 effects, 0.8 music. Music counts as
// on while its volume is above 0.001.
void snd_set_effects_volume(float volume);
void snd_set_music_volume(float volume);
float snd_effects_volume();
float snd_music_volume();
