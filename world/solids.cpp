// Segments against the world's solids: convex pieces through a grid on the
// obstacle grid's cells, the obstacle columns through their own grid, and
// the catacombs' wall squares straight from the wall grid.
#include "world/solids.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "world/catacombs.h"
#include "world/terrain.h"

namespace {

constexpr float MISS = 2.0f;

struct Plane {
    Vec3 n;   // unit, pointing out
    float w;  // inside where dot(n, p) <= w
};

struct Piece {
    Plane planes[6];
    int32_t count;
    Vec3 lo, hi;  // bounds
};

Piece* pieces = nullptr;
int piece_count = 0;
int piece_capacity = 0;

constexpr int CELLS = OBSTACLE_GRID_CELLS * OBSTACLE_GRID_CELLS;
int32_t cell_start[CELLS + 1];
int32_t* cell_items = nullptr;
int cell_items_capacity = 0;
int grid_built_for = -1;

inline int cell_of(float v, float origin) {
    float c = std::floor((v - origin) / OBSTACLE_CELL);
    if (!(c >= 0.0f)) return 0;  // also NaN
    if (c > (float)(OBSTACLE_GRID_CELLS - 1)) return OBSTACLE_GRID_CELLS - 1;
    return (int)c;
}

void grid_rebuild() {
    std::memset(cell_start, 0, sizeof(cell_start));
    for (int pass = 0; pass < 2; ++pass) {
        static int32_t cursor[CELLS];
        if (pass == 1) {
            for (int c = 0; c < CELLS; ++c) cell_start[c + 1] += cell_start[c];
            int total = cell_start[CELLS];
            if (total > cell_items_capacity) {
                int cap = cell_items_capacity ? cell_items_capacity : 256;
                while (cap < total) cap *= 2;
                cell_items = (int32_t*)std::realloc(cell_items, sizeof(int32_t) * (size_t)cap);
                cell_items_capacity = cap;
            }
            std::memcpy(cursor, cell_start, sizeof(cursor));
        }
        for (int i = 0; i < piece_count; ++i) {
            const Piece& p = pieces[i];
            int c0 = cell_of(p.lo.x, OBSTACLE_GRID_X0), c1 = cell_of(p.hi.x, OBSTACLE_GRID_X0);
            int r0 = cell_of(p.lo.z, OBSTACLE_GRID_Z0), r1 = cell_of(p.hi.z, OBSTACLE_GRID_Z0);
            for (int r = r0; r <= r1; ++r)
                for (int c = c0; c <= c1; ++c) {
                    int cell = r * OBSTACLE_GRID_CELLS + c;
                    if (pass == 0)
                        cell_start[cell + 1]++;
                    else
                        cell_items[cursor[cell]++] = i;
                }
        }
    }
    grid_built_for = piece_count;
}

// Entry fraction of a + t d, t in [0, 1], into the convex set grown by m, or
// MISS. A set whose grown form holds a is grown only to a's distance from it.
float convex_entry(const Plane* pl, int n, Vec3 a, Vec3 d, float m) {
    float depth = -1e30f;
    for (int i = 0; i < n; ++i) depth = std::fmax(depth, dot(pl[i].n, a) - pl[i].w);
    if (depth < 0.0f) return MISS;  // a is in the stone itself: nothing to head into
    if (depth <= m) m = depth - 1e-4f;
    float t0 = 0.0f, t1 = 1.0f;
    for (int i = 0; i < n; ++i) {
        float num = pl[i].w + m - dot(pl[i].n, a);
        float den = dot(pl[i].n, d);
        if (std::fabs(den) < 1e-12f) {
            if (num < 0.0f) return MISS;
            continue;
        }
        float t = num / den;
        if (den < 0.0f) {
            if (t > t0) t0 = t;
        } else if (t < t1) {
            t1 = t;
        }
        if (t0 > t1) return MISS;
    }
    return t0;
}

// The plane (n, w) of the local frame carried into the world by m.
Plane carry_plane(const Mat4& m, Vec3 n, float w) {
    Vec3 c0 = {m.m[0], m.m[1], m.m[2]}, c1 = {m.m[4], m.m[5], m.m[6]}, c2 = {m.m[8], m.m[9], m.m[10]};
    // Normals go through the inverse transpose: the cofactor columns, up to the determinant.
    Vec3 k0 = cross(c1, c2), k1 = cross(c2, c0), k2 = cross(c0, c1);
    float det = dot(c0, k0);
    Vec3 wn = k0 * n.x + k1 * n.y + k2 * n.z;
    if (det < 0.0f) wn = -wn;
    float len = length(wn);
    if (!(len > 1e-12f)) return {{0, 0, 0}, -1.0f};  // a flattened piece: holds nothing
    wn = wn * (1.0f / len);
    Vec3 on = mat4_mul_point(m, n * w);
    return {wn, dot(wn, on)};
}

void add_piece(const Mat4& m, const Vec3* local_planes, const float* local_w, int n, const Vec3* corners,
               int corner_count) {
    Piece p{};
    p.count = n;
    for (int i = 0; i < n; ++i) {
        p.planes[i] = carry_plane(m, local_planes[i], local_w[i]);
        if (length(p.planes[i].n) == 0.0f) return;
    }
    p.lo = p.hi = mat4_mul_point(m, corners[0]);
    for (int i = 1; i < corner_count; ++i) {
        Vec3 c = mat4_mul_point(m, corners[i]);
        p.lo = {std::fmin(p.lo.x, c.x), std::fmin(p.lo.y, c.y), std::fmin(p.lo.z, c.z)};
        p.hi = {std::fmax(p.hi.x, c.x), std::fmax(p.hi.y, c.y), std::fmax(p.hi.z, c.z)};
    }
    if (piece_count == piece_capacity) {
        piece_capacity = piece_capacity ? piece_capacity * 2 : 256;
        pieces = (Piece*)std::realloc(pieces, sizeof(Piece) * (size_t)piece_capacity);
    }
    pieces[piece_count++] = p;
}

bool boxes_meet(Vec3 alo, Vec3 ahi, Vec3 blo, Vec3 bhi) {
    return alo.x <= bhi.x && blo.x <= ahi.x && alo.y <= bhi.y && blo.y <= ahi.y && alo.z <= bhi.z &&
           blo.z <= ahi.z;
}

void segment_bounds(Vec3 a, Vec3 b, float m, Vec3* lo, Vec3* hi) {
    *lo = {std::fmin(a.x, b.x) - m, std::fmin(a.y, b.y) - m, std::fmin(a.z, b.z) - m};
    *hi = {std::fmax(a.x, b.x) + m, std::fmax(a.y, b.y) + m, std::fmax(a.z, b.z) + m};
}

// The span of a + t d, t in [0, 1], through an obstacle column grown by m;
// the same rule as convex_entry for a column whose grown form holds a.
bool column_clip(const Obstacle& o, Vec3 a, Vec3 d, float m, float* enter, float* leave) {
    float px = a.x - o.x, pz = a.z - o.z;
    float top = o.base_y + o.height;
    float depth = std::fmax(std::sqrt(px * px + pz * pz) - o.radius, std::fmax(o.base_y - a.y, a.y - top));
    if (depth < 0.0f) return false;
    if (depth <= m) m = depth - 1e-4f;
    float t0 = 0.0f, t1 = 1.0f;
    float lo = o.base_y - m, hi = top + m;
    if (std::fabs(d.y) < 1e-12f) {
        if (a.y < lo || a.y > hi) return false;
    } else {
        float u0 = (lo - a.y) / d.y, u1 = (hi - a.y) / d.y;
        if (u0 > u1) std::swap(u0, u1);
        t0 = std::fmax(t0, u0);
        t1 = std::fmin(t1, u1);
    }
    float r = o.radius + m;
    float qa = d.x * d.x + d.z * d.z, qb = px * d.x + pz * d.z, qc = px * px + pz * pz - r * r;
    if (qa < 1e-12f) {
        if (qc > 0.0f) return false;
    } else {
        float disc = qb * qb - qa * qc;
        if (disc < 0.0f) return false;
        float s = std::sqrt(disc);
        t0 = std::fmax(t0, (-qb - s) / qa);
        t1 = std::fmin(t1, (-qb + s) / qa);
    }
    if (t0 > t1) return false;
    *enter = t0;
    *leave = t1;
    return true;
}

float column_entry(const Obstacle& o, Vec3 a, Vec3 d, float m) {
    float t0, t1;
    return column_clip(o, a, d, m, &t0, &t1) ? t0 : MISS;
}

bool column_holds(const Obstacle& o, Vec3 p, float m) {
    float dx = p.x - o.x, dz = p.z - o.z, r = o.radius + m;
    return dx * dx + dz * dz < r * r && p.y > o.base_y - m && p.y < o.base_y + o.height + m;
}

// Calls fn(obstacle) for every obstacle entered in a cell the box meets
// (some more than once: a column spans several cells).
template <class Fn>
void for_columns_near(Vec3 lo, Vec3 hi, Fn fn) {
    const Obstacle* list = obstacle_list();
    int c0 = cell_of(lo.x, OBSTACLE_GRID_X0), c1 = cell_of(hi.x, OBSTACLE_GRID_X0);
    int r0 = cell_of(lo.z, OBSTACLE_GRID_Z0), r1 = cell_of(hi.z, OBSTACLE_GRID_Z0);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            int n = 0;
            const int32_t* idx = obstacle_query(OBSTACLE_GRID_X0 + ((float)c + 0.5f) * OBSTACLE_CELL,
                                                OBSTACLE_GRID_Z0 + ((float)r + 0.5f) * OBSTACLE_CELL, &n);
            for (int i = 0; i < n; ++i) fn(list[idx[i]]);
        }
}

