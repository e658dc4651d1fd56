// The fires of the world: the flames the landmark builders add, their
// flicker, and the flames drawn each frame with the world submission.
#include <cmath>
#include <vector>

#include "render/renderer.h"
#include "render/mesh.h"
#include "world/world.h"

namespace {

struct Fire { Vec3 position; float size; };
std::vector<Fire> fires;
float flicker = 2.6f;

GpuMesh* flame_mesh = nullptr;
Material* flame_material = nullptr;

}  // namespace

float fire_flicker_at(double t) {
    return 2.6f + 0.4f * (float)std::sin(13.0 * t) + 0.3f * (float)std::sin(7.3 * t);
}

float world_fire_flicker() { return flicker; }

void world_fires_step(double t) { flicker = fire_flicker_at(t); }

void world_add_fire(Vec3 position, float size) { fires.push_back({position, size}); }
int world_fire_count() { return (int)fires.size(); }
Vec3 world_fire_position(int i) { return fires[(size_t)i].position; }

void world_fires_clear() { fires.clear(); }

MeshBuilder world_flame_shape() {
    MeshBuilder b = shape_ellipsoid(0.28f, 0.55f, 0.28f, 10);
    // Narrow the top into a tongue of flame.
    for (int i = 0; i < b.vertex_count; ++i) {
        Vec3& p = b.vertices[i].position;
        float k = 1.0f - 0.75f * clampf((p.y + 0.1f) / 0.65f, 0.0f, 1.0f);
        p.x *= k;
        p.z *= k;
        p.y += 0.5f;
        b.vertices[i].colour = lerp(Vec3{1.0f, 0.55f, 0.15f}, Vec3{1.0f, 0.9f, 0.5f}, clampf(1.0f - p.y, 0, 1));
    }
    return b;
}

void world_flames_upload() {
    if (flame_mesh) return;
    MeshBuilder b = world_flame_shape();
    flame_mesh = mesh_upload(&b);
    Material m;
    material_init(&m, {1.0f, 0.7f, 0.3f});
    m.emission = {2.4f, 1.1f, 0.25f};
    m.light_flag_b = 1;
    m.no_shadow = 1;
    m.alpha = 0.9f;
    flame_material = material_copy(m);
}

void world_flames_submit(double t) {
    if (!flame_mesh) return;
    for (size_t i = 0; i < fires.size(); ++i) {
        float fi = (float)i;
        float hs = 0.8f + 0.35f * std::fabs((float)std::sin((1.7f * fi + 6.0f) * t + fi));
        float s = fires[i].size;
        Mat4 m = mat4_from_prs(fires[i].position, {0, 0, 0}, {s, s * hs, s});
        render_add(flame_mesh, flame_material, m, {1, 1, 1});
    }
}
