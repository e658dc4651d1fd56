// Render tests on the headless backend: the title card and a busy HUD frame
// are drawn for real, written to the build folder for a person to look at,
// compared with reference images (a quarter of the size) under a tolerance,
// and their text is checked for crisp edges at 13 and 54 pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "play/player_input.h"
#include "world/terrain.h"
#include "platform/platform.h"
#include "png_io.h"
#include "render/gl_api.h"
#include "render/hud.h"
#include "ui/pause_dialog.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "render/gpu.h"
#include "ui/title_card.h"
#include "ui/hud_draw.h"

namespace {

const int W = 1920, H = 1080, SHRINK = 4;

bool gl_ready = false;

Image grab() {
    Image im;
    im.width = W;
    im.height = H;
    im.channels = 4;
    im.pixels.resize((size_t)W * H * 4);
    if (!headless_read_pixels(im.pixels.data(), W, H)) im.pixels.clear();
    // A window shows colour only; the blended alpha left in the buffer would
    // make image viewers show the shadows light.
    for (size_t i = 3; i < im.pixels.size(); i += 4) im.pixels[i] = 255;
    return im;
}

// Box-filtered RGB copy, SHRINK times smaller on each side.
Image shrink(const Image& im) {
    Image out;
    out.width = im.width / SHRINK;
    out.height = im.height / SHRINK;
    out.channels = 3;
    out.pixels.resize((size_t)out.width * out.height * 3);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = 0; j < SHRINK; ++j)
                    for (int i = 0; i < SHRINK; ++i)
                        sum += im.pixels[((size_t)(y * SHRINK + j) * im.width + x * SHRINK + i) * 4 + c];
                out.pixels[((size_t)y * out.width + x) * 3 + c] = (uint8_t)((sum + SHRINK * SHRINK / 2) / (SHRINK * SHRINK));
            }
    return out;
}

// Compares with the committed reference; a missing reference leaves a
// candidate in the build folder and fails.
void expect_matches_reference(const Image& full, const std::string& name) {
    ASSERT_FALSE(full.pixels.empty());
    EXPECT_TRUE(png_save("ui_" + name + ".png", full)) << "for a person to look at";
    Image small = shrink(full);
    Image ref;
    std::string ref_path = std::string(UI_REFERENCE_DIR) + "/" + name + ".png";
    if (!png_load(ref_path, ref)) {
        png_save("ui_" + name + "_reference_candidate.png", small);
        FAIL() << "no reference image " << ref_path << "; candidate written to the build folder";
    }
    ASSERT_EQ(ref.width, small.width);
    ASSERT_EQ(ref.height, small.height);
    ASSERT_EQ(ref.channels, 3);
    long total = 0;
    int far_off = 0;
    const int n = small.width * small.height;
    for (int i = 0; i < n; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            int d = std::abs((int)small.pixels[i * 3 + c] - (int)ref.pixels[i * 3 + c]);
            total += d;
            if (d > worst) worst = d;
        }
        if (worst > 40) ++far_off;
    }
    double mean = (double)total / (n * 3.0);
    if (mean >= 1.5 || far_off >= n / 500) png_save("ui_" + name + "_reference_candidate.png", small);
    EXPECT_LT(mean, 1.5) << name << ": mean difference per channel";
    EXPECT_LT(far_off, n / 500) << name << ": pixels far from the reference";
}

struct Edge {
    int full;    // pixels within a few levels of the text colour
    int bright;  // pixels past halfway from the background to the text colour
};

// In a box holding light text on a darker ground: sharp glyphs are mostly made
// of full-colour pixels with thin edges, blurred ones of half-tones.
Edge edge_profile(const Image& im, int x0, int y0, int x1, int y1, const uint8_t colour[3], int background_green) {
    Edge e = {0, 0};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &im.pixels[((size_t)y * im.width + x) * 4];
            int worst = 0;
            for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs((int)p[c] - (int)colour[c]));
            if (worst <= 12) ++e.full;
            if (p[1] > (background_green + colour[1]) / 2) ++e.bright;
        }
    return e;
}

class Render : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        plat_open_window("Tervanne", W, H);
        if (!headless_has_context() || !gl_load()) return;
        gpu_init();
        gl_ready = true;
    }
    void SetUp() override {
        ASSERT_TRUE(gl_ready) << "no GL context from the headless backend";
        ASSERT_EQ(plat_input.client_width, W);
        ASSERT_EQ(plat_input.client_height, H);
        game_flags.paused = 0;
        game_flags.underground = 0;
        game_flags.character_creation_open = game_flags.character_select_open = game_flags.character_sheet_open = 0;
        hud_reset();
        ui_batch_clear();
    }
};

}  // namespace

