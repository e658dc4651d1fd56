// The quest rules without a running game: stored triples, the counters, the
// talk of each giver in each state, and every quest of the tables played by
// its goal, from the offer to the reward.
#include <cmath>
#include <cstring>
#include <string>

#include "content/dialogue_words.h"
#include "persist/characters.h"
#include "tests/quests/quest_helpers.h"
#include "tests/support/shown.h"

namespace {

constexpr int DODINEL = 0, YVAIN = 1, BLAISE = 2, GALESCHIN = 4, ARTHUR = 5, HUGUES = 6, OGRIN = 7;

int goal_species(const QuestDef& q) {
    if (q.boss != 0) return elite_defs[q.boss].species;
    return q.kill_type == QUEST_KILL_ANY ? SP_SKELETON : q.kill_type;
}

// Meets the quest's goal the way play would.
void meet_goal(const QuestDef& q, bool lady) {
    float x = q.area_radius > 0.0f ? q.area_x : 0.0f, z = q.area_radius > 0.0f ? q.area_z : 0.0f;
    if (q.kill_type == QUEST_TALK) return;
    if (q.item != 0) {
        for (int i = 0; i < q.count; ++i) ASSERT_TRUE(add_to_bag(q.item));
        if (lady)
            lady_recount();
        else
            givers_recount();
        return;
    }
    for (int i = 0; i < q.count; ++i) kill(goal_species(q), x, z, q.boss);
}

bool has_raw_text(const std::string& s) {
    return s.find('%') != std::string::npos || s.find("trouvers") != std::string::npos;
}

}  // namespace

TEST(QuestState, StoredTriplesFollowTheRules) {
    fresh_quests(1);
    // Sire Keu's finished chain survives a reload, and unlocks Viviane.
    keu_set_state(2, 3, 0);
    int n, e, c;
    keu_get_state(&n, &e, &c);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(e, 3);
    EXPECT_TRUE(keu_chain_done());
    keu_set_state(1, 1, 14);  // count held to the goal
    keu_get_state(&n, &e, &c);
    EXPECT_EQ(c, 10);
    keu_set_state(1, 3, 4);  // "finished" half-way: back to the offer
    keu_get_state(&n, &e, &c);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(e, 0);
    keu_set_state(3, 0, 0);
    keu_get_state(&n, &e, &c);
    EXPECT_EQ(n + e + c, 0);
    keu_set_state(0, 4, 0);
    keu_get_state(&n, &e, &c);
    EXPECT_EQ(n + e + c, 0);

    // Viviane: numero 3 is the finished chain whatever the stored state.
    lady_set_state(3, 1, 7);
    lady_get_state(&n, &e, &c);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(e, 3);
    EXPECT_EQ(c, 0);
    lady_set_state(1, 1, 25);
    lady_get_state(&n, &e, &c);
    EXPECT_EQ(c, 10);
    lady_set_state(0, 2, -4);
    lady_get_state(&n, &e, &c);
    EXPECT_EQ(c, 0);
    lady_set_state(4, 0, 0);
    lady_get_state(&n, &e, &c);
    EXPECT_EQ(n + e + c, 0);

    // The givers, as a loaded file leaves them.
    giver_quest[DODINEL] = {2, 1, 5};   // numero == count: done
    giver_quest[BLAISE] = {3, 0, 0};    // beyond the count
    giver_quest[ARTHUR] = {-1, 1, 1};
    giver_quest[HUGUES] = {1, 1, 99};   // count held to 8
    giver_quest[OGRIN] = {1, 5, 0};     // unknown state
    giver_quest[GALESCHIN] = {0, 1, 0}; // a talk quest taken but unmet
    giver_quest[8] = {1, 3, 0};         // state 3 before the end
    quete_numero = 2, quete_etat = 3;
    dame_numero = 1, dame_etat = 1, dame_compte = 3;
    quests_after_load();
    EXPECT_EQ(giver_quest[DODINEL].etat, 3);
    EXPECT_EQ(giver_quest[DODINEL].numero, 2);
    EXPECT_EQ(giver_quest[BLAISE].numero + giver_quest[BLAISE].etat, 0);
    EXPECT_EQ(giver_quest[ARTHUR].numero + giver_quest[ARTHUR].etat + giver_quest[ARTHUR].compte, 0);
    EXPECT_EQ(giver_quest[HUGUES].compte, 8);
    EXPECT_EQ(giver_quest[OGRIN].numero + giver_quest[OGRIN].etat, 0);
    EXPECT_EQ(giver_quest[8].etat, 0);
    EXPECT_EQ(giver_quest[GALESCHIN].etat, 2);
    EXPECT_EQ(giver_quest[GALESCHIN].compte, 1);
    EXPECT_TRUE(keu_chain_done());
    // The panel is rebuilt from what was loaded.
    EXPECT_TRUE(hud_tracker_get(1)->shown);
    EXPECT_TRUE(giver_entry(HUGUES)->shown);
    EXPECT_FALSE(hud_tracker_get(0)->shown);
    EXPECT_FALSE(giver_entry(DODINEL)->shown);
    EXPECT_STREQ(giver_entry(HUGUES)->lines[0], "Pillards du ravin abattus : 8 / 8");
}

