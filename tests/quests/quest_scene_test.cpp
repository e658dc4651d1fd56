// The quests in the running game, started once on the headless backend: Sire
// Keu's first quest from the first right click to the reward, the start of
// Viviane's chain, one of Hugues' quests by the interaction key, the quest
// log and the objective panel. Pictures of a dialogue, the tracker and the
// log are left in the build folder as quest_*.png for a person to look at.
#include <gtest/gtest.h>

#include "game/results.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/loot.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"
#include "tests/quests/quest_helpers.h"
#include "tests/support/shown.h"
#include "world/terrain.h"
#include "play/villagers.h"
#include "content/dialogue_words.h"
#include "content/quests.h"
#include "render/font_atlas.h"
#include "render/ui.h"
#include "ui/hud_draw.h"
#include "ui/maps.h"

int quest_journal_selected();

namespace {

constexpr int W = 640, H = 360;

bool quest_game() {
    static int state = -1;
    if (state < 0) {
        headless_set_time_step(1.0 / 30.0);
        headless_set_window_size(W, H);
        scene_economy();
        state = game_startup() == 0 && headless_has_context() ? 1 : 0;
        game_flags.character_creation_open = 0;  // no character file here: straight into play
        game_flags.title_overlay = 0;
        bindings_reset();
        // Frames are drawn only for the pictures: the software renderer is slow.
        main_loop_set_draw_interval(100000);
    }
    return state == 1;
}

InputState idle() {
    InputState s;
    std::memset(&s, 0, sizeof s);
    s.client_width = W;
    s.client_height = H;
    s.window_active = 1;
    s.mouse_x = W / 2;
    s.mouse_y = H / 2;
    return s;
}

void run(std::vector<InputState>& script) {
    headless_set_input_script(script.data(), (int)script.size());
    for (size_t f = 0; f < script.size(); ++f) game_frame();
}

// One drawn frame, kept as a PNG.
bool picture(const char* file) {
    main_loop_set_draw_interval(1);
    std::vector<InputState> s(1, idle());
    s[0].mouse_x = s[0].mouse_y = 0;
    headless_set_input_script(s.data(), 1);
    game_frame();
    main_loop_set_draw_interval(100000);
    return headless_screenshot(file);
}

void settle(int frames) {
    std::vector<InputState> s(frames, idle());
    run(s);
}

// Press and release of a mouse button at a point of the window.
void click(int button, float x, float y) {
    std::vector<InputState> s(3, idle());
    for (InputState& f : s) {
        f.mouse_x = (int)x;
        f.mouse_y = (int)y;
    }
    s[0].button_down[button] = 1;
    s[0].button_pressed[button] = 1;
    s[1].button_down_prev[button] = 1;
    run(s);
}

std::string prompt_with_key(const char* rest) {
    char name[48];
    plat_key_name(bindings[BIND_INTERACT], name, (int)sizeof name);
    return std::string(name) + rest;
}

void key(int binding) {
    std::vector<InputState> s(2, idle());
    int k = bindings[binding];
    s[0].key_down[k] = 1;
    s[0].key_pressed[k] = 1;
    s[1].key_down_prev[k] = 1;
    run(s);
}

// The player a few metres in front of a figure, looking at it.
void stand_before(Vec3 who, float facing, float distance, int level) {
    close_dialog();
    player_reset_new();
    game_flags.title_overlay = 0;
    player.level = level;
    player.max_health = player.health = 1e6f;
    player.pos_x = who.x + distance * std::sin(facing);
    player.pos_z = who.z + distance * std::cos(facing);
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    player.heading = std::atan2(who.x - player.pos_x, who.z - player.pos_z);
    player.camera_yaw = player.heading;
    settle(10);
}

void click_dialog_button(int i) {
    ASSERT_TRUE(hud_dialog_state().open);
    DialogLayout l = hud_dialog_layout();
    click(0, l.buttons[i].x + l.buttons[i].w * 0.5f, l.buttons[i].y + l.buttons[i].h * 0.5f);
}

// A creature of the species (or elite) beside the player, dead by an arrow's blow.
void slay(int species, int elite = 0) {
    Vec3 at = {player.pos_x + 3.0f, 0, player.pos_z + 3.0f};
    at.y = ground_height(at.x, at.z);
    Creature* c = elite ? spawn_elite(elite, at, at) : spawn_creature(species, at, at);
    ASSERT_NE(c, nullptr);
    hit_creature(c, 1e7f, c->pos + Vec3{0, 0.5f, 0}, HIT_BODY, {0, 0, 1});
    EXPECT_EQ(c->ai_state, CS_DEAD);
    game_results_drain();  // the kill reaches the quests as at the end of a frame
}

// Centres of the gold "!" marks drawn into the interface batch.
std::vector<Vec3> gold_marks() {
    const GlyphRecord& g = font_glyphs[ui_glyph_index(UI_FONT_TITLE, '!')];
    std::vector<Vec3> out;
    const UiVertex* v = ui_batch_vertices();
    for (int i = 0; i + 5 < ui_batch_count(); i += 6) {
        if ((int)v[i].mode != UI_GLYPH || std::fabs(v[i].u - g.atlas_x / (float)FONT_ATLAS_W) > 1e-6f ||
            std::fabs(v[i].v - g.atlas_y / (float)FONT_ATLAS_H) > 1e-6f || std::fabs(v[i].r - HUD_GOLD.x) > 1e-5f)
            continue;
        out.push_back(Vec3{(v[i].x + v[i + 2].x) * 0.5f, (v[i].y + v[i + 2].y) * 0.5f, 0});
    }
    return out;
}

}  // namespace

