// The Linux backend: one SDL2 window with a GL 3.3 compatibility context,
// SDL events translated into the same InputState the Windows backend fills.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/png_write.h"
#include "platform/backend_common.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_x11.h"

static SDL_Window* window = nullptr;
static SDL_GLContext context = nullptr;
static bool fullscreen = false;
static void fullscreen_settle();
static void frame_settle();
// Windowed mode's outer rectangle, frame included, the one leaving
// fullscreen returns to (whatever size was set meanwhile), as on Windows; and
// the client size it was made for.
static SDL_Rect windowed_rect = {0, 0, 0, 0};
static int windowed_client_w = 0, windowed_client_h = 0;
// The window manager's frame round the window (left, right, top, bottom), as
// last seen in windowed mode; 0 without a manager. Until the manager has
// said, it is looked for again for a while after the window shows.
static int frame[4] = {0, 0, 0, 0};
static bool frame_known = false;
static int frame_looks_left = 0;
static int saved_cursor_x = 0, saved_cursor_y = 0;
static uint64_t clock_zero = 0;
static double clock_period = 0.0;
static double fixed_step = 0.0;  // tests only: each pump advances the clock by this
static int forced_width = 0, forced_height = 0;  // tests only: window size whatever is asked
static long fixed_frames = 0;
static int fullscreen_requests = 0;
static SDL_GameController* pad = nullptr;

// The first game controller that SDL's mapping database knows becomes the pad.
static void pad_open_first() {
    if (pad) return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (!SDL_IsGameController(i)) continue;
        pad = SDL_GameControllerOpen(i);
        if (pad) {
            log_printf("Manette : %s", SDL_GameControllerName(pad) ? SDL_GameControllerName(pad) : "?");
            return;
        }
    }
}

static void pad_poll() {
    PadState& p = plat_input.pad;
    if (!pad) {
        uint32_t prev = p.buttons_prev;
        p = PadState{};
        p.buttons_prev = prev;
        return;
    }
    static const SDL_GameControllerButton order[PAD_LT] = {
        SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,         SDL_CONTROLLER_BUTTON_X,
        SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,
        SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
        SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
        SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
    };
    uint32_t b = 0;
    for (int i = 0; i < PAD_LT; ++i)
        if (SDL_GameControllerGetButton(pad, order[i])) b |= 1u << i;
    p.connected = 1;
    p.can_rumble = SDL_GameControllerHasRumble(pad) ? 1 : 0;
    p.buttons = b;
    auto axis = [](SDL_GameControllerAxis a) {
        Sint16 v = SDL_GameControllerGetAxis(pad, a);
        return v < 0 ? (float)v / 32768.0f : (float)v / 32767.0f;
    };
    p.axes[PAD_LX] = axis(SDL_CONTROLLER_AXIS_LEFTX);
    p.axes[PAD_LY] = axis(SDL_CONTROLLER_AXIS_LEFTY);
    p.axes[PAD_RX] = axis(SDL_CONTROLLER_AXIS_RIGHTX);
    p.axes[PAD_RY] = axis(SDL_CONTROLLER_AXIS_RIGHTY);
    p.axes[PAD_LTRIGGER] = axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    p.axes[PAD_RTRIGGER] = axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    if (p.axes[PAD_LTRIGGER] < 0.0f) p.axes[PAD_LTRIGGER] = 0.0f;
    if (p.axes[PAD_RTRIGGER] < 0.0f) p.axes[PAD_RTRIGGER] = 0.0f;
    pad_update_trigger_buttons(p);
}

void plat_pad_rumble(float low, float high, float seconds) {
    if (!pad || seconds <= 0.0f) return;
    auto level = [](float v) { return (Uint16)(v <= 0.0f ? 0 : v >= 1.0f ? 65535 : v * 65535.0f); };
    SDL_GameControllerRumble(pad, level(low), level(high), (Uint32)(seconds * 1000.0f));
}

// What the picture is drawn into. On X11 SDL reports the size it asked for
// (the monitor's, after a fullscreen request nobody carried out), so the
// server is asked; elsewhere SDL's drawable size is the real one.
static void drawable_size(int* w, int* h) {
    *w = *h = 0;
    if (!sdl_x11_window_size(window, w, h)) SDL_GL_GetDrawableSize(window, w, h);
}

