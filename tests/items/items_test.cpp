// The bag's rules, wearing and drinking, prices, the merchant's trades and
// the loot on corpses, with the numbers a player would check by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "render/hud.h"
#include "tests/support/shown.h"
#include "world/terrain.h"

namespace {

constexpr int MINOR = 26, HEAL = 27, MAJOR = 86, ELIXIR = 66, TUSK = 10, BONE = 25;

void fresh(int cls = CLASS_ARCHER) {
    creatures_reset();
    hud_reset();
    player_reset_new();
    player.player_class = cls;
    player.level = 1;
    inventory_clear();
    equipment_apply();
    player.max_health = player.health = 200.0f;
    player.max_mana = player.mana = 100.0f;
    potion_cooldown = 0.0f;
    shop_forget();
    std::memset(&plat_input, 0, sizeof(plat_input));
}

std::string message() { return shown_message(); }

void fill_bag_with(int id) {
    for (BagSlot& s : bag) s = {id, 1};
}

}  // namespace

TEST(Bag, StacksAddCountRemove) {
    fresh();
    for (int i = 0; i < 21; ++i) ASSERT_TRUE(add_to_bag(MINOR));
    EXPECT_EQ(bag[0].id, MINOR);
    EXPECT_EQ(bag[0].count, 20);
    EXPECT_EQ(bag[1].id, MINOR);  // the 21st starts a second stack
    EXPECT_EQ(bag[1].count, 1);
    EXPECT_EQ(count_in_bag(MINOR), 21);
    // Non-stacking items take one slot each.
    ASSERT_TRUE(add_to_bag(1));
    ASSERT_TRUE(add_to_bag(1));
    EXPECT_EQ(bag[2].id, 1);
    EXPECT_EQ(bag[3].id, 1);
    EXPECT_FALSE(add_to_bag(0));
    EXPECT_FALSE(add_to_bag(114));
    // Removal: all or nothing, from the last slot backwards.
    EXPECT_FALSE(remove_from_bag(MINOR, 22));
    EXPECT_EQ(count_in_bag(MINOR), 21);
    EXPECT_FALSE(remove_from_bag(MINOR, 0));
    ASSERT_TRUE(remove_from_bag(MINOR, 3));
    EXPECT_EQ(bag[1].id, 0);
    EXPECT_EQ(bag[0].count, 18);
    EXPECT_TRUE(remove_from_bag(1, 2));
    EXPECT_EQ(count_in_bag(1), 0);
    // A slot saved with count 0 still holds one item.
    bag[5] = {TUSK, 0};
    EXPECT_EQ(count_in_bag(TUSK), 1);
    EXPECT_TRUE(remove_from_bag(TUSK, 1));
    EXPECT_EQ(bag[5].id, 0);
}

TEST(Bag, MoveMergesOrSwapsAndSortOrders) {
    fresh();
    bag[0] = {MINOR, 12};
    bag[3] = {MINOR, 12};
    ASSERT_TRUE(move_in_bag(0, 3));
    EXPECT_EQ(bag[3].count, 20);
    EXPECT_EQ(bag[0].id, MINOR);
    EXPECT_EQ(bag[0].count, 4);
    bag[7] = {1, 1};
    ASSERT_TRUE(move_in_bag(7, 0));  // different items swap
    EXPECT_EQ(bag[0].id, 1);
    EXPECT_EQ(bag[7].id, MINOR);
    EXPECT_EQ(bag[7].count, 4);
    EXPECT_FALSE(move_in_bag(2, 4));  // from an empty slot
    EXPECT_FALSE(move_in_bag(0, 0));
    EXPECT_FALSE(move_in_bag(0, 24));

    fresh();
    bag[2] = {MINOR, 12};
    bag[9] = {MINOR, 12};
    bag[0] = {TUSK, 1};       // grey trophy, weight 30
    bag[4] = {23, 1};         // purple helmet, weight 0
    bag[5] = {12, 1};         // white helmet, weight 0
    bag[6] = {41, 3};         // material, weight 20
    bag[11] = {9, 1};         // ring, weight 9
    sort_bag();
    const int want_ids[] = {23, 12, 9, MINOR, MINOR, 41, TUSK, 0};
    const int want_counts[] = {1, 1, 1, 20, 4, 3, 1, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(bag[i].id, want_ids[i]) << "slot " << i;
        EXPECT_EQ(bag[i].count, want_counts[i]) << "slot " << i;
    }
    EXPECT_EQ(count_in_bag(MINOR), 24);
}

