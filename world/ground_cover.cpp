// Ground cover: small instanced plants, most of them near the centre of the
// first zone where the player spends the most time.
#include "world/ground_cover.h"

#include <cmath>

#include "world/terrain.h"
#include "world/terrain_fast.h"
#include "world/terrain_paint.h"
#include "render/vegetation_images.h"

bool ground_cover_blocked(float x, float z) {
    // The painted path is wider than its centre line: keep both the centre
    // 1.3 m and the visible band clear.
    float d = path_distance_near(x, z);
    if (d < 1.3f || d < path_half_width(x, z) + 0.5f) return true;
    if (z < -640.0f) return true;  // the deep Gaste floor stays bare under its dense trees
    if (!vegetation_free(x, z)) return true;
    return ground_height(x, z) < -0.3f;
}

void ground_cover_place(Rng& rng, std::vector<GroundCoverPlacement>& out) {
    out.reserve(out.size() + 150000);
    for (int i = 0; i < GROUND_COVER_CANDIDATES; ++i) {
        // Six draws per candidate, used or not.
        float ux = rng_float(rng), uz = rng_float(rng);
        float uk = rng_float(rng), uy = rng_float(rng), us = rng_float(rng), ut = rng_float(rng);
        float x, z;
        if (i < GROUND_COVER_WIDE) {
            x = -MAP_HALF_WIDTH + 2.0f * MAP_HALF_WIDTH * ux;
            z = MAP_SOUTH + (MAP_NORTH - MAP_SOUTH) * uz;
        } else {
            x = -780.0f + 1560.0f * ux;
            z = -370.0f + 750.0f * uz;
        }
        if (z > 410.0f || (z > -410.0f && z < -390.0f && std::fabs(x) > 40.0f)) continue;
        if (ground_cover_blocked(x, z)) continue;
        GroundCoverPlacement g;
        g.x = x;
        g.z = z;
        g.y = ground_height(x, z);
        g.yaw = 2.0f * PI * uy;
        // Ferns gather toward the Gaste and the borders, flowers in the open centre.
        float gaste = clampf((-200.0f - z) / 300.0f, 0.0f, 1.0f);
        float fern_share = 0.12f + 0.25f * gaste;
        if (uk < 0.5f - fern_share * 0.5f) g.kind = GC_GRASS;
        else if (uk < 0.68f - fern_share * 0.5f) g.kind = GC_GRASS_TALL;
        else if (uk < 0.68f + fern_share * 0.5f) g.kind = GC_FERN;
        else if (uk < 0.93f) g.kind = GC_FLOWERS;
        else g.kind = GC_BUSH;
        g.scale = 0.75f + 0.6f * us;
        // Plants take the tone of the ground they stand on.
        Vec3 ground = ground_paint(x, z);
        float v = 0.85f + 0.3f * ut;
        float lum = (ground.x + ground.y + ground.z) / 3.0f;
        float k = clampf(lum / 0.3f, 0.55f, 1.15f);
        g.tint = {v * k, v * k * (1.0f + 0.05f * (ut - 0.5f)), v * k * 0.92f};
        out.push_back(g);
    }
}

Mat4 ground_cover_matrix(const GroundCoverPlacement& g) {
    return mat4_from_prs({g.x, g.y - 0.05f, g.z}, {0, g.yaw, 0}, {g.scale, g.scale, g.scale});
}

int ground_cover_vegetation_kind(int kind) {
    switch (kind) {
        case GC_FERN: return VEG_FERN;
        case GC_FLOWERS: return VEG_FLOWERS;
        case GC_BUSH: return VEG_BROADLEAF;
        default: return VEG_GRASS;
    }
}

namespace {

void card(MeshBuilder* b, Vec3 base, Vec3 right, Vec3 up, Vec3 normal, float bright_bottom,
          float bright_top) {
    Vec3 hr = right * 0.5f;
    uint32_t i0 = mb_add_vertex(b, base - hr + up, normal, {0, 0, bright_top});
    uint32_t i1 = mb_add_vertex(b, base + hr + up, normal, {1, 0, bright_top});
    uint32_t i2 = mb_add_vertex(b, base + hr, normal, {1, 1, bright_bottom});
    uint32_t i3 = mb_add_vertex(b, base - hr, normal, {0, 1, bright_bottom});
    mb_add_triangle(b, i0, i1, i2);
    mb_add_triangle(b, i0, i2, i3);
}

}  // namespace

MeshBuilder ground_cover_model(int kind) {
    MeshBuilder b{};
    const Vec3 up_n = {0, 1, 0};
    switch (kind) {
        case GC_GRASS:
        case GC_GRASS_TALL: {
            float w = kind == GC_GRASS ? 1.0f : 0.8f;
            float h = kind == GC_GRASS ? 0.5f : 0.95f;
            for (int i = 0; i < 3; ++i) {
                float a = PI * (float)i / 3.0f;
                Vec3 r = {std::cos(a) * w, 0, std::sin(a) * w};
                card(&b, {0, 0, 0}, r, {0, h, 0}, up_n, 0.55f, 1.05f);
            }
            break;
        }
        case GC_FERN:
            // Fronds leaning out from the crown of the plant.
            for (int i = 0; i < 6; ++i) {
                float a = 2.0f * PI * ((float)i + 0.25f) / 6.0f;
                Vec3 out = {std::sin(a), 0, std::cos(a)};
                Vec3 side = {std::cos(a), 0, -std::sin(a)};
                Vec3 up = (out * 0.8f + Vec3{0, 0.7f, 0}) * 1.1f;
                card(&b, {0, 0, 0}, side * 0.7f, up, normalize(Vec3{0, 1, 0} + out * 0.3f), 0.5f, 1.0f);
            }
            break;
        case GC_FLOWERS:
            for (int i = 0; i < 2; ++i) {
                float a = PI * 0.5f * (float)i + 0.3f;
                card(&b, {0, 0, 0}, {std::cos(a) * 0.7f, 0, std::sin(a) * 0.7f}, {0, 0.6f, 0}, up_n,
                     0.6f, 1.1f);
            }
            break;
        default: {
            // A low leafy bush: cards round a squat dome.
            Rng r{0xB05Bu};
            for (int i = 0; i < 14; ++i) {
                float a = 2.0f * PI * rng_float(r);
                float e = 0.2f + 1.1f * rng_float(r);
                Vec3 d = {std::cos(a) * std::cos(e), std::sin(e), std::sin(a) * std::cos(e)};
                Vec3 c = Vec3{d.x * 0.7f, 0.45f + d.y * 0.45f, d.z * 0.7f};
                Vec3 side = normalize(cross({0, 1, 0}, d) + Vec3{0.01f, 0, 0});
                Vec3 up = normalize(cross(d, side));
                float s = 0.8f + 0.3f * rng_float(r);
                Vec3 base = c - up * (s * 0.5f);
                card(&b, base, side * s, up * s, d, 0.55f, 0.95f);
            }
            break;
        }
    }
    return b;
}
