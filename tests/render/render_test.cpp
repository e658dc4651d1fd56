// The GPU foundation on a real driver (Mesa llvmpipe through the headless
// backend): entry points, the five programs, start-up textures, the frame
// passes and their filters, the character preview, and a fixed scene compared
// with a committed reference image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "persist/options.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "render/render_calls.h"
#include "render/renderer.h"
#include "render/renderer_math.h"
#include "render/shaders.h"
#include "render/ui.h"
#include "render/mesh.h"
#include "render/vegetation_images.h"

namespace {

std::string read_log() {
    static char buf[1 << 18];
    int n = plat_read_file("tervanne-journal.txt", buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, (size_t)n);
}

constexpr int W = 320, H = 180;

class Gpu : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool ready = false;
        if (ready) return;
        plat_open_window("Tervanne", W, H);
        ASSERT_TRUE(headless_has_context());
        ASSERT_TRUE(gl_load());
        gpu_init();
        ready = true;
    }
    void SetUp() override {
        plat_input.client_width = W;
        plat_input.client_height = H;
        render_begin_frame();
        atmosphere = Atmosphere{};
        atmosphere.sun_dir = normalize(Vec3{0.45f, 0.75f, 0.35f});
        atmosphere.sun_colour = {1.0f, 0.92f, 0.78f};
        atmosphere.zenith = {0.32f, 0.52f, 0.85f};
        atmosphere.horizon = {0.78f, 0.82f, 0.86f};
        atmosphere.ground = {0.32f, 0.3f, 0.22f};
        atmosphere.fog = {0.72f, 0.76f, 0.8f};
        atmosphere.fog_density = 0.004f;
        atmosphere.saturation = 1.0f;
        atmosphere.contrast = 1.0f;
        atmosphere.exposure = 1.0f;
        atmosphere.time = 3.0f;
        render_camera = {{0.0f, 3.0f, 10.0f}, {0.0f, 1.0f, 0.0f}, 55.0f};
    }
};

GpuMesh* upload(MeshBuilder b) { return mesh_upload(&b); }

// Groups live for the whole run in the game; a test gives its own back.
void free_group(InstanceGroup* g) {
    glDeleteBuffers(1, &g->instance_buffer);
    std::free(g->cells);
    std::free(g);
}

}  // namespace

TEST(GlLoad, MissingEntryPointsAreLoggedByNameAndFailTheLoad) {
    ASSERT_EQ(std::string(gl_core_name(0)), "glClear");
    ASSERT_EQ(std::string(gl_core_name(GL_CORE_COUNT - 1)), "glReadBuffer");
#ifdef NDEBUG
    EXPECT_EQ(gl_core_name(GL_CORE_COUNT), nullptr);
#else
    EXPECT_DEATH(gl_core_name(GL_CORE_COUNT), "GL_CORE_COUNT");
#endif
    static int calls;
    calls = 0;
    // A fake driver without glBlitFramebuffer and glVertexAttribDivisor; the
    // optional extras may be missing without failing.
    auto lookup = [](const char* name) -> void* {
        ++calls;
        if (!std::strcmp(name, "glBlitFramebuffer") || !std::strcmp(name, "glVertexAttribDivisor") ||
            !std::strcmp(name, "glTexSubImage3D"))
            return nullptr;
        return (void*)&calls;
    };
    EXPECT_FALSE(gl_load_with(lookup));
    EXPECT_GE(calls, GL_CORE_COUNT);
    std::string log = read_log();
    size_t a = log.find("OpenGL : fonction absente glVertexAttribDivisor\r\n");
    size_t b = log.find("OpenGL : fonction absente glBlitFramebuffer\r\n");
    ASSERT_NE(a, std::string::npos) << log;
    ASSERT_NE(b, std::string::npos);
    EXPECT_LT(a, b);  // reported in table order, every one of them
    EXPECT_EQ(log.find("fonction absente glTexSubImage3D"), std::string::npos);
    // A driver that answers with 1 for unknown names is no better than null.
    auto junk = [](const char*) -> void* { return (void*)1; };
    EXPECT_FALSE(gl_load_with(junk));
}

TEST(GpuRules, SampleCountIsAtMostFourAndOneBelowTwo) {
    EXPECT_EQ(gpu_choose_samples(0), 1);
    EXPECT_EQ(gpu_choose_samples(1), 1);
    EXPECT_EQ(gpu_choose_samples(2), 2);
    EXPECT_EQ(gpu_choose_samples(4), 4);
    EXPECT_EQ(gpu_choose_samples(8), 4);
}

