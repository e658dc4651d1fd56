// The player's frame: keys and mouse into walking, running, jumping and
// turning; collision; the camera; the pose of the player's figure.
#include "play/player.h"

#include <cmath>
#include <cstring>

#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/camera.h"
#include "play/combat.h"
#include "play/comfort.h"
#include "play/items.h"
#include "play/player_move.h"
#include "play/player_pose.h"
#include "play/skills.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui_focus.h"
#include "sound/sound.h"
#include "world/human.h"
#include "render/mesh.h"
#include "world/model.h"
#include "world/terrain.h"
#include "play/play_calls.h"
#include "play/player_input.h"
#include "play/targeting.h"

Player player;
float presentation_turn = 0.0f;
AppearanceChoice player_look = {0, 1, 0, 1, 0, 0};
Model* player_model = nullptr;

static Model model_storage;
static HumanRig rig;
static Appearance appearance;
static AppearanceChoice built_look;
static bool model_built;
static MeshCollection model_meshes;
static Material* class_cloth[3];

void player_reset_new() {
    std::memset(&player, 0, sizeof(player));
    Vec3 spawn = camelot_point(14.0f, -3.0f);
    player.pos_x = spawn.x;
    player.pos_y = spawn.y;
    player.pos_z = spawn.z;
    player.heading = PI * 0.5f;
    player.on_ground = 1;
    player.camera_yaw = PI * 0.5f;
    player.camera_pitch = 0.28f;
    player.camera_distance = 6.5f;
    player.camera_fov = comfort.field_of_view;
    comfort_release();
    player.camera_pos = {spawn.x, spawn.y + 3.0f, spawn.z - 6.0f};
    player.camera_forward = camera_forward_of(player.camera_yaw, player.camera_pitch);
    player.camera_target = {spawn.x, spawn.y + PLAYER_EYE_HEIGHT, spawn.z};
    player.level = 1;
    player.max_health = 100.0f;
    player.health = 100.0f;
    player.weapon_factor = 1.0f;
    player.draw_blend = 1.0f;
    player.charge_target = -1;
    player.max_mana = 100.0f;
    player.mana = 100.0f;
    player.swing_multiplier = 1.0f;
}

// ---- Click tracking and mouse capture --------------------------------------------

static bool tracking[2];
static bool dragging[2];
static bool swallowed[2];  // the press that ended a latched look: no click
static int press_x[2], press_y[2];

RightClick player_mouse_clicks(bool allow_clicks) {
    RightClick right{};
    for (int b = 0; b < 2; ++b) {
        // Button 0 is left, 1 is right (the platform's order).
        bool down = plat_input.button_down[b] != 0;
        bool pressed = plat_input.button_pressed[b] != 0 ||
                       (down && plat_input.button_down_prev[b] == 0);
        if (pressed && comfort_look_latched()) {
            comfort_set_look_latched(false);
            swallowed[b] = true;
        }
        if (swallowed[b]) {
            swallowed[b] = down;
            continue;
        }
        if (pressed && !tracking[b]) {
            tracking[b] = allow_clicks;
            dragging[b] = false;
            press_x[b] = plat_input.mouse_x;
            press_y[b] = plat_input.mouse_y;
        }
        if (tracking[b] && down) {
            if (std::abs(plat_input.mouse_x - press_x[b]) > 3 ||
                std::abs(plat_input.mouse_y - press_y[b]) > 3)
                dragging[b] = true;
        }
        if (tracking[b] && !down) {
            tracking[b] = false;
            // Toggle mode: the look a drag began goes on until the next click.
            if (dragging[b] && comfort.look_toggle && !game_flags.paused) comfort_set_look_latched(true);
            if (!dragging[b] && allow_clicks) {
                RightClick c = player_click(b, plat_input.mouse_x, plat_input.mouse_y);
                if (c.wanted) right = c;
            }
            dragging[b] = false;
        }
    }
    return right;
}

static void player_update_capture() {
    // While captured the cursor does not move, so a drag that began stays one
    // until its button is released.
    // A window wants the cursor back.
    if (game_flags.paused || player_window_blocks_clicks()) comfort_set_look_latched(false);
    bool want = (dragging[0] && plat_input.button_down[0]) ||
                (dragging[1] && plat_input.button_down[1]) || comfort_look_latched();
    if (game_flags.paused) want = false;
    if (want != (plat_input.cursor_captured != 0)) plat_set_cursor_captured(want);
}

// ---- The frame -----------------------------------------------------------------------

