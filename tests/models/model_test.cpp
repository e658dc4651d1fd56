// The node system, skinning, the human figure and the species templates.
// The figures need GL for their uploads, so the suite opens the headless
// context once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/renderer.h"
#include "world/human.h"
#include "render/mesh.h"
#include "world/model.h"
#include "world/species_models.h"

namespace {

bool gl_ready() {
    static int state = -1;
    if (state < 0) {
        plat_open_window("modeles", 320, 240);
        state = headless_has_context() && gl_load() ? 1 : 0;
    }
    return state == 1;
}

GpuMesh fake_mesh;  // rigid parts only need an address to be submitted
Material fake_material;

// A column one unit tall along y, for skinning.
GpuMesh* column_mesh() {
    MeshBuilder b = shape_frustum(0.1f, 0.1f, 1.0f, 8, false);
    for (int i = 0; i < b.vertex_count; ++i) b.vertices[i].position.y += 0.5f;
    return mesh_upload(&b);
}

void expect_mat_near(const Mat4& a, const Mat4& b) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], 1e-5f) << i;
}

}  // namespace

TEST(Model, EvaluateChainsTransformsAndVisibility) {
    Model m{};
    int root = model_add_node(&m, -1, {1, 0, 0});
    int arm = model_add_part(&m, root, &fake_mesh, &fake_material, {0, 2, 0});
    int hand = model_add_part(&m, arm, &fake_mesh, &fake_material, {0, 0, 1});
    m.nodes[arm].rotation = {0.3f, 0.5f, -0.2f};
    m.nodes[hand].scale = {2, 2, 2};
    Mat4 R = mat4_translate({10, 0, 0}) * mat4_rotate_y(1.0f);
    model_evaluate(&m, R);
    Mat4 expect = R * mat4_from_prs({1, 0, 0}, {0, 0, 0}, {1, 1, 1}) *
                  mat4_from_prs({0, 2, 0}, {0.3f, 0.5f, -0.2f}, {1, 1, 1}) *
                  mat4_from_prs({0, 0, 1}, {0, 0, 0}, {2, 2, 2});
    expect_mat_near(m.nodes[hand].world_matrix, expect);
    Vec3 p = model_node_position(&m, hand);
    EXPECT_NEAR(p.x, expect.m[12], 1e-5f);

    // A hidden parent hides its children even when they are visible.
    m.nodes[arm].visible = 0;
    model_evaluate(&m, R);
    EXPECT_FALSE(m.nodes[arm].world_visible);
    EXPECT_FALSE(m.nodes[hand].world_visible);
    EXPECT_TRUE(m.nodes[root].world_visible);
    render_begin_frame();
    model_draw(&m, nullptr, nullptr);
    EXPECT_EQ(render_draw_count(), 0);
    m.nodes[arm].visible = 1;
    model_evaluate(&m, R);
    render_begin_frame();
    model_draw(&m, nullptr, nullptr);
    EXPECT_EQ(render_draw_count(), 2);  // the root is a pure joint

    // Growth: 64 first, then doubling; parents always precede children.
    for (int i = 0; i < 70; ++i) model_add_node(&m, i, {0, 0, 0});
    EXPECT_EQ(m.node_capacity, 128);
    EXPECT_EQ(model_add_node(&m, 5000, {0, 0, 0}) >= 0, true);
    EXPECT_EQ(m.nodes[m.node_count - 1].parent, -1);
    model_free(&m);
    EXPECT_EQ(m.nodes, nullptr);
    EXPECT_EQ(m.node_count, 0);
}

