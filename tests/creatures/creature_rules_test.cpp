// The rules of the creature table: spawning, health, experience, damage and
// its reactions, hit shapes, targeting, poses and the wild population.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/creatures/creature_game.h"
#include "play/player_move.h"
#include "play/targeting.h"
#include "render/renderer.h"
#include "sound/sound_internal.h"
#include "play/ambience_rules.h"
#include "play/bindings.h"
#include "play/population.h"
#include "tests/support/shown.h"
#include "world/species_models.h"
#include "world/catacombs.h"
#include "play/creatures.h"

namespace {

Vec3 ground(float x, float z) { return {x, ground_height(x, z), z}; }

// The open heath north of the goblin camp: flat enough, no camp near.
const float kX = 60.0f, kZ = 150.0f;

// The crypt lord on his throne, the player in his room below ground.
Creature* crypt_lord_with_player_below() {
    clean_table_with_player_at(1048.0f, 80.0f);
    player.pos_y = 0.0f;
    game_flags.underground = 1;
    return spawn_creature(SP_BOSS, {1048.0f, 0.0f, 87.0f}, {1048.0f, 0.0f, 87.0f});
}

// Two corridor cells (i, j) and (i, j + 1) with a wall between them and the
// longest way round, so that nothing but the wall decides what a foe sees.
bool walled_corridor_cells(int* ai, int* aj) {
    int best = 0;
    *ai = *aj = -1;
    for (int i = 1; i < CATACOMB_CELLS - 1; ++i)
        for (int j = 2; j < CATACOMB_CELLS - 2; ++j) {
            int detour = std::abs(catacomb_distance(i, j) - catacomb_distance(i, j + 1));
            if (!catacomb_wall_open(i, j, DIR_PZ) && catacomb_room_of_cell(i, j) < 0 &&
                catacomb_room_of_cell(i, j + 1) < 0 && !catacomb_in_crypt_block(i, j) &&
                !catacomb_in_crypt_block(i, j + 1) && catacomb_distance(i, j) >= 0 &&
                catacomb_distance(i, j + 1) >= 0 && detour > best)
                *ai = i, *aj = j, best = detour;
        }
    return *ai >= 0;
}

}  // namespace

TEST(CreatureRules, PopulationFillsCampsSitesAndChiefsTheSameWayEveryRun) {
    ASSERT_TRUE(creature_game());
    auto snapshot = [](std::vector<float>* out) {
        clean_table_with_player_at(0.0f, 0.0f);
        world_initial_population();
        out->clear();
        for (const Creature& c : creatures)
            if (c.in_use) {
                out->push_back(c.pos.x);
                out->push_back(c.pos.z);
                out->push_back((float)c.species);
            }
    };
    std::vector<float> a, b;
    snapshot(&a);
    snapshot(&b);
    EXPECT_EQ(a, b);

    for (const CampRule& camp : ambience_camps) {
        int n = 0;
        for (const Creature& c : creatures)
            if (c.in_use && !c.elite && std::hypot(c.anchor.x - camp.x, c.anchor.z - camp.z) < 60.0f) {
                ++n;
                EXPECT_EQ(c.species, camp.species);
                EXPECT_FALSE(is_lake_water(c.pos.x, c.pos.z));
            }
        EXPECT_GE(n, camp.keep) << camp.x << ", " << camp.z;
    }
    for (const SiteRule& site : ambience_sites) {
        int n = 0;
        for (const Creature& c : creatures)
            if (c.in_use && !c.elite && c.species == site.species &&
                std::hypot(c.anchor.x - site.x, c.anchor.z - site.z) < 1.0f) {
                ++n;
                EXPECT_GE(c.level, site.level_min);
                EXPECT_LE(c.level, site.level_max);
                EXPECT_FLOAT_EQ(c.tint.x, site.tint.x);
            }
        EXPECT_EQ(n, site.count) << site.x << ", " << site.z;
    }
    int goblins = 0, boars = 0;
    int elites[ELITE_COUNT + 1] = {};
    for (const Creature& c : creatures) {
        if (!c.in_use) continue;
        if (c.species == SP_GOBLIN && !c.elite && std::hypot(c.anchor.x - 160, c.anchor.z - 124) < 1.0f) ++goblins;
        if (c.species == SP_BOAR) ++boars;
        if (c.elite) ++elites[c.elite_index];
    }
    EXPECT_EQ(goblins, 20);
    EXPECT_EQ(boars, 14);
    for (int e = 1; e <= ELITE_COUNT; ++e) EXPECT_EQ(elites[e], 1) << elite_defs[e].name;

    // A chief that fell comes back to his haunt once the player is far away,
    // never under his eyes.
    Creature* gaudin = nullptr;
    for (Creature& c : creatures)
        if (c.in_use && c.elite_index == ELITE_GAUDIN) gaudin = &c;
    ASSERT_NE(gaudin, nullptr);
    Vec3 haunt = gaudin->anchor;
    free_creature(gaudin);
    player.pos_x = haunt.x + 20.0f;
    player.pos_z = haunt.z;
    ambience_top_up_camps();
    for (const Creature& c : creatures) EXPECT_FALSE(c.in_use && c.elite_index == ELITE_GAUDIN);
    player.pos_x = 500.0f;
    player.pos_z = 300.0f;
    ambience_top_up_camps();
    int back = 0;
    for (const Creature& c : creatures) back += c.in_use && c.elite_index == ELITE_GAUDIN;
    EXPECT_EQ(back, 1);

    // Every skeleton of the cave stands before its mouth: five guards come
    // back one at a time while the graveyard keeps its own.
    int guards_before = 0;
    for (const Creature& c : creatures)
        guards_before += c.in_use && !c.elite && std::hypot(c.anchor.x - 46.11f, c.anchor.z - 319.2f) < 2.0f;
    for (int i = 0; i < 8; ++i) ambience_cave_guards_step();
    int guards = 0;
    for (const Creature& c : creatures)
        if (c.in_use && !c.elite && std::hypot(c.anchor.x - 46.11f, c.anchor.z - 319.2f) < 2.0f) {
            ++guards;
            EXPECT_TRUE(c.species == SP_SKELETON || c.species == SP_SKELETON_ARCHER);
        }
    EXPECT_EQ(guards_before, 0);
    EXPECT_EQ(guards, CAVE_GUARDS_KEEP);
}

