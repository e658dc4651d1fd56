// Gathering: the plants and ore veins placed once at start-up, their meshes,
// depletion and regrowth, the prompt, and the 1.6 s harvest or skinning
// action that a step, a death or the pause menu interrupts.
#include "content/gathering.h"

#include <cmath>
#include <cstring>

#include "common/game_events.h"
#include "content/professions.h"
#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "sound/sound.h"
#include "render/mesh.h"
#include "world/terrain.h"
#include "world/terrain_paint.h"

namespace {

constexpr float TWO_PI = 6.28318530718f;
constexpr float ACTION_SECONDS = 1.6f;
constexpr float NODE_REACH = 2.4f;
constexpr float ORE_BONUS = 0.5f;     // veins are bulky: reach them from a little further
constexpr float MOVE_CANCEL = 0.6f;   // ground speed that breaks the action
constexpr float DRAW_RANGE = 90.0f;

constexpr float MOOR_X = 36.0f, MOOR_Z = 272.0f, MOOR_R = 68.0f;

GatherNode nodes[GATHER_NODE_CAPACITY];
int node_count = 0;

GpuMesh* kind_mesh[NODE_KIND_COUNT];
Material* kind_material[NODE_KIND_COUNT];
GpuMesh* glow_mesh = nullptr;
GpuMesh* anvil_mesh = nullptr;
Material* anvil_material = nullptr;
Material* glow_material = nullptr;

// The running action: a node index, or a corpse (by slot and serial, so a
// slot reused by a new creature is not skinned by mistake).
struct Action {
    bool running;
    bool corpse;
    int node;
    int slot;
    uint32_t serial;
    float progress;
};
Action action;

const char* interact_key_name() {
    static char name[48];
    binding_hint_name(BIND_INTERACT, name, (int)sizeof name);
    return name;
}

bool candidate(int kind, float u, float r, float* x, float* z) {
    float a = u * TWO_PI;
    float cx = 0.0f, cz = 0.0f, d = 0.0f;
    switch (kind) {
        case 0: d = 50.0f + r * 250.0f; break;
        case 3: d = 70.0f + r * 280.0f; break;
        case 1: cx = MOOR_X; cz = MOOR_Z; d = MOOR_R * std::sqrt(r); break;
        case 2: {
            static const float centres[3][2] = {{64, 52}, {208, -156}, {48, 300}};
            int c = (int)(u * 3.0f);
            if (c > 2) c = 2;
            cx = centres[c][0];
            cz = centres[c][1];
            d = 14.0f + r * 24.0f;
            break;
        }
        default:
            if (u < 0.55f) {
                cx = MOOR_X; cz = MOOR_Z; d = MOOR_R * (0.6f + 0.5f * r);
            } else {
                cx = -224.0f; cz = -104.0f; d = 36.0f + r * 60.0f;
            }
            break;
    }
    *x = cx + d * std::cos(a);
    *z = cz + d * std::sin(a);
    // Herbs and copper of the woods keep off the moor.
    if ((kind == 0 || kind == 3) && hdist_hypot(*x, *z, MOOR_X, MOOR_Z) < MOOR_R) return false;
    return true;
}

}  // namespace

const char* gather_spot_refusal(float x, float z) {
    if (z < -360.0f || z > 390.0f || std::fabs(x) > 790.0f) return "hors des bois";
    if (ground_height(x, z) < -0.45f) return "dans l'eau";
    // Nothing grows on the trodden earth of a path.
    if (path_distance(x, z) < path_half_width(x, z) + 0.5f) return "sur un chemin";
    if (hdist_hypot(x, z, 0, 0) < 24.0f || hdist_hypot(x, z, 160, -124) < 28.0f ||
        hdist_hypot(x, z, -224, -104) < 28.0f)
        return "trop près d'un lieu gardé";
    int n = 0;
    const int32_t* idx = obstacle_query(x, z, &n);
    const Obstacle* obs = obstacle_list();
    for (int i = 0; i < n; ++i) {
        const Obstacle& o = obs[idx[i]];
        if (hdist_hypot(x, z, o.x, o.z) < o.radius + 0.8f) return "dans un obstacle";
    }
    return nullptr;
}

