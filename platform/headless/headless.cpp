// Headless backend for tests and benchmarks: EGL on Mesa without any display
// (surfaceless platform), drawing into a framebuffer object that stands for
// the window; a fixed clock; input replayed from recorded snapshots.
#include "platform/headless/headless.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/png_write.h"
#include "platform/backend_common.h"
#include "platform/input_script.h"

// The few GL calls the backend itself needs, fetched by hand so that this
// file depends on no GL header.
typedef unsigned int GLuint_;
typedef void (*PfnGen)(int, GLuint_*);
typedef void (*PfnBind)(unsigned, GLuint_);
typedef void (*PfnStorage)(unsigned, unsigned, int, int);
typedef void (*PfnAttach)(unsigned, unsigned, unsigned, GLuint_);
typedef void (*PfnRead)(int, int, int, int, unsigned, unsigned, void*);
typedef void (*PfnVoid)();
typedef void (*PfnPixelStore)(unsigned, int);

static EGLDisplay display = EGL_NO_DISPLAY;
static EGLContext context = EGL_NO_CONTEXT;
static GLuint_ fbo = 0, color_rb = 0, depth_rb = 0;
static int fb_width = 0, fb_height = 0;
static double step = 1.0 / 60.0;
static int frame_index = 0;
static const InputState* script = nullptr;
static int script_count = 0;
static bool fullscreen = false;

static int forced_width = 0, forced_height = 0;

void headless_set_window_size(int width, int height) {
    forced_width = width;
    forced_height = height;
}
void headless_set_time_step(double seconds) { step = seconds; }
static int script_start = 0;

