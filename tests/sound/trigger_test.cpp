// snd_play and snd_play_at: thresholds, attenuation, panning, pitch variation
// and which voice a new sound takes.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/sound_internal.h"

namespace {

int active_voices() {
    int n = 0;
    for (const Voice& v : snd_voices) n += v.active;
    return n;
}

const Voice* only_voice() {
    const Voice* found = nullptr;
    for (const Voice& v : snd_voices)
        if (v.active) {
            if (found) return nullptr;
            found = &v;
        }
    return found;
}

void advance(int frames) {
    static int16_t scratch[2 * SND_BUFFER_FRAMES];
    while (frames > 0) {
        int n = frames < SND_BUFFER_FRAMES ? frames : SND_BUFFER_FRAMES;
        snd_mix(scratch, n);
        frames -= n;
    }
}

class Triggers : public ::testing::Test {
protected:
    static void SetUpTestSuite() { snd_build_banks(); }
    void SetUp() override {
        snd_reset_state();
        snd_set_effects_volume(0.9f);
        snd_set_music_volume(0.8f);
        // Camera at the origin looking down -z, right-hand side +x.
        snd_set_listener({0.0f, 1.7f, 0.0f}, {1.0f, 0.0f, 0.0f});
    }
};

TEST_F(Triggers, FlatSoundThresholdsAndGains) {
    snd_play(8, 0.002f);
#ifdef NDEBUG
    // An id outside the bank is a caller's mistake: asserted in a debug build.
    snd_play(32, 1.0f);
    snd_play(-1, 1.0f);
    snd_play(400, 1.0f);
#else
    EXPECT_DEATH(snd_play(32, 1.0f), "SND_EFFECT_COUNT");
    EXPECT_DEATH(snd_play(-1, 1.0f), "SND_EFFECT_COUNT");
#endif
    snd_play(8, std::nanf(""));
    snd_play(8, INFINITY);
    EXPECT_EQ(active_voices(), 0);

    snd_play(8, 0.5f);
    const Voice* v = only_voice();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->sound, &snd_effects[8]);
    EXPECT_FLOAT_EQ(v->gain_left, 0.5f * 0.9f * 0.70710677f);
    EXPECT_FLOAT_EQ(v->gain_right, v->gain_left);
    EXPECT_EQ(v->rate, 1.0f);
    EXPECT_EQ(v->music, 0);

    // The effects volume applies at the trigger.
    snd_reset_state();
    snd_set_effects_volume(0.25f);
    snd_play(4, 1.0f);
    ASSERT_NE(only_voice(), nullptr);
    EXPECT_FLOAT_EQ(only_voice()->gain_left, 0.25f * 0.70710677f);
}

TEST_F(Triggers, PlacedSoundDistance) {
    const float flat = 1.0f * 0.9f * 0.70710677f;
    // 71 m away: silent, whatever the volume.
    snd_play_at(0, {0.0f, 1.7f, -71.0f}, 5.0f);
    snd_play_at(0, {std::nanf(""), 0.0f, 0.0f}, 1.0f);
    EXPECT_EQ(active_voices(), 0);
    // 70 m is still heard: a = 1 / (68 / 7 + 1).
    snd_play_at(0, {0.0f, 1.7f, -70.0f}, 1.0f);
    ASSERT_NE(only_voice(), nullptr);
    EXPECT_NEAR(only_voice()->gain_left, flat / (68.0f / 7.0f + 1.0f), 1e-6f);

    // Straight ahead at 2 m, 1 m and on the eye itself: full volume, centred.
    for (float d : {2.0f, 1.0f, 0.3f, 0.0f}) {
        snd_reset_state();
        snd_play_at(0, {0.0f, 1.7f, -d}, 1.0f);
        const Voice* v = only_voice();
        ASSERT_NE(v, nullptr) << d;
        EXPECT_NEAR(v->gain_left, flat, 1e-6f) << d;
        EXPECT_NEAR(v->gain_right, flat, 1e-6f) << d;
    }
    // 9 m: half as loud.
    snd_reset_state();
    snd_play_at(0, {0.0f, 1.7f, -9.0f}, 1.0f);
    EXPECT_NEAR(only_voice()->gain_left, flat * 0.5f, 1e-6f);

    // Quiet and far: a x volume below 0.003 plays nothing (a is 0.0946 at 69 m).
    snd_reset_state();
    snd_play_at(0, {0.0f, 1.7f, -69.0f}, 0.03f);
    EXPECT_EQ(active_voices(), 0);
    snd_play_at(0, {0.0f, 1.7f, -69.0f}, 0.04f);
    EXPECT_EQ(active_voices(), 1);
}

