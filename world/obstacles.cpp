// The obstacle cylinders and their 16 m lookup grid. The grid is rebuilt by
// the first query after the count changes, so late builders (market stalls,
// gathering spots) can add obstacles without telling anyone.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "world/terrain.h"

namespace {

Obstacle* obstacles = nullptr;
int count = 0;
int capacity = 0;

constexpr int CELLS = OBSTACLE_GRID_CELLS * OBSTACLE_GRID_CELLS;
int32_t cell_start[CELLS + 1];   // prefix counts: cell c holds [start[c], start[c+1])
int32_t* cell_items = nullptr;
int cell_items_capacity = 0;
int grid_built_for = -1;

// Column or row range of a coordinate, clamped in float first so that huge
// or non-finite values never reach the integer conversion.
inline int grid_index_clamped(float v, float origin) {
    float c = std::floor((v - origin) / OBSTACLE_CELL);
    if (!(c >= 0.0f)) return 0;  // also NaN
    if (c > (float)(OBSTACLE_GRID_CELLS - 1)) return OBSTACLE_GRID_CELLS - 1;
    return (int)c;
}

void obstacle_range(const Obstacle& o, int* c0, int* c1, int* r0, int* r1) {
    float e = o.radius + 1.5f;
    *c0 = grid_index_clamped(o.x - e, OBSTACLE_GRID_X0);
    *c1 = grid_index_clamped(o.x + e, OBSTACLE_GRID_X0);
    *r0 = grid_index_clamped(o.z - e, OBSTACLE_GRID_Z0);
    *r1 = grid_index_clamped(o.z + e, OBSTACLE_GRID_Z0);
}

void grid_rebuild() {
    std::memset(cell_start, 0, sizeof(cell_start));
    // Pass 1: count per cell (stored one slot ahead for the prefix sum).
    for (int i = 0; i < count; ++i) {
        int c0, c1, r0, r1;
        obstacle_range(obstacles[i], &c0, &c1, &r0, &r1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) cell_start[r * OBSTACLE_GRID_CELLS + c + 1]++;
    }
    for (int c = 0; c < CELLS; ++c) cell_start[c + 1] += cell_start[c];
    int total = cell_start[CELLS];
    if (total > cell_items_capacity) {
        int cap = cell_items_capacity ? cell_items_capacity : 64;
        while (cap < total) cap *= 2;
        cell_items = (int32_t*)std::realloc(cell_items, sizeof(int32_t) * (size_t)cap);
        cell_items_capacity = cap;
    }
    // Pass 2: fill, in obstacle order within each cell.
    static int32_t cursor[CELLS];
    std::memcpy(cursor, cell_start, sizeof(cursor));
    for (int i = 0; i < count; ++i) {
        int c0, c1, r0, r1;
        obstacle_range(obstacles[i], &c0, &c1, &r0, &r1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) cell_items[cursor[r * OBSTACLE_GRID_CELLS + c]++] = i;
    }
    grid_built_for = count;
}

}  // namespace

void obstacle_add(float x, float z, float radius, float height, float base_y) {
    if (count == capacity) {
        capacity = capacity ? capacity * 2 : 64;
        obstacles = (Obstacle*)std::realloc(obstacles, sizeof(Obstacle) * (size_t)capacity);
    }
    obstacles[count++] = {x, z, radius, height, base_y};
}

void obstacle_wall(float x0, float z0, float x1, float z1, float radius, float height, float base_y) {
    // A zero or negative radius would ask for an unbounded number of circles.
    if (!(radius > 0.0f)) return;
    float dx = x1 - x0, dz = z1 - z0;
    float len = std::sqrt(dx * dx + dz * dz);
    float steps = std::floor(len / (1.1f * radius));
    if (!(steps >= 0.0f) || steps > 100000.0f) return;
    int n = (int)steps;
    for (int i = 0; i <= n + 1; ++i) {
        float t = (float)i / (float)(n + 1);
        obstacle_add(x0 + dx * t, z0 + dz * t, radius, height, base_y);
    }
}

int obstacle_count() { return count; }

const Obstacle* obstacle_list() { return obstacles; }

const int32_t* obstacle_query(float x, float z, int* out_count) {
    *out_count = 0;
    float fc = std::floor((x - OBSTACLE_GRID_X0) / OBSTACLE_CELL);
    float fr = std::floor((z - OBSTACLE_GRID_Z0) / OBSTACLE_CELL);
    if (!(fc >= 0.0f && fc <= (float)(OBSTACLE_GRID_CELLS - 1))) return nullptr;
    if (!(fr >= 0.0f && fr <= (float)(OBSTACLE_GRID_CELLS - 1))) return nullptr;
    if (grid_built_for != count) grid_rebuild();
    int cell = (int)fr * OBSTACLE_GRID_CELLS + (int)fc;
    *out_count = cell_start[cell + 1] - cell_start[cell];
    return cell_items + cell_start[cell];
}

void obstacles_clear() {
    count = 0;
    grid_built_for = -1;
}
