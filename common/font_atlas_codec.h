#pragma once
#include <cstdint>

// The font atlas is stored in the program as text: a bit stream of six bits
// per character (A-Z a-z 0-9 + /, most significant bit first). The stream
// holds 272 code lengths of four bits, then canonical prefix codes for every
// pixel in raster order: symbols 0-255 are the pixel minus its gradient
// prediction (left + up - up-left, clamped), modulo 256; symbol 256 + k
// (k = 0..15) is a run of 2^(k+1) + e pixels that equal their prediction, e
// being the next k + 1 bits. Residuals of a distance field are small, so this
// keeps the data file compact.
enum : int {
    ATLAS_CODE_RUNS = 16,
    ATLAS_CODE_SYMBOLS = 256 + ATLAS_CODE_RUNS,
    ATLAS_CODE_MAX_BITS = 15,
};

// Predicted value of pixel (x, y) from the already decoded ones.
inline int atlas_predict(const uint8_t* pixels, int width, int x, int y) {
    int left = x > 0 ? pixels[(long)y * width + x - 1] : (y > 0 ? pixels[(long)(y - 1) * width + x] : 0);
    if (y == 0) return left;
    int up = pixels[(long)(y - 1) * width + x];
    if (x == 0) return up;
    int p = left + up - pixels[(long)(y - 1) * width + x - 1];
    return p < 0 ? 0 : (p > 255 ? 255 : p);
}

// Decodes text_length characters into width x height bytes. False on any
// malformed input (bad character, bad code table, stream too short, a run past
// the end); out is then only partly written.
bool atlas_decode(const char* text, long text_length, uint8_t* out, int width, int height);
