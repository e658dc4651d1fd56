// Camera, sun and culling geometry of the frame renderer.
#include "render/renderer_math.h"

#include <cmath>

#include "render/renderer.h"

Frustum frustum_from_matrix(const Mat4& m) {
    auto row = [&](int r) { return Vec4{m.m[0 * 4 + r], m.m[1 * 4 + r], m.m[2 * 4 + r], m.m[3 * 4 + r]}; };
    Vec4 r3 = row(3);
    Frustum f;
    for (int i = 0; i < 3; ++i) {
        Vec4 r = row(i);
        f.planes[i * 2] = {r3.x + r.x, r3.y + r.y, r3.z + r.z, r3.w + r.w};
        f.planes[i * 2 + 1] = {r3.x - r.x, r3.y - r.y, r3.z - r.z, r3.w - r.w};
    }
    for (Vec4& p : f.planes) {
        float len = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        if (len > 1e-6f) p = {p.x / len, p.y / len, p.z / len, p.w / len};
    }
    return f;
}

bool frustum_sphere(const Frustum& f, Vec3 c, float radius) {
    for (const Vec4& p : f.planes)
        if (p.x * c.x + p.y * c.y + p.z * c.z + p.w < -radius) return false;
    return true;
}

bool cell_in_frustum(const InstanceCell& cell, const Frustum& f) {
    return frustum_sphere(f, {cell.bound_x, cell.bound_y, cell.bound_z}, cell.bound_radius);
}

bool cell_within_distance(const InstanceCell& cell, Vec3 eye, float limit) {
    float dx = cell.centre_x - eye.x, dz = cell.centre_z - eye.z;
    return std::sqrt(dx * dx + dz * dz) - cell.radius < limit;
}

bool cell_visible(const InstanceCell& cell, Vec3 eye, float limit, const Frustum& f) {
    return cell_within_distance(cell, eye, limit) && cell_in_frustum(cell, f);
}

float sphere_placed(const Mat4& model, Vec3 centre, float radius, Vec3* placed) {
    const float* a = model.m;
    const float sx = a[0] * a[0] + a[1] * a[1] + a[2] * a[2];
    const float sy = a[4] * a[4] + a[5] * a[5] + a[6] * a[6];
    const float sz = a[8] * a[8] + a[9] * a[9] + a[10] * a[10];
    *placed = mat4_mul_point(model, centre);
    return radius * std::sqrt(std::fmax(sx, std::fmax(sy, sz))) * 1.0001f;
}

float render_vertex_displacement(const Material& m, const GpuMesh& mesh) {
    float extra = 0.0f;
    if (m.sway_on) extra += length(m.balance) + length(m.float_motion);
    if (m.vegetation_kind >= 1 && m.vegetation_kind <= 5) {
        // The wind moves a vertex by up to 1.4 x wind x its height along
        // x and along z: under twice that in all.
        const float top = std::fabs(mesh.bound_centre.y) + mesh.bound_radius;
        extra += std::fabs(m.wind) * top * 2.0f;
    }
    return extra;
}

bool render_is_opaque(const Material& m) { return m.alpha >= 0.999f; }

bool render_casts_shadow(const Material& m) {
    return !m.no_shadow && !m.light_flag_b && render_is_opaque(m);
}

Vec3 safe_direction(Vec3 v, Vec3 fallback) {
    float len = length(v);
    return len >= 1e-9f ? v * (1.0f / len) : fallback;
}

Mat4 look_at_safe(Vec3 eye, Vec3 target) {
    Vec3 f = safe_direction(target - eye, {0, 0, -1});
    Vec3 s = cross(f, {0, 1, 0});
    // Looking straight up or down: any horizontal side axis will do.
    s = safe_direction(s, {1, 0, 0});
    return mat4_view_from_axes(eye, s, cross(s, f), f);
}

Mat4 camera_matrix(Vec3 eye, Vec3 target, float fov_degrees, float aspect) {
    if (!(aspect > 0.0f)) aspect = 1.0f;
    Mat4 proj = mat4_perspective(fov_degrees * PI / 180.0f, aspect, CAMERA_NEAR, CAMERA_FAR);
    return proj * look_at_safe(eye, target);
}

Mat4 sun_matrix(Vec3 focus, Vec3 sun_dir, int map_size) {
    Vec3 dir = safe_direction(sun_dir, {0, 1, 0});
    // Orientation only: the focus keeps its light-space position, which is
    // snapped so the map moves in whole texels and does not shimmer.
    Mat4 rot = look_at_safe({0, 0, 0}, -dir);
    Vec3 fl = mat4_mul_point(rot, focus);
    const float texel = SHADOW_EXTENT / (float)(map_size > 0 ? map_size : 4096);
    float sx = std::floor(fl.x / texel) * texel;
    float sy = std::floor(fl.y / texel) * texel;
    // The eye sits 80 m from the focus towards the sun.
    Mat4 view = mat4_translate({-sx, -sy, -(fl.z + 80.0f)}) * rot;
    const float h = SHADOW_EXTENT * 0.5f;
    return mat4_ortho(-h, h, -h, h, 1.0f, 200.0f) * view;
}

Vec3 project_to_screen(const Mat4& vp, Vec3 p, float width, float height, bool* visible) {
    Vec4 c = mat4_mul_vec4(vp, {p.x, p.y, p.z, 1.0f});
    if (visible) *visible = c.w > 0.05f;
    float w = c.w < 0.05f ? 0.05f : c.w;
    float nx = c.x / w, ny = c.y / w, nz = c.z / w;
    return {(nx * 0.5f + 0.5f) * width, (0.5f - ny * 0.5f) * height, nz};
}

Vec3 camera_ray(Vec3 eye, Vec3 target, float fov_degrees, float width, float height, float x, float y,
                Vec3* origin) {
    if (origin) *origin = eye;
    Vec3 f = safe_direction(target - eye, {0, 0, -1});
    Vec3 s = safe_direction(cross(f, {0, 1, 0}), {1, 0, 0});
    Vec3 u = cross(s, f);
    float th = std::tan(fov_degrees * PI / 180.0f * 0.5f);
    float aspect = height > 0.0f ? width / height : 1.0f;
    float nx = (x / width) * 2.0f - 1.0f;
    float ny = 1.0f - (y / height) * 2.0f;
    return normalize(f + s * (nx * th * aspect) + u * (ny * th));
}
