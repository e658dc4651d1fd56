// Text and 2D batch: glyph coverage of the baked fonts, UTF-8 decoding and
// its fallbacks, line measuring, centring, the drop shadow, word wrap, and
// the packed atlas decoder on damaged input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "render/font_atlas.h"
#include "render/ui.h"
#include "common/font_atlas_codec.h"

namespace {

const Vec4 WHITE = {1, 1, 1, 1};

struct Quad {
    float x0, y0, x1, y1, u0, v0, u1, v1;
    Vec4 colour;
    int mode;
};

std::vector<Quad> quads() {
    std::vector<Quad> out;
    const UiVertex* v = ui_batch_vertices();
    for (int i = 0; i + 5 < ui_batch_count(); i += 6) {
        out.push_back({v[i].x, v[i].y, v[i + 2].x, v[i + 2].y, v[i].u, v[i].v, v[i + 2].u, v[i + 2].v,
                       Vec4{v[i].r, v[i].g, v[i].b, v[i].a}, (int)v[i].mode});
    }
    return out;
}

// The glyph quads only (mode 1), in drawing order.
std::vector<Quad> glyph_quads() {
    std::vector<Quad> out;
    for (const Quad& q : quads())
        if (q.mode == UI_GLYPH) out.push_back(q);
    return out;
}

const GlyphRecord& record(int font, int32_t cp) {
    int i = ui_glyph_index(font, cp);
    EXPECT_GE(i, 0) << "font " << font << " U+" << std::hex << cp;
    return font_glyphs[i < 0 ? 0 : i];
}

bool same_texture(const Quad& q, const GlyphRecord& g) {
    return std::fabs(q.u0 - g.atlas_x / 1024.0f) < 1e-6f && std::fabs(q.v0 - g.atlas_y / 991.0f) < 1e-6f &&
           std::fabs(q.u1 - (g.atlas_x + g.width) / 1024.0f) < 1e-6f &&
           std::fabs(q.v1 - (g.atlas_y + g.height) / 991.0f) < 1e-6f;
}

class Text : public ::testing::Test {
  protected:
    void SetUp() override { ui_batch_clear(); }
    void TearDown() override { ui_batch_clear(); }
};

}  // namespace

TEST(FontData, BothFontsCoverTheSameTwoHundredCodePoints) {
    std::vector<int32_t> expected;
    for (int c = 0x20; c <= 0x7E; ++c) expected.push_back(c);
    for (int c = 0xA0; c <= 0xFF; ++c) expected.push_back(c);
    for (int32_t c : {0x2014, 0x2019, 0x2022, 0x2026, 0x2192, 0x2212, 0x25A3, 0x25C6, 0x2713}) expected.push_back(c);
    ASSERT_EQ(expected.size(), 200u);
    int per_font[2] = {0, 0};
    for (const GlyphRecord& g : font_glyphs) {
        ASSERT_LT(g.font, 2);
        per_font[g.font]++;
        // Every box lies inside the atlas.
        EXPECT_GE(g.atlas_x, 0);
        EXPECT_GE(g.atlas_y, 0);
        EXPECT_LE(g.atlas_x + g.width, FONT_ATLAS_W);
        EXPECT_LE(g.atlas_y + g.height, FONT_ATLAS_H);
        EXPECT_GT(g.advance, 0.0f) << "U+" << std::hex << g.code_point;
    }
    EXPECT_EQ(per_font[0], 200);
    EXPECT_EQ(per_font[1], 200);
    for (int font = 0; font < 2; ++font)
        for (int32_t cp : expected) EXPECT_GE(ui_glyph_index(font, cp), 0) << font << " U+" << std::hex << cp;
    EXPECT_EQ(ui_glyph_index(0, 0x1F600), -1);
    EXPECT_EQ(ui_glyph_index(0, 0x0100), -1);
}

