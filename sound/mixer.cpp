// Voices, the two triggers, and the mixer that turns voices and ambience into
// 16-bit stereo frames for the output buffers.
#include <cassert>
#include <cmath>

#include "sound/captions.h"
#include "sound/sound_internal.h"

Voice snd_voices[SND_VOICE_COUNT];
Ambience snd_ambience;

const Vec2 snd_fires[SND_FIRE_COUNT] = {{160.0f, 124.0f}, {-224.0f, -104.0f}, {170.0f, -835.0f}};

namespace {

constexpr double TAU = 6.283185307179586;
constexpr float FRAME_SECONDS = 1.0f / SND_RATE;
constexpr int CHUNK = SND_BUFFER_FRAMES;

bool usable(const SoundBuffer* b) { return b && b->samples && b->length >= 2; }

// Equal-power pan gains for -1 (left) .. 1 (right).
void pan_gains(float pan, float& left, float& right) {
    left = std::sqrt((1.0f - pan) * 0.5f);
    right = std::sqrt((1.0f + pan) * 0.5f);
}

float envelope(float t, float attack, float decay) {
    float rise = t < attack ? t / attack : 1.0f;
    float held = t < attack ? t : attack;
    return rise * std::exp(-(t - held) / decay);
}

void mix_voices(float* left, float* right, int frames) {
    float music_gain = 0.55f * snd_ambience.music_smoothed;
    for (Voice& v : snd_voices) {
        if (!v.active) continue;
        if (!usable(v.sound)) {
            v.active = 0;
            continue;
        }
        const float* s = v.sound->samples;
        float end = (float)(v.sound->length - 1);
        float gl = v.gain_left, gr = v.gain_right;
        if (v.music) {
            gl *= music_gain;
            gr *= music_gain;
        }
        float pos = v.position;
        for (int f = 0; f < frames; ++f) {
            int i = (int)pos;
            float frac = pos - (float)i;
            float x = s[i] + (s[i + 1] - s[i]) * frac;
            left[f] += x * gl;
            right[f] += x * gr;
            pos += v.rate;
            if (pos >= end) {
                v.active = 0;
                break;
            }
        }
        v.position = pos;
    }
}

// The drone's three sines run as rotating phasors within one chunk; the
// stored phases advance exactly so that nothing drifts across chunks.
void mix_drone(float* left, float* right, int frames, float trem0, float trem1) {
    Ambience& a = snd_ambience;
    if (!(a.music_smoothed > 0.001f)) return;
    static const double hz[3] = {73.42, 110.0, 146.83};
    static const float weight[3] = {0.7f, 0.5f, 0.7f};
    float base = (0.035f + 0.03f * a.w) * a.music_smoothed;
    float l0 = base * (0.75f + 0.25f * trem0), l1 = base * (0.75f + 0.25f * trem1);
    float dl = (l1 - l0) / frames;
    float c[3], s[3], dc[3], ds[3];
    for (int k = 0; k < 3; ++k) {
        double step = TAU * hz[k] * (1.0 - 0.5 * a.w) / SND_RATE;
        c[k] = (float)std::cos(a.drone_phase[k]);
        s[k] = (float)std::sin(a.drone_phase[k]);
        dc[k] = (float)std::cos(step);
        ds[k] = (float)std::sin(step);
        a.drone_phase[k] = std::fmod(a.drone_phase[k] + step * frames, TAU);
    }
    for (int f = 0; f < frames; ++f) {
        float x = 0.0f;
        for (int k = 0; k < 3; ++k) {
            x += s[k] * weight[k];
            float nc = c[k] * dc[k] - s[k] * ds[k];
            s[k] = s[k] * dc[k] + c[k] * ds[k];
            c[k] = nc;
        }
        x *= l0 + dl * f;
        left[f] += x;
        right[f] += x;
    }
}

void mix_wind(float* left, float* right, int frames, float swell0, float swell1) {
    Ambience& a = snd_ambience;
    float k = 0.002f - 0.0015f * a.w;
    float l0 = (0.55f + 0.9f * a.w) * (0.6f + 0.4f * swell0);
    float l1 = (0.55f + 0.9f * a.w) * (0.6f + 0.4f * swell1);
    float dl = (l1 - l0) / frames;
    float y = a.wind_state;
    for (int f = 0; f < frames; ++f) {
        y += (snd_noise() - y) * k;
        float x = y * (l0 + dl * f);
        left[f] += x;
        right[f] += x * 0.9f;
    }
    a.wind_state = y;
}

// Drips with their ping-pong echo. The echo lines run every frame so that a
// drip's tail dies away even after the player has left the catacombs.
void mix_drips(float* left, float* right, int frames) {
    Ambience& a = snd_ambience;
    float gl = (1.0f - a.drip_pan) * 0.5f, gr = (1.0f + a.drip_pan) * 0.5f;
    int at = a.echo_index;
    for (int f = 0; f < frames; ++f) {
        float dl = 0.0f, dr = 0.0f;
        if (a.drip_time >= 0.0f) {
            float t = a.drip_time;
            a.drip_phase += TAU * a.drip_frequency * (1.0f + 1.2f * std::exp(-40.0f * t)) / SND_RATE;
            float v = envelope(t, 0.001f, 0.05f) * 0.06f * (float)std::sin(a.drip_phase);
            dl = v * gl;
            dr = v * gr;
            a.drip_time = t + FRAME_SECONDS;
            if (a.drip_time >= 0.3f) a.drip_time = -1.0f;
        }
        float el = a.echo_left[at], er = a.echo_right[at];
        left[f] += dl + 0.6f * el;
        right[f] += dr + 0.6f * er;
        a.echo_left[at] = dl + 0.45f * er;
        a.echo_right[at] = dr + 0.45f * el;
        if (++at == SND_ECHO_LENGTH) at = 0;
    }
    a.echo_index = at;
    a.drip_phase = std::fmod(a.drip_phase, TAU);
}

// A call keeps its own time underground too, so it ends there and a new one
// can start on the way back up; it is only heard above ground.
void mix_bird(float* left, float* right, int frames) {
    Ambience& a = snd_ambience;
    if (a.bird_time < 0.0f) return;
    bool heard = a.w < 0.5f;
    float gl = (1.0f - a.bird_pan) * 0.5f, gr = (1.0f + a.bird_pan) * 0.5f;
    for (int f = 0; f < frames && a.bird_time >= 0.0f; ++f) {
        float t = a.bird_time;
        if (heard) {
            float six = 6.0f * t;
            float hz = a.bird_frequency * (1.0f + 0.25f * std::sin(55.0f * t)) *
                       (1.0f + 0.4f * (six - std::floor(six)));
            a.bird_phase += TAU * hz / SND_RATE;
            float shape = std::sin(3.14159265f * std::fmin(2.0f * t, 1.0f)) *
                          (0.5f + 0.5f * std::sin(38.0f * t));
            float v = shape * 0.035f * (float)std::sin(a.bird_phase);
            left[f] += v * gl;
            right[f] += v * gr;
        }
        a.bird_time = t + FRAME_SECONDS;
        if (a.bird_time >= 0.5f) a.bird_time = -1.0f;
    }
    a.bird_phase = std::fmod(a.bird_phase, TAU);
}

void mix_crackle(float* left, float* right, int frames) {
    Ambience& a = snd_ambience;
    if (snd_underground) return;
    float distance = snd_fire_distance();
    if (!(distance < 30.0f)) return;
    float near = (1.0f - distance / 30.0f) * 0.5f;
    float level = a.crackle_level;
    for (int f = 0; f < frames; ++f) {
        level *= 0.995f;
        if (rng_float(snd_rng) < 0.0004f) level = 0.4f * rng_float(snd_rng);
        float x = snd_noise() * level * near;
        left[f] += x;
        right[f] += x;
    }
    a.crackle_level = level;
}

}  // namespace

