// Start-up, the per-frame refill of the output buffers, volumes and listener.
#include <cmath>
#include <cstring>

#include "platform/audio_out.h"
#include "platform/platform.h"
#include "sound/sound_internal.h"

Listener snd_listener = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};

namespace {
float effects_volume = 0.9f;
float music_volume = 0.8f;
bool output_open = false;

float clamp_volume(float v) {
    if (!(v >= 0.0f)) return 0.0f;  // negative or not a number
    return v > 1.0f ? 1.0f : v;
}
}  // namespace

void snd_reset_state() {
    std::memset(snd_voices, 0, sizeof snd_voices);
    std::memset(&snd_ambience, 0, sizeof snd_ambience);
    Ambience& a = snd_ambience;
    a.drip_time = -1.0f;
    a.bird_time = -1.0f;
    a.drip_countdown = 1.0f;
    a.bird_countdown = 2.0f;
    snd_melody = Melody{7, 0, 0, 0, 1.5f};
}

uint8_t snd_underground = 0;
void snd_set_underground(bool below) { snd_underground = below ? 1 : 0; }

void snd_init() {
    snd_build_banks();
    snd_reset_state();
    output_open = plat_audio_open(SND_RATE, 2, SND_BUFFER_FRAMES, SND_BUFFER_COUNT);
    if (output_open) log_printf("Son : %d Hz, stéréo.", SND_RATE);
    else log_printf("Son : aucune sortie audio disponible.");
}

void snd_update(float dt) {
    snd_events(dt);
    if (!output_open) return;
    for (int i = 0; i < SND_BUFFER_COUNT; ++i) {
        if (!plat_audio_buffer_done(i)) continue;
        int16_t* buffer = plat_audio_buffer(i);
        if (!buffer) continue;
        snd_mix(buffer, SND_BUFFER_FRAMES);
        plat_audio_submit(i);
    }
}

bool snd_output_open() { return output_open; }

void snd_set_listener(Vec3 eye, Vec3 right) {
    if (std::isfinite(eye.x) && std::isfinite(eye.y) && std::isfinite(eye.z)) snd_listener.eye = eye;
    if (std::isfinite(right.x) && std::isfinite(right.y) && std::isfinite(right.z))
        snd_listener.right = right;
}

void snd_set_listener_view(Vec3 eye, Vec3 look) {
    Vec3 right = cross(look - eye, Vec3{0.0f, 1.0f, 0.0f});
    // Looking straight up or down leaves no horizontal right: keep the last one.
    if (right.x * right.x + right.z * right.z < 1e-12f) right = snd_listener.right;
    snd_set_listener(eye, normalize(right));
}

void snd_set_player_position(Vec3 position) { snd_listener.player = position; }

void snd_set_effects_volume(float volume) { effects_volume = clamp_volume(volume); }
void snd_set_music_volume(float volume) { music_volume = clamp_volume(volume); }
float snd_effects_volume() { return effects_volume; }
float snd_music_volume() { return music_volume; }
