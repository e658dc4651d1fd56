// HUD services: capacities, timers, labels and bars over the world, the
// dialog's layout and input, the pause dialog, and the drawing order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "game/layer_calls.h"
#include "common/game_time.h"
#include "play/player_input.h"
#include "world/terrain.h"
#include "platform/platform.h"
#include "render/font_atlas.h"
#include "render/hud.h"
#include "ui/pause_dialog.h"
#include "render/renderer.h"
#include "render/ui_marks.h"
#include "render/ui.h"
#include "tests/support/drawn_text.h"
#include "ui/character_select.h"
#include "ui/hud_draw.h"
#include "ui/maps.h"
#include "play/player.h"

namespace {

const Vec4 WHITE = {1, 1, 1, 1};

using Quad = DrawnQuad;

std::vector<Quad> quads(int mode = -1) { return drawn_quads(mode); }

int action_runs = 0;
void count_action() { ++action_runs; }

class Hud : public ::testing::Test {
  protected:
    void SetUp() override {
        // The pause menu's buttons open the real screens.
        game_connect_layers();
        std::memset(&plat_input, 0, sizeof plat_input);
        plat_input.client_width = 1920;
        plat_input.client_height = 1080;
        game_flags.paused = 0;
        game_flags.underground = 0;
        game_flags.character_creation_open = game_flags.character_select_open = game_flags.character_sheet_open = 0;
        hud_reset();
        game_flags.title_overlay = 0;
        ui_batch_clear();
        action_runs = 0;
        // Looking down -z from 1.7 m, 60 degrees vertical.
        render_camera = RenderCamera{{0, 1.7f, 0}, {0, 1.7f, -1}, 60.0f};
    }
    void TearDown() override {
        ui_batch_clear();
        game_flags.paused = 0;
    }
    // Pixel size of one metre at depth d for this camera.
    static float px_per_m(float d) { return 1080.0f / (2.0f * std::tan(30.0f * 3.14159265f / 180.0f)) / d; }
    static void click(float x, float y) {
        plat_input.mouse_x = (int)x;
        plat_input.mouse_y = (int)y;
        plat_input.button_pressed[0] = 1;
        plat_input.button_down[0] = 1;
    }
};

}  // namespace

TEST_F(Hud, FloatingTextsTakeFreeSlotsAndTheFortyNinthIsDropped) {
    for (int i = 0; i < 48; ++i)
        hud_float_text(Vec3{0, 0, -5}, hud_fmt("%d", i), WHITE, 1.0f + i * 0.01f, 1.0f, 1.0f);
    hud_float_text(Vec3{0, 0, -5}, "de trop", WHITE, 5.0f, 1.0f, 1.0f);
    const FloatingText* f = hud_floating_texts();
    for (int i = 0; i < HUD_FLOAT_SLOTS; ++i) {
        EXPECT_TRUE(f[i].active);
        EXPECT_STRNE(f[i].text, "de trop");
    }
    // Slot 0 (lifetime 1.0) expires first; the next text takes that slot.
    hud_update(0.6f);
    hud_update(0.0f);  // paused frames do not age them
    EXPECT_FLOAT_EQ(f[0].age, 0.6f);
    hud_update(0.405f);
    EXPECT_FALSE(f[0].active);
    EXPECT_TRUE(f[1].active);
    hud_float_text(Vec3{1, 2, 3}, "+12 PV", Vec4{0.3f, 1, 0.35f, 1}, 2.0f, 2.2f, 1.3f);
    EXPECT_TRUE(f[0].active);
    EXPECT_STREQ(f[0].text, "+12 PV");
    EXPECT_FLOAT_EQ(f[0].age, 0.0f);
    EXPECT_FLOAT_EQ(f[0].rise, 2.2f);
}

TEST_F(Hud, FloatingTextIsCutToFortySevenBytesWithoutSplittingLetters) {
    std::string longer(46, 'a');
    longer += "éé";  // bytes 46-49
    hud_float_text(Vec3{0, 0, -5}, longer.c_str(), WHITE, 1, 1, 1);
    const FloatingText& f = hud_floating_texts()[0];
    EXPECT_EQ(std::strlen(f.text), 46u) << "the é that would be split is left out";
    hud_reset();
    std::string plain(60, 'b');
    hud_float_text(Vec3{0, 0, -5}, plain.c_str(), WHITE, 1, 1, 1);
    EXPECT_EQ(std::strlen(hud_floating_texts()[0].text), 47u);
}

TEST_F(Hud, MessageIsReplacedAtOnceAndFadesOverItsLastThirdOfASecond) {
    hud_message("Objectif accompli", 2.0f);
    hud_update(1.0f);
    EXPECT_FLOAT_EQ(hud_message_time(), 1.0f);
    hud_message("Bienvenue à Tervanne", 3.0f);
    EXPECT_STREQ(hud_message_text(), "Bienvenue à Tervanne");
    EXPECT_FLOAT_EQ(hud_message_time(), 3.0f);
    hud_update(0.0f);  // paused: the message waits
    EXPECT_FLOAT_EQ(hud_message_time(), 3.0f);

    auto message_alpha = [&]() {
        ui_batch_clear();
        hud_draw();
        // The message is the only title-font text at 30 px in gold; take the
        // glyph quads whose colour is gold.
        float a = -1;
        for (const Quad& q : quads(UI_GLYPH))
            if (std::fabs(q.colour.x - HUD_GOLD.x) < 1e-6f && std::fabs(q.colour.y - HUD_GOLD.y) < 1e-6f &&
                q.y0 > 200 && q.y0 < 260)
                a = q.colour.w;
        return a;
    };
    EXPECT_FLOAT_EQ(message_alpha(), 1.0f);
    hud_update(2.8f);  // 0.2 s left
    EXPECT_NEAR(message_alpha(), 0.6f, 1e-4);
    hud_update(0.25f);
    EXPECT_FLOAT_EQ(message_alpha(), -1.0f) << "gone once its time is out";

    std::string huge(700, 'x');
    hud_message(huge.c_str(), 1);
    EXPECT_EQ(std::strlen(hud_message_text()), 511u);
}

