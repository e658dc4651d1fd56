// The batching and culling of the frame's passes: runs that give no pixel to
// a pass are skipped (outside the view, or a shadow that cannot reach what the
// view draws), pooled ranges of one material go in one multi-draw, and the
// shadow casters in one draw. The same picture as one draw per run.
#include <cmath>
#include <cstring>
#include <utility>

#include "render/gpu.h"
#include "render/renderer_internal.h"

namespace renderer_frame {

// ---- Culling of the draw list ---------------------------------------------------------------
// A run whose every item gives no pixel to the pass is skipped: in the view
// passes an item outside the frustum, in the shadow pass one outside the
// sun's box or whose shadow cannot fall into the view.

Frustum view_frustum = {};
Vec3 sun_axis = {0, 1, 0};
// Reach of the shadow lookups around a point (filter kernel, linear
// filtering, the map's coarsest texel), with room to spare.
constexpr float SHADOW_CAST_MARGIN = 0.5f;
constexpr float SHADOW_CAST_LENGTH = 1000.0f;  // beyond the far side of the sun's box

// The item's bounding sphere where its model matrix puts it (the largest
// axis scale grows the radius); returns the radius.
static float world_sphere(const DrawItem& d, Vec3* centre) {
    return sphere_placed(d.model, d.mesh->bound_centre, d.mesh->bound_radius, centre);
}

// The box around everything the view passes draw this frame: a shadow
// falling outside it darkens no pixel.
static Vec3 receivers_lo = {0, 0, 0}, receivers_hi = {0, 0, 0};
static bool receivers_any = false, receivers_unbounded = false;
bool portrait_shown = false;

static void receivers_add(Vec3 c, float r) {
    const Vec3 lo = {c.x - r, c.y - r, c.z - r}, hi = {c.x + r, c.y + r, c.z + r};
    if (!receivers_any) {
        receivers_lo = lo;
        receivers_hi = hi;
        receivers_any = true;
        return;
    }
    receivers_lo = {std::fmin(receivers_lo.x, lo.x), std::fmin(receivers_lo.y, lo.y), std::fmin(receivers_lo.z, lo.z)};
    receivers_hi = {std::fmax(receivers_hi.x, hi.x), std::fmax(receivers_hi.y, hi.y), std::fmax(receivers_hi.z, hi.z)};
}

// Cuts the segment e0-e1 to the receivers' box grown by r; false when
// nothing of it is left.
static bool clip_to_receivers(Vec3* e0, Vec3* e1, float r) {
    if (receivers_unbounded) return true;
    if (!receivers_any) return false;
    const float a[3] = {e0->x, e0->y, e0->z}, b[3] = {e1->x, e1->y, e1->z};
    const float lo[3] = {receivers_lo.x - r, receivers_lo.y - r, receivers_lo.z - r};
    const float hi[3] = {receivers_hi.x + r, receivers_hi.y + r, receivers_hi.z + r};
    float t0 = 0.0f, t1 = 1.0f;
    for (int k = 0; k < 3; ++k) {
        const float d = b[k] - a[k];
        if (std::fabs(d) < 1e-12f) {
            if (a[k] < lo[k] || a[k] > hi[k]) return false;
            continue;
        }
        float u = (lo[k] - a[k]) / d, v = (hi[k] - a[k]) / d;
        if (u > v) std::swap(u, v);
        t0 = std::fmax(t0, u);
        t1 = std::fmin(t1, v);
        if (t0 > t1) return false;
    }
    const Vec3 from = *e0, along = *e1 - *e0;
    *e0 = from + along * t0;
    *e1 = from + along * t1;
    return true;
}

// Before the shadow pass: the box of the items and group cells the view
// passes will draw. An item without bounds leaves the box open.
void gather_receivers() {
    receivers_any = false;
    receivers_unbounded = !batching_on || !culling_on || portrait_shown;
    if (receivers_unbounded) return;
    pass_frustum = view_frustum;
    for (int i = 0; i < draw_count; ++i) {
        const DrawItem& d = draws[i];
        if (d.mesh->index_count == 0) continue;  // draws nothing
        if (!(d.mesh->bound_radius > 0.0f)) {
            receivers_unbounded = true;
            return;
        }
        if (!item_reaches_pass(d, PASS_OPAQUE)) continue;
        Vec3 c;
        const float r = world_sphere(d, &c) + render_vertex_displacement(*d.material, *d.mesh);
        receivers_add(c, r);
    }
    for (int g = 0; g < group_count; ++g) {
        const InstanceGroup* grp = groups[g];
        if (!grp || !grp->material) continue;
        for (int c = 0; c < grp->cell_count; ++c) {
            const InstanceCell& cell = grp->cells[c];
            if (!cell_visible(cell, cam_eye, grp->draw_distance, view_frustum)) continue;
            if (!(cell.bound_radius < UNBOUNDED_RADIUS)) {
                receivers_unbounded = true;
                return;
            }
            // The cell's bound holds its meshes, the wind's reach included.
            receivers_add({cell.bound_x, cell.bound_y, cell.bound_z}, cell.bound_radius + 1.0f);
        }
    }
}

bool item_reaches_pass(const DrawItem& d, RenderPass mode) {
    const GpuMesh& mesh = *d.mesh;
    if (!culling_on || !(mesh.bound_radius > 0.0f)) return true;
    Vec3 c;
    float r = world_sphere(d, &c);
    if (!(r < 1e30f) || c.x != c.x || c.y != c.y || c.z != c.z) return true;
    if (mode != PASS_SHADOW) return frustum_sphere(pass_frustum, c, r + render_vertex_displacement(*d.material, mesh));
    if (!frustum_sphere(pass_frustum, c, r)) return false;
    if (receivers_unbounded) return true;
    // The sphere swept along the sun's axis: outside one plane of the view
    // at both ends, its shadow misses the view.
    r += SHADOW_CAST_MARGIN;
    // Only what lies further from the sun is darkened (a step towards it
    // covers the depth bias), and only a receiver drawn in the view counts.
    Vec3 e0 = c + sun_axis * r, e1 = c - sun_axis * SHADOW_CAST_LENGTH;
    if (!clip_to_receivers(&e0, &e1, r)) return false;
    for (const Vec4& p : view_frustum.planes) {
        const float d0 = p.x * e0.x + p.y * e0.y + p.z * e0.z + p.w;
        const float d1 = p.x * e1.x + p.y * e1.y + p.z * e1.z + p.w;
        if (d0 < -r && d1 < -r) return false;
    }
    return true;
}

bool run_reaches_pass(int first, int end, RenderPass mode) {
    if (!batching_on) return true;
    for (int k = first; k < end; ++k)
        if (item_reaches_pass(draws[k], mode)) return true;
    return false;
}

// ---- Ranges of one pool drawn in one call ---------------------------------------------------
// Single items of one material whose meshes are ranges of the same pool and
// whose instance records are equal (static geometry placed once) go in one
// multi-draw, in the order of the sorted list.

static bool same_record(const DrawItem& a, const DrawItem& b) {
    return std::memcmp(&a.model, &b.model, sizeof(Mat4)) == 0 && a.tint.x == b.tint.x && a.tint.y == b.tint.y &&
           a.tint.z == b.tint.z && a.w == b.w;
}

static bool pool_neighbour(const DrawItem& head, const DrawItem& d) {
    return d.material == head.material && d.mesh->pooled && d.mesh->vao == head.mesh->vao &&
           d.mesh->index_count > 0 && same_record(head, d);
}

// End of the items from first that join the run [first, end) in one call
// (end itself when none does). Items of the list are single runs here:
// a pooled mesh is listed once per frame.
int pooled_ranges(int first, int end) {
    if (!batching_on || end != first + 1 || !draws[first].mesh->pooled) return end;
    int k = end;
    while (k < draw_count && pool_neighbour(draws[first], draws[k]) &&
           (k + 1 >= draw_count || draws[k + 1].mesh != draws[k].mesh))
        ++k;
    return k;
}

static GLsizei* range_counts = nullptr;
static const void** range_offsets = nullptr;
static GLint* range_bases = nullptr;
static int range_cap = 0;

// The three arrays of a multi-draw hold n entries; false when memory refuses.
static bool ranges_fit(int n) {
    if (n <= range_cap) return true;
    void* c = render_grow(range_counts, sizeof(GLsizei) * (size_t)n);
    if (c) range_counts = static_cast<GLsizei*>(c);
    void* o = c ? render_grow(range_offsets, sizeof(void*) * (size_t)n) : nullptr;
    if (o) range_offsets = static_cast<const void**>(o);
    void* b = o ? render_grow(range_bases, sizeof(GLint) * (size_t)n) : nullptr;
    if (b) range_bases = static_cast<GLint*>(b);
    if (!b) return false;
    range_cap = n;
    return true;
}

void draw_ranges(int first, int end, RenderPass mode) {
    if (!ranges_fit(end - first)) {
        // No room for the arrays: one draw per range, the same picture.
        for (int k = first; k < end; ++k)
            if (k == first || item_reaches_pass(draws[k], mode)) draw_instanced(draws[k].mesh, instance_vbo, k, 1, mode);
        return;
    }
    int used = 0;
    for (int k = first; k < end; ++k) {
        const GpuMesh* mesh = draws[k].mesh;
        if (k != first && !item_reaches_pass(draws[k], mode)) continue;
        range_counts[used] = (GLsizei)mesh->index_count;
        range_offsets[used] = reinterpret_cast<const void*>((uintptr_t)mesh->first_index * 4u);
        range_bases[used] = mesh->base_vertex;
        ++used;
    }
    glBindVertexArray(draws[first].mesh->vao);
    point_instances(instance_vbo, first);
    glMultiDrawElementsBaseVertex(GL_TRIANGLES, range_counts, GL_UNSIGNED_INT, range_offsets, used, range_bases);
    count_draw(mode);
}

// ---- The shadow pass's meshes in one draw ---------------------------------------------------
// Depth alone is written there, and the nearest depth wins whatever the
// order, so every small caster without an alpha cut-out is copied (vertices and
// indices, on the GPU) into buffers of the frame, each vertex naming its
// item, and drawn with one call.

static GLuint pulled_vao = 0, pulled_vbo = 0, pulled_ids = 0, pulled_ibo = 0, tex_instances = 0;
static float* pulled_id_data = nullptr;
static size_t pulled_id_cap = 0;
static int* pulled_items = nullptr;
static int pulled_item_cap = 0;
static bool full_pulled = false;

// A mesh this large is a draw of its own at little cost, and copying it
// every frame would cost the GPU far more than the call saves (the town's
// static batches hold hundreds of thousands of vertices): it stays with the
// runs.
constexpr int PULLED_MAX_VERTICES = 4096;

bool pullable(const DrawItem& d) {
    return render_casts_shadow(*d.material) && veg_layer(d.material) < 0.0f && d.mesh->index_count > 0 &&
           d.mesh->vbo != 0 && d.mesh->ibo != 0 && d.mesh->vertex_count > 0 &&
           d.mesh->vertex_count <= PULLED_MAX_VERTICES;
}

bool pulling_ready() {
    return batching_on && prog_shadow_pulled.program != 0 && draw_count > 0 &&
           (long long)draw_count * 5 <= (long long)gpu_texture_buffer_size;
}

template <typename T>
static bool grow_to(T** block, size_t* cap, size_t wanted) {
    if (*cap >= wanted) return true;
    void* grown = render_grow(*block, sizeof(T) * wanted);
    if (!grown) return false;
    *block = static_cast<T*>(grown);
    *cap = wanted;
    return true;
}

// Draws the pullable casters that reach the shadow pass; false when it could
// not (no room), the runs then draw them one by one.
bool draw_pulled_shadows() {
    size_t item_cap = (size_t)pulled_item_cap;
    if (!grow_to(&pulled_items, &item_cap, (size_t)draw_count)) {
        render_note_full(&full_pulled, "la liste des ombres", pulled_item_cap);
        return false;
    }
    pulled_item_cap = (int)item_cap;
    int n = 0;
    size_t vertices = 0, indices = 0;
    for (int k = 0; k < draw_count; ++k) {
        const DrawItem& d = draws[k];
        if (!pullable(d) || !item_reaches_pass(d, PASS_SHADOW)) continue;
        pulled_items[n++] = k;
        vertices += (size_t)d.mesh->vertex_count;
        if (n == 1 || draws[pulled_items[n - 2]].mesh != d.mesh) indices += d.mesh->index_count;
    }
    if (n == 0) return true;
    stats.shadow_copied_vertices = (int)vertices;
    if (!grow_to(&pulled_id_data, &pulled_id_cap, vertices) || !ranges_fit(n)) {
        render_note_full(&full_pulled, "la liste des ombres", n);
        return false;
    }

    if (pulled_vao == 0) {
        glGenVertexArrays(1, &pulled_vao);
        glGenBuffers(1, &pulled_vbo);
        glGenBuffers(1, &pulled_ids);
        glGenBuffers(1, &pulled_ibo);
        glGenTextures(1, &tex_instances);
        glBindVertexArray(pulled_vao);
        glBindBuffer(GL_ARRAY_BUFFER, pulled_vbo);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, (GLsizei)sizeof(Vertex), nullptr);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, (GLsizei)sizeof(Vertex), reinterpret_cast<const void*>(24));
        glBindBuffer(GL_ARRAY_BUFFER, pulled_ids);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, (GLsizei)sizeof(float), nullptr);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, pulled_ibo);
        glBindVertexArray(0);
    }
    // Vertices, then indices (once per mesh in a row of the same mesh).
    glBindBuffer(GL_COPY_WRITE_BUFFER, pulled_vbo);
    glBufferData(GL_COPY_WRITE_BUFFER, (GLsizeiptr)(vertices * sizeof(Vertex)), nullptr, GL_STREAM_DRAW);
    size_t v = 0;
    for (int q = 0; q < n; ++q) {
        const DrawItem& d = draws[pulled_items[q]];
        const GpuMesh* mesh = d.mesh;
        glBindBuffer(GL_COPY_READ_BUFFER, mesh->vbo);
        glCopyBufferSubData(GL_COPY_READ_BUFFER, GL_COPY_WRITE_BUFFER,
                            (GLintptr)mesh->base_vertex * (GLintptr)sizeof(Vertex), (GLintptr)(v * sizeof(Vertex)),
                            (GLsizeiptr)mesh->vertex_count * (GLsizeiptr)sizeof(Vertex));
        for (int t = 0; t < mesh->vertex_count; ++t) pulled_id_data[v + (size_t)t] = (float)pulled_items[q];
        range_bases[q] = (GLint)v;
        v += (size_t)mesh->vertex_count;
    }
    glBindBuffer(GL_ARRAY_BUFFER, pulled_ids);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(vertices * sizeof(float)), pulled_id_data, GL_STREAM_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, pulled_ibo);
    glBufferData(GL_COPY_WRITE_BUFFER, (GLsizeiptr)(indices * 4), nullptr, GL_STREAM_DRAW);
    size_t at = 0;
    for (int q = 0; q < n; ++q) {
        const GpuMesh* mesh = draws[pulled_items[q]].mesh;
        if (q > 0 && draws[pulled_items[q - 1]].mesh == mesh) {
            range_offsets[q] = range_offsets[q - 1];
        } else {
            glBindBuffer(GL_COPY_READ_BUFFER, mesh->ibo);
            glCopyBufferSubData(GL_COPY_READ_BUFFER, GL_COPY_WRITE_BUFFER, (GLintptr)mesh->first_index * 4,
                                (GLintptr)(at * 4), (GLsizeiptr)mesh->index_count * 4);
            range_offsets[q] = reinterpret_cast<const void*>((uintptr_t)(at * 4));
            at += mesh->index_count;
        }
        range_counts[q] = (GLsizei)mesh->index_count;
    }

    const ShaderProgram& p = prog_shadow_pulled;
    glUseProgram(p.program);
    glUniformMatrix4fv(p.u[U_VP], 1, GL_FALSE, sun_vp.m);
    glUniform1f(p.u[U_VEGETAL], -1.0f);
    glUniform1i(p.u[U_VEGETAUX], 2);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_BUFFER, tex_instances);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, instance_vbo);
    // Looked up once per program, not every frame.
    static GLuint located_in = 0;
    static GLint instances_at = -1;
    if (located_in != p.program) {
        instances_at = glGetUniformLocation(p.program, "u_instances");
        located_in = p.program;
    }
    glUniform1i(instances_at, 3);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(pulled_vao);
    glMultiDrawElementsBaseVertex(GL_TRIANGLES, range_counts, GL_UNSIGNED_INT, range_offsets, n, range_bases);
    count_draw(PASS_SHADOW);
    glBindVertexArray(0);
    glUseProgram(prog_shadow.program);
    return true;
}

}  // namespace renderer_frame
