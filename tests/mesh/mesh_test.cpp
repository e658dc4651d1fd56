// The geometry kit: builder growth, appending through mirrors and flattened
// axes, the shape generators (closed, outward, oriented), the matrix
// convention, noise, instance cells and draw distances.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "render/mesh.h"

namespace {

Vec3 face_normal(const MeshBuilder& b, int t) {
    const Vec3& a = b.vertices[b.indices[t]].position;
    const Vec3& c = b.vertices[b.indices[t + 1]].position;
    const Vec3& d = b.vertices[b.indices[t + 2]].position;
    return cross(c - a, d - a);
}

// Every triangle winds counter-clockwise seen from the side its normals face.
int misoriented(const MeshBuilder& b) {
    int bad = 0;
    for (int t = 0; t < b.index_count; t += 3) {
        Vec3 n = b.vertices[b.indices[t]].normal + b.vertices[b.indices[t + 1]].normal +
                 b.vertices[b.indices[t + 2]].normal;
        Vec3 f = face_normal(b, t);
        if (length(f) > 1e-9f && dot(n, f) < 0) ++bad;
    }
    return bad;
}

// Signed volume: positive when the triangles face outwards.
double volume(const MeshBuilder& b) {
    double v = 0;
    for (int t = 0; t < b.index_count; t += 3) {
        Vec3 a = b.vertices[b.indices[t]].position, c = b.vertices[b.indices[t + 1]].position,
             d = b.vertices[b.indices[t + 2]].position;
        v += dot(a, cross(c, d)) / 6.0;
    }
    return v;
}

// Closed when, with vertices welded by position, every edge of a non-degenerate
// triangle is shared by exactly two triangles travelling it in opposite directions.
bool closed(const MeshBuilder& b) {
    std::map<std::tuple<long, long, long>, int> weld;
    std::vector<int> id(b.vertex_count);
    for (int i = 0; i < b.vertex_count; ++i) {
        Vec3 p = b.vertices[i].position;
        auto key = std::make_tuple(std::lround(p.x * 1e4), std::lround(p.y * 1e4), std::lround(p.z * 1e4));
        auto it = weld.emplace(key, (int)weld.size()).first;
        id[i] = it->second;
    }
    std::map<std::pair<int, int>, int> edges;
    for (int t = 0; t < b.index_count; t += 3) {
        int v[3] = {id[b.indices[t]], id[b.indices[t + 1]], id[b.indices[t + 2]]};
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) continue;
        for (int k = 0; k < 3; ++k) edges[{v[k], v[(k + 1) % 3]}]++;
    }
    for (auto& [e, n] : edges) {
        if (n != 1) return false;
        auto back = edges.find({e.second, e.first});
        if (back == edges.end() || back->second != 1) return false;
    }
    return !edges.empty();
}

void expect_sound_solid(MeshBuilder b, const char* what) {
    EXPECT_TRUE(closed(b)) << what;
    EXPECT_EQ(misoriented(b), 0) << what;
    EXPECT_GT(volume(b), 0.0) << what;
    for (int i = 0; i < b.vertex_count; ++i) {
        EXPECT_NEAR(length(b.vertices[i].normal), 1.0f, 1e-3f) << what << " vertex " << i;
        if (::testing::Test::HasFailure()) break;
    }
    mb_free(&b);
}

}  // namespace

TEST(MeshBuilder, ArraysStartAt64AndDouble) {
    MeshBuilder b{};
    for (int i = 0; i < 64; ++i) mb_add_vertex(&b, {(float)i, 0, 0}, {0, 1, 0}, {1, 1, 1});
    EXPECT_EQ(b.vertex_capacity, 64);
    EXPECT_EQ(mb_add_vertex(&b, {64, 0, 0}, {0, 1, 0}, {1, 1, 1}), 64u);
    EXPECT_EQ(b.vertex_capacity, 128);
    for (int i = 0; i < 22; ++i) mb_add_triangle(&b, 0, 1, 2);
    EXPECT_EQ(b.index_count, 66);
    EXPECT_EQ(b.index_capacity, 128);
    EXPECT_FLOAT_EQ(b.vertices[64].position.x, 64.0f);
    mb_free(&b);
    EXPECT_EQ(b.vertices, nullptr);
    EXPECT_EQ(b.vertex_count, 0);
    EXPECT_EQ(b.index_capacity, 0);
}

