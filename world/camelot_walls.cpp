// The town's stone: the curtain wall with its towers and battlements, the
// west gatehouse over the road from the forest, and the king's castle with
// its own wall, gate, keep, chapel and stables.
#include <cmath>

#include "world/camelot_parts.h"
#include "world/settlement_kit.h"
#include "world/terrain.h"

namespace {

const Vec3 WALL_STONE = {0.74f, 0.71f, 0.65f};
const Vec3 CASTLE_STONE = {0.8f, 0.77f, 0.7f};
const Vec3 MERLON = {0.78f, 0.75f, 0.69f};
const Vec3 SLATE = {0.34f, 0.35f, 0.4f};
const Vec3 TIMBER = {0.27f, 0.18f, 0.12f};
const Vec3 ROYAL_BLUE = {0.16f, 0.22f, 0.55f};

constexpr float TOWN_WALL_H = 10.0f;
constexpr float CASTLE_WALL_H = 12.0f;

float base_y() { return ground_height(CAMELOT_X, CAMELOT_Z); }

// Battlements along a straight wall top, on its outer edge: a merlon every
// 2.3 m (0.6 x 1.3 x 1.25, turned along the wall).
void battlements(float x0, float z0, float x1, float z1, float top, float out_x, float out_z, float half_thick) {
    float dx = x1 - x0, dz = z1 - z0;
    float len = std::sqrt(dx * dx + dz * dz);
    float yaw = std::atan2(dx, dz);
    int n = (int)(len / 2.3f);
    for (int i = 0; i <= n; ++i) {
        float t = (0.5f * (len - 2.3f * (float)n) + 2.3f * (float)i) / len;
        float x = x0 + dx * t + out_x * (half_thick - 0.3f), z = z0 + dz * t + out_z * (half_thick - 0.3f);
        kit_box(SB_MASONRY, town_frame(x, z, yaw), {0, top + 0.65f, 0}, {0.6f, 1.3f, 1.25f}, MERLON);
    }
    // A low parapet on the inner edge of the wall walk.
    float mx = (x0 + x1) * 0.5f - out_x * (half_thick - 0.2f), mz = (z0 + z1) * 0.5f - out_z * (half_thick - 0.2f);
    kit_box(SB_MASONRY, town_frame(mx, mz, yaw), {0, top + 0.4f, 0}, {0.4f, 0.8f, len}, WALL_STONE * 0.95f);
    // Merlons, parapet and the walk between them as one band of stone.
    kit_solid_box(town_frame((x0 + x1) * 0.5f, (z0 + z1) * 0.5f, yaw), {0, top + 0.65f, 0},
                  {half_thick * 2.0f, 1.3f, len});
}

// A straight curtain from (x0, z0) to (x1, z1), outward normal (out_x, out_z).
void curtain(float x0, float z0, float x1, float z1, float out_x, float out_z, float h, float thick, Vec3 stone,
             float ob_radius) {
    float dx = x1 - x0, dz = z1 - z0;
    float len = std::sqrt(dx * dx + dz * dz);
    float yaw = std::atan2(dx, dz);
    Mat4 f = town_frame((x0 + x1) * 0.5f, (z0 + z1) * 0.5f, yaw);
    kit_box(SB_MASONRY, f, {0, h * 0.5f - 0.5f, 0}, {thick, h + 1.0f, len}, stone);
    // Battered foot.
    kit_box(SB_MASONRY, f, {0, 0.4f, 0}, {thick + 1.0f, 1.6f, len}, stone * 0.92f);
    kit_solid_box(f, {0, h * 0.5f - 0.5f, 0}, {thick, h + 1.0f, len});
    kit_solid_box(f, {0, 0.4f, 0}, {thick + 1.0f, 1.6f, len});
    // String course under the battlements.
    kit_box(SB_TILES, f, {0, h - 0.15f, 0}, {thick + 0.3f, 0.3f, len}, stone * 0.9f);
    battlements(x0, z0, x1, z1, h, out_x, out_z, thick * 0.5f);
    float by = base_y();
    obstacle_wall(CAMELOT_X + x0, CAMELOT_Z + z0, CAMELOT_X + x1, CAMELOT_Z + z1, ob_radius, h + 2.0f, by - 1.0f);
    if (std::fabs(dx) > std::fabs(dz))
        plan_mark_rect((x0 + x1) * 0.5f, (z0 + z1) * 0.5f, len * 0.5f, thick * 0.5f, PLAN_WALL);
    else
        plan_mark_rect((x0 + x1) * 0.5f, (z0 + z1) * 0.5f, thick * 0.5f, len * 0.5f, PLAN_WALL);
}

// A round tower with a corbelled parapet and, unless flat, a slate cone.
void round_tower(float lx, float lz, float r, float h, bool roof, Vec3 stone) {
    Mat4 f = town_frame(lx, lz, 0.0f);
    kit_cylinder(SB_MASONRY, f, {0, -1.0f, 0}, r, r * 1.08f, h + 1.0f, stone, 18);
    kit_cylinder(SB_TILES, f, {0, h - 0.6f, 0}, r + 0.45f, r, 0.6f, stone * 0.9f, 18);
    kit_cylinder(SB_MASONRY, f, {0, h, 0}, r + 0.45f, r + 0.45f, 0.5f, stone, 18);
    int merlons = (int)(2.0f * PI * (r + 0.2f) / 2.3f);
    for (int i = 0; i < merlons; ++i) {
        float a = 2.0f * PI * (float)i / (float)merlons;
        kit_box(SB_MASONRY, f, {std::sin(a) * (r + 0.15f), h + 1.15f, std::cos(a) * (r + 0.15f)},
                {1.25f, 1.3f, 0.6f}, MERLON, a);
    }
    // Arrow slits round the shaft.
    for (int k = 0; k < 6; ++k) {
        float a = 2.0f * PI * (float)k / 6.0f + 0.3f * (float)(k & 1);
        float y = 3.5f + (h - 7.0f) * (float)(k % 3) / 2.0f;
        float rr = r * (1.08f - 0.08f * y / (h + 1.0f)) + 0.01f;
        kit_box(SB_DARK, f, {std::sin(a) * rr, y, std::cos(a) * rr}, {0.22f, 1.3f, 0.1f}, {1, 1, 1}, a);
    }
    if (roof) {
        kit_cylinder(SB_TILES, f, {0, h + 0.3f, 0}, 0.0f, r + 0.7f, r * 1.5f + 2.0f, SLATE, 18);
        kit_cylinder(SB_IRON, f, {0, h + r * 1.5f + 2.2f, 0}, 0.03f, 0.05f, 1.6f, {0.25f, 0.25f, 0.27f}, 5);
    }
    obstacle_add(CAMELOT_X + lx, CAMELOT_Z + lz, r * 1.08f, h + 2.0f, base_y() - 1.0f);
    plan_mark_disc(lx, lz, r * 1.08f, PLAN_TOWER);
}

// A square tower block with battlements and a pyramid roof.
void square_tower(float lx, float lz, float w, float d, float h, Vec3 stone, bool roof) {
    Mat4 f = town_frame(lx, lz, 0.0f);
    kit_box(SB_MASONRY, f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d}, stone);
    kit_box(SB_TILES, f, {0, h - 0.2f, 0}, {w + 0.4f, 0.4f, d + 0.4f}, stone * 0.9f);
    kit_solid_box(f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d});
    kit_solid_box(f, {0, h + 0.65f, 0}, {w, 1.3f, d});  // the merlons round the top
    for (int s = 0; s < 4; ++s) {
        bool along_x = (s & 1) == 0;
        float side = s < 2 ? 1.0f : -1.0f;
        float len = along_x ? w : d;
        int n = (int)(len / 2.3f);
        for (int i = 0; i <= n; ++i) {
            float t = -len * 0.5f + 0.5f * (len - 2.3f * (float)n) + 2.3f * (float)i;
            Vec3 c = along_x ? Vec3{t, h + 0.65f, side * (d * 0.5f - 0.1f)} : Vec3{side * (w * 0.5f - 0.1f), h + 0.65f, t};
            kit_box(SB_MASONRY, f, c, {along_x ? 1.25f : 0.6f, 1.3f, along_x ? 0.6f : 1.25f}, MERLON);
        }
    }
    if (roof) {
        MeshBuilder pyr = shape_frustum(0.0f, 0.7071f, 1.0f, 4, true);
        float s = std::fmax(w, d) * 0.92f;
        batch_add(SB_TILES, &pyr,
                  f * mat4_from_prs({0, h + 0.2f + s * 0.55f, 0}, {0, PI * 0.25f, 0}, {s, s * 1.1f, s}), SLATE);
    }
    plan_mark_rect(lx, lz, w * 0.5f, d * 0.5f, PLAN_TOWER);
}