TEST(FontData, AtlasDecodesToDistanceFieldsUnderEachGlyph) {
    const uint8_t* atlas = font_atlas_pixels();
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(font_atlas_pixels(), atlas) << "decoded once";
    // Letters with ink have texels clearly inside (> 0.5) and a rim outside.
    for (int font = 0; font < 2; ++font) {
        for (int32_t cp : {(int32_t)'H', (int32_t)'e', (int32_t)0xE9, (int32_t)0x2026}) {
            const GlyphRecord& g = record(font, cp);
            ASSERT_GT(g.width, 0);
            int inside = 0, max_v = 0;
            for (int y = g.atlas_y; y < g.atlas_y + g.height; ++y)
                for (int x = g.atlas_x; x < g.atlas_x + g.width; ++x) {
                    int v = atlas[y * FONT_ATLAS_W + x];
                    if (v > 128) ++inside;
                    if (v > max_v) max_v = v;
                }
            EXPECT_GT(inside, 20) << font << " U+" << std::hex << cp;
            EXPECT_GT(max_v, 145);  // more than a pixel deep somewhere
            // The box border is well outside the ink.
            EXPECT_LT(atlas[g.atlas_y * FONT_ATLAS_W + g.atlas_x], 40);
        }
    }
    // The space has nothing to draw.
    EXPECT_EQ(record(0, ' ').width, 0);
}

TEST(AtlasCodec, DamagedTextIsRefusedWithoutOverrun) {
    std::vector<uint8_t> out((size_t)FONT_ATLAS_W * FONT_ATLAS_H);
    // Cut short: the stream ends before the last pixel.
    EXPECT_FALSE(atlas_decode(font_atlas_text, font_atlas_text_length / 2, out.data(), FONT_ATLAS_W, FONT_ATLAS_H));
    EXPECT_FALSE(atlas_decode(font_atlas_text, 10, out.data(), FONT_ATLAS_W, FONT_ATLAS_H));
    // A character outside the alphabet.
    std::string bad(font_atlas_text, (size_t)font_atlas_text_length);
    bad[bad.size() / 3] = '"';
    EXPECT_FALSE(atlas_decode(bad.data(), (long)bad.size(), out.data(), FONT_ATLAS_W, FONT_ATLAS_H));
    // All-zero code lengths cannot describe any pixel.
    std::string zeros(200, 'A');
    EXPECT_FALSE(atlas_decode(zeros.data(), (long)zeros.size(), out.data(), 4, 4));
    // Over-subscribed table: every symbol with a one-bit code.
    std::string ones(200, 'R');  // 010001 repeated: lengths 4, 4, 4 ... too many short codes
    EXPECT_FALSE(atlas_decode(ones.data(), (long)ones.size(), out.data(), 4, 4));
    // The untouched data still decodes to the same atlas.
    EXPECT_TRUE(atlas_decode(font_atlas_text, font_atlas_text_length, out.data(), FONT_ATLAS_W, FONT_ATLAS_H));
    EXPECT_EQ(0, std::memcmp(out.data(), font_atlas_pixels(), out.size()));
}

TEST_F(Text, AccentsEllipsisAndCheckMarkComeFromTheAtlas) {
    ui_text(10, 20, "é…✓", 48, WHITE, UI_FONT_BODY);
    std::vector<Quad> g = glyph_quads();
    ASSERT_EQ(g.size(), 3u);
    EXPECT_TRUE(same_texture(g[0], record(0, 0xE9)));
    EXPECT_TRUE(same_texture(g[1], record(0, 0x2026)));
    EXPECT_TRUE(same_texture(g[2], record(0, 0x2713)));
    // Every glyph quad has its shadow, drawn first.
    EXPECT_EQ(quads().size(), 6u);
    EXPECT_EQ(quads()[0].mode, UI_SHADOW);
}