TEST_F(Gpu, ProgramsCompileCleanlyAndTheBannerIsLogged) {
    std::string log = read_log();
    EXPECT_EQ(log.find("Erreur de shader"), std::string::npos) << log;
    EXPECT_EQ(log.find("Erreur de liaison"), std::string::npos) << log;
    char banner[64];
    std::snprintf(banner, sizeof banner, ", anticrénelage ×%d\r\n", gpu_sample_count);
    EXPECT_NE(log.find("OpenGL : "), std::string::npos);
    EXPECT_NE(log.find(" — "), std::string::npos);
    EXPECT_NE(log.find(banner), std::string::npos) << log;

    // Rebuild each program to read its own status and driver log.
    const char* scene_fs[3] = {GLSL_VERSION_LINE, GLSL_NOISE_LIB, GLSL_SCENE_FS};
    const char* sky_fs[3] = {GLSL_VERSION_LINE, GLSL_NOISE_LIB, GLSL_SKY_FS};
    struct { const char* name; const char* vs; const char* const* fs; int n; } progs[] = {
        {"scene", GLSL_SCENE_VS, scene_fs, 3}, {"shadow", GLSL_SHADOW_VS, &GLSL_SHADOW_FS, 1},
        {"sky", GLSL_SKY_VS, sky_fs, 3},       {"post", GLSL_POST_VS, &GLSL_POST_FS, 1},
        {"ui", GLSL_UI_VS, &GLSL_UI_FS, 1},
    };
    for (auto& p : progs) {
        ShaderProgram sp = shader_build(p.vs, p.fs, p.n);
        EXPECT_TRUE(shader_last_ok()) << p.name << ": " << shader_last_log();
        EXPECT_STREQ(shader_last_log(), "") << p.name;
        EXPECT_NE(sp.program, 0u);
    }
    // The uniforms each program is driven through are really there.
    const int scene_slots[] = {U_VP, U_OMBRE_VP, U_TEINTE, U_CARTE_OMBRE, U_SOLEIL_DIR, U_SOLEIL_COL,
                               U_CIEL, U_SOL, U_BRUME, U_CAM, U_BRUME_DENS, U_BRUIT, U_LUM,
                               U_EMISSION, U_ALPHA, U_VEGETAL, U_VEGETAUX, U_FEUX_POS, U_FEUX_COL,
                               U_FEUX_PORTEE, U_NB_FEUX, U_MOTIFS, U_MOTIF, U_PERSO, U_SOUPLE,
                               U_DETAIL, U_SURFACE, U_MOUSSE, U_TRANS, U_RUG, U_TEMPS};
    for (int s : scene_slots) EXPECT_GE(prog_scene.u[s], 0) << uniform_slot_name(s);
    for (int s : {U_VP, U_VEGETAL, U_VEGETAUX}) EXPECT_GE(prog_shadow.u[s], 0) << uniform_slot_name(s);
    for (int s : {U_INV_VP, U_CAM, U_HAUT, U_HORIZON, U_SOLEIL_DIR, U_SOLEIL_COL, U_TEMPS, U_BRUME})
        EXPECT_GE(prog_sky.u[s], 0) << uniform_slot_name(s);
    for (int s : {U_IMAGE, U_PROF, U_EXPO, U_SAT, U_CONTRASTE, U_PORTRAIT, U_PROJ, U_TEXEL, U_AO})
        EXPECT_GE(prog_post.u[s], 0) << uniform_slot_name(s);
    for (int s : {U_ECRAN, U_POLICE, U_PORTRAIT_UI, U_CARTE_UI}) EXPECT_GE(prog_ui.u[s], 0) << uniform_slot_name(s);
    EXPECT_EQ(prog_ui.u[U_VP], -1);  // absent names stay -1
}

TEST_F(Gpu, StartupTexturesHaveTheirSizes) {
    GLint v = 0;
    glBindTexture(GL_TEXTURE_2D, tex_shadow);
    ASSERT_NE(glGetTexImage, nullptr);
    std::vector<uint8_t> font((size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT + 16);
    glBindTexture(GL_TEXTURE_2D, tex_font);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, font.data());
    long inside = 0;
    for (size_t i = 0; i < (size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT; ++i) inside += font[i] > 128;
    EXPECT_GT(inside, 1000);  // the atlas holds glyphs, not an empty slot
    std::vector<uint8_t> veg((size_t)VEGETATION_SIZE * VEGETATION_SIZE * 4 * VEGETATION_LAYERS);
    glBindTexture(GL_TEXTURE_2D_ARRAY, tex_vegetation);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA, GL_UNSIGNED_BYTE, veg.data());
    std::vector<uint8_t> painted(veg.size());
    vegetation_images_build(painted.data());
    EXPECT_EQ(veg, painted);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    (void)v;
}