TEST(Model, MaterialSubstitutionAndMirroredRoot) {
    Model m{};
    Material cloth{}, mine{};
    material_init(&cloth, {1, 1, 1});
    material_init(&mine, {0.5f, 0.1f, 0.1f});
    int root = model_add_node(&m, -1, {0, 0, 0});
    model_add_part(&m, root, &fake_mesh, &cloth, {0, 1, 0});
    model_add_part(&m, root, &fake_mesh, &fake_material, {0, 2, 0});
    model_evaluate(&m, mat4_identity());
    render_begin_frame();
    model_draw(&m, &cloth, &mine);
    ASSERT_EQ(render_draw_count(), 2);
    EXPECT_EQ(render_draw_list()[0].material, &mine);
    EXPECT_EQ(render_draw_list()[1].material, &fake_material);
    EXPECT_EQ(mine.skin_flag_a, 1);  // marked as part of a figure

    // A mirroring root: the parts must still show their outsides once back
    // faces are culled, so they go out double-sided.
    model_evaluate(&m, mat4_scale({-1, 1, 1}));
    render_begin_frame();
    model_draw(&m, nullptr, nullptr);
    ASSERT_EQ(render_draw_count(), 2);
    for (int i = 0; i < 2; ++i) {
        const DrawItem& d = render_draw_list()[i];
        EXPECT_EQ(d.material->double_sided, 1);
        EXPECT_LT(d.model.m[0], 0.0f);
        EXPECT_EQ(d.material->skin_flag_a, 1);
    }
    EXPECT_EQ(cloth.double_sided, 0);  // the shared material is left alone
    model_free(&m);
}

TEST(Model, SpanNodeStretchesAlongSegment) {
    Model m{};
    int n = model_add_node(&m, -1, {0, 0, 0});
    Vec3 a = {1, 2, 3}, b = {1, 2, 5};
    model_span_node(&m, n, a, b);
    const Mat4& l = m.nodes[n].local_matrix;
    EXPECT_EQ(m.nodes[n].use_matrix, 1);
    EXPECT_NEAR(l.m[4], 0.0f, 1e-6f);
    EXPECT_NEAR(l.m[6], 2.0f, 1e-6f);  // y axis = b - a
    EXPECT_NEAR(l.m[12], 1.0f, 1e-6f);
    EXPECT_NEAR(l.m[14], 4.0f, 1e-6f);  // midpoint
    Vec3 x = {l.m[0], l.m[1], l.m[2]}, z = {l.m[8], l.m[9], l.m[10]};
    EXPECT_NEAR(length(x), 1.0f, 1e-5f);
    EXPECT_NEAR(length(z), 1.0f, 1e-5f);
    EXPECT_NEAR(dot(x, b - a), 0.0f, 1e-5f);
    EXPECT_NEAR(dot(z, b - a), 0.0f, 1e-5f);
    // A part one unit tall spans the segment.
    model_evaluate(&m, mat4_identity());
    Vec3 top = mat4_mul_point(m.nodes[n].world_matrix, {0, 0.5f, 0});
    EXPECT_NEAR(length(top - b), 0.0f, 1e-5f);
    // Degenerate: identity rotation at the midpoint.
    model_span_node(&m, n, a, a + Vec3{0.00001f, 0, 0});
    expect_mat_near(m.nodes[n].local_matrix, mat4_translate(a + Vec3{0.000005f, 0, 0}));
    model_free(&m);
}

