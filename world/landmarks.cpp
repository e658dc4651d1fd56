// The hamlet of Gué-Fleuri with its fields and windmill, the five wild sites
// (the raiders' ravine, the fairy stone, the fort of the Black Moon, the
// graveyard of the forgotten kings with the hermit's hut, the beech grove of
// the black wolves) and the archery butts at the edge of the first clearing.
#include "world/landmarks.h"

#include <cassert>
#include <cmath>
#include <vector>

#include "common/rng.h"
#include "render/renderer.h"
#include "world/settlement_kit.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

std::vector<Vec3> fires;

const Vec3 TIMBER = {0.3f, 0.21f, 0.14f};
const Vec3 ROCK = {0.5f, 0.48f, 0.45f};

float gh(float x, float z) { return ground_height(x, z); }
Mat4 at(float x, float z, float yaw, float dy = 0.0f) { return kit_frame(x, gh(x, z) + dy, z, yaw); }
float face_toward(float x, float z, float tx, float tz) { return std::atan2(tx - x, tz - z); }

void fire(float x, float z, float size) {
    Mat4 f = at(x, z, 0.0f);
    for (int i = 0; i < 8; ++i) {
        float a = 2.0f * PI * (float)i / 8.0f;
        kit_ellipsoid(SB_STONE, f, {std::sin(a) * 0.9f * size, 0.08f, std::cos(a) * 0.9f * size},
                      Vec3{0.26f, 0.18f, 0.22f} * size, {0.5f, 0.48f, 0.46f}, a);
    }
    for (int i = 0; i < 3; ++i) {
        float a = 2.0f * PI * (float)i / 3.0f + 0.3f;
        kit_beam(SB_WOOD, f, {std::sin(a) * 0.6f * size, 0.05f, std::cos(a) * 0.6f * size}, {0, 0.45f * size, 0},
                 0.1f * size, {0.22f, 0.16f, 0.12f});
    }
    kit_ellipsoid(SB_DARK, f, {0, 0.02f, 0}, {0.7f * size, 0.04f, 0.7f * size}, {1, 1, 1});
    Vec3 p = {x, gh(x, z) + 0.3f, z};
    world_add_fire(p, size);
    fires.push_back(p);
    obstacle_add(x, z, 1.0f * size, 0.6f, gh(x, z));
}

void rock(float x, float z, float sx, float sy, float sz, float yaw, Vec3 tint = ROCK) {
    MeshBuilder r = shape_rock(1, 1, 1, 300u + (uint32_t)(std::fabs(x * 7.0f + z * 13.0f)) % 97u, 0.9f);
    batch_add(SB_STONE, &r, mat4_from_prs({x, gh(x, z) + sy * 0.3f, z}, {0, yaw, 0}, {sx, sy, sz}), tint);
    obstacle_add(x, z, std::fmax(sx, sz) * 0.85f, sy * 1.3f, gh(x, z) - 0.5f);
}

void standing_stone(float x, float z, float h, float yaw, Vec3 tint = {0.6f, 0.6f, 0.57f}) {
    kit_box_prs(SB_OLD_STONE, at(x, z, 0.0f), {0, h * 0.5f - 0.3f, 0}, {0.04f, yaw, 0.03f}, {1.0f, h, 0.55f}, tint);
    obstacle_add(x, z, 0.7f, h, gh(x, z));
}

void tent(float x, float z, float yaw, float r, float h, Vec3 cloth) {
    Mat4 f = at(x, z, yaw);
    MeshBuilder t = shape_frustum(0.0f, r, h, 4, true);
    batch_add(SB_CLOTH, &t, f * mat4_from_prs({0, h * 0.5f - 0.05f, 0}, {0, PI * 0.25f, 0}, {1, 1, 1}), cloth);
    kit_box_prs(SB_DARK, f, {0, h * 0.22f, r * 0.55f}, {-0.5f, 0, 0}, {r * 0.6f, h * 0.42f, 0.05f}, {1, 1, 1});
    kit_cylinder(SB_WOOD, f, {0, 0, 0}, 0.04f, 0.05f, h + 0.4f, TIMBER, 5);
    obstacle_add(x, z, r * 0.85f, h, gh(x, z));
}

void crate(float x, float z, float yaw, float s) {
    kit_box(SB_WOOD, at(x, z, yaw), {0, s * 0.4f, 0}, {s, s * 0.8f, s}, {0.5f, 0.38f, 0.24f});
    obstacle_add(x, z, s * 0.65f, s * 0.8f, gh(x, z));
}

