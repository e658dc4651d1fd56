#include "play/camera.h"
#include "sound/sound.h"

#include <cmath>

#include "play/player.h"
#include "play/player_move.h"
#include "render/renderer.h"
#include "world/terrain.h"
#include "world/catacombs.h"

Vec3 camera_forward_of(float yaw, float pitch) {
    float cp = std::cos(pitch);
    return {cp * std::sin(yaw), -std::sin(pitch), cp * std::cos(yaw)};
}

float camera_surface_clearance(Vec3 look, Vec3 f, float pitch, float d) {
    const Obstacle* list = obstacle_list();
    float sp = std::sin(pitch);
    for (float t = 0.3f; t <= d + 1e-4f; t += 0.2f) {
        float sx = look.x - t * f.x, sz = look.z - t * f.z;
        float sy = look.y + t * sp;
        int count = 0;
        const int32_t* idx = obstacle_query(sx, sz, &count);
        for (int i = 0; i < count; ++i) {
            const Obstacle& o = list[idx[i]];
            // Only trunks and buildings big enough to hide the player.
            if (o.radius < 1.1f || o.height < 5.0f) continue;
            if (!(o.base_y + o.height > sy)) continue;
            float dx = sx - o.x, dz = sz - o.z;
            if (std::sqrt(dx * dx + dz * dz) < o.radius + 0.25f) {
                float s = t - 0.25f;
                return s > 0.4f ? s : 0.4f;
            }
        }
    }
    return d;
}

float camera_catacomb_clearance(Vec3 look, Vec3 f, float d) {
    for (float t = 0.1f; t <= d + 1e-4f; t += 0.1f) {
        Vec3 s = look - f * t;
        if (s.y > 4.25f) s.y = 4.25f;
        if (catacomb_solid(s) || catacomb_solid({s.x + 0.22f, s.y, s.z}) ||
            catacomb_solid({s.x - 0.22f, s.y, s.z}) ||
            catacomb_solid({s.x, s.y, s.z + 0.22f}) ||
            catacomb_solid({s.x, s.y, s.z - 0.22f})) {
            float c = t - 0.15f;
            return c > 0.3f ? c : 0.3f;
        }
    }
    return d;
}

void camera_place(Player& p, float dt, bool catacombs) {
    Vec3 look = {p.pos_x, p.pos_y + PLAYER_EYE_HEIGHT, p.pos_z};
    Vec3 f = camera_forward_of(p.camera_yaw, p.camera_pitch);
    float d = p.camera_distance;
    Vec3 desired = look - f * d;
    float floor_y = ground_height(desired.x, desired.z) + 0.4f;
    if (!catacombs && desired.y < floor_y) desired.y = floor_y;

    if (!catacombs) {
        p.camera_pos = lerp(p.camera_pos, desired, ease_step(14.0f, dt));
        float c = camera_surface_clearance(look, f, p.camera_pitch, d);
        if (c < d - 0.05f && length(p.camera_pos - look) > c + 0.05f) {
            Vec3 q = look - f * c;
            float g = ground_height(q.x, q.z) + 0.4f;
            if (q.y < g) q.y = g;
            p.camera_pos = q;
        }
    } else {
        float c = camera_catacomb_clearance(look, f, d);
        Vec3 q = look - f * c;
        if (c < 2.6f) q.y += (2.6f - c) * 0.45f;
        q.y = clampf(q.y, 0.3f, 4.25f);
        p.camera_pos = lerp(p.camera_pos, q, ease_step(14.0f, dt));
        // Never let the smoothing drag the eye through a wall.
        if (c < d - 0.05f && length(p.camera_pos - look) > c + 0.05f) p.camera_pos = q;
        p.camera_pos.y = clampf(p.camera_pos.y, 0.3f, 4.25f);
    }
    p.camera_fov += (60.0f - p.camera_fov) * ease_step(8.0f, dt);
    p.camera_forward = f;
    p.camera_target = look;
}

void camera_presentation(const Player& p, bool woman, bool portrait, Vec3* eye, Vec3* look,
                         float* fov) {
    float h = (portrait ? 1.84f : 1.12f) * (woman ? 0.96f : 1.0f);
    float side = portrait ? 0.24f : 1.0f;
    float ahead = portrait ? 1.25f : 3.9f;
    float rise = portrait ? 0.03f : 0.25f;
    float sh = std::sin(p.heading), ch = std::cos(p.heading);
    Vec3 l = {p.pos_x - ch * side, p.pos_y + h, p.pos_z + sh * side};
    *look = l;
    *eye = {p.pos_x + sh * ahead, l.y + rise, p.pos_z + ch * ahead};
    *fov = portrait ? 30.0f : 40.0f;
}

static bool presentation_view_clear(Vec3 look, Vec3 eye, bool catacombs) {
    Vec3 d = eye - look;
    float len = length(d);
    if (catacombs) return camera_catacomb_clearance(look, d * (-1.0f / len), len) >= len - 0.01f;
    const Obstacle* list = obstacle_list();
    for (float t = 0.6f; t <= len + 0.5f; t += 0.25f) {
        Vec3 s = look + d * (t / len);
        if (s.y < ground_height(s.x, s.z) + 0.3f) return false;
        int count = 0;
        const int32_t* idx = obstacle_query(s.x, s.z, &count);
        for (int i = 0; i < count; ++i) {
            const Obstacle& o = list[idx[i]];
            if (s.y < o.base_y - 0.3f || s.y > o.base_y + o.height + 0.3f) continue;
            // Rocks and walls are drawn wider than the circles that stop walkers.
            float reach = o.radius * 1.3f + 0.4f;
            float dx = s.x - o.x, dz = s.z - o.z;
            if (dx * dx + dz * dz < reach * reach) return false;
        }
    }
    return true;
}

float presentation_heading(const Player& p, bool woman, float preferred) {
    bool catacombs = in_catacombs(p.pos_x);
    Player q = p;
    for (int k = 0; k < 16; ++k) {
        float step = (float)((k + 1) / 2) * (3.14159265f / 8.0f);
        q.heading = preferred + (k % 2 ? step : -step);
        Vec3 eye, look;
        float fov;
        camera_presentation(q, woman, false, &eye, &look, &fov);
        if (presentation_view_clear(look, eye, catacombs)) return q.heading;
    }
    return preferred;
}

void camera_update(float dt) {
    camera_place(player, dt, in_catacombs(player.pos_x));
    camera_publish(player.camera_pos, player.camera_target, player.camera_fov);
}

void camera_publish(Vec3 eye, Vec3 look, float fov) {
    render_camera.eye = eye;
    render_camera.target = look;
    render_camera.fov_degrees = fov;
    snd_set_listener_view(eye, look);
}
