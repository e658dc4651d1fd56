// One frame of the third-person camera (its solids queries and smoothing),
// turning round where it meets the most stone: open country, the west gate
// beside a tower, a market stall's awning, a catacomb corridor with the back
// to a wall. The world is built once on the CPU.
#include <benchmark/benchmark.h>

#include <cmath>

#include "play/camera.h"
#include "play/player.h"
#include "world/camelot.h"
#include "world/catacombs.h"
#include "world/landmarks.h"
#include "world/solids.h"
#include "world/terrain.h"
#include "world/world.h"

namespace {

void build_once() {
    static bool built = false;
    if (built) return;
    world_generate();
    camelot_build();
    landmarks_build();
    solids_seal();
    catacomb_maze_generate();
    built = true;
}

void turn_round(benchmark::State& state, Vec3 feet, bool catacombs) {
    build_once();
    player_reset_new();
    player.pos_x = feet.x;
    player.pos_y = feet.y;
    player.pos_z = feet.z;
    player.camera_pitch = 0.28f;
    player.camera_distance = 6.5f;
    int frame = 0;
    for (auto _ : state) {
        player.camera_yaw = 2.0f * PI * (float)(frame++ % 240) / 240.0f;
        camera_place(player, 1.0f / 60.0f, catacombs);
        benchmark::DoNotOptimize(player.camera_pos);
    }
}

void BM_CameraOpenCountry(benchmark::State& state) {
    turn_round(state, {200.0f, ground_height(200.0f, 100.0f), 100.0f}, false);
}
void BM_CameraBesideAGateTower(benchmark::State& state) { turn_round(state, camelot_point(-126.2f, 6.5f), false); }
void BM_CameraUnderAMarketAwning(benchmark::State& state) { turn_round(state, camelot_point(-52.9f, 14.2f), false); }
void BM_CameraCatacombCorridor(benchmark::State& state) { turn_round(state, {1048.6f, 0.0f, 16.35f}, true); }

}  // namespace

BENCHMARK(BM_CameraOpenCountry);
BENCHMARK(BM_CameraBesideAGateTower);
BENCHMARK(BM_CameraUnderAMarketAwning);
BENCHMARK(BM_CameraCatacombCorridor);
BENCHMARK_MAIN();
