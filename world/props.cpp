// Scattered props and the small landmarks of both zones: rocks, fallen wood,
// stumps, standing stones, the stone circle round the sword, the old tower,
// the camps with their fires, the bears' den, the cave mouth and the Green
// Chapel on the burial mound. Everything goes into the world batches.
#include "world/props.h"

#include <cmath>

#include "world/terrain.h"
#include "render/mesh.h"
#include "world/world.h"

namespace {

enum Batch : int {
    B_PLAIN = 0, B_STONE = 1, B_WOOD = 2, B_CLOTH = 3, B_MASONRY = 4, B_IRON = 5, B_GOLD = 6,
    B_DARK = 7, B_GREEN_GLOW = 8, B_OLD_STONE = 9, B_STEEL = 10,
};

constexpr int ROCK_SHAPES = 10;
MeshBuilder rock_shapes[ROCK_SHAPES];

void put(int batch, MeshBuilder shape, Vec3 pos, Vec3 rot, Vec3 scale, Vec3 tint) {
    batch_add(batch, &shape, mat4_from_prs(pos, rot, scale), tint);
}

void put_rock(int batch, int shape, Vec3 pos, Vec3 rot, Vec3 scale, Vec3 tint) {
    mb_append(&world_batches[batch], &rock_shapes[shape % ROCK_SHAPES], mat4_from_prs(pos, rot, scale),
              tint);
}

Vec3 on_ground(float x, float z, float dy = 0.0f) { return {x, ground_height(x, z) + dy, z}; }

// Frustum standing on (x, z) along +y, height h.
void put_post(int batch, float x, float z, float r_top, float r_bottom, float h, Vec3 tint,
              float base_dy = 0.0f, int n = 7) {
    put(batch, shape_frustum(r_top, r_bottom, h, n, true), on_ground(x, z, base_dy + h * 0.5f),
        {0, 0, 0}, {1, 1, 1}, tint);
}

// A log lying on the ground from its centre along yaw.
void put_log(float x, float z, float yaw, float length, float r, Vec3 tint) {
    float y = ground_height(x, z) + r * 0.8f;
    put(B_WOOD, shape_frustum(r * 0.85f, r, length, 9, true), {x, y, z}, {PI * 0.5f, yaw, 0},
        {1, 1, 1}, tint);
    float dx = std::sin(yaw) * length * 0.5f, dz = std::cos(yaw) * length * 0.5f;
    obstacle_wall(x - dx, z - dz, x + dx, z + dz, r + 0.15f, 2.0f * r + 0.2f, ground_height(x, z));
}

void fire_pit(float x, float z, float size) {
    for (int i = 0; i < 9; ++i) {
        float a = 2.0f * PI * (float)i / 9.0f;
        put_rock(B_STONE, i, on_ground(x + std::sin(a) * 1.0f * size, z + std::cos(a) * 1.0f * size, 0.05f),
                 {0, a, 0}, Vec3{0.28f, 0.2f, 0.24f} * size, {0.55f, 0.52f, 0.5f});
    }
    for (int i = 0; i < 3; ++i) {
        float a = 2.0f * PI * (float)i / 3.0f + 0.4f;
        put(B_WOOD, shape_frustum(0.08f, 0.1f, 1.2f * size, 6, true),
            on_ground(x + std::sin(a) * 0.2f, z + std::cos(a) * 0.2f, 0.12f), {1.3f, a, 0}, {1, 1, 1},
            {0.22f, 0.16f, 0.12f});
    }
    put(B_DARK, shape_ellipsoid(0.75f * size, 0.05f, 0.75f * size, 10), on_ground(x, z, 0.02f), {0, 0, 0},
        {1, 1, 1}, {1, 1, 1});
    world_add_fire(on_ground(x, z, 0.35f), size);
    obstacle_add(x, z, 1.1f * size, 0.6f, ground_height(x, z));
}

// A pyramid or cone tent facing yaw.
void tent(float x, float z, float yaw, float r, float h, Vec3 cloth, int sides) {
    put(B_CLOTH, shape_frustum(0.0f, r, h, sides, true), on_ground(x, z, h * 0.5f - 0.05f), {0, yaw, 0},
        {1, 1, 1}, cloth);
    put_post(B_WOOD, x, z, 0.05f, 0.06f, h + 0.5f, {0.35f, 0.26f, 0.18f});
    // Dark entrance flap.
    put(B_DARK, shape_box({r * 0.7f, h * 0.45f, 0.05f}),
        on_ground(x + std::sin(yaw) * r * 0.62f, z + std::cos(yaw) * r * 0.62f, h * 0.22f),
        {-0.45f, yaw, 0}, {1, 1, 1}, {1, 1, 1});
    obstacle_add(x, z, r * 0.9f, h, ground_height(x, z));
}

void crate(float x, float z, float yaw, float s) {
    put(B_WOOD, shape_box({s, s * 0.8f, s}), on_ground(x, z, s * 0.4f), {0, yaw, 0}, {1, 1, 1},
        {0.5f, 0.38f, 0.24f});
    obstacle_add(x, z, s * 0.7f, s * 0.8f, ground_height(x, z));
}

void bones(Rng& rng, float x, float z, float spread, int n) {
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * PI * rng_float(rng), d = spread * rng_float(rng);
        float bx = x + std::sin(a) * d, bz = z + std::cos(a) * d;
        put(B_PLAIN, shape_capsule(0.05f, 0.5f + 0.4f * rng_float(rng)), on_ground(bx, bz, 0.05f),
            {PI * 0.5f, 2.0f * PI * rng_float(rng), 0}, {1, 1, 1}, {0.82f, 0.78f, 0.66f});
        if (i % 4 == 0)
            put(B_PLAIN, shape_ellipsoid(0.14f, 0.12f, 0.17f, 8), on_ground(bx + 0.3f, bz, 0.1f),
                {0, a, 0}, {1, 1, 1}, {0.84f, 0.8f, 0.7f});
    }
}