TEST(CreatureRules, SpawnHealthExperienceAndBlows) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    Creature* boar = spawn_creature(SP_BOAR, ground(kX + 5, kZ), ground(kX + 5, kZ));
    Creature* wolf = spawn_creature(SP_WOLF, ground(kX + 8, kZ), ground(kX + 8, kZ));
    ASSERT_TRUE(boar && wolf);
    EXPECT_EQ(boar->serial, 1u);
    EXPECT_EQ(wolf->serial, 2u);
    EXPECT_EQ(boar->ai_state, CS_BOAR_IDLE);
    EXPECT_EQ(wolf->ai_state, CS_IDLE);
    EXPECT_FLOAT_EQ(boar->max_health, 100.0f);
    EXPECT_GE(wolf->level, 6);
    EXPECT_LE(wolf->level, 7);
    // A grey wolf has 75 health at level 1 and 30 % of that more at each level
    // above: 187.5 at level 6 (rounded up), 210 at level 7.
    EXPECT_FLOAT_EQ(wolf->max_health, wolf->level == 6 ? 188.0f : 210.0f);
    EXPECT_EQ(species_health_for_level(SP_WOLF, 1), 75);
    EXPECT_EQ(species_health_for_level(SP_WOLF, 5), 165);
    // The boar, the goblin and the lord keep their health at any level.
    EXPECT_EQ(species_health_for_level(SP_BOAR, 9), 100);
    EXPECT_EQ(species_health_for_level(SP_GOBLIN, 1), 120);
    EXPECT_EQ(species_health_for_level(SP_BOSS, 20), 3200);
    EXPECT_GE(boar->behaviour_timer, 1.0f);
    EXPECT_LE(boar->behaviour_timer, 4.0f);
    EXPECT_GT(wolf->model.node_count, 0);

    // Elites: Grognard's fixed values, the others from their multipliers.
    Creature* grognard = spawn_elite(ELITE_GROGNARD, ground(kX, kZ + 20), ground(kX, kZ + 20));
    Creature* alpha = spawn_elite(ELITE_GUEULE_GRISE, ground(kX, kZ + 25), ground(kX, kZ + 25));
    Creature* crocs = spawn_elite(ELITE_CROCS_NOIRS, ground(kX, kZ + 30), ground(kX, kZ + 30));
    Creature* knight = spawn_elite(ELITE_GREEN_KNIGHT, ground(kX, kZ + 35), ground(kX, kZ + 35));
    ASSERT_TRUE(grognard && alpha && crocs && knight);
    EXPECT_FLOAT_EQ(grognard->max_health, 560.0f);
    EXPECT_FLOAT_EQ(creature_blow_damage(grognard), 19.2f);
    EXPECT_EQ(alpha->level, 8);
    EXPECT_FLOAT_EQ(alpha->max_health, 816.0f);  // floor(233 x 3.5 + 0.5)
    EXPECT_FLOAT_EQ(creature_blow_damage(crocs), 14.4f);  // a goblin's 8, times the chief's 1.8
    EXPECT_GT(knight->model.node_count, species_models[SP_FELON].model.node_count);
    EXPECT_STREQ(creature_display_name(alpha), "Gueule-Grise");
    std::snprintf(wolf->custom_name, sizeof wolf->custom_name, "Loup ensorcelé");
    EXPECT_STREQ(creature_display_name(wolf), "Loup ensorcelé");

    // Experience: x1.5 at most, a tenth more than six levels below.
    player.level = 1;
    set_creature_level(wolf, 7);
    EXPECT_EQ(creature_xp_value(wolf), 165);
    player.level = 14;
    EXPECT_EQ(creature_xp_value(wolf), 11);
    player.level = 13;
    EXPECT_EQ(creature_xp_value(wolf), 44);  // six below: 110 x 0.4
    player.level = 20;
    EXPECT_EQ(creature_xp_value(boar), 2);
    player.level = 10;
    Creature* guardian = spawn_creature(SP_BONE_GUARDIAN, ground(kX, kZ - 20), ground(kX, kZ - 20));
    ASSERT_TRUE(guardian);
    EXPECT_EQ(creature_xp_value(guardian), (int)(155 * 1.3f + 0.5f));

    // The Green Knight rises once, at 45 %, and hits harder in his second life.
    float blow = creature_blow_damage(knight);
    EXPECT_FALSE(damage_creature(knight, knight->max_health + 10.0f));
    EXPECT_EQ(knight->phase, 2);
    EXPECT_NEAR(knight->health, 0.45f * knight->max_health, 0.01f);
    EXPECT_STREQ(shown_message(), "Le Chevalier Vert ramasse sa tête… et se relève en riant !");
    EXPECT_FLOAT_EQ(creature_blow_damage(knight), blow * 1.25f);
    EXPECT_TRUE(damage_creature(knight, knight->max_health));
    EXPECT_EQ(knight->ai_state, CS_DEAD);
    EXPECT_FALSE(damage_creature(knight, 10.0f));  // a corpse takes nothing

    // A full table places nothing.
    int placed = creatures_in_use();
    for (int i = placed; i < CREATURE_CAPACITY; ++i)
        ASSERT_NE(spawn_creature(SP_GOBLIN, ground(kX + 40, kZ + (float)i * 0.1f), ground(kX + 40, kZ)), nullptr);
    EXPECT_EQ(spawn_creature(SP_GOBLIN, ground(kX, kZ), ground(kX, kZ)), nullptr);
    EXPECT_EQ(spawn_elite(ELITE_OSSIAN, ground(kX, kZ), ground(kX, kZ)), nullptr);
}

