#pragma once
// The separable parts of the terrain formula, for the builders that sweep a
// regular grid (terrain mesh, map image): the sines of x and the cosines of z
// are computed once per column and per row instead of once per point. The
// results are bit for bit those of terrain_base and ground_height, which use
// the same functions.
struct TerrainXTerms { float s1, s2, s3, s4, s5; };
struct TerrainZTerms { float c1, s2, c3, c4, c5, s_pass; };

TerrainXTerms terrain_x_terms(float x);
TerrainZTerms terrain_z_terms(float z);
float terrain_base_terms(float x, float z, const TerrainXTerms& xt, const TerrainZTerms& zt);
float ground_height_terms(float x, float z, const TerrainXTerms& xt, const TerrainZTerms& zt);

// Distance to the nearest path centre line when it is below 3 m, else 3:
// what the painters and planters need, from a grid of nearby segments.
constexpr float PATH_NEAR_CAP = 3.0f;
float path_distance_near(float x, float z);
