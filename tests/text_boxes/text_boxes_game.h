#pragma once
// One real game start for the whole program, and a look at the interface:
// one drawn frame at each of the four window sizes, and at the smallest and
// largest text sizes at the smallest and largest windows, with the 2D batch's
// record on, the faults of each kept under the name of what was shown.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "game/main_loop.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "tests/persist/persist_support.h"
#include "tests/support/scene_economy.h"
#include "tests/text_boxes/box_check.h"

struct WindowSize {
    int w, h;
};
constexpr WindowSize WINDOW_SIZES[4] = {{800, 600}, {1280, 720}, {1920, 1080}, {2560, 1440}};
// The text sizes beside the default, each at the smallest and largest window.
struct TextSizeLook {
    int text_size;
    WindowSize size;
};
constexpr TextSizeLook TEXT_SIZE_LOOKS[4] = {
    {80, {800, 600}}, {80, {2560, 1440}}, {150, {800, 600}}, {150, {2560, 1440}}};
// The largest text at the middle sizes too, for the screens that grow to it there.
constexpr TextSizeLook LARGE_TEXT_LOOKS[2] = {{150, {1280, 720}}, {150, {1920, 1080}}};

// The game starts once for the whole program, with no file: the creation
// screen first. The town is never drawn (only the interface is looked at).
inline bool text_boxes_game() {
    static int state = -1;
    if (state < 0) {
        clear_game_files();
        headless_set_window_size(1280, 720);
        headless_set_time_step(0.05);
        scene_economy();
        state = game_startup() == 0 ? 1 : 0;
        render_leave_out_scene(true);
    }
    return state == 1;
}

// A frame's input with nothing pressed, the pointer at (x, y).
inline InputState idle_at(float x, float y) {
    InputState s;
    std::memset(&s, 0, sizeof s);
    s.window_active = 1;
    s.mouse_x = (int)x;
    s.mouse_y = (int)y;
    s.pad = plat_input.pad;
    return s;
}

// The window's size for the frames that follow (the screens read it, the
// offscreen target stays as it is).
inline void window_size(int w, int h) {
    plat_input.client_width = w;
    plat_input.client_height = h;
    hud_scale_update();
}

// Frames of a script, each drawn.
inline void run_frames(std::vector<InputState>& script) {
    headless_set_input_script(script.data(), (int)script.size());
    main_loop_set_draw_interval(1);
    for (size_t i = 0; i < script.size(); ++i) game_frame();
}

// A left click at (x, y): the press frame and the release frame.
inline void click_at(float x, float y) {
    std::vector<InputState> s(2, idle_at(x, y));
    s[0].button_down[0] = 1;
    run_frames(s);
}

// Where the pointer goes for a look, at the size being drawn (hud_scale is
// already that size's).
using Pointer = std::function<void(float* x, float* y)>;

inline std::string picture_name(const std::string& what) {
    std::string out = "look-";
    for (char c : what) out += (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ? c : (c >= 'A' && c <= 'Z') ? c + 32 : '-';
    return out + ".png";
}

struct Looks {
    std::vector<std::string> faults;
    int looks = 0;
    // Runs after each frame, the record still there (checks of a look's own).
    std::function<void(const std::string& where)> after;
    // Also the largest text at 1280 x 720 and 1920 x 1080.
    bool large_text_everywhere = false;

    // One frame at each size, the record on, at the default text size and at
    // the smallest and largest; `pointer` places the pointer.
    void look(const std::string& what, const Pointer& pointer = nullptr) {
        const int w0 = plat_input.client_width, h0 = plat_input.client_height, t0 = hud_text_size;
        for (const WindowSize& size : WINDOW_SIZES) look_at(what, pointer, size, HUD_TEXT_SIZE_DEFAULT);
        for (const TextSizeLook& l : TEXT_SIZE_LOOKS) look_at(what, pointer, l.size, l.text_size);
        if (large_text_everywhere)
            for (const TextSizeLook& l : LARGE_TEXT_LOOKS) look_at(what, pointer, l.size, l.text_size);
        hud_text_size = t0;
        window_size(w0, h0);
    }

    void look_at(const std::string& what, const Pointer& pointer, WindowSize size, int text_size) {
        hud_text_size = text_size;
        window_size(size.w, size.h);
        float x = size.w * 0.5f, y = size.h * 0.5f;
        if (pointer) pointer(&x, &y);
        std::vector<InputState> s(1, idle_at(x, y));
        ui_record_begin();
        run_frames(s);
        ui_record_end();
        ++looks;
        std::string where = what + " at " + std::to_string(size.w) + "x" + std::to_string(size.h);
        if (text_size != HUD_TEXT_SIZE_DEFAULT) where += " text " + std::to_string(text_size) + "%";
        for (const std::string& f : box_check::faults((float)size.w, (float)size.h))
            faults.push_back(where + ": " + f);
        if (after) after(where);
        // TEXT_BOXES_PICTURES=1: each look at the offscreen window's own
        // size kept as a PNG, for a person to look at.
        if (size.w == 1280 && std::getenv("TEXT_BOXES_PICTURES")) {
            std::string named = text_size == HUD_TEXT_SIZE_DEFAULT ? what : what + " text " + std::to_string(text_size);
            headless_screenshot(picture_name(named).c_str());
        }
    }

    // The faults, each once with the sizes it showed at: the same fault at
    // four sizes differs only in its figures.
    std::string report() const {
        std::vector<std::string> keys, sizes;
        for (const std::string& f : faults) {
            std::string key, size;
            bool in_figures = false;
            for (size_t i = 0; i < f.size(); ++i) {
                if (f.compare(i, 4, " at ") == 0 && size.empty() && std::isdigit((unsigned char)f[i + 4])) {
                    size_t end = f.find(':', i);
                    size = f.substr(i + 4, end - i - 4);
                    i = end - 1;
                    continue;
                }
                // Figures (pixels, ink, boxes) differ from size to size.
                char c = f[i];
                bool figure = std::isdigit((unsigned char)c) || (in_figures && (c == '.' || c == ',' || c == 'x'));
                if (figure) {
                    if (!in_figures) key += '#';
                    in_figures = true;
                } else {
                    in_figures = false;
                    key += c;
                }
            }
            size_t k = 0;
            while (k < keys.size() && keys[k] != key) ++k;
            if (k == keys.size()) {
                keys.push_back(key);
                sizes.push_back(size);
            } else {
                sizes[k] += ", " + size;
            }
        }
        std::string out;
        if (std::getenv("TEXT_BOXES_FULL"))  // every fault with its figures
            for (const std::string& f : faults) out += "  " + f + "\n";
        for (size_t k = 0; k < keys.size(); ++k) out += "  [" + sizes[k] + "] " + keys[k] + "\n";
        out += "  (in full: " + std::to_string(faults.size()) + " faults; the first: " +
               (faults.empty() ? std::string("none") : faults[0]) + ")\n";
        return out;
    }
};