TEST(CreatureRules, ReactionsToBlowsAndTheGuardiansShield) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    Creature* weak = spawn_creature(SP_BOAR, ground(kX + 5, kZ), ground(kX + 5, kZ));
    Creature* strong = spawn_creature(SP_BOAR, ground(kX - 5, kZ), ground(kX - 5, kZ));
    damage_creature(weak, 75.0f);
    damage_creature(strong, 20.0f);
    EXPECT_EQ(weak->ai_state, CS_BOAR_FLEE);
    EXPECT_FLOAT_EQ(weak->behaviour_timer, 4.0f);
    EXPECT_EQ(strong->ai_state, CS_BOAR_FIGHT);
    EXPECT_FLOAT_EQ(strong->behaviour_timer, 9.0f);
    EXPECT_FLOAT_EQ(strong->hit_flash, 0.15f);

    // One goblin hit: its kin within 14 m join, a far one and a wolf do not.
    Creature* g0 = spawn_creature(SP_GOBLIN, ground(kX, kZ + 20), ground(kX, kZ + 20));
    Creature* g1 = spawn_creature(SP_GOBLIN, ground(kX + 10, kZ + 20), ground(kX, kZ + 20));
    Creature* g2 = spawn_creature(SP_GOBLIN, ground(kX + 20, kZ + 20), ground(kX, kZ + 20));
    Creature* w = spawn_creature(SP_WOLF, ground(kX + 3, kZ + 20), ground(kX, kZ + 20));
    damage_creature(g0, 10.0f);
    EXPECT_EQ(g0->ai_state, CS_FIGHT);
    EXPECT_EQ(g1->ai_state, CS_FIGHT);
    EXPECT_EQ(g2->ai_state, CS_IDLE);
    EXPECT_EQ(w->ai_state, CS_IDLE);

    // The bone guardian turns blows on its front to a fifth, not those from
    // behind, not while stunned, and never a blow with no direction.
    player.level = 10;
    Creature* gd = spawn_creature(SP_BONE_GUARDIAN, ground(kX, kZ - 20), ground(kX, kZ - 20));
    gd->heading = 0.0f;  // facing +z
    bool blocked = false;
    EXPECT_FLOAT_EQ(player_damage_factor(gd, {0, 0, -1}, &blocked), 0.2f);
    EXPECT_TRUE(blocked);
    EXPECT_FLOAT_EQ(player_damage_factor(gd, {0, 0, 1}, &blocked), 1.0f);
    EXPECT_FALSE(blocked);
    EXPECT_FLOAT_EQ(player_damage_factor(gd, {0, 0, 0}, &blocked), 1.0f);
    EXPECT_FALSE(blocked);
    gd->stun_time = 1.0f;
    player_damage_factor(gd, {0, 0, -1}, &blocked);
    EXPECT_FALSE(blocked);
    player.level = 1;
    EXPECT_FLOAT_EQ(player_damage_factor(gd, {1, 0, 0}, &blocked), 0.46f);

    // Hit shapes follow the facing and the scale.
    Creature* wolf = spawn_creature(SP_WOLF, ground(kX + 30, kZ), ground(kX + 30, kZ));
    wolf->heading = PI * 0.5f;  // facing +x
    Vec3 p = wolf->pos;
    EXPECT_EQ(hit_part(wolf, p + Vec3{0.7f, 0.74f, 0}), 2);
    EXPECT_EQ(hit_part(wolf, p + Vec3{-0.4f, 0.64f, 0}), 1);
    EXPECT_EQ(hit_part(wolf, p + Vec3{0, 0.64f, 0.6f}), 0);
    EXPECT_EQ(hit_part(wolf, p + Vec3{0, 0.64f, 0.7f}), 0);
    wolf->body_scale = 2.0f;
    EXPECT_EQ(hit_part(wolf, p + Vec3{1.4f, 1.48f, 0}), 2);
    damage_creature(wolf, 1e6f);
    EXPECT_EQ(hit_part(wolf, p + Vec3{0, 1.28f, 0}), 0);
}

TEST(CreatureBehaviour, BoarsLeashesAndSight) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    // A boar next to the player minds its own business.
    Creature* boar = spawn_creature(SP_BOAR, ground(kX + 2, kZ), ground(kX + 2, kZ));
    step_creatures(12.0f);
    EXPECT_FLOAT_EQ(player.health, player.max_health);
    EXPECT_NE(boar->ai_state, CS_BOAR_FIGHT);
    // Hit, it fights back for its 9 s.
    damage_creature(boar, 10.0f);
    step_creatures(3.0f);
    EXPECT_LT(player.health, player.max_health);

    // A wolf pulled beyond twice its leash turns back and heals on the way.
    clean_table_with_player_at(kX, kZ);
    Vec3 home = ground(kX - 100.0f, kZ);
    Creature* w = spawn_creature(SP_WOLF, ground(kX - 1.0f, kZ), home);
    w->ai_state = CS_FIGHT;
    w->health = 0.5f * w->max_health;
    step_creatures(0.1f);
    EXPECT_EQ(w->ai_state, CS_RETURN);
    float before = w->health;
    step_creatures(1.0f);
    EXPECT_GT(w->health, before);
    step_creatures(20.0f);
    EXPECT_TRUE(w->ai_state == CS_IDLE || w->ai_state == CS_ROAM) << w->ai_state;
    EXPECT_FLOAT_EQ(w->health, w->max_health);
    EXPECT_LT(std::hypot(w->pos.x - home.x, w->pos.z - home.z), 12.0f);

    // Out of sight range the fight ends at once; a dead player ends it too.
    Creature* far = spawn_creature(SP_BRIGAND, ground(kX + 65, kZ), ground(kX + 65, kZ));
    far->ai_state = CS_FIGHT;
    step_creatures(0.05f);
    EXPECT_EQ(far->ai_state, CS_RETURN);
    Creature* near = spawn_creature(SP_BRIGAND, ground(kX + 5, kZ + 5), ground(kX + 5, kZ + 5));
    near->ai_state = CS_FIGHT;
    player.dead = 1;
    step_creatures(0.05f);
    EXPECT_EQ(near->ai_state, CS_RETURN);
    player.dead = 0;

    // Calm after the return to life: boars rest, the others go home.
    Creature* b2 = spawn_creature(SP_BOAR, ground(kX + 4, kZ + 4), ground(kX + 4, kZ + 4));
    b2->ai_state = CS_BOAR_FIGHT;
    near->ai_state = CS_FIGHT;
    calm_all_creatures();
    EXPECT_EQ(b2->ai_state, CS_BOAR_IDLE);
    EXPECT_EQ(near->ai_state, CS_RETURN);
    EXPECT_FLOAT_EQ(b2->home.x, b2->pos.x);
}