TEST_F(Hud, TimersFlashFadeAndTheFrameCounter) {
    hud_hit_flash();
    EXPECT_FLOAT_EQ(hud_hit_flash_strength(), 0.45f);
    hud_update(0.25f);
    EXPECT_NEAR(hud_hit_flash_strength(), 0.225f, 1e-6);
    hud_update(0.0f);
    EXPECT_NEAR(hud_hit_flash_strength(), 0.225f, 1e-6) << "frozen while paused";
    hud_update(1.0f);
    EXPECT_FLOAT_EQ(hud_hit_flash_strength(), 0.0f);

    // The fade runs at least 0.016 s per frame, paused or not.
    hud_fade(1.0f);
    hud_update(0.0f);
    EXPECT_NEAR(hud_fade_remaining(), 0.984f, 1e-6);
    hud_update(0.05f);
    EXPECT_NEAR(hud_fade_remaining(), 0.934f, 1e-6);
    // Drawn last, black, alpha min(1, remaining / total x 1.4).
    hud_update(0.5f);
    ui_batch_clear();
    hud_draw();
    std::vector<Quad> q = quads();
    ASSERT_FALSE(q.empty());
    EXPECT_FLOAT_EQ(q.back().colour.x, 0.0f);
    EXPECT_NEAR(q.back().colour.w, 0.434f * 1.4f, 1e-4);
    EXPECT_FLOAT_EQ(q.back().x1, 1920.0f);
    for (int i = 0; i < 40; ++i) hud_update(0.0f);
    EXPECT_FLOAT_EQ(hud_fade_remaining(), 0.0f);
}

TEST_F(Hud, FramesPerSecondCountedOverHalfSecondWindows) {
    plat_open_window("hud", 640, 360);  // the headless clock: 1/60 s per pump
    hud_reset();
    for (int i = 0; i < 40; ++i) {
        plat_pump();
        hud_update(1.0f / 60.0f);
    }
    EXPECT_EQ(hud_fps(), 60);
    plat_input.client_width = 1920;
    plat_input.client_height = 1080;
}

TEST_F(Hud, WorldLabelsBehindTheCameraOrTooSmallAreNotDrawn) {
    hud_world_label(Vec3{0, 1.7f, 5}, "Derrière", 1.0f, WHITE, UI_FONT_BODY);
    hud_world_label(Vec3{0, 1.7f, -0.3f}, "Trop près", 1.0f, WHITE, UI_FONT_BODY);
    EXPECT_EQ(ui_batch_count(), 0);
    // Size k = 0.05 at 13 m: 935 / 13 x 0.05 = 3.6 px, under 7.
    hud_world_label(Vec3{0, 1.7f, -13}, "Loin", 0.05f, WHITE, UI_FONT_BODY);
    EXPECT_EQ(ui_batch_count(), 0);
    // Just above 7 px it is drawn.
    float d = px_per_m(1.0f) * 0.05f / 7.2f;
    hud_world_label(Vec3{0, 1.7f, -d}, "Loin", 0.05f, WHITE, UI_FONT_BODY);
    EXPECT_GT(ui_batch_count(), 0);
}

TEST_F(Hud, WorldLabelSizeIsCappedAndLinesStackAroundThePoint) {
    // Very near, small scale: capped at 30 s; large scale: at 140 s.
    const GlyphRecord& h = font_glyphs[ui_glyph_index(0, 'H')];
    hud_world_label(Vec3{0, 1.7f, -0.5f}, "H", 0.3f, WHITE, UI_FONT_BODY);
    std::vector<Quad> g = quads(UI_GLYPH);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_NEAR(g[0].y1 - g[0].y0, h.height * 30.0f / 48.0f, 1e-3);
    ui_batch_clear();
    hud_world_label(Vec3{0, 1.7f, -0.5f}, "H", 1.0f, WHITE, UI_FONT_BODY);
    EXPECT_NEAR(quads(UI_GLYPH)[0].y1 - quads(UI_GLYPH)[0].y0, h.height * 140.0f / 48.0f, 1e-3);

    // Two lines at 20 px, centred on the projected point (960, 540): the first
    // at y - 2 x 20 x 1.15 / 2, the second 1.15 x 20 lower.
    ui_batch_clear();
    float d = px_per_m(1.0f) * 0.4f / 20.0f;
    hud_world_label(Vec3{0, 1.7f, -d}, "H\nH", 0.4f, WHITE, UI_FONT_BODY);
    g = quads(UI_GLYPH);
    ASSERT_EQ(g.size(), 2u);
    const float s = 20.0f / 48.0f;
    float top0 = g[0].y0 - (20 * 0.9323f + h.y_offset * s);
    float top1 = g[1].y0 - (20 * 0.9323f + h.y_offset * s);
    EXPECT_NEAR(top0, 540 - 23.0f, 0.05);
    EXPECT_NEAR(top1 - top0, 23.0f, 0.05);
    EXPECT_NEAR((g[0].x0 + g[0].x1) * 0.5f, 960 + (h.x_offset + h.width * 0.5f - h.advance * 0.5f) * s, 0.05);
}

TEST_F(Hud, HealthBarsFollowTheirSizeRules) {
    // px x k under 12: nothing.
    float d = px_per_m(1.0f) * 0.5f / 11.0f;
    hud_health_bar(Vec3{0, 1.7f, -d}, 0.5f, 0.5f);
    EXPECT_EQ(ui_batch_count(), 0);
    // Behind the camera: nothing (it would land mirrored).
    hud_health_bar(Vec3{0, 1.7f, 4}, 0.5f, 0.84f);
    EXPECT_EQ(ui_batch_count(), 0);

    d = 10.0f;
    float px = px_per_m(d);
    hud_health_bar(Vec3{0, 1.7f, -d}, 0.25f, 0.84f);
    std::vector<Quad> q = quads();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_NEAR(q[0].x1 - q[0].x0, 0.84f * px, 1e-3);
    EXPECT_NEAR(q[0].y1 - q[0].y0, 0.11f * px, 1e-3);
    EXPECT_NEAR((q[0].x0 + q[0].x1) * 0.5f, 960, 1e-3);
    EXPECT_NEAR(q[1].x0, q[0].x0, 1e-4) << "filled from the left";
    EXPECT_NEAR(q[1].x1 - q[1].x0, 0.25f * 0.84f * px, 1e-3);
    EXPECT_NEAR(q[1].y1 - q[1].y0, 0.07f * px, 1e-3);
    EXPECT_NEAR(q[1].colour.x, 0.85f - 0.45f * 0.25f, 1e-6);
    EXPECT_NEAR(q[1].colour.y, 0.25f + 0.5f * 0.25f, 1e-6);
    // Fractions outside 0..1 are clamped; very near, px is capped at 190 s.
    ui_batch_clear();
    hud_health_bar(Vec3{0, 1.7f, -0.2f}, 3.0f, 0.84f);
    q = quads();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_NEAR(q[0].x1 - q[0].x0, 0.84f * 190.0f, 1e-3);
    EXPECT_NEAR(q[1].x1 - q[1].x0, 0.84f * 190.0f, 1e-3);
    // A fraction that is not a number draws an empty bar, not a broken quad.
    ui_batch_clear();
    hud_health_bar(Vec3{0, 1.7f, -d}, std::nanf(""), 0.84f);
    q = quads();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[1].x1 - q[1].x0, 0.0f);
}

