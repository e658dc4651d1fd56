// The professions window ("Métiers"): the six professions with their levels
// on the left, the recipes of the selected craft on the right; and, over the
// world, the anvil's label and the bar of a running harvest.
#include <cmath>

#include "content/professions.h"
#include "ui/professions_screen.h"
#include "common/game_time.h"
#include "world/terrain.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/items.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/icons.h"
#include "render/ui.h"
#include "play/player_input.h"
#include "render/ui_focus.h"
#include "render/ui_marks.h"
#include "ui/item_windows.h"
#include "ui/screen_widgets.h"

namespace {

constexpr Vec4 DIM = {0.73f, 0.69f, 0.58f, 1.0f};
constexpr Vec4 PANEL = {0.07f, 0.1f, 0.08f, 0.95f};

Vec3 rgb(Vec4 c) { return {c.x, c.y, c.z}; }

// Recipes of a profession in screen order.
int recipes_of(int profession, int out[RECIPE_COUNT]) {
    int n = 0;
    for (int i = 0; i < RECIPE_COUNT; ++i)
        if (recipes[i].profession == profession) out[n++] = i;
    return n;
}

// The materials of a recipe as "name held/needed", kept left of the button:
// on one line when they fit, else over two lines, and smaller still when
// even two lines would not hold them.
void materials_draw(const RecipeDef& rc, UiRect row, float left, float right) {
    const float s = hud_scale;
    const char* text[3];
    Vec4 colour[3];
    int n = 0;
    for (int m = 0; m < 3; ++m) {
        if (!rc.material[m]) continue;
        int held = count_in_bag(rc.material[m]);
        if (held > 99) held = 99;
        colour[n] = held >= rc.material_count[m] ? HUD_PARCHMENT : Vec4{0.9f, 0.45f, 0.4f, 1.0f};
        text[n++] = hud_fmt("%s %d/%d", item_name(rc.material[m]), held, rc.material_count[m]);
    }
    const float room = right - left;
    float size = 15 * s, gap = 18 * s;
    int line[3] = {0, 0, 0}, lines = 1;
    for (int attempt = 0; attempt < 16; ++attempt) {
        gap = size * (18.0f / 15.0f);
        lines = 1;
        float used = 0.0f;
        bool each_fits = true;
        for (int i = 0; i < n; ++i) {
            float w = ui_text_width(text[i], size, UI_FONT_BODY);
            if (used > 0.0f && used + gap + w > room) {
                ++lines;
                used = 0.0f;
            }
            line[i] = lines - 1;
            used += (used > 0.0f ? gap : 0.0f) + w;
            each_fits = each_fits && w <= room;
        }
        if (lines <= 2 && each_fits) break;
        size *= 0.9f;
    }
    float x = left;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && line[i] != line[i - 1]) x = left;
        float y = lines == 1 ? row.y + 40 * s : row.y + 31 * s + (float)line[i] * size * 1.2f;
        x += ui_text(x, y, text[i], size, colour[i], UI_FONT_BODY) + gap;
    }
}

bool input_live() { return !game_flags.paused && !hud_dialog_state().open && !game_flags.title_overlay; }

// A click on a gathering profession, which has no recipes to show: a word
// on where it is practised, while the pointer stays on its row.
int gathering_note = -1;

const char* gathering_note_text(int p) {
    static const char* const texts[PROF_ALCHEMY] = {
        "L'herboristerie se pratique dans le monde : approchez-vous d'une plante et appuyez sur %s.",
        "Le minage se pratique dans le monde : approchez-vous d'un filon et appuyez sur %s.",
        "Le dépeçage se pratique dans le monde : approchez-vous d'une bête abattue et fouillée, puis appuyez "
        "sur %s.",
    };
    char key[48];
    binding_hint_name(BIND_INTERACT, key, (int)sizeof key);
    return hud_fmt(texts[p], key);
}

void gathering_note_draw(UiRect row, int p) {
    const float s = hud_scale, size = 15 * s, pad = 12 * s;
    const char* text = gathering_note_text(p);
    float w = row.w, h = ui_text_wrapped_height(w - 2 * pad, text, size, UI_FONT_BODY, 1.3f) + 2 * pad;
    float y = row.y + row.h + 4 * s;
    ui_panel(row.x, y, w, h, Vec4{0.04f, 0.05f, 0.04f, 0.96f}, HUD_GOLD, std::fmax(1.0f, s));
    UiBoxScope note(row.x, y, w, h, UI_BOX_LAYER, std::fmax(1.0f, s));
    ui_text_wrapped(row.x + pad, y + pad, w - 2 * pad, text, size, HUD_PARCHMENT, UI_FONT_BODY, 1.3f);
}

