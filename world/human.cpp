// The human figure: limbs and clothes from the shape generators, a head
// sculpted from a sphere grid, hair styles and beards.
#include "world/human.h"

#include <cmath>

#include "render/mesh.h"
#include "world/model.h"

// Display colours (linear conversion happens in the shader), in the order of
// the names the character screens show for each choice.
const Vec3 skin_colours[SKIN_COLOUR_COUNT] = {
    {0.96f, 0.82f, 0.72f},  // Claire
    {0.95f, 0.74f, 0.66f},  // Rosée
    {0.80f, 0.60f, 0.44f},  // Hâlée
    {0.64f, 0.46f, 0.32f},  // Mate
    {0.40f, 0.27f, 0.18f},  // Foncée
};
const Vec3 eye_colours[EYE_COLOUR_COUNT] = {
    {0.33f, 0.50f, 0.28f},  // Verts
    {0.25f, 0.45f, 0.70f},  // Bleus
    {0.36f, 0.22f, 0.12f},  // Bruns
    {0.45f, 0.47f, 0.50f},  // Gris
};
const Vec3 hair_colours[HAIR_COLOUR_COUNT] = {
    {0.10f, 0.08f, 0.07f},  // Noirs
    {0.22f, 0.14f, 0.08f},  // Bruns foncés
    {0.36f, 0.23f, 0.12f},  // Bruns
    {0.52f, 0.35f, 0.19f},  // Châtains
    {0.62f, 0.26f, 0.11f},  // Roux
    {0.85f, 0.70f, 0.42f},  // Blonds
    {0.60f, 0.58f, 0.55f},  // Gris
};

static int clamp_index(int v, int n) { return v < 0 ? 0 : (v >= n ? n - 1 : v); }

Appearance appearance_from_choice(const AppearanceChoice& c) {
    Appearance a{};
    a.skin = skin_colours[clamp_index(c.skin, SKIN_COLOUR_COUNT)];
    a.eyes = eye_colours[clamp_index(c.eyes, EYE_COLOUR_COUNT)];
    a.hair = hair_colours[clamp_index(c.hair, HAIR_COLOUR_COUNT)];
    a.femininity = c.woman ? 1.0f : 0.0f;
    a.beard = clamp_index(c.beard, BEARD_STYLE_COUNT);
    a.hair_style = clamp_index(c.style, HAIR_STYLE_COUNT);
    for (int i = 0; i < 4; ++i) a.face_nodes[i] = -1;
    a.face_scale = 1.0f;
    return a;
}

// ---- Shared materials ----------------------------------------------------------

static Material* mat_cloth;
static Material* mat_skin;
static Material* mat_hair;
static Material* mat_leather;
static Material* mat_eye;
static Material* mat_metal;

static void materials_init() {
    if (mat_cloth) return;
    Material m;
    material_init(&m, {1, 1, 1}, 9.0f, 0.08f);
    m.light_a = 0.5f;
    m.roughness = 0.9f;
    material_set_pattern(&m, 2, 14.0f);
    mat_cloth = material_copy(m);

    material_init(&m, {1, 1, 1});
    m.light_a = 0.6f;
    m.roughness = 0.55f;
    m.skin_flag_c = 1;
    m.translucency = 0.25f;
    mat_skin = material_copy(m);

    material_init(&m, {1, 1, 1}, 40.0f, 0.18f);
    m.light_a = 0.55f;
    m.roughness = 0.6f;
    m.skin_flag_b = 1;
    mat_hair = material_copy(m);

    material_init(&m, {1, 1, 1}, 6.0f, 0.12f);
    m.roughness = 0.75f;
    mat_leather = material_copy(m);

    material_init(&m, {1, 1, 1});
    m.roughness = 0.2f;
    m.light_flag_d = 1;
    mat_eye = material_copy(m);

    material_init(&m, {1, 1, 1});
    m.roughness = 0.3f;
    m.light_flag_d = 1;
    mat_metal = material_copy(m);
}

Material* human_clothing_material() {
    materials_init();
    return mat_cloth;
}

// ---- The head sculpt ------------------------------------------------------------

// A soft bump on the face, placed by the side (u) and height (v) of the unit
// direction, fading out toward the back of the head.
static float bump(Vec3 d, float u0, float v0, float su, float sv, float amp, float front_min) {
    float du = (d.x - u0) / su, dv = (d.y - v0) / sv;
    float g = std::exp(-(du * du + dv * dv));
    return amp * g * smoothstepf(front_min, front_min + 0.3f, d.z);
}

