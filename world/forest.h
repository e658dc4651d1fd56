#pragma once
// The two forests: where each tree stands (from the world generator) and the
// tree models (from their own generator, reseeded per variant).
#include <cstdint>
#include <vector>

#include "common/mathx.h"
#include "common/rng.h"
#include "render/mesh.h"

constexpr int FIRST_ZONE_TREES = 3500;
constexpr int SECOND_ZONE_MAX_TREES = 5000;
constexpr int SECOND_ZONE_CANDIDATES = 80000;
constexpr int BROADLEAF_VARIANTS = 4;
constexpr int CONIFER_VARIANTS = 3;
constexpr int TREE_VARIANTS = BROADLEAF_VARIANTS + CONIFER_VARIANTS;  // broadleaves first

struct TreePlacement {
    float x, y, z;
    float scale;     // horizontal
    float vscale;    // vertical
    float yaw;
    uint8_t conifer;
    uint8_t variant; // 0..3 broadleaf, 0..2 conifer
    uint8_t zone;    // 1 or 2
    uint8_t autumn;
    Vec3 tint;
};

// HSV (hue in turns) to RGB.
Vec3 hsv_to_rgb(float h, float s, float v);

// Appends the trees of both zones, drawing from
// the world generator, and adds one obstacle per tree.
void forest_place(Rng& world_rng, std::vector<TreePlacement>& out);

// Index 0..6 of a tree's model (broadleaf variants, then conifers).
inline int tree_model_index(const TreePlacement& t) {
    return t.conifer ? BROADLEAF_VARIANTS + t.variant : t.variant;
}

// One tree model: its wood and its foliage cards, in object space with the
// foot at the origin, about 10-14 m tall at scale 1.
struct TreeModel {
    MeshBuilder bark;
    MeshBuilder foliage;
};
void tree_model_build(int model_index, TreeModel* out);

// Instance matrix of a placed tree.
Mat4 tree_matrix(const TreePlacement& t);

// The trees of the last world build, both zones, in placement order.
const std::vector<TreePlacement>& world_trees();