TEST_F(Hud, ShortButtonsAre170WideAndTheRowIsCentred) {
    for (int height : {1080, 720}) {
        plat_input.client_height = height;
        plat_input.client_width = height * 16 / 9;
        hud_update(0);
        const float s = height / 1080.0f;
        HudButton b[3] = {{"Oui", count_action}, {"Non", nullptr}, {"Peut-être", nullptr}};
        hud_dialog("Question", "Voulez-vous ?", b, 3);
        DialogLayout l = hud_dialog_layout();
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(l.buttons[i].w, 170 * s, 1e-3);
            EXPECT_NEAR(l.buttons[i].h, 42 * s, 1e-3);
        }
        EXPECT_NEAR(l.buttons[1].x - (l.buttons[0].x + l.buttons[0].w), 18 * s, 1e-3);
        float total = 3 * 170 * s + 2 * 18 * s;
        EXPECT_NEAR(l.panel.w, total + 48 * s, 1e-3) << "the buttons are wider than the body";
        EXPECT_NEAR(l.buttons[0].x - l.panel.x, 24 * s, 1e-3);
        EXPECT_NEAR(l.panel.x + l.panel.w * 0.5f, plat_input.client_width * 0.5f, 1e-3);
        EXPECT_NEAR(l.panel.y + l.panel.h * 0.5f, height * 0.5f, 1e-3);
        EXPECT_NEAR(l.buttons[0].y + 42 * s, l.panel.y + l.panel.h - 24 * s, 1e-3);
        float body = ui_text_wrapped_height(500 * s, "Voulez-vous ?", 18 * s, 0, 1.35f);
        EXPECT_NEAR(l.panel.h, 48 * s + 26 * s * 1.3f + 14 * s + body + 14 * s + 42 * s, 1e-3);
        hud_dialog_close();
    }
    // A long label widens its button; one button leaves the panel at its minimum.
    plat_input.client_width = 1920;
    plat_input.client_height = 1080;
    hud_update(0);
    HudButton wide[1] = {{"Changer de personnage tout de suite", nullptr}};
    hud_dialog("T", "", wide, 1);
    DialogLayout l = hud_dialog_layout();
    EXPECT_NEAR(l.buttons[0].w, ui_text_width(wide[0].label, 18, 0) + 36, 1e-3);
    EXPECT_NEAR(l.panel.w, 548, 1e-3);
}

TEST_F(Hud, ClickingADialogButtonWhilePausedClosesAndActsInTheSameFrame) {
    game_flags.paused = 1;
    HudButton b[2] = {{"Reprendre", nullptr}, {"Agir", count_action}};
    hud_dialog("Tervanne", "Pause", b, 2);
    EXPECT_FALSE(plat_input.cursor_captured);
    DialogLayout l = hud_dialog_layout();
    // A click beside the buttons does nothing.
    click(l.panel.x + 2, l.panel.y + 2);
    hud_dialog_input();
    EXPECT_TRUE(hud_dialog_state().open);
    EXPECT_EQ(game_flags.paused, 1);

    click(l.buttons[1].x + 5, l.buttons[1].y + 5);
    DialogTook took = hud_dialog_input();
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_EQ(game_flags.paused, 0);
    EXPECT_EQ(action_runs, 1);
    EXPECT_TRUE(plat_input.cursor_captured);
    EXPECT_TRUE(took.click) << "the click is taken";
    EXPECT_FALSE(took.escape);
    // Nothing more happens on the next frame.
    hud_dialog_input();
    EXPECT_EQ(action_runs, 1);
}

TEST_F(Hud, EscapeWhilePausedClosesTheDialogUnlessOptionsAreOpen) {
    pause_dialog_open();
    plat_input.key_pressed[KEY_ESCAPE] = 1;
    game_flags.windows.options = 1;
    EXPECT_FALSE(hud_dialog_input().escape);
    EXPECT_TRUE(hud_dialog_state().open) << "the options screen handles its own keys";
    game_flags.windows.options = 0;
    EXPECT_TRUE(hud_dialog_input().escape) << "taken";
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_EQ(game_flags.paused, 0);
    // Outside the pause Escape is left to the player's key handling.
    HudButton ok[1] = {{"D'accord", nullptr}};
    hud_dialog("Message", "Texte", ok, 1);
    plat_input.key_pressed[KEY_ESCAPE] = 1;
    EXPECT_FALSE(hud_dialog_input().escape);
    EXPECT_TRUE(hud_dialog_state().open);
}

TEST_F(Hud, PauseDialogOffersFourButtonsInOrder) {
    pause_dialog_open();
    const Dialog& d = hud_dialog_state();
    EXPECT_EQ(game_flags.paused, 1);
    EXPECT_TRUE(d.open);
    EXPECT_STREQ(d.title, "Tervanne");
    EXPECT_STREQ(d.body, "Le jeu est en pause.\nVotre personnage et vos quêtes sont sauvegardés en quittant le jeu.");
    ASSERT_EQ(d.button_count, 4);
    EXPECT_STREQ(d.buttons[0].label, "Reprendre");
    EXPECT_STREQ(d.buttons[1].label, "Changer de personnage");
    EXPECT_STREQ(d.buttons[2].label, "Options");
    EXPECT_STREQ(d.buttons[3].label, "Quitter le jeu");
    EXPECT_FALSE(plat_input.cursor_captured);
    // "Quitter le jeu" asks the main loop to stop.
    DialogLayout l = hud_dialog_layout();
    click(l.buttons[3].x + 3, l.buttons[3].y + 3);
    hud_dialog_input();
    EXPECT_EQ(plat_input.quit_requested, 1);
    EXPECT_EQ(game_flags.paused, 0);
    // "Options" opens the options screen, paused again.
    plat_input.quit_requested = 0;
    pause_dialog_open();
    l = hud_dialog_layout();
    click(l.buttons[2].x + 3, l.buttons[2].y + 3);
    hud_dialog_input();
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_EQ(game_flags.windows.options, 1);
    EXPECT_EQ(game_flags.paused, 1);
}