// After a load a kill quest's state follows its count: at the goal it waits
// to be turned in, below it the kills still count.
TEST(QuestState, ALoadedKillQuestStandsWhereItsCountSays) {
    fresh_quests(10);
    character_apply_text(
        "# Tervanne - sauvegarde\r\nversion 2\r\nniveau 10\r\n"
        "quete_numero 0\r\nquete_etat 1\r\nquete_abattus 10\r\n"
        "dame_numero 0\r\ndame_etat 2\r\ndame_compte 0\r\nquetes_v 2\r\n"
        "dodinel_numero 0\r\ndodinel_etat 1\r\ndodinel_compte 8\r\n"
        "yvain_numero 0\r\nyvain_etat 2\r\nyvain_compte 3\r\n");
    EXPECT_EQ(quete_etat, 2);
    EXPECT_EQ(dame_etat, 1);
    EXPECT_EQ(giver_quest[DODINEL].etat, 2);
    EXPECT_TRUE(giver_entry(DODINEL)->completed);
    talk_to_giver(DODINEL);
    EXPECT_EQ(button_label(0), "Terminer la quête");
    close_dialog();
    EXPECT_EQ(giver_quest[YVAIN].etat, 1);
    EXPECT_FALSE(giver_entry(YVAIN)->completed);
    EXPECT_STREQ(giver_entry(YVAIN)->lines[0], "Brigands abattus : 3 / 8");
    kill(SP_BRIGAND, -224, -104);
    EXPECT_EQ(giver_quest[YVAIN].compte, 4);
}

TEST(QuestState, OldFilesOfVivianesChainAreMigratedBeforeTheRangeCheck) {
    struct Case {
        int in[3], out[3];
    } cases[] = {
        {{5, 0, 0}, {3, 3, 0}},  // finished in the old numbering
        {{4, 1, 0}, {2, 1, 0}},  // the Val quest under way keeps its state
        {{3, 2, 1}, {2, 0, 0}},
        {{2, 1, 4}, {2, 0, 0}},
        {{1, 1, 4}, {1, 1, 4}},
    };
    for (const Case& c : cases) {
        fresh_quests(1);
        dame_numero = c.in[0], dame_etat = c.in[1], dame_compte = c.in[2];
        quests_migrate_old_lady();
        quests_after_load();
        EXPECT_EQ(dame_numero, c.out[0]) << c.in[0];
        EXPECT_EQ(dame_etat, c.out[1]) << c.in[0];
        EXPECT_EQ(dame_compte, c.out[2]) << c.in[0];
    }
}

TEST(QuestState, KeuCountsTenAndStops) {
    fresh_quests(1);
    talk_to_keu();
    EXPECT_EQ(button_label(0), "Accepter");
    press(0);
    EXPECT_EQ(quete_etat, 1);
    EXPECT_STREQ(shown_message(), "Nouvelle quête : La chasse de Sire Keu");
    kill(SP_GOBLIN, 0, 0);
    EXPECT_EQ(quete_abattus, 0);
    for (int i = 0; i < 9; ++i) kill(SP_BOAR, 0, 0);
    EXPECT_EQ(quete_etat, 1);
    EXPECT_STREQ(hud_tracker_get(0)->lines[0], "Sangliers abattus : 9 / 10");
    talk_to_keu();
    EXPECT_EQ(dialog_body(), "Encore 1 sanglier, archer. Les broches de Camelot n'attendent pas !");
    close_dialog();
    kill(SP_BOAR, 0, 0);
    EXPECT_EQ(quete_etat, 2);
    EXPECT_STREQ(shown_message(), "Objectif accompli !\nRetournez voir Sire Keu.");
    kill(SP_BOAR, 0, 0);
    EXPECT_EQ(quete_abattus, 10);
    EXPECT_TRUE(hud_tracker_get(0)->completed);
    EXPECT_STREQ(hud_tracker_get(0)->lines[1], "Retournez voir Sire Keu à la grande porte de Camelot");
    // Viviane waits for the end of his chain.
    talk_to_lady();
    EXPECT_EQ(button_label(0), "Fermer");
    EXPECT_EQ(dialog_body().rfind("Les eaux me disent", 0), 0u);
    close_dialog();
    EXPECT_EQ(lady_marker(), MARKER_NONE);
}

