// The spellbook: the class's eight skills by the level that teaches them,
// to read, to cast with a click, or to drag onto the action bar.
#include <cmath>

#include "play/player_input.h"
#include "platform/platform.h"
#include "play/player.h"
#include "play/skills.h"
#include "ui/action_bar.h"
#include "render/hud.h"
#include "render/icons.h"
#include "render/ui.h"
#include "render/ui_focus.h"
#include "ui/screen_widgets.h"

void spellbook_toggle() {
    bool open = !game_flags.windows.spellbook;
    if (open) {
        // One window at a time.
        game_flags.windows.map = 0;
        game_flags.windows.journal = 0;
        game_flags.windows.professions = 0;
        game_flags.character_sheet_open = 0;
    }
    game_flags.windows.spellbook = open ? 1 : 0;
}

void spellbook_order(int order[SKILLS_PER_CLASS]) {
    for (int i = 0; i < SKILLS_PER_CLASS; ++i) order[i] = i;
    // Insertion sort keeps equal levels in slot order.
    for (int i = 1; i < SKILLS_PER_CLASS; ++i) {
        int v = order[i], j = i - 1;
        while (j >= 0 && skill_of(order[j]).level > skill_of(v).level) {
            order[j + 1] = order[j];
            --j;
        }
        order[j + 1] = v;
    }
}

namespace {

// With a large text the book shows one row of four skills at a time, above
// the action bar (so a skill can still be dragged there), and the wheel or
// the arrows beside the hint turn to the other row: it fits 720 rows.
constexpr float BOOK_H = 690, CELL_TOP = 110, CELL_GAP = 16, BAR_CLEARANCE = 194;
constexpr float CELL_H = (BOOK_H - 134 - CELL_GAP) / 2, COMPACT_H = CELL_TOP + CELL_H + 24;
constexpr int ROWS = SKILLS_PER_CLASS / 4;
int first_row = 0;

}  // namespace

UiRect spellbook_box() {
    float s = hud_scale;
    // Wide enough for the longest skill names beside their icons; still
    // whole on a 4:3 screen.
    float w = 1280 * s, h = BOOK_H * s;
    const float x = ((float)plat_input.client_width - w) * 0.5f, ch = (float)plat_input.client_height;
    if (widget_compact()) {
        h = COMPACT_H * s;
        return {x, std::fmax(0.0f, std::fmin((ch - h) * 0.5f, ch - BAR_CLEARANCE * s - h)), w, h};
    }
    return {x, (ch - h) * 0.5f - 60 * s, w, h};
}

UiRect spellbook_close_box() {
    float s = hud_scale;
    UiRect b = spellbook_box();
    return {b.x + b.w - 28 * s - 10 * s, b.y + 10 * s, 28 * s, 28 * s};
}

UiRect spellbook_arrow_box(bool up) {
    float s = hud_scale;
    UiRect b = spellbook_box();
    return {b.x + b.w - 24 * s - (up ? 2 * 40 + 8 : 40) * s, b.y + 60 * s, 40 * s, 34 * s};
}

UiRect spellbook_cell_box(int i) {
    float s = hud_scale;
    UiRect b = spellbook_box();
    int col = i % 4, row = i / 4;
    if (widget_compact()) {
        // Rows turned away have no box: nothing to point at or drag.
        const int first = first_row < 0 ? 0 : (first_row > ROWS - 1 ? ROWS - 1 : first_row);
        if (row != first) return {0, 0, 0, 0};
        row = 0;
    }
    float gap = CELL_GAP * s, left = b.x + 24 * s, top = b.y + CELL_TOP * s;
    float w = (b.w - 48 * s - 3 * gap) / 4.0f, h = widget_compact() ? CELL_H * s : (b.h - 134 * s - gap) / 2.0f;
    return {left + (float)col * (w + gap), top + (float)row * (h + gap), w, h};
}