TEST_F(Hud, DialogKeepsAtMostFourButtonsAndCopiesItsTexts) {
    char label[16] = "Premier";
    HudButton b[6] = {{label, nullptr}, {"2", nullptr}, {"3", nullptr}, {"4", nullptr}, {"5", nullptr}, {"6", nullptr}};
    hud_dialog("T", "B", b, 6);
    std::strcpy(label, "Changé");
    EXPECT_EQ(hud_dialog_state().button_count, 4);
    EXPECT_STREQ(hud_dialog_state().buttons[0].label, "Premier");
    hud_dialog("T", "B", nullptr, 3);
    EXPECT_EQ(hud_dialog_state().button_count, 0);
}

TEST_F(Hud, TrackerSlotsOutsideTheTableAreIgnored) {
    const char* lines[6] = {"a", "b", "c", "d", "e", "f"};
    hud_tracker_set(-1, "x", lines, 1, false);
    hud_tracker_set(11, "x", lines, 1, false);
    EXPECT_EQ(hud_tracker_get(11), nullptr);
    EXPECT_EQ(hud_tracker_get(-1), nullptr);
    hud_tracker_set(10, "Le loup gris", lines, 6, true);
    const QuestTrackerEntry* e = hud_tracker_get(10);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->shown);
    EXPECT_TRUE(e->completed);
    EXPECT_EQ(e->line_count, 4);
    EXPECT_STREQ(e->lines[3], "d");
    hud_tracker_set_giver(10, "Sire Keu", 42, Vec3{1, 2, 3});
    EXPECT_STREQ(e->giver_name, "Sire Keu");
    EXPECT_EQ(e->giver_ref, 42u);
    hud_tracker_clear(10);
    EXPECT_FALSE(e->shown);
}

TEST_F(Hud, FormattingRingKeepsEightResultsAlive) {
    const char* r[9];
    for (int i = 0; i < 9; ++i) r[i] = hud_fmt("texte %d", i);
    for (int i = 1; i < 9; ++i) EXPECT_EQ(std::string(r[i]), "texte " + std::to_string(i));
    EXPECT_EQ(r[0], r[8]) << "the ninth reuses the first buffer";
    std::string big(600, 'z');
    EXPECT_EQ(std::strlen(hud_fmt("%s", big.c_str())), 511u);
    // A letter the cut would split is left out whole.
    std::string accents(509, 'z');
    accents += "é…";
    EXPECT_EQ(std::string(hud_fmt("%s", accents.c_str())), std::string(509, 'z') + "é");
    accents = std::string(508, 'z') + "…";
    EXPECT_EQ(std::string(hud_fmt("%s", accents.c_str())), std::string(508, 'z') + "…") << "fits exactly";
    EXPECT_STREQ(hud_fmt("%d joueur%s", 2, "s"), "2 joueurs");
}

TEST_F(Hud, CharacterScreensReplaceTheWholeInterface) {
    hud_message("Bonjour", 5);
    hud_fade(2);
    game_flags.character_select_open = 1;
    character_select_draw();
    int screen_alone = ui_batch_count();
    ui_batch_clear();
    hud_draw();
    EXPECT_EQ(ui_batch_count(), screen_alone) << "nothing of the play interface under the list";
    ui_batch_clear();
    game_flags.character_select_open = 0;
    hud_draw();
    EXPECT_GT(ui_batch_count(), 0);
}

TEST_F(Hud, PromptHidesWhileADialogIsOpenAndPauseShadesTheScreen) {
    hud_prompt(true, "E : parler");
    EXPECT_TRUE(hud_prompt_shown());
    auto prompt_drawn = [&]() {
        ui_batch_clear();
        hud_draw();
        for (const Quad& q : quads(UI_GLYPH))
            if (q.y0 > 1080 - 267 && q.y0 < 1080 - 267 + 40) return true;
        return false;
    };
    EXPECT_TRUE(prompt_drawn());
    HudButton ok[1] = {{"OK", nullptr}};
    hud_dialog("T", "B", ok, 1);
    EXPECT_FALSE(prompt_drawn());
    hud_dialog_close();
    hud_prompt(false, nullptr);
    EXPECT_STREQ(hud_prompt_text(), "E : parler");
    EXPECT_FALSE(prompt_drawn());

    game_flags.paused = 1;
    ui_batch_clear();
    hud_draw();
    bool shade = false;
    for (const Quad& q : quads(UI_FLAT))
        if (q.x1 == 1920 && q.y1 == 1080 && std::fabs(q.colour.w - 0.45f) < 1e-6f) shade = true;
    EXPECT_TRUE(shade);
}

TEST_F(Hud, ImagesDrawNothingBeforeTheyExist) {
    // This program never loads GL: no portrait has been rendered and no map uploaded.
    const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    ui_map(0, 0, 10, 10, uv);
    ui_portrait(0, 0, 10, 10);
    EXPECT_EQ(ui_batch_count(), 0);
    // A flush without GL still empties the batch.
    ui_rect(0, 0, 1, 1, WHITE);
    ui_flush();
    EXPECT_EQ(ui_batch_count(), 0);
}

namespace {

bool same_colour(Vec4 a, Vec4 b) {
    return std::fabs(a.x - b.x) < 1e-5f && std::fabs(a.y - b.y) < 1e-5f && std::fabs(a.z - b.z) < 1e-5f &&
           std::fabs(a.w - b.w) < 1e-5f;
}

// Index of the first flat quad of that colour in the batch, or -1.
int first_quad(Vec4 colour) {
    std::vector<Quad> q = quads(UI_FLAT);
    for (size_t i = 0; i < q.size(); ++i)
        if (same_colour(q[i].colour, colour)) return (int)i;
    return -1;
}

}  // namespace

