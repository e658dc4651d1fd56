// Professions in the running game: where the nodes grow, a harvest that a
// step breaks and one that completes, skinning a boar, the level rolls,
// crafting with its refusals, and the professions window clicked through.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/shown.h"
#include "ui/professions_screen.h"
#include "ui/pause_dialog.h"
#include "content/quests.h"
#include "play/combat.h"
#include "play/loot.h"
#include "tests/professions/professions_game.h"
#include "world/camelot.h"
#include "world/terrain_paint.h"
#include "play/villagers.h"
#include "tests/support/drawn_text.h"

namespace {

int count_kind(const GatherNode* nodes, int n, int kind) {
    int c = 0;
    for (int i = 0; i < n; ++i) c += nodes[i].kind == kind ? 1 : 0;
    return c;
}

constexpr int SAGE = 61, MOONFLOWER = 62, IRON = 65, BOAR_HIDE = 11, MINOR_POTION = 26, IRON_SWORD = 69;

}  // namespace

TEST(GatherNodes, PlacedTheSameOnEveryRunWithTheirCountsAndNeverInWaterOrAnObstacle) {
    ASSERT_TRUE(professions_game());
    static GatherNode again[GATHER_NODE_CAPACITY];
    int n = gather_nodes_place(again);
    ASSERT_EQ(n, gather_node_count());
    EXPECT_EQ(0, std::memcmp(again, gather_nodes(), sizeof(GatherNode) * (size_t)n));
    for (int k = 0; k < NODE_KIND_COUNT; ++k) EXPECT_EQ(count_kind(again, n, k), node_kinds[k].placed) << "kind " << k;
    EXPECT_EQ(n, 140);

    const Obstacle* obs = obstacle_list();
    for (int i = 0; i < n; ++i) {
        const GatherNode& a = again[i];
        EXPECT_GE(ground_height(a.x, a.z), -0.45f);
        EXPECT_FALSE(is_lake_water(a.x, a.z));
        EXPECT_FLOAT_EQ(a.y, ground_height(a.x, a.z));
        EXPECT_TRUE(a.z >= -360.0f && a.z <= 390.0f && std::fabs(a.x) <= 790.0f);
        for (int o = 0; o < obstacle_count(); ++o)
            ASSERT_GE(std::hypot(a.x - obs[o].x, a.z - obs[o].z), obs[o].radius + 0.8f) << "node " << i;
        for (int j = 0; j < i; ++j) ASSERT_GE(std::hypot(a.x - again[j].x, a.z - again[j].z), 6.0f);
        EXPECT_GE(std::hypot(a.x, a.z), 24.0f);
        EXPECT_GE(path_distance(a.x, a.z), path_half_width(a.x, a.z)) << "on a path: node " << i << " kind " << a.kind;
        // Moon flowers grow on the moor, sage and copper never do.
        float moor = std::hypot(a.x - 36.0f, a.z - 272.0f);
        if (a.kind == 1) {
            EXPECT_LE(moor, 68.0f);
        }
        if (a.kind == 0 || a.kind == 3) {
            EXPECT_GE(moor, 68.0f);
        }
    }
}

TEST(Gathering, PromptNamesTheVerbAndItemOrTheLevelNeeded) {
    ASSERT_TRUE(professions_game());
    int i = node_of_kind(0);
    ASSERT_GE(i, 0);
    GatherNode node = gather_nodes()[i];
    fresh_player_at(node.x + 1.2f, node.z);
    idle_frames(2);
    EXPECT_NE(std::strstr(prompt(), hud_fmt("  ·  Cueillir : %s", item_name(SAGE))), nullptr) << prompt();

    int m = node_of_kind(2);
    ASSERT_GE(m, 0);
    fresh_player_at(gather_nodes()[m].x + 1.2f, gather_nodes()[m].z);
    idle_frames(2);
    EXPECT_STREQ(prompt(), hud_fmt("%s : Herboristerie 50 requise", item_name(63)));

    // Ore veins answer from a little further (2.4 + 0.5).
    int c = node_of_kind(3);
    ASSERT_GE(c, 0);
    fresh_player_at(gather_nodes()[c].x + 2.8f, gather_nodes()[c].z);
    idle_frames(2);
    EXPECT_NE(std::strstr(prompt(), hud_fmt("Miner : %s", item_name(64))), nullptr) << prompt();
    fresh_player_at(gather_nodes()[i].x + 2.8f, gather_nodes()[i].z);
    idle_frames(2);
    EXPECT_EQ(std::strstr(prompt(), "Cueillir"), nullptr) << prompt();
}

