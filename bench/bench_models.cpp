// Start-up cost of the creature templates and human figures, and the CPU
// cost of one frame of the player's update and camera.
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/camera.h"
#include "play/player.h"
#include "render/gl_api.h"
#include "world/human.h"
#include "render/mesh.h"
#include "world/model.h"
#include "world/species_models.h"
#include "world/terrain.h"

static bool gl_ready() {
    static int state = -1;
    if (state < 0) {
        plat_open_window("bench", 320, 240);
        state = headless_has_context() && gl_load() ? 1 : 0;
    }
    return state == 1;
}

static void BM_SpeciesTemplates(benchmark::State& st) {
    if (!gl_ready()) {
        st.SkipWithError("no GL context");
        return;
    }
    // Built once per run in the game; measured once here.
    for (auto _ : st) {
        species_templates_build();
        benchmark::DoNotOptimize(species_models[0].model.node_count);
    }
}
BENCHMARK(BM_SpeciesTemplates)->Iterations(1)->Unit(benchmark::kMillisecond);

static void BM_HumanFigure(benchmark::State& st) {
    if (!gl_ready()) {
        st.SkipWithError("no GL context");
        return;
    }
    int k = 0;
    for (auto _ : st) {
        MeshCollection meshes{};
        mesh_collection = &meshes;
        Appearance a = appearance_from_choice({k & 1, k % 5, k % 4, k % 7, k % 3, k % 3});
        Model m{};
        human_build(&m, model_add_node(&m, -1, {0, 0, 0}), &a);
        mesh_collection = nullptr;
        model_free(&m);
        mesh_release_all(&meshes);
        std::free(meshes.meshes);
        ++k;
    }
}
BENCHMARK(BM_HumanFigure)->Unit(benchmark::kMillisecond);

static void BM_PlayerAndCameraFrame(benchmark::State& st) {
    std::memset(&plat_input, 0, sizeof(plat_input));
    bindings_reset();
    player_reset_new();
    // Some trees about the path so collision does real work.
    for (int i = 0; i < 200; ++i) {
        float x = 540.0f + (float)(i % 20) * 3.1f, z = 150.0f + (float)(i / 20) * 3.3f;
        obstacle_add(x, z, 0.5f, 8.0f, ground_height(x, z));
    }
    plat_input.key_down[bindings[BIND_FORWARD]] = 1;
    for (auto _ : st) {
        player_update(1.0f / 60.0f);
        if (player.pos_x > 700.0f) player_reset_new();
    }
}
BENCHMARK(BM_PlayerAndCameraFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
