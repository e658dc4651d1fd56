// The pad in play: the stick's dead zone and analogue share of the walk, the
// trigger pages of the action bar taking the face buttons from their
// actions, and the right stick's camera with its own sensitivity and axis.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/backend_common.h"
#include "play/bindings.h"
#include "play/player.h"
#include "play/player_move.h"

namespace {

void pad_frame(uint32_t buttons, float lx = 0, float ly = 0, float lt = 0, float rt = 0) {
    plat_input_begin_frame(plat_input);
    plat_input.pad.connected = 1;
    plat_input.pad.buttons = buttons;
    plat_input.pad.axes[PAD_LX] = lx;
    plat_input.pad.axes[PAD_LY] = ly;
    plat_input.pad.axes[PAD_LTRIGGER] = lt;
    plat_input.pad.axes[PAD_RTRIGGER] = rt;
    pad_update_trigger_buttons(plat_input.pad);
}

}  // namespace

TEST(PadPlay, StickWalksPastItsDeadZoneAtItsOwnSpeed) {
    std::memset(&plat_input, 0, sizeof plat_input);
    pad_bindings_reset();
    pad_tuning = {0.2f, 1.0f, 0, 1};
    pad_frame(0, 0.0f, -0.19f);
    EXPECT_EQ(binding_forward_axis(), 0.0f);  // resting thumb: no creeping
    pad_frame(0, 0.0f, -0.6f);
    EXPECT_NEAR(binding_forward_axis(), 0.5f, 1e-5f);
    pad_frame(0, 1.0f, 0.0f);
    EXPECT_NEAR(binding_strafe_axis(), 1.0f, 1e-5f);
    // A key and the stick together never pass a full step.
    plat_input.key_down[bindings[BIND_RIGHT]] = 1;
    EXPECT_EQ(binding_strafe_axis(), 1.0f);
    plat_input.key_down[bindings[BIND_RIGHT]] = 0;
    // A wider dead zone from the options swallows the same push.
    pad_tuning.dead_zone = 0.5f;
    pad_frame(0, 0.0f, -0.45f);
    EXPECT_EQ(binding_forward_axis(), 0.0f);
    pad_tuning.dead_zone = 0.2f;
    // No pad: nothing.
    plat_input.pad.connected = 0;
    EXPECT_EQ(binding_forward_axis(), 0.0f);
}

TEST(PadPlay, TriggerPagesReachAllTenSlotsAndHoldBackTheFaceButtons) {
    std::memset(&plat_input, 0, sizeof plat_input);
    pad_bindings_reset();
    pad_frame(1u << PAD_X);
    EXPECT_TRUE(binding_pressed(BIND_ATTACK));
    EXPECT_EQ(pad_bar_slot_pressed(), -1);
    // Left trigger held: X is slot 1, not an attack.
    pad_frame(0, 0, 0, 1.0f);
    pad_frame(1u << PAD_X, 0, 0, 1.0f);
    EXPECT_FALSE(binding_pressed(BIND_ATTACK));
    EXPECT_EQ(pad_bar_slot_pressed(), 0);
    pad_frame(1u << PAD_RB, 0, 0, 1.0f);
    EXPECT_EQ(pad_bar_slot_pressed(), 4);
    EXPECT_FALSE(binding_pressed(BIND_TARGET));
    // Right trigger: the second page, slot 10 on the right bumper.
    pad_frame(0, 0, 0, 0, 1.0f);
    pad_frame(1u << PAD_A, 0, 0, 0, 1.0f);
    EXPECT_EQ(pad_bar_slot_pressed(), 8);
    EXPECT_FALSE(binding_held(BIND_JUMP));
    pad_frame(1u << PAD_RB, 0, 0, 0, 1.0f);
    EXPECT_EQ(pad_bar_slot_pressed(), 9);
    // The d-pad still opens windows with a page open.
    pad_frame(1u << PAD_UP, 0, 0, 0, 1.0f);
    EXPECT_TRUE(binding_pressed(BIND_CHARACTER));
    // A rebound action follows its new button.
    pad_bindings[BIND_JUMP] = PAD_Y;
    pad_frame(1u << PAD_Y);
    EXPECT_TRUE(binding_held(BIND_JUMP));
    EXPECT_TRUE(binding_held(BIND_INTERACT));
    pad_bindings_reset();
    EXPECT_FALSE(pad_button_bindable(PAD_START));
    EXPECT_FALSE(pad_button_bindable(PAD_RT));
    EXPECT_TRUE(pad_button_bindable(PAD_LSTICK));
}

TEST(PadPlay, RightStickTurnsTheCameraWithItsOwnSensitivityAndAxis) {
    Player p{};
    p.camera_pitch = 0.3f;
    pad_look(p, 1.0f, 0.0f, 0.5f, 1.0f, false);
    EXPECT_NEAR(p.camera_yaw, -1.3f, 1e-4f);  // 2.6 rad/s at a full push
    pad_look(p, 0.0f, 0.5f, 0.2f, 2.0f, false);
    EXPECT_NEAR(p.camera_pitch, 0.3f + 0.5f * 1.6f * 0.2f * 2.0f, 1e-4f);
    float before = p.camera_pitch;
    pad_look(p, 0.0f, 0.5f, 0.1f, 1.0f, true);  // inverted: the other way
    EXPECT_LT(p.camera_pitch, before);
    pad_look(p, 0.0f, 1.0f, 10.0f, 2.5f, false);
    EXPECT_LE(p.camera_pitch, 1.2f);  // the mouse's limits hold
}
