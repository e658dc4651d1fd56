// One frame of the real game at the spawn point, on the headless backend:
// processor time of the simulation steps and of the draw submissions (what a
// real GPU driver does not take off our hands), draw calls per frame, and the
// resident memory after start-up. render_frame itself is timed apart: on a
// software renderer it includes the drawing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/measure.h"
#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "render/renderer.h"
#include "play/creatures.h"
#include "render/hud.h"
#include "play/ambience.h"
#include "play/villagers.h"
#include "world/world.h"

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 20;
    if (frames < 1) frames = 1;
    headless_set_window_size(1280, 720);
    headless_set_time_step(1.0 / 60.0);
    auto t0 = Clock::now();
    if (game_startup() != 0 || !headless_has_context()) {
        std::printf("no GL context\n");
        return 1;
    }
    std::printf("start-up (GL, sound bank, world, models): %.0f ms, resident memory %.1f MiB\n", ms_since(t0),
                resident_kib() / 1024.0);

    // Running forward through the forest edge: the busiest view near the spawn.
    plat_input.key_down[bindings[BIND_FORWARD]] = 1;
    double sim = 0, submit = 0, render = 0, worst_sim = 0, worst_submit = 0;
    int draws = 0;
    for (int f = 0; f < frames; ++f) {
        plat_pump();
        plat_input.key_down[bindings[BIND_FORWARD]] = 1;
        auto t = Clock::now();
        hud_update(1.0f / 60.0f);
        player_update(1.0f / 60.0f);
        creatures_update(1.0f / 60.0f);
        world_ambience_step(1.0f / 60.0f);
        villagers_step(1.0f / 60.0f);
        double s = ms_since(t);
        t = Clock::now();
        render_begin_frame();
        player_submit();
        creatures_submit();
        world_submit();
        ambience_submit();
        double u = ms_since(t);
        t = Clock::now();
        render_frame();
        render += ms_since(t);
        sim += s;
        submit += u;
        if (s > worst_sim) worst_sim = s;
        if (u > worst_submit) worst_submit = u;
        draws = render_stats().draw_calls;
    }
    std::printf("per frame over %d frames: simulation %.3f ms (worst %.3f), submission %.3f ms (worst %.3f), "
                "render_frame %.1f ms (software renderer)\n",
                frames, sim / frames, worst_sim, submit / frames, worst_submit, render / frames);
    std::printf("draw calls in the last frame: %d (list preparation %.3f ms)\n", draws,
                (double)render_stats().prepare_ms);
    return 0;
}
