// The game played from an empty folder with a pad alone, through SDL's
// virtual joystick and the real SDL backend, at a fixed step; no keyboard or
// mouse event is ever sent. A new archer is made (her name written with the
// pad's letter board), Sire Keu's quest taken, a boar fought, its body
// searched and its boots worn from the bag, a potion thrown away, the shop and
// the spellbook looked at, the map opened, the game paused and left. Every
// step waits on the game's state; pictures of the focus on each screen are
// left as pad_*.png beside the program. The hints on every screen name the
// pad's buttons, never the mouse, since the pad was used last.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "content/quests.h"
#include "persist/options.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "play/bindings.h"
#include "play/creatures.h"
#include "ui/hud_draw.h"
#include "ui/item_windows.h"
#include "play/items.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "play/quest_state.h"
#include "render/hud.h"
#include "ui/maps.h"
#include "render/ui.h"
#include "render/ui_focus.h"
#include "tests/support/drawn_text.h"
#include "tests/support/scene_economy.h"
#include "world/terrain.h"

int character_creation_step();
const char* character_creation_name();

namespace {

constexpr int W = 640, H = 360;
constexpr float S = H / 1080.0f;
constexpr int PIRATE_BOOTS = 15, FEET_SLOT = 8, MINOR_POTION = 26;
const Vec4 HINT_DIM = {0.73f, 0.69f, 0.58f, 1.0f};        // the item windows' and the map's hints
const Vec4 CREATION_HINT = {0.75f, 0.72f, 0.62f, 1.0f};  // the creation screen's

SDL_Joystick* joy = nullptr;
int rumbles = 0;

int SDLCALL count_rumble(void*, Uint16 low, Uint16 high) {
    if (low || high) ++rumbles;
    return 0;
}

SDL_GameControllerButton sdl_button(int b) {
    static const SDL_GameControllerButton map[PAD_LT] = {
        SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
        SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_BACK,       SDL_CONTROLLER_BUTTON_START,
        SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
        SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
        SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT};
    return map[b];
}

void frames(int n) {
    for (int i = 0; i < n && !plat_input.quit_requested; ++i) game_frame();
}

void press(int b, int settle = 1) {
    if (b == PAD_LT || b == PAD_RT) {
        SDL_GameControllerAxis a = b == PAD_LT ? SDL_CONTROLLER_AXIS_TRIGGERLEFT : SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
        SDL_JoystickSetVirtualAxis(joy, a, 32767);
        frames(1);
        SDL_JoystickSetVirtualAxis(joy, a, 0);
    } else {
        SDL_JoystickSetVirtualButton(joy, sdl_button(b), 1);
        frames(1);
        SDL_JoystickSetVirtualButton(joy, sdl_button(b), 0);
    }
    frames(settle);
}

void stick(float x, float y) {
    SDL_JoystickSetVirtualAxis(joy, SDL_CONTROLLER_AXIS_LEFTX, (Sint16)(x * 32767));
    SDL_JoystickSetVirtualAxis(joy, SDL_CONTROLLER_AXIS_LEFTY, (Sint16)(y * 32767));
}

void right_stick(float x, float y) {
    SDL_JoystickSetVirtualAxis(joy, SDL_CONTROLLER_AXIS_RIGHTX, (Sint16)(x * 32767));
    SDL_JoystickSetVirtualAxis(joy, SDL_CONTROLLER_AXIS_RIGHTY, (Sint16)(y * 32767));
}

// The letters (spaces dropped) of one colour in one more drawing of the
// interface, as the last frame left it; call with no button held. The places
// this drawing offers the focus are dropped again.
std::string drawn_hints(Vec4 colour) {
    hud_draw();
    std::string text = drawn_text(colour);
    ui_batch_clear();
    ui_focus_modal();
    return text;
}

bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The focus walked with the d-pad onto a box, the larger gap first; false
// when it cannot get there.
template <class B>
bool focus_to(const B& b) {
    float x, y;
    // A screen opened by the last frame's draw takes the pad at the next.
    for (int wait = 0; wait < 3 && !ui_focus_centre(&x, &y); ++wait) frames(1);
    for (int step = 0; step < 40; ++step) {
        if (!ui_focus_centre(&x, &y)) return false;
        if (x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h) return true;
        float tx = b.x + b.w * 0.5f, ty = b.y + b.h * 0.5f;
        float dx = tx - x, dy = ty - y;
        bool vertical = std::fabs(dy) > std::fabs(dx) ? true : false;
        if (step % 5 == 4) vertical = !vertical;  // a row in the way: go round it
        press(vertical ? (dy < 0 ? PAD_UP : PAD_DOWN) : (dx < 0 ? PAD_LEFT : PAD_RIGHT));
    }
    return false;
}

// The letter board's key for a letter of its rows, -1 if none.
int board_key(char c) {
    const char* rows[4] = {"1234567890", "abcdefghij", "klmnopqrst", "uvwxyz"};
    for (int r = 0; r < 4; ++r)
        for (int k = 0; rows[r][k]; ++k)
            if (rows[r][k] == (c | 0x20)) return r * 10 + k;
    return -1;
}

bool board_type(const char* text) {
    for (const char* c = text; *c; ++c) {
        int want = board_key(*c);
        for (int i = 0; i < 30 && ui_focus_board_key() != want; ++i) {
            int at = ui_focus_board_key();
            if (at < 0) return false;
            int dr = want / 10 - at / 10, dc = want % 10 - at % 10;
            press(dr ? (dr < 0 ? PAD_UP : PAD_DOWN) : (dc < 0 ? PAD_LEFT : PAD_RIGHT));
        }
        if (ui_focus_board_key() != want) return false;
        press(PAD_A);
    }
    return true;
}

// One more frame, drawn with the town behind the interface, kept as a PNG in
// the test's folder.
bool picture(const char* file) {
    std::remove(file);
    sdl_picture_next_swap(file);
    render_leave_out_scene(false);
    frames(1);
    render_leave_out_scene(true);
    FILE* f = std::fopen(file, "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

void clear_files() {
    char name[64];
    for (int s = 1; s <= 8; ++s) {
        std::snprintf(name, sizeof name, "tervanne-perso-%d.txt", s);
        plat_write_file(name, "", 0);
        std::snprintf(name, sizeof name, "tervanne-perso-%d-secours.txt", s);
        plat_write_file(name, "", 0);
    }
    plat_write_file("tervanne-sauvegarde.txt", "", 0);
    plat_write_file("tervanne-options.txt", "", 0);
}

}  // namespace

TEST(PadSdl, TheFirstStepsWithThePadAlone) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "no display";
    clear_files();
    sdl_set_window_size(W, H);
    sdl_set_fixed_step(0.05);
    scene_economy();
    // What the scene checks is the interface and the game: of its hundreds of
    // frames only those it pictures draw the town behind, at half size.
#ifndef TERVANNE_SANITIZED
    render_set_test_economy(1024, 1, 0.5f);
#endif
    ASSERT_EQ(game_startup(), 0);
    render_leave_out_scene(true);
    ASSERT_TRUE(game_flags.character_creation_open);
    frames(2);
    EXPECT_FALSE(plat_input.pad.connected);

    // The pad is plugged in while the game runs.
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Manette de test";
    desc.Rumble = count_rumble;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    joy = SDL_JoystickOpen(index);
    ASSERT_NE(joy, nullptr);
    frames(2);
    ASSERT_TRUE(plat_input.pad.connected) << "the plugged pad is not seen";

    // ---- Creation, step 1: the first card (the archer) with A, then "Suivant".
    press(PAD_A);
    EXPECT_EQ(player.player_class, CLASS_ARCHER);
    EXPECT_TRUE(ui_focus_pad_hints());
    EXPECT_TRUE(picture("pad_creation_class.png"));
    ASSERT_TRUE(focus_to(SDL_FRect{W * 0.5f - 150 * S, 830 * S, 300 * S, 56 * S}));  // "Suivant", centred
    press(PAD_A);
    ASSERT_EQ(character_creation_step(), 2);

    // ---- Step 2: the offered name rubbed out and "Enide" written on the board.
    float fx = 48 * S + 28 * S + 150 * S, fy = 60 * S + 22 * S + 110 * S;
    ASSERT_TRUE(focus_to(SDL_FRect{fx, fy, 300 * S, 38 * S}));
    press(PAD_A);
    ASSERT_GE(ui_focus_board_key(), 0) << "A on the name field opens the letter board";
    for (int i = 0; i < 30 && character_creation_name()[0]; ++i) press(PAD_X);
    EXPECT_STREQ(character_creation_name(), "");
    ASSERT_TRUE(board_type("enide"));
    EXPECT_STREQ(character_creation_name(), "Enide");  // a capital, then small letters
    EXPECT_TRUE(picture("pad_creation_name.png"));
    press(PAD_B);
    EXPECT_EQ(ui_focus_board_key(), -1);

    // The right stick turns the figure (the mouse drags it); the hint says so.
    std::string hint = drawn_hints(CREATION_HINT);
    EXPECT_TRUE(has(hint, "Stickdroit:fairetournerlepersonnage.")) << hint;
    EXPECT_FALSE(has(hint, "souris")) << hint;
    float turn = presentation_turn, heading = player.heading;
    right_stick(1.0f, 0.0f);
    frames(10);
    right_stick(0.0f, 0.0f);
    frames(1);
    EXPECT_GT(presentation_turn - turn, 0.5f) << "the right stick does not turn the figure";
    EXPECT_EQ(player.heading, heading) << "the view turned with the figure";
    float turned = presentation_turn;
    frames(5);
    EXPECT_EQ(presentation_turn, turned) << "the figure goes on turning with the stick let go";
    ASSERT_TRUE(focus_to(SDL_FRect{W * 0.68f + 10 * S, H - 130 * S, 300 * S, 56 * S}));  // "Commencer"
    EXPECT_TRUE(picture("pad_creation_start.png"));
    press(PAD_A);
    ASSERT_FALSE(game_flags.character_creation_open);
    EXPECT_STREQ(player.name, "Enide");
    if (game_flags.title_overlay) press(PAD_A);
    EXPECT_FALSE(game_flags.title_overlay);

    // ---- The left stick walks, at the speed of its push. Play needs no
    // picture: frames are drawn again for the screens.
    frames(1);
    main_loop_set_draw_interval(100000);
    float x0 = player.pos_x, z0 = player.pos_z;
    stick(0.0f, -0.5f);
    frames(20);
    float half = player.ground_speed;
    stick(0.0f, -1.0f);
    frames(20);
    float full = player.ground_speed;
    stick(0.0f, 0.0f);
    frames(10);
    EXPECT_GT(std::hypot(player.pos_x - x0, player.pos_z - z0), 3.0f);
    EXPECT_GT(half, 0.5f);
    EXPECT_GT(full, half * 1.5f) << "the stick's push sets the speed";
    EXPECT_EQ(player.ground_speed, 0.0f);
    press(PAD_A, 2);
    EXPECT_FALSE(player.on_ground) << "A jumps";
    frames(30);

    main_loop_set_draw_interval(1);

    // ---- Sire Keu, a few steps ahead: Y talks, A accepts.
    Vec3 k = keu_position();
    float f = keu_facing();
    player.pos_x = k.x + 4.0f * std::sin(f);
    player.pos_z = k.z + 4.0f * std::cos(f);
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    player.heading = player.camera_yaw = std::atan2(k.x - player.pos_x, k.z - player.pos_z);
    frames(4);
    EXPECT_NE(std::string(hud_prompt_text()).find("Y  ·  Parler à Sire Keu"), std::string::npos)
        << hud_prompt_text();
    press(PAD_Y);
    ASSERT_TRUE(hud_dialog_state().open);
    EXPECT_STREQ(hud_dialog_state().title, "Sire Keu");
    ASSERT_STREQ(hud_dialog_state().buttons[0].label, "Accepter");
    ASSERT_TRUE(focus_to(hud_dialog_layout().buttons[0]));
    EXPECT_TRUE(picture("pad_keu.png"));
    press(PAD_A);
    EXPECT_FALSE(hud_dialog_state().open);
    EXPECT_EQ(quete_etat, 1);

    // ---- A boar on the heath: the right bumper targets it, X shoots.
    player.pos_x = -150.0f;
    player.pos_z = 40.0f;
    player.pos_y = ground_height(-150.0f, 40.0f);
    player.heading = player.camera_yaw = 0.0f;
    frames(3);
    Vec3 at = {player.pos_x, 0, player.pos_z + 9.0f};
    at.y = ground_height(at.x, at.z);
    Creature* boar = spawn_creature(SP_BOAR, at, at);
    ASSERT_NE(boar, nullptr);
    main_loop_set_draw_interval(100000);
    press(PAD_RB);
    EXPECT_EQ(player.target, boar);
    float lowest = player.health;
    for (int round = 0; round < 80 && boar->ai_state != CS_DEAD; ++round) {
        press(PAD_X, 10);
        if (player.health < lowest) lowest = player.health;
        if (player.health < player.max_health * 0.5f) player.health = player.max_health;
    }
    main_loop_set_draw_interval(1);
    ASSERT_EQ(boar->ai_state, CS_DEAD) << "the fight did not end";
    EXPECT_EQ(quete_abattus, 1);
    if (lowest < player.max_health) {
        EXPECT_GT(rumbles, 0) << "a blow taken shakes the pad";
    }

    // ---- Its body searched with Y; "Tout prendre" with A.
    boar->loot[0] = PIRATE_BOOTS;
    boar->loot_count = 1;
    player.pos_x = boar->pos.x;
    player.pos_z = boar->pos.z - 2.0f;
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    player.heading = player.camera_yaw = 0.0f;
    frames(3);
    press(PAD_Y);
    ASSERT_TRUE(game_flags.windows.loot);
    ASSERT_TRUE(focus_to(loot_row_box(0)));
    hint = drawn_hints(HINT_DIM);
    EXPECT_TRUE(has(hint, "A:prendre")) << hint;
    EXPECT_FALSE(has(hint, "Clic")) << hint;
    ASSERT_TRUE(focus_to(loot_take_all_box()));
    EXPECT_TRUE(picture("pad_loot.png"));
    press(PAD_A);
    EXPECT_FALSE(corpse_lootable(boar));
    int boots = bag_find(PIRATE_BOOTS);
    ASSERT_GE(boots, 0);
    EXPECT_FALSE(game_flags.windows.loot) << "emptied, the loot window stays open";

    // ---- The sheet from the d-pad; the boots picked up with A and put down
    // on their own worn place with A.
    press(PAD_UP);
    ASSERT_TRUE(game_flags.character_sheet_open);
    ASSERT_TRUE(focus_to(sheet_bag_box(boots)));
    hint = drawn_hints(HINT_DIM);
    EXPECT_TRUE(has(hint, "X:équiper·Y+X:jeter")) << "the boots' tooltip: " << hint;
    EXPECT_FALSE(has(hint, "Clic")) << hint;
    EXPECT_FALSE(has(hint, "Maj")) << hint;
    press(PAD_A);
    EXPECT_EQ(items_dragged_bag_slot(), -1);  // not moved yet: a pick-up, no drag
    ASSERT_TRUE(focus_to(sheet_equipment_box(FEET_SLOT)));
    EXPECT_EQ(items_dragged_bag_slot(), boots);  // carried along by the focus
    EXPECT_TRUE(picture("pad_sheet_carry.png"));
    press(PAD_A);
    EXPECT_EQ(equipment[FEET_SLOT], PIRATE_BOOTS);
    EXPECT_EQ(bag_find(PIRATE_BOOTS), -1);
    EXPECT_TRUE(picture("pad_sheet_worn.png"));
    hint = drawn_hints(HINT_DIM);
    EXPECT_TRUE(has(hint, "X:retirer")) << "the worn boots' tooltip: " << hint;

    // Y held is the pad's Maj: Y + X on a potion throws it away.
    ASSERT_TRUE(give_item(MINOR_POTION, nullptr));
    int potion = bag_find(MINOR_POTION);
    ASSERT_GE(potion, 0);
    ASSERT_TRUE(focus_to(sheet_bag_box(potion)));
    hint = drawn_hints(HINT_DIM);
    EXPECT_TRUE(has(hint, "X:boire·Y+X:jeter")) << "the potion's tooltip: " << hint;
    SDL_JoystickSetVirtualButton(joy, SDL_CONTROLLER_BUTTON_Y, 1);
    press(PAD_X);
    SDL_JoystickSetVirtualButton(joy, SDL_CONTROLLER_BUTTON_Y, 0);
    frames(1);
    EXPECT_EQ(bag_find(MINOR_POTION), -1) << "Y + X does not throw the potion away";
    EXPECT_TRUE(game_flags.character_sheet_open);
    press(PAD_B);
    EXPECT_FALSE(game_flags.character_sheet_open);

    // The shop's hints: A buys, Y + A buys five, X sells from the bag.
    Vec3 m = merchant_position();
    player.pos_x = m.x;
    player.pos_z = m.z + 2.0f;
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    frames(2);
    open_shop();
    frames(2);
    ASSERT_TRUE(focus_to(shop_stock_box(0)));
    EXPECT_TRUE(has(drawn_hints(HUD_GOLD), "A:acheter("));
    hint = drawn_hints(HINT_DIM);
    EXPECT_TRUE(has(hint, "Y+A:par5")) << hint;
    EXPECT_TRUE(has(hint, "Xsurunobjetdusac:levendre")) << hint;
    EXPECT_FALSE(has(hint, "Clic")) << hint;
    EXPECT_FALSE(has(hint, "Maj")) << hint;
    EXPECT_TRUE(picture("pad_shop.png"));
    press(PAD_B);
    EXPECT_FALSE(shop_is_open());
    if (game_flags.character_sheet_open) press(PAD_B);
    ASSERT_FALSE(game_flags.character_sheet_open);

    // The spellbook (the right stick's press): A carries a skill, X casts it.
    press(PAD_RSTICK);
    ASSERT_TRUE(game_flags.windows.spellbook);
    hint = drawn_hints(HUD_PARCHMENT);
    EXPECT_TRUE(has(hint, "A:prendreunecompétence,puisAsurunecasedelabarred'action·X:lalancer")) << hint;
    EXPECT_FALSE(has(hint, "glisser")) << hint;
    EXPECT_TRUE(picture("pad_spellbook.png"));
    press(PAD_B);
    EXPECT_FALSE(game_flags.windows.spellbook);

    // ---- Back opens the map; the right trigger zooms, the stick pans.
    press(PAD_BACK);
    ASSERT_TRUE(game_flags.windows.map);
    float zoom = big_map_state().zoom;
    press(PAD_RT);
    EXPECT_GT(big_map_state().zoom, zoom);
    float cx = big_map_state().centre_x;
    stick(1.0f, 0.0f);
    frames(5);
    stick(0.0f, 0.0f);
    frames(1);
    EXPECT_NE(big_map_state().centre_x, cx);
    EXPECT_TRUE(picture("pad_map.png"));
    hint = drawn_hints(HINT_DIM);
    EXPECT_TRUE(has(hint, "Gâchettes:zoom·stickgauche:déplacerlacarte·X:toutesleszones·B:fermer")) << hint;
    EXPECT_FALSE(has(hint, "Molette")) << hint;
    // X on the map: every zone; each zone a place of its own, A shows it.
    UiRect p = big_map_panel();
    ASSERT_TRUE(focus_to(SDL_FRect{p.x + p.w * 0.4f, p.y + p.h * 0.4f, p.w * 0.2f, p.h * 0.2f}));
    press(PAD_X);
    ASSERT_EQ(big_map_state().view, MAP_ALL_ZONES);
    hint = drawn_hints(HINT_DIM);
    EXPECT_TRUE(has(hint, "Choisissezunezone,Apourl'afficher·B:fermer")) << hint;
    float zx0, zw, zz0, zh, ax, ay, bx, by;
    big_map_view_rect(MAP_ZONE, 1, &zx0, &zw, &zz0, &zh);
    big_map_to_screen(zx0 + zw, zz0 + zh, &ax, &ay);
    big_map_to_screen(zx0, zz0, &bx, &by);
    ax = std::fmax(ax, p.x), ay = std::fmax(ay, p.y), bx = std::fmin(bx, p.x + p.w), by = std::fmin(by, p.y + p.h);
    EXPECT_TRUE(focus_to(SDL_FRect{ax, ay, bx - ax, by - ay})) << "the focus cannot reach La Gaste Forêt";
    EXPECT_TRUE(picture("pad_map_zones.png"));
    press(PAD_A);
    EXPECT_EQ(big_map_state().view, MAP_ZONE);
    EXPECT_EQ(big_map_state().zone, 1);
    press(PAD_B);
    EXPECT_FALSE(game_flags.windows.map);

    // ---- Start pauses; "Options", the pad's page, "Sauter" given to Y (both
    // rows then marked), the defaults back, B out again.
    press(PAD_START);
    ASSERT_TRUE(game_flags.paused);
    ASSERT_TRUE(hud_dialog_state().open);
    int options_button = -1;
    for (int i = 0; i < hud_dialog_state().button_count; ++i)
        if (!std::strcmp(hud_dialog_state().buttons[i].label, "Options")) options_button = i;
    ASSERT_GE(options_button, 0);
    ASSERT_TRUE(focus_to(hud_dialog_layout().buttons[options_button]));
    press(PAD_A);
    ASSERT_TRUE(game_flags.windows.options);
    float px = (W - 1400 * S) * 0.5f, kx = px + 720 * S, ky = 40 * S + 90 * S;
    ASSERT_TRUE(focus_to(SDL_FRect{kx + 470 * S, ky - 2 * S, 170 * S, 34 * S}));  // "Voir la manette"
    press(PAD_A);
    ASSERT_TRUE(focus_to(SDL_FRect{kx + 360 * S, ky + 50 * S, 220 * S, 30 * S}));  // "Sauter"
    press(PAD_A);
    press(PAD_Y);  // the button waited for, not a move of the focus
    EXPECT_EQ(pad_bindings[BIND_JUMP], PAD_Y);
    EXPECT_TRUE(game_flags.windows.options);
    EXPECT_TRUE(picture("pad_options.png"));
    ASSERT_TRUE(focus_to(SDL_FRect{kx, H - 230 * S + 40 * S, 300 * S, 44 * S}));  // "Boutons par défaut"
    press(PAD_A);
    EXPECT_EQ(pad_bindings[BIND_JUMP], PAD_A);
    press(PAD_B);
    EXPECT_FALSE(game_flags.windows.options);
    ASSERT_TRUE(hud_dialog_state().open);
    int quit = -1;
    for (int i = 0; i < hud_dialog_state().button_count; ++i)
        if (!std::strcmp(hud_dialog_state().buttons[i].label, "Quitter le jeu")) quit = i;
    ASSERT_GE(quit, 0);
    ASSERT_TRUE(focus_to(hud_dialog_layout().buttons[quit]));
    EXPECT_TRUE(picture("pad_pause.png"));
    SDL_JoystickSetVirtualButton(joy, SDL_CONTROLLER_BUTTON_A, 1);
    game_frame();
    EXPECT_EQ(plat_input.quit_requested, 1);
    EXPECT_EQ(game_shutdown(), 0);
    SDL_JoystickClose(joy);
    SDL_JoystickDetachVirtual(index);
    sdl_close_window();
}
