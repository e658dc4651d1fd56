// The catacomb maze: carved once from its own seed, then only read. The wall
// grid doubles the cells so that every wall line is a square of its own: 1 m
// thick lines between 4 m open cells.
#include <cassert>
#include <cmath>
#include <cstring>

#include "common/rng.h"
#include "world/catacombs.h"

const CatacombRoom catacomb_rooms[CATACOMB_ROOM_COUNT] = {
    {"Le vestibule", 8, 10, 0, 1},
    {"L'ossuaire", 8, 10, 8, 10},
    {"La crypte de Bréhus", 7, 11, 15, 17},
    {"La salle des gardes", 2, 4, 4, 6},
    {"La salle des gardes", 14, 16, 11, 13},
};

namespace {

uint8_t grid[CATACOMB_GRID][CATACOMB_GRID];  // [gx][gz]
int16_t distance[CATACOMB_CELLS][CATACOMB_CELLS];
bool generated = false;

bool cell_exists(int i, int j) { return i >= 0 && i < CATACOMB_CELLS && j >= 0 && j < CATACOMB_CELLS; }

// The wall square between a cell and its neighbour in direction d.
void wall_square(int i, int j, int d, int* gx, int* gz) {
    *gx = 2 * i + 1 + DIR_DX[d];
    *gz = 2 * j + 1 + DIR_DZ[d];
}

void carve(Rng& rng) {
    bool visited[CATACOMB_CELLS][CATACOMB_CELLS] = {};
    int stack_i[CATACOMB_CELLS * CATACOMB_CELLS], stack_j[CATACOMB_CELLS * CATACOMB_CELLS];
    int top = 0;
    stack_i[0] = CATACOMB_START_I;
    stack_j[0] = CATACOMB_START_J;
    visited[CATACOMB_START_I][CATACOMB_START_J] = true;
    top = 1;
    while (top > 0) {
        int i = stack_i[top - 1], j = stack_j[top - 1];
        int options[4], n = 0;
        for (int d = 0; d < 4; ++d) {
            int ni = i + DIR_DX[d], nj = j + DIR_DZ[d];
            if (!cell_exists(ni, nj) || visited[ni][nj] || catacomb_in_crypt_block(ni, nj)) continue;
            options[n++] = d;
        }
        if (n == 0) {
            --top;
            continue;
        }
        int d = options[rng_next(rng) % (uint32_t)n];
        int gx, gz;
        wall_square(i, j, d, &gx, &gz);
        grid[gx][gz] = 0;
        int ni = i + DIR_DX[d], nj = j + DIR_DZ[d];
        visited[ni][nj] = true;
        stack_i[top] = ni;
        stack_j[top] = nj;
        ++top;
    }
}

// A try counts when it opens a wall that was still standing: each success is
// one more loop in the maze.
void add_loops(Rng& rng) {
    int made = 0;
    for (int t = 0; t < 600 && made < 36; ++t) {
        int i = (int)(rng_next(rng) % 19u);
        int j = (int)(rng_next(rng) % 19u);
        int d = (int)(rng_next(rng) & 3u);
        int ni = i + DIR_DX[d], nj = j + DIR_DZ[d];
        if (!cell_exists(ni, nj) || catacomb_in_crypt_block(i, j) || catacomb_in_crypt_block(ni, nj)) continue;
        int gx, gz;
        wall_square(i, j, d, &gx, &gz);
        if (grid[gx][gz] == 0) continue;
        grid[gx][gz] = 0;
        ++made;
    }
}

void compute_distances() {
    for (auto& row : distance)
        for (int16_t& d : row) d = -1;
    int qi[CATACOMB_CELLS * CATACOMB_CELLS], qj[CATACOMB_CELLS * CATACOMB_CELLS];
    int head = 0, tail = 0;
    distance[CATACOMB_START_I][CATACOMB_START_J] = 0;
    qi[tail] = CATACOMB_START_I;
    qj[tail++] = CATACOMB_START_J;
    while (head < tail) {
        int i = qi[head], j = qj[head++];
        for (int d = 0; d < 4; ++d) {
            int ni = i + DIR_DX[d], nj = j + DIR_DZ[d];
            if (!cell_exists(ni, nj) || distance[ni][nj] >= 0 || !catacomb_wall_open(i, j, d)) continue;
            distance[ni][nj] = (int16_t)(distance[i][j] + 1);
            qi[tail] = ni;
            qj[tail++] = nj;
        }
    }
}

// Lower and upper edge (local metres) of grid square g along one axis.
void square_span(int g, float* lo, float* hi) {
    if (g < 0) {
        *lo = -50.0f;
        *hi = 0.0f;
    } else if (g >= CATACOMB_GRID) {
        *lo = 96.0f;
        *hi = 146.0f;
    } else {
        int k = g / 2;
        if (g % 2 == 0) {
            *lo = 5.0f * (float)k;
            *hi = *lo + 1.0f;
        } else {
            *lo = 5.0f * (float)k + 1.0f;
            *hi = *lo + 4.0f;
        }
    }
}

}  // namespace

