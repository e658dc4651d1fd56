// Ground paint and the terrain mesh.
#include "world/terrain_paint.h"

#include <cmath>
#include <vector>

#include "world/terrain.h"
#include "world/terrain_fast.h"

float path_half_width(float x, float z) { return 1.4f + 0.6f * value_noise2(0.15f * x, 0.15f * z, 9); }

Vec3 ground_paint(float x, float z) {
    // Grass: tone from a broad noise, light meadow green to deep green. Kept
    // green enough that the shader's ground detail reads it as grass.
    float g = fbm2(0.025f * x, 0.025f * z, 3, 4) * 1.4f;
    float t = clampf(0.5f + 0.5f * g, 0.0f, 1.0f);
    Vec3 c = lerp(Vec3{0.17f, 0.30f, 0.08f}, Vec3{0.33f, 0.50f, 0.14f}, t);

    // Heath around the cave: dry grass and heather.
    float dh = std::sqrt((x - 36) * (x - 36) + (z - 272) * (z - 272));
    float wh = sstep((96.0f - dh) / 44.0f);
    if (wh > 0.0f) {
        float n = 0.5f + 0.5f * fbm2(0.09f * x, 0.09f * z, 11, 3);
        Vec3 heath = lerp(Vec3{0.40f, 0.36f, 0.20f}, Vec3{0.36f, 0.26f, 0.30f}, clampf(n, 0.0f, 1.0f));
        c = lerp(c, heath, wh);
    }

    // The second zone's darker, mossier floor.
    float wg = sstep((320.0f + z) / -220.0f);
    if (wg > 0.0f) {
        float n = 0.5f + 0.5f * fbm2(0.07f * x, 0.07f * z, 23, 3);
        Vec3 gaste = lerp(Vec3{0.12f, 0.19f, 0.07f}, Vec3{0.22f, 0.24f, 0.11f}, clampf(n, 0.0f, 1.0f));
        c = lerp(c, gaste, wg);
    }

    // Paths: packed earth, full up to the local half-width, fading over 0.9 m.
    float d = path_distance_near(x, z);
    if (d < PATH_NEAR_CAP) {
        float w = path_half_width(x, z);
        float wp = sstep((w + 0.9f - d) / 0.9f);
        if (wp > 0.0f) {
            float n = 0.5f + 0.5f * value_noise2(0.6f * x, 0.6f * z, 17);
            Vec3 earth = lerp(Vec3{0.36f, 0.29f, 0.19f}, Vec3{0.48f, 0.40f, 0.28f}, n);
            c = lerp(c, earth, wp);
        }
    }
    return c;
}

MeshBuilder terrain_mesh_build() {
    const int n = TERRAIN_GRID;
    MeshBuilder b{};
    // The sines of x and cosines of z of every column and row, at the vertex
    // and half a metre either side for the normals.
    std::vector<TerrainXTerms> xt(n * 3);
    std::vector<TerrainZTerms> zt(n * 3);
    for (int i = 0; i < n; ++i) {
        float v = TERRAIN_X0 + TERRAIN_SPACING * (float)i;
        xt[i * 3] = terrain_x_terms(v);
        xt[i * 3 + 1] = terrain_x_terms(v - 0.5f);
        xt[i * 3 + 2] = terrain_x_terms(v + 0.5f);
        float w = TERRAIN_Z0 + TERRAIN_SPACING * (float)i;
        zt[i * 3] = terrain_z_terms(w);
        zt[i * 3 + 1] = terrain_z_terms(w - 0.5f);
        zt[i * 3 + 2] = terrain_z_terms(w + 0.5f);
    }
    for (int j = 0; j < n; ++j) {
        float z = TERRAIN_Z0 + TERRAIN_SPACING * (float)j;
        const TerrainZTerms* zj = &zt[j * 3];
        for (int i = 0; i < n; ++i) {
            float x = TERRAIN_X0 + TERRAIN_SPACING * (float)i;
            const TerrainXTerms* xi = &xt[i * 3];
            float y = ground_height_terms(x, z, xi[0], zj[0]);
            Vec3 nor = normalize(Vec3{ground_height_terms(x - 0.5f, z, xi[1], zj[0]) -
                                          ground_height_terms(x + 0.5f, z, xi[2], zj[0]),
                                      1.0f,
                                      ground_height_terms(x, z - 0.5f, xi[0], zj[1]) -
                                          ground_height_terms(x, z + 0.5f, xi[0], zj[2])});
            mb_add_vertex(&b, {x, y, z}, nor, ground_paint(x, z));
        }
    }
    for (int j = 0; j + 1 < n; ++j)
        for (int i = 0; i + 1 < n; ++i) {
            uint32_t a = (uint32_t)(j * n + i), c = a + 1, d = a + (uint32_t)n, e = d + 1;
            mb_add_triangle(&b, a, d, c);
            mb_add_triangle(&b, c, d, e);
        }
    mb_orient(&b);
    return b;
}
