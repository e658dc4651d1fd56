#include "launcher/sdl/canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Serif bold, serif italic, sans regular, sans bold: the looks the window
// asks for (Georgia bold/italic, Segoe UI regular/semi-bold).
enum Face { SERIF_BOLD, SERIF_ITALIC, SERIF, SANS, SANS_BOLD, FACE_COUNT };
const char* const FACE_FILES[FACE_COUNT][3] = {
    {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", "/usr/share/fonts/TTF/DejaVuSerif-Bold.ttf", nullptr},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf", "/usr/share/fonts/TTF/DejaVuSerif-Italic.ttf", nullptr},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", "/usr/share/fonts/TTF/DejaVuSerif.ttf", nullptr},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "/usr/share/fonts/TTF/DejaVuSans.ttf", nullptr},
    {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "/usr/share/fonts/TTF/DejaVuSans-Bold.ttf", nullptr},
};

FT_Library ft;
FT_Face faces[FACE_COUNT];

FT_Face pick(LauncherFont font, int weight, bool italic) {
    Face f;
    if (font == FONT_SERIF) f = italic ? SERIF_ITALIC : weight >= 600 ? SERIF_BOLD : SERIF;
    else f = weight >= 600 ? SANS_BOLD : SANS;
    if (faces[f]) return faces[f];
    for (FT_Face any : faces)
        if (any) return any;
    return nullptr;
}

uint32_t decode(const char*& p) {
    const unsigned char* u = (const unsigned char*)p;
    uint32_t c = u[0];
    int n = c < 0x80 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
    if (n > 1) {
        c &= 0x3f >> (n - 1);
        for (int i = 1; i < n; i++) {
            if ((u[i] & 0xc0) != 0x80) { n = i; c = 0xfffd; break; }
            c = c << 6 | (u[i] & 0x3f);
        }
    }
    p += n;
    return c;
}

int advance(FT_Face face, uint32_t c) {
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT)) return 0;
    return (int)((face->glyph->advance.x + 32) >> 6);
}

int width_of(FT_Face face, const char* s, const char* end) {
    int w = 0;
    while (s < end && *s) w += advance(face, decode(s));
    return w;
}

struct Target {
    uint32_t* px;
    int w, h, pitch;
    int cx0, cy0, cx1, cy1;  // clip
};

void blend(Target& t, int x, int y, uint32_t rgb, unsigned alpha) {
    if (x < t.cx0 || y < t.cy0 || x >= t.cx1 || y >= t.cy1 || alpha == 0) return;
    uint32_t& d = t.px[y * t.pitch + x];
    auto mix = [&](int shift) {
        unsigned a = (d >> shift) & 255, b = (rgb >> shift) & 255;
        return ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
    };
    d = 0xff000000u | mix(16) | mix(8) | mix(0);
}

void fill(Target& t, int x0, int y0, int x1, int y1, uint32_t rgb) {
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > t.w) x1 = t.w;
    if (y1 > t.h) y1 = t.h;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) t.px[y * t.pitch + x] = 0xff000000u | rgb;
}

// Coverage of pixel (x, y) by a rectangle with rounded corners of radius r,
// sampled 4 x 4 so that corners are smooth.
unsigned rounded_coverage(float x0, float y0, float x1, float y1, float r, int x, int y) {
    int inside = 0;
    for (int sy = 0; sy < 4; sy++)
        for (int sx = 0; sx < 4; sx++) {
            float px = x + (sx + 0.5f) / 4, py = y + (sy + 0.5f) / 4;
            if (px < x0 || px > x1 || py < y0 || py > y1) continue;
            float cx = px < x0 + r ? x0 + r : px > x1 - r ? x1 - r : px;
            float cy = py < y0 + r ? y0 + r : py > y1 - r ? y1 - r : py;
            float dx = px - cx, dy = py - cy;
            if (dx * dx + dy * dy <= r * r) inside++;
        }
    return (unsigned)(inside * 255 / 16);
}

void button(Target& t, const DrawOp& op) {
    const float r = op.corner / 2.0f, pen = (float)(op.pen > 0 ? op.pen : 1);
    for (int y = op.y0; y < op.y1; y++)
        for (int x = op.x0; x < op.x1; x++) {
            unsigned outer = rounded_coverage((float)op.x0, (float)op.y0, (float)op.x1, (float)op.y1, r, x, y);
            if (!outer) continue;
            float ri = r - pen > 0 ? r - pen : 0;
            unsigned inner = rounded_coverage(op.x0 + pen, op.y0 + pen, op.x1 - pen, op.y1 - pen, ri, x, y);
            blend(t, x, y, op.outline, outer);
            blend(t, x, y, op.color, inner);
        }
}