struct HeadShape {
    float offset;    // along the normal, metres
    float beard;     // 0..1 beard cover
    float brow;      // lips tint 0..1
};

static HeadShape head_displacement(Vec3 d, const Appearance& a) {
    float f = clampf(a.femininity, 0.0f, 1.0f);
    float man = 1.0f - f;
    HeadShape h{0, 0, 0};
    float o = 0.0f;
    // Nose: bridge, tip and wings.
    o += bump(d, 0.0f, 0.02f, 0.075f, 0.16f, 0.014f + 0.004f * man, 0.3f);
    o += bump(d, 0.0f, -0.10f, 0.09f, 0.07f, 0.010f + 0.002f * man, 0.3f);
    o += bump(d, 0.07f, -0.13f, 0.05f, 0.04f, 0.004f, 0.3f);
    o += bump(d, -0.07f, -0.13f, 0.05f, 0.04f, 0.004f, 0.3f);
    // Brow ridge, heavier on men; eye sockets.
    o += bump(d, 0.0f, 0.30f, 0.42f, 0.07f, 0.004f + 0.006f * man, 0.2f);
    o += bump(d, 0.30f, 0.17f, 0.12f, 0.07f, -0.011f, 0.2f);
    o += bump(d, -0.30f, 0.17f, 0.12f, 0.07f, -0.011f, 0.2f);
    // Cheekbones, fuller on women.
    o += bump(d, 0.45f, -0.02f, 0.16f, 0.11f, 0.005f + 0.003f * f, 0.0f);
    o += bump(d, -0.45f, -0.02f, 0.16f, 0.11f, 0.005f + 0.003f * f, 0.0f);
    // Lips and the groove under them.
    o += bump(d, 0.0f, -0.30f, 0.17f, 0.035f, 0.005f + 0.003f * f, 0.3f);
    o += bump(d, 0.0f, -0.40f, 0.15f, 0.03f, -0.003f, 0.3f);
    // Chin, squarer and stronger on men.
    o += bump(d, 0.0f, -0.56f, 0.20f + 0.06f * man, 0.11f, 0.010f + 0.006f * man, 0.1f);
    // Ears at the sides.
    float ear = std::exp(-((std::fabs(d.x) - 0.99f) * (std::fabs(d.x) - 0.99f) / 0.0009f)) *
                std::exp(-((d.y - 0.05f) * (d.y - 0.05f) / 0.02f)) *
                std::exp(-(d.z * d.z) / 0.03f);
    o += 0.016f * ear;
    // Jaw: the lower back of the skull tucks in toward the neck.
    float lower = smoothstepf(-0.15f, -0.75f, d.y);
    o -= lower * (0.018f + 0.006f * f) * smoothstepf(0.6f, -0.4f, d.z);
    // Temples narrow a little.
    o -= 0.006f * smoothstepf(0.55f, 0.9f, std::fabs(d.x)) * smoothstepf(0.0f, 0.5f, d.y);

    // Beard: grows from the jaw and chin, never over the lips or cheeks.
    if (a.beard >= 1 && a.femininity <= 0.5f) {
        float cover = smoothstepf(-0.12f, -0.32f, d.y) * smoothstepf(-0.35f, 0.05f, d.z);
        float lips = bump(d, 0.0f, -0.30f, 0.14f, 0.05f, 1.0f, 0.3f);
        float moustache = bump(d, 0.0f, -0.21f, 0.2f, 0.04f, 1.0f, 0.3f);
        cover = clampf(cover * (1.0f - lips) + moustache * 0.9f, 0.0f, 1.0f);
        float depth = a.beard == 2 ? 0.016f : 0.006f;
        float chin_fall = a.beard == 2 ? bump(d, 0.0f, -0.7f, 0.3f, 0.2f, 0.022f, -0.1f) : 0.0f;
        o += cover * depth + chin_fall;
        h.beard = cover;
    }
    h.offset = o;
    h.brow = bump(d, 0.0f, -0.30f, 0.17f, 0.035f, 1.0f, 0.3f);
    return h;
}

