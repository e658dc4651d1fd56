// Going down and coming back in the running game: the cave's prompt and its
// warning, the garrison of each entry, visits that leave the table as they
// found it, the ossuary chest and its guardians, the passage the lord's fall
// opens, the fall back to the vestibule and the exploration map.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/catacombs/catacomb_game.h"
#include "play/population.h"
#include "play/items.h"
#include "play/play_calls.h"
#include "play/ambience_rules.h"
#include "play/skills.h"
#include "tests/support/shown.h"

namespace {

// The chest test's bag: a switch and a record, put in the chest's table entry.
bool bag_has_room = true;
std::vector<int> items_given;
std::string last_source;
bool fake_give_items_fit(const int* ids, int count, const char* source) {
    if (!bag_has_room) return false;
    for (int i = 0; i < count; ++i) items_given.push_back(ids[i]);
    last_source = source ? source : "";
    return true;
}

std::string key_name() {
    char name[48];
    plat_key_name(bindings[BIND_INTERACT], name, (int)sizeof name);
    return name;
}

std::string prompt_after(bool requested) {
    hud_prompt(false, "");
    bool shown = catacombs_interact(requested);
    return shown && hud_prompt_shown() ? hud_prompt_text() : "";
}

void enter_at_level(int level) {
    surface_player_at(CATACOMB_ENTRY_X, CATACOMB_ENTRY_Z + 1.0f, level);
    catacombs_enter();
}

Creature* at(Vec3 p, float tolerance = 0.01f) {
    for (Creature& c : creatures)
        if (c.in_use && std::hypot(c.pos.x - p.x, c.pos.z - p.z) < tolerance) return &c;
    return nullptr;
}

void run_frames(int n) {
    std::vector<InputState> script(n, idle_frame());
    headless_set_input_script(script.data(), n);
    main_loop_set_draw_interval(100000);
    for (int f = 0; f < n; ++f) game_frame();
    main_loop_set_draw_interval(1);
}

}  // namespace

TEST(CatacombPlay, CavePromptWarnsBelowLevelTenAndEntersAtTen) {
    ASSERT_TRUE(catacomb_game());
    surface_player_at(CATACOMB_ENTRY_X + 3.7f, CATACOMB_ENTRY_Z, 9);
    EXPECT_EQ(prompt_after(false), "");
    player.pos_x = CATACOMB_ENTRY_X + 3.5f;
    EXPECT_EQ(prompt_after(false), key_name() + "  ·  Entrer dans les Catacombes du Val sans Retour");
    EXPECT_FALSE(game_flags.underground);

    prompt_after(true);
    const Dialog& d = hud_dialog_state();
    ASSERT_TRUE(d.open);
    EXPECT_FALSE(game_flags.underground);
    EXPECT_STREQ(d.title, "Les Catacombes du Val sans Retour");
    EXPECT_STREQ(d.body,
                 "Une odeur de pierre froide et de vieux os monte de la caverne. Une stèle prévient : « Ici dorment "
                 "les chevaliers félons de Morgane, et leur maître, Bréhus sans Pitié ».\n\nLes créatures y sont de "
                 "niveau 9 et 10, et vous n'êtes que de niveau 9.");
    ASSERT_EQ(d.button_count, 2);
    EXPECT_STREQ(d.buttons[0].label, "Entrer quand même");
    EXPECT_STREQ(d.buttons[1].label, "Rester dehors");
    EXPECT_EQ(d.buttons[1].action, nullptr);
    // "Entrer quand même", as the dialog runs it: closed, then the action.
    HudAction go = d.buttons[0].action;
    ASSERT_NE(go, nullptr);
    hud_dialog_close();
    go();
    EXPECT_TRUE(game_flags.underground);
    catacombs_leave();

    // At level 10 the same key goes straight down.
    surface_player_at(CATACOMB_ENTRY_X, CATACOMB_ENTRY_Z, 10);
    prompt_after(true);
    EXPECT_FALSE(hud_dialog_state().open);
    ASSERT_TRUE(game_flags.underground);
    EXPECT_FLOAT_EQ(player.pos_x, 1048.0f);
    EXPECT_FLOAT_EQ(player.pos_y, 0.0f);
    EXPECT_FLOAT_EQ(player.pos_z, 5.6f);
    EXPECT_FLOAT_EQ(player.heading, 0.0f);
    EXPECT_STREQ(shown_message(), "Les Catacombes du Val sans Retour");
    EXPECT_FLOAT_EQ(hud_fade_total(), 1.4f);

    // Entering again from below changes nothing.
    uint32_t serials[CREATURE_CAPACITY];
    for (int i = 0; i < CREATURE_CAPACITY; ++i) serials[i] = creatures[i].in_use ? creatures[i].serial : 0;
    catacombs_enter();
    for (int i = 0; i < CREATURE_CAPACITY; ++i) EXPECT_EQ(creatures[i].in_use ? creatures[i].serial : 0, serials[i]);
    catacombs_leave();
    EXPECT_FALSE(game_flags.underground);
    EXPECT_NEAR(player.pos_x, 47.06f, 1e-4f);
    EXPECT_NEAR(player.pos_z, 323.6f, 1e-4f);
    EXPECT_NEAR(player.pos_y, ground_height(47.06f, 323.6f), 1e-4f);
    EXPECT_NEAR(player.heading, std::atan2(-0.2095f, -0.9778f), 1e-5f);
    EXPECT_STREQ(shown_message(), "La lande du Val");
}

