// The frame renderer: sorts what was submitted, draws the sun shadow map, the
// multisampled scene (sky, opaque, transparent), resolves it and runs the
// post-process into the window. Also the character preview and the
// world/screen projections.
#include "render/renderer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "render/renderer_math.h"
#include "render/render_calls.h"
#include "render/renderer_internal.h"

ViewSettings view_settings = {VISION_NORMAL, 1};
RenderCamera render_camera = {{0.0f, 1.8f, 6.0f}, {0.0f, 1.0f, 0.0f}, 60.0f};

Atmosphere atmosphere = {
    {0.4f, 0.8f, 0.45f},  // sun direction
    {1.0f, 0.93f, 0.8f},  // sun colour
    {0.35f, 0.55f, 0.85f},
    {0.75f, 0.8f, 0.85f},
    {0.3f, 0.32f, 0.25f},
    {0.7f, 0.75f, 0.8f},
    0.002f,  // fog density
    1.0f,    // saturation
    1.0f,    // contrast
    1.0f,    // exposure
    0.0f,    // ambient occlusion
    {0.0f, 0.0f, 0.0f},
    {},
    0,
    0.0f,
};

// ---- The frame's state, shared with render/draw_batching.cpp ---------------------------

namespace renderer_frame {

DrawItem* draws = nullptr;
int draw_count = 0;
const InstanceGroup** groups = nullptr;
int group_count = 0;
GLuint instance_vbo = 0;
RenderStats stats = {};
bool batching_on = true;
bool culling_on = true;
Mat4 cam_vp = mat4_identity();
Mat4 sun_vp = mat4_identity();
Vec3 cam_eye = {0, 0, 0};
Frustum pass_frustum = {};

void count_draw(RenderPass mode) {
    ++stats.draw_calls;
    if (mode == PASS_SHADOW) ++stats.shadow_draws;
    else if (mode == PASS_OPAQUE) ++stats.opaque_draws;
    else ++stats.transparent_draws;
}

void point_instances(GLuint buffer, int first) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    uintptr_t base = (uintptr_t)first * sizeof(Instance);
    for (GLuint k = 0; k < 5; ++k) {
        glEnableVertexAttribArray(3 + k);
        glVertexAttribPointer(3 + k, 4, GL_FLOAT, GL_FALSE, (GLsizei)sizeof(Instance),
                              reinterpret_cast<const void*>(base + k * 16));
        glVertexAttribDivisor(3 + k, 1);
    }
}

void draw_instanced(const GpuMesh* mesh, GLuint buffer, int first, int count, RenderPass mode) {
    if (!mesh || mesh->index_count == 0 || count <= 0) return;
    glBindVertexArray(mesh->vao);
    point_instances(buffer, first);
    const void* offset = reinterpret_cast<const void*>((uintptr_t)mesh->first_index * 4u);
    if (mesh->base_vertex != 0)
        glDrawElementsInstancedBaseVertex(GL_TRIANGLES, (GLsizei)mesh->index_count, GL_UNSIGNED_INT, offset,
                                          count, mesh->base_vertex);
    else
        glDrawElementsInstanced(GL_TRIANGLES, (GLsizei)mesh->index_count, GL_UNSIGNED_INT, offset, count);
    count_draw(mode);
}

}  // namespace renderer_frame

using namespace renderer_frame;