void fence(float x0, float z0, float x1, float z1, Vec3 tint) {
    float dx = x1 - x0, dz = z1 - z0, len = std::sqrt(dx * dx + dz * dz);
    int posts = (int)(len / 2.4f) + 1;
    for (int i = 0; i <= posts; ++i) {
        float t = (float)i / (float)posts;
        float x = x0 + dx * t, z = z0 + dz * t;
        kit_box(SB_WOOD, at(x, z, 0.0f), {0, 0.5f, 0}, {0.12f, 1.2f, 0.12f}, tint);
        if (i < posts) {
            float x2 = x0 + dx * (float)(i + 1) / (float)posts, z2 = z0 + dz * (float)(i + 1) / (float)posts;
            for (int k = 0; k < 2; ++k) {
                float y = 0.45f + 0.45f * (float)k;
                kit_beam(SB_WOOD, mat4_identity(), {x, gh(x, z) + y, z}, {x2, gh(x2, z2) + y, z2}, 0.08f, tint);
            }
        }
    }
    obstacle_wall(x0, z0, x1, z1, 0.3f, 1.2f, std::fmin(gh(x0, z0), gh(x1, z1)) - 0.3f);
}

// ---- Gué-Fleuri -----------------------------------------------------------------

void hamlet_house(float x, float z, bool long_house) {
    HouseSpec h = long_house ? HouseSpec{13.0f, 9.0f, 1, 7777u} : HouseSpec{5.5f, 5.0f, 1, 9191u};
    float yaw = face_toward(x, z, 360.0f, -10.0f);
    house_build(h, x, z, gh(x, z), yaw);
}

void well(float x, float z) {
    Mat4 f = at(x, z, 0.3f);
    kit_cylinder(SB_STONE, f, {0, -0.3f, 0}, 1.0f, 1.05f, 1.2f, {0.6f, 0.58f, 0.54f}, 12);
    kit_cylinder(SB_DARK, f, {0, -0.2f, 0}, 0.8f, 0.8f, 1.15f, {1, 1, 1}, 12);
    for (int s = -1; s <= 1; s += 2) kit_box(SB_WOOD, f, {(float)s * 0.9f, 1.4f, 0}, {0.15f, 1.4f, 0.15f}, TIMBER);
    kit_box(SB_WOOD, f, {0, 2.1f, 0}, {2.1f, 0.12f, 0.12f}, TIMBER);
    kit_gable(SB_TILES, f * mat4_rotate_y(PI * 0.5f), {0, 2.15f, 0}, 1.8f, 0.7f, 2.4f, {0.52f, 0.38f, 0.24f});
    obstacle_add(x, z, 1.1f, 2.2f, gh(x, z));
}

void haystack(float x, float z, float s) {
    kit_ellipsoid(SB_PLAIN, at(x, z, 0.0f), {0, 0.5f * s, 0}, {1.3f * s, 1.3f * s, 1.3f * s}, {0.78f, 0.66f, 0.36f});
    obstacle_add(x, z, 1.2f * s, 1.6f * s, gh(x, z));
}

void cart(float x, float z, float yaw) {
    Mat4 f = at(x, z, yaw);
    kit_box(SB_WOOD, f, {0, 0.85f, 0}, {1.4f, 0.5f, 2.4f}, {0.45f, 0.33f, 0.22f});
    for (int s = -1; s <= 1; s += 2)
        kit_cylinder(SB_WOOD, f * mat4_translate({(float)s * 0.78f, 0.5f, 0.2f}) * mat4_rotate_z(PI * 0.5f),
                     {0, -0.05f, 0}, 0.5f, 0.5f, 0.1f, TIMBER, 12);
    kit_beam(SB_WOOD, f, {-0.35f, 0.7f, 1.2f}, {-0.3f, 0.3f, 2.9f}, 0.08f, TIMBER);
    kit_beam(SB_WOOD, f, {0.35f, 0.7f, 1.2f}, {0.3f, 0.3f, 2.9f}, 0.08f, TIMBER);
    obstacle_wall(x - std::sin(yaw) * 0.9f, z - std::cos(yaw) * 0.9f, x + std::sin(yaw) * 0.9f,
                  z + std::cos(yaw) * 0.9f, 0.8f, 1.4f, gh(x, z));
}

