// The items played through the running game: a boar killed and searched,
// its tusk sold to Maître Anseau, a potion and a tunic bought, the tunic worn
// and seen on the figure, the last sale bought back, a full bag refusing
// loot; and pictures of the loot window, the shop and the character sheet.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "tests/support/shown.h"
#include "ui/item_windows.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "play/skills.h"
#include "ui/action_bar.h"
#include "ui/hud_draw.h"
#include "tests/support/drawn_text.h"
#include "render/hud.h"
#include "world/model.h"
#include "world/terrain.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"

namespace {

constexpr int W = 1280, H = 720;

bool game() {
    static int state = -1;
    if (state < 0) {
        headless_set_time_step(0.05);
        headless_set_window_size(W, H);
        scene_economy();
        state = game_startup() == 0 ? 1 : 0;
        game_flags.character_creation_open = 0;  // no character file here: straight into play
        game_flags.title_overlay = 0;
    }
    return state == 1;
}

InputState idle(float mx = W * 0.5f, float my = H * 0.5f) {
    InputState s;
    std::memset(&s, 0, sizeof(s));
    s.client_width = W;
    s.client_height = H;
    s.window_active = 1;
    s.mouse_x = (int)mx;
    s.mouse_y = (int)my;
    return s;
}

void play(std::vector<InputState>& script) {
    headless_set_input_script(script.data(), (int)script.size());
    for (size_t f = 0; f < script.size(); ++f) game_frame();
}

void frames(int n, float mx = W * 0.5f, float my = H * 0.5f) {
    std::vector<InputState> s(n, idle(mx, my));
    play(s);
}

void key(int k) {
    std::vector<InputState> s(3, idle());
    s[0].key_down[k] = s[0].key_pressed[k] = 1;
    s[1].key_down_prev[k] = 1;
    play(s);
}

// A left click at a point of the screen, shift held when asked.
void click(const UiRect& b, bool shift = false) {
    float x = b.x + b.w * 0.5f, y = b.y + b.h * 0.5f;
    std::vector<InputState> s(4, idle(x, y));
    s[1].button_down[0] = s[1].button_pressed[0] = 1;
    s[2].button_down_prev[0] = 1;
    if (shift)
        for (int i = 0; i < 4; ++i) s[i].key_down[0x2A] = 1;
    play(s);
}

void drag(const UiRect& from, const UiRect& to) {
    float x0 = from.x + from.w * 0.5f, y0 = from.y + from.h * 0.5f;
    float x1 = to.x + to.w * 0.5f, y1 = to.y + to.h * 0.5f;
    std::vector<InputState> s;
    InputState a = idle(x0, y0);
    a.button_down[0] = a.button_pressed[0] = 1;
    s.push_back(a);
    for (int k = 1; k <= 6; ++k) {
        InputState m = idle(x0 + (x1 - x0) * k / 6.0f, y0 + (y1 - y0) * k / 6.0f);
        m.button_down[0] = m.button_down_prev[0] = 1;
        s.push_back(m);
    }
    InputState r = idle(x1, y1);
    r.button_down_prev[0] = 1;
    s.push_back(r);
    s.push_back(idle(x1, y1));
    play(s);
}

void stand_at(float x, float z, float facing) {
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
    player.heading = facing;
    player.camera_yaw = facing;
    player.camera_pitch = 0.35f;
}

void fresh_character() {
    if (shop_is_open()) close_shop();
    if (game_flags.windows.loot) loot_close();
    game_flags.character_sheet_open = 0;
    player_reset_new();
    player.player_class = CLASS_ARCHER;
    std::strcpy(player.name, "Enide");
    inventory_clear();
    equipment_apply();
    shop_forget();
    bindings_reset();
    game_flags.title_overlay = 0;
    hud_message("", 0.0f);
    main_loop_set_draw_interval(100000);
}

// A boar killed in front of the player by the fighting code; kept until
// one drops a tusk.
Creature* boar_with_a_tusk() {
    Vec3 at = {player.pos_x + std::sin(player.heading) * 2.0f, 0, player.pos_z + std::cos(player.heading) * 2.0f};
    at.y = ground_height(at.x, at.z);
    for (int tries = 0; tries < 40; ++tries) {
        Creature* c = spawn_creature(SP_BOAR, at, at);
        if (!c) return nullptr;
        hit_creature(c, 1e6f, c->pos + Vec3{0, 0.5f, 0}, HIT_BODY, {0, 0, 1});
        if (c->in_use && c->ai_state == CS_DEAD)
            for (int i = 0; i < c->loot_count; ++i)
                if (c->loot[i] == 10) return c;
        free_creature(c);
    }
    return nullptr;
}

bool picture(const char* file) {
    // Only the pictures are drawn: a software renderer is slow.
    main_loop_set_draw_interval(1);
    frames(1, (float)plat_input.mouse_x, (float)plat_input.mouse_y);
    bool ok = headless_screenshot(file);
    main_loop_set_draw_interval(100000);
    return ok;
}

}  // namespace