MeshBuilder human_head_mesh(const Appearance& a) {
    MeshBuilder b{};
    float f = clampf(a.femininity, 0.0f, 1.0f);
    // Skull radii before the features: a little narrower for women.
    float rx = 0.082f - 0.004f * f, ry = 0.108f - 0.004f * f, rz = 0.096f - 0.003f * f;
    Vec3 skin = a.skin;
    Vec3 hair_rel = {a.hair.x / std::fmax(skin.x, 0.05f), a.hair.y / std::fmax(skin.y, 0.05f),
                     a.hair.z / std::fmax(skin.z, 0.05f)};
    Vec3 lip_rel = {0.92f, 0.68f, 0.66f};
    static Vec3 pos[HEAD_RINGS][HEAD_RING_VERTICES];
    static Vec3 col[HEAD_RINGS][HEAD_RING_VERTICES];
    for (int i = 0; i < HEAD_RINGS; ++i) {
        float th = (float)i * PI / 90.0f;
        for (int j = 0; j < HEAD_RING_VERTICES; ++j) {
            float ph = (float)j * 2.0f * PI / 110.0f;
            Vec3 d = {std::sin(th) * std::sin(ph), std::cos(th), std::sin(th) * std::cos(ph)};
            Vec3 base = {d.x * rx, d.y * ry, d.z * rz};
            Vec3 n = normalize({d.x / rx, d.y / ry, d.z / rz});
            HeadShape h = head_displacement(d, a);
            pos[i][j] = base + n * h.offset;
            Vec3 c = {1, 1, 1};
            c = lerp(c, lip_rel, h.brow * 0.8f);
            c = lerp(c, hair_rel, h.beard);
            col[i][j] = c;
        }
    }
    // Normals from the displaced grid (central differences across rings and
    // around them); the poles fall back to straight up and down.
    for (int i = 0; i < HEAD_RINGS; ++i) {
        for (int j = 0; j < HEAD_RING_VERTICES; ++j) {
            int jp = j == HEAD_RING_VERTICES - 1 ? 1 : j + 1;
            int jm = j == 0 ? HEAD_RING_VERTICES - 2 : j - 1;
            int ip = i < HEAD_RINGS - 1 ? i + 1 : i;
            int im = i > 0 ? i - 1 : i;
            Vec3 du = pos[ip][j] - pos[im][j];
            Vec3 dv = pos[i][jp] - pos[i][jm];
            Vec3 n = normalize(cross(dv, du));
            if (i == 0) n = {0, 1, 0};
            if (i == HEAD_RINGS - 1) n = {0, -1, 0};
            if (dot(n, pos[i][j]) < 0.0f) n = -n;
            mb_add_vertex(&b, pos[i][j], n, col[i][j]);
        }
    }
    for (int i = 0; i < HEAD_RINGS - 1; ++i)
        for (int j = 0; j < HEAD_RING_VERTICES - 1; ++j) {
            uint32_t a0 = (uint32_t)(i * HEAD_RING_VERTICES + j);
            uint32_t a1 = a0 + 1;
            uint32_t b0 = a0 + HEAD_RING_VERTICES;
            uint32_t b1 = b0 + 1;
            if (i > 0) mb_add_triangle(&b, a0, b0, a1);
            if (i < HEAD_RINGS - 2) mb_add_triangle(&b, a1, b0, b1);
        }
    mb_orient(&b);
    return b;
}

// Surface point of the sculpted head along a direction (for placing eyes,
// brows and hair).
static Vec3 head_surface(const Appearance& a, Vec3 d) {
    d = normalize(d);
    float f = clampf(a.femininity, 0.0f, 1.0f);
    float rx = 0.082f - 0.004f * f, ry = 0.108f - 0.004f * f, rz = 0.096f - 0.003f * f;
    Vec3 n = normalize({d.x / rx, d.y / ry, d.z / rz});
    return Vec3{d.x * rx, d.y * ry, d.z * rz} + n * head_displacement(d, a).offset;
}

// ---- Body parts ------------------------------------------------------------------

static GpuMesh* upload(MeshBuilder b) { return mesh_upload(&b); }

// Meshes that depend only on the body type are shared by every figure of
// that type; they are uploaded outside any mesh collection so that rebuilding
// the player's model never destroys them.
struct BodyMeshes {
    GpuMesh *thigh, *shin, *boot, *foot, *upper_arm, *shoulder, *forearm, *hand, *neck, *torso,
        *skirt, *belt, *buckle, *eye, *iris, *brow;
};
static BodyMeshes body_cache[2];
static bool body_ready[2];

