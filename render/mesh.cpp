// CPU side of the geometry kit: builders, appending, shape generators, noise
// and materials. The GL side (upload, groups) is in mesh_gpu.cpp.
#include "render/mesh.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif
#endif

// ---- Builders -------------------------------------------------------------------

namespace {

template <typename T>
void grow_one(T*& data, int32_t count, int32_t& capacity) {
    if (count < capacity) return;
    capacity = capacity == 0 ? 64 : capacity * 2;
    data = static_cast<T*>(std::realloc(data, sizeof(T) * (size_t)capacity));
}

}  // namespace

uint32_t mb_add_vertex(MeshBuilder* b, Vec3 position, Vec3 normal, Vec3 colour) {
    grow_one(b->vertices, b->vertex_count, b->vertex_capacity);
    b->vertices[b->vertex_count] = {position, normal, colour};
    return (uint32_t)b->vertex_count++;
}

void mb_add_triangle(MeshBuilder* b, uint32_t a, uint32_t b_, uint32_t c) {
    const uint32_t tri[3] = {a, b_, c};
    for (uint32_t i : tri) {
        grow_one(b->indices, b->index_count, b->index_capacity);
        b->indices[b->index_count++] = i;
    }
}

void mb_free(MeshBuilder* b) {
    std::free(b->vertices);
    std::free(b->indices);
    *b = MeshBuilder{};
}

void mb_orient(MeshBuilder* b) {
    for (int t = 0; t + 2 < b->index_count; t += 3) {
        uint32_t* tri = b->indices + t;
        const Vertex& va = b->vertices[tri[0]];
        const Vertex& vb = b->vertices[tri[1]];
        const Vertex& vc = b->vertices[tri[2]];
        Vec3 n = va.normal + vb.normal + vc.normal;
        Vec3 face = cross(vb.position - va.position, vc.position - va.position);
        if (dot(n, face) < 0.0f) {
            uint32_t s = tri[1];
            tri[1] = tri[2];
            tri[2] = s;
        }
    }
}

void mb_append(MeshBuilder* dst, const MeshBuilder* src, const Mat4& m, Vec3 tint) {
    // a(r, c) of the upper 3x3.
    auto a = [&](int r, int c) { return m.m[c * 4 + r]; };
    float cof[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            // Cyclic indices give the signed cofactor directly.
            cof[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
        }
    float det = a(0, 0) * cof[0][0] + a(0, 1) * cof[0][1] + a(0, 2) * cof[0][2];
    // Inverse transpose = cofactor matrix / det; a flattened axis gives zero.
    float nm[3][3] = {};
    if (std::fabs(det) > 1e-12f) {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) nm[r][c] = cof[r][c] / det;
    }
    uint32_t base = (uint32_t)dst->vertex_count;
    for (int i = 0; i < src->vertex_count; ++i) {
        const Vertex& v = src->vertices[i];
        Vec3 p = mat4_mul_point(m, v.position);
        Vec3 n = {nm[0][0] * v.normal.x + nm[0][1] * v.normal.y + nm[0][2] * v.normal.z,
                  nm[1][0] * v.normal.x + nm[1][1] * v.normal.y + nm[1][2] * v.normal.z,
                  nm[2][0] * v.normal.x + nm[2][1] * v.normal.y + nm[2][2] * v.normal.z};
        float len = length(n);
        n = len > 1e-9f ? n * (1.0f / len) : Vec3{0, 1, 0};
        mb_add_vertex(dst, p, n, v.colour * tint);
    }
    bool mirror = det < 0.0f;
    for (int t = 0; t + 2 < src->index_count; t += 3) {
        uint32_t i0 = src->indices[t] + base, i1 = src->indices[t + 1] + base,
                 i2 = src->indices[t + 2] + base;
        if (mirror)
            mb_add_triangle(dst, i0, i2, i1);
        else
            mb_add_triangle(dst, i0, i1, i2);
    }
}

// ---- Shapes ----------------------------------------------------------------------

