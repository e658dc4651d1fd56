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

// ---- Colour vision ----------------------------------------------------------------
// Daltonization after Fidaner, Lin and Ozguven, "Analysis of Color Blindness"
// (2005): display RGB to LMS cone responses and back, the dichromat's
// simulation in LMS (their protanope, deuteranope and tritanope rows), and
// the error of that simulation spread into the channels the eye still sees.
namespace {
using M3 = float[3][3];
const M3 RGB_TO_LMS = {{17.8824f, 43.5161f, 4.11935f}, {3.45565f, 27.1554f, 3.86714f},
                       {0.0299566f, 0.184309f, 1.46709f}};
const M3 LMS_TO_RGB = {{0.0809444479f, -0.130504409f, 0.116721066f},
                       {-0.0102485335f, 0.0540193266f, -0.113614708f},
                       {-0.000365296938f, -0.00412161469f, 0.693511405f}};
const M3 DICHROMAT[VISION_MODE_COUNT] = {
    {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
    {{0, 2.02344f, -2.52581f}, {0, 1, 0}, {0, 0, 1}},
    {{1, 0, 0}, {0.494207f, 0, 1.24827f}, {0, 0, 1}},
    {{1, 0, 0}, {0, 1, 0}, {-0.395913f, 0.801109f, 0}},
};
// Where the lost difference goes: their protanope's shift (the red error into
// green and blue), and the same rule for the channel each other eye loses.
const M3 ERROR_SHIFT[VISION_MODE_COUNT] = {
    {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {{0, 0, 0}, {0.7f, 1, 0}, {0.7f, 0, 1}},
    {{1, 0.7f, 0}, {0, 0, 0}, {0, 0.7f, 1}},
    {{1, 0, 0.7f}, {0, 1, 0.7f}, {0, 0, 0}},
};

void multiply(const M3 a, const M3 b, M3 out) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
}
int vision_mode(int mode) { return mode < 0 || mode >= VISION_MODE_COUNT ? VISION_NORMAL : mode; }
void simulation(int mode, M3 out) {
    M3 t;
    multiply(DICHROMAT[vision_mode(mode)], RGB_TO_LMS, t);
    multiply(LMS_TO_RGB, t, out);
}
}  // namespace

Vec3 colour_vision_simulate(int mode, Vec3 c) {
    if (vision_mode(mode) == VISION_NORMAL) return c;
    M3 s;
    simulation(mode, s);
    return {s[0][0] * c.x + s[0][1] * c.y + s[0][2] * c.z, s[1][0] * c.x + s[1][1] * c.y + s[1][2] * c.z,
            s[2][0] * c.x + s[2][1] * c.y + s[2][2] * c.z};
}

void colour_vision_matrix(int mode, float out[9]) {
    M3 m = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    if (vision_mode(mode) != VISION_NORMAL) {
        // c + E (c - S c) = (I + E (I - S)) c
        M3 s, lost, shifted;
        simulation(mode, s);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) lost[r][c] = (r == c ? 1.0f : 0.0f) - s[r][c];
        multiply(ERROR_SHIFT[vision_mode(mode)], lost, shifted);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m[r][c] += shifted[r][c];
    }
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) out[c * 3 + r] = m[r][c];
}
