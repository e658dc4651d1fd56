#pragma once
// Maître Anseau, the merchant of Camelot's market: where he stands, his shop
// (buying, selling, grey items, buy-back) and his figure.
#include "common/mathx.h"

const char* merchant_name();
Vec3 merchant_position();
// Within 4.6 of him, in three dimensions.
bool merchant_in_reach();
// How far along the ray it first meets him, or -1.
float merchant_ray_distance(Vec3 origin, Vec3 direction);
void open_shop();
bool shop_is_open();
void close_shop();

// One purchase from the stock (index 0..9), five with shift. True when at
// least one was bought.
bool shop_buy(int stock_index, bool five);
bool shop_sell(int bag_slot);
// Every grey item of the bag, in slot order; returns the deniers earned.
int shop_sell_grey();
int grey_value();
bool shop_buy_back();

// The single buy-back entry (count 0: empty).
struct BuyBack {
    int id, count, price;
};
extern BuyBack buy_back;
// A character is loaded or made: the last sale was someone else's.
void shop_forget();

// A right click fell on him: the shop in reach, else a word to come closer.
// The interaction key's prompt.
void merchant_clicked();
bool merchant_prompt(bool pressed);

// Maître Anseau turns to the player; the shop closes when the player walks
// off, falls or closes the bag.
void merchant_update(float dt);
void merchant_submit();
void merchant_label_draw();  // the merchant's name (HUD pass)
