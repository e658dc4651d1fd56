// A first start with no files: the creation screen makes a warrior, he walks
// a little, a key binding and a setting are changed on the options screen,
// the game ends and starts again, and the list brings him back where he
// stood, with the options kept; then he gains a level, turns in a quest and
// leaves the catacombs, and each of those saves him at once.
#include <gtest/gtest.h>

#include "game/results.h"
#include "tests/support/shown.h"
#include "ui/character_select.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "persist/characters.h"
#include "persist/keyvalue.h"
#include "persist/options.h"
#include "persist/save_queue.h"
#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "content/quests.h"
#include "play/bindings.h"
#include "play/combat.h"
#include "ui/item_windows.h"
#include "play/player.h"
#include "play/quest_state.h"
#include "render/hud.h"
#include "../persist/persist_support.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"
#include "world/catacombs.h"
#include "world/terrain.h"

int character_creation_step();
int options_waiting_action();
const char* character_creation_name();

namespace {

const int W = 640, H = 360;
const float S = H / 1080.0f;
std::vector<InputState> script;

InputState blank() {
    InputState s;
    std::memset(&s, 0, sizeof s);
    s.client_width = W;
    s.client_height = H;
    s.window_active = 1;
    s.mouse_x = W / 2;
    s.mouse_y = H / 2;
    return s;
}

void run(int idle_after = 0) {
    for (int i = 0; i < idle_after; ++i) script.push_back(blank());
    headless_set_input_script(script.data(), (int)script.size());
    for (size_t i = 0; i < script.size(); ++i) game_frame();
    script.clear();
}

void click(float x, float y) {
    InputState s = blank();
    s.mouse_x = (int)x;
    s.mouse_y = (int)y;
    s.button_down[0] = 1;
    script.push_back(s);
    s.button_down[0] = 0;
    script.push_back(s);
    run();
}

void key(int k, int hold = 1, int times = 1) {
    InputState s = blank();
    s.key_down[k] = 1;
    for (int t = 0; t < times; ++t) {
        for (int i = 0; i < hold; ++i) script.push_back(s);
        script.push_back(blank());
    }
    run();
}

void type(const char* text) {
    InputState s = blank();
    std::snprintf(s.text_input, sizeof s.text_input, "%s", text);
    script.push_back(s);
    run();
}

// The player a few metres in front of a spot, facing it.
void stand_before(Vec3 spot, float facing, float distance) {
    player.pos_x = spot.x + distance * std::sin(facing);
    player.pos_z = spot.z + distance * std::cos(facing);
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    player.heading = player.camera_yaw = std::atan2(spot.x - player.pos_x, spot.z - player.pos_z);
    run(3);
}

void click_dialog_button(int i) {
    ASSERT_TRUE(hud_dialog_state().open);
    DialogLayout l = hud_dialog_layout();
    ASSERT_LT(i, hud_dialog_state().button_count);
    click(l.buttons[i].x + l.buttons[i].w * 0.5f, l.buttons[i].y + l.buttons[i].h * 0.5f);
}

bool saved_line(const std::string& line) {
    return read_file(slot_name(0).c_str()).find("\r\n" + line + "\r\n") != std::string::npos;
}

// One frame drawn with the town behind the screens, kept as a PNG; the
// others leave the town out, since the checks read the game and its files.
void shot(const char* name) {
    render_leave_out_scene(false);
    game_frame();
    render_leave_out_scene(true);
    headless_screenshot(name);
}

// The game starts once for the whole program.
bool start_game() {
    static int state = -1;
    if (state < 0) {
        headless_set_window_size(W, H);
        headless_set_time_step(0.05);
        scene_economy();
        state = game_startup() == 0 ? 1 : 0;
        render_leave_out_scene(true);
    }
    return state == 1;
}

std::string file_key(const std::string& text, const char* key) {
    std::string k = std::string("\r\n") + key + " ";
    size_t at = text.find(k);
    if (at == std::string::npos) return "";
    at += k.size();
    return text.substr(at, text.find('\r', at) - at);
}

}  // namespace