TEST(MeshAppend, MirrorKeepsOutwardFacesAndNormalsFollowTheInverseTranspose) {
    MeshBuilder box = shape_box({1, 2, 3});
    MeshBuilder dst{};
    // A left limb: mirrored in x, moved and tinted.
    mb_append(&dst, &box, mat4_translate({-2, 0, 0}) * mat4_scale({-1, 1, 1}), {0.5f, 1, 0.25f});
    EXPECT_EQ(misoriented(dst), 0);
    EXPECT_GT(volume(dst), 0.0);
    EXPECT_TRUE(closed(dst));
    EXPECT_FLOAT_EQ(dst.vertices[0].colour.x, 0.5f);
    EXPECT_FLOAT_EQ(dst.vertices[0].colour.z, 0.25f);
    // Appending again offsets the indices past the first copy.
    mb_append(&dst, &box, mat4_translate({5, 0, 0}), {1, 1, 1});
    for (int i = box.index_count; i < dst.index_count; ++i) EXPECT_GE(dst.indices[i], (uint32_t)box.vertex_count);
    mb_free(&dst);

    // Under a non-uniform scale a sphere's normals become the ellipsoid's.
    MeshBuilder sphere = shape_ellipsoid(1, 1, 1, 16);
    mb_append(&dst, &sphere, mat4_scale({3, 1, 0.5f}), {1, 1, 1});
    for (int i = 0; i < dst.vertex_count; ++i) {
        Vec3 p = dst.vertices[i].position;
        Vec3 expect = normalize(Vec3{p.x / 9.0f, p.y, p.z / 0.25f});
        EXPECT_NEAR(dot(dst.vertices[i].normal, expect), 1.0f, 1e-4f) << i;
    }
    EXPECT_EQ(misoriented(dst), 0);
    mb_free(&dst);
    mb_free(&sphere);

    // A flattened axis gives (0, 1, 0) normals instead of NaN.
    mb_append(&dst, &box, mat4_scale({1, 0, 1}), {1, 1, 1});
    for (int i = 0; i < dst.vertex_count; ++i) {
        EXPECT_EQ(dst.vertices[i].normal.x, 0.0f);
        EXPECT_EQ(dst.vertices[i].normal.y, 1.0f);
        EXPECT_EQ(dst.vertices[i].normal.z, 0.0f);
    }
    mb_free(&dst);
    mb_free(&box);
}

TEST(MeshAppend, BatchAddMergesAndFreesThePrimitive) {
    MeshBuilder prim = shape_box({1, 1, 1});
    int verts = prim.vertex_count;
    int before = world_batches[4].vertex_count;
    batch_add(4, &prim, mat4_translate({1, 2, 3}), {0.5f, 0.5f, 0.5f});
    EXPECT_EQ(prim.vertices, nullptr);
    EXPECT_EQ(world_batches[4].vertex_count, before + verts);
    MeshBuilder stray = shape_box({1, 1, 1});
    batch_add(13, &stray, mat4_identity(), {1, 1, 1});  // no such batch: freed, nothing written
    EXPECT_EQ(stray.vertices, nullptr);
    mb_free(&world_batches[4]);
}

TEST(Shapes, EverySolidIsClosedOutwardAndUnitNormal) {
    expect_sound_solid(shape_box({1, 2, 3}), "box");
    expect_sound_solid(shape_ellipsoid(1, 2, 0.5f, 12), "ellipsoid");
    expect_sound_solid(shape_frustum(0.5f, 1.0f, 2.0f, 10, true), "frustum");
    expect_sound_solid(shape_frustum(0.0f, 1.0f, 2.0f, 10, true), "cone");
    expect_sound_solid(shape_capsule(0.5f, 3.0f), "capsule");
    expect_sound_solid(shape_capsule(0.5f, 0.4f), "short capsule");
    expect_sound_solid(shape_rock(2, 1, 1.5f, 7, 1.0f), "rock");
    LoftPoint profile[4] = {{0, 0.3f, 0.3f, 0.2f, 0}, {0.5f, 0.5f, 0.6f, 0.4f, 0.05f},
                            {1.2f, 0.4f, 0.4f, 0.3f, 0.1f}, {1.6f, 0.15f, 0.15f, 0.15f, 0}};
    expect_sound_solid(shape_loft(profile, 4, 12, 3), "loft");
}

