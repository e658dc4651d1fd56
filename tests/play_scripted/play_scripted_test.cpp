// Scripted play: the real start-up and frame loop on the headless backend,
// with recorded input replayed at a fixed step. The player runs from the
// spawn point, turns with the mouse and jumps; screenshots of the player and
// of every creature template are left in the build folder.
#include <gtest/gtest.h>

#include "tests/support/player_checks.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"
#include "tests/support/shown.h"
#include "world/model.h"
#include "world/species_models.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

// The largest step the loop allows: each software-rendered frame is slow.
const double kStep = 0.05;

InputState idle() {
    InputState s;
    std::memset(&s, 0, sizeof(s));
    s.client_width = 960;
    s.client_height = 540;
    s.window_active = 1;
    s.mouse_x = 480;
    s.mouse_y = 270;
    return s;
}

}  // namespace

TEST(ScriptedPlay, RunTurnJumpAndLookAtEveryCreature) {
    headless_set_time_step(kStep);
    headless_set_window_size(960, 540);
    scene_economy();
    ASSERT_EQ(game_startup(), 0);
    game_flags.character_creation_open = 0;  // no character file here: straight into play
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    player_reset_new();
    player_look = {0, 1, 0, 2, 1, 1};
    bindings_reset();

    // 3 s running forward, 1 s turning with a right-button drag while
    // running, then forward with jump held for 1 s, then 1 s standing.
    std::vector<InputState> script;
    const int fwd = bindings[BIND_FORWARD], jump = bindings[BIND_JUMP];
    for (int i = 0; i < 60; ++i) {
        InputState s = idle();
        s.key_down[fwd] = 1;
        s.key_pressed[fwd] = i == 0;
        s.button_down[0] = i == 0;  // a click closes the title overlay
        script.push_back(s);
    }
    for (int i = 0; i < 20; ++i) {
        InputState s = idle();
        s.key_down[fwd] = 1;
        s.button_down[1] = 1;
        s.cursor_captured = i >= 3;  // as the backend reports once captured
        s.button_pressed[1] = i == 0;
        s.mouse_x = 480 + (i < 3 ? i * 3 : 10);  // a drag, then captured
        s.mouse_delta[0] = i < 3 ? 0.0f : 10.5f;
        script.push_back(s);
    }
    for (int i = 0; i < 20; ++i) {
        InputState s = idle();
        s.key_down[fwd] = 1;
        s.key_down[jump] = 1;
        script.push_back(s);
    }
    for (int i = 0; i < 20; ++i) script.push_back(idle());
    for (size_t i = 1; i < script.size(); ++i) {
        std::memcpy(script[i].key_down_prev, script[i - 1].key_down, 256);
        std::memcpy(script[i].button_down_prev, script[i - 1].button_down, 3);
    }
    headless_set_input_script(script.data(), (int)script.size());

    // Only frame 59 is drawn, for its picture: the walk is the same, and a
    // software-rendered frame costs seconds on a loaded machine.
    Vec3 start = {player.pos_x, player.pos_y, player.pos_z};
    float yaw0 = player.camera_yaw;
    float travelled = 0.0f, top = -1e9f;
    bool left_ground = false;
    Vec3 prev = start;
    for (size_t f = 0; f < script.size(); ++f) {
        main_loop_set_draw_interval(f == 59 ? 1 : 100000);
        game_frame();
        Vec3 now = {player.pos_x, player.pos_y, player.pos_z};
        travelled += std::hypot(now.x - prev.x, now.z - prev.z);
        prev = now;
        float ground = ground_height(now.x, now.z);
        ASSERT_GE(now.y, ground - 1e-3f) << "below ground at frame " << f;
        if (player.on_ground) {
            ASSERT_NEAR(now.y, ground, 1e-3f) << f;
        } else {
            left_ground = true;
        }
        top = std::fmax(top, now.y - ground);
        ASSERT_LT(player_obstacle_overlap(), 0.02f) << "inside an obstacle at frame " << f;
        if (f == 2) {
            EXPECT_EQ(game_flags.title_overlay, 0);
            EXPECT_STREQ(shown_message(), "Bienvenue à Tervanne");
        }
        if (f == 59) {
            // Straight run along the spawn heading (+x) at up to 6.5 m/s.
            EXPECT_GT(now.x - start.x, 14.0f);
            EXPECT_NEAR(now.z, start.z, 1.0f);
            headless_screenshot("play_scripted_player_behind.png");
        }
        if (f == 79) {
            // 17 frames of 10.5 counts at 0.0025 rad per count.
            EXPECT_NEAR(yaw0 - player.camera_yaw, 17 * 10.5f * 0.0025f, 0.02f);
        }
    }
    main_loop_set_draw_interval(1);
    EXPECT_TRUE(left_ground);
    EXPECT_GT(top, 1.0f);
    EXPECT_GT(travelled, 25.0f);
    EXPECT_EQ(player.on_ground, 1);
    EXPECT_EQ(player.ground_speed, 0.0f);

    // Line-up of every creature template on the open flat of Camelot's castle
    // court, the camera centred on the row and far enough back to hold all of it.
    species_templates_build();
    ASSERT_TRUE(species_models_ready());
    Vec3 base = camelot_point(48.0f, -10.0f);
    float xs[SPECIES_MODEL_COUNT];
    float x = 0.0f;
    for (int sp = 0; sp < SPECIES_MODEL_COUNT; ++sp) {
        xs[sp] = x;
        x += sp == 9 || sp == 8 ? 2.4f : 1.6f;  // room for the bear's length
    }
    float mid = 0.5f * (xs[0] + xs[SPECIES_MODEL_COUNT - 1]);
    render_camera.eye = {base.x + mid, base.y + 2.4f, base.z - 13.0f};
    render_camera.target = {base.x + mid, base.y + 0.9f, base.z};
    render_camera.fov_degrees = 55.0f;
    render_begin_frame();
    world_submit();
    for (int sp = 0; sp < SPECIES_MODEL_COUNT; ++sp) {
        Model& m = species_models[sp].model;
        Mat4 root = mat4_translate({base.x + xs[sp], base.y, base.z}) * mat4_rotate_y(PI * 0.8f);
        model_evaluate(&m, root);
        model_draw(&m, nullptr, nullptr);
        // Feet and head of every figure inside the picture, with a margin.
        Vec3 pts[2] = {model_node_position(&m, species_models[sp].slots.body),
                       model_node_position(&m, species_models[sp].slots.head)};
        for (Vec3 p : pts) {
            bool vis = false;
            Vec3 sc = world_to_screen(p, &vis);
            EXPECT_TRUE(vis) << sp;
            EXPECT_GT(sc.x, 30.0f) << sp;
            EXPECT_LT(sc.x, 930.0f) << sp;
            EXPECT_GT(sc.y, 30.0f) << sp;
            EXPECT_LT(sc.y, 510.0f) << sp;
        }
    }
    render_frame();
    EXPECT_TRUE(headless_screenshot("play_scripted_species_lineup.png"));
    game_shutdown();
}
