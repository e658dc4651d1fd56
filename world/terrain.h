#pragma once
// The outdoor world's ground and surface queries: the one height function
// every mover, camera and builder uses, the walkable boundary, the named wild
// places, the obstacle cylinders and their lazy 16 m grid.
//
// World frame: y up, metres. First zone "Forêt de Tervanne" z in [-390, 410],
// second zone "La Gaste Forêt" z in [-1210, -410], joined by a pass around
// x = 0. Camelot's levelled square is centred on (540, 180). x > 950 is
// outside the landscape (the catacombs live there, ground 0).
#include "common/game_flags.h"
#include <cstdint>

#include "common/mathx.h"

// Beyond this x a point is in the catacombs, not in the landscape: the one
// answer to "which world is it in" for the player, creatures and missiles.
constexpr float CATACOMB_X = 950.0f;

// The land's extents and the border between its two zones: the border ridge
// runs along z = ZONE_BORDER_Z and each zone's walkable land stops
// ZONE_BORDER_GAP short of it (the pass joins them).
constexpr float MAP_HALF_WIDTH = 810.0f;  // x in [-810, 810]
constexpr float MAP_NORTH = 410.0f, MAP_SOUTH = -1210.0f;
constexpr float ZONE_BORDER_Z = -400.0f;
constexpr float ZONE_BORDER_GAP = 10.0f;
constexpr float FIRST_ZONE_SOUTH = ZONE_BORDER_Z + ZONE_BORDER_GAP;   // -390
constexpr float SECOND_ZONE_NORTH = ZONE_BORDER_Z - ZONE_BORDER_GAP;  // -410
inline bool in_catacombs(float x) { return x > CATACOMB_X; }

// ---- Heights and zones -------------------------------------------------------
float terrain_base(float x, float z);        // landscape before levelling
float ground_height(float x, float z);       // walkable ground, levelled around Camelot
bool is_lake_water(float x, float z);        // within 48 m of the lake centre and below -0.7
bool in_camelot_square(float x, float z, float margin);
bool in_gaste(float z);                      // second zone: z < ZONE_BORDER_Z
// Keeps a point inside the walkable land (two forest rectangles shrunk by
// margin, plus the pass corridor); y is left as it is.
Vec3 resolve_surface_bounds(Vec3 p, float margin);
Vec3 camelot_point(float lx, float lz);      // (540 + lx, ground, 180 + lz)
const char* place_name(float x, float z);    // named wild site or nullptr
bool vegetation_free(float x, float z);
bool settlement_free(float x, float z, float margin);

constexpr float LAKE_X = -96.0f, LAKE_Z = -76.0f, LAKE_RADIUS = 48.0f;
constexpr float CAMELOT_X = 540.0f, CAMELOT_Z = 180.0f;

// The player's start and revive point: camelot_point(14, -3).
Vec3 world_spawn_point();

// ---- Path network ------------------------------------------------------------
constexpr int PATH_SEGMENT_COUNT = 26;
struct PathSegment { float x0, z0, x1, z1; };
extern const PathSegment path_segments[PATH_SEGMENT_COUNT];
// Distance from (x, z) to the nearest path centre line.
float path_distance(float x, float z);

// ---- Obstacles ---------------------------------------------------------------
// Vertical collision cylinders: solid from base_y to base_y + height.
struct Obstacle {
    float x, z;
    float radius;
    float height;
    float base_y;
};
static_assert(sizeof(Obstacle) == 20, "Obstacle is a 20-byte record");

// Adds one cylinder; may be called at any time (the grid follows lazily).
void obstacle_add(float x, float z, float radius, float height, float base_y);
// A wall of overlapping circles from (x0, z0) to (x1, z1): n + 2 circles with
// n = floor(length / (1.1 radius)), evenly spaced, ends included.
void obstacle_wall(float x0, float z0, float x1, float z1, float radius, float height, float base_y);
int obstacle_count();
// Empties the list (tests, and a rebuild of the whole world).
void obstacles_clear();
const Obstacle* obstacle_list();             // obstacle_count() entries
// Indices (into obstacle_list) of the obstacles entered in the 16 m grid cell
// holding (x, z); *count = 0 outside the grid. The slice stays valid until
// the next obstacle is added.
const int32_t* obstacle_query(float x, float z, int* count);

// Grid geometry, for callers that walk neighbouring cells.
constexpr int OBSTACLE_GRID_CELLS = 121;
constexpr float OBSTACLE_GRID_X0 = -960.0f, OBSTACLE_GRID_Z0 = -1360.0f;
constexpr float OBSTACLE_CELL = 16.0f;
