// The archer's arrows (a ring of 40: the last ones shot stay where they
// landed), the small specks of sparks, leaves and ice, and what fighting puts
// into the frame.
#include <cmath>
#include <cstring>

#include "play/combat.h"
#include "common/game_events.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/practice_scoring.h"
#include "play/skills.h"
#include "play/targeting.h"
#include "render/renderer.h"
#include "sound/sound.h"
#include "render/mesh.h"
#include "world/terrain.h"
#include "world/catacombs.h"
#include "world/human.h"
#include "world/model.h"
#include "world/weapons.h"

PlayerArrow player_arrows[PLAYER_ARROW_CAPACITY];

namespace {

int next_arrow = 0;

constexpr float kArrowSpeed = 48.0f;
constexpr float kPiercingSpeed = 67.2f;
constexpr float kArrowGravity = 5.9f;
constexpr float kArrowLife = 6.0f;

Vec4 rgba(float r, float g, float b) { return {r, g, b, 1.0f}; }

// A stuck arrow keeps its place in the frame the creature is drawn in, so
// that it staggers, falls and lies with the body.
void stick_in(PlayerArrow& a, Creature* c) {
    a.stuck = 1;
    if (c) {
        a.stuck_slot = creature_index(c);
        a.stuck_serial = c->serial;
        Mat4 into = mat4_inverse(creature_root_matrix(c));
        a.stuck_offset = mat4_mul_point(into, a.pos);
        a.stuck_dir = mat4_mul_dir(into, a.dir);
    } else {
        a.stuck_slot = -1;
    }
}

void stop_in_world(PlayerArrow& a) {
    stick_in(a, nullptr);
    snd_play_at(SFX_ARROW_TICK, a.pos, 0.4f);
}

bool hits_obstacle(Vec3 p) {
    int n = 0;
    const int32_t* idx = obstacle_query(p.x, p.z, &n);
    const Obstacle* list = obstacle_list();
    for (int i = 0; i < n; ++i) {
        const Obstacle& o = list[idx[i]];
        float dx = p.x - o.x, dz = p.z - o.z;
        if (dx * dx + dz * dz < o.radius * o.radius && p.y >= o.base_y && p.y <= o.base_y + o.height) return true;
    }
    return false;
}

float arrow_damage(const PlayerArrow& a) { return player_ranged_base() * (a.multiplier > 0.0f ? a.multiplier : 1.0f); }

void arrow_effects(const PlayerArrow& a, Creature* c) {
    if (!creature_alive(c)) return;
    float h = 1.9f * std::fmax(c->body_scale, 1.0f);
    if (a.kind == ARROW_FIRE) {
        const SkillNumbers& n = class_skill(CLASS_ARCHER, SK_FIRE_ARROW).numbers;
        add_damage_over_time(c, n.duration, n.per_second * player_ranged_base(), DOT_FIRE);
        result_float_text(c->pos + Vec3{0, h, 0}, "En flammes !", rgba(1.0f, 0.55f, 0.15f), 1.0f, 0.5f, 0.24f);
    } else if (a.kind == ARROW_ICE) {
        c->stun_time = std::fmax(c->stun_time, class_skill(CLASS_ARCHER, SK_FROST_ARROW).numbers.duration);
        result_float_text(c->pos + Vec3{0, h, 0}, "Gelé !", rgba(0.6f, 0.85f, 1.0f), 1.0f, 0.5f, 0.26f);
        particles_burst(creature_aim_point(c), 14, {0.7f, 0.9f, 1.0f}, 2.5f, 1.0f, 0.8f);
    }
}

bool pierced_before(const PlayerArrow& a, const Creature& c) {
    int slot = creature_index(&c);
    for (int i = 0; i < a.pierced_count; ++i)
        if (a.pierced[i] == slot && a.pierced_serial[i] == c.serial) return true;
    return false;
}

// Tests the tip against every creature; true when the arrow stopped.
bool arrow_against_creatures(PlayerArrow& a) {
    int world = player_world();
    for (Creature& c : creatures) {
        if (!c.in_use || c.world != world || c.companion || c.ai_state == CS_DEAD) continue;
        float dx = c.pos.x - a.pos.x, dz = c.pos.z - a.pos.z;
        float r = 3.0f * c.body_scale;
        if (dx * dx + dz * dz > r * r) continue;
        int part = hit_part(&c, a.pos);
        if (part == 0) continue;
        if (a.kind == ARROW_PIERCING) {
            if (pierced_before(a, c)) continue;
            if (a.pierced_count < PIERCE_MEMORY) {
                hit_creature(&c, arrow_damage(a), a.pos, part, a.dir);
                a.pierced[a.pierced_count] = creature_index(&c);
                a.pierced_serial[a.pierced_count] = c.serial;
                a.pierced_count += 1;
                continue;
            }
            // Its memory is full: rather than strike the same creatures again
            // on every step, the arrow stops in the next one it meets.
            hit_creature(&c, arrow_damage(a), a.pos, part, a.dir);
            stick_in(a, &c);
            return true;
        }
        float d = arrow_damage(a) * (part == HIT_HEAD ? 2.0f : 1.0f);
        hit_creature(&c, d, a.pos, part, a.dir);
        arrow_effects(a, &c);
        stick_in(a, &c);
        return true;
    }
    return false;
}

bool arrow_against_targets(PlayerArrow& a) {
    if (!practice_target_scored(a.pos)) return false;
    stick_in(a, nullptr);
    return true;
}

void arrow_step(PlayerArrow& a, float h) {
    Creature* t = nullptr;
    if (a.homing_slot >= 0 && a.homing_slot < CREATURE_CAPACITY) {
        t = &creatures[a.homing_slot];
        if (!creature_alive(t) || t->serial != a.homing_serial) {
            t = nullptr;
            a.homing_slot = -1;
        }
    }
    if (t) {
        Vec3 aim = creature_aim_point(t);
        Vec3 to = aim - a.pos;
        float dist = length(to);
        float travel = kArrowSpeed * h;
        a.dir = dist > 1e-5f ? to * (1.0f / dist) : a.dir;
        a.vel = a.dir * kArrowSpeed;
        if (dist <= travel + 0.35f) {
            a.pos = aim;
            int part = hit_part(t, a.pos);
            float d = arrow_damage(a) * (part == HIT_HEAD ? 2.0f : 1.0f);
            hit_creature(t, d, a.pos, part == HIT_HEAD ? HIT_HEAD : HIT_BODY, a.dir);
            arrow_effects(a, t);
            stick_in(a, t);
            return;
        }
        a.pos += a.vel * h;
    } else {
        if (a.kind != ARROW_PIERCING) a.vel.y -= kArrowGravity * h;
        a.pos += a.vel * h;
        a.dir = normalize(a.vel);
        if (a.kind != ARROW_FALLING && arrow_against_creatures(a)) return;
    }
    bool below = in_catacombs(a.pos.x);
    if (!below && arrow_against_targets(a)) return;
    if (below) {
        if (catacomb_solid(a.pos)) stop_in_world(a);
    } else if (a.pos.y <= ground_height(a.pos.x, a.pos.z)) {
        a.pos.y = ground_height(a.pos.x, a.pos.z);
        stop_in_world(a);
    } else if (hits_obstacle(a.pos)) {
        stop_in_world(a);
    }
}

}  // namespace