void torch(float x, float z, float dx, float dz) {
    float y = ground_height(x, z);
    put(B_WOOD, shape_frustum(0.07f, 0.045f, 0.9f, 6, true), {x, y + 1.9f, z}, {0, 0, 0}, {1, 1, 1},
        {0.3f, 0.22f, 0.15f});
    put(B_IRON, shape_box({0.12f, 0.12f, 0.4f}), {x - dx * 0.2f, y + 1.7f, z - dz * 0.2f},
        {0, std::atan2(dx, dz), 0}, {1, 1, 1}, {0.25f, 0.25f, 0.27f});
    // On the top of the stick (it ends 2.35 m up), not above it.
    world_add_fire({x, y + 2.35f + 0.05f * 0.45f, z}, 0.45f);
}

// ---- Scatter over the land ------------------------------------------------------

bool open_ground(float x, float z, float keep_off_path) {
    // Ten metres inside the land's edges, and off the border between the zones.
    if (std::fabs(x) > MAP_HALF_WIDTH - 10.0f || z > MAP_NORTH - 10.0f || z < MAP_SOUTH + 10.0f) return false;
    if (z > SECOND_ZONE_NORTH && z < FIRST_ZONE_SOUTH) return false;
    if (path_distance(x, z) < keep_off_path) return false;
    if (in_camelot_square(x, z, 40.0f) || !settlement_free(x, z, 8.0f)) return false;
    if (!vegetation_free(x, z)) return false;
    return ground_height(x, z) > -0.3f;
}