namespace {

const Vec3 WHITE = {1, 1, 1};

// Joins ring r and ring r + 1 (each `per` vertices starting at first_vertex),
// skipping the triangles that collapse on a pole.
void stitch_rings(MeshBuilder* b, uint32_t ring0, uint32_t ring1, int segments, bool pole0,
                  bool pole1) {
    for (int j = 0; j < segments; ++j) {
        uint32_t a = ring0 + j, bb = ring0 + j + 1, c = ring1 + j, d = ring1 + j + 1;
        if (!pole0) mb_add_triangle(b, a, c, bb);
        if (!pole1) mb_add_triangle(b, bb, c, d);
    }
}

void ellipsoid_rings(MeshBuilder* b, float rx, float ry, float rz, const float* thetas, int rings,
                     int n) {
    // A zero radius (a flat disc or a line) would divide by zero; the same
    // direction times rx * ry * rz stays finite and still faces outwards.
    const bool flat = rx == 0.0f || ry == 0.0f || rz == 0.0f;
    for (int i = 0; i < rings; ++i) {
        float st = std::sin(thetas[i]), ct = std::cos(thetas[i]);
        for (int j = 0; j <= n; ++j) {
            float phi = 2.0f * PI * (float)j / (float)n;
            float sp = std::sin(phi), cp = std::cos(phi);
            Vec3 p = {rx * st * sp, ry * ct, rz * st * cp};
            Vec3 nn = flat ? Vec3{st * sp * ry * rz, ct * rx * rz, st * cp * rx * ry}
                           : Vec3{st * sp / rx, ct / ry, st * cp / rz};
            // A line (two radii zero) has no single normal: keep it radial.
            nn = length(nn) > 1e-20f ? normalize(nn) : normalize(Vec3{st * sp, ct, st * cp});
            mb_add_vertex(b, p, nn, WHITE);
        }
    }
    for (int i = 0; i + 1 < rings; ++i) {
        bool pole0 = std::fabs(std::sin(thetas[i])) < 1e-6f;
        bool pole1 = std::fabs(std::sin(thetas[i + 1])) < 1e-6f;
        stitch_rings(b, (uint32_t)(i * (n + 1)), (uint32_t)((i + 1) * (n + 1)), n, pole0, pole1);
    }
}

}  // namespace

MeshBuilder shape_ellipsoid(float rx, float ry, float rz, int n) {
    MeshBuilder b{};
    if (n < 2) n = 2;
    int half = n / 2;
    int rings = half + 1;
    float* thetas = static_cast<float*>(std::malloc(sizeof(float) * (size_t)rings));
    for (int i = 0; i < rings; ++i) thetas[i] = PI * (float)i / (float)half;
    thetas[rings - 1] = PI;
    ellipsoid_rings(&b, rx, ry, rz, thetas, rings, n);
    std::free(thetas);
    mb_orient(&b);
    return b;
}

MeshBuilder shape_ellipsoid_band(float rx, float ry, float rz, float theta0, float theta1, int n) {
    MeshBuilder b{};
    if (n < 2) n = 2;
    float thetas[7];
    for (int i = 0; i < 7; ++i) thetas[i] = theta0 + (theta1 - theta0) * (float)i / 6.0f;
    ellipsoid_rings(&b, rx, ry, rz, thetas, 7, n);
    mb_orient(&b);
    return b;
}

MeshBuilder shape_box(Vec3 size) {
    MeshBuilder b{};
    Vec3 h = size * 0.5f;
    // Each face: normal, and two in-plane axes.
    const Vec3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const Vec3& n : normals) {
        Vec3 u = std::fabs(n.y) > 0.5f ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
        Vec3 v = cross(n, u);
        Vec3 c = n * h;
        Vec3 uu = u * h, vv = v * h;
        uint32_t i0 = mb_add_vertex(&b, c - uu - vv, n, WHITE);
        uint32_t i1 = mb_add_vertex(&b, c + uu - vv, n, WHITE);
        uint32_t i2 = mb_add_vertex(&b, c + uu + vv, n, WHITE);
        uint32_t i3 = mb_add_vertex(&b, c - uu + vv, n, WHITE);
        mb_add_triangle(&b, i0, i1, i2);
        mb_add_triangle(&b, i0, i2, i3);
    }
    mb_orient(&b);
    return b;
}