TEST(Shapes, EllipsoidCapsuleAndFrustumGeometry) {
    MeshBuilder e = shape_ellipsoid(2, 1, 0.5f, 16);
    EXPECT_EQ(e.vertex_count, 9 * 17);  // n/2 + 1 rings of n + 1
    float maxx = 0;
    for (int i = 0; i < e.vertex_count; ++i) maxx = std::fmax(maxx, e.vertices[i].position.x);
    EXPECT_NEAR(maxx, 2.0f, 1e-5f);
    mb_free(&e);

    MeshBuilder c = shape_capsule(0.5f, 3.0f);
    EXPECT_EQ(c.vertex_count, 130);
    float top = -1e9f, bottom = 1e9f;
    for (int i = 0; i < c.vertex_count; ++i) {
        top = std::fmax(top, c.vertices[i].position.y);
        bottom = std::fmin(bottom, c.vertices[i].position.y);
    }
    EXPECT_NEAR(top, 1.5f, 1e-5f);  // the whole length, centred
    EXPECT_NEAR(bottom, -1.5f, 1e-5f);
    mb_free(&c);

    // A cone (top radius 0) with caps gets only the bottom disc.
    MeshBuilder cone = shape_frustum(0.0f, 1.0f, 2.0f, 8, true);
    int up = 0, down = 0;
    for (int i = 0; i < cone.vertex_count; ++i) {
        const Vertex& v = cone.vertices[i];
        if (v.normal.y > 0.999f) ++up;
        if (v.normal.y < -0.999f) ++down;
    }
    EXPECT_EQ(up, 0);
    EXPECT_EQ(down, 8 + 2);  // centre and the ring with its seam
    mb_free(&cone);
    MeshBuilder open = shape_frustum(0.5f, 1.0f, 2.0f, 8, false);
    EXPECT_FALSE(closed(open));
    mb_free(&open);
}

TEST(Shapes, ZeroRadiusEllipsoidsKeepUnitNormals) {
    // A flat shadow disc (ry = 0) and a flattened band: no NaN, the faces of
    // the disc point up on its upper rings and down on its lower ones.
    MeshBuilder disc = shape_ellipsoid(1.0f, 0.0f, 0.8f, 8);
    for (int i = 0; i < disc.vertex_count; ++i) {
        const Vec3& n = disc.vertices[i].normal;
        ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << i;
        EXPECT_NEAR(length(n), 1.0f, 1e-4f) << i;
        int ring = i / 9;
        if (ring < 2) {
            EXPECT_GT(n.y, 0.999f) << i;
        } else if (ring > 2) {
            EXPECT_LT(n.y, -0.999f) << i;
        }
    }
    mb_free(&disc);
    MeshBuilder band = shape_ellipsoid_band(0.0f, 1.0f, 1.0f, 0.3f, 1.2f, 10);
    for (int i = 0; i < band.vertex_count; ++i) {
        const Vec3& n = band.vertices[i].normal;
        ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << i;
        EXPECT_NEAR(length(n), 1.0f, 1e-4f) << i;
    }
    mb_free(&band);
    // Ordinary radii are untouched: the normal of (x/rx^2, y/ry^2, z/rz^2).
    MeshBuilder e = shape_ellipsoid(2.0f, 1.0f, 0.5f, 12);
    for (int i = 0; i < e.vertex_count; ++i) {
        Vec3 p = e.vertices[i].position;
        Vec3 expect = Vec3{p.x / 4.0f, p.y, p.z / 0.25f};
        if (length(expect) < 1e-6f) continue;
        EXPECT_NEAR(dot(e.vertices[i].normal, normalize(expect)), 1.0f, 1e-5f) << i;
    }
    mb_free(&e);
}

namespace {
float bulge(float y, float a, void* ctx) { return 1.0f + *(float*)ctx * std::cos(a) * (y > 0.4f ? 1.0f : 0.0f); }
}  // namespace

