#pragma once
// Articulated figures: a flat array of rigid parts, each placed relative to
// its parent (a parent always precedes its children). Play code writes node
// rotations every frame, then evaluates and draws the model.
#include <cstdint>

#include "common/mathx.h"

struct GpuMesh;
struct Material;
struct Vertex;

// Lets a part bend with a second node: each vertex blends between the part's
// own transform and the bound node's by its weight.
struct SkinBinding {
    int32_t other_node;
    int32_t vertex_count;
    Mat4 rest_relative;  // the part's rest transform in the bound node's frame
    Vec3* rest_positions;
    Vec3* rest_normals;
    float* weights;
};

struct Node {
    int32_t parent;  // -1 for a root
    Vec3 position;
    Vec3 rotation;   // x pitch, y yaw, z roll
    Vec3 scale;
    uint8_t visible;
    uint8_t use_matrix;
    Mat4 local_matrix;
    GpuMesh* mesh;   // null for a pure joint
    Material* material;
    Vec3 tint;
    Mat4 world_matrix;   // output of model_evaluate
    uint8_t world_visible;
    SkinBinding* skin;
    GpuMesh* skin_mesh;  // dynamic clone while deformed
};
#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(Node) == 224, "node record is 224 bytes");
#endif

// A part stretched, after each evaluation, from a point of one node to a
// point between two others (a bowstring pulled back to the drawing hand):
// its world matrix spans the two ends as model_span_node does, so a part one
// unit tall along y reaches from one to the other.
struct NodeTie {
    int32_t node;
    int32_t from_node;
    Vec3 from_at;      // in from_node's frame
    int32_t to_node;
    Vec3 to_at;        // the far end at rest, in to_node's frame
    int32_t pull_node;
    Vec3 pull_at;      // the far end when pulled, in pull_node's frame
    float pull;        // 0 at rest .. 1 pulled; written by the pose
};

struct Model {
    Node* nodes;
    int32_t node_count;
    int32_t node_capacity;
    Vec3 root_position;  // translation of the last root matrix evaluated
    uint8_t owns_skins;  // built (frees its skin bindings) rather than copied
    NodeTie* ties;       // applied in order after the nodes; freed with the model
    int32_t tie_count;
};

// Within this distance of the camera skinned parts are deformed on the CPU.
constexpr float SKIN_DISTANCE = 40.0f;

int model_add_node(Model* m, int parent, Vec3 position);
int model_add_part(Model* m, int parent, GpuMesh* mesh, Material* material, Vec3 position);
void model_evaluate(Model* m, const Mat4& root);
// Submits every visible part; a part whose material is material_from is drawn
// with material_to (null from = no substitution).
void model_draw(Model* m, const Material* material_from, Material* material_to);
// The same with every part's tint multiplied by multiply, then moved toward
// mix_to by mix (a hit flash), for this submission only.
void model_draw_tinted(Model* m, const Material* material_from, Material* material_to, Vec3 multiply,
                       Vec3 mix_to, float mix);
// Local matrix whose y axis spans a -> b, origin at the midpoint.
void model_span_node(Model* m, int node, Vec3 a, Vec3 b);
// Ties a part (which must come after the three nodes it reads) between two
// points; returns the tie's index, -1 when it cannot be kept.
int model_add_tie(Model* m, int node, int from_node, Vec3 from_at, int to_node, Vec3 to_at, int pull_node,
                  Vec3 pull_at);
// Binds a part's mesh to a second node so that it bends between the two.
void model_bind_skin(Model* m, int node, int other_node);
Model model_copy(const Model* tmpl);
// Destroys the skin meshes, frees the node array, zeroes the record.
void model_free(Model* m);

// World position of a node after model_evaluate.
Vec3 model_node_position(const Model* m, int node);
// Local transform of a node from its fields.
Mat4 model_local_matrix(const Node& n);

// The CPU half of skinning: the deformed vertices of a skinned part for the
// current evaluation (count = binding vertex_count). Colours come from the
// part's own mesh.
void model_skin_deform(const Model* m, int node, Vertex* out);
// Whether a skinned part of this model is deformed for a camera at eye.
bool model_skin_active(const Model* m, Vec3 eye);