bool left_click() {
    return plat_input.button_pressed[0] != 0 ||
           (plat_input.button_down[0] != 0 && plat_input.button_down_prev[0] == 0);
}

}  // namespace

Vec4 recipe_level_colour(int gap) {
    if (gap < 0) return {0.9f, 0.25f, 0.2f, 1.0f};
    if (gap < 15) return {1.0f, 0.55f, 0.15f, 1.0f};
    if (gap < 30) return {1.0f, 0.9f, 0.25f, 1.0f};
    if (gap < 45) return {0.35f, 0.9f, 0.35f, 1.0f};
    return {0.6f, 0.6f, 0.6f, 1.0f};
}

int recipe_level_steps(int gap) {
    if (gap < 0) return 4;
    if (gap < 15) return 3;
    if (gap < 30) return 2;
    if (gap < 45) return 1;
    return 0;
}

// With a large text the window fits 720 rows at scale 1: the rows closer
// under the title, and centred.
UiRect professions_box() {
    const float s = hud_scale;
    const bool compact = widget_compact();
    float w = 1160 * s, h = (compact ? 712 : 760) * s;
    return {((float)plat_input.client_width - w) * 0.5f,
            ((float)plat_input.client_height - h) * 0.5f - (compact ? 0 : 20) * s, w, h};
}

UiRect professions_close_box() {
    const float s = hud_scale;
    UiRect b = professions_box();
    return {b.x + b.w - 38 * s, b.y + 10 * s, 28 * s, 28 * s};
}

UiRect profession_row_box(int p) {
    const float s = hud_scale;
    UiRect b = professions_box();
    const float top = widget_compact() ? 62 : 70, step = widget_compact() ? 100 : 104;
    return {b.x + 20 * s, b.y + top * s + (float)p * step * s, 430 * s, 96 * s};
}

UiRect recipe_row_box(int k) {
    const float s = hud_scale;
    UiRect b = professions_box();
    const float top = widget_compact() ? 100 : 110;
    return {b.x + 470 * s, b.y + top * s + (float)k * 78 * s, b.w - 490 * s, 72 * s};
}

UiRect recipe_button_box(int k) {
    const float s = hud_scale;
    UiRect r = recipe_row_box(k);
    return {r.x + r.w - 130 * s, r.y + 18 * s, 118 * s, 34 * s};
}

int professions_recipe_at_row(int k) {
    int list[RECIPE_COUNT];
    int n = recipes_of(professions_selected, list);
    return k >= 0 && k < n ? list[k] : -1;
}

void professions_open(bool open) { professions_window_show(open); }