// Local span (x - 1000, or z) of catacomb grid square g; beyond the grid all is stone.
void catacomb_span(int g, float* lo, float* hi) {
    if (g < 0) {
        *lo = -1e4f;
        *hi = 0.0f;
    } else if (g >= CATACOMB_GRID) {
        *lo = CATACOMB_CELL * (float)CATACOMB_CELLS + 1.0f;
        *hi = 1e4f;
    } else {
        float k = CATACOMB_CELL * (float)(g / 2);
        *lo = g % 2 ? k + 1.0f : k;
        *hi = g % 2 ? k + CATACOMB_CELL : k + 1.0f;
    }
}

int catacomb_index_clamped(float c) {
    if (!(c > -1e4f)) return -1;
    if (!(c < 1e4f)) return CATACOMB_GRID;
    int g = catacomb_grid_index(c);
    return g < -1 ? -1 : (g > CATACOMB_GRID ? CATACOMB_GRID : g);
}

}  // namespace

void solids_clear() {
    piece_count = 0;
    grid_built_for = -1;
}

void solid_box(const Mat4& m) {
    static const Vec3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    static const float w[6] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    Vec3 corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = {(i & 1) ? 0.5f : -0.5f, (i & 2) ? 0.5f : -0.5f, (i & 4) ? 0.5f : -0.5f};
    add_piece(m, normals, w, 6, corners, 8);
}

