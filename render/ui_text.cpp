// Text drawing with the two baked distance-field fonts: UTF-8 decoding, glyph
// lookup with its fallbacks, single lines with their drop shadow, measuring
// and greedy word wrap.
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "render/font_atlas.h"
#include "render/ui.h"
#include "render/ui_internal.h"
#include "common/font_atlas_codec.h"

namespace {

constexpr int INDEX_SIZE = 10240;       // code points with a lookup entry
constexpr int32_t BODY_ONLY_FROM = 8192;  // symbols come from the body font
constexpr float BASELINE[2] = {0.9323f, 1.0104f};
constexpr int WORD_MAX = 250;   // bytes of one word in the wrap
constexpr int LINE_MAX = 2048;  // bytes of one wrapped line
constexpr float GLYPH_PAD = 8.0f;  // empty atlas pixels the baker leaves around each glyph's ink

int16_t glyph_index[2][INDEX_SIZE];
bool index_built = false;

void build_index() {
    for (auto& table : glyph_index)
        for (int16_t& e : table) e = -1;
    for (int i = 0; i < FONT_GLYPH_COUNT; ++i) {
        const GlyphRecord& g = font_glyphs[i];
        if (g.font < 2 && g.code_point >= 0 && g.code_point < INDEX_SIZE)
            glyph_index[g.font][g.code_point] = (int16_t)i;
    }
    index_built = true;
}

inline int lookup(int font, int32_t cp) {
    if (!index_built) build_index();
    if (font < 0 || font > 1 || cp < 0 || cp >= INDEX_SIZE) return -1;
    return glyph_index[font][cp];
}

struct Ink {
    float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
    bool any() const { return x1 >= x0; }
};

// Draws (when draw is set) or only measures one line; returns its width.
// With ink given, the letters' ink is gathered into it.
float text_line(float x, float y, const char* text, int length, float size, Vec4 colour, int font,
                int mode, bool draw, Ink* ink = nullptr) {
    if (!text) return 0.0f;
    if (font != UI_FONT_TITLE) font = UI_FONT_BODY;
    const float s = size / FONT_DESIGN_SIZE;
    const float baseline = y + size * BASELINE[font];
    float pen = x;
    int pos = 0;
    while (pos < length) {
        int32_t cp = ui_decode_utf8(text, &pos);
        if (cp < 0) break;
        int gi = ui_resolve_glyph(font, cp);
        if (gi < 0) continue;
        const GlyphRecord& g = font_glyphs[gi];
        if (ink && g.width > 2 * GLYPH_PAD && g.height > 2 * GLYPH_PAD) {
            float x0 = pen + (g.x_offset + GLYPH_PAD) * s, y0 = baseline + (g.y_offset + GLYPH_PAD) * s;
            ink->x0 = std::fmin(ink->x0, x0);
            ink->y0 = std::fmin(ink->y0, y0);
            ink->x1 = std::fmax(ink->x1, x0 + (g.width - 2 * GLYPH_PAD) * s);
            ink->y1 = std::fmax(ink->y1, y0 + (g.height - 2 * GLYPH_PAD) * s);
        }
        if (draw && g.width > 0) {
            float x0 = pen + g.x_offset * s, y0 = baseline + g.y_offset * s;
            ui_quad(x0, y0, x0 + g.width * s, y0 + g.height * s, g.atlas_x / (float)FONT_ATLAS_W,
                    g.atlas_y / (float)FONT_ATLAS_H, (g.atlas_x + g.width) / (float)FONT_ATLAS_W,
                    (g.atlas_y + g.height) / (float)FONT_ATLAS_H, colour, mode);
        }
        pen += g.advance * s;
    }
    return pen - x;
}

// A line with its shadow; returns the width.
float shadowed_line(float x, float y, const char* text, int length, float size, Vec4 colour, int font) {
    if (colour.w <= 0.0f) return text_line(x, y, text, length, size, colour, font, UI_GLYPH, false);
    Vec4 shadow = {0.0f, 0.0f, 0.0f, 0.75f * colour.w};
    text_line(x + 0.04f * size, y + 0.06f * size, text, length, size, shadow, font, UI_SHADOW, true);
    if (!ui_recording()) return text_line(x, y, text, length, size, colour, font, UI_GLYPH, true);
    Ink ink;
    float w = text_line(x, y, text, length, size, colour, font, UI_GLYPH, true, &ink);
    if (ink.any()) ui_record_text(text, length, ink.x0, ink.y0, ink.x1, ink.y1, size);
    return w;
}

int line_length(const char* text) {
    int n = 0;
    while (text[n] && text[n] != '\n') ++n;
    return n;
}

// Longest prefix of at most max bytes that does not cut a UTF-8 sequence.
int utf8_cut(const char* s, int length, int max) {
    if (length <= max) return length;
    int n = max;
    while (n > 0 && ((unsigned char)s[n] & 0xC0) == 0x80) --n;
    return n > 0 ? n : max;
}

// French typography: the space before ; : ! ? » and % and the one after «
// do not break, so no line starts with one of them.
bool unbreakable_space(const char* p, int at) {
    const unsigned char* s = (const unsigned char*)p;
    const unsigned char* next = s + at + 1;
    if (*next == ';' || *next == ':' || *next == '!' || *next == '?' || *next == '%') return true;
    if (next[0] == 0xC2 && next[1] == 0xBB) return true;          // »
    return at >= 2 && s[at - 2] == 0xC2 && s[at - 1] == 0xAB;     // «
}

// Greedy wrap; draws when draw is set. Returns the height used.
float wrap(float x, float y, float max_width, const char* text, float size, Vec4 colour, int font,
           float spacing, bool draw) {
    const float step = spacing * size;
    float moved = 0.0f;
    char line[LINE_MAX + 1];
    char candidate[LINE_MAX + 1];
    int line_len = 0;
    line[0] = 0;
    const char* p = text ? text : "";
    bool continues = false;  // the piece is the rest of a word cut at WORD_MAX
    for (;;) {
        int word_len = 0;
        for (;;) {
            while (p[word_len] && p[word_len] != ' ' && p[word_len] != '\n') ++word_len;
            if (p[word_len] != ' ' || !unbreakable_space(p, word_len)) break;
            ++word_len;
        }
        int take = utf8_cut(p, word_len, WORD_MAX);

        // The rest of a cut word joins its first piece: no blank that the
        // text never had.
        const int gap = line_len > 0 && !continues ? 1 : 0;
        int cand_len = line_len + gap + take;
        bool fits_buffer = cand_len <= LINE_MAX;
        if (fits_buffer) {
            std::memcpy(candidate, line, line_len);
            int c = line_len;
            if (gap) candidate[c++] = ' ';
            std::memcpy(candidate + c, p, take);
            candidate[cand_len] = 0;
        }
        bool too_wide = !fits_buffer ||
                        text_line(0, 0, candidate, cand_len, size, colour, font, UI_GLYPH, false) > max_width;
        if (line_len > 0 && too_wide) {
            if (draw) shadowed_line(x, y + moved, line, line_len, size, colour, font);
            moved += step;
            std::memcpy(line, p, take);
            line_len = take;
        } else {
            std::memcpy(line, candidate, cand_len);
            line_len = cand_len;
        }
        line[line_len] = 0;
        p += take;
        continues = take < word_len;
        if (continues) continue;

        if (*p == ' ') {
            ++p;
            continue;
        }
        // Line feed or end: the line is done.
        if (line_len > 0 && draw) shadowed_line(x, y + moved, line, line_len, size, colour, font);
        moved += step;
        line_len = 0;
        line[0] = 0;
        if (*p == 0) break;
        ++p;
    }
    return moved;
}

const uint8_t* decoded_atlas = nullptr;

}  // namespace

