// The pad's readings: stick dead zones, trigger buttons and the XInput layout
// from recorded XINPUT_STATE values, and pad frames in input scripts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/input_script.h"
#include "platform/backend_common.h"

TEST(Pad, StickDeadZoneEdges) {
    float x, y;
    // Inside and exactly on the dead zone: still.
    pad_stick(0.2f, 0.0f, 0.2f, &x, &y);
    EXPECT_EQ(x, 0.0f);
    pad_stick(0.12f, -0.12f, 0.2f, &x, &y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    // Just past it the speed starts near 0, not at the dead zone's size.
    pad_stick(0.21f, 0.0f, 0.2f, &x, &y);
    EXPECT_NEAR(x, 0.0125f, 1e-4f);
    // Halfway through the live travel, direction kept.
    pad_stick(0.0f, -0.6f, 0.2f, &x, &y);
    EXPECT_NEAR(y, -0.5f, 1e-5f);
    EXPECT_EQ(x, 0.0f);
    // A full diagonal of a square gate is capped at 1, direction kept.
    pad_stick(1.0f, 1.0f, 0.2f, &x, &y);
    EXPECT_NEAR(std::sqrt(x * x + y * y), 1.0f, 1e-5f);
    EXPECT_NEAR(x, y, 1e-6f);
    // Out-of-range dead zones are clamped (0.9 at most, never negative), and
    // a broken reading is no motion.
    pad_stick(0.95f, 0.0f, 5.0f, &x, &y);
    EXPECT_NEAR(x, 0.5f, 1e-4f);
    pad_stick(0.3f, 0.0f, -1.0f, &x, &y);
    EXPECT_NEAR(x, 0.3f, 1e-6f);
    pad_stick(NAN, 0.5f, 0.1f, &x, &y);
    EXPECT_TRUE(std::isfinite(x));
}

TEST(Pad, TriggerButtonsHaveHysteresis) {
    PadState p{};
    p.axes[PAD_LTRIGGER] = 0.55f;  // not past the press point
    pad_update_trigger_buttons(p);
    EXPECT_FALSE(pad_held(p, PAD_LT));
    p.axes[PAD_LTRIGGER] = 0.56f;
    pad_update_trigger_buttons(p);
    EXPECT_TRUE(pad_held(p, PAD_LT));
    EXPECT_TRUE(pad_pressed(p, PAD_LT));
    // Next frame, eased back to 0.46: still held, no second press.
    p.buttons_prev = p.buttons;
    p.axes[PAD_LTRIGGER] = 0.46f;
    pad_update_trigger_buttons(p);
    EXPECT_TRUE(pad_held(p, PAD_LT));
    EXPECT_FALSE(pad_pressed(p, PAD_LT));
    p.buttons_prev = p.buttons;
    p.axes[PAD_LTRIGGER] = 0.44f;
    pad_update_trigger_buttons(p);
    EXPECT_FALSE(pad_held(p, PAD_LT));
    EXPECT_FALSE(pad_held(p, PAD_RT));
    // Out-of-range buttons are never held.
    EXPECT_FALSE(pad_held(p, -1));
    EXPECT_FALSE(pad_held(p, PAD_BUTTON_COUNT));
}

TEST(Pad, XInputRecordedStates) {
    // XINPUT_GAMEPAD as read from a pad: A + right bumper + d-pad left, left
    // stick pushed fully up and to the left, right trigger fully in.
    const unsigned char recorded[12] = {0x04, 0x12, 0x00, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x00};
    XInputGamepadRecord x;
    memcpy(&x, recorded, sizeof x);
    PadState p{};
    pad_from_xinput(x, p);
    EXPECT_TRUE(p.connected);
    EXPECT_EQ(p.buttons, (1u << PAD_A) | (1u << PAD_RB) | (1u << PAD_LEFT) | (1u << PAD_RT));
    EXPECT_FLOAT_EQ(p.axes[PAD_LX], -1.0f);  // -32768
    EXPECT_FLOAT_EQ(p.axes[PAD_LY], -1.0f);  // XInput's up is our up (negative y)
    EXPECT_FLOAT_EQ(p.axes[PAD_RX], 0.0f);
    EXPECT_FLOAT_EQ(p.axes[PAD_RTRIGGER], 1.0f);
    EXPECT_FLOAT_EQ(p.axes[PAD_LTRIGGER], 0.0f);

    // Every button bit lands on its own button; the bits XInput leaves
    // unused (0x0400, 0x0800) give nothing.
    const struct {
        uint16_t bit;
        int button;
    } bits[] = {{0x0001, PAD_UP},  {0x0002, PAD_DOWN},   {0x0004, PAD_LEFT},   {0x0008, PAD_RIGHT},
                {0x0010, PAD_START}, {0x0020, PAD_BACK}, {0x0040, PAD_LSTICK}, {0x0080, PAD_RSTICK},
                {0x0100, PAD_LB},  {0x0200, PAD_RB},     {0x1000, PAD_A},      {0x2000, PAD_B},
                {0x4000, PAD_X},   {0x8000, PAD_Y},      {0x0C00, -1}};
    for (const auto& b : bits) {
        XInputGamepadRecord one{};
        one.buttons = b.bit;
        PadState q{};
        pad_from_xinput(one, q);
        EXPECT_EQ(q.buttons, b.button < 0 ? 0u : 1u << b.button) << std::hex << b.bit;
    }
    // Left trigger at XInput's own threshold (30 of 255) is not a press;
    // stick values at the far negative end stay within -1.
    XInputGamepadRecord soft{};
    soft.left_trigger = 30;
    soft.thumb_ry = 32767;
    soft.thumb_rx = -32768;
    PadState q{};
    pad_from_xinput(soft, q);
    EXPECT_FALSE(pad_held(q, PAD_LT));
    EXPECT_FLOAT_EQ(q.axes[PAD_RY], -1.0f);
    EXPECT_FLOAT_EQ(q.axes[PAD_RX], -1.0f);
}

TEST(Pad, ScriptCarriesThePadAndOldScriptsStillRead) {
    InputState frames[2];
    memset(frames, 0, sizeof frames);
    frames[0].key_down[17] = 1;
    frames[1].pad.connected = 1;
    frames[1].pad.buttons = (1u << PAD_A) | (1u << PAD_UP);
    frames[1].pad.axes[PAD_LX] = 0.5f;
    frames[1].pad.axes[PAD_RTRIGGER] = 1.0f;
    char text[2048];
    ASSERT_GT(input_script_write(frames, 2, text, sizeof text), 0);
    InputState back[2];
    ASSERT_EQ(input_script_read(text, back, 2), 2);
    EXPECT_FALSE(back[0].pad.connected);
    EXPECT_TRUE(back[1].pad.connected);
    EXPECT_EQ(back[1].pad.buttons, frames[1].pad.buttons);
    EXPECT_FLOAT_EQ(back[1].pad.axes[PAD_LX], 0.5f);
    // A frame written before pads existed reads as before.
    EXPECT_EQ(input_script_read("k 17 | b 000 | m 0 0 | w 0 | c 5 6 | q 0 | t 41\n", back, 2), 1);
    EXPECT_EQ(back[0].key_down[17], 1);
    EXPECT_STREQ(back[0].text_input, "A");
    // Replayed, the trigger becomes a held button and a press shows once.
    InputState live;
    memset(&live, 0, sizeof live);
    plat_input_begin_frame(live);
    input_script_apply(live, frames[1]);
    EXPECT_TRUE(pad_pressed(live.pad, PAD_A));
    EXPECT_TRUE(pad_held(live.pad, PAD_RT));
    plat_input_begin_frame(live);
    input_script_apply(live, frames[1]);
    EXPECT_TRUE(pad_held(live.pad, PAD_A));
    EXPECT_FALSE(pad_pressed(live.pad, PAD_A));
    // A stick pushed past its gate in a hand-edited script is brought back.
    ASSERT_EQ(input_script_read("k | b 000 | m 0 0 | w 0 | c 0 0 | q 0 | p 1 7 0 0 0 0 -3 | t \n", back, 2), 1);
    EXPECT_FLOAT_EQ(back[0].pad.axes[PAD_LX], 1.0f);
    EXPECT_FLOAT_EQ(back[0].pad.axes[PAD_RTRIGGER], 0.0f);
}
