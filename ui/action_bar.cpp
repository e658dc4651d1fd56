// The action bar on screen: drawing with cooldowns and tooltips, and the
// presses, drags and drops shared with the spellbook.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/game_time.h"
#include "platform/platform.h"
#include "play/player.h"
#include "play/bindings.h"
#include "play/skills.h"
#include "ui/action_bar.h"
#include "render/hud.h"
#include "render/icons.h"
#include "render/ui_focus.h"
#include "render/ui.h"
#include "sound/sound.h"
#include "play/items.h"

// ---- Geometry -----------------------------------------------------------------------------

UiRect bar_slot_box(int i) {
    float s = hud_scale;
    float size = 52 * s, gap = 6 * s;
    float total = BAR_SLOTS * size + (BAR_SLOTS - 1) * gap;
    float x0 = (float)plat_input.client_width * 0.5f - total * 0.5f;
    return {x0 + (float)i * (size + gap), (float)plat_input.client_height - 186 * s, size, size};
}

static int bar_slot_at(float x, float y) {
    for (int i = 0; i < BAR_SLOTS; ++i)
        if (bar_slot_box(i).contains(x, y)) return i;
    return -1;
}

// ---- Presses, drags and drops -------------------------------------------------------------

namespace {

enum PressOn { PRESS_NONE = 0, PRESS_BAR = 1, PRESS_BOOK = 2, PRESS_WINDOW = 3 };
int press_on = PRESS_NONE;
int press_index = -1;
int press_x = 0, press_y = 0;
bool dragging = false;
int32_t drag_content = -1;

int book_cell_at(float x, float y) {
    for (int i = 0; i < SKILLS_PER_CLASS; ++i)
        if (spellbook_cell_box(i).contains(x, y)) return i;
    return -1;
}

void release_press() {
    press_on = PRESS_NONE;
    press_index = -1;
    dragging = false;
    drag_content = -1;
}

void drop(float x, float y) {
    int j = bar_slot_at(x, y);
    if (press_on == PRESS_BAR) {
        if (j >= 0) {
            if (j != press_index) {
                int32_t t = action_bar[j];
                action_bar[j] = action_bar[press_index];
                action_bar[press_index] = t;
            }
            snd_play(SFX_CLICK, 0.6f);
        } else {
            action_bar[press_index] = -1;
        }
    } else if (press_on == PRESS_BOOK && j >= 0) {
        const SkillDef& def = skill_of(drag_content);
        if (player.level < def.level) {
            hud_message(hud_fmt("%s : niveau %d requis.", def.name, def.level), 1.4f);
            return;
        }
        action_bar[j] = drag_content;
        snd_play(SFX_CLICK, 0.6f);
    }
}

}  // namespace

bool interface_mouse_update() {
    if (game_flags.paused || game_flags.title_overlay || hud_dialog_state().open) {
        release_press();
        return false;
    }
    bool down = plat_input.button_down[0] != 0;
    bool pressed = plat_input.button_pressed[0] != 0 || (down && !plat_input.button_down_prev[0]);
    float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    if (pressed && press_on == PRESS_NONE) {
        int slot = bar_slot_at(mx, my);
        if (slot >= 0) {
            press_on = PRESS_BAR;
            press_index = slot;
        } else if (game_flags.windows.spellbook) {
            if (spellbook_close_box().contains(mx, my)) {
                spellbook_toggle();
                press_on = PRESS_WINDOW;
            } else if (int cell = book_cell_at(mx, my); cell >= 0) {
                press_on = PRESS_BOOK;
                press_index = cell;
            } else if (spellbook_box().contains(mx, my)) {
                press_on = PRESS_WINDOW;
            }
        }
        press_x = plat_input.mouse_x;
        press_y = plat_input.mouse_y;
    }
    if (press_on == PRESS_NONE) return false;
    if (down) {
        if (!dragging && (std::abs(plat_input.mouse_x - press_x) > 5 || std::abs(plat_input.mouse_y - press_y) > 5)) {
            if (press_on == PRESS_BAR && action_bar[press_index] >= 0) {
                dragging = true;
                drag_content = action_bar[press_index];
            } else if (press_on == PRESS_BOOK) {
                int order[SKILLS_PER_CLASS];
                spellbook_order(order);
                dragging = true;
                drag_content = order[press_index];
            }
        }
        return true;
    }
    // Released.
    if (dragging) {
        drop(mx, my);
    } else if (press_on == PRESS_BAR) {
        use_bar_slot(press_index);
    } else if (press_on == PRESS_BOOK) {
        int order[SKILLS_PER_CLASS];
        spellbook_order(order);
        use_skill(order[press_index]);
    }
    release_press();
    return true;
}

