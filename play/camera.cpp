#include "play/camera.h"
#include "sound/sound.h"

#include <cmath>
#include <utility>

#include "play/comfort.h"
#include "play/player.h"
#include "play/player_move.h"
#include "render/renderer.h"
#include "world/terrain.h"
#include "world/catacombs.h"
#include "world/solids.h"

Vec3 camera_forward_of(float yaw, float pitch) {
    float cp = std::cos(pitch);
    return {cp * std::sin(yaw), -std::sin(pitch), cp * std::cos(yaw)};
}

namespace {

// The eye keeps this far from stone, timber and cloth, so that the near
// plane (0.1 m ahead at 60 degrees) never cuts into a wall.
constexpr float EYE_CLEARANCE = 0.2f;
// Obstacle columns big enough to hide the player, and the eye's distance from them.
constexpr float HIDING_RADIUS = 1.1f, HIDING_HEIGHT = 5.0f, COLUMN_CLEARANCE = 0.25f;
// The nearest the camera comes: just behind the figure's shoulders.
constexpr float SHOULDER_DISTANCE = 1.0f;
// A wall pulls the camera in at once; once it is gone the camera backs out
// with this rate (about half a second), not in one jump.
constexpr float EASE_OUT_RATE = 2.0f;
constexpr float FOLLOW_RATE = 14.0f;
// Under the catacombs' vault.
constexpr float VAULT_LOW = 0.3f, VAULT_HIGH = 4.25f;

// The eye kept above the ground outside, under the vault below.
Vec3 bounded(Vec3 eye, bool catacombs) {
    if (catacombs) {
        eye.y = clampf(eye.y, VAULT_LOW, VAULT_HIGH);
    } else {
        float floor_y = ground_height(eye.x, eye.z) + 0.4f;
        if (eye.y < floor_y) eye.y = floor_y;
    }
    return eye;
}

bool sees(Vec3 look, Vec3 eye, bool catacombs) { return camera_view_free(look, eye, catacombs) >= 0.999f; }

// Where the walls leave less room than the shoulders' distance behind the
// player: of the views from that distance, turned further round and from
// higher up or lower down, the nearest to the asked one that sees the head
// (the straight one when none does). Only a tight spot pays for the search.
Vec3 shoulder_view(Vec3 look, float yaw, float pitch, bool catacombs) {
    static const float turns[] = {0.0f, 0.35f, -0.35f, 0.7f, -0.7f, 1.05f, -1.05f, 1.4f, -1.4f, 1.75f, -1.75f,
                                  2.1f, -2.1f, 2.45f, -2.45f, 2.8f, -2.8f, PI};
    static const float pitches[] = {-0.4f, -0.2f, 0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.2f, 1.45f};
    constexpr int NT = sizeof turns / sizeof turns[0], NP = sizeof pitches / sizeof pitches[0] + 1;
    struct View {
        float cost, yaw, pitch;
    };
    View views[NT * NP];
    int n = 0;
    for (float t : turns)
        for (int k = 0; k < NP; ++k) {
            float p = k == 0 ? pitch : pitches[k - 1];
            if (t == 0.0f && k == 0) continue;  // the straight view is the one that failed
            views[n++] = {std::fabs(t) + std::fabs(p - pitch), yaw + t, p};
        }
    // Cheapest first (insertion sort: the order of equal costs stays the table's).
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && views[j].cost < views[j - 1].cost; --j) std::swap(views[j], views[j - 1]);
    for (int i = 0; i < n; ++i) {
        Vec3 eye = bounded(look - camera_forward_of(views[i].yaw, views[i].pitch) * SHOULDER_DISTANCE, catacombs);
        if (sees(look, eye, catacombs)) return eye;
    }
    return bounded(look - camera_forward_of(yaw, pitch) * SHOULDER_DISTANCE, catacombs);
}