TEST(CatacombPlay, GarrisonHoldsThePathTheRoomsAndTheCrypt) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    ASSERT_TRUE(game_flags.underground);
    EXPECT_EQ(bosses(), 1);
    Creature* lord = at({1048.0f, 0, 85.3f});
    ASSERT_NE(lord, nullptr);
    EXPECT_EQ(lord->species, SP_BOSS);
    EXPECT_EQ(lord->ai_state, CS_IDLE);
    EXPECT_FLOAT_EQ(lord->heading, PI);
    EXPECT_EQ(lord->world, 1);

    for (const Creature& c : creatures) {
        if (!c.in_use || c.world != 1) continue;
        EXPECT_TRUE(c.species == SP_SKELETON || c.species == SP_SKELETON_ARCHER || c.species == SP_BONE_GUARDIAN ||
                    c.species == SP_BOSS);
        EXPECT_FALSE(catacomb_solid(c.pos + Vec3{0, 1, 0})) << c.pos.x << ", " << c.pos.z;
        EXPECT_FALSE(catacomb_solid(c.patrol_point + Vec3{0, 1, 0}));
    }

    // Pairs on every third cell of the main path, warriors near the way in,
    // guardians near the crypt.
    int pi[400], pj[400];
    int L = catacomb_main_path(pi, pj, 400);
    int pairs = 0;
    for (int k = L - 4; k >= 2; k -= 3) {
        int room = catacomb_room_of_cell(pi[k], pj[k]);
        if (room == ROOM_VESTIBULE || room == ROOM_OSSUARY || room == ROOM_GUARDS_WEST || room == ROOM_GUARDS_EAST)
            continue;
        Vec3 c = catacomb_cell_centre(pi[k], pj[k]);
        Creature* a = at(c + Vec3{0.8f, 0, 0.6f});
        Creature* b = at(c - Vec3{0.8f, 0, 0.6f});
        ASSERT_NE(a, nullptr) << "k " << k;
        ASSERT_NE(b, nullptr) << "k " << k;
        float f = 1.0f - (float)k / (float)L;
        EXPECT_EQ(a->species, f < 0.35f ? SP_SKELETON : (f < 0.7f ? SP_SKELETON_ARCHER : SP_BONE_GUARDIAN));
        if (f < 0.5f) EXPECT_EQ(b->species, SP_SKELETON);
        else EXPECT_TRUE(b->species == SP_SKELETON || b->species == SP_SKELETON_ARCHER);
        Vec3 towards_crypt = catacomb_cell_centre(pi[k - 1], pj[k - 1]);
        Vec3 towards_door = catacomb_cell_centre(pi[k + 1], pj[k + 1]);
        EXPECT_FLOAT_EQ(a->patrol_point.x, towards_crypt.x);
        EXPECT_FLOAT_EQ(a->patrol_point.z, towards_crypt.z);
        EXPECT_FLOAT_EQ(b->patrol_point.x, towards_door.x);
        EXPECT_FLOAT_EQ(b->patrol_point.z, towards_door.z);
        ++pairs;
    }
    EXPECT_GE(pairs, 6);

    // The rooms, all at level 10.
    struct Post { Vec3 p; int species; };
    const Post posts[] = {
        {{1018.0f, 0, 28.0f}, SP_BONE_GUARDIAN}, {{1078.0f, 0, 63.0f}, SP_BONE_GUARDIAN},
        {{1048.0f, 0, 50.2f}, SP_BONE_GUARDIAN}, {{1050.4f, 0, 48.0f}, SP_SKELETON},
        {{1045.6f, 0, 48.0f}, SP_SKELETON},      {{1048.0f, 0, 45.4f}, SP_SKELETON_ARCHER},
        {{1047.0f, 0, 73.8f}, SP_BONE_GUARDIAN}, {{1049.0f, 0, 73.8f}, SP_BONE_GUARDIAN},
    };
    for (const Post& post : posts) {
        Creature* c = at(post.p);
        ASSERT_NE(c, nullptr) << post.p.x << ", " << post.p.z;
        EXPECT_EQ(c->species, post.species);
        EXPECT_EQ(c->level, 10);
    }
    EXPECT_FLOAT_EQ(at({1050.4f, 0, 48.0f})->patrol_point.z, 45.0f);
    EXPECT_FLOAT_EQ(at({1045.6f, 0, 48.0f})->patrol_point.z, 51.0f);
    // Two archers beside each guard room's guardian.
    for (Vec3 g : {Vec3{1018.0f, 0, 28.0f}, Vec3{1078.0f, 0, 63.0f}}) {
        int archers = 0;
        for (const Creature& c : creatures)
            if (c.in_use && c.species == SP_SKELETON_ARCHER && std::hypot(c.pos.x - g.x, c.pos.z - g.z) < 3.0f) ++archers;
        EXPECT_EQ(archers, 2);
    }
    catacombs_leave();
}

