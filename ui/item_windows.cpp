// Where the item windows sit on screen and what a press, a drag or a click
// does in them: equip, unequip, drop, move, sort, sell and buy, take loot.
#include "ui/item_windows.h"

#include <cmath>

#include "persist/characters.h"
#include "ui/character_creation.h"
#include "common/game_time.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/skills.h"
#include "ui/action_bar.h"
#include "render/hud.h"
#include "render/ui_focus.h"
#include "ui/screen_widgets.h"

namespace {

constexpr int KEY_LSHIFT = 0x2A, KEY_RSHIFT = 0x36;

float cw() { return (float)plat_input.client_width; }
float ch() { return (float)plat_input.client_height; }
float sc() { return hud_scale > 0.0f ? hud_scale : 1.0f; }

// Y held on a screen is the pad's Maj: Y + X throws away, Y + A buys five.
bool shift_held() {
    return plat_input.key_down[KEY_LSHIFT] || plat_input.key_down[KEY_RSHIFT] ||
           (ui_focus_has_pad() && pad_held(plat_input.pad, PAD_Y));
}

enum PressOn { ON_NONE, ON_BAG, ON_WORN, ON_OTHER };
PressOn press_on = ON_NONE;
int press_index = -1;
float press_x = 0, press_y = 0;
bool dragging = false;

// The shop is wide enough for the longest name of its stock on one line
// beside its icon, and with the sheet still fits a 4:3 screen.
constexpr float SHEET_W = 900, SHEET_H = 640, SHOP_W = 510, GAP = 16, CELL = 56, CELL_GAP = 8;
// With a large text the sheet and the shop fit 1280 x 720 at scale 1: the
// shop narrows to one column of stock that scrolls, with its arrows beside
// the rows, and the sheet rises no higher than the screen's top.
constexpr float COMPACT_SHOP_W = 340, STOCK_ROWS_SHOWN = 5, ARROWS_W = 36, ARROWS_GAP = 8;

float shop_w() { return widget_compact() ? COMPACT_SHOP_W : SHOP_W; }

// Where even the narrow shop has no room beside the sheet (a window narrower
// than 16:9), it lies over the sheet's left side, the bag still in sight.
bool shop_over_sheet() { return widget_compact() && (SHEET_W + GAP + COMPACT_SHOP_W) * sc() > cw(); }

// A press on the shop never reaches the sheet under it.
bool over_shop(float x, float y) { return shop_is_open() && shop_box().contains(x, y); }

int stock_first = 0;

}  // namespace

UiRect sheet_box() {
    float s = sc();
    float w = SHEET_W * s, h = SHEET_H * s;
    float x = (cw() - w) * 0.5f;
    if (shop_is_open() && !shop_over_sheet()) x = (cw() - w - (shop_w() + GAP) * s) * 0.5f + (shop_w() + GAP) * s;
    float y = (ch() - h) * 0.5f - 50 * s;
    if (widget_compact()) y = std::fmax(y, 12 * s);
    return {x, y, w, h};
}

UiRect sheet_portrait_box() {
    float s = sc();
    UiRect b = sheet_box();
    return {b.x + (24 + CELL + 12) * s, b.y + 66 * s, 236 * s, 6 * CELL * s + 5 * CELL_GAP * s};
}

UiRect sheet_equipment_box(int slot) {
    float s = sc();
    UiRect b = sheet_box();
    UiRect p = sheet_portrait_box();
    int column = slot < 6 ? 0 : 1, row = slot % 6;
    float x = column == 0 ? b.x + 24 * s : p.x + p.w + 12 * s;
    return {x, p.y + (float)row * (CELL + CELL_GAP) * s, CELL * s, CELL * s};
}

UiRect sheet_bag_box(int slot) {
    float s = sc();
    UiRect b = sheet_box();
    float x0 = b.x + b.w - 24 * s - 6 * CELL * s - 5 * CELL_GAP * s, y0 = b.y + 96 * s;
    int col = slot % 6, row = slot / 6;
    return {x0 + (float)col * (CELL + CELL_GAP) * s, y0 + (float)row * (CELL + CELL_GAP) * s, CELL * s, CELL * s};
}

UiRect sheet_sort_box() {
    float s = sc();
    UiRect last = sheet_bag_box(5);
    return {last.x + last.w - 90 * s, last.y - 38 * s, 90 * s, 28 * s};
}

UiRect sheet_appearance_box() {
    float s = sc();
    UiRect sort = sheet_sort_box();
    return {sort.x - 122 * s, sort.y, 114 * s, sort.h};
}

UiRect shop_box() {
    float s = sc();
    UiRect sheet = sheet_box();
    const float x = shop_over_sheet() ? sheet.x : sheet.x - (shop_w() + GAP) * s;
    return {x, sheet.y, shop_w() * s, SHEET_H * s};
}

