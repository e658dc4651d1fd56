// Frame renderer cost at a busy place: 10 000 draw items (40 meshes x 25
// materials, submitted in scattered order) and 20 instance groups of 5 000
// instances. Reports draw calls per frame and the CPU time of submission and
// of list preparation plus GL submission (on llvmpipe the driver also
// rasterises inside glFinish; the "frame" figure includes it).
#include <benchmark/benchmark.h>

#include <vector>

#include "common/rng.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "render/renderer.h"
#include "render/mesh.h"

namespace {

struct Scene {
    std::vector<GpuMesh*> meshes;
    std::vector<Material> materials;
    std::vector<InstanceGroup*> groups;
    std::vector<Mat4> places;
    std::vector<int> mesh_of, material_of;
};

Scene* scene() {
    static Scene* s = nullptr;
    if (s) return s;
    plat_open_window("Tervanne", 64, 36);  // small target: measure the submission, not the fill
    if (!headless_has_context() || !gl_load()) return nullptr;
    gpu_init();
    s = new Scene;
    for (int i = 0; i < 40; ++i) {
        MeshBuilder b = i % 2 ? shape_box({0.5f, 0.5f, 0.5f}) : shape_frustum(0.2f, 0.3f, 1.0f, 6, true);
        s->meshes.push_back(mesh_upload(&b));
    }
    s->materials.resize(25);
    for (int i = 0; i < 25; ++i) material_init(&s->materials[i], {0.3f + 0.02f * i, 0.5f, 0.4f});
    Rng rng{12345};
    for (int i = 0; i < 10000; ++i) {
        s->places.push_back(mat4_translate({rng_range(rng, -60, 60), 0, rng_range(rng, -60, 60)}));
        s->mesh_of.push_back((int)(rng_next(rng) % 40));
        s->material_of.push_back((int)(rng_next(rng) % 25));
    }
    for (int g = 0; g < 20; ++g) {
        std::vector<Instance> inst(5000);
        for (Instance& in : inst)
            in = {mat4_translate({rng_range(rng, -400, 400), 0, rng_range(rng, -400, 400)}), {1, 1, 1}, 1};
        s->groups.push_back(instance_group_build(s->meshes[g % 40], &s->materials[g % 25], inst.data(), 5000));
    }
    return s;
}

void submit(Scene* s) {
    render_begin_frame();
    for (int i = 0; i < 10000; ++i)
        render_add(s->meshes[s->mesh_of[i]], &s->materials[s->material_of[i]], s->places[i], {1, 1, 1});
    for (InstanceGroup* g : s->groups) render_add_group(g);
}

void BM_Submit(benchmark::State& state) {
    Scene* s = scene();
    if (!s) {
        state.SkipWithError("no GL context");
        return;
    }
    for (auto _ : state) submit(s);
    state.counters["items"] = render_draw_count();
}
BENCHMARK(BM_Submit)->Unit(benchmark::kMicrosecond);

void BM_Frame(benchmark::State& state) {
    Scene* s = scene();
    if (!s) {
        state.SkipWithError("no GL context");
        return;
    }
    plat_input.client_width = 64;
    plat_input.client_height = 36;
    render_camera = {{0, 2, 80}, {0, 0, 0}, 60};
    atmosphere.sun_dir = {0.4f, 0.8f, 0.3f};
    atmosphere.exposure = atmosphere.saturation = atmosphere.contrast = 1.0f;
    // Warm-up: the driver compiles its shader variants on the first draws.
    for (int i = 0; i < 3; ++i) {
        submit(s);
        render_frame();
        glFinish();
    }
    double prepare = 0, frame = 0;
    for (auto _ : state) {
        submit(s);
        render_frame();
        prepare += render_stats().prepare_ms;
        frame += render_stats().frame_ms;
        glFinish();
    }
    const RenderStats& st = render_stats();
    const double n = (double)state.iterations();
    state.counters["prepare_ms"] = prepare / n;   // sort + instance buffer upload
    state.counters["render_frame_ms"] = frame / n;  // the call itself, before the driver finishes
    state.counters["draw_calls"] = st.draw_calls;
    state.counters["shadow_draws"] = st.shadow_draws;
    state.counters["opaque_draws"] = st.opaque_draws;
    state.counters["cells_drawn"] = st.cells_drawn;
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