int scatter_rocks(Rng& rng) {
    int placed = 0;
    for (int i = 0; i < 900; ++i) {
        float x = -800.0f + 1600.0f * rng_float(rng), z = -1200.0f + 1600.0f * rng_float(rng);
        float uk = rng_float(rng), us = rng_float(rng), uy = rng_float(rng), ut = rng_float(rng);
        float uc = rng_float(rng);
        bool boulder = uk < 0.08f;
        float size = boulder ? 1.8f + 1.4f * us : 0.3f + 1.2f * us * us;
        if (!open_ground(x, z, 3.0f + size)) continue;
        Vec3 tint = lerp(Vec3{0.5f, 0.49f, 0.46f}, Vec3{0.62f, 0.58f, 0.52f}, uc);
        float sy = size * (0.55f + 0.3f * ut);
        put_rock(B_STONE, (int)(uk * 100.0f), on_ground(x, z, sy * 0.25f), {0.15f * (ut - 0.5f), 2 * PI * uy, 0},
                 {size, sy, size * (0.8f + 0.4f * uc)}, tint);
        if (size > 0.5f) obstacle_add(x, z, size * 0.85f, sy * 1.1f, ground_height(x, z));
        ++placed;
    }
    return placed;
}

void scatter_wood(Rng& rng) {
    for (int i = 0; i < 260; ++i) {
        float x = -800.0f + 1600.0f * rng_float(rng), z = -1200.0f + 1600.0f * rng_float(rng);
        float uy = rng_float(rng), ul = rng_float(rng), ur = rng_float(rng);
        float len = 3.0f + 4.0f * ul;
        if (!open_ground(x, z, 3.0f + len * 0.5f)) continue;
        put_log(x, z, 2.0f * PI * uy, len, 0.22f + 0.2f * ur, {0.4f, 0.31f, 0.22f});
    }
    for (int i = 0; i < 300; ++i) {
        float x = -800.0f + 1600.0f * rng_float(rng), z = -1200.0f + 1600.0f * rng_float(rng);
        float uh = rng_float(rng), ur = rng_float(rng);
        if (!open_ground(x, z, 3.0f)) continue;
        float r = 0.3f + 0.25f * ur, h = 0.35f + 0.5f * uh;
        put_post(B_WOOD, x, z, r * 0.85f, r * 1.2f, h, {0.45f, 0.35f, 0.25f}, -0.1f, 9);
        obstacle_add(x, z, r, h, ground_height(x, z));
    }
}

void standing_stone(Rng& rng, float x, float z, float h, float yaw) {
    put_rock(B_OLD_STONE, (int)(rng_next(rng) % ROCK_SHAPES), on_ground(x, z, h * 0.42f),
             {0.05f * (rng_float(rng) - 0.5f), yaw, 0.05f * (rng_float(rng) - 0.5f)},
             {0.55f + 0.2f * rng_float(rng), h * 0.5f, 0.35f + 0.1f * rng_float(rng)},
             {0.6f, 0.6f, 0.56f});
    obstacle_add(x, z, 0.7f, h, ground_height(x, z));
}

void scatter_menhirs(Rng& rng) {
    for (int i = 0; i < 40; ++i) {
        float x = -780.0f + 1560.0f * rng_float(rng), z = -1180.0f + 1560.0f * rng_float(rng);
        float uh = rng_float(rng), uy = rng_float(rng);
        if (!open_ground(x, z, 6.0f)) continue;
        standing_stone(rng, x, z, 2.4f + 2.0f * uh, 2 * PI * uy);
    }
}

// ---- Landmarks ---------------------------------------------------------------------