bool shop_stock_scrolls() { return widget_compact(); }
int& shop_stock_first() { return stock_first; }
int shop_stock_rows_shown() { return shop_stock_scrolls() ? (int)STOCK_ROWS_SHOWN : MERCHANT_STOCK; }

UiRect shop_stock_area() {
    float s = sc();
    UiRect b = shop_box();
    return {b.x + 24 * s, b.y + 196 * s, b.w - 48 * s, (STOCK_ROWS_SHOWN * 60 - 8) * s};
}

UiRect shop_stock_arrow_box(bool up) {
    float s = sc();
    UiRect a = shop_stock_area();
    float h = (a.h - 8 * s) * 0.5f;
    return {a.x + a.w - ARROWS_W * s, up ? a.y : a.y + a.h - h, ARROWS_W * s, h};
}

UiRect shop_stock_box(int index) {
    float s = sc();
    UiRect b = shop_box();
    if (shop_stock_scrolls()) {
        // Rows out of view have no box: nothing to point at or click.
        const int last_first = MERCHANT_STOCK - (int)STOCK_ROWS_SHOWN;
        int row = index - (stock_first < 0 ? 0 : (stock_first > last_first ? last_first : stock_first));
        if (row < 0 || row >= (int)STOCK_ROWS_SHOWN) return {0, 0, 0, 0};
        UiRect a = shop_stock_area();
        return {a.x, a.y + (float)row * 60 * s, a.w - (ARROWS_W + ARROWS_GAP) * s, 52 * s};
    }
    float w = (b.w - 48 * s - 10 * s) * 0.5f, h = 52 * s;
    int col = index / 5, row = index % 5;
    return {b.x + 24 * s + (float)col * (w + 10 * s), b.y + 196 * s + (float)row * (h + 8 * s), w, h};
}

UiRect shop_grey_box() {
    float s = sc();
    UiRect b = shop_box();
    return {b.x + 24 * s, b.y + 496 * s, b.w - 48 * s, 34 * s};
}

UiRect shop_buy_back_box() {
    float s = sc();
    UiRect b = shop_box();
    // Clear of the foot hint under it.
    return {b.x + 24 * s, b.y + 566 * s, b.w - 48 * s, 46 * s};
}

UiRect loot_box() {
    float s = sc();
    Creature* c = loot_corpse();
    LootRow items[4];
    int rows = c ? loot_item_rows(c, items) + (c->loot_money > 0 ? 1 : 0) : 0;
    return {cw() * 0.6f, ch() * 0.28f, 340 * s, (58 + 62 * (float)rows + 56) * s};
}

UiRect loot_row_box(int row) {
    float s = sc();
    UiRect b = loot_box();
    return {b.x + 10 * s, b.y + 52 * s + (float)row * 62 * s, b.w - 20 * s, 58 * s};
}

UiRect loot_take_all_box() {
    float s = sc();
    UiRect b = loot_box();
    return {b.x + b.w * 0.5f - 80 * s, b.y + b.h - 46 * s, 160 * s, 34 * s};
}

UiRect loot_close_box() {
    float s = sc();
    UiRect b = loot_box();
    return {b.x + b.w - 34 * s, b.y + 8 * s, 26 * s, 26 * s};
}

Hover items_hover(float x, float y) {
    if (game_flags.windows.loot && loot_corpse()) {
        Creature* c = loot_corpse();
        LootRow items[4];
        int rows = loot_item_rows(c, items) + (c->loot_money > 0 ? 1 : 0);
        for (int r = 0; r < rows; ++r)
            if (loot_row_box(r).contains(x, y)) return {HOVER_LOOT, r};
    }
    if (shop_is_open()) {
        for (int i = 0; i < MERCHANT_STOCK; ++i)
            if (shop_stock_box(i).contains(x, y)) return {HOVER_STOCK, i};
        if (shop_buy_back_box().contains(x, y)) return {HOVER_BUY_BACK, 0};
        if (shop_box().contains(x, y)) return {HOVER_NONE, -1};
    }
    if (game_flags.character_sheet_open) {
        for (int i = 0; i < BAG_SLOTS; ++i)
            if (sheet_bag_box(i).contains(x, y)) return {HOVER_BAG, i};
        for (int i = 0; i < EQUIPMENT_SLOTS; ++i)
            if (sheet_equipment_box(i).contains(x, y)) return {HOVER_WORN, i};
    }
    return {HOVER_NONE, -1};
}

bool items_over_shop(float x, float y) { return over_shop(x, y); }

bool items_pointer_over_window(float x, float y) {
    if (game_flags.character_sheet_open && sheet_box().contains(x, y)) return true;
    if (shop_is_open() && shop_box().contains(x, y)) return true;
    if (game_flags.windows.loot && loot_box().contains(x, y)) return true;
    return false;
}

