// The real game on the SDL backend, driven by events pushed through SDL's
// queue as a keyboard and mouse would send them, at a fixed step: a click
// closes the title overlay, the forward key runs, the jump key jumps. Another
// window takes the focus meanwhile, as a window of another test on the same
// display would: scripted play does not depend on it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/backend_common.h"
#include "platform/sdl/sdl_backend.h"
#include "play/bindings.h"
#include "play/player.h"
#include "render/hud.h"
#include "tests/support/player_checks.h"
#include "tests/support/shown.h"
#include "world/terrain.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"

namespace {

void push_key(Uint32 type, int key_index) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = (SDL_Scancode)plat_key_index_to_usage(key_index);
    SDL_PushEvent(&e);
}

void push_click(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
}

}  // namespace

TEST(PlaySdl, ClickRunAndJumpThroughRealEvents) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "no display";
    sdl_set_window_size(640, 360);
    sdl_set_fixed_step(0.05);
    scene_economy();
    ASSERT_EQ(game_startup(), 0);
    render_leave_out_scene(true);  // what it checks is the game, not the town's pixels
    game_flags.character_creation_open = 0;  // no character file here: straight into play
    ASSERT_EQ(plat_input.client_width, 640);

    const int forward = bindings[BIND_FORWARD], jump = bindings[BIND_JUMP];
    ASSERT_GE(plat_key_index_to_usage(forward), 0);
    ASSERT_GE(plat_key_index_to_usage(jump), 0);
    Vec3 start = {player.pos_x, player.pos_y, player.pos_z};
    bool left_ground = false;
    SDL_Window* other = nullptr;
    for (int f = 0; f < 60 && !plat_input.quit_requested; ++f) {
        if (f == 0) push_click(320, 180);
        if (f == 2) push_key(SDL_KEYDOWN, forward);
        if (f == 30) push_key(SDL_KEYDOWN, jump);
        if (f == 34) push_key(SDL_KEYUP, jump);
        if (f == 45) push_key(SDL_KEYUP, forward);
        if (f == 10) {
            other = SDL_CreateWindow("autre", 0, 0, 200, 100, 0);
            ASSERT_NE(other, nullptr);
            SDL_SetWindowInputFocus(other);
        }
        game_frame();
        if (f == 0) {
            EXPECT_EQ(game_flags.title_overlay, 0);
            EXPECT_STREQ(shown_message(), "Bienvenue à Tervanne");
        }
        float ground = ground_height(player.pos_x, player.pos_z);
        ASSERT_GE(player.pos_y, ground - 1e-3f) << "under the ground at frame " << f;
        ASSERT_LT(player_obstacle_overlap(), 0.02f) << "inside an obstacle at frame " << f;
        if (!player.on_ground) left_ground = true;
    }
    // About two seconds of running along the spawn heading (+x).
    EXPECT_GT(player.pos_x - start.x, 6.0f);
    EXPECT_NEAR(player.pos_z, start.z, 1.0f);
    EXPECT_TRUE(left_ground);
    EXPECT_EQ(plat_input.key_down[forward], 0);
    SDL_DestroyWindow(other);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    game_frame();
    EXPECT_EQ(plat_input.quit_requested, 1);
    EXPECT_EQ(game_shutdown(), 0);
    sdl_close_window();
}