TEST(SavesGame, CreatePlayRestartAndFindHimBack) {
    clear_game_files();
    ASSERT_TRUE(start_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    game_flags.title_overlay = 0;

    // No file at all: the creation screen, step 1, and no slot current.
    ASSERT_TRUE(game_flags.character_creation_open);
    EXPECT_EQ(current_slot, -1);
    EXPECT_FALSE(plat_input.cursor_captured);
    shot("creation-classe.png");
    // The warrior's card, then "Suivant".
    click(W * 0.5f, 300 * S);
    EXPECT_EQ(player.player_class, CLASS_WARRIOR);
    click(W * 0.5f, 830 * S + 28 * S);  // "Suivant", alone under the middle card
    ASSERT_EQ(character_creation_step(), 2);

    // A name of our own, and a darker skin.
    // The random name loses its last character (a whole UTF-8 one) and gets
    // a surname typed after it.
    std::string hero = character_creation_name();
    ASSERT_FALSE(hero.empty());
    size_t cut = hero.size() - 1;
    while (cut > 0 && ((unsigned char)hero[cut] & 0xC0) == 0x80) --cut;
    hero.resize(cut);
    key(14);
    EXPECT_EQ(hero, character_creation_name());
    type(" d'Ys");
    hero += " d'Ys";
    EXPECT_EQ(hero, character_creation_name());
    int skin = player_look.skin;
    float sel_x = 48 * S + 28 * S + (620 * S - 56 * S) - 20 * S;
    float skin_y = 60 * S + 22 * S + 110 * S + 60 * S + 48 * S + 18 * S;
    click(sel_x, skin_y);
    EXPECT_EQ(player_look.skin, (skin + 1) % 5);
    shot("creation-apparence.png");
    click(W * 0.68f + 10 * S + 150 * S, H - 130 * S + 28 * S);  // "Commencer"
    ASSERT_FALSE(game_flags.character_creation_open);
    EXPECT_EQ(current_slot, 0);
    EXPECT_EQ(hero, player.name);
    EXPECT_NE(read_file(slot_name(0).c_str()).find("\r\nnom " + hero + "\r\n"), std::string::npos);

    // Walk a little.
    float x0 = player.pos_x, z0 = player.pos_z;
    main_loop_set_draw_interval(100000);  // nothing of the walk is looked at
    key(bindings[BIND_FORWARD], 40);
    main_loop_set_draw_interval(1);
    float moved = std::hypot(player.pos_x - x0, player.pos_z - z0);
    EXPECT_GT(moved, 2.0f);

    // Pause, options: jump on another key, the vertical axis inverted.
    key(KEY_ESCAPE);
    ASSERT_TRUE(hud_dialog_state().open);
    DialogLayout l = hud_dialog_layout();
    click(l.buttons[2].x + l.buttons[2].w * 0.5f, l.buttons[2].y + l.buttons[2].h * 0.5f);
    ASSERT_TRUE(game_flags.windows.options);
    EXPECT_FALSE(plat_input.cursor_captured);
    float kx = (W - 1400 * S) * 0.5f + 720 * S, ky = 40 * S + 90 * S + 48 * S;
    click(kx + 360 * S + 110 * S, ky + 4 * 36 * S + 18 * S);  // the "Sauter" row
    ASSERT_EQ(options_waiting_action(), BIND_JUMP);
    shot("options.png");
    key(KEY_F11);  // never taken
    EXPECT_EQ(options_waiting_action(), BIND_JUMP);
    key(0x2C);
    EXPECT_EQ(options_waiting_action(), -1);
    EXPECT_EQ(bindings[BIND_JUMP], 0x2C);
    float ox = (W - 1400 * S) * 0.5f + 40 * S;
    click(ox + 250 * S, 40 * S + 90 * S + 44 * S + 40 * S + 56 * S + 44 * S + 40 * S + 20 * S);
    EXPECT_EQ(options.invert_y, 1);
    click(W * 0.5f, 40 * S + (H - 80 * S) - 60 * S + 23 * S);  // "Fermer"
    EXPECT_FALSE(game_flags.windows.options);
    EXPECT_TRUE(hud_dialog_state().open);  // back to the pause menu
    EXPECT_NE(read_file("tervanne-options.txt").find("\r\nt_sauter 44\r\n"), std::string::npos);

    // Quit the way a player does; everything is saved on the way out.
    l = hud_dialog_layout();
    click(l.buttons[3].x + l.buttons[3].w * 0.5f, l.buttons[3].y + l.buttons[3].h * 0.5f);
    ASSERT_TRUE(plat_input.quit_requested);
    float x_end = player.pos_x, z_end = player.pos_z, heading_end = player.heading;
    EXPECT_EQ(game_shutdown(), 0);

    // A new start, as far as the files go: the options first, then the list.
    player_reset_new();
    options_defaults();
    current_slot = selected_slot = -1;
    plat_input.quit_requested = 0;
    ASSERT_TRUE(options_read());
    EXPECT_EQ(bindings[BIND_JUMP], 0x2C);
    EXPECT_EQ(options.invert_y, 1);
    character_screens_open();
    ASSERT_TRUE(game_flags.character_select_open);
    EXPECT_EQ(selected_slot, 0);
    EXPECT_EQ(characters_present_count(), 1);
    EXPECT_EQ(hero, character_slots[0].name);
    EXPECT_EQ(character_slots[0].player_class, CLASS_WARRIOR);
    EXPECT_FALSE(plat_input.cursor_captured);
    shot("liste.png");
    key(28 | 0x80);  // keypad Enter plays the selected one
    ASSERT_FALSE(game_flags.character_select_open);
    EXPECT_NEAR(player.pos_x, x_end, 0.02f);
    EXPECT_NEAR(player.pos_z, z_end, 0.02f);
    EXPECT_NEAR(player.heading, heading_end, 0.002f);
    EXPECT_EQ(hero, player.name);
    EXPECT_EQ(player_look.skin, (skin + 1) % 5);
    EXPECT_EQ("Bienvenue à Tervanne, " + hero, shown_message());

    // The game saves by itself at three moments, each with what the moment
    // brought: a level gained, a quest turned in, the catacombs left. A purse
    // set just before each shows which save wrote the file.
    main_loop_set_draw_interval(100000);
    player.purse = 1111;
    grant_experience(4 * (experience_need(1) + 5));  // a kill gives a quarter
    game_results_drain();                            // the save the level asks for
    ASSERT_GT(player.level, 1);
    EXPECT_TRUE(saved_line("niveau " + std::to_string(player.level)));
    EXPECT_TRUE(saved_line("bourse 1111"));

    player.purse = 2222;
    quete_numero = 0, quete_etat = 2, quete_abattus = 10;
    stand_before(keu_position(), keu_facing(), 3.0f);
    key(bindings[BIND_INTERACT]);
    ASSERT_TRUE(hud_dialog_state().open);
    ASSERT_STREQ(hud_dialog_state().buttons[0].label, "Terminer la quête");
    EXPECT_TRUE(saved_line("quete_numero 0"));
    click_dialog_button(0);
    EXPECT_EQ(quete_numero, 1);
    EXPECT_TRUE(saved_line("quete_numero 1"));
    if (hud_dialog_state().open) hud_dialog_close();  // Sire Keu's next offer

    player.level = 10;  // no warning at the door
    stand_before({CATACOMB_ENTRY_X, 0.0f, CATACOMB_ENTRY_Z}, 0.0f, 1.0f);
    key(bindings[BIND_INTERACT]);
    ASSERT_TRUE(game_flags.underground);
    player.purse = 3333;
    player.pos_x = CATACOMB_PORTAL_X + 1.0f;
    player.pos_z = CATACOMB_PORTAL_Z + 1.0f;
    run(3);
    EXPECT_FALSE(saved_line("bourse 3333"));
    key(bindings[BIND_INTERACT]);
    ASSERT_FALSE(game_flags.underground);
    EXPECT_TRUE(saved_line("bourse 3333"));
    EXPECT_TRUE(saved_line("niveau 10"));
    main_loop_set_draw_interval(1);
    game_shutdown();
    clear_game_files();
}

// Quitting keeps only what the player confirmed: looks tried on the edit
// screen without "Valider", and the heading the list turns its preview to,
// stay out of the file, while what was played is still saved.
TEST(SavesGame, QuittingSavesOnlyWhatThePlayerConfirmed) {
    clear_game_files();
    ASSERT_TRUE(start_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    game_flags.title_overlay = 0;
    current_slot = selected_slot = -1;
    character_screens_open();
    ASSERT_TRUE(game_flags.character_creation_open);

    // A druid: the third card, "Suivant", "Commencer".
    click(W * 0.5f + 540 * S, 300 * S);
    EXPECT_EQ(player.player_class, CLASS_DRUID);
    click(W * 0.5f, 830 * S + 28 * S);  // "Suivant", alone under the middle card
    ASSERT_EQ(character_creation_step(), 2);
    click(W * 0.68f + 10 * S + 150 * S, H - 130 * S + 28 * S);
    ASSERT_FALSE(game_flags.character_creation_open);
    ASSERT_EQ(current_slot, 0);
    // The overlay a player meets first, for a person to look at.
    game_flags.title_overlay = 1;
    shot("titre-druide.png");
    game_flags.title_overlay = 0;

    // Some play, then the appearance screen from the sheet: a new skin tried.
    player.purse = 123;
    player.heading = player.camera_yaw = 2.0f;
    int skin = player_look.skin;
    key(bindings[BIND_CHARACTER]);
    ASSERT_TRUE(game_flags.character_sheet_open);
    UiRect look = sheet_appearance_box();
    click(look.x + look.w * 0.5f, look.y + look.h * 0.5f);
    ASSERT_TRUE(game_flags.character_creation_open);
    float sel_x = 48 * S + 28 * S + (620 * S - 56 * S) - 20 * S;
    float skin_y = 60 * S + 22 * S + 110 * S + 60 * S + 48 * S + 18 * S;
    click(sel_x, skin_y);
    ASSERT_EQ(player_look.skin, (skin + 1) % 5);
    EXPECT_NE(player.heading, 2.0f) << "the preview turns him to the camera";

    // The window closes there: the play is kept, the skin never chosen is not.
    game_shutdown();
    std::string text = read_file(slot_name(0).c_str());
    EXPECT_EQ(file_key(text, "bourse"), "123");
    EXPECT_EQ(file_key(text, "apparence_peau"), std::to_string(skin)) << "looks never confirmed were saved";
    EXPECT_EQ(file_key(text, "cap"), "2000") << "the preview's heading was saved";
    // "Valider" is what keeps them.
    click(W * 0.68f + 10 * S + 150 * S, H - 130 * S + 28 * S);
    ASSERT_FALSE(game_flags.character_creation_open);
    EXPECT_EQ(file_key(read_file(slot_name(0).c_str()), "apparence_peau"), std::to_string((skin + 1) % 5));
    EXPECT_NEAR(player.heading, 2.0f, 1e-6f);

    // A new start: the list turns him to face the view; quitting from there
    // leaves his file as it was.
    current_slot = selected_slot = -1;
    character_screens_open();
    ASSERT_TRUE(game_flags.character_select_open);
    run(5);
    EXPECT_GT(std::fabs(player.heading - 2.0f), 0.1f) << "the list's preview faces the view";
    std::string before = read_file(slot_name(0).c_str());
    game_shutdown();
    std::string after = read_file(slot_name(0).c_str());
    EXPECT_EQ(file_key(after, "cap"), "2000") << "the preview's heading was saved";
    EXPECT_TRUE(after == before) << "the file changed";
    clear_game_files();
}

// A level gained while a virus scanner reads the character file: the game
// plays on, no frame does more than one try of the files, and the save lands
// a few frames after the scanner lets go.
namespace {
std::string held_name;
int file_calls = 0;
bool held_busy = false;
int held_read(const char* name, char* buffer, int capacity) {
    ++file_calls;
    held_busy = false;
    return plat_read_file(name, buffer, capacity);
}
bool held_write(const char* name, const void* data, int length) {
    ++file_calls;
    held_busy = held_name == name;
    return !held_busy && plat_write_file(name, data, length);
}
bool held_replace(const char* from, const char* to) {
    ++file_calls;
    held_busy = held_name == to;
    return !held_busy && plat_replace_file(from, to);
}
bool held_busy_now() { return held_busy; }
const KvFileCalls scanner_files = {held_read, held_write, held_replace, held_busy_now};

// n frames one by one; the most file calls any of them made.
int frames(int n) {
    int most = 0;
    for (int i = 0; i < n; ++i) {
        int before = file_calls;
        script.push_back(blank());
        run();
        most = std::max(most, file_calls - before);
    }
    return most;
}
}  // namespace

TEST(SavesGame, ALevelGainedWhileAScannerReadsTheFileIsSavedOnceItLetsGo) {
    clear_game_files();
    ASSERT_TRUE(start_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    game_flags.title_overlay = 0;
    current_slot = selected_slot = -1;
    character_screens_open();
    ASSERT_TRUE(game_flags.character_creation_open);
    click(W * 0.5f, 830 * S + 28 * S);  // "Suivant"
    click(W * 0.68f + 10 * S + 150 * S, H - 130 * S + 28 * S);  // "Commencer"
    ASSERT_FALSE(game_flags.character_creation_open);
    ASSERT_EQ(current_slot, 0);
    main_loop_set_draw_interval(100000);
    std::string first = read_file(slot_name(0).c_str());

    const char* failed = "La sauvegarde a échoué : votre progression n'est pas enregistrée.";
    kv_set_file_calls(&scanner_files);
    held_name = slot_name(0);
    hud_message("", 0.0f);
    grant_experience(4 * (experience_need(1) + 5));
    game_results_drain();
    int level = player.level;
    ASSERT_GT(level, 1);
    EXPECT_EQ(read_file(slot_name(0).c_str()), first);
    EXPECT_TRUE(saves_waiting());
    // Half a second of play (the step is 0.05 s): one try every other frame.
    EXPECT_LE(frames(10), 7);
    EXPECT_TRUE(saves_waiting());
    EXPECT_STRNE(shown_message(), failed);
    held_name.clear();
    frames(2);
    EXPECT_FALSE(saves_waiting());
    EXPECT_TRUE(saved_line("niveau " + std::to_string(level)));
    EXPECT_STRNE(shown_message(), failed);
    kv_set_file_calls(nullptr);
    main_loop_set_draw_interval(1);
    game_shutdown();
    clear_game_files();
}
