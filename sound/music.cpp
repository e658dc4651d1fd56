// The generative melody (plucked notes in D Dorian at 76 beats a minute) and
// the timing of the ambience events; the mixer renders what is set here.
#include "sound/captions.h"
#include "sound/sound_internal.h"

Melody snd_melody;

namespace {

// Beat lengths in beat units; 0 ends the phrase early.
constexpr float patterns[6][4] = {{1, 1, 1, 1}, {1.5f, 0.5f, 1, 1}, {2, 1, 1, 0},
                                  {1, 0.5f, 0.5f, 2}, {0.5f, 0.5f, 1, 2}, {1, 1, 2, 0}};

int random_below(int n) {
    int k = (int)(rng_float(snd_rng) * n);
    return k < n ? k : n - 1;
}

float approach(float value, float target, float k) { return value + (target - value) * (k < 1.0f ? k : 1.0f); }

void melody_step(float dt) {
    Melody& m = snd_melody;
    m.countdown -= dt;
    if (m.countdown > 0.0f) return;
    if (m.beat == 0) m.pattern = random_below(6);
    float beats = patterns[m.pattern][m.beat];
    if (beats == 0.0f) {
        m.beat = 0;
        m.phrase += 1;
        m.pattern = random_below(6);
        beats = patterns[m.pattern][0];
    }
    int step;
    if (m.phrase % 4 == 3 && m.beat >= 2) {
        // Every fourth phrase closes by walking home to the middle D.
        step = m.note < 7 ? 1 : (m.note == 7 ? 0 : -1);
    } else {
        step = random_below(5) - 2;
        if (step == 0) step = rng_float(snd_rng) < 0.5f ? -1 : 1;
    }
    m.note += step;
    if (m.note < 3) m.note = 3;
    if (m.note > 13) m.note = 13;
    snd_voice_start(&snd_notes[m.note], 1.0f, 0.426f, 0.3479f, true);
    if (m.beat == 0) snd_voice_start(&snd_notes[m.note % 7], 1.0f, 0.1893f, 0.258f, true);
    m.countdown = beats * SND_BEAT_SECONDS;
    m.beat += 1;
    if (m.beat > 3) {
        m.beat = 0;
        m.phrase += 1;
    }
}

}  // namespace

void snd_events(float dt) {
    if (!(dt > 0.0f)) dt = 0.0f;
    if (dt > 0.1f) dt = 0.1f;
    Ambience& a = snd_ambience;
    float music = snd_music_volume();
    bool music_on = music > 0.001f;
    a.music_smoothed = approach(a.music_smoothed, music_on ? music : 0.0f, 1.5f * dt);
    a.w = approach(a.w, snd_underground ? 1.0f : 0.0f, 2.0f * dt);

    if (music_on && !snd_underground) melody_step(dt);
    snd_heard_music(snd_underground != 0, music_on);

    if (snd_underground) {
        a.drip_countdown -= dt;
        if (a.drip_countdown <= 0.0f && a.drip_time < 0.0f) {
            a.drip_countdown = 0.6f + 2.5f * rng_float(snd_rng);
            a.drip_frequency = 900.0f + 900.0f * rng_float(snd_rng);
            a.drip_pan = rng_float(snd_rng) < 0.5f ? -0.9f : 0.9f;
            a.drip_phase = 0.0;
            a.drip_time = 0.0f;
        }
    }
    a.bird_countdown -= dt;
    if (a.bird_countdown <= 0.0f && a.bird_time < 0.0f) {
        a.bird_countdown = 3.0f + 6.0f * rng_float(snd_rng);
        a.bird_frequency = 2600.0f + 1800.0f * rng_float(snd_rng);
        a.bird_pan = rng_float(snd_rng) < 0.5f ? -0.8f : 0.8f;
        a.bird_phase = 0.0;
        a.bird_time = 0.0f;
    }
}
