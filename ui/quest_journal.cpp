// The quest log: the filled objective panel entries as a list, and for the
// selected one its giver, objective lines, story and a small map.
#include <cmath>

#include "content/quests.h"
#include "world/terrain.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "render/hud.h"
#include "render/ui_focus.h"
#include "render/ui.h"
#include "ui/screen_widgets.h"
#include "world/world.h"

namespace {

int selected = -1;
// The first quest of the list shown, where a large text makes it scroll.
int first_row = 0;

// With a large text the window stops at 700 rows at scale 1 (so that it fits
// 720) and the list scrolls, its arrows under the rows shown.
constexpr float COMPACT_H = 700.0f, ROW_STEP = 64.0f, ARROWS_H = 34.0f;

int quests_shown() {
    int count = 0;
    for (int i = 0; i < HUD_TRACKER_SLOTS; ++i)
        if (hud_tracker_get(i)->shown) ++count;
    return count;
}

UiRect journal_box() {
    float s = hud_scale;
    // Taller when the list of quests needs it: every row stays inside.
    float need = std::fmax(620.0f, 70.0f + (float)quests_shown() * ROW_STEP + 56.0f);
    if (widget_compact()) need = std::fmin(need, COMPACT_H);
    float w = 900 * s, h = need * s;
    return {(plat_input.client_width - w) * 0.5f, (plat_input.client_height - h) * 0.5f, w, h};
}

// How many rows of the list the window has room for.
int rows_that_fit(int count) {
    const float room = journal_box().h / hud_scale - 70.0f - 56.0f + 6.0f;
    if ((float)count * ROW_STEP <= room) return count;
    const int n = (int)((room - ARROWS_H - 6.0f) / ROW_STEP);
    return n < 1 ? 1 : n;
}

const Vec4 SUBTLE = {0.78f, 0.74f, 0.62f, 1.0f};
const Vec4 DONE_GREEN = {0.6f, 0.85f, 0.5f, 1.0f};

// The small map: a square of world around the player and the marker.
void draw_map(UiRect m, Vec3 player, Vec3 marker, bool done) {
    float s = hud_scale;
    UiBoxScope box(m.x, m.y, m.w, m.h);
    ui_panel(m.x - 2 * s, m.y - 2 * s, m.w + 4 * s, m.h + 4 * s, Vec4{0.05f, 0.07f, 0.05f, 1}, HUD_PANEL_BORDER,
             std::fmax(1.0f, s));
    float cx = (player.x + marker.x) * 0.5f, cz = (player.z + marker.z) * 0.5f;
    float half = std::fmax(std::fabs(player.x - marker.x), std::fabs(player.z - marker.z)) * 0.5f + 60.0f;
    if (half < 120.0f) half = 120.0f;
    if (!game_flags.underground && ui_map_ready()) {
        float u0 = (cx - half - WORLD_MAP_X0) / WORLD_MAP_SPAN, u1 = (cx + half - WORLD_MAP_X0) / WORLD_MAP_SPAN;
        float v0 = (cz - half - WORLD_MAP_Z0) / WORLD_MAP_SPAN, v1 = (cz + half - WORLD_MAP_Z0) / WORLD_MAP_SPAN;
        // North up and +x to the left, like the big map and the minimap.
        const float uv[8] = {u1, v1, u0, v1, u0, v0, u1, v0};
        ui_map(m.x, m.y, m.w, m.h, uv);
    } else {
        ui_rect(m.x, m.y, m.w, m.h, Vec4{0.16f, 0.22f, 0.14f, 1});
    }
    auto to_screen = [&](Vec3 p, float* sx, float* sy) {
        *sx = m.x + ((cx + half) - p.x) / (2 * half) * m.w;
        *sy = m.y + ((cz + half) - p.z) / (2 * half) * m.h;
    };
    float px, py, mx, my;
    to_screen(player, &px, &py);
    to_screen(marker, &mx, &my);
    ui_rect(px - 4 * s, py - 4 * s, 8 * s, 8 * s, Vec4{0.35f, 0.75f, 1.0f, 1});
    ui_text(px + 6 * s, py - 9 * s, "vous", 13 * s, HUD_PARCHMENT, UI_FONT_BODY);
    ui_text_centred(mx, my - 16 * s, done ? "?" : "!", 26 * s, Vec4{1.0f, 0.82f, 0.15f, 1}, UI_FONT_TITLE);
}

}  // namespace

