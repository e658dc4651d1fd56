// Fighting rules with exact numbers: experience and levels, armour and the
// shield, criticals against a block, arrows, skills' checks, traps and the
// action bar's saved layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "game/results.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/hud.h"
#include "tests/support/shown.h"
#include "world/terrain.h"

namespace {

void fresh(int cls, int level) {
    creatures_reset();
    hud_reset();
    player_reset_new();
    clear_skills();
    combat_rng.state = 12345u;
    player.player_class = cls;
    player.pos_x = 40.0f;
    player.pos_z = 40.0f;
    player.pos_y = ground_height(40.0f, 40.0f);
    player.heading = PI * 0.5f;  // facing +x
    player.camera_yaw = player.heading;
    player.camera_forward = {1, 0, 0};
    player_equipment_totals(0, 0, 0, 1.0f);
    set_level_and_experience(level, 0);
    game_flags.title_overlay = 0;
    std::memset(&plat_input, 0, sizeof(plat_input));
}

// A creature of the given species and level ahead of the player along +x.
Creature* ahead(int species, float metres, int level) {
    float x = player.pos_x + metres, z = player.pos_z;
    Creature* c = spawn_creature(species, {x, ground_height(x, z), z}, {x, 0, z});
    set_creature_level(c, level);
    c->heading = -PI * 0.5f;  // facing the player
    return c;
}

float lost(const Creature* c) { return c->max_health - c->health; }

// A blow lands plain or critical (x1.8); true when it is one of the two.
bool plain_or_critical(float got, float base) {
    return std::fabs(got - base) < 0.01f * base || std::fabs(got - 1.8f * base) < 0.01f * base;
}

}  // namespace

TEST(Experience, ConversionsAndTable) {
    EXPECT_EQ(experience_points(1), 1);
    EXPECT_EQ(experience_points(2), 1);
    EXPECT_EQ(experience_points(3), 1);
    EXPECT_EQ(experience_points(20), 5);
    EXPECT_EQ(experience_points(0), 0);
    EXPECT_EQ(experience_points(-7), 0);
    const int table[10] = {100, 283, 520, 800, 1118, 1470, 1852, 2263, 2700, 3162};
    for (int l = 1; l <= 10; ++l) EXPECT_EQ(experience_need(l), table[l - 1]) << l;
    EXPECT_EQ(experience_need(19), 8282);
}

TEST(Experience, TwoLevelsInOneGainThenNothingAtTwenty) {
    fresh(CLASS_WARRIOR, 1);
    int armour1 = player.armour;
    // 100 + 283 to pass two levels, 10 left over.
    grant_experience(4 * 393 - 2);
    EXPECT_EQ(player.level, 3);
    EXPECT_EQ(player.experience, 10);
    EXPECT_FLOAT_EQ(player.health, (100.0f + 30.0f) * 1.3f);
    EXPECT_FLOAT_EQ(player.levelup_glow, 1.0f);
    game_results_drain();
    EXPECT_STREQ(shown_message(), "Niveau 3 !\nPoints de vie +19 · Dégâts +12 %");
    // The warrior's armour follows the level at once.
    EXPECT_EQ(player.armour, armour1 + 4);

    set_level_and_experience(19, 8000);
    grant_experience(4 * 400);
    EXPECT_EQ(player.level, 20);
    EXPECT_EQ(player.experience, 0);
    grant_experience(100000);
    EXPECT_EQ(player.level, 20);
    EXPECT_EQ(player.experience, 0);

    set_level_and_experience(0, -4);
    EXPECT_EQ(player.level, 1);
    EXPECT_EQ(player.experience, 0);
    set_level_and_experience(2, 999);
    EXPECT_EQ(player.experience, 282);
    set_level_and_experience(99, 50);
    EXPECT_EQ(player.level, 20);
    EXPECT_EQ(player.experience, 0);
}

