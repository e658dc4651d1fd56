// The town's quarters: the market with its cross and stalls, the six
// workshops of the artisans' quarter with their yards, awnings, signs and
// working spots, the inn and the town chapel.
#include <cmath>

#include "common/rng.h"

#include "world/camelot.h"
#include "world/camelot_parts.h"
#include "world/settlement_kit.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

const Vec3 TIMBER = {0.27f, 0.18f, 0.12f};
const Vec3 IRON = {0.22f, 0.22f, 0.24f};
const Vec3 BARREL = {0.45f, 0.32f, 0.2f};

float base_y() { return ground_height(CAMELOT_X, CAMELOT_Z); }

void local_obstacle(float lx, float lz, float r, float h) {
    obstacle_add(CAMELOT_X + lx, CAMELOT_Z + lz, r, h, base_y());
}

void local_wall(float x0, float z0, float x1, float z1, float r, float h) {
    obstacle_wall(CAMELOT_X + x0, CAMELOT_Z + z0, CAMELOT_X + x1, CAMELOT_Z + z1, r, h, base_y() - 1.0f);
}

void barrel(float lx, float lz, float s = 1.0f) {
    Mat4 f = town_frame(lx, lz, 0.0f);
    kit_cylinder(SB_WOOD, f, {0, 0, 0}, 0.36f * s, 0.36f * s, 1.0f * s, BARREL, 12);
    kit_cylinder(SB_WOOD, f, {0, 0.42f * s, 0}, 0.4f * s, 0.4f * s, 0.16f * s, BARREL * 1.1f, 12);
    for (int k = 0; k < 2; ++k)
        kit_cylinder(SB_IRON, f, {0, (0.12f + 0.66f * (float)k) * s, 0}, 0.375f * s, 0.375f * s, 0.06f, IRON, 12);
    local_obstacle(lx, lz, 0.42f * s, 1.0f * s);
}

void crate(float lx, float lz, float yaw, float s) {
    kit_box(SB_WOOD, town_frame(lx, lz, yaw), {0, s * 0.4f, 0}, {s, s * 0.8f, s}, {0.52f, 0.4f, 0.26f});
    local_obstacle(lx, lz, s * 0.65f, s * 0.8f);
}

// ---- Market ---------------------------------------------------------------------

struct Stall {
    float x, z, yaw;   // where the keeper stands and looks
    Vec3 awning;
    int goods;          // 0 fruit, 1 bread, 2 cloth, 3 vegetables, 4 pots
};

const Stall stalls[] = {
    {-54.0f, 13.9f, PI, {0.75f, 0.2f, 0.18f}, 0},
    {-54.0f, -13.9f, 0.0f, {0.85f, 0.72f, 0.3f}, 1},
    {-26.0f, 13.9f, PI, {0.25f, 0.35f, 0.65f}, 2},
    {-26.0f, -13.9f, 0.0f, {0.3f, 0.55f, 0.3f}, 3},
    {-50.0f, 18.9f, PI, {0.62f, 0.4f, 0.6f}, 4},
    {-30.0f, 18.9f, PI, {0.35f, 0.5f, 0.3f}, 2},  // Maître Anseau
};

void stall_goods(const Mat4& f, int kind) {
    for (int i = 0; i < 6; ++i) {
        float x = -1.05f + 0.42f * (float)i;
        switch (kind) {
            case 0:
                kit_box(SB_WOOD, f, {x, 1.0f, 0.95f}, {0.38f, 0.14f, 0.5f}, {0.55f, 0.42f, 0.28f});
                for (int k = 0; k < 3; ++k)
                    kit_ellipsoid(SB_PLAIN, f, {x - 0.1f + 0.1f * (float)k, 1.12f, 0.9f + 0.08f * (float)(k & 1)},
                                  {0.07f, 0.07f, 0.07f}, i & 1 ? Vec3{0.8f, 0.15f, 0.1f} : Vec3{0.85f, 0.65f, 0.15f});
                break;
            case 1:
                kit_ellipsoid(SB_PLAIN, f, {x, 1.03f, 0.95f}, {0.17f, 0.08f, 0.12f}, {0.78f, 0.55f, 0.28f});
                break;
            case 2:
                kit_beam(SB_CLOTH, f, {x - 0.17f, 1.05f, 0.95f}, {x + 0.17f, 1.05f, 0.95f}, 0.18f,
                         i % 3 == 0 ? Vec3{0.6f, 0.15f, 0.2f} : (i % 3 == 1 ? Vec3{0.2f, 0.3f, 0.6f} : Vec3{0.8f, 0.75f, 0.6f}));
                break;
            case 3:
                kit_ellipsoid(SB_PLAIN, f, {x, 1.05f, 0.95f}, {0.13f, 0.11f, 0.13f},
                              i & 1 ? Vec3{0.35f, 0.6f, 0.25f} : Vec3{0.7f, 0.45f, 0.2f});
                break;
            default:
                kit_cylinder(SB_TILES, f, {x, 0.96f, 0.95f}, 0.08f, 0.14f, 0.28f, {0.7f, 0.4f, 0.28f}, 10);
                break;
        }
    }
}