namespace {

void add_disc(MeshBuilder* b, float r, float y, int n, Vec3 normal, float z_offset = 0.0f) {
    uint32_t centre = mb_add_vertex(b, {0, y, z_offset}, normal, WHITE);
    for (int j = 0; j <= n; ++j) {
        float phi = 2.0f * PI * (float)j / (float)n;
        mb_add_vertex(b, {r * std::sin(phi), y, r * std::cos(phi) + z_offset}, normal, WHITE);
    }
    for (int j = 0; j < n; ++j) mb_add_triangle(b, centre, centre + 1 + j, centre + 2 + j);
}

}  // namespace

MeshBuilder shape_frustum(float r_top, float r_bottom, float h, int n, bool caps) {
    MeshBuilder b{};
    if (n < 3) n = 3;
    float y0 = -h * 0.5f, y1 = h * 0.5f;
    float slope = h > 1e-9f ? (r_bottom - r_top) / h : 0.0f;
    for (int j = 0; j <= n; ++j) {
        float phi = 2.0f * PI * (float)j / (float)n;
        float sp = std::sin(phi), cp = std::cos(phi);
        Vec3 nn = normalize(Vec3{sp, slope, cp});
        mb_add_vertex(&b, {r_bottom * sp, y0, r_bottom * cp}, nn, WHITE);
        mb_add_vertex(&b, {r_top * sp, y1, r_top * cp}, nn, WHITE);
    }
    for (int j = 0; j < n; ++j) {
        uint32_t a = (uint32_t)(2 * j), c = a + 1, bb = a + 2, d = a + 3;
        if (r_bottom > 0.0f) mb_add_triangle(&b, a, bb, c);
        if (r_top > 0.0f) mb_add_triangle(&b, c, bb, d);
    }
    if (caps) {
        if (r_bottom > 0.0f) add_disc(&b, r_bottom, y0, n, {0, -1, 0});
        if (r_top > 0.0f) add_disc(&b, r_top, y1, n, {0, 1, 0});
    }
    mb_orient(&b);
    return b;
}

MeshBuilder shape_capsule(float r, float length_) {
    MeshBuilder b{};
    const int segments = 12;
    float half = std::fmax(length_ - 2.0f * r, 0.0f) * 0.5f;
    for (int i = 0; i < 10; ++i) {
        float theta = PI / 8.0f * (float)(i < 5 ? i : i - 1);
        float off = i < 5 ? half : -half;
        float st = std::sin(theta), ct = std::cos(theta);
        for (int j = 0; j <= segments; ++j) {
            float phi = 2.0f * PI * (float)j / (float)segments;
            Vec3 nn = {st * std::sin(phi), ct, st * std::cos(phi)};
            mb_add_vertex(&b, {r * nn.x, r * nn.y + off, r * nn.z}, nn, WHITE);
        }
    }
    for (int i = 0; i < 9; ++i)
        stitch_rings(&b, (uint32_t)(i * 13), (uint32_t)((i + 1) * 13), segments, i == 0, i == 8);
    mb_orient(&b);
    return b;
}