void block_obstacles(float lx, float lz, float w, float d, float h) {
    kit_block_obstacles(CAMELOT_X + lx, CAMELOT_Z + lz, w, d, h, base_y() - 1.0f);
}

void west_gatehouse() {
    const float gx = -120.0f, half_pass = 4.6f, tw = 8.0f;
    // Gate towers either side of the passage, the bridge block over it.
    for (int s = -1; s <= 1; s += 2) {
        float tz = (float)s * (half_pass + tw * 0.5f);
        square_tower(gx, tz, 9.0f, tw, 20.0f, WALL_STONE, true);
        block_obstacles(gx, tz, 9.0f, tw, 22.0f);
    }
    Mat4 f = town_frame(gx, 0.0f, 0.0f);
    kit_box(SB_MASONRY, f, {0, 12.0f, 0}, {9.0f, 10.0f, half_pass * 2.0f + 0.2f}, WALL_STONE);
    kit_box(SB_TILES, f, {0, 7.15f, 0}, {9.2f, 0.3f, half_pass * 2.0f}, WALL_STONE * 0.85f);
    kit_solid_box(f, {0, 12.0f, 0}, {9.0f, 10.0f, half_pass * 2.0f + 0.2f});
    kit_solid_box(f, {0, 7.15f, 0}, {9.2f, 0.3f, half_pass * 2.0f});
    for (int i = -1; i <= 1; ++i)
        kit_box(SB_MASONRY, f, {-4.2f, 17.65f, (float)i * 3.0f}, {0.6f, 1.3f, 1.25f}, MERLON);
    // The arms of Camelot over the passage on both faces.
    for (int s = -1; s <= 1; s += 2) {
        kit_box(SB_CLOTH, f, {(float)s * 4.56f, 11.5f, 0}, {0.05f, 3.2f, 2.2f}, ROYAL_BLUE);
        kit_box(SB_GOLD, f, {(float)s * 4.6f, 11.8f, 0}, {0.05f, 0.8f, 0.8f}, {1, 1, 1});
    }
    // Portcullis drawn up under the arch; the doors stand open inward.
    for (int i = -4; i <= 4; ++i)
        kit_box(SB_IRON, f, {-3.0f, 6.3f, (float)i * 1.0f}, {0.12f, 1.9f, 0.12f}, {0.2f, 0.2f, 0.22f});
    kit_box(SB_IRON, f, {-3.0f, 5.5f, 0}, {0.12f, 0.12f, half_pass * 2.0f}, {0.2f, 0.2f, 0.22f});
    kit_solid_box(f, {-3.0f, 6.3f, 0}, {0.12f, 1.9f, half_pass * 2.0f});
    for (int s = -1; s <= 1; s += 2) {
        kit_box(SB_WOOD, f, {3.2f, 3.0f, (float)s * (half_pass - 0.2f)}, {4.2f, 6.0f, 0.25f}, TIMBER);
        kit_solid_box(f, {3.2f, 3.0f, (float)s * (half_pass - 0.2f)}, {4.2f, 6.0f, 0.25f});
        for (int k = 0; k < 3; ++k)
            kit_box(SB_IRON, f, {3.2f, 0.9f + 2.1f * (float)k, (float)s * (half_pass - 0.36f)},
                    {4.0f, 0.12f, 0.05f}, {0.2f, 0.2f, 0.22f});
    }
    // Torches on both faces of the gate.
    for (int s = -1; s <= 1; s += 2) {
        town_wall_torch(gx - 4.5f, 3.4f, (float)s * (half_pass + 0.9f), -1.0f, 0.0f);
        town_wall_torch(gx + 4.5f, 3.4f, (float)s * (half_pass + 0.9f), 1.0f, 0.0f);
    }
}

