// The real start-up and frame loop on the headless backend: the exit path of
// a driver without OpenGL 3.3, a window closed during the world build, the
// pause rule and the step clamp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "common/game_events.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/backend_common.h"
#include "render/hud.h"
#include "tests/support/shown.h"
#include "ui/pause_dialog.h"
#include "sound/sound_internal.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "world/world.h"
#include "tests/support/scene_economy.h"

// The launcher's name beside the game on this system, and its old copy.
static const char LAUNCHER_NAME[] = "Tervanne-lanceur";
static const char LAUNCHER_ASIDE[] = "Tervanne-lanceur.ancien";

static std::string beside_program(const char* name) {
    char exe[4096], path[4200];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    plat_path_beside_program(exe, name, path, sizeof path);
    return path;
}

static std::string read_log() {
    static char buf[1 << 16];
    int n = plat_read_file("tervanne-journal.txt", buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, (size_t)n);
}

// One process, one start-up: the steps run in the order a player meets them.
TEST(MainLoop, StartupPauseAndExit) {
    // A launcher stopped while it replaced itself left only its old copy:
    // the game's start puts it back, whatever happens next.
    char launcher[32];
    plat_write_file(LAUNCHER_ASIDE, "ancien lanceur", 14);
    unlink(beside_program(LAUNCHER_NAME).c_str());

    // A driver that lacks a GL 3.3 entry point ends the game with code 1.
    headless_set_window_size(640, 360);  // small frames keep llvmpipe quick
    scene_economy();
    headless_hide_gl_function("glBlitFramebuffer");
    EXPECT_EQ(game_startup(), 1);
    std::string log = read_log();
    EXPECT_NE(log.find("OpenGL : fonction absente glBlitFramebuffer\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Votre carte graphique ne propose pas OpenGL 3.3 : mettez à jour son pilote.\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("Monde prêt"), std::string::npos);  // nothing else ran
    EXPECT_EQ(plat_read_file(LAUNCHER_NAME, launcher, sizeof launcher), 14);
    EXPECT_STREQ(launcher, "ancien lanceur");
    EXPECT_LT(plat_read_file(LAUNCHER_ASIDE, launcher, sizeof launcher), 0);
    headless_hide_gl_function(nullptr);

    // A normal start: the world is built and logged; the map image, which no
    // screen before play shows, is left for later.
    headless_set_time_step(1.0 / 60.0);
    ASSERT_EQ(game_startup(), 0);
    ASSERT_TRUE(headless_has_context());
    log = read_log();
    EXPECT_NE(log.find("Monde prêt : "), std::string::npos) << log;
    EXPECT_FALSE(world_map_ready());
    EXPECT_FALSE(ui_map_ready());
    game_flags.character_creation_open = 0;  // no character file here: straight into play

    // The window was closed while the world was being built: the close waits
    // in the queue and is seen by the first frame's pump; nothing else of
    // that frame runs, and the loop ends there.
    static InputState closed[1] = {};
    closed[0].quit_requested = 1;
    headless_set_input_script(closed, 1);
    double before_close = game_clock;
    int frames = 0;
    while (!plat_input.quit_requested && frames < 5) {
        game_frame();
        ++frames;
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(game_clock, before_close);
    EXPECT_EQ(frame_dt, 0.0f);
    plat_input.quit_requested = 0;  // only so that this test can go on playing
    game_frame();                   // takes up the real time the close frame skipped
    // The first frame in play has the map the HUD shows.
    EXPECT_TRUE(ui_map_ready());

    // Ten frames advance the game clock by ten fixed steps.
    double start = game_clock;
    for (int i = 0; i < 10; ++i) game_frame();
    EXPECT_NEAR(game_clock - start, 10.0 / 60.0, 1e-6);
    EXPECT_NEAR(frame_dt, 1.0 / 60.0, 1e-6);
    EXPECT_FLOAT_EQ(world_dt, frame_dt);

    // The pause dialog: real time still runs, the world step, the clock and
    // the message timer stand still, the fade and the sound go on.
    hud_message("Essai de pause", 3.0f);
    hud_fade(1.0f);
    pause_dialog_open();
    ASSERT_EQ(game_flags.paused, 1);
    double frozen = game_clock;
    float message_left = hud_message_time();
    for (int i = 0; i < 5; ++i) {
        Melody melody = snd_melody;
        game_frame();
        EXPECT_TRUE(snd_melody.countdown != melody.countdown || snd_melody.beat != melody.beat) << i;
    }
    EXPECT_EQ(game_clock, frozen);
    EXPECT_EQ(world_dt, 0.0f);
    EXPECT_NEAR(frame_dt, 1.0 / 60.0, 1e-6);
    EXPECT_EQ(hud_message_time(), message_left);
    EXPECT_LE(hud_fade_remaining(), 1.0f - 5 * 0.016f + 1e-4f);

    // Escape closes the dialog and the simulation resumes in that same frame.
    static InputState escape[1] = {};
    escape[0].key_down[KEY_ESCAPE] = 1;
    headless_set_input_script(escape, 1);
    game_frame();
    EXPECT_EQ(game_flags.paused, 0);
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_NEAR(world_dt, 1.0 / 60.0, 1e-6);
    EXPECT_NEAR(game_clock - frozen, 1.0 / 60.0, 1e-6);
    EXPECT_LT(hud_message_time(), message_left);

    // One route for the keys: Escape closes the journal and nothing else; with
    // nothing open it pauses, and the dialog it opens takes the next one.
    static InputState tap[3] = {};
    tap[1].key_down[KEY_ESCAPE] = 1;  // up, down, up: one press
    auto press_escape = [] {
        headless_set_input_script(tap, 3);
        for (int i = 0; i < 3; ++i) game_frame();
    };
    game_flags.windows.journal = 1;
    press_escape();
    EXPECT_FALSE(game_flags.windows.journal);
    EXPECT_EQ(game_flags.paused, 0);
    press_escape();
    EXPECT_EQ(game_flags.paused, 1);
    EXPECT_TRUE(hud_dialog_state().open);
    press_escape();
    EXPECT_EQ(game_flags.paused, 0);
    EXPECT_FALSE(hud_dialog_state().open);

    // Results reach the HUD after the simulation of their frame, in order.
    result_message("Premier", 2.0f);
    result_message("Second", 2.0f);
    EXPECT_EQ(game_events_waiting(), 2);
    game_frame();
    EXPECT_EQ(game_events_waiting(), 0);
    EXPECT_STREQ(shown_message(), "Second");

    // A long stall never becomes a step longer than 0.05 s.
    headless_set_time_step(0.5);
    game_frame();
    EXPECT_FLOAT_EQ(frame_dt, 0.05f);
    headless_set_time_step(1.0 / 60.0);

    EXPECT_EQ(game_shutdown(), 0);
}

// The results' ring keeps its order; full, it gives up its oldest texts for
// what comes, but never a kill or a save (those are refused and counted), and
// it cuts a long text between characters.
TEST(GameEvents, OrderFullRingAndLongTexts) {
    game_events_clear();
    result_float_text({0, 0, 0}, "-12", {1, 1, 1, 1}, 1.0f, 1.0f, 0.3f);
    for (int i = 0; i < GAME_EVENT_RING - 2; ++i) result_creature_killed(i % 7, i);
    result_message("Ancien", 1.0f);
    result_save_wanted();  // taken in place of the floating text
    result_message("Nouveau", 1.0f);  // in place of "Ancien"
    result_creature_killed(1, 900);   // in place of "Nouveau"
    result_creature_killed(1, 901);   // no text left to give up: refused
    EXPECT_EQ(game_events_waiting(), GAME_EVENT_RING);
    EXPECT_EQ(game_events_dropped(), 4);
    GameEvent e;
    for (int i = 0; i < GAME_EVENT_RING - 2; ++i) {
        ASSERT_TRUE(game_event_pop(&e));
        EXPECT_EQ(e.kind, GameEventKind::creature_killed);
        EXPECT_EQ(e.slot, i);
    }
    ASSERT_TRUE(game_event_pop(&e));
    EXPECT_EQ(e.kind, GameEventKind::save_wanted);
    ASSERT_TRUE(game_event_pop(&e));
    EXPECT_EQ(e.slot, 900);
    EXPECT_FALSE(game_event_pop(&e));

    // 600 bytes of two-byte letters: the text stops before the one that
    // would not fit whole.
    std::string long_text;
    for (int i = 0; i < 300; ++i) long_text += "é";
    result_message(long_text.c_str(), 1.0f);
    ASSERT_TRUE(game_event_pop(&e));
    EXPECT_EQ(std::strlen(e.text), sizeof e.text - 2);
    EXPECT_EQ(std::string(e.text), long_text.substr(0, sizeof e.text - 2));
}