TEST_F(Gpu, FirstTwelveFiresWin) {
    for (int i = 0; i < 13; ++i) {
        bool added = render_add_fire({(float)i, 0, 0}, {1, 0.5f, 0.2f}, 10.0f);
        EXPECT_EQ(added, i < 12) << i;
    }
    EXPECT_EQ(atmosphere.fire_count, 12);
    EXPECT_FLOAT_EQ(atmosphere.fires[11].position.x, 11.0f);
    render_begin_frame();
    EXPECT_EQ(atmosphere.fire_count, 0);
}

TEST_F(Gpu, AlphaThresholdChoosesPassAndShadow) {
    GpuMesh* box = upload(shape_box({1, 1, 1}));
    Material opaque, see_through;
    material_init(&opaque, {0.8f, 0.2f, 0.2f});
    opaque.alpha = 0.999f;
    material_init(&see_through, {0.2f, 0.2f, 0.8f});
    see_through.alpha = 0.998f;

    render_add(box, &opaque, mat4_translate({0, 1, 0}), {1, 1, 1});
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 1);
    EXPECT_EQ(render_stats().shadow_draws, 1);
    EXPECT_EQ(render_stats().transparent_draws, 0);

    render_begin_frame();
    render_add(box, &see_through, mat4_translate({0, 1, 0}), {1, 1, 1});
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 0);
    EXPECT_EQ(render_stats().shadow_draws, 0);
    EXPECT_EQ(render_stats().transparent_draws, 1);

    // Unlit and opted-out materials stay out of the shadow map.
    Material unlit = opaque, no_shadow = opaque;
    unlit.light_flag_b = 1;
    no_shadow.no_shadow = 1;
    render_begin_frame();
    render_add(box, &unlit, mat4_identity(), {1, 1, 1});
    render_add(box, &no_shadow, mat4_identity(), {1, 1, 1});
    render_frame();
    EXPECT_EQ(render_stats().shadow_draws, 0);
    EXPECT_EQ(render_stats().opaque_draws, 2);

    // Fifty items of one mesh and material are one instanced draw.
    render_begin_frame();
    for (int i = 0; i < 50; ++i) render_add(box, i % 2 ? &opaque : &see_through, mat4_translate({(float)i, 0, 0}), {1, 1, 1});
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 1);
    EXPECT_EQ(render_stats().transparent_draws, 1);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    mesh_destroy(box);
}

TEST_F(Gpu, GroupCellAtDrawDistancePlusRadiusIsNotDrawn) {
    GpuMesh* small = upload(shape_box({0.5f, 0.5f, 0.5f}));  // radius under 3: 130 m
    Material m;
    material_init(&m, {0.4f, 0.6f, 0.3f});
    m.no_shadow = 1;
    // One instance per group: the cell centre is the instance, radius = 1 (unit columns).
    render_camera = {{0, 1, 0}, {0, 1, -10}, 60.0f};
    Instance at_limit = {mat4_translate({0, 1, -131.0f}), {1, 1, 1}, 1};
    Instance inside = {mat4_translate({0, 1, -130.5f}), {1, 1, 1}, 1};
    InstanceGroup* g1 = instance_group_build(small, &m, &at_limit, 1);
    InstanceGroup* g2 = instance_group_build(small, &m, &inside, 1);
    ASSERT_FLOAT_EQ(g1->draw_distance, 130.0f);
    ASSERT_FLOAT_EQ(g1->cells[0].radius, 1.0f);
    render_add_group(g1);
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 0);
    render_begin_frame();
    render_add_group(g2);
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 1);

    // Neighbouring visible cells merge into one draw; a cell behind the eye is culled.
    std::vector<Instance> many;
    for (int i = 0; i < 6; ++i) many.push_back({mat4_translate({-100.0f + 48.0f * i, 1, -60}), {1, 1, 1}, 1});
    many.push_back({mat4_translate({0, 1, 80}), {1, 1, 1}, 1});
    InstanceGroup* g3 = instance_group_build(small, &m, many.data(), (int)many.size());
    render_begin_frame();
    render_add_group(g3);
    render_frame();
    EXPECT_LE(render_stats().opaque_draws, 2);
    EXPECT_GE(render_stats().opaque_draws, 1);
    EXPECT_LT(render_stats().cells_drawn, g3->cell_count);

    // Visible cells joined across cells outside the view are one draw (those
    // cells give no pixel); a cell in view beyond the draw distance is never
    // drawn.
    many.clear();
    for (float z : {8.0f, 56.0f})
        for (int k = -2; k <= 2; ++k) many.push_back({mat4_translate({24.0f + 48.0f * k, 1, z}), {1, 1, 1}, 1});
    many.push_back({mat4_translate({24.0f, 1, 200.0f}), {1, 1, 1}, 1});
    InstanceGroup* g4 = instance_group_build(small, &m, many.data(), (int)many.size());
    render_camera = {{24, 1, -40}, {24, 1, 72}, 20.0f};
    render_begin_frame();
    render_add_group(g4);
    render_frame();
    EXPECT_EQ(render_stats().cells_drawn, 2);
    EXPECT_EQ(render_stats().opaque_draws, 1);
    render_begin_frame();
    for (InstanceGroup* g : {g1, g2, g3, g4}) free_group(g);
    mesh_destroy(small);
}