// Below ground a wall hides the player: the foe keeps the fight for 8 s of
// lost sight, then goes home; one that cannot reach home gives up after 10 s.
TEST(CreatureBehaviour, LostSightAndAStuckReturnBelowGround) {
    ASSERT_TRUE(creature_game());
    int ai = -1, aj = -1;
    ASSERT_TRUE(walled_corridor_cells(&ai, &aj)) << "no closed wall between two corridor cells";
    Vec3 here = catacomb_cell_centre(ai, aj), there = catacomb_cell_centre(ai, aj + 1);
    clean_table_with_player_at(here.x, here.z);
    player.pos_y = 0.0f;
    game_flags.underground = 1;
    ASSERT_FALSE(catacomb_line_clear(there + Vec3{0, 1.5f, 0}, here + Vec3{0, 1.4f, 0}));
    Creature* z = spawn_creature(SP_SKELETON, there, there);
    ASSERT_NE(z, nullptr);
    ASSERT_EQ(z->world, 1);
    z->ai_state = CS_FIGHT;
    step_creatures(6.0f);
    EXPECT_EQ(z->ai_state, CS_FIGHT) << "six seconds out of sight: still hunting";
    step_creatures(3.0f);
    EXPECT_NE(z->ai_state, CS_FIGHT) << "past eight seconds it gives up";

    // Sent home through a wall it cannot pass: idle where it stands after 10 s.
    Creature* w = spawn_creature(SP_SKELETON, there, there);
    ASSERT_NE(w, nullptr);
    w->home = here;
    w->ai_state = CS_RETURN;
    step_creatures(5.0f);
    EXPECT_EQ(w->ai_state, CS_RETURN);
    step_creatures(7.0f);
    EXPECT_NE(w->ai_state, CS_RETURN) << "caught on the wall, it rests instead";
    EXPECT_GT(std::hypot(w->pos.x - here.x, w->pos.z - here.z), 1.0f);
    game_flags.underground = 0;
}

// A hold (stun, ice, trap, brambles) stops the feet only: the held foe still
// turns, strikes and shoots what is in reach, and the lord still wakes,
// calls his dead and goes back to his throne.
TEST(CreatureBehaviour, AHoldStopsTheFeetButNotTheBlowsNorTheLordsPhases) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    Creature* brigand = spawn_creature(SP_BRIGAND, ground(kX + 1.5f, kZ), ground(kX + 1.5f, kZ));
    ASSERT_NE(brigand, nullptr);
    brigand->heading = 0.0f;  // looking away, along +z
    brigand->ai_state = CS_FIGHT;
    brigand->stun_time = 3.0f;  // an ice arrow
    Vec3 held_at = brigand->pos;
    step_creatures(2.5f);
    EXPECT_LT(player.health, player.max_health) << "a frozen brigand within reach still strikes";
    EXPECT_FLOAT_EQ(brigand->pos.x, held_at.x);
    EXPECT_FLOAT_EQ(brigand->pos.z, held_at.z);
    EXPECT_NEAR(brigand->heading, -PI * 0.5f, 0.05f) << "it turns toward the player";

    // Out of reach it stays where the hold caught it.
    clean_table_with_player_at(kX, kZ);
    Creature* far = spawn_creature(SP_BRIGAND, ground(kX + 8.0f, kZ), ground(kX + 8.0f, kZ));
    far->ai_state = CS_FIGHT;
    far->stun_time = 4.0f;  // brambles
    step_creatures(3.5f);
    EXPECT_NEAR(far->pos.x, kX + 8.0f, 1e-4f);
    EXPECT_FLOAT_EQ(player.health, player.max_health);
    step_creatures(1.5f);
    EXPECT_LT(far->pos.x, kX + 7.0f) << "free again, it comes on";

    // A trapped archer still shoots.
    clean_table_with_player_at(kX, kZ);
    Creature* archer = spawn_creature(SP_SKELETON_ARCHER, ground(kX, kZ + 10.0f), ground(kX, kZ + 10.0f));
    archer->ai_state = CS_FIGHT;
    archer->stun_time = 5.0f;
    bool loosed = false;
    for (int i = 0; i < 60 && !loosed; ++i) {
        step_creatures(0.05f);
        for (const CreatureArrow& a : creature_arrows) loosed = loosed || a.active;
    }
    EXPECT_TRUE(loosed);

    // The lord held from the start: he wakes, calls his dead, and resets.
    Creature* boss = crypt_lord_with_player_below();
    ASSERT_NE(boss, nullptr);
    boss->stun_time = 30.0f;
    step_creatures(0.05f);
    EXPECT_EQ(boss->ai_state, CS_FIGHT);
    damage_creature(boss, 0.45f * 3200.0f);
    step_creatures(0.05f);
    EXPECT_EQ(boss->phase, 2);
    EXPECT_EQ(boss->summons, 1);
    player.pos_x = 1020.0f;
    step_creatures(3.2f);
    EXPECT_EQ(boss->ai_state, CS_IDLE);
    EXPECT_FLOAT_EQ(boss->health, 3200.0f);
    game_flags.underground = 0;
}