void sword_in_the_stone(Rng& rng) {
    const float cx = 64, cz = 52;
    for (int i = 0; i < 11; ++i) {
        float a = 2.0f * PI * (float)i / 11.0f;
        standing_stone(rng, cx + std::sin(a) * 11.0f, cz + std::cos(a) * 11.0f, 3.2f + 0.8f * rng_float(rng), a);
    }
    float y = ground_height(cx, cz);
    put_rock(B_STONE, 3, {cx, y + 0.35f, cz}, {0, 0.6f, 0}, {1.5f, 0.9f, 1.3f}, {0.6f, 0.58f, 0.55f});
    obstacle_add(cx, cz, 1.5f, 1.2f, y);
    // The blade sunk in the rock, guard and hilt above it.
    put(B_STEEL, shape_box({0.09f, 1.1f, 0.025f}), {cx, y + 1.35f, cz}, {0, 0.6f, 0.05f}, {1, 1, 1},
        {0.86f, 0.88f, 0.92f});
    put(B_GOLD, shape_box({0.5f, 0.07f, 0.07f}), {cx + 0.015f, y + 1.9f, cz}, {0, 0.6f, 0.05f}, {1, 1, 1},
        {1, 1, 1});
    put(B_WOOD, shape_frustum(0.03f, 0.035f, 0.3f, 6, true), {cx + 0.02f, y + 2.08f, cz}, {0, 0, 0.05f},
        {1, 1, 1}, {0.3f, 0.14f, 0.1f});
    put(B_GOLD, shape_ellipsoid(0.05f, 0.05f, 0.05f, 8), {cx + 0.03f, y + 2.26f, cz}, {0, 0, 0}, {1, 1, 1},
        {1, 1, 1});
}

void old_tower() {
    const float cx = -80, cz = 96, r = 5.0f;
    float y = ground_height(cx, cz);
    // A broken ring of courses, higher on the north side, with a doorway south.
    for (int course = 0; course < 14; ++course) {
        int blocks = 16;
        for (int k = 0; k < blocks; ++k) {
            float a = 2.0f * PI * ((float)k + 0.5f * (float)(course & 1)) / (float)blocks;
            float north = 0.5f + 0.5f * std::cos(a);  // z+ is north
            float top = 4.0f + 7.5f * north + 1.5f * std::sin(a * 3.0f);
            float cy = 0.45f + 0.8f * (float)course;
            if (cy > top) continue;
            if (std::fabs(std::sin(a * 0.5f + PI * 0.5f)) < 0.16f && cy < 2.4f) continue;  // door at a = PI
            float bx = cx + std::sin(a) * r, bz = cz + std::cos(a) * r;
            float shade = 0.82f + 0.1f * std::sin((float)(course * 7 + k * 3));
            put(B_MASONRY, shape_box({2.0f, 0.8f, 0.9f}), {bx, y + cy, bz}, {0, a, 0}, {1, 1, 1},
                Vec3{0.72f, 0.69f, 0.62f} * shade);
        }
    }
    for (int k = 0; k < 20; ++k) {
        float a = 2.0f * PI * (float)k / 20.0f;
        if (std::fabs(a - PI) < 0.35f) continue;
        obstacle_add(cx + std::sin(a) * r, cz + std::cos(a) * r, 1.0f, 8.0f, y - 1.0f);
    }
    // Fallen blocks round the foot.
    for (int k = 0; k < 9; ++k) {
        float a = 0.7f * (float)k + 0.3f;
        float d = r + 1.5f + (float)(k % 3);
        put(B_MASONRY, shape_box({1.6f, 0.7f, 0.8f}), on_ground(cx + std::sin(a) * d, cz + std::cos(a) * d, 0.2f),
            {0.2f, a * 2.0f, 0.1f}, {1, 1, 1}, {0.66f, 0.63f, 0.56f});
    }
}

void brigand_camp(Rng& rng) {
    const float cx = -224, cz = -104;
    fire_pit(cx + 2, cz - 1, 1.0f);
    const Vec3 cloths[3] = {{0.55f, 0.45f, 0.32f}, {0.45f, 0.22f, 0.16f}, {0.35f, 0.38f, 0.3f}};
    for (int i = 0; i < 4; ++i) {
        float a = 2.0f * PI * (float)i / 4.0f + 0.5f;
        tent(cx + std::sin(a) * 11.0f, cz + std::cos(a) * 11.0f, a + PI, 2.2f, 2.6f, cloths[i % 3], 4);
    }
    for (int i = 0; i < 3; ++i) {
        float a = 2.0f * PI * (float)i / 3.0f + 1.2f;
        put_log(cx + 2 + std::sin(a) * 3.0f, cz - 1 + std::cos(a) * 3.0f, a + PI * 0.5f, 2.2f, 0.22f,
                {0.42f, 0.32f, 0.22f});
    }
    crate(cx - 6, cz + 5, 0.3f, 0.9f);
    crate(cx - 6.6f, cz + 6.2f, 0.9f, 0.7f);
    crate(cx + 7, cz - 7, 0.1f, 1.0f);
    bones(rng, cx + 5, cz + 6, 2.0f, 4);
}