int gather_nodes_place(GatherNode* out) {
    Rng rng{GATHER_PLACEMENT_SEED};
    int count = 0;
    for (int kind = 0; kind < NODE_KIND_COUNT && count < GATHER_NODE_CAPACITY; ++kind) {
        int placed = 0;
        for (int attempt = 0; attempt < 4000; ++attempt) {
            if (placed >= node_kinds[kind].placed || count >= GATHER_NODE_CAPACITY) break;
            float u = rng_float(rng);
            float r = rng_float(rng);
            float x, z;
            if (!candidate(kind, u, r, &x, &z)) continue;
            if (gather_spot_refusal(x, z)) continue;
            bool crowded = false;
            for (int i = 0; i < count && !crowded; ++i) crowded = hdist_hypot(x, z, out[i].x, out[i].z) < 6.0f;
            if (crowded) continue;
            out[count++] = GatherNode{kind, x, ground_height(x, z), z, rng_float(rng) * TWO_PI, 0.0f};
            ++placed;
        }
    }
    return count;
}

int gather_node_count() { return node_count; }
GatherNode* gather_nodes() { return nodes; }

namespace {

// ---- Meshes ------------------------------------------------------------------------

void put(MeshBuilder* dst, MeshBuilder shape, Vec3 p, Vec3 rot, Vec3 colour) {
    mb_append(dst, &shape, mat4_from_prs(p, rot, {1, 1, 1}), colour);
    mb_free(&shape);
}

// A tuft of leaves around a short stem, with flower heads of one colour.
MeshBuilder plant(Vec3 leaf, Vec3 flower, int leaves, float height, int heads) {
    MeshBuilder b{};
    for (int i = 0; i < leaves; ++i) {
        float a = TWO_PI * (float)i / (float)leaves;
        float lean = 0.55f + 0.1f * (float)(i % 3);
        Vec3 p{0.16f * std::sin(a), 0.16f, 0.16f * std::cos(a)};
        put(&b, shape_ellipsoid(0.05f, 0.2f, 0.02f, 6), p, {lean, a, 0}, leaf);
    }
    for (int i = 0; i < heads; ++i) {
        float a = TWO_PI * (float)i / (float)heads + 0.4f;
        float off = heads > 1 ? 0.09f : 0.0f;
        Vec3 base{off * std::sin(a), height * 0.5f, off * std::cos(a)};
        put(&b, shape_frustum(0.012f, 0.018f, height, 5, false), base, {0.1f, a, 0}, leaf * 0.8f);
        put(&b, shape_ellipsoid(0.06f, 0.045f, 0.06f, 6), {base.x, height, base.z}, {0, 0, 0}, flower);
    }
    return b;
}

MeshBuilder ore_vein(Vec3 rock, Vec3 fleck, uint32_t seed) {
    MeshBuilder b{};
    const Vec3 half{0.9f, 0.6f, 0.7f};
    put(&b, shape_rock(half.x, half.y, half.z, seed, 0.25f), {0, 0.3f, 0}, {0, 0, 0}, rock);
    put(&b, shape_rock(0.45f, 0.4f, 0.4f, seed + 1, 0.3f), {0.75f, 0.15f, 0.3f}, {0, 0.6f, 0}, rock * 0.9f);
    // Metal showing through the stone, on its upper surface.
    for (int i = 0; i < 9; ++i) {
        float a = TWO_PI * (float)i / 9.0f + 0.3f;
        float up = 0.35f + 0.25f * (float)(i % 3);  // polar angle from the top
        Vec3 p{half.x * std::sin(up) * std::cos(a), 0.3f + half.y * std::cos(up), half.z * std::sin(up) * std::sin(a)};
        put(&b, shape_ellipsoid(0.14f, 0.08f, 0.11f, 5), p, {0.3f * (float)i, a, 0}, fleck);
    }
    return b;
}

void build_meshes() {
    MeshBuilder b[NODE_KIND_COUNT] = {
        plant({0.42f, 0.58f, 0.38f}, {0.62f, 0.5f, 0.85f}, 9, 0.38f, 3),   // sage
        plant({0.25f, 0.42f, 0.36f}, {0.85f, 0.9f, 1.0f}, 7, 0.5f, 1),     // moon flower
        plant({0.3f, 0.45f, 0.2f}, {0.55f, 0.35f, 0.22f}, 11, 0.22f, 1),   // mandrake
        ore_vein({0.5f, 0.48f, 0.45f}, {0.85f, 0.48f, 0.22f}, 311u),       // copper
        ore_vein({0.42f, 0.41f, 0.42f}, {0.62f, 0.42f, 0.36f}, 733u),      // iron
    };
    for (int k = 0; k < NODE_KIND_COUNT; ++k) {
        mb_orient(&b[k]);
        kind_mesh[k] = mesh_upload(&b[k]);
        kind_material[k] = material_new({1, 1, 1}, 0.2f, 0.25f, true);
        kind_material[k]->light_a = 0.3f;
        if (k < 3) {
            kind_material[k]->vegetation_kind = 0;
            kind_material[k]->double_sided = 1;
        } else {
            kind_material[k]->surface_kind = 1;
            kind_material[k]->roughness = 0.85f;
        }
    }
    // The moon flower's pale glow.
    MeshBuilder g{};
    put(&g, shape_ellipsoid(0.1f, 0.08f, 0.1f, 8), {0, 0.5f, 0}, {0, 0, 0}, {1, 1, 1});
    mb_orient(&g);
    glow_mesh = mesh_upload(&g);
    glow_material = material_new({0.75f, 0.85f, 1.0f});
    glow_material->emission = {0.7f, 0.8f, 1.1f};
    glow_material->light_flag_b = 1;
    glow_material->no_shadow = 1;
    // The anvil beside the merchant: a block on a stump.
    MeshBuilder a{};
    put(&a, shape_frustum(0.3f, 0.36f, 0.5f, 10, true), {0, 0.25f, 0}, {0, 0, 0}, {0.45f, 0.32f, 0.2f});
    put(&a, shape_box({0.7f, 0.22f, 0.3f}), {0, 0.61f, 0}, {0, 0, 0}, {0.3f, 0.3f, 0.32f});
    put(&a, shape_box({0.4f, 0.12f, 0.22f}), {0, 0.44f, 0}, {0, 0, 0}, {0.28f, 0.28f, 0.3f});
    put(&a, shape_frustum(0.02f, 0.11f, 0.3f, 8, true), {0.5f, 0.64f, 0}, {0, 0, -1.5708f}, {0.3f, 0.3f, 0.32f});
    mb_orient(&a);
    anvil_mesh = mesh_upload(&a);
    anvil_material = material_new({1, 1, 1}, 0.3f, 0.15f, true);
    anvil_material->light_flag_d = 1;
}

// ---- The action ----------------------------------------------------------------------

const Creature* action_corpse() {
    if (action.slot < 0 || action.slot >= CREATURE_CAPACITY) return nullptr;
    const Creature& c = creatures[action.slot];
    return c.in_use && c.serial == action.serial ? &c : nullptr;
}

bool skinnable(const Creature& c, int* item, int* level) {
    if (!c.in_use || c.ai_state != CS_DEAD || c.skinned || c.companion) return false;
    if (c.loot_count > 0 || c.loot_money > 0) return false;
    if ((int)c.world != player_world()) return false;
    return skinning_yield(c.species, item, level);
}

int nearest_node() {
    int best = -1;
    float best_d = 1e9f;
    for (int i = 0; i < node_count; ++i) {
        const GatherNode& n = nodes[i];
        if (n.regrow > 0.0f) continue;
        float d = hdist_hypot(player.pos_x, player.pos_z, n.x, n.z) - (node_kind_is_ore(n.kind) ? ORE_BONUS : 0.0f);
        if (d <= NODE_REACH && d < best_d) {
            best_d = d;
            best = i;
        }
    }
    return best;
}

int corpse_in_reach() {
    for (int i = 0; i < CREATURE_CAPACITY; ++i) {
        const Creature& c = creatures[i];
        int item, level;
        if (!skinnable(c, &item, &level)) continue;
        float size = c.body_scale > 1.0f ? c.body_scale : 1.0f;
        if (hdist_hypot(player.pos_x, player.pos_z, c.pos.x, c.pos.z) <= 2.6f * size) return i;
    }
    return -1;
}

void floating_gain(Vec3 at, int count, int item) {
    const int quality = profession_item_quality(item);
    result_float_item(at, hud_fmt("+%d %s", count, item_name(item)), profession_quality_colour(quality), 1.4f, 1.0f,
                      0.34f, quality);
}

void finish() {
    action.running = false;
    if (action.corpse) {
        const Creature* c = action_corpse();
        int item, level;
        if (!c || !skinning_yield(c->species, &item, &level)) return;
        int n = add_to_bag(item) ? 1 : 0;
        if (n && rng_float(profession_rng) < 0.5f && add_to_bag(item)) ++n;
        snd_play_at(SFX_PICK_UP, c->pos, 0.7f);
        // A full bag leaves the hide on the body for later.
        if (n) creatures[action.slot].skinned = 1;
        if (n) {
            floating_gain(c->pos + Vec3{0, 0.8f, 0}, n, item);
            log_printf("Dépeçage : %d %s", n, item_name(item));
            skill_up(PROF_SKINNING, level, false);
        } else {
            result_message("Votre sac est plein.", 1.4f);
        }
        return;
    }
    if (action.node < 0 || action.node >= node_count) return;
    GatherNode& node = nodes[action.node];
    if (node.regrow > 0.0f) return;
    const NodeKindDef& k = node_kinds[node.kind];
    int n = add_to_bag(k.item) ? 1 : 0;
    if (n && rng_float(profession_rng) < 0.4f && add_to_bag(k.item)) ++n;
    // A full bag leaves the node as it was.
    if (!n) {
        result_message("Votre sac est plein.", 1.4f);
        return;
    }
    node.regrow = 150.0f + rng_float(profession_rng) * 60.0f;
    Vec3 at{node.x, node.y, node.z};
    snd_play_at(node_kind_is_ore(node.kind) ? SFX_RUMBLE : SFX_PICK_UP, at, 0.7f);
    floating_gain(at + Vec3{0, 0.8f, 0}, n, k.item);
    skill_up(k.profession, k.level, false);
}

}  // namespace

