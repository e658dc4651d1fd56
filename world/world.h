#pragma once
// The outdoor world as a whole: the build, the per-frame submission, the
// fires, the map image and the figures of the last build. The ground and
// obstacle queries are in world/terrain.h.
#include <cstdint>

#include "common/mathx.h"

// Start-up: world_build() = world_generate() + GPU uploads and the start-up
// content of other subsystems. world_generate() is the CPU part alone
// (terrain, forests, ground cover, props, map image) and needs no GL context;
// it resets and rebuilds everything it owns, obstacles included.
void world_generate();
void world_build();

// ---- Fires ------------------------------------------------------------------
// A flame drawn flickering each frame; landmark builders add their camp fires
// here. world_submit lists the lights of its own camps and cave torches;
// those of Camelot, the hamlet and the wild sites are listed by
// settlements_submit_lights (world/camelot.h).
void world_add_fire(Vec3 position, float size);
struct MeshBuilder;
// The flame's shape, shared by the camp fires and the catacomb braziers.
MeshBuilder world_flame_shape();
int world_fire_count();
// The flicker value of this frame (2.6 + 0.4 sin 13t + 0.3 sin 7.3t).
float world_fire_flicker();
float fire_flicker_at(double t);
// Once per frame above ground, by the ambience step: the flicker of game time t.
void world_fires_step(double t);

// ---- Map image ----------------------------------------------------------------
constexpr int WORLD_MAP_SIZE = 2048;
constexpr float WORLD_MAP_X0 = -910.0f, WORLD_MAP_Z0 = -1310.0f, WORLD_MAP_SPAN = 1820.0f;
// world_build leaves the map unpainted: the screens before play do not show
// it. It is painted on the other cores from world_map_step(false), or on
// every core at once by any call below that needs it.
// RGBA, rows from z = -1310 upward, WORLD_MAP_SIZE^2 * 4 bytes; null before the build.
const uint8_t* world_map_pixels();
// Uploads the surface map as the HUD's map image (again after the catacombs).
void world_map_upload();
// Once a frame: needed_now paints what is left and uploads; otherwise the
// painting goes on behind and the picture is uploaded once it is done.
void world_map_step(bool needed_now);
// The end of world_build: the obstacles standing now are the ones the map
// will show, however late it is painted.
void world_map_paint_later();
// Whether the picture is painted (it may not be uploaded yet).
bool world_map_ready();
// FNV-1a of the map pixels: tests compare it between runs.
uint32_t world_map_checksum();

// ---- Figures of the last build ------------------------------------------------
struct WorldBuildReport {
    int trees_first_zone;
    int trees_second_zone;
    int ground_cover;
    int rocks;
    int obstacles_after_world;  // before Camelot and later builders
    // Seconds spent in each phase of world_generate.
    double t_terrain, t_forests, t_ground_cover, t_props, t_map_image;
};
const WorldBuildReport& world_build_report();

// ---- Atmosphere--------------------------------------------------------------------
// The atmosphere record for a camera at camera_z: forest values, blended
// toward the second zone's gloom south of z = -320.
void fill_atmosphere(float camera_z);

// The world's CPU part on a worker, ahead of world_build; where no thread can
// be had, world_build does it on the calling thread, to the same result.
void world_ground_start();
void world_ground_wait();
void world_submit();