TEST_F(Gpu, PreviewFillsThePortraitAndEmptiesTheLists) {
    GpuMesh* ball = upload(shape_ellipsoid(0.5f, 0.9f, 0.5f, 24));
    Material skin;
    material_init(&skin, {0.9f, 0.7f, 0.6f});
    skin.skin_flag_a = 1;
    render_add(ball, &skin, mat4_identity(), {1, 1, 1});
    render_add_group(nullptr);
    ASSERT_EQ(render_draw_count(), 1);
    render_preview({0, 0.3f, 3.0f}, {0, 0, 0}, 35.0f, 8, 64);  // width below 16 becomes 16
    EXPECT_EQ(render_draw_count(), 0);
    EXPECT_EQ(render_group_count(), 0);
    ASSERT_NE(render_portrait_texture(), 0u);
    EXPECT_EQ(render_portrait_width(), 16);
    EXPECT_EQ(render_portrait_height(), 64);
    std::vector<uint8_t> px(16 * 64 * 4);
    glBindTexture(GL_TEXTURE_2D, render_portrait_texture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    // The figure is opaque in the middle, the background transparent.
    const uint8_t* centre = &px[(32 * 16 + 8) * 4];
    const uint8_t* corner = &px[0];
    EXPECT_GT(centre[3], 200);
    EXPECT_GT(centre[0], centre[2]);  // warm skin, not sky
    EXPECT_EQ(corner[3], 0);
    // The frame that follows starts from nothing and still renders.
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    mesh_destroy(ball);
}

TEST_F(Gpu, MinimisedWindowRendersIntoOnePixelTargets) {
    plat_input.client_width = 0;
    plat_input.client_height = 0;
    std::string before = read_log();
    render_frame();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    std::string after = read_log();
    EXPECT_EQ(after.find("incomplet", before.size()), std::string::npos);
    plat_input.client_width = W;
    plat_input.client_height = H;
    render_frame();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// Submitters cull against the view of the frame being made: a camera that
// jumped since the last frame, or a portrait drawn before it, changes nothing.
TEST_F(Gpu, SubmittersCullAgainstTheCameraOfNow) {
    render_frame();
    ASSERT_TRUE(sphere_in_frustum({0, 1, 0}, 0.1f));
    ASSERT_FALSE(sphere_in_frustum({0, 1, 30}, 0.1f));
    render_preview({0, 1, -5}, {0, 1, -10}, 30.0f, 32, 32);
    EXPECT_TRUE(sphere_in_frustum({0, 1, 0}, 0.1f));
    EXPECT_FALSE(sphere_in_frustum({0, 1, 30}, 0.1f));
    // Turned round with no frame drawn since.
    render_camera = {{0, 3, 10}, {0, 1, 40}, 55.0f};
    EXPECT_FALSE(sphere_in_frustum({0, 1, 0}, 0.1f));
    EXPECT_TRUE(sphere_in_frustum({0, 1, 30}, 0.1f));
    render_set_culling(false);
    EXPECT_TRUE(sphere_in_frustum({0, 1, 0}, 0.1f));
    render_set_culling(true);
}

namespace {

int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

// Memory that refuses to grow a list leaves it at its capacity: what does not
// fit is dropped with one log line per list, what fits is drawn, and nothing
// is written past the end.
TEST_F(Gpu, ListsThatCannotGrowKeepTheirCapacity) {
    GpuMesh* box = upload(shape_box({1, 1, 1}));
    Material m;
    material_init(&m, {0.6f, 0.5f, 0.4f});
    auto add = [&](int n) {
        for (int i = 0; i < n; ++i) render_add(box, &m, mat4_translate({(float)(i % 40), 0, -(float)(i / 40)}), {1, 1, 1});
    };
    add(10);
    render_frame();

    render_limit_growth(1);
    render_begin_frame();
    int kept = 0;
    for (int i = 0; i < 100000 && render_draw_count() == i; ++i) {
        add(1);
        kept = render_draw_count();
    }
    ASSERT_GT(kept, 0);
    add(100);
    EXPECT_EQ(render_draw_count(), kept);
    InstanceGroup group{};
    for (int i = 0; i < 100000; ++i) render_add_group(&group);
    EXPECT_LT(render_group_count(), 100000);
    render_begin_frame();
    add(kept + 5);
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 1);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    std::string log = read_log();
    EXPECT_EQ(count_of(log, "Mémoire insuffisante : la liste de dessin reste à " + std::to_string(kept) + " éléments"), 1);
    EXPECT_EQ(count_of(log, "Mémoire insuffisante : la liste des groupes reste à"), 1);

    // The instance records lag behind the list: a frame whose list grew but
    // whose records cannot follow draws only what has a record.
    render_limit_growth(0);
    render_begin_frame();
    add(2 * kept + 1);
    render_limit_growth(1);
    render_frame();
    EXPECT_GE(render_draw_count(), kept);
    EXPECT_LT(render_draw_count(), 2 * kept + 1);
    EXPECT_EQ(render_stats().opaque_draws, 1);
    EXPECT_EQ(count_of(read_log(), "Mémoire insuffisante : le tampon d'instances reste à"), 1);

    render_limit_growth(0);
    render_begin_frame();
    mesh_destroy(box);
}

// The start-up textures are painted in one buffer; without it they are made
// blank and the start-up goes on.
TEST_F(Gpu, StartupWithoutRoomForThePaintingGoesOn) {
    render_limit_growth(1);
    gpu_init();
    render_limit_growth(0);
    EXPECT_EQ(count_of(read_log(), "Mémoire insuffisante : motifs et images de végétation non peints."), 1);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    gpu_init();  // painted again for the tests that follow
}

// Timer queries: a frame's pass times come back only some frames later (the
// processor never waits for them), every pass is measured, nothing is asked
// of the driver while the timing is off, and the log gets one average line
// per period of the clock.
TEST_F(Gpu, PassTimesComeBackLaterAndAreLoggedOncePerPeriod) {
    GpuMesh* box = upload(shape_box({1, 1, 1}));
    Material m;
    material_init(&m, {0.7f, 0.6f, 0.5f});
    auto frame = [&] {
        plat_pump();
        render_begin_frame();
        render_add(box, &m, mat4_translate({0, 1, 0}), {1, 1, 1});
        render_frame();
        ui_rect(4, 4, 20, 20, {1, 1, 1, 1});
        ui_flush();
    };
    render_gpu_timing(false);
    frame();
    render_gpu_collect();
    EXPECT_EQ(render_gpu_totals().frames, 0) << "no query while the timing is off";

    render_gpu_timing(true);
    ASSERT_TRUE(glGenQueries && glGetQueryObjectui64v) << "the driver lacks timer queries";
    for (int f = 0; f < GPU_TIMING_LAG; ++f) frame();
    EXPECT_TRUE(render_gpu_timing_on());
    EXPECT_EQ(render_gpu_totals().frames, 0) << "a frame was read back before it was " << GPU_TIMING_LAG << " old";
    render_gpu_collect();
    const GpuPassTimes t = render_gpu_totals();
    EXPECT_EQ(t.frames, GPU_TIMING_LAG);
    for (int p : {GPU_PASS_SHADOW, GPU_PASS_SKY, GPU_PASS_OPAQUE, GPU_PASS_POST, GPU_PASS_INTERFACE})
        EXPECT_GT(t.ms[p], 0.0) << gpu_pass_name(p);
    render_gpu_reset_totals();

    headless_set_time_step(1.0);
    render_gpu_log_every(5.0);
    for (int f = 0; f < 8; ++f) frame();
    render_gpu_log_every(0.0);
    render_gpu_timing(false);
    headless_set_time_step(1.0 / 60.0);
    std::string log = read_log();
    size_t at = log.find("Temps GPU par passe (moyenne de ");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find("Temps GPU par passe", at + 1), std::string::npos) << "more than one line in 8 s";
    std::string line = log.substr(at, log.find("\r\n", at) - at);
    for (int p = 0; p < GPU_PASS_COUNT; ++p) EXPECT_NE(line.find(gpu_pass_name(p)), std::string::npos) << line;
    EXPECT_NE(line.find(", total "), std::string::npos) << line;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    mesh_destroy(box);
}

// "basse": a 2048 shadow map and one sample per pixel; the other two keep the
// full map and the driver's samples, and going back restores them.
TEST_F(Gpu, LowQualityHalvesTheShadowMapAndDropsMultisampling) {
    static int quality = 2;
    const auto saved = render_calls.quality_level;
    render_calls.quality_level = [] { return quality; };
    GpuMesh* box = upload(shape_box({1, 1, 1}));
    Material m;
    material_init(&m, {0.7f, 0.6f, 0.5f});
    const int full_samples = gpu_choose_samples(gpu_max_samples);
    for (int q : {2, 0, 1, 2}) {
        quality = q;
        render_begin_frame();
        render_add(box, &m, mat4_translate({0, 1, 0}), {1, 1, 1});
        render_frame();
        GLint side = 0;
        glBindTexture(GL_TEXTURE_2D, tex_shadow);
        if (glGetTexLevelParameteriv) glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(side, q == 0 ? 2048 : 4096) << "quality " << q;
        EXPECT_EQ(render_sample_count(), q == 0 ? 1 : full_samples) << "quality " << q;
    }
    render_calls.quality_level = saved;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    mesh_destroy(box);
}

namespace {

std::vector<uint8_t> window_picture() {
    std::vector<uint8_t> rgba((size_t)W * H * 4);
    EXPECT_TRUE(headless_read_pixels(rgba.data(), W, H));
    return rgba;
}

}  // namespace

// Batching rule: the draws it saves change no pixel. A crowd of figures
// (shared parts, one mesh of its own each, half of them behind the camera),
// a group whose visible cells fall into two runs, and static pieces of one
// pool are drawn with batching on and off; the pictures are equal and the
// calls far fewer.
TEST_F(Gpu, BatchingKeepsThePictureAndCutsTheDraws) {
    GpuMesh* body = upload(shape_capsule(0.25f, 0.9f));
    GpuMesh* limb = upload(shape_box({0.12f, 0.6f, 0.12f}));
    std::vector<GpuMesh*> heads;
    Material cloth, skin, leaf, stone;
    material_init(&cloth, {0.5f, 0.3f, 0.25f});
    cloth.skin_flag_a = 1;
    material_init(&skin, {0.85f, 0.65f, 0.55f});
    skin.skin_flag_a = 1;
    material_init(&leaf, {0.3f, 0.55f, 0.25f});
    leaf.no_shadow = 1;
    material_init(&stone, {0.55f, 0.55f, 0.5f}, 2.0f, 0.3f);
    stone.surface_kind = 1;
    for (int i = 0; i < 24; ++i) heads.push_back(upload(shape_ellipsoid(0.12f, 0.15f + 0.002f * i, 0.13f, 10)));

    // Static pieces: three builders in one pool, placed once.
    MeshBuilder pieces[3] = {shape_box({6, 0.2f, 6}), shape_box({0.4f, 2, 6}), shape_box({6, 2, 0.4f})};
    Mat4 place[3] = {mat4_translate({0, -0.1f, 0}), mat4_translate({-3, 1, 0}), mat4_translate({0, 1, -3})};
    for (int p = 0; p < 3; ++p)
        for (int v = 0; v < pieces[p].vertex_count; ++v)
            pieces[p].vertices[v].position = mat4_mul_point(place[p], pieces[p].vertices[v].position);
    const int first_vertices = pieces[0].vertex_count, first_indices = pieces[0].index_count;
    GpuMesh* ranges[3];
    mesh_upload_pool(pieces, 3, ranges);
    ASSERT_TRUE(ranges[0] && ranges[1] && ranges[2]);
    EXPECT_EQ(ranges[1]->base_vertex, first_vertices);
    EXPECT_EQ(ranges[1]->first_index, (uint32_t)first_indices);
    EXPECT_EQ(pieces[1].vertices, nullptr) << "the pool empties its builders";

    // Cells in rows of z sorted by x: looking along +x, the row z = 0 has a
    // cell in view beyond the draw distance between two visible stretches.
    std::vector<Instance> cells;
    for (float z : {0.0f, 48.0f})
        for (float x : {8.0f, 56.0f, 104.0f, 200.0f})
            cells.push_back({mat4_translate({x, 0.5f, z}), {1, 1, 1}, 1});
    InstanceGroup* grp = instance_group_build(limb, &leaf, cells.data(), (int)cells.size());

    auto submit = [&] {
        render_begin_frame();
        for (int p = 0; p < 3; ++p) render_add(ranges[p], &stone, mat4_identity(), {1, 1, 1});
        for (int i = 0; i < 24; ++i) {
            // Half the crowd stands behind the camera.
            const float x = -4.0f + 2.0f * (float)(i % 6), z = (i < 12 ? 2.0f : 16.0f) + 2.0f * (float)(i / 6 % 2);
            const Mat4 root = mat4_translate({x, 0, z});
            render_add(body, &cloth, root * mat4_translate({0, 1.1f, 0}), {1, 1, 1});
            render_add(limb, &cloth, root * mat4_translate({0.12f, 0.3f, 0}), {0.4f, 0.4f, 0.4f});
            render_add(limb, &cloth, root * mat4_translate({-0.12f, 0.3f, 0}), {0.4f, 0.4f, 0.4f});
            render_add(heads[(size_t)i], &skin, root * mat4_translate({0, 1.8f, 0}), {1, 1, 1});
        }
        render_add_group(grp);
    };
    // Looking from the crowd towards -z, with the group seen in a second frame.
    render_camera = {{0.5f, 2.5f, 8.0f}, {0.0f, 1.0f, 0.0f}, 55.0f};
    render_set_batching(false);
    submit();
    render_frame();
    const RenderStats unbatched = render_stats();
    const std::vector<uint8_t> plain = window_picture();
    render_set_batching(true);
    submit();
    render_frame();
    const RenderStats batched = render_stats();
    EXPECT_TRUE(window_picture() == plain) << "the crowd's picture changed with batching";
    // The pool's three pieces in one call, the heads behind the camera
    // neither in the view nor (their shadows fall away from it) in the map.
    EXPECT_LT(batched.opaque_draws, unbatched.opaque_draws - 12) << unbatched.opaque_draws;
    EXPECT_LT(batched.shadow_draws, unbatched.shadow_draws - 6) << unbatched.shadow_draws;

    render_camera = {{-40.0f, 6.0f, 24.0f}, {100.0f, 0.5f, 24.0f}, 50.0f};
    render_set_batching(false);
    submit();
    render_frame();
    const int group_runs = render_stats().group_draws;
    const std::vector<uint8_t> plain_group = window_picture();
    render_set_batching(true);
    submit();
    render_frame();
    EXPECT_TRUE(window_picture() == plain_group) << "the group's picture changed with batching";
    EXPECT_GE(group_runs, 2);
    EXPECT_EQ(render_stats().group_draws, 1) << "two runs of one group are one draw";
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    render_begin_frame();
    free_group(grp);
    for (GpuMesh* h : heads) mesh_destroy(h);
    for (GpuMesh* r : ranges) mesh_destroy(r);
    mesh_destroy(body);
    mesh_destroy(limb);
}

// Culling rule: a part deformed on the processor is culled by where its
// vertices are now, not where they were built (a bent neck stays drawn).
TEST_F(Gpu, DeformedMeshIsCulledByItsNewVertices) {
    GpuMesh* source = upload(shape_box({0.5f, 0.5f, 0.5f}));
    GpuMesh* bent = mesh_clone_dynamic(source);
    ASSERT_NE(bent, nullptr);
    EXPECT_NEAR(bent->bound_radius, source->bound_radius, 1e-6f);
    Material m;
    material_init(&m, {0.6f, 0.6f, 0.6f});
    // Built 40 m behind the camera, moved in front of it by the update.
    std::vector<Vertex> moved(bent->cpu_vertices, bent->cpu_vertices + bent->vertex_count);
    for (Vertex& v : moved) v.position = v.position + Vec3{0, 1, -40};
    const Mat4 behind = mat4_translate({0, 0, 40});
    render_add(bent, &m, behind, {1, 1, 1});
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 0) << "out of view before the update";
    mesh_update_vertices(bent, moved.data(), (int)moved.size());
    EXPECT_NEAR(bent->bound_centre.z, -40.0f, 1e-4f);
    render_begin_frame();
    render_add(bent, &m, behind, {1, 1, 1});
    render_frame();
    EXPECT_EQ(render_stats().opaque_draws, 1) << "in view after it";
    EXPECT_EQ(render_stats().shadow_draws, 1);
    // A partial update (four vertices back home) keeps the others' place inside the sphere.
    mesh_update_vertices(bent, source->cpu_vertices, 4);
    EXPECT_GE(bent->bound_radius, 39.0f);
    render_begin_frame();
    mesh_destroy(bent);
    mesh_destroy(source);
}