TEST(QuestScene, SireKeusFirstQuestFromTheFirstClickToTheReward) {
    ASSERT_TRUE(quest_game());
    fresh_quests(1);
    bool visible = false;
    Vec3 at;
    // From across the gate a right click on him says to come closer, as the
    // merchant does; so does the king from the far end of his hall.
    stand_before(keu_position(), keu_facing(), 11.0f, 1);
    at = world_to_screen(keu_position() + Vec3{0, 1.3f, 0}, &visible);
    ASSERT_TRUE(visible);
    click(1, at.x, at.y);
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_STREQ(shown_message(), "Approchez-vous de Sire Keu.");
    const int arthur = 5;
    stand_before(giver_position(arthur), quest_givers[arthur].facing, 9.0f, 1);
    at = world_to_screen(giver_position(arthur) + Vec3{0, 1.3f, 0}, &visible);
    ASSERT_TRUE(visible);
    click(1, at.x, at.y);
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_STREQ(shown_message(), "Approchez-vous d'Arthur.");

    stand_before(keu_position(), keu_facing(), 4.0f, 1);
    EXPECT_EQ(keu_marker(), MARKER_OFFER);
    EXPECT_EQ(hud_prompt_text(), prompt_with_key(" ou clic droit  ·  Parler à Sire Keu"));
    ASSERT_TRUE(picture("quest_keu.png"));

    // A right click on his chest talks to him.
    at = world_to_screen(keu_position() + Vec3{0, 1.3f, 0}, &visible);
    ASSERT_TRUE(visible);
    click(1, at.x, at.y);
    ASSERT_TRUE(hud_dialog_state().open);
    EXPECT_EQ(dialog_title(), "Sire Keu");
    EXPECT_EQ(button_label(0), "Accepter");
    EXPECT_EQ(button_label(1), "Refuser");
    EXPECT_NE(dialog_body().find("Récompense : 100 points d'expérience et "), std::string::npos);
    ASSERT_TRUE(picture("quest_dialogue.png"));
    click_dialog_button(0);
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_EQ(quete_etat, 1);
    EXPECT_EQ(keu_marker(), MARKER_WAITING);

    for (int i = 0; i < 10; ++i) slay(SP_BOAR);
    EXPECT_EQ(quete_abattus, 10);
    EXPECT_EQ(quete_etat, 2);
    EXPECT_TRUE(hud_tracker_get(0)->shown);
    EXPECT_TRUE(hud_tracker_get(0)->completed);
    EXPECT_STREQ(hud_tracker_get(0)->lines[0], "Sangliers abattus : 10 / 10");
    hud_message("", 0.0f);
    ASSERT_TRUE(picture("quest_tracker.png"));

    // Back to him: the reward, and the next quest at once.
    int xp_before = player.experience, level_before = player.level;
    stand_before(keu_position(), keu_facing(), 4.0f, level_before);
    player.experience = xp_before;

    // A boar lying at his feet, between him and the player: a right click on
    // it searches the boar, the nearer of the two along the cursor's ray.
    Vec3 k = keu_position();
    Vec3 spot = {k.x + 0.85f * std::sin(keu_facing()), 0, k.z + 0.85f * std::cos(keu_facing())};
    spot.y = ground_height(spot.x, spot.z);
    Creature* boar = spawn_creature(SP_BOAR, spot, spot);
    ASSERT_NE(boar, nullptr);
    hit_creature(boar, 1e7f, boar->pos + Vec3{0, 0.5f, 0}, HIT_BODY, {0, 0, 1});
    ASSERT_EQ(boar->ai_state, CS_DEAD);
    boar->loot_count = 1;
    boar->loot[0] = 10;
    boar->loot_money = 0;
    settle(2);
    at = world_to_screen(boar->pos + Vec3{0, 0.3f, 0}, &visible);
    ASSERT_TRUE(visible);
    Vec3 origin, dir = screen_ray(at.x, at.y, &origin);
    ASSERT_EQ(giver_under_ray(origin, dir, nullptr), QUEST_GIVER_COUNT) << "the ray goes on to Sire Keu";
    click(1, at.x, at.y);
    EXPECT_FALSE(hud_dialog_state().open) << "Sire Keu answered for the boar before him";
    ASSERT_EQ(loot_corpse(), boar);
    // Everything taken, the window has nothing more to show.
    loot_take_all();
    EXPECT_FALSE(game_flags.windows.loot);
    EXPECT_EQ(count_in_bag(10), 1);
    // Searched again: a word, never silence.
    hud_message("", 0.0f);
    click(1, at.x, at.y);
    EXPECT_FALSE(game_flags.windows.loot);
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_STREQ(shown_message(), "Plus rien à prendre sur ce corps.");
    free_creature(boar);
    remove_from_bag(10, 1);
    at = world_to_screen(keu_position() + Vec3{0, 1.3f, 0}, &visible);
    click(1, at.x, at.y);
    ASSERT_EQ(button_label(0), "Terminer la quête");
    click_dialog_button(0);
    EXPECT_EQ(count_in_bag(22), 1);
    EXPECT_TRUE(player.level > level_before || player.experience >= xp_before + 100);
    EXPECT_EQ(quete_numero, 1);
    EXPECT_FALSE(hud_tracker_get(0)->shown);
    ASSERT_TRUE(hud_dialog_state().open);
    EXPECT_EQ(button_label(0), "Accepter");
    EXPECT_EQ(dialog_body().rfind(words_for_player(keu_quests[1].offer), 0), 0u);
    click_dialog_button(0);
    EXPECT_EQ(quete_etat, 1);
    EXPECT_STREQ(hud_tracker_get(0)->title, "Les pillards de Tervanne");
}

