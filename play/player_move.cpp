#include "play/player_move.h"

#include <cmath>

#include "play/creatures.h"
#include "play/play_calls.h"
#include "play/player.h"
#include "play/targeting.h"
#include "world/catacombs.h"
#include "world/terrain.h"

Vec2 move_direction(float yaw, float forward, float strafe, float* amount) {
    float s = std::sin(yaw), c = std::cos(yaw);
    Vec2 m = {s * forward - c * strafe, c * forward + s * strafe};
    float len = std::sqrt(m.x * m.x + m.y * m.y);
    if (amount) *amount = len < 1.0f ? len : 1.0f;
    if (len > 1e-6f) m = m * (1.0f / len);
    else m = {0.0f, 0.0f};
    return m;
}

float target_ground_speed(bool guarding, bool walk_held, float amount) {
    float base = guarding ? GUARD_SPEED : (walk_held ? WALK_SPEED : RUN_SPEED);
    return base * amount;
}

float ease_ground_speed(float speed, float target, float dt) {
    float rate = target > speed ? 6.5f : 9.0f;
    float f = rate * dt;
    if (f > 1.0f) f = 1.0f;
    speed += (target - speed) * f;
    if (target < 0.01f && speed < 0.05f) speed = 0.0f;
    return speed;
}

int substep_count(float step_length) {
    if (!(step_length > 0.0f)) return 1;
    // A wild step (a stalled frame, a charge) is still cut into 0.15 m
    // pieces; the cap only guards against a non-finite length.
    if (step_length > 1000.0f) step_length = 1000.0f;
    return (int)std::floor(step_length / SUBSTEP_LENGTH) + 1;
}

void mouse_look(Player& p, float dx, float dy, float sensitivity, bool invert_y) {
    float k = sensitivity * 0.0025f;
    if (p.guard_blend > 0.5f) k *= 0.6f;
    p.camera_yaw -= k * dx;
    p.camera_pitch += k * dy * (invert_y ? -1.0f : 1.0f);
    p.camera_pitch = clampf(p.camera_pitch, PITCH_MIN, PITCH_MAX);
    if (!std::isfinite(p.camera_pitch)) p.camera_pitch = 0.28f;
    if (!std::isfinite(p.camera_yaw)) p.camera_yaw = p.heading;
    // Keep the yaw small so long sessions do not lose float precision.
    p.camera_yaw = wrap_angle(p.camera_yaw);
}

void pad_look(Player& p, float x, float y, float dt, float sensitivity, bool invert_y) {
    // A full push turns 2.6 rad/s sideways and 1.6 rad/s up or down at
    // sensitivity 1; the shield's slowdown is the mouse's.
    const float per_second = 2.6f / 0.0025f;
    mouse_look(p, x * per_second * dt, y * per_second * (1.6f / 2.6f) * dt, sensitivity, invert_y);
}

void wheel_zoom(Player& p, float wheel) {
    p.camera_distance = clampf(p.camera_distance - 0.8f * wheel, ZOOM_MIN, ZOOM_MAX);
    if (!std::isfinite(p.camera_distance)) p.camera_distance = 6.5f;
}

void jump_and_gravity(Player& p, bool jump_held, float dt, float ground) {
    if (jump_held && p.on_ground) {
        p.on_ground = 0;
        p.vertical_speed = JUMP_SPEED;
    }
    p.vertical_speed -= GRAVITY * dt;
    p.pos_y += p.vertical_speed * dt;
    if (p.pos_y <= ground) {
        p.pos_y = ground;
        p.vertical_speed = 0.0f;
        p.on_ground = 1;
    }
}

