#pragma once
// The renderer's pure geometry: camera and sun matrices, frustum planes,
// culling rules and projections. No GL here, so it is checked on its own.
#include "common/mathx.h"
#include "render/mesh.h"

struct Frustum {
    Vec4 planes[6];  // (normal, d): inside when dot(normal, p) + d >= 0
};

constexpr float SHADOW_EXTENT = 100.0f;  // metres covered by the shadow map
constexpr float SHADOW_TEXEL = SHADOW_EXTENT / 4096.0f;  // of the full-size map

// Row 4 +/- rows 1..3 of the matrix, each normalised when longer than 1e-6.
Frustum frustum_from_matrix(const Mat4& m);
// False as soon as the sphere lies entirely behind one plane.
bool frustum_sphere(const Frustum& f, Vec3 centre, float radius);
// A cell touches the frustum when the sphere around its meshes does.
bool cell_in_frustum(const InstanceCell& cell, const Frustum& f);
// Its horizontal distance from the eye minus its radius is below the limit.
bool cell_within_distance(const InstanceCell& cell, Vec3 eye, float limit);
// A cell is drawn when its horizontal distance from the eye minus its radius
// is below the limit and the sphere around its meshes touches the frustum.
bool cell_visible(const InstanceCell& cell, Vec3 eye, float limit, const Frustum& f);

// Opaque means alpha of at least 0.999; only opaque, lit materials that do not
// opt out cast shadows.
bool render_is_opaque(const Material& m);
bool render_casts_shadow(const Material& m);
// A sphere of a mesh's own space where the model matrix puts it (the widest
// axis scale grows the radius); returns the radius.
float sphere_placed(const Mat4& model, Vec3 centre, float radius, Vec3* placed);
// The farthest the scene program's vertex stage moves a vertex of the mesh
// drawn with the material (swaying cloth, wind in the leaves), in metres.
float render_vertex_displacement(const Material& m, const GpuMesh& mesh);

// v normalised, or fallback when its length is below 1e-9.
Vec3 safe_direction(Vec3 v, Vec3 fallback);
// Look-at with up (0, 1, 0) that stays finite for a zero-length or vertical view.
Mat4 look_at_safe(Vec3 eye, Vec3 target);
// The colour correction of a mode (column-major 3 x 3, for glUniformMatrix3fv):
// the identity for normal vision, else a daltonization that moves what that
// eye loses into the channels it still tells apart.
void colour_vision_matrix(int mode, float out[9]);
// What an eye of that kind sees of a display colour (0..1), for checks.
Vec3 colour_vision_simulate(int mode, Vec3 rgb);
// Perspective (vertical fov in degrees, CAMERA_NEAR to CAMERA_FAR) times the view.
Mat4 camera_matrix(Vec3 eye, Vec3 target, float fov_degrees, float aspect);
// The sun's orthographic 100 x 100 m view around the focus, from 80 m towards
// the sun, with the light-space centre snapped down to whole texels of the
// map in use (map_size texels a side), so that shadows stand still on the
// ground as the focus moves.
Mat4 sun_matrix(Vec3 focus, Vec3 sun_dir, int map_size = 4096);
// (x, y pixels from the top-left, ndc depth); visible when clip w > 0.05.
Vec3 project_to_screen(const Mat4& vp, Vec3 p, float width, float height, bool* visible);
// Unit direction through pixel (x, y).
Vec3 camera_ray(Vec3 eye, Vec3 target, float fov_degrees, float width, float height, float x, float y,
                Vec3* origin);
