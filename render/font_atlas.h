#pragma once
// The two interface fonts, baked into the program by tools/font_baker:
// one single-channel signed-distance atlas (0.5 = glyph edge, above = inside)
// and the glyph records that place each glyph in it.
#include <cstdint>

constexpr int FONT_ATLAS_W = 1024;
constexpr int FONT_ATLAS_H = 991;
constexpr int FONT_GLYPH_COUNT = 400;   // 200 per font
constexpr int FONT_GLYPHS_PER_FONT = 200;
constexpr float FONT_DESIGN_SIZE = 48.0f;  // glyph metrics are pixels at this text size

enum : uint16_t { FONT_BODY = 0, FONT_TITLE = 1 };

struct GlyphRecord {
    uint16_t font;          // FONT_BODY or FONT_TITLE
    uint16_t reserved;
    int32_t code_point;
    int16_t atlas_x, atlas_y, width, height;  // atlas pixels; width 0 = nothing to draw
    float x_offset, y_offset, advance;        // pixels at the design size; y down from the baseline
};
static_assert(sizeof(GlyphRecord) == 28, "glyph records are 28 bytes");

extern const GlyphRecord font_glyphs[FONT_GLYPH_COUNT];

// The atlas as packed text (see common/font_atlas_codec.h).
extern const long font_atlas_text_length;
extern const char font_atlas_text[];

// The decoded atlas: FONT_ATLAS_W * FONT_ATLAS_H bytes, top row first, so a
// glyph's texture v is atlas y / FONT_ATLAS_H. Decoded once on the first call
// (upload it with unpack alignment 1). Null only if the packed data is damaged.
const uint8_t* font_atlas_pixels();