// A tall mesh stands on its origin: a group of one culled by its feet would
// lose the whole pole when the feet are below the view, and its shadow with it.
TEST_F(Gpu, GroupOfOneDrawsWhatThePlainItemDraws) {
    MeshBuilder b = shape_box({0.4f, 6.0f, 0.4f});
    for (int v = 0; v < b.vertex_count; ++v) b.vertices[v].position.y += 6.0f;
    GpuMesh* pole = upload(b);
    Material m;
    material_init(&m, {0.7f, 0.5f, 0.3f});
    // Looking level: the foot is 7 m below the view's lower edge, the top in it.
    render_camera = {{0, 2, 0}, {0, 2, -10}, 55.0f};
    atmosphere.shadow_focus = {0, 0, -10};
    const Instance at = {mat4_translate({0.5f, -10.0f, -10.0f}), {1, 1, 1}, 1};
    InstanceGroup* grp = instance_group_build(pole, &m, &at, 1);
    render_begin_frame();
    render_frame();
    const std::vector<uint8_t> empty = window_picture();
    render_begin_frame();
    render_add(pole, &m, at.model, {1, 1, 1});
    render_frame();
    const std::vector<uint8_t> plain = window_picture();
    int differ = 0;
    for (size_t i = 0; i < plain.size(); i += 4) differ += plain[i] != empty[i] || plain[i + 1] != empty[i + 1];
    EXPECT_GT(differ, 200) << "the pole is in view";
    render_begin_frame();
    render_add_group(grp);
    render_frame();
    EXPECT_TRUE(window_picture() == plain) << "the group of one lost what the plain item draws";
    EXPECT_EQ(render_stats().opaque_draws, 1);
    render_begin_frame();
    free_group(grp);
    mesh_destroy(pole);
}

