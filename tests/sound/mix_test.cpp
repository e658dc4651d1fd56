// The live mix: the limiter, melody, ambience events and the music volume.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "sound/sound_internal.h"

namespace {

constexpr float STEP = 1.0f / 60.0f;
constexpr int FRAMES_PER_STEP = SND_RATE / 60;

struct Heard {
    int melody_notes = 0, companion_notes = 0;
    int drips = 0, birds = 0;
    bool drone_on = false, crackle = false;
    float peak = 0.0f;
    std::vector<float> note_times;
    std::vector<int> notes;
    // Each companion with the melody note started on the same frame (-1: none).
    std::vector<int> companions, companion_melody;
    bool gains_ok = true;
    std::vector<float> drip_starts, bird_starts;
    float drip_low = 1e9f, drip_high = 0.0f, bird_low = 1e9f, bird_high = 0.0f;
    bool pans_ok = true;
    float echo = 0.0f;  // loudest sample held in the echo lines
};

bool is_voice_of(const Voice& v, const SoundBuffer* bank, int count) {
    return v.sound >= bank && v.sound < bank + count;
}

// Runs the sound the way the main loop does, watching what starts.
Heard run(float seconds) {
    Heard h;
    static int16_t out[2 * FRAMES_PER_STEP];
    const Voice* previous[SND_VOICE_COUNT];
    float previous_position[SND_VOICE_COUNT];
    int steps = (int)std::lround(seconds / STEP);
    for (int s = 0; s < steps; ++s) {
        for (int i = 0; i < SND_VOICE_COUNT; ++i) {
            previous[i] = snd_voices[i].active ? &snd_voices[i] : nullptr;
            previous_position[i] = snd_voices[i].position;
        }
        float drip_before = snd_ambience.drip_time, bird_before = snd_ambience.bird_time;
        snd_events(STEP);
        const Ambience& a = snd_ambience;
        if (a.drip_time == 0.0f && drip_before != 0.0f) {
            ++h.drips;
            h.drip_starts.push_back(s * STEP);
            h.drip_low = std::fmin(h.drip_low, a.drip_frequency);
            h.drip_high = std::fmax(h.drip_high, a.drip_frequency);
            h.pans_ok = h.pans_ok && std::fabs(a.drip_pan) == 0.9f;
        }
        if (a.bird_time == 0.0f && bird_before != 0.0f) {
            ++h.birds;
            h.bird_starts.push_back(s * STEP);
            h.bird_low = std::fmin(h.bird_low, a.bird_frequency);
            h.bird_high = std::fmax(h.bird_high, a.bird_frequency);
            h.pans_ok = h.pans_ok && std::fabs(a.bird_pan) == 0.8f;
        }
        int melody_now = -1, companion_now = -1;
        for (int i = 0; i < SND_VOICE_COUNT; ++i) {
            const Voice& v = snd_voices[i];
            bool fresh = v.active && v.position == 0.0f &&
                         (!previous[i] || previous_position[i] != 0.0f);
            if (!fresh || !v.music || !is_voice_of(v, snd_notes, SND_NOTE_COUNT)) continue;
            h.gains_ok = h.gains_ok && v.rate == 1.0f;
            if (v.gain_left > 0.4f) {
                ++h.melody_notes;
                h.note_times.push_back(s * STEP);
                melody_now = (int)(v.sound - snd_notes);
                h.notes.push_back(melody_now);
                h.gains_ok = h.gains_ok && v.gain_left == 0.426f && v.gain_right == 0.3479f;
            } else {
                ++h.companion_notes;
                companion_now = (int)(v.sound - snd_notes);
                h.gains_ok = h.gains_ok && v.gain_left == 0.1893f && v.gain_right == 0.258f;
            }
        }
        if (companion_now >= 0) {
            h.companions.push_back(companion_now);
            h.companion_melody.push_back(melody_now);
        }
        h.drone_on = h.drone_on || snd_ambience.music_smoothed > 0.001f;
        snd_mix(out, FRAMES_PER_STEP);
        h.crackle = h.crackle || snd_ambience.crackle_level > 0.0f;
        for (float x : snd_ambience.echo_left) h.echo = std::fmax(h.echo, std::fabs(x));
        for (int i = 0; i < 2 * FRAMES_PER_STEP; ++i) h.peak = std::fmax(h.peak, (float)std::abs(out[i]));
    }
    return h;
}

class Mix : public ::testing::Test {
protected:
    static void SetUpTestSuite() { snd_build_banks(); }
    void SetUp() override {
        snd_reset_state();
        snd_set_underground(false);
        snd_set_effects_volume(0.9f);
        snd_set_music_volume(0.8f);
        snd_set_player_position({0.0f, 0.0f, 400.0f});  // far from any camp fire
    }
    void TearDown() override { snd_set_underground(false); }
};

TEST(Limiter, SaturatesWithoutWrapping) {
    EXPECT_EQ(snd_limit(0.0f), 0);
    EXPECT_EQ(snd_limit(1.0f), 16250);  // 26000 / 1.6
    EXPECT_EQ(snd_limit(-1.0f), -16250);
    EXPECT_EQ(snd_limit(1e9f), 32767);
    EXPECT_EQ(snd_limit(-1e9f), -32767);
    EXPECT_EQ(snd_limit(INFINITY), 32767);
    EXPECT_EQ(snd_limit(-INFINITY), -32767);
    EXPECT_EQ(snd_limit(std::nanf("")), 0);
    // Monotonic over a wide sweep: a louder mix is never a quieter sample.
    int last = snd_limit(-200.0f);
    for (float x = -200.0f; x <= 200.0f; x += 0.01f) {
        int y = snd_limit(x);
        ASSERT_GE(y, last) << x;
        last = y;
    }
    // Approaches 26000 / 0.6 before the 16-bit clamp: 4.0 gives 30588.
    EXPECT_NEAR(snd_limit(4.0f), 104000.0f / 3.4f, 1.0f);
}

TEST_F(Mix, FortyLoudVoicesStayInRangeAndKeepTheirSign) {
    snd_set_effects_volume(1.0f);
    for (int k = 0; k < SND_VOICE_COUNT; ++k) snd_play(25, 50.0f);  // all in phase
    int16_t out[2 * SND_BUFFER_FRAMES];
    snd_mix(out, SND_BUFFER_FRAMES);
    const SoundBuffer& boom = snd_effects[25];
    int pinned = 0;
    for (int f = 0; f < SND_BUFFER_FRAMES; ++f) {
        float x = boom.samples[f];
        if (std::fabs(x) < 0.05f) continue;  // near a zero crossing the ambience decides
        int l = out[2 * f];
        ASSERT_EQ(l > 0, x > 0.0f) << "wrapped at frame " << f;
        if (std::abs(l) == 32767) ++pinned;
    }
    EXPECT_GT(pinned, 100);
}

TEST_F(Mix, MelodyWalksDDorianAtSeventySixBeatsAMinute) {
    Heard h = run(120.0f);
    // 120 s is 152 beats; phrases of 4 beats with a companion each.
    EXPECT_GT(h.melody_notes, 110);
    EXPECT_LE(h.melody_notes, 304);
    EXPECT_GT(h.companion_notes, 20);
    EXPECT_LT(h.companion_notes, h.melody_notes / 2);
    ASSERT_GT(h.notes.size(), 2u);
    EXPECT_NEAR(h.note_times[0], 1.5f, STEP * 1.5f);  // first beat after 1.5 s
    for (size_t i = 0; i < h.notes.size(); ++i) {
        EXPECT_GE(h.notes[i], 3);
        EXPECT_LE(h.notes[i], 13);
        if (i == 0) continue;
        EXPECT_LE(std::abs(h.notes[i] - h.notes[i - 1]), 2);
        // Each beat lasts a half, one, one and a half or two beat units from
        // the frame it started on, so the next note comes in the frame that
        // follows that length.
        float gap = h.note_times[i] - h.note_times[i - 1];
        bool on_time = false;
        for (float units : {0.5f, 1.0f, 1.5f, 2.0f}) {
            float due = units * SND_BEAT_SECONDS;
            on_time = on_time || (gap > due - 0.01f * STEP && gap < due + 1.01f * STEP);
        }
        EXPECT_TRUE(on_time) << "note " << i << " after " << gap << " s";
    }
    // Melody and companion have their own fixed gains; the companion is the
    // melody note folded into the lower octave, and only starts a phrase.
    EXPECT_TRUE(h.gains_ok);
    ASSERT_EQ(h.companions.size(), (size_t)h.companion_notes);
    for (size_t i = 0; i < h.companions.size(); ++i) {
        ASSERT_GE(h.companion_melody[i], 0) << "companion without a melody note";
        EXPECT_EQ(h.companions[i], h.companion_melody[i] % 7);
    }
    EXPECT_TRUE(h.drone_on);
    EXPECT_GT(h.birds, 8);  // one every 3-9 s plus the call itself
    EXPECT_EQ(h.drips, 0);  // only underground
}

TEST_F(Mix, EveryFourthPhraseResolvesTowardsTheMiddle) {
    // Jump to the last beats of a resolving phrase, high above the middle.
    snd_melody.phrase = 3;
    snd_melody.beat = 2;
    snd_melody.pattern = 0;
    snd_melody.note = 12;
    snd_melody.countdown = 0.0f;
    run(STEP);
    EXPECT_EQ(snd_melody.note, 11);
    snd_melody.countdown = 0.0f;
    run(STEP);
    EXPECT_EQ(snd_melody.note, 10);
    // At the middle note it stays; below, it climbs.
    snd_reset_state();
    snd_melody = Melody{7, 0, 2, 7, 0.0f};
    run(STEP);
    EXPECT_EQ(snd_melody.note, 7);
    snd_reset_state();
    snd_melody = Melody{3, 0, 3, 11, 0.0f};
    run(STEP);
    EXPECT_EQ(snd_melody.note, 4);
    EXPECT_EQ(snd_melody.beat, 0);
    EXPECT_EQ(snd_melody.phrase, 12);
}

TEST_F(Mix, DripsAndBirdCallsKeepTheirTimingPitchAndPan) {
    // Every gap is its countdown (0.6-3.1 s for drips, 3-9 s for calls),
    // rounded up to the next frame: a drip or call never outlasts the next
    // countdown, so none is held back.
    auto gaps_within = [](const std::vector<float>& starts, float lo, float hi) {
        for (size_t i = 1; i < starts.size(); ++i) {
            float gap = starts[i] - starts[i - 1];
            if (gap < lo - 0.01f * STEP || gap > hi + 1.01f * STEP) return false;
        }
        return true;
    };
    Heard above = run(150.0f);
    ASSERT_GT(above.birds, 14);
    EXPECT_NEAR(above.bird_starts[0], 2.0f, 1.01f * STEP);
    EXPECT_TRUE(gaps_within(above.bird_starts, 3.0f, 9.0f));
    EXPECT_GE(above.bird_low, 2600.0f);
    EXPECT_LT(above.bird_high, 4400.0f);
    EXPECT_GT(above.bird_high - above.bird_low, 900.0f);

    snd_reset_state();
    snd_set_underground(true);
    Heard below = run(60.0f);
    ASSERT_GT(below.drips, 30);
    EXPECT_NEAR(below.drip_starts[0], 1.0f, 1.01f * STEP);
    EXPECT_TRUE(gaps_within(below.drip_starts, 0.6f, 3.1f));
    EXPECT_GE(below.drip_low, 900.0f);
    EXPECT_LT(below.drip_high, 1800.0f);
    EXPECT_GT(below.drip_high - below.drip_low, 450.0f);
    EXPECT_TRUE(above.pans_ok && below.pans_ok);
    EXPECT_EQ(above.echo, 0.0f);  // no drips, no echo above ground
}

TEST_F(Mix, CrossFadeAndMusicVolumeFollowAtTheirRates) {
    snd_set_underground(true);
    snd_events(0.05f);
    EXPECT_NEAR(snd_ambience.w, 0.1f, 1e-6f);                       // min(1, 2 dt)
    EXPECT_NEAR(snd_ambience.music_smoothed, 0.8f * 0.075f, 1e-6f);  // min(1, 1.5 dt)
    // A long hitch counts as a tenth of a second.
    snd_events(5.0f);
    EXPECT_NEAR(snd_ambience.w, 0.1f + 0.9f * 0.2f, 1e-5f);
    EXPECT_NEAR(snd_ambience.music_smoothed, 0.06f + 0.74f * 0.15f, 1e-5f);
    // Back up: the fade returns to the surface; music off fades it out.
    snd_set_underground(false);
    snd_set_music_volume(0.0005f);  // at or below 0.001 counts as off
    for (int k = 0; k < 600; ++k) snd_events(STEP);
    EXPECT_LT(snd_ambience.w, 1e-3f);
    EXPECT_LT(snd_ambience.music_smoothed, 1e-4f);
}

TEST_F(Mix, MusicVolumeZeroKeepsOnlyTheAmbience) {
    snd_set_music_volume(0.0f);
    snd_set_player_position({165.0f, 0.0f, 130.0f});  // beside the first camp fire
    Heard above = run(60.0f);
    EXPECT_EQ(above.melody_notes + above.companion_notes, 0);
    EXPECT_FALSE(above.drone_on);
    EXPECT_GT(above.birds, 4);
    EXPECT_TRUE(above.crackle);
    EXPECT_GT(above.peak, 0.0f);

    snd_set_underground(true);
    Heard below = run(30.0f);
    EXPECT_EQ(below.melody_notes + below.companion_notes, 0);
    EXPECT_FALSE(below.drone_on);
    EXPECT_GT(below.drips, 8);
    EXPECT_GT(below.peak, 0.0f);
    EXPECT_GT(snd_ambience.w, 0.99f);
}

// Left channel of `seconds` of mix from the current state.
std::vector<float> mix_left(float seconds) {
    std::vector<float> left;
    int16_t out[2 * SND_BUFFER_FRAMES];
    for (int n = (int)(seconds * SND_RATE); n > 0; n -= SND_BUFFER_FRAMES) {
        snd_mix(out, SND_BUFFER_FRAMES);
        for (int f = 0; f < SND_BUFFER_FRAMES; ++f) left.push_back(out[2 * f]);
    }
    return left;
}

// The same stretch of mix twice from one state, with and without music: what
// differs is the drone alone.
std::vector<float> drone_alone(float w) {
    snd_ambience.w = w;
    snd_ambience.bird_time = snd_ambience.drip_time = -1.0f;
    Ambience saved = snd_ambience;
    Rng saved_rng = snd_rng;
    snd_ambience.music_smoothed = 0.8f;
    std::vector<float> with = mix_left(1.0f);
    snd_ambience = saved;
    snd_rng = saved_rng;
    snd_ambience.music_smoothed = 0.0f;
    std::vector<float> without = mix_left(1.0f);
    for (size_t i = 0; i < with.size(); ++i) with[i] -= without[i];
    return with;
}

TEST_F(Mix, DroneFollowsTheMusicAndDropsAnOctaveBelow) {
    auto rms = [](const std::vector<float>& x) {
        double sum = 0.0;
        for (float v : x) sum += (double)v * v;
        return std::sqrt(sum / x.size());
    };
    auto crossings = [](const std::vector<float>& x) {
        int n = 0;
        for (size_t i = 1; i < x.size(); ++i) n += (x[i - 1] < 0.0f) != (x[i] < 0.0f);
        return n;
    };
    std::vector<float> above = drone_alone(0.0f);
    std::vector<float> below = drone_alone(1.0f);
    // Level (0.035 + 0.03 w) x 0.8 x tremolo, three sines: hundreds of steps.
    EXPECT_GT(rms(above), 150.0);
    EXPECT_GT(rms(below), rms(above));
    // An octave lower: half as many zero crossings.
    EXPECT_NEAR((double)crossings(below) / crossings(above), 0.5, 0.08);

    // With the music volume at 0 the smoothed volume falls to 0 and the drone goes.
    snd_set_music_volume(0.0f);
    for (int k = 0; k < 600; ++k) snd_events(STEP);
    EXPECT_EQ(snd_ambience.music_smoothed < 0.001f, true);
    snd_ambience.w = 0.0f;
    Ambience saved = snd_ambience;
    Rng saved_rng = snd_rng;
    std::vector<float> a = mix_left(0.5f);
    snd_ambience = saved;
    snd_rng = saved_rng;
    snd_ambience.music_smoothed = 0.0f;
    std::vector<float> b = mix_left(0.5f);
    EXPECT_EQ(a, b);
    // The wind is still there.
    EXPECT_GT(rms(b), 20.0);
}

TEST_F(Mix, UndergroundHasDripsAndEchoButNoMelodyOrCrackle) {
    snd_set_underground(true);
    snd_set_player_position({160.0f, 0.0f, 124.0f});  // the fire's spot, but below it
    Heard h = run(30.0f);
    EXPECT_EQ(h.melody_notes, 0);
    EXPECT_TRUE(h.drone_on);  // the drone stays, an octave lower
    EXPECT_GT(h.drips, 8);
    EXPECT_FALSE(h.crackle);
    // The echo lines carry the drips (a drip peaks near 0.06 x 0.95).
    EXPECT_GT(h.echo, 0.01f);
}

TEST_F(Mix, CrackleOnlyNearAFire) {
    EXPECT_NEAR(snd_fire_distance(), std::sqrt(160.0f * 160.0f + 276.0f * 276.0f), 0.01f);
    snd_set_player_position({-224.0f, 5.0f, -74.5f});
    EXPECT_NEAR(snd_fire_distance(), 29.5f, 1e-3f);
    EXPECT_TRUE(run(60.0f).crackle);
    snd_reset_state();
    snd_set_player_position({170.0f, 0.0f, -865.5f});
    EXPECT_FALSE(run(60.0f).crackle);
}

TEST_F(Mix, SoundsStartedBeforeTheBankAreRefused) {
    // A trigger that arrives with an empty slot occupies nothing and the
    // mixer never reads a missing bank.
    SoundBuffer saved = snd_effects[3];
    snd_effects[3] = SoundBuffer{nullptr, 0};
    snd_play(3, 1.0f);
    snd_play_at(3, {0.0f, 0.0f, 1.0f}, 1.0f);
    for (const Voice& v : snd_voices) EXPECT_EQ(v.active, 0);
    snd_effects[3] = saved;
}

}  // namespace