TEST_F(Hud, LayersAreDrawnInTheirFixedOrder) {
    game_flags.title_overlay = 1;
    hud_hit_flash();
    const char* line[1] = {"Tuer 3 loups"};
    hud_tracker_set(0, "Le loup gris", line, 1, false);
    hud_message("Bienvenue", 2.0f);
    pause_dialog_open();
    hud_fade(1.0f);
    hud_update(0.0f);
    hud_draw();
    const std::vector<Quad> q = quads();
    auto find = [&](Vec4 colour, float x0, float y0, float x1) {
        for (size_t i = 0; i < q.size(); ++i)
            if (same_colour(q[i].colour, colour) && (x0 < 0 || std::fabs(q[i].x0 - x0) < 0.5f) &&
                (y0 < 0 || std::fabs(q[i].y0 - y0) < 0.5f) && (x1 < 0 || std::fabs(q[i].x1 - x1) < 0.5f))
                return (int)i;
        return -1;
    };
    int message = -1;
    for (size_t i = 0; i < q.size() && message < 0; ++i)
        if (q[i].mode == UI_GLYPH && same_colour(q[i].colour, HUD_GOLD) && q[i].y0 > 200 && q[i].y0 < 250)
            message = (int)i;
    const int order[] = {
        find(Vec4{0.6f, 0, 0, 0.45f}, 0, 0, 1920),               // hit flash
        find(HUD_PANEL_FILL, 14, 14, -1),                        // banner
        find(HUD_PANEL_FILL, -1, 288, 1920 - 14),                // statistics
        find(Vec4{0.05f, 0.05f, 0.04f, 0.9f}, -1, -1, -1),       // player bars
        find(HUD_PANEL_FILL, 1920 - 314, -1, 1920 - 14),         // quest tracker
        find(Vec4{0.06f, 0.09f, 0.07f, 0.6f}, 0, 0, 1920),       // title overlay
        message,                                                 // message, over the windows
        find(Vec4{0.02f, 0.03f, 0.02f, 0.45f}, 0, 0, 1920),      // pause shade
        find(Vec4{0.07f, 0.1f, 0.08f, 0.94f}, -1, -1, -1),       // dialog
        (int)q.size() - 1,                                       // fade
    };
    for (size_t i = 0; i < sizeof order / sizeof order[0]; ++i) {
        EXPECT_GE(order[i], 0) << "layer " << i << " missing";
        if (i > 0) {
            EXPECT_GT(order[i], order[i - 1]) << "layer " << i << " drawn too early";
        }
    }
    EXPECT_TRUE(same_colour(q.back().colour, Vec4{0, 0, 0, 1})) << "the fade covers everything";
}

TEST_F(Hud, PlayerBarsShowClassResourceAndSitUnderTheActionBar) {
    const Vec4 back = {0.05f, 0.05f, 0.04f, 0.9f};
    const Vec4 low = {0.9f, 0.15f, 0.08f, 1}, healthy = {0.72f, 0.2f, 0.15f, 1};
    const Vec4 rage = {0.85f, 0.28f, 0.1f, 1}, mana = {0.25f, 0.5f, 0.95f, 1};
    for (int height : {1080, 720}) {
        plat_input.client_height = height;
        plat_input.client_width = height * 16 / 9;
        hud_update(0);
        const float s = height / 1080.0f, W = (float)plat_input.client_width;
        // Warrior at exactly 30 %: the low-health colour; rage 35 of 100.
        hud_player = HudPlayerView{1, 0, 0, 0, 0, 4, 36.0f, 120.0f, 0, 0, 35.0f, 340, 900, {0, 0, 0}};
        ui_batch_clear();
        hud_draw();
        ASSERT_GE(first_quad(low), 0);
        EXPECT_EQ(first_quad(healthy), -1);
        ASSERT_GE(first_quad(rage), 0);
        const Quad r = quads(UI_FLAT)[first_quad(rage)];
        EXPECT_NEAR(r.x1 - r.x0, 0.35f * 380 * s, 1e-3);
        EXPECT_NEAR(r.y1 - r.y0, 10 * s, 1e-3);
        // Everything of the bars stays in the 380 s column and under the
        // action bar's panel (52 s slots 186 s up, 8 s round them).
        for (const Quad& q : quads()) {
            if (!same_colour(q.colour, back) && !same_colour(q.colour, low) && !same_colour(q.colour, rage)) continue;
            EXPECT_GE(q.y0, height - 126 * s - 1e-3);
            EXPECT_LE(q.y1, (float)height);
            EXPECT_GE(q.x0, W / 2 - 190 * s - 1e-3);
            EXPECT_LE(q.x1, W / 2 + 190 * s + 1e-3);
        }
        std::string text = drawn_text(HUD_PARCHMENT);
        EXPECT_NE(text.find("Pointsdevie36/120"), std::string::npos) << text;
        EXPECT_NE(text.find("Rage35"), std::string::npos);
    }
    // Above 30 % the usual colour; health is shown rounded up; a druid's mana.
    hud_player = HudPlayerView{2, 0, 0, 0, 0, 4, 36.2f, 120.0f, 40.0f, 100.0f, 0, 340, 900, {0, 0, 0}};
    ui_batch_clear();
    hud_draw();
    EXPECT_GE(first_quad(healthy), 0);
    EXPECT_EQ(first_quad(rage), -1);
    ASSERT_GE(first_quad(mana), 0);
    const Quad m = quads(UI_FLAT)[first_quad(mana)];
    EXPECT_NEAR(m.x1 - m.x0, 0.4f * 380 * (720 / 1080.0f), 1e-3);
    EXPECT_NE(drawn_text(HUD_PARCHMENT).find("Pointsdevie37/120"), std::string::npos);
    EXPECT_NE(drawn_text(HUD_PARCHMENT).find("Mana40/100"), std::string::npos);
    // An archer has no resource bar; at the last level the need is at least 1.
    hud_player = HudPlayerView{0, 0, 0, 0, 0, 20, 500, 500, 0, 0, 0, 40000, 0, {0, 0, 0}};
    ui_batch_clear();
    hud_draw();
    EXPECT_EQ(first_quad(mana), -1);
    EXPECT_EQ(first_quad(rage), -1);
    ASSERT_GE(first_quad(HUD_GOLD), 0);
    const Quad xp = quads(UI_FLAT)[first_quad(HUD_GOLD)];
    EXPECT_NEAR(xp.x1 - xp.x0, 380 * (720 / 1080.0f), 1e-3) << "full, not divided by zero";
}

