#pragma once
// Start-up GPU resources: the six programs (scene, two shadow ones, sky,
// post and interface), the shadow map, the texture
// arrays, the font atlas and the interface vertex array. Created once by
// gpu_init and kept for the whole run.
#include <cstdint>

#include "common/mathx.h"
#include "render/shaders.h"

extern ShaderProgram prog_scene;
extern ShaderProgram prog_shadow;
// The shadow program that reads each vertex's item record from a buffer
// texture (0 when the driver refused it: the pass then draws run by run).
extern ShaderProgram prog_shadow_pulled;
extern int gpu_texture_buffer_size;  // most texels of a buffer texture
extern ShaderProgram prog_sky;
extern ShaderProgram prog_post;
extern ShaderProgram prog_ui;

extern uint32_t tex_shadow;      // gpu_shadow_size squared depth, comparison sampling
extern uint32_t fbo_shadow;      // its framebuffer, depth only
extern uint32_t tex_patterns;    // 2D array 256 x 256 x 5, RGBA8 ("u_motifs")
extern uint32_t tex_vegetation;  // 2D array 512 x 512 x 5, RGBA8 ("u_vegetaux")
extern uint32_t tex_font;        // 1024 x 991 red channel ("u_police")
extern uint32_t ui_vao;          // interface vertex array, UiVertex layout
extern uint32_t ui_vbo;          // its buffer (stream usage, filled by the 2D batch)
extern uint32_t empty_vao;       // bound for the full-screen triangles

extern int gpu_max_samples;      // driver's limit as reported
extern int gpu_sample_count;     // chosen: at most 4, 1 below 2
extern int gpu_samples_cap;       // 0, or the most samples a test allows
extern int gpu_shadow_size;      // side of the shadow map: SHADOW_MAP_SIZE unless a test asks less

constexpr int FONT_ATLAS_WIDTH = 1024;
constexpr int FONT_ATLAS_HEIGHT = 991;
constexpr int PATTERN_SIZE = 256;
constexpr int PATTERN_LAYERS = 5;

// Sample count rule: the driver's maximum, used only from 2 up, never above 4.
int gpu_choose_samples(int driver_max);

// Fills the five painted-pattern layers (PATTERN_LAYERS x 256 x 256 RGBA, layer
// after layer, rows from the top).
void patterns_build(uint8_t* out);
// One texel of layer `layer` at column c, row r.
void pattern_texel(int layer, int c, int r, uint8_t out[4]);
// Tileable 2D value noise of the patterns at (x * px, y * py), x and y in [0, 1).
float pattern_noise(float x, float y, int px, int py, uint32_t seed);

// Creates the font atlas texture from pixels (1024 x 991, one byte each), or
// replaces its content; the text code calls it when its atlas is ready.
void gpu_font_atlas_upload(const uint8_t* pixels);

// The interface program, the font atlas and the interface vertex array: all
// the title card needs. gpu_init does it too when it was not done before.
void gpu_init_interface();
void gpu_init();
// Gives the shadow map the side gpu_shadow_size now asks for (a no-op when it
// already has it).
void gpu_fit_shadow_map();
// gpu_sample_count from the driver's limit and gpu_samples_cap.
void gpu_choose_sample_count();

// Fills the whole window with one opaque colour (the title card's ground,
// drawn before any frame of the world); nothing without GL.
void render_clear_screen(Vec3 colour);