static void refresh_client_size() {
    drawable_size(&plat_input.client_width, &plat_input.client_height);
}

// The desktop's usable area on the window's display: the screen less the
// panels and docks.
static SDL_Rect usable_area() {
    int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (display < 0) display = 0;
    SDL_Rect screen{0, 0, 0, 0};
    SDL_GetDisplayBounds(display, &screen);
    SDL_Rect usable = screen;
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = screen;
    SDL_Rect work, mine;
    if (sdl_x11_work_area(window, &work) && SDL_IntersectRect(&work, &screen, &mine)) usable = mine;
    return usable;
}

// The frame's corner at the outer rectangle's, the client the size it was
// made for. X11 moves the frame itself; elsewhere SDL places the client.
static void place_windowed() {
    SDL_SetWindowSize(window, windowed_client_w, windowed_client_h);
    if (!sdl_x11_move_frame(window, windowed_rect.x, windowed_rect.y))
        SDL_SetWindowPosition(window, windowed_rect.x + frame[0], windowed_rect.y + frame[2]);
}

// The outer rectangle for a client size: frame added, the three-quarter
// fallback, centred in the usable area, all of it on the desktop.
static WindowPlacement compute_windowed(int client_width, int client_height) {
    SDL_Rect area = usable_area();
    WindowPlacement p =
        plat_place_window(client_width, client_height, frame[0] + frame[1], frame[2] + frame[3], area.w, area.h);
    windowed_rect = {area.x + p.left, area.y + p.top, p.right - p.left, p.bottom - p.top};
    windowed_client_w = windowed_rect.w - frame[0] - frame[1];
    windowed_client_h = windowed_rect.h - frame[2] - frame[3];
    if (windowed_client_w < 1) windowed_client_w = 1;
    if (windowed_client_h < 1) windowed_client_h = 1;
    return p;
}

// The asked client size, kept so that a frame learnt late places it again.
static int asked_client_w = 0, asked_client_h = 0;

// What the window manager says of the frame (X11), or SDL where it knows.
static bool learn_frame(bool ask) {
    int e[4] = {0, 0, 0, 0};
    int known = sdl_x11_frame_extents(window, ask, e);
    if (known < 0) {
        int top = 0, left = 0, bottom = 0, right = 0;
        known = SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 ? 1 : 0;
        e[0] = left, e[1] = right, e[2] = top, e[3] = bottom;
    }
    if (known != 1) return false;
    bool changed = !frame_known || std::memcmp(e, frame, sizeof frame) != 0;
    std::memcpy(frame, e, sizeof frame);
    frame_known = true;
    return changed;
}

void plat_open_window(const char* title, int client_width, int client_height) {
    if (forced_width > 0 && forced_height > 0) {
        client_width = forced_width;
        client_height = forced_height;
    }
    clock_zero = SDL_GetPerformanceCounter();
    clock_period = 1.0 / (double)SDL_GetPerformanceFrequency();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        log_printf("SDL : %s", SDL_GetError());
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

    // Made hidden: the window manager tells the frame it will add before
    // the window shows, so that all of it is placed on the desktop.
    asked_client_w = client_width;
    asked_client_h = client_height;
    frame_known = false;
    std::memset(frame, 0, sizeof frame);
    WindowPlacement place = compute_windowed(client_width, client_height);
    window = SDL_CreateWindow(title, windowed_rect.x, windowed_rect.y, windowed_client_w, windowed_client_h,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI |
                                  SDL_WINDOW_HIDDEN);
    if (!window) {
        log_printf("SDL : %s", SDL_GetError());
        return;
    }
    learn_frame(true);
    place = compute_windowed(client_width, client_height);
    place_windowed();
    SDL_ShowWindow(window);
    // A manager that does not answer the request still sets the frame once
    // the window is up: looked for over the first frames.
    frame_looks_left = frame_known ? 0 : 120;
    context = SDL_GL_CreateContext(window);
    if (!context) {
        // Take whatever the driver gives; the GL loader decides if it is enough.
        SDL_GL_ResetAttributes();
        context = SDL_GL_CreateContext(window);
    }
    if (context) {
        SDL_GL_MakeCurrent(window, context);
        SDL_GL_SetSwapInterval(1);
    }
    SDL_StartTextInput();
    // No pad support (a system without it) only means no pad.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) pad_open_first();
    refresh_client_size();
    plat_input.window_active = 1;
    if (!place.fits) plat_toggle_fullscreen();
}