TEST_F(Text, FourByteSequencesAndStrayBytesDrawOneQuestionMark) {
    const GlyphRecord& q = record(0, '?');
    ui_text(0, 0, "a\xF0\x9F\x98\x80" "b", 48, WHITE, UI_FONT_BODY);  // a, emoji, b
    std::vector<Quad> g = glyph_quads();
    ASSERT_EQ(g.size(), 3u);
    EXPECT_TRUE(same_texture(g[0], record(0, 'a')));
    EXPECT_TRUE(same_texture(g[1], q));
    EXPECT_TRUE(same_texture(g[2], record(0, 'b')));
    // A stray continuation byte stands for four bytes.
    EXPECT_FLOAT_EQ(ui_text_width("\x80" "abcd", 48, 0), q.advance + record(0, 'd').advance);
    // Sequences cut by the end of the text never read past it.
    EXPECT_FLOAT_EQ(ui_text_width("x\xC3", 48, 0), record(0, 'x').advance + q.advance);
    EXPECT_FLOAT_EQ(ui_text_width("\xE2\x80", 48, 0), q.advance);
    EXPECT_FLOAT_EQ(ui_text_width("\xF0\x9F", 48, 0), q.advance);
    // ...nor past a line feed.
    EXPECT_FLOAT_EQ(ui_text_width("\xF0\nabc", 48, 0), q.advance);
}

TEST_F(Text, CodePointsFromTheSymbolRangeUseTheBodyFont) {
    // The dash asked in the title font comes from the body font; plain letters do not.
    ui_text(0, 0, "A—B", 48, WHITE, UI_FONT_TITLE);
    std::vector<Quad> g = glyph_quads();
    ASSERT_EQ(g.size(), 3u);
    EXPECT_TRUE(same_texture(g[0], record(1, 'A')));
    EXPECT_TRUE(same_texture(g[1], record(0, 0x2014)));
    EXPECT_FALSE(same_texture(g[1], record(1, 0x2014)));
    EXPECT_TRUE(same_texture(g[2], record(1, 'B')));
    // Beyond the index a code point is the body font's "?" (it is in the
    // symbol range too); so is one that neither font has.
    EXPECT_EQ(ui_resolve_glyph(1, 0x2800), ui_glyph_index(0, '?'));
    EXPECT_EQ(ui_resolve_glyph(1, 0x4E2D), ui_glyph_index(0, '?'));
    EXPECT_EQ(ui_resolve_glyph(1, 0x0153), ui_glyph_index(0, '?'));  // œ is not baked
    EXPECT_EQ(ui_resolve_glyph(0, 0x1F600), ui_glyph_index(0, '?'));
    // A "?" decoded from a four-byte sequence is an ordinary code point: the
    // asked font draws it.
    ui_batch_clear();
    ui_text(0, 0, "\xF0\x9F\x98\x80", 48, WHITE, UI_FONT_TITLE);
    ASSERT_EQ(glyph_quads().size(), 1u);
    EXPECT_TRUE(same_texture(glyph_quads()[0], record(1, '?')));
}

TEST_F(Text, LineFeedEndsTheLineForDrawingAndMeasuring) {
    float w = ui_text(0, 0, "ab\ncd", 30, WHITE, UI_FONT_BODY);
    EXPECT_EQ(glyph_quads().size(), 2u);
    EXPECT_FLOAT_EQ(w, ui_text_width("ab", 30, UI_FONT_BODY));
    EXPECT_FLOAT_EQ(ui_text_width("ab\ncdef", 30, UI_FONT_BODY), ui_text_width("ab", 30, UI_FONT_BODY));
    EXPECT_FLOAT_EQ(ui_text_width("\nab", 30, UI_FONT_BODY), 0.0f);
}

TEST_F(Text, WidthsScaleWithSizeAndFollowTheAdvances) {
    const GlyphRecord& a = record(0, 'A');
    const GlyphRecord& v = record(0, 'V');
    EXPECT_FLOAT_EQ(ui_text_width("AV", 48, 0), a.advance + v.advance);
    EXPECT_FLOAT_EQ(ui_text_width("AV", 24, 0), (a.advance + v.advance) * 0.5f);
    EXPECT_FLOAT_EQ(ui_text_width("", 24, 0), 0.0f);
    EXPECT_GT(ui_text_width("Tervanne", 54, UI_FONT_TITLE), 54.0f * 2);
    // The returned width of a drawn line is the measured one.
    EXPECT_FLOAT_EQ(ui_text(5, 5, "Élan", 17, WHITE, 1), ui_text_width("Élan", 17, 1));
}