namespace {

using Clock = std::chrono::steady_clock;
inline float ms_since(Clock::time_point t0) {
    return std::chrono::duration<float, std::milli>(Clock::now() - t0).count();
}

int quality_level();

// ---- Per-frame lists ------------------------------------------------------------------

DrawItem* draw_scratch = nullptr;
int draw_cap = 0, scratch_cap = 0, group_cap = 0;
Instance* staging = nullptr;
int staging_cap = 0;
GLsizeiptr instance_vbo_bytes = 0;

// Growth that the memory refuses leaves a list at its capacity: what does not
// fit is dropped, said once in the log, and the frame goes on.
size_t growth_limit = 0;  // tests: growing to this many bytes or more fails
bool full_draws = false, full_groups = false, full_staging = false;


struct GroupRun {
    int first, count;
};
GroupRun* group_runs = nullptr;
int group_run_count = 0, group_run_cap = 0;
bool full_group_runs = false;
GLuint frame_group_vbo = 0;
GLsizeiptr frame_group_bytes = 0;  // storage of the buffer
GLsizeiptr frame_group_used = 0;   // bytes written since the last prepare_draw_list


// ---- Render targets ---------------------------------------------------------------------

struct Targets {
    int width, height, samples;
    GLuint fbo_ms, rb_colour, rb_depth;
    GLuint fbo_resolve, tex_colour, tex_depth;
    GLuint fbo_out, tex_out;  // preview only: the post-processed portrait image
};
Targets main_targets = {};
Targets preview_targets = {};
GLint fire_range_loc[MAX_FIRES];
bool fire_locs_ready = false;

int sample_count() { return gpu_sample_count < 1 ? 1 : gpu_sample_count; }

void delete_targets(Targets& t) {
    if (t.fbo_ms) glDeleteFramebuffers(1, &t.fbo_ms);
    if (t.rb_colour) glDeleteRenderbuffers(1, &t.rb_colour);
    if (t.rb_depth) glDeleteRenderbuffers(1, &t.rb_depth);
    if (t.fbo_resolve) glDeleteFramebuffers(1, &t.fbo_resolve);
    if (t.tex_colour) glDeleteTextures(1, &t.tex_colour);
    if (t.tex_depth) glDeleteTextures(1, &t.tex_depth);
    if (t.fbo_out) glDeleteFramebuffers(1, &t.fbo_out);
    if (t.tex_out) glDeleteTextures(1, &t.tex_out);
    t = Targets{};
}

void build_targets(Targets& t, int w, int h, int min_side, bool with_output) {
    delete_targets(t);
    if (w < min_side) w = min_side;
    if (h < min_side) h = min_side;
    t.width = w;
    t.height = h;
    t.samples = sample_count();
    // A single sample is an ordinary renderbuffer (0 asks for no multisampling).
    GLsizei ms = t.samples >= 2 ? t.samples : 0;

    glGenFramebuffers(1, &t.fbo_ms);
    glBindFramebuffer(GL_FRAMEBUFFER, t.fbo_ms);
    glGenRenderbuffers(1, &t.rb_colour);
    glBindRenderbuffer(GL_RENDERBUFFER, t.rb_colour);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, ms, GL_RGBA16F, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t.rb_colour);
    glGenRenderbuffers(1, &t.rb_depth);
    glBindRenderbuffer(GL_RENDERBUFFER, t.rb_depth);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, ms, GL_DEPTH24_STENCIL8, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, t.rb_depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        log_printf("Tampon MSAA incomplet");

    glGenFramebuffers(1, &t.fbo_resolve);
    glBindFramebuffer(GL_FRAMEBUFFER, t.fbo_resolve);
    glGenTextures(1, &t.tex_colour);
    glBindTexture(GL_TEXTURE_2D, t.tex_colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, w, h, 0, GL_RGBA, GL_HALF_FLOAT, nullptr);
    glGenerateMipmap(GL_TEXTURE_2D);  // allocates the whole chain for the bloom reads
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.tex_colour, 0);
    glGenTextures(1, &t.tex_depth);
    glBindTexture(GL_TEXTURE_2D, t.tex_depth);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8, w, h, 0, GL_DEPTH_STENCIL,
                 GL_UNSIGNED_INT_24_8, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, t.tex_depth, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        log_printf("Tampon résolu incomplet");

    if (with_output) {
        glGenFramebuffers(1, &t.fbo_out);
        glBindFramebuffer(GL_FRAMEBUFFER, t.fbo_out);
        glGenTextures(1, &t.tex_out);
        glBindTexture(GL_TEXTURE_2D, t.tex_out);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.tex_out, 0);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
}

// ---- Draw list preparation ----------------------------------------------------------------

inline bool item_less(const DrawItem& a, const DrawItem& b) {
    if (a.material != b.material) return a.material < b.material;
    return a.mesh < b.mesh;
}

// Stable bottom-up merge sort on (material, mesh): the order of a stable
// insertion sort without its quadratic cost on large lists.
void sort_draws() {
    if (draw_count < 2) return;
    if (scratch_cap < draw_count) {
        void* grown = render_grow(draw_scratch, sizeof(DrawItem) * (size_t)draw_cap);
        if (!grown) {
            // No room to merge: the same order from a stable insertion sort in place.
            for (int i = 1; i < draw_count; ++i) {
                DrawItem item = draws[i];
                int j = i;
                for (; j > 0 && item_less(item, draws[j - 1]); --j) draws[j] = draws[j - 1];
                draws[j] = item;
            }
            return;
        }
        draw_scratch = static_cast<DrawItem*>(grown);
        scratch_cap = draw_cap;
    }
    // Already sorted lists (the common case of a steady scene) cost one pass.
    bool sorted = true;
    for (int i = 1; i < draw_count && sorted; ++i) sorted = !item_less(draws[i], draws[i - 1]);
    if (sorted) return;
    DrawItem* src = draws;
    DrawItem* dst = draw_scratch;
    for (int width = 1; width < draw_count; width *= 2) {
        for (int lo = 0; lo < draw_count; lo += 2 * width) {
            int mid = lo + width < draw_count ? lo + width : draw_count;
            int hi = lo + 2 * width < draw_count ? lo + 2 * width : draw_count;
            int i = lo, j = mid, k = lo;
            while (i < mid && j < hi) dst[k++] = item_less(src[j], src[i]) ? src[j++] : src[i++];
            while (i < mid) dst[k++] = src[i++];
            while (j < hi) dst[k++] = src[j++];
        }
        DrawItem* t = src;
        src = dst;
        dst = t;
    }
    if (src != draws) std::memcpy(draws, src, sizeof(DrawItem) * (size_t)draw_count);
}

