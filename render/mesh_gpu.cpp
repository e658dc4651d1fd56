// GL side of the geometry kit: uploads, dynamic clones, mesh collections and
// instanced groups bucketed in 48 m cells.
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "render/gl_api.h"
#include "render/mesh.h"
#include "render/renderer_math.h"

MeshCollection* mesh_collection = nullptr;
bool mesh_collection_suspended = false;

namespace {

void bind_vertex_layout() {
    for (GLuint loc = 0; loc < 3; ++loc) {
        glEnableVertexAttribArray(loc);
        glVertexAttribPointer(loc, 3, GL_FLOAT, GL_FALSE, (GLsizei)sizeof(Vertex),
                              reinterpret_cast<const void*>((uintptr_t)(loc * 12)));
    }
}

}  // namespace

void mesh_collection_add(MeshCollection* list, GpuMesh* mesh) {
    assert(list);
    if (!list) return;
    if (list->count >= list->capacity) {
        list->capacity = list->capacity == 0 ? 64 : list->capacity * 2;
        list->meshes = static_cast<GpuMesh**>(
            std::realloc(list->meshes, sizeof(GpuMesh*) * (size_t)list->capacity));
    }
    list->meshes[list->count++] = mesh;
}

void mesh_release_all(MeshCollection* list) {
    assert(list);
    if (!list) return;
    for (int i = 0; i < list->count; ++i) mesh_destroy(list->meshes[i]);
    list->count = 0;
}

GpuMesh* mesh_upload(MeshBuilder* b) {
    GpuMesh* m = static_cast<GpuMesh*>(std::calloc(1, sizeof(GpuMesh)));
    glGenVertexArrays(1, &m->vao);
    glBindVertexArray(m->vao);
    glGenBuffers(1, &m->vbo);
    glBindBuffer(GL_ARRAY_BUFFER, m->vbo);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)b->vertex_count * (GLsizeiptr)sizeof(Vertex),
                 b->vertices, GL_STATIC_DRAW);
    bind_vertex_layout();
    glGenBuffers(1, &m->ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m->ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)b->index_count * 4, b->indices,
                 GL_STATIC_DRAW);
    glBindVertexArray(0);
    m->index_count = (uint32_t)b->index_count;
    m->cpu_vertices = b->vertices;
    m->vertex_count = b->vertex_count;
    m->shares_ibo = 0;
    mesh_bound_sphere(m->cpu_vertices, m->vertex_count, &m->bound_centre, &m->bound_radius);
    std::free(b->indices);
    *b = MeshBuilder{};
    if (mesh_collection && !mesh_collection_suspended) mesh_collection_add(mesh_collection, m);
    return m;
}

void mesh_upload_pool(MeshBuilder* builders, int count, GpuMesh** out) {
    if (count <= 0) return;
    size_t vertices = 0, indices = 0;
    for (int i = 0; i < count; ++i) {
        out[i] = nullptr;
        if (builders[i].index_count == 0) continue;
        vertices += (size_t)builders[i].vertex_count;
        indices += (size_t)builders[i].index_count;
    }
    GpuMesh* ranges = static_cast<GpuMesh*>(std::calloc((size_t)count, sizeof(GpuMesh)));
    if (!ranges || indices == 0) {
        std::free(ranges);
        for (int i = 0; i < count; ++i) mb_free(&builders[i]);
        return;
    }
    GLuint vao = 0, vbo = 0, ibo = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(vertices * sizeof(Vertex)), nullptr, GL_STATIC_DRAW);
    bind_vertex_layout();
    glGenBuffers(1, &ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(indices * 4), nullptr, GL_STATIC_DRAW);
    size_t at_vertex = 0, at_index = 0;
    for (int i = 0; i < count; ++i) {
        MeshBuilder& b = builders[i];
        if (b.index_count == 0) {
            mb_free(&b);
            continue;
        }
        glBufferSubData(GL_ARRAY_BUFFER, (GLintptr)(at_vertex * sizeof(Vertex)),
                        (GLsizeiptr)b.vertex_count * (GLsizeiptr)sizeof(Vertex), b.vertices);
        glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, (GLintptr)(at_index * 4), (GLsizeiptr)b.index_count * 4,
                        b.indices);
        GpuMesh* m = &ranges[i];
        m->vao = vao;
        m->vbo = vbo;
        m->ibo = ibo;
        m->index_count = (uint32_t)b.index_count;
        m->cpu_vertices = b.vertices;
        m->vertex_count = b.vertex_count;
        m->shares_ibo = 1;
        m->pooled = 1;
        m->first_index = (uint32_t)at_index;
        m->base_vertex = (int32_t)at_vertex;
        mesh_bound_sphere(m->cpu_vertices, m->vertex_count, &m->bound_centre, &m->bound_radius);
        at_vertex += (size_t)b.vertex_count;
        at_index += (size_t)b.index_count;
        std::free(b.indices);
        b = MeshBuilder{};
        out[i] = m;
    }
    glBindVertexArray(0);
}