TEST(ItemsScene, KillLootSellBuyWearAndBuyBack) {
    ASSERT_TRUE(game());
    fresh_character();
    Vec3 m = merchant_position();
    // On the market, a few steps from the stall.
    stand_at(m.x - 4.0f, m.z - 9.0f, 0.0f);
    frames(5);

    Creature* boar = boar_with_a_tusk();
    ASSERT_NE(boar, nullptr);
    EXPECT_TRUE(corpse_lootable(boar));
    frames(2);
    EXPECT_NE(std::string(hud_prompt_text()).find("Fouiller : Sanglier"), std::string::npos) << hud_prompt_text();
    key(bindings[BIND_INTERACT]);
    ASSERT_TRUE(game_flags.windows.loot);
    ASSERT_EQ(loot_corpse(), boar);
    EXPECT_TRUE(picture("items_loot_window.png"));
    click(loot_take_all_box());
    EXPECT_EQ(count_in_bag(10), 1);
    EXPECT_FALSE(corpse_lootable(boar));
    EXPECT_FALSE(game_flags.windows.loot) << "emptied, the loot window stays open over the bag";

    // At the counter: the interaction key opens the shop beside the sheet.
    stand_at(m.x, m.z - 2.6f, 0.0f);
    frames(3);
    EXPECT_NE(std::string(hud_prompt_text()).find("Commercer avec Maître Anseau"), std::string::npos);
    key(bindings[BIND_INTERACT]);
    ASSERT_TRUE(shop_is_open());
    ASSERT_TRUE(game_flags.character_sheet_open);
    int tusk = bag_find(10);
    ASSERT_GE(tusk, 0);
    int purse = player.purse;
    click(sheet_bag_box(tusk));
    EXPECT_EQ(player.purse, purse + 3);
    EXPECT_EQ(count_in_bag(10), 0);
    EXPECT_EQ(buy_back.id, 10);

    player.purse = 40;
    click(shop_stock_box(0));  // a minor healing potion
    EXPECT_EQ(count_in_bag(26), 1);
    EXPECT_EQ(player.purse, 32);
    click(shop_stock_box(2));  // a linen tunic
    ASSERT_EQ(count_in_bag(24), 1);
    EXPECT_EQ(player.purse, 20);
    click(shop_buy_back_box());
    EXPECT_EQ(count_in_bag(10), 1);
    EXPECT_EQ(player.purse, 17);
    EXPECT_EQ(buy_back.count, 0);
    frames(1, shop_stock_box(9).x + 10, shop_stock_box(9).y + 10);
    EXPECT_TRUE(picture("items_shop.png"));
    // Over a potion of the stock, the tooltip says what a click does there:
    // it buys, it drinks nothing. The same over the bag, where a click sells.
    const Vec4 hint = {0.73f, 0.69f, 0.58f, 1.0f};
    auto hints_over = [&](const UiRect& b) {
        plat_input.mouse_x = (int)(b.x + 10);
        plat_input.mouse_y = (int)(b.y + 10);
        ui_batch_clear();
        hud_draw();
        std::string text = drawn_text(hint) + "|" + drawn_text(HUD_GOLD);
        ui_batch_clear();
        return text;
    };
    std::string stock = hints_over(shop_stock_box(0));
    EXPECT_NE(stock.find("Clic:acheter(8deniers)"), std::string::npos) << stock;
    EXPECT_EQ(stock.find("boire"), std::string::npos) << stock;
    std::string selling = hints_over(sheet_bag_box(bag_find(26)));
    EXPECT_NE(selling.find("Clic:vendre(2deniers)"), std::string::npos) << selling;
    EXPECT_EQ(selling.find("boire"), std::string::npos) << selling;
    frames(1, shop_stock_box(0).x + 10, shop_stock_box(0).y + 10);
    EXPECT_TRUE(picture("items_shop_potion_hint.png"));

    // Escape leaves the shop; C opens the sheet, a click wears the tunic.
    key(KEY_ESCAPE);
    EXPECT_FALSE(shop_is_open());
    EXPECT_FALSE(game_flags.character_sheet_open);
    // The figure was drawn for the pictures above: it exists and is dressed.
    ASSERT_NE(player_model, nullptr) << "no player figure to dress";
    Vec3 linen = item_def(24).colour;
    auto linen_worn = [&] {
        for (int i = 0; i < player_model->node_count; ++i) {
            const Node& n = player_model->nodes[i];
            if (n.visible && n.tint.x == linen.x && n.tint.y == linen.y && n.tint.z == linen.z) return true;
        }
        return false;
    };
    EXPECT_FALSE(linen_worn());
    int nodes_before = player_model->node_count;
    key(bindings[BIND_CHARACTER]);
    ASSERT_TRUE(game_flags.character_sheet_open);
    click(sheet_bag_box(bag_find(24)));
    EXPECT_EQ(equipment[3], 24);
    EXPECT_EQ(player.gear_armour, 3);
    frames(2);
    // The tunic shows on the figure in its colour, on the pieces it already
    // carries: wearing something new adds no nodes.
    EXPECT_TRUE(linen_worn());
    EXPECT_EQ(player_model->node_count, nodes_before);
    // Dragging a worn-slot item back: the bag's potion onto the tunic's slot does nothing.
    drag(sheet_bag_box(bag_find(26)), sheet_equipment_box(3));
    EXPECT_EQ(equipment[3], 24);
    // A potion dragged onto the action bar takes its place there.
    UiRect seventh = bar_slot_box(6);
    drag(sheet_bag_box(bag_find(26)), UiRect{seventh.x, seventh.y, seventh.w, seventh.h});
    EXPECT_EQ(action_bar[6], BAR_POTION_BASE + 26);
    // Dragging within the bag moves the item.
    int from = bag_find(26);
    drag(sheet_bag_box(from), sheet_bag_box(20));
    EXPECT_EQ(bag[20].id, 26);
    EXPECT_EQ(bag[from].id, 0);
    // Hover over a bought pair of gloves against the worn ones for the comparison.
    add_to_bag(8);
    add_to_bag(37);
    equip_from_bag(bag_find(37));
    add_to_bag(30);
    equip_from_bag(bag_find(30));
    // A helmet and a bow for the portrait.
    add_to_bag(12);
    equip_from_bag(bag_find(12));
    add_to_bag(67);
    equip_from_bag(bag_find(67));
    EXPECT_EQ(equipment[11], 67);
    int gloves = bag_find(8);
    UiRect g = sheet_bag_box(gloves);
    frames(1, g.x + g.w * 0.5f, g.y + g.h * 0.5f);
    EXPECT_TRUE(picture("items_character_sheet.png"));

    // "Apparence" leaves the sheet for the creation screen's edit mode;
    // "Annuler" there puts the old look back and returns to the sheet.
    AppearanceChoice look = player_look;
    float heading = player.heading;
    click(sheet_appearance_box());
    EXPECT_FALSE(game_flags.character_sheet_open);
    ASSERT_TRUE(game_flags.character_creation_open);
    player_look.skin = (look.skin + 1) % 5;
    frames(1);
    EXPECT_TRUE(picture("items_appearance_edit.png"));
    const float s = hud_scale, cx = W * 0.68f;
    main_loop_set_draw_interval(1);  // the screen's buttons answer while it is drawn
    click(UiRect{cx - 310 * s, H - 130 * s, 300 * s, 56 * s});
    main_loop_set_draw_interval(100000);
    EXPECT_FALSE(game_flags.character_creation_open);
    EXPECT_EQ(player_look.skin, look.skin);
    EXPECT_FLOAT_EQ(player.heading, heading) << "he faces where he faced";
    EXPECT_TRUE(game_flags.character_sheet_open) << "\"Annuler\" closed the whole sheet";
    EXPECT_FALSE(plat_input.cursor_captured);
    key(bindings[BIND_CHARACTER]);
    EXPECT_FALSE(game_flags.character_sheet_open);
}