float ui_baseline_factor(int font) { return BASELINE[font == UI_FONT_TITLE ? 1 : 0]; }

int ui_glyph_index(int font, int32_t code_point) {
    assert(font == UI_FONT_BODY || font == UI_FONT_TITLE);
    return lookup(font, code_point);
}

int32_t ui_decode_utf8(const char* text, int* pos) {
    const unsigned char* s = (const unsigned char*)text;
    int i = *pos;
    unsigned b = s[i];
    if (b == 0 || b == '\n') return -1;
    if (b < 0x80) {
        *pos = i + 1;
        return (int32_t)b;
    }
    int extra = (b & 0xE0) == 0xC0 ? 1 : ((b & 0xF0) == 0xE0 ? 2 : 0);
    if (extra == 0) {
        // Four-byte sequences and stray bytes: one "?" for four bytes, but the
        // skip never passes the end of the text or a line feed.
        int n = 1;
        while (n < 4 && s[i + n] != 0 && s[i + n] != '\n') ++n;
        *pos = i + n;
        return '?';
    }
    int32_t cp = (int32_t)(b & (extra == 1 ? 0x1F : 0x0F));
    for (int k = 1; k <= extra; ++k) {
        unsigned c = s[i + k];
        if (c == 0 || c == '\n') {  // cut short: never read past the end
            *pos = i + k;
            return '?';
        }
        cp = (cp << 6) | (int32_t)(c & 0x3F);
    }
    *pos = i + 1 + extra;
    return cp;
}