void gathering_build() {
    std::memset(&action, 0, sizeof action);
    node_count = gather_nodes_place(nodes);
    build_meshes();
    log_printf("Métiers : %d plantes et filons.", node_count);
}

bool gather_running() { return action.running; }

void gather_reset() { action.running = false; }
float gather_progress() { return action.running ? action.progress : 0.0f; }

void gather_cancel() {
    if (!action.running) return;
    action.running = false;
    result_message("Interrompu.", 0.8f);
}

bool gather_prompt(bool start) {
    if (action.running) return false;
    if (!game_flags.underground) {
        int i = nearest_node();
        if (i >= 0) {
            const NodeKindDef& k = node_kinds[nodes[i].kind];
            const ProfessionDef& p = profession_defs[k.profession];
            if (profession_level[k.profession] >= k.level) {
                hud_prompt(true, hud_fmt("%s  ·  %s : %s", interact_key_name(), k.verb, item_name(k.item)));
                if (start) action = Action{true, false, i, -1, 0, 0.0f};
            } else {
                hud_prompt(true, hud_fmt("%s : %s %d requise", item_name(k.item), p.name, k.level));
            }
            return true;
        }
    }
    int c = corpse_in_reach();
    if (c < 0) return false;
    int item, level;
    skinning_yield(creatures[c].species, &item, &level);
    const char* name = creature_display_name(&creatures[c]);
    if (profession_level[PROF_SKINNING] >= level) {
        hud_prompt(true, hud_fmt("%s  ·  Dépecer : %s", interact_key_name(), name));
        if (start) action = Action{true, true, -1, c, creatures[c].serial, 0.0f};
    } else {
        hud_prompt(true, hud_fmt("%s : Dépeçage %d requis", name, level));
    }
    return true;
}