TEST(ItemsScene, AFullBagKeepsTheLootInTheCorpse) {
    ASSERT_TRUE(game());
    fresh_character();
    Vec3 m = merchant_position();
    stand_at(m.x - 4.0f, m.z - 9.0f, 0.0f);
    // One item of every kind, so the picture shows every icon.
    const int assortment[BAG_SLOTS] = {23, 30, 3,  1,  8,  5,  4,  9,  6,  7,  25, 47,
                                       26, 61, 64, 67, 69, 71, 94, 66, 74, 41, 96, 12};
    for (int i = 0; i < BAG_SLOTS; ++i) bag[i] = {assortment[i], 1};
    Creature* boar = boar_with_a_tusk();
    ASSERT_NE(boar, nullptr);
    int items = boar->loot_count;
    key(bindings[BIND_INTERACT]);
    ASSERT_TRUE(game_flags.windows.loot);
    click(loot_take_all_box());
    EXPECT_EQ(boar->loot_count, items);
    EXPECT_STREQ(shown_message(), "Votre sac est plein.");
    EXPECT_TRUE(game_flags.windows.loot) << "what the bag refused is still there to take";
    // Walking away closes it.
    float x = player.pos_x;
    stand_at(x + 8.0f, player.pos_z, 0.0f);
    frames(2);
    EXPECT_FALSE(game_flags.windows.loot);
    // Back with room in the bag: the rows taken one by one, the last one
    // closes the window.
    stand_at(x, player.pos_z, 0.0f);
    frames(2);
    key(bindings[BIND_INTERACT]);
    ASSERT_TRUE(game_flags.windows.loot);
    bag[22] = bag[23] = {0, 0};
    bag[20] = bag[21] = {0, 0};
    for (int n = 0; n < 4 && game_flags.windows.loot; ++n) click(loot_row_box(0));
    EXPECT_FALSE(corpse_lootable(boar));
    EXPECT_FALSE(game_flags.windows.loot) << "emptied row by row, the loot window stays open";
    free_creature(boar);
    key(bindings[BIND_BAG]);
    ASSERT_TRUE(game_flags.character_sheet_open);
    frames(1, 10, 10);
    EXPECT_TRUE(picture("items_every_icon.png"));
    key(bindings[BIND_BAG]);
}
