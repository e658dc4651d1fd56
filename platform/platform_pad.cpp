// Pad readings made alike on every system: dead zones, trigger buttons and
// the XInput layout, kept here so they are tested natively.
#include <cmath>

#include "platform/backend_common.h"

bool pad_held(const PadState& pad, int button) {
    return button >= 0 && button < PAD_BUTTON_COUNT && (pad.buttons >> button) & 1u;
}

bool pad_pressed(const PadState& pad, int button) {
    return pad_held(pad, button) && !((pad.buttons_prev >> button) & 1u);
}

void pad_stick(float x, float y, float dead_zone, float* out_x, float* out_y) {
    if (!(dead_zone >= 0.0f)) dead_zone = 0.0f;
    if (dead_zone > 0.9f) dead_zone = 0.9f;
    if (!std::isfinite(x)) x = 0.0f;
    if (!std::isfinite(y)) y = 0.0f;
    float m = std::sqrt(x * x + y * y);
    if (m <= dead_zone || m <= 0.0f) {
        *out_x = *out_y = 0.0f;
        return;
    }
    float scaled = (m - dead_zone) / (1.0f - dead_zone);
    if (scaled > 1.0f) scaled = 1.0f;  // the corners of a square stick gate
    *out_x = x / m * scaled;
    *out_y = y / m * scaled;
}

void pad_update_trigger_buttons(PadState& pad) {
    const int buttons[2] = {PAD_LT, PAD_RT};
    const int axes[2] = {PAD_LTRIGGER, PAD_RTRIGGER};
    for (int i = 0; i < 2; ++i) {
        uint32_t bit = 1u << buttons[i];
        bool was = (pad.buttons_prev & bit) != 0;
        float v = pad.axes[axes[i]];
        bool down = was ? v >= 0.45f : v > 0.55f;
        pad.buttons = down ? (pad.buttons | bit) : (pad.buttons & ~bit);
    }
}

bool pad_active(const PadState& pad) {
    if (!pad.connected) return false;
    if (pad.buttons & ~pad.buttons_prev) return true;
    for (int a = 0; a < 4; ++a)
        if (std::fabs(pad.axes[a]) > 0.5f) return true;
    return false;
}

static float thumb(int16_t v) { return v < 0 ? (float)v / 32768.0f : (float)v / 32767.0f; }

void pad_from_xinput(const XInputGamepadRecord& x, PadState& pad) {
    // XINPUT_GAMEPAD_* bits, in our button order.
    static const struct {
        uint16_t bit;
        int button;
    } map[] = {
        {0x1000, PAD_A},    {0x2000, PAD_B},     {0x4000, PAD_X},    {0x8000, PAD_Y},
        {0x0020, PAD_BACK}, {0x0010, PAD_START}, {0x0040, PAD_LSTICK}, {0x0080, PAD_RSTICK},
        {0x0100, PAD_LB},   {0x0200, PAD_RB},    {0x0001, PAD_UP},   {0x0002, PAD_DOWN},
        {0x0004, PAD_LEFT}, {0x0008, PAD_RIGHT},
    };
    uint32_t b = 0;
    for (const auto& m : map)
        if (x.buttons & m.bit) b |= 1u << m.button;
    pad.buttons = b;
    pad.connected = 1;
    // XInput's y points up; ours down, as on screen.
    pad.axes[PAD_LX] = thumb(x.thumb_lx);
    pad.axes[PAD_LY] = -thumb(x.thumb_ly);
    pad.axes[PAD_RX] = thumb(x.thumb_rx);
    pad.axes[PAD_RY] = -thumb(x.thumb_ry);
    if (pad.axes[PAD_LY] > 1.0f) pad.axes[PAD_LY] = 1.0f;
    if (pad.axes[PAD_RY] > 1.0f) pad.axes[PAD_RY] = 1.0f;
    pad.axes[PAD_LTRIGGER] = (float)x.left_trigger / 255.0f;
    pad.axes[PAD_RTRIGGER] = (float)x.right_trigger / 255.0f;
    pad_update_trigger_buttons(pad);
}

void pad_note_last_used(InputState& in, bool keyboard_or_mouse) {
    if (keyboard_or_mouse) in.pad_used_last = 0;
    if (pad_active(in.pad)) in.pad_used_last = 1;
    if (!in.pad.connected) in.pad_used_last = 0;
}