void headless_set_input_script(const InputState* frames, int count) {
    script = frames;
    script_count = count;
    script_start = frame_index;  // the next pump replays the first snapshot
}
int headless_frame_index() { return frame_index; }
// A 3.3 compatibility context without any surface on that display; false
// (and the display given back) when it has none.
static bool any_display = false;  // one display at least was there, for the log line
static bool egl_context_on(EGLDisplay candidate) {
    if (candidate == EGL_NO_DISPLAY || !eglInitialize(candidate, nullptr, nullptr)) return false;
    any_display = true;
    eglBindAPI(EGL_OPENGL_API);
    const EGLint config_attribs[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint n = 0;
    if (!eglChooseConfig(candidate, config_attribs, &config, 1, &n) || n < 1) config = nullptr;
    const EGLint ctx_attribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                  EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                  EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext made = eglCreateContext(candidate, config, EGL_NO_CONTEXT, ctx_attribs);
    if (made == EGL_NO_CONTEXT || !eglMakeCurrent(candidate, EGL_NO_SURFACE, EGL_NO_SURFACE, made)) {
        if (made != EGL_NO_CONTEXT) eglDestroyContext(candidate, made);
        eglTerminate(candidate);
        return false;
    }
    display = candidate;
    context = made;
    return true;
}

bool headless_has_context() { return context != EGL_NO_CONTEXT; }

static bool make_framebuffer(int w, int h) {
    auto gen_fb = (PfnGen)eglGetProcAddress("glGenFramebuffers");
    auto bind_fb = (PfnBind)eglGetProcAddress("glBindFramebuffer");
    auto gen_rb = (PfnGen)eglGetProcAddress("glGenRenderbuffers");
    auto bind_rb = (PfnBind)eglGetProcAddress("glBindRenderbuffer");
    auto storage = (PfnStorage)eglGetProcAddress("glRenderbufferStorage");
    auto attach = (PfnAttach)eglGetProcAddress("glFramebufferRenderbuffer");
    if (!gen_fb || !bind_fb || !gen_rb || !bind_rb || !storage || !attach) return false;
    const unsigned FRAMEBUFFER = 0x8D40, RENDERBUFFER = 0x8D41, RGBA8 = 0x8058,
                   DEPTH24_STENCIL8 = 0x88F0, COLOR0 = 0x8CE0, DEPTH_STENCIL_ATT = 0x821A;
    gen_fb(1, &fbo);
    gen_rb(1, &color_rb);
    gen_rb(1, &depth_rb);
    bind_rb(RENDERBUFFER, color_rb);
    storage(RENDERBUFFER, RGBA8, w, h);
    bind_rb(RENDERBUFFER, depth_rb);
    storage(RENDERBUFFER, DEPTH24_STENCIL8, w, h);
    bind_fb(FRAMEBUFFER, fbo);
    attach(FRAMEBUFFER, COLOR0, RENDERBUFFER, color_rb);
    attach(FRAMEBUFFER, DEPTH_STENCIL_ATT, RENDERBUFFER, depth_rb);
    fb_width = w;
    fb_height = h;
    return true;
}

void plat_open_window(const char*, int client_width, int client_height) {
    frame_index = 0;
    if (forced_width > 0 && forced_height > 0) {
        client_width = forced_width;
        client_height = forced_height;
    }
    plat_input.client_width = client_width;
    plat_input.client_height = client_height;
    plat_input.window_active = 1;
    if (context != EGL_NO_CONTEXT) {
        // One context per process, kept across tests; the window image
        // follows the size asked for.
        if (fb_width != client_width || fb_height != client_height) make_framebuffer(client_width, client_height);
        return;
    }
    // Mesa's surfaceless platform first; where it is missing (a machine with
    // a graphics card's own driver and no display), each EGL device in turn;
    // the default display last.
    auto get_platform_display =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (get_platform_display)
        egl_context_on(get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
    auto query_devices = (PFNEGLQUERYDEVICESEXTPROC)eglGetProcAddress("eglQueryDevicesEXT");
    if (context == EGL_NO_CONTEXT && get_platform_display && query_devices) {
        EGLDeviceEXT devices[16];
        EGLint count = 0;
        if (query_devices(16, devices, &count))
            for (EGLint i = 0; i < count && context == EGL_NO_CONTEXT; ++i)
                if (egl_context_on(get_platform_display(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr)))
                    log_printf("EGL : périphérique %d.", (int)i);
    }
    if (context == EGL_NO_CONTEXT) egl_context_on(eglGetDisplay(EGL_DEFAULT_DISPLAY));
    if (context == EGL_NO_CONTEXT) {
        log_printf(any_display ? "EGL : pas de contexte OpenGL 3.3." : "EGL : aucun affichage.");
        return;
    }
    if (!make_framebuffer(client_width, client_height)) log_printf("EGL : pas de tampon d'image.");
}

// The context is kept for the process (tests open the window again); the
// window image goes.
void plat_close_window() {
    if (context == EGL_NO_CONTEXT || !fbo) return;
    using PfnDelete = void (*)(int, const GLuint_*);
    auto delete_fb = (PfnDelete)eglGetProcAddress("glDeleteFramebuffers");
    auto delete_rb = (PfnDelete)eglGetProcAddress("glDeleteRenderbuffers");
    if (delete_fb) delete_fb(1, &fbo);
    GLuint_ rbs[2] = {color_rb, depth_rb};
    if (delete_rb) delete_rb(2, rbs);
    fbo = color_rb = depth_rb = 0;
    fb_width = fb_height = 0;
}

static bool window_active = true;

void plat_pump() {
    plat_input_begin_frame(plat_input);
    bool f11_at_start = plat_input.key_down[KEY_F11] != 0;
    int at = frame_index - script_start;
    const InputState idle{};
    const InputState& rec = script && at >= 0 && at < script_count ? script[at] : idle;
    input_script_apply(plat_input, rec);
    bool keyboard_or_mouse = false;
    for (int k = 0; k < 256; ++k) keyboard_or_mouse |= plat_input.key_pressed[k] != 0;
    for (int b = 0; b < 3; ++b) keyboard_or_mouse |= plat_input.button_pressed[b] != 0;
    pad_note_last_used(plat_input, keyboard_or_mouse);
    if (plat_f11_went_down(plat_input, f11_at_start)) plat_toggle_fullscreen();
    plat_input.window_active = window_active ? 1 : 0;
    ++frame_index;
}

void headless_set_window_active(bool active) { window_active = active; }

void plat_swap() {
    auto finish = (PfnVoid)eglGetProcAddress("glFinish");
    if (context != EGL_NO_CONTEXT && finish) finish();
}

double plat_time() { return frame_index * step; }

uint32_t plat_window_framebuffer() { return fbo; }

void plat_set_cursor_captured(bool captured) { plat_input.cursor_captured = captured ? 1 : 0; }
void plat_toggle_fullscreen() { fullscreen = !fullscreen; }

static float rumble_low, rumble_high;
void plat_pad_rumble(float low, float high, float seconds) {
    if (!plat_input.pad.connected || seconds <= 0.0f) return;
    rumble_low = low;
    rumble_high = high;
}
void headless_last_rumble(float* low, float* high) {
    *low = rumble_low;
    *high = rumble_high;
    rumble_low = rumble_high = 0.0f;
}
bool plat_is_fullscreen() { return fullscreen; }
void plat_set_windowed_size(int, int) {}
void plat_alert(const char* text) { std::fprintf(stderr, "%s\n", text); }

void plat_key_name(int key_index, char* out, int capacity) {
    // No keyboard layout here: letters by their position on a French keyboard
    // would be a guess, so only the fallback rules apply.
    plat_key_name_from_utf32(nullptr, 0, key_index, out, capacity);
}

static char hidden_gl_function[64];

void headless_hide_gl_function(const char* name) {
    hidden_gl_function[0] = 0;
    if (name) snprintf(hidden_gl_function, sizeof hidden_gl_function, "%s", name);
}

void* gl_proc(const char* name) {
    if (hidden_gl_function[0] && strcmp(name, hidden_gl_function) == 0) return nullptr;
    return (void*)eglGetProcAddress(name);
}

bool headless_read_pixels(uint8_t* rgba, int width, int height) {
    if (context == EGL_NO_CONTEXT || !fbo) return false;
    auto bind_fb = (PfnBind)eglGetProcAddress("glBindFramebuffer");
    auto read = (PfnRead)eglGetProcAddress("glReadPixels");
    auto store = (PfnPixelStore)eglGetProcAddress("glPixelStorei");
    if (!bind_fb || !read || !store) return false;
    const unsigned READ_FRAMEBUFFER = 0x8CA8, RGBA = 0x1908, UNSIGNED_BYTE = 0x1401, PACK_ALIGNMENT = 0x0D05;
    bind_fb(READ_FRAMEBUFFER, fbo);
    store(PACK_ALIGNMENT, 1);
    std::vector<uint8_t> tmp((size_t)width * (size_t)height * 4);
    read(0, 0, width, height, RGBA, UNSIGNED_BYTE, tmp.data());
    size_t row = (size_t)width * 4;
    for (int y = 0; y < height; ++y)  // GL rows are bottom-up
        memcpy(rgba + row * (size_t)y, tmp.data() + row * (size_t)(height - 1 - y), row);
    return true;
}

bool headless_screenshot(const char* path) {
    if (fb_width <= 0) return false;
    std::vector<uint8_t> px((size_t)fb_width * (size_t)fb_height * 4);
    if (!headless_read_pixels(px.data(), fb_width, fb_height)) return false;
    return png_write_rgba(path, px.data(), fb_width, fb_height);
}