void market_stall(const Stall& s) {
    // The counter stands a metre in front of the keeper; posts and a striped
    // awning over both.
    float fx = std::sin(s.yaw), fz = std::cos(s.yaw);
    Mat4 f = town_frame(s.x, s.z, s.yaw);
    kit_box(SB_WOOD, f, {0, 0.45f, 1.0f}, {2.8f, 0.9f, 0.8f}, TIMBER * 1.5f);
    kit_solid_box(f, {0, 0.45f, 1.0f}, {3.0f, 0.95f, 0.95f});
    kit_box(SB_WOOD, f, {0, 0.92f, 1.0f}, {3.0f, 0.06f, 0.95f}, TIMBER * 1.8f);
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = 0; sz < 2; ++sz)
            kit_cylinder(SB_WOOD, f, {(float)sx * 1.45f, 0, sz ? 1.4f : -0.9f}, 0.05f, 0.06f, sz ? 2.3f : 2.8f,
                         TIMBER, 6);
    for (int k = 0; k < 5; ++k) {
        Vec3 c = (k & 1) ? Vec3{0.92f, 0.88f, 0.8f} : s.awning;
        kit_box_prs(SB_CLOTH, f, {-1.2f + 0.6f * (float)k, 2.62f, 0.25f}, {0.2f, 0, 0}, {0.6f, 0.04f, 2.6f}, c);
    }
    kit_solid_box_prs(f, {0, 2.62f, 0.25f}, {0.2f, 0, 0}, {3.0f, 0.04f, 2.6f});
    stall_goods(f, s.goods);
    // The counter blocks; the keeper's place behind it stays free.
    float cx = s.x + fx * 1.0f, cz = s.z + fz * 1.0f;
    float ax = fz, az = -fx;  // along the counter
    local_wall(cx - ax * 1.0f, cz - az * 1.0f, cx + ax * 1.0f, cz + az * 1.0f, 0.45f, 1.2f);
    plan_mark_rect(cx, cz, std::fabs(ax) * 1.5f + 0.5f, std::fabs(az) * 1.5f + 0.5f, PLAN_HOUSE);
}

void market_cross() {
    Mat4 f = town_frame(-40.0f, 0.0f, 0.0f);
    kit_cylinder(SB_TILES, f, {0, -0.1f, 0}, 2.0f, 2.1f, 0.6f, {0.68f, 0.65f, 0.58f}, 8);
    kit_cylinder(SB_TILES, f, {0, 0.5f, 0}, 1.4f, 1.5f, 0.5f, {0.7f, 0.67f, 0.6f}, 8);
    kit_cylinder(SB_TILES, f, {0, 1.0f, 0}, 0.35f, 0.42f, 4.2f, {0.74f, 0.71f, 0.64f}, 8);
    kit_box(SB_TILES, f, {0, 5.6f, 0}, {0.3f, 1.6f, 0.3f}, {0.74f, 0.71f, 0.64f});
    kit_box(SB_TILES, f, {0, 5.8f, 0}, {1.1f, 0.28f, 0.3f}, {0.74f, 0.71f, 0.64f});
    local_obstacle(-40.0f, 0.0f, 2.1f, 5.0f);
    plan_mark_disc(-40.0f, 0.0f, 2.1f, PLAN_TOWER);
}

// ---- Workshops -------------------------------------------------------------------

struct Workshop {
    int kind;     // the profession it serves
    int side;     // +1 north of street 3, -1 south
    int column;
    Vec3 awning;
    float dx, dz;  // working spot offset
};

const float columns[3] = {-100.0f, -78.0f, -56.0f};
const Workshop workshops[WORKSHOP_COUNT] = {
    {5, 1, 0, {0.55f, 0.18f, 0.14f}, 1.5f, 9.7f},   // smith
    {4, 1, 1, {0.5f, 0.36f, 0.2f}, 0.0f, 10.8f},    // leather
    {2, 1, 2, {0.38f, 0.32f, 0.22f}, 0.0f, 11.6f},  // tanner
    {3, -1, 0, {0.36f, 0.22f, 0.5f}, 1.0f, 10.7f},  // alchemist
    {0, -1, 1, {0.3f, 0.5f, 0.26f}, 2.0f, 6.5f},    // herbalist
    {1, -1, 2, {0.42f, 0.42f, 0.46f}, 2.0f, 7.4f},  // miner
};

constexpr float QUARTER_AXIS = -70.0f;

int workshop_entry(int profession) {
    for (int e = 0; e < WORKSHOP_COUNT; ++e)
        if (workshops[e].kind == profession) return e;
    return -1;
}

void spot_local(int e, float* lx, float* lz) {
    const Workshop& w = workshops[e];
    *lx = columns[w.column] + w.dx;
    *lz = (float)w.side * (w.dz + 4.0f) + QUARTER_AXIS;
}