TEST(Damage, ArmourHalvesAndTheShieldTakesThirtyPercentOfThat) {
    fresh(CLASS_ARCHER, 1);
    player_equipment_totals(100, 0, 0, 1.0f);
    float h = player.health;
    damage_player(40.0f, {player.pos_x + 2, player.pos_y, player.pos_z});
    EXPECT_FLOAT_EQ(h - player.health, 20.0f);

    fresh(CLASS_WARRIOR, 1);
    player_equipment_totals(100 - 12, 0, 0, 1.0f);  // 12 from the warrior's bonus at level 1
    ASSERT_EQ(player.armour, 100);
    player.guard_blend = 1.0f;
    h = player.health;
    damage_player(40.0f, {player.pos_x + 2, player.pos_y, player.pos_z});  // in front
    EXPECT_NEAR(h - player.health, 6.0f, 1e-4f);
    EXPECT_FLOAT_EQ(player.rage, 3.0f);
    h = player.health;
    damage_player(40.0f, {player.pos_x - 2, player.pos_y, player.pos_z});  // behind
    EXPECT_NEAR(h - player.health, 20.0f, 1e-4f);
    EXPECT_FLOAT_EQ(player.rage, 9.0f);

    // The fall names the place where the player comes to.
    damage_player(1e6f, {player.pos_x - 2, player.pos_y, player.pos_z});
    EXPECT_EQ(player.dead, 1);
    EXPECT_EQ(player.health, 0.0f);
    EXPECT_STREQ(shown_message(), "Vous êtes tombé…\nRetour à Camelot.");
    // And she falls as a woman.
    player.dead = 0;
    player.health = player.max_health;
    player_look.woman = 1;
    damage_player(1e6f, {player.pos_x - 2, player.pos_y, player.pos_z});
    EXPECT_STREQ(shown_message(), "Vous êtes tombée…\nRetour à Camelot.");
    player_look.woman = 0;
    h = player.health;
    damage_player(10.0f, {0, 0, 0});
    EXPECT_EQ(player.health, h);
}

TEST(Damage, NoCriticalOnABlockedBlow) {
    fresh(CLASS_WARRIOR, 10);
    Creature* g = ahead(SP_BONE_GUARDIAN, 2.0f, 10);
    g->max_health = g->health = 1e6f;
    for (int i = 0; i < 60; ++i) {
        float before = g->health;
        hit_creature(g, 10.0f, g->pos + Vec3{0, 1, 0}, HIT_BODY, {1, 0, 0});
        ASSERT_NEAR(before - g->health, 2.0f, 1e-3f) << i;
    }
    // From behind the same blows can be critical.
    int criticals = 0;
    for (int i = 0; i < 60; ++i) {
        float before = g->health;
        hit_creature(g, 10.0f, g->pos + Vec3{0, 1, 0}, HIT_BODY, {-1, 0, 0});
        criticals += before - g->health > 11.0f;
    }
    EXPECT_GT(criticals, 0);
}

TEST(Arrows, PiercingArrowStrikesEachCreatureOnceAndStopsInTheSeventh) {
    fresh(CLASS_ARCHER, 8);
    Creature* line[8];
    for (int i = 0; i < 8; ++i) {
        line[i] = ahead(SP_BRIGAND, 4.0f + 1.5f * (float)i, 8);
        line[i]->max_health = line[i]->health = 1e5f;
    }
    player.target = nullptr;
    PlayerArrow* a = launch_arrow(0.0f, 2.2f, ARROW_PIERCING);
    EXPECT_EQ(player.attacks_made, 1);
    for (int f = 0; f < 60; ++f) arrows_update(1.0f / 60.0f);
    float base = player_ranged_base() * 2.2f;
    for (int i = 0; i < 7; ++i) EXPECT_TRUE(plain_or_critical(lost(line[i]), base)) << i << " " << lost(line[i]);
    EXPECT_EQ(lost(line[7]), 0.0f);
    EXPECT_TRUE(a->stuck);
    EXPECT_EQ(a->stuck_slot, creature_index(line[6]));
}