// The shadow pass's single draw copies the small casters of the frame; a
// large static mesh (the town's batches) keeps its own draw instead of being
// copied on the GPU every frame, and the shadows stay the same.
TEST_F(Gpu, ShadowPassCopiesOnlySmallCasters) {
    GpuMesh* ground = upload(shape_ellipsoid(8.0f, 0.3f, 8.0f, 90));
    ASSERT_GT(ground->vertex_count, 4096);
    std::vector<GpuMesh*> posts;
    int small_vertices = 0;
    for (int i = 0; i < 6; ++i) {
        posts.push_back(upload(shape_box({0.3f, 1.5f + 0.1f * (float)i, 0.3f})));
        small_vertices += posts.back()->vertex_count;
    }
    Material stone, wood;
    material_init(&stone, {0.6f, 0.6f, 0.55f});
    material_init(&wood, {0.5f, 0.35f, 0.2f});
    auto submit = [&] {
        render_begin_frame();
        render_add(ground, &stone, mat4_identity(), {1, 1, 1});
        for (int i = 0; i < 6; ++i)
            render_add(posts[(size_t)i], &wood, mat4_translate({-3.0f + 1.2f * (float)i, 1.0f, -1.0f}), {1, 1, 1});
    };
    render_camera = {{0.0f, 4.0f, 9.0f}, {0.0f, 0.5f, 0.0f}, 55.0f};
    atmosphere.shadow_focus = {0, 0, 0};
    render_set_batching(false);
    submit();
    render_frame();
    const std::vector<uint8_t> plain = window_picture();
    render_set_batching(true);
    submit();
    render_frame();
    EXPECT_TRUE(window_picture() == plain) << "the shadows changed";
    const RenderStats st = render_stats();
    EXPECT_EQ(st.shadow_copied_vertices, small_vertices) << "the large mesh is copied every frame";
    EXPECT_EQ(st.shadow_draws, 2);
    render_begin_frame();
    for (GpuMesh* p : posts) mesh_destroy(p);
    mesh_destroy(ground);
}

