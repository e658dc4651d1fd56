#pragma once
#include <cstdint>

// 32-bit xorshift: one generator per purpose, each with its own fixed seed,
// so every run (and both systems) produce the same world.
struct Rng {
    uint32_t state;
};

inline uint32_t rng_next(Rng& r) {
    uint32_t x = r.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    r.state = x;
    return x;
}

// Uniform in [0, 1): the low 24 bits times 2^-24.
inline float rng_float(Rng& r) { return (float)(rng_next(r) & 0xFFFFFFu) * (1.0f / 16777216.0f); }

inline float rng_range(Rng& r, float lo, float hi) { return lo + (hi - lo) * rng_float(r); }
