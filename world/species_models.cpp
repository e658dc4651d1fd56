// Creature templates: beasts on four legs, goblins, brigands, skeletons, the
// crypt's lord and the felon knights, sized to their hit shapes.
#include "world/species_models.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "world/human.h"
#include "render/mesh.h"

SpeciesModel species_models[SPECIES_MODEL_COUNT];
static bool ready;

bool species_models_ready() { return ready; }

// ---- Materials ------------------------------------------------------------------

static Material *m_fur, *m_hide, *m_bone, *m_metal, *m_cloth, *m_leather, *m_wood, *m_dark, *m_glow,
    *m_spirit, *m_gold;

static void materials_init() {
    if (m_fur) return;
    Material m;
    material_init(&m, {1, 1, 1}, 30.0f, 0.22f);
    m.noise_on = 1;
    m.roughness = 0.9f;
    m.light_a = 0.5f;
    m_fur = material_copy(m);
    material_init(&m, {1, 1, 1}, 8.0f, 0.12f);
    m.roughness = 0.7f;
    m_hide = material_copy(m);
    material_init(&m, {0.86f, 0.82f, 0.7f}, 12.0f, 0.15f);
    m.noise_on = 1;
    m.roughness = 0.6f;
    m_bone = material_copy(m);
    material_init(&m, {1, 1, 1}, 20.0f, 0.1f);
    m.roughness = 0.35f;
    m.light_flag_d = 1;
    m_metal = material_copy(m);
    material_init(&m, {1, 1, 1}, 9.0f, 0.08f);
    m.roughness = 0.9f;
    material_set_pattern(&m, 2, 14.0f);
    m_cloth = material_copy(m);
    material_init(&m, {1, 1, 1}, 6.0f, 0.12f);
    m.roughness = 0.75f;
    m_leather = material_copy(m);
    material_init(&m, {1, 1, 1}, 16.0f, 0.2f);
    m.roughness = 0.8f;
    m_wood = material_copy(m);
    material_init(&m, {0.05f, 0.04f, 0.04f});
    m.roughness = 0.2f;
    m.light_flag_d = 1;
    m_dark = material_copy(m);
    material_init(&m, {1, 1, 1});
    m.emission = {1.2f, 0.35f, 0.15f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    m_glow = material_copy(m);
    material_init(&m, {0.55f, 0.8f, 1.0f});
    m.emission = {0.25f, 0.45f, 0.7f};
    m.alpha = 0.62f;
    m.no_shadow = 1;
    m_spirit = material_copy(m);
    material_init(&m, {1, 1, 1});
    m.roughness = 0.25f;
    m.light_flag_d = 1;
    m_gold = material_copy(m);
}

// ---- Helpers ------------------------------------------------------------------------

static int part(Model* m, int parent, MeshBuilder b, Material* mat, Vec3 pos, Vec3 rot, Vec3 tint) {
    GpuMesh* g = mesh_upload(&b);
    int i = model_add_part(m, parent, g, mat, pos);
    if (i >= 0) {
        m->nodes[i].rotation = rot;
        m->nodes[i].tint = tint;
    }
    return i;
}

static int joint(Model* m, int parent, Vec3 pos) { return model_add_node(m, parent, pos); }

// A limb segment hanging down from its joint.
static int limb(Model* m, int parent, float r_top, float r_bottom, float len, Material* mat, Vec3 tint) {
    return part(m, parent, shape_frustum(r_top, r_bottom, len, 10, true), mat, {0, -len * 0.5f, 0}, {0, 0, 0}, tint);
}

// A cloth hood over the skull with an opening for the face: the band's front
// below the brow is folded back toward the cheeks.
static MeshBuilder hood_mesh(float rx, float ry, float rz) {
    MeshBuilder b = shape_ellipsoid_band(rx, ry, rz, 0.0f, 2.05f, 18);
    for (int i = 0; i < b.vertex_count; ++i) {
        Vec3& p = b.vertices[i].position;
        if (p.z > 0.0f && p.y < 0.055f) {
            float k = smoothstepf(0.055f, -0.01f, p.y);
            p.z -= k * p.z * 0.7f;
        }
    }
    return b;
}

static void slots_clear(SpeciesSlots& s) { std::memset(&s, 0xFF, sizeof(s)); }

// ---- Four-legged beasts -----------------------------------------------------------

struct QuadSpec {
    float body_y, half_side, half_height, half_length;
    float head_y, head_fwd, head_r;
    float leg_r;
    Vec3 fur, belly, muzzle;
    float snout_len, snout_r;
    int kind;  // 0 boar, 1 wolf, 2 bear
    float tail_len, tail_r;
    Material* mat;
};

static void build_quadruped(SpeciesModel& sm, const QuadSpec& q) {
    Model* m = &sm.model;
    SpeciesSlots& s = sm.slots;
    slots_clear(s);
    sm.quadruped = 1;
    Material* fur = q.mat;
    Material* hide = q.mat == m_spirit ? m_spirit : m_hide;
    Material* dark = q.mat == m_spirit ? m_spirit : m_dark;
    s.body = joint(m, -1, {0, 0, 0});
    // Trunk: the hit ellipsoid, with a deeper chest and (boar, bear) a hump.
    part(m, s.body, shape_ellipsoid(q.half_side * 0.95f, q.half_height * 0.9f, q.half_length * 0.95f, 20),
         fur, {0, q.body_y, 0}, {0, 0, 0}, q.fur);
    part(m, s.body, shape_ellipsoid(q.half_side * 0.9f, q.half_height * 0.75f, q.half_length * 0.45f, 16),
         fur, {0, q.body_y - q.half_height * 0.2f, q.half_length * 0.35f}, {0, 0, 0}, q.belly);
    if (q.kind != 1) {
        part(m, s.body, shape_ellipsoid(q.half_side * 0.7f, q.half_height * 0.45f, q.half_length * 0.45f, 14),
             fur, {0, q.body_y + q.half_height * 0.6f, q.half_length * 0.25f}, {0.15f, 0, 0}, q.fur * 0.75f);
    } else {
        // Wolf's ruff at the chest.
        part(m, s.body, shape_ellipsoid(q.half_side * 1.05f, q.half_height * 0.95f, q.half_length * 0.3f, 16),
             fur, {0, q.body_y + 0.02f, q.half_length * 0.6f}, {0, 0, 0}, q.belly);
    }

    // Head on a neck that bends with it.
    Vec3 neck_base = {0, q.body_y + q.half_height * 0.35f, q.half_length * 0.75f};
    s.head = joint(m, s.body, {0, q.head_y, q.head_fwd - q.head_r * 0.45f});
    {
        Vec3 head_pos = {0, q.head_y, q.head_fwd - q.head_r * 0.45f};
        Vec3 d = head_pos - neck_base;
        float len = length(d);
        float a = std::atan2(d.z, d.y);  // pitch taking +y onto the neck line
        int neck = part(m, s.body, shape_frustum(q.head_r * 0.7f, q.half_side * 0.8f, len * 1.1f, 14, false), fur,
                        neck_base + d * 0.5f, {a, 0, 0}, q.fur);
        model_bind_skin(m, neck, s.head);
    }
    part(m, s.head, shape_ellipsoid(q.head_r * 0.8f, q.head_r * 0.78f, q.head_r, 16), fur,
         {0, 0, q.head_r * 0.45f}, {0, 0, 0}, q.fur);
    float sl = q.snout_len;
    part(m, s.head, shape_frustum(q.snout_r, q.head_r * 0.6f, sl, 12, true), fur,
         {0, -q.head_r * 0.2f, q.head_r * 0.9f + sl * 0.5f}, {PI * 0.5f, 0, 0}, q.muzzle);
    Vec3 nose = {0, -q.head_r * 0.2f, q.head_r * 0.9f + sl};
    part(m, s.head, shape_ellipsoid(q.snout_r * 1.05f, q.snout_r * 0.8f, 0.02f, 10), q.kind == 0 ? hide : dark,
         nose, {0, 0, 0}, q.kind == 0 ? Vec3{0.55f, 0.4f, 0.38f} : Vec3{1, 1, 1});
    for (int side = -1; side <= 1; side += 2) {
        float sx = (float)side;
        part(m, s.head, shape_ellipsoid(0.018f, 0.016f, 0.012f, 8), dark,
             {sx * q.head_r * 0.5f, q.head_r * 0.25f, q.head_r * 1.05f}, {0, 0, 0}, {1, 1, 1});
        if (q.kind == 1) {  // tall pointed ears
            part(m, s.head, shape_frustum(0.0f, 0.045f, 0.13f, 8, true), fur,
                 {sx * q.head_r * 0.45f, q.head_r * 0.85f, q.head_r * 0.2f}, {-0.15f, 0, -sx * 0.25f}, q.fur);
        } else if (q.kind == 2) {  // round ears
            part(m, s.head, shape_ellipsoid(0.06f, 0.06f, 0.025f, 10), fur,
                 {sx * q.head_r * 0.6f, q.head_r * 0.75f, q.head_r * 0.1f}, {0, 0, 0}, q.fur * 0.8f);
        } else {  // boar: floppy ears and curved tusks
            part(m, s.head, shape_frustum(0.0f, 0.05f, 0.12f, 8, true), fur,
                 {sx * q.head_r * 0.6f, q.head_r * 0.65f, q.head_r * 0.05f}, {-0.6f, 0, -sx * 0.9f}, q.fur);
            part(m, s.head, shape_frustum(0.0f, 0.018f, 0.12f, 6, true), m_bone,
                 {sx * q.snout_r * 0.9f, -q.head_r * 0.22f, q.head_r * 0.9f + sl * 0.8f}, {-0.5f, 0, -sx * 0.3f},
                 {1, 0.95f, 0.85f});
        }
    }
    if (q.kind == 0) {  // bristle ridge along the spine
        part(m, s.body, shape_ellipsoid(0.05f, 0.09f, q.half_length * 0.8f, 10), fur,
             {0, q.body_y + q.half_height * 0.88f, 0.05f}, {0, 0, 0}, q.fur * 0.55f);
    }

    // Legs: upper and lower segments with the knee between them.
    float leg_top = q.body_y - q.half_height * 0.35f;
    float upper = leg_top * 0.5f, lower = leg_top - upper;
    for (int i = 0; i < 4; ++i) {
        bool front = i < 2;
        float sx = (i % 2 == 0) ? 1.0f : -1.0f;
        float z = (front ? 1.0f : -1.0f) * q.half_length * 0.6f;
        int hip = joint(m, s.body, {sx * q.half_side * 0.6f, leg_top, z});
        part(m, hip, shape_ellipsoid(q.leg_r * 1.4f, upper * 0.75f, q.leg_r * 1.6f, 10), fur,
             {0, -upper * 0.35f, 0}, {0, 0, 0}, q.fur);
        int knee = joint(m, hip, {0, -upper, 0});
        limb(m, knee, q.leg_r, q.leg_r * 0.75f, lower, fur, q.fur * 0.85f);
        part(m, knee, shape_ellipsoid(q.leg_r * 1.05f, 0.03f, q.leg_r * 1.5f, 8), q.kind == 0 ? dark : fur,
             {0, -lower + 0.02f, q.leg_r * 0.4f}, {0, 0, 0}, q.kind == 0 ? Vec3{1, 1, 1} : q.fur * 0.6f);
        if (front) {
            s.front_leg[i % 2] = hip;
            s.lower_front[i % 2] = knee;
        } else {
            s.hind_leg[i % 2] = hip;
            s.lower_hind[i % 2] = knee;
        }
    }

    // Tail, drooping back and down from the rump.
    s.tail = joint(m, s.body, {0, q.body_y + q.half_height * 0.35f, -q.half_length * 0.92f});
    Vec3 dir = normalize(Vec3{0, -0.55f, -0.85f});
    float ta = std::atan2(dir.z, dir.y);
    part(m, s.tail, shape_ellipsoid(q.tail_r, q.tail_len * 0.5f, q.tail_r, 10), fur, dir * (q.tail_len * 0.5f),
         {ta, 0, 0}, q.fur * (q.kind == 1 ? 1.05f : 0.8f));
    sm.weapon_tip = -1;
}

// ---- Two-legged frames --------------------------------------------------------------

struct BipedFrame {
    int hips, torso;
};

static BipedFrame biped_joints(SpeciesModel& sm, float hip_y, float thigh, float shin, float hip_w, float torso_h,
                               float shoulder_w, float upper_arm) {
    Model* m = &sm.model;
    SpeciesSlots& s = sm.slots;
    slots_clear(s);
    sm.quadruped = 0;
    BipedFrame f;
    s.body = joint(m, -1, {0, 0, 0});
    f.hips = joint(m, s.body, {0, hip_y, 0});
    for (int i = 0; i < 2; ++i) {
        float sx = i == 0 ? 1.0f : -1.0f;
        s.leg[i] = joint(m, f.hips, {sx * hip_w, -0.02f, 0});
        s.knee[i] = joint(m, s.leg[i], {0, -thigh, 0});
    }
    (void)shin;
    f.torso = joint(m, f.hips, {0, 0.02f, 0});
    s.head = joint(m, f.torso, {0, torso_h, 0});
    s.off_arm = joint(m, f.torso, {shoulder_w, torso_h - 0.12f, 0});
    s.weapon_arm = joint(m, f.torso, {-shoulder_w, torso_h - 0.12f, 0});
    s.off_forearm = joint(m, s.off_arm, {0, -upper_arm, 0});
    s.weapon_forearm = joint(m, s.weapon_arm, {0, -upper_arm, 0});
    return f;
}

static int sword(Model* m, int hand, float len, Vec3 blade_tint, Material* blade_mat) {
    // Held in the fist, blade forward along +z while the arm hangs.
    part(m, hand, shape_box({0.022f, 0.022f, 0.13f}), m_leather, {0, 0, 0.0f}, {0, 0, 0}, {0.3f, 0.2f, 0.12f});
    part(m, hand, shape_box({0.16f, 0.02f, 0.025f}), m_metal, {0, 0, 0.07f}, {0, 0, 0}, {0.6f, 0.55f, 0.45f});
    part(m, hand, shape_box({0.05f, 0.008f, len}), blade_mat, {0, 0, 0.08f + len * 0.5f}, {0, 0, 0}, blade_tint);
    return joint(m, hand, {0, 0, 0.08f + len});
}

// ---- Skeletons --------------------------------------------------------------------

static void skeleton_body(SpeciesModel& sm, Vec3 bone, float bulk) {
    Model* m = &sm.model;
    SpeciesSlots& s = sm.slots;
    BipedFrame f = biped_joints(sm, 0.95f, 0.44f, 0.44f, 0.09f, 0.60f, 0.19f * bulk, 0.30f);
    part(m, f.hips, shape_ellipsoid(0.13f * bulk, 0.06f, 0.08f, 12), m_bone, {0, 0, 0}, {0, 0, 0}, bone);
    for (int i = 0; i < 2; ++i) {
        limb(m, s.leg[i], 0.028f, 0.022f, 0.44f, m_bone, bone);
        part(m, s.knee[i], shape_ellipsoid(0.035f, 0.03f, 0.035f, 8), m_bone, {0, 0, 0.01f}, {0, 0, 0}, bone);
        limb(m, s.knee[i], 0.024f, 0.018f, 0.42f, m_bone, bone);
        part(m, s.knee[i], shape_box({0.07f, 0.03f, 0.16f}), m_bone, {0, -0.44f, 0.04f}, {0, 0, 0}, bone);
    }
    // Spine, ribcage hoops, collar bar, pelvis.
    part(m, f.torso, shape_frustum(0.022f, 0.028f, 0.58f, 8, true), m_bone, {0, 0.29f, -0.05f}, {0, 0, 0}, bone);
    for (int r = 0; r < 5; ++r) {
        float y = 0.25f + 0.055f * (float)r;
        float rad = (0.10f + 0.018f * (float)(r < 3 ? r : 5 - r)) * bulk;
        Material* mm = m_bone;
        int n = part(m, f.torso, shape_frustum(rad, rad * 1.02f, 0.022f, 14, false), mm, {0, y, 0}, {0, 0, 0}, bone);
        m->nodes[n].scale = {1.15f, 1.0f, 0.8f};
    }
    part(m, f.torso, shape_box({0.40f * bulk, 0.03f, 0.05f}), m_bone, {0, 0.49f, 0}, {0, 0, 0}, bone);
    // Skull with hollow glowing eyes and a jaw.
    part(m, s.head, shape_frustum(0.018f, 0.022f, 0.1f, 8, true), m_bone, {0, 0.02f, -0.01f}, {0, 0, 0}, bone);
    part(m, s.head, shape_ellipsoid(0.082f, 0.095f, 0.1f, 16), m_bone, {0, 0.12f, 0.0f}, {0, 0, 0}, bone);
    part(m, s.head, shape_box({0.11f, 0.04f, 0.09f}), m_bone, {0, 0.045f, 0.035f}, {0, 0, 0}, bone);
    for (int side = -1; side <= 1; side += 2) {
        part(m, s.head, shape_ellipsoid(0.024f, 0.02f, 0.012f, 8), m_dark, {side * 0.034f, 0.12f, 0.088f},
             {0, 0, 0}, {1, 1, 1});
        part(m, s.head, shape_ellipsoid(0.008f, 0.008f, 0.006f, 6), m_glow, {side * 0.034f, 0.12f, 0.097f},
             {0, 0, 0}, {1, 1, 1});
    }
    // Arms.
    int arms[2] = {s.off_arm, s.weapon_arm};
    int fores[2] = {s.off_forearm, s.weapon_forearm};
    for (int i = 0; i < 2; ++i) {
        part(m, arms[i], shape_ellipsoid(0.04f, 0.035f, 0.04f, 8), m_bone, {0, 0, 0}, {0, 0, 0}, bone);
        limb(m, arms[i], 0.024f, 0.019f, 0.30f, m_bone, bone);
        limb(m, fores[i], 0.018f, 0.015f, 0.26f, m_bone, bone);
        part(m, fores[i], shape_box({0.05f, 0.08f, 0.025f}), m_bone, {0, -0.29f, 0}, {0, 0, 0}, bone);
    }
}

static void build_skeleton(SpeciesModel& sm, int species) {
    Model* m = &sm.model;
    SpeciesSlots& s = sm.slots;
    Vec3 bone = species == 6 ? Vec3{0.78f, 0.74f, 0.64f} : Vec3{0.92f, 0.89f, 0.8f};
    float bulk = species == 7 ? 1.2f : (species == 6 ? 1.1f : 1.0f);
    skeleton_body(sm, bone, bulk);
    Vec3 rust = {0.55f, 0.42f, 0.32f};
    Vec3 iron = {0.5f, 0.52f, 0.55f};
    if (species == 4) {  // warrior: sword and a round shield, a dented cap
        sm.weapon_tip = sword(m, joint(m, s.weapon_forearm, {0, -0.29f, 0}), 0.75f, rust, m_metal);
        part(m, s.off_forearm, shape_frustum(0.25f, 0.25f, 0.04f, 18, true), m_wood, {0.06f, -0.16f, 0},
             {0, 0, PI * 0.5f}, {0.45f, 0.33f, 0.2f});
        part(m, s.off_forearm, shape_ellipsoid(0.06f, 0.06f, 0.03f, 10), m_metal, {0.085f, -0.16f, 0},
             {0, 0, PI * 0.5f}, iron);
        part(m, s.head, shape_ellipsoid_band(0.095f, 0.1f, 0.11f, 0.0f, 1.4f, 16), m_metal, {0, 0.13f, 0},
             {0, 0, 0}, rust);
    } else if (species == 5) {  // archer: bow in the off hand, quiver on the back
        part(m, s.off_forearm, shape_frustum(0.012f, 0.012f, 1.3f, 6, true), m_wood, {0, -0.28f, 0.0f},
             {PI * 0.5f, 0, 0}, {0.42f, 0.3f, 0.18f});
        part(m, s.off_forearm, shape_box({0.004f, 0.004f, 1.25f}), m_bone, {0, -0.28f, -0.09f}, {PI * 0.5f, 0, 0},
             {0.9f, 0.9f, 0.85f});
        part(m, 0 + s.body, shape_frustum(0.06f, 0.05f, 0.5f, 10, true), m_leather, {0.08f, 1.35f, -0.15f},
             {0.35f, 0, 0.2f}, {0.35f, 0.24f, 0.15f});
        part(m, s.head, shape_frustum(0.0f, 0.11f, 0.16f, 12, false), m_cloth, {0, 0.19f, -0.01f}, {0, 0, 0},
             {0.3f, 0.28f, 0.25f});
        sm.weapon_tip = joint(m, s.off_forearm, {0, -0.28f, 0.65f});
    } else if (species == 6) {  // bone guardian: tower shield, mace, full helm
        part(m, s.off_forearm, shape_box({0.06f, 0.95f, 0.5f}), m_wood, {0.07f, -0.12f, 0.05f}, {0, 0, 0},
             {0.35f, 0.3f, 0.25f});
        part(m, s.off_forearm, shape_box({0.07f, 0.9f, 0.08f}), m_metal, {0.1f, -0.12f, 0.05f}, {0, 0, 0}, iron);
        part(m, s.weapon_forearm, shape_frustum(0.02f, 0.02f, 0.7f, 8, true), m_wood, {0, -0.28f, 0.3f},
             {PI * 0.5f, 0, 0}, {0.35f, 0.25f, 0.16f});
        part(m, s.weapon_forearm, shape_ellipsoid(0.07f, 0.07f, 0.07f, 10), m_metal, {0, -0.28f, 0.66f}, {0, 0, 0},
             iron);
        sm.weapon_tip = joint(m, s.weapon_forearm, {0, -0.28f, 0.7f});
        part(m, s.head, shape_ellipsoid(0.1f, 0.11f, 0.115f, 16), m_metal, {0, 0.135f, -0.005f}, {0, 0, 0}, iron);
        part(m, s.head, shape_box({0.13f, 0.02f, 0.02f}), m_dark, {0, 0.12f, 0.11f}, {0, 0, 0}, {1, 1, 1});
    } else {  // the crypt's lord: crown, breastplate, pauldrons, mantle, great sword
        Vec3 dark_iron = {0.28f, 0.28f, 0.3f};
        int torso = m->nodes[s.head].parent;
        part(m, torso, shape_box({0.42f, 0.42f, 0.26f}), m_metal, {0, 0.3f, 0.0f}, {0, 0, 0}, dark_iron);
        for (int side = -1; side <= 1; side += 2) {
            int arm = side > 0 ? s.off_arm : s.weapon_arm;
            part(m, arm, shape_ellipsoid(0.11f, 0.08f, 0.11f, 12), m_metal, {0, 0.02f, 0}, {0, 0, 0}, dark_iron);
        }
        int cape = part(m, torso, shape_box({0.5f, 1.15f, 0.02f}), m_cloth, {0, -0.05f, -0.17f}, {0.08f, 0, 0},
                        {0.35f, 0.06f, 0.08f});
        m->nodes[cape].material = material_copy(*m_cloth);
        m->nodes[cape].material->double_sided = 1;
        MeshBuilder crown{};
        for (int k = 0; k < 6; ++k) {
            MeshBuilder spike = shape_frustum(0.0f, 0.02f, 0.07f, 6, true);
            float a = (float)k * PI / 3.0f;
            mb_append(&crown, &spike, mat4_translate({std::sin(a) * 0.085f, 0.05f, std::cos(a) * 0.085f}), {1, 1, 1});
            mb_free(&spike);
        }
        MeshBuilder band = shape_frustum(0.09f, 0.092f, 0.04f, 16, false);
        mb_append(&crown, &band, mat4_identity(), {1, 1, 1});
        mb_free(&band);
        part(m, s.head, crown, m_gold, {0, 0.19f, 0}, {0, 0, 0}, {0.9f, 0.72f, 0.3f});
        sm.weapon_tip = sword(m, joint(m, s.weapon_forearm, {0, -0.29f, 0}), 1.2f, {0.45f, 0.45f, 0.5f}, m_metal);
    }
}

// ---- Goblin -----------------------------------------------------------------------

static float belly(float y, float a, void*) {
    float front = std::cos(a);
    return 1.0f + (front > 0.0f ? 0.35f * front * std::exp(-((y - 0.12f) * (y - 0.12f)) / 0.01f) : 0.0f);
}

static void build_goblin(SpeciesModel& sm) {
    Model* m = &sm.model;
    SpeciesSlots& s = sm.slots;
    Vec3 skin = {0.42f, 0.55f, 0.26f};
    Vec3 rag = {0.4f, 0.3f, 0.2f};
    BipedFrame f = biped_joints(sm, 0.5f, 0.24f, 0.24f, 0.1f, 0.4f, 0.2f, 0.24f);
    for (int i = 0; i < 2; ++i) {
        m->nodes[s.leg[i]].rotation.z = (i == 0 ? 0.12f : -0.12f);  // bowed legs
        limb(m, s.leg[i], 0.05f, 0.04f, 0.24f, m_hide, skin);
        limb(m, s.knee[i], 0.038f, 0.03f, 0.24f, m_hide, skin);
        part(m, s.knee[i], shape_ellipsoid(0.045f, 0.025f, 0.09f, 8), m_hide, {0, -0.25f, 0.04f}, {0, 0, 0}, skin * 0.8f);
    }
    LoftPoint body[] = {
        {-0.06f, 0.16f, 0.12f, 0.1f, 0.0f}, {0.1f, 0.2f, 0.15f, 0.11f, 0.02f},
        {0.26f, 0.2f, 0.12f, 0.1f, 0.0f},   {0.38f, 0.16f, 0.08f, 0.08f, -0.01f},
        {0.44f, 0.06f, 0.05f, 0.05f, 0.0f},
    };
    part(m, f.torso, shape_loft(body, 5, 16, 3, belly, nullptr), m_hide, {0, 0, 0}, {0, 0, 0}, skin);
    part(m, f.torso, shape_frustum(0.2f, 0.24f, 0.2f, 14, false), m_cloth, {0, -0.05f, 0}, {0, 0, 0}, rag);
    part(m, f.torso, shape_frustum(0.205f, 0.205f, 0.04f, 14, false), m_leather, {0, 0.04f, 0}, {0, 0, 0},
         {0.3f, 0.2f, 0.12f});
    // Big head, long nose, wide pointed ears, yellow eyes.
    part(m, s.head, shape_ellipsoid(0.15f, 0.14f, 0.14f, 18), m_hide, {0, 0.15f, 0.0f}, {0, 0, 0}, skin);
    part(m, s.head, shape_frustum(0.012f, 0.035f, 0.11f, 8, true), m_hide, {0, 0.13f, 0.17f}, {1.9f, 0, 0}, skin * 0.9f);
    for (int side = -1; side <= 1; side += 2) {
        part(m, s.head, shape_frustum(0.0f, 0.05f, 0.2f, 8, true), m_hide, {side * 0.2f, 0.19f, -0.01f},
             {0.0f, 0.0f, -side * 1.25f}, skin);
        part(m, s.head, shape_ellipsoid(0.025f, 0.02f, 0.012f, 8), m_glow, {side * 0.055f, 0.18f, 0.128f},
             {0, 0, 0}, {1.0f, 0.9f, 0.3f});
    }
    part(m, s.head, shape_box({0.1f, 0.012f, 0.02f}), m_dark, {0, 0.08f, 0.125f}, {0, 0, 0}, {1, 1, 1});
    int arms[2] = {s.off_arm, s.weapon_arm};
    int fores[2] = {s.off_forearm, s.weapon_forearm};
    for (int i = 0; i < 2; ++i) {
        limb(m, arms[i], 0.045f, 0.036f, 0.24f, m_hide, skin);
        limb(m, fores[i], 0.036f, 0.03f, 0.22f, m_hide, skin);
        part(m, fores[i], shape_ellipsoid(0.04f, 0.05f, 0.03f, 8), m_hide, {0, -0.25f, 0}, {0, 0, 0}, skin);
    }
    // Knobbly club.
    part(m, s.weapon_forearm, shape_frustum(0.055f, 0.025f, 0.5f, 8, true), m_wood, {0, -0.25f, 0.25f},
         {PI * 0.5f, 0, 0}, {0.4f, 0.28f, 0.16f});
    sm.weapon_tip = joint(m, s.weapon_forearm, {0, -0.25f, 0.5f});
}

// ---- Humans in arms: brigands and felon knights -----------------------------------

static void build_armed_human(SpeciesModel& sm, bool knight) {
    Model* m = &sm.model;
    SpeciesSlots& s = sm.slots;
    slots_clear(s);
    sm.quadruped = 0;
    AppearanceChoice c = {0, knight ? 1 : 2, 0, knight ? 1 : 0, 0, knight ? 0 : 1};
    Appearance a = appearance_from_choice(c);
    s.body = joint(m, -1, {0, 0, 0});
    // Grown to the hit shape: the head centre at 1.86 m.
    m->nodes[s.body].scale = {1.09f, 1.09f, 1.09f};
    HumanRig r;
    human_build(m, s.body, &a, &r);
    s.head = r.head;
    s.leg[0] = r.leg[0];
    s.leg[1] = r.leg[1];
    s.knee[0] = r.knee[0];
    s.knee[1] = r.knee[1];
    s.off_arm = r.arm[0];
    s.weapon_arm = r.arm[1];
    s.off_forearm = r.forearm[0];
    s.weapon_forearm = r.forearm[1];
    Material* cloth = material_copy(*human_clothing_material());
    cloth->colour = knight ? Vec3{0.22f, 0.22f, 0.25f} : Vec3{0.38f, 0.33f, 0.24f};
    for (int i = 0; i < m->node_count; ++i)
        if (m->nodes[i].material == human_clothing_material()) m->nodes[i].material = cloth;
    sm.materials[sm.material_count++] = cloth;
    Vec3 steel = {0.62f, 0.64f, 0.68f};
    if (!knight) {
        // Hood, a cloth over mouth and chin, short sword.
        part(m, r.head, hood_mesh(0.108f, 0.128f, 0.118f), m_cloth, {0, 0.098f, -0.004f}, {0, 0, 0},
             {0.3f, 0.25f, 0.18f});
        int mask = part(m, r.head, shape_frustum(0.088f, 0.094f, 0.07f, 16, false), m_cloth, {0, 0.05f, 0.012f},
                        {0, 0, 0}, {0.25f, 0.2f, 0.15f});
        m->nodes[mask].scale = {1.0f, 1.0f, 1.3f};  // over the nose's wings and the chin
        part(m, r.torso, shape_frustum(0.2f, 0.24f, 0.2f, 14, false), m_leather, {0, 0.36f, 0}, {0, 0, 0},
             {0.35f, 0.24f, 0.14f});
        sm.weapon_tip = sword(m, r.hand[1], 0.6f, steel, m_metal);
    } else {
        // Great helm, breastplate, pauldrons, kite shield, long sword.
        part(m, r.head, shape_frustum(0.11f, 0.11f, 0.24f, 16, true), m_metal, {0, 0.1f, 0.012f}, {0, 0, 0}, steel);
        part(m, r.head, shape_box({0.15f, 0.012f, 0.03f}), m_dark, {0, 0.12f, 0.115f}, {0, 0, 0}, {1, 1, 1});
        part(m, r.torso, shape_ellipsoid(0.2f, 0.24f, 0.14f, 16), m_metal, {0, 0.32f, 0.02f}, {0, 0, 0}, steel);
        for (int i = 0; i < 2; ++i)
            part(m, r.arm[i], shape_ellipsoid(0.09f, 0.07f, 0.09f, 12), m_metal, {0, 0.02f, 0}, {0, 0, 0}, steel);
        part(m, r.forearm[0], shape_box({0.04f, 0.6f, 0.4f}), m_wood, {0.07f, -0.15f, 0.02f}, {0, 0, 0},
             {0.5f, 0.12f, 0.1f});
        sm.weapon_tip = sword(m, r.hand[1], 0.9f, steel, m_metal);
    }
}

// ---- The table ----------------------------------------------------------------------

void species_templates_build() {
    if (ready) return;
    // Templates live for the whole run: never part of a rebuilt figure's meshes.
    bool was = mesh_collection_suspended;
    mesh_collection_suspended = true;
    materials_init();
    for (int i = 0; i < SPECIES_MODEL_COUNT; ++i) {
        SpeciesModel& sm = species_models[i];
        std::memset(&sm, 0, sizeof(sm));
        sm.weapon_tip = -1;
    }
    QuadSpec boar = {0.64f, 0.3f, 0.36f, 0.66f, 0.56f, 0.78f, 0.22f, 0.05f,
                     {0.34f, 0.25f, 0.19f}, {0.4f, 0.31f, 0.24f}, {0.36f, 0.27f, 0.22f},
                     0.16f, 0.06f, 0, 0.22f, 0.025f, m_fur};
    QuadSpec wolf = {0.64f, 0.22f, 0.27f, 0.62f, 0.74f, 0.7f, 0.2f, 0.035f,
                     {0.5f, 0.49f, 0.46f}, {0.72f, 0.7f, 0.66f}, {0.6f, 0.58f, 0.54f},
                     0.17f, 0.04f, 1, 0.5f, 0.07f, m_fur};
    QuadSpec bear = {0.98f, 0.5f, 0.55f, 1.0f, 1.16f, 1.0f, 0.28f, 0.09f,
                     {0.36f, 0.24f, 0.15f}, {0.42f, 0.3f, 0.2f}, {0.5f, 0.38f, 0.27f},
                     0.14f, 0.08f, 2, 0.14f, 0.06f, m_fur};
    build_quadruped(species_models[0], boar);
    build_goblin(species_models[1]);
    build_quadruped(species_models[2], wolf);
    build_armed_human(species_models[3], false);
    build_skeleton(species_models[4], 4);
    build_skeleton(species_models[5], 5);
    build_skeleton(species_models[6], 6);
    build_skeleton(species_models[7], 7);
    QuadSpec spirit = wolf;
    spirit.mat = m_spirit;
    spirit.fur = {0.7f, 0.85f, 1.0f};
    spirit.belly = {0.85f, 0.95f, 1.0f};
    spirit.muzzle = spirit.belly;
    build_quadruped(species_models[8], spirit);
    build_quadruped(species_models[9], bear);
    build_armed_human(species_models[10], true);
    Material* common[] = {m_fur, m_hide, m_bone, m_metal, m_cloth, m_leather, m_wood};
    for (int i = 0; i < SPECIES_MODEL_COUNT; ++i) {
        SpeciesModel& sm = species_models[i];
        for (Material* c : common)
            if (sm.material_count < 8) sm.materials[sm.material_count++] = c;
    }
    mesh_collection_suspended = was;
    ready = true;
}

// ---- Elites ----------------------------------------------------------------------------

static void recolour(Model* m, Vec3 k) {
    for (int i = 0; i < m->node_count; ++i) m->nodes[i].tint = m->nodes[i].tint * k;
}

// Elites spawn again each time the catacombs or the world are filled, so
// their pieces are uploaded once and shared by every later copy.
constexpr int ELITE_PIECES = 4;
static GpuMesh* elite_meshes[10][ELITE_PIECES];
static Material* elite_cape[10];

static int elite_part(Model* m, int elite, int k, MeshBuilder b, Material* mat, int parent, Vec3 pos, Vec3 rot,
                      Vec3 tint) {
    GpuMesh*& g = elite_meshes[elite][k];
    if (!g) {
        bool was = mesh_collection_suspended;
        mesh_collection_suspended = true;  // never released with a rebuilt figure
        g = mesh_upload(&b);
        mesh_collection_suspended = was;
    } else {
        mb_free(&b);
    }
    int i = model_add_part(m, parent, g, mat, pos);
    if (i >= 0) {
        m->nodes[i].rotation = rot;
        m->nodes[i].tint = tint;
    }
    return i;
}

static MeshBuilder crown_mesh(int spikes, float r, float spike_r, float spike_h, float band_h) {
    MeshBuilder crown{};
    for (int k = 0; k < spikes; ++k) {
        MeshBuilder spike = shape_frustum(0.0f, spike_r, spike_h, 6, true);
        float a = (float)k * 2.0f * PI / (float)spikes;
        mb_append(&crown, &spike, mat4_translate({std::sin(a) * r, band_h + spike_h * 0.2f, std::cos(a) * r}),
                  {1, 1, 1});
        mb_free(&spike);
    }
    MeshBuilder band = shape_frustum(r + 0.004f, r + 0.006f, band_h, 16, false);
    mb_append(&crown, &band, mat4_identity(), {1, 1, 1});
    mb_free(&band);
    return crown;
}

void species_model_add_elite_pieces(Model* m, const SpeciesSlots& s, int e) {
    assert(m && e >= 1 && e <= 9);
    if (!m || e < 1 || e > 9 || s.head < 0 || s.head >= m->node_count) return;
    materials_init();
    Vec3 gold = {0.9f, 0.72f, 0.3f};
    switch (e) {
        case 1:  // Grognard: horned helmet of the raiders' chief
        case 6: {  // Crocs-Noirs: the same helmet, blackened, and darker skin
            Vec3 tint = e == 1 ? Vec3{0.6f, 0.6f, 0.62f} : Vec3{0.2f, 0.2f, 0.22f};
            if (e == 6) recolour(m, {0.75f, 0.8f, 0.75f});
            elite_part(m, e, 0, shape_ellipsoid_band(0.16f, 0.15f, 0.15f, 0.0f, 1.5f, 16), m_metal, s.head,
                       {0, 0.17f, 0}, {0, 0, 0}, tint);
            for (int side = -1; side <= 1; side += 2)
                elite_part(m, e, 1, shape_frustum(0.0f, 0.035f, 0.2f, 8, true), m_bone, s.head,
                           {side * 0.14f, 0.3f, 0}, {0, 0, -side * 0.6f}, {0.95f, 0.9f, 0.8f});
            break;
        }
        case 2:  // Gueule-Grise: a grizzled coat and a spiked collar
        case 9: {  // Blanchecrins: the white wolf
            recolour(m, e == 9 ? Vec3{1.9f, 1.9f, 1.95f} : Vec3{0.85f, 0.85f, 0.88f});
            elite_part(m, e, 0, shape_frustum(0.19f, 0.21f, 0.07f, 16, true), m_leather, s.body, {0, 0.78f, 0.5f},
                       {1.1f, 0, 0}, {0.2f, 0.14f, 0.1f});
            for (int k = 0; k < 6; ++k) {
                // Spikes round the upper half of the tilted collar, pointing out.
                float a = -1.2f + 0.48f * (float)k;
                Vec3 out = {std::sin(a), std::cos(a) * std::cos(1.1f - PI * 0.5f),
                            std::cos(a) * std::sin(1.1f - PI * 0.5f)};
                elite_part(m, e, 1, shape_frustum(0.0f, 0.014f, 0.06f, 6, true), m_metal, s.body,
                           Vec3{0, 0.78f, 0.5f} + out * 0.23f, {1.1f - PI * 0.5f, 0, -a}, {0.7f, 0.7f, 0.72f});
            }
            break;
        }
        case 3:  // Gaudin le Rouge: red mantle and hood
        case 7: {  // Sire Brian des Îles: black mantle of the Black Moon
            Vec3 colour = e == 3 ? Vec3{0.6f, 0.1f, 0.08f} : Vec3{0.08f, 0.08f, 0.1f};
            int torso = m->nodes[s.head].parent;
            if (!elite_cape[e]) {
                elite_cape[e] = material_copy(*m_cloth);
                elite_cape[e]->double_sided = 1;
            }
            elite_part(m, e, 0, shape_box({0.46f, 1.1f, 0.02f}), elite_cape[e], torso, {0, -0.05f, -0.16f},
                       {0.1f, 0, 0}, colour);
            if (e == 3) {  // over the brigand's own hood
                elite_part(m, e, 1, hood_mesh(0.114f, 0.134f, 0.124f), m_cloth, s.head, {0, 0.098f, -0.004f},
                           {0, 0, 0}, colour);
            } else {  // a knight's black plume on the great helm
                elite_part(m, e, 1, shape_ellipsoid(0.025f, 0.09f, 0.13f, 10), m_cloth, s.head,
                           {0, 0.27f, -0.02f}, {0, 0, 0}, {0.1f, 0.1f, 0.12f});
            }
            break;
        }
        case 4:  // Ossian: captain's helmet with a plume
            elite_part(m, e, 0, shape_ellipsoid_band(0.1f, 0.11f, 0.115f, 0.0f, 1.5f, 16), m_metal, s.head,
                       {0, 0.13f, 0}, {0, 0, 0}, {0.55f, 0.55f, 0.6f});
            elite_part(m, e, 1, shape_ellipsoid(0.02f, 0.08f, 0.12f, 10), m_cloth, s.head, {0, 0.25f, -0.02f},
                       {0, 0, 0}, {0.7f, 0.12f, 0.1f});
            break;
        case 5:  // Le Chevalier Vert: green from helm to boots, holly crest
            recolour(m, {0.55f, 1.1f, 0.5f});
            elite_part(m, e, 0, shape_ellipsoid(0.05f, 0.05f, 0.05f, 10), m_hide, s.head, {0, 0.25f, 0},
                       {0, 0, 0}, {0.15f, 0.5f, 0.15f});
            break;
        case 8:  // Le roi Rion: the crowned dead
            elite_part(m, e, 0, crown_mesh(5, 0.088f, 0.022f, 0.08f, 0.045f), m_gold, s.head, {0, 0.19f, 0},
                       {0, 0, 0}, gold);
            break;
    }
}

void species_models_build() { species_templates_build(); }
