// The sounds' captions in the real game (headless, fixed step): creatures
// strike the player from the left and from behind, and the lines on screen
// say so, three at most, fading; with the option off nothing shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/game_time.h"
#include "game/main_loop.h"
#include "persist/options.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/player_input.h"
#include "render/hud.h"
#include "render/ui.h"
#include "sound/captions.h"
#include "tests/support/scene_economy.h"
#include "ui/captions.h"
#include "world/terrain.h"

namespace {

InputState snapshot;

void frame(bool draw) {
    std::memset(&snapshot, 0, sizeof snapshot);
    snapshot.client_width = 960;
    snapshot.client_height = 540;
    snapshot.window_active = 1;
    snapshot.mouse_x = 480;
    snapshot.mouse_y = 120;
    headless_set_input_script(&snapshot, 1);
    main_loop_set_draw_interval(draw ? 1 : 1000000);
    game_frame();
}

// The caption lines drawn in one frame (the texts that carry a direction or
// a caption's words), from the interface's record.
std::vector<std::string> drawn_captions() {
    ui_record_begin();
    frame(true);
    ui_record_end();
    std::vector<std::string> found;
    for (int i = 0; i < ui_recorded_text_count(); ++i) {
        std::string t = ui_recorded_texts()[i].text;
        bool caption = false;
        for (int c = 0; c < SND_CAPTION_COUNT; ++c) {
            const char* words = snd_caption_text(c);
            caption = caption || (words && t.rfind(words, 0) == 0);
        }
        if (!caption) continue;
        found.push_back(t);
        // Never over a panel, bar or window of the frame.
        const UiRecordedText& r = ui_recorded_texts()[i];
        for (int k = 0; k < ui_recorded_box_count(); ++k) {
            const UiRecordedBox& b = ui_recorded_boxes()[k];
            if (k == r.box || (b.flags & UI_BOX_FREE) || b.w <= 0.0f || b.h <= 0.0f) continue;
            bool over = r.x0 < b.x + b.w && b.x < r.x1 && r.y0 < b.y + b.h && b.y < r.y1;
            EXPECT_FALSE(over) << t << " over a box at " << b.x << ", " << b.y;
        }
    }
    return found;
}

int count(const std::vector<std::string>& lines, const char* line) {
    return (int)std::count(lines.begin(), lines.end(), std::string(line));
}

// On open ground, facing +x with the camera behind: left is -z, behind -x.
void place_player() {
    creatures_reset();
    const float x = 60.0f, z = 60.0f;
    player.dead = 0;
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
    player.heading = PI * 0.5f;
    player.camera_yaw = PI * 0.5f;
    player.max_health = player.health = 1e6f;
}

Creature* attacker(int species, float dx, float dz) {
    float x = player.pos_x + dx, z = player.pos_z + dz;
    Creature* c = spawn_creature(species, {x, ground_height(x, z), z}, {x, 0, z});
    if (!c) return nullptr;
    set_creature_level(c, 3);
    c->ai_state = CS_FIGHT;
    return c;
}

// Frames until the player has taken a blow (at most ten seconds).
bool until_hurt() {
    float before = player.health;
    for (int f = 0; f < 200; ++f) {
        frame(false);
        if (player.health < before) return true;
    }
    return false;
}

}  // namespace

TEST(Captions, BlowsFromTheLeftAndBehindThreeLinesThatFadeAndNoneWhenOff) {
    headless_set_time_step(0.05);
    headless_set_window_size(960, 540);
    scene_economy();
    ASSERT_EQ(game_startup(), 0);
    game_flags.character_creation_open = 0;  // no character file here: straight into play
    game_flags.title_overlay = 0;
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    options.sound_captions = 1;
    place_player();
    frame(false);
    snd_heard_clear();

    // A goblin on the left strikes: its cry and the blow.
    Creature* goblin = attacker(SP_GOBLIN, 0.0f, -1.6f);
    ASSERT_NE(goblin, nullptr);
    ASSERT_TRUE(until_hurt());
    std::vector<std::string> lines = drawn_captions();
    EXPECT_EQ(count(lines, "Coup reçu · à gauche"), 1) << ::testing::PrintToString(lines);
    EXPECT_EQ(count(lines, "Cri de gobelin · à gauche"), 1) << ::testing::PrintToString(lines);
    EXPECT_LE(lines.size(), 3u);
    free_creature(goblin);

    // A wolf from behind: its howl is the newest, and three lines at most
    // stay of the four things heard (cry, swing, blow, howl).
    Creature* wolf = attacker(SP_WOLF, -1.6f, 0.0f);
    ASSERT_NE(wolf, nullptr);
    ASSERT_TRUE(until_hurt());
    lines = drawn_captions();
    EXPECT_EQ(count(lines, "Hurlement de loup · derrière vous"), 1) << ::testing::PrintToString(lines);
    // Heard again: one line, refreshed with where the blow came from now.
    EXPECT_EQ(count(lines, "Coup reçu · derrière vous"), 1) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines.size(), 3u) << ::testing::PrintToString(lines);
    EXPECT_TRUE(headless_screenshot("captions_three_lines.png"));  // for a person to look at
    game_flags.windows.journal = 1;  // a window in the middle: the lines keep off it
    EXPECT_LE(drawn_captions().size(), 3u);
    game_flags.windows.journal = 0;
    free_creature(wolf);

    // Quiet: the lines fade over their last seconds, then go.
    CaptionLine shown[CAPTION_LINES_MAX];
    for (int f = 0; f < 80; ++f) frame(false);  // four seconds
    int n = captions_lines(shown);
    ASSERT_GT(n, 0);
    for (int i = 0; i < n; ++i) {
        EXPECT_GT(shown[i].alpha, 0.0f) << shown[i].text;
        EXPECT_LT(shown[i].alpha, 1.0f) << shown[i].text;
    }
    for (int f = 0; f < 25; ++f) frame(false);
    EXPECT_EQ(captions_lines(shown), 0);
    EXPECT_TRUE(drawn_captions().empty());

    // Off: the same goblin's blows show nothing.
    options.sound_captions = 0;
    goblin = attacker(SP_GOBLIN, 0.0f, -1.6f);
    ASSERT_NE(goblin, nullptr);
    ASSERT_TRUE(until_hurt());
    EXPECT_TRUE(drawn_captions().empty());
    free_creature(goblin);
    game_shutdown();
}
