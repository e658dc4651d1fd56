// Camelot as a whole: the local frame, districts and streets, the house lots
// of the seed-77 generator, the town plan (paving and map colours), the
// torches and their lights, and camelot_build, which runs the builders.
#include "world/camelot.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "common/rng.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "world/camelot_parts.h"
#include "world/landmarks.h"
#include "world/settlement_kit.h"
#include "world/terrain.h"
#include "world/world.h"

const CamelotStreet camelot_streets[CAMELOT_STREET_COUNT] = {
    {-134, 0, 27, 0, 5.0f},     // west gate to the castle
    {-40, 0, -40, 113, 3.5f},
    {-40, 0, -40, -113, 3.5f},
    {-113, -70, -40, -70, 4.0f},  // through the artisans' quarter, no houses
    {-113, 62, 113, 62, 3.5f},
    {-40, -62, 113, -62, 3.5f},
};

namespace {

HouseLot lots[CAMELOT_MAX_LOTS];
int lot_count = 0;
std::vector<Vec3> torches;
uint8_t plan[PLAN_CELLS * PLAN_CELLS];
bool plan_ready = false;
float base_height = 0.0f;

inline bool overlaps(float ax, float az, float ahx, float ahz, float bx, float bz, float bhx, float bhz) {
    return std::fabs(ax - bx) < ahx + bhx && std::fabs(az - bz) < ahz + bhz;
}

// The street as an axis-aligned rectangle enlarged by e on every side.
void street_rect(const CamelotStreet& s, float e, float* cx, float* cz, float* hx, float* hz) {
    *cx = (s.x0 + s.x1) * 0.5f;
    *cz = (s.z0 + s.z1) * 0.5f;
    *hx = std::fabs(s.x1 - s.x0) * 0.5f + e;
    *hz = std::fabs(s.z1 - s.z0) * 0.5f + e;
}

int plan_index(float v) { return (int)std::floor((v - PLAN_ORIGIN) / PLAN_CELL); }

}  // namespace

// ---- Districts ------------------------------------------------------------------

const char* camelot_district(float x, float z) {
    if (!in_camelot_square(x, z, 20.0f)) return nullptr;
    float lx = x - CAMELOT_X, lz = z - CAMELOT_Z;
    if (std::fabs(lx - 68.0f) <= 45.0f && std::fabs(lz) <= 45.0f) return "Le château du roi";
    if (std::fabs(lx + 76.5f) <= 38.5f && std::fabs(lz + 70.0f) <= 44.0f) return "Quartier des artisans";
    if (std::fabs(lx + 40.0f) <= 24.0f && std::fabs(lz) <= 24.0f) return "Place du marché";
    return "Camelot";
}

// ---- House lots ----------------------------------------------------------------------

const char* camelot_lot_refusal(float lx, float lz, float hx, float hz) {
    if (std::fabs(lx) + hx > 112.0f || std::fabs(lz) + hz > 112.0f) return "beyond the wall";
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2) {
            float dx = lx - 120.0f * (float)sx, dz = lz - 120.0f * (float)sz;
            if (std::sqrt(dx * dx + dz * dz) < std::fmax(hx, hz) + 16.0f) return "corner tower";
        }
    if (lx - hx < -94.0f && std::fabs(lz) - hz < 16.0f) return "west gate approach";
    if (std::fabs(lx - 68.0f) < 45.0f + hx && std::fabs(lz) < 45.0f + hz) return "castle";
    if (std::fabs(lx + 76.5f) < 36.5f + 1.0f + hx && std::fabs(lz + 70.0f) < 42.0f + 1.0f + hz)
        return "artisans' quarter";
    if (std::fabs(lx + 40.0f) < 20.0f + 1.0f + hx && std::fabs(lz) < 20.0f + 1.0f + hz) return "market";
    if (overlaps(lx, lz, hx, hz, -63.0f, 31.0f, 8.0f + 1.0f, 6.0f + 1.0f)) return "inn";
    if (overlaps(lx, lz, hx, hz, -92.0f, 79.0f, 17.0f + 1.0f, 8.0f + 1.0f)) return "chapel";
    for (const CamelotStreet& s : camelot_streets) {
        float cx, cz, shx, shz;
        street_rect(s, s.half_width + 0.4f, &cx, &cz, &shx, &shz);
        if (overlaps(lx, lz, hx, hz, cx, cz, shx, shz)) return "street";
    }
    return nullptr;
}

