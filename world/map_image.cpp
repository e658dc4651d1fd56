// The surface map image: ground paint with hill shade, the lake by depth, the
// town plan, and every obstacle stamped on top. Kept in memory so that it can
// be uploaded again after the catacombs replaced it.
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "render/ui.h"
#include "world/terrain.h"
#include "world/terrain_fast.h"
#include "world/terrain_paint.h"
#include "world/world.h"
#include "world/camelot.h"

namespace {

uint8_t* pixels = nullptr;

inline uint8_t to_byte(float v) {
    v = v * 255.0f + 0.5f;
    if (!(v > 0.0f)) return 0;
    if (v > 255.0f) return 255;
    return (uint8_t)v;
}

constexpr float PIXEL = WORLD_MAP_SPAN / (float)WORLD_MAP_SIZE;

// Per-column sines at x and x +- 1 m, for the height and the hill shade.
std::vector<TerrainXTerms> column_terms;

void paint_rows(int r0, int r1) {
    for (int r = r0; r < r1; ++r) {
        float z = WORLD_MAP_Z0 + ((float)r + 0.5f) * PIXEL;
        TerrainZTerms zt = terrain_z_terms(z);
        uint8_t* row = pixels + (size_t)r * WORLD_MAP_SIZE * 4;
        for (int c = 0; c < WORLD_MAP_SIZE; ++c) {
            float x = WORLD_MAP_X0 + ((float)c + 0.5f) * PIXEL;
            const TerrainXTerms* xt = &column_terms[(size_t)c * 3];
            float h = ground_height_terms(x, z, xt[0], zt);
            Vec3 col;
            if (!(in_camelot_square(x, z, 8.0f) && camelot_map_colour(x, z, &col))) {
                float shade = clampf((ground_height_terms(x - 1.0f, z, xt[1], zt) -
                                      ground_height_terms(x + 1.0f, z, xt[2], zt)) * 0.35f + 0.85f,
                                     0.6f, 1.2f);
                float lx = x - LAKE_X, lz = z - LAKE_Z;
                if (h < -0.6f && lx * lx + lz * lz < LAKE_RADIUS * LAKE_RADIUS) {
                    float d = clampf((-0.6f - h) * 0.4f, 0.0f, 1.0f);
                    col = {0.2f - 0.08f * d, 0.45f - 0.15f * d, 0.62f - 0.12f * d};
                } else {
                    col = ground_paint(x, z) * shade;
                }
            }
            row[c * 4 + 0] = to_byte(col.x);
            row[c * 4 + 1] = to_byte(col.y);
            row[c * 4 + 2] = to_byte(col.z);
            row[c * 4 + 3] = 255;
        }
    }
}

void stamp_disc(float x, float z, float radius, const float colour[3]) {
    float c0 = (x - radius - WORLD_MAP_X0) / PIXEL, c1 = (x + radius - WORLD_MAP_X0) / PIXEL;
    float r0 = (z - radius - WORLD_MAP_Z0) / PIXEL, r1 = (z + radius - WORLD_MAP_Z0) / PIXEL;
    if (!(c1 >= 0.0f && r1 >= 0.0f && c0 < (float)WORLD_MAP_SIZE && r0 < (float)WORLD_MAP_SIZE)) return;
    int ic0 = c0 < 0.0f ? 0 : (int)c0, ir0 = r0 < 0.0f ? 0 : (int)r0;
    int ic1 = c1 > (float)(WORLD_MAP_SIZE - 1) ? WORLD_MAP_SIZE - 1 : (int)c1;
    int ir1 = r1 > (float)(WORLD_MAP_SIZE - 1) ? WORLD_MAP_SIZE - 1 : (int)r1;
    for (int r = ir0; r <= ir1; ++r) {
        float pz = WORLD_MAP_Z0 + ((float)r + 0.5f) * PIXEL - z;
        for (int c = ic0; c <= ic1; ++c) {
            float px = WORLD_MAP_X0 + ((float)c + 0.5f) * PIXEL - x;
            if (px * px + pz * pz > radius * radius) continue;
            uint8_t* p = pixels + ((size_t)r * WORLD_MAP_SIZE + (size_t)c) * 4;
            for (int k = 0; k < 3; ++k) {
                float v = 0.35f * (float)p[k] + colour[k];
                p[k] = v > 255.0f ? 255 : (uint8_t)(v + 0.5f);
            }
        }
    }
}

// Rows are independent: the painters take them in chunks from one counter,
// so the result does not depend on who painted what, nor on how many
// painters could start.
constexpr int CHUNK_ROWS = 32;
// Behind the screens with no painter, the caller paints this many a frame.
constexpr int FRAME_ROWS = 8;
constexpr int MAX_PAINTERS = 7;
std::atomic<int> next_row{0};
std::atomic<int> rows_painted{0};
PlatThread painters[MAX_PAINTERS];
int painter_count = 0;
// Waiting: the world is built and its obstacles kept, nothing painted yet.
enum class MapState { none, waiting, painting, painted } state = MapState::none;
bool uploaded = false;  // the painted picture is the HUD's map image
// The obstacles stamped on the map: those standing when the world build
// ended, so that a map painted later shows what one painted then would.
std::vector<Obstacle> kept_obstacles;

// Paints the next rows; false when none was left.
bool paint_next(int rows) {
    int r0 = next_row.fetch_add(rows);
    if (r0 >= WORLD_MAP_SIZE) return false;
    int r1 = r0 + rows < WORLD_MAP_SIZE ? r0 + rows : WORLD_MAP_SIZE;
    paint_rows(r0, r1);
    rows_painted.fetch_add(r1 - r0);
    return true;
}

void paint_chunks() {
    while (paint_next(CHUNK_ROWS)) {
    }
}

void painter_body(void*) { paint_chunks(); }

void join_painters() {
    for (int i = 0; i < painter_count; ++i) plat_thread_join(&painters[i]);
    painter_count = 0;
}

void stop_painters() {
    next_row.store(WORLD_MAP_SIZE);
    join_painters();
}

void stamp_obstacles(const Obstacle* obs, int count) {
    static const float tree_col[3] = {16.6f, 43.1f, 13.3f};
    static const float small_col[3] = {74.6f, 69.6f, 66.3f};
    static const float large_col[3] = {91.2f, 87.8f, 82.9f};
    for (int i = 0; i < count; ++i) {
        const Obstacle& o = obs[i];
        if (in_camelot_square(o.x, o.z, 0.0f)) continue;
        if (o.radius <= 3.0f && o.height >= 5.0f) stamp_disc(o.x, o.z, 2.2f, tree_col);
        else if (o.radius <= 3.0f) stamp_disc(o.x, o.z, std::fmax(o.radius, 0.8f), small_col);
        else stamp_disc(o.x, o.z, o.radius, large_col);
    }
}

// Every processor this process may use but the caller's (affinity and CPU
// quota, not the machine's count: painters beyond them only take turns).
unsigned other_cores() {
    int n = plat_usable_processors();
    if (n > MAX_PAINTERS + 1) n = MAX_PAINTERS + 1;
    return n > 1 ? (unsigned)(n - 1) : 0u;
}

void start_painters(unsigned helpers) {
    // A picture half painted for an earlier build is dropped.
    stop_painters();
    if (!pixels) pixels = (uint8_t*)std::malloc((size_t)WORLD_MAP_SIZE * WORLD_MAP_SIZE * 4);
    if (!pixels) {
        state = MapState::none;
        return;
    }
    // The painters read the terrain formulas, constant tables, the town plan
    // and the column terms below, none of which changes while they run.
    column_terms.resize((size_t)WORLD_MAP_SIZE * 3);
    for (int c = 0; c < WORLD_MAP_SIZE; ++c) {
        float x = WORLD_MAP_X0 + ((float)c + 0.5f) * PIXEL;
        column_terms[(size_t)c * 3] = terrain_x_terms(x);
        column_terms[(size_t)c * 3 + 1] = terrain_x_terms(x - 1.0f);
        column_terms[(size_t)c * 3 + 2] = terrain_x_terms(x + 1.0f);
    }
    next_row.store(0);
    rows_painted.store(0);
    state = MapState::painting;
    uploaded = false;
    // A painter the system refuses leaves its rows to the caller.
    for (unsigned i = 0; i < helpers && painter_count < MAX_PAINTERS; ++i) {
        if (!plat_thread_start(&painters[painter_count], painter_body, nullptr)) break;
        ++painter_count;
    }
    // Painters still running at exit would read the world as it is
    // destroyed: they stop first (what they read was made before this).
    static bool stop_at_exit = std::atexit(stop_painters) == 0;
    (void)stop_at_exit;
}

// The caller paints what is left with the painters, then stamps.
void finish_painting() {
    paint_chunks();
    join_painters();
    stamp_obstacles(kept_obstacles.data(), (int)kept_obstacles.size());
    state = MapState::painted;
}

// The picture, painted now on every core if it is not yet.
bool map_painted() {
    if (state == MapState::waiting) start_painters(other_cores());
    if (state == MapState::painting) finish_painting();
    return state == MapState::painted;
}

}  // namespace

