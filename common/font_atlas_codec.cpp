// Decoder of the packed font atlas (format in font_atlas_codec.h). Also
// compiled into tools/font_baker, which checks every bake against it.
#include "common/font_atlas_codec.h"

#include <cassert>

namespace {

struct BitReader {
    const char* text;
    long length;
    long pos = 0;
    uint32_t acc = 0;
    int bits = 0;
    bool bad = false;

    static int value(char c) {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    }
    int bit() {
        if (bits == 0) {
            if (pos >= length) {
                bad = true;
                return 0;
            }
            int v = value(text[pos++]);
            if (v < 0) {
                bad = true;
                return 0;
            }
            acc = (uint32_t)v;
            bits = 6;
        }
        --bits;
        return (int)((acc >> bits) & 1u);
    }
    uint32_t read(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 1) | (uint32_t)bit();
        return v;
    }
};

// Canonical prefix code: symbols sorted by code length, then by value.
struct Code {
    int16_t count[ATLAS_CODE_MAX_BITS + 1];
    int16_t symbol[ATLAS_CODE_SYMBOLS];
};

bool build_code(const uint8_t* lengths, Code& code) {
    for (int i = 0; i <= ATLAS_CODE_MAX_BITS; ++i) code.count[i] = 0;
    for (int s = 0; s < ATLAS_CODE_SYMBOLS; ++s) code.count[lengths[s]]++;
    if (code.count[0] == ATLAS_CODE_SYMBOLS) return false;
    // Reject over-subscribed tables: they cannot come from a real bake.
    int left = 1;
    for (int len = 1; len <= ATLAS_CODE_MAX_BITS; ++len) {
        left <<= 1;
        left -= code.count[len];
        if (left < 0) return false;
    }
    int16_t offset[ATLAS_CODE_MAX_BITS + 2];
    offset[1] = 0;
    for (int len = 1; len <= ATLAS_CODE_MAX_BITS; ++len) offset[len + 1] = (int16_t)(offset[len] + code.count[len]);
    for (int s = 0; s < ATLAS_CODE_SYMBOLS; ++s)
        if (lengths[s]) code.symbol[offset[lengths[s]]++] = (int16_t)s;
    return true;
}

int decode_symbol(BitReader& in, const Code& code) {
    int value = 0, first = 0, index = 0;
    for (int len = 1; len <= ATLAS_CODE_MAX_BITS; ++len) {
        value |= in.bit();
        int count = code.count[len];
        if (value - first < count) return code.symbol[index + (value - first)];
        index += count;
        first = (first + count) << 1;
        value <<= 1;
        if (in.bad) return -1;
    }
    return -1;
}

}  // namespace

bool atlas_decode(const char* text, long text_length, uint8_t* out, int width, int height) {
    assert(text && out && width > 0 && height > 0);
    if (!text || !out || width <= 0 || height <= 0) return false;
    BitReader in{text, text_length};
    uint8_t lengths[ATLAS_CODE_SYMBOLS];
    for (int s = 0; s < ATLAS_CODE_SYMBOLS; ++s) lengths[s] = (uint8_t)in.read(4);
    Code code;
    if (in.bad || !build_code(lengths, code)) return false;
    const long total = (long)width * height;
    long i = 0;
    while (i < total) {
        int sym = decode_symbol(in, code);
        if (sym < 0 || in.bad) return false;
        long run = 1;
        int residual = 0;
        if (sym >= 256) {
            int k = sym - 256;
            run = (1L << (k + 1)) + (long)in.read(k + 1);
            if (in.bad || i + run > total) return false;
        } else {
            residual = sym;
        }
        for (long r = 0; r < run; ++r, ++i) {
            int x = (int)(i % width), y = (int)(i / width);
            out[i] = (uint8_t)((atlas_predict(out, width, x, y) + residual) & 255);
        }
    }
    return true;
}
