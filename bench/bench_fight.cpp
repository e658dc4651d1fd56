// The busiest fight: an archer in the middle of a goblin camp that fights
// back, 40 arrows in flight, four bramble holds, a trap and the arrow rain.
// Reports the processor time of the simulation and of the draw submissions
// per frame, and the draw calls of a drawn frame.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "bench/gpu_table.h"
#include "bench/measure.h"
#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "platform/platform.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "play/player.h"
#include "play/skills.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "world/terrain.h"
#include "play/ambience.h"
#include "world/world.h"
#include "ui/hud_draw.h"

static void keep_arrows_flying() {
    // Every arrow that has landed is shot again from above the camp.
    for (int i = 0; i < PLAYER_ARROW_CAPACITY; ++i) {
        const PlayerArrow& a = player_arrows[i];
        if (a.active && !a.stuck) continue;
        float ang = (float)i * 0.157f;
        spawn_arrow({player.pos_x + std::sin(ang) * 6.0f, player.pos_y + 6.0f, player.pos_z + std::cos(ang) * 6.0f},
                    {std::sin(ang) * 30.0f, 18.0f, std::cos(ang) * 30.0f}, ARROW_PLAIN);
    }
}

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 200;
    int drawn = argc > 2 ? std::atoi(argv[2]) : 3;
    headless_set_window_size(1280, 720);
    headless_set_time_step(1.0 / 60.0);
    if (game_startup() != 0 || !headless_has_context()) {
        std::printf("no GL context\n");
        return 1;
    }
    game_flags.title_overlay = 0;
    Vec3 at = {80.0f, ground_height(80.0f, 60.0f), 60.0f};
    player.player_class = CLASS_ARCHER;
    player.pos_x = at.x;
    player.pos_y = at.y;
    player.pos_z = at.z;
    set_level_and_experience(20, 0);
    player.max_health = player.health = 1e9f;  // the camp must not end the measure

    // A camp of twelve goblins and its chief, all fighting.
    Creature* camp[13];
    for (int i = 0; i < 12; ++i) {
        float a = (float)i * 0.52f, r = 3.0f + (float)(i % 3) * 2.0f;
        float x = at.x + std::sin(a) * r, z = at.z + std::cos(a) * r;
        camp[i] = spawn_creature(SP_GOBLIN, {x, ground_height(x, z), z}, at);
    }
    camp[12] = spawn_elite(ELITE_GROGNARD, {at.x + 6, ground_height(at.x + 6, at.z), at.z}, at);
    for (Creature* c : camp)
        if (c) {
            c->max_health = c->health = 1e9f;
            alert_pack(c);
        }
    for (int i = 0; i < BRAMBLE_CAPACITY; ++i) {
        Creature* c = camp[i];
        if (!c) continue;
        bramble_holds[i] = {1, creature_index(c), c->serial, 1e6f, 1.0f};
    }
    traps[0] = {1, 0, 0, {at.x - 4, at.y, at.z}, 0.0f};

    double sim = 0, submit = 0, worst = 0;
    for (int f = 0; f < frames; ++f) {
        if (!arrow_rain.active) arrow_rain = {1, at, 4, 0.0f};
        keep_arrows_flying();
        plat_pump();
        auto t = Clock::now();
        hud_update(1.0f / 60.0f);
        player_update(1.0f / 60.0f);
        creatures_update(1.0f / 60.0f);
        double s = ms_since(t);
        t = Clock::now();
        render_begin_frame();
        player_submit();
        creatures_submit();
        world_submit();
        ambience_submit();
        submit += ms_since(t);
        sim += s;
        worst = s > worst ? s : worst;
        ui_batch_clear();
    }
    int flying = 0;
    for (const PlayerArrow& a : player_arrows) flying += a.active && !a.stuck;
    int draws = 0, items = 0;
    for (int f = 0; f < drawn; ++f) {
        plat_pump();
        render_begin_frame();
        player_submit();
        creatures_submit();
        world_submit();
        ambience_submit();
        items = render_draw_count();
        render_frame();
        hud_draw();
        ui_flush();
        draws = render_stats().draw_calls;
    }
    std::printf("busiest fight over %d frames (%d arrows flying at the end, %d creatures fighting):\n", frames, flying,
                13);
    std::printf("  simulation %.3f ms per frame (worst %.3f), draw submission %.3f ms per frame\n", sim / frames, worst,
                submit / frames);
    std::printf("  draw list %d items, %d draw calls in a drawn frame (all passes)\n", items, draws);
    measure_qualities("busiest fight at 1280x720", drawn < 1 ? 1 : drawn, [] {
        plat_pump();
        render_begin_frame();
        player_submit();
        creatures_submit();
        world_submit();
        ambience_submit();
        render_frame();
        hud_draw();
        ui_flush();
    });
    return 0;
}
