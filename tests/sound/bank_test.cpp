// The synthesised banks: lengths, peaks, pitches and their exact content.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "sound/sound_internal.h"

namespace {

float peak_of(const SoundBuffer& b) {
    float top = 0.0f;
    for (int i = 0; i < b.length; ++i) top = std::fmax(top, std::fabs(b.samples[i]));
    return top;
}

// FNV-1a over the samples rounded to 16-bit steps: the bank as it is heard.
uint32_t checksum(const SoundBuffer* bank, int count) {
    uint32_t h = 2166136261u;
    for (int k = 0; k < count; ++k)
        for (int i = 0; i < bank[k].length; ++i) {
            int32_t q = (int32_t)std::lrint(bank[k].samples[i] * 32767.0f);
            for (int b = 0; b < 4; ++b) {
                h ^= (uint32_t)(q >> (8 * b)) & 0xFFu;
                h *= 16777619u;
            }
        }
    return h;
}

// Strongest period of a stretch of samples, by autocorrelation.
int period_of(const float* s, int n, int min_lag, int max_lag) {
    int best = min_lag;
    double best_sum = -1e30;
    for (int lag = min_lag; lag <= max_lag; ++lag) {
        double sum = 0.0;
        for (int i = 0; i + lag < n; ++i) sum += (double)s[i] * s[i + lag];
        if (sum > best_sum) {
            best_sum = sum;
            best = lag;
        }
    }
    return best;
}

class Banks : public ::testing::Test {
protected:
    static void SetUpTestSuite() { snd_build_banks(); }
};

// Every effect is heard and none clips: between the click's 0.04 s and the
// level-up's 1.8 s, peaking between 0.45 and 0.85 of full scale.
TEST_F(Banks, EveryEffectIsAudibleFiniteAndNeverClips) {
    for (int id = 0; id < SND_EFFECT_COUNT; ++id) {
        SCOPED_TRACE(id);
        const SoundBuffer& b = snd_effects[id];
        ASSERT_NE(b.samples, nullptr);
        EXPECT_GE(b.length, 1764);
        EXPECT_LE(b.length, 79380);
        EXPECT_GE(peak_of(b), 0.45f - 1e-5f);
        EXPECT_LE(peak_of(b), 0.85f + 1e-5f);
        bool finite = true;
        for (int i = 0; i < b.length; ++i) finite = finite && std::isfinite(b.samples[i]);
        EXPECT_TRUE(finite);
    }
    // Lengths worked out by hand at 44 100 samples a second, against float
    // rounding: the click 0.04 s, the level-up 1.8 s, a footstep 0.14 s, a
    // strong shot 0.45 s.
    EXPECT_EQ(snd_effects[SFX_CLICK].length, 1764);
    EXPECT_EQ(snd_effects[SFX_LEVEL_UP].length, 79380);
    EXPECT_EQ(snd_effects[SFX_FOOTSTEP].length, 6174);
    EXPECT_EQ(snd_effects[SFX_HEAVY_BLOW].length, 19845);
    // Blows ring at 0.8; what repeats all the time (steps, arrow ticks, coins,
    // equipment) stays under them.
    EXPECT_NEAR(peak_of(snd_effects[SFX_HEAVY_BLOW]), 0.8f, 1e-5f);
    EXPECT_NEAR(peak_of(snd_effects[SFX_HIT_THUD]), 0.8f, 1e-5f);
    for (int id : {SFX_FOOTSTEP, SFX_ARROW_TICK, SFX_COINS, SFX_ITEM_RUSTLE})
        EXPECT_LT(peak_of(snd_effects[id]), 0.7f) << "id " << id;
}

TEST_F(Banks, NotesArePluckedDDorianAtHalfScale) {
    const int semitones[SND_NOTE_COUNT] = {0, 2, 3, 5, 7, 9, 10, 12, 14, 15, 17, 19, 21, 22, 24};
    for (int n = 0; n < SND_NOTE_COUNT; ++n) {
        SCOPED_TRACE(n);
        const SoundBuffer& b = snd_notes[n];
        ASSERT_NE(b.samples, nullptr);
        EXPECT_EQ(b.length, 70560);
        EXPECT_NEAR(peak_of(b), 0.5f, 1e-5f);
        double hz = 146.83 * std::pow(2.0, semitones[n] / 12.0);
        int line = (int)(44100.0 / hz);
        int measured = period_of(b.samples + 4000, 3000, line * 3 / 4, line * 5 / 4);
        // The string's period is its delay line (plus the averaging's half sample).
        EXPECT_NEAR(measured, line, 1);
        // A plucked string dies away: the last tenth is far quieter than the first.
        float head = 0.0f, tail = 0.0f;
        for (int i = 0; i < 7056; ++i) {
            head = std::fmax(head, std::fabs(b.samples[i]));
            tail = std::fmax(tail, std::fabs(b.samples[b.length - 1 - i]));
        }
        EXPECT_LT(tail, head * 0.7f);
    }
}

TEST_F(Banks, RecipesHaveTheirPitchAndShape) {
    // The click is an 1800 Hz sine: 24.5 samples a cycle.
    EXPECT_NEAR(period_of(snd_effects[SFX_CLICK].samples, 800, 15, 40), 24.5, 1.0);
    // The triple blow opens with the single blow, unchanged up to its scale.
    const SoundBuffer& one = snd_effects[SFX_HEAVY_BLOW];
    const SoundBuffer& three = snd_effects[SFX_TRIPLE_BLOW];
    float k = three.samples[1000] / one.samples[1000];
    for (int i = 100; i < 2600; i += 97) EXPECT_NEAR(three.samples[i], one.samples[i] * k, 1e-4f);
    // The sweep rises to about 2800 Hz in its middle and is back near 600 Hz at the end.
    const SoundBuffer& sweep = snd_effects[SFX_SWEEP];
    EXPECT_NEAR(period_of(sweep.samples + sweep.length / 2 - 200, 400, 8, 40), 44100 / 2800.0, 1.0);
    EXPECT_NEAR(period_of(sweep.samples + sweep.length - 300, 250, 40, 120), 44100 / 678.0, 4.0);
    // The item sound's 3100 Hz tone holds to the end under the dying rustle.
    const SoundBuffer& item = snd_effects[SFX_ITEM_RUSTLE];
    EXPECT_NEAR(period_of(item.samples + item.length - 500, 400, 10, 20), 44100 / 3100.0, 1.0);
    float item_tail = 0.0f;
    for (int i = item.length - item.length / 10; i < item.length; ++i)
        item_tail = std::fmax(item_tail, std::fabs(item.samples[i]));
    EXPECT_GT(item_tail, 0.25f * peak_of(item));
    // Sounds with a decay envelope end far quieter than they peak.
    for (int id : {SFX_HEAVY_BLOW, SFX_ARROW_TICK, SFX_CLICK, SFX_THUMP, SFX_METALLIC_HIT, SFX_ANVIL_STRIKE,
                   SFX_STONE_STEP}) {
        const SoundBuffer& b = snd_effects[id];
        float tail = 0.0f;
        for (int i = b.length - b.length / 10; i < b.length; ++i) tail = std::fmax(tail, std::fabs(b.samples[i]));
        EXPECT_LT(tail, 0.1f * peak_of(b)) << "id " << id;
    }
}

float peak_between(const SoundBuffer& b, double from, double to) {
    float top = 0.0f;
    for (int i = (int)(from * 44100); i < (int)(to * 44100) && i < b.length; ++i)
        top = std::fmax(top, std::fabs(b.samples[i]));
    return top;
}

TEST_F(Banks, RepeatedStrikesComeOnTime) {
    struct Strikes {
        int id;
        double spacing;
        int count;
    };
    // Coins, chirps and the laugh's pulses: each new strike lifts the sound
    // well above the dying previous one; halfway between, nothing starts.
    for (Strikes s :
         {Strikes{SFX_COINS, 0.07, 3}, Strikes{SFX_RISING_CHIRPS, 0.2, 3}, Strikes{SFX_LAUGHTER, 0.26, 6}}) {
        const SoundBuffer& b = snd_effects[s.id];
        for (int k = 1; k < s.count; ++k) {
            SCOPED_TRACE(testing::Message() << "id " << s.id << " strike " << k);
            double at = k * s.spacing;
            EXPECT_GT(peak_between(b, at + 0.01, at + 0.035), 1.5f * peak_between(b, at - 0.02, at - 0.002));
            double mid = at - s.spacing / 2;
            EXPECT_LT(peak_between(b, mid + 0.005, mid + 0.03), 1.1f * peak_between(b, mid - 0.02, mid - 0.002));
        }
    }
    // The laugh weakens pulse by pulse (1 - 0.12 n): the sixth is well under the first.
    const SoundBuffer& laugh = snd_effects[SFX_LAUGHTER];
    EXPECT_LT(peak_between(laugh, 1.3, 1.4), 0.7f * peak_between(laugh, 0.0, 0.1));
    // The level-up arpeggio opens on D5 (587.3 Hz: 75 samples a cycle).
    EXPECT_NEAR(period_of(snd_effects[SFX_LEVEL_UP].samples + 200, 4000, 60, 90), 44100 / 587.3, 1.0);
}

TEST_F(Banks, AreTheSameOnEveryRun) {
    uint32_t effects = checksum(snd_effects, SND_EFFECT_COUNT);
    uint32_t notes = checksum(snd_notes, SND_NOTE_COUNT);
    snd_build_banks();
    EXPECT_EQ(checksum(snd_effects, SND_EFFECT_COUNT), effects);
    EXPECT_EQ(checksum(snd_notes, SND_NOTE_COUNT), notes);
    // Recorded from the first build; a change means every player hears a different game.
    EXPECT_EQ(effects, 0x3fd85f73u) << std::hex << effects;
    EXPECT_EQ(notes, 0x77db81d8u) << std::hex << notes;
}

}  // namespace
