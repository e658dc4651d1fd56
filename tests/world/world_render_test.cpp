// The built world seen from fixed cameras (the spawn clearing, the lake shore,
// the pass, the second zone), rendered off-screen and compared with small
// committed references. Full-size PNGs are left in the build folder for a
// person to look at: world_view_<name>.png.
#include <gtest/gtest.h>

#include "tests/support/image_io.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "common/game_time.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "render/renderer.h"
#include "world/terrain.h"
#include "world/world.h"

void world_build();
void world_submit();

namespace {

constexpr int W = 512, H = 288, DOWN = 8, RW = W / DOWN, RH = H / DOWN;

std::string reference_path(const char* name) {
    std::string f = __FILE__;
    return f.substr(0, f.find_last_of('/') + 1) + "references/world_" + name + ".ppm";
}

struct View {
    const char* name;
    float ex, ez, eye_h;  // eye above the ground
    float tx, tz, target_h;
};

const View views[] = {
    {"spawn_clearing", -18, 22, 2.2f, 14, -16, 2.5f},
    {"lake_shore", -50, -64, 2.4f, -120, -92, 1.5f},
    {"pass", 2, -330, 2.2f, -2, -470, 3.0f},
    {"second_zone", 40, -690, 2.0f, 10, -760, 3.5f},
};

bool gl_ready = false;

class WorldRender : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        plat_open_window("Tervanne", W, H);
        if (!headless_has_context() || !gl_load()) return;
        gpu_init();
        plat_input.client_width = W;
        plat_input.client_height = H;
        world_build();
        gl_ready = true;
    }

    // Renders one view, keeps the PNG, and returns the downscaled image.
    static std::vector<uint8_t> render_view(const View& v, std::vector<uint8_t>* full) {
        Vec3 eye = {v.ex, ground_height(v.ex, v.ez) + v.eye_h, v.ez};
        Vec3 target = {v.tx, ground_height(v.tx, v.tz) + v.target_h, v.tz};
        render_camera = {eye, target, 60.0f};
        game_clock = 37.0;
        {  // the shadow pass runs first within the frame
            render_begin_frame();
            world_submit();
            render_frame();
        }
        headless_screenshot((std::string("world_view_") + v.name + ".png").c_str());
        full->assign((size_t)W * H * 4, 0);
        headless_read_pixels(full->data(), W, H);
        std::vector<uint8_t> small((size_t)RW * RH * 3);
        for (int y = 0; y < RH; ++y)
            for (int x = 0; x < RW; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < DOWN; ++dy)
                        for (int dx = 0; dx < DOWN; ++dx)
                            sum += (*full)[(((size_t)y * DOWN + dy) * W + x * DOWN + dx) * 4 + c];
                    small[((size_t)y * RW + x) * 3 + c] = (uint8_t)((sum + DOWN * DOWN / 2) / (DOWN * DOWN));
                }
        return small;
    }
};

}  // namespace

TEST_F(WorldRender, FixedViewsMatchTheirReferences) {
    ASSERT_TRUE(gl_ready) << "no GL context from the headless backend";
    int missing = 0;
    for (const View& v : views) {
        SCOPED_TRACE(v.name);
        std::vector<uint8_t> full;
        std::vector<uint8_t> small = render_view(v, &full);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        write_ppm(std::string("world_") + v.name + "_small.ppm", small, RW, RH);

        // The picture itself: a sky at the top, something other than sky below,
        // and a varied image (trees, paths, ground detail), not one flat colour.
        auto px = [&](int x, int y, int c) { return (int)full[((size_t)y * W + x) * 4 + c]; };
        int sky = 0, top = 0;
        for (int y = 0; y < H / 8; ++y)
            for (int x = 0; x < W; x += 4, ++top)
                if (px(x, y, 2) > px(x, y, 0) + 8) ++sky;
        EXPECT_GT(sky * 4, top) << "too little bluish sky at the top";
        long sum = 0, sum2 = 0;
        for (size_t i = 0; i < small.size(); ++i) {
            sum += small[i];
            sum2 += (long)small[i] * small[i];
        }
        double mean = (double)sum / (double)small.size();
        double var = (double)sum2 / (double)small.size() - mean * mean;
        EXPECT_GT(var, 150.0) << "image is nearly uniform";

        std::vector<uint8_t> ref;
        int rw = 0, rh = 0;
        if (!read_ppm(reference_path(v.name), ref, rw, rh)) {
            ++missing;
            ADD_FAILURE() << "no reference " << reference_path(v.name) << "; the new one is world_" << v.name
                          << "_small.ppm in the build folder";
            continue;
        }
        ASSERT_EQ(rw, RW);
        ASSERT_EQ(rh, RH);
        ImageDiff diff = compare_rgb(small, ref);
        EXPECT_LT(diff.mean, 5.0) << "mean difference per channel";
        EXPECT_LT(diff.far_off, RW * RH / 50) << "blocks that differ strongly";
    }
    EXPECT_EQ(missing, 0);
}

TEST_F(WorldRender, FireLightsNearTheCampsWithinTheLimit) {
    ASSERT_TRUE(gl_ready);
    // Beside the felon camp: its fire is the first light.
    render_camera = {{180, ground_height(180, -830) + 2, -830}, {170, 1, -835}, 60};
    render_begin_frame();
    world_submit();
    ASSERT_GE(atmosphere.fire_count, 1);
    EXPECT_LT(std::fabs(atmosphere.fires[0].position.x - 170), 3.0f);
    EXPECT_LT(std::fabs(atmosphere.fires[0].position.z + 835), 3.0f);
    // The burial mound's green glow: green dominates.
    render_camera = {{-20, ground_height(-20, -960) + 2, -960}, {-20, 2, -995}, 60};
    render_begin_frame();
    world_submit();
    ASSERT_EQ(atmosphere.fire_count, 1);
    EXPECT_GT(atmosphere.fires[0].colour.y, atmosphere.fires[0].colour.x * 3);
    // At the cave: its two torches.
    render_camera = {{48, ground_height(48, 310) + 2, 310}, {48, 2, 328}, 60};
    render_begin_frame();
    world_submit();
    EXPECT_EQ(atmosphere.fire_count, 2);
    // In an empty part of the forest: no light at all.
    render_camera = {{-600, ground_height(-600, 300) + 2, 300}, {-600, 2, 250}, 60};
    render_begin_frame();
    world_submit();
    EXPECT_EQ(atmosphere.fire_count, 0);
    EXPECT_LE(atmosphere.fire_count, MAX_FIRES);
}

TEST_F(WorldRender, NothingOfTheSurfaceIsSubmittedUnderground) {
    ASSERT_TRUE(gl_ready);
    // Above ground beside the felon camp: terrain, batches, groups, a light.
    render_camera = {{180, ground_height(180, -830) + 2, -830}, {170, 1, -835}, 60};
    render_begin_frame();
    world_submit();
    EXPECT_GT(render_draw_count(), 0);
    EXPECT_GT(render_group_count(), 0);
    EXPECT_GE(atmosphere.fire_count, 1);
    // In the catacombs the dungeon owns the frame and its atmosphere.
    game_flags.underground = 1;
    render_begin_frame();
    atmosphere.fog_density = 0.5f;
    world_submit();
    game_flags.underground = 0;
    EXPECT_EQ(render_draw_count(), 0);
    EXPECT_EQ(render_group_count(), 0);
    EXPECT_EQ(atmosphere.fire_count, 0);
    EXPECT_EQ(atmosphere.fog_density, 0.5f);
}