// A foe that cannot see the player counts him out of reach: a skeleton and
// the player 1.8 m apart on the two sides of a 1 m wall never trade blows.
TEST(CreatureBehaviour, NoBlowThroughACatacombWall) {
    ASSERT_TRUE(creature_game());
    int ai = -1, aj = -1;
    ASSERT_TRUE(walled_corridor_cells(&ai, &aj));
    Vec3 here = catacomb_cell_centre(ai, aj);
    float wall_z = 5.0f * (float)(aj + 1);  // the wall line spans [wall_z, wall_z + 1)
    clean_table_with_player_at(here.x, wall_z - 0.4f);
    player.pos_y = 0.0f;
    game_flags.underground = 1;
    Vec3 beyond = {here.x, 0.0f, wall_z + 1.45f};
    ASSERT_TRUE(catacomb_solid({here.x, 1.0f, wall_z + 0.5f}));
    Creature* z = spawn_creature(SP_SKELETON, beyond, beyond);
    ASSERT_NE(z, nullptr);
    ASSERT_LT(std::hypot(z->pos.x - player.pos_x, z->pos.z - player.pos_z), 1.9f);  // within its reach
    z->ai_state = CS_FIGHT;
    bool swung = false;
    for (int i = 0; i < 80; ++i) {
        step_creatures(0.05f);
        swung = swung || z->blow_pending;
    }
    EXPECT_FALSE(swung) << "a blow started through the wall";
    EXPECT_FLOAT_EQ(player.health, player.max_health);
    EXPECT_EQ(z->ai_state, CS_FIGHT);  // still hunting, under 8 s out of sight

    // The same distance with nothing between: it strikes.
    player.pos_z = z->pos.z + 1.5f;
    step_creatures(2.0f);
    EXPECT_LT(player.health, player.max_health);
    game_flags.underground = 0;
}

TEST(CreatureBehaviour, TheCryptLordWakesSummonsTwicePairsRagesAndResets) {
    ASSERT_TRUE(creature_game());
    Creature* boss = crypt_lord_with_player_below();
    ASSERT_NE(boss, nullptr);
    EXPECT_EQ(boss->world, 1);
    EXPECT_EQ(boss->phase, 1);  // the first fight has its minions and rage too
    EXPECT_FLOAT_EQ(boss->body_scale, 1.35f);
    EXPECT_FLOAT_EQ(boss->max_health, 3200.0f);
    step_creatures(0.05f);
    EXPECT_EQ(boss->ai_state, CS_FIGHT);
    EXPECT_STREQ(shown_message(), "Bréhus sans Pitié : « Qui ose troubler mon repos ? »");

    auto minions = [] {
        int n = 0;
        for (const Creature& c : creatures) n += c.in_use && c.minion && c.ai_state != CS_DEAD;
        return n;
    };
    damage_creature(boss, 0.45f * 3200.0f);
    step_creatures(0.05f);
    EXPECT_EQ(boss->phase, 2);
    EXPECT_EQ(minions(), 2);
    for (Creature& c : creatures)
        if (c.in_use && c.minion) {
            EXPECT_FLOAT_EQ(c.max_health, 352.0f);
            EXPECT_EQ(c.ai_state, CS_FIGHT);
            damage_creature(&c, 1000.0f);
        }
    step_creatures(0.05f);
    EXPECT_EQ(boss->summons, 1);  // killing them does not bring more
    EXPECT_EQ(minions(), 0);
    damage_creature(boss, 0.22f * 3200.0f);  // 33 %
    // The second pair rises with the same call and roar as the first.
    hud_message("", 0.1f);
    snd_reset_state();
    snd_set_listener(boss->pos, {1, 0, 0});
    step_creatures(0.05f);
    EXPECT_EQ(minions(), 2);
    EXPECT_STREQ(shown_message(), "Bréhus appelle ses morts !");
    int roars = 0;
    for (const Voice& v : snd_voices) roars += v.active && v.sound == &snd_effects[27];
    EXPECT_EQ(roars, 1) << "sound 27 with the second pair";
    EXPECT_EQ(boss->phase, 2);
    damage_creature(boss, 0.05f * 3200.0f);  // 28 %
    step_creatures(0.05f);
    EXPECT_EQ(boss->phase, 3);
    EXPECT_EQ(boss->summons, 2);
    for (Creature& c : creatures)
        if (c.in_use && c.minion) damage_creature(&c, 1000.0f);
    damage_creature(boss, 0.1f * 3200.0f);
    step_creatures(1.0f);
    EXPECT_EQ(minions(), 0);  // never a third pair

    // Out of the room for more than 3 s: back on his throne, whole again.
    player.pos_x = 1020.0f;
    step_creatures(2.5f);
    EXPECT_EQ(boss->ai_state, CS_FIGHT);
    step_creatures(0.6f);
    EXPECT_EQ(boss->ai_state, CS_IDLE);
    EXPECT_FLOAT_EQ(boss->health, 3200.0f);
    EXPECT_EQ(boss->phase, 1);
    EXPECT_EQ(boss->summons, 0);
    EXPECT_FLOAT_EQ(boss->heading, PI);
    EXPECT_STREQ(shown_message(), "Bréhus retourne à son trône…");
    for (const FallingSlab& s : falling_slabs) EXPECT_FALSE(s.active);
    game_flags.underground = 0;
}