TEST(QuestTalk, HeraldsCallIsMetAtOnceAndEndsAtArthur) {
    fresh_quests(5);
    EXPECT_EQ(giver_marker(GALESCHIN), MARKER_OFFER);
    talk_to_giver(GALESCHIN);
    EXPECT_EQ(dialog_title(), "Galeschin le héraut");
    press(0);
    // The herald's quest is his own: Arthur, who takes it in, keeps his chain.
    EXPECT_EQ(giver_quest[ARTHUR].numero + giver_quest[ARTHUR].etat + giver_quest[ARTHUR].compte, 0);
    EXPECT_EQ(giver_quest[GALESCHIN].etat, 2);
    EXPECT_EQ(giver_quest[GALESCHIN].compte, 1);
    EXPECT_STREQ(giver_entry(GALESCHIN)->lines[0], "Parler au roi Arthur, à Camelot");
    EXPECT_STREQ(giver_entry(GALESCHIN)->lines[1], "Allez voir Arthur, au château de Camelot");
    EXPECT_EQ(giver_marker(GALESCHIN), MARKER_WAITING);
    EXPECT_EQ(giver_marker(ARTHUR), MARKER_TURN_IN);
    // The herald repeats where to go; the text has nothing left to fill.
    talk_to_giver(GALESCHIN);
    EXPECT_EQ(dialog_body(), "Le roi Arthur t'attend dans la cour du château, juste derrière cette porte.");
    close_dialog();

    talk_to_giver(ARTHUR);
    EXPECT_EQ(dialog_title(), "Le roi Arthur");
    EXPECT_EQ(button_label(0), "Terminer la quête");
    EXPECT_NE(dialog_body().find("\n\nRécompense : 63 points d'expérience et "), std::string::npos);
    press(0);
    EXPECT_EQ(giver_quest[GALESCHIN].etat, 3);
    EXPECT_EQ(giver_quest[ARTHUR].numero, 0);  // turned in at him, not one of his
    EXPECT_EQ(count_in_bag(27), 1);
    EXPECT_FALSE(giver_entry(GALESCHIN)->shown);
    // At level 5 the king goes on with his own first quest.
    EXPECT_EQ(dialog_title(), "Le roi Arthur");
    EXPECT_EQ(button_label(0), "Accepter");
    EXPECT_EQ(dialog_body().rfind(words_for_player(quest_givers[ARTHUR].quests[0].offer), 0), 0u);
    close_dialog();

    // Below level 5 he has nothing to add after the herald's quest.
    fresh_quests(3);
    talk_to_giver(GALESCHIN);
    press(0);
    talk_to_giver(ARTHUR);
    press(0);
    EXPECT_FALSE(hud_dialog_state().open);
    talk_to_giver(ARTHUR);
    EXPECT_EQ(dialog_body().rfind("Tu es vaillant, mais pas encore prêt. Reviens me voir quand tu auras atteint le "
                                  "niveau 5 :",
                                  0),
              0u);
    close_dialog();
}