float snd_fire_distance() {
    float best = 1e30f;
    for (const Vec2& fire : snd_fires) {
        float dx = snd_listener.player.x - fire.x, dz = snd_listener.player.z - fire.y;
        best = std::fmin(best, std::sqrt(dx * dx + dz * dz));
    }
    return best;
}

int16_t snd_limit(float x) {
    if (x != x) return 0;
    // Far beyond full scale the curve is flat anyway; the clamp keeps inf out.
    x = x > 1e6f ? 1e6f : (x < -1e6f ? -1e6f : x);
    float y = x / (0.6f * std::fabs(x) + 1.0f) * 26000.0f;
    if (y > 32767.0f) y = 32767.0f;
    if (y < -32767.0f) y = -32767.0f;
    return (int16_t)std::lrint(y);
}

int snd_voice_start(const SoundBuffer* sound, float rate, float gain_left, float gain_right,
                    bool music) {
    if (!usable(sound)) return -1;
    int chosen = -1;
    for (int i = 0; i < SND_VOICE_COUNT && chosen < 0; ++i)
        if (!snd_voices[i].active) chosen = i;
    if (chosen < 0) {
        chosen = 0;
        for (int i = 1; i < SND_VOICE_COUNT; ++i)
            if (snd_voices[i].position > snd_voices[chosen].position) chosen = i;
    }
    Voice& v = snd_voices[chosen];
    v.sound = sound;
    v.position = 0.0f;
    v.rate = rate;
    v.gain_left = gain_left;
    v.gain_right = gain_right;
    v.active = 1;
    v.music = music ? 1 : 0;
    return chosen;
}