static float torso_modulate(float y, float a, void* ctx) {
    float fem = *(float*)ctx;
    // Bust on the front of a woman's tunic, shoulder blades at the back.
    float front = std::cos(a);
    float k = 1.0f;
    if (front > 0.0f) k += fem * 0.22f * front * front * std::exp(-((y - 0.33f) * (y - 0.33f)) / 0.006f);
    else k += 0.05f * front * front * std::exp(-((y - 0.38f) * (y - 0.38f)) / 0.01f);
    return k;
}

static const BodyMeshes& body_meshes(bool woman) {
    int k = woman ? 1 : 0;
    if (body_ready[k]) return body_cache[k];
    bool was = mesh_collection_suspended;
    mesh_collection_suspended = true;
    float f = woman ? 1.0f : 0.0f;
    BodyMeshes& m = body_cache[k];
    m.thigh = upload(shape_frustum(0.068f + 0.008f * f, 0.074f + 0.01f * f, 0.46f, 12, true));
    m.shin = upload(shape_frustum(0.052f, 0.040f, 0.42f, 10, true));
    m.boot = upload(shape_frustum(0.050f, 0.046f, 0.22f, 10, true));
    m.foot = upload(shape_ellipsoid(0.048f, 0.038f, 0.125f, 12));
    m.upper_arm = upload(shape_frustum(0.050f - 0.006f * f, 0.043f - 0.005f * f, 0.30f, 10, true));
    m.shoulder = upload(shape_ellipsoid(0.07f - 0.008f * f, 0.06f, 0.065f, 12));
    m.forearm = upload(shape_frustum(0.040f - 0.005f * f, 0.031f - 0.004f * f, 0.26f, 10, true));
    m.hand = upload(shape_ellipsoid(0.034f, 0.048f, 0.022f, 10));
    m.neck = upload(shape_frustum(0.046f - 0.006f * f, 0.052f - 0.006f * f, 0.12f, 10, false));
    {
        // Tunic from the hips to the shoulders; y = 0 at the waist joint.
        float w = 1.0f - f;
        LoftPoint p[] = {
            {-0.14f, 0.165f + 0.035f * f, 0.11f, 0.11f, 0.0f},
            {0.00f, 0.150f + 0.005f * f, 0.10f, 0.10f, 0.0f},
            {0.12f, 0.140f - 0.015f * f, 0.095f, 0.095f, 0.0f},
            {0.28f, 0.160f + 0.01f * w, 0.11f, 0.105f, 0.005f},
            {0.42f, 0.180f + 0.02f * w - 0.02f * f, 0.105f, 0.10f, 0.0f},
            {0.52f, 0.175f + 0.02f * w - 0.025f * f, 0.08f, 0.085f, -0.005f},
            {0.58f, 0.070f, 0.055f, 0.055f, -0.005f},
        };
        m.torso = upload(shape_loft(p, 7, 18, 4, torso_modulate, &f));
    }
    // A man's tunic ends at mid-thigh; a woman's dress falls below the knee.
    m.skirt = upload(shape_frustum(0.17f + 0.03f * f, 0.205f + 0.09f * f, 0.26f + 0.30f * f, 18, false));
    m.belt = upload(shape_frustum(0.158f + 0.003f * f, 0.160f + 0.003f * f, 0.05f, 18, false));
    m.buckle = upload(shape_box({0.045f, 0.04f, 0.015f}));
    m.eye = upload(shape_ellipsoid(0.0125f, 0.0095f, 0.0065f, 10));
    m.iris = upload(shape_ellipsoid(0.0068f, 0.0068f, 0.003f, 8));
    m.brow = upload(shape_ellipsoid(0.021f, 0.0042f, 0.0055f, 8));
    mesh_collection_suspended = was;
    body_ready[k] = true;
    return m;
}