void draw_line(Target& t, FT_Face face, const char* s, const char* end, int x, int baseline, uint32_t rgb) {
    while (s < end && *s) {
        uint32_t c = decode(s);
        if (FT_Load_Char(face, c, FT_LOAD_RENDER)) continue;
        FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; row++)
            for (unsigned col = 0; col < bm.width; col++) {
                unsigned a = bm.buffer[row * bm.pitch + col];
                blend(t, x + g->bitmap_left + (int)col, baseline - g->bitmap_top + (int)row, rgb, a);
            }
        x += (int)((g->advance.x + 32) >> 6);
    }
}

struct FitLine {
    FT_Face face;
    const char* s;
};

int width_at(int px, const void* ctx) {
    const FitLine* f = static_cast<const FitLine*>(ctx);
    if (FT_Set_Pixel_Sizes(f->face, 0, (FT_UInt)px)) return 0;
    return width_of(f->face, f->s, f->s + strlen(f->s));
}

void text(Target& t, const LauncherScene& scene, const DrawOp& op) {
    FT_Face face = pick(op.font, op.weight, op.italic);
    if (!face) return;
    const char* s = scene_text(scene, op);
    int font_px = op.font_px;
    if (op.flags & TEXT_FIT) {
        const FitLine line{face, s};
        font_px = launcher_fit_px(font_px, op.x1 - op.x0, width_at, &line);
    }
    if (FT_Set_Pixel_Sizes(face, 0, (FT_UInt)font_px)) return;
    const int ascent = (int)(face->size->metrics.ascender >> 6);
    const int descent = (int)(-face->size->metrics.descender >> 6);
    const int line_h = (int)(face->size->metrics.height >> 6);
    const int box_w = op.x1 - op.x0;
    t.cx0 = op.x0 > 0 ? op.x0 : 0;
    t.cy0 = op.y0 > 0 ? op.y0 : 0;
    t.cx1 = op.x1 < t.w ? op.x1 : t.w;
    t.cy1 = op.y1 < t.h ? op.y1 : t.h;

    auto place = [&](const char* a, const char* b, int baseline, const char* tail) {
        int w = width_of(face, a, b) + (tail ? width_of(face, tail, tail + strlen(tail)) : 0);
        int x = (op.flags & TEXT_CENTER) ? op.x0 + (box_w - w) / 2 : op.x0;
        draw_line(t, face, a, b, x, baseline, op.color);
        if (tail) draw_line(t, face, tail, tail + strlen(tail), x + width_of(face, a, b), baseline, op.color);
    };

    if (op.flags & TEXT_WRAP) {
        // Greedy word wrap from the top of the box.
        int baseline = op.y0 + ascent;
        const char* line = s;
        while (*line) {
            const char* end = line;
            const char* fit = nullptr;
            for (;;) {
                const char* word_end = end;
                while (*word_end == ' ') word_end++;
                while (*word_end && *word_end != ' ') word_end++;
                if (width_of(face, line, word_end) > box_w && fit) break;
                fit = word_end;
                end = word_end;
                if (!*end) break;
            }
            place(line, fit, baseline, nullptr);
            line = fit;
            while (*line == ' ') line++;
            baseline += line_h;
        }
        return;
    }

    const char* end = s + strlen(s);
    const char* tail = nullptr;
    if ((op.flags & TEXT_ELLIPSIS) && width_of(face, s, end) > box_w) {
        tail = "…";
        const int room = box_w - width_of(face, tail, tail + strlen(tail));
        const char* p = s;
        const char* last = s;
        int w = 0;
        while (*p) {
            const char* q = p;
            w += advance(face, decode(q));
            if (w > room) break;
            p = q;
            last = p;
        }
        end = last;
    }
    const int baseline = op.y0 + ((op.y1 - op.y0) - (ascent + descent)) / 2 + ascent;
    place(s, end, baseline, tail);
}

}  // namespace

bool canvas_load_fonts() {
    if (!ft && FT_Init_FreeType(&ft)) return false;
    bool any = false;
    for (int f = 0; f < FACE_COUNT; f++) {
        for (int i = 0; !faces[f] && FACE_FILES[f][i]; i++)
            if (FT_New_Face(ft, FACE_FILES[f][i], 0, &faces[f])) faces[f] = nullptr;
        any = any || faces[f];
    }
    if (!any) fprintf(stderr, "Tervanne-lanceur : aucune police DejaVu trouvée, les textes ne sont pas dessinés\n");
    return any;
}

void canvas_paint(const LauncherScene& scene, uint32_t* pixels, int w, int h, int pitch_pixels) {
    Target t{pixels, w, h, pitch_pixels, 0, 0, w, h};
    for (int i = 0; i < scene.count; i++) {
        const DrawOp& op = scene.ops[i];
        t.cx0 = 0; t.cy0 = 0; t.cx1 = w; t.cy1 = h;
        switch (op.kind) {
        case DRAW_RECT: fill(t, op.x0, op.y0, op.x1, op.y1, op.color); break;
        case DRAW_BUTTON: button(t, op); break;
        case DRAW_TEXT: text(t, scene, op); break;
        }
    }
}