// Tools and benches of each trade, in the frame of the working spot (the
// artisan looks along +z at the bench).
void trade_props(int e, const Mat4& f, float lx, float lz, float yaw) {
    float fx = std::sin(yaw), fz = std::cos(yaw);
    auto to_local = [&](float ax, float az, float* ox, float* oz) {
        *ox = lx + fz * ax + fx * az;
        *oz = lz - fx * ax + fz * az;
    };
    auto block = [&](float ax, float az, float r, float h) {
        float ox, oz;
        to_local(ax, az, &ox, &oz);
        local_obstacle(ox, oz, r, h);
    };
    switch (workshops[e].kind) {
        case 5: {  // anvil on its block, the forge hearth, a quenching tub
            kit_cylinder(SB_WOOD, f, {0, 0, 1.0f}, 0.32f, 0.36f, 0.55f, TIMBER * 1.2f, 10);
            kit_box(SB_IRON, f, {0, 0.68f, 1.0f}, {0.32f, 0.26f, 0.7f}, IRON);
            kit_box(SB_IRON, f, {0, 0.86f, 1.0f}, {0.36f, 0.1f, 0.9f}, IRON * 1.2f);
            kit_cylinder(SB_IRON, f * mat4_translate({0, 0.86f, 1.45f}) * mat4_rotate_x(PI * 0.5f), {0, -0.14f, 0},
                         0.0f, 0.08f, 0.28f, IRON, 8);
            block(0, 1.0f, 0.5f, 1.0f);
            kit_box(SB_MASONRY, f, {-2.6f, 0.5f, 2.2f}, {1.8f, 1.0f, 1.4f}, {0.5f, 0.46f, 0.42f});
            kit_box(SB_GOLD, f, {-2.6f, 1.02f, 2.2f}, {1.3f, 0.06f, 0.9f}, {1.0f, 0.35f, 0.1f});
            kit_box(SB_MASONRY, f, {-2.6f, 3.0f, 2.6f}, {1.2f, 4.0f, 0.7f}, {0.46f, 0.42f, 0.38f});
            {
                float ox, oz;
                to_local(-2.6f, 2.2f, &ox, &oz);
                world_add_fire(town_point(ox, 1.05f, oz), 0.35f);
            }
            block(-2.6f, 2.2f, 1.1f, 4.0f);
            kit_cylinder(SB_WOOD, f, {2.0f, 0, 1.6f}, 0.5f, 0.5f, 0.6f, BARREL, 12);
            kit_cylinder(SB_DARK, f, {2.0f, 0.05f, 1.6f}, 0.44f, 0.44f, 0.6f, {1, 1, 1}, 12);
            block(2.0f, 1.6f, 0.55f, 0.6f);
            break;
        }
        case 4:  // leather: a bench with hides and a rack of cut pieces
        case 2: {  // tanner: stretching frames and vats
            bool tanner = workshops[e].kind == 2;
            kit_box(SB_WOOD, f, {0, 0.85f, 1.1f}, {2.2f, 0.1f, 0.9f}, TIMBER * 1.4f);
            for (int sx = -1; sx <= 1; sx += 2)
                kit_box(SB_WOOD, f, {(float)sx * 0.95f, 0.4f, 1.1f}, {0.12f, 0.8f, 0.8f}, TIMBER);
            kit_box(SB_PLAIN, f, {-0.3f, 0.92f, 1.1f}, {0.9f, 0.03f, 0.6f}, {0.55f, 0.36f, 0.2f});
            block(0, 1.1f, 0.9f, 1.0f);
            for (int k = 0; k < 2; ++k) {
                float x = (k ? 2.4f : -2.4f);
                kit_box(SB_WOOD, f, {x, 1.0f, 2.0f}, {0.1f, 2.0f, 0.1f}, TIMBER);
                kit_box(SB_WOOD, f, {x, 1.0f, 3.6f}, {0.1f, 2.0f, 0.1f}, TIMBER);
                kit_box(SB_WOOD, f, {x, 1.95f, 2.8f}, {0.1f, 0.1f, 1.8f}, TIMBER);
                kit_box(SB_PLAIN, f, {x, 1.2f, 2.8f}, {0.03f, 1.3f, 1.3f},
                        tanner ? Vec3{0.62f, 0.48f, 0.32f} : Vec3{0.45f, 0.28f, 0.16f});
                block(x, 2.8f, 0.9f, 2.0f);
            }
            if (tanner)
                for (int k = 0; k < 2; ++k) {
                    kit_cylinder(SB_WOOD, f, {-1.0f + 2.0f * (float)k, 0, 3.8f}, 0.6f, 0.6f, 0.7f, BARREL, 12);
                    kit_cylinder(SB_DARK, f, {-1.0f + 2.0f * (float)k, 0.06f, 3.8f}, 0.53f, 0.53f, 0.7f, {1, 1, 1}, 12);
                    block(-1.0f + 2.0f * (float)k, 3.8f, 0.65f, 0.7f);
                }
            break;
        }
        case 3: {  // alchemist: a table of flasks and a cauldron over a small fire
            kit_box(SB_WOOD, f, {0, 0.85f, 1.1f}, {2.0f, 0.1f, 0.8f}, TIMBER * 1.3f);
            for (int sx = -1; sx <= 1; sx += 2)
                kit_box(SB_WOOD, f, {(float)sx * 0.85f, 0.4f, 1.1f}, {0.12f, 0.8f, 0.7f}, TIMBER);
            const Vec3 glass[4] = {{0.3f, 0.7f, 0.4f}, {0.6f, 0.2f, 0.5f}, {0.3f, 0.4f, 0.8f}, {0.8f, 0.6f, 0.2f}};
            for (int k = 0; k < 5; ++k)
                kit_ellipsoid(SB_STEEL, f, {-0.7f + 0.35f * (float)k, 1.0f, 1.05f + 0.1f * (float)(k & 1)},
                              {0.08f, 0.1f, 0.08f}, glass[k & 3]);
            block(0, 1.1f, 0.85f, 1.0f);
            kit_ellipsoid(SB_IRON, f, {2.3f, 0.75f, 2.0f}, {0.55f, 0.45f, 0.55f}, IRON);
            for (int k = 0; k < 3; ++k) {
                float a = 2.0f * PI * (float)k / 3.0f;
                kit_beam(SB_WOOD, f, {2.3f + std::sin(a) * 0.9f, 0, 2.0f + std::cos(a) * 0.9f}, {2.3f, 1.8f, 2.0f},
                         0.07f, TIMBER);
            }
            {
                float ox, oz;
                to_local(2.3f, 2.0f, &ox, &oz);
                world_add_fire(town_point(ox, 0.05f, oz), 0.3f);
            }
            block(2.3f, 2.0f, 0.8f, 1.2f);
            break;
        }
        case 0: {  // herbalist: drying racks with bunches, baskets and pots
            kit_box(SB_WOOD, f, {0, 0.8f, 1.0f}, {1.8f, 0.1f, 0.7f}, TIMBER * 1.3f);
            for (int sx = -1; sx <= 1; sx += 2)
                kit_box(SB_WOOD, f, {(float)sx * 0.75f, 0.38f, 1.0f}, {0.12f, 0.76f, 0.6f}, TIMBER);
            block(0, 1.0f, 0.8f, 1.0f);
            for (int k = 0; k < 2; ++k) {
                float z = 2.6f + 1.4f * (float)k;
                kit_box(SB_WOOD, f, {-1.6f, 1.0f, z}, {0.1f, 2.0f, 0.1f}, TIMBER);
                kit_box(SB_WOOD, f, {1.6f, 1.0f, z}, {0.1f, 2.0f, 0.1f}, TIMBER);
                kit_box(SB_WOOD, f, {0, 1.95f, z}, {3.3f, 0.08f, 0.08f}, TIMBER);
                for (int b = 0; b < 6; ++b)
                    kit_ellipsoid(SB_CLOTH, f, {-1.25f + 0.5f * (float)b, 1.65f, z}, {0.1f, 0.24f, 0.1f},
                                  b & 1 ? Vec3{0.4f, 0.55f, 0.25f} : Vec3{0.55f, 0.5f, 0.3f});
                float ax, az, bx, bz;
                to_local(-1.6f, z, &ax, &az);
                to_local(1.6f, z, &bx, &bz);
                local_wall(ax, az, bx, bz, 0.3f, 2.0f);
            }
            for (int k = 0; k < 3; ++k)
                kit_cylinder(SB_TILES, f, {-2.4f + 0.5f * (float)k, 0, 1.0f}, 0.2f, 0.16f, 0.4f,
                             {0.7f, 0.42f, 0.28f}, 10);
            break;
        }
        default: {  // miner: a cart of ore, a heap, picks on a rack
            kit_box(SB_WOOD, f, {0.3f, 0.75f, 1.3f}, {1.2f, 0.6f, 1.8f}, TIMBER * 1.3f);
            for (int sx = -1; sx <= 1; sx += 2)
                kit_cylinder(SB_WOOD, f * mat4_translate({0.3f + (float)sx * 0.64f, 0.35f, 1.3f}) * mat4_rotate_z(PI * 0.5f),
                             {0, -0.04f, 0}, 0.35f, 0.35f, 0.08f, TIMBER, 12);
            for (int k = 0; k < 5; ++k)
                kit_ellipsoid(SB_STONE, f, {0.1f + 0.12f * (float)k, 1.1f, 0.9f + 0.2f * (float)k},
                              {0.22f, 0.16f, 0.2f}, {0.45f, 0.36f, 0.3f});
            block(0.3f, 1.3f, 1.0f, 1.2f);
            for (int k = 0; k < 6; ++k)
                kit_ellipsoid(SB_STONE, f, {-2.2f + 0.3f * (float)(k % 3), 0.25f + 0.2f * (float)(k / 3), 3.0f},
                              {0.45f, 0.35f, 0.4f}, {0.42f, 0.38f, 0.34f});
            block(-1.9f, 3.0f, 1.1f, 1.0f);
            kit_box(SB_WOOD, f, {2.3f, 1.2f, 3.0f}, {0.1f, 0.1f, 1.6f}, TIMBER);
            for (int k = 0; k < 3; ++k) {
                kit_box_prs(SB_WOOD, f, {2.3f, 0.65f, 2.5f + 0.5f * (float)k}, {0, 0, 0.12f}, {0.05f, 1.1f, 0.05f}, TIMBER);
                kit_box(SB_IRON, f, {2.3f, 1.15f, 2.5f + 0.5f * (float)k}, {0.6f, 0.06f, 0.06f}, IRON);
            }
            break;
        }
    }
}

