#pragma once
// "Les Catacombes du Val sans Retour": a 19 x 19 maze of 5 m cells far east
// of the landscape (x 1000..1095, ground 0), its wall grid, the queries every
// mover uses there, its geometry and its fixed points. The visits themselves
// (garrison, prompts, exploration map) are in play/catacomb_visits.h.
#include <cstdint>

#include "common/mathx.h"

constexpr int CATACOMB_CELLS = 19;
constexpr int CATACOMB_GRID = 39;  // 2 * cells + 1: odd squares are cells, even ones wall lines
constexpr float CATACOMB_X0 = 1000.0f;
constexpr float CATACOMB_CELL = 5.0f;
constexpr float CATACOMB_CEILING = 4.6f;
constexpr int CATACOMB_START_I = 9, CATACOMB_START_J = 0;
constexpr int CATACOMB_MAP_SIZE = 256;

// Rooms 0 vestibule, 1 ossuary, 2 crypt, 3 and 4 guard rooms (cells inclusive).
struct CatacombRoom {
    const char* name;
    int i0, i1, j0, j1;
};
constexpr int CATACOMB_ROOM_COUNT = 5;
extern const CatacombRoom catacomb_rooms[CATACOMB_ROOM_COUNT];
enum : int { ROOM_VESTIBULE = 0, ROOM_OSSUARY = 1, ROOM_CRYPT = 2, ROOM_GUARDS_WEST = 3, ROOM_GUARDS_EAST = 4 };

// Directions in the order the carving and the path tracing try them.
enum : int { DIR_PX = 0, DIR_NX = 1, DIR_PZ = 2, DIR_NZ = 3 };
// One step in each direction: along x (cells i, grid gx), along z (j, gz).
inline constexpr int DIR_DX[4] = {1, -1, 0, 0};
inline constexpr int DIR_DZ[4] = {0, 0, 1, -1};

// ---- The maze (world/catacomb_maze.cpp) ----------------------------------------------
// Carving, loops, rooms, the crypt's door and the distance map; CPU only.
void catacomb_maze_generate();
// 1 = solid; indices outside the grid are solid.
uint8_t catacomb_grid_at(int gx, int gz);
// Steps from the start cell, -1 when unreachable or outside.
int catacomb_distance(int i, int j);
// Whether the wall between cell (i, j) and its neighbour in direction dir is open.
bool catacomb_wall_open(int i, int j, int dir);
bool catacomb_in_crypt_block(int i, int j);
// Whether a local point (x - 1000, z) stands on a room's floor, inside its
// walls: the same cells as catacomb_rooms, in metres.
bool catacomb_room_contains(int room, float lx, float lz);
// Room holding the cell, or -1.
int catacomb_room_of_cell(int i, int j);
// Grid index of a local coordinate (x - 1000, or z); may fall outside 0..38.
int catacomb_grid_index(float c);
// Cell centre in the world (y 0).
Vec3 catacomb_cell_centre(int i, int j);
// The cell a position looks up for names and the map (clamped to the grid).
void catacomb_lookup_cell(Vec3 p, int* i, int* j);
// Main path from the cell before the crypt's door (index 0) to the start
// cell: writes up to capacity cells as i, j pairs and returns the length.
int catacomb_main_path(int* cells_i, int* cells_j, int capacity);

// Wall queries: solid outside the grid and outside the floor-to-ceiling band.
bool catacomb_solid(Vec3 p);
// Pushes a circle out of every solid square it overlaps.
Vec3 catacomb_resolve(Vec3 p, float radius);
// False when a point sampled along the segment (every 0.2 m) is solid.
bool catacomb_line_clear(Vec3 from, Vec3 to);

// ---- Geometry (world/catacomb_geometry.cpp) --------------------------------------------
// Builds the dungeon's meshes from the maze; needs GL for the upload.
void catacomb_geometry_build();
struct CatacombGeometryReport {
    int braziers, pillars, niches, bone_piles, sarcophagi;
    int chunk_meshes;
    int vertices;
    double build_ms;  // maze, geometry and upload at start-up
};
const CatacombGeometryReport& catacomb_geometry_report();
// The meshes near the camera, the flames, the nearest braziers as lights
// and the dark atmosphere.
// feet: the player's, for the shadow focus and the nearest braziers.
void catacomb_geometry_submit(bool chest_open, bool passage_open, Vec3 feet);

// Fixed points.
constexpr float CATACOMB_ENTRY_X = 48.0f, CATACOMB_ENTRY_Z = 328.0f;
constexpr float CATACOMB_PORTAL_X = 1048.0f, CATACOMB_PORTAL_Z = 1.05f;
constexpr float CATACOMB_PASSAGE_X = 1048.0f, CATACOMB_PASSAGE_Z = 82.0f;
constexpr float CATACOMB_CHEST_X = 1048.0f, CATACOMB_CHEST_Z = 48.0f;
constexpr float CATACOMB_VESTIBULE_X = 1048.0f, CATACOMB_VESTIBULE_Z = 5.6f;
