// Start-up GPU resources: the five programs, the shadow map, the painted
// patterns, the vegetation images, the font atlas and the interface vertex
// array. Built once; never rebuilt, not even on resize.
#include "render/gpu.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "render/font_atlas.h"
#include "render/gl_api.h"
#include "render/renderer.h"
#include "render/mesh.h"
#include "render/vegetation_images.h"

ShaderProgram prog_scene;
ShaderProgram prog_shadow;
ShaderProgram prog_shadow_pulled;
int gpu_texture_buffer_size = 0;
ShaderProgram prog_sky;
ShaderProgram prog_post;
ShaderProgram prog_ui;

uint32_t tex_shadow = 0;
uint32_t fbo_shadow = 0;
uint32_t tex_patterns = 0;
uint32_t tex_vegetation = 0;
uint32_t tex_font = 0;
uint32_t ui_vao = 0;
uint32_t ui_vbo = 0;
uint32_t empty_vao = 0;

int gpu_max_samples = 0;
int gpu_sample_count = 1;
int gpu_shadow_size = SHADOW_MAP_SIZE;
int gpu_samples_cap = 0;
static int shadow_texture_size = 0;

static_assert(FONT_ATLAS_W == FONT_ATLAS_WIDTH && FONT_ATLAS_H == FONT_ATLAS_HEIGHT,
              "the font atlas texture and the baked atlas agree on size");

int gpu_choose_samples(int driver_max) {
    if (driver_max < 2) return 1;
    return driver_max > 4 ? 4 : driver_max;
}

// ---- Painted patterns ---------------------------------------------------------------

namespace {

inline uint32_t pattern_hash(uint32_t seed, uint32_t i, uint32_t j) {
    uint32_t h = seed * 0x85EBCA77u + i * 374761393u + j * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h;
}
inline float hash_unit(uint32_t h) {
    return (float)((h & 0xFFFFFFu) ^ (h >> 16)) * (1.0f / 16777216.0f);
}
inline float S(float v) {
    v = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
    return v * v * (3.0f - 2.0f * v);
}
inline int wrap(int v, int period) {
    int m = v % period;
    return m < 0 ? m + period : m;
}

}  // namespace

