// The maze and its wall grid: the same maze on every run with every cell
// reachable, the crypt behind its single door, the solid points, circles
// pushed out of walls, sight lines, the main path and the room names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "common/rng.h"
#include "play/catacomb_visits.h"

namespace {

uint32_t grid_checksum() {
    uint32_t h = 2166136261u;
    for (int gx = 0; gx < CATACOMB_GRID; ++gx)
        for (int gz = 0; gz < CATACOMB_GRID; ++gz) {
            h ^= catacomb_grid_at(gx, gz);
            h *= 16777619u;
        }
    return h;
}

// Breadth-first count of the cells reachable from the start, optionally with
// one wall held shut.
int reachable(int shut_i = -1, int shut_j = -1, int shut_dir = -1) {
    bool seen[CATACOMB_CELLS][CATACOMB_CELLS] = {};
    int qi[400], qj[400], head = 0, tail = 0;
    seen[CATACOMB_START_I][CATACOMB_START_J] = true;
    qi[tail] = CATACOMB_START_I;
    qj[tail++] = CATACOMB_START_J;
    while (head < tail) {
        int i = qi[head], j = qj[head++];
        for (int d = 0; d < 4; ++d) {
            int ni = i + DIR_DX[d], nj = j + DIR_DZ[d];
            if (!catacomb_wall_open(i, j, d) || seen[ni][nj]) continue;
            bool shut = (i == shut_i && j == shut_j && d == shut_dir) ||
                        (ni == shut_i && nj == shut_j && (d ^ 1) == shut_dir);
            if (shut) continue;
            seen[ni][nj] = true;
            qi[tail] = ni;
            qj[tail++] = nj;
        }
    }
    return tail;
}

}  // namespace

TEST(CatacombMaze, SameMazeEveryRunAndEveryCellReachable) {
    catacomb_maze_generate();
    uint32_t first = grid_checksum();
    catacomb_maze_generate();
    EXPECT_EQ(grid_checksum(), first);
    // Pinned: a change of seed, order of neighbours or loop rule changes it.
    EXPECT_EQ(first, 0xBF1CEC66u);
    int pi[400], pj[400];
    EXPECT_EQ(catacomb_main_path(pi, pj, 400), 35);

    EXPECT_EQ(reachable(), CATACOMB_CELLS * CATACOMB_CELLS);
    for (int i = 0; i < CATACOMB_CELLS; ++i)
        for (int j = 0; j < CATACOMB_CELLS; ++j) EXPECT_GE(catacomb_distance(i, j), 0) << i << ", " << j;
    EXPECT_EQ(catacomb_distance(CATACOMB_START_I, CATACOMB_START_J), 0);
    EXPECT_EQ(catacomb_distance(9, 15), catacomb_distance(9, 14) + 1);

    // Rooms are halls: every square inside them is open.
    for (const CatacombRoom& r : catacomb_rooms)
        for (int gx = 2 * r.i0 + 1; gx <= 2 * r.i1 + 1; ++gx)
            for (int gz = 2 * r.j0 + 1; gz <= 2 * r.j1 + 1; ++gz) EXPECT_EQ(catacomb_grid_at(gx, gz), 0);
    // The border is solid all round.
    for (int g = 0; g < CATACOMB_GRID; ++g) {
        EXPECT_EQ(catacomb_grid_at(g, 0), 1);
        EXPECT_EQ(catacomb_grid_at(g, CATACOMB_GRID - 1), 1);
        EXPECT_EQ(catacomb_grid_at(0, g), 1);
        EXPECT_EQ(catacomb_grid_at(CATACOMB_GRID - 1, g), 1);
    }
}

TEST(CatacombMaze, CryptOnlyThroughItsDoor) {
    catacomb_maze_generate();
    int openings = 0;
    for (int i = 7; i <= 11; ++i)
        for (int j = 15; j <= 17; ++j)
            for (int d = 0; d < 4; ++d) {
                if (catacomb_in_crypt_block(i + DIR_DX[d], j + DIR_DZ[d])) continue;
                if (!catacomb_wall_open(i, j, d)) continue;
                ++openings;
                EXPECT_TRUE(i == 9 && j == 15 && d == DIR_NZ) << i << ", " << j << " dir " << d;
            }
    EXPECT_EQ(openings, 1);
    // With the door shut the 15 crypt cells are out of reach.
    EXPECT_EQ(reachable(9, 14, DIR_PZ), CATACOMB_CELLS * CATACOMB_CELLS - 15);
}