TEST(Shapes, LoftPassesThroughItsProfileAndHonoursModulation) {
    LoftPoint profile[3] = {{0, 0.4f, 0.5f, 0.3f, 0}, {1, 0.8f, 0.9f, 0.6f, 0.2f}, {2, 0.2f, 0.2f, 0.2f, 0}};
    const int n = 8, sub = 4;
    MeshBuilder b = shape_loft(profile, 3, n, sub);
    // Ring k * sub lies on profile point k; its vertex j = 0 is at angle 0 (front).
    for (int k = 0; k < 3; ++k) {
        const Vertex& front = b.vertices[(k * sub) * (n + 1)];
        const Vertex& side = b.vertices[(k * sub) * (n + 1) + 2];  // angle pi/2
        const Vertex& back = b.vertices[(k * sub) * (n + 1) + 4];  // angle pi
        EXPECT_NEAR(front.position.y, profile[k].y, 1e-5f);
        EXPECT_NEAR(front.position.z, profile[k].depth_front + profile[k].z_offset, 1e-5f);
        EXPECT_NEAR(side.position.x, profile[k].half_width, 1e-5f);
        EXPECT_NEAR(back.position.z, -profile[k].depth_back + profile[k].z_offset, 1e-5f);
        EXPECT_GT(front.normal.z, 0.3f);  // side normals point away from the axis
    }
    mb_free(&b);
    float amount = 0.5f;
    MeshBuilder m = shape_loft(profile, 3, n, sub, bulge, &amount);
    const Vertex& front = m.vertices[(1 * sub) * (n + 1)];
    EXPECT_NEAR(front.position.z, 0.9f * 1.5f + 0.2f, 1e-5f);
    mb_free(&m);
}

TEST(Shapes, RockIsFlattenedBelowAndFacesOutwards) {
    MeshBuilder r = shape_rock(1.5f, 1.0f, 1.2f, 3, 1.0f);
    float bottom = 1e9f;
    int inward = 0;
    for (int i = 0; i < r.vertex_count; ++i) {
        const Vertex& v = r.vertices[i];
        bottom = std::fmin(bottom, v.position.y);
        if (dot(v.normal, v.position - Vec3{0, -0.1f, 0}) < 0) ++inward;
    }
    // y below -0.45 ry is squeezed to a quarter: the rock sits on a flat-ish base.
    EXPECT_GT(bottom, -0.45f - (1.485f - 0.45f) * 0.25f - 1e-3f);  // k is at most 1.485
    EXPECT_LT(bottom, -0.45f);
    EXPECT_LT(inward, r.vertex_count / 50);
    MeshBuilder again = shape_rock(1.5f, 1.0f, 1.2f, 3, 1.0f);
    MeshBuilder other = shape_rock(1.5f, 1.0f, 1.2f, 4, 1.0f);
    EXPECT_EQ(std::memcmp(r.vertices, again.vertices, sizeof(Vertex) * r.vertex_count), 0);
    EXPECT_NE(std::memcmp(r.vertices, other.vertices, sizeof(Vertex) * r.vertex_count), 0);
    mb_free(&r);
    mb_free(&again);
    mb_free(&other);
}

TEST(Matrices, FromPrsScalesRollsPitchesYawsThenMoves) {
    Mat4 m = mat4_from_prs({10, 20, 30}, {PI / 2, PI / 2, PI / 2}, {2, 1, 1});
    // (1,0,0) -> scaled (2,0,0) -> roll about z (0,2,0) -> pitch about x (0,0,2)
    // -> yaw about y (2,0,0) -> moved.
    Vec3 p = mat4_mul_point(m, {1, 0, 0});
    EXPECT_NEAR(p.x, 12.0f, 1e-4f);
    EXPECT_NEAR(p.y, 20.0f, 1e-4f);
    EXPECT_NEAR(p.z, 30.0f, 1e-4f);
}