Vec3 player_bow_hand() {
    float fx = std::sin(player.heading), fz = std::cos(player.heading);
    return player_feet() + Vec3{fx * 0.45f - fz * 0.12f, 1.38f, fz * 0.45f + fx * 0.12f};
}

Vec3 player_staff_tip() {
    const HumanRig& r = player_rig();
    if (player_model && r.armed && r.held < player_model->node_count && player_model->nodes[r.held].mesh) {
        // The figure as it stands now (it is otherwise evaluated only when drawn).
        model_evaluate(player_model, player_root_matrix());
        return mat4_mul_point(player_model->nodes[r.held].world_matrix, STAFF_HEAD);
    }
    float fx = std::sin(player.heading), fz = std::cos(player.heading);
    return player_feet() + Vec3{fx * 0.5f + fz * 0.25f, 1.75f, fz * 0.5f - fx * 0.25f};
}

PlayerArrow* spawn_arrow(Vec3 pos, Vec3 vel, int kind) {
    PlayerArrow& a = player_arrows[next_arrow];
    next_arrow = (next_arrow + 1) % PLAYER_ARROW_CAPACITY;
    std::memset(&a, 0, sizeof(a));
    a.active = 1;
    a.pos = pos;
    a.vel = vel;
    a.dir = normalize(vel);
    a.multiplier = 1.0f;
    a.kind = kind;
    a.homing_slot = -1;
    a.stuck_slot = -1;
    return &a;
}

PlayerArrow* launch_arrow(float offset, float multiplier, int kind, bool counts) {
    Vec3 hand = player_bow_hand();
    Creature* t = player.target;
    bool at_target = false;
    Vec3 aim;
    if (target_is_valid(t) && std::hypot(t->pos.x - player.pos_x, t->pos.z - player.pos_z) <= 80.0f) {
        aim = creature_aim_point(t);
        at_target = true;
    } else {
        aim = player_feet() + Vec3{std::sin(player.heading) * 30.0f, 1.4f, std::cos(player.heading) * 30.0f};
    }
    Vec3 dir = normalize(aim - hand);
    if (offset != 0.0f) {
        float c = std::cos(offset), s = std::sin(offset);
        dir = {dir.x * c + dir.z * s, dir.y, -dir.x * s + dir.z * c};
    }
    float speed = kind == ARROW_PIERCING ? kPiercingSpeed : kArrowSpeed;
    PlayerArrow* a = spawn_arrow(hand, dir * speed, kind);
    a->multiplier = multiplier;
    if (kind == ARROW_PLAIN && offset == 0.0f && at_target) {
        a->homing_slot = creature_index(t);
        a->homing_serial = t->serial;
    }
    if (counts) player.attacks_made += 1;
    return a;
}