TEST(CatacombPlay, VisitsLeaveTheTableAsTheyFoundIt) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    const int garrison = catacomb_creatures();
    catacombs_leave();
    EXPECT_EQ(catacomb_creatures(), 0);
    const int surface = creatures_in_use();
    for (int visit = 0; visit < 6; ++visit) {
        catacombs_enter();
        EXPECT_EQ(catacomb_creatures(), garrison) << "visit " << visit;
        EXPECT_EQ(bosses(), 1);
        EXPECT_FALSE(catacombs_state().passage_open);
        if (visit == 2) {
            // The lord falls; the next visit finds him on his throne again.
            Creature* lord = creature_boss();
            ASSERT_NE(lord, nullptr);
            damage_creature(lord, 1e6f);
            EXPECT_TRUE(catacombs_state().passage_open);
        }
        catacombs_leave();
        EXPECT_EQ(catacomb_creatures(), 0);
        EXPECT_EQ(bosses(), 0);
        EXPECT_LE(creatures_in_use(), surface + 4) << "visit " << visit;
    }

    // An earlier visit's creatures that filled the table cannot keep the
    // lord out: entering clears them first.
    while (spawn_creature(SP_SKELETON, {1003.0f, 0.0f, 93.0f}, {1003.0f, 0.0f, 93.0f})) {}
    ASSERT_EQ(creatures_in_use(), CREATURE_CAPACITY);
    catacombs_enter();
    EXPECT_EQ(bosses(), 1);
    EXPECT_EQ(catacomb_creatures(), garrison);
    catacombs_leave();

    // A population pass with no room left adds nothing and ends.
    while (spawn_creature(SP_BRIGAND, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f})) {}
    EXPECT_EQ(population_round(), 0);
    world_initial_population();
    EXPECT_EQ(creatures_in_use(), CREATURE_CAPACITY);
    creatures_reset();
    world_initial_population();
}

// Coming up tops the heath up like any round of the ambience: a fallen chief
// returns only to a haunt far from the player, never Ossian before the cave
// mouth, inside his own aggro radius.
TEST(CatacombPlay, LeavingBringsBackOnlyTheChiefsFarFromThePlayer) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    for (Creature& c : creatures)
        if (c.in_use && c.elite) free_creature(&c);
    catacombs_leave();
    int ossian = 0, gaudin = 0;
    for (const Creature& c : creatures) {
        if (!c.in_use || !c.elite) continue;
        ossian += c.elite_index == ELITE_OSSIAN;
        gaudin += c.elite_index == ELITE_GAUDIN;
        EXPECT_GT(std::hypot(c.pos.x - player.pos_x, c.pos.z - player.pos_z), 60.0f) << elite_defs[c.elite_index].name;
    }
    EXPECT_EQ(ossian, 0) << "Ossian rose again before the cave mouth";
    EXPECT_EQ(gaudin, 1) << "a chief far away comes back";
    // Once the player is far from the cave, the next top-up brings Ossian back.
    player.pos_x = 400.0f;
    player.pos_z = -300.0f;
    ambience_top_up_camps();
    ossian = 0;
    for (const Creature& c : creatures) ossian += c.in_use && c.elite_index == ELITE_OSSIAN;
    EXPECT_EQ(ossian, 1);
}

