// Bakes the two interface fonts into one signed-distance atlas and writes the
// C++ data file the game compiles (render/font_atlas_data.cpp).
//
//   font_baker [--body FILE] [--title FILE] [--fallback FILE] [--out FILE] [--png FILE]
//
// The output depends only on the font files and the FreeType version, so the
// same inputs always give the same bytes. Glyphs that the title face lacks are
// taken from the fallback face at the same scale, or else from the body face.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "atlas_codec.h"
#include "common/font_atlas_codec.h"
#include "sdf.h"

namespace {

const int ATLAS_W = 1024;
const int ATLAS_H = 991;
const int DESIGN_SIZE = 48;  // pixels per nominal text size at which glyphs are baked
const int SUPERSAMPLE = 8;   // the outline is rasterised this much finer than the atlas
const int SPREAD = 8;        // atlas pixels from the edge to distance 0 or 1
const int PAD = 8;           // empty atlas pixels around each glyph's ink
const int GAP = 1;           // between packed glyphs, so linear filtering never bleeds

struct Glyph {
    int font;
    int32_t code;
    int x = 0, y = 0, w = 0, h = 0;  // atlas box
    int xoff = 0, yoff = 0;          // box corner relative to pen and baseline
    double advance = 0;
    std::vector<uint8_t> field;      // w * h bytes
};

std::vector<int32_t> code_points() {
    std::vector<int32_t> cps;
    for (int c = 0x20; c <= 0x7E; ++c) cps.push_back(c);
    for (int c = 0xA0; c <= 0xFF; ++c) cps.push_back(c);
    const int32_t symbols[] = {0x2014, 0x2019, 0x2022, 0x2026, 0x2192, 0x2212, 0x25A3, 0x25C6, 0x2713};
    for (int32_t c : symbols) cps.push_back(c);
    return cps;
}

FT_Face open_face(FT_Library lib, const char* path) {
    FT_Face face = nullptr;
    if (FT_New_Face(lib, path, 0, &face) != 0) {
        std::fprintf(stderr, "font_baker: cannot open %s\n", path);
        return nullptr;
    }
    return face;
}

// Height of the capital H in em units: the title face is scaled so that its
// capitals stand as tall as the body face's at the same nominal size.
double cap_height_em(FT_Face face) {
    FT_UInt gi = FT_Get_Char_Index(face, 'H');
    if (gi == 0 || FT_Load_Glyph(face, gi, FT_LOAD_NO_SCALE) != 0) return 0.7;
    FT_BBox box;
    FT_Outline_Get_CBox(&face->glyph->outline, &box);
    return (double)box.yMax / face->units_per_EM;
}

int lining_digits = 0;

// Glyph for a code point. With `lining`, digits take the face's lining
// figures when it has them: old-style figures make "Niveau 1" read "Niveau ı".
FT_UInt glyph_for(FT_Face face, int32_t code, bool lining) {
    static const char* const digit_names[10] = {"zero", "one", "two", "three", "four",
                                                "five", "six", "seven", "eight", "nine"};
    if (lining && code >= '0' && code <= '9' && FT_HAS_GLYPH_NAMES(face)) {
        std::string name = std::string(digit_names[code - '0']) + ".lnum";
        FT_UInt gi = FT_Get_Name_Index(face, name.c_str());
        if (gi != 0) {
            ++lining_digits;
            return gi;
        }
    }
    return FT_Get_Char_Index(face, (FT_ULong)code);
}

bool bake_glyph(FT_Face face, double em_px, Glyph& g, bool lining = false) {
    FT_Set_Char_Size(face, 0, (FT_F26Dot6)std::lround(em_px * SUPERSAMPLE * 64.0), 72, 72);
    FT_UInt gi = glyph_for(face, g.code, lining);
    if (gi == 0) return false;
    if (FT_Load_Glyph(face, gi, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return false;
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    // Advances kept to 1/64 pixel so that the data file prints them exactly.
    double adv = (double)slot->linearHoriAdvance / 65536.0 / SUPERSAMPLE;
    g.advance = std::round(adv * 64.0) / 64.0;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.width == 0 || bm.rows == 0) return true;  // space: advance only

    int left = slot->bitmap_left, top = -slot->bitmap_top;  // hi-res, y down
    int bw = (int)bm.width, bh = (int)bm.rows;
    auto floor_div = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    int x0 = floor_div(left, SUPERSAMPLE) - PAD;
    int y0 = floor_div(top, SUPERSAMPLE) - PAD;
    int x1 = -floor_div(-(left + bw), SUPERSAMPLE) + PAD;
    int y1 = -floor_div(-(top + bh), SUPERSAMPLE) + PAD;
    g.xoff = x0;
    g.yoff = y0;
    g.w = x1 - x0;
    g.h = y1 - y0;

    int gw = g.w * SUPERSAMPLE, gh = g.h * SUPERSAMPLE;
    std::vector<uint8_t> inside((size_t)gw * gh, 0);
    int ox = left - x0 * SUPERSAMPLE, oy = top - y0 * SUPERSAMPLE;
    for (int r = 0; r < bh; ++r) {
        const unsigned char* row = bm.buffer + (ptrdiff_t)r * bm.pitch;
        for (int c = 0; c < bw; ++c)
            if (row[c] >= 128) inside[(size_t)(oy + r) * gw + ox + c] = 1;
    }
    std::vector<float> sd = signed_distance(inside, gw, gh);
    g.field.resize((size_t)g.w * g.h);
    const int half = SUPERSAMPLE / 2;
    for (int j = 0; j < g.h; ++j) {
        for (int i = 0; i < g.w; ++i) {
            // The atlas texel's centre is a corner of four fine pixels.
            int fx = i * SUPERSAMPLE + half, fy = j * SUPERSAMPLE + half;
            float d = 0.25f * (sd[(size_t)(fy - 1) * gw + fx - 1] + sd[(size_t)(fy - 1) * gw + fx] +
                               sd[(size_t)fy * gw + fx - 1] + sd[(size_t)fy * gw + fx]);
            d /= (float)SUPERSAMPLE;
            double v = 0.5 + d / (2.0 * SPREAD);
            long b = std::lround(v * 255.0);
            g.field[(size_t)j * g.w + i] = (uint8_t)std::clamp(b, 0L, 255L);
        }
    }
    return true;
}

// Shelf packing, tallest first; deterministic for equal sizes.
bool pack(std::vector<Glyph>& glyphs) {
    std::vector<int> order(glyphs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = (int)i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (glyphs[a].h != glyphs[b].h) return glyphs[a].h > glyphs[b].h;
        return glyphs[a].w > glyphs[b].w;
    });
    int x = 0, y = 0, shelf = 0;
    for (int i : order) {
        Glyph& g = glyphs[i];
        if (g.w == 0) continue;
        if (x + g.w > ATLAS_W) {
            x = 0;
            y += shelf + GAP;
            shelf = 0;
        }
        if (y + g.h > ATLAS_H) return false;
        g.x = x;
        g.y = y;
        x += g.w + GAP;
        shelf = std::max(shelf, g.h);
    }
    std::fprintf(stderr, "font_baker: atlas rows used %d of %d\n", y + shelf, ATLAS_H);
    return true;
}

std::string fixed(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

std::string face_label(FT_Face face) {
    std::string s = face->family_name ? face->family_name : "?";
    if (face->style_name) s += std::string(" ") + face->style_name;
    return s;
}

bool write_png_gray(const char* path, const std::vector<uint8_t>& pix, int w, int h);

}  // namespace

int main(int argc, char** argv) {
    const char* body_path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    const char* title_path = "/usr/share/fonts/opentype/ebgaramond/EBGaramond12-Regular.otf";
    const char* fallback_path = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
    const char* out_path = "render/font_atlas_data.cpp";
    const char* png_path = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--body")) body_path = argv[i + 1];
        else if (!std::strcmp(argv[i], "--title")) title_path = argv[i + 1];
        else if (!std::strcmp(argv[i], "--fallback")) fallback_path = argv[i + 1];
        else if (!std::strcmp(argv[i], "--out")) out_path = argv[i + 1];
        else if (!std::strcmp(argv[i], "--png")) png_path = argv[i + 1];
        else {
            std::fprintf(stderr, "font_baker: unknown option %s\n", argv[i]);
            return 2;
        }
    }

    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0) return 1;
    FT_Face body = open_face(lib, body_path);
    FT_Face title = open_face(lib, title_path);
    FT_Face fallback = open_face(lib, fallback_path);
    if (!body || !title || !fallback) return 1;

    const double body_em = DESIGN_SIZE;
    const double title_em = std::round(DESIGN_SIZE * cap_height_em(body) / cap_height_em(title) * 64.0) / 64.0;
    std::fprintf(stderr, "font_baker: body %s at %.3f px/em, title %s at %.3f px/em\n",
                 face_label(body).c_str(), body_em, face_label(title).c_str(), title_em);

    std::vector<Glyph> glyphs;
    std::vector<int32_t> cps = code_points();
    std::string borrowed;
    for (int font = 0; font < 2; ++font) {
        for (int32_t cp : cps) {
            Glyph g;
            g.font = font;
            g.code = cp;
            bool ok = font == 0 ? bake_glyph(body, body_em, g) : bake_glyph(title, title_em, g, true);
            if (!ok && font == 1) {
                g = Glyph{};
                g.font = font;
                g.code = cp;
                ok = bake_glyph(fallback, title_em, g);
                const char* from = "";
                if (!ok) {  // last resort: the body face, at the title's scale
                    g = Glyph{};
                    g.font = font;
                    g.code = cp;
                    ok = bake_glyph(body, title_em, g);
                    from = " (body face)";
                }
                char buf[32];
                std::snprintf(buf, sizeof buf, " U+%04X%s", (unsigned)cp, from);
                borrowed += buf;
            }
            if (!ok) {
                std::fprintf(stderr, "font_baker: no glyph for U+%04X in font %d\n", (unsigned)cp, font);
                return 1;
            }
            glyphs.push_back(std::move(g));
        }
    }
    if (!borrowed.empty())
        std::fprintf(stderr, "font_baker: title glyphs from the fallback face:%s\n", borrowed.c_str());
    if (!pack(glyphs)) {
        std::fprintf(stderr, "font_baker: the glyphs do not fit into %d x %d\n", ATLAS_W, ATLAS_H);
        return 1;
    }

    std::vector<uint8_t> atlas((size_t)ATLAS_W * ATLAS_H, 0);
    for (const Glyph& g : glyphs)
        for (int j = 0; j < g.h; ++j)
            std::memcpy(&atlas[(size_t)(g.y + j) * ATLAS_W + g.x], &g.field[(size_t)j * g.w], g.w);
    if (png_path && !write_png_gray(png_path, atlas, ATLAS_W, ATLAS_H)) {
        std::fprintf(stderr, "font_baker: cannot write %s\n", png_path);
        return 1;
    }

    std::string text = atlas_encode(atlas.data(), ATLAS_W, ATLAS_H);
    std::vector<uint8_t> check((size_t)ATLAS_W * ATLAS_H);
    if (!atlas_decode(text.data(), (long)text.size(), check.data(), ATLAS_W, ATLAS_H) || check != atlas) {
        std::fprintf(stderr, "font_baker: packed atlas does not decode to itself\n");
        return 1;
    }
    std::fprintf(stderr, "font_baker: atlas %d bytes packed into %zu characters\n", ATLAS_W * ATLAS_H, text.size());

    FILE* f = std::fopen(out_path, "wb");
    if (!f) {
        std::fprintf(stderr, "font_baker: cannot write %s\n", out_path);
        return 1;
    }
    std::fprintf(f, "// Generated by tools/font_baker; rebake instead of editing.\n");
    std::fprintf(f, "// Font 0 (body): %s, %s, %.3f px/em.\n", face_label(body).c_str(),
                 std::strrchr(body_path, '/') ? std::strrchr(body_path, '/') + 1 : body_path, body_em);
    std::fprintf(f, "// Font 1 (title): %s, %s, %.3f px/em", face_label(title).c_str(),
                 std::strrchr(title_path, '/') ? std::strrchr(title_path, '/') + 1 : title_path, title_em);
    if (!borrowed.empty()) std::fprintf(f, ";\n//   from %s:%s", face_label(fallback).c_str(), borrowed.c_str());
    if (lining_digits == 10) std::fprintf(f, ";\n//   digits: the title face's lining figures");
    std::fprintf(f, ".\n// FreeType %d.%d.%d, %dx supersampled, distance spread %d px.\n", FREETYPE_MAJOR,
                 FREETYPE_MINOR, FREETYPE_PATCH, SUPERSAMPLE, SPREAD);
    std::fprintf(f, "#include \"render/font_atlas.h\"\n\n");
    std::fprintf(f, "const GlyphRecord font_glyphs[FONT_GLYPH_COUNT] = {\n");
    for (const Glyph& g : glyphs) {
        std::fprintf(f, "    {%d, 0, %d, %d, %d, %d, %d, %s, %s, %sf},\n", g.font, g.code, g.x, g.y, g.w, g.h,
                     (fixed(g.xoff) + "f").c_str(), (fixed(g.yoff) + "f").c_str(), fixed(g.advance).c_str());
    }
    std::fprintf(f, "};\n\n");
    std::fprintf(f, "const long font_atlas_text_length = %zu;\n", text.size());
    std::fprintf(f, "const char font_atlas_text[] =\n");
    const size_t per_line = 120;
    for (size_t i = 0; i < text.size(); i += per_line)
        std::fprintf(f, "    \"%s\"\n", text.substr(i, per_line).c_str());
    std::fprintf(f, "    ;\n");
    std::fclose(f);
    std::fprintf(stderr, "font_baker: wrote %s (%zu glyphs)\n", out_path, glyphs.size());
    FT_Done_FreeType(lib);
    return 0;
}