TEST(Noise, RangesContinuityAndZeroOctaves) {
    EXPECT_EQ(fbm2(12.3f, -4.5f, 7, 0), 0.0f);
    float lo = 1, hi = -1;
    for (int i = 0; i < 4000; ++i) {
        float x = i * 0.173f - 300.0f, z = i * 0.071f + 11.0f;
        float v = value_noise2(x, z, 99);
        float f = fbm2(x, z, 99, 5);
        float v3 = value_noise3({x, z * 0.5f, -x * 0.3f}, 5);
        ASSERT_GE(v, -1.0f);
        ASSERT_LE(v, 1.0f);
        ASSERT_GE(f, -1.0f);
        ASSERT_LE(f, 1.0f);
        ASSERT_GE(v3, 0.0f);
        ASSERT_LT(v3, 1.0f);
        lo = std::fmin(lo, v);
        hi = std::fmax(hi, v);
    }
    EXPECT_LT(lo, -0.6f);  // uses its range, not a constant
    EXPECT_GT(hi, 0.6f);
    // No jump across lattice lines, including negative coordinates.
    for (float x : {-3.0f, -1.0f, 0.0f, 1.0f, 57.0f}) {
        EXPECT_NEAR(value_noise2(x - 1e-4f, 0.37f, 3), value_noise2(x + 1e-4f, 0.37f, 3), 2e-3f);
        EXPECT_NEAR(value_noise3({x - 1e-4f, 0.4f, 0.6f}, 3), value_noise3({x + 1e-4f, 0.4f, 0.6f}, 3), 2e-3f);
    }
    EXPECT_NE(value_noise2(0.5f, 0.5f, 1), value_noise2(0.5f, 0.5f, 2));
    EXPECT_EQ(fbm2(0.5f, 0.5f, 1, 1), value_noise2(0.5f, 0.5f, 1));  // one octave is the noise itself
}

namespace {

// The lattice noise written out from its definition, kept apart from the game's
// own code so a wrong prime, shift or blend shows up here.
float lattice_reference(int32_t ix, int32_t iz, uint32_t seed) {
    uint32_t h = (uint32_t)ix * 374761393u + (uint32_t)iz * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return (float)((h & 0xFFFFFFu) ^ (h >> 16)) / 16777216.0f;
}

double noise_reference(double x, double z, uint32_t seed) {
    double fx = std::floor(x), fz = std::floor(z);
    int32_t ix = (int32_t)fx, iz = (int32_t)fz;
    double tx = x - fx, tz = z - fz;
    tx = tx * tx * (3 - 2 * tx);
    tz = tz * tz * (3 - 2 * tz);
    double a = lattice_reference(ix, iz, seed), b = lattice_reference(ix + 1, iz, seed);
    double c = lattice_reference(ix, iz + 1, seed), d = lattice_reference(ix + 1, iz + 1, seed);
    double r = (a * (1 - tx) + b * tx) * (1 - tz) + (c * (1 - tx) + d * tx) * tz;
    return 2 * r - 1;
}

// Inverse of an odd number modulo 2^32 (Newton's iteration).
uint32_t inverse_odd(uint32_t a) {
    uint32_t x = a;
    for (int i = 0; i < 5; ++i) x *= 2u - a * x;
    return x;
}

}  // namespace

TEST(Noise, FollowsTheLatticeHashAndFbmIsItsOctaves) {
    // On lattice points the noise is exactly the corner hash remapped to [-1, 1].
    for (int32_t ix : {-70000, -3, -1, 0, 1, 2, 41, 123457})
        for (int32_t iz : {-9, 0, 5, 90001})
            for (uint32_t seed : {0u, 3u, 17u, 0xFFFFFFFFu})
                ASSERT_EQ(value_noise2((float)ix, (float)iz, seed), 2.0f * lattice_reference(ix, iz, seed) - 1.0f)
                    << ix << " " << iz << " " << seed;
    // In between, the smoothstep blend of the four corners.
    for (int i = 0; i < 3000; ++i) {
        float x = -250.0f + (float)i * 0.1737f, z = 400.0f - (float)i * 0.3119f;
        ASSERT_NEAR(value_noise2(x, z, 9), noise_reference(x, z, 9), 2e-6) << x << " " << z;
    }
    // Octave o of fbm2 lowers the seed term by o * 458722841, which is the
    // noise of another seed: fbm2 must equal the weighted octaves to the bit,
    // whatever octave count, over a wide range of coordinates.
    const uint32_t step = 458722841u * inverse_odd(2246822519u);
    ASSERT_EQ(step * 2246822519u, 458722841u);
    for (int octaves = 1; octaves <= 9; ++octaves)
        for (int i = 0; i < 2000; ++i) {
            float x = -3000.0f + (float)i * 3.71f + (float)octaves * 0.013f, z = 2500.0f - (float)i * 2.93f;
            uint32_t seed = 3u + (uint32_t)i % 29u;
            float sum = 0.0f, amp = 0.5f, total = 0.0f, px = x, pz = z;
            for (int o = 0; o < octaves; ++o) {
                sum += value_noise2(px, pz, seed - (uint32_t)o * step) * amp;
                total += amp;
                amp *= 0.5f;
                px = px * 2.03f + 1.7f;
                pz = pz * 2.03f + 9.2f;
            }
            float f = fbm2(x, z, seed, octaves);
            ASSERT_EQ(f, sum / total) << "octaves " << octaves << " at " << x << ", " << z;
        }
}

