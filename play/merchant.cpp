// Maître Anseau keeps a stall on Camelot's market: ten goods for sale, any
// item bought back from the player, and the last sale offered back.
#include "play/merchant.h"

#include <cmath>

#include "common/game_events.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "sound/sound.h"
#include "world/camelot.h"
#include "world/human.h"
#include "render/mesh.h"
#include "world/model.h"
#include "world/terrain.h"

BuyBack buy_back = {0, 0, 0};

namespace {

constexpr float REACH = 4.6f;
// Behind the market's north-east counter.
constexpr float LOCAL_X = -30.0f, LOCAL_Z = 18.9f;

float heading = PI;
bool open = false;

Model figure{};
HumanRig rig{};
Appearance look{};
bool figure_built = false;

Vec3 feet() { return {player.pos_x, player.pos_y, player.pos_z}; }

const char* plural(int n) { return n >= 2 ? "s" : ""; }

void build_figure() {
    AppearanceChoice c{0, 1, 2, 5, 0, 2};
    look = appearance_from_choice(c);
    int root = model_add_node(&figure, -1, {0, 0, 0});
    human_build(&figure, root, &look, &rig);
    Material* cloth = human_clothing_material();
    for (int n = 0; n < figure.node_count; ++n) {
        Node& node = figure.nodes[n];
        if (node.material == cloth) node.tint = {0.45f, 0.26f, 0.14f};
    }
    figure_built = true;
}

}  // namespace

const char* merchant_name() { return "Maître Anseau"; }

Vec3 merchant_position() {
    float x = CAMELOT_X + LOCAL_X, z = CAMELOT_Z + LOCAL_Z;
    return {x, ground_height(x, z), z};
}

bool merchant_in_reach() { return !game_flags.underground && length(merchant_position() - feet()) <= REACH; }

float merchant_ray_distance(Vec3 origin, Vec3 direction) {
    if (game_flags.underground) return -1.0f;
    Vec3 d = normalize(direction);
    Vec3 m = merchant_position();
    for (float t = 0.0f; t <= 30.0f; t += 0.1f) {
        Vec3 p = origin + d * t;
        float h = p.y - m.y;
        if (std::hypot(p.x - m.x, p.z - m.z) < 0.5f && h >= 0.0f && h <= 2.3f) return t;
    }
    return -1.0f;
}


void open_shop() {
    open = true;
    game_flags.windows.merchant = 1;
    // The sheet opens beside the panel; no other window stays.
    player_windows_close_all();
    game_flags.character_sheet_open = 1;
    plat_set_cursor_captured(false);
}

bool shop_is_open() { return open; }

void close_shop() {
    if (!open) return;
    open = false;
    game_flags.windows.merchant = 0;
    game_flags.character_sheet_open = 0;
}

void shop_forget() { buy_back = {0, 0, 0}; }

bool shop_buy(int stock_index, bool five) {
    if (stock_index < 0 || stock_index >= MERCHANT_STOCK) return false;
    const MerchantOffer& o = merchant_stock[stock_index];
    int wanted = five ? 5 : 1, bought = 0;
    bool poor = false;
    for (int i = 0; i < wanted; ++i) {
        if (player.purse < o.price) {
            poor = true;
            break;
        }
        if (!add_to_bag(o.id)) break;
        player.purse -= o.price;
        ++bought;
    }
    if (bought == 0) {
        result_message(poor ? "Vous n'avez pas assez de deniers." : "Votre sac est plein.", 1.6f);
        return false;
    }
    snd_play(SFX_COINS, 0.8f);
    return true;
}

bool shop_sell(int bag_slot) {
    if (bag_slot < 0 || bag_slot >= BAG_SLOTS || !item_exists(bag[bag_slot].id)) return false;
    BagSlot& s = bag[bag_slot];
    int count = s.count > 1 ? s.count : 1;
    int price = sell_price(s.id) * count;
    player.purse += price;
    buy_back = {s.id, count, price};
    s.id = 0;
    s.count = 0;
    snd_play(SFX_COINS, 0.7f);
    result_float_text(feet() + Vec3{0, 2.2f, 0}, hud_fmt("+%d denier%s", price, plural(price)),
                      Vec4{1.0f, 0.85f, 0.3f, 1.0f}, 1.4f, 1.0f, 0.34f);
    return true;
}

int grey_value() {
    int total = 0;
    for (const BagSlot& s : bag)
        if (item_exists(s.id) && item_def(s.id).quality == 0) total += sell_price(s.id) * (s.count > 1 ? s.count : 1);
    return total;
}

int shop_sell_grey() {
    int total = 0;
    for (int i = 0; i < BAG_SLOTS; ++i) {
        if (!item_exists(bag[i].id) || item_def(bag[i].id).quality != 0) continue;
        int before = player.purse;
        if (shop_sell(i)) total += player.purse - before;
    }
    return total;
}

bool shop_buy_back() {
    if (buy_back.count <= 0 || !item_exists(buy_back.id)) return false;
    if (player.purse < buy_back.price) {
        result_message("Vous n'avez pas assez de deniers.", 1.6f);
        return false;
    }
    for (BagSlot& s : bag)
        if (s.id == 0) {
            s.id = buy_back.id;
            s.count = buy_back.count;
            player.purse -= buy_back.price;
            // Bought back once: the entry is gone.
            buy_back = {0, 0, 0};
            snd_play(SFX_COINS, 0.8f);
            return true;
        }
    result_message("Votre sac est plein.", 1.6f);
    return false;
}

// ---- Reaching him --------------------------------------------------------------------------

void merchant_clicked() {
    if (merchant_in_reach())
        open_shop();
    else
        result_message("Approchez-vous du marchand.", 1.2f);
}

bool merchant_prompt(bool pressed) {
    if (open || !merchant_in_reach()) return false;
    hud_prompt(true, hud_fmt("%s  ·  Commercer avec %s", interact_hint(), merchant_name()));
    if (pressed) open_shop();
    return true;
}

// ---- Frame steps ----------------------------------------------------------------------------

void merchant_update(float dt) {
    Vec3 m = merchant_position();
    // He turns to whoever comes to his counter.
    float want = std::atan2(player.pos_x - m.x, player.pos_z - m.z);
    float diff = std::remainder(want - heading, 2.0f * PI);
    heading += diff * std::fmin(1.0f, 4.0f * dt);
    if (open && (!merchant_in_reach() || player.dead || !game_flags.character_sheet_open)) close_shop();
}

void merchant_submit() {
    if (game_flags.underground) return;
    Vec3 m = merchant_position();
    Vec3 eye = render_camera.eye;
    if ((m.x - eye.x) * (m.x - eye.x) + (m.z - eye.z) * (m.z - eye.z) > 75.0f * 75.0f) return;
    if (!figure_built) build_figure();
    model_evaluate(&figure, mat4_translate(m) * mat4_rotate_y(heading));
    model_draw(&figure, nullptr, nullptr);
}

void merchant_label_draw() {
    if (game_flags.underground) return;
    Vec3 m = merchant_position();
    if (std::hypot(m.x - player.pos_x, m.z - player.pos_z) > 40.0f) return;
    hud_world_label(m + Vec3{0, 2.18f, 0}, "Maître Anseau\nMarchand", 0.15f, HUD_GOLD, UI_FONT_BODY);
}