TEST(Skills, ChecksCostsAndCooldowns) {
    // One level early: the message, and no cooldown.
    fresh(CLASS_ARCHER, 2);
    Creature* w = ahead(SP_WOLF, 10.0f, 2);
    EXPECT_FALSE(use_skill(1));
    EXPECT_STREQ(shown_message(), "Volée de flèches : niveau 3 requis.");
    EXPECT_EQ(player.skill_cooldown[1], 0.0f);
    EXPECT_FALSE(use_skill(-5));
    EXPECT_FALSE(use_skill(8));

    // A volley of five counts one attack.
    set_level_and_experience(3, 0);
    player.target = w;
    EXPECT_TRUE(use_skill(1));
    EXPECT_EQ(player.attacks_made, 1);
    int flying = 0;
    for (const PlayerArrow& a : player_arrows) flying += a.active;
    EXPECT_EQ(flying, 5);
    EXPECT_FLOAT_EQ(player.skill_cooldown[1], 7.0f);
    EXPECT_FALSE(use_skill(1));
    EXPECT_STREQ(shown_message(), "Volée de flèches : encore 7 s.");

    // A failed charge spends nothing.
    fresh(CLASS_WARRIOR, 3);
    player.rage = 50.0f;
    Creature* near = ahead(SP_WOLF, 3.0f, 3);
    player.target = near;
    EXPECT_FALSE(use_skill(1));
    EXPECT_STREQ(shown_message(), "Charge : choisissez une cible entre 5 et 25 m.");
    EXPECT_EQ(player.skill_cooldown[1], 0.0f);
    EXPECT_FLOAT_EQ(player.rage, 50.0f);
    near->pos.x = player.pos_x + 30.0f;
    EXPECT_FALSE(use_skill(1));
    EXPECT_EQ(player.skill_cooldown[1], 0.0f);
    near->pos.x = player.pos_x + 10.0f;
    EXPECT_TRUE(use_skill(1));
    EXPECT_FLOAT_EQ(player.skill_cooldown[1], 15.0f);
    EXPECT_TRUE(charge_running());

    // Exactly the mana cost is enough.
    fresh(CLASS_DRUID, 1);
    player.mana = 29.5f;
    EXPECT_FALSE(use_skill(0));
    EXPECT_STREQ(shown_message(), "Souffle de vie : il faut 30 de mana.");
    player.mana = 30.0f;
    EXPECT_TRUE(use_skill(0));
    EXPECT_FLOAT_EQ(player.mana, 0.0f);
    EXPECT_FLOAT_EQ(player.cast_glow, 1.0f);
}

// A druid's targeted spell out of range says its own words, not the basic
// attack's; the charge needs a target chosen beforehand and takes none itself.
TEST(Skills, OutOfRangeSpellsSayTheirOwnWordsAndTheChargeNeedsAChosenTarget) {
    fresh(CLASS_DRUID, 7);
    Creature* far = ahead(SP_WOLF, 35.0f, 7);
    player.target = far;
    player.target_hold = 1000000.0f;
    player.mana = player.max_mana;
    EXPECT_FALSE(use_skill(1));
    EXPECT_STREQ(shown_message(), "Ronces : choisissez une cible (30 m au plus).");
    EXPECT_FALSE(use_skill(5));
    EXPECT_STREQ(shown_message(), "Essaim de lucioles : choisissez une cible (30 m au plus).");
    far->pos.x = player.pos_x + 50.0f;
    EXPECT_FALSE(use_skill(3));
    EXPECT_STREQ(shown_message(), "Colère du soleil : choisissez une cible.");
    EXPECT_FLOAT_EQ(player.mana, player.max_mana);  // nothing spent
    EXPECT_EQ(player.skill_cooldown[1] + player.skill_cooldown[3] + player.skill_cooldown[5], 0.0f);

    fresh(CLASS_WARRIOR, 3);
    player.rage = 50.0f;
    Creature* wolf = ahead(SP_WOLF, 10.0f, 3);
    ASSERT_NE(wolf, nullptr);
    player.target = nullptr;
    EXPECT_FALSE(use_skill(1));
    EXPECT_STREQ(shown_message(), "Charge : choisissez une cible entre 5 et 25 m.");
    EXPECT_EQ(player.target, nullptr) << "the failed charge chose a target by itself";
    EXPECT_FALSE(charge_running());
    EXPECT_EQ(player.skill_cooldown[1], 0.0f);
}

