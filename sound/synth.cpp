// The effect bank and the plucked-string notes, synthesised once at start-up.
// Every random draw comes from the shared sound generator in a fixed order,
// so both banks are identical on every run.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sound/sound_internal.h"

SoundBuffer snd_effects[SND_EFFECT_COUNT];
SoundBuffer snd_notes[SND_NOTE_COUNT];
Rng snd_rng = {SND_SEED};

namespace {

constexpr double TAU = 6.283185307179586;
constexpr double HALF_TAU = 3.141592653589793;
constexpr double DT = 1.0 / SND_RATE;


float uniform01() { return rng_float(snd_rng); }

// env(t; A, D): linear attack over A, then exponential decay with time constant D.
float env(double t, double attack, double decay) {
    double rise = t < attack ? t / attack : 1.0;
    double held = t < attack ? t : attack;
    return (float)(rise * std::exp(-(t - held) / decay));
}

struct OnePole {
    float y = 0.0f;
    float a;
    explicit OnePole(float cutoff) : a((float)(1.0 - std::exp(-TAU * cutoff / SND_RATE))) {}
    float run(float x) {
        y += (x - y) * a;
        return y;
    }
};

struct StateVariable {
    float low = 0.0f, band = 0.0f, f, q;
    StateVariable(float cutoff, float damping)
        : f((float)(2.0 * std::sin(HALF_TAU * cutoff / SND_RATE))), q(damping) {}
    float run(float x) {
        low += f * band;
        float high = x - low - q * band;
        band += f * high;
        return low;
    }
};

// Oscillator whose pitch may change every sample: the phase (in cycles) is
// integrated, so sweeps stay continuous.
struct Osc {
    double phase = 0.0;
    float sine(double hz) {
        float v = (float)std::sin(TAU * phase);
        advance(hz);
        return v;
    }
    float saw(double hz) {
        float v = (float)(2.0 * (phase - std::floor(phase)) - 1.0);
        advance(hz);
        return v;
    }
    void advance(double hz) {
        phase += hz * DT;
        if (phase > 1e6) phase -= std::floor(phase);
    }
};

float sine_at(double hz, double t) { return (float)std::sin(TAU * hz * t); }

void normalize(SoundBuffer& b, float peak) {
    float top = 0.0f;
    for (int i = 0; i < b.length; ++i) top = std::fmax(top, std::fabs(b.samples[i]));
    if (top <= 0.0f) return;
    float k = peak / top;
    for (int i = 0; i < b.length; ++i) b.samples[i] *= k;
}

void heavy_blow(float* s, int n) {
    Osc o;
    OnePole lp(1800);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float tone = o.sine(70 + 150 * std::exp(-6 * t)) * env(t, 0.002, 0.07) * 0.9f;
        float hiss = snd_noise() * env(t, 0.01, 0.12) * 0.25f;
        float thud = lp.run(snd_noise()) * env(t, 0.03, 0.12) * 1.2f;
        s[i] = tone + hiss + thud;
    }
}

void hit_thud(float* s, int n) {
    Osc o;
    OnePole lp(2500);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float x = o.sine(95 - 40 * t) * env(t, 0.001, 0.05) +
                  snd_noise() * env(t, 0.0005, 0.012) * 0.6f;
        s[i] = lp.run(x);
    }
}

void arrow_tick(float* s, int n) {
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float tone = (sine_at(320, t) * 0.7f + sine_at(710, t) * 0.4f) * env(t, 0.0003, 0.03);
        s[i] = tone + snd_noise() * env(t, 0.0005, 0.006);
    }
}

void footstep(float* s, int n) {
    OnePole lp(900);
    for (int i = 0; i < n; ++i) s[i] = lp.run(snd_noise() * env(i * DT, 0.008, 0.035));
}

