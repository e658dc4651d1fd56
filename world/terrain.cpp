// Ground heights, zones, the walkable boundary and the named wild places.
// Everything here is closed-form: movement and creatures call it every frame,
// the builders hundreds of thousands of times at start-up.
#include "world/terrain.h"
#include "world/terrain_fast.h"

#include <cmath>


namespace {

inline bool within(float x, float z, float cx, float cz, float r) {
    float dx = x - cx, dz = z - cz;
    return dx * dx + dz * dz < r * r;
}

}  // namespace

TerrainXTerms terrain_x_terms(float x) {
    float a = 0.5f * x;
    return {std::sin(0.045f * a), std::sin(0.1f * a + 1.3f), std::sin(0.09f * x + 0.7f),
            std::sin(0.31f * x), std::sin(0.035f * x + 0.6f)};
}

TerrainZTerms terrain_z_terms(float z) {
    float b = 0.5f * z;
    return {std::cos(0.04f * b), std::sin(0.085f * b + 0.4f), std::cos(0.08f * z),
            std::cos(0.27f * z), std::cos(0.03f * z), std::sin(0.02f * z)};
}

float terrain_base_terms(float x, float z, const TerrainXTerms& xt, const TerrainZTerms& zt) {
    if (in_catacombs(x)) return 0.0f;

    // Rolling hills.
    float h = 2.4f * xt.s1 * zt.c1 + 1.3f * xt.s2 * zt.s2 + 0.6f * xt.s3 * zt.c3 + 0.35f * xt.s4 * zt.c4;

    // Border ridges around both regions and along z = -400, cut by a winding pass.
    float m = MAP_HALF_WIDTH - std::fabs(x);
    float e_south = std::fmin(m, std::fmin(ZONE_BORDER_Z - z, z - MAP_SOUTH));
    float e_north = std::fmin(m, std::fmin(MAP_NORTH - z, z - ZONE_BORDER_Z));
    float s_north = sstep((100.0f - e_north) / 100.0f);
    float s_south = sstep((100.0f - e_south) / 100.0f);
    float p = 1.0f;
    if (z > -600.0f && z < -200.0f) p = sstep((std::fabs(x - 6.0f * zt.s_pass) - 10.0f) / 24.0f);
    h += 20.0f * std::fmin(std::fmin(s_north, s_south), p);

    // The second zone undulates a little more.
    h += 1.6f * sstep((320.0f + z) / -220.0f) * xt.s5 * zt.c5;

    // Burial mound.
    float d = hdist(x, z, -20.0f, -1001.0f);
    h += 2.2f * (1.0f - sstep((d - 4.0f) / 10.0f));

    // Flat centre where the paths meet, stretched toward the pass.
    float d0 = std::sqrt(x * x + z * z) * 0.5f;
    float d1 = hdist(x, z, 0.0f, -200.0f) * 0.5f + 26.0f;
    d = std::fmin(d0, d1);
    h *= 0.25f + 0.75f * sstep((d - 6.0f) / 20.0f);

    // Clearing of the sword.
    d = hdist(x, z, 64.0f, 52.0f);
    h *= 0.3f + 0.7f * sstep((d - 5.0f) / 13.0f);

    // Lake basin.
    d = hdist(x, z, LAKE_X, LAKE_Z);
    h -= 3.2f * (1.0f - sstep((d - 17.6f) / 26.4f));
    return h;
}

float terrain_base(float x, float z) {
    if (in_catacombs(x)) return 0.0f;
    return terrain_base_terms(x, z, terrain_x_terms(x), terrain_z_terms(z));
}

namespace {

// Camelot's levelled square. Set once before main, so the start-up workers
// and the map's painters only ever read it (no static initializer of the
// game asks for a height).
const float plateau_height = terrain_base(CAMELOT_X, CAMELOT_Z) + 1.2f;

}  // namespace

float ground_height_terms(float x, float z, const TerrainXTerms& xt, const TerrainZTerms& zt) {
    float base = terrain_base_terms(x, z, xt, zt);
    float qx = std::fmax(std::fabs(x - CAMELOT_X) - 120.0f, 0.0f);
    float qz = std::fmax(std::fabs(z - CAMELOT_Z) - 120.0f, 0.0f);
    float d = std::sqrt(qx * qx + qz * qz);
    if (d >= 34.0f) return base;
    return base + (plateau_height - base) * sstep((34.0f - d) / 26.0f);
}

float ground_height(float x, float z) {
    if (in_catacombs(x)) return ground_height_terms(x, z, TerrainXTerms{}, TerrainZTerms{});
    return ground_height_terms(x, z, terrain_x_terms(x), terrain_z_terms(z));
}

