#include "launcher/sha256.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define SHA256_X86 1
#endif

namespace {

alignas(16) const uint32_t K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

inline uint32_t rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
inline uint32_t load_be32(const uint8_t* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

// Portable path: the message schedule lives in a 16-word ring and the eight
// working variables rotate through the macro arguments instead of being
// shuffled, which keeps everything in registers.
#define S0(x) (rotr(x, 2) ^ rotr(x, 13) ^ rotr(x, 22))
#define S1(x) (rotr(x, 6) ^ rotr(x, 11) ^ rotr(x, 25))
#define s0(x) (rotr(x, 7) ^ rotr(x, 18) ^ ((x) >> 3))
#define s1(x) (rotr(x, 17) ^ rotr(x, 19) ^ ((x) >> 10))
#define CH(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MAJ(x, y, z) (((x) & (y)) | ((z) & ((x) | (y))))
#define ROUND(a, b, c, d, e, f, g, h, i, w)                      \
    do {                                                         \
        uint32_t t1 = h + S1(e) + CH(e, f, g) + K[i] + (w);      \
        d += t1;                                                 \
        h = t1 + S0(a) + MAJ(a, b, c);                           \
    } while (0)
#define WNEXT(j) (W[(j) & 15] += s1(W[((j) - 2) & 15]) + W[((j) - 7) & 15] + s0(W[((j) - 15) & 15]))
#define ROUND8_FIRST(i)                                                          \
    ROUND(a, b, c, d, e, f, g, h, i + 0, W[i + 0]);                              \
    ROUND(h, a, b, c, d, e, f, g, i + 1, W[i + 1]);                              \
    ROUND(g, h, a, b, c, d, e, f, i + 2, W[i + 2]);                              \
    ROUND(f, g, h, a, b, c, d, e, i + 3, W[i + 3]);                              \
    ROUND(e, f, g, h, a, b, c, d, i + 4, W[i + 4]);                              \
    ROUND(d, e, f, g, h, a, b, c, i + 5, W[i + 5]);                              \
    ROUND(c, d, e, f, g, h, a, b, i + 6, W[i + 6]);                              \
    ROUND(b, c, d, e, f, g, h, a, i + 7, W[i + 7])
#define ROUND8_NEXT(i)                                                           \
    ROUND(a, b, c, d, e, f, g, h, i + 0, WNEXT(i + 0));                          \
    ROUND(h, a, b, c, d, e, f, g, i + 1, WNEXT(i + 1));                          \
    ROUND(g, h, a, b, c, d, e, f, i + 2, WNEXT(i + 2));                          \
    ROUND(f, g, h, a, b, c, d, e, i + 3, WNEXT(i + 3));                          \
    ROUND(e, f, g, h, a, b, c, d, i + 4, WNEXT(i + 4));                          \
    ROUND(d, e, f, g, h, a, b, c, i + 5, WNEXT(i + 5));                          \
    ROUND(c, d, e, f, g, h, a, b, i + 6, WNEXT(i + 6));                          \
    ROUND(b, c, d, e, f, g, h, a, i + 7, WNEXT(i + 7))

void blocks_portable(uint32_t state[8], const uint8_t* p, size_t n) {
    while (n--) {
        uint32_t W[16];
        for (int i = 0; i < 16; i++) W[i] = load_be32(p + 4 * i);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        ROUND8_FIRST(0);
        ROUND8_FIRST(8);
        ROUND8_NEXT(16);
        ROUND8_NEXT(24);
        ROUND8_NEXT(32);
        ROUND8_NEXT(40);
        ROUND8_NEXT(48);
        ROUND8_NEXT(56);
        state[0] += a; state[1] += b; state[2] += c; state[3] += d;
        state[4] += e; state[5] += f; state[6] += g; state[7] += h;
        p += 64;
    }
}

#ifdef SHA256_X86
// Hardware path: the SHA extensions keep the state as ABEF/CDGH halves and
// do two rounds per instruction; the schedule is advanced four words at a time.
__attribute__((target("sha,sse4.1,ssse3")))
void blocks_hardware(uint32_t state[8], const uint8_t* p, size_t n) {
    const __m128i mask = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_loadu_si128((const __m128i*)&state[0]);
    __m128i st1 = _mm_loadu_si128((const __m128i*)&state[4]);
    tmp = _mm_shuffle_epi32(tmp, 0xB1);
    st1 = _mm_shuffle_epi32(st1, 0x1B);
    __m128i st0 = _mm_alignr_epi8(tmp, st1, 8);
    st1 = _mm_blend_epi16(st1, tmp, 0xF0);

    while (n--) {
        const __m128i save0 = st0, save1 = st1;
        __m128i m[4];
#pragma GCC unroll 16
        for (int g = 0; g < 16; g++) {
            if (g < 4) m[g] = _mm_shuffle_epi8(_mm_loadu_si128((const __m128i*)(p + 16 * g)), mask);
            __m128i msg = _mm_add_epi32(m[g & 3], _mm_load_si128((const __m128i*)&K[4 * g]));
            st1 = _mm_sha256rnds2_epu32(st1, st0, msg);
            if (g >= 3 && g <= 14) {
                __m128i t = _mm_alignr_epi8(m[g & 3], m[(g + 3) & 3], 4);
                m[(g + 1) & 3] = _mm_sha256msg2_epu32(_mm_add_epi32(m[(g + 1) & 3], t), m[g & 3]);
            }
            msg = _mm_shuffle_epi32(msg, 0x0E);
            st0 = _mm_sha256rnds2_epu32(st0, st1, msg);
            if (g >= 1 && g <= 12) m[(g + 3) & 3] = _mm_sha256msg1_epu32(m[(g + 3) & 3], m[g & 3]);
        }
        st0 = _mm_add_epi32(st0, save0);
        st1 = _mm_add_epi32(st1, save1);
        p += 64;
    }

    tmp = _mm_shuffle_epi32(st0, 0x1B);
    st1 = _mm_shuffle_epi32(st1, 0xB1);
    st0 = _mm_blend_epi16(tmp, st1, 0xF0);
    st1 = _mm_alignr_epi8(st1, tmp, 8);
    _mm_storeu_si128((__m128i*)&state[0], st0);
    _mm_storeu_si128((__m128i*)&state[4], st1);
}

bool detect_hardware() {
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return ssse3 && sse41 && (b & (1u << 29));
}
#else
void blocks_hardware(uint32_t state[8], const uint8_t* p, size_t n) { blocks_portable(state, p, n); }
bool detect_hardware() { return false; }
#endif

using BlockFn = void (*)(uint32_t*, const uint8_t*, size_t);

// Resolved on first use. Only the update worker hashes, and never two workers
// at once, so plain globals are enough.
int hw_known = -1;
BlockFn block_fn = nullptr;

BlockFn blocks() {
    if (!block_fn) {
        if (hw_known < 0) hw_known = detect_hardware() ? 1 : 0;
        block_fn = hw_known ? blocks_hardware : blocks_portable;
    }
    return block_fn;
}

}  // namespace

bool sha256_hardware_available() {
    if (hw_known < 0) hw_known = detect_hardware() ? 1 : 0;
    return hw_known == 1;
}

bool sha256_use_hardware(bool on) {
    if (on && !sha256_hardware_available()) {
        block_fn = blocks_portable;
        return false;
    }
    block_fn = on ? blocks_hardware : blocks_portable;
    return true;
}

bool sha256_using_hardware() { return blocks() == blocks_hardware; }

void sha256_init(Sha256* s) {
    static const uint32_t iv[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    memcpy(s->h, iv, sizeof iv);
    s->length = 0;
    s->used = 0;
    blocks();
}

void sha256_update(Sha256* s, const void* data, size_t len) {
    const uint8_t* p = (const uint8_t*)data;
    BlockFn fn = blocks();
    s->length += len;
    if (s->used) {
        size_t take = 64 - s->used;
        if (take > len) take = len;
        memcpy(s->block + s->used, p, take);
        s->used += (uint32_t)take;
        p += take;
        len -= take;
        if (s->used < 64) return;
        fn(s->h, s->block, 1);
        s->used = 0;
    }
    if (len >= 64) {
        fn(s->h, p, len / 64);
        p += len & ~(size_t)63;
        len &= 63;
    }
    if (len) {
        memcpy(s->block, p, len);
        s->used = (uint32_t)len;
    }
}

void sha256_final(Sha256* s, uint8_t out[32]) {
    const uint64_t bits = s->length * 8;
    uint8_t pad[72] = {0x80};
    // Pad to 56 mod 64, then the 64-bit big-endian bit count.
    size_t padlen = (s->used < 56) ? 56 - s->used : 120 - s->used;
    for (int i = 0; i < 8; i++) pad[padlen + i] = (uint8_t)(bits >> (56 - 8 * i));
    const uint64_t keep = s->length;
    sha256_update(s, pad, padlen + 8);
    s->length = keep;
    for (int i = 0; i < 8; i++) {
        out[4 * i + 0] = (uint8_t)(s->h[i] >> 24);
        out[4 * i + 1] = (uint8_t)(s->h[i] >> 16);
        out[4 * i + 2] = (uint8_t)(s->h[i] >> 8);
        out[4 * i + 3] = (uint8_t)s->h[i];
    }
}

void sha256_hex(const uint8_t digest[32], char out[65]) {
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; i < 32; i++) {
        out[2 * i] = hex[digest[i] >> 4];
        out[2 * i + 1] = hex[digest[i] & 15];
    }
    out[64] = 0;
}

void sha256_text(const void* data, size_t len, char out[65]) {
    Sha256 s;
    uint8_t d[32];
    sha256_init(&s);
    sha256_update(&s, data, len);
    sha256_final(&s, d);
    sha256_hex(d, out);
}
