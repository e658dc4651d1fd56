#pragma once
// Internal to the town's builders: the pieces camelot_build calls in order
// and the plan grid they mark for the map.
#include "common/mathx.h"
#include "world/camelot.h"

// Plan grid: 0.5 m cells over local [-136, 136) on both axes.
constexpr int PLAN_CELLS = 544;
constexpr float PLAN_CELL = 0.5f;
constexpr float PLAN_ORIGIN = -136.0f;
// Marks the cells whose centres lie in the rectangle (local centre, half-extents).
void plan_mark_rect(float cx, float cz, float hx, float hz, CamelotPlan kind);
void plan_mark_disc(float cx, float cz, float r, CamelotPlan kind);
void plan_clear();

// Local to world on the town's flat, y above the base height.
Vec3 town_point(float lx, float y, float lz);
Mat4 town_frame(float lx, float lz, float yaw, float y = 0.0f);

// Records a torch (world flame point) in the town's list.
void town_torch_add(Vec3 flame);
// A torch on a wall at local (lx, y above base, lz), outward direction (dx, dz).
void town_wall_torch(float lx, float y, float lz, float dx, float dz);

// The builders, in the order camelot_build runs them.
void camelot_build_walls();      // curtain wall, towers, gatehouse, battlements
void camelot_build_castle();
void camelot_build_market();
void camelot_build_workshops();
void camelot_build_landmarks_in_town();  // the inn and the chapel
void camelot_build_gardens();            // in the open ground behind the houses
