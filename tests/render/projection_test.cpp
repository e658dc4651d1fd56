// Camera geometry without a GPU: projecting and picking agree, the sun's map
// moves in whole texels, frustum culling, and safe fallbacks for degenerate
// directions.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/platform.h"
#include "render/renderer.h"
#include "render/renderer_math.h"

TEST(Projection, ScreenRayHitsWhatWorldToScreenProjected) {
    plat_input.client_width = 1280;
    plat_input.client_height = 720;
    render_camera = {{3, 4, 10}, {0, 1, 0}, 50.0f};
    const Vec3 points[] = {{0, 1, 0}, {2, 0, -3}, {-4, 2.5f, 1}, {1, 6, -10}};
    for (Vec3 p : points) {
        bool visible = false;
        Vec3 s = world_to_screen(p, &visible);
        ASSERT_TRUE(visible);
        Vec3 origin;
        Vec3 dir = screen_ray(s.x, s.y, &origin);
        EXPECT_NEAR(length(dir), 1.0f, 1e-5f);
        Vec3 to = normalize(p - origin);
        EXPECT_GT(dot(dir, to), 0.99999f) << p.x << " " << p.y << " " << p.z;
    }
    // The target sits in the middle of the screen; a point behind the eye is flagged.
    Vec3 centre = world_to_screen({0, 1, 0});
    EXPECT_NEAR(centre.x, 640.0f, 0.01f);
    EXPECT_NEAR(centre.y, 360.0f, 0.01f);
    bool visible = true;
    world_to_screen({6, 7, 20}, &visible);
    EXPECT_FALSE(visible);
    // Up on screen is smaller y.
    EXPECT_LT(world_to_screen({0, 2, 0}).y, centre.y);
}

TEST(Projection, DegenerateDirectionsStayFinite) {
    Mat4 same = camera_matrix({1, 2, 3}, {1, 2, 3}, 60, 1.5f);
    Mat4 straight_down = camera_matrix({0, 10, 0}, {0, 0, 0}, 60, 1.5f);
    Mat4 sun = sun_matrix({5, 0, 5}, {0, 0, 0});
    Mat4 noon = sun_matrix({5, 0, 5}, {0, 1, 0});
    for (const Mat4* m : {&same, &straight_down, &sun, &noon})
        for (float v : m->m) ASSERT_TRUE(std::isfinite(v));
    EXPECT_EQ(safe_direction({0, 0, 0}, {0, 1, 0}).y, 1.0f);
}

TEST(SunCamera, FocusProjectsNearTheCentreAndSnapsToTexels) {
    Vec3 sun = normalize(Vec3{0.4f, 0.8f, 0.3f});
    for (Vec3 focus : {Vec3{0, 0, 0}, Vec3{123.4f, 5, -877.2f}, Vec3{-40, 2, 300}}) {
        Mat4 m = sun_matrix(focus, sun);
        Vec4 c = mat4_mul_vec4(m, {focus.x, focus.y, focus.z, 1});
        // Within one texel of the centre (ndc units: 2 / 4096 per texel).
        EXPECT_LE(std::fabs(c.x), 2.0f / 4096 + 1e-4f);
        EXPECT_LE(std::fabs(c.y), 2.0f / 4096 + 1e-4f);
        EXPECT_GT(c.z, -1.0f);  // between near and far: 80 m from the eye
        EXPECT_LT(c.z, 1.0f);
        // A point 40 m below the focus along the sun ray is still inside the depth range.
        Vec3 low = focus - sun * 100.0f;
        Vec4 d = mat4_mul_vec4(m, {low.x, low.y, low.z, 1});
        EXPECT_LT(d.z, 1.0f);
    }
    // Moving the focus by less than a texel changes nothing; a whole texel moves the map.
    Mat4 a = sun_matrix({10.0f, 0, 10.0f}, {0, 1, 0});
    Mat4 b = sun_matrix({10.0f + SHADOW_TEXEL * 0.01f, 0, 10.0f}, {0, 1, 0});
    Mat4 c = sun_matrix({10.0f + SHADOW_TEXEL * 1.5f, 0, 10.0f}, {0, 1, 0});
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(a.m[i], b.m[i]);
    EXPECT_NE(a.m[12], c.m[12]);
    // Walking: a ground point keeps its place inside its texel, at every map
    // size (a 2048 map snapped to 4096 texels would shimmer).
    for (int size : {4096, 2048, 1024}) {
        SCOPED_TRACE(size);
        const Vec3 ground = {3.3f, 0.0f, -7.1f};
        float first = -1.0f;
        for (int step = 0; step < 40; ++step) {
            const Vec3 focus = {step * 0.037f, 0.0f, step * 0.021f};
            Vec4 p = mat4_mul_vec4(sun_matrix(focus, sun, size), {ground.x, ground.y, ground.z, 1});
            const float texel_x = (p.x * 0.5f + 0.5f) * (float)size;
            const float frac = texel_x - std::floor(texel_x);
            if (first < 0.0f) first = frac;
            const float off = std::fabs(frac - first);
            EXPECT_LT(std::fmin(off, 1.0f - off), 0.02f) << "step " << step;
        }
    }
}