// A tied part spans from a point of one node to a point between two others
// by its pull, after the chain moved; a tie that would read nodes evaluated
// after it is refused; copies keep their ties.
TEST(Model, TiedPartSpansMovingPoints) {
    Model m{};
    int root = model_add_node(&m, -1, {0, 0, 0});
    int bow = model_add_node(&m, root, {0, 1, 0});
    int hand = model_add_node(&m, root, {0, 1, -0.6f});
    int string = model_add_part(&m, bow, &fake_mesh, &fake_material, {0, 0, 0});
    // A caller's mistake: refused in a release build, stopped by the assert in a debug one.
#ifdef NDEBUG
    EXPECT_EQ(model_add_tie(&m, bow, string, {0, 0, 0}, root, {0, 0, 0}, root, {0, 0, 0}), -1)
        << "a tie must come after what it reads";
#else
    EXPECT_DEATH(model_add_tie(&m, bow, string, {0, 0, 0}, root, {0, 0, 0}, root, {0, 0, 0}), "node >= from_node")
        << "a tie must come after what it reads";
#endif
    int t = model_add_tie(&m, string, bow, {0, 0.6f, 0}, bow, {0, 0, 0}, hand, {0, 0, 0});
    ASSERT_EQ(t, 0);
    Mat4 R = mat4_translate({5, 0, 0}) * mat4_rotate_y(0.7f);
    auto ends = [&](Vec3* a, Vec3* b) {
        model_evaluate(&m, R);
        *a = mat4_mul_point(m.nodes[string].world_matrix, {0, -0.5f, 0});
        *b = mat4_mul_point(m.nodes[string].world_matrix, {0, 0.5f, 0});
    };
    Vec3 a, b;
    ends(&a, &b);
    EXPECT_NEAR(length(a - mat4_mul_point(R, {0, 1.6f, 0})), 0.0f, 1e-5f);
    EXPECT_NEAR(length(b - mat4_mul_point(R, {0, 1, 0})), 0.0f, 1e-5f);
    // Pulled, the far end follows the hand wherever the pose put it.
    m.ties[t].pull = 1.0f;
    m.nodes[hand].position = {0.3f, 1.2f, -0.5f};
    ends(&a, &b);
    EXPECT_NEAR(length(b - model_node_position(&m, hand)), 0.0f, 1e-5f);
    Vec3 x = {m.nodes[string].world_matrix.m[0], m.nodes[string].world_matrix.m[1], m.nodes[string].world_matrix.m[2]};
    EXPECT_NEAR(length(x), 1.0f, 1e-5f) << "only the length is stretched";
    m.ties[t].pull = 0.5f;
    ends(&a, &b);
    Vec3 half = (model_node_position(&m, hand) + mat4_mul_point(R, {0, 1, 0})) * 0.5f;
    EXPECT_NEAR(length(b - half), 0.0f, 1e-5f);
    Model c = model_copy(&m);
    ASSERT_EQ(c.tie_count, 1);
    EXPECT_NE(c.ties, m.ties);
    model_free(&c);
    model_free(&m);
    EXPECT_EQ(m.ties, nullptr);
}

TEST(Model, SkinBendsNearAndGoesRigidFar) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Model m{};
    Material mat;
    material_init(&mat, {1, 1, 1});
    int root = model_add_node(&m, -1, {0, 0, 0});
    GpuMesh* column = column_mesh();
    int body = model_add_part(&m, root, column, &mat, {0, 0, 0});
    int tip = model_add_node(&m, root, {0, 1, 0});
    model_bind_skin(&m, body, tip);
    ASSERT_NE(m.nodes[body].skin, nullptr);
    const SkinBinding* s = m.nodes[body].skin;
    int count = s->vertex_count;
    std::vector<Vertex> rest(m.nodes[body].mesh->cpu_vertices, m.nodes[body].mesh->cpu_vertices + count);

    // Rest pose: nothing moves.
    model_evaluate(&m, mat4_identity());
    std::vector<Vertex> out(count);
    model_skin_deform(&m, body, out.data());
    for (int i = 0; i < count; ++i) EXPECT_NEAR(length(out[i].position - rest[i].position), 0.0f, 1e-5f);

    // The tip slides sideways: the top ring follows it, the bottom stays.
    m.nodes[tip].position = {0.4f, 1.0f, 0.0f};
    model_evaluate(&m, mat4_identity());
    model_skin_deform(&m, body, out.data());
    for (int i = 0; i < count; ++i) {
        float y = rest[i].position.y;
        if (y > 0.99f) {
            EXPECT_NEAR(out[i].position.x - rest[i].position.x, 0.4f, 1e-4f);
        }
        if (y < 0.01f) {
            EXPECT_NEAR(out[i].position.x - rest[i].position.x, 0.0f, 1e-4f);
        }
        EXPECT_NEAR(length(out[i].normal), 1.0f, 1e-4f);
    }

    // Near the camera the deformed clone is drawn; beyond 40 m the rigid mesh.
    render_camera.eye = {0, 1, 10};
    model_evaluate(&m, mat4_identity());
    render_begin_frame();
    model_draw(&m, nullptr, nullptr);
    ASSERT_EQ(render_draw_count(), 1);
    ASSERT_NE(m.nodes[body].skin_mesh, nullptr);
    EXPECT_EQ(render_draw_list()[0].mesh, m.nodes[body].skin_mesh);
    model_evaluate(&m, mat4_translate({0, 0, -45}));
    render_begin_frame();
    model_draw(&m, nullptr, nullptr);
    EXPECT_EQ(render_draw_list()[0].mesh, m.nodes[body].mesh);
    // The rest shape itself was never touched.
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(std::memcmp(&rest[i], &m.nodes[body].mesh->cpu_vertices[i], sizeof(Vertex)), 0);

    // A copy shares meshes and bindings, starts without a skin mesh, and
    // is freed without touching the template.
    Model c = model_copy(&m);
    EXPECT_EQ(c.node_count, m.node_count);
    EXPECT_EQ(c.node_capacity, m.node_count);
    EXPECT_EQ(c.nodes[body].mesh, m.nodes[body].mesh);
    EXPECT_EQ(c.nodes[body].skin, m.nodes[body].skin);
    EXPECT_EQ(c.nodes[body].skin_mesh, nullptr);
    c.nodes[tip].rotation.x = 1.0f;
    EXPECT_EQ(m.nodes[tip].rotation.x, 0.0f);
    model_evaluate(&c, mat4_identity());
    render_begin_frame();
    model_draw(&c, nullptr, nullptr);
    EXPECT_NE(c.nodes[body].skin_mesh, nullptr);
    EXPECT_NE(c.nodes[body].skin_mesh, m.nodes[body].skin_mesh);
    model_free(&c);
    EXPECT_EQ(c.nodes, nullptr);
    EXPECT_NE(m.nodes[body].skin, nullptr);
    model_free(&m);
    mesh_destroy(column);  // parts are only referenced by the model
}