void workshop(int e) {
    const Workshop& w = workshops[e];
    float cx = columns[w.column], s = (float)w.side;
    auto lz_at = [&](float from_axis) { return QUARTER_AXIS + s * from_axis; };
    float yaw_front = w.side > 0 ? PI : 0.0f;  // the house looks at the street
    // The workshop house.
    HouseSpec h{15.0f, 11.0f, 2, 0x51A7u + (uint32_t)e * 7919u};
    Vec3 hc = town_point(cx, 0, lz_at(31.0f));
    house_build(h, hc.x, hc.z, base_y(), yaw_front);
    plan_mark_rect(cx, lz_at(31.0f), 7.5f, 5.5f, PLAN_WORKSHOP);
    // Open shed against its front under the trade's awning.
    Mat4 shed = town_frame(cx, lz_at(22.0f), yaw_front);
    for (int i = 0; i < 4; ++i) {
        kit_cylinder(SB_WOOD, shed, {-6.0f + 4.0f * (float)i, 0, 2.0f}, 0.12f, 0.14f, 2.8f, TIMBER, 6);
        Vec3 p = mat4_mul_point(shed, {-6.0f + 4.0f * (float)i, 0, 2.0f});
        obstacle_add(p.x, p.z, 0.2f, 2.8f, base_y());
    }
    kit_box_prs(SB_CLOTH, shed, {0, 3.45f, -0.5f}, {0.22f, 0, 0}, {13.0f, 0.06f, 6.4f}, w.awning);
    kit_box(SB_WOOD, shed, {0, 2.75f, 2.0f}, {12.6f, 0.18f, 0.18f}, TIMBER);
    kit_solid_box_prs(shed, {0, 3.45f, -0.5f}, {0.22f, 0, 0}, {13.0f, 0.06f, 6.4f});
    kit_solid_box(shed, {0, 2.75f, 2.0f}, {12.6f, 0.18f, 0.18f});
    // The yard: packed earth, fenced on the sides and along the street with a gate.
    plan_mark_rect(cx, lz_at(15.5f), 7.0f, 8.5f, PLAN_YARD);
    Vec3 fence = TIMBER * 1.35f;
    for (int sx = -1; sx <= 1; sx += 2) {
        float x = cx + (float)sx * 7.0f;
        Mat4 ff = town_frame(x, lz_at(15.5f), 0.0f);
        kit_box(SB_WOOD, ff, {0, 0.55f, 0}, {0.1f, 0.1f, 17.0f}, fence);
        kit_box(SB_WOOD, ff, {0, 1.05f, 0}, {0.1f, 0.1f, 17.0f}, fence);
        for (int k = 0; k <= 8; ++k)
            kit_box(SB_WOOD, ff, {0, 0.6f, -8.5f + 17.0f * (float)k / 8.0f}, {0.14f, 1.2f, 0.14f}, fence);
        local_wall(x, lz_at(7.0f), x, lz_at(24.5f), 1.15f, 6.0f);
    }
    for (int sx = -1; sx <= 1; sx += 2) {
        // Street side, either half of the gate.
        float x0 = cx + (float)sx * 1.2f, x1 = cx + (float)sx * 7.0f;
        Mat4 ff = town_frame((x0 + x1) * 0.5f, lz_at(7.0f), 0.0f);
        kit_box(SB_WOOD, ff, {0, 0.55f, 0}, {5.8f, 0.1f, 0.1f}, fence);
        kit_box(SB_WOOD, ff, {0, 1.05f, 0}, {5.8f, 0.1f, 0.1f}, fence);
        for (int k = 0; k <= 3; ++k)
            kit_box(SB_WOOD, ff, {-2.9f + 5.8f * (float)k / 3.0f, 0.6f, 0}, {0.14f, 1.2f, 0.14f}, fence);
        kit_box(SB_WOOD, town_frame(x0, lz_at(7.0f), 0.0f), {0, 0.8f, 0}, {0.2f, 1.6f, 0.2f}, fence);
        local_wall(cx + (float)sx * 2.35f, lz_at(7.0f), x1, lz_at(7.0f), 1.15f, 6.0f);
    }
    // The trade's tools at the working spot.
    float sx_, sz_;
    spot_local(e, &sx_, &sz_);
    float facing = w.side > 0 ? 0.0f : PI;
    trade_props(e, town_frame(sx_, sz_, facing), sx_, sz_, facing);
    // Sign on its post at the street front, with a torch.
    float signx = cx - 7.55f, signz = lz_at(5.2f);
    Mat4 post = town_frame(signx, lz_at(6.0f), 0.0f);
    kit_cylinder(SB_WOOD, post, {0, -0.2f, 0}, 0.1f, 0.12f, 4.4f, TIMBER, 6);
    kit_box(SB_WOOD, post, {0, 4.0f, -s * 0.5f}, {0.1f, 0.1f, 1.2f}, TIMBER);
    Mat4 board = town_frame(signx, signz, 0.0f);
    kit_box(SB_WOOD, board, {0, 3.4f, 0}, {0.08f, 0.7f, 1.0f}, TIMBER * 1.6f);
    kit_box(SB_CLOTH, board, {0, 3.4f, 0}, {0.1f, 0.45f, 0.7f}, w.awning * 1.3f);
    local_obstacle(signx, lz_at(6.0f), 0.3f, 4.4f);
    town_wall_torch(signx + 0.12f, 2.3f, lz_at(6.0f), 1.0f, 0.0f);
}