TEST(QuestTalk, ShardsAreTakenToBlaiseAndSellingThemUndoesTheGoal) {
    fresh_quests(6);
    giver_quest[ARTHUR] = {1, 0, 0};
    talk_to_giver(ARTHUR);
    press(0);
    EXPECT_EQ(giver_quest[ARTHUR].etat, 1);
    EXPECT_EQ(giver_marker(ARTHUR), MARKER_WAITING);
    for (int i = 0; i < 5; ++i) add_to_bag(96);
    givers_recount();
    talk_to_giver(ARTHUR);
    EXPECT_EQ(dialog_body(),
              "Il te faut encore 1 éclat de pierre féerique. Les loups ensorcelés les portent sur eux.");
    close_dialog();
    add_to_bag(96);
    givers_recount();
    EXPECT_EQ(giver_quest[ARTHUR].etat, 2);
    EXPECT_STREQ(shown_message(), "Objectif accompli !\nAllez voir Blaise l'ermite.");
    EXPECT_EQ(giver_marker(ARTHUR), MARKER_WAITING);
    EXPECT_EQ(giver_marker(BLAISE), MARKER_TURN_IN);
    EXPECT_STREQ(giver_entry(ARTHUR)->lines[1], "Allez voir Blaise l'ermite, au bord de la lande");
    Vec3 b = giver_position(BLAISE);
    EXPECT_FLOAT_EQ(giver_entry(ARTHUR)->giver_position.x, b.x);
    // Arthur sends the player on with no count left in the text.
    talk_to_giver(ARTHUR);
    EXPECT_EQ(dialog_body().find('%'), std::string::npos);
    EXPECT_NE(dialog_body().find("Blaise l'ermite"), std::string::npos);
    close_dialog();

    // Selling one: back to state 1 without a word.
    hud_message("", 0.0f);
    remove_from_bag(96, 1);
    givers_recount();
    EXPECT_EQ(giver_quest[ARTHUR].etat, 1);
    EXPECT_EQ(giver_quest[ARTHUR].compte, 5);
    EXPECT_STREQ(shown_message(), "");
    EXPECT_EQ(giver_marker(BLAISE), MARKER_NONE);  // his own first quest wants level 9
    add_to_bag(96);
    givers_recount();

    talk_to_giver(BLAISE);
    EXPECT_EQ(dialog_title(), "Blaise l'ermite");
    EXPECT_EQ(button_label(0), "Terminer la quête");
    // The bag emptied behind the dialogue's back: nothing is turned in.
    remove_from_bag(96, 3);
    press(0);
    EXPECT_STREQ(shown_message(), "Il vous manque des objets.");
    EXPECT_EQ(giver_quest[ARTHUR].etat, 1);
    EXPECT_EQ(giver_quest[ARTHUR].numero, 1);
    for (int i = 0; i < 3; ++i) add_to_bag(96);
    givers_recount();
    talk_to_giver(BLAISE);
    press(0);
    EXPECT_EQ(giver_quest[ARTHUR].numero, 2);
    EXPECT_EQ(count_in_bag(96), 0);
    EXPECT_EQ(count_in_bag(104), 1);
    // Arthur's next quest wants level 7: Blaise has nothing more to say.
    EXPECT_FALSE(hud_dialog_state().open);
}

// A reward that does not fit is never lost: the turn-in waits, and nothing
// changes (collected items, experience, the quest's state and panel entry).
TEST(QuestTurnIn, AFullBagRefusesTheTurnInAndChangesNothing) {
    fresh_quests(10);
    giver_quest[DODINEL] = {0, 2, 8};
    quests_refresh_panel();
    for (int s = 0; s < BAG_SLOTS; ++s) bag[s] = BagSlot{69, 1};
    talk_to_giver(DODINEL);
    ASSERT_EQ(button_label(0), "Terminer la quête");
    press(0);
    EXPECT_STREQ(shown_message(), "Votre sac est plein.");
    EXPECT_EQ(giver_quest[DODINEL].numero, 0);
    EXPECT_EQ(giver_quest[DODINEL].etat, 2);
    EXPECT_EQ(giver_quest[DODINEL].compte, 8);
    EXPECT_EQ(player.experience, 0);
    EXPECT_EQ(player.level, 10);
    EXPECT_EQ(count_in_bag(69), BAG_SLOTS);
    EXPECT_TRUE(giver_entry(DODINEL)->shown);
    EXPECT_TRUE(giver_entry(DODINEL)->completed);
    // Room made, the same talk turns it in.
    bag[0] = BagSlot{};
    talk_to_giver(DODINEL);
    press(0);
    EXPECT_EQ(giver_quest[DODINEL].numero, 1);
    EXPECT_EQ(count_in_bag(39), 1);
    close_dialog();

    // A collection quest: the stack left after the turn-in still fills the bag.
    giver_quest[BLAISE] = {1, 1, 0};
    bag[0] = BagSlot{47, 12};
    givers_recount();
    ASSERT_EQ(giver_quest[BLAISE].etat, 2);
    int experience = player.experience;
    talk_to_giver(BLAISE);
    press(0);
    EXPECT_STREQ(shown_message(), "Votre sac est plein.");
    EXPECT_EQ(count_in_bag(47), 12);
    EXPECT_EQ(giver_quest[BLAISE].numero, 1);
    EXPECT_EQ(giver_quest[BLAISE].etat, 2);
    EXPECT_EQ(player.experience, experience);
    EXPECT_EQ(count_in_bag(27), 0);
    // Exactly the goal: its slot empties and takes the reward.
    bag[0] = BagSlot{47, 10};
    talk_to_giver(BLAISE);
    press(0);
    EXPECT_EQ(giver_quest[BLAISE].numero, 2);
    EXPECT_EQ(bag[0].id, 27);
    EXPECT_EQ(count_in_bag(47), 0);
    close_dialog();
}