int items_dragged_bag_slot() { return dragging && press_on == ON_BAG ? press_index : (dragging && press_on == ON_WORN ? -2 - press_index : -1); }

namespace {

void release() {
    press_on = ON_NONE;
    press_index = -1;
    dragging = false;
}

void drop_drag(float x, float y) {
    if (over_shop(x, y)) return;
    if (press_on == ON_BAG) {
        for (int i = 0; i < BAG_SLOTS; ++i)
            if (sheet_bag_box(i).contains(x, y)) {
                move_in_bag(press_index, i);
                return;
            }
        for (int i = 0; i < EQUIPMENT_SLOTS; ++i)
            if (sheet_equipment_box(i).contains(x, y)) {
                equip_to_slot(press_index, i);
                return;
            }
        for (int i = 0; i < BAR_SLOTS; ++i) {
            if (bar_slot_box(i).contains(x, y)) {
                put_item_on_bar(bag[press_index].id, i);
                return;
            }
        }
    } else if (press_on == ON_WORN) {
        // A worn item dragged to the bag comes off.
        for (int i = 0; i < BAG_SLOTS; ++i)
            if (sheet_bag_box(i).contains(x, y)) {
                unequip(press_index);
                return;
            }
    }
}

void click_loot(float x, float y) {
    if (loot_close_box().contains(x, y)) {
        loot_close();
        return;
    }
    if (loot_take_all_box().contains(x, y)) {
        loot_take_all();
        return;
    }
    Creature* c = loot_corpse();
    if (!c) return;
    bool money = c->loot_money > 0;
    LootRow items[4];
    int rows = loot_item_rows(c, items) + (money ? 1 : 0);
    for (int r = 0; r < rows; ++r) {
        if (!loot_row_box(r).contains(x, y)) continue;
        if (money && r == 0)
            loot_take_money();
        else
            loot_take_row(r - (money ? 1 : 0));
        return;
    }
}

void click(float x, float y) {
    if (game_flags.windows.loot && loot_box().contains(x, y)) {
        click_loot(x, y);
        return;
    }
    if (shop_is_open() && shop_box().contains(x, y)) {
        for (int i = 0; i < MERCHANT_STOCK; ++i)
            if (shop_stock_box(i).contains(x, y)) {
                shop_buy(i, shift_held());
                return;
            }
        if (shop_grey_box().contains(x, y)) shop_sell_grey();
        if (shop_buy_back_box().contains(x, y)) shop_buy_back();
        return;
    }
    if (!game_flags.character_sheet_open) return;
    if (sheet_sort_box().contains(x, y)) {
        sort_bag();
        return;
    }
    if (!shop_is_open() && sheet_appearance_box().contains(x, y)) {
        game_flags.character_sheet_open = 0;
        character_creation_open_edit();
        return;
    }
    for (int i = 0; i < BAG_SLOTS; ++i)
        if (sheet_bag_box(i).contains(x, y)) {
            if (bag[i].id == 0) return;
            if (shift_held())
                drop_from_bag(i);
            else if (shop_is_open())
                shop_sell(i);
            else
                equip_from_bag(i);
            return;
        }
    for (int i = 0; i < EQUIPMENT_SLOTS; ++i)
        if (sheet_equipment_box(i).contains(x, y)) {
            unequip(i);
            return;
        }
}

}  // namespace

void items_windows_update() {
    if (game_flags.paused || game_flags.title_overlay || hud_dialog_state().open ||
        !(game_flags.character_sheet_open || game_flags.windows.loot || shop_is_open())) {
        release();
        return;
    }
    float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    bool down = plat_input.button_down[0] != 0;
    bool pressed = plat_input.button_pressed[0] != 0 || (down && !plat_input.button_down_prev[0]);
    if (pressed && press_on == ON_NONE) {
        press_on = ON_OTHER;
        press_index = -1;
        if (game_flags.character_sheet_open && !over_shop(mx, my)) {
            for (int i = 0; i < BAG_SLOTS; ++i)
                if (sheet_bag_box(i).contains(mx, my) && bag[i].id) {
                    press_on = ON_BAG;
                    press_index = i;
                }
            for (int i = 0; i < EQUIPMENT_SLOTS; ++i)
                if (sheet_equipment_box(i).contains(mx, my) && equipment[i]) {
                    press_on = ON_WORN;
                    press_index = i;
                }
        }
        press_x = mx;
        press_y = my;
        dragging = false;
    }
    if (press_on == ON_NONE) return;
    if (down) {
        float limit = 6.0f * sc();
        if (!dragging && (press_on == ON_BAG || press_on == ON_WORN) &&
            (std::fabs(mx - press_x) > limit || std::fabs(my - press_y) > limit))
            dragging = true;
        return;
    }
    if (dragging)
        drop_drag(mx, my);
    else
        click(press_x, press_y);
    release();
}