// ---- The inn and the town chapel ----------------------------------------------------

void inn() {
    HouseSpec h{16.0f, 12.0f, 2, 0x1A2B3C4Du};
    Vec3 c = town_point(-63.0f, 0, 31.0f);
    house_build(h, c.x, c.z, base_y(), PI);
    plan_mark_rect(-63.0f, 31.0f, 8.0f, 6.0f, PLAN_HOUSE);
    // Hanging sign, a table and benches before the door.
    Mat4 s = town_frame(-56.0f, 25.0f, 0.0f);
    kit_box(SB_WOOD, s, {0, 3.3f, -0.65f}, {0.1f, 0.1f, 1.3f}, TIMBER);
    kit_box(SB_WOOD, s, {0, 2.85f, -1.0f}, {0.08f, 0.7f, 0.9f}, {0.5f, 0.36f, 0.2f});
    kit_box(SB_GOLD, s, {0.06f, 2.85f, -1.0f}, {0.02f, 0.35f, 0.35f}, {1, 1, 1});
    Mat4 t = town_frame(-67.5f, 21.6f, 0.0f);
    kit_box(SB_WOOD, t, {0, 0.75f, 0}, {2.2f, 0.08f, 0.9f}, TIMBER * 1.5f);
    for (int sx = -1; sx <= 1; sx += 2) {
        kit_box(SB_WOOD, t, {(float)sx * 0.9f, 0.36f, 0}, {0.1f, 0.72f, 0.7f}, TIMBER);
        kit_box(SB_WOOD, t, {0, 0.42f, (float)sx * 0.85f}, {2.0f, 0.06f, 0.32f}, TIMBER * 1.4f);
    }
    kit_cylinder(SB_TILES, t, {0.4f, 0.79f, 0}, 0.06f, 0.05f, 0.16f, {0.6f, 0.45f, 0.3f}, 8);
    local_wall(-68.5f, 21.6f, -66.5f, 21.6f, 0.6f, 0.9f);
    barrel(-71.0f, 23.6f);
    barrel(-72.0f, 23.4f, 0.9f);
    town_wall_torch(-58.5f, 2.6f, 25.0f, 0.0f, -1.0f);
}