TEST(Gathering, AStepBreaksTheHarvestAndGivesNothing) {
    ASSERT_TRUE(professions_game());
    int i = node_of_kind(0);
    GatherNode& node = gather_nodes()[i];
    fresh_player_at(node.x + 1.2f, node.z);
    idle_frames(2);
    press_key(bindings[BIND_INTERACT], 8);
    ASSERT_TRUE(gather_running());
    EXPECT_GT(gather_progress(), 0.2f);
    // Walk on.
    std::vector<InputState> walk(10, idle_input());
    for (size_t f = 0; f < walk.size(); ++f) {
        walk[f].key_down[bindings[BIND_FORWARD]] = 1;
        walk[f].key_pressed[bindings[BIND_FORWARD]] = f == 0;
        walk[f].key_down_prev[bindings[BIND_FORWARD]] = f > 0;
    }
    play(walk);
    EXPECT_FALSE(gather_running());
    EXPECT_STREQ(shown_message(), "Interrompu.");
    idle_frames(40);
    EXPECT_EQ(count_in_bag(SAGE), 0);
    EXPECT_EQ(node.regrow, 0.0f);
    EXPECT_EQ(profession_level[PROF_HERBALISM], 1);

    // The pause menu breaks it too.
    fresh_player_at(node.x + 1.2f, node.z);
    idle_frames(2);
    press_key(bindings[BIND_INTERACT], 4);
    ASSERT_TRUE(gather_running());
    pause_dialog_open();
    idle_frames(1, 1);  // the game draws every frame, the pause menu too
    EXPECT_FALSE(gather_running());
    hud_dialog_close();
    idle_frames(40);
    EXPECT_EQ(count_in_bag(SAGE), 0);
}

TEST(Gathering, AFullHarvestFillsTheBagDepletesTheNodeAndItGrowsBack) {
    ASSERT_TRUE(professions_game());
    int i = node_of_kind(0);
    GatherNode& node = gather_nodes()[i];
    fresh_player_at(node.x + 1.2f, node.z);
    idle_frames(2);
    press_key(bindings[BIND_INTERACT], 1);
    ASSERT_TRUE(gather_running());
    EXPECT_FALSE(hud_prompt_shown());  // a running action hides the prompt
    idle_frames(33);  // 1.6 s at 0.05 s a frame, and a frame to spare
    EXPECT_FALSE(gather_running());
    int got = count_in_bag(SAGE);
    EXPECT_TRUE(got == 1 || got == 2) << got;
    EXPECT_GE(node.regrow, 150.0f - 2.0f);
    EXPECT_LE(node.regrow, 210.0f);
    EXPECT_EQ(profession_level[PROF_HERBALISM], 2);
    bool floated = false, level_shown = false;
    for (int f = 0; f < HUD_FLOAT_SLOTS; ++f) {
        const FloatingText& t = shown_floating_texts()[f];
        if (!t.active) continue;
        // Read at the size of the other gains above her, not a wall of text.
        if (std::strcmp(t.text, hud_fmt("+%d %s", got, item_name(SAGE))) == 0) {
            floated = true;
            EXPECT_LE(t.size, 0.5f);
        }
        if (std::strcmp(t.text, "Herboristerie 2") == 0) {
            level_shown = true;
            EXPECT_LE(t.size, 0.5f);
        }
    }
    EXPECT_TRUE(floated);
    EXPECT_TRUE(level_shown);
    // Depleted: no prompt for it, and it comes back after its timer.
    idle_frames(2);
    EXPECT_EQ(std::strstr(prompt(), "Cueillir"), nullptr);
    node.regrow = 0.1f;
    idle_frames(3);
    EXPECT_EQ(node.regrow, 0.0f);
    EXPECT_NE(std::strstr(prompt(), "Cueillir"), nullptr);

    // A full bag: nothing gathered, the node stays, the player is told.
    for (int s = 0; s < BAG_SLOTS; ++s) bag[s] = BagSlot{IRON_SWORD, 1};
    press_key(bindings[BIND_INTERACT], 34);
    EXPECT_STREQ(shown_message(), "Votre sac est plein.");
    EXPECT_EQ(node.regrow, 0.0f);
}