// A blow wakes the lord as if the player had come in: shot from the doorway
// he rises, calls his dead, and with the player still outside he goes back
// to his throne whole: he cannot be worn down from the corridor.
TEST(CreatureBehaviour, ABlowFromTheDoorwayWakesTheCryptLord) {
    ASSERT_TRUE(creature_game());
    Creature* boss = crypt_lord_with_player_below();
    ASSERT_NE(boss, nullptr);
    player.pos_z = 74.0f;  // before the crypt's door, outside the room
    ASSERT_FALSE(player_in_crypt());
    step_creatures(1.0f);
    ASSERT_EQ(boss->ai_state, CS_IDLE);
    hud_message("", 0.1f);
    damage_creature(boss, 0.45f * 3200.0f);
    EXPECT_EQ(boss->ai_state, CS_FIGHT);
    EXPECT_STREQ(shown_message(), "Bréhus sans Pitié : « Qui ose troubler mon repos ? »");
    step_creatures(0.05f);
    EXPECT_EQ(boss->phase, 2);
    EXPECT_EQ(boss->summons, 1);
    step_creatures(3.1f);
    EXPECT_EQ(boss->ai_state, CS_IDLE);
    EXPECT_FLOAT_EQ(boss->health, 3200.0f);
    game_flags.underground = 0;
}

TEST(CreatureBehaviour, TheCryptLordsChargeStrikesOnceAndStopsAtTheWallAndSlabsCrush) {
    ASSERT_TRUE(creature_game());
    Creature* boss = crypt_lord_with_player_below();
    ASSERT_NE(boss, nullptr);
    step_creatures(0.05f);
    ASSERT_EQ(boss->ai_state, CS_FIGHT);

    // The charge: a wind-up, then a rush along the line to the player that
    // strikes her once and ends against the room's west wall (x 1035).
    boss->pos = {1046.5f, 0.0f, 83.0f};
    player.pos_x = 1040.5f;
    player.pos_z = 83.0f;
    boss->charge_timer = 0.0f;
    step_creatures(0.05f);
    ASSERT_EQ(boss->charge_state, 1);
    EXPECT_STREQ(shown_message(), "Bréhus se prépare à charger !");
    float before = player.health;
    int hits = 0;
    float rushed = 0.0f;
    for (int i = 0; i < 80 && boss->charge_state != 0; ++i) {
        float h = player.health;
        step_creatures(0.05f);
        if (boss->charge_state == 2 || (boss->charge_state == 0 && rushed > 0.0f)) rushed += 0.05f;
        hits += player.health < h;
    }
    EXPECT_EQ(boss->charge_state, 0);
    EXPECT_EQ(hits, 1);
    EXPECT_LT(player.health, before);
    // 1.1 s of rush would carry him 14 m, far through the wall 10 m away.
    EXPECT_LT(rushed, 0.9f);
    EXPECT_GT(boss->pos.x, 1035.5f);
    EXPECT_LT(boss->pos.x, 1039.0f);
    EXPECT_NEAR(boss->pos.z, 83.0f, 0.5f);
    EXPECT_FLOAT_EQ(boss->speed, 0.0f);

    // From the second phase, slabs fall: the one on the player crushes her
    // when it lands, those that miss do nothing.
    damage_creature(boss, 0.45f * boss->max_health);
    step_creatures(0.05f);
    ASSERT_EQ(boss->phase, 2);
    for (Creature& c : creatures)
        if (c.in_use && c.minion) free_creature(&c);
    boss->slab_timer = 0.0f;
    boss->charge_timer = 100.0f;
    step_creatures(0.05f);
    int falling = 0;
    for (const FallingSlab& sl : falling_slabs) falling += sl.active;
    EXPECT_EQ(falling, 3);
    before = player.health;
    step_creatures(1.8f);
    EXPECT_LT(player.health, before);
    EXPECT_STREQ(shown_message(), "Une dalle vous écrase !");
    step_creatures(3.0f);  // gone
    // The slabs shake a pad that has the option on, hard on the heavy motor,
    // as they start to fall; without the option or without a pad, nothing.
    float low = 0.0f, high = 0.0f;
    auto slabs_shake = [&](bool connected, bool allowed) {
        plat_input.pad.connected = connected;
        pad_tuning.vibration = allowed;
        headless_last_rumble(&low, &high);  // forget what came before
        boss->slab_timer = 0.0f;
        step_creatures(0.05f);
        headless_last_rumble(&low, &high);
        plat_input.pad.connected = 0;
        pad_tuning.vibration = 1;
        step_creatures(3.0f);  // the slabs land and are gone
    };
    slabs_shake(true, false);
    EXPECT_EQ(low, 0.0f) << "the vibration option is off";
    slabs_shake(false, true);
    EXPECT_EQ(low, 0.0f) << "no pad to shake";
    slabs_shake(true, true);
    EXPECT_GT(low, 0.8f) << "the lord's slabs do not shake the pad";
    EXPECT_GT(high, 0.0f);
    player.health = player.max_health;
    boss->slab_timer = 0.0f;
    step_creatures(0.05f);
    player.pos_x += 9.0f;  // out from under every slab before they land
    hud_message("", 0.1f);
    before = player.health;
    float boss_health = boss->health;
    step_creatures(1.8f);
    EXPECT_GE(player.health, before - 1e-3f * before) << "a slab that missed hurt her";
    EXPECT_FLOAT_EQ(boss->health, boss_health);
    game_flags.underground = 0;
}