TEST_F(Triggers, PlacedSoundPanning) {
    // 10 m to the right: p = 0.8, equal-power gains.
    float a = 1.0f / (8.0f / 7.0f + 1.0f);
    snd_play_at(2, {10.0f, 1.7f, 0.0f}, 1.0f);
    const Voice* v = only_voice();
    ASSERT_NE(v, nullptr);
    EXPECT_NEAR(v->gain_left, a * 0.9f * std::sqrt(0.1f), 1e-5f);
    EXPECT_NEAR(v->gain_right, a * 0.9f * std::sqrt(0.9f), 1e-5f);
    // Total power does not depend on the pan.
    float power = v->gain_left * v->gain_left + v->gain_right * v->gain_right;
    EXPECT_NEAR(power, a * a * 0.81f, 1e-5f);

    // To the left, mirrored; height does not pan.
    snd_reset_state();
    snd_play_at(2, {-10.0f, 30.0f, 0.0f}, 1.0f);
    v = only_voice();
    ASSERT_NE(v, nullptr);
    EXPECT_NEAR(v->gain_left, 3.0f * v->gain_right, 1e-5f);  // sqrt(0.9 / 0.1)

    // A camera looking along +x has +z on its right.
    snd_reset_state();
    snd_set_listener({0.0f, 1.7f, 0.0f}, {0.0f, 0.0f, 1.0f});
    snd_play_at(2, {0.0f, 1.7f, 10.0f}, 1.0f);
    v = only_voice();
    ASSERT_NE(v, nullptr);
    EXPECT_GT(v->gain_right, 2.9f * v->gain_left);

    // From the camera's look-at point: facing -x, +x lies behind and -z on the right.
    snd_reset_state();
    snd_set_listener_view({5.0f, 1.7f, 5.0f}, {0.0f, 1.0f, 5.0f});
    snd_play_at(2, {5.0f, 1.7f, -5.0f}, 1.0f);
    v = only_voice();
    ASSERT_NE(v, nullptr);
    EXPECT_GT(v->gain_right, 2.9f * v->gain_left);
    snd_set_listener_view({5.0f, 1.7f, 5.0f}, {5.0f, -10.0f, 5.0f});  // straight down: unchanged
    EXPECT_NEAR(snd_listener.right.z, -1.0f, 1e-6f);
    snd_set_listener({0.0f, 1.7f, 0.0f}, {1.0f, 0.0f, 0.0f});

    // Within half a metre there is no pan at all, and straight up is centred.
    snd_reset_state();
    snd_play_at(2, {0.45f, 1.7f, 0.0f}, 1.0f);
    v = only_voice();
    EXPECT_FLOAT_EQ(v->gain_left, v->gain_right);
    snd_reset_state();
    snd_play_at(2, {0.0f, 11.7f, 0.0f}, 1.0f);
    v = only_voice();
    EXPECT_FLOAT_EQ(v->gain_left, v->gain_right);
}

TEST_F(Triggers, FootstepsAndSwingsVaryInPitch) {
    for (int id : {1, 3, 9, 10}) {
        float lo = 2.0f, hi = 0.0f;
        for (int k = 0; k < 40; ++k) {
            snd_reset_state();
            snd_play_at(id, {0.0f, 1.7f, -3.0f}, 1.0f);
            float r = only_voice()->rate;
            lo = std::fmin(lo, r);
            hi = std::fmax(hi, r);
        }
        EXPECT_GE(lo, 0.9f) << id;
        EXPECT_LE(hi, 1.1f) << id;
        EXPECT_GT(hi - lo, 0.1f) << id;  // really random, not one fixed detune
    }
    for (int id : {0, 2, 4, 24, 31}) {
        snd_reset_state();
        snd_play_at(id, {0.0f, 1.7f, -3.0f}, 1.0f);
        EXPECT_EQ(only_voice()->rate, 1.0f) << id;
    }
}

TEST_F(Triggers, VoicesEndAndTheOldestIsReplaced) {
    // A click (1764 samples) frees its voice once it has played.
    snd_play(8, 1.0f);
    advance(1700);
    EXPECT_EQ(active_voices(), 1);
    advance(100);
    EXPECT_EQ(active_voices(), 0);

    // Forty long sounds started 50 frames apart: all voices busy.
    for (int k = 0; k < SND_VOICE_COUNT; ++k) {
        snd_play(6, 0.5f);
        advance(50);
    }
    ASSERT_EQ(active_voices(), SND_VOICE_COUNT);
    // The 41st takes the voice that has played longest (the first started),
    // the 42nd the next oldest.
    int first = snd_voice_start(&snd_effects[8], 1.0f, 0.1f, 0.1f, false);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(snd_voices[0].sound, &snd_effects[8]);
    EXPECT_EQ(snd_voices[0].position, 0.0f);
    snd_play(2, 1.0f);
    EXPECT_EQ(snd_voices[1].sound, &snd_effects[2]);
    EXPECT_EQ(active_voices(), SND_VOICE_COUNT);

    // When a voice in the middle frees, the next sound takes that one.
    snd_voices[17].active = 0;
    snd_play(5, 1.0f);
    EXPECT_EQ(snd_voices[17].sound, &snd_effects[5]);
    EXPECT_EQ(snd_voices[2].sound, &snd_effects[6]);
}

TEST_F(Triggers, VolumesAreClampedAndTriggersNeedABank) {
    snd_set_effects_volume(3.0f);
    EXPECT_EQ(snd_effects_volume(), 1.0f);
    snd_set_music_volume(-1.0f);
    EXPECT_EQ(snd_music_volume(), 0.0f);
    snd_set_music_volume(std::nanf(""));
    EXPECT_EQ(snd_music_volume(), 0.0f);
    // No samples: nothing starts (and nothing is read later).
    SoundBuffer empty = {nullptr, 0};
    EXPECT_EQ(snd_voice_start(&empty, 1.0f, 1.0f, 1.0f, false), -1);
    EXPECT_EQ(active_voices(), 0);
}

}  // namespace
