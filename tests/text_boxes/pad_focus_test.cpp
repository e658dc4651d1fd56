// The pad's focus frame over the options: drawn at the scale the options
// are laid out at (smaller than the interface's when a large text would not
// fit), so that it hugs the focused widget as it does at the default size.
#include "tests/text_boxes/text_boxes_game.h"

#include "common/game_flags.h"
#include "render/ui_focus.h"
#include "ui/options_screen.h"

namespace {

struct Frame {
    float thickness, outer_h;
};

// The focus frame around the options' first place, at a window and text size.
Frame options_focus_frame(int w, int h, int text_size) {
    hud_text_size = text_size;
    window_size(w, h);
    plat_input.pad.connected = 1;
    plat_input.pad_used_last = 1;
    options_open();
    // One frame offers the places, the next puts the focus on the first.
    ui_batch_clear();
    options_screen();
    ui_focus_draw();
    ui_focus_frame(plat_input);
    ui_batch_clear();
    options_screen();
    const int from = ui_batch_count();
    ui_focus_draw();
    const UiVertex* v = ui_batch_vertices();
    Frame f = {0, 0};
    int sides = 0;
    for (int i = from; i + 5 < ui_batch_count(); i += 6, ++sides) {
        const float qw = v[i + 2].x - v[i].x, qh = v[i + 2].y - v[i].y;
        if (qw > qh) f.thickness = qh;  // top or bottom
        else f.outer_h = qh;             // a side
    }
    EXPECT_EQ(sides, 4) << w << "x" << h << " text " << text_size;
    ui_batch_clear();
    game_flags.windows.options = 0;
    game_flags.paused = 0;
    return f;
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
        SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h));
        const Frame plain = options_focus_frame(size.w, size.h, HUD_TEXT_SIZE_DEFAULT);
        const Frame large = options_focus_frame(size.w, size.h, HUD_TEXT_SIZE_MAX);
        ASSERT_GT(plain.outer_h, 0.0f);
        ASSERT_GT(large.outer_h, 0.0f);
        EXPECT_NEAR(large.thickness / large.outer_h, plain.thickness / plain.outer_h, 1e-4f);
    }
    plat_input.pad.connected = 0;
    plat_input.pad_used_last = 0;
    ui_focus_frame(plat_input);
    game_flags.character_creation_open = creation;
    game_flags.character_select_open = list;
    hud_text_size = HUD_TEXT_SIZE_DEFAULT;
    window_size(w0, h0);
}