TEST(QuestScene, TheQuestLogListsTheEntriesAndSelectsByClick) {
    ASSERT_TRUE(quest_game());
    stand_before(keu_position(), keu_facing(), 4.0f, 5);
    quete_numero = 1, quete_etat = 1, quete_abattus = 3;
    giver_quest[5] = {0, 1, 2};
    giver_quest[4] = {0, 2, 1};
    quests_refresh_panel();
    key(BIND_JOURNAL);
    ASSERT_TRUE(game_flags.windows.journal);
    ASSERT_TRUE(picture("quest_journal.png"));
    EXPECT_EQ(quest_journal_selected(), 0);
    // Second row: the herald's call, done and to be handed in. The log
    // handles its clicks as it is drawn.
    float s = hud_scale;
    float x = (W - 900 * s) * 0.5f + 40 * s, y = (H - 620 * s) * 0.5f + 70 * s + (58 + 6) * s + 20 * s;
    main_loop_set_draw_interval(1);
    click(0, x, y);
    main_loop_set_draw_interval(100000);
    const int herald = 4;  // Galeschin
    EXPECT_EQ(quest_journal_selected(), giver_entry_slot(herald));
    EXPECT_GE(quest_journal_selected(), 0);
    ASSERT_TRUE(picture("quest_journal_done.png"));
    key(BIND_JOURNAL);
    EXPECT_FALSE(game_flags.windows.journal);
    quests_reset_all();
    key(BIND_JOURNAL);
    ASSERT_TRUE(picture("quest_journal_empty.png"));
    key(BIND_JOURNAL);
}

