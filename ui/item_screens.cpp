// The item windows as the player sees them: the character sheet with the
// worn items, the portrait and the bag; the merchant's panel; the loot
// window; the tooltip with its comparison; the bag cursor over a corpse.
#include <cmath>

#include "common/game_time.h"
#include "content/dialogue_words.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "ui/item_windows.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/hud.h"
#include "render/icons.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "render/ui_focus.h"
#include "render/ui_marks.h"
#include "ui/screen_widgets.h"

namespace {

const Vec4 kFill = {0.07f, 0.1f, 0.08f, 0.95f};
const Vec4 kCell = {0.04f, 0.05f, 0.04f, 0.9f};
const Vec4 kDim = {0.73f, 0.69f, 0.58f, 1.0f};
const Vec4 kRed = {0.95f, 0.3f, 0.25f, 1.0f};
const Vec4 kGreen = {0.35f, 0.95f, 0.35f, 1.0f};

float sc() { return hud_scale > 0.0f ? hud_scale : 1.0f; }

void place(const UiRect& b, int kind = UI_PLACE_PLAIN) { ui_focus_add(b.x, b.y, b.w, b.h, kind); }
float mouse_x() { return (float)plat_input.mouse_x; }
float mouse_y() { return (float)plat_input.mouse_y; }
const char* plural(int n) { return n >= 2 ? "s" : ""; }

void item_cell(const UiRect& b, int id, int count, bool hover) {
    float s = sc();
    Vec4 border = {0.83f, 0.68f, 0.24f, hover ? 0.9f : 0.3f};
    if (item_exists(id)) {
        Vec4 q = quality_colour((int)item_def(id).quality);
        border = {q.x, q.y, q.z, hover ? 1.0f : 0.7f};
    }
    ui_panel(b.x, b.y, b.w, b.h, kCell, border, std::fmax(1.0f, 1.5f * s));
    if (!item_exists(id)) return;
    UiBoxScope box(b.x, b.y, b.w, b.h);
    float pad = 4 * s;
    icon_draw(item_icon(id), b.x + pad, b.y + pad, b.w - 2 * pad, item_colour(id), 1.0f);
    // The frame's colour tells the quality; with a colour-vision correction
    // as many pips as the quality's rank say it too (none for grey).
    if (ui_marks_shown()) {
        const int q = (int)item_def(id).quality;
        const float pip = std::fmax(2.0f, std::round(std::fmin(b.w, b.h) * 0.07f));
        ui_mark_pips(b.x + 2 * pad - pip * 0.5f, b.y + 2 * pad - pip * 0.5f, pip, q, quality_colour(q));
    }
    if (count >= 2) {
        const char* n = hud_fmt("%d", count);
        float w = ui_text_width(n, 15 * s, UI_FONT_BODY);
        ui_text(b.x + b.w - w - 4 * s, b.y + b.h - 19 * s, n, 15 * s, HUD_PARCHMENT, UI_FONT_BODY);
    }
}

void button(const UiRect& b, const char* label, bool enabled) {
    float s = sc();
    bool over = enabled && b.contains(mouse_x(), mouse_y());
    ui_panel(b.x, b.y, b.w, b.h, over ? Vec4{0.22f, 0.28f, 0.18f, 1} : Vec4{0.12f, 0.17f, 0.13f, 1},
             Vec4{0.83f, 0.68f, 0.24f, enabled ? 0.8f : 0.3f}, std::fmax(1.0f, s));
    UiBoxScope box(b.x, b.y, b.w, b.h, 0, std::fmax(1.0f, s));
    ui_text_centred(b.x + b.w * 0.5f, b.y + (b.h - 17 * s) * 0.5f, label, 17 * s, enabled ? HUD_GOLD : kDim,
                    UI_FONT_BODY);
}

// A row of a list (the stock, the buy-back, the loot) that lights up under
// the pointer; returns whether the pointer is over it.
bool list_row(const UiRect& r, float mx, float my) {
    float s = sc();
    bool over = r.contains(mx, my);
    ui_panel(r.x, r.y, r.w, r.h, over ? Vec4{0.12f, 0.16f, 0.12f, 0.95f} : Vec4{0.09f, 0.12f, 0.1f, 0.9f},
             Vec4{0.83f, 0.68f, 0.24f, over ? 0.7f : 0.25f}, std::fmax(1.0f, s));
    return over;
}

// ---- Tooltip -----------------------------------------------------------------------------

struct Line {
    const char* text;
    Vec4 colour;
    float size;
    int font;
    int pips = 0;  // quality pips after the text (the item's name)
};

struct Tip {
    Line lines[24];
    int count;
    void add(const char* t, Vec4 c, float size = 15.0f, int font = UI_FONT_BODY) {
        if (count < 24) lines[count++] = {t, c, size, font};
    }
};

// An item's class (1 archer, 2 warrior, 3 druid; 0 none).
const char* class_word(int c) { return c >= 1 && c <= 3 ? class_display_name(c - 1, false) : ""; }

// `hint`, when given, stands in for the bag's click hint (a window where a
// click on the item does something else); "" leaves it out.
void fill_tip(Tip& t, int id, int count, bool worn, bool compare, const char* hint = nullptr,
              const char* extra = nullptr) {
    const ItemDef& d = item_def(id);
    t.add(d.name, quality_colour((int)d.quality), 19.0f, UI_FONT_TITLE);
    if (ui_marks_shown()) t.lines[t.count - 1].pips = (int)d.quality;
    const char* kn = kind_name((int)d.kind);
    if (kn[0]) t.add(kn, kDim);
    if (worn) t.add("Porté", HUD_GOLD);
    if (d.armour) t.add(hud_fmt("%d Armure", (int)d.armour), HUD_PARCHMENT);
    if (d.endurance) t.add(hud_fmt("+%d Endurance", (int)d.endurance), HUD_PARCHMENT);
    if (d.damage_bonus) t.add(hud_fmt("+%d %% de dégâts", (int)d.damage_bonus), HUD_PARCHMENT);
    if (d.agility) t.add(hud_fmt("+%d Agilité", (int)d.agility), HUD_PARCHMENT);
    if (d.item_class)
        t.add(hud_fmt("Classe : %s", class_word((int)d.item_class)),
              (int)d.item_class == player.player_class + 1 ? HUD_PARCHMENT : kRed);
    if (d.description) t.add(hud_fmt("« %s »", d.description), Vec4{0.85f, 0.8f, 0.55f, 1});
    if (compare && !worn && item_is_equippable(id)) {
        int slot = kind_slot((int)d.kind);
        if (d.kind == KIND_FINGER && equipment[9] && !equipment[10]) slot = 10;
        int other = equipment[slot];
        if (!item_exists(other)) {
            t.add("Emplacement libre : tout est gain", kGreen);
        } else {
            const ItemDef& o = item_def(other);
            t.add(hud_fmt("Comparé à : %s", o.name), kDim);
            int diffs[3] = {(int)d.armour - (int)o.armour, (int)d.endurance - (int)o.endurance,
                            (int)d.agility - (int)o.agility};
            static const char* const names[3] = {"Armure", "Endurance", "Agilité"};
            bool any = false;
            for (int i = 0; i < 3; ++i) {
                if (!diffs[i]) continue;
                any = true;
                t.add(hud_fmt("%s%d %s", diffs[i] > 0 ? "+" : "−", std::abs(diffs[i]), names[i]),
                      diffs[i] > 0 ? kGreen : kRed);
            }
            if (!any) t.add("Aucun changement", kDim);
        }
    }
    int unit = sell_price(id);
    if (count >= 2)
        t.add(hud_fmt("Prix de vente : %d deniers (×%d : %d)", unit, count, unit * count), HUD_GOLD);
    else
        t.add(hud_fmt("Prix de vente : %d denier%s", unit, plural(unit)), HUD_GOLD);
    // What a click does in this window (to buy, to sell) comes first.
    if (extra) t.add(extra, HUD_GOLD);
    // With the pad, X uses the item and Y held with it stands for Maj.
    const bool pad = ui_focus_pad_hints();
    if (hint) {
        if (hint[0]) t.add(hint, kDim);
    } else if (worn)
        t.add(pad ? "X : retirer" : "Clic : retirer", kDim);
    else if (d.kind == KIND_POTION)
        t.add(pad ? "X : boire  ·  Y + X : jeter" : "Clic : boire  ·  Maj + clic : jeter", kDim);
    else if (item_is_stackable(id))
        t.add(pad ? "Y + X : jeter" : "Maj + clic : jeter", kDim);
    else
        t.add(pad ? "X : équiper  ·  Y + X : jeter" : "Clic : équiper  ·  Maj + clic : jeter", kDim);
}

float tip_pip(const Line& l) { return std::fmax(2.0f, std::round(0.24f * l.size * sc())); }
float tip_pips_gap(const Line& l) { return 0.45f * l.size * sc(); }

UiRect tip_size(const Tip& t) {
    float s = sc(), w = 0, h = 16 * s;
    for (int i = 0; i < t.count; ++i) {
        float lw = ui_text_width(t.lines[i].text, t.lines[i].size * s, t.lines[i].font);
        if (t.lines[i].pips > 0) lw += tip_pips_gap(t.lines[i]) + ui_mark_pips_width(tip_pip(t.lines[i]), t.lines[i].pips);
        w = std::fmax(w, lw);
        h += t.lines[i].size * s * 1.35f;
    }
    return {0, 0, w + 28 * s, h};
}

void draw_tip(const Tip& t, float x, float y) {
    float s = sc();
    UiRect b = tip_size(t);
    ui_panel(x, y, b.w, b.h, Vec4{0.05f, 0.07f, 0.06f, 0.97f}, HUD_PANEL_BORDER, std::fmax(1.0f, s));
    UiBoxScope box(x, y, b.w, b.h, UI_BOX_LAYER, std::fmax(1.0f, s));
    float ty = y + 8 * s;
    for (int i = 0; i < t.count; ++i) {
        const Line& l = t.lines[i];
        float lw = ui_text(x + 14 * s, ty, l.text, l.size * s, l.colour, l.font);
        if (l.pips > 0) {
            // Centred on the capitals' middle.
            const float pip = tip_pip(l), base = ty + ui_baseline_factor(l.font) * l.size * s;
            ui_mark_pips(x + 14 * s + lw + tip_pips_gap(l), std::round(base - 0.36f * l.size * s - pip * 0.5f), pip,
                         l.pips, l.colour);
        }
        ty += l.size * s * 1.35f;
    }
}

void item_tooltip(int id, int count, bool worn, const UiRect& near, const char* extra, const char* hint = nullptr) {
    if (!item_exists(id)) return;
    float s = sc();
    Tip t{};
    fill_tip(t, id, count, worn, true, hint, extra);
    UiRect size = tip_size(t);
    float cw = (float)plat_input.client_width, ch = (float)plat_input.client_height;
    float x = near.x + near.w + 12 * s, y = near.y;
    if (x + size.w > cw - 4 * s) x = near.x - size.w - 12 * s;
    if (y + size.h > ch - 4 * s) y = ch - 4 * s - size.h;
    if (y < 4 * s) y = 4 * s;
    draw_tip(t, x, y);
    // The worn piece of that slot beside it.
    const ItemDef& d = item_def(id);
    if (!worn && item_is_equippable(id)) {
        int slot = kind_slot((int)d.kind);
        if (d.kind == KIND_FINGER && equipment[9] && !equipment[10]) slot = 10;
        int other = equipment[slot];
        if (item_exists(other)) {
            Tip o{};
            o.add("Actuellement équipé", kDim, 14.0f);
            fill_tip(o, other, 1, true, false);
            UiRect os = tip_size(o);
            float ox = x + size.w + 8 * s;
            if (ox + os.w > cw - 4 * s) ox = x - os.w - 8 * s;
            draw_tip(o, ox, y);
        }
    }
}

}  // namespace