MeshBuilder shape_loft(const LoftPoint* points, int count, int n, int subdivisions,
                       LoftModulate modulate, void* context) {
    MeshBuilder b{};
    if (count <= 0 || !points) return b;
    if (n < 3) n = 3;
    if (subdivisions < 1) subdivisions = 1;

    // Profile samples by uniform Catmull-Rom over all five values.
    int sample_count = (count - 1) * subdivisions + 1;
    LoftPoint* samples = static_cast<LoftPoint*>(std::malloc(sizeof(LoftPoint) * (size_t)sample_count));
    int s = 0;
    for (int i = 0; i + 1 < count; ++i) {
        const float* p0 = &points[i > 0 ? i - 1 : 0].y;
        const float* p1 = &points[i].y;
        const float* p2 = &points[i + 1].y;
        const float* p3 = &points[i + 2 < count ? i + 2 : count - 1].y;
        for (int k = 0; k < subdivisions; ++k) {
            float t = (float)k / (float)subdivisions, t2 = t * t, t3 = t2 * t;
            float* out = &samples[s].y;
            for (int f = 0; f < 5; ++f)
                out[f] = 0.5f * (2.0f * p1[f] + (p2[f] - p0[f]) * t +
                                 (2.0f * p0[f] - 5.0f * p1[f] + 4.0f * p2[f] - p3[f]) * t2 +
                                 (-p0[f] + 3.0f * p1[f] - 3.0f * p2[f] + p3[f]) * t3);
            ++s;
        }
    }
    samples[s++] = points[count - 1];

    int per = n + 1;
    Vec3* pos = static_cast<Vec3*>(std::malloc(sizeof(Vec3) * (size_t)(sample_count * per)));
    for (int r = 0; r < sample_count; ++r) {
        const LoftPoint& lp = samples[r];
        for (int j = 0; j <= n; ++j) {
            float a = 2.0f * PI * (float)(j % n) / (float)n;
            float sa = std::sin(a), ca = std::cos(a);
            float k = modulate ? modulate(lp.y, a, context) : 1.0f;
            float depth = ca > 0.0f ? lp.depth_front : lp.depth_back;
            pos[r * per + j] = {sa * std::fmax(lp.half_width, 0.001f) * k, lp.y,
                                ca * std::fmax(depth, 0.001f) * k + lp.z_offset};
        }
    }
    // Side normals from the neighbouring vertex (around) and ring (along);
    // the end rings use one-sided differences.
    for (int r = 0; r < sample_count; ++r) {
        int rp = r > 0 ? r - 1 : r, rn = r + 1 < sample_count ? r + 1 : r;
        for (int j = 0; j <= n; ++j) {
            int jp = (j + n - 1) % n, jn = (j + 1) % n;
            Vec3 around = pos[r * per + jn] - pos[r * per + jp];
            Vec3 along = pos[rn * per + j] - pos[rp * per + j];
            Vec3 nn = cross(around, along);
            Vec3 radial = pos[r * per + j] - Vec3{0, samples[r].y, samples[r].z_offset};
            if (dot(nn, radial) < 0.0f) nn = -nn;
            if (length(nn) < 1e-12f) nn = radial;
            if (length(nn) < 1e-12f) {
                float a = 2.0f * PI * (float)(j % n) / (float)n;
                nn = {std::sin(a), 0, std::cos(a)};
            }
            mb_add_vertex(&b, pos[r * per + j], normalize(nn), WHITE);
        }
    }
    for (int r = 0; r + 1 < sample_count; ++r)
        stitch_rings(&b, (uint32_t)(r * per), (uint32_t)((r + 1) * per), n, false, false);

    // Flat caps on both end rings; the lower one faces -y.
    bool first_low = samples[0].y <= samples[sample_count - 1].y;
    for (int end = 0; end < 2; ++end) {
        int r = end == 0 ? 0 : sample_count - 1;
        bool low = (end == 0) == first_low;
        Vec3 nn = low ? Vec3{0, -1, 0} : Vec3{0, 1, 0};
        uint32_t centre = mb_add_vertex(&b, {0, samples[r].y, samples[r].z_offset}, nn, WHITE);
        for (int j = 0; j <= n; ++j) mb_add_vertex(&b, pos[r * per + j], nn, WHITE);
        for (int j = 0; j < n; ++j) mb_add_triangle(&b, centre, centre + 1 + j, centre + 2 + j);
    }
    std::free(pos);
    std::free(samples);
    mb_orient(&b);
    return b;
}

