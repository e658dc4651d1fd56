// A fixed test scene (ground, primitives in several materials, a tree card, a
// fire light, fog and sky) rendered off-screen and compared with a committed
// low-resolution reference. The full image is kept in the build folder as
// render_scene.png for a person to look at.
#include <gtest/gtest.h>

#include "tests/support/image_io.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "render/renderer.h"
#include "render/mesh.h"
#include "render/vegetation_images.h"

namespace {

constexpr int W = 320, H = 180, DOWN = 4, RW = W / DOWN, RH = H / DOWN;

std::string reference_path() {
    std::string f = __FILE__;
    return f.substr(0, f.find_last_of('/') + 1) + "scene_reference.ppm";
}

// A vertical card of the vegetation layer: a_col carries (u, v, brightness).
MeshBuilder tree_card(float width, float height) {
    MeshBuilder b{};
    Vec3 n = {0, 0, 1};
    uint32_t a = mb_add_vertex(&b, {-width / 2, 0, 0}, n, {0, 1, 1});
    uint32_t c = mb_add_vertex(&b, {width / 2, 0, 0}, n, {1, 1, 1});
    uint32_t d = mb_add_vertex(&b, {width / 2, height, 0}, n, {1, 0, 1});
    uint32_t e = mb_add_vertex(&b, {-width / 2, height, 0}, n, {0, 0, 1});
    mb_add_triangle(&b, a, c, d);
    mb_add_triangle(&b, a, d, e);
    return b;
}

void set_atmosphere() {
    atmosphere = Atmosphere{};
    atmosphere.sun_dir = normalize(Vec3{-0.5f, 0.55f, 0.4f});
    atmosphere.sun_colour = {1.0f, 0.9f, 0.74f};
    atmosphere.zenith = {0.3f, 0.5f, 0.86f};
    atmosphere.horizon = {0.8f, 0.82f, 0.84f};
    atmosphere.ground = {0.34f, 0.31f, 0.22f};
    atmosphere.fog = {0.7f, 0.74f, 0.78f};
    atmosphere.fog_density = 0.012f;
    atmosphere.saturation = 1.05f;
    atmosphere.contrast = 1.02f;
    atmosphere.exposure = 1.1f;
    atmosphere.ao = 0.85f;
    atmosphere.shadow_focus = {0, 0, 0};
    atmosphere.time = 12.5f;
}

}  // namespace