TEST(Skinning, OnlyAnEmptiedBoarCorpseOnceAndAtTheLevelNeeded) {
    ASSERT_TRUE(professions_game());
    Vec3 at{-150.0f, 0.0f, 40.0f};
    fresh_player_at(at.x, at.z);
    clear_world_creatures(0);
    Creature* boar = spawn_creature(SP_BOAR, at + Vec3{1.5f, 0, 0}, at);
    ASSERT_NE(boar, nullptr);
    hit_creature(boar, 1e6f, boar->pos, 0, Vec3{1, 0, 0});
    ASSERT_EQ(boar->ai_state, CS_DEAD);
    // Loot still on the body: nothing to skin yet.
    boar->loot[0] = 1;
    boar->loot_count = 1;
    idle_frames(2);
    EXPECT_EQ(std::strstr(prompt(), "Dépecer"), nullptr) << prompt();
    boar->loot_count = 0;
    boar->loot_money = 0;
    idle_frames(2);
    EXPECT_NE(std::strstr(prompt(), "  ·  Dépecer : Sanglier"), nullptr) << prompt();
    press_key(bindings[BIND_INTERACT], 1);
    EXPECT_STREQ(gather_action_label(), "Dépeçage…");
    idle_frames(34);
    EXPECT_GE(count_in_bag(BOAR_HIDE), 1);
    EXPECT_TRUE(boar->skinned);
    EXPECT_EQ(profession_level[PROF_SKINNING], 2);
    idle_frames(2);
    EXPECT_EQ(std::strstr(prompt(), "Dépecer"), nullptr);

    // With a full bag the hide stays on the next boar, to be taken later.
    Creature* second = spawn_creature(SP_BOAR, at + Vec3{0, 0, 1.5f}, at);
    ASSERT_NE(second, nullptr);
    hit_creature(second, 1e6f, second->pos, 0, Vec3{1, 0, 0});
    second->loot_count = 0;
    second->loot_money = 0;
    for (int s = 0; s < BAG_SLOTS; ++s) bag[s] = BagSlot{IRON_SWORD, 1};
    press_key(bindings[BIND_INTERACT], 34);
    EXPECT_STREQ(shown_message(), "Votre sac est plein.");
    EXPECT_FALSE(second->skinned);
    inventory_clear();
    free_creature(second);

    // A grey wolf needs skinning 20.
    Creature* wolf = spawn_creature(SP_WOLF, at + Vec3{-1.5f, 0, 0}, at);
    ASSERT_NE(wolf, nullptr);
    hit_creature(wolf, 1e6f, wolf->pos, 0, Vec3{1, 0, 0});
    wolf->loot_count = 0;
    wolf->loot_money = 0;
    idle_frames(2);
    EXPECT_STREQ(prompt(), "Loup gris : Dépeçage 20 requis");
    clear_world_creatures(0);
}

