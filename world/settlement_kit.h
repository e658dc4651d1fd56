#pragma once
// Building blocks shared by the town, the hamlet and the wild sites: unit
// shapes appended into the world batches through a matrix, beams between two
// points, gable prisms, the half-timbered house and the torches.
#include <cstdint>

#include "common/mathx.h"
#include "render/mesh.h"

// The world batches by what they look like.
enum SettlementBatch : int {
    SB_PLAIN = 0,      // plaster, painted things
    SB_STONE = 1,      // rough stone, cobbles
    SB_WOOD = 2,
    SB_CLOTH = 3,      // awnings, banners, tents
    SB_MASONRY = 4,    // town wall and towers
    SB_IRON = 5,
    SB_GOLD = 6,
    SB_DARK = 7,       // window panes, openings
    SB_OLD_STONE = 9,
    SB_STEEL = 10,
    SB_TILES = 11,     // roofs and dressed stone
};

// A unit box / cylinder / cone scaled into place by a matrix.
void kit_box(int batch, const Mat4& frame, Vec3 centre, Vec3 size, Vec3 tint, float yaw = 0.0f);
void kit_box_prs(int batch, const Mat4& frame, Vec3 centre, Vec3 rotation, Vec3 size, Vec3 tint);
// Cylinder standing on base (local), radius r_bottom to r_top.
void kit_cylinder(int batch, const Mat4& frame, Vec3 base, float r_top, float r_bottom, float h, Vec3 tint,
                  int sides = 10);
// A square beam of the given thickness from a to b (local).
void kit_beam(int batch, const Mat4& frame, Vec3 a, Vec3 b, float thickness, Vec3 tint);
// A triangular prism (gable end): base width w along x, apex height h, depth d along z,
// base centred on centre.
void kit_gable(int batch, const Mat4& frame, Vec3 centre, float w, float h, float d, Vec3 tint);
void kit_ellipsoid(int batch, const Mat4& frame, Vec3 centre, Vec3 radii, Vec3 tint, float yaw = 0.0f);
// The solid of what kit_box, kit_box_prs and kit_gable draw with the same
// arguments, for the eyes that must keep out of it (world/solids.h).
void kit_solid_box(const Mat4& frame, Vec3 centre, Vec3 size, float yaw = 0.0f);
void kit_solid_box_prs(const Mat4& frame, Vec3 centre, Vec3 rotation, Vec3 size);
void kit_solid_gable(const Mat4& frame, Vec3 centre, float w, float h, float d);
// Rows of overlapping 1.15 m circles filling a w x d rectangle (world centre).
void kit_block_obstacles(float x, float z, float w, float d, float h, float base_y);
// Frees the cached unit shapes (after the builders ran).
void kit_release();

// Frame of a building: origin on the ground at (x, base_y, z), turned by yaw
// (local +z faces (sin yaw, cos yaw)).
Mat4 kit_frame(float x, float base_y, float z, float yaw);

// ---- Houses ---------------------------------------------------------------------
struct HouseSpec {
    float width;   // along the front (local x)
    float depth;   // local z; the front faces +z
    int storeys;   // 1 or 2
    uint32_t seed;
};
// Builds a half-timbered house in the frame (front toward +z) and its four
// obstacle walls (footprint shrunk by 1.15 m, height 5 or 7 m). base_y is the
// ground height of the frame origin.
void house_build(const HouseSpec& h, float x, float z, float base_y, float yaw);
// Variant (gable to the street) when (seed >> 8) mod 100 < 30.
bool house_is_gable_variant(uint32_t seed);

// ---- Torches --------------------------------------------------------------------
// A wall torch at world (x, y, z) on a wall whose outward direction is
// (dx, dz): iron bracket, stick and a flame 0.42 m out from the wall.
// Returns the flame point (also added to the world's fires).
Vec3 kit_torch(float x, float y, float z, float dx, float dz);
// A torch on its own post standing at (x, z) on the ground.
Vec3 kit_torch_post(float x, float z);