TEST(Materials, DefaultsAndConstructors) {
    Material m;
    material_init(&m, {0.1f, 0.2f, 0.3f});
    EXPECT_FLOAT_EQ(m.light_a, 0.45f);
    EXPECT_FLOAT_EQ(m.alpha, 1.0f);
    EXPECT_EQ(m.noise_contrast, 0.0f);
    EXPECT_EQ(m.pattern_kind, 0);
    material_init(&m, {1, 1, 1}, 0.5f, 0.3f);
    EXPECT_FLOAT_EQ(m.noise_contrast, 1.0f);
    EXPECT_EQ(m.noise_on, 0);
    Material* h = material_new({1, 1, 1}, 0.5f, 0.3f, true);
    EXPECT_EQ(h->noise_on, 1);
    material_set_pattern(h, 4, 2.5f);
    Material* c = material_copy(*h);
    EXPECT_NE(c, h);
    EXPECT_EQ(std::memcmp(c, h, sizeof(Material)), 0);
    std::free(h);
    std::free(c);
}

TEST(InstanceCells, SortedByCellStableAndBounded) {
    std::vector<Instance> in;
    // Interleaved over four cells, one scaled instance per cell.
    const Vec3 spots[] = {{1, 0, 1}, {50, 2, 1}, {-10, 0, -10}, {47, 1, 47}, {2, 5, 3}, {60, 0, 5}, {-40, 1, -40}};
    for (int round = 0; round < 3; ++round)
        for (Vec3 s : spots) {
            Vec3 p = s + Vec3{(float)round * 0.5f, 0, 0};
            float scale = round == 2 ? 3.0f : 1.0f;
            in.push_back({mat4_translate(p) * mat4_scale({scale, 1, 1}), {(float)in.size(), 0, 0}, 1});
        }
    std::vector<Instance> out(in.size());
    std::vector<InstanceCell> cells(in.size());
    int n = instance_cells_arrange(in.data(), (int)in.size(), out.data(), cells.data(), {}, 0.0f, 0.0f);
    ASSERT_EQ(n, 3);  // cells (0,0), (1,0) and (-1,-1); (47,47) moves to (1,0) at x 48
    int total = 0;
    for (int c = 0; c < n; ++c) {
        const InstanceCell& cell = cells[c];
        EXPECT_EQ(cell.first, total);
        total += cell.count;
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        float last_id = -1;
        for (int i = cell.first; i < cell.first + cell.count; ++i) {
            const float* m = out[i].model.m;
            EXPECT_EQ(std::floor(m[12] / 48), std::floor(out[cell.first].model.m[12] / 48));
            EXPECT_EQ(std::floor(m[14] / 48), std::floor(out[cell.first].model.m[14] / 48));
            EXPECT_GT(out[i].tint.x, last_id);  // submission order kept inside a cell
            last_id = out[i].tint.x;
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::fmin(lo[k], m[12 + k]);
                hi[k] = std::fmax(hi[k], m[12 + k]);
            }
        }
        EXPECT_FLOAT_EQ(cell.centre_x, (lo[0] + hi[0]) / 2);
        EXPECT_FLOAT_EQ(cell.centre_y, (lo[1] + hi[1]) / 2);
        float diag = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                               (hi[2] - lo[2]) * (hi[2] - lo[2]));
        EXPECT_NEAR(cell.radius, diag / 2 + 3.0f, 1e-4f);  // the widest matrix column is 3
    }
    EXPECT_EQ(total, (int)in.size());
    // Keys run in rows of z, then x.
    EXPECT_LT(cells[0].centre_z, cells[n - 1].centre_z);

    // Instances spread over a huge area still sort (sparse key path).
    Instance far[3] = {{mat4_translate({1e6f, 0, 1e6f}), {0, 0, 0}, 1},
                       {mat4_translate({-1e6f, 0, 0}), {1, 0, 0}, 1},
                       {mat4_translate({1e6f + 1, 0, 1e6f}), {2, 0, 0}, 1}};
    Instance far_out[3];
    InstanceCell far_cells[3];
    ASSERT_EQ(instance_cells_arrange(far, 3, far_out, far_cells, {}, 0.0f, 0.0f), 2);
    EXPECT_EQ(far_cells[0].count, 1);
    EXPECT_EQ(far_cells[1].count, 2);
    EXPECT_EQ(far_out[1].tint.x, 0.0f);
    EXPECT_EQ(far_out[2].tint.x, 2.0f);
}

