// Choosing and keeping the player's target, picking a creature under the
// cursor, and the creatures the player's body bumps into.
#include "play/targeting.h"

#include <cmath>

#include "common/game_events.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/creatures.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "sound/sound.h"
#include "world/catacombs.h"

namespace {

float horizontal(const Creature* c) {
    float dx = c->pos.x - player.pos_x, dz = c->pos.z - player.pos_z;
    return std::sqrt(dx * dx + dz * dz);
}

// Cycling leftward (the pad's left bumper) is cycling rightward in a mirror.
float bearing_sign = 1.0f;

// Off the camera's forward direction, positive to the right.
float bearing_of(const Creature* c) {
    float dx = c->pos.x - player.pos_x, dz = c->pos.z - player.pos_z;
    return bearing_sign * wrap_angle_turns(std::atan2(dx, dz) - player.camera_yaw);
}

bool candidate(const Creature* c) {
    if (!target_is_valid(c)) return false;
    float d = horizontal(c);
    if (d > 45.0f) return false;
    if (d > 3.0f && std::fabs(bearing_of(c)) > 1.25f) return false;
    if (c->world == WORLD_CATACOMBS &&
        !catacomb_line_clear(player_feet() + Vec3{0, 1.2f, 0}, c->pos + Vec3{0, 1.0f, 0}))
        return false;
    return true;
}

}  // namespace

bool target_is_valid(const Creature* c) {
    if (!c || !c->in_use || c->ai_state == CS_DEAD || c->companion) return false;
    if (c->world != player_world()) return false;
    return horizontal(c) < 80.0f;
}

Creature* select_target(bool cycle) {
    Creature* current = player.target;
    bool current_is_candidate = cycle && current && candidate(current);
    if (current_is_candidate) {
        float cb = bearing_of(current);
        float cd = horizontal(current);
        Creature* next = nullptr;
        float next_b = 1e9f, next_d = 1e9f;
        int count = 0;
        for (Creature& c : creatures) {
            if (!candidate(&c)) continue;
            ++count;
            if (&c == current) continue;
            float b = bearing_of(&c), d = horizontal(&c);
            // A creature on the same bearing comes next when it is farther.
            bool after = b > cb + 0.01f || (std::fabs(b - cb) <= 0.01f && d > cd);
            if (!after) continue;
            if (b < next_b || (b == next_b && d < next_d)) {
                next = &c;
                next_b = b;
                next_d = d;
            }
        }
        if (count == 1) return current;
        if (next) return next;
        // Wrap round to the leftmost other candidate.
        Creature* first = nullptr;
        float first_b = 1e9f;
        for (Creature& c : creatures) {
            if (&c == current || !candidate(&c)) continue;
            float b = bearing_of(&c);
            if (b < first_b) {
                first = &c;
                first_b = b;
            }
        }
        return first ? first : current;
    }
    Creature* best = nullptr;
    float best_score = 1e30f;
    for (Creature& c : creatures) {
        if (!candidate(&c)) continue;
        float score = (1.5f * std::fabs(bearing_of(&c)) + 1.0f) * horizontal(&c);
        if (score < best_score) {
            best_score = score;
            best = &c;
        }
    }
    return best;
}

Creature* ensure_target(float range) {
    if (!target_is_valid(player.target)) {
        Creature* c = select_target(false);
        if (!c) return nullptr;
        player.target = c;
        player.target_hold = 1000000.0f;
    }
    if (horizontal(player.target) > range) {
        result_message("Cible hors de portée.", 1.0f);
        return nullptr;
    }
    return player.target;
}

bool ensure_target_for_attack(float range) {
    if (!target_is_valid(player.target)) {
        Creature* c = select_target(false);
        // No creature at all: the blow goes straight ahead.
        if (!c) return true;
        player.target = c;
        player.target_hold = 1000000.0f;
    }
    Creature* t = ensure_target(range);
    if (!t) return false;
    player.heading = std::atan2(t->pos.x - player.pos_x, t->pos.z - player.pos_z);
    player.aim_time = 1.2f;
    return true;
}

Creature* pick_creature_along_ray(Vec3 origin, Vec3 dir, float* along) {
    float best = 200.0f;
    Creature* hit = nullptr;
    for (Creature& c : creatures) {
        if (!target_is_valid(&c)) continue;
        float s = c.body_scale;
        Vec3 base = c.pos + Vec3{0, 0.15f * s, 0};
        Vec3 aim = creature_aim_point(&c);
        Vec3 off = aim - base;
        float reach = std::fmax(0.45f, 0.42f * length(off) + 0.15f * s);
        for (int i = 0; i < 7; ++i) {
            Vec3 p = base + off * (2.0f * (float)i / 6.0f);
            float t = dot(p - origin, dir);
            if (t < 0.0f || t > best) continue;
            Vec3 closest = origin + dir * t;
            if (length(p - closest) < reach + 0.006f * t) {
                best = t;
                hit = &c;
            }
        }
    }
    if (along) *along = best;
    return hit;
}

Creature* pick_creature_at_cursor() {
    Vec3 origin;
    Vec3 dir = screen_ray((float)plat_input.mouse_x, (float)plat_input.mouse_y, &origin);
    return pick_creature_along_ray(origin, dir, nullptr);
}

void player_target_key() {
    if (game_flags.title_overlay) return;
    bool back = pad_play_pressed(PAD_LB);
    if (!back && !binding_pressed(BIND_TARGET)) return;
    bearing_sign = back ? -1.0f : 1.0f;
    Creature* c = select_target(true);
    bearing_sign = 1.0f;
    if (c) {
        player.target = c;
        player.target_hold = 1000000.0f;
        snd_play(SFX_CLICK, 0.4f);
    } else {
        result_message("Aucune créature devant vous.", 1.0f);
    }
}

void player_target_upkeep(float dt) {
    if (!player.target) return;
    if (!target_is_valid(player.target) && player.target_hold > 1.2f) player.target_hold = 1.2f;
    player.target_hold -= dt;
    if (player.target_hold <= 0.0f) {
        player.target = nullptr;
        player.target_hold = 0.0f;
    }
}

bool player_target_valid() { return target_is_valid(player.target); }

Vec3 player_target_position() {
    if (player.target) return player.target->pos;
    return player_feet();
}

bool player_click_target(bool clear_on_miss) {
    Creature* c = pick_creature_at_cursor();
    if (c) {
        player.target = c;
        player.target_hold = 1000000.0f;
        return true;
    }
    if (clear_on_miss) {
        player.target = nullptr;
        player.target_hold = 0.0f;
    }
    return false;
}

int player_collect_creature_points(bool catacombs, float* xs, float* zs, int capacity) {
    int n = 0;
    int world = catacombs ? 1 : 0;
    for (const Creature& c : creatures) {
        if (n >= capacity) break;
        if (!c.in_use || c.ai_state == CS_DEAD || c.world != world) continue;
        xs[n] = c.pos.x;
        zs[n] = c.pos.z;
        ++n;
    }
    return n;
}
