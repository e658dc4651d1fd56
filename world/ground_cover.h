#pragma once
// Grass tufts, ferns, flowers and small bushes scattered over the land.
#include <cstdint>
#include <vector>

#include "common/mathx.h"
#include "common/rng.h"
#include "render/mesh.h"

constexpr int GROUND_COVER_CANDIDATES = 190000;
constexpr int GROUND_COVER_WIDE = 110000;  // over the whole land; the rest near the centre

enum GroundCoverKind : uint8_t {
    GC_GRASS = 0,
    GC_GRASS_TALL,
    GC_FERN,
    GC_FLOWERS,
    GC_BUSH,
    GC_KIND_COUNT
};

struct GroundCoverPlacement {
    float x, y, z;
    float yaw;
    float scale;
    uint8_t kind;
    Vec3 tint;
};

// True where a plant may not stand: on a path, in water, deep in the second
// zone, or where vegetation_free says no.
bool ground_cover_blocked(float x, float z);
// 190 000 candidates from the world generator.
void ground_cover_place(Rng& world_rng, std::vector<GroundCoverPlacement>& out);
// The card mesh of one kind (object space, foot at the origin).
MeshBuilder ground_cover_model(int kind);
int ground_cover_vegetation_kind(int kind);
Mat4 ground_cover_matrix(const GroundCoverPlacement& g);

// The plants of the last world build.
const std::vector<GroundCoverPlacement>& world_ground_cover();