void mesh_destroy(GpuMesh* mesh) {
    if (!mesh) return;
    if (mesh->pooled) {
        // The record and the buffers belong to the pool.
        std::free(mesh->cpu_vertices);
        mesh->cpu_vertices = nullptr;
        mesh->vertex_count = 0;
        mesh->index_count = 0;
        return;
    }
    glDeleteVertexArrays(1, &mesh->vao);
    glDeleteBuffers(1, &mesh->vbo);
    if (!mesh->shares_ibo) glDeleteBuffers(1, &mesh->ibo);
    std::free(mesh->cpu_vertices);
    std::free(mesh);
}

GpuMesh* mesh_clone_dynamic(const GpuMesh* source) {
    if (!source) return nullptr;
    GpuMesh* m = static_cast<GpuMesh*>(std::calloc(1, sizeof(GpuMesh)));
    size_t bytes = sizeof(Vertex) * (size_t)source->vertex_count;
    // The clone owns its own CPU copy: destroying either mesh must not free the other's.
    m->cpu_vertices = static_cast<Vertex*>(std::malloc(bytes ? bytes : 1));
    if (bytes) std::memcpy(m->cpu_vertices, source->cpu_vertices, bytes);
    m->vertex_count = source->vertex_count;
    m->index_count = source->index_count;
    m->ibo = source->ibo;
    m->shares_ibo = 1;
    m->first_index = source->first_index;  // the shared indices count from this clone's own vertex 0
    m->bound_centre = source->bound_centre;
    m->bound_radius = source->bound_radius;
    glGenVertexArrays(1, &m->vao);
    glBindVertexArray(m->vao);
    glGenBuffers(1, &m->vbo);
    glBindBuffer(GL_ARRAY_BUFFER, m->vbo);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)bytes, m->cpu_vertices, GL_DYNAMIC_DRAW);
    bind_vertex_layout();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m->ibo);
    glBindVertexArray(0);
    return m;
}

void mesh_update_vertices(GpuMesh* mesh, const Vertex* vertices, int count) {
    if (!mesh || !vertices || count <= 0) return;
    // Never write past the buffer that was allocated for the mesh.
    assert(count <= mesh->vertex_count);
    if (count > mesh->vertex_count) count = mesh->vertex_count;
    // The renderer culls by the sphere: it follows the vertices (a partial
    // update keeps the old sphere inside the new one).
    Vec3 c;
    float r;
    mesh_bound_sphere(vertices, count, &c, &r);
    if (count < mesh->vertex_count && mesh->bound_radius > 0.0f) {
        const float reach = length(mesh->bound_centre - c) + mesh->bound_radius;
        if (reach > r) r = reach;
    }
    mesh->bound_centre = c;
    mesh->bound_radius = r;
    glBindBuffer(GL_ARRAY_BUFFER, mesh->vbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, (GLsizeiptr)count * (GLsizeiptr)sizeof(Vertex), vertices);
}

void mesh_update_vertices_bounded(GpuMesh* mesh, const Vertex* vertices, int count, Vec3 centre,
                                  float radius) {
    if (!mesh || !vertices || count <= 0 || count != mesh->vertex_count) {
        mesh_update_vertices(mesh, vertices, count);
        return;
    }
    mesh->bound_centre = centre;
    mesh->bound_radius = radius;
    glBindBuffer(GL_ARRAY_BUFFER, mesh->vbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, (GLsizeiptr)count * (GLsizeiptr)sizeof(Vertex), vertices);
}