MeshBuilder shape_rock(float rx, float ry, float rz, uint32_t seed, float roughness) {
    MeshBuilder b = shape_ellipsoid(1, 1, 1, 26);
    for (int i = 0; i < b.vertex_count; ++i) {
        Vec3 p = b.vertices[i].position;
        float d = (value_noise3(p * 1.6f, seed) - 0.5f) * 0.55f +
                  (value_noise3(p * 3.4f, seed + 7) - 0.5f) * 0.3f +
                  (value_noise3(p * 7.5f, seed + 13) - 0.5f) * 0.12f;
        float c = clampf((value_noise3(p * 2.2f, seed + 21) - 0.55f) / 0.2f, 0.0f, 1.0f);
        float k = (d - 0.12f * c * c * (3.0f - 2.0f * c)) * roughness + 1.0f;
        float y = p.y * ry * k;
        if (y < -0.45f * ry) y = -0.45f * ry + (y + 0.45f * ry) * 0.25f;
        b.vertices[i].position = {p.x * rx * k, y, p.z * rz * k};
    }
    // Smooth normals: area-weighted face normals summed over every vertex at
    // the same place, so the seam and the poles do not show.
    size_t vc = b.vertex_count > 0 ? (size_t)b.vertex_count : 0;
    Vec3* acc = static_cast<Vec3*>(std::calloc(vc + 1, sizeof(Vec3)));
    for (int t = 0; t + 2 < b.index_count; t += 3) {
        uint32_t i0 = b.indices[t], i1 = b.indices[t + 1], i2 = b.indices[t + 2];
        Vec3 f = cross(b.vertices[i1].position - b.vertices[i0].position,
                       b.vertices[i2].position - b.vertices[i0].position);
        // Keep every face's contribution outward like the ellipsoid's normal.
        if (dot(f, b.vertices[i0].normal + b.vertices[i1].normal + b.vertices[i2].normal) < 0) f = -f;
        acc[i0] += f;
        acc[i1] += f;
        acc[i2] += f;
    }
    int n = (int)vc;
    int* order = static_cast<int*>(std::malloc(sizeof(int) * (vc + 1)));
    for (int i = 0; i < n; ++i) order[i] = i;
    auto less = [&](int x, int y) {
        const Vec3& a = b.vertices[x].position;
        const Vec3& c = b.vertices[y].position;
        if (a.x != c.x) return a.x < c.x;
        if (a.y != c.y) return a.y < c.y;
        return a.z < c.z;
    };
    // Insertion sort keeps this free of <algorithm>; a rock has under 400 vertices.
    for (int i = 1; i < n; ++i) {
        int v = order[i], j = i - 1;
        while (j >= 0 && less(v, order[j])) {
            order[j + 1] = order[j];
            --j;
        }
        order[j + 1] = v;
    }
    for (int i = 0; i < n;) {
        int j = i;
        Vec3 sum = {0, 0, 0};
        while (j < n && !less(order[i], order[j]) && !less(order[j], order[i])) sum += acc[order[j++]];
        if (length(sum) > 1e-20f)
            for (int k = i; k < j; ++k) b.vertices[order[k]].normal = normalize(sum);
        i = j;
    }
    std::free(order);
    std::free(acc);
    mb_orient(&b);
    return b;
}

Mat4 mat4_from_prs(Vec3 position, Vec3 rotation, Vec3 scale) {
    return mat4_translate(position) * mat4_rotate_y(rotation.y) * mat4_rotate_x(rotation.x) *
           mat4_rotate_z(rotation.z) * mat4_scale(scale);
}

// ---- Noise -------------------------------------------------------------------------

namespace {

inline float lattice_value(uint32_t h) {
    h = (h ^ (h >> 13)) * 1274126177u;
    return (float)((h & 0xFFFFFFu) ^ (h >> 16)) * (1.0f / 16777216.0f);
}

// seed_term is seed * 2246822519 (wrapping), kept apart so fbm2 can shift it.
float value_noise2_term(float x, float z, uint32_t seed_term) {
    float fx = std::floor(x), fz = std::floor(z);
    uint32_t ix = (uint32_t)(int32_t)fx, iz = (uint32_t)(int32_t)fz;
    float tx = x - fx, tz = z - fz;
    tx = tx * tx * (3.0f - 2.0f * tx);
    tz = tz * tz * (3.0f - 2.0f * tz);
    auto corner = [&](uint32_t i, uint32_t k) {
        return lattice_value(i * 374761393u + k * 668265263u + seed_term);
    };
    float a = corner(ix, iz), b = corner(ix + 1, iz);
    float c = corner(ix, iz + 1), d = corner(ix + 1, iz + 1);
    float r = lerpf(lerpf(a, b, tx), lerpf(c, d, tx), tz);
    return 2.0f * r - 1.0f;
}

}  // namespace

float value_noise2(float x, float z, uint32_t seed) {
    return value_noise2_term(x, z, seed * 2246822519u);
}