TEST(Human, AppearanceTablesAndHeadSculpt) {
    AppearanceChoice c = {1, 4, 3, 6, 2, 2};
    Appearance a = appearance_from_choice(c);
    EXPECT_EQ(a.femininity, 1.0f);
    EXPECT_EQ(a.beard, 2);
    EXPECT_EQ(a.hair_style, 2);
    EXPECT_EQ(a.skin.x, skin_colours[4].x);
    // Out-of-range choices from a damaged file are clamped into the tables.
    AppearanceChoice bad = {1, 99, -3, 7, 12, -1};
    Appearance b = appearance_from_choice(bad);
    EXPECT_EQ(b.skin.x, skin_colours[4].x);
    EXPECT_EQ(b.eyes.x, eye_colours[0].x);
    EXPECT_EQ(b.hair.x, hair_colours[6].x);
    EXPECT_EQ(b.hair_style, 2);
    EXPECT_EQ(b.beard, 0);

    // Each index must show the colour its saved name promises: skin
    // "Claire" "Rosée" "Hâlée" "Mate" "Foncée"; eyes "Verts" "Bleus" "Bruns"
    // "Gris"; hair "Noirs" "Bruns foncés" "Bruns" "Châtains" "Roux" "Blonds"
    // "Gris".
    auto luma = [](Vec3 c) { return 0.3f * c.x + 0.59f * c.y + 0.11f * c.z; };
    auto spread = [](Vec3 c) { return std::fmax(c.x, std::fmax(c.y, c.z)) - std::fmin(c.x, std::fmin(c.y, c.z)); };
    for (int i = 1; i < SKIN_COLOUR_COUNT; ++i) EXPECT_LT(luma(skin_colours[i]), luma(skin_colours[i - 1]) + 0.01f) << i;
    EXPECT_GT(skin_colours[1].x - skin_colours[1].y, skin_colours[0].x - skin_colours[0].y);  // rosy
    EXPECT_LT(luma(skin_colours[4]), 0.5f * luma(skin_colours[0]));
    Vec3 green = eye_colours[0], blue = eye_colours[1], brown = eye_colours[2], grey = eye_colours[3];
    EXPECT_GT(green.y, std::fmax(green.x, green.z));
    EXPECT_GT(blue.z, std::fmax(blue.x, blue.y));
    EXPECT_TRUE(brown.x > brown.y && brown.y > brown.z);
    EXPECT_LT(spread(grey), 0.08f);
    for (int i = 1; i <= 3; ++i) EXPECT_GT(luma(hair_colours[i]), luma(hair_colours[i - 1])) << i;
    Vec3 red = hair_colours[4], blond = hair_colours[5];
    EXPECT_GT(red.x, 2.0f * red.y);
    EXPECT_GT(red.x - red.y, hair_colours[3].x - hair_colours[3].y);
    for (int i = 0; i < HAIR_COLOUR_COUNT; ++i) {
        if (i == 5) continue;
        EXPECT_GT(luma(blond), luma(hair_colours[i])) << i;
    }
    EXPECT_LT(spread(hair_colours[6]), 0.08f);
    EXPECT_GT(luma(hair_colours[6]), luma(hair_colours[3]));

    // 91 rings of 111 vertices; every position finite and inside a head's size.
    MeshBuilder head = human_head_mesh(a);
    EXPECT_EQ(head.vertex_count, HEAD_RINGS * HEAD_RING_VERTICES);
    float top = -1, bottom = 1, front = -1;
    for (int i = 0; i < head.vertex_count; ++i) {
        Vec3 p = head.vertices[i].position;
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        top = std::fmax(top, p.y);
        bottom = std::fmin(bottom, p.y);
        front = std::fmax(front, p.z);
    }
    EXPECT_GT(top - bottom, 0.19f);
    EXPECT_LT(top - bottom, 0.28f);
    EXPECT_GT(front, 0.1f);  // the nose stands out of the skull

    // A beard only grows on men: a woman's head ignores the beard choice.
    AppearanceChoice w0 = {1, 1, 1, 1, 0, 0}, w2 = {1, 1, 1, 1, 0, 2};
    MeshBuilder h0 = human_head_mesh(appearance_from_choice(w0));
    MeshBuilder h2 = human_head_mesh(appearance_from_choice(w2));
    EXPECT_EQ(std::memcmp(h0.vertices, h2.vertices, sizeof(Vertex) * (size_t)h0.vertex_count), 0);
    AppearanceChoice m0 = {0, 1, 1, 1, 0, 0}, m2 = {0, 1, 1, 1, 0, 2};
    MeshBuilder g0 = human_head_mesh(appearance_from_choice(m0));
    MeshBuilder g2 = human_head_mesh(appearance_from_choice(m2));
    EXPECT_NE(std::memcmp(g0.vertices, g2.vertices, sizeof(Vertex) * (size_t)g0.vertex_count), 0);
    for (MeshBuilder* mb : {&head, &h0, &h2, &g0, &g2}) mb_free(mb);
}