void prepare_draw_list() {
    frame_group_used = 0;
    sort_draws();
    if (draw_count == 0) return;
    if (staging_cap < draw_count) {
        void* grown = render_grow(staging, sizeof(Instance) * (size_t)draw_cap);
        if (grown) {
            staging = static_cast<Instance*>(grown);
            staging_cap = draw_cap;
        } else {
            render_note_full(&full_staging, "le tampon d'instances", staging_cap);
            draw_count = staging_cap;  // only what has a record is drawn
            if (draw_count == 0) return;
        }
    }
    for (int i = 0; i < draw_count; ++i) {
        staging[i].model = draws[i].model;
        staging[i].tint = draws[i].tint;
        staging[i].alpha = draws[i].w;
    }
    GLsizeiptr needed = (GLsizeiptr)draw_count * (GLsizeiptr)sizeof(Instance);
    if (instance_vbo == 0) glGenBuffers(1, &instance_vbo);
    glBindBuffer(GL_ARRAY_BUFFER, instance_vbo);
    if (needed > instance_vbo_bytes) {
        instance_vbo_bytes = needed * 2;
        glBufferData(GL_ARRAY_BUFFER, instance_vbo_bytes, nullptr, GL_DYNAMIC_DRAW);
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, needed, staging);
}

// ---- Passes --------------------------------------------------------------------------------

// Most instances of frustum-culled cells a group draw may carry to join two
// visible runs.
constexpr int MAX_BRIDGED_INSTANCES = 2048;

void apply_material(const Material* m) {
    const ShaderProgram& p = prog_scene;
    glUniform3f(p.u[U_TEINTE], m->colour.x, m->colour.y, m->colour.z);
    glUniform4f(p.u[U_BRUIT], m->noise_scale, m->noise_amount,
                m->noise_contrast > 0.0f ? m->noise_contrast : 1.0f, m->noise_on ? 1.0f : 0.0f);
    glUniform4f(p.u[U_LUM], m->light_a, m->light_flag_b ? 1.0f : 0.0f, m->light_flag_c ? 1.0f : 0.0f,
                m->light_flag_d ? 1.0f : 0.0f);
    glUniform3f(p.u[U_EMISSION], m->emission.x, m->emission.y, m->emission.z);
    glUniform1f(p.u[U_ALPHA], m->alpha);
    glUniform1f(p.u[U_RUG], m->roughness);
    glUniform1f(p.u[U_TRANS], m->translucency);
    glUniform1f(p.u[U_DETAIL], m->detail_on ? 1.0f : 0.0f);
    glUniform1f(p.u[U_SURFACE], (float)m->surface_kind);
    glUniform1f(p.u[U_MOUSSE], m->moss);
    glUniform1f(p.u[U_VEGETAL], veg_layer(m));
    glUniform1f(p.u[U_VENT], m->wind);
    glUniform3f(p.u[U_PERSO], m->skin_flag_a ? 1.0f : 0.0f, m->skin_flag_b ? 1.0f : 0.0f,
                m->skin_flag_c ? 1.0f : 0.0f);
    glUniform2f(p.u[U_MOTIF],
                m->pattern_kind >= 1 && m->pattern_kind <= 5 ? (float)(m->pattern_kind - 1) : -1.0f,
                m->pattern_scale > 0.0f ? m->pattern_scale : 6.0f);
    glUniform4f(p.u[U_SOUPLE], m->sway_on ? 1.0f : 0.0f, m->sway_amount,
                m->sway_rate > 0.0f ? m->sway_rate : 1.0f, 0.0f);
    glUniform3f(p.u[U_BALANCE], m->balance.x, m->balance.y, m->balance.z);
    glUniform3f(p.u[U_FLOTTE], m->float_motion.x, m->float_motion.y, m->float_motion.z);
    if (m->double_sided)
        glDisable(GL_CULL_FACE);
    else
        glEnable(GL_CULL_FACE);
}

// ---- Runs of a group gathered into one draw ----------------------------------------------
// The runs of visible cells a group needs in a pass are copied one after the
// other into a buffer of the frame and drawn as one: the same instances in
// the same order, one call. A group with a single run draws from its own
// buffer as before.

void group_runs_clear() { group_run_count = 0; }

void group_runs_flush(const InstanceGroup* grp, RenderPass mode);