void town_walls() {
    const float W = 120.0f, thick = 3.0f, gap = 9.6f;
    curtain(-W, W, W, W, 0, 1, TOWN_WALL_H, thick, WALL_STONE, 1.75f);
    curtain(-W, -W, W, -W, 0, -1, TOWN_WALL_H, thick, WALL_STONE, 1.75f);
    curtain(W, -W, W, W, 1, 0, TOWN_WALL_H, thick, WALL_STONE, 1.75f);
    curtain(-W, -W, -W, -gap, -1, 0, TOWN_WALL_H, thick, WALL_STONE, 1.75f);
    curtain(-W, gap, -W, W, -1, 0, TOWN_WALL_H, thick, WALL_STONE, 1.75f);
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2) round_tower(W * (float)sx, W * (float)sz, 7.5f, 20.0f, true, WALL_STONE);
    for (int s = -1; s <= 1; s += 2) {
        round_tower(60.0f * (float)s, W, 5.0f, 16.0f, true, WALL_STONE);
        round_tower(60.0f * (float)s, -W, 5.0f, 16.0f, true, WALL_STONE);
        round_tower(W, 60.0f * (float)s, 5.0f, 16.0f, true, WALL_STONE);
        round_tower(-W, 60.0f * (float)s, 5.0f, 16.0f, true, WALL_STONE);
        round_tower(0.0f, W * (float)s, 5.0f, 16.0f, false, WALL_STONE);
    }
    round_tower(W, 0.0f, 5.0f, 16.0f, false, WALL_STONE);
    west_gatehouse();
}

