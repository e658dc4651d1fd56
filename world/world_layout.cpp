// The world build in its fixed order, and the per-frame world submission:
// terrain, batches, instanced vegetation, the lake, the flames, the fire
// lights and the atmosphere.
#include <chrono>
#include <cmath>
#include <vector>

#include "common/game_time.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "world/forest.h"
#include "world/ground_cover.h"
#include "render/mesh.h"
#include "world/props.h"
#include "world/species_models.h"
#include "world/terrain.h"
#include "world/terrain_paint.h"
#include "render/vegetation_images.h"
#include "world/world.h"
#include "world/world_calls.h"
#include "world/camelot.h"
#include "world/catacombs.h"
#include "world/landmarks.h"
#include "world/solids.h"

// Defined beside the fires and the map painter.
void world_fires_clear();
Vec3 world_fire_position(int i);
void world_flames_upload();
void world_flames_submit(double t);
void world_map_paint();
// Stops the painters of an earlier build before the world they read changes.
void world_map_drop();

namespace {

WorldBuildReport report;
PropsReport props;

MeshBuilder terrain_builder;
std::vector<TreePlacement> trees;
std::vector<GroundCoverPlacement> cover;
TreeModel tree_models[TREE_VARIANTS];
MeshBuilder cover_models[GC_KIND_COUNT];

GpuMesh* terrain_mesh = nullptr;
Material* terrain_material = nullptr;
GpuMesh* lake_mesh = nullptr;
Material* lake_material = nullptr;
// Never destroyed: the renderer reads these groups until the process ends, and
// a vector torn down at exit would leave them owned by nobody.
std::vector<InstanceGroup*>& groups = *new std::vector<InstanceGroup*>;

double now_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void release_cpu_state() {
    mb_free(&terrain_builder);
    for (TreeModel& m : tree_models) {
        mb_free(&m.bark);
        mb_free(&m.foliage);
    }
    for (MeshBuilder& m : cover_models) mb_free(&m);
    for (MeshBuilder& b : world_batches) mb_free(&b);
    trees.clear();
    cover.clear();
    obstacles_clear();
    solids_clear();
    world_fires_clear();
}

// The parts of the build this module owns, all on the CPU.
void generate_ground() {
    release_cpu_state();
    report = WorldBuildReport{};
    Rng rng{7};

    double t = now_seconds();
    terrain_builder = terrain_mesh_build();
    double t1 = now_seconds();
    report.t_terrain = t1 - t;

    forest_place(rng, trees);
    for (int i = 0; i < TREE_VARIANTS; ++i) tree_model_build(i, &tree_models[i]);
    for (const TreePlacement& tp : trees) {
        if (tp.zone == 1) report.trees_first_zone++;
        else report.trees_second_zone++;
    }
    double t2 = now_seconds();
    report.t_forests = t2 - t1;

    ground_cover_place(rng, cover);
    for (int k = 0; k < GC_KIND_COUNT; ++k) cover_models[k] = ground_cover_model(k);
    report.ground_cover = (int)cover.size();
    double t3 = now_seconds();
    report.t_ground_cover = t3 - t2;

    props = props_build(rng);
    report.rocks = props.rocks;
    report.obstacles_after_world = obstacle_count();
    report.t_props = now_seconds() - t3;
}

void paint_map() {
    double t = now_seconds();
    world_map_paint();
    report.t_map_image = now_seconds() - t;
}

Material* vegetation_material(int kind, float wind, float translucency) {
    Material m;
    material_init(&m, {1, 1, 1});
    m.vegetation_kind = kind;
    m.double_sided = 1;
    m.wind = wind;
    m.translucency = translucency;
    m.roughness = 0.8f;
    m.light_a = 0.35f;
    return material_copy(m);
}

void create_batch_materials() {
    for (int i = 0; i < WORLD_BATCH_COUNT; ++i) {
        Material m;
        material_init(&m, {1, 1, 1});
        switch (i) {
            case 1: m.light_a = 0.2f; m.roughness = 0.9f; m.surface_kind = 1; m.moss = 0.7f; break;
            case 2: m.noise_on = 1; m.roughness = 0.8f; m.surface_kind = 2; break;
            case 3: m.double_sided = 1; m.pattern_kind = 1; m.pattern_scale = 3.0f; m.roughness = 0.95f; break;
            case 4: m.light_a = 0.2f; m.roughness = 0.9f; m.surface_kind = 3; m.moss = 0.4f; break;
            case 5: m.light_a = 0.2f; m.light_flag_d = 1; break;
            case 6: m.colour = {0.79f, 0.64f, 0.15f}; m.emission = {0.04f, 0.02f, 0}; m.light_flag_d = 1; break;
            case 7: m.colour = {0.01f, 0.008f, 0.008f}; m.no_shadow = 1; m.light_flag_b = 1; break;
            case 8:
                m.colour = {0.3f, 1.0f, 0.45f};
                m.emission = {0.5f, 2.2f, 0.7f};
                m.no_shadow = 1;
                m.light_flag_b = 1;
                break;
            case 9: m.light_a = 0.4f; m.roughness = 0.95f; m.surface_kind = 1; m.moss = 1.0f; break;
            case 10: m.light_a = 0.15f; m.roughness = 0.55f; break;
            case 11: m.light_a = 0.2f; m.roughness = 0.85f; m.surface_kind = 3; m.moss = 0.12f; break;
            case 12:
                m.colour = {0.75f, 0.4f, 1.0f};
                m.emission = {1.4f, 0.45f, 2.2f};
                m.no_shadow = 1;
                m.light_flag_b = 1;
                break;
            default: break;
        }
        world_batch_materials[i] = material_copy(m);
    }
}

void upload_everything() {
    groups.clear();  // a second build replaces the first one's groups
    // Terrain.
    Material tm;
    material_init(&tm, {1, 1, 1});
    tm.light_a = 0.15f;
    tm.no_shadow = 1;
    tm.roughness = 0.95f;
    tm.detail_on = 1;
    terrain_material = material_copy(tm);
    terrain_mesh = mesh_upload(&terrain_builder);

    // Lake.
    MeshBuilder lake = shape_frustum(48, 48, 0.02f, 64, true);
    lake_mesh = mesh_upload(&lake);
    Material lm;
    material_init(&lm, {0.09f, 0.2f, 0.22f});
    lm.emission = {0.002f, 0.006f, 0.008f};
    lm.alpha = 0.82f;
    lm.no_shadow = 1;
    lm.light_flag_c = 1;
    lake_material = material_copy(lm);

    // Trees: one bark group and one foliage group per model.
    Material bark_broad, bark_conifer;
    material_init(&bark_broad, {0.36f, 0.3f, 0.24f});
    bark_broad.surface_kind = 2;
    bark_broad.roughness = 0.9f;
    bark_conifer = bark_broad;
    bark_conifer.colour = {0.32f, 0.23f, 0.17f};
    Material* bark_mats[2] = {material_copy(bark_broad), material_copy(bark_conifer)};
    Material* leaf_mat = vegetation_material(VEG_BROADLEAF, 0.006f, 0.55f);
    Material* needle_mat = vegetation_material(VEG_NEEDLES, 0.004f, 0.35f);
    std::vector<Instance> bark_inst, leaf_inst;
    for (int v = 0; v < TREE_VARIANTS; ++v) {
        bark_inst.clear();
        leaf_inst.clear();
        for (const TreePlacement& tp : trees) {
            if (tree_model_index(tp) != v) continue;
            Mat4 m = tree_matrix(tp);
            float lum = clampf((tp.tint.x + tp.tint.y + tp.tint.z) / 3.0f, 0.85f, 1.1f);
            bark_inst.push_back({m, {lum, lum, lum}, 1.0f});
            leaf_inst.push_back({m, tp.tint, 1.0f});
        }
        bool conifer = v >= BROADLEAF_VARIANTS;
        GpuMesh* bark = mesh_upload(&tree_models[v].bark);
        GpuMesh* leaves = mesh_upload(&tree_models[v].foliage);
        if (bark_inst.empty()) continue;
        groups.push_back(instance_group_build(bark, bark_mats[conifer ? 1 : 0], bark_inst.data(),
                                              (int)bark_inst.size()));
        groups.push_back(instance_group_build(leaves, conifer ? needle_mat : leaf_mat, leaf_inst.data(),
                                              (int)leaf_inst.size()));
    }

    // Ground cover, one group per kind.
    for (int k = 0; k < GC_KIND_COUNT; ++k) {
        std::vector<Instance> inst;
        for (const GroundCoverPlacement& g : cover)
            if (g.kind == k) inst.push_back({ground_cover_matrix(g), g.tint, 1.0f});
        GpuMesh* mesh = mesh_upload(&cover_models[k]);
        if (inst.empty()) continue;
        Material* mat = vegetation_material(ground_cover_vegetation_kind(k), 0.05f, 0.45f);
        groups.push_back(instance_group_build(mesh, mat, inst.data(), (int)inst.size()));
    }

    // The batch materials, and every batch that received something.
    create_batch_materials();
    for (int i = 0; i < WORLD_BATCH_COUNT; ++i) {
        world_batch_meshes[i] = world_batches[i].index_count > 0 ? mesh_upload(&world_batches[i]) : nullptr;
        mb_free(&world_batches[i]);
    }
    world_flames_upload();
}

constexpr Vec3 FIRE_COLOUR = {1.0f, 0.56f, 0.24f};

bool near_camera(Vec3 eye, Vec3 p, float d) {
    float dx = p.x - eye.x, dz = p.z - eye.z;
    return dx * dx + dz * dz < d * d;
}

void submit_lights(Vec3 eye, double t) {
    float f = world_fire_flicker();
    int n = world_fire_count();
    auto fire = [&](int index, float near, float intensity, float range) {
        if (index < 0 || index >= n) return;
        Vec3 p = world_fire_position(index);
        if (near_camera(eye, p, near)) render_add_fire(p + Vec3{0, 0.6f, 0}, FIRE_COLOUR * intensity, range);
    };
    fire(props.fire_felon, 60.0f, 1.1f * f, 13.0f);
    Vec3 glow = {-20.0f, ground_height(-20, -995) + 2.6f, -995.0f};
    if (near_camera(eye, glow, 70.0f)) {
        float k = 1.6f + 0.25f * (float)std::sin(1.7 * t);
        render_add_fire(glow, {0.25f * k, k, 0.4f * k}, 11.0f);
    }
    fire(props.fire_brigand, 60.0f, 1.1f * f, 13.0f);
    fire(props.torch_cave_a, 60.0f, 1.3f + 0.2f * (float)std::sin(9.0 * t), 9.0f);
    fire(props.torch_cave_b, 60.0f, 1.3f + 0.2f * (float)std::sin(9.0 * t + 2.1), 9.0f);
    settlements_submit_lights(eye, f);
    fire(props.fire_goblin, 60.0f, 1.2f * f, 14.0f);
}

}  // namespace

