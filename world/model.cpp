#include "world/model.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/renderer.h"
#include "render/mesh.h"

static Node* model_grow(Model* m) {
    if (m->node_count >= m->node_capacity) {
        int cap = m->node_capacity == 0 ? 64 : m->node_capacity * 2;
        Node* n = (Node*)std::realloc(m->nodes, sizeof(Node) * (size_t)cap);
        if (!n) return nullptr;
        m->nodes = n;
        m->node_capacity = cap;
    }
    Node* node = &m->nodes[m->node_count++];
    std::memset(node, 0, sizeof(Node));
    return node;
}

int model_add_node(Model* m, int parent, Vec3 position) {
    if (parent >= m->node_count) parent = -1;  // a parent must come first
    Node* n = model_grow(m);
    if (!n) return -1;
    n->parent = parent;
    n->position = position;
    n->scale = {1, 1, 1};
    n->visible = 1;
    n->local_matrix = mat4_identity();
    n->tint = {1, 1, 1};
    n->world_matrix = mat4_identity();
    return m->node_count - 1;
}

int model_add_part(Model* m, int parent, GpuMesh* mesh, Material* material, Vec3 position) {
    int i = model_add_node(m, parent, position);
    if (i < 0) return i;
    m->nodes[i].mesh = mesh;
    m->nodes[i].material = material;
    return i;
}

// Most angles of a figure are zero: those need no sine.
static inline void sin_cos(float a, float* s, float* c) {
    if (a == 0.0f) {
        *s = a;
        *c = 1.0f;
    } else {
        *s = std::sin(a);
        *c = std::cos(a);
    }
}

// T * Ry * Rx * Rz * S written out: the same products summed in the same
// order as the four matrix products (only the terms that are zero are left
// out), so the result is the same to the bit at a fraction of the cost.
static Mat4 prs_matrix(Vec3 t, Vec3 r, Vec3 k) {
    float sx, cx, sy, cy, sz, cz;
    sin_cos(r.x, &sx, &cx);
    sin_cos(r.y, &sy, &cy);
    sin_cos(r.z, &sz, &cz);
    const float syx = sy * sx, cyx = cy * sx;
    Mat4 m;
    m.m[0] = (cy * cz + syx * sz) * k.x;
    m.m[1] = (cx * sz) * k.x;
    m.m[2] = (-sy * cz + cyx * sz) * k.x;
    m.m[3] = 0.0f;
    m.m[4] = (cy * -sz + syx * cz) * k.y;
    m.m[5] = (cx * cz) * k.y;
    m.m[6] = (-sy * -sz + cyx * cz) * k.y;
    m.m[7] = 0.0f;
    m.m[8] = (sy * cx) * k.z;
    m.m[9] = (-sx) * k.z;
    m.m[10] = (cy * cx) * k.z;
    m.m[11] = 0.0f;
    m.m[12] = t.x;
    m.m[13] = t.y;
    m.m[14] = t.z;
    m.m[15] = 1.0f;
    return m;
}

Mat4 model_local_matrix(const Node& n) {
    if (n.use_matrix) return n.local_matrix;
    return prs_matrix(n.position, n.rotation, n.scale);
}

static inline bool affine(const Mat4& a) {
    return a.m[3] == 0.0f && a.m[7] == 0.0f && a.m[11] == 0.0f && a.m[15] == 1.0f;
}

// a * b for two matrices whose last row is (0, 0, 0, 1): the general
// product's nonzero terms in its order, so again the same to the bit (four
// lanes of single-precision products and sums round as one lane does).
static inline void affine_mul(const Mat4& a, const Mat4& b, Mat4& r) {
#if defined(__SSE2__)
    const __m128 a0 = _mm_loadu_ps(a.m), a1 = _mm_loadu_ps(a.m + 4), a2 = _mm_loadu_ps(a.m + 8);
    for (int c = 0; c < 4; ++c) {
        __m128 s = _mm_add_ps(_mm_add_ps(_mm_mul_ps(a0, _mm_set1_ps(b.m[c * 4])),
                                         _mm_mul_ps(a1, _mm_set1_ps(b.m[c * 4 + 1]))),
                              _mm_mul_ps(a2, _mm_set1_ps(b.m[c * 4 + 2])));
        if (c == 3) s = _mm_add_ps(s, _mm_loadu_ps(a.m + 12));
        _mm_storeu_ps(r.m + c * 4, s);
    }
#else
    for (int c = 0; c < 4; ++c) {
        const float b0 = b.m[c * 4], b1 = b.m[c * 4 + 1], b2 = b.m[c * 4 + 2];
        for (int row = 0; row < 3; ++row) {
            float s = a.m[row] * b0 + a.m[4 + row] * b1 + a.m[8 + row] * b2;
            if (c == 3) s += a.m[12 + row];
            r.m[c * 4 + row] = s;
        }
    }
#endif
    r.m[3] = r.m[7] = r.m[11] = 0.0f;
    r.m[15] = 1.0f;
}