float pattern_noise(float x, float y, int px, int py, uint32_t seed) {
    float fx = x * (float)px, fy = y * (float)py;
    float flx = std::floor(fx), fly = std::floor(fy);
    int i = (int)flx, j = (int)fly;
    float tx = fx - flx, ty = fy - fly;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    // Lattice points wrap to the periods so every layer tiles seamlessly.
    uint32_t i0 = (uint32_t)wrap(i, px), i1 = (uint32_t)wrap(i + 1, px);
    uint32_t j0 = (uint32_t)wrap(j, py), j1 = (uint32_t)wrap(j + 1, py);
    float a = hash_unit(pattern_hash(seed, i0, j0)), b = hash_unit(pattern_hash(seed, i1, j0));
    float c = hash_unit(pattern_hash(seed, i0, j1)), d = hash_unit(pattern_hash(seed, i1, j1));
    float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

void pattern_texel(int layer, int c, int r, uint8_t out[4]) {
    const float x = (float)c / 256.0f, y = (float)r / 256.0f;
    auto N = [&](int px, int py, uint32_t seed) { return pattern_noise(x, y, px, py, seed); };
    float b = 1.0f, w = 0.0f;
    switch (layer) {
        case 0: {  // woven cloth
            int u = (((c >> 2) + (r >> 2)) & 1) == 0 ? c : r;
            b = ((N(32, 32, 43) * 0.25f + N(16, 16, 12) * 0.5f) / 0.75f * 0.12f + 0.94f) *
                ((N(24, 8, 73) * 0.125f + N(12, 4, 42) * 0.25f + N(6, 2, 11) * 0.5f) / 0.875f * 0.36f +
                 0.8f) *
                (std::sin(((float)(u & 3) + 0.5f) * PI / 4.0f) * 0.1f + 0.93f);
            uint32_t k = 0xCCF9480Bu + (uint32_t)r * 0x27D4EB2Fu + (uint32_t)c * 0x165667B1u;
            uint32_t h = (k ^ (k >> 13)) * 0x4BF19F61u;
            if (hash_unit(h) < 0.015f) b *= 0.9f;
            w = ((N(8, 8, 45) * 0.25f + N(4, 4, 14) * 0.5f) / 0.75f - 0.5f) * 0.12f;
            break;
        }
        case 1: {  // leather
            float f = (N(4, 4, 21) * 0.5f + N(8, 8, 52) * 0.25f + N(16, 16, 83) * 0.125f +
                       N(32, 32, 114) * 0.0625f) / 0.9375f;
            float g = (N(3, 5, 23) * 0.5f + N(6, 10, 54) * 0.25f + N(12, 20, 85) * 0.125f) / 0.875f - 0.5f;
            b = (S(std::fabs(g) / 0.06f) * 0.16f + 0.84f) * (f * 0.38f + 0.8f) *
                (N(64, 64, 22) * 0.14f + 0.92f);
            if (std::fabs(N(24, 3, 24) - 0.5f) < 0.012f && N(5, 5, 25) > 0.6f) b *= 1.18f;
            w = (f - 0.5f) * 0.18f;
            break;
        }
        case 2: {  // metal
            b = ((N(3, 3, 32) * 0.5f + N(6, 6, 63) * 0.25f + N(12, 12, 94) * 0.125f +
                  N(24, 24, 125) * 0.0625f) / 0.9375f * 0.3f + 0.84f) *
                (N(2, 96, 31) * 0.16f + 0.92f);
            if (std::fabs(pattern_noise(x + 0.3f * y, y, 12, 2, 33) - 0.5f) < 0.01f) b *= 1.25f;
            if (N(20, 20, 34) > 0.83f) b *= 0.82f;
            w = -0.03f;
            break;
        }
        case 3: {  // fur and thick cloth
            float streak = N(48, 3, 41);
            b = ((N(16, 16, 104) * 0.125f + N(8, 8, 73) * 0.25f + N(4, 4, 42) * 0.5f) / 0.875f * 0.3f +
                 0.82f) *
                (streak * 0.5f + 0.7f);
            w = (streak - 0.5f) * 0.1f;
            break;
        }
        default: {  // quilted cloth with studs
            int u = (((c / 3) + (r / 3)) & 1) == 0 ? c : r;
            float b0 = ((N(8, 8, 82) * 0.25f + N(4, 4, 51) * 0.5f) / 0.75f * 0.1f + 0.88f) *
                       (std::sin(((float)(u % 3) + 0.5f) * PI / 3.0f) * 0.08f + 0.9f);
            float fx = x * 4.0f - std::floor(x * 4.0f), fy = y * 4.0f - std::floor(y * 4.0f);
            float ax = std::fabs(fx - 0.5f), ay = std::fabs(fy - 0.5f);
            float e1 = (1.0f - S((ax - 0.2f) / 0.06f)) * (1.0f - S((ay - 0.015f) / 0.02f)) +
                       (1.0f - S((ax - 0.015f) / 0.02f)) * (1.0f - S((ay - 0.2f) / 0.06f));
            float e2 = 1.0f - S((std::fabs(ax + ay - 0.47f) - 0.015f) / 0.025f);
            float e3 = 1.0f - S((ax + ay - 0.08f) / 0.05f);
            float e = 0.8f * e1 + e2 + e3;
            e = e < 0.0f ? 0.0f : (e > 1.0f ? 1.0f : e);
            b = b0 + (1.32f - b0) * e;
            w = 0.12f * e;
            break;
        }
    }
    auto to_byte = [](float v) {
        v *= 127.5f;
        if (v < 0.0f) v = 0.0f;
        if (v > 255.0f) v = 255.0f;
        return (uint8_t)(v + 0.5f > 255.0f ? 255.0f : v + 0.5f);
    };
    out[0] = to_byte((1.0f + w) * b);
    out[1] = to_byte(b);
    out[2] = to_byte((1.0f - w) * b);
    out[3] = 255;
}

void patterns_build(uint8_t* out) {
    for (int l = 0; l < PATTERN_LAYERS; ++l)
        for (int r = 0; r < PATTERN_SIZE; ++r)
            for (int c = 0; c < PATTERN_SIZE; ++c)
                pattern_texel(l, c, r,
                              out + (((size_t)l * PATTERN_SIZE + (size_t)r) * PATTERN_SIZE + (size_t)c) * 4);
}

// ---- Textures ---------------------------------------------------------------------------

namespace {

void create_shadow_map() {
    if (tex_shadow) glDeleteTextures(1, &tex_shadow);
    if (fbo_shadow) glDeleteFramebuffers(1, &fbo_shadow);
    tex_shadow = fbo_shadow = 0;
    shadow_texture_size = gpu_shadow_size;
    glGenTextures(1, &tex_shadow);
    glBindTexture(GL_TEXTURE_2D, tex_shadow);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, shadow_texture_size, shadow_texture_size, 0,
                 GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glGenFramebuffers(1, &fbo_shadow);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_shadow);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, tex_shadow, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
}

void create_array(uint32_t* tex, int size, int layers, const uint8_t* pixels, GLint wrap_mode) {
    glGenTextures(1, tex);
    glBindTexture(GL_TEXTURE_2D_ARRAY, *tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, size, size, layers, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels);
    glGenerateMipmap(GL_TEXTURE_2D_ARRAY);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, wrap_mode);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, wrap_mode);
}