void windmill(float x, float z) {
    float y = gh(x, z);
    Mat4 f = kit_frame(x, y, z, -0.6f);
    kit_cylinder(SB_STONE, f, {0, -0.5f, 0}, 3.2f, 3.6f, 3.5f, {0.62f, 0.6f, 0.55f}, 12);
    kit_box(SB_WOOD, f, {0, 6.0f, 0}, {4.2f, 5.0f, 3.6f}, {0.55f, 0.42f, 0.3f});
    kit_gable(SB_TILES, f, {0, 8.5f, 0}, 4.6f, 1.8f, 4.0f, {0.5f, 0.34f, 0.22f});
    kit_box(SB_DARK, f, {0, 5.0f, 1.82f}, {0.9f, 1.6f, 0.05f}, {1, 1, 1});
    // Sails on their hub.
    Mat4 hub = f * mat4_translate({0, 7.0f, 2.3f});
    kit_cylinder(SB_WOOD, hub * mat4_rotate_x(PI * 0.5f), {0, -0.4f, 0}, 0.25f, 0.25f, 0.8f, TIMBER, 8);
    for (int k = 0; k < 4; ++k) {
        float a = (float)k * PI * 0.5f + 0.35f;
        Mat4 arm = hub * mat4_rotate_z(a);
        kit_box(SB_WOOD, arm, {0, 3.6f, 0.1f}, {0.18f, 7.2f, 0.12f}, TIMBER);
        kit_box(SB_CLOTH, arm, {0.6f, 4.2f, 0.12f}, {1.1f, 5.6f, 0.03f}, {0.86f, 0.82f, 0.72f});
    }
    obstacle_add(x, z, 3.6f, 9.0f, y - 0.5f);
}

void field(float cx, float cz, float w, float d, float yaw) {
    // Ploughed furrows inside a fence.
    Mat4 f = at(cx, cz, yaw);
    int rows = (int)(w / 1.2f);
    for (int i = 0; i < rows; ++i) {
        float x = -w * 0.5f + 0.6f + 1.2f * (float)i;
        Vec3 c = {cx + std::cos(yaw) * x, 0, cz - std::sin(yaw) * x};
        kit_box(SB_PLAIN, at(c.x, c.z, yaw), {0, 0.02f, 0}, {0.7f, 0.3f, d - 1.0f},
                i % 5 == 2 ? Vec3{0.5f, 0.56f, 0.26f} : Vec3{0.36f, 0.27f, 0.18f});
    }
    (void)f;
    float hw = w * 0.5f, hd = d * 0.5f;
    float cs = std::cos(yaw), sn = std::sin(yaw);
    auto corner = [&](float lx, float lz, float* ox, float* oz) {
        *ox = cx + cs * lx + sn * lz;
        *oz = cz - sn * lx + cs * lz;
    };
    float x0, z0, x1, z1, x2, z2, x3, z3;
    corner(-hw, -hd, &x0, &z0);
    corner(hw, -hd, &x1, &z1);
    corner(hw, hd, &x2, &z2);
    corner(-hw, hd, &x3, &z3);
    Vec3 ft = {0.5f, 0.4f, 0.28f};
    fence(x0, z0, x1, z1, ft);
    fence(x1, z1, x2, z2, ft);
    fence(x3, z3, x0, z0, ft);
    // The side toward the hamlet has a gap for the gate.
    float gx = (x2 + x3) * 0.5f, gz = (z2 + z3) * 0.5f;
    fence(x2, z2, gx + (x2 - x3) * 0.06f, gz + (z2 - z3) * 0.06f, ft);
    fence(gx - (x2 - x3) * 0.06f, gz - (z2 - z3) * 0.06f, x3, z3, ft);
}

void scarecrow(float x, float z, float yaw) {
    Mat4 f = at(x, z, yaw);
    kit_box(SB_WOOD, f, {0, 1.0f, 0}, {0.1f, 2.2f, 0.1f}, TIMBER);
    kit_box(SB_WOOD, f, {0, 1.6f, 0}, {1.6f, 0.08f, 0.08f}, TIMBER);
    kit_box(SB_CLOTH, f, {0, 1.35f, 0}, {0.7f, 0.8f, 0.3f}, {0.45f, 0.35f, 0.5f});
    kit_ellipsoid(SB_PLAIN, f, {0, 2.0f, 0}, {0.18f, 0.2f, 0.18f}, {0.8f, 0.7f, 0.45f});
    kit_cylinder(SB_PLAIN, f, {0, 2.15f, 0}, 0.0f, 0.32f, 0.3f, {0.7f, 0.6f, 0.35f}, 10);
    obstacle_add(x, z, 0.3f, 2.2f, gh(x, z));
}