TEST(Bag, GiveItemOnAFullBagSaysTheItemIsLost) {
    fresh();
    fill_bag_with(1);
    EXPECT_FALSE(give_item(3, "test"));
    EXPECT_EQ(message(), "Votre sac est plein : Pendentif de Viviane est perdu.");
    EXPECT_EQ(count_in_bag(3), 0);
    // A stack with room still takes a stackable item.
    bag[4] = {MINOR, 19};
    EXPECT_TRUE(give_item(MINOR, nullptr));
    EXPECT_EQ(bag[4].count, 20);
    // The chest gives all of its items or none, nothing lost either way.
    fresh();
    fill_bag_with(1);
    bag[23] = {0, 0};
    const int two[2] = {19, HEAL};
    EXPECT_FALSE(give_items_fit(two, 2, "coffre"));
    EXPECT_EQ(count_in_bag(19), 0);
    EXPECT_EQ(count_in_bag(HEAL), 0);
    bag[22] = {0, 0};
    EXPECT_TRUE(give_items_fit(two, 2, "coffre"));
    EXPECT_EQ(count_in_bag(19), 1);
    EXPECT_EQ(count_in_bag(HEAL), 1);
}

TEST(Wearing, SlotsRingsClassesAndStatistics) {
    fresh(CLASS_ARCHER);
    bag[0] = {19, 1};  // mail, 24 armour 4 endurance
    ASSERT_TRUE(equip_from_bag(0));
    EXPECT_EQ(equipment[3], 19);
    EXPECT_EQ(bag[0].id, 0);
    EXPECT_EQ(player.gear_armour, 24);
    EXPECT_EQ(player.endurance, 4);
    bag[0] = {1, 1};  // another chest piece swaps with the worn one
    ASSERT_TRUE(equip_from_bag(0));
    EXPECT_EQ(equipment[3], 1);
    EXPECT_EQ(bag[0].id, 19);
    EXPECT_EQ(player.gear_armour, 12);

    // Rings: slot 9, then 10, then the third replaces slot 9.
    bag[1] = {9, 1};
    bag[2] = {21, 1};
    bag[3] = {22, 1};
    equip_from_bag(1);
    equip_from_bag(2);
    equip_from_bag(3);
    EXPECT_EQ(equipment[9], 22);
    EXPECT_EQ(equipment[10], 21);
    EXPECT_EQ(bag[3].id, 9);

    // Weapons: the class check and the damage factor.
    bag[4] = {69, 1};
    EXPECT_FALSE(equip_from_bag(4));
    EXPECT_EQ(message(), "Réservé au guerrier.");
    EXPECT_EQ(bag[4].id, 69);
    bag[4] = {68, 1};
    ASSERT_TRUE(equip_from_bag(4));
    EXPECT_FLOAT_EQ(weapon_damage_factor(), 1.16f);
    EXPECT_FLOAT_EQ(player.weapon_factor, 1.16f);

    // Things that are not worn.
    bag[5] = {TUSK, 3};
    EXPECT_FALSE(equip_from_bag(5));
    EXPECT_EQ(message(), "Cet objet ne se porte pas.");
    // Dragging onto a slot of another kind does nothing; a ring fits either ring slot.
    bag[6] = {3, 1};
    EXPECT_FALSE(equip_to_slot(6, 0));
    bag[7] = {31, 1};
    EXPECT_TRUE(equip_to_slot(7, 10));
    EXPECT_EQ(equipment[10], 31);
    EXPECT_EQ(bag[7].id, 21);

    // Taking off needs room.
    fill_bag_with(2);
    EXPECT_FALSE(unequip(3));
    EXPECT_EQ(message(), "Votre sac est plein.");
    EXPECT_EQ(equipment[3], 1);
    bag[0] = {0, 0};
    EXPECT_TRUE(unequip(3));
    EXPECT_EQ(equipment[3], 0);
    EXPECT_EQ(bag[0].id, 1);
    EXPECT_EQ(player.gear_armour, 0);
    EXPECT_TRUE(drop_from_bag(0));
    EXPECT_EQ(message(), "Objet jeté : Tunique de forestier");
    bag[1] = {MINOR, 4};
    EXPECT_TRUE(drop_from_bag(1));
    EXPECT_EQ(message(), "Objets jetés : Potion de soin mineure ×4");
}

