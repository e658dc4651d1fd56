// Tree placement for both zones and the seven tree models.
#include "world/forest.h"

#include <cmath>

#include "world/terrain.h"
#include "world/terrain_fast.h"

namespace {

// The attribute draws of one accepted tree: always eight values, whatever
// kind the tree turns out to be, so one tree never shifts the next.
void finish_tree(Rng& rng, float x, float z, float scale_base, float scale_span, uint8_t zone,
                 TreePlacement* t) {
    float e = std::fmin(MAP_HALF_WIDTH - std::fabs(x), std::fmin(MAP_NORTH - z, z - ZONE_BORDER_Z));
    float conifer_draw = rng_float(rng);
    float su = rng_float(rng);
    float vu = rng_float(rng);
    float yu = rng_float(rng);
    uint32_t raw = rng_next(rng);
    float autumn_u = rng_float(rng);
    float hue_u = rng_float(rng);
    float val_u = rng_float(rng);

    t->x = x;
    t->z = z;
    t->y = ground_height(x, z);
    t->conifer = conifer_draw < 0.25f + 0.5f * sstep((e - 260.0f) / -200.0f) ? 1 : 0;
    t->scale = scale_base + scale_span * su;
    t->vscale = t->scale * (0.92f + 0.18f * vu);
    t->yaw = 2.0f * PI * yu;
    t->zone = zone;
    t->autumn = 0;
    if (t->conifer) {
        t->variant = (uint8_t)(raw % CONIFER_VARIANTS);
        t->tint = hsv_to_rgb(0.3f + 0.08f * hue_u, 0.08f, 0.9f + 0.15f * val_u);
    } else {
        t->variant = (uint8_t)(raw % BROADLEAF_VARIANTS);
        if (autumn_u < 0.08f) {
            t->autumn = 1;
            t->tint = {1.45f, 1.0f, 0.42f};
        } else {
            t->tint = hsv_to_rgb(0.1f + 0.14f * hue_u, 0.1f, 0.88f + 0.2f * val_u);
        }
    }
}

// Second-zone spacing: cells small enough (6.5 / sqrt 2) to hold one tree each.
constexpr float SPACING = 6.5f;
constexpr float SP_CELL = 4.59f;
constexpr float SP_X0 = -820.0f, SP_Z0 = -1220.0f;
constexpr int SP_W = (int)(1640.0f / SP_CELL) + 1;
constexpr int SP_H = (int)(810.0f / SP_CELL) + 1;

}  // namespace

Vec3 hsv_to_rgb(float h, float s, float v) {
    h = h - std::floor(h);
    float h6 = h * 6.0f;
    int i = (int)h6;
    if (i > 5) i = 5;
    float f = h6 - (float)i;
    float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
        case 0: return {v, t, p};
        case 1: return {q, v, p};
        case 2: return {p, v, t};
        case 3: return {p, q, v};
        case 4: return {t, p, v};
        default: return {v, p, q};
    }
}

