#pragma once
// The frame's state that the renderer's files share: the sorted draw list and
// the groups of the frame, its matrices, and the batching and culling of its
// passes (render/draw_batching.cpp). Not for use outside render/.
#include "render/gl_api.h"
#include "render/renderer.h"
#include "render/renderer_math.h"

namespace renderer_frame {

extern DrawItem* draws;
extern int draw_count;
extern const InstanceGroup** groups;
extern int group_count;
extern GLuint instance_vbo;  // the frame's instance records, one per draw item
extern RenderStats stats;
// Off: every run of the draw list and of a group is its own draw, as a check
// that the batching leaves the picture unchanged.
extern bool batching_on;
// Off: nothing is culled by a frustum, as a check that culling leaves the
// picture unchanged.
extern bool culling_on;
extern Mat4 cam_vp, sun_vp;
extern Vec3 cam_eye;
extern Frustum pass_frustum;  // of the pass being drawn
extern Frustum view_frustum;  // of the camera, for the shadow pass's culling
extern Vec3 sun_axis;
// The portrait is drawn before the frame with the map of the frame before:
// while it is shown the map keeps every caster in the sun's box.
extern bool portrait_shown;

inline float veg_layer(const Material* m) {
    return m->vegetation_kind >= 1 && m->vegetation_kind <= 5 ? (float)(m->vegetation_kind - 1) : -1.0f;
}
// The scene's passes, in the order a frame draws them.
enum RenderPass : int { PASS_SHADOW = 0, PASS_OPAQUE = 1, PASS_TRANSPARENT = 2 };

// One draw call of a pass in the stats.
void count_draw(RenderPass mode);
void point_instances(GLuint buffer, int first);
void draw_instanced(const GpuMesh* mesh, GLuint buffer, int first, int count, RenderPass mode);

// Culling (mode 0 shadow, 1 opaque, 2 transparent).
void gather_receivers();  // before the shadow pass
bool item_reaches_pass(const DrawItem& d, RenderPass mode);
bool run_reaches_pass(int first, int end, RenderPass mode);
// Pooled ranges of one material in one multi-draw.
int pooled_ranges(int first, int end);
void draw_ranges(int first, int end, RenderPass mode);
// Every shadow caster in one draw.
bool pullable(const DrawItem& d);
bool pulling_ready();
bool draw_pulled_shadows();

}  // namespace renderer_frame