TEST_F(Text, GlyphQuadsSitOnTheBaselineAndTheShadowIsOffset) {
    const float size = 24, s = size / 48.0f;
    const Vec4 colour = {0.2f, 0.4f, 0.6f, 0.8f};
    ui_text(100, 50, "H", size, colour, UI_FONT_BODY);
    std::vector<Quad> q = quads();
    ASSERT_EQ(q.size(), 2u);
    const GlyphRecord& h = record(0, 'H');
    const Quad& shadow = q[0];
    const Quad& glyph = q[1];
    float baseline = 50 + size * 0.9323f;
    EXPECT_FLOAT_EQ(glyph.x0, 100 + h.x_offset * s);
    EXPECT_FLOAT_EQ(glyph.y0, baseline + h.y_offset * s);
    EXPECT_FLOAT_EQ(glyph.x1 - glyph.x0, h.width * s);
    EXPECT_FLOAT_EQ(glyph.y1 - glyph.y0, h.height * s);
    EXPECT_EQ(glyph.mode, UI_GLYPH);
    EXPECT_FLOAT_EQ(glyph.colour.w, 0.8f);
    EXPECT_EQ(shadow.mode, UI_SHADOW);
    EXPECT_FLOAT_EQ(shadow.x0, glyph.x0 + 0.04f * size);
    EXPECT_FLOAT_EQ(shadow.y0, glyph.y0 + 0.06f * size);
    EXPECT_FLOAT_EQ(shadow.colour.x, 0.0f);
    EXPECT_FLOAT_EQ(shadow.colour.w, 0.75f * 0.8f);
    // The title font's baseline sits lower.
    ui_batch_clear();
    ui_text(100, 50, "H", size, colour, UI_FONT_TITLE);
    const GlyphRecord& th = record(1, 'H');
    EXPECT_FLOAT_EQ(glyph_quads()[0].y0, 50 + size * 1.0104f + th.y_offset * s);
}

TEST_F(Text, CentredTextIsCentredOnItsMeasuredWidth) {
    float w = ui_text_width("Reprendre", 18, 0);
    ui_text_centred(400, 10, "Reprendre", 18, WHITE, 0);
    const GlyphRecord& r = record(0, 'R');
    EXPECT_FLOAT_EQ(glyph_quads()[0].x0, 400 - w / 2 + r.x_offset * 18 / 48.0f);
}

TEST_F(Text, WrapPutsEachWordOnItsOwnLineWhenNoneFits) {
    const float size = 20, spacing = 1.3f;
    float h = ui_text_wrapped(0, 100, 1.0f, "un deux trois", size, WHITE, 0, spacing);
    EXPECT_FLOAT_EQ(h, 3 * spacing * size);
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(1.0f, "un deux trois", size, 0, spacing), h);
    // First letters of the three words start three lines, each at x = 0.
    std::vector<Quad> g = glyph_quads();
    ASSERT_EQ(g.size(), 11u);
    const float s = size / 48.0f;
    float x_first = record(0, 'u').x_offset * s;
    EXPECT_FLOAT_EQ(g[0].x0, x_first);
    EXPECT_FLOAT_EQ(g[2].x0, record(0, 'd').x_offset * s);
    EXPECT_FLOAT_EQ(g[6].x0, record(0, 't').x_offset * s);
    EXPECT_NEAR(g[2].y0 - record(0, 'd').y_offset * s - (g[0].y0 - record(0, 'u').y_offset * s), spacing * size, 1e-3);
    EXPECT_NEAR(g[6].y0 - record(0, 't').y_offset * s - (g[0].y0 - record(0, 'u').y_offset * s), 2 * spacing * size,
                1e-3);
}

TEST_F(Text, WrapKeepsWordsTogetherUpToTheWidth) {
    const float size = 18;
    float one_line = ui_text_width("Le jeu est en pause.", size, 0);
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(one_line, "Le jeu est en pause.", size, 0, 1.35f), 1.35f * size);
    // One pixel less pushes the last word down.
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(one_line - 1, "Le jeu est en pause.", size, 0, 1.35f), 2 * 1.35f * size);
    ui_text_wrapped(0, 0, one_line - 1, "Le jeu est en pause.", size, WHITE, 0, 1.35f);
    std::vector<Quad> g = glyph_quads();
    ASSERT_FALSE(g.empty());
    // "pause." starts the second line at the left edge.
    const Quad& p = g[g.size() - 6];
    EXPECT_FLOAT_EQ(p.x0, record(0, 'p').x_offset * size / 48.0f);
}