void plat_pump() {
    ++fixed_frames;
    plat_input_begin_frame(plat_input);
    bool f11_at_start = plat_input.key_down[KEY_F11] != 0;
    bool keyboard_or_mouse = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_KEYDOWN || e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEWHEEL ||
            (e.type == SDL_MOUSEMOTION && (std::abs(e.motion.xrel) + std::abs(e.motion.yrel)) > 2))
            keyboard_or_mouse = true;
        switch (e.type) {
            case SDL_CONTROLLERDEVICEADDED: pad_open_first(); break;
            case SDL_CONTROLLERDEVICEREMOVED:
                if (pad && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == e.cdevice.which) {
                    SDL_GameControllerClose(pad);
                    pad = nullptr;
                    log_printf("Manette débranchée.");
                    pad_open_first();
                }
                break;
            case SDL_QUIT:
                plat_input.quit_requested = 1;
                break;
            case SDL_WINDOWEVENT:
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: plat_input.quit_requested = 1; break;
                    // SDL's sizes in these may be the ones it asked for: the
                    // drawable is measured again instead.
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                    case SDL_WINDOWEVENT_RESIZED:
                    case SDL_WINDOWEVENT_SHOWN:
                    case SDL_WINDOWEVENT_MAXIMIZED:
                    case SDL_WINDOWEVENT_RESTORED:
                    case SDL_WINDOWEVENT_DISPLAY_CHANGED: refresh_client_size(); break;
                    case SDL_WINDOWEVENT_MINIMIZED:
                        plat_input.client_width = plat_input.client_height = 0;
                        break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED: plat_input.window_active = 1; break;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        // Scripted play: the script is the keyboard and the mouse.
                        // Another window of the display may take the focus at any
                        // moment; what the script holds stays held.
                        if (fixed_step > 0.0) break;
                        plat_input.window_active = 0;
                        plat_set_cursor_captured(false);
                        // Releases of keys held now go to the other window:
                        // nothing may stay held (the player would keep walking).
                        memset(plat_input.key_down, 0, sizeof plat_input.key_down);
                        memset(plat_input.button_down, 0, sizeof plat_input.button_down);
                        break;
                }
                break;
            case SDL_KEYDOWN: {
                int k = plat_usage_to_key_index(e.key.keysym.scancode);
                if (k >= 0) plat_input_key_down(plat_input, k);
                break;
            }
            case SDL_KEYUP: {
                int k = plat_usage_to_key_index(e.key.keysym.scancode);
                if (k >= 0) plat_input_key_up(plat_input, k);
                break;
            }
            case SDL_TEXTINPUT: {
                // Decode UTF-8 to code points so the 63-byte rule is shared.
                const unsigned char* s = (const unsigned char*)e.text.text;
                while (*s) {
                    uint32_t cp;
                    int n;
                    if (*s < 0x80) { cp = *s; n = 1; }
                    else if ((*s & 0xE0) == 0xC0) { cp = *s & 0x1F; n = 2; }
                    else if ((*s & 0xF0) == 0xE0) { cp = *s & 0x0F; n = 3; }
                    else if ((*s & 0xF8) == 0xF0) { cp = *s & 0x07; n = 4; }
                    else { ++s; continue; }
                    int i = 1;
                    for (; i < n && (s[i] & 0xC0) == 0x80; ++i) cp = (cp << 6) | (s[i] & 0x3F);
                    if (i == n) plat_input_text(plat_input, cp);
                    s += i;
                }
                break;
            }
            case SDL_MOUSEMOTION:
                plat_input.mouse_x = (int16_t)e.motion.x;
                plat_input.mouse_y = (int16_t)e.motion.y;
                if (plat_input.cursor_captured) {
                    plat_input.mouse_delta[0] += (float)e.motion.xrel;
                    plat_input.mouse_delta[1] += (float)e.motion.yrel;
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                int b = e.button.button == SDL_BUTTON_LEFT    ? 0
                        : e.button.button == SDL_BUTTON_RIGHT ? 1
                        : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                               : -1;
                if (b < 0) break;
                if (e.type == SDL_MOUSEBUTTONDOWN) {
                    plat_input.button_down[b] = 1;
                    plat_input.button_pressed[b] = 1;
                } else {
                    plat_input.button_down[b] = 0;
                }
                break;
            }
            case SDL_MOUSEWHEEL: {
                float notches = (float)e.wheel.y;
                if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
                plat_input.wheel += notches;
                break;
            }
            default: break;
        }
    }
    pad_poll();
    pad_note_last_used(plat_input, keyboard_or_mouse);
    if (plat_f11_went_down(plat_input, f11_at_start)) plat_toggle_fullscreen();
    fullscreen_settle();
    frame_settle();
}