void hamlet() {
    hamlet_house(346.0f, 9.0f, true);
    hamlet_house(380.0f, -2.0f, true);
    hamlet_house(351.0f, -31.0f, false);
    hamlet_house(338.0f, -21.0f, false);
    hamlet_house(384.0f, 13.0f, false);
    hamlet_house(372.0f, 10.0f, false);
    well(358.0f, -13.0f);
    fire(352.0f, -3.0f, 0.8f);
    cart(368.0f, -20.0f, 0.7f);
    haystack(388.0f, -14.0f, 1.0f);
    haystack(390.5f, -11.5f, 0.8f);
    crate(376.0f, -10.0f, 0.2f, 0.8f);
    // The hamlet's fields to the west, where the boars come.
    field(278.0f, -28.0f, 34.0f, 24.0f, 0.1f);
    field(286.0f, 9.0f, 30.0f, 22.0f, -0.05f);
    scarecrow(280.0f, -27.0f, 1.2f);
    scarecrow(288.0f, 10.0f, -0.4f);
    windmill(404.0f, 16.0f);
}

// ---- The wild sites ------------------------------------------------------------------

void raiders_ravine() {
    // Rock walls either side of a gully running south-east from the path's end.
    const float ax = 418.0f, az = -108.0f, bx = 446.0f, bz = -152.0f;
    float dx = bx - ax, dz = bz - az, len = std::sqrt(dx * dx + dz * dz);
    float ux = dx / len, uz = dz / len, nx = -uz, nz = ux;
    for (int s = -1; s <= 1; s += 2)
        for (int i = 0; i < 9; ++i) {
            float t = 4.0f + (len - 4.0f) * (float)i / 8.0f;
            float off = (13.0f + 2.5f * std::sin((float)i * 1.7f + (float)s)) * (float)s;
            float x = ax + ux * t + nx * off, z = az + uz * t + nz * off;
            float h = 5.0f + 2.0f * std::fabs(std::sin((float)i * 2.3f));
            rock(x, z, 4.2f, h, 3.6f, (float)i * 0.9f, ROCK * (0.9f + 0.1f * (float)(i & 1)));
        }
    fire(432.0f, -131.0f, 1.0f);
    tent(439.0f, -124.0f, face_toward(439, -124, 432, -131), 2.0f, 2.4f, {0.42f, 0.3f, 0.2f});
    tent(425.0f, -139.0f, face_toward(425, -139, 432, -131), 2.0f, 2.4f, {0.35f, 0.32f, 0.22f});
    crate(437.0f, -138.0f, 0.4f, 0.9f);
    crate(438.0f, -139.2f, 1.1f, 0.7f);
    crate(426.0f, -125.0f, 0.2f, 1.0f);
}

void fairy_stone() {
    const float cx = 110.0f, cz = -40.0f;
    // The dolmen: two uprights and the capstone, ringed by nine stones.
    float y = gh(cx, cz);
    Mat4 f = kit_frame(cx, y, cz, 0.4f);
    const Vec3 grey = {0.62f, 0.62f, 0.6f};
    for (int s = -1; s <= 1; s += 2) {
        kit_box_prs(SB_OLD_STONE, f, {(float)s * 1.3f, 1.0f, 0}, {0, 0, 0.04f * (float)s}, {0.7f, 2.3f, 2.2f}, grey);
        Vec3 p = mat4_mul_point(f, {(float)s * 1.3f, 0, 0});
        obstacle_add(p.x, p.z, 1.1f, 2.3f, y);
    }
    kit_box_prs(SB_OLD_STONE, f, {0, 2.35f, 0}, {0.05f, 0.1f, 0.06f}, {3.8f, 0.55f, 2.8f}, grey * 0.95f);
    for (int i = 0; i < 9; ++i) {
        float a = 2.0f * PI * (float)i / 9.0f + 0.2f;
        standing_stone(cx + std::sin(a) * 14.0f, cz + std::cos(a) * 14.0f, 2.6f + 0.7f * std::sin((float)i * 2.1f),
                       a, {0.6f, 0.6f, 0.62f});
    }
    // Pale toadstools that glow in the grass.
    for (int i = 0; i < 14; ++i) {
        float a = 0.9f * (float)i, d = 4.0f + 0.6f * (float)i;
        float x = cx + std::sin(a) * d, z = cz + std::cos(a) * d;
        Mat4 m = at(x, z, 0.0f);
        kit_cylinder(SB_PLAIN, m, {0, 0, 0}, 0.03f, 0.04f, 0.2f, {0.85f, 0.82f, 0.75f}, 6);
        kit_ellipsoid(12, m, {0, 0.2f, 0}, {0.1f, 0.05f, 0.1f}, {1, 1, 1});
    }
}

