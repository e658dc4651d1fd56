// Weapons for human figures, generated from the shape kit: bows with their
// strings, swords, an axe, staves, a shield, a quiver. Every mesh is made
// once into one pool of buffers shared by all figures.
#include "world/weapons.h"

#include <cassert>
#include <cmath>
#include <initializer_list>

#include "render/mesh.h"
#include "world/human.h"
#include "world/model.h"

namespace {

constexpr int MAX_DESIGNS = 16;
// The pieces every figure shares, after the designs in the pool.
enum Shared { S_SHIELD, S_STRING, S_ARROW, S_QUIVER, SHARED_COUNT };

struct Built {
    bool ready;
    int count;
    WeaponDesign design[MAX_DESIGNS];
    GpuMesh* mesh[MAX_DESIGNS];
    Vec3 tip[MAX_DESIGNS][2];
    GpuMesh* shared[SHARED_COUNT];
    Material* wood;
    Material* metal;
    Material* cord;
};
Built built{};

// Where the shield sits on the left forearm, the quiver on the back, the
// arrow's nock in the drawing hand.
const Vec3 kShieldAt = {0.075f, -0.15f, 0.0f};
const Vec3 kQuiverAt = {0.06f, 0.30f, -0.16f};
const Vec3 kNock = {0.0f, -0.03f, 0.0f};
// A sword or axe leans forward of the fist; a bow hangs tilted at rest.
constexpr float kBladeLean = 0.55f;
constexpr float kBowRestTilt = 0.75f;

// Appends a frustum from a (radius ra) to b (radius rb).
void segment(MeshBuilder* out, Vec3 a, Vec3 b, float ra, float rb, int sides, Vec3 colour) {
    Vec3 d = b - a;
    float len = length(d);
    if (len < 1e-5f) return;
    Vec3 u = d * (1.0f / len);
    Vec3 helper = std::fabs(u.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 x = normalize(cross(helper, u));
    Vec3 z = cross(x, u);
    Mat4 m = mat4_from_axes(x, u, z, (a + b) * 0.5f);
    MeshBuilder f = shape_frustum(rb, ra, len, sides, true);
    mb_append(out, &f, m, colour);
    mb_free(&f);
}

void blob(MeshBuilder* out, Vec3 at, Vec3 radii, Vec3 rotation, Vec3 colour, int n = 8) {
    MeshBuilder e = shape_ellipsoid(radii.x, radii.y, radii.z, n);
    mb_append(out, &e, mat4_from_prs(at, rotation, {1, 1, 1}), colour);
    mb_free(&e);
}

void box(MeshBuilder* out, Vec3 at, Vec3 size, Vec3 rotation, Vec3 colour) {
    MeshBuilder b = shape_box(size);
    mb_append(out, &b, mat4_from_prs(at, rotation, {1, 1, 1}), colour);
    mb_free(&b);
}

Vec3 shade(Vec3 c, float k) { return c * k; }

// ---- Bows: the stave along y, the archer on the -z side --------------------------------

struct BowShape {
    float half;      // half the stave's length
    float depth;     // how far the tips come back toward the archer
    float recurve;   // tips flicked forward again
};

BowShape bow_shape(WeaponTrim trim) {
    switch (trim) {
        case TRIM_LONG: return {0.80f, 0.11f, 0.0f};
        case TRIM_WRAPPED: return {0.60f, 0.14f, 0.0f};
        case TRIM_NOBLE: return {0.66f, 0.17f, 0.06f};
        default: return {0.62f, 0.14f, 0.0f};
    }
}

Vec3 bow_point(const BowShape& s, float t) {
    float a = std::fabs(t);
    float z = -s.depth * a * a + s.recurve * smoothstepf(0.72f, 1.0f, a);
    return {0.0f, s.half * t, z};
}

MeshBuilder bow_mesh(const WeaponDesign& d, Vec3 tips[2]) {
    MeshBuilder out{};
    BowShape s = bow_shape(d.trim);
    constexpr int N = 9;
    for (int k = -N; k < N; ++k) {
        float t0 = (float)k / N, t1 = (float)(k + 1) / N;
        float a0 = std::fabs(t0), a1 = std::fabs(t1);
        float r0 = 0.018f - 0.010f * a0, r1 = 0.018f - 0.010f * a1;
        Vec3 c = d.colour;
        if (d.trim == TRIM_NOBLE && std::fmin(a0, a1) > 0.85f) c = d.accent;  // gilded tips
        segment(&out, bow_point(s, t0), bow_point(s, t1), r0, r1, 6, c);
    }
    // The grip, wrapped.
    segment(&out, bow_point(s, -0.12f), bow_point(s, 0.12f), 0.021f, 0.021f, 8, d.accent);
    if (d.trim == TRIM_WRAPPED)
        for (float t : {-0.78f, -0.5f, -0.3f, 0.3f, 0.5f, 0.78f})
            segment(&out, bow_point(s, t - 0.025f), bow_point(s, t + 0.025f), 0.017f - 0.01f * std::fabs(t),
                    0.017f - 0.01f * std::fabs(t), 6, d.accent);
    for (int e = 0; e < 2; ++e) {
        Vec3 tip = bow_point(s, e == 0 ? 1.0f : -1.0f);
        blob(&out, tip, {0.011f, 0.02f, 0.011f}, {0, 0, 0}, shade(d.trim == TRIM_NOBLE ? d.accent : d.colour, 0.7f), 6);
        tips[e] = tip;
    }
    return out;
}

// ---- Blades: the grip at the fist along z, the edge leading toward -y ----------------------

MeshBuilder sword_mesh(const WeaponDesign& d) {
    MeshBuilder out{};
    bool noble = d.trim == TRIM_NOBLE;
    float blade = noble ? 0.86f : (d.trim == TRIM_LONG ? 0.8f : 0.7f);
    Vec3 grip = noble ? Vec3{0.30f, 0.12f, 0.10f} : shade(d.accent, 0.8f);
    segment(&out, {0, 0, -0.08f}, {0, 0, 0.08f}, 0.016f, 0.016f, 6, grip);
    blob(&out, {0, 0, -0.1f}, {0.026f, 0.026f, 0.022f}, {0, 0, 0}, noble ? d.accent : shade(d.colour, 0.8f));
    box(&out, {0, 0, 0.095f}, {0.034f, noble ? 0.26f : 0.2f, 0.028f}, {0, 0, 0}, noble ? d.accent : shade(d.colour, 0.75f));
    if (noble) {
        // Quillons ending in small balls.
        blob(&out, {0, 0.13f, 0.095f}, {0.02f, 0.02f, 0.02f}, {0, 0, 0}, d.accent, 6);
        blob(&out, {0, -0.13f, 0.095f}, {0.02f, 0.02f, 0.02f}, {0, 0, 0}, d.accent, 6);
    }
    float base = 0.11f, point = 0.11f;
    box(&out, {0, 0, base + (blade - point) * 0.5f}, {0.011f, 0.052f, blade - point}, {0, 0, 0}, d.colour);
    // The fuller, a darker line down the middle of each flat.
    box(&out, {0, 0, base + (blade - point) * 0.45f}, {0.013f, 0.012f, (blade - point) * 0.8f}, {0, 0, 0},
        shade(d.colour, 0.72f));
    // The point: a four-sided cone along z, its corners on the edges and
    // the flats, pressed thin.
    MeshBuilder tip = shape_frustum(0.0f, 0.037f, point, 4, true);
    Mat4 flat = mat4_translate({0, 0, base + blade - point * 0.5f}) * mat4_scale({0.22f, 1.0f, 1.0f}) *
                mat4_rotate_x(PI * 0.5f) * mat4_rotate_y(PI * 0.25f);
    mb_append(&out, &tip, flat, d.colour);
    mb_free(&tip);
    return out;
}

MeshBuilder axe_mesh(const WeaponDesign& d) {
    MeshBuilder out{};
    Vec3 haft = {0.32f, 0.22f, 0.13f};
    segment(&out, {0, 0, -0.16f}, {0, 0, 0.78f}, 0.02f, 0.018f, 6, haft);
    blob(&out, {0, 0, -0.17f}, {0.024f, 0.024f, 0.02f}, {0, 0, 0}, d.accent, 6);
    // Bands where the head is fixed, the head's cheek, its broad blade
    // with a bright edge, and a short beak behind.
    segment(&out, {0, 0, 0.58f}, {0, 0, 0.61f}, 0.024f, 0.024f, 6, d.accent);
    box(&out, {0, -0.02f, 0.68f}, {0.036f, 0.09f, 0.13f}, {0, 0, 0}, d.colour);
    box(&out, {0, -0.13f, 0.68f}, {0.022f, 0.16f, 0.2f}, {0, 0, 0}, d.colour);
    box(&out, {0, -0.215f, 0.68f}, {0.014f, 0.02f, 0.24f}, {0, 0, 0}, d.accent);
    box(&out, {0, 0.07f, 0.68f}, {0.02f, 0.09f, 0.05f}, {0, 0, 0}, shade(d.colour, 0.8f));
    return out;
}

// ---- Staves: along y, the fist a third of the way down ----------------------------------

MeshBuilder staff_mesh(const WeaponDesign& d) {
    MeshBuilder out{};
    constexpr float bottom = -0.8f, top = 0.92f;
    constexpr int N = 8;
    for (int k = 0; k < N; ++k) {
        float t0 = (float)k / N, t1 = (float)(k + 1) / N;
        // A little crooked, as a branch is.
        Vec3 a = {0.008f * std::sin(t0 * 9.0f), lerpf(bottom, top, t0), 0.006f * std::sin(t0 * 5.0f + 1.0f)};
        Vec3 b = {0.008f * std::sin(t1 * 9.0f), lerpf(bottom, top, t1), 0.006f * std::sin(t1 * 5.0f + 1.0f)};
        segment(&out, a, b, 0.021f - 0.004f * t0, 0.021f - 0.004f * t1, 6, d.colour);
    }
    segment(&out, {0, bottom - 0.01f, 0}, {0, bottom + 0.05f, 0}, 0.02f, 0.022f, 6, shade(d.colour, 0.6f));
    Vec3 head = {0.008f * std::sin(9.0f), top, 0.006f * std::sin(6.0f)};
    switch (d.trim) {
        case TRIM_LEAVES:
            blob(&out, head + Vec3{0, 0.03f, 0}, {0.03f, 0.045f, 0.03f}, {0, 0, 0}, shade(d.colour, 0.85f));
            segment(&out, head - Vec3{0, 0.1f, 0}, head - Vec3{0, 0.075f, 0}, 0.021f, 0.021f, 6, {0.75f, 0.68f, 0.5f});
            for (int i = 0; i < 7; ++i) {
                float a = (float)i * 2.0f * PI / 7.0f;
                Vec3 at = head + Vec3{std::sin(a) * 0.03f, -0.13f - 0.015f * (float)(i % 2), std::cos(a) * 0.03f};
                blob(&out, at, {0.011f, 0.045f, 0.005f}, {0.35f * std::cos(a), a, -0.35f * std::sin(a)}, d.accent, 6);
            }
            break;
        case TRIM_MOON: {
            Vec3 orb = head + Vec3{0, 0.09f, 0};
            blob(&out, orb, {0.042f, 0.042f, 0.042f}, {0, 0, 0}, d.accent, 10);
            // The crescent cradles the orb in the staff's plane.
            for (int i = 0; i <= 10; ++i) {
                float a = lerpf(-2.6f, 2.6f, (float)i / 10.0f);
                float r = 0.072f;
                float thick = 0.013f * (1.0f - 0.6f * std::fabs(a) / 2.6f);
                blob(&out, orb + Vec3{std::sin(a) * r, -std::cos(a) * r, 0}, {thick, thick, thick}, {0, 0, 0},
                     {0.86f, 0.87f, 0.92f}, 6);
            }
            break;
        }
        case TRIM_IVY:
            for (float y : {0.62f, 0.8f}) segment(&out, {0, y, 0}, {0, y + 0.03f, 0}, 0.023f, 0.023f, 8, d.accent);
            for (int i = 0; i < 14; ++i) {
                float t = (float)i / 13.0f;
                float a = t * 4.0f * PI;
                Vec3 at = {std::sin(a) * 0.024f, lerpf(-0.35f, 0.75f, t), std::cos(a) * 0.024f};
                blob(&out, at, {0.016f, 0.011f, 0.005f}, {0, a, 0.4f}, {0.22f, 0.46f, 0.2f}, 6);
            }
            blob(&out, head + Vec3{0, 0.02f, 0}, {0.03f, 0.03f, 0.03f}, {0, 0, 0}, d.accent);
            blob(&out, head + Vec3{0, 0.065f, 0}, {0.03f, 0.04f, 0.03f}, {0, 0, 0}, {0.3f, 0.75f, 0.35f}, 10);
            break;
        default:
            // A knot of the branch and a short fork.
            blob(&out, head + Vec3{0, 0.025f, 0}, {0.032f, 0.05f, 0.032f}, {0, 0, 0}, shade(d.colour, 0.8f));
            segment(&out, head + Vec3{0, 0.04f, 0}, head + Vec3{0.05f, 0.12f, 0.01f}, 0.012f, 0.006f, 5, d.colour);
            break;
    }
    return out;
}

// ---- The pieces every figure shares -----------------------------------------------------

// A round shield, its face toward +y: a painted cross on the warrior's red,
// a wooden back, an iron rim and boss.
MeshBuilder shield_mesh() {
    MeshBuilder out{};
    constexpr float R = 0.3f, T = 0.028f;
    constexpr int RINGS = 7, SIDES = 28;
    Vec3 field = {0.55f, 0.14f, 0.12f}, device = {0.88f, 0.74f, 0.36f};
    uint32_t centre = mb_add_vertex(&out, {0, T * 0.5f + 0.012f, 0}, {0, 1, 0}, field);
    uint32_t first = 0;
    for (int i = 1; i <= RINGS; ++i) {
        float r = R * (float)i / RINGS;
        uint32_t ring = out.vertex_count;
        for (int j = 0; j < SIDES; ++j) {
            float a = (float)j * 2.0f * PI / SIDES;
            float x = std::cos(a) * r, z = std::sin(a) * r;
            // A gentle dome, and the cross where either coordinate is small.
            float y = T * 0.5f + 0.012f * (1.0f - (r / R) * (r / R));
            bool cross_arm = std::fabs(x) < 0.035f || std::fabs(z) < 0.035f;
            mb_add_vertex(&out, {x, y, z}, normalize(Vec3{x * 0.12f, 1.0f, z * 0.12f}), cross_arm ? device : field);
        }
        for (int j = 0; j < SIDES; ++j) {
            int jn = (j + 1) % SIDES;
            if (i == 1) {
                mb_add_triangle(&out, centre, ring + (uint32_t)jn, ring + (uint32_t)j);
            } else {
                uint32_t p0 = first + (uint32_t)j, p1 = first + (uint32_t)jn;
                uint32_t q0 = ring + (uint32_t)j, q1 = ring + (uint32_t)jn;
                mb_add_triangle(&out, p0, p1, q1);
                mb_add_triangle(&out, p0, q1, q0);
            }
        }
        first = ring;
    }
    mb_orient(&out);
    MeshBuilder back = shape_frustum(R, R, T, SIDES, true);
    mb_append(&out, &back, mat4_identity(), {0.42f, 0.3f, 0.18f});
    mb_free(&back);
    MeshBuilder rim = shape_frustum(R + 0.008f, R + 0.008f, T + 0.012f, SIDES, false);
    mb_append(&out, &rim, mat4_translate({0, 0.004f, 0}), {0.5f, 0.5f, 0.52f});
    mb_free(&rim);
    MeshBuilder boss = shape_ellipsoid_band(0.065f, 0.045f, 0.065f, 0.0f, PI * 0.5f, 12);
    mb_append(&out, &boss, mat4_translate({0, T * 0.5f + 0.01f, 0}), {0.62f, 0.62f, 0.64f});
    mb_free(&boss);
    return out;
}

// One unit tall along y, stretched by its tie.
MeshBuilder string_mesh() {
    MeshBuilder out{};
    segment(&out, {0, -0.5f, 0}, {0, 0.5f, 0}, 0.0035f, 0.0035f, 4, {0.9f, 0.88f, 0.8f});
    return out;
}

// From the nock (y = -0.5) past the bow's grip (y = 0.5), stretched by its tie.
MeshBuilder nocked_arrow_mesh() {
    MeshBuilder out{};
    segment(&out, {0, -0.5f, 0}, {0, 0.62f, 0}, 0.006f, 0.006f, 5, {0.6f, 0.45f, 0.28f});
    segment(&out, {0, 0.62f, 0}, {0, 0.76f, 0}, 0.016f, 0.0f, 4, {0.6f, 0.6f, 0.62f});
    for (int i = 0; i < 3; ++i)
        box(&out, {0, -0.38f, 0}, {0.002f, 0.16f, 0.026f}, {0, (float)i * 2.0f * PI / 3.0f, 0},
            i == 0 ? Vec3{0.8f, 0.2f, 0.15f} : Vec3{0.9f, 0.9f, 0.85f});
    return out;
}

// A leather quiver with the fletchings of its arrows above the rim.
MeshBuilder quiver_mesh() {
    MeshBuilder out{};
    Vec3 leather = {0.36f, 0.24f, 0.15f};
    segment(&out, {0, -0.24f, 0}, {0, 0.22f, 0}, 0.042f, 0.05f, 10, leather);
    segment(&out, {0, 0.16f, 0}, {0, 0.19f, 0}, 0.053f, 0.053f, 10, shade(leather, 0.7f));
    for (int i = 0; i < 6; ++i) {
        float a = (float)i * 2.0f * PI / 6.0f + 0.3f;
        Vec3 base = {std::sin(a) * 0.025f, 0.2f, std::cos(a) * 0.025f};
        Vec3 top = base + Vec3{std::sin(a) * 0.01f, 0.13f + 0.015f * (float)(i % 3), std::cos(a) * 0.01f};
        segment(&out, base, top, 0.005f, 0.005f, 4, {0.6f, 0.45f, 0.28f});
        box(&out, top - Vec3{0, 0.05f, 0}, {0.003f, 0.09f, 0.03f}, {0, a, 0},
            i % 2 ? Vec3{0.8f, 0.2f, 0.15f} : Vec3{0.9f, 0.9f, 0.85f});
    }
    return out;
}

WeaponKind kind_of(const GpuMesh* mesh) {
    if (!mesh) return WEAPON_NONE;
    for (int i = 0; i < built.count; ++i)
        if (built.mesh[i] == mesh) return built.design[i].kind;
    return WEAPON_NONE;
}

Material* material_for(WeaponKind kind) {
    return kind == WEAPON_SWORD || kind == WEAPON_AXE ? built.metal : built.wood;
}

}  // namespace

void weapons_build(const WeaponDesign* designs, int count) {
    if (built.ready) return;
    assert(count >= 0 && count <= MAX_DESIGNS);
    if (count > MAX_DESIGNS) count = MAX_DESIGNS;
    if (count < 0) count = 0;
    MeshBuilder pieces[MAX_DESIGNS + SHARED_COUNT] = {};
    for (int i = 0; i < count; ++i) {
        const WeaponDesign& d = designs[i];
        built.design[i] = d;
        switch (d.kind) {
            case WEAPON_BOW: pieces[i] = bow_mesh(d, built.tip[i]); break;
            case WEAPON_SWORD: pieces[i] = sword_mesh(d); break;
            case WEAPON_AXE: pieces[i] = axe_mesh(d); break;
            case WEAPON_STAFF: pieces[i] = staff_mesh(d); break;
            default: break;
        }
    }
    pieces[count + S_SHIELD] = shield_mesh();
    pieces[count + S_STRING] = string_mesh();
    pieces[count + S_ARROW] = nocked_arrow_mesh();
    pieces[count + S_QUIVER] = quiver_mesh();
    GpuMesh* out[MAX_DESIGNS + SHARED_COUNT] = {};
    mesh_upload_pool(pieces, count + SHARED_COUNT, out);
    for (int i = 0; i < count; ++i) built.mesh[i] = out[i];
    for (int s = 0; s < SHARED_COUNT; ++s) built.shared[s] = out[count + s];
    built.count = count;

    Material m;
    material_init(&m, {1, 1, 1}, 8.0f, 0.1f);
    m.roughness = 0.7f;
    built.wood = material_copy(m);
    material_init(&m, {1, 1, 1});
    m.roughness = 0.28f;
    m.light_flag_d = 1;
    built.metal = material_copy(m);
    material_init(&m, {1, 1, 1});
    m.roughness = 0.9f;
    built.cord = material_copy(m);
    built.ready = true;
}

bool weapons_ready() { return built.ready; }

GpuMesh* weapon_design_mesh(int design) {
    return design >= 0 && design < built.count ? built.mesh[design] : nullptr;
}

void weapons_attach(Model* m, HumanRig* rig) {
    if (!m || !rig || !built.ready || rig->hand[0] < 0 || rig->hand[1] < 0) return;
    HumanRig& r = *rig;
    r.bow = model_add_part(m, r.hand[0], nullptr, built.wood, {0.0f, -0.01f, 0.0f});
    r.held = model_add_part(m, r.hand[1], nullptr, built.metal, {0.0f, -0.01f, 0.0f});
    r.shield = model_add_part(m, r.forearm[0], built.shared[S_SHIELD], built.wood, kShieldAt);
    r.quiver = model_add_part(m, r.torso, built.shared[S_QUIVER], built.wood, kQuiverAt);
    if (r.bow < 0 || r.held < 0 || r.shield < 0 || r.quiver < 0) return;
    // The shield's face looks out from the forearm; the quiver leans so the
    // fletchings come to the drawing hand over the right shoulder.
    m->nodes[r.shield].rotation = {0.0f, 0.0f, -PI * 0.5f};
    m->nodes[r.quiver].rotation = {0.12f, 0.0f, 0.35f};
    // The string and the arrow hang from the bow's node so that they are
    // drawn only with it; their matrices come from the ties.
    r.string[0] = model_add_part(m, r.bow, built.shared[S_STRING], built.cord, {0, 0, 0});
    r.string[1] = model_add_part(m, r.bow, built.shared[S_STRING], built.cord, {0, 0, 0});
    r.nocked = model_add_part(m, r.bow, built.shared[S_ARROW], built.wood, {0, 0, 0});
    if (r.string[0] < 0 || r.string[1] < 0 || r.nocked < 0) return;
    for (int i : {r.bow, r.held, r.shield, r.quiver, r.nocked}) m->nodes[i].visible = 0;
    r.string_tie = model_add_tie(m, r.string[0], r.bow, {0, 0, 0}, r.bow, {0, 0, 0}, r.hand[1], kNock);
    int t1 = model_add_tie(m, r.string[1], r.bow, {0, 0, 0}, r.bow, {0, 0, 0}, r.hand[1], kNock);
    int t2 = model_add_tie(m, r.nocked, r.hand[1], kNock, r.bow, {0, 0, 0}, r.bow, {0, 0, 0});
    if (r.string_tie < 0 || t1 != r.string_tie + 1 || t2 != r.string_tie + 2) return;
    r.armed = 1;
}

void weapons_show(Model* m, const HumanRig& r, int held, bool shield, bool quiver) {
    if (!m || !r.armed || r.nocked >= m->node_count) return;
    bool valid = held >= 0 && held < built.count && built.mesh[held];
    WeaponKind kind = valid ? built.design[held].kind : WEAPON_NONE;
    Node& bow = m->nodes[r.bow];
    Node& hand = m->nodes[r.held];
    bow.visible = kind == WEAPON_BOW;
    bow.mesh = kind == WEAPON_BOW ? built.mesh[held] : nullptr;
    hand.visible = valid && kind != WEAPON_BOW;
    hand.mesh = hand.visible ? built.mesh[held] : nullptr;
    hand.material = valid ? material_for(kind) : built.metal;
    // Blades lean forward of the fist; a staff is turned upright by the pose.
    hand.rotation = {kind == WEAPON_STAFF ? 0.0f : kBladeLean, 0.0f, 0.0f};
    m->nodes[r.shield].visible = shield;
    m->nodes[r.quiver].visible = quiver;
    if (kind == WEAPON_BOW) {
        // The string runs from each tip to the middle (at rest) or the nock.
        NodeTie* t = &m->ties[r.string_tie];
        Vec3 top = built.tip[held][0], low = built.tip[held][1];
        Vec3 brace = {0.0f, 0.0f, top.z};
        t[0].from_at = top;
        t[0].to_at = brace;
        t[1].from_at = low;
        t[1].to_at = brace;
        t[2].to_at = t[2].pull_at = Vec3{0.0f, 0.0f, 0.01f};
    }
}

namespace {

// The rotation part of a node's own transform.
Mat4 turn_of(const Node& n) { return mat4_from_prs({0, 0, 0}, n.rotation, {1, 1, 1}); }

Mat4 transposed(const Mat4& a) {
    Mat4 t = mat4_identity();
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) t.m[c * 4 + r] = a.m[r * 4 + c];
    return t;
}

// Between two rotations: the columns blended, then made orthonormal again.
Mat4 blend_turn(const Mat4& a, const Mat4& b, float t) {
    Vec3 y = normalize(lerp(Vec3{a.m[4], a.m[5], a.m[6]}, Vec3{b.m[4], b.m[5], b.m[6]}, t));
    Vec3 z = lerp(Vec3{a.m[8], a.m[9], a.m[10]}, Vec3{b.m[8], b.m[9], b.m[10]}, t);
    Vec3 x = normalize(cross(y, z));
    z = cross(x, y);
    return mat4_from_axes(x, y, z);
}

}  // namespace