// What the spellbook shows, word for word: the texts are worded from each
// skill's numbers, so a changed number shows in its text.
TEST(Skills, DescriptionsReadAsTheSpellbookShowsThem) {
    static const char* const expected[SKILL_ROWS] = {
        "Une flèche tendue à fond : triple dégâts.",
        "Cinq flèches en éventail, 80 % des dégâts chacune.",
        "Posé à vos pieds : la première créature qui marche dessus est blessée et immobilisée 5 s.",
        "Une flèche à la pointe embrasée : 160 % des dégâts, puis la cible brûle (35 % par seconde pendant 4 s).",
        "La pointe gèle ce qu'elle touche : 120 % des dégâts et la cible reste prise dans le givre 3 s.",
        "Deux flèches décochées d'un même geste, chacune à pleins dégâts.",
        "Un tir tendu qui traverse la cible et toutes les créatures alignées derrière elle (220 % des dégâts).",
        "Quatre volées s'abattent autour de la cible (5 m) : 60 % des dégâts à chaque volée, sur tout ce qui s'y "
        "trouve.",
        "Un coup d'épée de toute votre force : dégâts ×2,5.",
        "Foncez sur la cible (5 à 25 m) : elle reste étourdie 1,5 s et vous gagnez 20 de rage.",
        "Vous tournoyez, l'épée tendue : toutes les créatures autour de vous sont frappées (×1,4).",
        "Un coup sec du bord de l'écu : 120 % des dégâts, et la créature reste étourdie 2 s.",
        "Un cri qui glace l'adversaire : +25 de rage, et vos coups font 20 % de dégâts en plus pendant 10 s.",
        "Une entaille profonde : 80 % des dégâts, puis la créature saigne (30 % par seconde pendant 6 s).",
        "Vous reprenez votre souffle au milieu de la mêlée : 30 % de vos points de vie rendus d'un coup.",
        "Un coup pour achever : ×1,5, et ×4 si la créature a moins d'un quart de ses points de vie.",
        "La forêt vous soigne : 30 % de vos points de vie d'un coup, puis encore 3 % par seconde pendant 5 s.",
        "Des ronces jaillissent sous la cible (30 m) : elle reste prise 4 s et saigne à chaque seconde.",
        "Un loup-esprit vient combattre à vos côtés pendant 30 s : il se jette sur les créatures qui vous menacent.",
        "Un éclat de soleil, plus lent à former qu'un trait de lune mais bien plus fort : 180 % des dégâts.",
        "La sève de Tervanne vous parcourt : 4 % de vos points de vie rendus chaque seconde pendant 12 s.",
        "Un essaim de lucioles ardentes harcèle la cible : 40 % des dégâts chaque seconde pendant 8 s.",
        "La terre se soulève autour de vous (7 m) : 150 % des dégâts à chaque créature, repoussée et sonnée 1 s.",
        "La Dame du Lac veille sur vous : 60 % de vos points de vie rendus d'un coup.",
    };
    for (int i = 0; i < SKILL_ROWS; ++i) EXPECT_STREQ(skill_defs[i].description, expected[i]) << skill_defs[i].name;
    // The rows the classes see, in their slots.
    EXPECT_STREQ(class_skill(CLASS_WARRIOR, SK_CHARGE).name, "Charge");
    EXPECT_STREQ(class_skill(CLASS_DRUID, SK_VIVIANE_BLESSING).name, "Bénédiction de Viviane");
    EXPECT_STREQ(class_skill(CLASS_ARCHER, SK_ARROW_RAIN).name, "Pluie de flèches");
}

