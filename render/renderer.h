#pragma once
// The frame renderer: per-frame draw lists that every subsystem fills, the
// camera, the atmosphere, fire lights, and the projections between world and
// screen. Submitters never talk to OpenGL.
#include <cstddef>
#include <cstdint>

#include "common/mathx.h"
#include "render/mesh.h"

constexpr int MAX_FIRES = 12;
constexpr float CAMERA_NEAR = 0.1f;
constexpr float CAMERA_FAR = 700.0f;
constexpr int SHADOW_MAP_SIZE = 4096;

// One entry of the per-frame draw list.
struct DrawItem {
    const GpuMesh* mesh;
    const Material* material;
    Mat4 model;
    Vec3 tint;
    float w;  // becomes i_col.w (1.0 by default)
};

struct FireLight {
    Vec3 position;  // world metres
    Vec3 colour;    // linear, may exceed 1
    float range;    // <= 0 is sent as 1
};

struct RenderCamera {
    Vec3 eye;
    Vec3 target;
    float fov_degrees;  // vertical
};
extern RenderCamera render_camera;

// Filled every frame by the world submitters. Colours in display space.
struct Atmosphere {
    Vec3 sun_dir;  // unit, towards the sun
    Vec3 sun_colour;
    Vec3 zenith;
    Vec3 horizon;
    Vec3 ground;
    Vec3 fog;
    float fog_density;
    float saturation;
    float contrast;
    float exposure;
    float ao;  // 0.85 at quality 2, else 0
    Vec3 shadow_focus;
    FireLight fires[MAX_FIRES];
    int32_t fire_count;
    float time;  // shader time (game clock)
};
extern Atmosphere atmosphere;

// ---- Submission (between render_begin_frame and render_frame) -------------------
void render_begin_frame();  // empties the draw, group and fire lists
void render_add(const GpuMesh* mesh, const Material* material, const Mat4& model, Vec3 tint);
void render_add_ex(const GpuMesh* mesh, const Material* material, const Mat4& model, Vec3 tint,
                   float w);
void render_add_group(const InstanceGroup* group);
// Appends a fire light while fewer than 12 are listed; false when it was dropped.
bool render_add_fire(Vec3 position, Vec3 colour, float range);

void render_frame();
// Renders the current draw list into the portrait image, then empties the lists.
void render_preview(Vec3 eye, Vec3 target, float fov_degrees, int width, int height);
// The portrait image (RGBA 8-bit texture, 0 before the first preview).
uint32_t render_portrait_texture();
int render_portrait_width();
int render_portrait_height();

// ---- What the player asked of the picture --------------------------------------------
enum ColourVision : int32_t { VISION_NORMAL, VISION_PROTANOPIA, VISION_DEUTERANOPIA, VISION_TRITANOPIA,
                              VISION_MODE_COUNT };
struct ViewSettings {
    int32_t colour_vision;   // ColourVision: the correction applied to the whole picture
    uint8_t screen_flashes;  // 0: no full-screen flash when hit
};
extern ViewSettings view_settings;

// ---- Projections for the current camera and client size --------------------------
// (x, y pixels from the top-left, depth = ndc z); visible when clip w > 0.05.
Vec3 world_to_screen(Vec3 p, bool* visible = nullptr);
// Unit world direction through pixel (x, y); origin receives the eye.
Vec3 screen_ray(float x, float y, Vec3* origin = nullptr);
// False as soon as the sphere lies entirely behind one plane of the view being
// drawn: the camera as it stands now (render_camera at the window's aspect),
// so a submitter culls against this frame's view, never the last one's.
bool sphere_in_frustum(Vec3 centre, float radius);

// ---- Growth of the render and interface arrays ------------------------------------
// realloc, or null when the memory (or the test limit) refuses; the block is
// then unchanged.
void* render_grow(void* block, size_t bytes);
// One log line per list and run (flag in *said) when it stays at its capacity.
void render_note_full(bool* said, const char* what, int capacity);
// Tests: every growth to `bytes` or more fails as if memory ran out (0: none).
void render_limit_growth(size_t bytes);