void professions_draw() {
    const float s = hud_scale;
    if (professions_selected < PROF_ALCHEMY || professions_selected > PROF_SMITHING) professions_selected = PROF_ALCHEMY;
    const float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    const bool click = input_live() && left_click();

    UiRect b = professions_box();
    ui_panel(b.x, b.y, b.w, b.h, PANEL, HUD_GOLD, 2 * s);
    UiBoxScope window(b.x, b.y, b.w, b.h, UI_BOX_LAYER, 2 * s);
    ui_text(b.x + 24 * s, b.y + 16 * s, "Métiers", 32 * s, HUD_GOLD, UI_FONT_TITLE);
    UiRect c = professions_close_box();
    ui_focus_add(c.x, c.y, c.w, c.h);
    bool over_close = widget_close_box(c, mx, my);
    if (click && over_close) {
        professions_open(false);
        return;
    }

    // Left: the six professions.
    for (int p = 0; p < PROFESSION_COUNT; ++p) {
        UiRect r = profession_row_box(p);
        bool craft_row = p >= PROF_ALCHEMY;
        bool selected = craft_row && p == professions_selected;
        bool over = r.contains(mx, my);
        bool hover = craft_row && over;
        ui_focus_add(r.x, r.y, r.w, r.h);
        if (click && hover) professions_selected = p;
        if (click && over && !craft_row) gathering_note = p;
        if (gathering_note == p && !over) gathering_note = -1;
        Vec4 fill = selected ? Vec4{0.2f, 0.24f, 0.14f, 0.95f} : hover ? Vec4{0.14f, 0.18f, 0.12f, 0.9f}
                                                                       : Vec4{0.1f, 0.13f, 0.1f, 0.85f};
        ui_panel(r.x, r.y, r.w, r.h, fill, selected ? HUD_GOLD : HUD_PANEL_BORDER, std::fmax(1.0f, s));
        UiBoxScope row(r.x, r.y, r.w, r.h, 0, std::fmax(1.0f, s));
        icon_draw(item_icon(profession_defs[p].icon_item), r.x + 10 * s, r.y + 10 * s, 48 * s,
                  item_colour(profession_defs[p].icon_item), 1.0f);
        float tx = r.x + 70 * s;
        int level = profession_level[p];
        ui_text(tx, r.y + 8 * s, profession_defs[p].name, 20 * s, HUD_GOLD, UI_FONT_BODY);
        const char* lv = hud_fmt("%d / %d", level, PROFESSION_LEVEL_MAX);
        ui_text(r.x + r.w - 12 * s - ui_text_width(lv, 17 * s, UI_FONT_BODY), r.y + 10 * s, lv, 17 * s, HUD_PARCHMENT,
                UI_FONT_BODY);
        float bw = r.w - 82 * s;
        float fill_frac = clampf((float)level / (float)PROFESSION_LEVEL_MAX, 0.0f, 1.0f);
        ui_rect(tx, r.y + 38 * s, bw, 10 * s, Vec4{0.03f, 0.04f, 0.03f, 0.9f});
        ui_rect(tx, r.y + 38 * s, bw * fill_frac, 10 * s, Vec4{0.78f, 0.62f, 0.22f, 1.0f});
        // The description wraps inside the row (the Forge's takes two lines),
        // a little smaller should even two lines not hold it.
        const float room_w = r.x + r.w - 12 * s - tx, room_h = r.h - 56 * s - 4 * s;
        float size = 14 * s;
        while (size > 11 * s && ui_text_wrapped_height(room_w, profession_defs[p].description, size, UI_FONT_BODY,
                                                       1.25f) > room_h)
            size *= 0.94f;
        ui_text_wrapped(tx, r.y + 56 * s, room_w, profession_defs[p].description, size, DIM, UI_FONT_BODY, 1.25f);
    }

    // Right: the recipes of the selected craft.
    UiRect r0 = recipe_row_box(0);
    const float title_y = profession_row_box(0).y;
    ui_text(r0.x, title_y, hud_fmt("Recettes — %s", profession_defs[professions_selected].name), 24 * s, HUD_GOLD,
            UI_FONT_TITLE);
    int list[RECIPE_COUNT];
    int n = recipes_of(professions_selected, list);
    const char* hover_reason = nullptr;
    int hover_product = -1;
    UiRect hover_box{};
    for (int k = 0; k < n; ++k) {
        const RecipeDef& rc = recipes[list[k]];
        UiRect r = recipe_row_box(k);
        ui_panel(r.x, r.y, r.w, r.h, Vec4{0.1f, 0.13f, 0.1f, 0.85f}, HUD_PANEL_BORDER, std::fmax(1.0f, s));
        UiBoxScope row(r.x, r.y, r.w, r.h, 0, std::fmax(1.0f, s));
        Vec4 qc = profession_quality_colour(profession_item_quality(rc.product));
        UiRect icon{r.x + 10 * s, r.y + 12 * s, 48 * s, 48 * s};
        icon_draw(item_icon(rc.product), icon.x, icon.y, icon.w, rgb(qc) * 0.8f, 1.0f);
        float tx = r.x + 70 * s;
        float name_w = ui_text(tx, r.y + 8 * s, item_name(rc.product), 19 * s, qc, UI_FONT_BODY);
        int gap = profession_level[rc.profession] - rc.level;
        const bool marks = ui_marks_shown();
        if (marks) {
            // The product's quality in pips, as on the items' frames.
            const int q = profession_item_quality(rc.product);
            const float pip = std::round(4 * s);
            if (q > 0) name_w += 8 * s + ui_mark_pips(tx + name_w + 8 * s, r.y + 15 * s, pip, q, qc);
        }
        const Vec4 lc = recipe_level_colour(gap);
        float level_w = ui_text(tx + name_w + 14 * s, r.y + 10 * s, hud_fmt("niveau %d", rc.level), 16 * s, lc,
                                UI_FONT_BODY);
        if (marks)
            ui_mark_steps(tx + name_w + 14 * s + level_w + 8 * s, r.y + 12 * s, std::round(12 * s),
                          recipe_level_steps(gap), lc);
        UiRect bt = recipe_button_box(k);
        ui_focus_add(bt.x, bt.y, bt.w, bt.h);
        materials_draw(rc, r, tx, bt.x - 10 * s);
        const char* reason = craft_refusal(list[k]);
        bool over = bt.contains(mx, my);
        Vec4 bfill = reason ? Vec4{0.12f, 0.12f, 0.12f, 0.9f}
                            : over ? Vec4{0.34f, 0.3f, 0.14f, 1.0f} : Vec4{0.24f, 0.22f, 0.12f, 1.0f};
        ui_panel(bt.x, bt.y, bt.w, bt.h, bfill, reason ? Vec4{0.4f, 0.4f, 0.4f, 0.6f} : HUD_GOLD, std::fmax(1.0f, s));
        {
            UiBoxScope button(bt.x, bt.y, bt.w, bt.h, 0, std::fmax(1.0f, s));
            ui_text_centred(bt.x + bt.w * 0.5f, bt.y + 7 * s, "Fabriquer", 18 * s,
                            reason ? Vec4{0.55f, 0.52f, 0.45f, 1.0f} : HUD_GOLD, UI_FONT_BODY);
        }
        if (over && reason) hover_reason = reason;
        if (click && over && !reason) craft(list[k]);
        UiRect name_box{r.x + 8 * s, r.y + 4 * s, 70 * s + name_w, 60 * s};
        if (name_box.contains(mx, my)) {
            hover_product = rc.product;
            hover_box = name_box;
        }
    }
    ui_text_wrapped(b.x + 24 * s, b.y + b.h - 44 * s, b.w - 48 * s,
                    ui_marks_shown()
                        ? "Les barres : trois (orange), on progresse à coup sûr ; deux (jaune), souvent ; une (vert), "
                          "rarement ; aucune (gris), plus rien à apprendre ; quatre (rouge), niveau trop haut."
                        : "Les couleurs : orange, on progresse à coup sûr ; jaune, souvent ; vert, rarement ; gris, "
                          "plus rien à apprendre.",
                    15 * s, DIM, UI_FONT_BODY, 1.3f);
    if (gathering_note >= 0) {
        gathering_note_draw(profession_row_box(gathering_note), gathering_note);
    } else if (hover_reason) {
        float w = ui_text_width(hover_reason, 16 * s, UI_FONT_BODY) + 24 * s;
        float x = std::fmin(mx + 16 * s, (float)plat_input.client_width - w);
        ui_panel(x, my + 18 * s, w, 34 * s, Vec4{0.04f, 0.05f, 0.04f, 0.96f}, HUD_PANEL_BORDER, std::fmax(1.0f, s));
        UiBoxScope tip(x, my + 18 * s, w, 34 * s, UI_BOX_LAYER, std::fmax(1.0f, s));
        ui_text(x + 12 * s, my + 25 * s, hover_reason, 16 * s, Vec4{0.95f, 0.6f, 0.5f, 1.0f}, UI_FONT_BODY);
    } else if (hover_product > 0) {
        item_tooltip_with_hint(hover_product, hover_box, "Fabriqué avec les matériaux ci-contre");
    }
}