void mesh_bound_sphere(const Vertex* vertices, int count, Vec3* centre, float* radius) {
    if (!vertices || count <= 0) {
        *centre = {0, 0, 0};
        *radius = 0.0f;
        return;
    }
    Vec3 lo = vertices[0].position, hi = lo;
    for (int i = 1; i < count; ++i) {
        const Vec3 p = vertices[i].position;
        lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
        hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
    }
    const Vec3 c = (lo + hi) * 0.5f;
    float r2 = 0.0f;
    for (int i = 0; i < count; ++i) {
        const Vec3 d = vertices[i].position - c;
        const float k = dot(d, d);
        if (k > r2) r2 = k;
    }
    *centre = c;
    // A hair more than the farthest vertex: the rounding of the sphere test.
    *radius = std::sqrt(r2) * 1.0001f + 1e-4f;
}

float mesh_radius(const GpuMesh* mesh) {
    float r2 = 1.0f;
    if (mesh)
        for (int i = 0; i < mesh->vertex_count; ++i) {
            Vec3 p = mesh->cpu_vertices[i].position;
            float d = dot(p, p);
            if (d > r2) r2 = d;
        }
    return std::sqrt(r2);
}

float draw_distance_for_radius(float radius) {
    return radius >= 3.0f ? DRAW_DISTANCE_FAR : DRAW_DISTANCE_NEAR;
}

int instance_cells_arrange(const Instance* instances, int count, Instance* out, InstanceCell* cells,
                           Vec3 mesh_centre, float mesh_r, float displacement) {
    if (count <= 0) return 0;
    int32_t* kx = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * (size_t)count));
    int32_t* kz = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * (size_t)count));
    int32_t minx = 0, maxx = 0, minz = 0, maxz = 0;
    for (int i = 0; i < count; ++i) {
        const float* m = instances[i].model.m;
        kx[i] = (int32_t)std::floor(m[12] / INSTANCE_CELL_SIZE);
        kz[i] = (int32_t)std::floor(m[14] / INSTANCE_CELL_SIZE);
        if (i == 0 || kx[i] < minx) minx = kx[i];
        if (i == 0 || kx[i] > maxx) maxx = kx[i];
        if (i == 0 || kz[i] < minz) minz = kz[i];
        if (i == 0 || kz[i] > maxz) maxz = kz[i];
    }
    // Stable counting sort on the dense cell key (rows of z, then x).
    int64_t w = (int64_t)maxx - minx + 1, h = (int64_t)maxz - minz + 1;
    int32_t* key = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * (size_t)count));
    int64_t key_count = w * h;
    if (key_count > (int64_t)count * 4 + 4096) {
        // Sparse layout (very spread out instances): rank the distinct cells
        // instead of allocating the whole rectangle.
        int64_t* packed = static_cast<int64_t*>(std::malloc(sizeof(int64_t) * (size_t)count));
        for (int i = 0; i < count; ++i) packed[i] = ((int64_t)(kz[i] - minz) * w) + (kx[i] - minx);
        int64_t* sorted = static_cast<int64_t*>(std::malloc(sizeof(int64_t) * (size_t)count));
        std::memcpy(sorted, packed, sizeof(int64_t) * (size_t)count);
        // Shell sort: only for the rare sparse case.
        for (int gap = count / 2; gap > 0; gap /= 2)
            for (int i = gap; i < count; ++i) {
                int64_t v = sorted[i];
                int j = i;
                while (j >= gap && sorted[j - gap] > v) {
                    sorted[j] = sorted[j - gap];
                    j -= gap;
                }
                sorted[j] = v;
            }
        int distinct = 0;
        for (int i = 0; i < count; ++i)
            if (i == 0 || sorted[i] != sorted[i - 1]) sorted[distinct++] = sorted[i];
        for (int i = 0; i < count; ++i) {
            int lo = 0, hi = distinct - 1;
            while (lo < hi) {
                int mid = (lo + hi) / 2;
                if (sorted[mid] < packed[i]) lo = mid + 1; else hi = mid;
            }
            key[i] = lo;
        }
        key_count = distinct;
        std::free(sorted);
        std::free(packed);
    } else {
        for (int i = 0; i < count; ++i) key[i] = (int32_t)((kz[i] - minz) * w + (kx[i] - minx));
    }
    int32_t* start = static_cast<int32_t*>(std::calloc((size_t)key_count + 1, sizeof(int32_t)));
    for (int i = 0; i < count; ++i) ++start[key[i] + 1];
    for (int64_t k = 0; k < key_count; ++k) start[k + 1] += start[k];
    int32_t* order = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * (size_t)count));
    for (int i = 0; i < count; ++i) order[start[key[i]]++] = i;

    int cell_count = 0;
    for (int i = 0; i < count;) {
        int j = i;
        Vec3 lo = {1e30f, 1e30f, 1e30f}, hi = {-1e30f, -1e30f, -1e30f};
        float reach = 0.0f;
        while (j < count && key[order[j]] == key[order[i]]) {
            const Instance& in = instances[order[j]];
            out[j] = in;
            const float* m = in.model.m;
            lo = {std::fmin(lo.x, m[12]), std::fmin(lo.y, m[13]), std::fmin(lo.z, m[14])};
            hi = {std::fmax(hi.x, m[12]), std::fmax(hi.y, m[13]), std::fmax(hi.z, m[14])};
            float c0 = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
            float c1 = std::sqrt(m[4] * m[4] + m[5] * m[5] + m[6] * m[6]);
            reach = std::fmax(reach, std::fmax(c0, c1));
            ++j;
        }
        InstanceCell& c = cells[cell_count++];
        c.first = i;
        c.count = j - i;
        c.centre_x = (lo.x + hi.x) * 0.5f;
        c.centre_y = (lo.y + hi.y) * 0.5f;
        c.centre_z = (lo.z + hi.z) * 0.5f;
        c.radius = length(hi - lo) * 0.5f + reach;
        // The sphere around the instances' own spheres: a tree stands on its
        // origin, its crown is metres above it.
        if (!(mesh_r > 0.0f)) {
            c.bound_x = c.centre_x;
            c.bound_y = c.centre_y;
            c.bound_z = c.centre_z;
            c.bound_radius = UNBOUNDED_RADIUS;
        } else {
            Vec3 blo = {1e30f, 1e30f, 1e30f}, bhi = {-1e30f, -1e30f, -1e30f};
            for (int k = i; k < j; ++k) {
                Vec3 s;
                const float r = sphere_placed(out[k].model, mesh_centre, mesh_r, &s);
                blo = {std::fmin(blo.x, s.x - r), std::fmin(blo.y, s.y - r), std::fmin(blo.z, s.z - r)};
                bhi = {std::fmax(bhi.x, s.x + r), std::fmax(bhi.y, s.y + r), std::fmax(bhi.z, s.z + r)};
            }
            const Vec3 mid = (blo + bhi) * 0.5f;
            float reach_all = 0.0f;
            for (int k = i; k < j; ++k) {
                Vec3 s;
                const float r = sphere_placed(out[k].model, mesh_centre, mesh_r, &s);
                reach_all = std::fmax(reach_all, length(s - mid) + r);
            }
            c.bound_x = mid.x;
            c.bound_y = mid.y;
            c.bound_z = mid.z;
            c.bound_radius = reach_all * 1.0001f + displacement;
            if (!(c.bound_radius < UNBOUNDED_RADIUS)) c.bound_radius = UNBOUNDED_RADIUS;
        }
        i = j;
    }
    std::free(order);
    std::free(start);
    std::free(key);
    std::free(kz);
    std::free(kx);
    return cell_count;
}

