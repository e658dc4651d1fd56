// Camelot's share of the start-up and of a frame: the town and landmark
// builders on the CPU, the townsfolk's figures, the whole world build, and a
// frame looking over the town from the market (simulation and submission
// time on the processor, draw calls, what the town adds to the lists), then
// the same view at each quality with the GPU time of each pass.
// Usage: bench_camelot [frames=30] [frames per quality=2]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/gpu_table.h"
#include "bench/measure.h"
#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "world/camelot.h"
#include "world/landmarks.h"
#include "render/mesh.h"
#include "world/terrain.h"
#include "world/world.h"
#include "play/ambience.h"
#include "play/villagers.h"
#include "ui/hud_draw.h"

static long batch_vertices() {
    long n = 0;
    for (int i = 0; i < WORLD_BATCH_COUNT; ++i) n += world_batches[i].vertex_count;
    return n;
}

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 30;
    if (frames < 1) frames = 1;

    // The builders alone, on the CPU, after the rest of the world.
    world_generate();
    long v0 = batch_vertices();
    int o0 = obstacle_count();
    auto t = Clock::now();
    camelot_build();
    double town_ms = ms_since(t);
    long v1 = batch_vertices();
    int o1 = obstacle_count();
    t = Clock::now();
    landmarks_build();
    double land_ms = ms_since(t);
    std::printf("camelot_build %.1f ms (%d houses, %d torches, %ld vertices, %d obstacles)\n", town_ms,
                camelot_lot_count(), camelot_torch_count(), v1 - v0, o1 - o0);
    std::printf("landmarks_build %.1f ms (%ld vertices, %d obstacles, %d fires)\n", land_ms, batch_vertices() - v1,
                obstacle_count() - o1, landmark_fire_count());

    headless_set_window_size(1280, 720);
    headless_set_time_step(1.0 / 60.0);
    t = Clock::now();
    if (game_startup() != 0 || !headless_has_context()) {
        std::printf("no GL context\n");
        return 1;
    }
    std::printf("game start-up (GL, sound, whole world with uploads, townsfolk): %.0f ms\n", ms_since(t));
    t = Clock::now();
    world_build();
    std::printf("world_build again: %.0f ms\n", ms_since(t));
    t = Clock::now();
    villagers_build();
    std::printf("villagers_build (figures already made: state only): %.2f ms\n", ms_since(t));

    // In the market, looking north-east over the roofs toward the castle.
    bindings_reset();
    player_reset_new();
    game_flags.title_overlay = 0;
    Vec3 p = camelot_point(-52.0f, -10.0f);
    player.pos_x = p.x;
    player.pos_y = p.y;
    player.pos_z = p.z;
    player.camera_yaw = 1.0f;
    player.heading = 1.0f;
    player.camera_pitch = 0.12f;
    double sim = 0, submit = 0, render = 0;
    int draws = 0, listed = 0, town_listed = 0;
    for (int f = 0; f < frames; ++f) {
        plat_pump();
        auto a = Clock::now();
        player_update(1.0f / 60.0f);
        world_ambience_step(1.0f / 60.0f);
        villagers_step(1.0f / 60.0f);
        double s = ms_since(a);
        a = Clock::now();
        render_begin_frame();
        player_submit();
        world_submit();
        int before = render_draw_count();
        ambience_submit();
        town_listed = render_draw_count() - before;
        listed = render_draw_count();
        double u = ms_since(a);
        a = Clock::now();
        render_frame();
        render += ms_since(a);
        sim += s;
        submit += u;
        draws = render_stats().draw_calls;
    }
    std::printf("market view over %d frames: simulation %.3f ms, submission %.3f ms, render_frame %.1f ms "
                "(software renderer)\n",
                frames, sim / frames, submit / frames, render / frames);
    std::printf("draw list %d items (%d of them townsfolk parts), draw calls %d in all passes; the town's static "
                "geometry is in the %d world batches\n",
                listed, town_listed, draws, WORLD_BATCH_COUNT);
    const int drawn = argc > 2 ? std::atoi(argv[2]) : 2;
    measure_qualities("market view at 1280x720", drawn < 1 ? 1 : drawn, [] {
        plat_pump();
        render_begin_frame();
        player_submit();
        world_submit();
        ambience_submit();
        render_frame();
        hud_draw();
        ui_flush();
    });
    return 0;
}
