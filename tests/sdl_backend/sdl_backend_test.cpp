#include <SDL.h>
#include <gtest/gtest.h>
// After the test framework: Xlib's macros (None, Bool...) would break it.
#include <SDL_syswm.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "render/hud.h"

static void push_key(Uint32 type, SDL_Scancode sc, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
}

class SdlWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!getenv("DISPLAY")) GTEST_SKIP() << "no display";
        plat_open_window("Tervanne", 1280, 720);
    }
    static void TearDownTestSuite() { sdl_close_window(); }
};

TEST_F(SdlWindow, OpensWithGl33Context) {
    typedef const unsigned char* (*GetString)(unsigned);
    auto get_string = (GetString)gl_proc("glGetString");
    ASSERT_NE(get_string, nullptr);
    const char* version = (const char*)get_string(0x1F02);  // GL_VERSION
    ASSERT_NE(version, nullptr);
    int major = 0, minor = 0;
    ASSERT_EQ(sscanf(version, "%d.%d", &major, &minor), 2) << version;
    EXPECT_TRUE(major > 3 || (major == 3 && minor >= 3)) << version;
    EXPECT_EQ(plat_input.client_width, 1280);
    EXPECT_EQ(plat_input.client_height, 720);
    EXPECT_EQ(plat_window_framebuffer(), 0u);
    EXPECT_NE(gl_proc("glCreateShader"), nullptr);
}

TEST_F(SdlWindow, KeysBecomeKeyIndicesAndRepeatsDoNotPressAgain) {
    plat_pump();
    push_key(SDL_KEYDOWN, SDL_SCANCODE_W);
    plat_pump();
    EXPECT_EQ(plat_input.key_pressed[0x11], 1);
    EXPECT_EQ(plat_input.key_down[0x11], 1);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_W, true);  // auto-repeat
    plat_pump();
    EXPECT_EQ(plat_input.key_pressed[0x11], 0);
    EXPECT_EQ(plat_input.key_down[0x11], 1);
    EXPECT_EQ(plat_input.key_down_prev[0x11], 1);
    push_key(SDL_KEYUP, SDL_SCANCODE_W);
    plat_pump();
    EXPECT_EQ(plat_input.key_down[0x11], 0);

    push_key(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_UP);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);
    plat_pump();
    EXPECT_EQ(plat_input.key_down[KEY_LSHIFT], 1);
    EXPECT_EQ(plat_input.key_down[0x48 | 0x80], 1);
    EXPECT_EQ(plat_input.key_pressed[KEY_ESCAPE], 1);
    push_key(SDL_KEYUP, SDL_SCANCODE_RSHIFT);
    push_key(SDL_KEYUP, SDL_SCANCODE_UP);
    push_key(SDL_KEYUP, SDL_SCANCODE_ESCAPE);
    plat_pump();
    EXPECT_EQ(plat_input.key_down[KEY_LSHIFT], 0);
}

TEST_F(SdlWindow, TextMouseAndWheel) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    strcpy(e.text.text, "é\tz");
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 300;
    e.motion.y = 200;
    e.motion.xrel = 5;
    SDL_PushEvent(&e);
    plat_pump();
    EXPECT_STREQ(plat_input.text_input, "éz");  // the tab never reaches the text
    EXPECT_EQ(plat_input.button_pressed[1], 1);
    EXPECT_EQ(plat_input.button_down[1], 1);
    EXPECT_FLOAT_EQ(plat_input.wheel, -2.0f);
    EXPECT_EQ(plat_input.mouse_x, 300);
    EXPECT_EQ(plat_input.mouse_y, 200);
    EXPECT_FLOAT_EQ(plat_input.mouse_delta[0], 0.0f);  // not captured: no mouse-look
    plat_pump();
    EXPECT_EQ(plat_input.text_input_length, 0);
    EXPECT_EQ(plat_input.button_pressed[1], 0);
    EXPECT_FLOAT_EQ(plat_input.wheel, 0.0f);
}

TEST_F(SdlWindow, F11TogglesFullscreenOnce) {
    // Whether fullscreen takes depends on the display's window manager; that
    // each press asks exactly once does not.
    bool before = plat_is_fullscreen();
    int asked = sdl_fullscreen_requests();
    push_key(SDL_KEYDOWN, SDL_SCANCODE_F11);
    plat_pump();
    EXPECT_EQ(sdl_fullscreen_requests(), asked + 1);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_F11, true);
    plat_pump();
    EXPECT_EQ(sdl_fullscreen_requests(), asked + 1);
    push_key(SDL_KEYUP, SDL_SCANCODE_F11);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_F11);
    plat_pump();
    EXPECT_EQ(sdl_fullscreen_requests(), asked + 2);
    EXPECT_EQ(plat_is_fullscreen(), before);
    push_key(SDL_KEYUP, SDL_SCANCODE_F11);
    plat_pump();
}