void create_ui_vertex_array() {
    glGenVertexArrays(1, &ui_vao);
    glBindVertexArray(ui_vao);
    glGenBuffers(1, &ui_vbo);
    glBindBuffer(GL_ARRAY_BUFFER, ui_vbo);
    const GLsizei stride = (GLsizei)sizeof(UiVertex);
    const GLint sizes[4] = {2, 2, 4, 1};
    const uintptr_t offsets[4] = {0, 8, 16, 32};
    for (GLuint i = 0; i < 4; ++i) {
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, sizes[i], GL_FLOAT, GL_FALSE, stride,
                              reinterpret_cast<const void*>(offsets[i]));
    }
    glBindVertexArray(0);
    glGenVertexArrays(1, &empty_vao);
}

}  // namespace

void gpu_font_atlas_upload(const uint8_t* pixels) {
    if (tex_font == 0) glGenTextures(1, &tex_font);
    glBindTexture(GL_TEXTURE_2D, tex_font);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, FONT_ATLAS_WIDTH, FONT_ATLAS_HEIGHT, 0, GL_RED,
                 GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// A driver that can compile on threads of its own is told to use as many as
// it likes (some use none until asked).
static void allow_parallel_compiling() {
    if (!glGetStringi) return;
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, (GLuint)i));
        if (!name) continue;
        if (std::strcmp(name, "GL_KHR_parallel_shader_compile") == 0 && glMaxShaderCompilerThreadsKHR) {
            glMaxShaderCompilerThreadsKHR(0xFFFFFFFFu);
            return;
        }
        if (std::strcmp(name, "GL_ARB_parallel_shader_compile") == 0 && glMaxShaderCompilerThreadsARB) {
            glMaxShaderCompilerThreadsARB(0xFFFFFFFFu);
            return;
        }
    }
}

static bool interface_fresh = false;  // made by gpu_init_interface, not yet taken by gpu_init