TEST_F(Render, TitleCard) {
    title_card_present();
    EXPECT_EQ(ui_batch_count(), 0) << "flushed";
    Image im = grab();
    expect_matches_reference(im, "title_card");

    // Corner pixel: the clear colour.
    const uint8_t* corner = &im.pixels[0];
    EXPECT_NEAR(corner[0], 13, 2);
    EXPECT_NEAR(corner[1], 20, 2);
    EXPECT_NEAR(corner[2], 15, 2);

    // "Tervanne" at 54 px: solid gold strokes with thin edges.
    const uint8_t gold[3] = {212, 173, 61};
    float w = ui_text_width("Tervanne", 54, UI_FONT_TITLE);
    int y = (int)(0.42f * H);
    Edge big = edge_profile(im, (int)(960 - w / 2) - 4, y, (int)(960 + w / 2) + 4, y + 70, gold, 20);
    EXPECT_GT(big.full, 900);
    EXPECT_GT(big.full, big.bright / 2) << big.full << " of " << big.bright;

    // "La forêt s'éveille…" at 22 px, centred 80 px lower.
    const uint8_t grey[3] = {186, 176, 148};
    float w2 = ui_text_width("La forêt s'éveille…", 22, UI_FONT_BODY);
    Edge line = edge_profile(im, (int)(960 - w2 / 2) - 2, y + 80, (int)(960 + w2 / 2) + 2, y + 80 + 30, grey, 20);
    EXPECT_GT(line.full, 300);
    EXPECT_GT(line.full, line.bright / 2) << line.full << " of " << line.bright;
    // Nothing drawn left of the centred texts' extent.
    Edge outside = edge_profile(im, 0, y, (int)(960 - w / 2) - 8, y + 110, gold, 20);
    EXPECT_EQ(outside.bright, 0);
}