// ---- Drawing --------------------------------------------------------------------------------------

namespace {

const Vec4 kDim = {0.73f, 0.69f, 0.58f, 1.0f};

void content_icon(int32_t v, float x, float y, float size, float alpha) {
    if (v >= 0 && v < SKILLS_PER_CLASS) {
        const SkillDef& d = skill_of(v);
        icon_draw(d.icon, x, y, size, d.tint, alpha);
    } else if (v >= BAR_POTION_BASE) {
        int id = v - BAR_POTION_BASE;
        icon_draw(item_icon(id), x, y, size, item_colour(id), alpha);
    }
}

void tooltip(const UiRect& near, const char* l1, const char* l2, const char* l3) {
    float s = hud_scale;
    const char* lines[3] = {l1, l2, l3};
    float w = 0, h = 12 * s;
    for (int i = 0; i < 3; ++i) {
        if (!lines[i]) continue;
        float size = (i == 0 ? 18 : 15) * s;
        float lw = ui_text_width(lines[i], size, i == 0 ? UI_FONT_TITLE : UI_FONT_BODY);
        w = lw > w ? lw : w;
        h += size * 1.35f;
    }
    w += 24 * s;
    float x = near.x + near.w * 0.5f - w * 0.5f;
    float maxx = (float)plat_input.client_width - w - 4 * s;
    x = x < 4 * s ? 4 * s : (x > maxx ? maxx : x);
    float y = near.y - 10 * s - h;
    ui_panel(x, y, w, h, Vec4{0.06f, 0.08f, 0.07f, 0.95f}, HUD_PANEL_BORDER, std::fmax(1.0f, s));
    UiBoxScope box(x, y, w, h, UI_BOX_LAYER, std::fmax(1.0f, s));
    float ty = y + 6 * s;
    for (int i = 0; i < 3; ++i) {
        if (!lines[i]) continue;
        float size = (i == 0 ? 18 : 15) * s;
        ui_text(x + 12 * s, ty, lines[i], size, i == 0 ? HUD_GOLD : HUD_PARCHMENT, i == 0 ? UI_FONT_TITLE : UI_FONT_BODY);
        ty += size * 1.35f;
    }
}

void slot_tooltip(int i) {
    int32_t v = action_bar[i];
    UiRect b = bar_slot_box(i);
    if (v >= 0 && v < SKILLS_PER_CLASS) {
        const SkillDef& d = skill_of(v);
        const char* locked = player.level < d.level ? hud_fmt("Niveau %d requis", d.level) : nullptr;
        const char* cost;
        if (d.cost > 0)
            cost = hud_fmt("Coûte %d de %s  ·  recharge : %d s", d.cost,
                           player.player_class == CLASS_DRUID ? "mana" : "rage", (int)d.cooldown);
        else
            cost = hud_fmt("Recharge : %d s", (int)d.cooldown);
        if (locked)
            tooltip(b, d.name, locked, cost);
        else
            tooltip(b, d.name, cost, nullptr);
    } else if (v >= BAR_POTION_BASE) {
        int id = v - BAR_POTION_BASE;
        float cd = potion_cooldown_left();
        const char* line = cd > 0.0f ? hud_fmt("Dans le sac : %d  ·  recharge commune : %d s", bag_count(id),
                                               (int)std::ceil(cd))
                                     : hud_fmt("Dans le sac : %d", bag_count(id));
        tooltip(b, item_name(id), line, nullptr);
    }
}

}  // namespace