float snd_distance_gain(float d) { return 1.0f / (std::fmax(d - 2.0f, 0.0f) / 7.0f + 1.0f); }

void snd_heard_at(int caption, Vec3 position, float volume) {
    float d = length(position - snd_listener.eye);
    if (!(d <= 70.0f)) return;
    snd_heard(caption, &position, snd_distance_gain(d) * volume);
}

void snd_play(int id, float volume) {
    assert(id >= 0 && id < SND_EFFECT_COUNT);
    if (id < 0 || id >= SND_EFFECT_COUNT) return;
    if (!(volume >= 0.003f) || !std::isfinite(volume)) return;
    float g = volume * snd_effects_volume() * 0.70710677f;
    if (snd_voice_start(&snd_effects[id], 1.0f, g, g, false) >= 0) snd_heard(id, nullptr, volume);
}

void snd_play_at(int id, Vec3 position, float volume) {
    assert(id >= 0 && id < SND_EFFECT_COUNT);
    if (id < 0 || id >= SND_EFFECT_COUNT || !std::isfinite(volume)) return;
    Vec3 to = position - snd_listener.eye;
    float d = length(to);
    if (!(d <= 70.0f)) return;  // also refuses a position that is not a number
    float a = snd_distance_gain(d);
    float pan = 0.0f;
    if (d > 0.5f) {
        float hx = to.x, hz = to.z, rx = snd_listener.right.x, rz = snd_listener.right.z;
        float hl = std::sqrt(hx * hx + hz * hz), rl = std::sqrt(rx * rx + rz * rz);
        if (hl > 1e-6f && rl > 1e-6f) pan = clampf(0.8f * (hx * rx + hz * rz) / (hl * rl), -1.0f, 1.0f);
    }
    if (!(a * volume >= 0.003f)) return;
    float rate = 1.0f;
    if (id == 1 || id == 3 || id == 9 || id == 10) rate = 0.9f + 0.2f * rng_float(snd_rng);
    float g = a * volume * snd_effects_volume();
    float gl, gr;
    pan_gains(pan, gl, gr);
    if (snd_voice_start(&snd_effects[id], rate, g * gl, g * gr, false) >= 0) snd_heard(id, &position, a * volume);
}

void snd_mix(int16_t* out, int frames) {
    Ambience& a = snd_ambience;
    float left[CHUNK], right[CHUNK];
    while (frames > 0) {
        int n = frames < CHUNK ? frames : CHUNK;
        for (int f = 0; f < n; ++f) left[f] = right[f] = 0.0f;
        mix_voices(left, right, n);
        // The tremolo and the wind swell move a fraction of a radian per
        // second: evaluated at both ends of the chunk and interpolated.
        float seconds = n * FRAME_SECONDS;
        float trem0 = std::sin(0.4f * a.tremolo_time);
        float swell0 = std::sin(a.swell_time);
        a.tremolo_time = std::fmod(a.tremolo_time + seconds, 5.0f * (float)TAU);
        a.swell_time = std::fmod(a.swell_time + 0.23f * seconds, (float)TAU);
        float trem1 = std::sin(0.4f * a.tremolo_time);
        float swell1 = std::sin(a.swell_time);
        mix_drone(left, right, n, trem0, trem1);
        mix_wind(left, right, n, swell0, swell1);
        mix_drips(left, right, n);
        mix_bird(left, right, n);
        mix_crackle(left, right, n);
        for (int f = 0; f < n; ++f) {
            out[2 * f] = snd_limit(left[f]);
            out[2 * f + 1] = snd_limit(right[f]);
        }
        out += 2 * n;
        frames -= n;
    }
}