// A beast waits for the knife once its loot is taken, however late that is:
// searched two minutes after death it must not vanish before it is skinned.
TEST(Skinning, ABeastLootedLateStaysToBeSkinned) {
    ASSERT_TRUE(professions_game());
    Vec3 at{-150.0f, 0.0f, 40.0f};
    fresh_player_at(at.x, at.z);
    clear_world_creatures(0);
    Creature* boar = spawn_creature(SP_BOAR, at + Vec3{1.5f, 0, 0}, at);
    ASSERT_NE(boar, nullptr);
    hit_creature(boar, 1e6f, boar->pos, 0, Vec3{1, 0, 0});
    ASSERT_EQ(boar->ai_state, CS_DEAD);
    uint32_t serial = boar->serial;
    boar->loot[0] = 10;
    boar->loot_count = 1;
    boar->loot_money = 3;
    boar->death_time = 110.0f;  // past its minute, kept for its loot
    idle_frames(2);
    ASSERT_TRUE(boar->in_use);
    press_key(bindings[BIND_INTERACT], 1);
    ASSERT_EQ(loot_corpse(), boar);
    loot_take_all();
    EXPECT_FALSE(game_flags.windows.loot);  // nothing left to show
    EXPECT_EQ(count_in_bag(10), 1);
    idle_frames(2);
    ASSERT_TRUE(boar->in_use && boar->serial == serial && boar->ai_state == CS_DEAD) << "the corpse vanished";
    EXPECT_NE(std::strstr(prompt(), "Dépecer : Sanglier"), nullptr) << prompt();
    // Still there well after the loot, and skinned at last.
    idle_frames(200);
    ASSERT_TRUE(boar->in_use && boar->serial == serial);
    press_key(bindings[BIND_INTERACT], 34);
    EXPECT_GE(count_in_bag(BOAR_HIDE), 1);
    EXPECT_TRUE(boar->skinned);
    clear_world_creatures(0);
}

TEST(LevelRolls, GatheringAndCraftingChancesByGap) {
    EXPECT_EQ(skill_up_chance(24, false), 1.0f);
    EXPECT_EQ(skill_up_chance(25, false), 0.5f);
    EXPECT_EQ(skill_up_chance(49, false), 0.5f);
    EXPECT_EQ(skill_up_chance(50, false), 0.15f);
    EXPECT_EQ(skill_up_chance(69, false), 0.15f);
    EXPECT_EQ(skill_up_chance(70, false), 0.0f);
    EXPECT_EQ(skill_up_chance(14, true), 1.0f);
    EXPECT_EQ(skill_up_chance(15, true), 0.5f);
    EXPECT_EQ(skill_up_chance(30, true), 0.2f);
    EXPECT_EQ(skill_up_chance(44, true), 0.2f);
    EXPECT_EQ(skill_up_chance(45, true), 0.0f);
}

TEST(LevelRolls, SageRaisesAHerbalistEveryTimeTo25ThenHalfTheTimeAnd75IsTheEnd) {
    ASSERT_TRUE(professions_game());
    professions_reset();
    for (int n = 0; n < 24; ++n) ASSERT_TRUE(skill_up(PROF_HERBALISM, 1, false)) << "at " << profession_level[0];
    EXPECT_EQ(profession_level[PROF_HERBALISM], 25);
    // From 26 on (gap 25 and more) about half the rolls gain; a long run
    // counts them at a level that does not move.
    int gains = 0;
    for (int n = 0; n < 2000; ++n) {
        profession_level[PROF_HERBALISM] = 30;
        gains += skill_up(PROF_HERBALISM, 1, false) ? 1 : 0;
    }
    EXPECT_NEAR(gains / 2000.0, 0.5, 0.05);
    // The generator never sticks: a stretch of rolls is not all alike.
    EXPECT_NE(profession_rng.state, 0u);
    profession_level[PROF_HERBALISM] = 75;
    EXPECT_FALSE(skill_up(PROF_HERBALISM, 75, false));
    EXPECT_EQ(profession_level[PROF_HERBALISM], 75);
    professions_reset();
}