static char picture_path[512];

void sdl_picture_next_swap(const char* path) { std::snprintf(picture_path, sizeof picture_path, "%s", path ? path : ""); }

// The back buffer about to be presented, as a PNG (a test's picture).
static void take_picture() {
    using ReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
    using PixelStore = void (*)(unsigned, int);
    using BindFb = void (*)(unsigned, unsigned);
    using ReadBuffer = void (*)(unsigned);
    auto read = (ReadPixels)SDL_GL_GetProcAddress("glReadPixels");
    auto store = (PixelStore)SDL_GL_GetProcAddress("glPixelStorei");
    auto bind = (BindFb)SDL_GL_GetProcAddress("glBindFramebuffer");
    auto read_buffer = (ReadBuffer)SDL_GL_GetProcAddress("glReadBuffer");
    int w = plat_input.client_width, h = plat_input.client_height;
    if (!read || !store || !bind || !read_buffer || w <= 0 || h <= 0) return;
    bind(0x8CA8, 0);      // the window's framebuffer
    read_buffer(0x0405);  // its back buffer
    store(0x0D05, 1);
    std::vector<uint8_t> px((size_t)w * (size_t)h * 4), rows(px.size());
    read(0, 0, w, h, 0x1908, 0x1401, px.data());
    size_t row = (size_t)w * 4;
    for (int y = 0; y < h; ++y) {
        std::memcpy(&rows[row * (size_t)y], &px[row * (size_t)(h - 1 - y)], row);
        for (size_t x = 3; x < row; x += 4) rows[row * (size_t)y + x] = 255;
    }
    png_write_rgba(picture_path, rows.data(), w, h);
}

void plat_swap() {
    if (!window) return;
    if (picture_path[0]) {
        take_picture();
        picture_path[0] = 0;
    }
    SDL_GL_SwapWindow(window);
}

double plat_time() {
    if (fixed_step > 0.0) return fixed_frames * fixed_step;
    return (double)(SDL_GetPerformanceCounter() - clock_zero) * clock_period;
}

uint32_t plat_window_framebuffer() { return 0; }

void plat_set_cursor_captured(bool captured) {
    if (captured == (plat_input.cursor_captured != 0)) return;
    if (captured) {
        SDL_GetMouseState(&saved_cursor_x, &saved_cursor_y);
        SDL_SetRelativeMouseMode(SDL_TRUE);
        plat_input.cursor_captured = 1;
    } else {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        if (window) SDL_WarpMouseInWindow(window, saved_cursor_x, saved_cursor_y);
        SDL_ShowCursor(SDL_ENABLE);
        plat_input.cursor_captured = 0;
    }
}


// A window manager carries a fullscreen request out in its own time; one
// that has not after this long has refused it. The frames go on meanwhile,
// drawn at whatever size the window really has.
static const double kFullscreenWait = 1.0;
static bool fullscreen_pending = false;
static double fullscreen_asked_at = 0.0;

static bool covers_display() {
    SDL_Rect b;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &b) != 0) return false;
    int w, h;
    drawable_size(&w, &h);
    return w >= b.w && h >= b.h;
}

// Stay the window the player had, whole.
static void fullscreen_refused(bool asked) {
    fullscreen_pending = false;
    if (asked) SDL_SetWindowFullscreen(window, 0);
    place_windowed();
    log_printf("Plein écran refusé : le jeu reste en fenêtre.");
}