int camelot_generate_lots(HouseLot* out) {
    Rng rng{77};
    int n = 0;
    for (int si = 0; si < CAMELOT_STREET_COUNT && n < CAMELOT_MAX_LOTS; ++si) {
        if (si == 3) continue;
        const CamelotStreet& s = camelot_streets[si];
        float ax = s.x1 - s.x0, az = s.z1 - s.z0;
        float len = std::sqrt(ax * ax + az * az);
        float ux = ax / len, uz = az / len;
        float nx = -uz, nz = ux;  // the street's normal
        bool east_west = std::fabs(ux) > std::fabs(uz);
        for (int side = -1; side <= 1 && n < CAMELOT_MAX_LOTS; side += 2) {
            float d = 2.0f;
            while (d < len - 2.0f && n < CAMELOT_MAX_LOTS) {
                float w = 6.0f + 4.5f * (float)(rng_next(rng) % 100) / 100.0f;
                float dep = 7.0f + 3.5f * (float)(rng_next(rng) % 100) / 100.0f;
                float push = (dep * 0.5f + s.half_width + 0.9f) * (float)side;
                float cx = s.x0 + ux * (d + w * 0.5f) + nx * push;
                float cz = s.z0 + uz * (d + w * 0.5f) + nz * push;
                float hx = east_west ? w * 0.5f : dep * 0.5f;
                float hz = east_west ? dep * 0.5f : w * 0.5f;
                bool ok = camelot_lot_refusal(cx, cz, hx, hz) == nullptr;
                for (int k = 0; ok && k < n; ++k)
                    if (overlaps(cx, cz, hx + 0.3f, hz + 0.3f, out[k].lx, out[k].lz, out[k].half_x, out[k].half_z))
                        ok = false;
                if (!ok) {
                    d += 1.5f;
                    continue;
                }
                HouseLot& l = out[n++];
                l.lx = cx;
                l.lz = cz;
                l.half_x = hx;
                l.half_z = hz;
                l.facing_x = -nx * (float)side;
                l.facing_z = -nz * (float)side;
                l.storeys = rng_next(rng) % 100 < 72 ? 2 : 1;
                l.seed = rng_next(rng);
                d += w + 0.25f + 1.2f * (float)(rng_next(rng) % 100) / 100.0f;
            }
        }
    }
    return n;
}

int camelot_lot_count() { return lot_count; }
const HouseLot* camelot_lots() { return lots; }

// ---- Plan grid and map colours ----------------------------------------------------------

void plan_clear() {
    std::memset(plan, 0, sizeof plan);
    plan_ready = false;
}

void plan_mark_rect(float cx, float cz, float hx, float hz, CamelotPlan kind) {
    int c0 = plan_index(cx - hx + PLAN_CELL * 0.5f), c1 = plan_index(cx + hx - PLAN_CELL * 0.5f);
    int r0 = plan_index(cz - hz + PLAN_CELL * 0.5f), r1 = plan_index(cz + hz - PLAN_CELL * 0.5f);
    if (c0 < 0) c0 = 0;
    if (r0 < 0) r0 = 0;
    if (c1 > PLAN_CELLS - 1) c1 = PLAN_CELLS - 1;
    if (r1 > PLAN_CELLS - 1) r1 = PLAN_CELLS - 1;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) plan[r * PLAN_CELLS + c] = kind;
}

