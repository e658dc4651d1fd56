// Creature figures as the renderer receives them: every part's matrix and
// tint against the plain chain of matrix products, and the sphere of the
// necks bent on the processor against their vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "tests/creatures/creature_game.h"
#include "render/mesh.h"
#include "world/model.h"
#include "world/species_models.h"

namespace {

const float kX = 60.0f, kZ = 150.0f;

Vec3 ground(float x, float z) { return {x, ground_height(x, z), z}; }

// The suite's later scenes go on from the clock as they find it.
struct KeepClock {
    double saved = game_clock;
    ~KeepClock() { game_clock = saved; }
};

void look_from_behind_the_player() {
    Vec3 feet = {player.pos_x, player.pos_y, player.pos_z};
    render_camera.eye = feet + Vec3{0, 3, -8};
    render_camera.target = feet + Vec3{0, 1, 0};
}

// The textbook figure: each node's full local matrix times its parent's.
Mat4 reference_world(const Model& m, int i, const Mat4& root) {
    const Node& n = m.nodes[i];
    Mat4 local = n.use_matrix ? n.local_matrix : mat4_from_prs(n.position, n.rotation, n.scale);
    if (n.parent < 0 || n.parent >= i) return root * local;
    return reference_world(m, n.parent, root) * local;
}

bool reference_visible(const Model& m, int i) {
    const Node& n = m.nodes[i];
    if (!n.visible) return false;
    return n.parent < 0 || n.parent >= i || reference_visible(m, n.parent);
}

// Every species and elite round the player, walking, fighting, hit, lying
// dead, tinted, the lord leaning into a charge.
void fill_a_varied_table() {
    clean_table_with_player_at(kX, kZ);
    int k = 0;
    auto around = [&](float r) {
        float a = (float)k++ * 0.83f;
        return ground(kX + std::sin(a) * r, kZ + std::cos(a) * r);
    };
    for (int round = 0; round < 2; ++round)
        for (int sp = 0; sp < SPECIES_COUNT; ++sp) {
            Vec3 p = around(5.0f + (float)(k % 30));
            Creature* c = spawn_creature(sp, p, p);
            ASSERT_NE(c, nullptr);
            if (round == 1 && c->species != SP_BOAR) c->ai_state = CS_FIGHT;
        }
    for (int e = 1; e <= ELITE_COUNT; ++e) {
        Vec3 p = around(12.0f);
        ASSERT_NE(spawn_elite(e, p, p), nullptr);
    }
    step_creatures(1.0f);
    int i = 0;
    for (Creature& c : creatures) {
        if (!c.in_use) continue;
        switch (i++ % 5) {
            case 1: c.hit_flash = 0.09f; break;
            case 2: creature_stagger(&c, 1.5f, {0.6f, 0.0f, -0.8f}); break;
            case 3: set_creature_tint(&c, {0.7f, 1.2f, 0.9f}); break;
            case 4:
                c.ai_state = CS_DEAD;
                c.death_time = 0.3f;
                break;
            default: break;
        }
        if (c.species == SP_BOSS) c.charge_state = 1;
    }
}

}  // namespace

