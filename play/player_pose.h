#pragma once
// The pose of a walking, jumping and fighting person on the human model:
// used for the player and, from their pose records, for other players.
#include <cstdint>

struct Model;
struct HumanRig;

struct HumanPose {
    float stride_phase;
    float walk_blend, run_blend;
    float vertical_speed;
    uint8_t on_ground;
    float guard_blend;     // shield raised / aiming stance
    float draw_blend;      // 0 just released .. 1 drawn again
    float swing_progress;  // 0 idle
    int32_t combo_index;
    float whirlwind_progress;
    float charge_time;
    int32_t player_class;
};

// Writes the node rotations for this pose; dt drives the smoothed parts.
void human_pose_apply(Model* m, const HumanRig& rig, const HumanPose& p, float dt);