// False when the run must be drawn on its own (batching off, or no room to
// remember it: what waits is drawn first, so the order stays).
bool group_run_add(const InstanceGroup* grp, int first, int count, RenderPass mode) {
    if (!batching_on) return false;
    if (group_run_count >= group_run_cap) {
        const int cap = group_run_cap == 0 ? 64 : group_run_cap * 2;
        void* grown = render_grow(group_runs, sizeof(GroupRun) * (size_t)cap);
        if (!grown) {
            render_note_full(&full_group_runs, "la liste des suites de cellules", group_run_cap);
            group_runs_flush(grp, mode);
            return false;
        }
        group_runs = static_cast<GroupRun*>(grown);
        group_run_cap = cap;
    }
    group_runs[group_run_count++] = {first, count};
    return true;
}

void group_runs_flush(const InstanceGroup* grp, RenderPass mode) {
    if (group_run_count == 0) return;
    if (group_run_count == 1) {
        draw_instanced(grp->mesh, grp->instance_buffer, group_runs[0].first, group_runs[0].count, mode);
        ++stats.group_draws;
        group_run_count = 0;
        return;
    }
    GLsizeiptr bytes = 0;
    for (int r = 0; r < group_run_count; ++r) bytes += (GLsizeiptr)group_runs[r].count * (GLsizeiptr)sizeof(Instance);
    if (frame_group_vbo == 0) glGenBuffers(1, &frame_group_vbo);
    glBindBuffer(GL_COPY_WRITE_BUFFER, frame_group_vbo);
    if (frame_group_used == 0 || frame_group_used + bytes > frame_group_bytes) {
        // New storage (at each frame's first copy too): the draws already
        // issued keep reading the old one, nothing waits for them.
        if (frame_group_used + bytes > frame_group_bytes) {
            const GLsizeiptr wanted = (frame_group_used + bytes) * 2;
            frame_group_bytes = wanted > frame_group_bytes * 2 ? wanted : frame_group_bytes * 2;
        }
        glBufferData(GL_COPY_WRITE_BUFFER, frame_group_bytes, nullptr, GL_STREAM_DRAW);
        frame_group_used = 0;
    }
    glBindBuffer(GL_COPY_READ_BUFFER, grp->instance_buffer);
    const GLsizeiptr start = frame_group_used;
    int total = 0;
    for (int r = 0; r < group_run_count; ++r) {
        const GLsizeiptr n = (GLsizeiptr)group_runs[r].count * (GLsizeiptr)sizeof(Instance);
        glCopyBufferSubData(GL_COPY_READ_BUFFER, GL_COPY_WRITE_BUFFER,
                            (GLintptr)group_runs[r].first * (GLintptr)sizeof(Instance),
                            (GLintptr)frame_group_used, n);
        frame_group_used += n;
        total += group_runs[r].count;
    }
    draw_instanced(grp->mesh, frame_group_vbo, (int)(start / (GLsizeiptr)sizeof(Instance)), total, mode);
    ++stats.group_draws;
    group_run_count = 0;
}

bool takes(const Material* m, RenderPass mode) {
    if (!m) return false;
    if (mode == PASS_SHADOW) return render_casts_shadow(*m);
    return mode == PASS_OPAQUE ? render_is_opaque(*m) : !render_is_opaque(*m);
}