TEST(QuestScene, VivianesChainStartsOnceKeuIsDone) {
    ASSERT_TRUE(quest_game());
    fresh_quests(3);
    stand_before(lady_position(), lady_facing(), 3.0f, 3);
    EXPECT_EQ(hud_prompt_text(), prompt_with_key(" ou clic droit  ·  Parler à la Dame du Lac"));
    key(BIND_INTERACT);
    EXPECT_EQ(dialog_title(), "Viviane, la Dame du Lac");
    EXPECT_EQ(button_label(0), "Fermer");
    close_dialog();

    keu_set_state(2, 3, 0);
    EXPECT_EQ(lady_marker(), MARKER_OFFER);
    key(BIND_INTERACT);
    ASSERT_EQ(button_label(0), "Accepter");
    click_dialog_button(0);
    EXPECT_EQ(dame_etat, 1);
    ASSERT_TRUE(picture("quest_lady.png"));
    slay(SP_GOBLIN);
    EXPECT_EQ(dame_etat, 1);
    slay(SP_GOBLIN, ELITE_GROGNARD);
    EXPECT_EQ(dame_etat, 2);
    EXPECT_STREQ(shown_message(), "Grognard est tombé !\nRetournez voir la Dame du Lac.");
}

TEST(QuestScene, HuguesFieldsAreClearedByTheInteractionKey) {
    ASSERT_TRUE(quest_game());
    fresh_quests(2);
    const int hugues = 6;
    stand_before(giver_position(hugues), quest_givers[hugues].facing, 3.0f, 2);
    EXPECT_EQ(giver_marker(hugues), MARKER_OFFER);
    EXPECT_EQ(hud_prompt_text(), prompt_with_key(" ou clic droit  ·  Parler à Hugues"));
    ASSERT_TRUE(picture("quest_hugues.png"));
    key(BIND_INTERACT);
    EXPECT_EQ(dialog_title(), "Hugues, prévôt de Gué-Fleuri");
    click_dialog_button(0);
    EXPECT_EQ(giver_quest[hugues].etat, 1);
    for (int i = 0; i < 8; ++i) slay(SP_BOAR);
    EXPECT_EQ(giver_quest[hugues].etat, 2);
    EXPECT_STREQ(shown_message(), "Objectif accompli !\nRetournez voir Hugues.");
    key(BIND_INTERACT);
    ASSERT_EQ(button_label(0), "Terminer la quête");
    click_dialog_button(0);
    EXPECT_EQ(giver_quest[hugues].numero, 1);
    EXPECT_EQ(count_in_bag(100), 1);
    // The next one wants level 3: the prévôt says so at once.
    ASSERT_TRUE(hud_dialog_state().open);
    EXPECT_EQ(dialog_title(), "Hugues, prévôt de Gué-Fleuri");
    close_dialog();

    // His head follows the player; his eyes blink now and then.
    bool blinked = false;
    for (int f = 0; f < 240 && !blinked; ++f) {
        settle(1);
        blinked = quest_figure_blinking(hugues);
    }
    EXPECT_TRUE(blinked);
    player.pos_x += 2.0f;
    settle(40);
    EXPECT_GT(std::fabs(quest_figure_head_turn(hugues)), 0.1f);
}

TEST(QuestScene, SireKeuStandsHisGroundWhenWalkedInto) {
    ASSERT_TRUE(quest_game());
    Vec3 k = keu_position();
    stand_before(k, keu_facing(), 3.0f, 4);
    std::vector<InputState> s(60, idle());
    int f = bindings[BIND_FORWARD];
    for (size_t i = 0; i < s.size(); ++i) {
        s[i].key_down[f] = 1;
        s[i].key_pressed[f] = i == 0;
        s[i].key_down_prev[f] = i > 0;
    }
    run(s);
    float d = std::hypot(player.pos_x - k.x, player.pos_z - k.z);
    EXPECT_GT(d, 0.35f + PLAYER_RADIUS - 0.05f) << "walked into him";
    EXPECT_LT(d, 1.5f) << "not beside him: walked through, or stopped short";
}