void advance_stride(Player& p, float dt) {
    float speed = p.ground_speed;
    float walk_target = speed / 1.1f;
    if (walk_target > 1.0f) walk_target = 1.0f;
    float run_target = (speed - 2.3f) / 2.2f;
    run_target = clampf(run_target, 0.0f, 1.0f);
    float fw = 8.0f * dt, fr = 5.0f * dt;
    p.walk_blend += (walk_target - p.walk_blend) * (fw < 1.0f ? fw : 1.0f);
    p.run_blend += (run_target - p.run_blend) * (fr < 1.0f ? fr : 1.0f);
    float L = lerpf(1.05f + 0.2f * speed, 1.6f + 0.215f * speed, p.run_blend);
    float s = p.on_ground ? 1.0f : 0.35f;
    p.stride_phase += 2.0f * PI * dt * speed / L * s + 0.5f * dt * (1.0f - p.walk_blend);
    const float wrap = 1000.0f * 2.0f * PI;
    if (p.stride_phase >= wrap) p.stride_phase -= wrap;
}

Vec3 resolve_step(Vec3 q) {
    // Creatures: a soft push of at most 0.15 m per sub-step.
    float cx[CREATURE_CAPACITY], cz[CREATURE_CAPACITY];
    int n = player_collect_creature_points(in_catacombs(q.x), cx, cz, CREATURE_CAPACITY);
    for (int i = 0; i < n; ++i) {
        float dx = q.x - cx[i], dz = q.z - cz[i];
        float d = std::sqrt(dx * dx + dz * dz);
        if (d > 0.0001f && d < 0.95f) {
            float push = 0.95f - d;
            if (push > 0.15f) push = 0.15f;
            q.x += dx / d * push;
            q.z += dz / d * push;
        }
    }
    if (!in_catacombs(q.x)) {
        // People at their posts do not give way.
        float fx[16], fz[16];
        int figures = play_calls.standing_figure_points(fx, fz, 16);
        for (int i = 0; i < figures; ++i) {
            float dx = q.x - fx[i], dz = q.z - fz[i];
            float d2 = dx * dx + dz * dz;
            const float reach = 0.35f + PLAYER_RADIUS;
            if (d2 > 1e-8f && d2 < reach * reach) {
                float d = std::sqrt(d2);
                q.x = fx[i] + dx / d * reach;
                q.z = fz[i] + dz / d * reach;
            }
        }
        int count = 0;
        const int32_t* idx = obstacle_query(q.x, q.z, &count);
        const Obstacle* list = obstacle_list();
        for (int i = 0; i < count; ++i) {
            const Obstacle& o = list[idx[i]];
            float r = o.radius + PLAYER_RADIUS;
            float dx = q.x - o.x, dz = q.z - o.z;
            if (std::fabs(dx) >= r || std::fabs(dz) >= r) continue;
            if (!(o.base_y + o.height > q.y)) continue;  // standing on top of it
            float d = std::sqrt(dx * dx + dz * dz);
            if (d > 0.0001f && d < r) {
                q.x = o.x + dx / d * r;
                q.z = o.z + dz / d * r;
            }
        }
        q = resolve_surface_bounds(q, 0.0f);
    } else {
        q = catacomb_resolve(q, PLAYER_RADIUS);
    }
    return q;
}

void move_with_collision(Player& p, float step_x, float step_z) {
    float len = std::sqrt(step_x * step_x + step_z * step_z);
    if (!std::isfinite(len)) return;
    int n = substep_count(len);
    Vec3 start = {p.pos_x, p.pos_y, p.pos_z};
    Vec3 q = start;
    float sx = step_x / (float)n, sz = step_z / (float)n;
    for (int i = 0; i < n; ++i) {
        q.x += sx;
        q.z += sz;
        q = resolve_step(q);
    }
    if (in_catacombs(q.x)) {
        float lx = q.x - 1000.0f;
        bool inside = lx >= 1.0f && lx <= 95.0f && q.z >= 1.0f && q.z <= 95.0f;
        if (!inside || !catacomb_line_clear(start, q) ||
            catacomb_solid({q.x, q.y + 1.0f, q.z}))
            return;
    }
    p.pos_x = q.x;
    p.pos_z = q.z;
}