TEST_F(Render, HudFrameWithDialogMessageFloatingTextsAndLabels) {
    game_flags.title_overlay = 0;
    hud_update(0.0f);
    plat_input.mouse_x = 5;
    plat_input.mouse_y = 5;
    render_camera = RenderCamera{{0, 1.7f, 0}, {0, 1.7f, -1}, 60.0f};

    hud_player = HudPlayerView{1, 57, 41, 6, 12, 4, 62.4f, 120.0f, 0, 0, 35.0f, 340, 900, {0, 0, 0}};
    hud_net.active = 1;
    hud_net.connected = 1;
    std::snprintf(hud_net.server, sizeof hud_net.server, "127.0.0.1:27950");
    hud_net.players = 3;
    const char* wolf[2] = {"Loups abattus : 3 / 5", "Rapporter les peaux à Sire Keu, au pied de la tour de Camelot"};
    hud_tracker_set(0, "Le loup gris", wolf, 2, false);
    const char* sword[1] = {"Retourner voir Merlin"};
    hud_tracker_set(3, "L'épée dans le roc", sword, 1, true);
    hud_message("Objectif accompli : Le loup gris", 3.0f);
    hud_prompt(true, "E : parler à Sire Keu");
    hud_float_text(Vec3{-3.5f, 0.4f, -6}, "−18", Vec4{1, 0.35f, 0.25f, 1}, 1.2f, 1.0f, 0.35f);
    hud_float_text(Vec3{2.6f, 0.9f, -5}, "+25 PV", Vec4{0.3f, 1, 0.35f, 1}, 2.0f, 2.2f, 0.3f);
    hud_float_text(Vec3{0.4f, 2.9f, -7}, "Critique !", Vec4{1, 0.75f, 0.2f, 1}, 1.5f, 1.0f, 0.45f);
    HudButton buttons[2] = {{"Accepter", nullptr}, {"Refuser", nullptr}};
    hud_dialog("Le loup gris",
               "Les loups rôdent près de l'étang depuis la dernière lune. Rapportez-moi cinq peaux et vous serez "
               "récompensé : 40 deniers et une cape de laine.\n— Sire Keu",
               buttons, 2);

    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
    glViewport(0, 0, W, H);
    glClearColor(0.16f, 0.22f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Labels that creatures and figures draw during the frame.
    hud_world_label(Vec3{-6.5f, 2.3f, -9}, "Loup gris\nNiveau 4", 0.2f, HUD_PARCHMENT, UI_FONT_BODY);
    hud_health_bar(Vec3{-6.5f, 1.95f, -9}, 0.6f, 0.84f);
    hud_world_label(Vec3{6.0f, 2.6f, -12}, "Sire Keu", 0.25f, HUD_GOLD, UI_FONT_TITLE);
    hud_world_label(Vec3{0, 1.7f, 3}, "Derrière", 0.3f, HUD_GOLD, UI_FONT_TITLE);  // behind: not drawn
    hud_draw();
    ui_flush();
    Image im = grab();
    expect_matches_reference(im, "hud_frame");

    // 13 px text (the engine line of the banner) still reaches its full colour.
    const uint8_t grey[3] = {186, 176, 148};
    float w = ui_text_width("Moteur Quarn · version 2.0.9", 13, UI_FONT_BODY);
    int y = (int)(26 + 1.35f * 22);
    Edge small = edge_profile(im, 24, y, 28 + (int)w, y + 18, grey, 30);
    EXPECT_GT(small.full, 70);
    EXPECT_GT(small.full, small.bright * 18 / 100) << small.full << " of " << small.bright;

    // The dialog's panel is centred and opaque enough to hide the scene.
    DialogLayout l = hud_dialog_layout();
    const uint8_t* p = &im.pixels[((size_t)(l.panel.y + 6) * W + (size_t)(l.panel.x + l.panel.w - 10)) * 4];
    EXPECT_LT(p[1], 40);
}

TEST_F(Render, MapImageTakesItsCornersTextureCoordinates) {
    // 2 x 2 map: red, green on the top row; blue, white below.
    const uint8_t map[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    ui_map_upload(map, 2, 2);
    ASSERT_TRUE(ui_map_ready());
    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // Turned a quarter: the screen's top-left shows the map's bottom-left.
    const float turned[8] = {0, 1, 0, 0, 1, 0, 1, 1};
    ui_map(100, 100, 400, 400, turned);
    ui_flush();
    Image im = grab();
    ASSERT_FALSE(im.pixels.empty());
    auto at = [&](int x, int y) { return &im.pixels[((size_t)y * W + x) * 4]; };
    const uint8_t* tl = at(110, 110);
    const uint8_t* tr = at(490, 110);
    const uint8_t* br = at(490, 490);
    const uint8_t* bl = at(110, 490);
    EXPECT_GT(tl[2], 200) << "blue";
    EXPECT_LT(tl[0], 60);
    EXPECT_GT(tr[0], 200) << "red";
    EXPECT_LT(tr[1], 60);
    EXPECT_GT(br[1], 200) << "green";
    EXPECT_LT(br[0], 60);
    EXPECT_GT(bl[0], 200) << "white";
    EXPECT_GT(bl[2], 200);
    // Outside the quad nothing was drawn.
    EXPECT_LT(at(90, 90)[0], 5);
    // Replacing the image keeps the same texture and shows the new content.
    const uint8_t grey[4] = {128, 128, 128, 255};
    ui_map_upload(grey, 1, 1);
    const float plain[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    ui_map(100, 100, 400, 400, plain);
    ui_flush();
    im = grab();
    EXPECT_NEAR(at(300, 300)[0], 128, 3);
}

namespace {
PFN_glDrawArrays_t real_draw_arrays = nullptr;
PFN_glBufferData_t real_buffer_data = nullptr;
int draw_calls = 0, uploads = 0, vertices_drawn = 0;
void GL_APIENTRY counting_draw_arrays(GLenum mode, GLint first, GLsizei count) {
    ++draw_calls;
    vertices_drawn += count;
    real_draw_arrays(mode, first, count);
}
void GL_APIENTRY counting_buffer_data(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
    ++uploads;
    real_buffer_data(target, size, data, usage);
}
}  // namespace

TEST_F(Render, WholeInterfaceIsOneUploadAndOneDrawCall) {
    game_flags.title_overlay = 1;
    hud_player = HudPlayerView{2, 3, 2, 1, 0, 5, 80, 140, 50, 132, 0, 600, 1118, {0, 0, 0}};
    const char* lines[3] = {"Cueillir 4 herbes", "Parler au marchand", "Revenir"};
    for (int slot = 0; slot < 5; ++slot) hud_tracker_set(slot, "Quête", lines, 3, slot == 2);
    hud_message("Niveau 5 !\nNouveau sort", 2.0f);
    for (int i = 0; i < 10; ++i)
        hud_float_text(Vec3{(float)i - 5, 1.5f, -6}, "−12", Vec4{1, 0.3f, 0.2f, 1}, 1.0f, 1.0f, 0.3f);
    pause_dialog_open();
    hud_fade(1.0f);
    hud_update(0.016f);
    render_camera = RenderCamera{{0, 1.7f, 0}, {0, 1.7f, -1}, 60.0f};
    hud_draw();
    const int queued = ui_batch_count();
    ASSERT_GT(queued, 6 * 500) << "a busy frame";

    real_draw_arrays = glDrawArrays;
    real_buffer_data = glBufferData;
    glDrawArrays = counting_draw_arrays;
    glBufferData = counting_buffer_data;
    draw_calls = uploads = vertices_drawn = 0;
    ui_flush();
    glDrawArrays = real_draw_arrays;
    glBufferData = real_buffer_data;
    EXPECT_EQ(draw_calls, 1);
    EXPECT_EQ(uploads, 1);
    EXPECT_EQ(vertices_drawn, queued);
    EXPECT_EQ(ui_batch_count(), 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

namespace {

float luminance(const uint8_t* p) { return 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2]; }

struct Ring {
    int width;  // of the line, in pixels
    int dark;   // pixels well below the ground's luminance: the shadow round the letters
};

// Around one line drawn at (x, y): its letters and the dark ring the shadow
// puts round them on a ground of luminance `ground`.
Ring ring_of(const Image& im, float x, float y, const char* text, float size, int font, float ground) {
    float top, bottom;
    ui_text_ink_rows(text, size, font, &top, &bottom);
    const int x0 = (int)x - 3, x1 = (int)(x + ui_text_width(text, size, font)) + 4;
    const int y0 = (int)(y + top) - 3, y1 = (int)(y + bottom) + 4;
    Ring r = {x1 - x0 - 7, 0};
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px)
            if (luminance(&im.pixels[((size_t)py * W + px) * 4]) < 0.4f * ground) ++r.dark;
    return r;
}

}  // namespace

// Small light text on the bright bars of a 720-line screen (the target's
// "69 / 100" in white on yellow, the skinning bar's label on gold, "Rage 0"
// over its 7-pixel bar on pale stone) and a gold title on pale stone: the
// shadow rings the letters with dark pixels at every size.
TEST_F(Render, SmallTextOnBrightGroundsIsRingedByItsShadow) {
    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
    glViewport(0, 0, W, H);
    glClearColor(0.78f, 0.76f, 0.7f, 1.0f);  // pale stone in the sun
    glClear(GL_COLOR_BUFFER_BIT);
    const Vec4 yellow = {0.85f, 0.75f, 0.21f, 1}, gold_bar = {0.78f, 0.62f, 0.22f, 1}, white = {1, 1, 1, 1};
    struct Line {
        float x, y;
        const char* text;
        float size;
        int font;
        Vec4 colour;
        Vec4 ground;
        bool bar;  // drawn on a bar of its ground, else on the stone itself
    };
    const Vec4 stone = {0.78f, 0.76f, 0.7f, 1};
    const Line lines[] = {
        {100, 100, "69 / 100", 13.0f * 2 / 3, UI_FONT_BODY, white, yellow, true},
        {100, 160, "Dépecer le sanglier", 16.0f * 2 / 3, UI_FONT_BODY, HUD_PARCHMENT, gold_bar, true},
        {100, 220, "Rage 0", 11.0f * 2 / 3, UI_FONT_BODY, HUD_PARCHMENT, stone, false},
        {100, 280, "Objectif accompli : Le loup gris", 30.0f * 2 / 3, UI_FONT_TITLE, HUD_GOLD, stone, false},
        {100, 360, "Niveau 4", 17.0f * 2 / 3, UI_FONT_TITLE, HUD_GOLD, stone, false},
    };
    for (const Line& l : lines) {
        if (l.bar) ui_rect(l.x - 20, l.y - 6, 300, l.size + 12, l.ground);
        ui_text(l.x, l.y, l.text, l.size, l.colour, l.font);
    }
    ui_flush();
    Image im = grab();
    ASSERT_FALSE(im.pixels.empty());
    EXPECT_TRUE(png_save("ui_small_text_on_bright_grounds.png", im)) << "for a person to look at";
    for (const Line& l : lines) {
        const uint8_t g[3] = {(uint8_t)(255 * l.ground.x), (uint8_t)(255 * l.ground.y), (uint8_t)(255 * l.ground.z)};
        Ring r = ring_of(im, l.x, l.y, l.text, l.size, l.font, luminance(g));
        std::printf("%s: %d px wide, %d dark\n", l.text, r.width, r.dark);
        EXPECT_GT(r.dark, 2 * r.width) << l.text << ": too few dark pixels round its letters";
    }
}