// Three strikes with a random pitch each
void coins(float* s, int n) {
    for (int k = 0; k < 3; ++k) {
        double f = 1900.0 + 300.0 * uniform01();
        int start = (int)std::lround(0.07 * k * SND_RATE);
        for (int i = start; i < n; ++i) {
            double u = (i - start) * DT;
            s[i] += (sine_at(f, u) + 0.55f * sine_at(2.76 * f, u)) * env(u, 0.0005, 0.06);
        }
    }
}

// A rustle, then a blip
void pick_up(float* s, int n) {
    OnePole lp(3000);
    int blip = (int)std::lround(0.12 * SND_RATE);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float x = lp.run(snd_noise() * env(t, 0.04, 0.08));
        if (i >= blip) {
            double u = (i - blip) * DT;
            x += sine_at(2600, u) * env(u, 0.001, 0.08) * 0.4f;
        }
        s[i] = x;
    }
}

void level_up(float* s, int n) {
    const double notes[4] = {587.3, 740, 880, 1174.7};
    for (int k = 0; k < 4; ++k) {
        int start = (int)std::lround(0.12 * k * SND_RATE);
        double f = notes[k];
        for (int i = start; i < n; ++i) {
            double u = (i - start) * DT;
            float partials = sine_at(f, u) + 0.4f * sine_at(2 * f, u) + 0.25f * sine_at(3.01 * f, u);
            s[i] += partials * env(u, 0.003, 0.5);
        }
    }
}

void rising_chirps(float* s, int n) {
    for (int k = 0; k < 3; ++k) {
        int start = (int)std::lround(0.2 * k * SND_RATE);
        Osc o;
        OnePole lp(1200);
        for (int i = start; i < n; ++i) {
            double u = (i - start) * DT;
            s[i] += lp.run(o.sine(180 + 260 * u + 30 * std::sin(90 * u)) * env(u, 0.01, 0.05));
        }
    }
}

void click(float* s, int n) {
    for (int i = 0; i < n; ++i) s[i] = sine_at(1800, i * DT) * env(i * DT, 0.0005, 0.006);
}

void rising_growl(float* s, int n) {
    Osc o;
    OnePole lp(1500);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float x = (o.saw(170 + 220 * t + 25 * std::sin(60 * t)) + snd_noise() * 0.3f) *
                  env(t, 0.02, 0.18);
        s[i] = lp.run(x);
    }
}

void grunt(float* s, int n) {
    Osc o;
    StateVariable svf(520, 0.4f);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        s[i] = svf.run(o.saw(130 - 40 * t + 12 * std::sin(45 * t))) * env(t, 0.015, 0.12);
    }
}

void falling_roar(float* s, int n) {
    Osc o;
    OnePole lp(1100);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float x = (o.saw(60 + 210 * std::exp(-1.6 * t)) * 0.8f + snd_noise() * 0.2f) *
                  env(t, 0.02, 0.3);
        s[i] = lp.run(x);
    }
}

void thump(float* s, int n) {
    Osc o;
    OnePole lp(1600);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float x = o.sine(140 - 60 * t) * env(t, 0.003, 0.06) +
                  snd_noise() * env(t, 0.001, 0.02) * 0.7f;
        s[i] = lp.run(x);
    }
}

void metallic_hit(float* s, int n) {
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float ring = 0.5f * sine_at(1870, t) + 0.35f * sine_at(2790, t) + 0.2f * sine_at(4100, t);
        s[i] = snd_noise() * env(t, 0.0005, 0.015) + ring * (float)std::exp(-t / 0.12);
    }
}

void fanfare(float* s, int n) {
    const double chords[3][3] = {{293.7, 370, 440}, {392, 493.9, 587.3}, {293.7, 440, 587.3}};
    const double starts[3] = {0.0, 0.28, 0.56};
    const double holds[3] = {0.26, 0.26, 0.8};
    for (int c = 0; c < 3; ++c) {
        int start = (int)std::lround(starts[c] * SND_RATE);
        int end = std::min(n, start + (int)std::lround((holds[c] + 0.3) * SND_RATE));
        for (int v = 0; v < 3; ++v) {
            Osc o;
            for (int i = start; i < end; ++i) {
                double u = (i - start) * DT;
                double level = u < holds[c] ? 1.0 : std::exp(-(u - holds[c]) / 0.08);
                s[i] += o.saw(chords[c][v]) * (float)level * 0.3f;
            }
        }
    }
    OnePole lp(2200);
    for (int i = 0; i < n; ++i) s[i] = lp.run(s[i]);
}