namespace {

// The first glyph of each wrapped line (each line draws its shadow, then its
// glyphs), as its code point in the body font.
std::vector<int32_t> wrapped_line_starts(float width, const char* text) {
    ui_batch_clear();
    ui_text_wrapped(0, 0, width, text, 18, WHITE, 0, 1.35f);
    std::vector<int32_t> out;
    int previous = -1;
    for (const Quad& q : quads()) {
        if (q.mode == UI_GLYPH && previous != UI_GLYPH) {
            int32_t cp = -1;
            for (const GlyphRecord& g : font_glyphs)
                if (g.font == 0 && g.width > 0 && same_texture(q, g)) cp = g.code_point;
            out.push_back(cp);
        }
        previous = q.mode;
    }
    return out;
}

}  // namespace

TEST_F(Text, WrapKeepsFrenchMarksWithTheWordBeforeAndQuotesWithTheirText) {
    struct Case {
        const char* fits;  // what one line can just hold
        const char* text;
        int32_t second;    // the first letter of the second line
    } cases[] = {
        {"Abats-en dix, archer", "Abats-en dix, archer : je ne veux pas", 'a'},
        {"Ah, un archer", "Ah, un archer ! Il était temps.", 'a'},
        {"Tu veux chasser", "Tu veux chasser ? Ils te dévoreraient.", 'c'},
        {"un enchaînement", "un enchaînement ; la touche X", 'e'},
        {"qui arrête 70", "qui arrête 70 % des coups", '7'},
        {"de Bréhus", "de Bréhus » et", 'B'},
        // An opening quote goes down with the word it opens.
        {"prévient : «", "prévient : « Ici dorment", 0xAB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        float width = ui_text_width(c.fits, 18, 0) + 0.5f;
        std::vector<int32_t> starts = wrapped_line_starts(width, c.text);
        ASSERT_GE(starts.size(), 2u);
        EXPECT_EQ(starts[1], c.second);
    }
    // Narrower and narrower, no line ever starts with one of the marks.
    const char* text = "Combat au corps à corps. Trois coups (F) font un enchaînement ; la touche X lève l'écu, "
                       "qui arrête 70 % des coups : « Ici dorment les félons » ! Prêt ? Oui !";
    for (float width = 20; width < 700; width += 3) {
        for (int32_t cp : wrapped_line_starts(width, text)) {
            EXPECT_TRUE(cp != ';' && cp != ':' && cp != '!' && cp != '?' && cp != '%' && cp != 0xBB) << width;
        }
    }
}

TEST_F(Text, NoBreakSpaceDrawsAsASpaceAndNeverBreaks) {
    for (int font = 0; font < 2; ++font) {
        EXPECT_FLOAT_EQ(record(font, 0xA0).advance, record(font, ' ').advance) << font;
        EXPECT_EQ(record(font, 0xA0).width, 0) << "nothing to draw";
    }
    EXPECT_FLOAT_EQ(ui_text_width("archer\u00a0:", 18, 0), ui_text_width("archer :", 18, 0));
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(1.0f, "archer\u00a0: oui", 18, 0, 1.35f), 2 * 1.35f * 18);
    ui_batch_clear();
    ui_text(0, 0, "a\u00a0b", 18, WHITE, 0);
    EXPECT_EQ(glyph_quads().size(), 2u);
}

TEST_F(Text, WrappedHeightsCountLines) {
    const float size = 10, sp = 1.3f;
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(300, "", size, 0, sp), sp * size) << "empty text is one line";
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(300, "a\nb", size, 0, sp), 2 * sp * size);
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(300, "a\n\nb", size, 0, sp), 3 * sp * size);
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(300, "a\n", size, 0, sp), 2 * sp * size);
    // Empty lines are not drawn, but count.
    float h = ui_text_wrapped(0, 0, 300, "\n\nx", size, WHITE, 0, sp);
    EXPECT_FLOAT_EQ(h, 3 * sp * size);
    EXPECT_EQ(glyph_quads().size(), 1u);
    // A word longer than the width stays whole on its own line.
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(5, "Anticonstitutionnellement", size, 0, sp), sp * size);
    // Null text behaves as empty.
    EXPECT_FLOAT_EQ(ui_text_wrapped_height(300, nullptr, size, 0, sp), sp * size);
}