void forest_place(Rng& rng, std::vector<TreePlacement>& out) {
    out.reserve(out.size() + FIRST_ZONE_TREES + SECOND_ZONE_MAX_TREES);

    // First zone: exactly 3500, retrying rejected spots. Paths stay clear too.
    int placed = 0;
    for (long tries = 0; placed < FIRST_ZONE_TREES && tries < 10000000L; ++tries) {
        float x = -820.0f + 1640.0f * rng_float(rng);
        float z = -390.0f + 810.0f * rng_float(rng);
        if (x * x + z * z < 32.0f * 32.0f || !vegetation_free(x, z) || path_distance_near(x, z) < 3.0f)
            continue;
        TreePlacement t;
        finish_tree(rng, x, z, 0.85f, 0.6f, 1, &t);
        out.push_back(t);
        ++placed;
    }

    // Second zone: a fixed number of candidates, kept 6.5 m apart.
    std::vector<int32_t> cells((size_t)SP_W * SP_H, -1);
    std::vector<Vec2> spots;
    spots.reserve(SECOND_ZONE_MAX_TREES);
    placed = 0;
    for (int c = 0; c < SECOND_ZONE_CANDIDATES && placed < SECOND_ZONE_MAX_TREES; ++c) {
        float x = -820.0f + 1640.0f * rng_float(rng);
        float z = -1220.0f + 810.0f * rng_float(rng);
        if (z > -570.0f || !vegetation_free(x, z) || path_distance_near(x, z) < 3.0f) continue;
        int cx = (int)((x - SP_X0) / SP_CELL), cz = (int)((z - SP_Z0) / SP_CELL);
        bool crowded = false;
        for (int j = cz - 2; j <= cz + 2 && !crowded; ++j) {
            if (j < 0 || j >= SP_H) continue;
            for (int i = cx - 2; i <= cx + 2; ++i) {
                if (i < 0 || i >= SP_W) continue;
                int32_t k = cells[(size_t)j * SP_W + i];
                if (k < 0) continue;
                float dx = spots[k].x - x, dz = spots[k].y - z;
                if (dx * dx + dz * dz < SPACING * SPACING) {
                    crowded = true;
                    break;
                }
            }
        }
        if (crowded) continue;
        cells[(size_t)cz * SP_W + cx] = (int32_t)spots.size();
        spots.push_back({x, z});
        TreePlacement t;
        finish_tree(rng, x, z, 0.95f, 0.55f, 2, &t);
        out.push_back(t);
        ++placed;
    }

    for (const TreePlacement& t : out)
        obstacle_add(t.x, t.z, 0.4f * t.scale, 8.0f * t.scale, t.y);
}

Mat4 tree_matrix(const TreePlacement& t) {
    return mat4_from_prs({t.x, t.y, t.z}, {0, t.yaw, 0}, {t.scale, t.vscale, t.scale});
}

// ---- Tree models ----------------------------------------------------------------