void spellbook_draw() {
    float s = hud_scale;
    UiRect b = spellbook_box();
    ui_panel(b.x, b.y, b.w, b.h, Vec4{0.07f, 0.1f, 0.08f, 0.95f}, HUD_GOLD, 2 * s);
    UiBoxScope window(b.x, b.y, b.w, b.h, UI_BOX_LAYER, 2 * s);
    static const char* titles[3] = {"Grimoire de l'archer", "Grimoire du guerrier", "Grimoire du druide"};
    int cls = player.player_class < 0 ? 0 : (player.player_class > 2 ? 2 : player.player_class);
    ui_text(b.x + 24 * s, b.y + 20 * s, titles[cls], 32 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text(b.x + 24 * s, b.y + 66 * s,
            ui_focus_pad_hints()
                ? "A : prendre une compétence, puis A sur une case de la barre d'action  ·  X : la lancer"
                : "Faites glisser une compétence jusqu'à une case de la barre d'action  ·  clic : la lancer",
            16 * s, HUD_PARCHMENT, UI_FONT_BODY);
    UiRect c = spellbook_close_box();
    ui_focus_add(c.x, c.y, c.w, c.h);
    float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    widget_close_box(c, mx, my);
    if (widget_compact())
        widget_list_scroll(first_row, ROWS, 1, b, spellbook_arrow_box(true), spellbook_arrow_box(false));

    int order[SKILLS_PER_CLASS];
    spellbook_order(order);
    const Vec4 dim = {0.73f, 0.69f, 0.58f, 0.6f};
    for (int i = 0; i < SKILLS_PER_CLASS; ++i) {
        const SkillDef& d = skill_of(order[i]);
        bool locked = player.level < d.level;
        UiRect k = spellbook_cell_box(i);
        if (k.w <= 0) continue;
        ui_focus_add(k.x, k.y, k.w, k.h, UI_PLACE_CARRY);
        bool over = k.contains(mx, my);
        ui_panel(k.x, k.y, k.w, k.h, over ? Vec4{0.12f, 0.16f, 0.12f, 0.95f} : Vec4{0.09f, 0.12f, 0.1f, 0.9f},
                 Vec4{0.83f, 0.68f, 0.24f, over ? 0.7f : 0.3f}, std::fmax(1.0f, s));
        UiBoxScope cell(k.x, k.y, k.w, k.h, 0, std::fmax(1.0f, s));
        float pad = 14 * s;
        ui_rect(k.x + pad - 2 * s, k.y + pad - 2 * s, 68 * s, 68 * s, Vec4{0.03f, 0.04f, 0.03f, 0.9f});
        icon_draw(d.icon, k.x + pad, k.y + pad, 64 * s, d.tint, locked ? 0.45f : 1.0f);
        float tx = k.x + pad + 64 * s + 12 * s, tw = k.x + k.w - pad - tx;
        Vec4 name = locked ? Vec4{0.83f, 0.68f, 0.24f, 0.55f} : HUD_GOLD;
        ui_text_fitted(tx, k.y + pad, tw, d.name, 19 * s, name, UI_FONT_TITLE);
        // The cost on one line beside the icon, or, when the cell is too
        // narrow, cut after its dot: what it costs, then its recharge.
        const Vec4 cost_colour = locked ? dim : HUD_PARCHMENT;
        float ty = k.y + pad + 27 * s;
        const char* cost;
        if (d.cost > 0)
            cost = hud_fmt("%d de %s  ·  recharge %d s", d.cost, cls == 2 ? "mana" : "rage", (int)d.cooldown);
        else
            cost = hud_fmt("Recharge %d s", (int)d.cooldown);
        if (d.cost > 0 && ui_text_width(cost, 14 * s, UI_FONT_BODY) > tw) {
            ui_text(tx, ty, hud_fmt("%d de %s  ·", d.cost, cls == 2 ? "mana" : "rage"), 14 * s, cost_colour,
                    UI_FONT_BODY);
            ty += 14 * s * 1.2f;
            ui_text(tx, ty, hud_fmt("recharge %d s", (int)d.cooldown), 14 * s, cost_colour, UI_FONT_BODY);
        } else {
            ui_text_fitted(tx, ty, tw, cost, 14 * s, cost_colour, UI_FONT_BODY);
        }
        ty += 20 * s;
        if (locked)
            ui_text(tx, ty, hud_fmt("Appris au niveau %d", d.level), 14 * s, dim, UI_FONT_BODY);
        else
            ui_text(tx, ty, hud_fmt("Niv %d", d.level), 14 * s, Vec4{0.6f, 0.85f, 0.5f, 1}, UI_FONT_BODY);
        float below = std::fmax(k.y + pad + 80 * s, ty + 14 * s * 1.2f + 10 * s);
        if (tw > 40 * s)
            ui_text_wrapped(k.x + pad, below, k.w - 2 * pad, d.description, 14 * s,
                            locked ? dim : Vec4{0.85f, 0.82f, 0.72f, 1}, UI_FONT_BODY, 1.3f);
    }
}