void town_chapel() {
    const float cx = -90.0f, cz = 79.0f, w = 28.0f, d = 11.0f, h = 9.0f;
    const Vec3 stone = {0.76f, 0.73f, 0.66f};
    Mat4 f = town_frame(cx, cz, 0.0f);
    kit_box(SB_MASONRY, f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d}, stone);
    kit_box(SB_MASONRY, f, {0, 0.3f, 0}, {w + 0.8f, 1.2f, d + 0.8f}, stone * 0.9f);
    kit_gable(SB_TILES, f * mat4_rotate_y(PI * 0.5f), {0, h, 0}, d + 1.0f, 5.5f, w + 0.6f, {0.34f, 0.35f, 0.4f});
    kit_solid_box(f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d});
    kit_solid_box(f, {0, 0.3f, 0}, {w + 0.8f, 1.2f, d + 0.8f});
    kit_solid_gable(f * mat4_rotate_y(PI * 0.5f), {0, h, 0}, d + 1.0f, 5.5f, w + 0.6f);
    // Buttresses and lancet windows along the sides.
    for (int i = -3; i <= 3; ++i) {
        float x = (float)i * 4.0f;
        for (int s = -1; s <= 1; s += 2) {
            kit_box(SB_MASONRY, f, {x + 2.0f, 3.0f, (float)s * (d * 0.5f + 0.4f)}, {0.8f, 6.0f, 0.8f}, stone * 0.95f);
            kit_solid_box(f, {x + 2.0f, 3.0f, (float)s * (d * 0.5f + 0.4f)}, {0.8f, 6.0f, 0.8f});
            if (i < 3) kit_box(SB_DARK, f, {x, 4.2f, (float)s * (d * 0.5f + 0.01f)}, {0.8f, 3.4f, 0.06f}, {1, 1, 1});
        }
    }
    // Rose window on the east end; the bell tower and its spire at the west.
    kit_cylinder(SB_DARK, f * mat4_translate({w * 0.5f, 6.0f, 0}) * mat4_rotate_z(-PI * 0.5f), {0, -0.02f, 0}, 1.4f,
                 1.4f, 0.08f, {1, 1, 1}, 14);
    float tx = -w * 0.5f - 2.5f;
    kit_box(SB_MASONRY, f, {tx, 9.0f, 0}, {6.0f, 19.0f, 6.0f}, stone);
    kit_solid_box(f, {tx, 9.0f, 0}, {6.0f, 19.0f, 6.0f});
    for (int s = 0; s < 4; ++s) {
        float a = (float)s * PI * 0.5f;
        kit_box(SB_DARK, f, {tx + std::sin(a) * 3.02f, 15.0f, std::cos(a) * 3.02f}, {1.0f, 2.2f, 0.06f}, {1, 1, 1}, a);
    }
    MeshBuilder spire = shape_frustum(0.0f, 0.7071f, 1.0f, 4, true);
    batch_add(SB_TILES, &spire, f * mat4_from_prs({tx, 18.5f + 5.0f, 0}, {0, PI * 0.25f, 0}, {6.4f, 10.0f, 6.4f}),
              {0.34f, 0.35f, 0.4f});
    kit_box(SB_GOLD, f, {tx, 29.0f, 0}, {0.12f, 1.4f, 0.12f}, {1, 1, 1});
    kit_box(SB_GOLD, f, {tx, 29.3f, 0}, {0.7f, 0.12f, 0.12f}, {1, 1, 1});
    // South door with steps toward the street.
    Mat4 door = f * mat4_translate({tx, 0, -3.0f}) * mat4_rotate_y(PI);
    kit_box(SB_WOOD, door, {0, 1.6f, 0.05f}, {1.8f, 3.2f, 0.1f}, TIMBER);
    kit_box(SB_TILES, door, {0, 3.4f, 0.08f}, {2.4f, 0.4f, 0.2f}, stone * 0.85f);
    town_wall_torch(cx + tx - 1.4f, 2.8f, cz - 3.05f, 0.0f, -1.0f);
    kit_block_obstacles(CAMELOT_X + cx, CAMELOT_Z + cz, w + 0.8f, d + 1.6f, h + 2.0f, base_y() - 1.0f);
    kit_block_obstacles(CAMELOT_X + cx + tx, CAMELOT_Z + cz, 6.0f, 6.0f, 20.0f, base_y() - 1.0f);
    plan_mark_rect(cx, cz, w * 0.5f, d * 0.5f, PLAN_CHURCH);
    plan_mark_rect(cx + tx, cz, 3.0f, 3.0f, PLAN_CHURCH);
}

}  // namespace

