// Player movement, collision and camera rules, driven through the real
// player_update with a filled input snapshot and a fixed step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "common/game_time.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/camera.h"
#include "play/comfort.h"
#include "play/player.h"
#include "play/player_move.h"
#include "play/player_pose.h"
#include "tests/support/shown.h"
#include "world/human.h"
#include "world/model.h"
#include "render/hud.h"
#include "world/terrain.h"

namespace {

const float kDt = 1.0f / 60.0f;

void clear_input() {
    std::memset(&plat_input, 0, sizeof(plat_input));
    plat_input.client_width = 1280;
    plat_input.client_height = 720;
    plat_input.window_active = 1;
}

void hold(int key, bool down) {
    plat_input.key_down_prev[key] = plat_input.key_down[key];
    plat_input.key_down[key] = down ? 1 : 0;
}

void frame() {
    player_keys_input();
    player_right_click(player_mouse_clicks(true));
    player_mouse_keys();
    player_update(kDt);
    std::memcpy(plat_input.key_down_prev, plat_input.key_down, sizeof(plat_input.key_down));
    std::memset(plat_input.key_pressed, 0, sizeof(plat_input.key_pressed));
    plat_input.wheel = 0;
    plat_input.mouse_delta[0] = plat_input.mouse_delta[1] = 0;
}

// A fresh character in open country, away from Camelot's walls.
void fresh_player(float x = 200.0f, float z = 100.0f) {
    clear_input();
    bindings_reset();
    game_flags.paused = 0;
    player_reset_new();
    player.pos_x = x;
    player.pos_z = z;
    player.pos_y = ground_height(x, z);
}

float horizontal(const Vec3& a, const Vec3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

}  // namespace

TEST(Bindings, DefaultsLabelsAndArrowKeys) {
    bindings_reset();
    EXPECT_STREQ(binding_table[0].option_key, "t_avancer");
    EXPECT_EQ(bindings[BIND_FORWARD], 0x11);
    EXPECT_STREQ(binding_table[8].label, "Lever l'écu (guerrier)");
    EXPECT_STREQ(binding_table[25].option_key, "t_barre10");
    EXPECT_EQ(bindings[25], 0x0B);
    EXPECT_EQ(binding_bar_slot(12), 0);
    EXPECT_EQ(binding_bar_slot(21), 5);
    EXPECT_EQ(binding_bar_slot(25), 9);
    EXPECT_EQ(binding_bar_slot(18), -1);

    clear_input();
    hold(KEY_ARROW_UP, true);
    EXPECT_EQ(binding_forward_axis(), 1.0f);
    hold(bindings[BIND_BACK], true);
    EXPECT_EQ(binding_forward_axis(), 0.0f);  // both cancel
    hold(KEY_ARROW_LEFT, true);
    EXPECT_EQ(binding_strafe_axis(), -1.0f);

    // Pressed: down now and up before, or a key-down event this frame.
    clear_input();
    hold(0x39, true);
    EXPECT_TRUE(binding_pressed(BIND_JUMP));
    hold(0x39, true);
    EXPECT_FALSE(binding_pressed(BIND_JUMP));
    EXPECT_TRUE(binding_held(BIND_JUMP));

    // A damaged binding value never reads outside the key arrays.
    bindings[BIND_FORWARD] = 100000;
    bindings[BIND_BACK] = -5;
    EXPECT_FALSE(binding_held(BIND_FORWARD));
    EXPECT_FALSE(binding_pressed(BIND_BACK));
    bindings_reset();
}

TEST(PlayerMovement, NewCharacterStandsAtCamelot) {
    player_reset_new();
    Vec3 spawn = camelot_point(14.0f, -3.0f);
    EXPECT_FLOAT_EQ(player.pos_x, 554.0f);
    EXPECT_FLOAT_EQ(player.pos_z, 177.0f);
    EXPECT_FLOAT_EQ(player.pos_y, spawn.y);
    EXPECT_FLOAT_EQ(player.heading, PI / 2);
    EXPECT_FLOAT_EQ(player.camera_yaw, PI / 2);
    EXPECT_FLOAT_EQ(player.camera_pitch, 0.28f);
    EXPECT_FLOAT_EQ(player.camera_distance, 6.5f);
    EXPECT_EQ(player.on_ground, 1);
    EXPECT_FLOAT_EQ(player.camera_pos.y, spawn.y + 3.0f);
    EXPECT_FLOAT_EQ(player.camera_pos.z, spawn.z - 6.0f);
}

TEST(PlayerMovement, SpeedsEasingAndStopping) {
    // Running reaches 6.5 m/s; the body turns toward the move direction.
    fresh_player();
    player.camera_yaw = 0.0f;  // forward is +z
    hold(bindings[BIND_FORWARD], true);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_NEAR(player.ground_speed, 6.5f, 0.01f);
    EXPECT_NEAR(wrap_angle(player.heading), 0.0f, 0.01f);

    // Releasing stops completely within a fraction of a second.
    hold(bindings[BIND_FORWARD], false);
    int frames = 0;
    while (player.ground_speed > 0.0f && frames < 600) {
        frame();
        ++frames;
    }
    EXPECT_EQ(player.ground_speed, 0.0f);
    EXPECT_LT(frames * kDt, 0.75f);

    // Walking is 1.7; a warrior guarding walks at 2.2 even with walk held.
    fresh_player();
    hold(bindings[BIND_FORWARD], true);
    hold(bindings[BIND_WALK], true);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_NEAR(player.ground_speed, 1.7f, 0.01f);
    player.player_class = CLASS_WARRIOR;
    hold(bindings[BIND_GUARD], true);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_NEAR(player.ground_speed, 2.2f, 0.01f);
    EXPECT_NEAR(player.guard_blend, 1.0f, 0.01f);
    // Another class holding the same key does not guard.
    player.player_class = CLASS_ARCHER;
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_NEAR(player.ground_speed, 1.7f, 0.01f);
}

// The comfort choices: a press switches walking and the shield on and off
// (held keys are no longer needed), presses while paused switch nothing, a
// drag keeps looking around until the next click (which picks nothing), and
// the camera eases to the chosen field of view.
TEST(PlayerComfort, TogglesForWalkShieldAndLookAndTheFieldOfView) {
    auto tap = [](int key) {
        hold(key, true);
        frame();
        hold(key, false);
        frame();
    };
    fresh_player();
    comfort = {1, 1, 1, 80.0f};
    player_reset_new();  // takes the field of view and forgets old toggles
    player.pos_x = 200.0f;
    player.pos_z = 100.0f;
    player.pos_y = ground_height(200.0f, 100.0f);
    hold(bindings[BIND_FORWARD], true);
    tap(bindings[BIND_WALK]);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_NEAR(player.ground_speed, 1.7f, 0.01f);  // walking, Maj up
    tap(bindings[BIND_WALK]);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_NEAR(player.ground_speed, 6.5f, 0.01f);
    hold(bindings[BIND_FORWARD], false);

    player.player_class = CLASS_WARRIOR;
    tap(bindings[BIND_GUARD]);
    for (int i = 0; i < 60; ++i) frame();
    EXPECT_NEAR(player.guard_blend, 1.0f, 0.01f);  // shield up, X up
    game_flags.paused = 1;
    tap(bindings[BIND_GUARD]);  // goes to the pause menu, not to the shield
    game_flags.paused = 0;
    for (int i = 0; i < 60; ++i) frame();
    EXPECT_NEAR(player.guard_blend, 1.0f, 0.01f);
    tap(bindings[BIND_GUARD]);
    for (int i = 0; i < 60; ++i) frame();
    EXPECT_LT(player.guard_blend, 0.01f);

    // Look: press, drag, release: the camera still follows the mouse.
    plat_input.mouse_x = 600;
    plat_input.mouse_y = 300;
    plat_input.button_down[0] = 1;
    frame();
    plat_input.button_down_prev[0] = 1;
    plat_input.mouse_x = 640;
    frame();
    EXPECT_TRUE(plat_input.cursor_captured);
    plat_input.button_down[0] = 0;
    frame();
    plat_input.button_down_prev[0] = 0;
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_TRUE(plat_input.cursor_captured);
    float yaw = player.camera_yaw;
    plat_input.mouse_delta[0] = 200;
    frame();
    EXPECT_NE(player.camera_yaw, yaw);
    plat_input.button_down[0] = 1;  // the click that gives the cursor back
    frame();
    plat_input.button_down_prev[0] = 1;
    plat_input.button_down[0] = 0;
    frame();
    EXPECT_FALSE(plat_input.cursor_captured);
    EXPECT_EQ(player.target, nullptr);

    for (int i = 0; i < 120; ++i) frame();
    EXPECT_NEAR(player.camera_fov, 80.0f, 0.5f);
    comfort_defaults();
}

TEST(PlayerMovement, DiagonalMovesAsFastAsStraight) {
    fresh_player();
    player.camera_yaw = 0.3f;
    hold(bindings[BIND_FORWARD], true);
    Vec3 a = {player.pos_x, 0, player.pos_z};
    for (int i = 0; i < 180; ++i) frame();
    float straight = horizontal(a, {player.pos_x, 0, player.pos_z});

    fresh_player();
    player.camera_yaw = 0.3f;
    hold(bindings[BIND_FORWARD], true);
    hold(KEY_ARROW_RIGHT, true);
    Vec3 b = {player.pos_x, 0, player.pos_z};
    for (int i = 0; i < 180; ++i) frame();
    float diagonal = horizontal(b, {player.pos_x, 0, player.pos_z});
    EXPECT_NEAR(diagonal, straight, 0.02f);
    EXPECT_GT(straight, 15.0f);
    // The direction is 45 degrees off the camera's forward.
    float dir = std::atan2(player.pos_x - b.x, player.pos_z - b.z);
    EXPECT_NEAR(wrap_angle(dir - (0.3f - PI / 4)), 0.0f, 0.01f);
}

TEST(PlayerCollision, LargeStepsAreCutAndNeverPassObstacles) {
    EXPECT_EQ(substep_count(0.0f), 1);
    EXPECT_EQ(substep_count(0.149f), 1);
    EXPECT_EQ(substep_count(0.15f), 2);
    EXPECT_EQ(substep_count(5.0f), 34);

    // A tree straight ahead; one huge step must stop at its surface.
    fresh_player(300.0f, 60.0f);
    float gy = ground_height(300.0f, 63.0f);
    obstacle_add(300.0f, 63.0f, 0.4f, 8.0f, gy);
    move_with_collision(player, 0.0f, 8.0f);
    EXPECT_LT(player.pos_z, 63.0f);
    float d = std::hypot(player.pos_x - 300.0f, player.pos_z - 63.0f);
    EXPECT_GE(d, 0.4f + PLAYER_RADIUS - 1e-3f);

    // A thin wall of small posts across the way.
    fresh_player(320.0f, 60.0f);
    obstacle_wall(300.0f, 62.0f, 340.0f, 62.0f, 0.15f, 2.0f, ground_height(320.0f, 62.0f));
    for (int i = 0; i < 10; ++i) {
        move_with_collision(player, 0.0f, 3.0f);
        EXPECT_LT(player.pos_z, 61.6f);  // in front of the posts, between two at most
    }

    // Standing higher than an obstacle's top: no push.
    Vec3 on_top = {330.0f, 0.0f, 60.2f};
    obstacle_add(330.0f, 60.0f, 1.0f, 0.5f, -10.0f);
    on_top.y = ground_height(330.0f, 60.2f) + 0.1f;
    Vec3 r = resolve_step(on_top);
    EXPECT_FLOAT_EQ(r.x, on_top.x);
    EXPECT_FLOAT_EQ(r.z, on_top.z);
    // The same point at a height the obstacle reaches is pushed out.
    Vec3 low = {330.0f, -20.0f, 60.2f};
    r = resolve_step(low);
    EXPECT_NEAR(std::hypot(r.x - 330.0f, r.z - 60.0f), 1.0f + PLAYER_RADIUS, 1e-3f);
}

TEST(PlayerCollision, LandBoundsHoldThePlayerIn) {
    fresh_player(805.0f, 0.0f);
    player.camera_yaw = PI / 2;  // toward +x, the eastern edge
    hold(bindings[BIND_FORWARD], true);
    for (int i = 0; i < 120; ++i) frame();
    EXPECT_LE(player.pos_x, 810.0f);
}

TEST(PlayerJump, ArcLandsAndRepeatsWhileHeld) {
    fresh_player();
    float ground = player.pos_y;
    hold(bindings[BIND_JUMP], true);
    float top = ground;
    int air = 0;
    frame();
    EXPECT_EQ(player.on_ground, 0);
    while (!player.on_ground && air < 200) {
        top = std::fmax(top, player.pos_y);
        frame();
        ++air;
    }
    // v^2 / 2g = 1.28 m, about 0.68 s in the air.
    EXPECT_NEAR(top - ground, 7.5f * 7.5f / 44.0f, 0.08f);
    EXPECT_NEAR((air + 1) * kDt, 2.0f * 7.5f / 22.0f, 0.05f);
    EXPECT_FLOAT_EQ(player.pos_y, ground_height(player.pos_x, player.pos_z));
    frame();  // still held: jumps again on landing
    EXPECT_EQ(player.on_ground, 0);
    hold(bindings[BIND_JUMP], false);
    for (int i = 0; i < 100; ++i) frame();
    EXPECT_EQ(player.on_ground, 1);
}

TEST(PlayerCamera, PitchAndZoomLimits) {
    fresh_player();
    mouse_look(player, 0.0f, 1e6f, 1.0f, false);
    EXPECT_FLOAT_EQ(player.camera_pitch, 1.2f);
    mouse_look(player, 0.0f, -1e6f, 1.0f, false);
    EXPECT_FLOAT_EQ(player.camera_pitch, -0.45f);
    mouse_look(player, 0.0f, 1e6f, 1.0f, true);  // inverted
    EXPECT_FLOAT_EQ(player.camera_pitch, -0.45f);
    // Turning: k = 0.0025 per count, and 60 % of it while guarding.
    player.camera_pitch = 0.0f;
    float yaw = player.camera_yaw;
    mouse_look(player, 100.0f, 0.0f, 1.0f, false);
    EXPECT_NEAR(player.camera_yaw, yaw - 0.25f, 1e-5f);
    player.guard_blend = 0.8f;
    mouse_look(player, 100.0f, 0.0f, 1.0f, false);
    EXPECT_NEAR(player.camera_yaw, yaw - 0.25f - 0.15f, 1e-5f);

    wheel_zoom(player, 1000.0f);
    EXPECT_FLOAT_EQ(player.camera_distance, 3.0f);
    wheel_zoom(player, -1000.0f);
    EXPECT_FLOAT_EQ(player.camera_distance, 14.0f);
    wheel_zoom(player, 2.0f);
    EXPECT_FLOAT_EQ(player.camera_distance, 14.0f - 1.6f);

    // The mouse only turns the view while captured.
    fresh_player();
    plat_input.mouse_delta[1] = 5000.0f;
    plat_input.cursor_captured = 0;
    player_update(kDt);
    EXPECT_FLOAT_EQ(player.camera_pitch, 0.28f);
}

TEST(PlayerCamera, FollowsAndIsPushedInByBigObstacles) {
    fresh_player(400.0f, 100.0f);
    player.camera_yaw = 0.0f;
    player.camera_pitch = 0.0f;
    player.camera_distance = 8.0f;
    for (int i = 0; i < 120; ++i) camera_place(player, kDt, false);
    Vec3 look = {player.pos_x, player.pos_y + 1.7f, player.pos_z};
    EXPECT_NEAR(length(player.camera_pos - look), 8.0f, 0.05f);
    EXPECT_LT(player.camera_pos.z, player.pos_z);  // behind, since forward is +z
    EXPECT_NEAR(player.camera_fov, 60.0f, 0.01f);

    // A big trunk 4 m behind: the camera jumps in front of it at once.
    obstacle_add(400.0f, 96.0f, 1.5f, 12.0f, ground_height(400.0f, 96.0f) - 1.0f);
    camera_place(player, kDt, false);
    float dist = length(player.camera_pos - look);
    EXPECT_LT(dist, 4.0f - 1.5f);
    EXPECT_GE(dist, 0.4f - 1e-4f);
    // A thin post does not hide the player, so it does not pull the camera in.
    fresh_player(420.0f, 100.0f);
    player.camera_yaw = 0.0f;
    player.camera_pitch = 0.0f;
    obstacle_add(420.0f, 96.0f, 0.3f, 12.0f, ground_height(420.0f, 96.0f));
    Vec3 head = {420.0f, player.pos_y + 1.7f, 100.0f};
    EXPECT_FLOAT_EQ(camera_view_free(head, head - camera_forward_of(0.0f, 0.0f) * 6.5f, false), 1.0f);
}

TEST(PlayerCamera, PresentationLooksAtTheFront) {
    fresh_player();
    player.heading = 0.0f;  // facing +z
    Vec3 eye, look;
    float fov;
    camera_presentation(player, false, false, &eye, &look, &fov);
    EXPECT_NEAR(eye.z - player.pos_z, 3.9f, 1e-4f);
    EXPECT_NEAR(look.y - player.pos_y, 1.12f, 1e-4f);
    EXPECT_NEAR(look.x - player.pos_x, -1.0f, 1e-4f);
    EXPECT_NEAR(eye.y - look.y, 0.25f, 1e-4f);
    EXPECT_FLOAT_EQ(fov, 40.0f);
    camera_presentation(player, true, true, &eye, &look, &fov);
    EXPECT_NEAR(look.y - player.pos_y, 1.84f * 0.96f, 1e-4f);
    EXPECT_FLOAT_EQ(fov, 30.0f);

    // While the creation screen shows, keys do not move the character.
    fresh_player();
    game_flags.character_creation_open = 1;
    hold(bindings[BIND_FORWARD], true);
    Vec3 before = {player.pos_x, player.pos_y, player.pos_z};
    for (int i = 0; i < 30; ++i) frame();
    game_flags.character_creation_open = 0;
    EXPECT_FLOAT_EQ(player.pos_x, before.x);
    EXPECT_FLOAT_EQ(player.pos_z, before.z);
}

TEST(PlayerStride, PhaseAndWrap) {
    fresh_player();
    player.ground_speed = 0.0f;
    float p0 = player.stride_phase;
    advance_stride(player, 1.0f);
    // Standing still the phase idles at 0.5 rad/s.
    EXPECT_NEAR(player.stride_phase - p0, 0.5f, 1e-4f);
    player.stride_phase = 1000.0f * 2.0f * PI - 0.01f;
    player.ground_speed = 6.5f;
    advance_stride(player, 0.05f);
    EXPECT_LT(player.stride_phase, 1.0f);
    EXPECT_GE(player.stride_phase, 0.0f);
    EXPECT_NEAR(wrap_angle(PI), -PI, 1e-5f);
    EXPECT_NEAR(wrap_angle(3.0f * PI + 0.5f), -PI + 0.5f, 1e-4f);
}

// One wrap for every heading and bearing: always in [-pi, pi), and a broken
// number (a NaN from a bad packet, an infinity) becomes 0 instead of spreading.
TEST(PlayerMove, AnglesWrapIntoOneTurn) {
    for (float a : {-1e7f, -50.0f, -PI, -0.25f, 0.0f, 0.25f, PI - 1e-6f, PI, 7.0f, 1e7f}) {
        float w = wrap_angle(a);
        EXPECT_GE(w, -PI) << a;
        EXPECT_LT(w, PI) << a;
        if (std::fabs(a) > 100.0f) continue;  // far out, float's 2 pi is off by a little per turn
        EXPECT_NEAR(std::cos(w), std::cos(a), 1e-4f) << a;
        EXPECT_NEAR(std::sin(w), std::sin(a), 1e-4f) << a;
    }
    EXPECT_EQ(wrap_angle(std::nanf("")), 0.0f);
    EXPECT_EQ(wrap_angle(INFINITY), 0.0f);
    EXPECT_EQ(wrap_angle(-INFINITY), 0.0f);
    // By whole turns (the bearings of targets and creatures): in range comes
    // back as it was; an infinite bearing ends at 0 instead of turning forever.
    EXPECT_EQ(wrap_angle_turns(0.3f), 0.3f);
    EXPECT_EQ(wrap_angle_turns(-PI), -PI);
    EXPECT_NEAR(wrap_angle_turns(0.3f + 4.0f * PI), 0.3f, 1e-5f);
    EXPECT_EQ(wrap_angle_turns(INFINITY), 0.0f);
    EXPECT_EQ(wrap_angle_turns(-1e30f), 0.0f);
    EXPECT_EQ(wrap_angle_turns(std::nanf("")), 0.0f);
}

TEST(PlayerDeath, LaidDownThenBackAtCamelotOrTheVestibule) {
    fresh_player(300.0f, 50.0f);
    player.dead = 1;
    player.health = 0.0f;
    player.max_health = 140.0f;
    player.heading = 1.0f;
    hold(bindings[BIND_FORWARD], true);  // keys do nothing while dead
    hold(bindings[BIND_JUMP], true);
    float ground = ground_height(300.0f, 50.0f);
    int frames = 0;
    while (player.dead && frames < 1000) {
        // An attack pressed while lying there is dropped, not kept for later.
        if (frames == 100) plat_input.key_pressed[bindings[BIND_ATTACK]] = 1;
        frame();
        ++frames;
        EXPECT_EQ(player.attack_requested, 0);
        if (frames == 150) {  // 2.5 s: lying on the ground where he fell
            EXPECT_NEAR(player.body_pitch, -PI / 2, 1e-3f);
            EXPECT_NEAR(player.pos_y, ground + 0.15f, 1e-3f);
            EXPECT_FLOAT_EQ(player.pos_x, 300.0f);
            EXPECT_FLOAT_EQ(player.pos_z, 50.0f);
            EXPECT_EQ(player.health, 0.0f);
        }
    }
    EXPECT_NEAR(frames * kDt, 3.5f, 2 * kDt);
    Vec3 spawn = camelot_point(14.0f, -3.0f);
    EXPECT_FLOAT_EQ(player.pos_x, spawn.x);
    EXPECT_FLOAT_EQ(player.pos_z, spawn.z);
    EXPECT_FLOAT_EQ(player.pos_y, spawn.y);
    EXPECT_FLOAT_EQ(player.health, 140.0f);
    EXPECT_EQ(player.body_pitch, 0.0f);
    EXPECT_EQ(player.on_ground, 1);
    EXPECT_FLOAT_EQ(player.heading, PI / 2);
    EXPECT_FLOAT_EQ(player.camera_yaw, PI / 2);
    EXPECT_FLOAT_EQ(player.camera_pitch, 0.2f);
    EXPECT_STREQ(shown_message(), "Vous revenez à vous à Camelot.");
    // The camera starts from 3 m behind, 2.2 m up, and only eases from there.
    EXPECT_NEAR(player.camera_pos.x, spawn.x - 3.0f, 1.5f);
    EXPECT_LT(player.camera_pos.y - spawn.y, 3.5f);
    // Alive again: the held keys move him.
    frame();
    EXPECT_GT(player.pos_x, spawn.x);

    // Fallen in the catacombs: back in the vestibule, facing 0.
    fresh_player();
    clear_input();
    player.pos_x = 1040.0f;
    player.pos_z = 40.0f;
    player.pos_y = 0.0f;
    player.dead = 1;
    for (int i = 0; i < 220; ++i) frame();
    EXPECT_EQ(player.dead, 0);
    EXPECT_FLOAT_EQ(player.pos_x, 1048.0f);
    EXPECT_FLOAT_EQ(player.pos_y, 0.0f);
    EXPECT_FLOAT_EQ(player.pos_z, 5.6f);
    EXPECT_FLOAT_EQ(player.heading, 0.0f);
    EXPECT_FLOAT_EQ(player.camera_yaw, 0.0f);
}

namespace {
// A bare rig with the joints the pose writes (no meshes needed).
struct BareFigure {
    Model m{};
    HumanRig r{};
    BareFigure() {
        int root = model_add_node(&m, -1, {0, 0, 0});
        r.hips = model_add_node(&m, root, {0, 0.95f, 0});
        r.hip_height = 0.95f;
        r.torso = model_add_node(&m, r.hips, {0, 0.02f, 0});
        r.head = model_add_node(&m, r.torso, {0, 0.64f, 0});
        for (int s = 0; s < 2; ++s) {
            r.leg[s] = model_add_node(&m, r.hips, {s ? -0.1f : 0.1f, 0, 0});
            r.knee[s] = model_add_node(&m, r.leg[s], {0, -0.44f, 0});
            r.arm[s] = model_add_node(&m, r.torso, {s ? -0.2f : 0.2f, 0.48f, 0});
            r.forearm[s] = model_add_node(&m, r.arm[s], {0, -0.3f, 0});
            r.hand[s] = model_add_node(&m, r.forearm[s], {0, -0.29f, 0});
        }
    }
    ~BareFigure() { model_free(&m); }
    float pitch(int node) const { return m.nodes[node].rotation.x; }
};
}  // namespace

TEST(PlayerPose, StrideSwingsLegsAndArmsAndActionsDriveTheWeaponArm) {
    BareFigure f;
    HumanPose p{};
    p.on_ground = 1;
    p.draw_blend = 1.0f;
    p.player_class = CLASS_WARRIOR;
    // Standing: legs straight whatever the phase.
    p.stride_phase = 1.3f;
    for (int i = 0; i < 60; ++i) human_pose_apply(&f.m, f.r, p, kDt);
    EXPECT_NEAR(f.pitch(f.r.leg[0]), 0.0f, 1e-5f);
    EXPECT_NEAR(f.pitch(f.r.leg[1]), 0.0f, 1e-5f);

    // Walking at a quarter of the cycle: the legs part, each arm swings
    // against the leg on its side, and no knee bends the wrong way.
    p.walk_blend = 1.0f;
    p.stride_phase = PI / 2;
    for (int i = 0; i < 60; ++i) human_pose_apply(&f.m, f.r, p, kDt);
    float l0 = f.pitch(f.r.leg[0]), l1 = f.pitch(f.r.leg[1]);
    EXPECT_GT(std::fabs(l0), 0.3f);
    EXPECT_NEAR(l0, -l1, 1e-5f);
    EXPECT_LT(f.pitch(f.r.arm[0]) * l0, 0.0f);
    EXPECT_LT(f.pitch(f.r.arm[1]) * l1, 0.0f);
    EXPECT_GE(f.pitch(f.r.knee[0]), 0.0f);
    EXPECT_GE(f.pitch(f.r.knee[1]), 0.0f);
    // Half a cycle later the sides have traded places.
    p.stride_phase = 3 * PI / 2;
    for (int i = 0; i < 60; ++i) human_pose_apply(&f.m, f.r, p, kDt);
    EXPECT_NEAR(f.pitch(f.r.leg[0]), l1, 1e-5f);

    // A sword blow raises the weapon arm high before it comes down.
    p.walk_blend = 0.0f;
    p.swing_progress = 0.4f;
    for (int i = 0; i < 30; ++i) human_pose_apply(&f.m, f.r, p, kDt);
    EXPECT_LT(f.pitch(f.r.arm[1]), -1.5f);
    p.swing_progress = 0.98f;
    for (int i = 0; i < 30; ++i) human_pose_apply(&f.m, f.r, p, kDt);
    EXPECT_GT(f.pitch(f.r.arm[1]), 0.0f);
    // The raised shield brings the off arm up across the body.
    p.swing_progress = 0.0f;
    p.guard_blend = 1.0f;
    for (int i = 0; i < 60; ++i) human_pose_apply(&f.m, f.r, p, kDt);
    EXPECT_LT(f.pitch(f.r.arm[0]), -1.0f);
    // An archer at full draw holds both arms up toward the aim.
    p.player_class = CLASS_ARCHER;
    for (int i = 0; i < 60; ++i) human_pose_apply(&f.m, f.r, p, kDt);
    EXPECT_LT(f.pitch(f.r.arm[0]), -1.2f);
    EXPECT_LT(f.pitch(f.r.arm[1]), -1.2f);
}