void draw_pass(RenderPass mode) {
    if (mode == PASS_SHADOW) {
        // What the shadow pass culls against: the view and the sun's axis.
        view_frustum = frustum_from_matrix(cam_vp);
        sun_axis = safe_direction(atmosphere.sun_dir, {0, 1, 0});
        gather_receivers();
    }
    pass_frustum = frustum_from_matrix(mode == PASS_SHADOW ? sun_vp : cam_vp);
    const bool pulled = mode == PASS_SHADOW && pulling_ready() && draw_pulled_shadows();
    for (int i = 0; i < draw_count;) {
        int j = i + 1;
        while (j < draw_count && draws[j].mesh == draws[i].mesh && draws[j].material == draws[i].material) ++j;
        const Material* m = draws[i].material;
        if (takes(m, mode) && !(pulled && pullable(draws[i])) && run_reaches_pass(i, j, mode)) {
            if (mode == PASS_SHADOW)
                glUniform1f(prog_shadow.u[U_VEGETAL], veg_layer(m));
            else
                apply_material(m);
            const int end = pooled_ranges(i, j);
            if (end > j) {
                draw_ranges(i, end, mode);
                j = end;
            } else {
                draw_instanced(draws[i].mesh, instance_vbo, i, j - i, mode);
            }
        }
        i = j;
    }
    for (int g = 0; g < group_count; ++g) {
        const InstanceGroup* grp = groups[g];
        if (!grp || !takes(grp->material, mode)) continue;
        bool coverage =
            mode == PASS_OPAQUE && grp->material->vegetation_kind >= 1 && grp->material->vegetation_kind <= 5;
        if (mode == PASS_SHADOW)
            glUniform1f(prog_shadow.u[U_VEGETAL], veg_layer(grp->material));
        else
            apply_material(grp->material);
        if (coverage) glEnable(GL_SAMPLE_ALPHA_TO_COVERAGE);
        float limit = mode == PASS_SHADOW ? 1e9f : grp->draw_distance;
        // A run of visible cells goes on across cells outside the frustum:
        // they give no pixel, so one draw replaces several with the same
        // picture. A cell in view but beyond the draw distance ends the run,
        // as does a long gap (its vertices would cost more than the draw
        // saved).
        group_runs_clear();
        int run_first = -1, run_count = 0, gap = 0;
        for (int c = 0; c < grp->cell_count; ++c) {
            const InstanceCell& cell = grp->cells[c];
            const bool in_view = !culling_on || cell_in_frustum(cell, pass_frustum);
            const bool visible = in_view && cell_within_distance(cell, cam_eye, limit);
            if (visible) ++stats.cells_drawn;
            const bool contiguous = run_first >= 0 && run_first + run_count + gap == cell.first;
            if (visible && contiguous) {
                run_count += gap + cell.count;
                gap = 0;
                continue;
            }
            if (!in_view && contiguous && gap + cell.count <= MAX_BRIDGED_INSTANCES) {
                gap += cell.count;
                continue;
            }
            if (run_first >= 0 && !group_run_add(grp, run_first, run_count, mode)) {
                draw_instanced(grp->mesh, grp->instance_buffer, run_first, run_count, mode);
                ++stats.group_draws;
            }
            run_first = visible ? cell.first : -1;
            run_count = visible ? cell.count : 0;
            gap = 0;
        }
        if (run_first >= 0 && !group_run_add(grp, run_first, run_count, mode)) {
            draw_instanced(grp->mesh, grp->instance_buffer, run_first, run_count, mode);
            ++stats.group_draws;
        }
        group_runs_flush(grp, mode);
        if (coverage) glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    }
    glBindVertexArray(0);
}

inline Vec3 lin(Vec3 c) {
    return {std::pow(std::fmax(c.x, 0.0f), 2.2f), std::pow(std::fmax(c.y, 0.0f), 2.2f),
            std::pow(std::fmax(c.z, 0.0f), 2.2f)};
}

void set3(GLint loc, Vec3 v) { glUniform3f(loc, v.x, v.y, v.z); }

void scene_uniforms() {
    const ShaderProgram& p = prog_scene;
    const Atmosphere& a = atmosphere;
    glUseProgram(p.program);
    glUniformMatrix4fv(p.u[U_VP], 1, GL_FALSE, cam_vp.m);
    glUniformMatrix4fv(p.u[U_OMBRE_VP], 1, GL_FALSE, sun_vp.m);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tex_shadow);
    glUniform1i(p.u[U_CARTE_OMBRE], 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D_ARRAY, tex_patterns);
    glUniform1i(p.u[U_MOTIFS], 1);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D_ARRAY, tex_vegetation);
    glUniform1i(p.u[U_VEGETAUX], 2);
    glActiveTexture(GL_TEXTURE0);
    set3(p.u[U_SOLEIL_DIR], safe_direction(a.sun_dir, {0, 1, 0}));
    set3(p.u[U_SOLEIL_COL], lin(a.sun_colour) * 1.9f);
    set3(p.u[U_CIEL], lin(a.zenith + (a.horizon - a.zenith) * 0.45f) * 0.85f);
    set3(p.u[U_SOL], lin(a.ground) * 0.7f);
    set3(p.u[U_BRUME], lin(a.fog));
    set3(p.u[U_CAM], cam_eye);
    glUniform1f(p.u[U_BRUME_DENS], a.fog_density);
    glUniform1f(p.u[U_TEMPS], a.time);
    int fires = a.fire_count < 0 ? 0 : (a.fire_count > MAX_FIRES ? MAX_FIRES : a.fire_count);
    float pos[MAX_FIRES * 3] = {}, col[MAX_FIRES * 3] = {};
    for (int i = 0; i < fires; ++i) {
        std::memcpy(pos + i * 3, &a.fires[i].position, sizeof(Vec3));
        std::memcpy(col + i * 3, &a.fires[i].colour, sizeof(Vec3));
    }
    glUniform3fv(p.u[U_FEUX_POS], MAX_FIRES, pos);
    glUniform3fv(p.u[U_FEUX_COL], MAX_FIRES, col);
    if (!fire_locs_ready) {
        for (int i = 0; i < MAX_FIRES; ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), "u_feux_portee[%d]", i);
            fire_range_loc[i] = glGetUniformLocation(p.program, name);
        }
        fire_locs_ready = true;
    }
    for (int i = 0; i < MAX_FIRES; ++i) {
        float r = i < fires ? a.fires[i].range : 1.0f;
        glUniform1f(fire_range_loc[i], r > 0.0f ? r : 1.0f);
    }
    glUniform1i(p.u[U_NB_FEUX], fires);
}