TEST(CatacombPlay, OssuaryChestGuardedWithinSevenMetresAndOpenedOncePerVisit) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    clear_world_creatures(1);
    put_player(1048.0f, 46.5f);
    int purse = player.purse;
    items_given.clear();
    bag_has_room = true;
    struct FakeBag {
        decltype(play_calls.give_items_fit) real = play_calls.give_items_fit;
        FakeBag() { play_calls.give_items_fit = fake_give_items_fit; }
        ~FakeBag() { play_calls.give_items_fit = real; }
    } fake_bag;

    EXPECT_EQ(prompt_after(false), key_name() + "  ·  Ouvrir le coffre de l'ossuaire");
    Creature* g = spawn_creature(SP_BONE_GUARDIAN, {1048.0f + 6.9f, 0, 48.0f}, {1054.9f, 0, 48.0f});
    ASSERT_NE(g, nullptr);
    prompt_after(true);
    EXPECT_STREQ(shown_message(), "Les gardiens de l'ossuaire vous en empêchent !");
    EXPECT_FLOAT_EQ(hud_message_time(), 1.6f);
    EXPECT_FALSE(catacombs_state().chest_opened);
    EXPECT_EQ(player.purse, purse);
    EXPECT_TRUE(items_given.empty());

    // A full bag: nothing is taken, nothing lost, the chest stays shut.
    g->pos.x = 1048.0f + 7.1f;
    bag_has_room = false;
    prompt_after(true);
    EXPECT_STREQ(shown_message(), "Votre sac est plein.");
    EXPECT_FALSE(catacombs_state().chest_opened);
    EXPECT_EQ(player.purse, purse);
    EXPECT_EQ(prompt_after(false), key_name() + "  ·  Ouvrir le coffre de l'ossuaire");

    bag_has_room = true;
    prompt_after(true);
    EXPECT_TRUE(catacombs_state().chest_opened);
    int money = player.purse - purse;
    EXPECT_GE(money, 40);
    EXPECT_LE(money, 69);
    EXPECT_EQ(std::string(shown_message()), "Le coffre contenait " + std::to_string(money) + " deniers.");
    ASSERT_EQ(items_given.size(), 2u);
    EXPECT_TRUE(items_given[0] >= 43 && items_given[0] <= 46);
    EXPECT_EQ(items_given[1], 27);
    EXPECT_EQ(last_source, "coffre de l'ossuaire");

    // Once per visit.
    EXPECT_EQ(prompt_after(true), "");
    EXPECT_EQ(player.purse, purse + money);
    EXPECT_EQ(items_given.size(), 2u);
    catacombs_leave();
    catacombs_enter();
    EXPECT_FALSE(catacombs_state().chest_opened);

    // The dead and the druid's wolf do not guard it.
    clear_world_creatures(1);
    put_player(1048.0f, 46.5f);
    Creature* dead = spawn_creature(SP_BONE_GUARDIAN, {1049.0f, 0, 48.0f}, {1049.0f, 0, 48.0f});
    ASSERT_NE(dead, nullptr);
    damage_creature(dead, 1e6f);
    ASSERT_NE(summon_companion({1047.0f, 0, 48.0f}, 30.0f), nullptr);
    prompt_after(true);
    EXPECT_TRUE(catacombs_state().chest_opened);
    catacombs_leave();
}