bool is_lake_water(float x, float z) {
    return within(x, z, LAKE_X, LAKE_Z, LAKE_RADIUS) && ground_height(x, z) < -0.7f;
}

bool in_camelot_square(float x, float z, float margin) {
    return std::fabs(x - CAMELOT_X) < 120.0f + margin && std::fabs(z - CAMELOT_Z) < 120.0f + margin;
}

bool in_gaste(float z) { return z < ZONE_BORDER_Z; }

Vec3 camelot_point(float lx, float lz) {
    float x = CAMELOT_X + lx, z = CAMELOT_Z + lz;
    return {x, ground_height(x, z), z};
}

Vec3 world_spawn_point() { return camelot_point(14.0f, -3.0f); }

Vec3 resolve_surface_bounds(Vec3 p, float r) {
    float ax = std::fabs(p.x);
    bool in_north = ax <= MAP_HALF_WIDTH - r && p.z >= FIRST_ZONE_SOUTH + r && p.z <= MAP_NORTH - r;
    bool in_south = ax <= MAP_HALF_WIDTH - r && p.z >= MAP_SOUTH + r && p.z <= SECOND_ZONE_NORTH - r;
    bool in_pass = ax <= 40.0f && p.z > -600.0f && p.z < -200.0f;
    if (in_north || in_south || in_pass) return p;
    // A NaN coordinate would slip through every comparison and teleport the
    // mover nowhere; put it back at the spawn point's latitude instead.
    if (!(p.x == p.x) || !(p.z == p.z)) {
        Vec3 s = world_spawn_point();
        return {s.x, p.y, s.z};
    }

    struct Box { float x0, x1, z0, z1; };
    const Box boxes[3] = {
        {-(MAP_HALF_WIDTH - r), MAP_HALF_WIDTH - r, FIRST_ZONE_SOUTH + r, MAP_NORTH - r},
        {-(MAP_HALF_WIDTH - r), MAP_HALF_WIDTH - r, MAP_SOUTH + r, SECOND_ZONE_NORTH - r},
        {-40.0f, 40.0f, -600.0f, -200.0f},
    };
    // Tested in this order with a strict comparison, so on a tie the north
    // region wins, then the south.
    Vec3 best = p;
    float best_d = 0.0f;
    for (int i = 0; i < 3; ++i) {
        const Box& b = boxes[i];
        float cx = clampf(p.x, b.x0, b.x1), cz = clampf(p.z, b.z0, b.z1);
        float dx = cx - p.x, dz = cz - p.z, d = dx * dx + dz * dz;
        if (i == 0 || d < best_d) {
            best_d = d;
            best = {cx, p.y, cz};
        }
    }
    return best;
}

namespace {

struct Site { const char* name; float x, z, r; };
const Site named_sites[] = {
    {"Gué-Fleuri", 360.0f, -10.0f, 75.0f},
    {"Le ravin des pillards", 430.0f, -130.0f, 38.0f},
    {"La Pierre aux Fées", 110.0f, -40.0f, 48.0f},
    {"Le fort de la Lune noire", -520.0f, -60.0f, 45.0f},
    {"Le cimetière des rois oubliés", -560.0f, -930.0f, 55.0f},
    {"La hêtraie des loups noirs", 560.0f, -950.0f, 75.0f},
};

struct Disc { float x, z, r; };
const Disc clearings[] = {
    {0, 0, 28},       {LAKE_X, LAKE_Z, 50}, {64, 52, 16},     {-80, 96, 16},
    {160, 124, 44},   {36, 272, 60},        {48, 328, 16},    {-224, -104, 36},
    {208, -156, 24},  {-165, -715, 22},     {170, -835, 32},  {-20, -995, 28},
};

// The nine quest givers' posts; the two in Camelot are given in its frame.
const Disc giver_posts[] = {
    {163.95f, -128.15f, 7}, {-182.26f, -60.76f, 7}, {17.50f, 205.43f, 7},
    {-4, -585, 7},          {CAMELOT_X + 18, CAMELOT_Z + 5.5f, 7},
    {CAMELOT_X + 56, CAMELOT_Z - 2, 7},
    {364, -5, 7},           {-488, -902, 7},        {512, -926, 7},
};

const Disc settlements[] = {
    {360, -10, 34},  {404, 16, 14},   {284, -10, 44},   {430, -130, 33},  {110, -40, 38},
    {-520, -60, 40}, {-560, -930, 44}, {-480, -894, 12}, {512, -926, 14}, {582, -964, 14},
};

}  // namespace

const char* place_name(float x, float z) {
    for (const Site& s : named_sites)
        if (within(x, z, s.x, s.z, s.r)) return s.name;
    return nullptr;
}