TEST(Crafting, MissingMaterialsOrNoAnvilAreRefusedAndSpendNothing) {
    ASSERT_TRUE(professions_game());
    fresh_player_at(-150.0f, 40.0f);
    // One sage short of a minor potion.
    add_to_bag(SAGE);
    EXPECT_FALSE(craft(0));
    EXPECT_STREQ(shown_message(), "Il manque des matériaux");
    EXPECT_EQ(count_in_bag(SAGE), 1);
    EXPECT_EQ(count_in_bag(MINOR_POTION), 0);

    // The iron sword: level first, then the anvil, far from both anvils.
    for (int k = 0; k < 5; ++k) add_to_bag(IRON);
    add_to_bag(BOAR_HIDE);
    EXPECT_FALSE(craft(13));
    EXPECT_STREQ(shown_message(), "Forge 10 requis");
    profession_level[PROF_SMITHING] = 10;
    EXPECT_FALSE(craft(13));
    EXPECT_STREQ(shown_message(), "Il faut être près d'une enclume (chez le marchand, ou à la forge de Camelot)");
    EXPECT_EQ(count_in_bag(IRON), 5);
    EXPECT_EQ(count_in_bag(BOAR_HIDE), 1);

    // At Camelot's forge it is made, and the roll raises Forge (gap 0).
    Vec3 f = camelot_forge_position();
    player.pos_x = f.x + 3.0f;
    player.pos_z = f.z;
    EXPECT_TRUE(craft(13));
    EXPECT_STREQ(shown_message(), hud_fmt("Fabriqué : %s", item_name(IRON_SWORD)));
    EXPECT_EQ(count_in_bag(IRON_SWORD), 1);
    EXPECT_EQ(count_in_bag(IRON), 0);
    EXPECT_EQ(count_in_bag(BOAR_HIDE), 0);
    EXPECT_EQ(profession_level[PROF_SMITHING], 11);

    // Beside the merchant's anvil too, but never from the catacombs' side.
    Vec3 a = anvil_position();
    EXPECT_TRUE(near_anvil({a.x + 3.9f, 0, a.z}));
    EXPECT_FALSE(near_anvil({a.x + 4.1f, 0, a.z}));

    // A full bag refuses the craft before anything is spent: no product is
    // ever lost, and the window's button says why.
    inventory_clear();
    bag[0] = BagSlot{SAGE, 5};
    for (int s = 1; s < BAG_SLOTS; ++s) bag[s] = BagSlot{IRON_SWORD, 1};
    EXPECT_STREQ(craft_refusal(0), "Votre sac est plein.");
    EXPECT_FALSE(craft(0));
    EXPECT_STREQ(shown_message(), "Votre sac est plein.");
    EXPECT_EQ(count_in_bag(SAGE), 5);
    EXPECT_EQ(count_in_bag(MINOR_POTION), 0);
    EXPECT_EQ(profession_level[PROF_ALCHEMY], 1);
    // Materials that empty their slot leave room for the product.
    bag[0] = BagSlot{SAGE, 2};
    EXPECT_TRUE(craft(0));
    EXPECT_EQ(bag[0].id, MINOR_POTION);
    EXPECT_EQ(count_in_bag(SAGE), 0);
}