// ---- Workshop queries ------------------------------------------------------------------

Vec3 workshop_position(int profession, float* facing) {
    // Each profession goes to the workshop of its own trade.
    int e = profession >= 0 && profession < WORKSHOP_COUNT ? workshop_entry(profession) : -1;
    float f = 0.0f;
    if (e < 0) e = 0;
    else f = workshops[e].side > 0 ? 0.0f : PI;
    if (facing) *facing = f;
    float lx, lz;
    spot_local(e, &lx, &lz);
    return camelot_point(lx, lz);
}

Vec3 camelot_forge_position() {
    // The hearth beside the smith's anvil.
    float lx, lz;
    spot_local(workshop_entry(5), &lx, &lz);
    return camelot_point(lx - 2.6f, lz + 2.2f);
}

void camelot_build_market() {
    plan_mark_rect(-40.0f, 0.0f, 21.0f, 21.0f, PLAN_MARKET);
    market_cross();
    for (const Stall& s : stalls) market_stall(s);
    barrel(-58.5f, -18.0f);
    barrel(-57.7f, -18.9f, 0.85f);
    crate(-22.0f, 18.5f, 0.3f, 0.9f);
    crate(-21.2f, 19.4f, 0.9f, 0.7f);
    barrel(-21.0f, -18.5f);
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2)
            town_torch_add(kit_torch_post(CAMELOT_X - 40.0f + (float)sx * 20.0f, CAMELOT_Z + (float)sz * 20.0f));
}

void camelot_build_workshops() {
    plan_mark_rect(-76.5f, -70.0f, 36.5f, 4.0f, PLAN_STREET);
    for (int e = 0; e < WORKSHOP_COUNT; ++e) workshop(e);
}

void camelot_build_landmarks_in_town() {
    inn();
    town_chapel();
}

// ---- Gardens and orchards behind the houses ------------------------------------------