// ---- The castle -----------------------------------------------------------------

void keep() {
    const float kx = 98.0f, kz = 0.0f, w = 20.0f, d = 28.0f, h = 22.0f;
    Mat4 f = town_frame(kx, kz, 0.0f);
    kit_box(SB_MASONRY, f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d}, CASTLE_STONE);
    kit_box(SB_MASONRY, f, {0, 0.5f, 0}, {w + 1.2f, 2.0f, d + 1.2f}, CASTLE_STONE * 0.9f);
    kit_solid_box(f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d});
    kit_solid_box(f, {0, 0.5f, 0}, {w + 1.2f, 2.0f, d + 1.2f});
    kit_box(SB_TILES, f, {0, h - 0.2f, 0}, {w + 0.5f, 0.4f, d + 0.5f}, CASTLE_STONE * 0.88f);
    // Battlements round the top, a hall roof inside them.
    battlements(kx - w * 0.5f, kz + d * 0.5f, kx + w * 0.5f, kz + d * 0.5f, h, 0, 1, 0.6f);
    battlements(kx - w * 0.5f, kz - d * 0.5f, kx + w * 0.5f, kz - d * 0.5f, h, 0, -1, 0.6f);
    battlements(kx - w * 0.5f, kz - d * 0.5f, kx - w * 0.5f, kz + d * 0.5f, h, -1, 0, 0.6f);
    battlements(kx + w * 0.5f, kz - d * 0.5f, kx + w * 0.5f, kz + d * 0.5f, h, 1, 0, 0.6f);
    kit_gable(SB_TILES, f, {0, h, 0}, w - 3.0f, 6.0f, d - 3.0f, SLATE);
    for (int sx = -1; sx <= 1; sx += 2)
        for (int sz = -1; sz <= 1; sz += 2)
            round_tower(kx + (float)sx * w * 0.5f, kz + (float)sz * d * 0.5f, 2.6f, h + 5.0f, true, CASTLE_STONE);
    // Tall windows on every face, the great door to the court.
    for (int s = 0; s < 4; ++s) {
        float yaw = (float)s * PI * 0.5f;
        float half = (s & 1) ? w * 0.5f : d * 0.5f;
        float face = (s & 1) ? d * 0.5f : w * 0.5f;
        Mat4 ff = f * mat4_rotate_y(yaw + PI * 0.5f) * mat4_translate({0, 0, face});
        for (int i = -2; i <= 2; ++i) {
            float x = (float)i * half * 0.36f;
            if (s == 2 && i == 0) continue;
            kit_box(SB_DARK, ff, {x, 13.0f, 0.02f}, {0.9f, 2.6f, 0.1f}, {1, 1, 1});
            kit_box(SB_DARK, ff, {x, 6.5f, 0.02f}, {0.4f, 1.6f, 0.1f}, {1, 1, 1});
        }
    }
    Mat4 door = f * mat4_translate({-w * 0.5f, 0, 0}) * mat4_rotate_y(-PI * 0.5f);
    kit_box(SB_WOOD, door, {0, 2.2f, 0.05f}, {2.6f, 4.4f, 0.12f}, TIMBER);
    kit_box(SB_TILES, door, {0, 4.6f, 0.1f}, {3.4f, 0.5f, 0.3f}, CASTLE_STONE * 0.85f);
    for (int k = 0; k < 4; ++k)
        kit_box(SB_STONE, door, {0, -0.25f + 0.18f * (float)k, 1.8f - 0.45f * (float)k}, {4.0f, 0.5f, 0.5f},
                {0.6f, 0.58f, 0.54f});
    town_wall_torch(kx - w * 0.5f, 3.2f, kz - 2.2f, -1, 0);
    town_wall_torch(kx - w * 0.5f, 3.2f, kz + 2.2f, -1, 0);
    // Banners down the west face.
    for (int s = -1; s <= 1; s += 2) {
        Mat4 b = f * mat4_translate({-w * 0.5f - 0.06f, 0, (float)s * 7.0f});
        kit_box(SB_CLOTH, b, {0, 15.5f, 0}, {0.05f, 6.0f, 2.0f}, ROYAL_BLUE);
        kit_box(SB_GOLD, b, {-0.03f, 16.5f, 0}, {0.05f, 1.0f, 1.0f}, {1, 1, 1});
    }
    // A flag on the highest turret.
    Mat4 pole = town_frame(kx + w * 0.5f, kz + d * 0.5f, 0.0f);
    kit_cylinder(SB_WOOD, pole, {0, h + 5.0f + 6.0f, 0}, 0.06f, 0.08f, 4.0f, TIMBER, 6);
    kit_box(SB_CLOTH, pole, {0.0f, h + 14.0f, 1.05f}, {0.04f, 1.2f, 2.0f}, ROYAL_BLUE);
    block_obstacles(kx, kz, w + 1.2f, d + 1.2f, h + 2.0f);
    plan_mark_rect(kx, kz, w * 0.5f + 0.6f, d * 0.5f + 0.6f, PLAN_CASTLE_BUILDING);
}

