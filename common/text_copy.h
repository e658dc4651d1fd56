#pragma once
// Copies a text into a fixed buffer of `capacity` bytes, cut to fit where a
// character begins (a split UTF-8 sequence would draw as "?"); null reads
// as empty.
#include <cassert>
#include <cstring>

inline void copy_utf8(char* dst, int capacity, const char* src) {
    assert(dst && capacity > 0);
    if (!dst || capacity <= 0) return;
    if (!src) src = "";
    int n = 0;
    while (n < capacity - 1 && src[n]) ++n;
    if (src[n])
        while (n > 0 && ((unsigned char)src[n] & 0xC0) == 0x80) --n;
    std::memcpy(dst, src, (size_t)n);
    dst[n] = 0;
}