TEST(Potions, HealCooldownFullHealthAndTheElixir) {
    fresh(CLASS_DRUID);
    bag[0] = {MINOR, 2};
    bag[1] = {ELIXIR, 1};
    // Full health: the potion is kept.
    EXPECT_FALSE(drink(0));
    EXPECT_EQ(message(), "Vous êtes déjà en pleine forme.");
    EXPECT_EQ(bag[0].count, 2);
    // The elixir at full mana is still drunk.
    ASSERT_TRUE(drink(1));
    EXPECT_EQ(bag[1].id, 0);
    EXPECT_FLOAT_EQ(player.mana, 100.0f);
    EXPECT_FLOAT_EQ(potion_cooldown, 20.0f);
    player.health = 100.0f;
    items_update(5.3f);
    EXPECT_FALSE(drink(0));
    EXPECT_EQ(message(), "Pas encore : 15 s");
    items_update(15.0f);
    ASSERT_TRUE(drink(0));
    EXPECT_FLOAT_EQ(player.health, 160.0f);
    EXPECT_EQ(bag[0].count, 1);
    // Only a druid drinks the elixir.
    fresh(CLASS_WARRIOR);
    bag[0] = {ELIXIR, 1};
    player.mana = 0.0f;
    EXPECT_FALSE(drink(0));
    EXPECT_EQ(message(), "Seul un druide sait boire cet élixir.");
    // Nothing while dead; the major potion heals 320 up to the maximum.
    fresh();
    bag[0] = {MAJOR, 1};
    player.health = 10.0f;
    player.dead = 1;
    EXPECT_FALSE(drink(0));
    player.dead = 0;
    EXPECT_TRUE(drink(0));
    EXPECT_FLOAT_EQ(player.health, 200.0f);
    // From the action bar: the first stack of that potion.
    fresh();
    bag[3] = {HEAL, 2};
    player.health = 1.0f;
    potion_drink(HEAL);
    EXPECT_FLOAT_EQ(player.health, 161.0f);
    EXPECT_EQ(bag_count(HEAL), 1);
    EXPECT_GT(potion_cooldown_left(), 19.0f);
}

TEST(Prices, FixedListAndFormula) {
    EXPECT_EQ(sell_price(BONE), 1);
    EXPECT_EQ(sell_price(TUSK), 3);
    EXPECT_EQ(sell_price(74), 16);
    // (agility + endurance) x 3 + armour / 2 + the quality base.
    EXPECT_EQ(sell_price(1), (1 + 2) * 3 + 12 / 2 + 14);
    EXPECT_EQ(sell_price(109), (9 + 12) * 3 + 40 / 2 + 160);
    EXPECT_EQ(sell_price(96), 4);  // a white quest object: only the base
    EXPECT_EQ(buy_price(MINOR), 8);
    EXPECT_EQ(buy_price(34), 70);
    EXPECT_EQ(buy_price(1), 0);
}

TEST(Merchant, SellBuyBackAndBuy) {
    fresh();
    bag[4] = {TUSK, 5};
    player.purse = 0;
    ASSERT_TRUE(shop_sell(4));
    EXPECT_EQ(player.purse, 15);
    EXPECT_EQ(bag[4].id, 0);
    EXPECT_EQ(buy_back.count, 5);
    EXPECT_EQ(buy_back.price, 15);
    bag[0] = {1, 1};
    ASSERT_TRUE(shop_buy_back());
    EXPECT_EQ(player.purse, 0);
    EXPECT_EQ(bag[1].id, TUSK);  // the first empty slot, no merging
    EXPECT_EQ(bag[1].count, 5);
    // Bought back once, it cannot be bought back again.
    player.purse = 100;
    EXPECT_FALSE(shop_buy_back());
    EXPECT_EQ(count_in_bag(TUSK), 5);
    EXPECT_EQ(player.purse, 100);
    // A character loaded or made afterwards does not find the previous one's sale.
    shop_sell(1);
    inventory_clear();
    player.purse = 100;
    EXPECT_FALSE(shop_buy_back());

    // Shift-buying with money for 3 buys 3 and says nothing.
    fresh();
    player.purse = 26;
    hud_reset();
    ASSERT_TRUE(shop_buy(0, true));
    EXPECT_EQ(count_in_bag(MINOR), 3);
    EXPECT_EQ(player.purse, 2);
    EXPECT_EQ(message(), "");
    EXPECT_FALSE(shop_buy(0, false));
    EXPECT_EQ(message(), "Vous n'avez pas assez de deniers.");
    player.purse = 1000;
    fill_bag_with(1);
    EXPECT_FALSE(shop_buy(2, false));
    EXPECT_EQ(message(), "Votre sac est plein.");
    EXPECT_EQ(player.purse, 1000);

    // Grey items only, in slot order.
    fresh();
    bag[0] = {TUSK, 2};
    bag[1] = {1, 1};
    bag[2] = {BONE, 3};
    EXPECT_EQ(grey_value(), 9);
    EXPECT_EQ(shop_sell_grey(), 9);
    EXPECT_EQ(bag[1].id, 1);
    EXPECT_EQ(bag[0].id + bag[2].id, 0);
    EXPECT_EQ(buy_back.id, BONE);
}