void item_tooltip_with_hint(int id, UiRect beside, const char* hint) {
    item_tooltip(id, 1, false, beside, nullptr, hint);
}

namespace {

// ---- Character sheet ---------------------------------------------------------------------

const char* class_title() { return class_display_name(player.player_class, player_look.woman != 0); }

void characteristics(float x, float y, float w) {
    float s = sc(), size = 16 * s, step = size * 1.55f;
    auto row = [&](int i, const char* label, const char* value) {
        float cx = x + (float)(i % 2) * (w * 0.5f), cy = y + (float)(i / 2) * step;
        {
            UiBoxScope cell(cx, cy, 170 * s - 8 * s, step);
            ui_text(cx, cy, label, size, kDim, UI_FONT_BODY);
        }
        UiBoxScope cell(cx + 170 * s, cy, w * 0.5f - 170 * s, step);
        ui_text(cx + 170 * s, cy, value, size, HUD_PARCHMENT, UI_FONT_BODY);
    };
    int armour = player.armour;
    int reduce = armour > 0 ? (int)(100.0f * (float)armour / (100.0f + (float)armour)) : 0;
    row(0, "Niveau", hud_fmt("%d", player.level));
    row(1, "Armure", hud_fmt("%d  (−%d %% de dégâts)", armour, reduce));
    row(2, "Vie", hud_fmt("%d / %d", (int)player.health, (int)player.max_health));
    row(3, "Endurance", hud_fmt("+%d  (+%d PV)", player.endurance, player.endurance * 10));
    row(4, "Expérience",
        player.level >= MAX_LEVEL ? "—" : hud_fmt("%d / %d", player.experience, experience_need(player.level)));
    row(5, "Agilité", hud_fmt("+%d  (+%d %% de dégâts)", player.agility, player.agility * 2));
    row(6, "Ennemis abattus", hud_fmt("%d", player.kills));
    switch (player.player_class) {
        case CLASS_DRUID:
            row(7, "Trait de lune", hud_fmt("%d  ·  mana %d", (int)player_spell_damage(), (int)player.max_mana));
            break;
        case CLASS_WARRIOR:
            row(7, "Dégâts par coup", hud_fmt("%d  (×1,6 au 3e coup)", (int)player_melee_base()));
            break;
        default:
            row(7, "Dégâts par flèche", hud_fmt("%d  (×2 à la tête)", (int)player_ranged_base()));
            break;
    }
}

}  // namespace