void black_moon_fort() {
    const float cx = -520.0f, cz = -60.0f, r = 26.0f;
    // Gate toward the path from the east.
    float gate_a = std::atan2(-490.0f - cx, -54.0f - cz);
    const int posts = 250;
    float prev_x = 0, prev_z = 0;
    bool have_prev = false;
    for (int i = 0; i <= posts; ++i) {
        float a = 2.0f * PI * (float)i / (float)posts;
        float da = std::fabs(std::remainder(a - gate_a, 2.0f * PI));
        bool in_gate = da < 0.13f;
        float x = cx + std::sin(a) * r, z = cz + std::cos(a) * r;
        if (!in_gate && i < posts) {
            float h = 4.2f + 0.5f * std::sin((float)i * 3.1f);
            Mat4 m = at(x, z, a);
            kit_cylinder(SB_WOOD, m, {0, -0.5f, 0}, 0.27f, 0.3f, h + 0.5f, {0.34f, 0.25f, 0.17f}, 7);
            kit_cylinder(SB_WOOD, m, {0, h, 0}, 0.0f, 0.27f, 0.7f, {0.4f, 0.3f, 0.2f}, 7);
            // The stakes stand shoulder to shoulder: along the ring (local x) they close up.
            kit_solid_box(m, {0, h * 0.5f + 0.1f, 0}, {0.75f, h + 1.2f, 0.6f});
        }
        if (have_prev && !in_gate) obstacle_wall(prev_x, prev_z, x, z, 0.6f, 5.0f, gh(x, z) - 1.0f);
        prev_x = x;
        prev_z = z;
        have_prev = !in_gate;
    }
    // Watchtowers either side of the gate.
    for (int s = -1; s <= 1; s += 2) {
        float a = gate_a + 0.2f * (float)s;
        float x = cx + std::sin(a) * (r - 2.0f), z = cz + std::cos(a) * (r - 2.0f);
        Mat4 m = at(x, z, a);
        for (int k = 0; k < 4; ++k) {
            float px = (k & 1) ? 1.1f : -1.1f, pz = (k & 2) ? 1.1f : -1.1f;
            kit_box(SB_WOOD, m, {px, 3.5f, pz}, {0.22f, 7.0f, 0.22f}, TIMBER);
        }
        kit_box(SB_WOOD, m, {0, 5.5f, 0}, {2.8f, 0.2f, 2.8f}, TIMBER * 1.2f);
        kit_box(SB_WOOD, m, {0, 6.1f, 1.35f}, {2.8f, 1.0f, 0.1f}, TIMBER);
        MeshBuilder roof = shape_frustum(0.0f, 2.3f, 1.4f, 4, true);
        batch_add(SB_CLOTH, &roof, m * mat4_from_prs({0, 7.7f, 0}, {0, PI * 0.25f, 0}, {1, 1, 1}), {0.15f, 0.14f, 0.16f});
        obstacle_add(x, z, 1.7f, 7.5f, gh(x, z));
    }
    // The hall in the middle, tents, the fire and the black banner.
    house_build({12.0f, 8.0f, 1, 0xB1ACu}, cx - 6.0f, cz - 8.0f, gh(cx - 6.0f, cz - 8.0f), gate_a);
    fire(cx + 4.0f, cz + 2.0f, 1.1f);
    const Vec3 cloths[3] = {{0.2f, 0.18f, 0.2f}, {0.3f, 0.26f, 0.22f}, {0.4f, 0.2f, 0.15f}};
    for (int i = 0; i < 4; ++i) {
        float a = gate_a + PI * 0.5f + 0.7f * (float)i;
        float x = cx + std::sin(a) * 15.0f, z = cz + std::cos(a) * 15.0f;
        tent(x, z, face_toward(x, z, cx, cz), 2.1f, 2.5f, cloths[i % 3]);
    }
    Mat4 pole = at(cx + 9.0f, cz - 4.0f, gate_a);
    kit_cylinder(SB_WOOD, pole, {0, 0, 0}, 0.07f, 0.09f, 7.0f, TIMBER, 6);
    kit_box(SB_CLOTH, pole, {0.8f, 5.9f, 0}, {1.5f, 2.0f, 0.03f}, {0.06f, 0.06f, 0.08f});
    kit_cylinder(SB_PLAIN, pole * mat4_translate({0.8f, 6.0f, 0.02f}) * mat4_rotate_x(PI * 0.5f), {0, 0, 0}, 0.4f,
                 0.4f, 0.02f, {0.9f, 0.9f, 0.85f}, 14);
    obstacle_add(cx + 9.0f, cz - 4.0f, 0.3f, 7.0f, gh(cx + 9.0f, cz - 4.0f));
    crate(cx - 12.0f, cz + 9.0f, 0.3f, 1.0f);
    crate(cx - 11.0f, cz + 10.4f, 0.8f, 0.8f);
}