InstanceGroup* instance_group_build(GpuMesh* mesh, Material* material, const Instance* instances,
                                    int count) {
    InstanceGroup* g = static_cast<InstanceGroup*>(std::calloc(1, sizeof(InstanceGroup)));
    g->mesh = mesh;
    g->material = material;
    g->draw_distance = draw_distance_for_radius(mesh_radius(mesh));
    if (count < 0) count = 0;
    g->instance_count = count;
    Instance* sorted = static_cast<Instance*>(std::malloc(sizeof(Instance) * (size_t)(count + 1)));
    InstanceCell* cells =
        static_cast<InstanceCell*>(std::malloc(sizeof(InstanceCell) * (size_t)(count + 1)));
    g->cell_count = instance_cells_arrange(instances, count, sorted, cells, mesh ? mesh->bound_centre : Vec3{},
                                           mesh ? mesh->bound_radius : 0.0f,
                                           mesh && material ? render_vertex_displacement(*material, *mesh) : 0.0f);
    g->cells = static_cast<InstanceCell*>(
        std::realloc(cells, sizeof(InstanceCell) * (size_t)(g->cell_count + 1)));
    glGenBuffers(1, &g->instance_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, g->instance_buffer);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)count * (GLsizeiptr)sizeof(Instance), sorted,
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    std::free(sorted);
    return g;
}