TEST(ProfessionsScene, GatherSageThenBrewAPotionFromTheProfessionsWindow) {
    ASSERT_TRUE(professions_game());
    int i = node_of_kind(0);
    GatherNode& node = gather_nodes()[i];
    fresh_player_at(node.x + 1.2f, node.z);
    idle_frames(2);
    // Harvest until two sage are in the bag (a node at a time, regrown by hand).
    for (int round = 0; round < 3 && count_in_bag(SAGE) < 2; ++round) {
        node.regrow = 0.0f;
        press_key(bindings[BIND_INTERACT], 34);
    }
    ASSERT_GE(count_in_bag(SAGE), 2);
    int herb_level = profession_level[PROF_HERBALISM];
    EXPECT_GE(herb_level, 2);

    // The window opens with its key, Alchimie first; the potion's button makes it.
    press_key(bindings[BIND_PROFESSIONS], 1);
    ASSERT_TRUE(game_flags.windows.professions);
    EXPECT_EQ(professions_selected, PROF_ALCHEMY);
    ASSERT_EQ(professions_recipe_at_row(0), 0);
    EXPECT_EQ(craft_refusal(0), nullptr);
    UiRect b = recipe_button_box(0);
    int sage_before = count_in_bag(SAGE);
    click_at(b.x + b.w * 0.5f, b.y + b.h * 0.5f);
    EXPECT_EQ(count_in_bag(MINOR_POTION), 1);
    EXPECT_EQ(count_in_bag(SAGE), sage_before - 2);
    EXPECT_EQ(profession_level[PROF_ALCHEMY], 2);

    // Selecting Forge lists its six recipes.
    UiRect forge_row = profession_row_box(PROF_SMITHING);
    click_at(forge_row.x + 20, forge_row.y + 20);
    EXPECT_EQ(professions_selected, PROF_SMITHING);
    EXPECT_EQ(professions_recipe_at_row(5), 17);
    EXPECT_EQ(professions_recipe_at_row(6), -1);

    // A gathering profession has no recipes: a click on it says where it is
    // practised, and the craft shown stays the one chosen.
    UiRect herb_row = profession_row_box(PROF_HERBALISM);
    click_at(herb_row.x + 20, herb_row.y + 20);
    EXPECT_EQ(professions_selected, PROF_SMITHING);
    plat_input.mouse_x = (int)(herb_row.x + 20);
    plat_input.mouse_y = (int)(herb_row.y + 20);
    ui_batch_clear();
    professions_draw();
    std::string note = drawn_text(HUD_PARCHMENT);
    char key_name[48];
    plat_key_name(bindings[BIND_INTERACT], key_name, (int)sizeof key_name);
    ui_batch_clear();
    EXPECT_NE(note.find(without_spaces(hud_fmt("L'herboristerie se pratique dans le monde : approchez-vous d'une "
                                               "plante et appuyez sur %s.",
                                               key_name))),
              std::string::npos)
        << note;
    std::vector<InputState> over(1, idle_input());
    over[0].mouse_x = (int)(herb_row.x + 20);
    over[0].mouse_y = (int)(herb_row.y + 20);
    play(over, 1);
    EXPECT_TRUE(headless_screenshot("professions_gathering_note.png"));

    // A picture of the window, with a moon flower to show a missing material.
    professions_selected = PROF_ALCHEMY;
    add_to_bag(MOONFLOWER);
    profession_level[PROF_HERBALISM] = 75;
    profession_level[PROF_ALCHEMY] = 32;
    UiRect row1 = recipe_button_box(1);
    std::vector<InputState> look(1, idle_input());
    for (InputState& s : look) {
        s.mouse_x = (int)(row1.x + 10);
        s.mouse_y = (int)(row1.y + 10);
    }
    play(look, 1);
    EXPECT_TRUE(headless_screenshot("professions_window.png"));
    press_key(KEY_ESCAPE, 1);
    press_key(bindings[BIND_PROFESSIONS], 1);
    EXPECT_FALSE(game_flags.windows.professions);
    professions_reset();
}

