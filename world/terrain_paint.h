#pragma once
// The ground paint (terrain vertex colours and the map's base colour) and the
// terrain mesh.
#include "common/mathx.h"
#include "render/mesh.h"

// Display-space colour of the ground at (x, z): grass, heath, the darker
// second zone and the paths, layered in that order.
Vec3 ground_paint(float x, float z);
// Local half-width of the painted paths: 1.4 +- 0.6 m.
float path_half_width(float x, float z);

constexpr int TERRAIN_GRID = 641;
constexpr float TERRAIN_SPACING = 2.875f;
constexpr float TERRAIN_X0 = -920.0f, TERRAIN_Z0 = -1320.0f;

// The 641 x 641 terrain grid: heights, normals, paint, two triangles per cell.
MeshBuilder terrain_mesh_build();