void gpu_init_interface() {
    interface_fresh = true;
    prog_ui = shader_build(GLSL_UI_VS, &GLSL_UI_FS, 1);
    // The atlas is constant data of the program; a damaged one leaves the
    // texture blank (text then draws nothing) rather than stopping the game.
    const uint8_t* atlas = font_atlas_pixels();
    if (atlas) {
        gpu_font_atlas_upload(atlas);
    } else {
        uint8_t* blank = static_cast<uint8_t*>(std::calloc((size_t)FONT_ATLAS_WIDTH * FONT_ATLAS_HEIGHT, 1));
        gpu_font_atlas_upload(blank);
        std::free(blank);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    create_ui_vertex_array();
}

void gpu_init() {
    // The interface may already be up for the title card.
    if (!interface_fresh) gpu_init_interface();
    interface_fresh = false;
    const char* scene_fs[3] = {GLSL_VERSION_LINE, GLSL_NOISE_LIB, GLSL_SCENE_FS};
    const char* sky_fs[3] = {GLSL_VERSION_LINE, GLSL_NOISE_LIB, GLSL_SKY_FS};
    // Every program goes to the driver first and is asked about last: the
    // textures are painted meanwhile, while a driver that compiles on its
    // own threads does so.
    allow_parallel_compiling();
    const PendingProgram scene = shader_begin(GLSL_SCENE_VS, scene_fs, 3);
    const PendingProgram shadow = shader_begin(GLSL_SHADOW_VS, &GLSL_SHADOW_FS, 1);
    const PendingProgram shadow_pulled = shader_begin(GLSL_SHADOW_PULLED_VS, &GLSL_SHADOW_FS, 1);
    const PendingProgram sky = shader_begin(GLSL_SKY_VS, sky_fs, 3);
    const PendingProgram post = shader_begin(GLSL_POST_VS, &GLSL_POST_FS, 1);
    GLint buffer_texels = 0;
    glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &buffer_texels);
    gpu_texture_buffer_size = buffer_texels;

    GLint max_samples = 4;  // kept when the driver does not answer
    glGetIntegerv(GL_MAX_SAMPLES, &max_samples);
    gpu_max_samples = max_samples;
    gpu_choose_sample_count();

    create_shadow_map();

    uint8_t* pixels = static_cast<uint8_t*>(
        render_grow(nullptr, (size_t)VEGETATION_SIZE * VEGETATION_SIZE * 4 * VEGETATION_LAYERS));
    // Without the room to paint them the arrays are made blank: the surfaces
    // lose their patterns, the game goes on.
    if (!pixels) log_printf("Mémoire insuffisante : motifs et images de végétation non peints.");
    if (pixels) patterns_build(pixels);
    create_array(&tex_patterns, PATTERN_SIZE, PATTERN_LAYERS, pixels, GL_REPEAT);
    if (pixels) vegetation_images_build(pixels);
    create_array(&tex_vegetation, VEGETATION_SIZE, VEGETATION_LAYERS, pixels, GL_CLAMP_TO_EDGE);
    std::free(pixels);

    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);

    prog_scene = shader_end(scene);
    prog_shadow = shader_end(shadow);
    prog_shadow_pulled = shader_end(shadow_pulled);
    if (!shader_last_ok()) prog_shadow_pulled = ShaderProgram{};
    prog_sky = shader_end(sky);
    prog_post = shader_end(post);

    const GLubyte* renderer = glGetString(GL_RENDERER);
    const GLubyte* version = glGetString(GL_VERSION);
    log_printf("OpenGL : %s — %s, anticrénelage ×%d", renderer ? (const char*)renderer : "?",
               version ? (const char*)version : "?", gpu_sample_count);
}

void gpu_choose_sample_count() {
    gpu_sample_count = gpu_choose_samples(gpu_max_samples);
    if (gpu_samples_cap > 0 && gpu_sample_count > gpu_samples_cap) gpu_sample_count = gpu_samples_cap;
}

void gpu_fit_shadow_map() {
    if (tex_shadow && shadow_texture_size != gpu_shadow_size) create_shadow_map();
}

void render_clear_screen(Vec3 colour) {
    if (!glClear) return;
    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
    glViewport(0, 0, plat_input.client_width, plat_input.client_height);
    glClearColor(colour.x, colour.y, colour.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}