// Where the view lines up with the sun (looking toward it or straight away),
// a rounding that put the half-way cosine above 1 once made the lighting NaN,
// drawn as black squares (leaves against the low sun over the meadow). Lit
// surfaces there, solid and see-through, keep a colour.
TEST_F(Gpu, NothingTurnsBlackInLineWithTheSun) {
    GpuMesh* box = upload(shape_box({10, 10, 10}));
    Material solid, leafy;
    material_init(&solid, {0.6f, 0.55f, 0.4f});
    material_init(&leafy, {0.3f, 0.6f, 0.25f});
    leafy.alpha = 0.5f;
    leafy.translucency = 0.4f;
    std::vector<uint8_t> px((size_t)W * H * 4);
    int black = 0;
    for (int k = 0; k < 8; ++k) {
        const Vec3 eye = {0.37f * (float)k, 2.0f + 0.11f * (float)k, 10.0f - 0.23f * (float)k};
        const float toward = (k / 2) % 2 ? 1.0f : -1.0f;
        const Vec3 ahead = eye + atmosphere.sun_dir * (20.0f * toward);
        render_camera = {eye, ahead, 2.0f + 0.25f * (float)(k % 4)};
        render_begin_frame();
        render_add(box, k % 2 ? &leafy : &solid, mat4_translate(ahead + atmosphere.sun_dir * (2.0f * toward)), {1, 1, 1});
        render_frame();
        ASSERT_TRUE(headless_read_pixels(px.data(), W, H));
        for (int i = 0; i < W * H; ++i) black += px[i * 4] < 2 && px[i * 4 + 1] < 2 && px[i * 4 + 2] < 2;
    }
    EXPECT_EQ(black, 0);
    mesh_destroy(box);
}