int ui_resolve_glyph(int font, int32_t cp) {
    if (font != UI_FONT_TITLE) font = UI_FONT_BODY;
    // Symbols and everything past them come from the body font; past the
    // index nothing can be found, so those draw the body font's "?".
    if (cp >= BODY_ONLY_FROM || cp < 0) font = UI_FONT_BODY;
    if (cp >= INDEX_SIZE || cp < 0) cp = '?';
    int gi = lookup(font, cp);
    if (gi < 0) gi = lookup(UI_FONT_BODY, cp);
    if (gi < 0) gi = lookup(UI_FONT_BODY, '?');
    return gi;
}

float ui_text(float x, float y, const char* text, float size, Vec4 colour, int font) {
    if (!text) return 0.0f;
    return shadowed_line(x, y, text, line_length(text), size, colour, font);
}

void ui_text_centred(float centre_x, float y, const char* text, float size, Vec4 colour, int font) {
    if (!text) return;
    int n = line_length(text);
    float w = text_line(0, 0, text, n, size, colour, font, UI_GLYPH, false);
    shadowed_line(centre_x - w * 0.5f, y, text, n, size, colour, font);
}

float ui_text_fitted(float x, float y, float max_width, const char* text, float size, Vec4 colour, int font) {
    if (!text) return 0.0f;
    int n = line_length(text);
    if (text_line(0, 0, text, n, size, colour, font, UI_GLYPH, false) <= max_width)
        return shadowed_line(x, y, text, n, size, colour, font);
    // The longest run of whole letters that leaves room for the ellipsis.
    static const char ELLIPSIS[] = "…";
    const float room = max_width - text_line(0, 0, ELLIPSIS, 3, size, colour, font, UI_GLYPH, false);
    char cut[LINE_MAX + 4];
    int keep = 0, pos = 0;
    while (pos < n && pos < LINE_MAX) {
        int next = pos;
        if (ui_decode_utf8(text, &next) < 0 || next > LINE_MAX) break;
        if (text_line(0, 0, text, next, size, colour, font, UI_GLYPH, false) > room) break;
        pos = next;
        // No blank just before the ellipsis.
        if (text[pos - 1] != ' ') keep = pos;
    }
    std::memcpy(cut, text, (size_t)keep);
    std::memcpy(cut + keep, ELLIPSIS, 3);
    cut[keep + 3] = 0;
    return shadowed_line(x, y, cut, keep + 3, size, colour, font);
}

void ui_text_ink_rows(const char* text, float size, int font, float* top, float* bottom) {
    Ink ink;
    if (text) text_line(0, 0, text, line_length(text), size, Vec4{1, 1, 1, 1}, font, UI_GLYPH, false, &ink);
    *top = ink.any() ? ink.y0 : 0.0f;
    *bottom = ink.any() ? ink.y1 : 0.0f;
}

float ui_text_width(const char* text, float size, int font) {
    if (!text) return 0.0f;
    return text_line(0, 0, text, line_length(text), size, Vec4{1, 1, 1, 1}, font, UI_GLYPH, false);
}

float ui_text_wrapped(float x, float y, float max_width, const char* text, float size, Vec4 colour,
                      int font, float line_spacing) {
    return wrap(x, y, max_width, text, size, colour, font, line_spacing, true);
}

float ui_text_wrapped_height(float max_width, const char* text, float size, int font,
                             float line_spacing) {
    return wrap(0, 0, max_width, text, size, Vec4{1, 1, 1, 1}, font, line_spacing, false);
}

const uint8_t* font_atlas_pixels() {
    if (decoded_atlas) return decoded_atlas;
    uint8_t* pixels = (uint8_t*)std::malloc((size_t)FONT_ATLAS_W * FONT_ATLAS_H);
    if (!pixels) return nullptr;
    if (!atlas_decode(font_atlas_text, font_atlas_text_length, pixels, FONT_ATLAS_W, FONT_ATLAS_H)) {
        log_printf("Police : atlas illisible");
        std::free(pixels);
        return nullptr;
    }
    decoded_atlas = pixels;
    return decoded_atlas;
}