void catacomb_maze_generate() {
    generated = true;  // the distance pass below reads the grid through the queries
    std::memset(grid, 1, sizeof(grid));
    for (int i = 0; i < CATACOMB_CELLS; ++i)
        for (int j = 0; j < CATACOMB_CELLS; ++j) grid[2 * i + 1][2 * j + 1] = 0;
    Rng rng{0xB0E5C0DEu};
    carve(rng);
    add_loops(rng);
    for (const CatacombRoom& r : catacomb_rooms)
        for (int gx = 2 * r.i0 + 1; gx <= 2 * r.i1 + 1; ++gx)
            for (int gz = 2 * r.j0 + 1; gz <= 2 * r.j1 + 1; ++gz) grid[gx][gz] = 0;
    // The crypt's single door, from the cell before it.
    int gx, gz;
    wall_square(9, 14, DIR_PZ, &gx, &gz);
    grid[gx][gz] = 0;
    compute_distances();
}

uint8_t catacomb_grid_at(int gx, int gz) {
    if (gx < 0 || gz < 0 || gx >= CATACOMB_GRID || gz >= CATACOMB_GRID) return 1;
    if (!generated) catacomb_maze_generate();
    return grid[gx][gz];
}

int catacomb_distance(int i, int j) {
    if (!cell_exists(i, j)) return -1;
    if (!generated) catacomb_maze_generate();
    return distance[i][j];
}

bool catacomb_wall_open(int i, int j, int dir) {
    assert(dir >= 0 && dir <= 3);
    if (dir < 0 || dir > 3 || !cell_exists(i, j) || !cell_exists(i + DIR_DX[dir], j + DIR_DZ[dir])) return false;
    int gx, gz;
    wall_square(i, j, dir, &gx, &gz);
    return catacomb_grid_at(gx, gz) == 0;
}

bool catacomb_in_crypt_block(int i, int j) {
    const CatacombRoom& r = catacomb_rooms[ROOM_CRYPT];
    return i >= r.i0 && i <= r.i1 && j >= r.j0 && j <= r.j1;
}

bool catacomb_room_contains(int room, float lx, float lz) {
    assert(room >= 0 && room < CATACOMB_ROOM_COUNT);
    if (room < 0 || room >= CATACOMB_ROOM_COUNT) return false;
    const CatacombRoom& r = catacomb_rooms[room];
    // A cell's square starts past the one-metre wall line before it (see
    // catacomb_grid_index) and ends where the next wall line begins.
    float x0 = CATACOMB_CELL * (float)r.i0 + 1.0f, x1 = CATACOMB_CELL * (float)(r.i1 + 1);
    float z0 = CATACOMB_CELL * (float)r.j0 + 1.0f, z1 = CATACOMB_CELL * (float)(r.j1 + 1);
    return lx > x0 && lx < x1 && lz > z0 && lz < z1;
}

int catacomb_room_of_cell(int i, int j) {
    for (int r = 0; r < CATACOMB_ROOM_COUNT; ++r) {
        const CatacombRoom& m = catacomb_rooms[r];
        if (i >= m.i0 && i <= m.i1 && j >= m.j0 && j <= m.j1) return r;
    }
    return -1;
}

int catacomb_grid_index(float c) {
    if (!(c == c)) return -1;
    if (c < -1000.0f) return -1;
    if (c > 1000.0f) return CATACOMB_GRID;
    int k = (int)std::floor(c / 5.0f);
    return c - 5.0f * (float)k >= 1.0f ? 2 * k + 1 : 2 * k;
}

Vec3 catacomb_cell_centre(int i, int j) {
    return {CATACOMB_X0 + CATACOMB_CELL * (float)i + 3.0f, 0.0f, CATACOMB_CELL * (float)j + 3.0f};
}

