// The townsfolk of Camelot: artisans at their workshops, guards at the gates,
// stall keepers at the market, walkers on their rounds, a few idlers. Each
// frame they walk, pause at the ends of their routes, turn their heads
// toward a passing player and gesture; the smith hammers at his anvil.
#include "play/villagers.h"

#include <cmath>

#include "common/game_time.h"
#include "play/player.h"
#include "play/player_pose.h"
#include "render/renderer.h"
#include "sound/sound.h"
#include "world/camelot.h"
#include "world/human.h"
#include "render/mesh.h"
#include "world/model.h"
#include "world/terrain.h"

namespace {

constexpr Vec3 GUARD_TUNIC = {0.62f, 0.1f, 0.08f};

}  // namespace

const VillagerDef villager_defs[VILLAGER_COUNT] = {
    {"Maître Bertrand", "Forgeron", VB_ARTISAN, 5, 0, 0, 0, 0, 0, 1, 0, 2, {0.3f, 0.26f, 0.22f}},
    {"Maître Ogier", "Maître du cuir", VB_ARTISAN, 4, 0, 0, 0, 0, 0, 2, 3, 1, {0.42f, 0.34f, 0.24f}},
    {"Gautier le Tanneur", "Dépeceur et tanneur", VB_ARTISAN, 2, 0, 0, 0, 0, 0, 3, 1, 2, {0.38f, 0.36f, 0.3f}},
    {"Dame Mélusine", "Alchimiste", VB_ARTISAN, 3, 0, 0, 0, 0, 1, 0, 4, 0, {0.3f, 0.18f, 0.42f}},
    {"Dame Églantine", "Herboriste", VB_ARTISAN, 0, 0, 0, 0, 0, 1, 1, 5, 0, {0.3f, 0.45f, 0.25f}},
    {"Maître Ancel", "Maître mineur", VB_ARTISAN, 1, 0, 0, 0, 0, 0, 4, 2, 2, {0.35f, 0.3f, 0.26f}},
    {"Garde Thibaut", "Garde de la porte", VB_GUARD, 0, -127.0f, -5.5f, -PI * 0.5f, 0, 0, 1, 2, 1, GUARD_TUNIC},
    {"Garde Renaud", "Garde de la porte", VB_GUARD, 0, -127.0f, 5.5f, -PI * 0.5f, 0, 0, 3, 0, 0, GUARD_TUNIC},
    {"Garde Lambert", "Garde du château", VB_GUARD, 0, 23.0f, -4.5f, -PI * 0.5f, 0, 0, 2, 1, 2, GUARD_TUNIC},
    {"Garde Hugon", "Garde du château", VB_GUARD, 0, 23.0f, 4.5f, -PI * 0.5f, 0, 0, 0, 3, 1, GUARD_TUNIC},
    {"Perrine", "Marchande de fruits", VB_STALL, 0, -54.0f, 13.9f, PI, 0, 1, 1, 1, 0, {0.6f, 0.3f, 0.2f}},
    {"Jehan le Boulanger", "Boulanger", VB_STALL, 0, -54.0f, -13.9f, 0.0f, 0, 0, 2, 6, 1, {0.85f, 0.82f, 0.72f}},
    {"Aude", "Drapière", VB_STALL, 0, -26.0f, 13.9f, PI, 0, 1, 0, 2, 0, {0.25f, 0.35f, 0.6f}},
    {"Rogier", "Maraîcher", VB_STALL, 0, -26.0f, -13.9f, 0.0f, 0, 0, 3, 0, 2, {0.4f, 0.45f, 0.25f}},
    {"Mahaut", "Potière", VB_STALL, 0, -50.0f, 18.9f, PI, 0, 1, 2, 3, 0, {0.55f, 0.45f, 0.3f}},
    {"Guillemette", "Habitante de Camelot", VB_WALKER, 0, 0, 0, 0, 0.1f, 1, 0, 1, 0, {0.5f, 0.2f, 0.3f}},
    {"Colin", "Porteur d'eau", VB_WALKER, 0, 0, 0, 0, 0.6f, 0, 2, 2, 0, {0.45f, 0.4f, 0.3f}},
    {"Isabeau", "Servante", VB_WALKER, 1, 0, 0, 0, 0.3f, 1, 1, 3, 0, {0.3f, 0.35f, 0.55f}},
    {"Martin", "Charpentier", VB_WALKER, 2, 0, 0, 0, 0.5f, 0, 4, 0, 2, {0.5f, 0.38f, 0.2f}},
    {"Bérengère", "Lavandière", VB_WALKER, 3, 0, 0, 0, 0.2f, 1, 3, 6, 0, {0.7f, 0.68f, 0.6f}},
    {"Thomas", "Apprenti", VB_WALKER, 3, 0, 0, 0, 0.8f, 0, 1, 5, 0, {0.35f, 0.3f, 0.45f}},
    {"Ysolde", "Habitante de Camelot", VB_WALKER, 4, 0, 0, 0, 0.15f, 1, 2, 4, 0, {0.55f, 0.4f, 0.15f}},
    {"Arnoul", "Tonnelier", VB_WALKER, 4, 0, 0, 0, 0.65f, 0, 0, 1, 1, {0.4f, 0.3f, 0.22f}},
    {"Clémence", "Fileuse", VB_WALKER, 5, 0, 0, 0, 0.4f, 1, 4, 2, 0, {0.6f, 0.5f, 0.4f}},
    {"Frère Anselme", "Moine", VB_WALKER, 6, 0, 0, 0, 0.0f, 0, 1, 0, 0, {0.32f, 0.24f, 0.18f}},
    {"Marion", "Habitante de Camelot", VB_WALKER, 6, 0, 0, 0, 0.5f, 1, 2, 1, 0, {0.25f, 0.45f, 0.4f}},
    {"Sire Lucan", "Bouteiller du roi", VB_WALKER, 7, 0, 0, 0, 0.0f, 0, 1, 2, 1, {0.2f, 0.25f, 0.5f}},
    {"Dame Énide", "Dame de la cour", VB_WALKER, 7, 0, 0, 0, 0.5f, 1, 0, 3, 0, {0.55f, 0.15f, 0.35f}},
    {"Hersent", "Habitante de Camelot", VB_STANDING, 0, -80.0f, 7.3f, 2.199f, 0, 1, 3, 2, 0, {0.45f, 0.35f, 0.5f}},
    {"Gilles", "Habitant de Camelot", VB_STANDING, 0, -81.2f, 5.9f, -0.942f, 0, 0, 2, 0, 1, {0.35f, 0.4f, 0.3f}},
    {"Agnès", "Aubergiste", VB_STANDING, 0, -61.0f, 22.6f, PI, 0, 1, 1, 1, 0, {0.6f, 0.55f, 0.45f}},
    {"Vieux Mathieu", "Habitant de Camelot", VB_STANDING, 0, -33.5f, -4.2f, -0.785f, 0, 0, 4, 6, 2, {0.4f, 0.36f, 0.3f}},
};