// A short rustle over a steady bright tone
void item_rustle(float* s, int n) {
    OnePole lp(4000);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        s[i] = lp.run(snd_noise() * env(t, 0.02, 0.05) * 0.7f + sine_at(3100, t) * 0.3f);
    }
}

// Built from the finished heavy blow, which comes first in the bank.
void triple_blow(float* s, int n) {
    const SoundBuffer& blow = snd_effects[SFX_HEAVY_BLOW];
    const int offsets[3] = {0, 2600, 5200};
    const float levels[3] = {1.0f, 0.85f, 0.7f};
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < blow.length && i + offsets[k] < n; ++i)
            s[i + offsets[k]] += blow.samples[i] * levels[k];
}

// A low wobble, then a falling cry; the envelope restarts with each half
void wobble_cry(float* s, int n) {
    Osc o;
    OnePole lp(1400);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float x;
        if (t < 0.3) {
            x = (o.sine(85 + 10 * std::sin(70 * t)) * 0.5f + snd_noise() * 0.15f) *
                env(t, 0.03, 0.08);
        } else {
            double u = t - 0.3;
            x = (o.sine(260 - 300 * u) * 0.9f + snd_noise() * 0.25f) * env(u, 0.03, 0.08);
        }
        s[i] = lp.run(x);
    }
}

void falling_whistle(float* s, int n) {
    Osc o, octave;
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        double f = 200 + 900 * std::exp(-3 * t);
        s[i] = (o.sine(f) + octave.sine(2 * f) * 0.3f) * env(t, 0.01, 0.18);
    }
}

void short_growl(float* s, int n) {
    Osc o;
    StateVariable svf(700, 0.5f);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        s[i] = svf.run(o.saw(125 - 30 * t)) * env(t, 0.01, 0.1);
    }
}

void deep_growl(float* s, int n) {
    Osc o;
    StateVariable svf(600, 0.5f);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        s[i] = svf.run(o.saw(55 + 150 * std::exp(-1.2 * t))) * env(t, 0.02, 0.35);
    }
}

// Six ticks
void ticks(float* s, int n) {
    for (int k = 0; k < 6; ++k) {
        double at = 0.05 * k + 0.02 * uniform01();
        double f = 900 + 900 * uniform01();
        int start = (int)std::lround(at * SND_RATE);
        for (int i = start; i < n; ++i) {
            double u = (i - start) * DT;
            s[i] += sine_at(f, u) * env(u, 0.0003, 0.012) * 0.6f;
        }
    }
    OnePole lp(5000);
    for (int i = 0; i < n; ++i) s[i] = lp.run(s[i]);
}

// 22 grains, thicker at the start
void grains(float* s, int n) {
    for (int k = 0; k < 22; ++k) {
        double at = 0.6 * std::pow((double)uniform01(), 1.4);
        double f = 500 + 1400 * uniform01();
        float level = 1.0f - k / 30.0f;
        int start = (int)std::lround(at * SND_RATE);
        for (int i = start; i < n; ++i) {
            double u = (i - start) * DT;
            s[i] += sine_at(f, u) * env(u, 0.0003, 0.015) * level;
        }
    }
    OnePole lp(4500);
    for (int i = 0; i < n; ++i) s[i] = lp.run(s[i]);
}

void sweep(float* s, int n) {
    Osc o;
    for (int i = 0; i < n; ++i) {
        double progress = (double)i / n;
        s[i] = o.sine(600 + 2200 * std::sin(HALF_TAU * progress)) * 0.3f;
    }
}