TEST(Skills, DescribingRefusesUnknownFieldsAndCutsAtCapacity) {
    SkillNumbers n;
    n.power = 1.25f;
    n.duration = 0.5f;
    n.count = 3;
    char out[64];
    ASSERT_TRUE(skill_describe("{Count} coups, {power%} %, ×{power}, {duration} s", n, out, sizeof out));
    EXPECT_STREQ(out, "Trois coups, 125 %, ×1,25, 0,5 s");
    EXPECT_FALSE(skill_describe("{speed} m/s", n, out, sizeof out));
    EXPECT_FALSE(skill_describe("{power", n, out, sizeof out));
    n.count = 40;  // no word for it
    EXPECT_FALSE(skill_describe("{Count}", n, out, sizeof out));
    char tiny[6];
    EXPECT_FALSE(skill_describe("longer than six", n, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "longe");
}

TEST(Skills, HealsStopAtTheMaximum) {
    fresh(CLASS_DRUID, 14);
    player.health = player.max_health - 5.0f;
    EXPECT_TRUE(use_skill(7));
    EXPECT_FLOAT_EQ(player.health, player.max_health);
    player.health = player.max_health * 0.5f;
    EXPECT_TRUE(use_skill(0));  // 30 %, then 3 % a second for 5 s
    for (int i = 0; i < 600; ++i) skills_update(0.01f);
    EXPECT_NEAR(player.health, player.max_health * 0.95f, 0.5f);
    player.mana = player.max_mana - 1.0f;
    skills_update(1.0f);
    EXPECT_FLOAT_EQ(player.mana, player.max_mana);

    fresh(CLASS_WARRIOR, 10);
    player.rage = 100.0f;
    player.health = player.max_health - 1.0f;
    EXPECT_TRUE(use_skill(6));
    EXPECT_FLOAT_EQ(player.health, player.max_health);
}

TEST(Skills, HeroicStrikeKeepsItsMultiplierOnTheThirdBlow) {
    fresh(CLASS_WARRIOR, 5);
    Creature* b = ahead(SP_WOLF, 1.5f, 5);
    b->max_health = b->health = 1e5f;
    player.target = b;
    player.rage = 20.0f;
    ASSERT_TRUE(use_skill(0));
    EXPECT_EQ(player.combo_index, 2);
    for (int i = 0; i < 40; ++i) skills_update(0.02f);
    EXPECT_TRUE(plain_or_critical(lost(b), player_melee_base() * 2.5f)) << lost(b);
    // A plain third blow of the combo is raised to 1.6.
    b->health = b->max_health;
    start_swing(2, 1.0f);
    for (int i = 0; i < 40; ++i) skills_update(0.02f);
    EXPECT_TRUE(plain_or_critical(lost(b), player_melee_base() * 1.6f)) << lost(b);
}

TEST(Skills, WrathSparesTheWolfSpirit) {
    fresh(CLASS_DRUID, 10);
    Creature* wolf = ahead(SP_WOLF, 3.0f, 10);
    Creature* spirit = summon_companion({player.pos_x, player.pos_y, player.pos_z + 1.5f}, 30.0f);
    ASSERT_NE(spirit, nullptr);
    float spirit_health = spirit->health;
    EXPECT_TRUE(use_skill(6));
    EXPECT_EQ(spirit->health, spirit_health);
    EXPECT_GT(lost(wolf), 0.0f);
    EXPECT_STREQ(shown_message(), "Courroux de Tervanne : 1 créature frappée");
}

TEST(Traps, AFourthTrapReplacesTheNewestAndClearingRemovesThem) {
    fresh(CLASS_ARCHER, 14);
    for (int i = 0; i < 3; ++i) {
        player.pos_z = 40.0f + 3.0f * (float)i;
        player.skill_cooldown[2] = 0.0f;
        ASSERT_TRUE(use_skill(2));
        traps_update(1.0f);
    }
    player.pos_z = 60.0f;
    player.skill_cooldown[2] = 0.0f;
    ASSERT_TRUE(use_skill(2));
    EXPECT_FLOAT_EQ(traps[0].pos.z, 40.0f);
    EXPECT_FLOAT_EQ(traps[1].pos.z, 43.0f);
    EXPECT_FLOAT_EQ(traps[2].pos.z, 60.0f);

    // A creature walking onto one springs it.
    Creature* boar = spawn_creature(SP_BOAR, traps[0].pos, traps[0].pos);
    traps_update(0.01f);
    EXPECT_TRUE(traps[0].sprung);
    EXPECT_FLOAT_EQ(boar->stun_time, 5.0f);
    EXPECT_GT(lost(boar), 0.0f);

    Creature* w = ahead(SP_WOLF, 10.0f, 10);
    player.target = w;
    ASSERT_TRUE(use_skill(7));
    EXPECT_TRUE(arrow_rain.active);
    clear_skills();
    EXPECT_FALSE(arrow_rain.active);
    for (const Trap& t : traps) EXPECT_FALSE(t.active);
}

TEST(ActionBar, SavedLayoutReadsBackSafely) {
    fresh(CLASS_ARCHER, 1);
    load_bar("nom Perceval\r\nniveau 3\r\n");
    // No saved bar: keys 1 to 3 hold the first skills, 4 and 5 the potions.
    const int32_t def[BAR_SLOTS] = {0, 1, 2, 126, 127, -1, -1, -1, -1, -1};
    for (int i = 0; i < BAR_SLOTS; ++i) EXPECT_EQ(action_bar[i], def[i]) << i;

    load_bar("barre_0 7\r\nbarre_1 150\r\nbarre_2 -5\r\nbarre_3 126\r\nbarre_4 8\r\nbarre_5 99999999999\r\n"
             "barre_6 abc\r\nbarre_7 166\r\nbarre_8 -1\r\n");
    const int32_t want[BAR_SLOTS] = {7, -1, -1, 126, -1, -1, -1, 166, -1, -1};
    for (int i = 0; i < BAR_SLOTS; ++i) EXPECT_EQ(action_bar[i], want[i]) << i;
    // A damaged value can never index the skill rows.
    for (int i = 0; i < BAR_SLOTS; ++i) use_bar_slot(i);

    char text[512];
    int n = save_bar(text, sizeof(text));
    EXPECT_GT(n, 0);
    std::string s(text);
    EXPECT_NE(s.find("barre_0 7\r\n"), std::string::npos);
    EXPECT_NE(s.find("barre_9 -1\r\n"), std::string::npos);
    int32_t saved[BAR_SLOTS];
    std::memcpy(saved, action_bar, sizeof(saved));
    bar_default();
    load_bar(text);
    for (int i = 0; i < BAR_SLOTS; ++i) EXPECT_EQ(action_bar[i], saved[i]) << i;

    put_item_on_bar(10, 5);
    EXPECT_STREQ(shown_message(), "Seules les potions se rangent dans la barre d'action.");
    put_item_on_bar(26, 5);
    EXPECT_EQ(action_bar[5], 126);
    EXPECT_EQ(action_bar[3], -1);
    use_bar_slot(5);
    EXPECT_STREQ(shown_message(), "Plus de Potion de soin mineure.");
}

// The pad shakes on a blow taken and on a critical, only with a pad and the
// option on; a plain blow dealt does not shake it.
TEST(PadVibration, BlowsTakenAndCriticalsShakeThePadWhenAllowed) {
    fresh(CLASS_WARRIOR, 10);
    float low, high;
    headless_last_rumble(&low, &high);
    plat_input.pad.connected = 1;
    pad_tuning.vibration = 1;
    damage_player(10.0f, {player.pos_x + 1.0f, 0, player.pos_z});
    headless_last_rumble(&low, &high);
    EXPECT_GT(low, 0.3f);
    // A heavier blow shakes harder.
    damage_player(player.max_health * 0.3f, {player.pos_x + 1.0f, 0, player.pos_z});
    float heavy;
    headless_last_rumble(&heavy, &high);
    EXPECT_GT(heavy, low);
    pad_tuning.vibration = 0;
    damage_player(10.0f, {player.pos_x + 1.0f, 0, player.pos_z});
    headless_last_rumble(&low, &high);
    EXPECT_EQ(low, 0.0f);
    pad_tuning.vibration = 1;

    Creature* g = ahead(SP_BONE_GUARDIAN, 2.0f, 10);
    g->max_health = g->health = 1e6f;
    int criticals = 0, ticks = 0;
    for (int i = 0; i < 60; ++i) {
        float before = g->health;
        hit_creature(g, 10.0f, g->pos + Vec3{0, 1, 0}, HIT_BODY, {-1, 0, 0});
        criticals += before - g->health > 11.0f;
        headless_last_rumble(&low, &high);
        ticks += high > 0.0f;
    }
    EXPECT_GT(criticals, 0);
    EXPECT_EQ(ticks, criticals);
    // Without a pad nothing is asked of the backend.
    plat_input.pad.connected = 0;
    damage_player(10.0f, {player.pos_x + 1.0f, 0, player.pos_z});
    headless_last_rumble(&low, &high);
    EXPECT_EQ(low, 0.0f);
    std::memset(&plat_input, 0, sizeof(plat_input));
}