bool settlement_free(float x, float z, float margin) {
    for (const Disc& d : settlements)
        if (within(x, z, d.x, d.z, d.r + margin)) return false;
    return true;
}

bool vegetation_free(float x, float z) {
    for (const Disc& d : clearings)
        if (within(x, z, d.x, d.z, d.r)) return false;
    for (const Disc& d : giver_posts)
        if (within(x, z, d.x, d.z, d.r)) return false;
    if (std::fabs(x) < 30.0f && z > -620.0f && z < -180.0f) return false;
    if (std::fabs(x - CAMELOT_X) < 160.0f && std::fabs(z - CAMELOT_Z) < 160.0f) return false;
    return settlement_free(x, z, 0.0f);
}

const PathSegment path_segments[PATH_SEGMENT_COUNT] = {
    {0, -4, -66, 80},        {0, -4, 64, 52},          {0, -4, -16, 44},
    {-66, 80, -140, 180},    {64, 52, 160, 124},       {-16, 44, -8, 140},
    {-8, 140, 36, 272},      {36, 272, 48, 328},       {0, -4, 208, -156},
    {-66, 80, -224, -104},   {0, -4, 0, -200},         {0, -200, 0, -600},
    {0, -600, 0, -800},      {0, -800, -20, -988},     {0, -800, -165, -715},
    {0, -800, 170, -835},    {-8, 140, 230, 232},      {230, 232, 408, 180},
    {408, 180, 370, 18},     {372, -30, 418, -108},    {340, -10, 230, 232},
    {0, -4, 85, -32},        {-224, -104, -490, -54},  {0, -800, -488, -898},
    {0, -800, 300, -1020},   {300, -1020, 508, -920},
};

namespace {

inline float segment_distance2(const PathSegment& s, float x, float z) {
    float sx = s.x1 - s.x0, sz = s.z1 - s.z0;
    float px = x - s.x0, pz = z - s.z0;
    float len2 = sx * sx + sz * sz;
    float t = len2 > 0.0f ? clampf((px * sx + pz * sz) / len2, 0.0f, 1.0f) : 0.0f;
    float dx = px - sx * t, dz = pz - sz * t;
    return dx * dx + dz * dz;
}

// Segments that pass within the cap of each 32 m cell, filled before main
// from the constant segment table: the workers only read it.
constexpr float PG_CELL = 32.0f, PG_X0 = -960.0f, PG_Z0 = -1376.0f;
constexpr int PG_W = 60, PG_H = 61;
struct PathGrid {
    uint8_t count[PG_W * PG_H];
    uint8_t segs[PG_W * PG_H][PATH_SEGMENT_COUNT];
    PathGrid() {
        for (int j = 0; j < PG_H; ++j)
            for (int i = 0; i < PG_W; ++i) {
                float x0 = PG_X0 + PG_CELL * (float)i, z0 = PG_Z0 + PG_CELL * (float)j;
                int c = j * PG_W + i;
                count[c] = 0;
                for (int k = 0; k < PATH_SEGMENT_COUNT; ++k) {
                    const PathSegment& s = path_segments[k];
                    float m = PATH_NEAR_CAP + 1.0f;
                    if (std::fmax(s.x0, s.x1) + m < x0 || std::fmin(s.x0, s.x1) - m > x0 + PG_CELL) continue;
                    if (std::fmax(s.z0, s.z1) + m < z0 || std::fmin(s.z0, s.z1) - m > z0 + PG_CELL) continue;
                    segs[c][count[c]++] = (uint8_t)k;
                }
            }
    }
};
const PathGrid path_grid;

}  // namespace

float path_distance_near(float x, float z) {
    const PathGrid& grid = path_grid;
    float fi = std::floor((x - PG_X0) / PG_CELL), fj = std::floor((z - PG_Z0) / PG_CELL);
    if (!(fi >= 0.0f && fi < (float)PG_W && fj >= 0.0f && fj < (float)PG_H)) {
        float d = path_distance(x, z);
        return d < PATH_NEAR_CAP ? d : PATH_NEAR_CAP;
    }
    int c = (int)fj * PG_W + (int)fi;
    float best = PATH_NEAR_CAP * PATH_NEAR_CAP;
    for (int k = 0; k < grid.count[c]; ++k) {
        float d2 = segment_distance2(path_segments[grid.segs[c][k]], x, z);
        if (d2 < best) best = d2;
    }
    return std::sqrt(best);
}

float path_distance(float x, float z) {
    float best = 1e30f;
    for (const PathSegment& s : path_segments) {
        float d2 = segment_distance2(s, x, z);
        if (d2 < best) best = d2;
    }
    return std::sqrt(best);
}
