// The catacombs: the start-up build of the maze and its stone, the time to
// enter (garrison included), and one frame inside the ossuary with its
// guards fighting the player: processor time of the simulation steps and of
// the draw submissions, draw calls, lights.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/gpu_table.h"
#include "bench/measure.h"
#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/player.h"
#include "render/renderer.h"
#include "render/hud.h"
#include "render/ui.h"
#include "play/catacomb_visits.h"
#include "render/hud.h"
#include "ui/hud_draw.h"

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 60;
    if (frames < 1) frames = 1;
    headless_set_window_size(1280, 720);
    headless_set_time_step(1.0 / 60.0);
    if (game_startup() != 0 || !headless_has_context()) {
        std::printf("no GL context\n");
        return 1;
    }
    catacomb_geometry_build();  // what the first descent does before anything else
    const CatacombGeometryReport& g = catacomb_geometry_report();
    std::printf("build of the catacombs at the first descent (maze, geometry, upload): %.1f ms; %d meshes, %d vertices, "
                "%d braziers, %d niches, %d bone piles, %d pilasters, %d sarcophagi\n",
                g.build_ms, g.chunk_meshes, g.vertices, g.braziers, g.niches, g.bone_piles, g.pillars, g.sarcophagi);

    player.pos_x = 48.0f;
    player.pos_z = 328.0f;
    double enter = 0, worst_enter = 0;
    const int visits = 10;
    for (int v = 0; v < visits; ++v) {
        auto t = Clock::now();
        catacombs_enter();
        double e = ms_since(t);
        enter += e;
        if (e > worst_enter) worst_enter = e;
        if (v + 1 < visits) catacombs_leave();
    }
    int garrison = 0;
    for (const Creature& c : creatures) garrison += c.in_use && c.world == 1;
    std::printf("entering (garrison of %d): %.3f ms average over %d visits, worst %.3f ms\n", garrison,
                enter / visits, visits, worst_enter);

    // In the ossuary's south door, its guards coming for the player.
    player.pos_x = 1048.0f;
    player.pos_z = 42.5f;
    player.heading = player.camera_yaw = 0.0f;
    player.max_health = player.health = 1e9f;
    double sim = 0, submit = 0, render = 0, worst_sim = 0, worst_submit = 0;
    for (int f = 0; f < frames; ++f) {
        plat_pump();
        auto t = Clock::now();
        hud_update(1.0f / 60.0f);
        player_update(1.0f / 60.0f);
        creatures_update(1.0f / 60.0f);
        catacombs_update(1.0f / 60.0f);
        double s = ms_since(t);
        t = Clock::now();
        render_begin_frame();
        player_submit();
        creatures_submit();
        catacombs_submit();
        double u = ms_since(t);
        t = Clock::now();
        render_frame();
        render += ms_since(t);
        sim += s;
        submit += u;
        if (s > worst_sim) worst_sim = s;
        if (u > worst_submit) worst_submit = u;
    }
    int fighting = 0;
    for (const Creature& c : creatures) fighting += c.in_use && c.world == 1 && c.ai_state == CS_FIGHT;
    std::printf("per frame inside over %d frames (%d creatures fighting at the end): simulation %.3f ms "
                "(worst %.3f), submission %.3f ms (worst %.3f), render_frame %.1f ms (software renderer)\n",
                frames, fighting, sim / frames, worst_sim, submit / frames, worst_submit, render / frames);
    std::printf("draw calls in the last frame: %d, fire lights %d\n", render_stats().draw_calls,
                atmosphere.fire_count);
    const int drawn = argc > 2 ? std::atoi(argv[2]) : 2;
    measure_qualities("ossuary at 1280x720", drawn < 1 ? 1 : drawn, [] {
        plat_pump();
        render_begin_frame();
        player_submit();
        creatures_submit();
        catacombs_submit();
        render_frame();
        hud_draw();
        ui_flush();
    });
    return 0;
}