TEST(ProfessionsScreen, LevelColoursByGap) {
    auto same = [](Vec4 a, Vec4 b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    EXPECT_TRUE(same(recipe_level_colour(-1), Vec4{0.9f, 0.25f, 0.2f, 1}));
    EXPECT_TRUE(same(recipe_level_colour(0), Vec4{1.0f, 0.55f, 0.15f, 1}));
    EXPECT_TRUE(same(recipe_level_colour(14), Vec4{1.0f, 0.55f, 0.15f, 1}));
    EXPECT_TRUE(same(recipe_level_colour(15), Vec4{1.0f, 0.9f, 0.25f, 1}));
    EXPECT_TRUE(same(recipe_level_colour(30), Vec4{0.35f, 0.9f, 0.35f, 1}));
    EXPECT_TRUE(same(recipe_level_colour(45), Vec4{0.6f, 0.6f, 0.6f, 1}));
}

namespace {

const Vec4 MATERIAL_HELD = HUD_PARCHMENT, MATERIAL_MISSING = {0.9f, 0.45f, 0.4f, 1.0f};

// A window size of our own for the layout (the next frame takes the scene's back).
void window_size(int width, int height) {
    plat_input.client_width = width;
    plat_input.client_height = height;
    hud_scale = (float)height / 1080.0f;
}

// The professions window alone into the batch, with the pointer at (mx, my).
void draw_professions_window(float mx, float my) {
    plat_input.mouse_x = (int)mx;
    plat_input.mouse_y = (int)my;
    ui_batch_clear();
    professions_draw();
}

}  // namespace

// The materials of every recipe stay inside their row, left of the button,
// whatever the window size ("Bâton de lune" lists three).
TEST(ProfessionsScreen, MaterialListsStayInsideTheirRowsAtEveryWindowSize) {
    ASSERT_TRUE(professions_game());
    fresh_player_at(100.0f, 40.0f);
    add_to_bag(MOONFLOWER);  // one held, one missing colour on the same row
    game_flags.windows.professions = 1;
    const int sizes[][2] = {{1280, 720}, {1920, 1080}, {1024, 768}, {800, 600}, {2560, 1080}};
    for (const auto& size : sizes) {
        for (int p = PROF_ALCHEMY; p <= PROF_SMITHING; ++p) {
            professions_selected = p;
            window_size(size[0], size[1]);
            draw_professions_window(0.0f, 0.0f);
            std::vector<DrawnQuad> glyphs = drawn_quads(UI_GLYPH);
            for (int k = 0; professions_recipe_at_row(k) >= 0; ++k) {
                UiRect r = recipe_row_box(k), bt = recipe_button_box(k);
                int letters = 0;
                float right = 0.0f, top = 1e9f, bottom = 0.0f;
                for (const DrawnQuad& g : glyphs) {
                    bool material = drawn_same_colour(g.colour, MATERIAL_HELD) ||
                                    drawn_same_colour(g.colour, MATERIAL_MISSING);
                    float mid_y = (g.y0 + g.y1) * 0.5f;
                    if (!material || g.x0 < r.x || mid_y < r.y || mid_y > r.y + r.h) continue;
                    ++letters;
                    right = std::fmax(right, g.x1);
                    top = std::fmin(top, g.y0);
                    bottom = std::fmax(bottom, g.y1);
                }
                const char* product = item_name(recipes[professions_recipe_at_row(k)].product);
                EXPECT_LE(right, bt.x) << size[0] << "x" << size[1] << " " << product << ": over the button";
                EXPECT_GE(top, r.y) << size[0] << "x" << size[1] << " " << product;
                EXPECT_LE(bottom, r.y + r.h) << size[0] << "x" << size[1] << " " << product << ": below the row";
                EXPECT_GT(letters, 8) << "row " << k << " lists its materials";
            }
        }
    }
    ui_batch_clear();  // none of it into the next frame drawn
    game_flags.windows.professions = 0;
    idle_frames(1);
    professions_reset();
}

// Hovering a product shows the item's own tooltip (statistics, class,
// comparison with what is worn, price), with the crafting hint in place of
// the bag's click hint.
TEST(ProfessionsScreen, ProductHoverShowsTheItemTooltipWithTheCraftingHint) {
    ASSERT_TRUE(professions_game());
    fresh_player_at(100.0f, 40.0f);
    game_flags.windows.professions = 1;
    professions_selected = PROF_ALCHEMY;
    ASSERT_EQ(recipes[professions_recipe_at_row(2)].product, 71);  // "Bâton de sauge", druids only
    window_size(SCENE_W, SCENE_H);
    UiRect r = recipe_row_box(2);
    const Vec4 dim = {0.73f, 0.69f, 0.58f, 1.0f}, red = {0.95f, 0.3f, 0.25f, 1.0f}, green = {0.35f, 0.95f, 0.35f, 1.0f};
    draw_professions_window(r.x + 30.0f, r.y + 20.0f);
    std::string stats = drawn_text(HUD_PARCHMENT), hints = drawn_text(dim);
    EXPECT_NE(stats.find("+1Endurance"), std::string::npos) << stats;
    EXPECT_NE(stats.find("+8%dedégâts"), std::string::npos);
    EXPECT_NE(stats.find("+1Agilité"), std::string::npos);
    EXPECT_NE(drawn_text(red).find("Classe:Druide"), std::string::npos) << "an archer cannot wield it";
    EXPECT_NE(drawn_text(green).find("Emplacementlibre:toutestgain"), std::string::npos);
    EXPECT_NE(drawn_text(HUD_GOLD).find(without_spaces(hud_fmt("Prix de vente : %d deniers", sell_price(71)))),
              std::string::npos);
    EXPECT_NE(hints.find("Fabriquéaveclesmatériauxci-contre"), std::string::npos);
    EXPECT_EQ(hints.find("Clic:équiper"), std::string::npos) << "a click on the product equips nothing";

    // With a bow worn, the comparison names it.
    equipment[11] = 67;
    draw_professions_window(r.x + 30.0f, r.y + 20.0f);
    EXPECT_NE(drawn_text(dim).find("Comparéà:Arcdechassegainé"), std::string::npos);
    EXPECT_NE(drawn_text(dim).find("Actuellementéquipé"), std::string::npos);
    equipment[11] = 0;
    ui_batch_clear();  // none of it into the next frame drawn

    // A picture of it, for a person to look at.
    professions_selected = PROF_ALCHEMY;
    profession_level[PROF_ALCHEMY] = 50;
    UiRect last = recipe_row_box(4);
    std::vector<InputState> look(1, idle_input());
    look[0].mouse_x = (int)(last.x + 30.0f);
    look[0].mouse_y = (int)(last.y + 20.0f);
    play(look, 1);
    EXPECT_TRUE(headless_screenshot("professions_product_tooltip.png"));
    game_flags.windows.professions = 0;
    idle_frames(1);
    professions_reset();
}

// A trainer's "Voir mes métiers" opens the window as its key does: the sheet,
// the map or the journal open under it close.
TEST(ProfessionsScreen, TrainersButtonOpensTheWindowAsItsKeyDoes) {
    ASSERT_TRUE(professions_game());
    Vec3 smith = villager_state(0).position;
    for (int opener : {BIND_CHARACTER, BIND_MAP, BIND_JOURNAL}) {
        fresh_player_at(smith.x + 2.0f, smith.z);
        idle_frames(2);
        press_key(bindings[opener], 1);
        ASSERT_TRUE(game_flags.character_sheet_open || game_flags.windows.map || game_flags.windows.journal) << opener;
        talk_to_villager(0);
        ASSERT_TRUE(hud_dialog_state().open);
        ASSERT_STREQ(hud_dialog_state().buttons[0].label, "Voir mes métiers");
        DialogLayout l = hud_dialog_layout();
        click_at(l.buttons[0].x + l.buttons[0].w * 0.5f, l.buttons[0].y + l.buttons[0].h * 0.5f);
        EXPECT_FALSE(hud_dialog_state().open);
        EXPECT_TRUE(game_flags.windows.professions) << opener;
        EXPECT_FALSE(game_flags.character_sheet_open) << opener;
        EXPECT_FALSE(game_flags.windows.map) << opener;
        EXPECT_FALSE(game_flags.windows.journal) << opener;
        EXPECT_FALSE(plat_input.cursor_captured) << "the window frees the mouse";
        // And its key closes it again.
        press_key(bindings[BIND_PROFESSIONS], 1);
        EXPECT_FALSE(game_flags.windows.professions);
    }
}