void felon_camp(Rng& rng) {
    const float cx = 170, cz = -835;
    fire_pit(cx, cz, 1.15f);
    for (int i = 0; i < 5; ++i) {
        float a = 2.0f * PI * (float)i / 5.0f;
        Vec3 cloth = i & 1 ? Vec3{0.2f, 0.18f, 0.18f} : Vec3{0.45f, 0.1f, 0.08f};
        tent(cx + std::sin(a) * 13.0f, cz + std::cos(a) * 13.0f, a + PI, 2.6f, 3.2f, cloth, 4);
    }
    // Banner of the felon knights.
    put_post(B_WOOD, cx + 5, cz + 3, 0.06f, 0.08f, 5.5f, {0.3f, 0.22f, 0.15f});
    put(B_CLOTH, shape_box({1.1f, 1.8f, 0.03f}), on_ground(cx + 5.6f, cz + 3, 4.3f), {0, 0, 0}, {1, 1, 1},
        {0.12f, 0.1f, 0.1f});
    obstacle_add(cx + 5, cz + 3, 0.3f, 5.5f, ground_height(cx + 5, cz + 3));
    // Weapon rack.
    for (int k = 0; k < 2; ++k) put_post(B_WOOD, cx - 6 + 1.6f * k, cz + 5, 0.05f, 0.05f, 1.5f, {0.35f, 0.26f, 0.18f});
    put(B_WOOD, shape_box({1.8f, 0.08f, 0.08f}), on_ground(cx - 5.2f, cz + 5, 1.3f), {0, 0, 0}, {1, 1, 1},
        {0.35f, 0.26f, 0.18f});
    for (int k = 0; k < 4; ++k)
        put(B_STEEL, shape_box({0.05f, 1.3f, 0.02f}), on_ground(cx - 5.9f + 0.45f * k, cz + 5.15f, 0.75f),
            {0.15f, 0, 0}, {1, 1, 1}, {0.7f, 0.72f, 0.75f});
    obstacle_wall(cx - 6, cz + 5, cx - 4.4f, cz + 5, 0.4f, 1.5f, ground_height(cx - 5, cz + 5));
    crate(cx + 8, cz - 6, 0.4f, 1.0f);
    bones(rng, cx - 8, cz - 8, 2.5f, 4);
}

void goblin_camp(Rng& rng) {
    const float cx = 160, cz = 124;
    fire_pit(cx, cz, 0.9f);
    for (int i = 0; i < 6; ++i) {
        float a = 2.0f * PI * (float)i / 6.0f + 0.2f;
        float hx = cx + std::sin(a) * 17.0f, hz = cz + std::cos(a) * 17.0f;
        // Huts of leaning sticks and hides.
        put(B_WOOD, shape_frustum(0.15f, 2.0f, 2.8f, 7, false), on_ground(hx, hz, 1.35f), {0, a, 0},
            {1, 1, 1}, {0.38f, 0.3f, 0.2f});
        put(B_CLOTH, shape_frustum(0.5f, 1.8f, 1.8f, 7, false), on_ground(hx, hz, 0.85f), {0, a + 0.3f, 0},
            {1, 1, 1}, {0.48f, 0.36f, 0.24f});
        obstacle_add(hx, hz, 1.8f, 2.8f, ground_height(hx, hz));
    }
    // A totem of skulls.
    put_post(B_WOOD, cx + 6, cz - 4, 0.1f, 0.14f, 3.2f, {0.3f, 0.22f, 0.15f});
    for (int k = 0; k < 3; ++k)
        put(B_PLAIN, shape_ellipsoid(0.17f, 0.15f, 0.2f, 8), on_ground(cx + 6, cz - 4 + 0.1f, 1.6f + 0.55f * k),
            {0, 0, 0}, {1, 1, 1}, {0.85f, 0.8f, 0.68f});
    obstacle_add(cx + 6, cz - 4, 0.3f, 3.2f, ground_height(cx + 6, cz - 4));
    bones(rng, cx - 5, cz + 6, 3.0f, 6);
}