#if defined(__SSE2__)
namespace {

// Four octaves of the same lattice noise side by side, one per lane. Every
// lane does the scalar arithmetic in the scalar order, so the world's colours
// come out bit for bit the same; it just spends one pass on four octaves.
inline __m128i mul_const(__m128i a, uint32_t c) {
#if defined(__SSE4_1__)
    return _mm_mullo_epi32(a, _mm_set1_epi32((int)c));
#else
    const __m128i k = _mm_set1_epi32((int)c);
    __m128i even = _mm_mul_epu32(a, k);
    __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), k);
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
#endif
}

inline __m128 lattice_value4(__m128i h) {
    h = _mm_xor_si128(h, _mm_srli_epi32(h, 13));
    h = mul_const(h, 1274126177u);
    __m128i v = _mm_xor_si128(_mm_and_si128(h, _mm_set1_epi32(0xFFFFFF)), _mm_srli_epi32(h, 16));
    return _mm_mul_ps(_mm_cvtepi32_ps(v), _mm_set1_ps(1.0f / 16777216.0f));
}

// std::floor per lane; values of 2^23 and more are already whole.
inline __m128 floor4(__m128 x) {
    __m128 t = _mm_cvtepi32_ps(_mm_cvttps_epi32(x));
    t = _mm_sub_ps(t, _mm_and_ps(_mm_cmpgt_ps(t, x), _mm_set1_ps(1.0f)));
    __m128 big = _mm_cmpge_ps(_mm_andnot_ps(_mm_set1_ps(-0.0f), x), _mm_set1_ps(8388608.0f));
    return _mm_or_ps(_mm_and_ps(big, x), _mm_andnot_ps(big, t));
}

inline __m128 value_noise2_4(__m128 x, __m128 z, __m128i seed_term) {
    __m128 fx = floor4(x), fz = floor4(z);
    __m128i ix = _mm_cvttps_epi32(fx), iz = _mm_cvttps_epi32(fz);
    const __m128 two = _mm_set1_ps(2.0f), three = _mm_set1_ps(3.0f), one = _mm_set1_ps(1.0f);
    __m128 tx = _mm_sub_ps(x, fx), tz = _mm_sub_ps(z, fz);
    tx = _mm_mul_ps(_mm_mul_ps(tx, tx), _mm_sub_ps(three, _mm_mul_ps(two, tx)));
    tz = _mm_mul_ps(_mm_mul_ps(tz, tz), _mm_sub_ps(three, _mm_mul_ps(two, tz)));
    const __m128i px = _mm_set1_epi32((int)374761393u), pz = _mm_set1_epi32((int)668265263u);
    __m128i h00 = _mm_add_epi32(_mm_add_epi32(mul_const(ix, 374761393u), mul_const(iz, 668265263u)),
                                seed_term);
    __m128 a = lattice_value4(h00);
    __m128 b = lattice_value4(_mm_add_epi32(h00, px));
    __m128 c = lattice_value4(_mm_add_epi32(h00, pz));
    __m128 d = lattice_value4(_mm_add_epi32(_mm_add_epi32(h00, px), pz));
    __m128 ab = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), tx));
    __m128 cd = _mm_add_ps(c, _mm_mul_ps(_mm_sub_ps(d, c), tx));
    __m128 r = _mm_add_ps(ab, _mm_mul_ps(_mm_sub_ps(cd, ab), tz));
    return _mm_sub_ps(_mm_mul_ps(two, r), one);
}

}  // namespace
#endif