void weapons_pose(Model* m, const HumanRig& r, float aim, float draw, float guard) {
    if (!m || !r.armed || r.nocked >= m->node_count || r.string_tie < 0 || r.string_tie + 2 >= m->tie_count) return;
    aim = clampf(aim, 0.0f, 1.0f);
    draw = clampf(draw, 0.0f, 1.0f);
    guard = clampf(guard, 0.0f, 1.0f);
    // Upright in the hand: the pitch of the arm and forearm undone; at rest
    // a bow leans across the body instead of touching the ground.
    const Node& a0 = m->nodes[r.arm[0]];
    const Node& f0 = m->nodes[r.forearm[0]];
    const Node& a1 = m->nodes[r.arm[1]];
    const Node& f1 = m->nodes[r.forearm[1]];
    m->nodes[r.bow].rotation = {-(a0.rotation.x + f0.rotation.x) + kBowRestTilt * (1.0f - aim), 0.0f, 0.0f};
    Node& held = m->nodes[r.held];
    if (kind_of(held.mesh) == WEAPON_STAFF) held.rotation.x = -(a1.rotation.x + f1.rotation.x);
    NodeTie* t = &m->ties[r.string_tie];
    t[0].pull = t[1].pull = draw * aim;
    m->nodes[r.nocked].visible = draw * aim > 0.55f;

    // On guard the shield turns on the forearm until its face looks ahead of
    // the chest, whatever the arm's angles; at rest it hangs face outward.
    Node& shield = m->nodes[r.shield];
    // Raised, it stands out in front of the forearm so the fist stays behind it.
    Mat4 into_forearm = transposed(turn_of(a0) * turn_of(f0));
    Mat4 hanging = mat4_rotate_z(-PI * 0.5f);
    Mat4 ahead = into_forearm * mat4_rotate_y(-0.25f) * mat4_rotate_x(PI * 0.5f - 0.12f);
    Vec3 raised_at = Vec3{0.0f, kShieldAt.y, 0.0f} + mat4_mul_dir(into_forearm, {0.0f, 0.0f, 0.1f});
    shield.use_matrix = 1;
    shield.local_matrix = mat4_translate(lerp(kShieldAt, raised_at, guard)) * blend_turn(hanging, ahead, guard);
}