void anvil_strike(float* s, int n) {
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float ring = 0.5f * sine_at(620, t) + 0.4f * sine_at(1490, t) + 0.25f * sine_at(2300, t);
        s[i] = snd_noise() * env(t, 0.0003, 0.01) + ring * env(t, 0.001, 0.14);
    }
}

void rumble(float* s, int n) {
    Osc o;
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        s[i] = o.sine(55 - 15 * t) * env(t, 0.003, 0.3) + snd_noise() * env(t, 0.001, 0.12);
    }
}

// A hum with a breathing noise layer
void portal_hum(float* s, int n) {
    StateVariable svf(1200, 0.6f);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float hum = (float)std::sin(TAU * 220 * t + 3.0 * std::sin(TAU * 3 * t)) * 0.3f +
                    sine_at(330, t) * 0.2f;
        float breath = svf.run(snd_noise()) * 0.25f * (float)std::sin(HALF_TAU * t / 1.6);
        s[i] = hum * env(t, 0.2, 0.6) + breath;
    }
}

void crypt_drone(float* s, int n) {
    Osc o;
    StateVariable svf(380, 0.35f);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float x = o.saw(62 + 18 * std::sin(3 * t) + 6 * std::sin(31 * t)) + snd_noise() * 0.6f;
        s[i] = svf.run(x) * env(t, 0.12, 0.6);
    }
}

void stone_step(float* s, int n) {
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        s[i] = (snd_noise() * 0.7f + sine_at(180, t) * 0.5f) * env(t, 0.002, 0.018);
    }
}

void bone_knock(float* s, int n) {
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        float body = ((sine_at(90, t) + sine_at(140, t) * 0.5f) * env(t, 0.001, 0.05) +
                      snd_noise() * env(t, 0.0003, 0.012) * 0.8f) *
                     0.9f;
        float ring = (sine_at(1320, t) + sine_at(1980, t) * 0.6f + sine_at(2970, t) * 0.35f) *
                     env(t, 0.004, 0.16) * 0.45f;
        s[i] = body + ring;
    }
}

// Through a 300-550 Hz formant band
void voiced_cry(float* s, int n) {
    Osc o;
    StateVariable upper(550, 0.5f);
    OnePole lower(300);
    for (int i = 0; i < n; ++i) {
        double t = i * DT;
        double rise = t / 0.3 < 1.0 ? t / 0.3 : 1.0;
        rise = rise * rise * (3 - 2 * rise);
        double f = 70 + 45 * rise - 20 * t + 9 * std::sin(TAU * 23 * t);
        float x = o.saw(f) + snd_noise() * (float)(0.45 + 0.3 * std::sin(40 * t));
        float low = upper.run(x);
        float band = low - lower.run(low);
        s[i] = (band + 0.25f * low) * env(t, 0.08, 0.45);
    }
}

// Pulses every 0.26 s, each a little weaker and lower
void laughter(float* s, int n) {
    for (int k = 0; k * 0.26 < n * DT; ++k) {
        int start = (int)std::lround(0.26 * k * SND_RATE);
        Osc o;
        StateVariable svf(650, 0.5f);
        float level = 1.0f - 0.12f * k;
        double f = 150 - 6 * k;
        for (int i = start; i < n; ++i) {
            double u = (i - start) * DT;
            float x = o.saw(f - 20 * u) + snd_noise() * 0.3f;
            s[i] += svf.run(x) * env(u, 0.015, 0.08) * level;
        }
    }
}

// The bank, in the order of SoundEffect: length in seconds, peak of the
// finished sound (0.8 unless a recipe says otherwise), recipe.
struct EffectRecipe {
    double seconds;
    float peak;
    void (*make)(float* s, int n);
};

