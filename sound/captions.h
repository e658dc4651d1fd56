#pragma once
// What the player has heard lately, for the captions on screen: each
// captioned effect that starts loud enough, and each change of the music,
// goes into a small ring with where it came from and when (game clock).
#include "common/mathx.h"
#include "sound/sound.h"

// Captions past the effects: the music's two moods.
enum SoundCaption : int {
    SND_CAPTION_MUSIC_DARKER = SND_EFFECT_COUNT,  // underground: the melody stops, the drone deepens
    SND_CAPTION_MUSIC_BRIGHTER,                   // back above: the melody returns
    // What the game tells without a sound of its own.
    SND_CAPTION_ALERT,  // a creature has seen the player and calls its pack
    SND_CAPTION_VAULT,  // the crypt's lord brings the vault's slabs down
    SND_CAPTION_COUNT,
};

// Where a sound came from, seen from the player with the camera's bearings.
enum SoundDirection : int {
    SND_FROM_NOWHERE = 0,  // flat, or at the player's own feet
    SND_FROM_FRONT,
    SND_FROM_LEFT,
    SND_FROM_RIGHT,
    SND_FROM_BEHIND,
};

// A sound is captioned from this loudness (volume times the distance's
// attenuation, before the effects volume: a muted player still reads them).
constexpr float SND_CAPTION_MIN_LOUDNESS = 0.2f;
constexpr int SND_HEARD_RING = 16;

struct SoundHeard {
    int caption;    // an effect id or a SoundCaption
    int direction;  // SoundDirection, from the listener as it is now
    double time;    // game clock when last heard
};

// The caption's French line, or null for sounds that go without one.
const char* snd_caption_text(int caption);
// "à gauche", "derrière vous", ...; null for SND_FROM_NOWHERE.
const char* snd_direction_words(int direction);

// The entries heard at most `within` seconds before `now`, newest first, at
// most max of them. A caption heard again is one entry, refreshed.
int snd_heard_recent(SoundHeard* out, int max, double now, double within);
// Forgets everything heard (a new game, tests).
void snd_heard_clear();

// Called by the triggers and the music (sound layer only). position is null
// for a flat sound; loudness as SND_CAPTION_MIN_LOUDNESS counts it.
void snd_heard(int caption, const Vec3* position, float loudness);
// Something heard at `position` as loud as an effect played there at
// `volume` would be (the same fall with distance), for what the game tells
// without a sound of its own: an alert, the vault about to fall, the steps
// of whoever walks near in the catacombs.
void snd_heard_at(int caption, Vec3 position, float volume);
// Once per step with the world above or below and whether music plays.
void snd_heard_music(bool underground, bool music_on);