namespace {
// Minimal grayscale PNG (stored deflate blocks) for looking at the atlas.
uint32_t crc32(const uint8_t* p, size_t n, uint32_t c = 0xFFFFFFFFu) {
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return c;
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back((uint8_t)(x >> s));
}
void chunk(FILE* f, const char* type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> c;
    put32(c, (uint32_t)data.size());
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    uint32_t crc = crc32(c.data() + 4, c.size() - 4) ^ 0xFFFFFFFFu;
    put32(c, crc);
    std::fwrite(c.data(), 1, c.size(), f);
}
bool write_png_gray(const char* path, const std::vector<uint8_t>& pix, int w, int h) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const uint8_t sig[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    std::fwrite(sig, 1, 8, f);
    std::vector<uint8_t> ihdr;
    put32(ihdr, (uint32_t)w);
    put32(ihdr, (uint32_t)h);
    ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});
    chunk(f, "IHDR", ihdr);
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), pix.begin() + (size_t)y * w, pix.begin() + (size_t)(y + 1) * w);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t x : raw) {
        a = (a + x) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t i = 0; i < raw.size(); i += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - i);
        z.push_back(i + n == raw.size() ? 1 : 0);
        z.push_back((uint8_t)n);
        z.push_back((uint8_t)(n >> 8));
        z.push_back((uint8_t)~n);
        z.push_back((uint8_t)(~n >> 8));
        z.insert(z.end(), raw.begin() + i, raw.begin() + i + n);
    }
    put32(z, (b << 16) | a);
    chunk(f, "IDAT", z);
    chunk(f, "IEND", {});
    std::fclose(f);
    return true;
}
}  // namespace