TEST(Culling, FrustumPlanesAndCellLimit) {
    Mat4 vp = camera_matrix({0, 1, 0}, {0, 1, -10}, 60, 16.0f / 9.0f);
    Frustum f = frustum_from_matrix(vp);
    EXPECT_TRUE(frustum_sphere(f, {0, 1, -20}, 0.5f));
    EXPECT_FALSE(frustum_sphere(f, {0, 1, 20}, 0.5f));    // behind
    EXPECT_FALSE(frustum_sphere(f, {0, 1, -800}, 50.0f));  // past the far plane (700)
    EXPECT_TRUE(frustum_sphere(f, {0, 1, 1.0f}, 1.5f));   // straddles the near plane
    EXPECT_FALSE(frustum_sphere(f, {300, 1, -20}, 1.0f));  // far to the side
    InstanceCell cell = {0, 1, 0, 1, -132, 2, 0, 1, -132, 2};
    EXPECT_FALSE(cell_visible(cell, {0, 1, 0}, 130, f));  // exactly at limit + radius
    cell.centre_z = cell.bound_z = -131.9f;
    EXPECT_TRUE(cell_visible(cell, {0, 1, 0}, 130, f));
    cell.bound_y = 500;  // height does not count towards the distance limit, only the frustum
    EXPECT_FALSE(cell_visible(cell, {0, 1, 0}, 130, f));
    // The frustum tests the meshes' bound, not the origins': feet below the
    // view, crowns in it.
    cell.centre_y = -40;
    cell.bound_y = 1;
    EXPECT_TRUE(cell_visible(cell, {0, 1, 0}, 130, f));
}

// The colour-vision correction: normal vision is the identity, greys stay
// grey, and for each kind of eye two colours it confuses (the hostile red and
// the friendly green of names, a blue and a green for tritanopia) are told
// further apart after the correction, seen through that same eye.
TEST(ColourVision, CorrectionSeparatesWhatTheEyeConfuses) {
    auto apply = [](const float m[9], Vec3 c) {
        Vec3 r = {m[0] * c.x + m[3] * c.y + m[6] * c.z, m[1] * c.x + m[4] * c.y + m[7] * c.z,
                  m[2] * c.x + m[5] * c.y + m[8] * c.z};
        return Vec3{clampf(r.x, 0, 1), clampf(r.y, 0, 1), clampf(r.z, 0, 1)};
    };
    float m[9];
    colour_vision_matrix(VISION_NORMAL, m);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], i % 4 == 0 ? 1.0f : 0.0f);
    colour_vision_matrix(17, m);  // an unknown mode is normal vision
    EXPECT_EQ(m[1], 0.0f);
    const Vec3 red = {0.85f, 0.25f, 0.2f}, green = {0.35f, 0.6f, 0.2f};
    const Vec3 blue = {0.2f, 0.45f, 0.9f}, teal = {0.3f, 0.7f, 0.55f};
    for (int mode = VISION_PROTANOPIA; mode < VISION_MODE_COUNT; ++mode) {
        SCOPED_TRACE(mode);
        colour_vision_matrix(mode, m);
        Vec3 grey = apply(m, {0.5f, 0.5f, 0.5f});
        EXPECT_NEAR(grey.x, 0.5f, 0.03f);
        EXPECT_NEAR(grey.y, 0.5f, 0.03f);
        EXPECT_NEAR(grey.z, 0.5f, 0.03f);
        Vec3 a = mode == VISION_TRITANOPIA ? blue : red, b = mode == VISION_TRITANOPIA ? teal : green;
        float before = length(colour_vision_simulate(mode, a) - colour_vision_simulate(mode, b));
        float after = length(colour_vision_simulate(mode, apply(m, a)) - colour_vision_simulate(mode, apply(m, b)));
        EXPECT_GT(after, before * 1.15f) << before << " -> " << after;
    }
}