static void footsteps() {
    float sn = std::sin(player.stride_phase);
    if (player.on_ground && player.ground_speed > 0.8f &&
        ((sn >= 0.0f) != (player.last_stride_sine >= 0.0f))) {
        int effect = in_catacombs(player.pos_x) ? SFX_STONE_STEP : SFX_FOOTSTEP;
        snd_play_at(effect, {player.pos_x, player.pos_y, player.pos_z},
                    0.35f + 0.08f * player.ground_speed);
    }
    player.last_stride_sine = sn;
}

static HumanPose pose_record() {
    HumanPose p{};
    p.stride_phase = player.stride_phase;
    p.walk_blend = player.walk_blend;
    p.run_blend = player.run_blend;
    p.vertical_speed = player.vertical_speed;
    p.on_ground = player.on_ground;
    p.guard_blend = player.guard_blend;
    p.draw_blend = player.draw_blend;
    p.swing_progress = player.swing_progress;
    p.combo_index = player.combo_index;
    p.whirlwind_progress = player.whirlwind_progress;
    p.charge_time = player.charge_time;
    p.player_class = player.player_class;
    return p;
}

static void pose_player(float dt) {
    if (player_model) human_pose_apply(player_model, rig, pose_record(), dt);
}

static void presentation(float dt) {
    player.ground_speed += (0.0f - player.ground_speed) * ease_step(10.0f, dt);
    advance_stride(player, dt);
    Vec3 eye, look;
    float fov;
    camera_presentation(player, player_look.woman != 0, play_calls.presentation_portrait(), &eye,
                        &look, &fov);
    player.camera_pos = eye;
    player.camera_target = look;
    player.camera_fov = fov;
    player.camera_forward = normalize(look - eye);
    camera_publish(eye, look, fov);
    pose_player(dt);
}

void player_keys_input() {
    player_action_bar_keys();
    player_target_key();
}

void player_mouse_keys() {
    player_update_capture();
    if (binding_pressed(BIND_ATTACK)) player.attack_requested = 1;
    if (binding_pressed(BIND_INTERACT)) player.interact_requested = 1;
}

static float sane_step(float dt) { return dt >= 0.0f ? dt : 0.0f; }

bool player_act(float dt) {
    dt = sane_step(dt);
    if (game_flags.character_creation_open || game_flags.character_select_open) {
        presentation(dt);
        return false;
    }
    presentation_turn = 0.0f;
    player_target_upkeep(dt);

    if (player_death_step(dt)) {
        comfort_release();
        // A key pressed while lying there is not kept for the return to life.
        player.attack_requested = 0;
        player.interact_requested = 0;
        player_arrows_update(dt);
        player_traps_update(dt);
        pose_player(dt);
        camera_update(dt);
        return false;
    }
    player_health_regen(dt);

    // Mouse look and zoom.
    if (plat_input.cursor_captured && !game_flags.paused)
        mouse_look(player, plat_input.mouse_delta[0], plat_input.mouse_delta[1],
                   play_calls.mouse_sensitivity(), play_calls.mouse_inverted());
    if (!ui_focus_has_pad() && plat_input.pad.connected && !game_flags.paused) {
        float rx, ry;
        pad_stick(plat_input.pad.axes[PAD_RX], plat_input.pad.axes[PAD_RY], pad_tuning.dead_zone, &rx, &ry);
        if (rx != 0.0f || ry != 0.0f)
            pad_look(player, rx, ry, dt, pad_tuning.sensitivity, pad_tuning.invert_y != 0);
    }
    // With a window open the wheel is the window's (the big map zooms, the
    // lists scroll), not the camera's.
    if (plat_input.wheel != 0.0f && !player_window_blocks_clicks()) wheel_zoom(player, plat_input.wheel);

    // Movement.
    float forward = game_flags.paused ? 0.0f : binding_forward_axis();
    float strafe = game_flags.paused ? 0.0f : binding_strafe_axis();
    float amount = 0.0f;
    Vec2 dir = move_direction(player.camera_yaw, forward, strafe, &amount);
    bool guarding = comfort_guarding(player.player_class == CLASS_WARRIOR && !game_flags.paused);
    bool aiming = player.player_class != CLASS_WARRIOR && player.aim_time > 0.0f;
    float gt = (guarding || aiming) ? 1.0f : 0.0f;
    player.guard_blend += (gt - player.guard_blend) * ease_step(10.0f, dt);
    float target_speed = target_ground_speed(guarding, comfort_walking(!game_flags.paused), amount);
    player.ground_speed = ease_ground_speed(player.ground_speed, target_speed, dt);

    float step_x = 0.0f, step_z = 0.0f;
    if (amount > 0.01f) {
        step_x = dir.x * player.ground_speed * dt;
        step_z = dir.y * player.ground_speed * dt;
        if (player.aim_time <= 0.0f && !guarding) {
            float want = std::atan2(dir.x, dir.y);
            player.heading += wrap_angle(want - player.heading) * ease_step(12.0f, dt);
        }
    }
    // Facing overrides: the target while aiming, the target or the camera
    // while guarding.
    bool target_ok = player_target_valid();
    Vec3 tp = player_target_position();
    float tdx = tp.x - player.pos_x, tdz = tp.z - player.pos_z;
    bool target_near = target_ok && tdx * tdx + tdz * tdz < 80.0f * 80.0f;
    if (player.aim_time > 0.0f && target_near) {
        player.heading += wrap_angle(std::atan2(tdx, tdz) - player.heading) * ease_step(18.0f, dt);
    } else if (guarding) {
        float want = target_near ? std::atan2(tdx, tdz) : player.camera_yaw;
        player.heading += wrap_angle(want - player.heading) * ease_step(18.0f, dt);
    }
    player.heading = wrap_angle(player.heading);
    if (player.aim_time > 0.0f) player.aim_time = std::fmax(0.0f, player.aim_time - dt);

    if (player.swing_progress > 0.0f || player.whirlwind_progress > 0.0f) {
        step_x *= 0.4f;
        step_z *= 0.4f;
    }
    player_charge_step(dt, &step_x, &step_z);
    move_with_collision(player, step_x, step_z);

    jump_and_gravity(player, !game_flags.paused && binding_held(BIND_JUMP), dt,
                     ground_height(player.pos_x, player.pos_z));

    // The class's basic attack.
    player.attack_cooldown -= dt;
    if (player.attack_cooldown < 0.0f) player.attack_cooldown = 0.0f;
    player_attack_step(dt);
    player.draw_blend = std::fmin(1.0f, player.draw_blend + 2.5f * dt);
    player.attack_requested = 0;
    return true;
}