TEST(CatacombPlay, PassageOnlyAfterTheLordFallsAndItLeadsOut) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    put_player(CATACOMB_PASSAGE_X, CATACOMB_PASSAGE_Z + 0.5f);
    EXPECT_EQ(prompt_after(false), "");
    EXPECT_EQ(prompt_after(true), "");
    EXPECT_TRUE(game_flags.underground);

    Creature* lord = creature_boss();
    ASSERT_NE(lord, nullptr);
    Creature* minion = spawn_creature(SP_SKELETON, {1041.5f, 0, 83.8f}, {1041.5f, 0, 83.8f});
    ASSERT_NE(minion, nullptr);
    minion->minion = 1;
    damage_creature(lord, 1e6f);
    EXPECT_TRUE(catacombs_state().passage_open);
    EXPECT_EQ(minion->ai_state, CS_DEAD);
    EXPECT_STREQ(shown_message(), "Bréhus sans Pitié est vaincu !\nUn passage s'ouvre au fond de la crypte.");
    EXPECT_FLOAT_EQ(hud_message_time(), 4.0f);

    EXPECT_EQ(prompt_after(false), key_name() + "  ·  Emprunter le passage vers la lande");
    prompt_after(true);
    EXPECT_FALSE(game_flags.underground);
    EXPECT_NEAR(player.pos_x, 47.06f, 1e-4f);
    EXPECT_EQ(catacomb_creatures(), 0);

    // The portal by the vestibule's wall leads out too.
    catacombs_enter();
    put_player(CATACOMB_PORTAL_X, 3.5f);
    EXPECT_EQ(prompt_after(false), key_name() + "  ·  Quitter les catacombes");
    prompt_after(true);
    EXPECT_FALSE(game_flags.underground);
}

TEST(CatacombPlay, FallingBelowWakesInTheVestibule) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    clear_world_creatures(1);
    put_player(1018.0f, 28.0f);
    player.dead = 1;
    player.death_time = 0.0f;
    run_frames(75);
    EXPECT_FALSE(player.dead);
    EXPECT_TRUE(game_flags.underground);
    EXPECT_FLOAT_EQ(player.pos_x, 1048.0f);
    EXPECT_FLOAT_EQ(player.pos_z, 5.6f);
    EXPECT_FLOAT_EQ(player.heading, 0.0f);
    catacombs_leave();
}

TEST(CatacombPlay, ExplorationMapShowsWhatWasSeenAndStartsOverEachVisit) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    const CatacombState& s = catacombs_state();
    // The whole vestibule, and the cells its open walls lead to.
    for (int i = 8; i <= 10; ++i)
        for (int j = 0; j <= 1; ++j) EXPECT_TRUE(s.seen[i][j]);
    EXPECT_TRUE(catacomb_cell_seen({1048.0f, 0, 5.6f}));
    EXPECT_FALSE(catacomb_cell_seen({1048.0f, 0, 85.0f}));
    int seen = 0;
    for (int i = 0; i < CATACOMB_CELLS; ++i)
        for (int j = 0; j < CATACOMB_CELLS; ++j) seen += s.seen[i][j];
    EXPECT_LT(seen, 16);

    const uint8_t* px = catacombs_map_pixels();
    ASSERT_NE(px, nullptr);
    auto pixel = [&](float x, float z) {
        int c = (int)((x - 1000.0f + 2.0f) / 100.0f * CATACOMB_MAP_SIZE);
        int r = (int)((z + 2.0f) / 100.0f * CATACOMB_MAP_SIZE);
        return px + ((size_t)r * CATACOMB_MAP_SIZE + (size_t)c) * 4;
    };
    const uint8_t* vestibule = pixel(1048.0f, 5.6f);
    const uint8_t* crypt = pixel(1048.0f, 85.0f);
    const uint8_t* wall = pixel(1048.0f, 0.5f);
    EXPECT_GT(vestibule[0], 100);
    EXPECT_LT(crypt[0], 20);
    EXPECT_GT(wall[0], crypt[0]);
    EXPECT_LT(wall[0], vestibule[0]);

    // Walking into the ossuary shows it whole and repaints the map.
    uint32_t before = catacombs_map_checksum();
    put_player(1048.0f, 48.0f);
    catacombs_step(0.05f);
    for (int i = 8; i <= 10; ++i)
        for (int j = 8; j <= 10; ++j) EXPECT_TRUE(s.seen[i][j]);
    EXPECT_NE(catacombs_map_checksum(), before);
    EXPECT_GT(pixel(1048.0f, 48.0f)[0], 100);
    // A guard room is tinted apart from the halls.
    put_player(1018.0f, 28.0f);
    catacombs_step(0.05f);
    const uint8_t* guards = pixel(1018.0f, 28.0f);
    EXPECT_NE(guards[1], pixel(1048.0f, 48.0f)[1]);

    catacombs_leave();
    catacombs_enter();
    EXPECT_FALSE(catacomb_cell_seen({1048.0f, 0, 48.0f}));
    catacombs_leave();
}

