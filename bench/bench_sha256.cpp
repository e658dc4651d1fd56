// SHA-256 throughput of the launcher's code on 16 KiB blocks, both paths.
// Compare with `openssl speed -evp sha256 -bytes 16384` on the same machine.
#include <benchmark/benchmark.h>

#include <vector>

#include "launcher/sha256.h"

namespace {

void run(benchmark::State& state, bool hardware) {
    if (hardware && !sha256_hardware_available()) {
        state.SkipWithError("no SHA extensions on this processor");
        return;
    }
    sha256_use_hardware(hardware);
    std::vector<uint8_t> block(16384);
    for (size_t i = 0; i < block.size(); i++) block[i] = (uint8_t)(i * 131 + 7);
    uint8_t digest[32];
    for (auto _ : state) {
        Sha256 s;
        sha256_init(&s);
        sha256_update(&s, block.data(), block.size());
        sha256_final(&s, digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)block.size());
    sha256_use_hardware(sha256_hardware_available());
}

void BM_sha256_16k_portable(benchmark::State& state) { run(state, false); }
void BM_sha256_16k_hardware(benchmark::State& state) { run(state, true); }

}  // namespace

BENCHMARK(BM_sha256_16k_portable);
BENCHMARK(BM_sha256_16k_hardware);
BENCHMARK_MAIN();