namespace {

// One foliage card: a quad whose colour carries (u, v, brightness); v = 0 on
// the `up` side. All four normals are the given one, so a crown shades as a
// rounded mass instead of as flat cards.
void add_card(MeshBuilder* b, Vec3 centre, Vec3 right, Vec3 up, Vec3 normal, float bright) {
    Vec3 hr = right * 0.5f, hu = up * 0.5f;
    uint32_t i0 = mb_add_vertex(b, centre - hr + hu, normal, {0, 0, bright});
    uint32_t i1 = mb_add_vertex(b, centre + hr + hu, normal, {1, 0, bright});
    uint32_t i2 = mb_add_vertex(b, centre + hr - hu, normal, {1, 1, bright});
    uint32_t i3 = mb_add_vertex(b, centre - hr - hu, normal, {0, 1, bright});
    mb_add_triangle(b, i0, i1, i2);
    mb_add_triangle(b, i0, i2, i3);
}

Vec3 any_perpendicular(Vec3 d) {
    Vec3 a = std::fabs(d.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    return normalize(cross(a, d));
}

struct BarkContext { float seed; float furrows; };

// Bark furrows and a gentle flare at the foot.
float bark_modulate(float y, float a, void* ctx) {
    const BarkContext* c = (const BarkContext*)ctx;
    float k = 1.0f + 0.05f * std::sin(a * c->furrows + y * 0.9f + c->seed) +
              0.03f * std::sin(a * 3.0f + y * 2.3f + c->seed * 2.0f);
    return k;
}

// A branch: a thin frustum from `from` along dir.
void add_branch(MeshBuilder* bark, Vec3 from, Vec3 dir, float length, float r0, float r1) {
    MeshBuilder br = shape_frustum(r1, r0, length, 6, false);
    dir = normalize(dir);
    // Rotate +y onto dir: pitch about x then yaw about y.
    float pitch = std::acos(clampf(dir.y, -1.0f, 1.0f));
    float yaw = std::atan2(dir.x, dir.z);
    Vec3 mid = from + dir * (length * 0.5f);
    Mat4 m = mat4_from_prs(mid, {pitch, yaw, 0}, {1, 1, 1});
    mb_append(bark, &br, m, {1, 1, 1});
    mb_free(&br);
}

void build_broadleaf(Rng& rng, int variant, TreeModel* out) {
    // Per-variant shape: trunk height, crown radii and centre.
    static const float shapes[BROADLEAF_VARIANTS][5] = {
        // trunk top, crown centre y, crown rx, crown ry, cards
        {4.6f, 7.6f, 3.6f, 3.0f, 150},
        {5.8f, 9.0f, 2.8f, 3.9f, 150},
        {4.0f, 6.8f, 4.3f, 2.7f, 170},
        {5.0f, 8.2f, 3.3f, 3.3f, 150},
    };
    const float* s = shapes[variant];
    float trunk_top = s[0], cy = s[1], rx = s[2], ry = s[3];
    int cards = (int)s[4];

    LoftPoint prof[] = {
        {0.0f, 0.62f, 0.62f, 0.62f, 0},
        {0.5f, 0.42f, 0.42f, 0.42f, 0},
        {1.8f, 0.34f, 0.34f, 0.34f, 0},
        {trunk_top * 0.7f, 0.29f, 0.29f, 0.29f, 0.05f},
        {trunk_top, 0.24f, 0.24f, 0.24f, 0.1f},
        {cy + 0.5f, 0.12f, 0.12f, 0.12f, 0.0f},
    };
    BarkContext ctx = {(float)variant * 1.7f, 9.0f};
    out->bark = shape_loft(prof, 6, 10, 2, bark_modulate, &ctx);

    // Limbs reaching into the crown.
    int limbs = 5 + (int)(rng_float(rng) * 3.0f);
    for (int i = 0; i < limbs; ++i) {
        float a = 2.0f * PI * ((float)i + 0.4f * rng_float(rng)) / (float)limbs;
        float y = trunk_top * (0.75f + 0.3f * rng_float(rng));
        Vec3 dir = {std::sin(a), 0.7f + 0.6f * rng_float(rng), std::cos(a)};
        add_branch(&out->bark, {0, y, 0}, dir, rx * (0.65f + 0.3f * rng_float(rng)), 0.14f, 0.04f);
    }

    // Crown: leaf cards on lumpy clusters round an ellipsoid.
    int clusters = 7;
    Vec3 cl[8];
    for (int i = 0; i < clusters; ++i) {
        float a = 2.0f * PI * (float)i / (float)(clusters - 1) + rng_float(rng);
        float up = i == clusters - 1 ? 1.0f : (rng_float(rng) * 0.9f - 0.25f);
        float rr = i == clusters - 1 ? 0.0f : 0.62f;
        cl[i] = {std::sin(a) * rx * rr, cy + up * ry * 0.5f, std::cos(a) * rx * rr};
    }
    Vec3 centre = {0, cy, 0};
    for (int i = 0; i < cards; ++i) {
        const Vec3& c = cl[i % clusters];
        // A direction on the unit sphere.
        float zz = 2.0f * rng_float(rng) - 1.0f;
        float ph = 2.0f * PI * rng_float(rng);
        float rxy = std::sqrt(std::fmax(0.0f, 1.0f - zz * zz));
        Vec3 d = {rxy * std::cos(ph), zz, rxy * std::sin(ph)};
        float depth = 0.55f + 0.45f * std::sqrt(rng_float(rng));
        Vec3 p = c + Vec3{d.x * rx * 0.55f, d.y * ry * 0.55f, d.z * rx * 0.55f} * depth;
        Vec3 outward = normalize(p - centre + Vec3{0, 0.4f, 0});
        // Cards face roughly outward, tilted at random so the crown has depth.
        Vec3 facing = normalize(outward + Vec3{rng_float(rng) - 0.5f, rng_float(rng) - 0.5f,
                                               rng_float(rng) - 0.5f});
        Vec3 right = any_perpendicular(facing);
        Vec3 upv = cross(facing, right);
        float size = 1.9f + 0.9f * rng_float(rng);
        float h01 = clampf((p.y - (cy - ry)) / (2.0f * ry), 0.0f, 1.0f);
        float bright = (0.62f + 0.3f * h01) * (0.75f + 0.25f * depth) + 0.08f * rng_float(rng);
        add_card(&out->foliage, p, right * size, upv * size, outward, bright);
    }
}

void build_conifer(Rng& rng, int variant, TreeModel* out) {
    static const float shapes[CONIFER_VARIANTS][4] = {
        // height, base radius, first tier y, tiers
        {13.0f, 3.2f, 1.8f, 12},
        {15.0f, 2.7f, 2.4f, 14},
        {11.0f, 3.5f, 1.4f, 11},
    };
    const float* s = shapes[variant];
    float height = s[0], base_r = s[1], y0 = s[2];
    int tiers = (int)s[3];

    LoftPoint prof[] = {
        {0.0f, 0.5f, 0.5f, 0.5f, 0},
        {0.4f, 0.34f, 0.34f, 0.34f, 0},
        {height * 0.4f, 0.24f, 0.24f, 0.24f, 0},
        {height * 0.8f, 0.11f, 0.11f, 0.11f, 0},
        {height, 0.03f, 0.03f, 0.03f, 0},
    };
    BarkContext ctx = {(float)variant * 2.3f + 5.0f, 13.0f};
    out->bark = shape_loft(prof, 5, 8, 2, bark_modulate, &ctx);

    // Tiers of drooping sprays, narrowing to the tip.
    for (int t = 0; t < tiers; ++t) {
        float f = (float)t / (float)(tiers - 1);
        float y = y0 + (height - y0 - 0.6f) * f;
        float r = base_r * std::pow(1.0f - f * 0.93f, 1.05f) + 0.25f;
        int sprays = 5 + (int)(7.0f * (1.0f - f));
        float turn = rng_float(rng) * 2.0f * PI;
        for (int k = 0; k < sprays; ++k) {
            float a = turn + 2.0f * PI * ((float)k + 0.3f * rng_float(rng)) / (float)sprays;
            Vec3 out_dir = {std::sin(a), 0, std::cos(a)};
            float droop = 0.35f + 0.25f * rng_float(rng);
            Vec3 along = normalize(out_dir + Vec3{0, -droop, 0});
            Vec3 side = {std::cos(a), 0, -std::sin(a)};
            float len = r * (0.85f + 0.3f * rng_float(rng));
            float width = std::fmax(0.9f, len * 0.8f);
            Vec3 centre = Vec3{0, y, 0} + along * (len * 0.5f);
            // Lay the card along the branch (v runs from the trunk outward) and
            // tip it so it is seen from above and below.
            Vec3 normal = normalize(Vec3{0, 1, 0} + out_dir * 0.8f);
            float bright = 0.55f + 0.45f * f + 0.1f * rng_float(rng);
            add_card(&out->foliage, centre, side * width, along * -len, normal, bright);
        }
        // Two crossed upright cards per tier fill the silhouette from afar.
        for (int k = 0; k < 2; ++k) {
            float a = turn + PI * 0.5f * (float)k;
            Vec3 dir = {std::sin(a), 0, std::cos(a)};
            Vec3 normal = normalize(Vec3{std::cos(a), 0.6f, -std::sin(a)});
            float h = (height - y0) / (float)tiers * 1.9f;
            float bright = 0.5f + 0.45f * f;
            add_card(&out->foliage, {0, y + h * 0.2f, 0}, dir * (2.0f * r), {0, h, 0}, normal, bright);
        }
    }
}

}  // namespace

void tree_model_build(int model_index, TreeModel* out) {
    *out = TreeModel{};
    Rng rng{0x7EE5u + 2654435761u * (uint32_t)(model_index + 1)};
    if (model_index < BROADLEAF_VARIANTS) build_broadleaf(rng, model_index, out);
    else build_conifer(rng, model_index - BROADLEAF_VARIANTS, out);
}