// The fullest the table gets: every camp, site and chief of the land, the
// wanderers, the Gaste's roamers, the cave's guards cut down at its mouth
// (their loot not yet taken) and risen again, then the garrison, both pairs
// of the lord's dead and a wolf spirit called in the crypt. None of them
// may be left out.
TEST(CatacombPlay, FullestTableStillRaisesEveryMinionAndTheWolf) {
    ASSERT_TRUE(catacomb_game());
    enter_at_level(12);
    const int garrison = catacomb_creatures();
    catacombs_leave();

    creatures_reset();
    player.pos_x = -40.0f;  // inside the Gaste's roaming ground
    player.pos_z = -600.0f;
    for (int i = 0; i < 40; ++i) ambience_gaste_bears_step();
    auto cave_guards = [] {
        player.pos_x = 0.0f;  // far enough from the cave for its guards to come
        player.pos_z = 0.0f;
        for (int i = 0; i < CAVE_GUARD_POINTS; ++i) ambience_cave_guards_step();
        std::vector<Creature*> out;
        for (Creature& c : creatures)
            if (creature_alive(&c) && !c.elite && std::hypot(c.anchor.x - 46.11f, c.anchor.z - 319.2f) < 2.0f)
                out.push_back(&c);
        return out;
    };
    std::vector<Creature*> first_guards = cave_guards();
    surface_player_at(CATACOMB_ENTRY_X, CATACOMB_ENTRY_Z + 1.0f, 12);
    world_initial_population();
    for (int i = 0; i < 40; ++i) ambience_wanderers_step();
    EXPECT_EQ((int)first_guards.size(), CAVE_GUARDS_KEEP);
    EXPECT_GE(creatures_in_use(), 139) << "the land is not as full as it gets";
    for (Creature* c : first_guards) {
        damage_creature(c, 1e6f);
        c->loot_count = 1;  // a corpse with loot lies two minutes
    }
    EXPECT_EQ((int)cave_guards().size(), CAVE_GUARDS_KEEP);
    surface_player_at(CATACOMB_ENTRY_X, CATACOMB_ENTRY_Z + 1.0f, 12);
    const int surface = creatures_in_use();
    EXPECT_GE(surface, 144);

    catacombs_enter();
    EXPECT_EQ(catacomb_creatures(), garrison);
    EXPECT_EQ(bosses(), 1);
    put_player(1048.0f, 80.0f, PI);
    Creature* lord = creature_boss();
    ASSERT_NE(lord, nullptr);
    auto minions = [] {
        int n = 0;
        for (const Creature& c : creatures) n += creature_alive(&c) && c.minion;
        return n;
    };
    lord->health = 0.55f * lord->max_health;
    for (int f = 0; f < 3; ++f) creatures_update(0.05f);
    EXPECT_EQ(lord->summons, 1);
    lord->health = 0.33f * lord->max_health;
    for (int f = 0; f < 3; ++f) creatures_update(0.05f);
    EXPECT_EQ(lord->summons, 2);
    EXPECT_EQ(minions(), 4);

    player.player_class = CLASS_DRUID;
    player.max_mana = player.mana = 200.0f;
    player.skill_cooldown[2] = 0.0f;
    EXPECT_TRUE(use_skill(2));
    EXPECT_STREQ(shown_message(), "Un loup-esprit répond à votre appel !");
    Creature* wolf = creature_companion();
    ASSERT_NE(wolf, nullptr);
    EXPECT_EQ(wolf->world, 1);
    EXPECT_EQ(catacomb_creatures(), garrison + 4 + 1);

    // Back on the heath the camps are full again.
    catacombs_leave();
    int wolves = 0;
    for (const Creature& c : creatures)
        wolves += creature_alive(&c) && c.species == SP_WOLF && !c.elite && std::hypot(c.anchor.x - 208.0f, c.anchor.z + 156.0f) < 1.0f;
    EXPECT_EQ(wolves, 12);
    creatures_reset();
    world_initial_population();
}