TEST_F(Hud, QuestTrackerCentresShortColumnsAndCutsTallOnesToFirstLines) {
    const float W = 1920;
    const Vec4 done = {0.6f, 0.85f, 0.5f, 1};
    auto panels = [&]() {
        std::vector<Quad> out;
        for (const Quad& q : quads())
            if (same_colour(q.colour, HUD_PANEL_FILL) && std::fabs(q.x0 - (W - 314)) < 0.5f) out.push_back(q);
        return out;
    };
    // Top of the column: the line of the header's "Q" (12 px, body font).
    auto column_top = [&]() {
        const GlyphRecord& g = font_glyphs[ui_glyph_index(0, 'Q')];
        for (const Quad& q : quads(UI_GLYPH))
            if (same_colour(q.colour, HUD_GOLD) && std::fabs(q.x0 - (W - 314 + g.x_offset * 12 / 48.0f)) < 1e-3f)
                return q.y0 - 12 * ui_baseline_factor(0) - g.y_offset * 12 / 48.0f;
        return -1.0f;
    };
    // One short entry: "QUÊTE", completed lines in green, the column centred.
    const char* one[1] = {"Retourner voir Merlin"};
    hud_tracker_set(4, "L'épée dans le roc", one, 1, true);
    hud_draw();
    EXPECT_NE(drawn_text(HUD_GOLD).find("QUÊTE"), std::string::npos);
    EXPECT_EQ(drawn_text(HUD_GOLD).find("QUÊTES"), std::string::npos);
    EXPECT_EQ(drawn_text(done), "RetournervoirMerlin");
    std::vector<Quad> p = panels();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NEAR(p[0].x1, W - 14, 1e-3);
    float top = column_top();
    EXPECT_GT(top, 430.0f);
    EXPECT_NEAR(top, 1080 - p[0].y1, 1e-2) << "centred";

    // Six entries of four lines are taller than 1080 - 630: one line each,
    // the column from 430 down, panels 8 apart.
    const char* four[4] = {"Première ligne", "Deuxième ligne", "Troisième ligne", "Quatrième ligne"};
    for (int slot = 0; slot < 6; ++slot) hud_tracker_set(slot, "Quête", four, 4, false);
    ui_batch_clear();
    hud_draw();
    EXPECT_NE(drawn_text(HUD_GOLD).find("QUÊTES"), std::string::npos);
    std::string lines = drawn_text(HUD_PARCHMENT);
    EXPECT_NE(lines.find("Premièreligne"), std::string::npos);
    EXPECT_EQ(lines.find("Deuxièmeligne"), std::string::npos) << "only first lines when the column is tall";
    p = panels();
    ASSERT_EQ(p.size(), 6u);
    for (size_t i = 1; i < p.size(); ++i) EXPECT_NEAR(p[i].y0 - p[i - 1].y1, 8, 1e-3);
    EXPECT_NEAR(column_top(), 430, 1e-3);
    // Two short entries fit with all their lines.
    hud_reset();
    game_flags.title_overlay = 0;
    hud_tracker_set(0, "Quête", four, 4, false);
    hud_tracker_set(1, "Quête", four, 2, false);
    ui_batch_clear();
    hud_draw();
    EXPECT_NE(drawn_text(HUD_PARCHMENT).find("Quatrièmeligne"), std::string::npos);
}

TEST_F(Hud, OnlineLineAndCatacombEntranceLabel) {
    const Vec4 online = {0.45f, 0.75f, 1, 1}, trouble = {1, 0.7f, 0.4f, 1};
    hud_net.active = 1;
    hud_net.connected = 1;
    hud_net.players = 1;
    std::snprintf(hud_net.server, sizeof hud_net.server, "En ligne sur 127.0.0.1");
    hud_draw();
    EXPECT_EQ(drawn_text(online), "Enlignesur127.0.0.1·1joueur");
    hud_net.players = 2;
    ui_batch_clear();
    hud_draw();
    EXPECT_EQ(drawn_text(online), "Enlignesur127.0.0.1·2joueurs");
    // A long status line is shown whole.
    hud_net.connected = 0;
    std::snprintf(hud_net.server, sizeof hud_net.server, "Le serveur %s ne répond pas.",
                  "serveur-de-la-table-ronde.camelot.example.org:27950");
    ui_batch_clear();
    hud_draw();
    EXPECT_EQ(drawn_text(trouble), "Leserveurserveur-de-la-table-ronde.camelot.example.org:27950nerépondpas.");
    EXPECT_EQ(drawn_text(online), "");
    hud_net = HudNetView{};

    // The catacomb entrance is named within 22 m of (48, 328), above ground.
    const Vec4 label = {0.95f, 0.75f, 0.45f, 1};
    render_camera = RenderCamera{{52.3f, 8, 334}, {52.3f, 6, 324}, 60.0f};
    hud_player.position = Vec3{48 + 21.5f, 0, 328};
    ui_batch_clear();
    hud_draw();
    EXPECT_EQ(drawn_text(label), "CatacombesduValsansRetourNiveau10etplus");
    hud_player.position = Vec3{48, 0, 328 + 22.5f};
    ui_batch_clear();
    hud_draw();
    EXPECT_EQ(drawn_text(label), "");
    hud_player.position = Vec3{48, 0, 328};
    game_flags.underground = 1;
    ui_batch_clear();
    hud_draw();
    EXPECT_EQ(drawn_text(label), "");
}

// The title overlay speaks of the character who is about to play, not always
// of an archer, and not always of a man.
TEST_F(Hud, TitleOverlayNamesTheCharactersClassAndSex) {
    const char* const opening[3][2] = {
        {"Un archer de la Table ronde s'entraîne à l'orée de la forêt.",
         "Une archère de la Table ronde s'entraîne à l'orée de la forêt."},
        {"Un guerrier de la Table ronde s'entraîne à l'orée de la forêt.",
         "Une guerrière de la Table ronde s'entraîne à l'orée de la forêt."},
        {"Un druide de la Table ronde s'entraîne à l'orée de la forêt.",
         "Une druidesse de la Table ronde s'entraîne à l'orée de la forêt."}};
    const int saved_class = hud_player.player_class, saved_woman = player_look.woman;
    for (int cls = 0; cls < 3; ++cls) {
        for (int woman = 0; woman < 2; ++woman) {
            hud_player.player_class = cls;
            player_look.woman = woman;
            game_flags.title_overlay = 1;
            ui_batch_clear();
            hud_draw();
            std::string text = drawn_text(HUD_PARCHMENT);
            EXPECT_NE(text.find(without_spaces(opening[cls][woman])), std::string::npos) << cls << " " << woman;
            EXPECT_NE(text.find(without_spaces("Des cibles l'attendent, et une épée dort dans le roc.")),
                      std::string::npos);
            for (int other = 0; other < 6; ++other) {
                if (other != cls * 2 + woman) {
                    EXPECT_EQ(text.find(without_spaces(opening[other / 2][other % 2])), std::string::npos);
                }
            }
        }
    }
    hud_player.player_class = saved_class;
    player_look.woman = saved_woman;
}