TEST(Human, FiguresAndFaceExpression) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    Appearance man = appearance_from_choice({0, 1, 1, 2, 1, 1});
    Appearance woman = appearance_from_choice({1, 2, 2, 3, 2, 0});
    Model mm{}, wm{};
    HumanRig rig;
    // The meshes are the collection's, as for the player's model.
    MeshCollection meshes{};
    mesh_collection = &meshes;
    int root = model_add_node(&mm, -1, {0, 0, 0});
    int head = human_build(&mm, root, &man, &rig);
    HumanRig woman_rig;
    human_build(&wm, model_add_node(&wm, -1, {0, 0, 0}), &woman, &woman_rig);
    mesh_collection = nullptr;
    EXPECT_EQ(head, rig.head);
    EXPECT_GT(man.head_height, 1.7f);
    EXPECT_LT(man.head_height, 1.9f);
    EXPECT_LT(woman.head_height, man.head_height);
    EXPECT_GT(woman.head_height, 1.6f);
    for (int i = 0; i < 4; ++i) ASSERT_GE(man.face_nodes[i], 0);

    // Feet on the ground: the lowest vertex of the evaluated figure.
    model_evaluate(&mm, mat4_identity());
    float low = 10, high = -10;
    for (int i = 0; i < mm.node_count; ++i) {
        const Node& n = mm.nodes[i];
        if (!n.mesh) continue;
        for (int v = 0; v < n.mesh->vertex_count; ++v) {
            Vec3 p = mat4_mul_point(n.world_matrix, n.mesh->cpu_vertices[v].position);
            low = std::fmin(low, p.y);
            high = std::fmax(high, p.y);
        }
    }
    EXPECT_NEAR(low, 0.0f, 0.04f);
    EXPECT_NEAR(high, man.head_height, 0.05f);

    // Expression: squinted eyes, lifted brows; amount 0 restores the rest.
    Vec3 rest[4], rest_scale[4];
    for (int i = 0; i < 4; ++i) {
        rest[i] = mm.nodes[man.face_nodes[i]].position;
        rest_scale[i] = mm.nodes[man.face_nodes[i]].scale;
    }
    face_expression(&mm, &man, 1.0f);
    const Node& eye = mm.nodes[man.face_nodes[0]];
    EXPECT_NEAR(eye.scale.y, man.face_scale * 0.65f, 1e-5f);
    EXPECT_NEAR(eye.scale.z, man.face_scale * 1.03f, 1e-5f);
    EXPECT_GT(mm.nodes[man.face_nodes[2]].position.y, rest[2].y);
    for (int i = 0; i < 4; ++i) EXPECT_LT(length(mm.nodes[man.face_nodes[i]].position - rest[i]), 0.01f);
    Vec3 full = eye.position;
    face_expression(&mm, &man, 7.0f);  // clamped to 1
    EXPECT_NEAR(length(mm.nodes[man.face_nodes[0]].position - full), 0.0f, 1e-7f);
    face_expression(&mm, &man, 0.0f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(length(mm.nodes[man.face_nodes[i]].position - rest[i]), 0.0f, 1e-7f);
        EXPECT_NEAR(length(mm.nodes[man.face_nodes[i]].scale - rest_scale[i]), 0.0f, 1e-7f);
    }
    // Every woman's head, like every beardless man's, is one mesh made once,
    // outside the collection (the player's is released at each change of
    // looks); a beard makes a head of the figure's own.
    Appearance other_woman = appearance_from_choice({1, 4, 0, 6, 0, 0});
    Appearance other_man = appearance_from_choice({0, 1, 1, 2, 1, 1});
    Model ow{}, om{};
    HumanRig other_woman_rig, other_man_rig;
    MeshCollection others{};
    mesh_collection = &others;
    human_build(&ow, model_add_node(&ow, -1, {0, 0, 0}), &other_woman, &other_woman_rig);
    human_build(&om, model_add_node(&om, -1, {0, 0, 0}), &other_man, &other_man_rig);
    mesh_collection = nullptr;
    const GpuMesh* shared_head = wm.nodes[woman_rig.head + 1].mesh;
    ASSERT_NE(shared_head, nullptr);
    EXPECT_EQ(ow.nodes[other_woman_rig.head + 1].mesh, shared_head);
    EXPECT_NE(om.nodes[other_man_rig.head + 1].mesh, mm.nodes[rig.head + 1].mesh);
    model_free(&mm);
    model_free(&wm);
    mesh_release_all(&meshes);
    std::free(meshes.meshes);
    model_free(&ow);
    model_free(&om);
    mesh_release_all(&others);
    std::free(others.meshes);
    EXPECT_TRUE(glIsBuffer(shared_head->vbo));
}