void solid_gable(const Mat4& m, float w, float h, float d) {
    if (!(w > 0.0f && h > 0.0f && d > 0.0f)) return;
    float hw = w * 0.5f, hd = d * 0.5f, slant = std::sqrt(h * h + hw * hw);
    // Base, both ends, and the two slopes through the apex line.
    const Vec3 normals[5] = {{0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {-h / slant, hw / slant, 0}, {h / slant, hw / slant, 0}};
    const float offs[5] = {0.0f, hd, hd, hw * h / slant, hw * h / slant};
    const Vec3 corners[6] = {{-hw, 0, hd}, {hw, 0, hd}, {0, h, hd}, {-hw, 0, -hd}, {hw, 0, -hd}, {0, h, -hd}};
    add_piece(m, normals, offs, 5, corners, 6);
}

int solid_count() { return piece_count; }

void solids_seal() {
    if (grid_built_for != piece_count) grid_rebuild();
}

float solids_segment_hit(Vec3 a, Vec3 b, float margin) {
    if (!piece_count) return 1.0f;
    solids_seal();
    Vec3 lo, hi;
    segment_bounds(a, b, margin, &lo, &hi);
    Vec3 d = b - a;
    float best = 1.0f;
    int c0 = cell_of(lo.x, OBSTACLE_GRID_X0), c1 = cell_of(hi.x, OBSTACLE_GRID_X0);
    int r0 = cell_of(lo.z, OBSTACLE_GRID_Z0), r1 = cell_of(hi.z, OBSTACLE_GRID_Z0);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            int cell = r * OBSTACLE_GRID_CELLS + c;
            for (int k = cell_start[cell]; k < cell_start[cell + 1]; ++k) {
                const Piece& p = pieces[cell_items[k]];
                if (!boxes_meet(lo, hi, p.lo, p.hi)) continue;
                float t = convex_entry(p.planes, p.count, a, d, margin);
                if (t < best) best = t;
            }
        }
    return best;
}