TEST(CatacombMaze, SolidPointsAndTheFloorToCeilingBand) {
    catacomb_maze_generate();
    Vec3 hall = {1048.0f, 1.0f, 5.6f};  // the vestibule
    EXPECT_FALSE(catacomb_solid(hall));
    EXPECT_TRUE(catacomb_solid({hall.x, 4.61f, hall.z}));
    EXPECT_TRUE(catacomb_solid({hall.x, -0.06f, hall.z}));
    EXPECT_FALSE(catacomb_solid({hall.x, 4.59f, hall.z}));
    EXPECT_FALSE(catacomb_solid({hall.x, -0.04f, hall.z}));
    EXPECT_TRUE(catacomb_solid({1000.5f, 1.0f, 5.6f}));   // inside the western wall line
    EXPECT_TRUE(catacomb_solid({1048.0f, 1.0f, 0.5f}));   // the vestibule's south wall
    EXPECT_TRUE(catacomb_solid({999.0f, 1.0f, 30.0f}));   // beyond the grid on every side
    EXPECT_TRUE(catacomb_solid({1097.0f, 1.0f, 30.0f}));
    EXPECT_TRUE(catacomb_solid({1030.0f, 1.0f, -3.0f}));
    EXPECT_TRUE(catacomb_solid({1030.0f, 1.0f, 97.0f}));
    EXPECT_TRUE(catacomb_solid({NAN, 1.0f, 30.0f}));
    // Grid index: the first metre of each 5 m span is the wall line.
    EXPECT_EQ(catacomb_grid_index(0.5f), 0);
    EXPECT_EQ(catacomb_grid_index(1.0f), 1);
    EXPECT_EQ(catacomb_grid_index(4.99f), 1);
    EXPECT_EQ(catacomb_grid_index(5.0f), 2);
    EXPECT_EQ(catacomb_grid_index(95.5f), 38);
    EXPECT_EQ(catacomb_grid_index(96.0f), 39);
    EXPECT_EQ(catacomb_grid_index(-0.5f), -1);
}

TEST(CatacombMaze, CirclesArePushedOutOfEveryWall) {
    catacomb_maze_generate();
    const float r = 0.35f;
    // Against the vestibule's south wall (z < 1): pushed to 1 + r.
    Vec3 p = catacomb_resolve({1048.0f, 0.0f, 1.1f}, r);
    EXPECT_NEAR(p.z, 1.0f + r, 1e-4f);
    EXPECT_NEAR(p.x, 1048.0f, 1e-4f);
    // Deep inside a wall line: out through the nearest side.
    p = catacomb_resolve({1048.0f, 0.0f, 0.8f}, r);
    EXPECT_NEAR(p.z, 1.0f + r, 1e-4f);
    // The middle of the floor is left alone.
    p = catacomb_resolve({1048.0f, 0.0f, 5.6f}, r);
    EXPECT_FLOAT_EQ(p.x, 1048.0f);
    EXPECT_FLOAT_EQ(p.z, 5.6f);
    // Outside the grid everything is rock.
    p = catacomb_resolve({1000.2f, 0.0f, 5.6f}, r);
    EXPECT_GE(p.x - 1000.0f, 1.0f + r - 1e-4f);

    // Anywhere in the dungeon, the circle comes out clear of every wall.
    Rng rng{99};
    int checked = 0;
    for (int n = 0; n < 4000; ++n) {
        Vec3 q = {1000.0f + rng_float(rng) * 96.0f, 0.0f, rng_float(rng) * 96.0f};
        if (catacomb_solid(q + Vec3{0, 1, 0})) continue;
        Vec3 o = catacomb_resolve(q, r);
        ++checked;
        for (int k = 0; k < 16; ++k) {
            float a = (float)k * PI / 8.0f;
            Vec3 s = {o.x + (r - 0.01f) * std::sin(a), 1.0f, o.z + (r - 0.01f) * std::cos(a)};
            ASSERT_FALSE(catacomb_solid(s)) << "from (" << q.x << ", " << q.z << ") to (" << o.x << ", " << o.z << ")";
        }
    }
    EXPECT_GT(checked, 2000);
}