// The matrix whose y axis is b - a, its other two axes unit and
// perpendicular, its origin the midpoint.
static Mat4 span_matrix(Vec3 a, Vec3 b) {
    Vec3 mid = (a + b) * 0.5f;
    Vec3 y = b - a;
    if (!(length(y) >= 0.0001f)) return mat4_translate(mid);
    Vec3 u = normalize(y);
    // Any helper not parallel to the axis gives the two other axes.
    Vec3 helper = std::fabs(u.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 x = normalize(cross(helper, u));
    Vec3 z = cross(x, u);
    return mat4_from_axes(x, y, z, mid);
}

static Vec3 point_on(const Model* m, int node, Vec3 at) {
    return node >= 0 && node < m->node_count ? mat4_mul_point(m->nodes[node].world_matrix, at) : at;
}

static void apply_tie(Model* m, const NodeTie& t) {
    if (t.node < 0 || t.node >= m->node_count) return;
    Vec3 a = point_on(m, t.from_node, t.from_at);
    Vec3 b = lerp(point_on(m, t.to_node, t.to_at), point_on(m, t.pull_node, t.pull_at), clampf(t.pull, 0.0f, 1.0f));
    m->nodes[t.node].world_matrix = span_matrix(a, b);
}

int model_add_tie(Model* m, int node, int from_node, Vec3 from_at, int to_node, Vec3 to_at, int pull_node,
                  Vec3 pull_at) {
    int last = node > from_node ? node : from_node;
    if (to_node > last) last = to_node;
    if (pull_node > last) last = pull_node;
    // A tie reads world matrices of this evaluation: the part must come last.
    assert(node >= 0 && last < m->node_count && node >= from_node && node >= to_node && node >= pull_node);
    if (node < 0 || last >= m->node_count || node < from_node || node < to_node || node < pull_node) return -1;
    NodeTie* grown = (NodeTie*)std::realloc(m->ties, sizeof(NodeTie) * (size_t)(m->tie_count + 1));
    if (!grown) return -1;
    m->ties = grown;
    m->ties[m->tie_count] = {node, from_node, from_at, to_node, to_at, pull_node, pull_at, 0.0f};
    return m->tie_count++;
}

void model_evaluate(Model* m, const Mat4& root) {
    m->root_position = {root.m[12], root.m[13], root.m[14]};
    const bool root_affine = affine(root);
    for (int i = 0; i < m->node_count; ++i) {
        Node& n = m->nodes[i];
        Mat4 local = model_local_matrix(n);
        // A parent index that does not precede the node is treated as a root
        // rather than read before it was computed.
        bool has_parent = n.parent >= 0 && n.parent < i;
        const Mat4& above = has_parent ? m->nodes[n.parent].world_matrix : root;
        if ((has_parent ? affine(above) : root_affine) && (!n.use_matrix || affine(local)))
            affine_mul(above, local, n.world_matrix);
        else
            n.world_matrix = above * local;
        n.world_visible = n.visible && (!has_parent || m->nodes[n.parent].world_visible);
    }
    for (int t = 0; t < m->tie_count; ++t) apply_tie(m, m->ties[t]);
}

Vec3 model_node_position(const Model* m, int node) {
    if (node < 0 || node >= m->node_count) return m->root_position;
    const Mat4& w = m->nodes[node].world_matrix;
    return {w.m[12], w.m[13], w.m[14]};
}

void model_span_node(Model* m, int node, Vec3 a, Vec3 b) {
    assert(node >= 0 && node < m->node_count);
    if (node < 0 || node >= m->node_count) return;
    Node& n = m->nodes[node];
    n.use_matrix = 1;
    n.local_matrix = span_matrix(a, b);
}

// ---- Skinning ------------------------------------------------------------------

void model_bind_skin(Model* m, int node, int other_node) {
    if (node < 0 || node >= m->node_count || other_node < 0 || other_node >= m->node_count ||
        node == other_node)
        return;
    Node& n = m->nodes[node];
    if (!n.mesh || !n.mesh->cpu_vertices || n.mesh->vertex_count <= 0) return;

    // Rest pose: the model as built, about an identity root.
    model_evaluate(m, mat4_identity());
    Mat4 self_rest = n.world_matrix;
    Mat4 other_rest = m->nodes[other_node].world_matrix;

    SkinBinding* s = n.skin;
    if (s) {
        std::free(s->rest_positions);
        std::free(s->rest_normals);
        std::free(s->weights);
    } else {
        s = (SkinBinding*)std::calloc(1, sizeof(SkinBinding));
    }
    int count = n.mesh->vertex_count;
    s->other_node = other_node;
    s->vertex_count = count;
    s->rest_relative = mat4_inverse(other_rest) * self_rest;
    s->rest_positions = (Vec3*)std::malloc(sizeof(Vec3) * (size_t)count);
    s->rest_normals = (Vec3*)std::malloc(sizeof(Vec3) * (size_t)count);
    s->weights = (float*)std::malloc(sizeof(float) * (size_t)count);

    // Weight: how far along the line from the part's origin to the bound
    // node the vertex lies, eased so both ends stay rigid.
    Vec3 a = {self_rest.m[12], self_rest.m[13], self_rest.m[14]};
    Vec3 b = {other_rest.m[12], other_rest.m[13], other_rest.m[14]};
    Vec3 ab = b - a;
    float ab2 = dot(ab, ab);
    for (int i = 0; i < count; ++i) {
        const Vertex& v = n.mesh->cpu_vertices[i];
        s->rest_positions[i] = v.position;
        s->rest_normals[i] = v.normal;
        float t = 0.0f;
        if (ab2 > 1e-10f) t = dot(mat4_mul_point(self_rest, v.position) - a, ab) / ab2;
        s->weights[i] = smoothstepf(0.0f, 1.0f, t);
    }
    n.skin = s;
    m->owns_skins = 1;
}

// Deforms a skinned part into out; with centre set, also gives the sphere
// round the new vertices, the one mesh_bound_sphere would find, without a
// second walk for the box.
static void skin_deform(const Model* m, int node, Vertex* out, Vec3* centre, float* radius) {
    const Node& n = m->nodes[node];
    const SkinBinding* s = n.skin;
    if (!s) return;
    const Node& o = m->nodes[s->other_node];
    // Where the rest vertex would be if it rode on the bound node, in the
    // part's own frame.
    Mat4 d = mat4_inverse(n.world_matrix) * o.world_matrix * s->rest_relative;
    const int coloured = n.mesh ? n.mesh->vertex_count : 0;
    Vec3 lo = {0, 0, 0}, hi = {0, 0, 0};
    for (int i = 0; i < s->vertex_count; ++i) {
        float w = s->weights[i];
        Vec3 p = s->rest_positions[i];
        Vec3 q = mat4_mul_point(d, p);
        Vec3 nr = s->rest_normals[i];
        Vec3 nq = mat4_mul_dir(d, nr);
        Vec3 blended = normalize(lerp(nr, nq, w));
        if (dot(blended, blended) < 0.5f) blended = nr;
        const Vec3 at = lerp(p, q, w);
        out[i].position = at;
        out[i].normal = blended;
        out[i].colour = i < coloured ? n.mesh->cpu_vertices[i].colour : Vec3{1, 1, 1};
        if (i == 0) lo = hi = at;
        lo = {at.x < lo.x ? at.x : lo.x, at.y < lo.y ? at.y : lo.y, at.z < lo.z ? at.z : lo.z};
        hi = {at.x > hi.x ? at.x : hi.x, at.y > hi.y ? at.y : hi.y, at.z > hi.z ? at.z : hi.z};
    }
    if (!centre) return;
    const Vec3 c = (lo + hi) * 0.5f;
    float r2 = 0.0f;
    for (int i = 0; i < s->vertex_count; ++i) {
        const Vec3 e = out[i].position - c;
        const float k = dot(e, e);
        if (k > r2) r2 = k;
    }
    *centre = c;
    *radius = s->vertex_count > 0 ? std::sqrt(r2) * 1.0001f + 1e-4f : 0.0f;
}

void model_skin_deform(const Model* m, int node, Vertex* out) { skin_deform(m, node, out, nullptr, nullptr); }

bool model_skin_active(const Model* m, Vec3 eye) {
    return length(m->root_position - eye) <= SKIN_DISTANCE;
}

// ---- Drawing -----------------------------------------------------------------------

static float det3(const Mat4& a) {
    const float* m = a.m;
    return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
           m[8] * (m[1] * m[6] - m[5] * m[2]);
}

// Mirrored parts (a root matrix with a reflection) would show their insides
// once back faces are culled; they are drawn with a double-sided twin of
// their material instead.
static const int kTwinCapacity = 256;
static const Material* twin_from[kTwinCapacity];
static Material* twin_to[kTwinCapacity];
static int twin_count;

Material* model_double_sided_twin(Material* mat) {
    if (!mat || mat->double_sided) return mat;
    for (int i = 0; i < twin_count; ++i)
        if (twin_from[i] == mat) return twin_to[i];
    if (twin_count >= kTwinCapacity) return mat;
    Material* t = material_copy(*mat);
    t->double_sided = 1;
    twin_from[twin_count] = mat;
    twin_to[twin_count] = t;
    ++twin_count;
    return t;
}

static Vertex* skin_scratch;
static int skin_scratch_capacity;

void model_draw(Model* m, const Material* material_from, Material* material_to) {
    model_draw_tinted(m, material_from, material_to, {1, 1, 1}, {0, 0, 0}, 0.0f);
}

void model_draw_tinted(Model* m, const Material* material_from, Material* material_to, Vec3 multiply,
                       Vec3 mix_to, float mix) {
    bool near = model_skin_active(m, render_camera.eye);
    for (int i = 0; i < m->node_count; ++i) {
        Node& n = m->nodes[i];
        if (!n.mesh || !n.world_visible) continue;
        Material* mat = n.material;
        if (material_from && mat == material_from && material_to) mat = material_to;
        if (!mat) continue;
        mat->skin_flag_a = 1;
        const GpuMesh* mesh = n.mesh;
        if (n.skin && near) {
            if (!n.skin_mesh) n.skin_mesh = mesh_clone_dynamic(n.mesh);
            if (n.skin_mesh) {
                int count = n.skin->vertex_count;
                if (count > skin_scratch_capacity) {
                    Vertex* grown = (Vertex*)std::realloc(skin_scratch, sizeof(Vertex) * (size_t)count);
                    if (grown) {
                        skin_scratch = grown;
                        skin_scratch_capacity = count;
                    }
                }
                if (count <= skin_scratch_capacity) {
                    // The renderer culls the part by this sphere.
                    Vec3 centre;
                    float radius;
                    skin_deform(m, i, skin_scratch, &centre, &radius);
                    mesh_update_vertices_bounded(n.skin_mesh, skin_scratch, count, centre, radius);
                    mesh = n.skin_mesh;
                }
            }
        }
        if (det3(n.world_matrix) < 0.0f) {
            mat = model_double_sided_twin(mat);
            mat->skin_flag_a = 1;
        }
        render_add(mesh, mat, n.world_matrix, lerp(n.tint * multiply, mix_to, mix));
    }
}

// ---- Copies --------------------------------------------------------------------------

Model model_copy(const Model* tmpl) {
    Model c{};
    if (!tmpl || tmpl->node_count <= 0) return c;
    c.nodes = (Node*)std::malloc(sizeof(Node) * (size_t)tmpl->node_count);
    if (!c.nodes) return c;
    std::memcpy(c.nodes, tmpl->nodes, sizeof(Node) * (size_t)tmpl->node_count);
    c.node_count = tmpl->node_count;
    c.node_capacity = tmpl->node_count;
    c.root_position = tmpl->root_position;
    c.owns_skins = 0;  // bindings stay with the template
    for (int i = 0; i < c.node_count; ++i) c.nodes[i].skin_mesh = nullptr;
    if (tmpl->tie_count > 0) {
        c.ties = (NodeTie*)std::malloc(sizeof(NodeTie) * (size_t)tmpl->tie_count);
        if (c.ties) {
            std::memcpy(c.ties, tmpl->ties, sizeof(NodeTie) * (size_t)tmpl->tie_count);
            c.tie_count = tmpl->tie_count;
        }
    }
    return c;
}

void model_free(Model* m) {
    if (!m) return;
    for (int i = 0; i < m->node_count; ++i) {
        Node& n = m->nodes[i];
        if (n.skin_mesh) mesh_destroy(n.skin_mesh);
        n.skin_mesh = nullptr;
        if (m->owns_skins && n.skin) {
            // Several nodes never share one binding, so each is freed once.
            std::free(n.skin->rest_positions);
            std::free(n.skin->rest_normals);
            std::free(n.skin->weights);
            std::free(n.skin);
            n.skin = nullptr;
        }
    }
    std::free(m->nodes);
    std::free(m->ties);
    std::memset(m, 0, sizeof(Model));
}