void fill_atmosphere(float camera_z) {
    Atmosphere& a = atmosphere;
    a.sun_dir = {-0.452f, 0.616f, 0.645f};
    a.sun_colour = {1.0f, 0.91f, 0.76f};
    a.zenith = {0.16f, 0.4f, 0.86f};
    a.horizon = {0.98f, 0.8f, 0.56f};
    a.ground = {0.42f, 0.48f, 0.3f};
    a.fog = {0.64f, 0.71f, 0.8f};
    a.fog_density = 0.0018f;
    a.saturation = 1.03f;
    a.contrast = 1.04f;
    a.exposure = 1.0f;
    a.ao = world_calls.quality_level() == 2 ? 0.85f : 0.0f;
    float s = sstep((320.0f + camera_z) / -220.0f);
    if (s > 0.0f) {
        a.sun_colour = {1.0f - 0.154f * s, 0.91f - 0.077f * s, 0.76f - 0.014f * s};
        a.zenith = {0.16f + 0.084f * s, 0.4f, 0.86f - 0.216f * s};
        a.horizon = {0.98f - 0.288f * s, 0.8f - 0.112f * s, 0.56f + 0.032f * s};
        a.ground = {0.42f - 0.112f * s, 0.48f - 0.112f * s, 0.3f - 0.042f * s};
        a.fog = {0.64f - 0.22f * s, 0.71f - 0.21f * s, 0.8f - 0.34f * s};
        a.fog_density = 0.0018f + 0.0092f * s;
        a.saturation = 1.03f - 0.15f * s;
    }
    a.time = (float)game_clock;
}