static void push_window_event(Uint8 event) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    SDL_PushEvent(&e);
}

TEST_F(SdlWindow, FocusLossReleasesEverythingHeld) {
    push_key(SDL_KEYDOWN, SDL_SCANCODE_W);
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&e);
    plat_pump();
    ASSERT_EQ(plat_input.key_down[0x11], 1);
    ASSERT_EQ(plat_input.button_down[0], 1);
    plat_set_cursor_captured(true);
    // Alt+Tab away: the key and button releases go to the other window.
    push_window_event(SDL_WINDOWEVENT_FOCUS_LOST);
    plat_pump();
    EXPECT_EQ(plat_input.window_active, 0);
    EXPECT_EQ(plat_input.cursor_captured, 0);
    EXPECT_EQ(plat_input.key_down[0x11], 0);
    EXPECT_EQ(plat_input.button_down[0], 0);
    push_window_event(SDL_WINDOWEVENT_FOCUS_GAINED);
    plat_pump();
    EXPECT_EQ(plat_input.window_active, 1);
}

TEST_F(SdlWindow, WindowedSizeSetWhileFullscreenIsUsedOnReturn) {
    // A display no bigger than the window and its frame started it fullscreen.
    if (plat_is_fullscreen() || sdl_fullscreen_pending()) plat_toggle_fullscreen();
    ASSERT_FALSE(plat_is_fullscreen());
    plat_set_windowed_size(800, 500);
    plat_pump();
    EXPECT_EQ(plat_input.client_width, 800);
    EXPECT_EQ(plat_input.client_height, 500);
    plat_toggle_fullscreen();
    plat_pump();
    // A window manager answers in its own time; the frames go on meanwhile.
    for (int i = 0; i < 2000 && sdl_fullscreen_pending(); ++i) {
        SDL_Delay(1);
        plat_pump();
    }
    if (plat_is_fullscreen()) {
        // The options screen changes the size while fullscreen: kept for later.
        plat_set_windowed_size(640, 400);
        EXPECT_TRUE(plat_is_fullscreen());
        plat_toggle_fullscreen();
        for (int i = 0; i < 5; ++i) plat_pump();
    } else {
        // Refused (no window manager here): the same window, applied at once.
        EXPECT_EQ(plat_input.client_width, 800);
        EXPECT_EQ(plat_input.client_height, 500);
        plat_set_windowed_size(640, 400);
        plat_pump();
    }
    EXPECT_FALSE(plat_is_fullscreen());
    EXPECT_EQ(plat_input.client_width, 640);
    EXPECT_EQ(plat_input.client_height, 400);
    plat_set_windowed_size(1280, 720);
    plat_pump();
}

// The outer rectangle of the game's window on the X server: its frame's when
// a window manager put one round it, else its own.
static bool x_outer_rect(SDL_Rect* r) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* d = info.info.x11.display;
    XSync(d, False);
    Window w = info.info.x11.window, root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    for (;;) {
        if (!XQueryTree(d, w, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        if (parent == root || parent == 0) break;
        w = parent;
    }
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return false;
    *r = {a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width};
    return true;
}

// Asked for the whole usable area (a 1280 x 720 window on a 1280 x 720
// screen), the window with its title bar and borders still lies on it: the
// frame does not fit, so the three-quarter window stands centred instead.
TEST_F(SdlWindow, WindowedFrameStaysOnTheUsableArea) {
    SDL_Rect probe;
    if (!x_outer_rect(&probe)) GTEST_SKIP() << "not an X11 window";
    if (plat_is_fullscreen() || sdl_fullscreen_pending()) plat_toggle_fullscreen();
    SDL_Rect usable;
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0);
    plat_set_windowed_size(usable.w, usable.h);
    // The window manager places it in its own time.
    SDL_Rect outer{};
    auto inside = [&] {
        return x_outer_rect(&outer) && outer.x >= usable.x && outer.y >= usable.y &&
               outer.x + outer.w <= usable.x + usable.w && outer.y + outer.h <= usable.y + usable.h;
    };
    for (int i = 0; i < 200 && !inside(); ++i) {
        SDL_Delay(5);
        plat_pump();
    }
    EXPECT_TRUE(inside()) << "frame " << outer.w << "x" << outer.h << "+" << outer.x << "+" << outer.y
                          << " on a usable " << usable.w << "x" << usable.h << "+" << usable.x << "+" << usable.y;
    plat_pump();
    EXPECT_LE(plat_input.client_width, usable.w);
    EXPECT_LE(plat_input.client_height, usable.h);
    plat_set_windowed_size(1280, 720);
    plat_pump();
}