void castle_chapel() {
    const float cx = 54.0f, cz = -35.0f, w = 18.0f, d = 9.0f, h = 7.0f;
    Mat4 f = town_frame(cx, cz, 0.0f);
    kit_box(SB_MASONRY, f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d}, CASTLE_STONE);
    kit_gable(SB_TILES, f * mat4_rotate_y(PI * 0.5f), {0, h, 0}, d + 0.8f, 4.5f, w + 0.6f, SLATE);
    kit_solid_box(f, {0, h * 0.5f - 0.5f, 0}, {w, h + 1.0f, d});
    kit_solid_gable(f * mat4_rotate_y(PI * 0.5f), {0, h, 0}, d + 0.8f, 4.5f, w + 0.6f);
    for (int i = -3; i <= 3; ++i)
        kit_box(SB_DARK, f, {(float)i * 2.4f, 3.6f, d * 0.5f + 0.01f}, {0.7f, 2.4f, 0.06f}, {1, 1, 1});
    // Bell gable at the west end.
    kit_box(SB_MASONRY, f, {-w * 0.5f + 0.5f, h + 3.5f, 0}, {1.0f, 3.0f, 2.4f}, CASTLE_STONE);
    kit_solid_box(f, {-w * 0.5f + 0.5f, h + 3.5f, 0}, {1.0f, 3.0f, 2.4f});
    kit_box(SB_GOLD, f, {-w * 0.5f + 0.5f, h + 3.2f, 0}, {0.5f, 0.6f, 0.5f}, {0.8f, 0.6f, 0.3f});
    block_obstacles(cx, cz, w, d, h + 2.0f);
    plan_mark_rect(cx, cz, w * 0.5f, d * 0.5f, PLAN_CASTLE_BUILDING);
}

