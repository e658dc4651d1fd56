// Sound costs: the bank synthesis at start-up (goal: under 150 ms) and the
// mixer per 1024-frame buffer with 40 voices and the full ambience (goal:
// under 0.25 ms).
#include <benchmark/benchmark.h>

#include "sound/sound_internal.h"

namespace {

void BM_BankSynthesis(benchmark::State& state) {
    for (auto _ : state) {
        snd_build_banks();
        benchmark::DoNotOptimize(snd_notes[14].samples[1000]);
    }
}
BENCHMARK(BM_BankSynthesis)->Unit(benchmark::kMillisecond)->Iterations(10);

// Every voice busy with a pitched, panned sound; ambience events kept alive
// so that each buffer pays for all of them.
void keep_busy(bool below) {
    for (int i = 0; i < SND_VOICE_COUNT; ++i) {
        Voice& v = snd_voices[i];
        if (v.active) continue;
        bool music = i % 4 == 0;
        const SoundBuffer* s = music ? &snd_notes[i % SND_NOTE_COUNT] : &snd_effects[i % SND_EFFECT_COUNT];
        snd_voice_start(s, 0.9f + 0.005f * i, 0.3f, 0.2f, music);
    }
    Ambience& a = snd_ambience;
    if (below && a.drip_time < 0.0f) {
        a.drip_time = 0.0f;
        a.drip_frequency = 1300.0f;
        a.drip_pan = 0.9f;
    }
    if (a.bird_time < 0.0f) {
        a.bird_time = 0.0f;
        a.bird_frequency = 3000.0f;
        a.bird_pan = -0.8f;
    }
}

void mix_benchmark(benchmark::State& state, bool below) {
    if (!snd_effects[0].samples) snd_build_banks();
    snd_reset_state();
    snd_set_music_volume(0.8f);
    snd_set_underground(below);
    snd_set_player_position({160.0f, 0.0f, 130.0f});  // by a camp fire (heard above ground)
    for (int k = 0; k < 100; ++k) snd_events(0.05f);  // music faded in, cross-fade settled
    static int16_t out[2 * SND_BUFFER_FRAMES];
    for (auto _ : state) {
        keep_busy(below);
        snd_mix(out, SND_BUFFER_FRAMES);
        benchmark::DoNotOptimize(out[100]);
    }
    snd_set_underground(false);
}

void BM_MixBuffer40VoicesSurface(benchmark::State& state) { mix_benchmark(state, false); }
void BM_MixBuffer40VoicesCatacombs(benchmark::State& state) { mix_benchmark(state, true); }
BENCHMARK(BM_MixBuffer40VoicesSurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MixBuffer40VoicesCatacombs)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