void player_settle(float dt) {
    dt = sane_step(dt);
    // Whether or not a prompt took it, the interaction request was this frame's.
    player.interact_requested = 0;
    advance_stride(player, dt);
    pose_player(dt);
    player_arrows_update(dt);
    player_traps_update(dt);
    camera_update(dt);
    player_hud_update(dt);
    footsteps();
}

void player_update(float dt) {
    if (player_act(dt)) player_settle(dt);
}

// ---- The player's figure -------------------------------------------------------------

static bool same_look(const AppearanceChoice& a, const AppearanceChoice& b) {
    return a.woman == b.woman && a.skin == b.skin && a.eyes == b.eyes && a.hair == b.hair &&
           a.style == b.style && a.beard == b.beard;
}

void player_model_rebuild() {
    if (model_built) {
        model_free(&model_storage);
        mesh_release_all(&model_meshes);
    }
    appearance = appearance_from_choice(player_look);
    MeshCollection* previous = mesh_collection;
    mesh_collection = &model_meshes;
    int root = model_add_node(&model_storage, -1, {0, 0, 0});
    human_build(&model_storage, root, &appearance, &rig);
    figure_arm(&model_storage, &rig);
    mesh_collection = previous;
    built_look = player_look;
    model_built = true;
    player_model = &model_storage;
    // Built in the frame it is first drawn: dressed and armed before that.
    player_figure_dress();
}

const HumanRig& player_rig() { return rig; }

Mat4 player_root_matrix() {
    Mat4 r = mat4_translate({player.pos_x, player.pos_y, player.pos_z}) *
             mat4_rotate_y(player.heading + presentation_turn);
    if (player.body_pitch != 0.0f) {
        // Laid down about the feet, the head ending along the back.
        r = r * mat4_rotate_x(player.body_pitch);
    }
    return r;
}

static Material* cloth_for_class(int cls) {
    if (cls < 0 || cls > 2) cls = 0;
    if (!class_cloth[cls]) {
        static const Vec3 colours[3] = {
            {0.30f, 0.45f, 0.22f},  // archer: forest green
            {0.55f, 0.14f, 0.12f},  // warrior: madder red
            {0.62f, 0.56f, 0.42f},  // druid: undyed wool
        };
        class_cloth[cls] = material_copy(*human_clothing_material());
        class_cloth[cls]->colour = colours[cls];
    }
    return class_cloth[cls];
}

Material* player_class_cloth(int cls) { return cloth_for_class(cls); }

void player_submit() {
    if (!model_built || !same_look(built_look, player_look)) player_model_rebuild();
    model_evaluate(player_model, player_root_matrix());
    model_draw(player_model, human_clothing_material(), cloth_for_class(player.player_class));
    combat_submit();
}
