// CPU cost of one frame of the creatures (behaviour, movement and poses)
// with the table full, half of it fighting the player, and of submitting
// them to the renderer.
#include <benchmark/benchmark.h>

#include <cmath>

#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "platform/platform.h"
#include "play/creatures.h"
#include "play/player.h"
#include "render/gl_api.h"
#include "render/renderer.h"
#include "world/species_models.h"
#include "world/terrain.h"
#include "world/world.h"

static bool ready() {
    static int state = -1;
    if (state < 0) {
        plat_open_window("bench", 320, 240);
        state = headless_has_context() && gl_load() ? 1 : 0;
        if (state) {
            world_generate();
            species_templates_build();
        }
    }
    return state == 1;
}

// 192 creatures round the player: wolves, brigands, skeleton archers and
// bears; every second one is fighting.
static void fill_table() {
    creatures_reset();
    player_reset_new();
    player.pos_x = 60.0f;
    player.pos_z = 150.0f;
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    static const int kinds[4] = {SP_WOLF, SP_BRIGAND, SP_SKELETON_ARCHER, SP_BEAR};
    for (int i = 0; i < CREATURE_CAPACITY; ++i) {
        float a = (float)i * 0.61f, r = 4.0f + (float)(i % 40);
        Vec3 p = {player.pos_x + std::sin(a) * r, 0, player.pos_z + std::cos(a) * r};
        p.y = ground_height(p.x, p.z);
        Creature* c = spawn_creature(kinds[i % 4], p, p);
        if (c && i % 2 == 0) c->ai_state = CS_FIGHT;
    }
}

static void BM_CreaturesUpdate(benchmark::State& st) {
    if (!ready()) {
        st.SkipWithError("no GL context");
        return;
    }
    fill_table();
    int fighting = 0;
    for (auto _ : st) {
        player.health = player.max_health = 1e9f;
        game_clock += 1.0 / 60.0;
        creatures_update(1.0f / 60.0f);
    }
    for (const Creature& c : creatures) fighting += c.in_use && c.ai_state == CS_FIGHT;
    st.counters["fighting_at_end"] = (double)fighting;
}
BENCHMARK(BM_CreaturesUpdate)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

static void BM_CreaturesSubmit(benchmark::State& st) {
    if (!ready()) {
        st.SkipWithError("no GL context");
        return;
    }
    fill_table();
    render_camera.eye = {player.pos_x, player.pos_y + 3.0f, player.pos_z - 8.0f};
    render_camera.target = {player.pos_x, player.pos_y + 1.0f, player.pos_z};
    for (auto _ : st) {
        render_begin_frame();
        creatures_submit();
    }
}
BENCHMARK(BM_CreaturesSubmit)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

BENCHMARK_MAIN();