TEST(CreatureTargeting, SelectCyclesLeftToRightAndPicksTheNearestAhead) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    player.camera_yaw = 0.0f;  // looking along +z
    auto at = [](float bearing, float d) {
        return ground(kX + std::sin(bearing) * d, kZ + std::cos(bearing) * d);
    };
    Creature* left = spawn_creature(SP_WOLF, at(-0.6f, 12.0f), at(-0.6f, 12.0f));
    Creature* ahead = spawn_creature(SP_WOLF, at(0.1f, 20.0f), at(0.1f, 20.0f));
    Creature* right = spawn_creature(SP_WOLF, at(0.9f, 10.0f), at(0.9f, 10.0f));
    Creature* behind = spawn_creature(SP_WOLF, at(3.0f, 8.0f), at(3.0f, 8.0f));
    Creature* far = spawn_creature(SP_WOLF, at(0.0f, 50.0f), at(0.0f, 50.0f));
    (void)behind;
    (void)far;
    // (1.5 |b| + 1) d: 22.8 left, 23 ahead, 23.5 right.
    EXPECT_EQ(select_target(false), left);
    player.target = left;
    EXPECT_EQ(select_target(true), ahead);
    player.target = ahead;
    EXPECT_EQ(select_target(true), right);
    player.target = right;
    EXPECT_EQ(select_target(true), left);  // wraps round
    // Within 3 m a creature behind counts; one alone cycles to itself.
    clean_table_with_player_at(kX, kZ);
    player.camera_yaw = 0.0f;
    Creature* close = spawn_creature(SP_GOBLIN, at(3.0f, 2.0f), at(3.0f, 2.0f));
    EXPECT_EQ(select_target(false), close);
    player.target = close;
    EXPECT_EQ(select_target(true), close);
    damage_creature(close, 1e6f);
    EXPECT_EQ(select_target(false), nullptr);

    // The hold: a target that becomes invalid is dropped 1.2 s later.
    Creature* g = spawn_creature(SP_GOBLIN, at(0.0f, 10.0f), at(0.0f, 10.0f));
    player.target = g;
    player.target_hold = 1000000.0f;
    player.pos_x += 100.0f;
    for (int i = 0; i < 23; ++i) player_target_upkeep(0.05f);
    EXPECT_EQ(player.target, g);
    for (int i = 0; i < 2; ++i) player_target_upkeep(0.05f);
    EXPECT_EQ(player.target, nullptr);
}

TEST(CreatureTargeting, AnAttackTakesATargetOnlyWithinReach) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    player.camera_yaw = 0.0f;
    player.target = nullptr;
    Creature* g = spawn_creature(SP_GOBLIN, ground(kX, kZ + 20.0f), ground(kX, kZ + 20.0f));
    ASSERT_NE(g, nullptr);
    g->stun_time = 100.0f;  // holds still
    hud_message("", 0.1f);
    // Taken as the target, but 20 m is beyond a blow.
    EXPECT_EQ(ensure_target(5.0f), nullptr);
    EXPECT_EQ(player.target, g);
    EXPECT_STREQ(shown_message(), "Cible hors de portée.");
    EXPECT_EQ(ensure_target(30.0f), g);
    // The attack's form turns her toward it and holds the aim.
    player.heading = 2.0f;
    EXPECT_TRUE(ensure_target_for_attack(30.0f));
    EXPECT_NEAR(player.heading, 0.0f, 1e-3f);
    EXPECT_GT(player.aim_time, 0.0f);
    // Nothing to strike at all: the blow still goes, straight ahead.
    creatures_reset();
    player.target = nullptr;
    player.heading = 1.0f;
    EXPECT_TRUE(ensure_target_for_attack(5.0f));
    EXPECT_FLOAT_EQ(player.heading, 1.0f);
}

TEST(CreatureTargeting, AClickTakesTheCreatureUnderTheCursorAndAMissClearsIt) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    player.heading = player.camera_yaw = 0.0f;
    player.camera_pitch = 0.3f;
    Creature* near = spawn_creature(SP_WOLF, ground(kX + 1.5f, kZ + 9.0f), ground(kX + 1.5f, kZ + 9.0f));
    Creature* far = spawn_creature(SP_WOLF, ground(kX + 1.5f, kZ + 25.0f), ground(kX + 1.5f, kZ + 25.0f));
    ASSERT_TRUE(near && far);
    near->stun_time = far->stun_time = 100.0f;
    headless_set_input_script(nullptr, 0);
    for (int i = 0; i < 30; ++i) game_frame();  // the camera settles behind her
    auto aim_at = [](Creature* c) {
        bool visible = false;
        Vec3 at = world_to_screen(creature_aim_point(c), &visible);
        plat_input.mouse_x = (int)at.x;
        plat_input.mouse_y = (int)at.y;
        return visible;
    };
    ASSERT_TRUE(aim_at(far));
    EXPECT_EQ(pick_creature_at_cursor(), far);
    EXPECT_TRUE(player_click_target(true));
    EXPECT_EQ(player.target, far);
    ASSERT_TRUE(aim_at(near));
    EXPECT_EQ(pick_creature_at_cursor(), near);
    // The sky above: nothing, and the target goes only when asked.
    plat_input.mouse_x = 5;
    plat_input.mouse_y = 5;
    EXPECT_EQ(pick_creature_at_cursor(), nullptr);
    player.target = near;
    EXPECT_FALSE(player_click_target(false));
    EXPECT_EQ(player.target, near);
    EXPECT_FALSE(player_click_target(true));
    EXPECT_EQ(player.target, nullptr);
    // The dead are not picked.
    ASSERT_TRUE(aim_at(near));
    damage_creature(near, 1e7f);
    EXPECT_NE(pick_creature_at_cursor(), near);
}