void bear_den(Rng& rng) {
    const float cx = -165, cz = -715;
    for (int i = 0; i < 7; ++i) {
        float a = -1.2f + 0.45f * (float)i;
        float d = 9.0f + 2.0f * rng_float(rng);
        float bx = cx + std::sin(a) * d, bz = cz + std::cos(a) * d;
        float s = 2.0f + 1.4f * rng_float(rng);
        put_rock(B_STONE, i + 2, on_ground(bx, bz, s * 0.3f), {0, a, 0}, {s, s * 0.8f, s}, {0.48f, 0.47f, 0.44f});
        obstacle_add(bx, bz, s * 0.85f, s * 1.4f, ground_height(bx, bz));
    }
    put(B_DARK, shape_ellipsoid(2.0f, 1.5f, 0.6f, 12), on_ground(cx, cz + 9.5f, 1.2f), {0, 0, 0}, {1, 1, 1},
        {1, 1, 1});
    bones(rng, cx, cz + 3, 5.0f, 10);
    bones(rng, 208, -156, 6.0f, 6);  // and in the wolves' wood
}

void cave_mouth() {
    // The mouth at (48, 328) looks down its axis toward (46.11, 319.2).
    const float cx = 48, cz = 328;
    float ax = 46.11f - cx, az = 319.2f - cz;
    float al = std::sqrt(ax * ax + az * az);
    ax /= al;
    az /= al;
    float yaw = std::atan2(ax, az);
    float y = ground_height(cx, cz);
    // Outcrop the cave is cut into.
    put_rock(B_STONE, 1, {cx - ax * 5.0f, y + 2.0f, cz - az * 5.0f}, {0, yaw, 0}, {8.5f, 6.0f, 6.5f},
             {0.5f, 0.48f, 0.45f});
    put_rock(B_STONE, 4, {cx - ax * 3.0f + az * 4.2f, y + 1.2f, cz - az * 3.0f - ax * 4.2f}, {0, yaw + 1, 0},
             {3.0f, 3.6f, 3.0f}, {0.52f, 0.5f, 0.46f});
    put_rock(B_STONE, 6, {cx - ax * 3.0f - az * 4.2f, y + 1.2f, cz - az * 3.0f + ax * 4.2f}, {0, yaw - 1, 0},
             {3.0f, 3.4f, 3.0f}, {0.5f, 0.48f, 0.45f});
    // The dark of the passage.
    put(B_DARK, shape_ellipsoid(1.9f, 2.2f, 0.6f, 16), {cx + ax * 0.8f, y + 1.4f, cz + az * 0.8f}, {0, yaw, 0},
        {1, 1, 1}, {1, 1, 1});
    obstacle_add(cx - ax * 6.0f, cz - az * 6.0f, 5.0f, 8.0f, y - 1.0f);
    obstacle_add(cx - ax * 3.0f + az * 4.2f, cz - az * 3.0f - ax * 4.2f, 2.4f, 5.0f, y - 1.0f);
    obstacle_add(cx - ax * 3.0f - az * 4.2f, cz - az * 3.0f + ax * 4.2f, 2.4f, 5.0f, y - 1.0f);
    // Two torches flanking the mouth.
    torch(cx + ax * 1.2f + az * 2.6f, cz + az * 1.2f - ax * 2.6f, -ax, -az);
    torch(cx + ax * 1.2f - az * 2.6f, cz + az * 1.2f + ax * 2.6f, -ax, -az);
}