void grave(float x, float z, float yaw, int kind) {
    Mat4 m = at(x, z, yaw);
    const Vec3 stone = {0.58f, 0.58f, 0.55f};
    if (kind == 0) {
        kit_box(SB_OLD_STONE, m, {0, 0.45f, 0}, {0.7f, 1.1f, 0.18f}, stone);
    } else if (kind == 1) {
        kit_box(SB_OLD_STONE, m, {0, 0.6f, 0}, {0.16f, 1.4f, 0.16f}, stone);
        kit_box(SB_OLD_STONE, m, {0, 0.95f, 0}, {0.7f, 0.16f, 0.16f}, stone);
    } else {
        kit_box_prs(SB_OLD_STONE, m, {0, 0.35f, 0}, {0.25f, 0, 0.1f}, {0.65f, 0.9f, 0.16f}, stone * 0.9f);
    }
    kit_box(SB_PLAIN, m, {0, 0.05f, -1.0f}, {0.9f, 0.2f, 1.8f}, {0.32f, 0.26f, 0.2f});
    obstacle_add(x, z, 0.45f, 1.2f, gh(x, z));
}

void graveyard() {
    const float cx = -560.0f, cz = -930.0f, half = 30.0f;
    // A low wall round the yard, its gate toward the hermitage.
    const Vec3 stone = {0.55f, 0.55f, 0.52f};
    for (int s = 0; s < 4; ++s) {
        for (int i = 0; i < 12; ++i) {
            float t0 = -half + 60.0f * (float)i / 12.0f, t1 = t0 + 5.0f;
            if (s == 1 && i == 6) continue;  // the gate, east side
            float x0, z0, x1, z1;
            if (s == 0) { x0 = cx + t0; x1 = cx + t1; z0 = z1 = cz + half; }
            else if (s == 2) { x0 = cx + t0; x1 = cx + t1; z0 = z1 = cz - half; }
            else if (s == 1) { z0 = cz + t0; z1 = cz + t1; x0 = x1 = cx + half; }
            else { z0 = cz + t0; z1 = cz + t1; x0 = x1 = cx - half; }
            float mx = (x0 + x1) * 0.5f, mz = (z0 + z1) * 0.5f;
            float yaw = std::atan2(x1 - x0, z1 - z0);
            float h = 1.1f - 0.5f * (float)((i * 7 + s * 3) % 5 == 0);
            kit_box(SB_OLD_STONE, at(mx, mz, yaw), {0, h * 0.5f - 0.2f, 0}, {0.6f, h + 0.4f, 5.05f}, stone);
            kit_solid_box(at(mx, mz, yaw), {0, h * 0.5f - 0.2f, 0}, {0.6f, h + 0.4f, 5.05f});
            obstacle_wall(x0, z0, x1, z1, 0.5f, h + 0.5f, gh(mx, mz) - 0.5f);
        }
    }
    Rng r{0xC1E7u};
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 8; ++col) {
            if (row >= 2 && row <= 4 && col >= 3 && col <= 4) continue;  // the mausoleum
            float x = cx - 22.0f + 6.2f * (float)col + 1.2f * (rng_float(r) - 0.5f);
            float z = cz - 22.0f + 7.0f * (float)row + 1.0f * (rng_float(r) - 0.5f);
            grave(x, z, 0.15f * (rng_float(r) - 0.5f), (int)(rng_next(r) % 3));
        }
    // The kings' mausoleum.
    Mat4 m = at(cx, cz, 0.0f, -0.2f);
    kit_box(SB_OLD_STONE, m, {0, 0.3f, 0}, {9.0f, 0.8f, 11.0f}, stone);
    kit_box(SB_MASONRY, m, {0, 2.5f, -1.0f}, {7.0f, 4.0f, 7.0f}, stone * 1.05f);
    kit_gable(SB_OLD_STONE, m * mat4_rotate_y(PI * 0.5f), {-1.0f, 4.5f, 0}, 8.4f, 2.2f, 8.0f, stone * 0.9f);
    kit_solid_box(m, {0, 0.3f, 0}, {9.0f, 0.8f, 11.0f});
    kit_solid_box(m, {0, 2.5f, -1.0f}, {7.0f, 4.0f, 7.0f});
    kit_solid_gable(m * mat4_rotate_y(PI * 0.5f), {-1.0f, 4.5f, 0}, 8.4f, 2.2f, 8.0f);
    for (int s = -1; s <= 1; s += 2)
        for (int k = 0; k < 2; ++k)
            kit_cylinder(SB_OLD_STONE, m, {(float)s * (1.4f + 1.8f * (float)k), 0.7f, 3.6f}, 0.28f, 0.32f, 3.8f, stone, 10);
    kit_box(SB_DARK, m, {0, 1.9f, 2.52f}, {1.6f, 2.6f, 0.06f}, {1, 1, 1});
    kit_box(SB_OLD_STONE, m, {0, 4.6f, 3.6f}, {7.4f, 0.4f, 1.2f}, stone);
    kit_block_obstacles(cx, cz - 1.0f, 7.4f, 7.4f, 5.0f, gh(cx, cz) - 1.0f);
    for (int s = -1; s <= 1; s += 2)
        for (int k = 0; k < 2; ++k)
            obstacle_add(cx + (float)s * (1.4f + 1.8f * (float)k), cz + 3.6f, 0.4f, 4.5f, gh(cx, cz));
    // Frère Ogrin's hut and fire outside the wall.
    house_build({5.5f, 5.0f, 1, 9191u}, -478.0f, -890.0f, gh(-478.0f, -890.0f), face_toward(-478, -890, -488, -902));
    fire(-483.5f, -897.5f, 0.7f);
    Mat4 cross = at(-492.0f, -896.0f, 0.3f);
    kit_box(SB_WOOD, cross, {0, 1.1f, 0}, {0.14f, 2.3f, 0.14f}, TIMBER);
    kit_box(SB_WOOD, cross, {0, 1.7f, 0}, {0.9f, 0.12f, 0.12f}, TIMBER);
    obstacle_add(-492.0f, -896.0f, 0.25f, 2.3f, gh(-492.0f, -896.0f));
}