// The anvil's name, with the other labels over the world (under the windows).
void anvil_label_draw() {
    if (game_flags.underground) return;
    Vec3 a = anvil_position();
    if (std::hypot(player.pos_x - a.x, player.pos_z - a.z) <= 20.0f)
        hud_world_label(a + Vec3{0, 1.4f, 0}, "Enclume", 0.13f, HUD_PARCHMENT, UI_FONT_BODY);
}

// The bar of a running harvest.
void crafting_labels_draw() {
    // The pause menu breaks a harvest as surely as a step does.
    if (game_flags.paused && gather_running()) gather_cancel();
    if (!gather_running()) return;
    const float s = hud_scale;
    float w = 300 * s, h = 22 * s;
    float x = ((float)plat_input.client_width - w) * 0.5f, y = (float)plat_input.client_height * 0.66f;
    ui_panel(x - 3 * s, y - 3 * s, w + 6 * s, h + 6 * s, Vec4{0.03f, 0.04f, 0.03f, 0.85f}, HUD_PANEL_BORDER,
             std::fmax(1.0f, s));
    UiBoxScope bar(x - 3 * s, y - 3 * s, w + 6 * s, h + 6 * s, 0, std::fmax(1.0f, s));
    ui_rect(x, y, w * clampf(gather_progress(), 0.0f, 1.0f), h, Vec4{0.78f, 0.62f, 0.22f, 1.0f});
    ui_text_centred(x + w * 0.5f, y + 2 * s, gather_action_label(), 16 * s, HUD_PARCHMENT, UI_FONT_BODY);
}
