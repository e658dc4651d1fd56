// Placement rules of the ambience top-ups: the camps, the guarded sites, the
// wandering boars, the goblins, the bears of the second zone and the cave
// guards.
#include "play/ambience_rules.h"

#include <cmath>

#include "world/terrain.h"

const CampRule ambience_camps[AMBIENCE_CAMP_COUNT] = {
    {208, -156, 2, 12, 3, 10, 0.8f},    // grey wolves
    {-224, -104, 3, 12, 5, 22, 0.8f},   // brigands
    {-165, -715, 9, 12, 6, 18, 2.0f},   // bears: big bodies need room
    {170, -835, 10, 14, 5, 22, 0.8f},   // felon knights
};

const SiteRule ambience_sites[AMBIENCE_SITE_COUNT] = {
    {110, -40, 2, 7, 5, 6, {0.62f, 0.45f, 0.85f}, 1.0f, 12, 44},
    {430, -130, 1, 6, 3, 4, {0.78f, 0.84f, 0.7f}, 1.0f, 6, 30},
    {-520, -60, 3, 8, 7, 9, {0.62f, 0.55f, 0.75f}, 1.0f, 5, 22},
    {-560, -930, 4, 5, 17, 19, {0.82f, 0.82f, 0.78f}, 1.0f, 6, 30},
    {-560, -930, 5, 3, 17, 18, {0.82f, 0.82f, 0.78f}, 1.0f, 8, 30},
    {560, -950, 2, 7, 17, 19, {0.32f, 0.3f, 0.3f}, 1.2f, 8, 40},
};

bool ambience_obstacle_clear(float x, float z, float extra) {
    // The grid enters an obstacle only 1.5 m beyond its radius, so look at the
    // neighbouring cells too: a cell is 16 m, more than any clearance here.
    const Obstacle* list = obstacle_list();
    for (int dj = -1; dj <= 1; ++dj)
        for (int di = -1; di <= 1; ++di) {
            int n = 0;
            const int32_t* idx = obstacle_query(x + OBSTACLE_CELL * (float)di, z + OBSTACLE_CELL * (float)dj, &n);
            for (int k = 0; k < n; ++k) {
                const Obstacle& o = list[idx[k]];
                float r = o.radius + extra;
                if (hdist2(x, z, o.x, o.z) < r * r) return false;
            }
        }
    return true;
}

bool ambience_place_around(Rng& rng, float cx, float cz, float d_min, float d_max, float clearance,
                           Vec3 player, float min_player, int tries, Vec3* out) {
    for (int i = 0; i < tries; ++i) {
        float a = 2.0f * PI * rng_float(rng);
        float d = d_min + (d_max - d_min) * rng_float(rng);
        float x = cx + std::sin(a) * d, z = cz + std::cos(a) * d;
        if (hdist2(x, z, player.x, player.z) < min_player * min_player) continue;
        if (!ambience_obstacle_clear(x, z, clearance)) continue;
        *out = {x, ground_height(x, z), z};
        return true;
    }
    return false;
}

bool ambience_place_camp(Rng& rng, const CampRule& c, Vec3 player, Vec3* out) {
    return ambience_place_around(rng, c.x, c.z, c.d_min, c.d_max, c.clearance, player, 14.0f, 40, out);
}

bool ambience_place_site(Rng& rng, const SiteRule& s, Vec3 player, Vec3* out) {
    return ambience_place_around(rng, s.x, s.z, s.d_min, s.d_max, SITE_CLEARANCE, player, 14.0f, 40, out);
}

bool ambience_place_goblin(Rng& rng, Vec3 player, Vec3* out) {
    return ambience_place_around(rng, GOBLIN_CAMP_X, GOBLIN_CAMP_Z, 5, 26, 0.8f, player, 12.0f, 40, out);
}

bool ambience_wanderer_spot_ok(float x, float z) {
    if (std::fabs(x) > 795.0f || z > 395.0f) return false;
    if (ground_height(x, z) < -0.4f) return false;  // the lake
    if (hdist2(x, z, GOBLIN_CAMP_X, GOBLIN_CAMP_Z) < 48.0f * 48.0f) return false;
    if (sstep((z + 320.0f) / -220.0f) > 0.2f) return false;
    if (in_camelot_square(x, z, 8.0f)) return false;
    return ambience_obstacle_clear(x, z, 1.2f);
}

bool ambience_place_wanderer(Rng& rng, Vec3 player, Vec3* out) {
    for (int i = 0; i < 60; ++i) {
        float a = 2.0f * PI * rng_float(rng);
        float d = 18.0f + 27.0f * rng_float(rng);
        float x = player.x + std::sin(a) * d, z = player.z + std::cos(a) * d;
        if (!ambience_wanderer_spot_ok(x, z)) continue;
        *out = {x, ground_height(x, z), z};
        return true;
    }
    return false;
}

bool ambience_gaste_bear_spot_ok(float x, float z) {
    if (z < -1140.0f || z > -470.0f || std::fabs(x) > 740.0f) return false;
    if (hdist2(x, z, 170, -835) < 60.0f * 60.0f) return false;
    if (hdist2(x, z, -165, -715) < 45.0f * 45.0f) return false;
    return ambience_obstacle_clear(x, z, 2.0f);
}

bool ambience_place_gaste_bear(Rng& rng, Vec3 player, Vec3* out) {
    for (int i = 0; i < 40; ++i) {
        float a = 2.0f * PI * rng_float(rng);
        float d = 30.0f + 30.0f * rng_float(rng);
        float x = player.x + std::sin(a) * d, z = player.z + std::cos(a) * d;
        if (!ambience_gaste_bear_spot_ok(x, z)) continue;
        *out = {x, ground_height(x, z), z};
        return true;
    }
    return false;
}

namespace {

constexpr float CAVE_X = 46.11f, CAVE_Z = 319.2f;
const float cave_offsets[CAVE_GUARD_POINTS][2] = {{7, -3.5f}, {7, 3.5f}, {11, -6}, {11, 6}, {13, 0}};

}  // namespace

float cave_guard_facing() { return std::atan2(-12.0f, -56.0f); }

Vec3 cave_guard_point(int i) {
    if (i < 0) i = 0;
    if (i >= CAVE_GUARD_POINTS) i = CAVE_GUARD_POINTS - 1;
    // The cave's axis points out of the mouth, the way the guards face.
    float len = std::sqrt(12.0f * 12.0f + 56.0f * 56.0f);
    float ax = -12.0f / len, az = -56.0f / len;
    float px = az, pz = -ax;  // perpendicular
    float x = CAVE_X + ax * cave_offsets[i][0] + px * cave_offsets[i][1];
    float z = CAVE_Z + az * cave_offsets[i][0] + pz * cave_offsets[i][1];
    return {x, ground_height(x, z), z};
}

int cave_guard_species(int i) { return (i == 2 || i == 3) ? 5 : 4; }

int cave_guard_level(int i) { return i == 4 ? 10 : 9; }