void plan_mark_disc(float cx, float cz, float rad, CamelotPlan kind) {
    int c0 = plan_index(cx - rad), c1 = plan_index(cx + rad);
    int r0 = plan_index(cz - rad), r1 = plan_index(cz + rad);
    for (int r = r0 < 0 ? 0 : r0; r <= r1 && r < PLAN_CELLS; ++r)
        for (int c = c0 < 0 ? 0 : c0; c <= c1 && c < PLAN_CELLS; ++c) {
            float x = PLAN_ORIGIN + ((float)c + 0.5f) * PLAN_CELL - cx;
            float z = PLAN_ORIGIN + ((float)r + 0.5f) * PLAN_CELL - cz;
            if (x * x + z * z <= rad * rad) plan[r * PLAN_CELLS + c] = kind;
        }
}

CamelotPlan camelot_plan_at(float lx, float lz) {
    int c = plan_index(lx), r = plan_index(lz);
    if (c < 0 || r < 0 || c >= PLAN_CELLS || r >= PLAN_CELLS) return PLAN_NONE;
    return (CamelotPlan)plan[r * PLAN_CELLS + c];
}

bool camelot_map_colour(float x, float z, Vec3* rgb) {
    // Reads the plan only; it is complete before the map painters start.
    if (!plan_ready) return false;
    static const Vec3 colours[PLAN_COUNT] = {
        {0, 0, 0},
        {0.62f, 0.57f, 0.48f},  // street
        {0.7f, 0.64f, 0.52f},   // market
        {0.62f, 0.33f, 0.24f},  // house roofs
        {0.55f, 0.53f, 0.5f},   // wall
        {0.4f, 0.39f, 0.38f},   // tower
        {0.74f, 0.7f, 0.6f},    // castle court
        {0.48f, 0.46f, 0.48f},  // castle buildings
        {0.5f, 0.42f, 0.32f},   // workshop yard
        {0.52f, 0.3f, 0.22f},   // workshop
        {0.34f, 0.44f, 0.24f},  // garden
        {0.45f, 0.45f, 0.5f},   // chapel
        {0.44f, 0.45f, 0.32f},  // trodden ground
    };
    CamelotPlan k = camelot_plan_at(x - CAMELOT_X, z - CAMELOT_Z);
    if (k == PLAN_NONE || k >= PLAN_COUNT) return false;
    *rgb = colours[k];
    return true;
}

// ---- Frame helpers ---------------------------------------------------------------------

float camelot_base_height() { return ground_height(CAMELOT_X, CAMELOT_Z); }

Vec3 camelot_local_to_world(float lx, float y, float lz) {
    return {CAMELOT_X + lx, camelot_base_height() + y, CAMELOT_Z + lz};
}

Vec3 town_point(float lx, float y, float lz) { return {CAMELOT_X + lx, base_height + y, CAMELOT_Z + lz}; }

Mat4 town_frame(float lx, float lz, float yaw, float y) {
    return kit_frame(CAMELOT_X + lx, base_height + y, CAMELOT_Z + lz, yaw);
}

// ---- Torches ---------------------------------------------------------------------------

void town_torch_add(Vec3 flame) { torches.push_back(flame); }

void town_wall_torch(float lx, float y, float lz, float dx, float dz) {
    Vec3 p = town_point(lx, y, lz);
    town_torch_add(kit_torch(p.x, p.y, p.z, dx, dz));
}

int camelot_torch_count() { return (int)torches.size(); }
Vec3 camelot_torch_flame(int i) { return torches[(size_t)i]; }

