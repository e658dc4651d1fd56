#pragma once
// The windows of the items: the character sheet with the bag, the merchant's
// panel and the loot window. Layout and mouse handling here; drawing in
// ui/item_screens.cpp. Sizes are design values for a 1080-high window.
#include "render/hud.h"

// Character sheet.
UiRect sheet_box();
UiRect sheet_equipment_box(int slot);
UiRect sheet_bag_box(int slot);
UiRect sheet_sort_box();
// Opens the creation screen's edit mode to change the character's look.
UiRect sheet_appearance_box();
UiRect sheet_portrait_box();
// Merchant.
UiRect shop_box();
// A row of the stock; rows scrolled out of view have an empty box.
UiRect shop_stock_box(int index);
// With a large text the stock shows some of its rows and scrolls: the first
// shown (kept in range when drawn), how many, the rows' area and its arrows.
bool shop_stock_scrolls();
int& shop_stock_first();
int shop_stock_rows_shown();
UiRect shop_stock_area();
UiRect shop_stock_arrow_box(bool up);
UiRect shop_grey_box();
UiRect shop_buy_back_box();
// Loot window (row 0 is the money row when there is money).
UiRect loot_box();
UiRect loot_row_box(int row);
UiRect loot_take_all_box();
UiRect loot_close_box();

// What the pointer is over: a bag slot, a worn slot, a stock row.
enum HoverKind { HOVER_NONE, HOVER_BAG, HOVER_WORN, HOVER_STOCK, HOVER_BUY_BACK, HOVER_LOOT };
struct Hover {
    HoverKind kind;
    int index;
};
Hover items_hover(float x, float y);

// Presses, drags and clicks in the three windows; run each frame after the
// player's step. The dragged bag item (-1 none) for drawing.
void items_windows_update();
int items_dragged_bag_slot();
// Whether the pointer is over one of these windows (corpses are not picked
// through them).
bool items_pointer_over_window(float x, float y);
// Whether a point lies on the open shop (which may cover the sheet's left
// side where the window is narrow).
bool items_over_shop(float x, float y);
void character_sheet_draw();  // with the bag
void merchant_window_draw();
void loot_window_draw();
void interaction_cursor_draw();  // pulsing icon; draws nothing when there is nothing to use
// The item's tooltip (statistics, class, comparison, price) beside a box,
// ending with `hint` in place of the bag's click hint.
void item_tooltip_with_hint(int id, UiRect beside, const char* hint);