namespace {
struct HitShape {
    float head_h, head_f, head_r, body_h, body_f, side, half_h, half_len, bar;
};
const HitShape kShapes[SPECIES_MODEL_COUNT] = {
    {0.56f, 0.78f, 0.22f, 0.64f, 0, 0.3f, 0.36f, 0.66f, 1.35f},
    {1.07f, 0.12f, 0.2f, 0.72f, 0.03f, 0.27f, 0.42f, 0.24f, 1.6f},
    {0.74f, 0.7f, 0.2f, 0.64f, 0, 0.22f, 0.27f, 0.62f, 1.25f},
    {1.86f, 0.03f, 0.16f, 1.25f, 0, 0.27f, 0.64f, 0.22f, 2.2f},
    {1.67f, 0.03f, 0.17f, 1.15f, 0, 0.25f, 0.6f, 0.2f, 2.1f},
    {1.67f, 0.03f, 0.17f, 1.15f, 0, 0.25f, 0.6f, 0.2f, 2.1f},
    {1.67f, 0.03f, 0.18f, 1.15f, 0, 0.28f, 0.6f, 0.22f, 2.25f},
    {1.67f, 0.03f, 0.18f, 1.15f, 0, 0.3f, 0.62f, 0.24f, 2.35f},
    {0.74f, 0.7f, 0.2f, 0.64f, 0, 0.22f, 0.27f, 0.62f, 1.25f},
    {1.16f, 1.0f, 0.28f, 0.98f, 0, 0.5f, 0.55f, 1.0f, 1.85f},
    {1.86f, 0.03f, 0.17f, 1.25f, 0, 0.3f, 0.64f, 0.24f, 2.25f},
};

bool in_subtree(const Model& m, int node, int ancestor) {
    for (int i = node; i >= 0; i = m.nodes[i].parent)
        if (i == ancestor) return true;
    return false;
}
}  // namespace