// Hair pieces for a style, in head space (skull centre at the origin).
static MeshBuilder hair_mesh(const Appearance& a) {
    MeshBuilder out{};
    float f = clampf(a.femininity, 0.0f, 1.0f);
    Mat4 id = mat4_identity();
    Vec3 white = {1, 1, 1};
    // Cap: a shell over the top and back of the skull, leaving the face free.
    {
        float rx = 0.090f - 0.003f * f, ry = 0.116f - 0.003f * f, rz = 0.104f - 0.002f * f;
        MeshBuilder cap = shape_ellipsoid_band(rx, ry, rz, 0.0f, 1.95f, 22);
        // Push the front edge back so the forehead shows.
        for (int i = 0; i < cap.vertex_count; ++i) {
            Vec3& p = cap.vertices[i].position;
            if (p.z > 0.0f && p.y < 0.07f) {
                float k = smoothstepf(0.07f, 0.0f, p.y);
                p.z -= k * p.z * 0.9f;
            }
        }
        mb_append(&out, &cap, mat4_translate({0.0f, 0.006f, -0.006f}), white);
        mb_free(&cap);
    }
    if (a.hair_style == 1) {
        // Shoulder length: a full fall behind and beside the head.
        LoftPoint p[] = {
            {-0.17f, 0.085f, 0.03f, 0.075f, -0.03f},
            {-0.08f, 0.096f, 0.05f, 0.085f, -0.02f},
            {0.02f, 0.094f, 0.06f, 0.092f, -0.01f},
        };
        MeshBuilder fall = shape_loft(p, 3, 16, 3);
        mb_append(&out, &fall, id, white);
        mb_free(&fall);
    } else if (a.hair_style == 2) {
        // Long hair tied at the back: a tail down to the shoulder blades,
        // and a woman's braid reaches further.
        MeshBuilder knot = shape_ellipsoid(0.035f, 0.035f, 0.03f, 12);
        mb_append(&out, &knot, mat4_translate({0.0f, 0.01f, -0.105f}), white);
        mb_free(&knot);
        float len = 0.24f + 0.12f * f;
        MeshBuilder tail = shape_frustum(0.018f, 0.03f, len, 10, true);
        mb_append(&out, &tail, mat4_from_prs({0.0f, -0.01f - len * 0.5f, -0.125f}, {-0.12f, 0, 0}, {1, 1, 1}),
                  white);
        mb_free(&tail);
    } else if (f > 0.5f) {
        // A woman's short style still covers the nape.
        MeshBuilder nape = shape_ellipsoid(0.085f, 0.06f, 0.07f, 14);
        mb_append(&out, &nape, mat4_translate({0.0f, -0.04f, -0.035f}), white);
        mb_free(&nape);
    }
    return out;
}

static int add(Model* m, int parent, GpuMesh* mesh, Material* mat, Vec3 pos, Vec3 tint) {
    int i = model_add_part(m, parent, mesh, mat, pos);
    if (i >= 0) m->nodes[i].tint = tint;
    return i;
}

// Without a beard the head's vertex colours are relative to the skin (the
// node's tint gives it): every such man has the same head mesh, and so has
// every woman. Those two are made once, outside any mesh collection like the
// body's; a bearded head takes the hair's colour and is each figure's own.
static GpuMesh* head_mesh(const Appearance& a) {
    int shared = -1;
    if (a.femininity == 1.0f) shared = 1;
    else if (a.femininity == 0.0f && a.beard < 1) shared = 0;
    static GpuMesh* heads[2];
    if (shared >= 0 && heads[shared]) return heads[shared];
    bool was = mesh_collection_suspended;
    if (shared >= 0) mesh_collection_suspended = true;
    MeshBuilder hb = human_head_mesh(a);
    GpuMesh* mesh = mesh_upload(&hb);
    mesh_collection_suspended = was;
    if (shared >= 0) heads[shared] = mesh;
    return mesh;
}