void beech_grove() {
    // The black wolves' den: a heap of rocks round a dark hole.
    const float dx = 582.0f, dz = -964.0f;
    for (int i = 0; i < 7; ++i) {
        float a = -2.2f + 0.72f * (float)i;
        float x = dx + std::sin(a) * 7.0f, z = dz + std::cos(a) * 7.0f;
        rock(x, z, 3.0f + 0.5f * (float)(i % 3), 3.5f + 0.8f * (float)(i & 1), 2.8f, a, {0.42f, 0.41f, 0.4f});
    }
    kit_ellipsoid(SB_DARK, at(dx, dz - 3.5f, 0.0f), {0, 1.2f, 0}, {1.8f, 1.4f, 0.6f}, {1, 1, 1});
    for (int i = 0; i < 8; ++i) {
        float a = 0.8f * (float)i;
        float x = dx + std::sin(a) * 3.0f - 6.0f, z = dz + std::cos(a) * 2.5f - 8.0f;
        kit_box_prs(SB_PLAIN, at(x, z, 0.0f), {0, 0.06f, 0}, {PI * 0.5f, a, 0}, {0.08f, 0.6f, 0.08f},
                    {0.84f, 0.8f, 0.7f});
    }
    // Perceval's camp at the edge of the grove.
    tent(506.0f, -919.0f, face_toward(506, -919, 512, -926), 2.0f, 2.4f, {0.6f, 0.56f, 0.46f});
    fire(517.0f, -920.0f, 0.8f);
    Mat4 log = at(520.0f, -917.0f, 0.8f, 0.25f);
    kit_cylinder(SB_WOOD, log * mat4_rotate_x(PI * 0.5f), {0, -1.2f, 0}, 0.25f, 0.28f, 2.4f, {0.4f, 0.31f, 0.22f}, 9);
    obstacle_wall(520.0f - std::sin(0.8f) * 1.2f, -917.0f - std::cos(0.8f) * 1.2f, 520.0f + std::sin(0.8f) * 1.2f,
                  -917.0f + std::cos(0.8f) * 1.2f, 0.35f, 0.6f, gh(520.0f, -917.0f));
}

// ---- Practice targets ---------------------------------------------------------------

// Along the eastern edge of the first clearing, facing the shooting line
// at its centre.
const float target_spots[PRACTICE_TARGET_COUNT][2] = {{19.5f, 7.0f}, {21.0f, 2.5f}, {21.5f, -2.0f}, {21.0f, -6.5f}};
const float SHOOTING_LINE_X = 0.0f, SHOOTING_LINE_Z = -1.0f;
constexpr float FACE_HEIGHT = 1.35f;