// ---- Inspection (benchmarks, tests, the debug overlay) -----------------------------
struct RenderStats {
    int draw_calls;       // instanced draws of the last frame, all passes
    int shadow_draws;
    int opaque_draws;
    int transparent_draws;
    int cells_drawn;      // group cells that passed culling (all passes)
    int group_draws;      // draws of instance groups (all passes)
    int shadow_copied_vertices;  // copied on the GPU for the shadow pass's single draw
    float prepare_ms;     // processor time of sorting and uploading the draw list
    float frame_ms;       // processor time of the whole render_frame call
};
const RenderStats& render_stats();
int render_draw_count();
int render_group_count();
const DrawItem* render_draw_list();  // in submission order until render_frame sorts it
int render_sample_count();           // chosen multisample count (1..4)

// ---- GPU time per pass ---------------------------------------------------------------
// Timer queries around each pass, read back GPU_TIMING_LAG frames later and
// only once the driver has them, so the processor never waits. Off by default.
enum GpuPass {
    GPU_PASS_SHADOW,
    GPU_PASS_SKY,
    GPU_PASS_OPAQUE,
    GPU_PASS_TRANSPARENT,
    GPU_PASS_RESOLVE,
    GPU_PASS_POST,
    GPU_PASS_INTERFACE,
    GPU_PASS_COUNT
};
constexpr int GPU_TIMING_LAG = 3;
struct GpuPassTimes {
    double ms[GPU_PASS_COUNT];
    int frames;  // frames summed in ms
};
const char* gpu_pass_name(int pass);  // French name used in the log and the benchmarks
void render_gpu_timing(bool on);
bool render_gpu_timing_on();  // on and supported by the driver
// Logs the average of each pass every `seconds` of the clock (0: never); turns
// the timing on when positive.
void render_gpu_log_every(double seconds);
const GpuPassTimes& render_gpu_totals();  // summed since the last reset or log line
void render_gpu_reset_totals();
// Waits for the GPU and reads every frame still pending (benchmarks and tests).
void render_gpu_collect();
// Used by the renderer and the interface batch.
void gpu_timing_frame_start();
void gpu_pass_begin(int pass);
void gpu_pass_end();

// ---- Graphics quality ("qualite": 0 basse, 1 moyenne, 2 haute) ------------------------
constexpr int LOW_SHADOW_MAP_SIZE = 2048;
struct QualitySettings {
    int shadow_map_size;     // largest side of the shadow map
    int max_samples;         // most samples per pixel, 0 for the driver's choice
    float scene_scale;       // the 3D scene's share of the window's side
    bool ambient_occlusion;  // the world's ambient occlusion is applied
};
const QualitySettings& render_quality_settings(int quality);

// ---- Cheaper frames for tests ---------------------------------------------------------
// Scripted scenes whose pictures no reference compares may draw with a smaller
// shadow map, fewer samples per pixel and the scene (not the interface) at a
// fraction of the window's size: the software renderer then draws a frame
// several times faster. Read by the renderer alone, never by game rules.
// 0 (and a scale of 1) keep the game's own choice.
void render_set_test_economy(int shadow_map_size, int max_samples, float scene_scale);
// For scenes that drive hundreds of frames through menus and look at a few:
// render_frame leaves the 3D passes out (the window is cleared, the lists
// emptied, the camera and the draw list's figures still made); the interface
// is drawn over it as ever.
void render_leave_out_scene(bool on);

// ---- Batching ------------------------------------------------------------------------------
// On by default: runs that give no pixel to a pass are skipped, a group's
// runs of cells are gathered into one draw, meshes that share one buffer and
// one instance record are drawn in one call. Off, every run is drawn on its
// own: tests compare the two pictures.
void render_set_batching(bool on);
// Off, nothing is culled by the view or the sun's box (the draw distance of
// groups stays): tests compare the picture with culling on and off.
void render_set_culling(bool on);