TEST(QuestCounting, BossesAreNeverOrdinaryKillsAndAreasHold) {
    fresh_quests(20);
    giver_quest[DODINEL] = {0, 1, 0};
    giver_quest[ARTHUR] = {0, 1, 0};
    giver_quest[HUGUES] = {3, 1, 0};
    kill(SP_WOLF, 208, -156, ELITE_GUEULE_GRISE);  // an elite wolf
    EXPECT_EQ(giver_quest[DODINEL].compte, 0);
    kill(SP_WOLF, 208, -156);  // outside the fairy stone's area
    EXPECT_EQ(giver_quest[DODINEL].compte, 1);
    EXPECT_EQ(giver_quest[ARTHUR].compte, 0);
    kill(SP_WOLF, 110 + 69, -40);  // inside it
    EXPECT_EQ(giver_quest[ARTHUR].compte, 1);
    EXPECT_EQ(giver_quest[DODINEL].compte, 2);
    // Summoned and companion creatures never count.
    Creature& c = corpse(SP_WOLF, 110, -40);
    c.minion = 1;
    quests_creature_killed(SP_WOLF, &c);
    EXPECT_EQ(giver_quest[ARTHUR].compte, 1);
    // A boss quest counts its boss and nothing else.
    kill(SP_GOBLIN, 430, -130);
    kill(SP_GOBLIN, 430, -130, ELITE_GROGNARD);
    EXPECT_EQ(giver_quest[HUGUES].etat, 1);
    kill(SP_GOBLIN, 0, 0, ELITE_CROCS_NOIRS);
    EXPECT_EQ(giver_quest[HUGUES].etat, 2);
    EXPECT_STREQ(shown_message(), "Objectif accompli !\nRetournez voir Hugues.");
    // The graveyard takes any creature in its area, but no boss.
    giver_quest[OGRIN] = {0, 1, 0};
    kill(SP_SKELETON_ARCHER, -560, -930);
    kill(SP_BEAR, -560, -900);
    kill(SP_SKELETON, -560, -930, ELITE_RION);
    kill(SP_SKELETON, -400, -930);
    EXPECT_EQ(giver_quest[OGRIN].compte, 2);
}