// A tree stands on its origin: the cell's frustum bound must hold the crown
// of every instance, leaning, scaled and swaying, not only the feet.
TEST(InstanceCells, FrustumBoundHoldsEveryInstancesMesh) {
    MeshBuilder pole = shape_box({0.3f, 6.0f, 0.3f});
    for (int v = 0; v < pole.vertex_count; ++v) pole.vertices[v].position.y += 6.0f;  // foot at the origin
    Vec3 centre;
    float radius;
    mesh_bound_sphere(pole.vertices, pole.vertex_count, &centre, &radius);
    std::vector<Instance> in;
    for (int i = 0; i < 9; ++i) {
        const Vec3 at = {(float)(i % 3) * 14.0f + 1.0f, (float)i * 0.7f, (float)(i / 3) * 15.0f + 2.0f};
        in.push_back({mat4_translate(at) * mat4_rotate_x(0.1f * (float)i) * mat4_scale({1, 0.8f + 0.1f * i, 1}),
                      {1, 1, 1}, 1});
    }
    std::vector<Instance> out(in.size());
    std::vector<InstanceCell> cells(in.size());
    const float sway = 0.75f;
    const int n = instance_cells_arrange(in.data(), (int)in.size(), out.data(), cells.data(), centre, radius, sway);
    ASSERT_EQ(n, 1);
    const InstanceCell& c = cells[0];
    const Vec3 mid = {c.bound_x, c.bound_y, c.bound_z};
    float farthest = 0.0f;
    for (const Instance& inst : in)
        for (int v = 0; v < pole.vertex_count; ++v)
            farthest = std::fmax(farthest, length(mat4_mul_point(inst.model, pole.vertices[v].position) - mid));
    EXPECT_LE(farthest + sway, c.bound_radius);
    EXPECT_GT(farthest, c.radius) << "the origins' sphere alone misses the crowns";
    EXPECT_LT(c.bound_radius, farthest * 1.5f + sway) << "and the bound stays tight enough to cull";
    // A mesh without bounds is never culled by the frustum.
    instance_cells_arrange(in.data(), (int)in.size(), out.data(), cells.data(), {}, 0.0f, 0.0f);
    EXPECT_GE(cells[0].bound_radius, UNBOUNDED_RADIUS);
    mb_free(&pole);
}

TEST(InstanceCells, DrawDistanceFollowsTheMeshReach) {
    Vertex near_v[2] = {{{2.999f, 0, 0}, {0, 1, 0}, {1, 1, 1}}, {{0, -1, 0}, {0, 1, 0}, {1, 1, 1}}};
    Vertex far_v[1] = {{{0, 3.0f, 0}, {0, 1, 0}, {1, 1, 1}}};
    GpuMesh a{}, b{}, tiny{};
    a.cpu_vertices = near_v;
    a.vertex_count = 2;
    b.cpu_vertices = far_v;
    b.vertex_count = 1;
    EXPECT_FLOAT_EQ(draw_distance_for_radius(mesh_radius(&a)), 130.0f);
    EXPECT_FLOAT_EQ(draw_distance_for_radius(mesh_radius(&b)), 650.0f);
    EXPECT_FLOAT_EQ(mesh_radius(&tiny), 1.0f);  // at least 1
}