void post_process(const Targets& t, GLuint target_fbo, int vw, int vh, float fov_deg, bool portrait) {
    glBindFramebuffer(GL_FRAMEBUFFER, target_fbo);
    glViewport(0, 0, vw, vh);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    const ShaderProgram& p = prog_post;
    glUseProgram(p.program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, t.tex_colour);
    glGenerateMipmap(GL_TEXTURE_2D);
    glUniform1i(p.u[U_IMAGE], 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, t.tex_depth);
    glUniform1i(p.u[U_PROF], 1);
    glActiveTexture(GL_TEXTURE0);
    float th = std::tan(fov_deg * PI / 180.0f * 0.5f);
    float aspect = (float)t.width / (float)t.height;
    glUniform4f(p.u[U_PROJ], th * aspect, th, CAMERA_NEAR, CAMERA_FAR);
    glUniform2f(p.u[U_TEXEL], 1.0f / (float)t.width, 1.0f / (float)t.height);
    glUniform1f(p.u[U_AO], render_quality_settings(quality_level()).ambient_occlusion ? atmosphere.ao : 0.0f);
    glUniform1f(p.u[U_EXPO], atmosphere.exposure);
    glUniform1f(p.u[U_SAT], atmosphere.saturation);
    glUniform1f(p.u[U_CONTRASTE], atmosphere.contrast);
    glUniform1f(p.u[U_PORTRAIT], portrait ? 1.0f : 0.0f);
    float vision[9];
    colour_vision_matrix(view_settings.colour_vision, vision);
    glUniformMatrix3fv(p.u[U_VISION], 1, GL_FALSE, vision);
    glBindVertexArray(empty_vao);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    if (portrait) glUniform1f(p.u[U_PORTRAIT], 0.0f);
}

void set_camera(Vec3 eye, Vec3 target, float fov_deg, int w, int h) {
    cam_eye = eye;
    cam_vp = camera_matrix(eye, target, fov_deg, (float)w / (float)h);
    sun_vp = sun_matrix(atmosphere.shadow_focus, atmosphere.sun_dir, gpu_shadow_size);
}

void clear_lists() {
    draw_count = 0;
    group_count = 0;
}

int render_width() { return plat_input.client_width > 1 ? plat_input.client_width : 1; }
int render_height() { return plat_input.client_height > 1 ? plat_input.client_height : 1; }

// What a test asked for (0: the game's own choice).
float economy_scale = 1.0f;
bool scene_left_out = false;  // render_leave_out_scene
int economy_shadow = 0, economy_samples = 0;
float scene_scale = 1.0f;
int scene_side(int window_side) {
    if (scene_scale >= 1.0f) return window_side;
    const int side = (int)((float)window_side * scene_scale + 0.5f);
    return side > 16 ? side : 16;
}

int quality_level() {
    const int q = render_calls.quality_level();
    return q < 0 ? 0 : (q > 2 ? 2 : q);
}

// The quality option and a test's economy choose the shadow map, the samples
// per pixel and the scene's share of the window; the targets and the shadow
// map follow at the frame that uses them.
void apply_quality() {
    const QualitySettings& qs = render_quality_settings(quality_level());
    int shadow = economy_shadow > 0 ? economy_shadow : SHADOW_MAP_SIZE;
    if (shadow > qs.shadow_map_size) shadow = qs.shadow_map_size;
    int samples = economy_samples;
    if (qs.max_samples > 0 && (samples == 0 || samples > qs.max_samples)) samples = qs.max_samples;
    gpu_shadow_size = shadow;
    scene_scale = economy_scale < qs.scene_scale ? economy_scale : qs.scene_scale;
    if (samples != gpu_samples_cap) {
        gpu_samples_cap = samples;
        if (gpu_max_samples > 0) gpu_choose_sample_count();
    }
}

}  // namespace

// ---- Growth ----------------------------------------------------------------------------------

void* render_grow(void* block, size_t bytes) {
    if (growth_limit > 0 && bytes >= growth_limit) return nullptr;
    return std::realloc(block, bytes);
}

void render_note_full(bool* said, const char* what, int capacity) {
    if (*said) return;
    *said = true;
    log_printf("Mémoire insuffisante : %s reste à %d éléments, le reste n'est pas dessiné.", what, capacity);
}

void render_limit_growth(size_t bytes) {
    growth_limit = bytes;
    full_draws = full_groups = full_staging = false;
}

// ---- Submission ------------------------------------------------------------------------------

void render_begin_frame() {
    clear_lists();
    atmosphere.fire_count = 0;
}