namespace {

struct Route {
    int count;
    Vec2 points[9];
};

const Route routes[VILLAGER_ROUTE_COUNT] = {
    {6, {{-108, 2.5f}, {-62, 2.5f}, {-47, 5.5f}, {-33, 5.5f}, {-18, 2.5f}, {24, 2.5f}}},
    {3, {{-37.5f, 21}, {-37.5f, 60}, {-37.5f, 108}}},
    {3, {{-42.5f, -21}, {-42.5f, -62}, {-42.5f, -108}}},
    {3, {{-44, -69}, {-80, -71}, {-110, -69}}},
    {4, {{-108, 63}, {-40, 61}, {30, 63}, {108, 61}}},
    {3, {{-38, -61}, {30, -63}, {108, -61}}},
    {9, {{-56, -6}, {-48, -15}, {-32, -15}, {-24, -6}, {-24, 6}, {-32, 15}, {-48, 15}, {-56, 6}, {-56, -6}}},
    {7, {{40, 6}, {55, 14}, {68, 25}, {80, 15}, {70, -15}, {50, -18}, {40, -6}}},
};

struct Figure {
    Model model;
    HumanRig rig;
    Appearance look;
};

VillagerState states[VILLAGER_COUNT];
float talk_timers[VILLAGER_COUNT];
Figure figures[VILLAGER_COUNT];
bool figures_built = false;
int smith_cycle = -1;

GpuMesh* spear_mesh = nullptr;
GpuMesh* helmet_mesh = nullptr;
GpuMesh* hammer_mesh = nullptr;
Material* steel_material = nullptr;
Material* wood_material = nullptr;

float wrap(float a) {
    a = std::fmod(a + PI, 2.0f * PI);
    if (a < 0.0f) a += 2.0f * PI;
    return a - PI;
}

float walker_speed(int i) { return 1.15f + 0.08f * (float)(i % 4); }

// The fixed place of everyone but the walkers.
void fixed_place(int i, float* lx, float* lz, float* facing) {
    const VillagerDef& d = villager_defs[i];
    if (d.behaviour == VB_ARTISAN) {
        Vec3 p = workshop_position(d.place, facing);
        *lx = p.x - CAMELOT_X;
        *lz = p.z - CAMELOT_Z;
        return;
    }
    *lx = d.x;
    *lz = d.z;
    *facing = d.facing;
}

Vec2 route_tangent(int route, float distance) {
    const Route& r = routes[route];
    float acc = 0.0f;
    for (int k = 0; k + 1 < r.count; ++k) {
        Vec2 a = r.points[k], b = r.points[k + 1];
        float len = std::hypot(b.x - a.x, b.y - a.y);
        if (distance <= acc + len || k + 2 == r.count) return {(b.x - a.x) / len, (b.y - a.y) / len};
        acc += len;
    }
    return {1, 0};
}

void place_on_ground(VillagerState& s, float lx, float lz) { s.position = camelot_point(lx, lz); }

}  // namespace