float target_yaw(int i) {
    return face_toward(target_spots[i][0], target_spots[i][1], SHOOTING_LINE_X, SHOOTING_LINE_Z);
}

void practice_targets() {
    for (int i = 0; i < PRACTICE_TARGET_COUNT; ++i) {
        float x = target_spots[i][0], z = target_spots[i][1];
        Mat4 f = at(x, z, target_yaw(i));
        // Easel: two legs in front, one behind.
        for (int s = -1; s <= 1; s += 2)
            kit_beam(SB_WOOD, f, {(float)s * 0.55f, 0, 0.25f}, {(float)s * 0.3f, FACE_HEIGHT + 0.3f, -0.12f}, 0.07f,
                     TIMBER);
        kit_beam(SB_WOOD, f, {0, 0, -0.9f}, {0, FACE_HEIGHT + 0.2f, -0.2f}, 0.07f, TIMBER);
        // Straw boss and its painted rings, each a little proud of the last.
        Mat4 face = f * mat4_translate({0, FACE_HEIGHT, 0}) * mat4_rotate_x(PI * 0.5f);
        kit_cylinder(SB_PLAIN, face, {0, -0.3f, 0}, 0.64f, 0.64f, 0.3f, {0.78f, 0.67f, 0.38f}, 20);
        const float radii[4] = {0.6f, 0.5f, 0.35f, 0.2f};
        const Vec3 paint[4] = {{0.9f, 0.88f, 0.82f}, {0.72f, 0.12f, 0.1f}, {0.9f, 0.88f, 0.82f}, {1, 1, 1}};
        for (int k = 0; k < 4; ++k)
            kit_cylinder(k == 3 ? SB_GOLD : SB_PLAIN, face, {0, 0.0f + 0.008f * (float)k, 0}, radii[k], radii[k],
                         0.01f, paint[k], 20);
        obstacle_add(x, z, 0.6f, FACE_HEIGHT + 0.8f, gh(x, z));
    }
}

}  // namespace

Vec3 practice_target_centre(int i) {
    assert(i >= 0 && i < PRACTICE_TARGET_COUNT);
    if (i < 0 || i >= PRACTICE_TARGET_COUNT) return {0, 0, 0};
    float x = target_spots[i][0], z = target_spots[i][1];
    float yaw = target_yaw(i);
    // The painted face stands a hair in front of the straw.
    return {x + std::sin(yaw) * 0.03f, gh(x, z) + FACE_HEIGHT, z + std::cos(yaw) * 0.03f};
}

Vec3 practice_target_normal(int i) {
    assert(i >= 0 && i < PRACTICE_TARGET_COUNT);
    if (i < 0 || i >= PRACTICE_TARGET_COUNT) return {0, 0, 1};
    float yaw = target_yaw(i);
    return {std::sin(yaw), 0.0f, std::cos(yaw)};
}

bool practice_target_hit(Vec3 p, Vec3* centre) {
    for (int i = 0; i < PRACTICE_TARGET_COUNT; ++i) {
        Vec3 c = practice_target_centre(i), n = practice_target_normal(i);
        Vec3 d = p - c;
        float depth = dot(d, n);
        // From a little before the paint to the back of the straw.
        if (depth > 0.1f || depth < -0.36f) continue;
        Vec3 radial = d - n * depth;
        if (dot(radial, radial) > PRACTICE_FACE_RADIUS * PRACTICE_FACE_RADIUS) continue;
        if (centre) *centre = c;
        return true;
    }
    return false;
}

PracticeScore practice_score(float distance) {
    if (distance < 0.2f) return {"Dans le mille !", true};
    if (distance < 0.5f) return {"Beau tir !", false};
    return {"Touché", false};
}

void landmarks_build() {
    fires.clear();
    hamlet();
    raiders_ravine();
    fairy_stone();
    black_moon_fort();
    graveyard();
    beech_grove();
    practice_targets();
    kit_release();
}

int landmark_fire_count() { return (int)fires.size(); }
Vec3 landmark_fire(int i) { return fires[(size_t)i]; }

void landmarks_submit_lights(Vec3 eye, float flicker) {
    const Vec3 colour = {1.0f, 0.56f, 0.24f};
    for (const Vec3& p : fires) {
        float dx = p.x - eye.x, dz = p.z - eye.z;
        if (dx * dx + dz * dz > 60.0f * 60.0f) continue;
        render_add_fire(p + Vec3{0, 0.6f, 0}, colour * (1.1f * flicker), 12.0f);
    }
}
