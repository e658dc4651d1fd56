// The pad's focus frame over the options is drawn at the options' own scale
// (smaller than the interface's where a large text would not fit), so that
// it hugs the focused widget as it does at the default size.
#include "tests/text_boxes/text_boxes_game.h"

#include "common/game_flags.h"
#include "render/ui_focus.h"
#include "ui/options_screen.h"

namespace {

// The frame's thickness over its outer height, around the options' first place.
float focus_frame_ratio(int w, int h, int text_size) {
    hud_text_size = text_size;
    window_size(w, h);
    plat_input.pad.connected = plat_input.pad_used_last = 1;
    options_open();
    // One frame offers the places, the next puts the focus on the first.
    for (int pass = 0; pass < 2; ++pass) {
        ui_batch_clear();
        options_screen();
        if (pass == 0) {
            ui_focus_draw();
            ui_focus_frame(plat_input);
        }
    }
    const int from = ui_batch_count();
    ui_focus_draw();
    float thickness = 0, outer_h = 0;
    const UiVertex* v = ui_batch_vertices();
    for (int i = from; i + 5 < ui_batch_count(); i += 6) {
        const float qw = v[i + 2].x - v[i].x, qh = v[i + 2].y - v[i].y;
        if (qw > qh) thickness = qh;  // top or bottom
        else outer_h = qh;            // a side
    }
    EXPECT_EQ(ui_batch_count() - from, 4 * 6) << "the frame's four sides";
    ui_batch_clear();
    game_flags.windows.options = game_flags.paused = 0;
    return outer_h > 0 ? thickness / outer_h : -1.0f;
}

}  // namespace

TEST(TextBoxes, PadFocusOverTheOptionsFollowsTheirScale) {
    ASSERT_TRUE(text_boxes_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    const int w0 = plat_input.client_width, h0 = plat_input.client_height;
    // Opened from play: no character screen sets the interface's scale.
    const uint8_t creation = game_flags.character_creation_open, list = game_flags.character_select_open;
    game_flags.character_creation_open = game_flags.character_select_open = 0;
    for (const WindowSize& size : {WindowSize{800, 600}, WindowSize{1920, 1080}}) {
        const float plain = focus_frame_ratio(size.w, size.h, HUD_TEXT_SIZE_DEFAULT);
        EXPECT_GT(plain, 0.0f);
        EXPECT_NEAR(focus_frame_ratio(size.w, size.h, HUD_TEXT_SIZE_MAX), plain, 1e-4f) << size.w << "x" << size.h;
    }
    plat_input.pad.connected = plat_input.pad_used_last = 0;
    ui_focus_frame(plat_input);
    game_flags.character_creation_open = creation;
    game_flags.character_select_open = list;
    hud_text_size = HUD_TEXT_SIZE_DEFAULT;
    window_size(w0, h0);
}