void character_sheet_draw() {
    float s = sc();
    UiRect b = sheet_box();
    ui_panel(b.x, b.y, b.w, b.h, kFill, HUD_GOLD, 2 * s);
    UiBoxScope window(b.x, b.y, b.w, b.h, UI_BOX_LAYER, 2 * s);
    const char* name = player.name[0] ? player.name : "Sans nom";
    ui_text(b.x + 24 * s, b.y + 18 * s,
            hud_fmt("%s  ·  %s de la Table ronde  ·  niveau %d", name, class_title(), player.level), 26 * s, HUD_GOLD,
            UI_FONT_TITLE);
    float mx = mouse_x(), my = mouse_y();
    int dragged = items_dragged_bag_slot();
    UiRect p = sheet_portrait_box();
    ui_rect(p.x, p.y, p.w, p.h, Vec4{0.02f, 0.03f, 0.03f, 0.85f});
    ui_portrait(p.x, p.y, p.w, p.h);
    for (int i = 0; i < EQUIPMENT_SLOTS; ++i) {
        UiRect e = sheet_equipment_box(i);
        if (items_over_shop(e.x + e.w * 0.5f, e.y + e.h * 0.5f)) continue;
        place(e, UI_PLACE_CARRY);
        item_cell(e, dragged == -2 - i ? 0 : equipment[i], 1, e.contains(mx, my));
        UiBoxScope cell(e.x, e.y, e.w, e.h);
        if (!equipment[i]) ui_text_centred(e.x + e.w * 0.5f, e.y + e.h * 0.5f - 7 * s, slot_label(i), 12 * s, kDim,
                                           UI_FONT_BODY);
    }
    characteristics(b.x + 24 * s, p.y + p.h + 18 * s, b.w - 48 * s);
    UiRect first = sheet_bag_box(0);
    ui_text(first.x, first.y - 36 * s, "Sac", 22 * s, HUD_GOLD, UI_FONT_TITLE);
    button(sheet_sort_box(), "Trier", true);
    place(sheet_sort_box());
    if (!shop_is_open()) {
        button(sheet_appearance_box(), "Apparence", true);
        place(sheet_appearance_box());
    }
    for (int i = 0; i < BAG_SLOTS; ++i) {
        UiRect c = sheet_bag_box(i);
        place(c, UI_PLACE_CARRY);
        bool hidden = dragged == i;
        item_cell(c, hidden ? 0 : bag[i].id, bag[i].count, c.contains(mx, my));
    }
    UiRect last = sheet_bag_box(BAG_SLOTS - 1);
    ui_text(first.x, last.y + last.h + 16 * s, hud_fmt("Bourse :  %d denier%s", player.purse, plural(player.purse)),
            18 * s, HUD_GOLD, UI_FONT_BODY);
    const char* hint = ui_focus_pad_hints()
                           ? (shop_is_open() ? "X : vendre au marchand  ·  Y + X : jeter  ·  B : quitter l'échoppe"
                                             : "X : équiper, boire ou retirer  ·  A : prendre, puis A : poser (sur "
                                               "place : équiper ou boire)\nY + X : jeter  ·  B : fermer")
                           : shop_is_open()
                           ? "Clic : vendre au marchand  ·  Maj + clic : jeter\nÉchap : quitter l'échoppe  ·  C : "
                             "feuille de personnage"
                           : "Clic : équiper, boire ou retirer  ·  Maj + clic : jeter\nGlisser : ranger, équiper, ou "
                             "une potion vers la barre  ·  C ou I : fermer";
    ui_text_wrapped(b.x + 24 * s, b.y + b.h - 50 * s, b.w - 48 * s, hint, 14 * s, kDim, UI_FONT_BODY, 1.3f);
}