constexpr EffectRecipe effect_recipes[SND_EFFECT_COUNT] = {
    {0.45, 0.8f, heavy_blow},
    {0.2, 0.8f, hit_thud},
    {0.16, 0.5f, arrow_tick},
    {0.14, 0.6f, footstep},
    {0.45, 0.55f, coins},
    {0.35, 0.8f, pick_up},
    {1.8, 0.8f, level_up},
    {0.7, 0.8f, rising_chirps},
    {0.04, 0.8f, click},
    {0.5, 0.8f, rising_growl},
    {0.35, 0.8f, grunt},
    {0.8, 0.8f, falling_roar},
    {0.3, 0.8f, thump},
    {0.6, 0.65f, metallic_hit},
    {1.4, 0.8f, fanfare},
    {0.25, 0.45f, item_rustle},
    {0.6, 0.85f, triple_blow},
    {0.55, 0.8f, wobble_cry},
    {0.6, 0.8f, falling_whistle},
    {0.32, 0.8f, short_growl},
    {0.9, 0.8f, deep_growl},
    {0.4, 0.8f, ticks},
    {0.9, 0.8f, grains},
    {0.35, 0.8f, sweep},
    {0.5, 0.8f, anvil_strike},
    {1.2, 0.85f, rumble},
    {1.6, 0.8f, portal_hum},
    {1.4, 0.75f, crypt_drone},
    {0.1, 0.8f, stone_step},
    {0.55, 0.8f, bone_knock},
    {1.1, 0.8f, voiced_cry},
    {1.5, 0.8f, laughter},
};

void release(SoundBuffer& b) {
    delete[] b.samples;
    b.samples = nullptr;
    b.length = 0;
}

// Karplus-Strong: a noise-filled delay line that averages itself as it loops.
void synth_note(int note, SoundBuffer& b) {
    constexpr int NOTE_SAMPLES = 70560;  // 1.6 s
    int period = (int)(SND_RATE / snd_note_frequency(note));
    float line[SND_RATE / 100 + 1];  // the lowest note, D3, needs 300 samples
    for (int i = 0; i < period; ++i) line[i] = snd_noise();
    OnePole smooth(4400);
    for (int i = 0; i < period; ++i) line[i] = smooth.run(line[i]);
    b.length = NOTE_SAMPLES;
    b.samples = new float[NOTE_SAMPLES];
    int at = 0;
    for (int i = 0; i < NOTE_SAMPLES; ++i) {
        int next = at + 1 == period ? 0 : at + 1;
        b.samples[i] = line[at];
        line[at] = (line[at] + line[next]) * 0.4985f;
        at = next;
    }
    normalize(b, 0.5f);
}

}  // namespace

float snd_noise() { return (float)(rng_next(snd_rng) & 0xFFFFFFu) * (1.0f / 8388608.0f) - 1.0f; }

int snd_effect_length(int id) {
    assert(id >= 0 && id < SND_EFFECT_COUNT);
    if (id < 0 || id >= SND_EFFECT_COUNT) return 0;
    return (int)std::lround(effect_recipes[id].seconds * (double)SND_RATE);
}

float snd_note_frequency(int note) {
    static const int steps[SND_NOTE_COUNT] = {0, 2, 3, 5, 7, 9, 10, 12, 14, 15, 17, 19, 21, 22, 24};
    assert(note >= 0 && note < SND_NOTE_COUNT);
    if (note < 0 || note >= SND_NOTE_COUNT) return 0.0f;
    return (float)(146.83 * std::pow(2.0, steps[note] / 12.0));
}

void snd_build_banks() {
    snd_rng.state = SND_SEED;
    for (int id = 0; id < SND_EFFECT_COUNT; ++id) {
        SoundBuffer& b = snd_effects[id];
        release(b);
        b.length = snd_effect_length(id);
        b.samples = new float[b.length];
        std::memset(b.samples, 0, sizeof(float) * b.length);
        effect_recipes[id].make(b.samples, b.length);
        normalize(b, effect_recipes[id].peak);
    }
    for (int note = 0; note < SND_NOTE_COUNT; ++note) {
        release(snd_notes[note]);
        synth_note(note, snd_notes[note]);
    }
}