TEST(RenderScene, FixedSceneMatchesTheReference) {
    plat_open_window("Tervanne", W, H);
    ASSERT_TRUE(headless_has_context());
    ASSERT_TRUE(gl_load());
    gpu_init();
    plat_input.client_width = W;
    plat_input.client_height = H;

    MeshBuilder ground_b = shape_box({80, 0.2f, 80});
    GpuMesh* ground = mesh_upload(&ground_b);
    GpuMesh* rock = mesh_upload(&(ground_b = shape_rock(1.2f, 0.9f, 1.0f, 11, 1.0f)));
    GpuMesh* log = mesh_upload(&(ground_b = shape_frustum(0.25f, 0.3f, 3.0f, 16, true)));
    GpuMesh* crate = mesh_upload(&(ground_b = shape_box({1, 1, 1})));
    GpuMesh* orb = mesh_upload(&(ground_b = shape_ellipsoid(0.6f, 0.6f, 0.6f, 24)));
    GpuMesh* card = mesh_upload(&(ground_b = tree_card(3.0f, 3.5f)));
    GpuMesh* capsule = mesh_upload(&(ground_b = shape_capsule(0.3f, 1.7f)));

    Material grass, stone, wood, metal, glass, leaves, cloth, emissive;
    material_init(&grass, {0.36f, 0.52f, 0.2f});
    grass.detail_on = 1;
    material_init(&stone, {0.6f, 0.58f, 0.55f});
    stone.surface_kind = 1;
    stone.moss = 0.7f;
    stone.light_a = 0.2f;
    material_init(&wood, {0.55f, 0.4f, 0.26f});
    wood.surface_kind = 2;
    material_init(&metal, {0.75f, 0.75f, 0.78f});
    material_set_pattern(&metal, 3, 4.0f);
    metal.light_flag_d = 1;
    material_init(&glass, {0.3f, 0.6f, 0.9f});
    glass.alpha = 0.5f;
    material_init(&leaves, {1, 1, 1});
    leaves.vegetation_kind = VEG_BROADLEAF;
    leaves.double_sided = 1;
    leaves.translucency = 0.6f;
    material_init(&cloth, {0.55f, 0.15f, 0.12f});
    material_set_pattern(&cloth, 1, 6.0f);
    cloth.skin_flag_a = 1;
    material_init(&emissive, {1.0f, 0.5f, 0.15f});
    emissive.emission = {3.0f, 1.2f, 0.3f};
    emissive.light_flag_b = 1;

    render_camera = {{0.0f, 2.4f, 7.5f}, {0.0f, 0.9f, 0.0f}, 55.0f};
    set_atmosphere();
    for (int frame = 0; frame < 2; ++frame) {  // the second frame reads a filled shadow map
        render_begin_frame();
        set_atmosphere();
        render_add(ground, &grass, mat4_translate({0, -0.1f, 0}), {1, 1, 1});
        render_add(rock, &stone, mat4_translate({-2.3f, 0.4f, 0.5f}), {1, 1, 1});
        render_add(log, &wood, mat4_from_prs({1.6f, 0.3f, 1.2f}, {0, 0.6f, 1.5708f}, {1, 1, 1}), {1, 1, 1});
        render_add(crate, &metal, mat4_from_prs({0.4f, 0.5f, -1.0f}, {0, 0.4f, 0}, {1, 1, 1}), {1, 1, 1});
        render_add(capsule, &cloth, mat4_translate({-0.6f, 0.85f, 1.8f}), {1, 1, 1});
        render_add(orb, &glass, mat4_translate({1.2f, 1.0f, 2.6f}), {1, 1, 1});
        render_add(card, &leaves, mat4_translate({3.2f, 0, -2.5f}), {0.9f, 1.0f, 0.85f});
        render_add(card, &leaves, mat4_from_prs({3.2f, 0, -2.5f}, {0, 1.5708f, 0}, {1, 1, 1}), {0.9f, 1.0f, 0.85f});
        render_add(orb, &emissive, mat4_from_prs({-0.8f, 0.15f, 3.4f}, {0, 0, 0}, {0.25f, 0.25f, 0.25f}), {1, 1, 1});
        ASSERT_TRUE(render_add_fire({-0.8f, 0.6f, 3.4f}, {2.4f, 1.1f, 0.35f}, 6.0f));
        render_frame();
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(headless_screenshot("render_scene.png"));

    std::vector<uint8_t> rgba((size_t)W * H * 4);
    ASSERT_TRUE(headless_read_pixels(rgba.data(), W, H));
    std::vector<uint8_t> small((size_t)RW * RH * 3);
    for (int y = 0; y < RH; ++y)
        for (int x = 0; x < RW; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < DOWN; ++dy)
                    for (int dx = 0; dx < DOWN; ++dx) sum += rgba[(((size_t)y * DOWN + dy) * W + x * DOWN + dx) * 4 + c];
                small[((size_t)y * RW + x) * 3 + c] = (uint8_t)((sum + DOWN * DOWN / 2) / (DOWN * DOWN));
            }
    write_ppm("render_scene_small.ppm", small, RW, RH);

    // Sanity of the picture itself: sky above, lit ground below, the fire's glow.
    auto px = [&](int x, int y, int c) { return (int)rgba[((size_t)y * W + x) * 4 + c]; };
    EXPECT_GT(px(W / 2, 4, 2), px(W / 2, 4, 0));    // the sky is bluish at the top
    EXPECT_GT(px(W / 2, H - 6, 1), px(W / 2, H - 6, 2));  // grass is greener than blue

    std::vector<uint8_t> ref;
    int rw = 0, rh = 0;
    ASSERT_TRUE(read_ppm(reference_path(), ref, rw, rh))
        << "no reference at " << reference_path() << "; the new image is render_scene_small.ppm in the build folder";
    ASSERT_EQ(rw, RW);
    ASSERT_EQ(rh, RH);
    ImageDiff diff = compare_rgb(small, ref);
    EXPECT_LT(diff.mean, 4.0) << "mean difference per channel";
    EXPECT_LT(diff.far_off, RW * RH / 100) << "blocks that differ strongly";
    for (GpuMesh* m : {ground, rock, log, crate, orb, card, capsule}) mesh_destroy(m);
}