void render_add_ex(const GpuMesh* mesh, const Material* material, const Mat4& model, Vec3 tint, float w) {
    if (!mesh || !material) return;
    if (draw_count >= draw_cap) {
        const int cap = draw_cap == 0 ? 64 : draw_cap * 2;
        void* grown = render_grow(draws, sizeof(DrawItem) * (size_t)cap);
        if (!grown) {
            render_note_full(&full_draws, "la liste de dessin", draw_cap);
            return;
        }
        draws = static_cast<DrawItem*>(grown);
        draw_cap = cap;
    }
    draws[draw_count++] = {mesh, material, model, tint, w};
}

void render_add(const GpuMesh* mesh, const Material* material, const Mat4& model, Vec3 tint) {
    render_add_ex(mesh, material, model, tint, 1.0f);
}

void render_add_group(const InstanceGroup* group) {
    if (!group) return;
    if (group_count >= group_cap) {
        const int cap = group_cap == 0 ? 64 : group_cap * 2;
        void* grown = render_grow(groups, sizeof(InstanceGroup*) * (size_t)cap);
        if (!grown) {
            render_note_full(&full_groups, "la liste des groupes", group_cap);
            return;
        }
        groups = static_cast<const InstanceGroup**>(grown);
        group_cap = cap;
    }
    groups[group_count++] = group;
}

bool render_add_fire(Vec3 position, Vec3 colour, float range) {
    if (atmosphere.fire_count < 0) atmosphere.fire_count = 0;
    if (atmosphere.fire_count >= MAX_FIRES) return false;
    atmosphere.fires[atmosphere.fire_count++] = {position, colour, range};
    return true;
}

// ---- Frame -------------------------------------------------------------------------------------

void render_frame() {
    const Clock::time_point frame_start = Clock::now();
    stats = RenderStats{};
    if (prog_scene.program == 0) {  // no GPU set-up (tools, unit tests)
        clear_lists();
        return;
    }
    // The scene may be drawn smaller than the window: the post-process
    // stretches it, the interface stays sharp.
    apply_quality();
    const int w = scene_side(render_width()), h = scene_side(render_height());
    gpu_fit_shadow_map();
    if (main_targets.fbo_ms == 0 || main_targets.width != w || main_targets.height != h ||
        main_targets.samples != sample_count())
        build_targets(main_targets, w, h, 1, false);

    set_camera(render_camera.eye, render_camera.target, render_camera.fov_degrees, render_width(),
               render_height());
    const Clock::time_point prepare_start = Clock::now();
    prepare_draw_list();
    stats.prepare_ms = ms_since(prepare_start);
    if (scene_left_out) {
        glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
        glViewport(0, 0, plat_input.client_width, plat_input.client_height);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        clear_lists();
        portrait_shown = false;
        stats.frame_ms = ms_since(frame_start);
        return;
    }
    gpu_timing_frame_start();

    // Shadow pass.
    gpu_pass_begin(GPU_PASS_SHADOW);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_shadow);
    glViewport(0, 0, gpu_shadow_size, gpu_shadow_size);
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.5f, 3.0f);
    glUseProgram(prog_shadow.program);
    glUniformMatrix4fv(prog_shadow.u[U_VP], 1, GL_FALSE, sun_vp.m);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D_ARRAY, tex_vegetation);
    glUniform1i(prog_shadow.u[U_VEGETAUX], 2);
    glActiveTexture(GL_TEXTURE0);
    draw_pass(PASS_SHADOW);
    glDisable(GL_POLYGON_OFFSET_FILL);

    // Scene (its clear counts with the sky).
    gpu_pass_begin(GPU_PASS_SKY);
    glBindFramebuffer(GL_FRAMEBUFFER, main_targets.fbo_ms);
    glViewport(0, 0, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Sky.
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    {
        const ShaderProgram& p = prog_sky;
        const Atmosphere& a = atmosphere;
        glUseProgram(p.program);
        Mat4 inv = mat4_inverse(cam_vp);
        glUniformMatrix4fv(p.u[U_INV_VP], 1, GL_FALSE, inv.m);
        set3(p.u[U_CAM], cam_eye);
        set3(p.u[U_HAUT], lin(a.zenith));
        set3(p.u[U_HORIZON], lin(a.horizon));
        set3(p.u[U_SOL], lin(a.ground));
        set3(p.u[U_SOLEIL_DIR], safe_direction(a.sun_dir, {0, 1, 0}));
        set3(p.u[U_SOLEIL_COL], lin(a.sun_colour));
        glUniform1f(p.u[U_TEMPS], a.time);
        set3(p.u[U_BRUME], lin(a.fog));
        glBindVertexArray(empty_vao);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        glBindVertexArray(0);
    }

    // Opaque.
    gpu_pass_begin(GPU_PASS_OPAQUE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    scene_uniforms();
    draw_pass(PASS_OPAQUE);

    // Transparent.
    gpu_pass_begin(GPU_PASS_TRANSPARENT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    draw_pass(PASS_TRANSPARENT);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);

    // Resolve: colour, then depth.
    gpu_pass_begin(GPU_PASS_RESOLVE);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, main_targets.fbo_ms);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, main_targets.fbo_resolve);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_DEPTH_BUFFER_BIT, GL_NEAREST);

    gpu_pass_begin(GPU_PASS_POST);
    post_process(main_targets, plat_window_framebuffer(), plat_input.client_width,
                 plat_input.client_height, render_camera.fov_degrees, false);
    gpu_pass_end();
    portrait_shown = false;
    stats.frame_ms = ms_since(frame_start);
}