void world_generate() {
    world_map_drop();
    generate_ground();
    paint_map();
}

// The ground's CPU work (terrain, forests, ground cover, rocks and props)
// needs neither the window nor the GPU: it starts before them. What it reads
// besides its own output is constant data and the terrain formulas.
static PlatThread ground_worker;

static void ground_worker_body(void*) { generate_ground(); }

void world_ground_start() {
    world_map_drop();
    // A refused thread leaves the ground to world_build, on this thread.
    if (!ground_worker.started) plat_thread_start(&ground_worker, ground_worker_body, nullptr);
}

void world_ground_wait() { plat_thread_join(&ground_worker); }

void world_build() {
    world_map_drop();
    if (ground_worker.started)
        world_ground_wait();
    else
        generate_ground();
    camelot_build();
    landmarks_build();
    solids_seal();
    catacomb_maze_generate();
    // The catacombs' geometry is made at the first descent.
    upload_everything();
    species_models_build();
    world_calls.populate();
    // The map image is not needed on the screens before play: it is painted
    // behind them (or when first asked for), with the obstacles of now.
    world_map_paint_later();
    report.t_map_image = 0.0;
}

void world_submit() {
    // The catacombs draw and light themselves and fill the atmosphere.
    if (game_flags.underground) return;
    Vec3 eye = render_camera.eye;
    if (terrain_mesh) render_add(terrain_mesh, terrain_material, mat4_identity(), {1, 1, 1});
    for (int i = 0; i < WORLD_BATCH_COUNT; ++i)
        if (world_batch_meshes[i]) render_add(world_batch_meshes[i], world_batch_materials[i], mat4_identity(), {1, 1, 1});
    for (InstanceGroup* g : groups) render_add_group(g);
    if (lake_mesh) render_add(lake_mesh, lake_material, mat4_translate({LAKE_X, -0.6f, LAKE_Z}), {1, 1, 1});
    world_flames_submit(game_clock);
    submit_lights(eye, game_clock);
    fill_atmosphere(eye.z);
    atmosphere.shadow_focus = render_camera.target;
}

const WorldBuildReport& world_build_report() { return report; }

const std::vector<TreePlacement>& world_trees() { return trees; }
const std::vector<GroundCoverPlacement>& world_ground_cover() { return cover; }