// Regrowth and the running action; runs only while the game is not paused.
void gathering_update(float dt) {
    for (int i = 0; i < node_count; ++i)
        if (nodes[i].regrow > 0.0f) nodes[i].regrow = nodes[i].regrow > dt ? nodes[i].regrow - dt : 0.0f;
    if (!action.running) return;
    if (player.dead || game_flags.paused || std::fabs(player.ground_speed) > MOVE_CANCEL) {
        gather_cancel();
        return;
    }
    if (action.corpse && !action_corpse()) {
        action.running = false;
        return;
    }
    action.progress += dt / ACTION_SECONDS;
    if (action.progress >= 1.0f) finish();
}

void gathering_submit() {
    if (game_flags.underground) return;
    const Vec3 eye = render_camera.eye;
    Vec3 a = anvil_position();
    if (anvil_mesh && hdist_hypot(eye.x, eye.z, a.x, a.z) < DRAW_RANGE)
        render_add(anvil_mesh, anvil_material, mat4_from_prs(a, {0, 0.3f, 0}, {1, 1, 1}), {1, 1, 1});
    for (int i = 0; i < node_count; ++i) {
        const GatherNode& n = nodes[i];
        if (n.regrow > 0.0f) continue;
        if (hdist_hypot(eye.x, eye.z, n.x, n.z) > DRAW_RANGE) continue;
        Mat4 m = mat4_from_prs({n.x, n.y, n.z}, {0, n.yaw, 0}, {1, 1, 1});
        render_add(kind_mesh[n.kind], kind_material[n.kind], m, {1, 1, 1});
        if (n.kind == 1) render_add(glow_mesh, glow_material, m, {1, 1, 1});
    }
}

const char* gather_action_label() {
    if (!action.running) return "";
    if (action.corpse) return "Dépeçage…";
    return hud_fmt("%s…", node_kinds[nodes[action.node].kind].verb);
}