void merchant_window_draw() {
    if (!shop_is_open()) return;
    float s = sc();
    UiRect b = shop_box();
    ui_panel(b.x, b.y, b.w, b.h, kFill, HUD_GOLD, 2 * s);
    UiBoxScope window(b.x, b.y, b.w, b.h, UI_BOX_LAYER, 2 * s);
    ui_text(b.x + 24 * s, b.y + 18 * s, merchant_name(), 28 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text(b.x + 24 * s, b.y + 54 * s, "Colporteur de Camelot", 16 * s, kDim, UI_FONT_BODY);
    ui_text_wrapped(b.x + 24 * s, b.y + 84 * s, b.w - 48 * s,
                    words_for_player("Potions, cuir, bonnes bottes… et j'achète tout ce que tu rapportes, {classe} !"),
                    15 * s, HUD_PARCHMENT, UI_FONT_BODY, 1.3f);
    ui_text(b.x + 24 * s, b.y + 160 * s, "À vendre", 20 * s, HUD_GOLD, UI_FONT_TITLE);
    const bool pad = ui_focus_pad_hints();
    const char* by_five = pad ? "Y + A : par 5" : "Maj + clic : par 5";
    ui_text(b.x + b.w - 24 * s - ui_text_width(by_five, 14 * s, UI_FONT_BODY), b.y + 166 * s, by_five, 14 * s, kDim,
            UI_FONT_BODY);
    float mx = mouse_x(), my = mouse_y();
    if (shop_stock_scrolls())
        widget_list_scroll(shop_stock_first(), MERCHANT_STOCK, shop_stock_rows_shown(), shop_stock_area(),
                           shop_stock_arrow_box(true), shop_stock_arrow_box(false));
    for (int i = 0; i < MERCHANT_STOCK; ++i) {
        UiRect r = shop_stock_box(i);
        if (r.w <= 0) continue;
        place(r);
        const MerchantOffer& o = merchant_stock[i];
        list_row(r, mx, my);
        UiBoxScope row(r.x, r.y, r.w, r.h, 0, std::fmax(1.0f, s));
        UiRect icon = {r.x + 4 * s, r.y + 4 * s, r.h - 8 * s, r.h - 8 * s};
        item_cell(icon, o.id, 1, false);
        const ItemDef& d = item_def(o.id);
        // The tooltip names the item whole, should a name ever outgrow its row.
        const float text_x = icon.x + icon.w + 8 * s, room = r.x + r.w - 6 * s - text_x;
        ui_text_fitted(text_x, r.y + 6 * s, room, d.name, 14 * s, quality_colour((int)d.quality), UI_FONT_BODY);
        ui_text(icon.x + icon.w + 8 * s, r.y + 27 * s, hud_fmt("%d denier%s", o.price, plural(o.price)), 14 * s,
                player.purse >= o.price ? HUD_GOLD : kRed, UI_FONT_BODY);
    }
    int grey = grey_value();
    UiRect g = shop_grey_box();
    if (grey > 0) place(g);
    // The narrow shop of a large text says it shorter where the whole would not fit.
    const char* sell_grey = hud_fmt("Vendre les objets gris  (%d denier%s)", grey, plural(grey));
    if (grey > 0 && ui_text_width(sell_grey, 17 * s, UI_FONT_BODY) > g.w - 16 * s)
        sell_grey = hud_fmt("Vendre le gris  (%d d.)", grey);
    if (grey > 0)
        button(g, sell_grey, true);
    else
        ui_text_centred(g.x + g.w * 0.5f, g.y + 8 * s, "Aucun objet gris à vendre", 16 * s, kDim, UI_FONT_BODY);
    UiRect r = shop_buy_back_box();
    ui_text(r.x, r.y - 28 * s, "Rachat", 18 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text(r.x + 80 * s, r.y - 24 * s, "dernier objet vendu", 14 * s, kDim, UI_FONT_BODY);
    if (buy_back.count > 0 && item_exists(buy_back.id)) {
        place(r);
        list_row(r, mx, my);
        UiBoxScope row(r.x, r.y, r.w, r.h, 0, std::fmax(1.0f, s));
        UiRect icon = {r.x + 4 * s, r.y + 4 * s, r.h - 8 * s, r.h - 8 * s};
        item_cell(icon, buy_back.id, buy_back.count, false);
        const ItemDef& d = item_def(buy_back.id);
        ui_text_fitted(icon.x + icon.w + 8 * s, r.y + 5 * s, r.x + r.w - 14 * s - icon.x - icon.w, d.name, 15 * s,
                       quality_colour((int)d.quality), UI_FONT_BODY);
        ui_text(icon.x + icon.w + 8 * s, r.y + 25 * s, hud_fmt("%d denier%s", buy_back.price, plural(buy_back.price)),
                14 * s, HUD_GOLD, UI_FONT_BODY);
    } else {
        ui_text(r.x, r.y + 10 * s, "Rien pour l'instant.", 15 * s, kDim, UI_FONT_BODY);
    }
    ui_text_centred(b.x + b.w * 0.5f, b.y + b.h - 22 * s,
                    pad ? "X sur un objet du sac : le vendre" : "Clic sur un objet du sac : le vendre", 14 * s, kDim,
                    UI_FONT_BODY);
}

void loot_window_draw() {
    Creature* c = loot_corpse();
    if (!c) return;
    float s = sc();
    UiRect b = loot_box();
    ui_panel(b.x, b.y, b.w, b.h, kFill, HUD_GOLD, 2 * s);
    UiBoxScope window(b.x, b.y, b.w, b.h, UI_BOX_LAYER, 2 * s);
    ui_text(b.x + 14 * s, b.y + 12 * s, hud_fmt("Butin : %s", creature_display_name(c)), 20 * s, HUD_GOLD,
            UI_FONT_TITLE);
    UiRect x = loot_close_box();
    button(x, "×", true);
    place(x);
    float mx = mouse_x(), my = mouse_y();
    bool money = c->loot_money > 0;
    LootRow items[4];
    int rows = loot_item_rows(c, items) + (money ? 1 : 0);
    for (int r = 0; r < rows; ++r) {
        UiRect row = loot_row_box(r);
        place(row);
        bool over = list_row(row, mx, my);
        UiBoxScope row_box(row.x, row.y, row.w, row.h, 0, std::fmax(1.0f, s));
        UiRect icon = {row.x + 5 * s, row.y + 5 * s, row.h - 10 * s, row.h - 10 * s};
        if (money && r == 0) {
            ui_panel(icon.x, icon.y, icon.w, icon.h, kCell, HUD_PANEL_BORDER, std::fmax(1.0f, s));
            icon_draw(KIND_PURSE, icon.x + 3 * s, icon.y + 3 * s, icon.w - 6 * s, Vec3{0.85f, 0.7f, 0.3f}, 1.0f);
            ui_text(icon.x + icon.w + 10 * s, row.y + 18 * s, hud_fmt("%d denier%s", c->loot_money, plural(c->loot_money)),
                    17 * s, HUD_GOLD, UI_FONT_BODY);
        } else {
            const LootRow& it = items[r - (money ? 1 : 0)];
            item_cell(icon, it.id, it.count, false);
            const ItemDef& d = item_def(it.id);
            const char* name = it.count > 1 ? hud_fmt("%s ×%d", d.name, it.count) : d.name;
            ui_text(icon.x + icon.w + 10 * s, row.y + 18 * s, name, 17 * s, quality_colour((int)d.quality),
                    UI_FONT_BODY);
        }
        if (over && items_dragged_bag_slot() == -1) {
            const char* take = ui_focus_pad_hints() ? "A : prendre" : "Clic : prendre";
            ui_text(row.x + row.w - ui_text_width(take, 13 * s, UI_FONT_BODY) - 8 * s, row.y + row.h - 18 * s, take,
                    13 * s, kDim, UI_FONT_BODY);
        }
    }
    button(loot_take_all_box(), "Tout prendre", true);
    place(loot_take_all_box());
}

void interaction_cursor_draw() {
    float s = sc(), mx = mouse_x(), my = mouse_y();
    const bool pad = ui_focus_pad_hints();
    // Tooltips and hints of the item windows, above every window.
    Hover h = items_hover(mx, my);
    int dragged = items_dragged_bag_slot();
    if (dragged == -1) {
        // In the shop a click buys, buys back or sells: that is the only
        // hint, never the bag's "boire" or "équiper".
        if (h.kind == HOVER_BAG && bag[h.index].id) {
            const char* extra = nullptr;
            const char* hint = nullptr;
            if (shop_is_open()) {
                int n = bag[h.index].count > 1 ? bag[h.index].count : 1;
                int total = sell_price(bag[h.index].id) * n;
                extra = hud_fmt(pad ? "X : vendre (%d denier%s)" : "Clic : vendre (%d denier%s)", total, plural(total));
                hint = pad ? "Y + X : jeter" : "Maj + clic : jeter";
            }
            item_tooltip(bag[h.index].id, bag[h.index].count, false, sheet_bag_box(h.index), extra, hint);
        } else if (h.kind == HOVER_WORN && equipment[h.index]) {
            item_tooltip(equipment[h.index], 1, true, sheet_equipment_box(h.index), nullptr);
        } else if (h.kind == HOVER_STOCK) {
            const MerchantOffer& o = merchant_stock[h.index];
            item_tooltip(o.id, 1, false, shop_stock_box(h.index),
                         hud_fmt(pad ? "A : acheter (%d denier%s)" : "Clic : acheter (%d denier%s)", o.price,
                                 plural(o.price)),
                         "");
        } else if (h.kind == HOVER_BUY_BACK && buy_back.count > 0) {
            item_tooltip(buy_back.id, buy_back.count, false, shop_buy_back_box(),
                         pad ? "A : racheter" : "Clic : racheter", "");
        }
    } else {
        int id = dragged >= 0 ? bag[dragged].id : equipment[-2 - dragged];
        float size = 48 * s;
        if (item_exists(id)) icon_draw(item_icon(id), mx - size * 0.5f, my - size * 0.5f, size, item_colour(id), 0.85f);
    }
    // The bag over a corpse that can be searched.
    if (hud_dialog_state().open || game_flags.character_creation_open || game_flags.character_select_open) return;
    if (items_pointer_over_window(mx, my)) return;
    float px = mx, py = my;
    if (plat_input.cursor_captured) {
        px = (float)plat_input.client_width * 0.5f;
        py = (float)plat_input.client_height * 0.5f;
    }
    Vec3 origin;
    Vec3 dir = screen_ray(px, py, &origin);
    Creature* c = corpse_hit_by_ray(origin, dir);
    if (!c || c == loot_corpse()) return;
    float size = 40 * s * (1.0f + 0.06f * std::sin(6.0f * (float)game_clock));
    icon_draw(KIND_PURSE, px - size * 0.5f, py - size * 0.5f, size, Vec3{0.72f, 0.52f, 0.3f}, 1.0f);
}