void bar_draw() {
    float s = hud_scale;
    UiRect first = bar_slot_box(0), last = bar_slot_box(BAR_SLOTS - 1);
    ui_panel(first.x - 8 * s, first.y - 8 * s, last.x + last.w - first.x + 16 * s, first.h + 16 * s, HUD_PANEL_FILL,
             HUD_PANEL_BORDER, std::fmax(1.0f, s));
    UiBoxScope bar(first.x - 8 * s, first.y - 8 * s, last.x + last.w - first.x + 16 * s, first.h + 16 * s);
    float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    int hover = -1;
    const bool pad_hints = plat_input.pad.connected && plat_input.pad_used_last;
    // A skill or a bag item carried by the pad is put down on a slot.
    const bool offered = ui_focus_carrying();
    for (int i = 0; i < BAR_SLOTS; ++i) {
        UiRect b = bar_slot_box(i);
        if (offered) ui_focus_add(b.x, b.y, b.w, b.h);
        bool over = b.contains(mx, my);
        if (over) hover = i;
        ui_panel(b.x, b.y, b.w, b.h, Vec4{0.04f, 0.05f, 0.04f, 0.85f},
                 over ? HUD_GOLD : Vec4{0.83f, 0.68f, 0.24f, 0.3f}, std::fmax(1.0f, s));
        UiBoxScope slot(b.x, b.y, b.w, b.h, 0, std::fmax(1.0f, s));
        int32_t v = action_bar[i];
        float pad = 4 * s, isz = b.w - 2 * pad;
        float remaining = 0.0f, total = 1.0f;
        if (v >= 0 && v < SKILLS_PER_CLASS) {
            const SkillDef& d = skill_of(v);
            bool locked = player.level < d.level;
            content_icon(v, b.x + pad, b.y + pad, isz, locked ? 0.45f : 1.0f);
            if (locked)
                ui_text_centred(b.x + b.w * 0.5f, b.y + b.h - 17 * s, hud_fmt("Niv %d", d.level), 13 * s, HUD_GOLD,
                                UI_FONT_BODY);
            remaining = player.skill_cooldown[v];
            total = d.cooldown;
        } else if (v >= BAR_POTION_BASE) {
            int id = v - BAR_POTION_BASE;
            int count = bag_count(id);
            content_icon(v, b.x + pad, b.y + pad, isz, count > 0 ? 1.0f : 0.45f);
            const char* n = hud_fmt("%d", count);
            float w = ui_text_width(n, 14 * s, UI_FONT_BODY);
            ui_text(b.x + b.w - w - 4 * s, b.y + b.h - 17 * s, n, 14 * s, HUD_PARCHMENT, UI_FONT_BODY);
            remaining = potion_cooldown_left();
            total = 20.0f;
        }
        if (remaining > 0.0f && total > 0.0f) {
            // The shade's top edge sweeps down as the cooldown runs out.
            float f = clampf(remaining / total, 0.0f, 1.0f);
            ui_rect(b.x, b.y + b.h * (1.0f - f), b.w, b.h * f, Vec4{0.0f, 0.0f, 0.0f, 0.6f});
            ui_text_centred(b.x + b.w * 0.5f, b.y + b.h * 0.5f - 11 * s, hud_fmt("%d", (int)std::ceil(remaining)),
                            22 * s, HUD_PARCHMENT, UI_FONT_TITLE);
        }
        if (pad_hints) {
            // The pad's button for the slot, bright on the page its trigger holds open.
            bool open = pad_bar_page() == i / 5 + 1;
            const char* button = pad_button_name(pad_bar_buttons[i % 5]);
            ui_text(b.x + 4 * s, b.y + 2 * s, hud_fmt("%s%s", i < 5 ? "LT " : "RT ", button), 11 * s,
                    open ? HUD_GOLD : kDim, UI_FONT_BODY);
            if (open) ui_panel(b.x, b.y, b.w, b.h, Vec4{0, 0, 0, 0}, HUD_PARCHMENT, 2.0f * s);
        } else {
            ui_text(b.x + 4 * s, b.y + 2 * s, hud_fmt("%d", (i + 1) % 10), 12 * s, kDim, UI_FONT_BODY);
        }
    }
    if (hover >= 0 && !dragging) slot_tooltip(hover);
}

void skill_drag_draw() {
    if (!dragging || drag_content < 0) return;
    float s = hud_scale, size = 44 * s;
    content_icon(drag_content, (float)plat_input.mouse_x - size * 0.5f, (float)plat_input.mouse_y - size * 0.5f, size,
                 0.85f);
}