TEST(CreatureBehaviour, ArchersBackOffAndThePlayerCannotWalkThroughABeast) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    // A skeleton archer caught within 4.5 m steps back before it draws again.
    Vec3 at = ground(kX, kZ + 3.0f);
    Creature* a = spawn_creature(SP_SKELETON_ARCHER, at, at);
    ASSERT_NE(a, nullptr);
    alert_pack(a);
    step_creatures(0.05f);
    ASSERT_EQ(a->ai_state, CS_FIGHT);
    a->attack_timer = 0.0f;
    step_creatures(0.05f);
    EXPECT_GT(a->retreat_time, 0.0f);
    step_creatures(1.0f);
    float away = std::hypot(a->pos.x - player.pos_x, a->pos.z - player.pos_z);
    EXPECT_GT(away, 5.0f);
    EXPECT_FLOAT_EQ(a->draw_time, 0.0f);
    step_creatures(2.0f);
    EXPECT_LE(a->retreat_time, 0.0f);
    free_creature(a);

    // A draw begun within 17 m is loosed while the player is still within
    // 17 + 3 m; beyond that the arrow stays on the string.
    for (float stepped_back : {2.5f, 4.5f}) {
        clean_table_with_player_at(kX, kZ);
        Vec3 post = ground(kX, kZ + 16.5f);
        Creature* bow = spawn_creature(SP_SKELETON_ARCHER, post, post);
        ASSERT_NE(bow, nullptr);
        set_creature_level(bow, 10);
        bow->ai_state = CS_FIGHT;
        bow->attack_timer = 0.0f;
        step_creatures(0.3f);
        ASSERT_GT(bow->draw_time, 0.0f);
        player.pos_z = kZ - stepped_back;
        player.pos_y = ground_height(player.pos_x, player.pos_z);
        bool loosed = false;
        for (int i = 0; i < 14; ++i) {
            step_creatures(0.05f);
            for (const CreatureArrow& k : creature_arrows) loosed = loosed || k.active;
        }
        EXPECT_EQ(loosed, stepped_back < 3.0f) << "player " << 16.5f + stepped_back << " m away";
    }

    // A boar held in place stands in her way: she is pushed round it, never
    // through it.
    clean_table_with_player_at(kX, kZ);
    Vec3 b = ground(kX, kZ + 3.0f);
    Creature* boar = spawn_creature(SP_BOAR, b, b);
    ASSERT_NE(boar, nullptr);
    boar->stun_time = 100.0f;
    float nearest = 100.0f;
    for (int i = 0; i < 40; ++i) {
        move_with_collision(player, 0.0f, 0.15f);
        nearest = std::fmin(nearest, std::hypot(player.pos_x - boar->pos.x, player.pos_z - boar->pos.z));
    }
    EXPECT_GT(nearest, 0.6f);
    EXPECT_LT(player.pos_z, boar->pos.z) << "walked through the boar";
}

TEST(CreaturePoses, GaitsStrikesAndTheBowDraw) {
    ASSERT_TRUE(creature_game());
    clean_table_with_player_at(kX, kZ);
    Creature* wolf = spawn_creature(SP_WOLF, ground(kX + 10, kZ), ground(kX + 10, kZ));
    Creature* gob = spawn_creature(SP_GOBLIN, ground(kX - 10, kZ), ground(kX - 10, kZ));
    const SpeciesSlots& ws = species_models[SP_WOLF].slots;
    const SpeciesSlots& gs = species_models[SP_GOBLIN].slots;
    auto pitch = [](Creature* c, int slot) { return c->model.nodes[slot].rotation.x; };

    // Standing still: straight legs, the phase still turning over.
    wolf->speed = 0.0f;
    float p0 = wolf->stride_phase;
    pose_quadruped(wolf, 0.5f, 1.7f);
    EXPECT_NEAR(wolf->stride_phase - p0, 1.0f, 1e-5f);
    for (int s : {ws.front_leg[0], ws.front_leg[1], ws.hind_leg[0], ws.hind_leg[1]})
        EXPECT_NEAR(pitch(wolf, s), 0.0f, 1e-6f);
    EXPECT_NEAR(wolf->model.nodes[ws.body].position.y, 0.0f, 1e-6f);
    gob->speed = 0.0f;
    pose_biped(gob, 0.5f);
    EXPECT_NEAR(pitch(gob, gs.leg[0]), 0.0f, 1e-6f);
    if (gs.knee[0] >= 0) {
        EXPECT_NEAR(pitch(gob, gs.knee[0]), 0.06f, 1e-6f);
    }

    // At 7 m/s the wolf gallops: front 1 with hind 2, against front 2 and hind 1.
    wolf->speed = 7.0f;
    for (int i = 0; i < 7; ++i) {
        pose_quadruped(wolf, 0.031f, 1.7f);
        float f1 = pitch(wolf, ws.front_leg[0]);
        EXPECT_NEAR(f1, pitch(wolf, ws.hind_leg[1]), 1e-5f);
        EXPECT_NEAR(-f1, pitch(wolf, ws.front_leg[1]), 1e-5f);
        EXPECT_NEAR(-f1, pitch(wolf, ws.hind_leg[0]), 1e-5f);
    }
    // At a walk the diagonal pairs go together instead.
    wolf->speed = 1.7f;
    pose_quadruped(wolf, 0.05f, 1.7f);
    EXPECT_NEAR(pitch(wolf, ws.front_leg[0]), pitch(wolf, ws.hind_leg[0]), 1e-5f);

    // A goblin's blow: raised to -2.6 halfway, down to +0.4, in 1/2.2 s.
    gob->attack_anim = 1.0f;
    float top = 0.0f;
    int frames = 0;
    while (gob->attack_anim > 0.0f && frames < 100) {
        pose_biped(gob, 1.0f / 220.0f);
        top = std::fmin(top, pitch(gob, gs.weapon_arm));
        ++frames;
    }
    EXPECT_NEAR(frames, 100, 1);
    EXPECT_NEAR(top, -2.6f, 0.01f);
    EXPECT_NEAR(pitch(gob, gs.weapon_arm), 0.4f, 1e-4f);

    // A skeleton archer past 0.4 s of draw holds the full draw.
    Creature* archer = spawn_creature(SP_SKELETON_ARCHER, ground(kX, kZ + 10), ground(kX, kZ + 10));
    const SpeciesSlots& as = species_models[SP_SKELETON_ARCHER].slots;
    archer->draw_time = 0.6f;
    for (int i = 0; i < 20; ++i) pose_biped(archer, 0.05f);
    EXPECT_NEAR(archer->model.nodes[as.weapon_arm].rotation.y, 0.9f, 1e-5f);
    EXPECT_NEAR(archer->model.nodes[as.weapon_arm].rotation.z, -0.9f, 1e-5f);
    EXPECT_NEAR(pitch(archer, as.weapon_arm), -1.4707963f, 1e-3f);
}