TEST(QuestScene, TownsfolkAndTrainersAnswer) {
    ASSERT_TRUE(quest_game());
    fresh_quests(4);
    close_dialog();
    // The smith, from too far and then from beside him.
    Vec3 smith = villager_state(0).position;
    player.pos_x = smith.x + 9.0f, player.pos_z = smith.z, player.pos_y = smith.y;
    talk_to_villager(0);
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_STREQ(shown_message(), "Approchez-vous de Maître Bertrand.");
    player.pos_x = smith.x + 2.0f;
    talk_to_villager(0);
    EXPECT_EQ(dialog_title(), "Maître Bertrand, Forgeron");
    std::string body = dialog_body();
    EXPECT_EQ(body.rfind(trainer_greetings[0], 0), 0u);
    EXPECT_NE(body.find("\n\nVotre niveau en Forge : "), std::string::npos);
    EXPECT_EQ(button_label(0), "Voir mes métiers");
    EXPECT_EQ(button_label(1), "Au revoir");
    press(0);
    EXPECT_TRUE(game_flags.windows.professions);
    game_flags.windows.professions = 0;

    // A gate guard says a guard's line by the parity of his place in the list.
    for (int i = 6; i < 8; ++i) {
        Vec3 g = villager_state(i).position;
        player.pos_x = g.x + 2.0f, player.pos_z = g.z, player.pos_y = g.y;
        talk_to_villager(i);
        EXPECT_EQ(dialog_title(), std::string(villager_defs[i].name) + ", " + villager_defs[i].title);
        EXPECT_EQ(dialog_body(), words_for_player(guard_lines[i & 1]));
        EXPECT_EQ(button_label(0), "Au revoir");
        close_dialog();
    }
    // A walker stops for the talk and says the line of the half-minute.
    VillagerState& w = villager_state_mut(17);
    w.pause = 0.0f;
    player.pos_x = w.position.x + 1.5f, player.pos_z = w.position.z, player.pos_y = w.position.y;
    talk_to_villager(17);
    EXPECT_GE(villager_state(17).pause, 5.9f);
    EXPECT_EQ(dialog_body(), town_lines[((int)(game_clock / 30.0) + 17) % 8]);
    close_dialog();
}

// A woman archer, as a new player found her: Sire Keu greets her as one, and
// once the king has sent her on, the tracker and both maps point at Keu.
// Pictures: quest_keu_greets_her.png, quest_king_sends_her.png,
// quest_way_to_keu.png (tracker and minimap), quest_way_to_keu_map.png.
TEST(QuestScene, AWomanArcherIsGreetedAsOneAndTheKingSendsHerOnToKeu) {
    ASSERT_TRUE(quest_game());
    fresh_quests(1);
    player_look.woman = 1;
    player_model_rebuild();
    stand_before(keu_position(), keu_facing(), 4.0f, 1);
    talk_to_keu();
    EXPECT_EQ(dialog_body().rfind("Ah, une archère ! Il était temps.", 0), 0u) << dialog_body();
    ASSERT_TRUE(picture("quest_keu_greets_her.png"));
    close_dialog();

    constexpr int HERALD = 4, KING = 5;
    talk_to_giver(HERALD);
    press(0);
    stand_before(giver_position(KING), quest_givers[KING].facing, 4.0f, 1);
    talk_to_giver(KING);
    press(0);
    talk_to_giver(KING);
    EXPECT_EQ(dialog_body().rfind("Tu es vaillante, mais pas encore prête.", 0), 0u) << dialog_body();
    ASSERT_TRUE(picture("quest_king_sends_her.png"));
    close_dialog();
    hud_message("", 0.0f);
    ASSERT_TRUE(hud_tracker_get(0)->shown);
    EXPECT_STREQ(hud_tracker_get(0)->lines[0], "Parler à Sire Keu");
    ASSERT_TRUE(picture("quest_way_to_keu.png"));

    const Vec3 keu = keu_position();
    big_map_set_open(true);
    ASSERT_TRUE(picture("quest_way_to_keu_map.png"));
    ui_batch_clear();
    hud_draw();
    float sx, sy;
    big_map_to_screen(keu.x, keu.z, &sx, &sy);
    bool at_keu = false;
    for (Vec3 m : gold_marks()) at_keu = at_keu || std::hypot(m.x - sx, m.y - sy) < 12.0f;
    EXPECT_TRUE(at_keu) << "the big map's \"!\" at Keu";
    ui_batch_clear();
    big_map_set_open(false);

    player_look.woman = 0;
    player_model_rebuild();
    fresh_quests(1);
}