void green_chapel(Rng& rng) {
    const float cx = -20, cz = -995;
    float y = ground_height(cx, cz);
    const Vec3 moss = {0.55f, 0.62f, 0.5f};
    // Ruined walls of a small chapel on the mound, the east end standing.
    struct Wall { float x0, z0, x1, z1, h; };
    const Wall walls[] = {
        {-3.5f, -6, -3.5f, 6, 3.2f}, {3.5f, -6, 3.5f, 2, 4.5f}, {-3.5f, 6, 3.5f, 6, 5.5f}, {-3.5f, -6, -1.2f, -6, 2.0f},
    };
    for (const Wall& w : walls) {
        float mx = cx + (w.x0 + w.x1) * 0.5f, mz = cz + (w.z0 + w.z1) * 0.5f;
        float dx = w.x1 - w.x0, dz = w.z1 - w.z0, len = std::sqrt(dx * dx + dz * dz);
        float wy = ground_height(mx, mz);
        put(B_MASONRY, shape_box({0.7f, w.h, len}), {mx, wy + w.h * 0.5f - 0.3f, mz},
            {0, std::atan2(dx, dz), 0}, {1, 1, 1}, moss);
        obstacle_wall(cx + w.x0, cz + w.z0, cx + w.x1, cz + w.z1, 0.6f, w.h, wy - 1.0f);
    }
    // A gable stone over the east wall, and the altar.
    put(B_MASONRY, shape_frustum(0.0f, 3.9f, 2.2f, 3, true), {cx, ground_height(cx, cz + 6) + 6.3f, cz + 6},
        {PI * 0.5f, 0, PI}, {1, 0.12f, 1}, moss);
    put(B_OLD_STONE, shape_box({2.0f, 1.0f, 1.0f}), {cx, y + 0.5f, cz + 4.2f}, {0, 0, 0}, {1, 1, 1},
        {0.58f, 0.62f, 0.55f});
    obstacle_add(cx, cz + 4.2f, 1.0f, 1.0f, y);
    // The green glow hovering over the altar.
    for (int i = 0; i < 5; ++i) {
        float a = 1.3f * (float)i;
        put(B_GREEN_GLOW, shape_ellipsoid(0.18f, 0.18f, 0.18f, 8),
            {cx + std::sin(a) * 0.8f, y + 2.0f + 0.3f * (float)i, cz + 4.2f + std::cos(a) * 0.6f}, {0, 0, 0},
            {1, 1, 1}, {1, 1, 1});
    }
    // A ring of old stones round the mound's foot.
    for (int i = 0; i < 12; ++i) {
        float a = 2.0f * PI * (float)i / 12.0f + 0.1f;
        standing_stone(rng, cx + std::sin(a) * 15.0f, cz + std::cos(a) * 15.0f, 1.8f + rng_float(rng), a);
    }
}

}  // namespace

PropsReport props_build(Rng& rng) {
    PropsReport r{};
    for (int i = 0; i < ROCK_SHAPES; ++i) {
        mb_free(&rock_shapes[i]);
        rock_shapes[i] = shape_rock(1.0f, 1.0f, 1.0f, 101u + 17u * (uint32_t)i, 0.9f + 0.05f * (float)(i % 4));
    }
    r.rocks = scatter_rocks(rng);
    scatter_wood(rng);
    scatter_menhirs(rng);
    sword_in_the_stone(rng);
    old_tower();
    r.fire_brigand = world_fire_count();
    brigand_camp(rng);
    r.fire_felon = world_fire_count();
    felon_camp(rng);
    r.fire_goblin = world_fire_count();
    goblin_camp(rng);
    bear_den(rng);
    r.torch_cave_a = world_fire_count();
    r.torch_cave_b = r.torch_cave_a + 1;
    cave_mouth();
    green_chapel(rng);
    for (int i = 0; i < ROCK_SHAPES; ++i) mb_free(&rock_shapes[i]);
    return r;
}
