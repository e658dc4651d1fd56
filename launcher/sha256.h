// SHA-256 (FIPS 180-4) of our own: a portable block function and, when the
// processor has the SHA extensions, a hardware one. Both give the same digest.
#pragma once
#include <cstddef>
#include <cstdint>

struct Sha256 {
    uint32_t h[8];
    uint64_t length;      // bytes hashed so far
    uint8_t block[64];
    uint32_t used;        // bytes waiting in block
};

void sha256_init(Sha256* s);
void sha256_update(Sha256* s, const void* data, size_t len);
void sha256_final(Sha256* s, uint8_t out[32]);
// 64 lower-case hexadecimal characters and a terminating zero.
void sha256_hex(const uint8_t digest[32], char out[65]);
// One-shot helper.
void sha256_text(const void* data, size_t len, char out[65]);

// Which block function the contexts use. The hardware path is chosen
// automatically when the processor supports it.
bool sha256_hardware_available();
// Returns false (and keeps the portable path) when hardware is unavailable.
bool sha256_use_hardware(bool on);
bool sha256_using_hardware();