bool solids_hold(Vec3 p, float margin) {
    if (!piece_count) return false;
    solids_seal();
    int cell = cell_of(p.z, OBSTACLE_GRID_Z0) * OBSTACLE_GRID_CELLS + cell_of(p.x, OBSTACLE_GRID_X0);
    for (int k = cell_start[cell]; k < cell_start[cell + 1]; ++k) {
        const Piece& s = pieces[cell_items[k]];
        bool inside = true;
        for (int i = 0; i < s.count && inside; ++i) inside = dot(s.planes[i].n, p) - s.planes[i].w < margin;
        if (inside) return true;
    }
    return false;
}

float obstacles_segment_hit(Vec3 a, Vec3 b, float margin, float min_radius, float min_height) {
    Vec3 lo, hi;
    segment_bounds(a, b, margin, &lo, &hi);
    Vec3 d = b - a;
    float best = 1.0f;
    for_columns_near(lo, hi, [&](const Obstacle& o) {
        if (o.radius < min_radius || o.height < min_height) return;
        float t = column_entry(o, a, d, margin);
        if (t < best) best = t;
    });
    return best;
}

bool obstacles_around(Vec3 a, Vec3 b, float t, float margin, float* enter, float* leave) {
    Vec3 p = lerp(a, b, t), d = b - a;
    bool held = false;
    *enter = *leave = t;
    for_columns_near(p, p, [&](const Obstacle& o) {
        float t0, t1;
        if (!column_holds(o, p, margin) || !column_clip(o, a, d, margin, &t0, &t1)) return;
        *enter = std::fmin(*enter, t0);
        *leave = std::fmax(*leave, t1);
        held = true;
    });
    return held;
}

float catacomb_segment_hit(Vec3 a, Vec3 b, float margin) {
    Vec3 d = b - a;
    float best = 1.0f;
    // Floor and ceiling.
    const Plane floor_plane = {{0, 1, 0}, -0.05f}, ceiling = {{0, -1, 0}, -CATACOMB_CEILING};
    best = std::fmin(best, convex_entry(&floor_plane, 1, a, d, margin));
    best = std::fmin(best, convex_entry(&ceiling, 1, a, d, margin));
    float g = margin + CATACOMB_TRIM_DEPTH;
    float ax = a.x - CATACOMB_X0, bx = b.x - CATACOMB_X0;
    int gx0 = catacomb_index_clamped(std::fmin(ax, bx) - g), gx1 = catacomb_index_clamped(std::fmax(ax, bx) + g);
    int gz0 = catacomb_index_clamped(std::fmin(a.z, b.z) - g), gz1 = catacomb_index_clamped(std::fmax(a.z, b.z) + g);
    for (int gx = gx0; gx <= gx1; ++gx)
        for (int gz = gz0; gz <= gz1; ++gz) {
            if (!catacomb_grid_at(gx, gz)) continue;
            float x0, x1, z0, z1;
            catacomb_span(gx, &x0, &x1);
            catacomb_span(gz, &z0, &z1);
            const Plane sides[4] = {{{1, 0, 0}, CATACOMB_X0 + x1},
                                    {{-1, 0, 0}, -(CATACOMB_X0 + x0)},
                                    {{0, 0, 1}, z1},
                                    {{0, 0, -1}, -z0}};
            best = std::fmin(best, convex_entry(sides, 4, a, d, g));
        }
    return best;
}

namespace {
// Columns that hide what stands behind them: those the camera keeps out of
// (a tower, a great trunk), not a post or a sapling.
constexpr float SIGHT_COLUMN_RADIUS = 1.1f, SIGHT_COLUMN_HEIGHT = 5.0f;
}  // namespace

bool solids_sight_clear(Vec3 point, Vec3 eye, bool catacombs) {
    if (catacombs) return catacomb_segment_hit(point, eye, 0.0f) >= 1.0f;
    return solids_segment_hit(point, eye, 0.0f) >= 1.0f &&
           obstacles_segment_hit(point, eye, 0.0f, SIGHT_COLUMN_RADIUS, SIGHT_COLUMN_HEIGHT) >= 1.0f;
}