void settlements_submit_lights(Vec3 eye, float flicker) {
    constexpr int NEAREST = 8;
    constexpr float TORCH_REACH = 45.0f;
    const Vec3 fire_colour = {1.0f, 0.56f, 0.24f};
    if (in_camelot_square(eye.x, eye.z, TORCH_REACH)) {
        // The nearest few torches, nearest first.
        int best[NEAREST];
        float best_d[NEAREST];
        int count = 0;
        for (int i = 0; i < (int)torches.size(); ++i) {
            float dx = torches[(size_t)i].x - eye.x, dz = torches[(size_t)i].z - eye.z;
            float d = dx * dx + dz * dz;
            if (d > TORCH_REACH * TORCH_REACH) continue;
            int k = count < NEAREST ? count++ : NEAREST;
            if (k == NEAREST) {
                if (d >= best_d[NEAREST - 1]) continue;
                k = NEAREST - 1;
            }
            while (k > 0 && best_d[k - 1] > d) {
                best[k] = best[k - 1];
                best_d[k] = best_d[k - 1];
                --k;
            }
            best[k] = i;
            best_d[k] = d;
        }
        for (int k = 0; k < count; ++k) {
            float wobble = 0.9f + 0.1f * std::sin(9.0f * atmosphere.time + (float)best[k] * 1.7f);
            render_add_fire(torches[(size_t)best[k]] + Vec3{0, 0.3f, 0}, fire_colour * (0.42f * flicker * wobble),
                            9.0f);
        }
    }
    landmarks_submit_lights(eye, flicker);
}

// ---- The paving ---------------------------------------------------------------------------

