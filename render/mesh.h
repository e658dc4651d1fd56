#pragma once
// The geometry kit every builder shares: CPU meshes under construction, shape
// generators, appending through a matrix, upload to GL, the surface record
// (Material) and instanced groups for thousands of identical objects.
#include <cstdint>

#include "common/mathx.h"

// ---- Vertex layouts (attribute locations are fixed in the GLSL) --------------

// Locations 0, 1, 2. For vegetation cards colour holds (u, v, brightness).
struct Vertex {
    Vec3 position;
    Vec3 normal;
    Vec3 colour;
};
static_assert(sizeof(Vertex) == 36, "mesh vertex layout is 36 bytes");

// Locations 3-6 are the matrix columns, 7 is (tint, alpha); divisor 1.
struct Instance {
    Mat4 model;
    Vec3 tint;
    float alpha;  // i_col.w: 1.0 unless a submitter gives another value
};
static_assert(sizeof(Instance) == 80, "instance layout is 80 bytes");

// Locations 0-3 of the interface program: pixels (origin top-left, y down),
// texture coordinates, straight-alpha colour, drawing mode.
struct UiVertex {
    float x, y;
    float u, v;
    float r, g, b, a;
    float mode;
};
static_assert(sizeof(UiVertex) == 36, "interface vertex layout is 36 bytes");

// ---- Meshes under construction -----------------------------------------------

// Zero-initialised means empty. Both arrays grow from 64 and double.
struct MeshBuilder {
    Vertex* vertices;
    int32_t vertex_count;
    int32_t vertex_capacity;
    uint32_t* indices;
    int32_t index_count;
    int32_t index_capacity;
};

uint32_t mb_add_vertex(MeshBuilder* b, Vec3 position, Vec3 normal, Vec3 colour);
void mb_add_triangle(MeshBuilder* b, uint32_t a, uint32_t b_, uint32_t c);
// Frees both arrays and zeroes the record.
void mb_free(MeshBuilder* b);
// Makes every triangle counter-clockwise seen from the side its normals face.
void mb_orient(MeshBuilder* b);
// Appends src through m (normals by the inverse transpose, mirrors keep their
// winding) with every vertex colour multiplied by tint.
void mb_append(MeshBuilder* dst, const MeshBuilder* src, const Mat4& m, Vec3 tint);

// ---- Shape generators: white, centred on the origin, oriented ------------------

MeshBuilder shape_ellipsoid(float rx, float ry, float rz, int n);
// As the ellipsoid, 7 rings between polar angles theta0 and theta1 (from +y).
MeshBuilder shape_ellipsoid_band(float rx, float ry, float rz, float theta0, float theta1, int n);
MeshBuilder shape_box(Vec3 size);
// Side from y = -h/2 (r_bottom) to +h/2 (r_top); caps close ends of radius > 0.
MeshBuilder shape_frustum(float r_top, float r_bottom, float h, int n, bool caps);
MeshBuilder shape_capsule(float r, float length);

// One profile point of a loft.
struct LoftPoint {
    float y;
    float half_width;
    float depth_front;  // towards +z (cos a > 0)
    float depth_back;
    float z_offset;
};
// Radial scale k for a ring at height y and angle a.
typedef float (*LoftModulate)(float y, float a, void* context);
MeshBuilder shape_loft(const LoftPoint* points, int count, int n, int subdivisions,
                       LoftModulate modulate = nullptr, void* context = nullptr);
MeshBuilder shape_rock(float rx, float ry, float rz, uint32_t seed, float roughness);

// T(position) * Ry(rotation.y) * Rx(rotation.x) * Rz(rotation.z) * S(scale).
Mat4 mat4_from_prs(Vec3 position, Vec3 rotation, Vec3 scale);

// ---- Noise --------------------------------------------------------------------

float value_noise2(float x, float z, uint32_t seed);          // [-1, 1]
float fbm2(float x, float z, uint32_t seed, int octaves);     // 0 for 0 octaves
float value_noise3(Vec3 p, uint32_t seed);                     // [0, 1)

// ---- Surface description --------------------------------------------------------

// Field order and size are fixed: each field feeds one uniform of the scene program.
struct Material {
    Vec3 colour;           // u_teinte
    float noise_scale;     // u_bruit.x
    float noise_amount;    // u_bruit.y
    float noise_contrast;  // u_bruit.z (<= 0 sent as 1)
    float light_a;         // u_lum.x, wrap amount
    Vec3 emission;         // u_emission
    float alpha;           // u_alpha; below 0.999 drawn in the transparent pass
    uint8_t noise_on;      // u_bruit.w, noise in object space
    uint8_t double_sided;
    uint8_t no_shadow;
    uint8_t light_flag_b;  // u_lum.y unlit
    uint8_t light_flag_c;  // u_lum.z water
    uint8_t light_flag_d;  // u_lum.w shiny
    uint8_t skin_flag_a;   // u_perso.x character
    uint8_t skin_flag_b;   // u_perso.y hair
    uint8_t skin_flag_c;   // u_perso.z skin
    int32_t pattern_kind;  // u_motif.x = kind - 1 for 1..5
    float pattern_scale;   // u_motif.y (<= 0 sent as 6)
    uint8_t sway_on;       // u_souple.x
    float sway_amount;     // u_souple.y
    float sway_rate;       // u_souple.z (<= 0 sent as 1)
    Vec3 balance;          // u_balance
    Vec3 float_motion;     // u_flotte
    float roughness;       // u_rug
    int32_t vegetation_kind;  // u_vegetal = kind - 1 for 1..5
    float wind;               // u_vent
    int32_t surface_kind;     // u_surface: 1 stone, 2 wood, 3 masonry
    float moss;               // u_mousse
    uint8_t detail_on;        // u_detail
    float translucency;       // u_trans
};
static_assert(sizeof(Material) == 128, "material record is 128 bytes");