float fbm2(float x, float z, uint32_t seed, int octaves) {
    if (octaves <= 0) return 0.0f;
    float sum = 0.0f, amp = 0.5f, total = 0.0f;
    uint32_t term = seed * 2246822519u;
#if defined(__SSE2__)
    for (int o = 0; o < octaves; o += 4) {
        int lanes = octaves - o < 4 ? octaves - o : 4;
        // The lane inputs stay in registers: spilling them to memory and
        // reading them back as one vector stalls the store forwarding.
        float x0 = x, z0 = z;
        uint32_t t0 = term;
        float x1 = x0 * 2.03f + 1.7f, z1 = z0 * 2.03f + 9.2f;
        float x2 = x1 * 2.03f + 1.7f, z2 = z1 * 2.03f + 9.2f;
        float x3 = x2 * 2.03f + 1.7f, z3 = z2 * 2.03f + 9.2f;
        __m128 v = value_noise2_4(_mm_setr_ps(x0, x1, x2, x3), _mm_setr_ps(z0, z1, z2, z3),
                                  _mm_setr_epi32((int)t0, (int)(t0 - 458722841u),
                                                 (int)(t0 - 2u * 458722841u), (int)(t0 - 3u * 458722841u)));
        alignas(16) float vs[4];
        _mm_store_ps(vs, v);
        for (int k = 0; k < lanes; ++k) {
            sum += vs[k] * amp;
            total += amp;
            amp *= 0.5f;
        }
        if (lanes == 4) {
            x = x3 * 2.03f + 1.7f;
            z = z3 * 2.03f + 9.2f;
            term = t0 - 4u * 458722841u;
        }
    }
#else
    for (int o = 0; o < octaves; ++o) {
        sum += value_noise2_term(x, z, term) * amp;
        total += amp;
        amp *= 0.5f;
        x = x * 2.03f + 1.7f;
        z = z * 2.03f + 9.2f;
        term -= 458722841u;
    }
#endif
    return sum / total;
}

float value_noise3(Vec3 p, uint32_t seed) {
    float fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    uint32_t ix = (uint32_t)(int32_t)fx, iy = (uint32_t)(int32_t)fy, iz = (uint32_t)(int32_t)fz;
    float tx = p.x - fx, ty = p.y - fy, tz = p.z - fz;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    tz = tz * tz * (3.0f - 2.0f * tz);
    uint32_t st = seed * 2246822519u;
    // The 2D lattice hash with a third prime for the vertical axis.
    auto corner = [&](uint32_t i, uint32_t j, uint32_t k) {
        return lattice_value(i * 374761393u + k * 668265263u + j * 3266489917u + st);
    };
    float v[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int bb = 0; bb < 2; ++bb)
            for (int c = 0; c < 2; ++c) v[a][bb][c] = corner(ix + a, iy + bb, iz + c);
    float x00 = lerpf(v[0][0][0], v[1][0][0], tx), x10 = lerpf(v[0][1][0], v[1][1][0], tx);
    float x01 = lerpf(v[0][0][1], v[1][0][1], tx), x11 = lerpf(v[0][1][1], v[1][1][1], tx);
    return lerpf(lerpf(x00, x10, ty), lerpf(x01, x11, ty), tz);
}

// ---- Materials ------------------------------------------------------------------------

void material_init(Material* m, Vec3 colour) {
    std::memset(m, 0, sizeof(*m));
    m->colour = colour;
    m->light_a = 0.45f;
    m->alpha = 1.0f;
}

void material_init(Material* m, Vec3 colour, float noise_scale, float noise_amount) {
    material_init(m, colour);
    m->noise_scale = noise_scale;
    m->noise_amount = noise_amount;
    m->noise_contrast = 1.0f;
}

Material* material_new(Vec3 colour) {
    Material* m = static_cast<Material*>(std::malloc(sizeof(Material)));
    material_init(m, colour);
    return m;
}

Material* material_new(Vec3 colour, float noise_scale, float noise_amount, bool noise_on) {
    Material* m = static_cast<Material*>(std::malloc(sizeof(Material)));
    material_init(m, colour, noise_scale, noise_amount);
    m->noise_on = noise_on ? 1 : 0;
    return m;
}

Material* material_copy(const Material& src) {
    Material* m = static_cast<Material*>(std::malloc(sizeof(Material)));
    std::memcpy(m, &src, sizeof(Material));
    return m;
}

void material_set_pattern(Material* m, int kind, float scale) {
    m->pattern_kind = kind;
    m->pattern_scale = scale;
}

// ---- World batches -----------------------------------------------------------------------

MeshBuilder world_batches[WORLD_BATCH_COUNT];
Material* world_batch_materials[WORLD_BATCH_COUNT];
GpuMesh* world_batch_meshes[WORLD_BATCH_COUNT];

void batch_add(int i, MeshBuilder* src, const Mat4& m, Vec3 tint) {
    if (i >= 0 && i < WORLD_BATCH_COUNT) mb_append(&world_batches[i], src, m, tint);
    mb_free(src);
}