// The figures are evaluated and drawn by shortcuts (products written out, no
// work for zero angles, the hit flash folded into the submission): what the
// renderer receives must be the full products to the bit.
TEST(CreatureFigures, EverySubmittedPartIsThePlainProductOfItsChain) {
    ASSERT_TRUE(creature_game());
    KeepClock clock;
    fill_a_varied_table();
    look_from_behind_the_player();
    render_begin_frame();
    creatures_submit();
    const DrawItem* items = render_draw_list();
    const int count = render_draw_count();

    int at = 0, skinned = 0, flashed = 0;
    for (Creature& c : creatures) {
        if (!c.in_use || c.world != player_world()) continue;
        const Model& m = c.model;
        const Mat4 root = creature_root_matrix(&c);
        if (c.ai_state != CS_DEAD && c.stagger <= 0.0f && c.charge_state == 0) {
            Mat4 plain = mat4_translate(c.pos) * mat4_rotate_y(c.heading) *
                         mat4_scale({c.body_scale, c.body_scale, c.body_scale});
            for (int e = 0; e < 16; ++e) ASSERT_EQ(root.m[e], plain.m[e]) << creature_index(&c);
        }
        const float flash = clampf(c.hit_flash / 0.15f, 0.0f, 1.0f);
        flashed += flash > 0.0f;
        for (int i = 0; i < m.node_count; ++i) {
            const Node& n = m.nodes[i];
            ASSERT_EQ(n.world_visible != 0, reference_visible(m, i));
            const Mat4 w = reference_world(m, i, root);
            for (int e = 0; e < 16; ++e)
                ASSERT_EQ(n.world_matrix.m[e], w.m[e]) << "creature " << creature_index(&c) << " node " << i;
            if (!n.mesh || !n.world_visible || !n.material) continue;
            ASSERT_LT(at, count);
            const DrawItem& d = items[at++];
            const bool deformed = n.skin && n.skin_mesh && d.mesh == n.skin_mesh;
            skinned += deformed;
            EXPECT_TRUE(d.mesh == n.mesh || deformed);
            for (int e = 0; e < 16; ++e) ASSERT_EQ(d.model.m[e], w.m[e]);
            const Vec3 t = lerp(n.tint * c.tint, Vec3{2.2f, 1.6f, 1.5f}, 0.6f * flash);
            EXPECT_EQ(d.tint.x, t.x);
            EXPECT_EQ(d.tint.y, t.y);
            EXPECT_EQ(d.tint.z, t.z);
        }
    }
    EXPECT_GT(skinned, 4) << "the wolves' and bears' necks are bent near the camera";
    EXPECT_GT(flashed, 4);
    render_begin_frame();

    // Angles of zero of either sign, mirrors and spanned parts, and a root
    // that is not a plain placement (the shortcut steps aside).
    Model m{};
    static GpuMesh mesh;
    static Material material;
    int a = model_add_part(&m, -1, &mesh, &material, {0.3f, -1.0f, 2.0f});
    int b = model_add_part(&m, a, &mesh, &material, {0, 1.5f, 0});
    int s = model_add_part(&m, b, &mesh, &material, {0, 0, 0});
    model_span_node(&m, s, {0.1f, 0.2f, 0.3f}, {-0.4f, 1.1f, 0.25f});
    const Vec3 angles[] = {{0, 0, 0}, {-0.0f, 0.0f, -0.0f}, {1.2f, -0.0f, 0}, {0, 2.9f, 0}, {0, 0, -0.7f},
                           {-2.6f, 0.4f, 3.1f}, {1e-20f, -1e-7f, 0.5f}};
    const Vec3 scales[] = {{1, 1, 1}, {-1, 1, 1}, {0.3f, 2.5f, 0.0f}};
    Mat4 odd_root = mat4_identity();
    odd_root.m[3] = 0.25f;
    for (const Mat4& root : {mat4_translate({5, 1, -3}) * mat4_rotate_y(0.8f), odd_root})
        for (const Vec3& r : angles)
            for (const Vec3& k : scales) {
                m.nodes[a].rotation = r;
                m.nodes[b].rotation = {r.z, r.x, r.y};
                m.nodes[b].scale = k;
                model_evaluate(&m, root);
                for (int i = 0; i < m.node_count; ++i) {
                    const Mat4 w = reference_world(m, i, root);
                    for (int e = 0; e < 16; ++e) ASSERT_EQ(m.nodes[i].world_matrix.m[e], w.m[e]) << i << " " << e;
                }
            }
    std::free(m.nodes);
}

// Culling rule: a neck bent on the processor is culled by a sphere that
// holds its vertices as they are drawn, whatever the pose, and no larger
// than the one a walk over them gives.
TEST(CreatureFigures, ABentNecksSphereHoldsItsVerticesInEveryPose) {
    ASSERT_TRUE(creature_game());
    KeepClock clock;
    clean_table_with_player_at(kX, kZ);
    look_from_behind_the_player();
    Creature* beasts[] = {spawn_creature(SP_WOLF, ground(kX + 2, kZ + 3), ground(kX + 2, kZ + 3)),
                          spawn_creature(SP_BEAR, ground(kX - 2, kZ + 4), ground(kX - 2, kZ + 4))};
    std::vector<Vertex> bent;
    int checked = 0;
    for (Creature* c : beasts) {
        ASSERT_NE(c, nullptr);
        const int head = species_models[c->species].slots.head;
        for (float pitch = -1.6f; pitch <= 1.6f; pitch += 0.4f)
            for (float yaw : {-1.2f, 0.0f, 0.7f})
                for (float lift : {0.0f, 0.3f}) {
                    c->model.nodes[head].rotation = {pitch, yaw, pitch * 0.5f};
                    c->model.nodes[head].position.y += lift;
                    c->stagger = lift;
                    c->hit_dir_local = {0, 0, 1};
                    render_begin_frame();
                    creatures_submit();
                    c->model.nodes[head].position.y -= lift;
                    for (int i = 0; i < c->model.node_count; ++i) {
                        const Node& n = c->model.nodes[i];
                        if (!n.skin) continue;
                        ASSERT_NE(n.skin_mesh, nullptr);
                        bent.resize((size_t)n.skin->vertex_count);
                        model_skin_deform(&c->model, i, bent.data());
                        const Vec3 centre = n.skin_mesh->bound_centre;
                        const float radius = n.skin_mesh->bound_radius;
                        for (const Vertex& v : bent) ASSERT_LE(length(v.position - centre), radius);
                        Vec3 walked_centre;
                        float walked_radius;
                        mesh_bound_sphere(bent.data(), (int)bent.size(), &walked_centre, &walked_radius);
                        EXPECT_LE(radius, walked_radius * 1.0001f);
                        ++checked;
                    }
                }
    }
    EXPECT_GE(checked, 2 * 9 * 3 * 2);
    render_begin_frame();

    // A partial upload cannot take a caller's sphere: it keeps the old one inside.
    const Node* neck = nullptr;
    for (int i = 0; i < beasts[0]->model.node_count; ++i)
        if (beasts[0]->model.nodes[i].skin) neck = &beasts[0]->model.nodes[i];
    ASSERT_NE(neck, nullptr);
    GpuMesh* clone = neck->skin_mesh;
    const float before = clone->bound_radius;
    mesh_update_vertices_bounded(clone, bent.data(), 3, bent[0].position, 0.001f);
    EXPECT_GE(clone->bound_radius, before);
}