void material_init(Material* m, Vec3 colour);
// Also sets noise_contrast to 1.
void material_init(Material* m, Vec3 colour, float noise_scale, float noise_amount);
Material* material_new(Vec3 colour);
Material* material_new(Vec3 colour, float noise_scale, float noise_amount, bool noise_on);
// Heap copy of a filled record: how builders hand out materials.
Material* material_copy(const Material& m);
void material_set_pattern(Material* m, int kind, float scale);

// ---- Meshes on the GPU ----------------------------------------------------------

struct GpuMesh {
    uint32_t vao;
    uint32_t vbo;
    uint32_t ibo;
    uint32_t index_count;
    Vertex* cpu_vertices;  // owned
    int32_t vertex_count;
    uint32_t shares_ibo;   // 1: ibo belongs to another mesh
    // Bounding sphere in the mesh's own space (radius 0: unknown, never culled).
    Vec3 bound_centre;
    float bound_radius;
    // A range of a pool (mesh_upload_pool): its indices start at first_index
    // of the pool's index buffer and count from base_vertex; vao, vbo and ibo
    // belong to the pool.
    uint32_t pooled;
    uint32_t first_index;
    int32_t base_vertex;
};

// The sphere around count vertices (centre of their box, farthest vertex).
void mesh_bound_sphere(const Vertex* vertices, int count, Vec3* centre, float* radius);

// Takes the builder's arrays (the builder is zeroed); registers the mesh in the
// active collection. An empty builder gives a mesh that draws nothing.
GpuMesh* mesh_upload(MeshBuilder* b);
void mesh_destroy(GpuMesh* mesh);  // null is ignored
// Uploads count builders into one vertex and one index buffer (static
// geometry that is drawn piece by piece). out[i] is builder i's range, null
// for an empty builder; the ranges sit in one array in builder order, so
// ranges of one material sort together and the renderer draws neighbours
// with one call. Every builder is emptied. The pool lives until the process
// ends (mesh_destroy on a range only frees its CPU copy); it is never
// recorded in the active collection.
void mesh_upload_pool(MeshBuilder* builders, int count, GpuMesh** out);
// New dynamic vertex buffer filled from source, sharing its index buffer (null gives null).
GpuMesh* mesh_clone_dynamic(const GpuMesh* source);
void mesh_update_vertices(GpuMesh* mesh, const Vertex* vertices, int count);
// The same for a caller that already walked the vertices: (centre, radius)
// must hold every one of them and becomes the mesh's bound. Any other count
// than the mesh's (a partial update) falls back to mesh_update_vertices.
void mesh_update_vertices_bounded(GpuMesh* mesh, const Vertex* vertices, int count, Vec3 centre,
                                  float radius);
// Largest distance of a vertex from the origin, at least 1.
float mesh_radius(const GpuMesh* mesh);

// Meshes of one rebuildable model, released together.
struct MeshCollection {
    GpuMesh** meshes;
    int32_t count;
    int32_t capacity;
};
// While non-null and not suspended, every mesh_upload is recorded in it.
extern MeshCollection* mesh_collection;
extern bool mesh_collection_suspended;
void mesh_collection_add(MeshCollection* list, GpuMesh* mesh);
void mesh_release_all(MeshCollection* list);  // destroys every entry, count = 0

// ---- Instanced groups -------------------------------------------------------------

constexpr float INSTANCE_CELL_SIZE = 48.0f;
constexpr float DRAW_DISTANCE_NEAR = 130.0f;
constexpr float DRAW_DISTANCE_FAR = 650.0f;

struct InstanceCell {
    int32_t first;
    int32_t count;
    // Around the instances' origins, grown by their scale: the draw distance
    // is measured from it.
    float centre_x, centre_y, centre_z;
    float radius;
    // Holds every instance's mesh where its matrix puts it, and what the
    // vertex stage may move it by: what the frustum tests.
    float bound_x, bound_y, bound_z;
    float bound_radius;
};
// A cell bound this large is unknown (a mesh without bounds): never culled.
constexpr float UNBOUNDED_RADIUS = 1e30f;

struct InstanceGroup {
    GpuMesh* mesh;          // shared
    Material* material;     // shared
    uint32_t instance_buffer;
    int32_t instance_count;
    InstanceCell* cells;    // owned
    int32_t cell_count;
    float draw_distance;
};

// Sorts instances by 48 m cell and uploads them; the caller keeps its array.
InstanceGroup* instance_group_build(GpuMesh* mesh, Material* material, const Instance* instances,
                                    int count);
// The CPU half of the build: sorted copy into out (count entries) and the cells
// (at most count entries); returns the cell count. The mesh's own sphere
// (radius 0: unknown) and the vertex stage's farthest displacement in world
// metres give each cell's frustum bound.
int instance_cells_arrange(const Instance* instances, int count, Instance* out, InstanceCell* cells,
                           Vec3 mesh_centre, float mesh_radius, float displacement);
float draw_distance_for_radius(float radius);

// ---- World batches: static props merged by material ------------------------------

constexpr int WORLD_BATCH_COUNT = 13;
extern MeshBuilder world_batches[WORLD_BATCH_COUNT];
extern Material* world_batch_materials[WORLD_BATCH_COUNT];
extern GpuMesh* world_batch_meshes[WORLD_BATCH_COUNT];
// mb_append into batch i, then mb_free(src).
void batch_add(int i, MeshBuilder* src, const Mat4& m, Vec3 tint);
