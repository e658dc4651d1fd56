// The world ambience step (fire flicker, creature top-up timers), the zone
// banner, and the per-frame fire flames.
#include "world/ambience.h"

#include <cmath>
#include <vector>

#include "platform/main_loop.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "world/mesh.h"
#include "world/terrain.h"
#include "world/villagers.h"
#include "world/world.h"
#include "world/population.h"

namespace {

struct Fire { Vec3 position; float size; };
std::vector<Fire> fires;
float flicker = 2.6f;

// Timers start at 0 so the first top-ups happen on the first frame; the
// second-zone roamers wait 4 s.
float t_camps = 0, t_wanderers = 0, t_goblins = 0, t_bears = 4.0f, t_guards = 0;
int previous_zone = -1;

GpuMesh* flame_mesh = nullptr;
Material* flame_material = nullptr;

bool tick(float* timer, float dt, float period) {
    *timer -= dt;
    if (*timer > 0.0f) return false;
    *timer += period;
    if (*timer < 0.0f) *timer = period;
    return true;
}

}  // namespace

float fire_flicker_at(double t) {
    return 2.6f + 0.4f * (float)std::sin(13.0 * t) + 0.3f * (float)std::sin(7.3 * t);
}

float world_fire_flicker() { return flicker; }

void world_add_fire(Vec3 position, float size) { fires.push_back({position, size}); }
int world_fire_count() { return (int)fires.size(); }
Vec3 world_fire_position(int i) { return fires[(size_t)i].position; }

void world_fires_clear() { fires.clear(); }

void world_flames_upload() {
    if (flame_mesh) return;
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

const char* zone_banner_step(float player_z) {
    int zone = player_z < -400.0f ? 1 : 0;
    int prev = previous_zone;
    previous_zone = zone;
    if (prev < 0 || prev == zone) return nullptr;
    return zone == 1 ? "La Gaste Forêt\nniveaux 11 à 20" : "Forêt de Tervanne\nniveaux 1 à 10";
}

void zone_banner_reset() { previous_zone = -1; }

unsigned ambience_timers_step(float dt, bool second_zone) {
    unsigned due = 0;
    if (tick(&t_camps, dt, 20.0f)) due |= AMB_CAMPS;
    if (tick(&t_wanderers, dt, 10.0f)) due |= AMB_WANDERERS;
    if (tick(&t_goblins, dt, 15.0f)) due |= AMB_GOBLINS;
    // The roamers' timer only runs while the player is in the second zone.
    if (second_zone && tick(&t_bears, dt, 8.0f)) due |= AMB_GASTE_BEARS;
    if (tick(&t_guards, dt, 30.0f)) due |= AMB_CAVE_GUARDS;
    return due;
}

void world_ambience_reset() {
    t_camps = t_wanderers = t_goblins = t_guards = 0.0f;
    t_bears = 4.0f;
    previous_zone = -1;
}

void world_ambience_step(float dt) {
    if (underground) return;
    flicker = fire_flicker_at(game_clock);
    unsigned due = ambience_timers_step(dt, in_gaste(player.pos_z));
    if (due & AMB_CAMPS) ambience_top_up_camps();
    if (due & AMB_WANDERERS) ambience_wanderers_step();
    if (due & AMB_GOBLINS) ambience_goblins_step();
    if (due & AMB_GASTE_BEARS) ambience_gaste_bears_step();
    if (due & AMB_CAVE_GUARDS) ambience_cave_guards_step();
    const char* banner = zone_banner_step(player.pos_z);
    if (banner) hud_message(banner, 3.0f);
}

void ambience_update(float dt) { world_ambience_step(dt); }

// The zone banner is the last step of world_ambience_step, which the main
// loop runs just before this; the townsfolk of Camelot move here.
void zones_update(float dt) { villagers_step(dt); }

// The flames are part of the world submission; the townsfolk are drawn here.
void ambience_submit() { villagers_submit(); }