void arrows_update(float dt) {
    for (PlayerArrow& a : player_arrows) {
        if (!a.active) continue;
        if (a.stuck) {
            if (a.stuck_slot >= 0) {
                const Creature& c = creatures[a.stuck_slot];
                if (c.in_use && c.serial == a.stuck_serial) {
                    Mat4 root = creature_root_matrix(&c);
                    a.pos = mat4_mul_point(root, a.stuck_offset);
                    a.dir = normalize(mat4_mul_dir(root, a.stuck_dir));
                } else {
                    // The body is gone (skinned, or its time up): its arrows
                    // go with it rather than hang where it lay.
                    a.active = 0;
                }
            }
            continue;
        }
        a.age += dt;
        if (a.age > kArrowLife) {
            stick_in(a, nullptr);
            continue;
        }
        float h = dt * 0.25f;
        for (int i = 0; i < 4 && !a.stuck; ++i) arrow_step(a, h);
    }
}

// ---- Specks ---------------------------------------------------------------------------------

namespace {

constexpr int kParticles = 384;
struct Speck {
    uint8_t active;
    Vec3 pos, vel, colour;
    float age, life;
};
Speck specks[kParticles];
int next_speck = 0;
// The specks' spread has its own generator so criticals stay where they are.
Rng speck_rng = {0x5EEDu};

}  // namespace

void particles_burst(Vec3 at, int count, Vec3 colour, float speed, float up, float life) {
    for (int i = 0; i < count; ++i) {
        Speck& s = specks[next_speck];
        next_speck = (next_speck + 1) % kParticles;
        float a = rng_float(speck_rng) * 2.0f * PI;
        float r = rng_float(speck_rng) * speed;
        s.active = 1;
        s.pos = at;
        s.vel = {std::cos(a) * r, up * (0.4f + rng_float(speck_rng)), std::sin(a) * r};
        s.colour = colour;
        s.age = 0.0f;
        s.life = life * (0.7f + 0.6f * rng_float(speck_rng));
    }
}

void particles_update(float dt) {
    for (Speck& s : specks) {
        if (!s.active) continue;
        s.age += dt;
        if (s.age >= s.life) {
            s.active = 0;
            continue;
        }
        s.vel.y -= 1.5f * dt;
        s.pos += s.vel * dt;
    }
}

void particles_clear() { std::memset(specks, 0, sizeof(specks)); }

// ---- Drawing -----------------------------------------------------------------------------------

namespace {

GpuMesh* shaft_mesh = nullptr;
GpuMesh* head_mesh = nullptr;
GpuMesh* speck_mesh = nullptr;
Material* wood = nullptr;
Material* iron = nullptr;
Material* glow = nullptr;

void ensure_meshes() {
    if (shaft_mesh) return;
    MeshBuilder a = shape_frustum(0.011f, 0.011f, 0.72f, 5, true);
    shaft_mesh = mesh_upload(&a);
    MeshBuilder h = shape_frustum(0.0f, 0.03f, 0.09f, 4, true);
    head_mesh = mesh_upload(&h);
    MeshBuilder s = shape_ellipsoid(0.05f, 0.05f, 0.05f, 4);
    speck_mesh = mesh_upload(&s);
    Material m;
    material_init(&m, {0.55f, 0.42f, 0.26f});
    wood = material_copy(m);
    material_init(&m, {0.6f, 0.6f, 0.62f});
    iron = material_copy(m);
    material_init(&m, {1.0f, 1.0f, 1.0f});
    m.emission = {1.4f, 1.4f, 1.4f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    glow = material_copy(m);
}

// The meshes stand centred along y; lay one along the flight, its centre
// `back` metres behind the tip.
Mat4 along(Vec3 tip, Vec3 dir, float back) {
    Vec3 d = normalize(dir);
    float yaw = std::atan2(d.x, d.z);
    float pitch = std::asin(clampf(d.y, -1.0f, 1.0f));
    return mat4_translate(tip - d * back) * mat4_rotate_y(yaw) * mat4_rotate_x(PI * 0.5f - pitch);
}

}  // namespace

void combat_submit() {
    ensure_meshes();
    Vec3 eye = render_camera.eye;
    static const Vec3 kind_tint[5] = {{1, 1, 1}, {1.6f, 0.7f, 0.3f}, {0.7f, 1.0f, 1.6f}, {0.9f, 0.9f, 1.1f}, {1, 1, 1}};
    for (const PlayerArrow& a : player_arrows) {
        if (!a.active) continue;
        float dx = a.pos.x - eye.x, dz = a.pos.z - eye.z;
        if (dx * dx + dz * dz > 150.0f * 150.0f) continue;
        Vec3 tint = kind_tint[a.kind >= 0 && a.kind < 5 ? a.kind : 0];
        render_add(shaft_mesh, wood, along(a.pos, a.dir, 0.42f), {1, 1, 1});
        render_add(head_mesh, iron, along(a.pos, a.dir, 0.045f), tint);
    }
    for (const Speck& s : specks) {
        if (!s.active) continue;
        float k = 1.0f - s.age / s.life;
        render_add(speck_mesh, glow, mat4_translate(s.pos) * mat4_scale({k, k, k}), s.colour);
    }
    skills_submit(speck_mesh, glow);
}