namespace {

struct Run { int c0, c1, r0; uint8_t kind; };

Vec3 paving_tint(uint8_t kind, int c, int r) {
    float v = 0.95f + 0.1f * value_noise2((float)c * 0.08f, (float)r * 0.08f, 5);
    switch (kind) {
        case PLAN_MARKET: return Vec3{0.56f, 0.53f, 0.48f} * v;
        case PLAN_CASTLE_COURT: return Vec3{0.58f, 0.55f, 0.49f} * v;
        case PLAN_YARD: return Vec3{0.44f, 0.37f, 0.28f} * v;
        case PLAN_GROUND: return Vec3{0.44f, 0.41f, 0.31f} * v;
        default: return Vec3{0.5f, 0.48f, 0.44f} * v;
    }
}

// Worn flags for streets, the market, the court and the yards; mossy trodden
// earth for the rest of the ground inside the walls.
int paving_batch(uint8_t kind) { return kind == PLAN_GROUND ? SB_OLD_STONE : SB_STONE; }

bool paved(uint8_t k) {
    return k == PLAN_STREET || k == PLAN_MARKET || k == PLAN_CASTLE_COURT || k == PLAN_YARD || k == PLAN_GROUND;
}

void emit_paving(const Run& run, int r1) {
    float x0 = PLAN_ORIGIN + (float)run.c0 * PLAN_CELL, x1 = PLAN_ORIGIN + (float)(run.c1 + 1) * PLAN_CELL;
    float z0 = PLAN_ORIGIN + (float)run.r0 * PLAN_CELL, z1 = PLAN_ORIGIN + (float)(r1 + 1) * PLAN_CELL;
    float cx = (x0 + x1) * 0.5f, cz = (z0 + z1) * 0.5f;
    // Slabs on the flat; beyond the square the road follows the ground, deeper.
    bool flat = std::fabs(x0) <= 120.0f && std::fabs(x1) <= 120.0f && std::fabs(z0) <= 120.0f && std::fabs(z1) <= 120.0f;
    float top = flat ? base_height + 0.08f : ground_height(CAMELOT_X + cx, CAMELOT_Z + cz) + 0.08f;
    float depth = flat ? 0.3f : 0.8f;
    kit_box(paving_batch(run.kind), mat4_identity(), {CAMELOT_X + cx, top - depth * 0.5f, CAMELOT_Z + cz},
            {x1 - x0, depth, z1 - z0}, paving_tint(run.kind, run.c0, run.r0));
}

bool cell_on_flat(int c, int r) {
    return std::fabs(PLAN_ORIGIN + ((float)c + 0.5f) * PLAN_CELL) <= 120.0f &&
           std::fabs(PLAN_ORIGIN + ((float)r + 0.5f) * PLAN_CELL) <= 120.0f;
}

// Greedy rectangles on the flat: runs of one kind along each row, stacked
// while the following rows repeat them exactly. Off the flat every cell is a
// slab of its own so the road can follow the ground.
void build_paving() {
    std::vector<Run> open, still;
    for (int r = 0; r <= PLAN_CELLS; ++r) {
        still.clear();
        int c = 0;
        while (r < PLAN_CELLS && c < PLAN_CELLS) {
            uint8_t k = plan[r * PLAN_CELLS + c];
            if (!paved(k)) { ++c; continue; }
            if (!cell_on_flat(c, r)) {
                emit_paving({c, c, r, k}, r);
                ++c;
                continue;
            }
            int c0 = c;
            while (c < PLAN_CELLS && plan[r * PLAN_CELLS + c] == k && cell_on_flat(c, r)) ++c;
            Run n = {c0, c - 1, r, k};
            bool joined = false;
            for (Run& o : open)
                if (o.r0 >= 0 && o.c0 == n.c0 && o.c1 == n.c1 && o.kind == n.kind && r - o.r0 < 48) {
                    still.push_back(o);
                    o.r0 = -1;  // carried into this row
                    joined = true;
                    break;
                }
            if (!joined) still.push_back(n);
        }
        for (const Run& o : open)
            if (o.r0 >= 0) emit_paving(o, r - 1);
        open.swap(still);
    }
}

void mark_streets() {
    for (const CamelotStreet& s : camelot_streets) {
        float cx, cz, hx, hz;
        street_rect(s, 0.0f, &cx, &cz, &hx, &hz);
        // Widen across the street only; the ends stop at the end points.
        if (std::fabs(s.x1 - s.x0) > std::fabs(s.z1 - s.z0)) hz = s.half_width;
        else hx = s.half_width;
        plan_mark_rect(cx, cz, hx, hz, PLAN_STREET);
    }
}

void build_houses() {
    for (int i = 0; i < lot_count; ++i) {
        const HouseLot& l = lots[i];
        float yaw = std::atan2(l.facing_x, l.facing_z);
        bool along_x = std::fabs(l.facing_z) > 0.5f;  // front runs along x
        HouseSpec h;
        h.width = (along_x ? l.half_x : l.half_z) * 2.0f;
        h.depth = (along_x ? l.half_z : l.half_x) * 2.0f;
        h.storeys = l.storeys;
        h.seed = l.seed;
        Vec3 c = town_point(l.lx, 0.0f, l.lz);
        house_build(h, c.x, c.z, base_height, yaw);
        plan_mark_rect(l.lx, l.lz, l.half_x, l.half_z, PLAN_HOUSE);
        // Every third house lights its front corner.
        if ((l.seed >> 16) % 3 == 0) {
            Mat4 f = kit_frame(c.x, base_height, c.z, yaw);
            float side = (l.seed >> 20) & 1 ? 1.0f : -1.0f;
            Vec3 p = mat4_mul_point(f, {side * (h.width * 0.5f - 0.1f), 2.5f, (h.depth - 0.1f) * 0.5f + 0.07f});
            town_torch_add(kit_torch(p.x, p.y, p.z, l.facing_x, l.facing_z));
        }
    }
}

}  // namespace

void camelot_build() {
    torches.clear();
    plan_clear();
    base_height = camelot_base_height();
    lot_count = camelot_generate_lots(lots);

    mark_streets();
    camelot_build_walls();
    camelot_build_castle();
    camelot_build_market();
    camelot_build_workshops();
    camelot_build_landmarks_in_town();
    build_houses();
    camelot_build_gardens();
    // Whatever inside the walls is left is trodden ground.
    for (int r = 0; r < PLAN_CELLS; ++r)
        for (int c = 0; c < PLAN_CELLS; ++c) {
            float x = PLAN_ORIGIN + ((float)c + 0.5f) * PLAN_CELL, z = PLAN_ORIGIN + ((float)r + 0.5f) * PLAN_CELL;
            if (std::fabs(x) < 118.5f && std::fabs(z) < 118.5f && plan[r * PLAN_CELLS + c] == PLAN_NONE)
                plan[r * PLAN_CELLS + c] = PLAN_GROUND;
        }
    build_paving();
    plan_ready = true;
    kit_release();
    log_printf("Camelot : %d maisons, %d torches.", lot_count, (int)torches.size());
}
