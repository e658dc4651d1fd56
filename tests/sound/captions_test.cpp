// What the captions' ring keeps of the sounds played: only those heard loud
// enough, others' steps and not the player's; and the music's changes. The
// scene in tests/captions plays the rest.
#include <gtest/gtest.h>

#include <string>

#include "common/game_time.h"
#include "sound/captions.h"
#include "sound/sound_internal.h"

namespace {

class Captions : public ::testing::Test {
protected:
    static void SetUpTestSuite() { snd_build_banks(); }
    void SetUp() override {
        snd_reset_state();
        snd_heard_clear();
        game_clock = 100.0;
        // The player at the origin, the camera 6 m behind looking down -z.
        snd_set_player_position({0.0f, 0.0f, 0.0f});
        snd_set_listener({0.0f, 3.0f, 6.0f}, {1.0f, 0.0f, 0.0f});
    }
    void TearDown() override { game_clock = 0.0; }
    int recent(SoundHeard* out, int max = 8) { return snd_heard_recent(out, max, game_clock, 5.0); }
};

TEST_F(Captions, FaintSoundsAndThePlayersOwnStepsGoUncaptioned) {
    SoundHeard h[8];
    snd_play_at(SFX_GRUNT, {0.0f, 0.0f, -54.0f}, 1.0f);  // played, but faint
    snd_play_at(SFX_STONE_STEP, {0.3f, 0.0f, 0.2f}, 1.0f);  // the player's own
    snd_play(SFX_CLICK, 1.0f);                                // no caption
    EXPECT_EQ(recent(h), 0);

    snd_play_at(SFX_STONE_STEP, {0.0f, 0.0f, 4.0f}, 0.6f);
    ASSERT_EQ(recent(h), 1);
    EXPECT_EQ(std::string(snd_caption_text(h[0].caption)), "Des pas");
    EXPECT_EQ(h[0].direction, SND_FROM_BEHIND);

}

TEST_F(Captions, MusicChangesOnlyWhenTheWorldChangesWithMusicOn) {
    SoundHeard h[4];
    snd_set_underground(false);
    snd_events(0.05f);  // the music at start is no change
    EXPECT_EQ(recent(h), 0);
    snd_set_underground(true);
    snd_events(0.05f);
    snd_events(0.05f);
    ASSERT_EQ(recent(h), 1);
    EXPECT_EQ(h[0].caption, SND_CAPTION_MUSIC_DARKER);
    snd_heard_clear();
    snd_events(0.05f);
    snd_set_music_volume(0.0f);  // silent music changes unheard
    snd_set_underground(false);
    snd_events(0.05f);
    snd_set_music_volume(0.8f);
    snd_events(0.05f);
    EXPECT_EQ(recent(h), 0);
    snd_set_underground(true);
    snd_events(0.05f);
    ASSERT_EQ(recent(h), 1);
    EXPECT_EQ(h[0].caption, SND_CAPTION_MUSIC_DARKER);
    snd_set_underground(false);
}

}  // namespace