float villager_route_length(int route) {
    if (route < 0 || route >= VILLAGER_ROUTE_COUNT) return 0.0f;
    const Route& r = routes[route];
    float len = 0.0f;
    for (int k = 0; k + 1 < r.count; ++k)
        len += std::hypot(r.points[k + 1].x - r.points[k].x, r.points[k + 1].y - r.points[k].y);
    return len;
}

Vec2 villager_route_point(int route, float distance) {
    const Route& r = routes[route];
    if (distance <= 0.0f) return r.points[0];
    float acc = 0.0f;
    for (int k = 0; k + 1 < r.count; ++k) {
        Vec2 a = r.points[k], b = r.points[k + 1];
        float len = std::hypot(b.x - a.x, b.y - a.y);
        if (distance <= acc + len) {
            float t = (distance - acc) / len;
            return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
        }
        acc += len;
    }
    return r.points[r.count - 1];
}

float villager_head_target(float heading, float dx, float dz) {
    // Wrap first: a bearing just across the +-pi seam is a small turn, not a
    // full one clamped the wrong way.
    float rel = wrap(std::atan2(dx, dz) - heading);
    return clampf(rel, -0.9f, 0.9f);
}

float smith_arm_angle(float p) {
    if (p < 0.7f) return -1.2f * std::sin(p / 0.7f * PI * 0.5f);
    return -1.2f * (1.0f - (p - 0.7f) / 0.3f);
}

void villagers_reset() {
    for (int i = 0; i < VILLAGER_COUNT; ++i) {
        const VillagerDef& d = villager_defs[i];
        VillagerState& s = states[i];
        s = VillagerState{};
        talk_timers[i] = 0.0f;
        if (d.behaviour == VB_WALKER) {
            s.route_distance = d.phase * villager_route_length(d.place);
            s.direction = 1.0f;
            Vec2 p = villager_route_point(d.place, s.route_distance);
            Vec2 t = route_tangent(d.place, s.route_distance);
            place_on_ground(s, p.x, p.y);
            s.heading = std::atan2(t.x, t.y);
        } else {
            float lx, lz, f;
            fixed_place(i, &lx, &lz, &f);
            place_on_ground(s, lx, lz);
            s.heading = f;
        }
    }
    smith_cycle = -1;
}

const VillagerState& villager_state(int i) { return states[i]; }
VillagerState& villager_state_mut(int i) { return states[i]; }
bool villagers_have_figures() { return figures_built; }

int villager_nearest(Vec3 p, float reach) {
    int best = -1;
    float best_d = reach * reach;
    for (int i = 0; i < VILLAGER_COUNT; ++i) {
        float dx = states[i].position.x - p.x, dz = states[i].position.z - p.z;
        float d = dx * dx + dz * dz;
        if (d <= best_d) {
            best_d = d;
            best = i;
        }
    }
    return best;
}

void villager_talk_begin(int i, Vec3 player_pos, float hold) {
    if (i < 0 || i >= VILLAGER_COUNT) return;
    VillagerState& s = states[i];
    s.heading = std::atan2(player_pos.x - s.position.x, player_pos.z - s.position.z);
    s.head_turn = 0.0f;
    talk_timers[i] = std::fmax(talk_timers[i], hold);
    if (villager_defs[i].behaviour == VB_WALKER) s.pause = std::fmax(s.pause, hold);
}

