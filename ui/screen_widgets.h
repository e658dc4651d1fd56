#pragma once
// Small immediate-mode pieces shared by the screens and windows: boxes,
// buttons that answer a left click, text fields fed by typed text, the
// windows' close box.
#include <cmath>
#include <cstring>

#include "platform/platform.h"
#include "render/hud.h"
#include "render/ui.h"
#include "render/ui_focus.h"

constexpr int KEY_BACKSPACE = 14;
constexpr int KEY_ENTER = 28;
constexpr int KEY_KEYPAD_ENTER = 28 | 0x80;

inline bool widget_hover(UiRect b) { return b.contains((float)plat_input.mouse_x, (float)plat_input.mouse_y); }

// A left press on the box this frame (never while the modal dialog is open).
inline bool widget_clicked(UiRect b) {
    ui_focus_add(b.x, b.y, b.w, b.h);
    return plat_input.button_pressed[0] && !hud_dialog_state().open && widget_hover(b);
}

inline bool widget_button(UiRect b, const char* label, bool enabled = true, bool selected = false) {
    const float s = hud_scale;
    bool hover = enabled && widget_hover(b);
    Vec4 fill = selected ? Vec4{0.32f, 0.26f, 0.1f, 0.95f}
                         : (hover ? Vec4{0.2f, 0.24f, 0.16f, 0.95f} : Vec4{0.1f, 0.14f, 0.11f, 0.92f});
    ui_panel(b.x, b.y, b.w, b.h, fill, enabled ? HUD_GOLD : Vec4{0.4f, 0.4f, 0.35f, 0.6f}, 1.5f * s);
    UiBoxScope box(b.x, b.y, b.w, b.h, 0, 1.5f * s);
    float size = b.h * 0.5f;
    Vec4 colour = enabled ? HUD_PARCHMENT : Vec4{0.55f, 0.55f, 0.5f, 0.8f};
    ui_text_centred(b.x + b.w * 0.5f, b.y + (b.h - size * 1.2f) * 0.5f, label, size, colour, UI_FONT_BODY);
    return enabled && widget_clicked(b);
}

inline void widget_panel(UiRect b) { ui_panel(b.x, b.y, b.w, b.h, HUD_PANEL_FILL, HUD_PANEL_BORDER, 2.0f * hud_scale); }

// A window's close box, lit under the pointer (the caller offers it to the
// focus and answers the click); returns whether the pointer is over it.
inline bool widget_close_box(UiRect c, float mx, float my) {
    const float s = hud_scale;
    bool over = c.contains(mx, my);
    ui_panel(c.x, c.y, c.w, c.h, over ? Vec4{0.22f, 0.28f, 0.18f, 1} : Vec4{0.12f, 0.17f, 0.13f, 1},
             Vec4{0.83f, 0.68f, 0.24f, 0.8f}, std::fmax(1.0f, s));
    UiBoxScope close(c.x, c.y, c.w, c.h);
    ui_text_centred(c.x + c.w * 0.5f, c.y + 1 * s, "×", 24 * s, over ? HUD_PARCHMENT : HUD_GOLD, UI_FONT_BODY);
    return over;
}

// Removes the last UTF-8 character of a text.
inline void text_backspace(char* text) {
    int n = (int)std::strlen(text);
    if (n == 0) return;
    --n;
    while (n > 0 && ((unsigned char)text[n] & 0xC0) == 0x80) --n;
    text[n] = 0;
}

// The field with its blinking caret.
inline void widget_field(UiRect b, const char* text, bool caret) {
    const float s = hud_scale;
    if (caret) ui_focus_add(b.x, b.y, b.w, b.h, UI_PLACE_TEXT);
    ui_panel(b.x, b.y, b.w, b.h, Vec4{0.03f, 0.05f, 0.04f, 0.95f}, HUD_PANEL_BORDER, 1.5f * s);
    UiBoxScope box(b.x, b.y, b.w, b.h, 0, 1.5f * s);
    float size = b.h * 0.55f;
    float w = ui_text(b.x + 10 * s, b.y + (b.h - size * 1.2f) * 0.5f, text, size, HUD_PARCHMENT, UI_FONT_BODY);
    if (caret && ((int)(plat_time() * 2.0) & 1) == 0)
        ui_rect(b.x + 12 * s + w, b.y + b.h * 0.2f, 2 * s, b.h * 0.6f, HUD_GOLD);
}

// The HUD's centred message, for screens that replace the HUD: centred on
// cx with its top at y, kept between left and right.
inline void widget_message(float cx, float y, float left, float right) {
    if (hud_message_time() <= 0.0f || !hud_message_text()[0]) return;
    const float s = hud_scale;
    const char* text = hud_message_text();
    float w = ui_text_width(text, 28 * s, UI_FONT_BODY);
    float x = cx - w * 0.5f;
    if (x + w > right) x = right - w;
    if (x < left) x = left;
    ui_text_fitted(x, y, right - x, text, 28 * s, HUD_GOLD, UI_FONT_BODY);
}

// Above the default text size the full windows lay out for 1280 x 720 at
// scale 1, so that the largest text still fits 1080 rows: tighter, their
// long lists scrolling. At the default size and below nothing moves.
inline bool widget_compact() { return hud_text_size > HUD_TEXT_SIZE_DEFAULT; }

// A small chevron pointing up or down, drawn in steps.
inline void widget_chevron(UiRect b, bool up, Vec4 colour) {
    const float step = std::fmin(b.w, b.h * 2.0f) / 12.0f;
    const float top = b.y + b.h * 0.5f - 3 * step;
    for (int i = 0; i < 6; ++i) {
        const float half = (float)(up ? i + 1 : 6 - i) * step;
        ui_rect(b.x + b.w * 0.5f - half, top + (float)i * step, 2 * half, step, colour);
    }
}

// A list showing `shown` of its `count` rows from `first`: the wheel over
// `area` and the two arrows (places for the pad, so every row can be
// reached) move it, kept in range. Draws the arrows only when it scrolls.
inline void widget_list_scroll(int& first, int count, int shown, UiRect area, UiRect up, UiRect down) {
    const int last = count > shown ? count - shown : 0;
    if (last > 0 && !hud_dialog_state().open && plat_input.wheel != 0.0f && widget_hover(area))
        first += plat_input.wheel > 0.0f ? -1 : 1;
    first = first < 0 ? 0 : (first > last ? last : first);
    if (last == 0) return;
    const float s = hud_scale;
    for (int k = 0; k < 2; ++k) {
        const UiRect b = k == 0 ? up : down;
        const bool enabled = k == 0 ? first > 0 : first < last;
        const bool hover = enabled && widget_hover(b);
        ui_panel(b.x, b.y, b.w, b.h, hover ? Vec4{0.2f, 0.24f, 0.16f, 0.95f} : Vec4{0.1f, 0.14f, 0.11f, 0.92f},
                 enabled ? HUD_GOLD : Vec4{0.4f, 0.4f, 0.35f, 0.6f}, 1.5f * s);
        widget_chevron(b, k == 0, enabled ? HUD_PARCHMENT : Vec4{0.55f, 0.55f, 0.5f, 0.8f});
        if (widget_clicked(b) && enabled) first += k == 0 ? -1 : 1;
    }
}
