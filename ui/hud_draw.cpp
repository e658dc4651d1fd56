// The whole interface of a frame, in its fixed order: screens that replace
// everything, labels over the world, the HUD's own panels, the windows,
// the message (over the windows it answers), the pause shade, the dialog, the
// options screen and the fade on top. Last, the labels that lie under a panel
// are taken out.
#include <cmath>
#include <cstring>

#include "common/game_time.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "render/hud.h"
#include "render/ui_focus.h"
#include "render/ui_marks.h"
#include "render/hud_internal.h"
#include "render/ui.h"
#include "world/terrain.h"
#include "content/dialogue_words.h"
#include "content/quest_figures.h"
#include "content/quests.h"
#include "net/net.h"
#include "play/catacomb_visits.h"
#include "play/creatures.h"
#include "play/merchant.h"
#include "play/player.h"
#include "ui/action_bar.h"
#include "ui/captions.h"
#include "ui/character_creation.h"
#include "ui/character_select.h"
#include "ui/item_windows.h"
#include "ui/maps.h"
#include "ui/options_screen.h"
#include "ui/professions_screen.h"
#include "ui/quest_journal.h"

namespace {

const Vec4 GREY_TEXT = {0.73f, 0.69f, 0.58f, 1.0f};

float border() { return hud_scale > 1.0f ? hud_scale : 1.0f; }

void standard_panel(float x, float y, float w, float h) {
    ui_panel(x, y, w, h, HUD_PANEL_FILL, HUD_PANEL_BORDER, border());
}

void full_screen(Vec4 colour) {
    ui_rect(0, 0, (float)plat_input.client_width, (float)plat_input.client_height, colour);
}

void catacomb_entrance_label() {
    float dx = hud_player.position.x - 48.0f, dz = hud_player.position.z - 328.0f;
    if (dx * dx + dz * dz > 22.0f * 22.0f) return;
    const float x = 52.344234f, z = 324.41006f;
    hud_world_label(Vec3{x, ground_height(x, z) + 1.9f, z}, "Catacombes du Val sans Retour\nNiveau 10 et plus", 0.15f,
                    Vec4{0.95f, 0.75f, 0.45f, 1.0f}, UI_FONT_TITLE);
}

void floating_texts() {
    const FloatingText* f = hud_floating_texts();
    // The newest first: each older one stacks above those placed before it,
    // where it has risen to anyway, so the stack keeps its order as it rises.
    int order[HUD_FLOAT_SLOTS];
    int n = 0;
    for (int i = 0; i < HUD_FLOAT_SLOTS; ++i) {
        if (!f[i].active) continue;
        int k = n++;
        for (; k > 0 && f[order[k - 1]].age > f[i].age; --k) order[k] = order[k - 1];
        order[k] = i;
    }
    for (int j = 0; j < n; ++j) {
        const int i = order[j];
        float t = f[i].lifetime > 0.0f ? f[i].age / f[i].lifetime : 1.0f;
        float fade = 2.5f * (1.0f - t);
        Vec4 c = f[i].colour;
        c.w *= fade < 1.0f ? fade : 1.0f;
        Vec3 p = f[i].position;
        p.y += t * f[i].rise;
        hud_float_label(p, f[i].text, f[i].size, c, UI_FONT_BODY, f[i].pips);
    }
}

// Returns the banner's bottom edge.
float banner() {
    const float s = hud_scale;
    const char* title = "Tervanne";
    const char* engine = "Moteur Quarn · version 2.0.9";
    float w = ui_text_width(title, 22 * s, UI_FONT_TITLE);
    float w2 = ui_text_width(engine, 13 * s, UI_FONT_BODY);
    if (w2 > w) w = w2;
    float x = 14 * s, y = 14 * s, h = 1.3f * 22 * s + 1.3f * 13 * s + 24 * s;
    standard_panel(x, y, w + 24 * s, h);
    UiBoxScope box(x, y, w + 24 * s, h, 0, border());
    ui_text(x + 12 * s, y + 12 * s, title, 22 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text(x + 12 * s, y + 12 * s + 1.35f * 22 * s, engine, 13 * s, GREY_TEXT, UI_FONT_BODY);
    return y + h;
}

void online_line(float banner_bottom) {
    if (!hud_net.active) return;
    const float s = hud_scale;
    float x = 14 * s + 4 * s, y = banner_bottom + 6 * s;
    if (hud_net.connected)
        ui_text(x, y, hud_fmt("%s  ·  %d joueur%s", hud_net.server, hud_net.players, hud_net.players >= 2 ? "s" : ""),
                14 * s, Vec4{0.45f, 0.75f, 1.0f, 1.0f}, UI_FONT_BODY);
    else
        ui_text(x, y, hud_net.server, 14 * s, Vec4{1.0f, 0.7f, 0.4f, 1.0f}, UI_FONT_BODY);
}

void statistics() {
    const float s = hud_scale;
    const HudPlayerView& p = hud_player;
    const char* lines[5];
    if (p.player_class == 1)
        lines[0] = hud_fmt("Coups d'épée   %d", p.attacks_made);
    else if (p.player_class == 2)
        lines[0] = hud_fmt("Sorts lancés   %d", p.attacks_made);
    else
        lines[0] = hud_fmt("Flèches tirées   %d", p.attacks_made);
    lines[1] = hud_fmt("Cibles touchées   %d", p.targets_hit);
    lines[2] = hud_fmt("Dans le mille   %d", p.bullseyes);
    lines[3] = hud_fmt("Ennemis abattus   %d", p.kills);
    lines[4] = hud_fmt("Images/s   %d", hud_fps());
    const float size = 15 * s, step = 1.4f * size, margin = 12 * s;
    float w = 0;
    for (const char* l : lines) {
        float lw = ui_text_width(l, size, UI_FONT_BODY);
        if (lw > w) w = lw;
    }
    float pw = w + 2 * margin, ph = 4 * step + 1.3f * size + 2 * margin;
    float x = plat_input.client_width - 14 * s - pw, y = 274 * s + 14 * s;
    standard_panel(x, y, pw, ph);
    UiBoxScope box(x, y, pw, ph, 0, border());
    for (int i = 0; i < 5; ++i) ui_text(x + margin, y + margin + i * step, lines[i], size, HUD_PARCHMENT, UI_FONT_BODY);
}

// The bar's figures, right-aligned in it; a label a little taller than its
// bar (the resource bar's, with a descender) is moved just enough to keep its
// letters on the bar.
void bar_label_right(float x, float width, float y, float bar_h, const char* text, float size) {
    UiBoxScope box(x, y, width, bar_h);
    float w = ui_text_width(text, size, UI_FONT_BODY);
    float top, bottom;
    ui_text_ink_rows(text, size, UI_FONT_BODY, &top, &bottom);
    float ty = y + (bar_h - size) * 0.5f;
    if (ty + bottom > y + bar_h) ty = y + bar_h - bottom;
    if (ty + top < y) ty = bottom - top <= bar_h ? y - top : y + (bar_h - (bottom - top)) * 0.5f - top;
    ui_text(x + width - 6 * hud_scale - w, ty, text, size, HUD_PARCHMENT, UI_FONT_BODY);
}

void player_bars() {
    const float s = hud_scale;
    const HudPlayerView& p = hud_player;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    const float width = 380 * s, x = W * 0.5f - width * 0.5f;
    const Vec4 bar_back = {0.05f, 0.05f, 0.04f, 0.9f};
    UiBoxScope block(x, H - 120 * s, width, 120 * s);
    // Under the action bar, whose panel reaches down to 126 s above the
    // bottom (52 s slots topping out 186 s up, 8 s of panel round them).
    float y = H - 120 * s;
    ui_text(x, y, hud_fmt("Niveau %d", p.level), 17 * s, HUD_GOLD, UI_FONT_TITLE);
    y += 24 * s;

    // Health.
    float hh = 18 * s;
    float frac = p.max_health > 0 ? p.health / p.max_health : 0.0f;
    frac = frac < 0 ? 0 : (frac > 1 ? 1 : frac);
    ui_rect(x, y, width, hh, bar_back);
    Vec4 fill = p.health > 0.3f * p.max_health ? Vec4{0.72f, 0.2f, 0.15f, 1} : Vec4{0.9f, 0.15f, 0.08f, 1};
    ui_rect(x, y, width * frac, hh, fill);
    ui_rect(x, y, width * frac, hh * 0.35f, Vec4{1, 1, 1, 0.12f});
    bar_label_right(x, width, y, hh,
                    hud_fmt("Points de vie   %d / %d", (int)std::ceil(p.health), (int)std::lround(p.max_health)),
                    15 * s);
    y += hh + 4 * s;

    // Mana for druids, rage for warriors.
    if (p.player_class == 1 || p.player_class == 2) {
        float rh = 10 * s;
        float rf;
        Vec4 rc;
        const char* label;
        if (p.player_class == 2) {
            rf = p.max_mana > 0 ? p.mana / p.max_mana : 0.0f;
            rc = Vec4{0.25f, 0.5f, 0.95f, 1};
            label = hud_fmt("Mana %d / %d", (int)p.mana, (int)p.max_mana);
        } else {
            rf = p.rage / 100.0f;
            rc = Vec4{0.85f, 0.28f, 0.1f, 1};
            label = hud_fmt("Rage %d", (int)p.rage);
        }
        rf = rf < 0 ? 0 : (rf > 1 ? 1 : rf);
        ui_rect(x, y, width, rh, bar_back);
        ui_rect(x, y, width * rf, rh, rc);
        bar_label_right(x, width, y, rh, label, 11 * s);
        y += rh + 4 * s;
    }

    // Experience towards the next level.
    float xh = 8 * s;
    int need = p.experience_next > 1 ? p.experience_next : 1;
    float xf = (float)p.experience / (float)need;
    xf = xf < 0 ? 0 : (xf > 1 ? 1 : xf);
    ui_rect(x, y, width, xh, bar_back);
    ui_rect(x, y, width * xf, xh, HUD_GOLD);
    ui_text_centred(W * 0.5f, y + xh + 2 * s, hud_fmt("Expérience   %d / %d", p.experience, need), 13 * s, GREY_TEXT,
                    UI_FONT_BODY);
}

// Height of one tracker panel; only the first objective line when `first_only`.
float tracker_panel_height(const QuestTrackerEntry& e, bool first_only) {
    const float s = hud_scale;
    float h = 8 * s + 19 * s * 1.3f;
    int n = first_only && e.line_count > 1 ? 1 : e.line_count;
    for (int i = 0; i < n; ++i) h += ui_text_wrapped_height(280 * s, e.lines[i], 15 * s, UI_FONT_BODY, 1.3f) + 4 * s;
    return h + 8 * s;
}

void quest_tracker() {
    const float s = hud_scale;
    int shown = 0;
    for (int i = 0; i < HUD_TRACKER_SLOTS; ++i)
        if (hud_tracker_get(i)->shown) ++shown;
    if (shown == 0) return;
    const float header = 12 * s * 1.3f + 4 * s;
    auto column_height = [&](bool first_only) {
        float total = header;
        int k = 0;
        for (int i = 0; i < HUD_TRACKER_SLOTS; ++i) {
            const QuestTrackerEntry* e = hud_tracker_get(i);
            if (!e->shown) continue;
            total += tracker_panel_height(*e, first_only) + (k++ > 0 ? 8 * s : 0);
        }
        return total;
    };
    const float H = (float)plat_input.client_height;
    float total = column_height(false);
    bool first_only = total > H - 630 * s;
    if (first_only) total = column_height(true);
    float x = plat_input.client_width - 14 * s - 300 * s;
    float y = 430 * s;
    if ((H - total) * 0.5f > y) y = (H - total) * 0.5f;
    ui_text(x, y, shown == 1 ? "QUÊTE" : "QUÊTES", 12 * s, HUD_GOLD, UI_FONT_BODY);
    y += header;
    for (int i = 0; i < HUD_TRACKER_SLOTS; ++i) {
        const QuestTrackerEntry& e = *hud_tracker_get(i);
        if (!e.shown) continue;
        float ph = tracker_panel_height(e, first_only);
        // Even one line each may not all fit: the entries past the screen's
        // foot wait in the journal, which lists them all.
        if (y + ph > H - 14 * s) break;
        standard_panel(x, y, 300 * s, ph);
        UiBoxScope box(x, y, 300 * s, ph, 0, border());
        float ty = y + 8 * s;
        float title_w = ui_text(x + 10 * s, ty, e.title, 19 * s, HUD_GOLD, UI_FONT_TITLE);
        Vec4 c = e.completed ? Vec4{0.6f, 0.85f, 0.5f, 1.0f} : HUD_PARCHMENT;
        // Done is told by the lines' green; with a colour-vision correction by a tick too.
        if (e.completed && ui_marks_shown() && title_w + 34 * s <= 280 * s)
            ui_text(x + 18 * s + title_w, ty, "✓", 19 * s, c, UI_FONT_BODY);
        ty += 19 * s * 1.3f;
        int n = first_only && e.line_count > 1 ? 1 : e.line_count;
        for (int l = 0; l < n; ++l)
            ty += ui_text_wrapped(x + 10 * s, ty, 280 * s, e.lines[l], 15 * s, c, UI_FONT_BODY, 1.3f) + 4 * s;
        y += ph + 8 * s;
    }
}

constexpr float MESSAGE_TOP = 210, MESSAGE_SIZE = 30;

// Calls fn(line, y) for each line of the centred message while it shows.
template <class Fn>
void message_lines(Fn fn) {
    if (!(hud_message_time() > 0.0f)) return;
    const float s = hud_scale;
    const char* line = hud_message_text();
    float y = MESSAGE_TOP * s;
    for (;;) {
        fn(line, y);
        const char* lf = std::strchr(line, '\n');
        if (!lf) break;
        line = lf + 1;
        y += 1.3f * MESSAGE_SIZE * s;
    }
}

// Where the message will be drawn, kept clear of the labels over the world.
void reserve_message() {
    const float size = MESSAGE_SIZE * hud_scale;
    message_lines([&](const char* line, float y) {
        float w = ui_text_width(line, size, UI_FONT_TITLE);
        if (w <= 0.0f) return;
        float top, bottom;
        ui_text_ink_rows(line, size, UI_FONT_TITLE, &top, &bottom);
        hud_labels_reserve(plat_input.client_width * 0.5f - w * 0.5f, y + top, w, bottom - top);
    });
}

void message() {
    float a = 3.0f * hud_message_time();
    a = a > 1.0f ? 1.0f : a;
    Vec4 c = HUD_GOLD;
    c.w = a;
    message_lines([&](const char* line, float y) {
        ui_text_centred(plat_input.client_width * 0.5f, y, line, MESSAGE_SIZE * hud_scale, c, UI_FONT_TITLE);
    });
}

void prompt() {
    if (!hud_prompt_shown() || hud_dialog_state().open) return;
    const float s = hud_scale;
    const char* text = hud_prompt_text();
    float w = ui_text_width(text, 16 * s, UI_FONT_BODY) + 24 * s;
    float h = 1.3f * 16 * s + 24 * s;
    float x = (plat_input.client_width - w) * 0.5f, y = plat_input.client_height - 267 * s;
    standard_panel(x, y, w, h);
    UiBoxScope box(x, y, w, h, 0, border());
    ui_text(x + 12 * s, y + 12 * s, text, 16 * s, HUD_PARCHMENT, UI_FONT_BODY);
}

void draw_title_overlay() {
    const float s = hud_scale;
    full_screen(Vec4{0.06f, 0.09f, 0.07f, 0.6f});
    UiBoxScope shade(0, 0, (float)plat_input.client_width, (float)plat_input.client_height, UI_BOX_LAYER);
    const char* title = "Tervanne";
    // The character about to play, by class and sex.
    char line1[128];
    words_for(line1, sizeof line1, "{Un|Une} {classe} de la Table ronde s'entraîne à l'orée de la forêt.",
              hud_player.player_class, player_look.woman != 0);
    const char* line2 = "Des cibles l'attendent, et une épée dort dans le roc.";
    const char* click = ui_focus_pad_hints() ? "A pour jouer" : "Cliquer pour jouer";
    float w = ui_text_width(title, 34 * s, UI_FONT_TITLE);
    float widths[3] = {ui_text_width(line1, 17 * s, UI_FONT_BODY), ui_text_width(line2, 17 * s, UI_FONT_BODY),
                       ui_text_width(click, 20 * s, UI_FONT_BODY)};
    for (float lw : widths)
        if (lw > w) w = lw;
    const float m = 28 * s;
    float pw = w + 2 * m;
    float ph = 2 * m + 34 * s * 1.3f + 12 * s + 1.35f * 17 * s * 2 + 14 * s + 20 * s * 1.3f;
    float cx = plat_input.client_width * 0.5f;
    float x = cx - pw * 0.5f, y = (plat_input.client_height - ph) * 0.5f;
    standard_panel(x, y, pw, ph);
    UiBoxScope box(x, y, pw, ph, 0, border());
    ui_focus_add(x, y, pw, ph);
    float ty = y + m;
    ui_text_centred(cx, ty, title, 34 * s, HUD_GOLD, UI_FONT_TITLE);
    ty += 34 * s * 1.3f + 12 * s;
    ui_text_centred(cx, ty, line1, 17 * s, HUD_PARCHMENT, UI_FONT_BODY);
    ty += 1.35f * 17 * s;
    ui_text_centred(cx, ty, line2, 17 * s, HUD_PARCHMENT, UI_FONT_BODY);
    ty += 1.35f * 17 * s + 14 * s;
    ui_text_centred(cx, ty, click, 20 * s, HUD_GOLD, UI_FONT_BODY);
}

void world_labels() {
    net_draw_labels();
    if (!game_flags.underground) {
        seneschal_labels_draw();
        merchant_label_draw();
        lady_label_draw();
        quest_givers_labels_draw();
        world_figures_labels_draw();
        catacomb_entrance_label();
        anvil_label_draw();
    } else {
        catacombs_portal_labels_draw();
    }
    creatures_draw_labels();
    floating_texts();
}

}  // namespace

void hud_draw() {
    // A window opened by this frame's input may change the scale.
    hud_scale_update();
    // 1. The character screens replace everything.
    if (game_flags.character_creation_open) {
        character_creation_draw();
        return;
    }
    if (game_flags.character_select_open) {
        character_select_draw();
        return;
    }
    // 2-5. Over the world; not while the big map covers it (they would show
    // through its shade). They keep clear of the message, drawn later.
    reserve_message();
    if (!(game_flags.windows.map && !game_flags.title_overlay)) world_labels();
    // 6. Hit flash.
    float flash = hud_hit_flash_strength();
    if (flash > 0.0f) full_screen(Vec4{0.6f, 0.0f, 0.0f, flash});
    // 7-14. The HUD's own panels (the message waits for the windows).
    online_line(banner());
    statistics();
    minimap_draw();
    player_bars();
    quest_tracker();
    prompt();
    // 15. Title overlay, or the action bar.
    if (game_flags.title_overlay)
        draw_title_overlay();
    else
        bar_draw();
    // 16. Windows.
    if (game_flags.character_sheet_open) character_sheet_draw();
    if (game_flags.windows.journal) quest_journal_draw();
    if (!game_flags.title_overlay) {
        if (game_flags.windows.spellbook) spellbook_draw();
        if (game_flags.windows.map) map_screen_draw();
        crafting_labels_draw();
    }
    if (game_flags.windows.professions) professions_draw();
    if (game_flags.windows.merchant) merchant_window_draw();
    if (game_flags.windows.loot) loot_window_draw();
    // The message answers what the player just did in a window ("Vous n'avez
    // pas assez de deniers."): over the windows, under the pointer's icons.
    message();
    if (!game_flags.paused && !game_flags.title_overlay) interaction_cursor_draw();
    skill_drag_draw();
    // 17-20. Pause shade, dialog, options, fade.
    if (game_flags.paused) full_screen(Vec4{0.02f, 0.03f, 0.02f, 0.45f});
    hud_draw_dialog();
    if (game_flags.windows.options) options_screen();
    captions_draw();
    // Every panel and window is drawn: the labels under them go.
    hud_labels_give_way();
    float total = hud_fade_total();
    float remaining = hud_fade_remaining();
    if (remaining > 0.0f && total > 0.0f) {
        float a = remaining / total * 1.4f;
        full_screen(Vec4{0.0f, 0.0f, 0.0f, a < 1.0f ? a : 1.0f});
    }
}