// Once a frame while a request waits: on X11 only the server's answer
// counts, SDL marks the window fullscreen the moment it asks.
static void fullscreen_settle() {
    if (!fullscreen_pending) return;
    if (covers_display()) {
        fullscreen_pending = false;
        fullscreen = true;
    } else if (plat_time() - fullscreen_asked_at >= kFullscreenWait) {
        fullscreen_refused(true);
    }
    refresh_client_size();
}

void plat_toggle_fullscreen() {
    if (!window) return;
    ++fullscreen_requests;
    if (fullscreen || fullscreen_pending) {
        fullscreen = fullscreen_pending = false;
        SDL_SetWindowFullscreen(window, 0);
        place_windowed();
    } else {
        // Without a window manager that can do it nothing would happen but
        // SDL taking the monitor's size for the window's: do not even ask.
        const int x11_support = sdl_x11_fullscreen_support(window);
        if (x11_support == 0) {
            fullscreen_refused(false);
        } else {
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
            if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) {
                fullscreen_refused(true);
            } else if (x11_support < 0) {
                fullscreen = true;  // not X11: SDL's word is the system's
            } else {
                fullscreen_pending = true;
                fullscreen_asked_at = plat_time();
            }
        }
    }
    refresh_client_size();
}

// A frame the manager published late: the window placed again with it.
static void frame_settle() {
    if (frame_looks_left <= 0 || !window) return;
    --frame_looks_left;
    if (fullscreen || fullscreen_pending) return;  // no frame round a fullscreen window
    if (!learn_frame(false)) return;
    frame_looks_left = 0;
    compute_windowed(asked_client_w, asked_client_h);
    place_windowed();
    refresh_client_size();
}

bool sdl_fullscreen_pending() { return fullscreen_pending; }

bool plat_is_fullscreen() { return fullscreen; }

void plat_set_windowed_size(int client_width, int client_height) {
    if (!window) return;
    // A test's forced size also outlasts the options file's resolution, which
    // an earlier run of the same test may have written.
    if (forced_width > 0 && forced_height > 0) {
        client_width = forced_width;
        client_height = forced_height;
    }
    asked_client_w = client_width;
    asked_client_h = client_height;
    if (!fullscreen && !fullscreen_pending) learn_frame(false);
    compute_windowed(client_width, client_height);
    if (fullscreen || fullscreen_pending) return;  // applied when fullscreen ends or is refused
    place_windowed();
    refresh_client_size();
}

void plat_key_name(int key_index, char* out, int capacity) {
    uint32_t wide[48];
    int n = 0;
    // SDL names the keys that print nothing in English ("Left Shift"): the
    // game's own French names stand in for them, as on a French Windows.
    const char* name = plat_key_french_name(key_index);
    int usage = plat_key_index_to_usage(key_index);
    if (!name && usage >= 0) name = SDL_GetKeyName(SDL_GetKeyFromScancode((SDL_Scancode)usage));
    // Back to code points so the shared rules (cut, fallback, capital) apply.
    const unsigned char* s = (const unsigned char*)name;
    while (s && *s && n < 48) {
        uint32_t cp = *s;
        int len = 1;
        if (*s >= 0xF0) { cp = *s & 0x07; len = 4; }
        else if (*s >= 0xE0) { cp = *s & 0x0F; len = 3; }
        else if (*s >= 0xC0) { cp = *s & 0x1F; len = 2; }
        int i = 1;
        for (; i < len && (s[i] & 0xC0) == 0x80; ++i) cp = (cp << 6) | (s[i] & 0x3F);
        wide[n++] = cp;
        s += i;
    }
    plat_key_name_from_utf32(wide, n, key_index, out, capacity);
}

void* gl_proc(const char* name) { return SDL_GL_GetProcAddress(name); }

void plat_alert(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    // Works before SDL_Init; without a display the line above is all there is.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Tervanne", text, nullptr);
}

void plat_close_window() { sdl_close_window(); }

void sdl_close_window() {
    if (pad) SDL_GameControllerClose(pad);
    pad = nullptr;
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    context = nullptr;
    window = nullptr;
    SDL_Quit();
}

void sdl_set_fixed_step(double seconds) { fixed_step = seconds; }

int sdl_fullscreen_requests() { return fullscreen_requests; }

void sdl_set_window_size(int width, int height) {
    forced_width = width;
    forced_height = height;
}
