// What a new player waits for and what the busiest place costs:
//  - start to the first interactive frame with the whole world (town,
//    landmarks, creatures, gathering nodes), the frame itself included;
//  - the processor time per frame on the market of Camelot during a fight
//    (boars and wolves at the player, villagers and the merchant in view),
//    split into the simulation steps and the draw submissions in the main
//    loop's order, with the draw calls of a drawn frame there.
// Usage: bench_first_hour [frames=300] [drawn frames=3]
// Then the drawn frames again at each quality, with the GPU time of each pass.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "bench/gpu_table.h"
#include "common/game_time.h"
#include "bench/measure.h"
#include "platform/headless/headless.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/merchant.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "world/terrain.h"
#include "game/results.h"
#include "content/gathering.h"
#include "content/professions.h"
#include "content/quest_figures.h"
#include "net/net.h"
#include "net/remote_players.h"
#include "sound/sound.h"
#include "play/ambience.h"
#include "play/catacomb_visits.h"
#include "world/world.h"
#include "ui/hud_draw.h"

static void simulate(float dt) {
    frame_dt = dt;
    world_dt = dt;
    game_timers();
    game_simulate();
    game_results_drain();
}

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    int drawn = argc > 2 ? std::atoi(argv[2]) : 3;
    if (frames < 1) frames = 1;
    if (drawn < 1) drawn = 1;
    headless_set_window_size(1280, 720);
    headless_set_time_step(1.0 / 60.0);

    const std::clock_t c0 = std::clock();
    auto t0 = Clock::now();
    if (game_startup() != 0 || !headless_has_context()) {
        std::printf("no GL context\n");
        return 1;
    }
    double startup = ms_since(t0);
    const double startup_cpu = (double)(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC;
    game_frame();  // the first frame the player can act in (the list or the creation screen), drawn
    double first = ms_since(t0);
    const double first_cpu = (double)(std::clock() - c0) * 1000.0 / CLOCKS_PER_SEC;
    // Into the world as a character in play.
    game_flags.character_creation_open = 0;
    game_flags.character_select_open = 0;
    world_map_step(true);  // the map the HUD shows in play
    std::printf("start to the first interactive frame: %.0f ms (start-up %.0f ms, first frame %.0f ms), "
                "resident memory %.1f MiB\n",
                first, startup, first - startup, resident_kib() / 1024.0);
    std::printf("  title card on screen after %.0f ms; processor time to the first interactive frame %.0f ms "
                "(all threads): start-up %.0f ms, the first frame %.0f ms\n",
                startup_title_card_ms, first_cpu, startup_cpu, first_cpu - startup_cpu);

    // On the market, looking along it toward the stall.
    game_flags.title_overlay = 0;
    Vec3 m = merchant_position();
    player.player_class = CLASS_ARCHER;
    player.pos_x = m.x - 4.0f;
    player.pos_z = m.z - 12.0f;
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    player.heading = player.camera_yaw = std::atan2(m.x - player.pos_x, m.z - player.pos_z);
    player.camera_pitch = 0.3f;
    player.max_health = player.health = 1e9f;  // the fight must not end the measure

    Vec3 at = {player.pos_x, player.pos_y, player.pos_z};
    const int species[6] = {SP_BOAR, SP_BOAR, SP_BOAR, SP_WOLF, SP_WOLF, SP_BOAR};
    int fighting = 0;
    Creature* pack[6] = {};
    for (int i = 0; i < 6; ++i) {
        float a = (float)i * 1.05f, r = 3.0f + (float)(i % 2) * 2.0f;
        float x = at.x + std::sin(a) * r, z = at.z + std::cos(a) * r;
        Creature* c = spawn_creature(species[i], {x, ground_height(x, z), z}, {x, ground_height(x, z), z});
        if (!c) continue;
        c->max_health = c->health = 1e9f;
        alert_pack(c);
        pack[fighting++] = c;
    }

    const float dt = 1.0f / 60.0f;
    double sim = 0, sub = 0, worst_sim = 0, worst_sub = 0;
    for (int f = 0; f < frames; ++f) {
        // Whoever broke off (a boar fleeing, a wolf called home) comes back.
        for (Creature* c : pack)
            if (c && c->in_use && c->ai_state != CS_FIGHT && c->ai_state != CS_BOAR_FIGHT) {
                c->anchor = c->pos;
                alert_pack(c);
            }
        plat_pump();
        hud_dialog_input();
        auto t = Clock::now();
        simulate(dt);
        double s = ms_since(t);
        t = Clock::now();
        game_submit();
        double u = ms_since(t);
        ui_batch_clear();
        sim += s;
        sub += u;
        worst_sim = s > worst_sim ? s : worst_sim;
        worst_sub = u > worst_sub ? u : worst_sub;
    }
    int in_fight = 0;
    for (const Creature& c : creatures)
        in_fight += c.in_use && (c.ai_state == CS_FIGHT || c.ai_state == CS_BOAR_FIGHT) ? 1 : 0;

    int draws = 0, items = 0;
    double render_ms = 0;
    for (int f = 0; f < drawn; ++f) {
        plat_pump();
        game_submit();
        items = render_draw_count();
        auto t = Clock::now();
        render_frame();
        hud_draw();
        ui_flush();
        render_ms += ms_since(t);
        draws = render_stats().draw_calls;
    }
    std::printf("market fight over %d frames (%d creatures set on the player, %d still fighting):\n", frames, fighting,
                in_fight);
    std::printf("  simulation %.3f ms per frame (worst %.3f), draw submission %.3f ms per frame (worst %.3f)\n",
                sim / frames, worst_sim, sub / frames, worst_sub);
    std::printf("  draw list %d items, %d draw calls in a drawn frame, render_frame+hud %.1f ms (software renderer)\n",
                items, draws, render_ms / drawn);
    measure_qualities("market fight at 1280x720", drawn, [] {
        plat_pump();
        game_submit();
        render_frame();
        hud_draw();
        ui_flush();
    });
    return 0;
}