void quest_journal_draw() {
    float s = hud_scale;
    UiRect b = journal_box();
    ui_panel(b.x, b.y, b.w, b.h, Vec4{0.07f, 0.1f, 0.08f, 0.95f}, HUD_GOLD, 2 * s);
    UiBoxScope window(b.x, b.y, b.w, b.h, UI_BOX_LAYER, 2 * s);
    ui_text(b.x + 24 * s, b.y + 18 * s, "Journal de quêtes", 30 * s, HUD_GOLD, UI_FONT_TITLE);

    char key[48];
    plat_key_name(bindings[BIND_JOURNAL], key, (int)sizeof key);
    ui_text_centred(b.x + b.w * 0.5f, b.y + b.h - 34 * s, hud_fmt("%s ou Échap : fermer", key), 15 * s, SUBTLE,
                    UI_FONT_BODY);

    int slots[HUD_TRACKER_SLOTS];
    int count = 0;
    for (int i = 0; i < HUD_TRACKER_SLOTS; ++i)
        if (hud_tracker_get(i)->shown) slots[count++] = i;
    float top = b.y + 70 * s;
    if (count == 0) {
        selected = -1;
        ui_text_wrapped(b.x + 40 * s, top + 20 * s, b.w - 80 * s,
                        ui_focus_pad_hints()
                            ? hud_fmt("Aucune quête en cours.\n\nLes personnages marqués d'un « ! » doré ont du "
                                      "travail pour vous : parlez-leur (%s).",
                                      interact_hint())
                            : "Aucune quête en cours.\n\nLes personnages marqués d'un « ! » doré ont du travail pour "
                              "vous : parlez-leur (clic droit).",
                        18 * s, HUD_PARCHMENT, UI_FONT_BODY, 1.35f);
        return;
    }
    bool valid = selected >= 0 && selected < HUD_TRACKER_SLOTS && hud_tracker_get(selected)->shown;
    if (!valid) selected = slots[0];

    // The list.
    float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    const float row_h = 58 * s, list_w = 310 * s;
    const int shown = rows_that_fit(count);
    if (shown < count) {
        const float under = top + (float)shown * ROW_STEP * s, half = (list_w - 6 * s) * 0.5f;
        widget_list_scroll(first_row, count, shown, {b.x + 20 * s, top, list_w, under - 6 * s - top},
                           {b.x + 20 * s, under, half, ARROWS_H * s},
                           {b.x + 20 * s + half + 6 * s, under, half, ARROWS_H * s});
    } else {
        first_row = 0;
    }
    for (int k = first_row; k < count && k < first_row + shown; ++k) {
        const QuestTrackerEntry& e = *hud_tracker_get(slots[k]);
        UiRect r = {b.x + 20 * s, top + (float)(k - first_row) * (row_h + 6 * s), list_w, row_h};
        bool over = r.contains(mx, my);
        ui_focus_add(r.x, r.y, r.w, r.h);
        if (over && plat_input.button_pressed[0]) selected = slots[k];
        bool sel = selected == slots[k];
        ui_panel(r.x, r.y, r.w, r.h, sel ? Vec4{0.16f, 0.2f, 0.13f, 1} : Vec4{0.1f, 0.13f, 0.1f, over ? 1.0f : 0.9f},
                 Vec4{0.83f, 0.68f, 0.24f, sel ? 0.8f : 0.3f}, std::fmax(1.0f, s));
        UiBoxScope row(r.x, r.y, r.w, r.h, 0, std::fmax(1.0f, s));
        ui_text(r.x + 10 * s, r.y + 7 * s, e.title, 17 * s, HUD_GOLD, UI_FONT_TITLE);
        const char* sub = e.completed ? "Accomplie : à rendre" : (e.line_count > 0 ? e.lines[0] : "");
        ui_text(r.x + 10 * s, r.y + 32 * s, sub, 14 * s, e.completed ? DONE_GREEN : HUD_PARCHMENT, UI_FONT_BODY);
    }

    // The selected quest.
    const QuestTrackerEntry& e = *hud_tracker_get(selected);
    float x = b.x + 20 * s + list_w + 24 * s, w = b.x + b.w - 24 * s - x;
    float y = top;
    ui_text(x, y, e.title, 24 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 24 * s * 1.3f;
    ui_text(x, y, hud_fmt("Donnée par %s", e.giver_name), 15 * s, SUBTLE, UI_FONT_BODY);
    y += 15 * s * 1.3f + 10 * s;
    ui_text(x, y, "Objectif", 17 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 17 * s * 1.3f;
    for (int l = 0; l < e.line_count; ++l)
        y += ui_text_wrapped(x, y, w, hud_fmt("· %s", e.lines[l]), 15 * s, e.completed ? DONE_GREEN : HUD_PARCHMENT,
                             UI_FONT_BODY, 1.3f) +
             2 * s;
    y += 10 * s;
    ui_text(x, y, "Récit", 17 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 17 * s * 1.3f;
    y += ui_text_wrapped(x, y, w, quest_panel_story(selected), 14 * s, HUD_PARCHMENT, UI_FONT_BODY, 1.3f) + 12 * s;

    float map_size = 190 * s;
    float room = b.y + b.h - 60 * s - y;
    if (room < map_size + 26 * s) map_size = room - 26 * s;
    if (map_size > 40 * s) {
        UiRect m = {x, y, map_size, map_size};
        draw_map(m, hud_player.position, e.giver_position, e.completed != 0);
        ui_text_wrapped(x + map_size + 16 * s, y + 4 * s, w - map_size - 16 * s,
                        e.completed ? "Le « ? » : là où rendre la quête" : "Le « ! » : là où aller", 14 * s, SUBTLE,
                        UI_FONT_BODY, 1.3f);
    }
}

// The selected entry (tests, -1 for none).
int quest_journal_selected() { return selected; }