void villagers_step(float dt) {
    if (game_flags.underground || !(dt >= 0.0f)) return;
    Vec3 me = {player.pos_x, player.pos_y, player.pos_z};
    float t = (float)game_clock;
    for (int i = 0; i < VILLAGER_COUNT; ++i) {
        const VillagerDef& d = villager_defs[i];
        VillagerState& s = states[i];
        float want_heading = s.heading;
        bool walking = false;
        if (talk_timers[i] > 0.0f) talk_timers[i] = std::fmax(0.0f, talk_timers[i] - dt);
        if (d.behaviour == VB_WALKER) {
            float len = villager_route_length(d.place);
            if (s.pause > 0.0f) {
                s.pause = std::fmax(0.0f, s.pause - dt);
            } else {
                s.route_distance += s.direction * walker_speed(i) * dt;
                walking = true;
                if (s.route_distance >= len || s.route_distance <= 0.0f) {
                    s.route_distance = clampf(s.route_distance, 0.0f, len);
                    s.direction = -s.direction;
                    s.pause = (float)(i % 3) + 2.0f;
                }
            }
            Vec2 p = villager_route_point(d.place, s.route_distance);
            place_on_ground(s, p.x, p.y);
            Vec2 tg = route_tangent(d.place, s.route_distance);
            want_heading = std::atan2(tg.x * s.direction, tg.y * s.direction);
        } else {
            float lx, lz;
            fixed_place(i, &lx, &lz, &want_heading);
            place_on_ground(s, lx, lz);
        }
        if (talk_timers[i] > 0.0f) want_heading = std::atan2(me.x - s.position.x, me.z - s.position.z);
        s.heading = wrap(s.heading + wrap(want_heading - s.heading) * std::fmin(1.0f, 6.0f * dt));

        float dx = me.x - s.position.x, dz = me.z - s.position.z;
        float head = dx * dx + dz * dz < 7.0f * 7.0f ? villager_head_target(s.heading, dx, dz) : 0.0f;
        s.head_turn += (head - s.head_turn) * std::fmin(1.0f, 5.0f * dt);
        s.head_turn = clampf(s.head_turn, -0.9f, 0.9f);
        s.walk_blend += ((walking ? 1.0f : 0.0f) - s.walk_blend) * std::fmin(1.0f, 8.0f * dt);
        if (walking) s.stride_phase += walker_speed(i) * 4.8f * dt;

        // The smith's hammer rings at each new blow when the player is near.
        if (i == 0) {
            int cycle = (int)std::floor(t / 1.15f);
            if (cycle != smith_cycle) {
                if (smith_cycle >= 0 && dx * dx + dz * dz < 30.0f * 30.0f) snd_play_at(SFX_ANVIL_STRIKE, s.position, 0.25f);
                smith_cycle = cycle;
            }
        }

        if (!figures_built) continue;
        Figure& fg = figures[i];
        HumanPose pose{};
        pose.stride_phase = s.stride_phase;
        pose.walk_blend = s.walk_blend;
        pose.on_ground = 1;
        pose.draw_blend = 1.0f;
        pose.player_class = CLASS_ARCHER;
        human_pose_apply(&fg.model, fg.rig, pose, dt);
        Node* nodes = fg.model.nodes;
        nodes[fg.rig.head].rotation.y = s.head_turn;
        float k = 0.7f * (float)i;
        if (d.behaviour == VB_ARTISAN) {
            if (i == 0) {
                float p = std::fmod(t, 1.15f) / 1.15f;
                nodes[fg.rig.arm[1]].rotation.x = smith_arm_angle(p);
                nodes[fg.rig.forearm[1]].rotation.x = -0.6f;
            } else {
                nodes[fg.rig.arm[0]].rotation.x = 0.15f * std::sin(1.7f * t + k) - 0.1f;
                nodes[fg.rig.arm[1]].rotation.x = 0.15f * std::sin(2.1f * t + 2.0f * (float)i) - 0.1f;
            }
        } else if (d.behaviour == VB_STALL || d.behaviour == VB_STANDING) {
            nodes[fg.rig.arm[1]].rotation.x = 0.12f * std::sin(1.3f * t + k);
        }
    }
}

// ---- Figures -----------------------------------------------------------------------