namespace {

bool ground_free(float cx, float cz, float hx, float hz) {
    for (float z = cz - hz; z <= cz + hz; z += 0.5f)
        for (float x = cx - hx; x <= cx + hx; x += 0.5f)
            if (camelot_plan_at(x, z) != PLAN_NONE) return false;
    return true;
}

void vegetable_plot(float cx, float cz, float hx, float hz, Rng& r) {
    Mat4 f = town_frame(cx, cz, 0.0f);
    kit_box(SB_STONE, f, {0, 0.02f, 0}, {hx * 2.0f, 0.3f, hz * 2.0f}, {0.3f, 0.24f, 0.17f});
    const Vec3 greens[3] = {{0.3f, 0.5f, 0.2f}, {0.42f, 0.55f, 0.22f}, {0.25f, 0.42f, 0.28f}};
    int rows = (int)(hz * 2.0f / 0.9f);
    for (int i = 0; i < rows; ++i) {
        float z = -hz + 0.45f + 0.9f * (float)i;
        // A row of greens on its ridge.
        Vec3 g = greens[rng_next(r) % 3] * (0.85f + 0.3f * rng_float(r));
        kit_box(SB_PLAIN, f, {0, 0.2f, z}, {hx * 2.0f - 0.5f, 0.2f, 0.4f}, g);
        kit_box(SB_PLAIN, f, {0, 0.26f, z}, {hx * 2.0f - 0.7f, 0.12f, 0.26f}, g * 1.15f);
    }
    // Wattle fence round it.
    const Vec3 wattle = {0.42f, 0.33f, 0.22f};
    for (int s = -1; s <= 1; s += 2) {
        kit_box(SB_WOOD, f, {0, 0.4f, (float)s * (hz + 0.2f)}, {hx * 2.0f + 0.5f, 0.7f, 0.08f}, wattle);
        kit_box(SB_WOOD, f, {(float)s * (hx + 0.2f), 0.4f, 0}, {0.08f, 0.7f, hz * 2.0f + 0.5f}, wattle);
        local_wall(cx - hx - 0.2f, cz + (float)s * (hz + 0.2f), cx + hx + 0.2f, cz + (float)s * (hz + 0.2f), 0.3f, 0.9f);
        local_wall(cx + (float)s * (hx + 0.2f), cz - hz - 0.2f, cx + (float)s * (hx + 0.2f), cz + hz + 0.2f, 0.3f, 0.9f);
    }
}

void fruit_tree(float lx, float lz, Rng& r) {
    Mat4 f = town_frame(lx, lz, rng_float(r) * 6.28f);
    float s = 0.8f + 0.4f * rng_float(r);
    kit_cylinder(SB_WOOD, f, {0, -0.2f, 0}, 0.12f * s, 0.18f * s, 2.2f * s, {0.36f, 0.28f, 0.2f}, 7);
    Vec3 leaf = Vec3{0.28f, 0.45f, 0.2f} * (0.85f + 0.3f * rng_float(r));
    kit_ellipsoid(SB_PLAIN, f, {0, 2.6f * s, 0}, Vec3{1.6f, 1.2f, 1.6f} * s, leaf);
    kit_ellipsoid(SB_PLAIN, f, {0.7f * s, 2.3f * s, 0.4f * s}, Vec3{1.0f, 0.8f, 1.0f} * s, leaf * 0.9f);
    kit_ellipsoid(SB_PLAIN, f, {-0.6f * s, 2.2f * s, -0.5f * s}, Vec3{1.0f, 0.8f, 1.0f} * s, leaf * 1.05f);
    if (rng_float(r) < 0.5f)
        for (int k = 0; k < 6; ++k) {
            float a = 1.05f * (float)k;
            kit_box(SB_PLAIN, f, {std::sin(a) * 1.3f * s, 2.3f * s + 0.3f * (float)(k & 1), std::cos(a) * 1.3f * s},
                    {0.14f, 0.14f, 0.14f}, {0.8f, 0.2f, 0.12f}, a);
        }
    local_obstacle(lx, lz, 0.25f * s, 2.5f * s);
}

}  // namespace

void camelot_build_gardens() {
    Rng r{0x6A7Du};
    for (float z = -108.0f; z <= 108.0f; z += 9.0f)
        for (float x = -108.0f; x <= 108.0f; x += 9.0f) {
            float hx = 2.5f + 1.5f * rng_float(r), hz = 2.0f + 1.0f * rng_float(r);
            float u = rng_float(r);
            if (!ground_free(x, z, hx + 2.5f, hz + 2.5f)) continue;
            if (u < 0.55f) {
                vegetable_plot(x, z, hx, hz, r);
            } else {
                fruit_tree(x - hx * 0.5f, z - hz * 0.4f, r);
                fruit_tree(x + hx * 0.5f, z + hz * 0.4f, r);
            }
            plan_mark_rect(x, z, hx + 0.3f, hz + 0.3f, PLAN_GARDEN);
        }
}