void castle_stables() {
    const float cx = 58.0f, cz = 36.5f, w = 28.0f, d = 7.0f;
    Mat4 f = town_frame(cx, cz, 0.0f);
    // Back wall against the curtain, posts along the open front, a lean-to roof.
    kit_box(SB_WOOD, f, {0, 2.0f, d * 0.5f - 0.2f}, {w, 4.0f, 0.3f}, TIMBER * 1.2f);
    kit_solid_box(f, {0, 2.0f, d * 0.5f - 0.2f}, {w, 4.0f, 0.3f});
    for (int i = 0; i <= 7; ++i)
        kit_cylinder(SB_WOOD, f, {-w * 0.5f + w * (float)i / 7.0f, 0, -d * 0.5f + 0.3f}, 0.14f, 0.16f, 3.0f,
                     TIMBER, 6);
    kit_box_prs(SB_TILES, f, {0, 3.55f, 0}, {-0.14f, 0, 0}, {w + 0.8f, 0.16f, d + 1.0f}, {0.5f, 0.3f, 0.2f});
    kit_solid_box_prs(f, {0, 3.55f, 0}, {-0.14f, 0, 0}, {w + 0.8f, 0.16f, d + 1.0f});
    for (int i = 0; i < 7; ++i) {
        float x = -w * 0.5f + w * ((float)i + 0.5f) / 7.0f;
        kit_box(SB_WOOD, f, {x + 1.9f, 0.7f, 0.5f}, {0.12f, 1.4f, d - 1.5f}, TIMBER * 1.3f);
        kit_box(SB_PLAIN, f, {x, 0.25f, 1.2f}, {2.4f, 0.5f, 2.2f}, {0.78f, 0.66f, 0.36f});  // straw
    }
    obstacle_wall(CAMELOT_X + cx - w * 0.5f, CAMELOT_Z + cz + d * 0.5f - 0.8f, CAMELOT_X + cx + w * 0.5f,
                  CAMELOT_Z + cz + d * 0.5f - 0.8f, 0.6f, 4.0f, base_y() - 1.0f);
    for (int i = 0; i <= 7; ++i)
        obstacle_add(CAMELOT_X + cx - w * 0.5f + w * (float)i / 7.0f, CAMELOT_Z + cz - d * 0.5f + 0.3f, 0.25f, 3.0f,
                     base_y());
    plan_mark_rect(cx, cz, w * 0.5f, d * 0.5f, PLAN_CASTLE_BUILDING);
}

