#pragma once
// Reading back what the interface put into the 2D batch: its quads, and the
// letters drawn in one colour (from the glyphs' atlas boxes).
#include <cmath>
#include <string>
#include <vector>

#include "render/font_atlas.h"
#include "render/ui.h"

struct DrawnQuad {
    float x0, y0, x1, y1;
    Vec4 colour;
    int mode;
};

inline std::vector<DrawnQuad> drawn_quads(int mode = -1) {
    std::vector<DrawnQuad> out;
    const UiVertex* v = ui_batch_vertices();
    for (int i = 0; i + 5 < ui_batch_count(); i += 6)
        if (mode < 0 || (int)v[i].mode == mode)
            out.push_back({v[i].x, v[i].y, v[i + 2].x, v[i + 2].y, Vec4{v[i].r, v[i].g, v[i].b, v[i].a},
                           (int)v[i].mode});
    return out;
}

inline bool drawn_same_colour(Vec4 a, Vec4 b) {
    return std::fabs(a.x - b.x) < 1e-5f && std::fabs(a.y - b.y) < 1e-5f && std::fabs(a.z - b.z) < 1e-5f &&
           std::fabs(a.w - b.w) < 1e-5f;
}

// The letters drawn in one colour, in drawing order (spaces draw nothing, so
// they are missing).
inline std::string drawn_text(Vec4 colour) {
    std::string out;
    const UiVertex* v = ui_batch_vertices();
    for (int i = 0; i + 5 < ui_batch_count(); i += 6) {
        if ((int)v[i].mode != UI_GLYPH || !drawn_same_colour(Vec4{v[i].r, v[i].g, v[i].b, v[i].a}, colour)) continue;
        for (const GlyphRecord& g : font_glyphs) {
            if (std::fabs(g.atlas_x / 1024.0f - v[i].u) > 1e-6f || std::fabs(g.atlas_y / 991.0f - v[i].v) > 1e-6f)
                continue;
            int32_t c = g.code_point;
            if (c < 0x80) {
                out += (char)c;
            } else if (c < 0x800) {
                out += (char)(0xC0 | (c >> 6));
                out += (char)(0x80 | (c & 0x3F));
            } else {
                out += (char)(0xE0 | (c >> 12));
                out += (char)(0x80 | ((c >> 6) & 0x3F));
                out += (char)(0x80 | (c & 0x3F));
            }
            break;
        }
    }
    return out;
}

// A text as drawn_text reads it back: without its spaces.
inline std::string without_spaces(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += c;
    return out;
}