int human_build(Model* m, int parent, Appearance* a, HumanRig* rig) {
    materials_init();
    float f = clampf(a->femininity, 0.0f, 1.0f);
    bool woman = f > 0.5f;
    const BodyMeshes& bm = body_meshes(woman);
    Vec3 skin = a->skin, white = {1, 1, 1};
    Vec3 trousers = {0.42f, 0.40f, 0.38f};
    Vec3 leather = {0.36f, 0.24f, 0.15f};
    Vec3 boots = {0.26f, 0.18f, 0.12f};
    HumanRig r{};

    float hip_y = 0.95f - 0.03f * f;
    r.hips = model_add_node(m, parent, {0.0f, hip_y, 0.0f});
    r.hip_height = hip_y;
    // Legs: hip joint, thigh, knee, shin, boot and foot.
    for (int s = 0; s < 2; ++s) {
        float x = (s == 0 ? 1.0f : -1.0f) * (0.092f + 0.012f * f);
        r.leg[s] = model_add_node(m, r.hips, {x, -0.03f, 0.0f});
        add(m, r.leg[s], bm.thigh, mat_cloth, {0.0f, -0.22f, 0.0f}, trousers);
        r.knee[s] = model_add_node(m, r.leg[s], {0.0f, -0.44f, 0.0f});
        add(m, r.knee[s], bm.shin, mat_cloth, {0.0f, -0.20f, 0.0f}, trousers);
        add(m, r.knee[s], bm.boot, mat_leather, {0.0f, -0.33f, 0.0f}, boots);
        add(m, r.knee[s], bm.foot, mat_leather, {0.0f, -0.445f, 0.045f}, boots);
    }
    // Torso, skirt of the tunic, belt.
    r.torso = model_add_node(m, r.hips, {0.0f, 0.02f, 0.0f});
    add(m, r.torso, bm.torso, mat_cloth, {0, 0, 0}, white);
    add(m, r.torso, bm.skirt, mat_cloth, {0.0f, -0.12f - (0.13f + 0.15f * f), 0.0f}, white);
    add(m, r.torso, bm.belt, mat_leather, {0.0f, -0.01f, 0.0f}, leather);
    add(m, r.torso, bm.buckle, mat_metal, {0.0f, -0.01f, 0.10f}, {0.8f, 0.7f, 0.4f});
    add(m, r.torso, bm.neck, mat_skin, {0.0f, 0.59f, -0.005f}, skin);
    // Arms: shoulder joint, sleeve, elbow, forearm, hand.
    for (int s = 0; s < 2; ++s) {
        float side = s == 0 ? 1.0f : -1.0f;
        r.arm[s] = model_add_node(m, r.torso, {side * (0.205f - 0.03f * f), 0.48f, -0.005f});
        m->nodes[r.arm[s]].rotation.z = side * 0.07f;
        add(m, r.arm[s], bm.shoulder, mat_cloth, {side * -0.01f, 0.0f, 0.0f}, white);
        add(m, r.arm[s], bm.upper_arm, mat_cloth, {0.0f, -0.15f, 0.0f}, white);
        r.forearm[s] = model_add_node(m, r.arm[s], {0.0f, -0.30f, 0.0f});
        add(m, r.forearm[s], bm.forearm, mat_skin, {0.0f, -0.13f, 0.0f}, skin);
        r.hand[s] = add(m, r.forearm[s], bm.hand, mat_skin, {0.0f, -0.29f, 0.0f}, skin);
    }
    // Head: joint at the top of the neck, skull centre above it.
    r.head = model_add_node(m, r.torso, {0.0f, 0.64f, 0.0f});
    Vec3 skull = {0.0f, 0.095f, 0.012f};
    {
        add(m, r.head, head_mesh(*a), mat_skin, skull, skin);
        MeshBuilder hair = hair_mesh(*a);
        add(m, r.head, mesh_upload(&hair), mat_hair, skull, a->hair);
    }
    // Face parts: eyes (with irises) and brows, placed on the sculpt.
    Vec3 eye_dir = {0.30f, 0.17f, 0.94f};
    Vec3 eye_pos = skull + head_surface(*a, eye_dir) * 0.955f;
    Vec3 brow_dir = {0.30f, 0.30f, 0.90f};
    Vec3 brow_pos = skull + head_surface(*a, brow_dir) * 1.0f;
    a->face_scale = 1.0f + 0.08f * f;
    a->face_rest[0] = eye_pos;
    a->face_rest[1] = brow_pos;
    for (int s = 0; s < 2; ++s) {
        float side = s == 0 ? 1.0f : -1.0f;
        int e = add(m, r.head, bm.eye, mat_eye, {side * eye_pos.x, eye_pos.y, eye_pos.z}, {0.95f, 0.94f, 0.9f});
        m->nodes[e].scale = {a->face_scale, a->face_scale, a->face_scale};
        m->nodes[e].rotation.y = side * 0.3f;
        add(m, e, bm.iris, mat_eye, {0.0f, 0.0f, 0.0052f}, a->eyes);
        int b = add(m, r.head, bm.brow, mat_hair, {side * brow_pos.x, brow_pos.y, brow_pos.z}, a->hair * 0.8f);
        m->nodes[b].rotation = {0.0f, side * 0.3f, side * -0.08f};
        a->face_nodes[s] = e;
        a->face_nodes[2 + s] = b;
    }
    // Top of the head above the feet, for labels and cameras.
    a->head_height = hip_y + 0.02f + 0.64f + skull.y + 0.116f - 0.003f * f;
    if (rig) *rig = r;
    return r.head;
}