TEST(CatacombMaze, SightLinesStopAtWalls) {
    catacomb_maze_generate();
    Vec3 a = {1048.0f, 1.4f, 5.6f};
    EXPECT_TRUE(catacomb_line_clear(a, {1043.0f, 1.4f, 9.0f}));    // across the vestibule
    EXPECT_FALSE(catacomb_line_clear(a, {1048.0f, 1.4f, -2.0f}));  // into the south wall
    EXPECT_FALSE(catacomb_line_clear(a, {1048.0f, 5.0f, 6.0f}));   // up through the vault
    // From a cell to a neighbour: clear exactly when the wall between is open.
    for (int i = 0; i < CATACOMB_CELLS - 1; ++i)
        for (int j = 0; j < CATACOMB_CELLS; ++j) {
            Vec3 c = catacomb_cell_centre(i, j) + Vec3{0, 1.5f, 0};
            Vec3 n = catacomb_cell_centre(i + 1, j) + Vec3{0, 1.5f, 0};
            EXPECT_EQ(catacomb_line_clear(c, n), catacomb_wall_open(i, j, DIR_PX)) << i << ", " << j;
        }
}

TEST(CatacombMaze, MainPathFollowsTheDistanceMapFromTheCryptDoor) {
    catacomb_maze_generate();
    int pi[400], pj[400];
    int n = catacomb_main_path(pi, pj, 400);
    ASSERT_EQ(n, catacomb_distance(9, 14) + 1);
    EXPECT_EQ(pi[0], 9);
    EXPECT_EQ(pj[0], 14);
    EXPECT_EQ(pi[n - 1], CATACOMB_START_I);
    EXPECT_EQ(pj[n - 1], CATACOMB_START_J);
    for (int k = 1; k < n; ++k) {
        EXPECT_EQ(catacomb_distance(pi[k], pj[k]), catacomb_distance(pi[k - 1], pj[k - 1]) - 1);
        EXPECT_EQ(std::abs(pi[k] - pi[k - 1]) + std::abs(pj[k] - pj[k - 1]), 1);
        Vec3 a = catacomb_cell_centre(pi[k - 1], pj[k - 1]) + Vec3{0, 1, 0};
        Vec3 b = catacomb_cell_centre(pi[k], pj[k]) + Vec3{0, 1, 0};
        EXPECT_TRUE(catacomb_line_clear(a, b));
    }
}

TEST(CatacombMaze, RoomNamesByPosition) {
    catacomb_maze_generate();
    EXPECT_STREQ(catacomb_room_name({1048.0f, 0, 5.6f}), "Le vestibule");
    EXPECT_STREQ(catacomb_room_name({1048.0f, 0, 48.0f}), "L'ossuaire");
    EXPECT_STREQ(catacomb_room_name({1018.0f, 0, 28.0f}), "La salle des gardes");
    EXPECT_STREQ(catacomb_room_name({1078.0f, 0, 63.0f}), "La salle des gardes");
    EXPECT_STREQ(catacomb_room_name({1048.0f, 0, 85.3f}), "La crypte de Bréhus");
    // In the crypt's doorway the player is not in it yet.
    EXPECT_STREQ(catacomb_room_name({1048.0f, 0, 75.2f}), "Catacombes du Val sans Retour");
    // The crypt's floor in metres: cells 7-11 by 15-17 of 5 m, inside the
    // metre-thick wall lines, so x 36..60 and z 76..90 (local).
    EXPECT_TRUE(catacomb_room_contains(ROOM_CRYPT, 36.5f, 76.5f));
    EXPECT_TRUE(catacomb_room_contains(ROOM_CRYPT, 59.5f, 89.5f));
    EXPECT_FALSE(catacomb_room_contains(ROOM_CRYPT, 35.5f, 80.0f));
    EXPECT_FALSE(catacomb_room_contains(ROOM_CRYPT, 48.0f, 90.5f));
    EXPECT_FALSE(catacomb_room_contains(ROOM_CRYPT, 48.0f, 48.0f));
    EXPECT_TRUE(catacomb_room_contains(ROOM_OSSUARY, 48.0f, 48.0f));
    EXPECT_STREQ(catacomb_room_name({1003.0f, 0, 93.0f}), "Catacombes du Val sans Retour");
    // Beyond the grid the lookup is clamped to the border cells.
    EXPECT_STREQ(catacomb_room_name({1048.0f, 0, -30.0f}), "Le vestibule");
}