// The minimap shows where each quest leads: "!" where to go, "?" where to
// hand it in; a place beyond its reach is marked on its edge, toward it.
TEST_F(Hud, MinimapMarksObjectivesAndPointsAtThoseBeyondItsEdge) {
    const float saved_x = player.pos_x, saved_z = player.pos_z;
    player.pos_x = 0;
    player.pos_z = 0;
    hud_update(0.0f);
    const char* line[1] = {"Objectif"};
    hud_tracker_set(4, "Près", line, 1, false);
    hud_tracker_set_giver(4, "Sire Dodinel", 1, Vec3{30, 0, 40});
    hud_tracker_set(6, "Loin", line, 1, true);
    hud_tracker_set_giver(6, "Frère Ogrin", 8, Vec3{-20, 0, 900});
    hud_tracker_set(8, "Sans lieu", line, 1, false);  // nobody gave it a place
    ui_batch_clear();
    minimap_draw();
    // Centres of the gold title-font glyphs of one mark.
    auto marks = [](int32_t cp) {
        const GlyphRecord& g = font_glyphs[ui_glyph_index(UI_FONT_TITLE, cp)];
        std::vector<Vec3> out;
        for (const Quad& q : quads(UI_GLYPH)) {
            if (!drawn_same_colour(q.colour, HUD_GOLD)) continue;
            float w = g.width * (15.0f / FONT_DESIGN_SIZE), h = g.height * (15.0f / FONT_DESIGN_SIZE);
            if (std::fabs((q.x1 - q.x0) - w) < 0.01f && std::fabs((q.y1 - q.y0) - h) < 0.01f)
                out.push_back(Vec3{(q.x0 + q.x1) * 0.5f, (q.y0 + q.y1) * 0.5f, 0});
        }
        return out;
    };
    std::vector<Vec3> go = marks('!'), back = marks('?');
    ASSERT_EQ(go.size(), 1u) << "the entry without a place has no mark";
    ASSERT_EQ(back.size(), 1u);
    float sx, sy;
    ASSERT_TRUE(minimap_project(0, 0, 30, 40, false, &sx, &sy));
    EXPECT_NEAR(go[0].x, sx, 3.0f);
    EXPECT_NEAR(go[0].y, sy, 8.0f);
    // Far to the north: near the top edge, on the line toward it, just
    // below the north letter.
    UiRect r = minimap_rect();
    EXPECT_GT(back[0].y, r.y + 20.0f * hud_scale);
    EXPECT_LT(back[0].y, r.y + 0.25f * r.h);
    EXPECT_NEAR(back[0].x, r.x + r.w * 0.5f, 4.0f);
    player.pos_x = saved_x;
    player.pos_z = saved_z;
}

