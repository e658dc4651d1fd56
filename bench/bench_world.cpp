// World build time, phase by phase, and the resident memory after it. The
// counts and the map checksum are printed so that an optimisation can be seen
// to leave the world unchanged.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <chrono>

#include "bench/measure.h"
#include "game/layer_calls.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "world/terrain.h"
#include "world/world.h"

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    if (runs < 1) runs = 1;
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        world_generate();
        const WorldBuildReport& r = world_build_report();
        double total = r.t_terrain + r.t_forests + r.t_ground_cover + r.t_props + r.t_map_image;
        if (total < best) best = total;
        std::printf("run %d: total %.3f s  terrain %.3f  forests %.3f  ground cover %.3f  props %.3f  map image %.3f\n",
                    i + 1, total, r.t_terrain, r.t_forests, r.t_ground_cover, r.t_props, r.t_map_image);
    }
    const WorldBuildReport& r = world_build_report();
    std::printf("best %.3f s\n", best);
    std::printf("trees %d + %d, ground cover %d, rocks %d, obstacles %d, map checksum %08x\n",
                r.trees_first_zone, r.trees_second_zone, r.ground_cover, r.rocks, obstacle_count(),
                world_map_checksum());
    std::printf("resident memory after the CPU build: %.1f MiB\n", (double)resident_kib() / 1024.0);

    // The start-up build as the game runs it: GPU uploads, instance groups, the
    // map texture and the first population included (needs the headless EGL
    // context).
    plat_open_window("Tervanne", 320, 180);
    if (headless_has_context() && gl_load()) {
        game_connect_layers();  // the build ends with the first population, as in the game
        gpu_init();
        auto t0 = std::chrono::steady_clock::now();
        world_build();
        double full = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        // The map image is painted once asked for (behind the first screens in the game).
        t0 = std::chrono::steady_clock::now();
        world_map_upload();
        double map = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("full world_build with uploads: %.3f s, then the map image painted and uploaded: %.3f s, "
                    "obstacles %d, map checksum %08x\n",
                    full, map, obstacle_count(), world_map_checksum());
        std::printf("resident memory after the full build: %.1f MiB\n", (double)resident_kib() / 1024.0);
    } else {
        std::printf("no GL context: the upload part was not measured\n");
    }
    return 0;
}