TEST(Species, TemplatesMatchHitShapesAndNameTheirSlots) {
    if (!gl_ready()) GTEST_SKIP() << "no GL context";
    species_templates_build();
    ASSERT_TRUE(species_models_ready());
    for (int sp = 0; sp < SPECIES_MODEL_COUNT; ++sp) {
        SCOPED_TRACE(sp);
        SpeciesModel& sm = species_models[sp];
        const SpeciesSlots& s = sm.slots;
        bool quad = sp == 0 || sp == 2 || sp == 8 || sp == 9;
        EXPECT_EQ(sm.quadruped, quad ? 1 : 0);
        ASSERT_GE(s.body, 0);
        ASSERT_GE(s.head, 0);
        // The body lift is the body node's own height, so it rests at 0.
        EXPECT_EQ(sm.model.nodes[s.body].position.y, 0.0f);
        if (quad) {
            for (int i = 0; i < 2; ++i) {
                EXPECT_GE(s.front_leg[i], 0);
                EXPECT_GE(s.hind_leg[i], 0);
            }
            EXPECT_GE(s.tail, 0);
        } else {
            for (int i = 0; i < 2; ++i) EXPECT_GE(s.leg[i], 0);
            EXPECT_GE(s.off_arm, 0);
            EXPECT_GE(s.weapon_arm, 0);
        }
        Model& m = sm.model;
        model_evaluate(&m, mat4_identity());
        // The head's vertices reach the head sphere of the hit shape, and the
        // whole figure stands on the ground below its health bar.
        const HitShape& h = kShapes[sp];
        Vec3 hc = {0, h.head_h, h.head_f};
        float nearest = 1e9f, low = 1e9f, high = -1e9f;
        for (int i = 0; i < m.node_count; ++i) {
            const Node& n = m.nodes[i];
            if (!n.mesh) continue;
            bool head = in_subtree(m, i, s.head);
            for (int v = 0; v < n.mesh->vertex_count; ++v) {
                Vec3 p = mat4_mul_point(n.world_matrix, n.mesh->cpu_vertices[v].position);
                low = std::fmin(low, p.y);
                high = std::fmax(high, p.y);
                if (head) nearest = std::fmin(nearest, length(p - hc));
            }
        }
        EXPECT_LT(nearest, h.head_r);
        EXPECT_NEAR(low, 0.0f, 0.06f);
        EXPECT_LT(high, h.bar + 0.05f);
        EXPECT_GT(high, h.body_h + h.half_h * 0.8f);
    }
    // A creature's copy with elite pieces grows without touching the template.
    Model c = model_copy(&species_models[4].model);
    int before = c.node_count;
    species_model_add_elite_pieces(&c, species_models[4].slots, 8);
    EXPECT_GT(c.node_count, before);
    EXPECT_EQ(species_models[4].model.node_count, before);
    // Not an elite: a caller's mistake, asserted in a debug build.
#ifdef NDEBUG
    species_model_add_elite_pieces(&c, species_models[4].slots, 42);
#else
    EXPECT_DEATH(species_model_add_elite_pieces(&c, species_models[4].slots, 42), "e <= 9");
#endif
    // Every later elite of the same row shares the pieces' meshes: spawning
    // again when the catacombs refill uploads nothing new.
    for (int e = 1; e <= 9; ++e) {
        SCOPED_TRACE(e);
        static const int species_of[10] = {0, 1, 2, 3, 4, 10, 1, 10, 4, 2};
        const SpeciesModel& sm = species_models[species_of[e]];
        Model a = model_copy(&sm.model), b = model_copy(&sm.model);
        species_model_add_elite_pieces(&a, sm.slots, e);
        species_model_add_elite_pieces(&b, sm.slots, e);
        ASSERT_GT(a.node_count, sm.model.node_count);
        ASSERT_EQ(a.node_count, b.node_count);
        for (int i = sm.model.node_count; i < a.node_count; ++i) {
            EXPECT_EQ(a.nodes[i].mesh, b.nodes[i].mesh);
            EXPECT_EQ(a.nodes[i].material, b.nodes[i].material);
            EXPECT_GE(a.nodes[i].parent, 0);
        }
        model_free(&a);
        model_free(&b);
    }
    model_free(&c);
}
