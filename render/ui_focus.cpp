// The pad's focus on screens and its letter board for text fields.
#include "render/ui_focus.h"

#include <cmath>
#include <cstring>

#include "platform/platform.h"
#include "render/hud.h"
#include "render/ui.h"

namespace {

struct Place {
    float x, y, w, h;
    int kind;
    float scale;  // the interface's scale it was laid out at (a window's own under HudFitScope)
};

constexpr int MAX_PLACES = 160;
Place building[MAX_PLACES], offered[MAX_PLACES];
int building_count, offered_count;
bool building_stick, offered_stick;

bool has_pad, back_pressed, capture;
float focus_x = -1.0f, focus_y = -1.0f;  // the focus's centre, -1 none yet
int focus = -1;
bool carrying;                           // left button held by a pick-up
float carry_from_x, carry_from_y;
bool left_held, right_held;              // buttons the pad holds, not the mouse
int held_dir = -1, held_frames;

// The letter board.
bool board_open;
bool board_upper = true;
int board_focus;
const char* const board_rows[5][10] = {
    {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"},
    {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"},
    {"k", "l", "m", "n", "o", "p", "q", "r", "s", "t"},
    {"u", "v", "w", "x", "y", "z", "é", "è", "ç", "'"},
    {"Maj", "-", ".", ":", "Espace", "Effacer", "OK", nullptr, nullptr, nullptr},
};
constexpr int BOARD_KEYS = 47;

void board_key_rect(int k, float* x, float* y, float* w, float* h) {
    const float s = hud_scale;
    int row = k / 10, col = k % 10;
    float kw = 64 * s, kh = 54 * s, gap = 8 * s;
    float total = 10 * kw + 9 * gap;
    float left = ((float)plat_input.client_width - total) * 0.5f;
    float top = (float)plat_input.client_height - 5 * (kh + gap) - 60 * s;
    *x = left + col * (kw + gap);
    *y = top + row * (kh + gap);
    *w = kw;
    *h = kh;
    if (row == 4) {
        // Wider keys on the last row: Maj, -, ., :, Espace (3), Effacer (2), OK (2).
        static const int spans[7] = {1, 1, 1, 1, 2, 2, 2};
        static const int starts[7] = {0, 1, 2, 3, 4, 6, 8};
        *x = left + starts[col] * (kw + gap);
        *w = spans[col] * kw + (spans[col] - 1) * gap;
    }
}

const char* board_label(int k) {
    const char* l = board_rows[k / 10][k % 10];
    if (!l) return "";
    static char upper[8];
    if (board_upper && k >= 10 && k < 40) {
        // Capitals of the letters, accented ones included.
        if (!std::strcmp(l, "é")) return "É";
        if (!std::strcmp(l, "è")) return "È";
        if (!std::strcmp(l, "ç")) return "Ç";
        if (l[0] >= 'a' && l[0] <= 'z' && !l[1]) {
            upper[0] = (char)(l[0] - 'a' + 'A');
            upper[1] = 0;
            return upper;
        }
    }
    return l;
}

bool board_valid(int k) { return k >= 0 && k < 47 && board_rows[k / 10][k % 10]; }

void centre_of(const Place& p, float* x, float* y) {
    *x = p.x + p.w * 0.5f;
    *y = p.y + p.h * 0.5f;
}

// The nearest place in a direction: along the direction counts once, across
// it twice, so the focus keeps to its row or column.
template <typename Centre>
int step_towards(int from, int count, int dir, Centre centre) {
    float fx = 0.0f, fy = 0.0f;
    if (!centre(from, &fx, &fy)) return from;
    int best = -1;
    float best_score = 1e30f;
    for (int i = 0; i < count; ++i) {
        if (i == from) continue;
        float x = 0.0f, y = 0.0f;
        if (!centre(i, &x, &y)) continue;
        float dx = x - fx, dy = y - fy;
        float along = dir == 0 ? -dy : dir == 1 ? dy : dir == 2 ? -dx : dx;
        float across = dir <= 1 ? std::fabs(dx) : std::fabs(dy);
        if (along < 1.0f) continue;
        float score = along + 2.0f * across;
        if (score < best_score) {
            best_score = score;
            best = i;
        }
    }
    return best < 0 ? from : best;
}

// The direction asked this frame: 0 up, 1 down, 2 left, 3 right, -1 none.
// Held, it repeats after a short wait, counted in frames.
int asked_direction(bool stick) {
    const PadState& p = plat_input.pad;
    int now = pad_held(p, PAD_UP) ? 0 : pad_held(p, PAD_DOWN) ? 1 : pad_held(p, PAD_LEFT) ? 2
              : pad_held(p, PAD_RIGHT) ? 3 : -1;
    if (now < 0 && stick) {
        float x = p.axes[PAD_LX], y = p.axes[PAD_LY];
        if (std::fabs(x) > 0.6f || std::fabs(y) > 0.6f)
            now = std::fabs(y) >= std::fabs(x) ? (y < 0 ? 0 : 1) : (x < 0 ? 2 : 3);
    }
    if (now != held_dir) {
        held_dir = now;
        held_frames = 0;
        return now;
    }
    if (now < 0) return -1;
    ++held_frames;
    return held_frames >= 18 && (held_frames - 18) % 7 == 0 ? now : -1;
}

void release_buttons(InputState& in) {
    if (left_held) in.button_down[0] = 0;
    if (right_held) in.button_down[1] = 0;
    left_held = right_held = carrying = false;
}

void board_type(InputState& in, int k) {
    if (k == 40) {
        board_upper = !board_upper;
    } else if (k == 44) {
        plat_input_text(in, ' ');
    } else if (k == 45) {
        in.key_pressed[14] = 1;  // Backspace
    } else if (k == 46) {
        board_open = false;
    } else {
        // Whole UTF-8 characters go through the same rule as typed ones.
        const unsigned char* s = (const unsigned char*)board_label(k);
        while (*s) {
            uint32_t cp = *s;
            int n = *s >= 0xE0 ? 3 : *s >= 0xC0 ? 2 : 1;
            if (n == 2) cp = *s & 0x1F;
            if (n == 3) cp = *s & 0x0F;
            for (int i = 1; i < n && s[i]; ++i) cp = (cp << 6) | (s[i] & 0x3F);
            plat_input_text(in, cp);
            s += n;
        }
        // A name goes on in small letters after its capital.
        if (k >= 10 && k < 40) board_upper = false;
    }
}

}  // namespace

void ui_focus_add(float x, float y, float w, float h, int kind) {
    if (building_count >= MAX_PLACES || !(w > 0.0f) || !(h > 0.0f)) return;
    building[building_count++] = {x, y, w, h, kind, hud_scale > 0.0f ? hud_scale : 1.0f};
}

void ui_focus_modal() { building_count = 0; }
void ui_focus_set_capture(bool on) { capture = on; }
void ui_focus_claim_stick() { building_stick = true; }
bool ui_focus_has_pad() { return has_pad; }
bool ui_focus_carrying() { return has_pad && carrying; }
bool ui_focus_back_pressed() { return back_pressed; }
bool ui_focus_pad_hints() { return plat_input.pad.connected && plat_input.pad_used_last; }

bool ui_focus_centre(float* x, float* y) {
    if (!has_pad || focus < 0 || focus >= offered_count) return false;
    centre_of(offered[focus], x, y);
    return true;
}

int ui_focus_board_key() { return board_open ? board_focus : -1; }

void ui_focus_frame(InputState& in) {
    PadState& pad = in.pad;
    back_pressed = false;
    bool had_pad = has_pad;
    has_pad = pad.connected && (offered_count > 0 || board_open);
    // A screen just opened starts on its first place.
    if (!had_pad) focus = -1;
    if (!has_pad) {
        release_buttons(in);
        board_open = false;
        focus = -1;
        return;
    }
    if (capture) {
        release_buttons(in);
        return;
    }
    int dir = asked_direction(!offered_stick || board_open);
    bool a = pad_pressed(pad, PAD_A);
    bool b = pad_pressed(pad, PAD_B) || pad_pressed(pad, PAD_START);

    if (board_open) {
        auto centre = [](int k, float* x, float* y) {
            if (!board_valid(k)) return false;
            float rx, ry, rw, rh;
            board_key_rect(k, &rx, &ry, &rw, &rh);
            *x = rx + rw * 0.5f;
            *y = ry + rh * 0.5f;
            return true;
        };
        if (dir >= 0) board_focus = step_towards(board_focus, BOARD_KEYS, dir, centre);
        if (a) board_type(in, board_focus);
        if (pad_pressed(pad, PAD_X)) in.key_pressed[14] = 1;
        if (b) board_open = false;
        return;
    }

    // Keep the focus on the place nearest to where it was: layouts move
    // little from one frame to the next, and a new screen starts at its first.
    if (focus_x < 0.0f || focus < 0) {
        focus = 0;
    } else {
        float best = 1e30f;
        for (int i = 0; i < offered_count; ++i) {
            float x, y;
            centre_of(offered[i], &x, &y);
            float d = (x - focus_x) * (x - focus_x) + (y - focus_y) * (y - focus_y);
            if (d < best) {
                best = d;
                focus = i;
            }
        }
    }
    if (dir >= 0) {
        auto centre = [](int i, float* x, float* y) {
            centre_of(offered[i], x, y);
            return true;
        };
        focus = step_towards(focus, offered_count, dir, centre);
    }
    centre_of(offered[focus], &focus_x, &focus_y);
    if (in.pad_used_last) {
        in.mouse_x = (int)std::lround(focus_x);
        in.mouse_y = (int)std::lround(focus_y);
    }

    if (right_held) {
        in.button_down[1] = 0;
        right_held = false;
    }
    const Place& here = offered[focus];
    if (a && here.kind == UI_PLACE_TEXT) {
        board_open = true;
        board_focus = 11;
        return;
    }
    if (a) {
        if (carrying) {
            // Put down where the focus is now.
            in.button_down[0] = 0;
            left_held = carrying = false;
        } else {
            in.button_pressed[0] = 1;
            in.button_down[0] = 1;
            left_held = true;
            carrying = here.kind == UI_PLACE_CARRY;
            carry_from_x = focus_x;
            carry_from_y = focus_y;
        }
    } else if (left_held && !carrying && !pad_held(pad, PAD_A)) {
        in.button_down[0] = 0;
        left_held = false;
    }
    if (pad_pressed(pad, PAD_X) && !carrying && !a) {
        if (here.kind == UI_PLACE_CARRY) {
            // On an item, X uses it at once: a left click, released next frame.
            in.button_pressed[0] = 1;
            in.button_down[0] = 1;
            left_held = true;
        } else {
            in.button_pressed[1] = 1;
            in.button_down[1] = 1;
            right_held = true;
        }
    }
    if (b) {
        if (carrying) {
            // Changed one's mind: back where it came from.
            in.mouse_x = (int)std::lround(carry_from_x);
            in.mouse_y = (int)std::lround(carry_from_y);
            focus_x = carry_from_x;
            focus_y = carry_from_y;
            in.button_down[0] = 0;
            left_held = carrying = false;
        } else {
            in.key_pressed[KEY_ESCAPE] = 1;
            back_pressed = true;
        }
    }
    // Triggers scroll lists; a screen that claims the stick zooms with them itself.
    if (!offered_stick) {
        if (pad_pressed(pad, PAD_RT)) in.wheel -= 1.0f;
        if (pad_pressed(pad, PAD_LT)) in.wheel += 1.0f;
    }
}

void ui_focus_draw() {
    if (has_pad && ui_focus_pad_hints()) {
        const float s = hud_scale > 0.0f ? hud_scale : 1.0f;
        if (board_open) {
            ui_rect(0, 0, (float)plat_input.client_width, (float)plat_input.client_height,
                    Vec4{0.0f, 0.0f, 0.0f, 0.35f});
            UiBoxScope board(0, 0, (float)plat_input.client_width, (float)plat_input.client_height, UI_BOX_LAYER);
            for (int k = 0; k < BOARD_KEYS; ++k) {
                if (!board_valid(k)) continue;
                float x, y, w, h;
                board_key_rect(k, &x, &y, &w, &h);
                bool on = k == board_focus;
                ui_panel(x, y, w, h, on ? Vec4{0.32f, 0.26f, 0.1f, 0.97f} : Vec4{0.08f, 0.12f, 0.1f, 0.95f},
                         on ? HUD_PARCHMENT : HUD_GOLD, (on ? 3.0f : 1.5f) * s);
                UiBoxScope key(x, y, w, h, 0, (on ? 3.0f : 1.5f) * s);
                ui_text_centred(x + w * 0.5f, y + h * 0.25f, board_label(k), 22 * s, HUD_PARCHMENT, UI_FONT_BODY);
            }
            float x, y, w, h;
            board_key_rect(0, &x, &y, &w, &h);
            ui_text_centred((float)plat_input.client_width * 0.5f, y - 40 * s,
                            "A : écrire  ·  X : effacer  ·  B : terminer", 18 * s, HUD_GOLD, UI_FONT_BODY);
        } else if (focus >= 0 && focus < offered_count) {
            // A bright frame a little outside the place, pulsing gently, at
            // the scale its window was laid out at.
            const Place& p = offered[focus];
            float pulse = 0.75f + 0.25f * std::sin((float)plat_time() * 6.0f);
            Vec4 c = {1.0f, 0.93f, 0.6f, pulse};
            float t = 3.0f * p.scale, m = 4.0f * p.scale;
            ui_rect(p.x - m, p.y - m, p.w + 2 * m, t, c);
            ui_rect(p.x - m, p.y + p.h + m - t, p.w + 2 * m, t, c);
            ui_rect(p.x - m, p.y - m, t, p.h + 2 * m, c);
            ui_rect(p.x + p.w + m - t, p.y - m, t, p.h + 2 * m, c);
        }
    }
    std::memcpy(offered, building, sizeof(Place) * (size_t)building_count);
    offered_count = building_count;
    offered_stick = building_stick;
    building_count = 0;
    building_stick = false;
    if (focus >= offered_count) focus = offered_count - 1;
}