// The dungeon walls as the presentation view samples them.
bool presentation_catacomb_clear(Vec3 look, Vec3 f, float d) {
    for (float t = 0.1f; t <= d + 1e-4f; t += 0.1f) {
        Vec3 s = look - f * t;
        if (s.y > 4.25f) s.y = 4.25f;
        if (catacomb_solid(s) || catacomb_solid({s.x + 0.22f, s.y, s.z}) ||
            catacomb_solid({s.x - 0.22f, s.y, s.z}) ||
            catacomb_solid({s.x, s.y, s.z + 0.22f}) ||
            catacomb_solid({s.x, s.y, s.z - 0.22f}))
            return false;
    }
    return true;
}

}  // namespace

float camera_view_free(Vec3 look, Vec3 eye, bool catacombs) {
    if (catacombs) return catacomb_segment_hit(look, eye, EYE_CLEARANCE);
    float t = std::fmin(solids_segment_hit(look, eye, EYE_CLEARANCE),
                        obstacles_segment_hit(look, eye, COLUMN_CLEARANCE, HIDING_RADIUS, HIDING_HEIGHT));
    // A trunk or a post does not hide the player, but the eye stays out of it.
    for (int i = 0; i < 3; ++i) {
        float enter, leave;
        if (!obstacles_around(look, eye, t, EYE_CLEARANCE, &enter, &leave)) break;
        t = std::fmax(enter - 0.002f, 0.0f);
    }
    return t;
}

void camera_place(Player& p, float dt, bool catacombs) {
    Vec3 look = {p.pos_x, p.pos_y + PLAYER_EYE_HEIGHT, p.pos_z};
    Vec3 f = camera_forward_of(p.camera_yaw, p.camera_pitch);
    Vec3 wanted = bounded(look - f * p.camera_distance, catacombs);
    Vec3 dir = wanted - look;
    float len = length(dir);
    if (len < 1e-3f) {
        dir = f * -1.0f;
        len = 1e-3f;
    } else {
        dir = dir * (1.0f / len);
    }
    // Where something is in the way, the eye stops a hair before its margin.
    float free_t = camera_view_free(look, wanted, catacombs);
    float free_d = free_t >= 1.0f ? len : std::fmax(free_t * len - 0.02f, 0.0f);

    float reach = p.camera_reach;
    if (!(reach > 0.0f) || free_d < reach) {
        reach = free_d;
    } else {
        reach += (free_d - reach) * ease_step(EASE_OUT_RATE, dt);
        // Backing out, the eye passes a trunk or a post in one step rather than through it.
        for (int i = 0; i < 3 && !catacombs; ++i) {
            float enter, leave;
            if (!obstacles_around(look, wanted, reach / len, EYE_CLEARANCE, &enter, &leave)) break;
            reach = leave * len + 0.01f <= free_d ? leave * len + 0.01f : std::fmax(enter * len - 0.01f, 0.0f);
        }
    }
    p.camera_reach = std::fmax(reach, 1e-3f);

    Vec3 eye;
    if (reach >= SHOULDER_DISTANCE) {
        eye = bounded(look + dir * reach, catacombs);
        if (catacombs && reach < 2.6f) {
            // Close in a corridor: rise to look over the head.
            Vec3 raised = bounded({eye.x, eye.y + (2.6f - reach) * 0.45f, eye.z}, true);
            if (sees(look, raised, true)) eye = raised;
        }
    } else {
        eye = shoulder_view(look, p.camera_yaw, p.camera_pitch, catacombs);
    }
    p.camera_pos = lerp(p.camera_pos, eye, ease_step(FOLLOW_RATE, dt));
    // The smoothing never drags the eye through a wall or into the figure.
    if (length(p.camera_pos - look) < SHOULDER_DISTANCE - 0.01f || !sees(look, p.camera_pos, catacombs))
        p.camera_pos = eye;
    if (catacombs) p.camera_pos.y = clampf(p.camera_pos.y, VAULT_LOW, VAULT_HIGH);
    p.camera_fov += (comfort.field_of_view - p.camera_fov) * ease_step(8.0f, dt);
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
    if (catacombs) return presentation_catacomb_clear(look, d * (-1.0f / len), len);
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