void castle_well(float lx, float lz) {
    Mat4 f = town_frame(lx, lz, 0.0f);
    kit_cylinder(SB_MASONRY, f, {0, 0, 0}, 1.2f, 1.25f, 0.9f, CASTLE_STONE * 0.9f, 14);
    kit_cylinder(SB_DARK, f, {0, 0.05f, 0}, 0.95f, 0.95f, 0.9f, {1, 1, 1}, 14);
    for (int s = -1; s <= 1; s += 2) kit_box(SB_WOOD, f, {(float)s * 1.0f, 1.5f, 0}, {0.18f, 1.3f, 0.18f}, TIMBER);
    kit_box(SB_WOOD, f, {0, 2.15f, 0}, {2.3f, 0.14f, 0.14f}, TIMBER);
    kit_gable(SB_TILES, f * mat4_rotate_y(PI * 0.5f), {0, 2.2f, 0}, 2.0f, 0.8f, 2.6f, SLATE);
    obstacle_add(CAMELOT_X + lx, CAMELOT_Z + lz, 1.3f, 2.5f, base_y());
    plan_mark_disc(lx, lz, 1.3f, PLAN_CASTLE_BUILDING);
}

}  // namespace

void camelot_build_walls() { town_walls(); }

void camelot_build_castle() {
    const float x0 = 27.0f, x1 = 111.0f, z0 = -43.0f, z1 = 43.0f, thick = 3.0f, gate = 4.0f;
    plan_mark_rect(69.0f, 0.0f, 40.5f, 41.5f, PLAN_CASTLE_COURT);
    curtain(x0, z1, x1, z1, 0, 1, CASTLE_WALL_H, thick, CASTLE_STONE, 1.75f);
    curtain(x0, z0, x1, z0, 0, -1, CASTLE_WALL_H, thick, CASTLE_STONE, 1.75f);
    curtain(x1, z0, x1, z1, 1, 0, CASTLE_WALL_H, thick, CASTLE_STONE, 1.75f);
    curtain(x0, z0, x0, -gate - 2.0f, -1, 0, CASTLE_WALL_H, thick, CASTLE_STONE, 1.75f);
    curtain(x0, gate + 2.0f, x0, z1, -1, 0, CASTLE_WALL_H, thick, CASTLE_STONE, 1.75f);
    for (int sx = 0; sx < 2; ++sx)
        for (int sz = -1; sz <= 1; sz += 2) round_tower(sx ? x1 : x0, z1 * (float)sz, 4.5f, 18.0f, true, CASTLE_STONE);
    // Gatehouse: two round towers and the arch between them.
    for (int s = -1; s <= 1; s += 2) round_tower(x0, (float)s * (gate + 3.2f), 3.2f, 16.0f, true, CASTLE_STONE);
    Mat4 f = town_frame(x0, 0.0f, 0.0f);
    kit_box(SB_MASONRY, f, {0, 10.0f, 0}, {4.0f, 8.0f, gate * 2.0f + 1.0f}, CASTLE_STONE);
    kit_solid_box(f, {0, 10.0f, 0}, {4.0f, 8.0f, gate * 2.0f + 1.0f});
    kit_box(SB_TILES, f, {0, 6.15f, 0}, {4.2f, 0.3f, gate * 2.0f}, CASTLE_STONE * 0.85f);
    for (int i = -1; i <= 1; ++i) kit_box(SB_MASONRY, f, {-1.7f, 14.65f, (float)i * 2.8f}, {0.6f, 1.3f, 1.25f}, MERLON);
    kit_box(SB_CLOTH, f, {-2.06f, 10.0f, 0}, {0.05f, 3.4f, 2.4f}, ROYAL_BLUE);
    kit_box(SB_GOLD, f, {-2.1f, 10.3f, 0}, {0.05f, 0.9f, 0.9f}, {1, 1, 1});
    for (int s = -1; s <= 1; s += 2) {
        town_wall_torch(x0 - 2.1f, 3.3f, (float)s * (gate - 0.3f), -1.0f, 0.0f);
        town_wall_torch(x0 + 2.1f, 3.3f, (float)s * (gate - 0.3f), 1.0f, 0.0f);
    }
    // The gate passage is paved like the court.
    plan_mark_rect(x0, 0.0f, thick * 0.5f + 0.5f, gate, PLAN_CASTLE_COURT);
    keep();
    castle_chapel();
    castle_stables();
    castle_well(66.0f, 3.0f);
}