// ---- Loot ----------------------------------------------------------------------------

namespace {

Creature* dead(int species, Vec3 at) {
    Creature* c = spawn_creature(species, at, at);
    c->ai_state = CS_DEAD;
    c->health = 0;
    return c;
}

}  // namespace

TEST(Loot, NeverMoreThanFourAndBossesDrawOnceWhenRepeated) {
    fresh();
    Creature* c = dead(SP_BOAR, {0, 0, 0});
    for (int i = 0; i < 6; ++i) loot_add(c, TUSK);
    EXPECT_EQ(c->loot_count, 4);
    // Every kind of creature, many times: at most 4, ids in the catalogue.
    for (int species = 0; species < SPECIES_COUNT; ++species) {
        for (int k = 0; k < 300; ++k) {
            Creature* d = dead(species, {110.0f, 0, -40.0f});
            loot_roll(d);
            ASSERT_LE(d->loot_count, 4);
            for (int i = 0; i < d->loot_count; ++i) ASSERT_TRUE(item_exists(d->loot[i]));
            free_creature(d);
        }
    }
    // Blanchecrins draws 82 twice half the time: the repeat is not kept, so
    // the list is one or two table items, two furs and a potion.
    int single = 0, twice = 0;
    for (int k = 0; k < 2000; ++k) {
        Creature* b = spawn_elite(ELITE_BLANCHECRINS, {0, 0, 0}, {0, 0, 0});
        b->ai_state = CS_DEAD;
        loot_roll(b);
        int table = b->loot_count - 3;
        ASSERT_TRUE(table == 1 || table == 2);
        if (table == 2) {
            EXPECT_NE(b->loot[0], b->loot[1]);
        }
        (table == 1 ? single : twice) += 1;
        EXPECT_EQ(b->loot[b->loot_count - 1], 41);
        EXPECT_EQ(b->loot_money, 0);
        free_creature(b);
    }
    EXPECT_GT(single, twice);
    // The crypt's lord: two different pieces of the set and two potions.
    for (int k = 0; k < 200; ++k) {
        Creature* l = dead(SP_BOSS, {0, 0, 0});
        loot_roll(l);
        ASSERT_EQ(l->loot_count, 4);
        EXPECT_NE(l->loot[0], l->loot[1]);
        EXPECT_EQ(l->loot[2], HEAL);
        EXPECT_GE(l->loot_money, 120);
        EXPECT_LT(l->loot_money, 180);
        free_creature(l);
    }
}

TEST(Loot, OddsOverAMillionDraws) {
    fresh();
    loot_rng.state = 99;
    const int n = 1000000;
    int tusk = 0, hide = 0, extra = 0, fairy = 0, total_items = 0;
    Creature* c = dead(SP_BOAR, {110.0f, 0, -40.0f});  // by the fairy stone
    for (int k = 0; k < n; ++k) {
        loot_roll(c);
        total_items += c->loot_count;
        for (int i = 0; i < c->loot_count; ++i) {
            int id = c->loot[i];
            if (id == TUSK) {
                ++tusk;
            } else if (id == 11) {
                ++hide;
            } else if (id == 96) {
                ++fairy;
            } else {
                ++extra;
            }
        }
    }
    EXPECT_NEAR(tusk / (double)n, 0.45, 0.01);
    EXPECT_NEAR(hide / (double)n, 0.30, 0.01);
    EXPECT_NEAR(extra / (double)n, 0.14, 0.01);
    EXPECT_NEAR(fairy / (double)n, 0.55, 0.01);
    EXPECT_EQ(c->loot_money, 0);
    // Brigands: money 8 .. 25, a piece with 0.35, a potion with 0.2 (minor 0.7 of those).
    Creature* b = dead(SP_BRIGAND, {0, 0, 300.0f});
    int minor = 0, heal = 0, pieces = 0;
    long long money = 0;
    for (int k = 0; k < n; ++k) {
        loot_roll(b);
        money += b->loot_money;
        ASSERT_GE(b->loot_money, 8);
        ASSERT_LE(b->loot_money, 25);
        for (int i = 0; i < b->loot_count; ++i) {
            if (b->loot[i] == MINOR) {
                ++minor;
            } else if (b->loot[i] == HEAL) {
                ++heal;
            } else {
                ++pieces;
            }
        }
    }
    EXPECT_NEAR(pieces / (double)n, 0.35, 0.01);
    EXPECT_NEAR(minor / (double)n, 0.14, 0.01);
    EXPECT_NEAR(heal / (double)n, 0.06, 0.01);
    EXPECT_NEAR(money / (double)n, 16.5, 0.05);
}