void render_preview(Vec3 eye, Vec3 target, float fov_degrees, int width, int height) {
    if (prog_scene.program == 0) {
        clear_lists();
        return;
    }
    int w = width < 16 ? 16 : width, h = height < 16 ? 16 : height;
    portrait_shown = true;
    apply_quality();
    if (preview_targets.fbo_ms == 0 || preview_targets.width != w || preview_targets.height != h ||
        preview_targets.samples != sample_count())
        build_targets(preview_targets, w, h, 16, true);
    set_camera(eye, target, fov_degrees, w, h);
    prepare_draw_list();
    glBindFramebuffer(GL_FRAMEBUFFER, preview_targets.fbo_ms);
    glViewport(0, 0, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    scene_uniforms();
    draw_pass(PASS_OPAQUE);
    glDisable(GL_CULL_FACE);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, preview_targets.fbo_ms);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, preview_targets.fbo_resolve);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    post_process(preview_targets, preview_targets.fbo_out, w, h, fov_degrees, true);
    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
    clear_lists();
}

uint32_t render_portrait_texture() { return preview_targets.tex_out; }
int render_portrait_width() { return preview_targets.width; }
int render_portrait_height() { return preview_targets.height; }

// ---- Projections ---------------------------------------------------------------------------------

Vec3 world_to_screen(Vec3 p, bool* visible) {
    const int w = plat_input.client_width, h = plat_input.client_height;
    float aspect = (float)(w > 1 ? w : 1) / (float)(h > 1 ? h : 1);
    Mat4 vp = camera_matrix(render_camera.eye, render_camera.target, render_camera.fov_degrees, aspect);
    return project_to_screen(vp, p, (float)w, (float)h, visible);
}

Vec3 screen_ray(float x, float y, Vec3* origin) {
    const int w = plat_input.client_width, h = plat_input.client_height;
    return camera_ray(render_camera.eye, render_camera.target, render_camera.fov_degrees,
                      (float)(w > 1 ? w : 1), (float)(h > 1 ? h : 1), x, y, origin);
}

bool sphere_in_frustum(Vec3 centre, float radius) {
    if (!culling_on) return true;
    // Made again only when the camera or the window changed since the last call.
    static RenderCamera seen = {};
    static int seen_w = 0, seen_h = 0;
    static Frustum view = {};
    const int w = render_width(), h = render_height();
    if (std::memcmp(&seen, &render_camera, sizeof seen) != 0 || w != seen_w || h != seen_h) {
        seen = render_camera;
        seen_w = w;
        seen_h = h;
        view = frustum_from_matrix(
            camera_matrix(render_camera.eye, render_camera.target, render_camera.fov_degrees, (float)w / (float)h));
    }
    return frustum_sphere(view, centre, radius);
}

// ---- Inspection --------------------------------------------------------------------------------------

const RenderStats& render_stats() { return stats; }
int render_draw_count() { return draw_count; }
int render_group_count() { return group_count; }
const DrawItem* render_draw_list() { return draws; }
int render_sample_count() { return gpu_sample_count; }

void render_set_test_economy(int shadow_map_size, int max_samples, float scene_scale_) {
    economy_scale = scene_scale_ > 0.0f && scene_scale_ < 1.0f ? scene_scale_ : 1.0f;
    economy_shadow = shadow_map_size > 0 ? shadow_map_size : 0;
    economy_samples = max_samples > 0 ? max_samples : 0;
    // After start-up the choice is made again from the driver's limit; the
    // shadow map and the targets follow at the next frame.
    apply_quality();
    if (gpu_max_samples > 0) gpu_choose_sample_count();
}

void render_leave_out_scene(bool on) { scene_left_out = on; }

void render_set_batching(bool on) { batching_on = on; }
void render_set_culling(bool on) { culling_on = on; }

const QualitySettings& render_quality_settings(int quality) {
    // "moyenne" and "haute" differ only by the ambient occlusion the world
    // asks for; "basse" gives up what the software renderer pays most for.
    static const QualitySettings table[3] = {
        {LOW_SHADOW_MAP_SIZE, 1, 1.0f, false},
        {SHADOW_MAP_SIZE, 0, 1.0f, true},
        {SHADOW_MAP_SIZE, 0, 1.0f, true},
    };
    return table[quality < 0 ? 0 : (quality > 2 ? 2 : quality)];
}