namespace {

// The world point that this fixture's camera shows at (sx, sy), d metres ahead.
Vec3 point_on_screen(float sx, float sy, float d) {
    const float ppm = 1080.0f / (2.0f * std::tan(30.0f * 3.14159265f / 180.0f)) / d;
    return Vec3{(sx - 960.0f) / ppm, 1.7f - (sy - 540.0f) / ppm, -d};
}

const UiRecordedText* recorded(const char* text) {
    for (int i = 0; i < ui_recorded_text_count(); ++i)
        if (!std::strcmp(ui_recorded_texts()[i].text, text)) return &ui_recorded_texts()[i];
    return nullptr;
}

bool inks_meet(const UiRecordedText& a, const UiRecordedText& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

}  // namespace

// Names landing under the counters panel, the action bar or the centred
// message are not drawn; two floating texts born at one point over a name
// stack above it, the older on top; the message is drawn over the windows.
TEST_F(Hud, LabelsGiveWayToPanelsFloatingTextsStackAndTheMessageTopsTheWindows) {
    ui_record_begin();
    hud_message("Sanglier abattu !", 2.0f);
    hud_update(0.0f);
    const Vec4 grey = {0.7f, 0.7f, 0.7f, 1.0f};
    hud_world_label(point_on_screen(1850, 345, 10), "Sous les compteurs", 0.2f, grey, UI_FONT_BODY);
    hud_world_label(point_on_screen(960, 920, 10), "Sous la barre", 0.2f, grey, UI_FONT_BODY);
    hud_world_label(point_on_screen(960, 228, 10), "Sous le message", 0.2f, grey, UI_FONT_BODY);
    hud_world_label(point_on_screen(500, 500, 10), "Au grand jour", 0.2f, grey, UI_FONT_BODY);
    const Vec3 p = point_on_screen(700, 700, 10);
    hud_world_label(p, "Garde Renaud", 0.2f, grey, UI_FONT_BODY);
    hud_float_text(p, "+63 XP", Vec4{0.78f, 0.62f, 1, 1}, 1.4f, 0.8f, 0.3f);
    hud_update(0.1f);
    hud_float_text(p, "Cuir de sanglier", WHITE, 2.6f, 1.0f, 0.34f);
    hud_draw();
    ui_record_end();

    EXPECT_NE(recorded("Au grand jour"), nullptr);
    EXPECT_EQ(recorded("Sous les compteurs"), nullptr);
    EXPECT_EQ(recorded("Sous la barre"), nullptr);
    EXPECT_EQ(recorded("Sous le message"), nullptr);
    EXPECT_EQ(drawn_text(grey).find("Souslabarre"), std::string::npos) << "its quads are gone from the batch";

    const UiRecordedText *name = recorded("Garde Renaud"), *xp = recorded("+63 XP"),
                         *item = recorded("Cuir de sanglier"), *message = recorded("Sanglier abattu !");
    ASSERT_TRUE(name && xp && item && message);
    EXPECT_FALSE(inks_meet(*xp, *name));
    EXPECT_FALSE(inks_meet(*item, *name));
    EXPECT_FALSE(inks_meet(*xp, *item));
    EXPECT_LE(item->y1, name->y0) << "stacked above the name";
    EXPECT_LE(xp->y1, item->y0) << "the older above the newer";

    ui_batch_clear();
    ui_record_begin();
    game_flags.windows.journal = 1;
    hud_draw();
    ui_record_end();
    message = recorded("Sanglier abattu !");
    ASSERT_NE(message, nullptr);
    for (int b = 0; b < ui_recorded_box_count(); ++b) {
        const UiRecordedBox& box = ui_recorded_boxes()[b];
        if ((box.flags & UI_BOX_LAYER) && !(box.flags & UI_BOX_FREE)) {
            EXPECT_GT(message->order, box.order) << "the message under the window at " << box.x << ", " << box.y;
        }
    }
}

// At 150 % a bar is half as large again, frame and fill, but shows from the
// same distance as at 100 %; a full bar fills its frame whatever its length.
TEST_F(Hud, HealthBarsGrowWithTheTextSizeFromTheSameDistance) {
    auto bar = [](float d, float k) {
        ui_batch_clear();
        hud_health_bar(Vec3{0, 1.7f, -d}, 1.0f, k);
        return quads();
    };
    hud_update(0);
    const std::vector<Quad> plain = bar(10.0f, 0.8f), boss = bar(10.0f, 1.1f);
    ASSERT_EQ(plain.size(), 2u);
    ASSERT_EQ(boss.size(), 2u);
    for (const std::vector<Quad>& q : {plain, boss}) {
        EXPECT_NEAR(q[1].x0, q[0].x0, 1e-3);
        EXPECT_NEAR(q[1].x1, q[0].x1, 1e-3) << "a full bar ends where its frame does";
    }
    hud_text_size = 150;
    hud_update(0);
    ASSERT_FLOAT_EQ(hud_scale, 1.5f);
    const std::vector<Quad> large = bar(10.0f, 0.8f);
    ASSERT_EQ(large.size(), 2u);
    EXPECT_NEAR(large[0].x1 - large[0].x0, 1.5f * (plain[0].x1 - plain[0].x0), 1e-3);
    EXPECT_NEAR(large[0].y1 - large[0].y0, 1.5f * (plain[0].y1 - plain[0].y0), 1e-3);
    EXPECT_NEAR(large[1].y1 - large[1].y0, 1.5f * (plain[1].y1 - plain[1].y0), 1e-3);
    EXPECT_NEAR((large[0].x0 + large[0].x1) * 0.5f, 960, 1e-3);
    // Just too far at 100 %: still not drawn; very near: capped at 190 s.
    EXPECT_TRUE(bar(px_per_m(1.0f) * 0.8f / 11.9f, 0.8f).empty());
    const std::vector<Quad> near = bar(0.2f, 0.8f);
    ASSERT_EQ(near.size(), 2u);
    EXPECT_NEAR(near[0].x1 - near[0].x0, 0.8f * 190.0f * 1.5f, 1e-3);
    hud_text_size = HUD_TEXT_SIZE_DEFAULT;
}

// A floating item name coloured by its quality: with a correction its pips
// stand right of it, fade with it, and stack with it (a name beside the
// pips, clear of the text itself, pushes it up); without one it is drawn as
// a plain floating text.
TEST_F(Hud, FloatingTextCarriesItsQualityPipsWithACorrection) {
    const Vec4 purple = {0.64f, 0.21f, 0.93f, 1.0f}, grey = {0.7f, 0.7f, 0.7f, 1.0f};
    const char* item_name = "Arc du lac";
    // The name's left end lies over the pips' middle, level with the text.
    const float px = px_per_m(10.0f) * 0.34f, pip = std::round(0.24f * px);
    const float pips_mid = 700.0f + ui_text_width(item_name, px, UI_FONT_BODY) * 0.5f + 0.45f * px +
                           ui_mark_pips_width(pip, 3) * 0.5f;
    const float name_x = pips_mid + ui_text_width("Garde", px_per_m(10.0f) * 0.2f, UI_FONT_BODY) * 0.5f;
    struct Look {
        UiRecordedText item, name;
        std::vector<Quad> pips;
    };
    auto look = [&](float age) {
        hud_reset();
        game_flags.title_overlay = 0;
        ui_batch_clear();
        ui_record_begin();
        hud_world_label(point_on_screen(name_x, 700, 10), "Garde", 0.2f, grey, UI_FONT_BODY);
        hud_float_text_marked(point_on_screen(700, 700, 10), item_name, purple, 2.6f, 0.0f, 0.34f, 3);
        hud_update(age);
        hud_draw();
        ui_record_end();
        Look l = {};
        const UiRecordedText *item = recorded(item_name), *name = recorded("Garde");
        EXPECT_TRUE(item && name);
        if (item) l.item = *item;
        if (name) l.name = *name;
        for (const Quad& q : quads(UI_FLAT))
            if (std::fabs(q.colour.x - purple.x) < 1e-5f && std::fabs(q.colour.z - purple.z) < 1e-5f)
                l.pips.push_back(q);
        return l;
    };
    const Look plain = look(0.0f);
    EXPECT_EQ(hud_floating_texts()[0].pips, 3);
    EXPECT_TRUE(plain.pips.empty());
    EXPECT_GT(plain.item.y1, plain.name.y0) << "the text alone is clear of the name: not raised";

    view_settings.colour_vision = VISION_TRITANOPIA;
    const Look marked = look(0.0f);
    ASSERT_EQ(marked.pips.size(), 3u);
    const float mid_y = 0.5f * (marked.item.y0 + marked.item.y1);
    for (const Quad& q : marked.pips) {
        EXPECT_GT(q.x0, marked.item.x1) << "right of the text";
        EXPECT_NEAR(0.5f * (q.y0 + q.y1), mid_y, 0.2f * px) << "level with it";
        EXPECT_FLOAT_EQ(q.colour.w, 1.0f);
        EXPECT_LE(q.y1, marked.name.y0) << "raised clear of the name with its pips";
    }
    // Near the end of its life the pips fade as the text does.
    const Look late = look(2.3f);
    ASSERT_EQ(late.pips.size(), 3u);
    EXPECT_NEAR(late.pips[0].colour.w, 2.5f * (1.0f - 2.3f / 2.6f), 1e-4);
    view_settings.colour_vision = VISION_NORMAL;
}