void world_map_paint() {
    world_map_paint_later();
    map_painted();
}

void world_map_drop() {
    stop_painters();
    state = MapState::none;
    uploaded = false;
}

void world_map_paint_later() {
    stop_painters();
    kept_obstacles.assign(obstacle_list(), obstacle_list() + obstacle_count());
    state = MapState::waiting;
    uploaded = false;
}

void world_map_step(bool needed_now) {
    if (uploaded || state == MapState::none) return;
    if (!needed_now) {
        // Behind the screen in front of play, on half the other cores (at
        // least one) so that its frames keep their pace; gathered once every
        // row is done. With no painter (a single processor, or threads
        // refused) this thread paints a few rows a frame.
        unsigned others = other_cores();
        unsigned helpers = others / 2 > 0 ? others / 2 : others;
        if (state == MapState::waiting) start_painters(helpers);
        if (state == MapState::painting && painter_count == 0) paint_next(FRAME_ROWS);
        if (state == MapState::painting && rows_painted.load() < WORLD_MAP_SIZE) return;
    }
    // Below ground the catacombs' map is shown: the surface's goes up on the
    // way out (catacombs_leave).
    if (game_flags.underground) {
        map_painted();
        return;
    }
    world_map_upload();
}

bool world_map_ready() { return state == MapState::painted; }

const uint8_t* world_map_pixels() { return map_painted() ? pixels : nullptr; }

void world_map_upload() {
    if (!map_painted()) return;
    ui_map_upload(pixels, WORLD_MAP_SIZE, WORLD_MAP_SIZE);
    uploaded = true;
}

uint32_t world_map_checksum() {
    if (!map_painted()) return 0;
    uint32_t h = 2166136261u;
    size_t n = (size_t)WORLD_MAP_SIZE * WORLD_MAP_SIZE * 4;
    for (size_t i = 0; i < n; ++i) {
        h ^= pixels[i];
        h *= 16777619u;
    }
    return h;
}