TEST_F(Text, OverlongWordsAreCutAtCharacterBoundaries) {
    // 300 two-byte letters: the 250-byte cut must not split one.
    std::string word;
    for (int i = 0; i < 300; ++i) word += "é";
    ui_text_wrapped(0, 0, 100000, word.c_str(), 10, WHITE, 0, 1.3f);
    const GlyphRecord& q = record(0, '?');
    for (const Quad& g : glyph_quads()) EXPECT_FALSE(same_texture(g, q));
    EXPECT_EQ(glyph_quads().size(), 300u);
}

TEST_F(Text, OverlongWordIsDrawnWithoutAnAddedBlank) {
    // 600 bytes cut into 250-byte pieces: the pieces join as the text has
    // them, so the wrapped word is drawn exactly as the plain line is.
    std::string word;
    for (int i = 0; i < 600; ++i) word += (char)('a' + i % 26);
    const std::string text = word + " fin";
    ui_text(0, 0, text.c_str(), 10, WHITE, 0);
    const std::vector<Quad> line = glyph_quads();
    ui_batch_clear();
    const float h = ui_text_wrapped(0, 0, 100000, text.c_str(), 10, WHITE, 0, 1.3f);
    EXPECT_FLOAT_EQ(h, 1.3f * 10);
    const std::vector<Quad> wrapped = glyph_quads();
    ASSERT_EQ(wrapped.size(), line.size());
    for (size_t i = 0; i < line.size(); ++i) EXPECT_FLOAT_EQ(wrapped[i].x0, line[i].x0) << i;
}

TEST_F(Text, PanelsAndQuadsFollowTheVertexOrder) {
    ui_quad(1, 2, 3, 4, 0.1f, 0.2f, 0.3f, 0.4f, WHITE, UI_FLAT);
    ASSERT_EQ(ui_batch_count(), 6);
    const UiVertex* v = ui_batch_vertices();
    const float expect[6][4] = {{1, 2, 0.1f, 0.2f}, {3, 2, 0.3f, 0.2f}, {3, 4, 0.3f, 0.4f},
                                {1, 2, 0.1f, 0.2f}, {3, 4, 0.3f, 0.4f}, {1, 4, 0.1f, 0.4f}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, expect[i][0]);
        EXPECT_FLOAT_EQ(v[i].y, expect[i][1]);
        EXPECT_FLOAT_EQ(v[i].u, expect[i][2]);
        EXPECT_FLOAT_EQ(v[i].v, expect[i][3]);
    }
    ui_batch_clear();
    ui_panel(10, 20, 100, 50, WHITE, Vec4{1, 0, 0, 1}, 2);
    std::vector<Quad> q = quads();
    ASSERT_EQ(q.size(), 5u);
    // Fill, then top and bottom of full width, then the sides between them.
    EXPECT_FLOAT_EQ(q[1].y1 - q[1].y0, 2);
    EXPECT_FLOAT_EQ(q[1].x1 - q[1].x0, 100);
    EXPECT_FLOAT_EQ(q[2].y0, 68);
    EXPECT_FLOAT_EQ(q[3].y0, 22);
    EXPECT_FLOAT_EQ(q[3].y1, 68);
    EXPECT_FLOAT_EQ(q[4].x0, 108);
    ui_batch_clear();
    ui_panel(10, 20, 100, 50, WHITE, WHITE, 0);
    EXPECT_EQ(ui_batch_count(), 6);
}

TEST_F(Text, BatchGrowsPastManyQuads) {
    for (int i = 0; i < 5000; ++i) ui_rect((float)i, 0, 1, 1, WHITE);
    EXPECT_EQ(ui_batch_count(), 30000);
    EXPECT_FLOAT_EQ(ui_batch_vertices()[29999].x, 4999);
}