TEST_F(SdlWindow, KeyNamesAndFixedClock) {
    char name[32];
    plat_key_name(0x10, name, sizeof name);  // the key left of W
    EXPECT_EQ(strlen(name), 1u);
    EXPECT_TRUE(name[0] >= 'A' && name[0] <= 'Z') << name;
    plat_key_name(0x7E, name, sizeof name);  // no key has this index
    EXPECT_STREQ(name, "touche 126");
    // Keys that print nothing are named in French, as a French Windows does;
    // the others by the character they type.
    const struct {
        int key;
        const char* name;
    } french[] = {
        {0x39, "Espace"},        {KEY_LSHIFT, "Maj gauche"}, {0x1D, "Ctrl gauche"},   {0x1D | 0x80, "Ctrl droite"},
        {0x38, "Alt"},           {0x38 | 0x80, "Alt Gr"},    {0x1C, "Entrée"},        {KEY_ESCAPE, "Échap"},
        {0x0F, "Tab"},           {0x0E, "Retour arrière"},   {0x48 | 0x80, "Haut"},   {0x4B | 0x80, "Gauche"},
        {0x53 | 0x80, "Suppr"},  {0x49 | 0x80, "Page préc."}, {0x45 | 0x80, "Verr num"}, {0x52, "0 (pavé num.)"},
        {0x1C | 0x80, "Entrée (pavé num.)"}, {0x3B, "F1"},   {KEY_F11, "F11"},        {0x58, "F12"},
    };
    for (const auto& k : french) {
        plat_key_name(k.key, name, sizeof name);
        EXPECT_STREQ(name, k.name) << "key " << k.key;
    }
    plat_key_name(0x02, name, sizeof name);  // the digit row prints its character
    EXPECT_TRUE(strlen(name) >= 1 && strlen(name) <= 2 && strstr(name, "touche") == nullptr) << name;
    plat_key_name(0x39, name, 8);  // cut like any name, never past the buffer
    EXPECT_STREQ(name, "Espa");

    sdl_set_fixed_step(0.02);
    double t0 = plat_time();
    plat_pump();
    plat_pump();
    EXPECT_NEAR(plat_time() - t0, 0.04, 1e-9);
    sdl_set_fixed_step(0.0);
}

TEST_F(SdlWindow, QuitEventSetsTheQuitFlag) {
    plat_swap();
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    plat_pump();
    EXPECT_EQ(plat_input.quit_requested, 1);
    plat_pump();
    EXPECT_EQ(plat_input.quit_requested, 1);  // never cleared
}

// The real size of the window on the X server, asked directly.
static bool x_window_size(int* w, int* h) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    XWindowAttributes a;
    if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a)) return false;
    *w = a.width;
    *h = a.height;
    return true;
}

// Asked for more than the screen: the game goes fullscreen at once, and where
// that does not take (this display has no window manager) it must stay a whole
// window, drawn and laid out for the size it really has, not the monitor's.
class SdlWindowTooBig : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!getenv("DISPLAY")) GTEST_SKIP() << "no display";
        plat_open_window("Tervanne", 8000, 6000);
    }
    static void TearDownTestSuite() { sdl_close_window(); }
};

TEST_F(SdlWindowTooBig, PictureFollowsTheRealWindowSize) {
    int w = 0, h = 0;
    if (!x_window_size(&w, &h)) GTEST_SKIP() << "not an X11 window";
    SDL_Rect screen, usable;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &screen), 0);
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0);
    plat_pump();
    for (int i = 0; i < 2000 && sdl_fullscreen_pending(); ++i) {
        SDL_Delay(1);
        plat_pump();
    }
    x_window_size(&w, &h);
    EXPECT_EQ(plat_input.client_width, w);
    EXPECT_EQ(plat_input.client_height, h);
    if (plat_is_fullscreen()) {
        EXPECT_EQ(w, screen.w);
        EXPECT_EQ(h, screen.h);
    } else {
        EXPECT_EQ(w, usable.w * 3 / 4);
        EXPECT_EQ(h, usable.h * 3 / 4);
    }
    // The interface is laid out for that height.
    hud_update(0.0f);
    EXPECT_FLOAT_EQ(hud_scale, (float)h / 1080.0f);

    // Resized from outside (the player's window manager, a tiling one): the
    // picture follows once the server says so.
    if (plat_is_fullscreen()) plat_toggle_fullscreen();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GL_GetCurrentWindow(), &info));
    XResizeWindow(info.info.x11.display, info.info.x11.window, 700, 400);
    for (int i = 0; i < 50 && plat_input.client_width != 700; ++i) {
        XSync(info.info.x11.display, False);
        plat_pump();
    }
    EXPECT_EQ(plat_input.client_width, 700);
    EXPECT_EQ(plat_input.client_height, 400);
}
