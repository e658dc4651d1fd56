#pragma once
// The movement maths of the player, kept free of input and rendering so the
// rules can be checked on their own.
#include "common/mathx.h"
#include "world/terrain.h"

struct Player;

constexpr float RUN_SPEED = 6.5f;
constexpr float WALK_SPEED = 1.7f;
constexpr float GUARD_SPEED = 2.2f;
constexpr float JUMP_SPEED = 7.5f;
constexpr float GRAVITY = 22.0f;
constexpr float SUBSTEP_LENGTH = 0.15f;
constexpr float PITCH_MIN = -0.45f, PITCH_MAX = 1.2f;
constexpr float ZOOM_MIN = 3.0f, ZOOM_MAX = 14.0f;

// World move direction for the camera yaw and the two axes; *amount = min(1, length).
Vec2 move_direction(float yaw, float forward, float strafe, float* amount);

// Speed asked for by the keys, before easing.
float target_ground_speed(bool guarding, bool walk_held, float amount);

// One frame of easing toward the target speed (faster when slowing down,
// snapping to rest below 0.05).
float ease_ground_speed(float speed, float target, float dt);

// Number of equal sub-steps for a horizontal step of this length.
int substep_count(float step_length);

// Mouse look and wheel zoom with their limits.
void mouse_look(Player& p, float dx, float dy, float sensitivity, bool invert_y);
void wheel_zoom(Player& p, float wheel);
// The right stick (after its dead zone, -1..1) turning the camera over dt.
void pad_look(Player& p, float x, float y, float dt, float sensitivity, bool invert_y);

// Jump (when asked and standing) and gravity against the ground height.
void jump_and_gravity(Player& p, bool jump_held, float dt, float ground);

// Stride phase and the walk/run blends of the pose.
void advance_stride(Player& p, float dt);

// A proposed feet position pushed out of creatures, obstacles, the land
// bounds or the dungeon walls.
Vec3 resolve_step(Vec3 point);

// Moves the player by a horizontal step in sub-steps through resolve_step,
// with the dungeon checks beyond x = 950 (all or nothing there).
void move_with_collision(Player& p, float step_x, float step_z);