void catacomb_lookup_cell(Vec3 p, int* i, int* j) {
    float fi = std::floor((p.x - 1000.5f) / 5.0f), fj = std::floor((p.z - 0.5f) / 5.0f);
    if (!(fi == fi)) fi = 0.0f;
    if (!(fj == fj)) fj = 0.0f;
    *i = (int)clampf(fi, 0.0f, 18.0f);
    *j = (int)clampf(fj, 0.0f, 18.0f);
}

int catacomb_main_path(int* cells_i, int* cells_j, int capacity) {
    int i = 9, j = 14;
    int n = 0;
    if (catacomb_distance(i, j) < 0) return 0;
    for (;;) {
        if (n < capacity) {
            cells_i[n] = i;
            cells_j[n] = j;
        }
        ++n;
        int here = catacomb_distance(i, j);
        if (here == 0) break;
        bool moved = false;
        for (int d = 0; d < 4 && !moved; ++d) {
            int ni = i + DIR_DX[d], nj = j + DIR_DZ[d];
            if (catacomb_wall_open(i, j, d) && catacomb_distance(ni, nj) == here - 1) {
                i = ni;
                j = nj;
                moved = true;
            }
        }
        if (!moved) break;  // cannot happen in a breadth-first map, but never loop
    }
    return n < capacity ? n : capacity;
}

bool catacomb_solid(Vec3 p) {
    if (!(p.y >= -0.05f) || p.y > CATACOMB_CEILING) return true;
    int gx = catacomb_grid_index(p.x - CATACOMB_X0), gz = catacomb_grid_index(p.z);
    return catacomb_grid_at(gx, gz) != 0;
}

Vec3 catacomb_resolve(Vec3 p, float radius) {
    if (!(p.x == p.x) || !(p.z == p.z) || !(radius >= 0.0f)) return p;
    // Two passes settle a circle caught in a corner between two squares.
    for (int pass = 0; pass < 2; ++pass) {
        float lx = p.x - CATACOMB_X0, lz = p.z;
        int gx0 = catacomb_grid_index(lx - radius), gx1 = catacomb_grid_index(lx + radius);
        int gz0 = catacomb_grid_index(lz - radius), gz1 = catacomb_grid_index(lz + radius);
        if (gx0 < -1) gx0 = -1;
        if (gz0 < -1) gz0 = -1;
        if (gx1 > CATACOMB_GRID) gx1 = CATACOMB_GRID;
        if (gz1 > CATACOMB_GRID) gz1 = CATACOMB_GRID;
        for (int gx = gx0; gx <= gx1; ++gx)
            for (int gz = gz0; gz <= gz1; ++gz) {
                if (!catacomb_grid_at(gx, gz)) continue;
                float x0, x1, z0, z1;
                square_span(gx, &x0, &x1);
                square_span(gz, &z0, &z1);
                float cx = clampf(lx, x0, x1), cz = clampf(lz, z0, z1);
                float dx = lx - cx, dz = lz - cz;
                float d2 = dx * dx + dz * dz;
                if (d2 >= radius * radius) continue;
                if (d2 > 1e-12f) {
                    float d = std::sqrt(d2);
                    lx = cx + dx / d * radius;
                    lz = cz + dz / d * radius;
                } else {
                    // The centre is inside the square: out through the nearest
                    // side that gives onto open floor (any side when none does).
                    float side[4] = {x1 - lx, lx - x0, z1 - lz, lz - z0};
                    const int ngx[4] = {gx + 1, gx - 1, gx, gx}, ngz[4] = {gz, gz, gz + 1, gz - 1};
                    int best = -1;
                    for (int pass_open = 1; pass_open >= 0 && best < 0; --pass_open)
                        for (int d = 0; d < 4; ++d) {
                            if (pass_open && catacomb_grid_at(ngx[d], ngz[d])) continue;
                            if (best < 0 || side[d] < side[best]) best = d;
                        }
                    if (best == 0) lx = x1 + radius;
                    else if (best == 1) lx = x0 - radius;
                    else if (best == 2) lz = z1 + radius;
                    else lz = z0 - radius;
                }
            }
        p.x = lx + CATACOMB_X0;
        p.z = lz;
    }
    return p;
}

bool catacomb_line_clear(Vec3 from, Vec3 to) {
    Vec3 d = to - from;
    float len = length(d);
    if (!(len == len)) return false;
    // 0.2 m steps cannot jump a 1 m wall line.
    int n = (int)std::ceil(len / 0.2f);
    if (n < 1) n = 1;
    if (n > 100000) return false;
    for (int k = 0; k <= n; ++k) {
        float t = (float)k / (float)n;
        if (catacomb_solid(from + d * t)) return false;
    }
    return true;
}
