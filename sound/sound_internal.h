#pragma once
// State and steps of the sound module shared by its files, the tests, the
// benchmark and the WAV tool. The game itself only needs sound.h.
#include <cstdint>

#include "common/mathx.h"
#include "common/rng.h"
#include "sound/sound.h"

constexpr int SND_RATE = 44100;
constexpr int SND_NOTE_COUNT = 15;
constexpr int SND_VOICE_COUNT = 40;
constexpr int SND_BUFFER_FRAMES = 1024;
constexpr int SND_BUFFER_COUNT = 6;
constexpr int SND_ECHO_LENGTH = 9261;  // 0.21 s
constexpr uint32_t SND_SEED = 0x9E3779B9u;
constexpr float SND_BEAT_SECONDS = 0.7894737f;  // 76 beats a minute

struct SoundBuffer {
    float* samples;
    int32_t length;
};

struct Voice {
    const SoundBuffer* sound;
    float position;  // in samples
    float rate;      // samples advanced per output sample
    float gain_left, gain_right;
    uint8_t active;
    uint8_t music;  // scaled by the music volume, not a plain effect
};

struct Ambience {
    double drone_phase[3];  // radians
    float wind_state;
    float swell_time;    // +0.23 per second
    float tremolo_time;  // +1 per second
    float crackle_level;
    float drip_time;  // -1 when idle
    float drip_frequency, drip_pan;
    double drip_phase;
    float bird_time;  // -1 when idle
    float bird_frequency, bird_pan;
    double bird_phase;
    float drip_countdown, bird_countdown;
    float echo_left[SND_ECHO_LENGTH];
    float echo_right[SND_ECHO_LENGTH];
    int32_t echo_index;
    float music_smoothed;
    float w;  // underground cross-fade: 0 above ground, 1 underground
};

struct Melody {
    int32_t note;  // 3..13
    int32_t pattern;
    int32_t beat;
    int32_t phrase;
    float countdown;
};

struct Listener {
    Vec3 eye;
    Vec3 right;
    Vec3 player;
};

extern SoundBuffer snd_effects[SND_EFFECT_COUNT];
extern SoundBuffer snd_notes[SND_NOTE_COUNT];
extern Voice snd_voices[SND_VOICE_COUNT];
extern Ambience snd_ambience;
extern Melody snd_melody;
extern Listener snd_listener;
// How loud a placed sound is heard d metres from the listener (1 up close).
float snd_distance_gain(float d);
extern uint8_t snd_underground;  // snd_set_underground
extern Rng snd_rng;  // one generator for all of the game's sound

// The three camp fires (x, z) whose crackle is heard within 30 m.
constexpr int SND_FIRE_COUNT = 3;
extern const Vec2 snd_fires[SND_FIRE_COUNT];

// Uniform in [-1, 1) from the shared generator.
float snd_noise();

// Seeds the generator and synthesises both banks (replacing any earlier ones).
void snd_build_banks();
// Recipe lengths in samples, as the bank is built.
int snd_effect_length(int id);
// Frequency of note i of the bank (Hz).
float snd_note_frequency(int note);

// Voices, melody and ambience back to their start values (banks untouched).
void snd_reset_state();
// Takes a voice (first free, else the busy one that has played longest) and
// starts the sound on it; returns the voice index.
int snd_voice_start(const SoundBuffer* sound, float rate, float gain_left, float gain_right,
                    bool music);

// Melody and ambience events for one step (dt limited to 0.1 s).
void snd_events(float dt);
// Mixes `frames` stereo frames of voices and ambience into out (interleaved).
void snd_mix(int16_t* out, int frames);
// The soft limiter: float mix to a 16-bit sample, saturating, never wrapping.
int16_t snd_limit(float x);
// Horizontal distance from the player to the nearest camp fire (metres).
float snd_fire_distance();
// True when snd_init opened the output.
bool snd_output_open();