TEST(QuestTables, EveryQuestIsPlayableByItsGoal) {
    fresh_quests(20);
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        const GiverDef& d = quest_givers[g];
        for (int n = 0; n < d.quest_count; ++n) {
            SCOPED_TRACE(d.quests[n].name);
            const QuestDef& q = d.quests[n];
            inventory_clear();
            close_dialog();
            talk_to_giver(g);
            ASSERT_EQ(button_label(0), "Accepter");
            EXPECT_EQ(dialog_title(), d.full_name);
            press(0);
            if (q.kill_type != QUEST_TALK && q.count > 1) {
                talk_to_giver(g);
                EXPECT_FALSE(has_raw_text(dialog_body())) << dialog_body();
                EXPECT_NE(dialog_body().find(std::to_string(q.count)), std::string::npos) << dialog_body();
                close_dialog();
            }
            meet_goal(q, false);
            ASSERT_EQ(giver_quest[g].etat, 2);
            int at = q.turn_in ? q.turn_in - 1 : g;
            talk_to_giver(at);
            ASSERT_EQ(button_label(0), "Terminer la quête");
            EXPECT_FALSE(has_raw_text(dialog_body()));
            press(0);
            EXPECT_EQ(giver_quest[g].numero, n + 1);
            EXPECT_GE(count_in_bag(q.reward), 1);
            if (q.item) {
                EXPECT_EQ(count_in_bag(q.item), 0);
            }
            // Turned in at home with more to come: the next offer follows.
            if (at == g && n + 1 < d.quest_count) {
                EXPECT_EQ(button_label(0), "Accepter");
            }
        }
        EXPECT_EQ(giver_quest[g].etat, 3);
        close_dialog();
        talk_to_giver(g);
        EXPECT_EQ(dialog_body(), words_for_player(d.all_done));
        close_dialog();
    }

    // Both chains, Keu first.
    for (int n = 0; n < KEU_QUEST_COUNT; ++n) {
        SCOPED_TRACE(keu_quests[n].name);
        close_dialog();
        talk_to_keu();
        ASSERT_EQ(button_label(0), "Accepter");
        press(0);
        meet_goal(keu_quests[n], false);
        ASSERT_EQ(quete_etat, 2);
        talk_to_keu();
        press(0);
        EXPECT_EQ(count_in_bag(keu_quests[n].reward), 1);
    }
    EXPECT_STREQ(shown_message(), "Quête terminée !\nViviane, la Dame du Lac, vous attend sur la rive.");
    EXPECT_TRUE(keu_chain_done());
    for (int n = 0; n < LADY_QUEST_COUNT; ++n) {
        SCOPED_TRACE(lady_quests[n].name);
        close_dialog();
        talk_to_lady();
        ASSERT_EQ(button_label(0), "Accepter");
        EXPECT_EQ(dialog_title(), "Viviane, la Dame du Lac");
        press(0);
        meet_goal(lady_quests[n], true);
        ASSERT_EQ(dame_etat, 2);
        talk_to_lady();
        press(0);
        EXPECT_EQ(count_in_bag(lady_quests[n].reward), 1);
    }
    EXPECT_EQ(dame_etat, 3);
    close_dialog();
    talk_to_lady();
    EXPECT_EQ(dialog_body(),
              "Ton cœur est droit, archer. Un jour, le roi viendra chercher l'épée dans le roc… et tu seras à ses "
              "côtés.");
    close_dialog();
}

// The objective marker of a quest under way points where its goal is: a
// chief's haunt, or the ground of the creatures that carry what is asked,
// never the giver the player has just left.
TEST(QuestPanel, BossAndCollectionQuestsPointWhereTheGoalIs) {
    constexpr int GAUVAIN = 3;
    struct Case {
        int giver, quest;
        float x, z;
    } cases[] = {
        {DODINEL, 1, 208, -156},   // Gueule-Grise's den
        {YVAIN, 1, -224, -104},    // Gaudin le Rouge's camp
        {BLAISE, 0, 46, 319},      // Ossian, before the cave
        {BLAISE, 1, 48, 328},      // bone dust: the skeletons of the cave
        {GAUVAIN, 2, 170, -835},   // broken blazons: the felons' camp
        {GAUVAIN, 3, -20, -995},   // the Green Knight's chapel
    };
    for (const Case& c : cases) {
        fresh_quests(20);
        giver_quest[c.giver] = {c.quest, 0, 0};
        talk_to_giver(c.giver);
        press(0);
        const QuestTrackerEntry* e = giver_entry(c.giver);
        ASSERT_TRUE(e->shown) << c.giver << " " << c.quest;
        EXPECT_LT(std::hypot(e->giver_position.x - c.x, e->giver_position.z - c.z), 12.0f)
            << quest_givers[c.giver].quests[c.quest].name << " points at " << e->giver_position.x << ", "
            << e->giver_position.z;
    }
}

TEST(QuestTalk, ProgressTextsNeverShowARawPlaceholderOrWrongPlural) {
    fresh_quests(20);
    giver_quest[OGRIN] = {1, 1, 0};
    talk_to_giver(OGRIN);
    EXPECT_EQ(dialog_body(), "Il me manque encore des anneaux, mon enfant : 6 à trouver.");
    close_dialog();
    giver_quest[3] = {0, 1, 7};  // Gauvain's bears: "%d ours" has no plural slot
    talk_to_giver(3);
    EXPECT_EQ(dialog_body(), "Encore 1 ours, ami. Leur tanière est à l'est, entre les gros rochers.");
    close_dialog();
    // A level too low reads the level.
    fresh_quests(10);
    talk_to_giver(OGRIN);
    EXPECT_EQ(dialog_body(), "Les morts de ce cimetière ne pardonnent pas aux vivants trop jeunes. Reviens quand tu "
                             "auras atteint le niveau 17, mon enfant.");
    EXPECT_EQ(giver_marker(OGRIN), MARKER_NONE);
    close_dialog();
}