TEST(Loot, EqualItemsShareOneRowAndAreTakenTogether) {
    fresh();
    const int PIECE = 19;  // a piece of armour: one to a slot
    Creature* c = dead(SP_BOAR, {player.pos_x + 1.0f, player.pos_y, player.pos_z});
    c->loot_count = 0;
    c->loot_money = 0;
    ASSERT_TRUE(item_is_stackable(TUSK));
    ASSERT_FALSE(item_is_stackable(PIECE));
    loot_add(c, TUSK);
    loot_add(c, PIECE);
    loot_add(c, TUSK);
    loot_add(c, PIECE);
    LootRow rows[4];
    ASSERT_EQ(loot_item_rows(c, rows), 2);
    EXPECT_EQ(rows[0].id, TUSK);
    EXPECT_EQ(rows[0].count, 2);
    EXPECT_EQ(rows[1].id, PIECE);
    EXPECT_EQ(rows[1].count, 2);
    ASSERT_TRUE(loot_open(c));
    fill_bag_with(2);
    bag[23] = {0, 0};
    // Both tusks in one click, into one stack.
    EXPECT_TRUE(loot_take_row(0));
    EXPECT_EQ(bag[23].id, TUSK);
    EXPECT_EQ(bag[23].count, 2);
    ASSERT_EQ(loot_item_rows(c, rows), 1);
    // Room for one of the two pieces: the other stays in the corpse.
    bag[4] = {0, 0};
    EXPECT_TRUE(loot_take_row(0));
    EXPECT_EQ(bag[4].id, PIECE);
    EXPECT_EQ(c->loot_count, 1);
    EXPECT_EQ(c->loot[0], PIECE);
    EXPECT_EQ(message(), "Votre sac est plein.");
    EXPECT_FALSE(loot_take_row(0));
    EXPECT_FALSE(loot_take_row(1));
    loot_close();
}

TEST(Loot, TakingFromTheWindow) {
    fresh();
    Vec3 at = {player.pos_x + 1.0f, player.pos_y, player.pos_z};
    Creature* c = dead(SP_WOLF, at);
    c->loot_count = 0;
    loot_add(c, 41);
    loot_add(c, 30);
    c->loot_money = 7;
    player.purse = 0;
    ASSERT_TRUE(loot_open(c));
    EXPECT_TRUE(game_flags.windows.loot);
    fill_bag_with(2);
    bag[23] = {0, 0};
    loot_take_all();
    EXPECT_EQ(player.purse, 7);
    EXPECT_EQ(bag[23].id, 41);
    // The second item stays in the corpse, nothing lost.
    EXPECT_EQ(c->loot_count, 1);
    EXPECT_EQ(c->loot[0], 30);
    EXPECT_EQ(message(), "Votre sac est plein.");
    bag[0] = {0, 0};
    EXPECT_TRUE(loot_take_item(0));
    EXPECT_EQ(c->loot_count, 0);
    EXPECT_FALSE(corpse_lootable(c));
    // An emptied wolf still waiting for the knife keeps its time; a skinned one goes soon.
    c->death_time = 2.0f;
    loot_close();
    EXPECT_FLOAT_EQ(c->death_time, 2.0f);
    c->skinned = 1;
    c->loot_count = 1;
    c->loot[0] = 42;
    ASSERT_TRUE(loot_open(c));
    bag[5] = {0, 0};
    loot_take_all();
    loot_close();
    EXPECT_FLOAT_EQ(c->death_time, 5.0f);
    // Out of reach it does not open; walking away closes it.
    Creature* far = dead(SP_BOAR, {player.pos_x + 4.0f, player.pos_y, player.pos_z});
    far->loot_count = 1;
    far->loot[0] = TUSK;
    EXPECT_FALSE(loot_open(far));
    EXPECT_EQ(message(), "Trop loin pour fouiller.");
    player.pos_x += 1.0f;
    ASSERT_TRUE(loot_open(far)) << far->pos.x - player.pos_x << " " << far->pos.z - player.pos_z;
    player.pos_x -= 3.0f;
    loot_upkeep();
    EXPECT_FALSE(game_flags.windows.loot);
    // A reused slot closes the window too.
    player.pos_x += 3.0f;
    ASSERT_TRUE(loot_open(far));
    far->serial += 1;
    loot_upkeep();
    EXPECT_EQ(loot_corpse(), nullptr);
}