namespace {

void build_props() {
    Material m;
    material_init(&m, {1, 1, 1});
    m.roughness = 0.3f;
    m.light_flag_d = 1;
    steel_material = material_copy(m);
    material_init(&m, {1, 1, 1});
    m.roughness = 0.8f;
    m.surface_kind = 2;
    m.noise_on = 1;
    wood_material = material_copy(m);

    MeshBuilder spear{};
    MeshBuilder shaft = shape_frustum(0.022f, 0.026f, 2.3f, 6, true);
    mb_append(&spear, &shaft, mat4_identity(), {0.4f, 0.3f, 0.2f});
    mb_free(&shaft);
    MeshBuilder tip = shape_frustum(0.0f, 0.05f, 0.28f, 6, true);
    mb_append(&spear, &tip, mat4_translate({0, 1.29f, 0}), {2.2f, 2.2f, 2.3f});
    mb_free(&tip);
    spear_mesh = mesh_upload(&spear);

    MeshBuilder helmet = shape_ellipsoid_band(0.125f, 0.12f, 0.13f, 0.0f, 1.7f, 16);
    MeshBuilder brim = shape_frustum(0.16f, 0.17f, 0.02f, 16, true);
    mb_append(&helmet, &brim, mat4_translate({0, 0.0f, 0}), {1, 1, 1});
    mb_free(&brim);
    helmet_mesh = mesh_upload(&helmet);

    MeshBuilder hammer{};
    MeshBuilder handle = shape_frustum(0.016f, 0.02f, 0.42f, 6, true);
    mb_append(&hammer, &handle, mat4_identity(), {0.45f, 0.33f, 0.22f});
    mb_free(&handle);
    MeshBuilder head = shape_box({0.06f, 0.07f, 0.16f});
    mb_append(&hammer, &head, mat4_translate({0, 0.22f, 0}), {0.5f, 0.5f, 0.55f});
    mb_free(&head);
    hammer_mesh = mesh_upload(&hammer);
}

}  // namespace

void villagers_build() {
    villagers_reset();
    if (!figures_built) {
        build_props();
        Material* cloth = human_clothing_material();
        for (int i = 0; i < VILLAGER_COUNT; ++i) {
            const VillagerDef& d = villager_defs[i];
            Figure& fg = figures[i];
            AppearanceChoice c{d.woman, d.skin, i % EYE_COLOUR_COUNT, d.hair,
                               d.woman ? 1 + (i & 1) : (i % 5 == 0 ? 1 : 0), d.beard};
            fg.look = appearance_from_choice(c);
            int root = model_add_node(&fg.model, -1, {0, 0, 0});
            human_build(&fg.model, root, &fg.look, &fg.rig);
            // The tunic: the figure's own clothing colour on the shared material.
            for (int n = 0; n < fg.model.node_count; ++n) {
                Node& node = fg.model.nodes[n];
                if (node.material == cloth && node.tint.x == 1.0f && node.tint.y == 1.0f && node.tint.z == 1.0f)
                    node.tint = d.tunic;
            }
            if (d.behaviour == VB_GUARD) {
                int sp = model_add_part(&fg.model, fg.rig.hand[1], spear_mesh, wood_material, {0, 0.55f, 0.04f});
                fg.model.nodes[sp].tint = {1, 1, 1};
                int hm = model_add_part(&fg.model, fg.rig.head, helmet_mesh, steel_material, {0, 0.12f, 0.0f});
                fg.model.nodes[hm].tint = {0.62f, 0.63f, 0.66f};
                // The spear arm held a little forward.
                fg.model.nodes[fg.rig.forearm[1]].rotation.x = -0.35f;
            }
            if (i == 0) {
                int hm = model_add_part(&fg.model, fg.rig.hand[1], hammer_mesh, wood_material, {0, -0.05f, 0.02f});
                fg.model.nodes[hm].rotation.x = PI * 0.5f;
            }
        }
        figures_built = true;
    }
    villagers_step(0.0f);
}

void villagers_submit() {
    if (!figures_built || game_flags.underground) return;
    Vec3 eye = render_camera.eye;
    if (!in_camelot_square(eye.x, eye.z, 120.0f)) return;
    for (int i = 0; i < VILLAGER_COUNT; ++i) {
        const VillagerState& s = states[i];
        float dx = s.position.x - eye.x, dz = s.position.z - eye.z;
        if (dx * dx + dz * dz > 75.0f * 75.0f) continue;
        Mat4 root = mat4_translate(s.position) * mat4_rotate_y(s.heading);
        model_evaluate(&figures[i].model, root);
        model_draw(&figures[i].model, nullptr, nullptr);
    }
}
