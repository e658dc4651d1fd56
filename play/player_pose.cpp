#include "play/player_pose.h"

#include <cmath>

#include "common/mathx.h"
#include "play/player.h"
#include "world/human.h"
#include "world/model.h"
#include "world/weapons.h"

static float toward(float v, float t, float f) { return v + (t - v) * f; }

static Vec3* rot(Model* m, int node) {
    static Vec3 sink;
    if (node < 0 || node >= m->node_count) return &sink;
    return &m->nodes[node].rotation;
}

void human_pose_apply(Model* m, const HumanRig& r, const HumanPose& p, float dt) {
    if (!m) return;
    float q = std::fmin(1.0f, 12.0f * dt);
    float w = clampf(p.walk_blend, 0.0f, 1.0f);
    float run = clampf(p.run_blend, 0.0f, 1.0f);
    float s = std::sin(p.stride_phase);
    float c = std::cos(p.stride_phase);

    // Legs swing with the stride (positive pitch swings a limb backwards);
    // knees fold while the leg comes forward, more when running.
    float leg_amp = w * (0.42f + 0.38f * run);
    float leg0 = leg_amp * s, leg1 = -leg_amp * s;
    float fold = 0.55f + 0.75f * run;
    float knee0 = w * (0.08f + fold * std::fmax(0.0f, -c)) + 0.04f;
    float knee1 = w * (0.08f + fold * std::fmax(0.0f, c)) + 0.04f;
    float hip_lift = w * (0.025f + 0.03f * run) * std::fabs(c);
    float lean = 0.05f * w + 0.16f * run;

    // Arms counter-swing: the left arm goes with the right leg.
    float arm_amp = w * (0.38f + 0.45f * run);
    float arm0 = -arm_amp * s;  // left arm forward while the left leg goes back
    float arm1 = -arm0;
    float elbow = -(0.18f + 0.9f * run) * w - 0.12f;

    if (!p.on_ground) {
        // In the air: one knee drawn up, arms lifted for balance; rising
        // and falling blend by the vertical speed.
        float up = clampf(p.vertical_speed / 7.5f, -1.0f, 1.0f);
        leg0 = -0.55f - 0.15f * up;
        leg1 = 0.15f;
        knee0 = 0.95f;
        knee1 = 0.45f + 0.2f * (1.0f - up);
        arm0 = -0.45f + 0.15f * up;
        arm1 = -0.35f;
        elbow = -0.5f;
        hip_lift = 0.0f;
    }

    rot(m, r.leg[0])->x = leg0;
    rot(m, r.leg[1])->x = leg1;
    rot(m, r.knee[0])->x = knee0;
    rot(m, r.knee[1])->x = knee1;
    if (r.hips >= 0 && r.hips < m->node_count) {
        Node& h = m->nodes[r.hips];
        h.position.y = toward(h.position.y, r.hip_height + hip_lift - 0.03f * run, std::fmin(1.0f, 20.0f * dt));
    }

    Vec3* torso = rot(m, r.torso);
    Vec3* a0 = rot(m, r.arm[0]);
    Vec3* a1 = rot(m, r.arm[1]);
    Vec3* f0 = rot(m, r.forearm[0]);
    Vec3* f1 = rot(m, r.forearm[1]);

    float torso_x = lean, torso_y = 0.0f;
    float t_a0x = arm0, t_a1x = arm1, t_f0 = elbow, t_f1 = elbow;
    float t_a0z = 0.07f, t_a1z = -0.07f, t_a0y = 0.0f, t_a1y = 0.0f;

    float g = clampf(p.guard_blend, 0.0f, 1.0f);
    if (p.player_class == CLASS_WARRIOR) {
        // Shield arm brought across the chest.
        t_a0x = lerpf(t_a0x, -1.25f, g);
        t_a0y = lerpf(0.0f, -0.5f, g);
        t_f0 = lerpf(t_f0, -1.1f, g);
        t_a1x = lerpf(t_a1x, -0.35f, g);
    } else if (p.player_class == CLASS_ARCHER) {
        // Bow arm out toward the aim; the string hand pulls back to the
        // cheek as the draw comes round again.
        float d = clampf(p.draw_blend, 0.0f, 1.0f);
        t_a0x = lerpf(t_a0x, -1.5f, g);
        t_a0y = lerpf(0.0f, -0.35f, g);
        t_f0 = lerpf(t_f0, -0.05f, g);
        t_a1x = lerpf(t_a1x, -1.45f, g);
        t_a1y = lerpf(0.0f, 0.45f * d, g);
        t_f1 = lerpf(t_f1, -0.4f - 1.6f * d, g);
        torso_y = lerpf(0.0f, -0.45f, g);
    } else {
        // Druid: casting hand raised toward the target as the spell leaves.
        float d = 1.0f - clampf(p.draw_blend, 0.0f, 1.0f);
        float cast = std::fmax(g, d);
        t_a1x = lerpf(t_a1x, -1.45f, cast);
        t_f1 = lerpf(t_f1, -0.15f, cast);
        t_a0x = lerpf(t_a0x, -0.5f, g);
    }

    if (p.swing_progress > 0.0f) {
        float u = clampf(p.swing_progress, 0.0f, 1.0f);
        float up = u < 0.45f ? std::sin(u / 0.45f * PI * 0.5f) : 1.0f - (u - 0.45f) / 0.55f;
        switch (p.combo_index) {
            case 0:  // overhead cut
                t_a1x = u < 0.45f ? -2.5f * up : lerpf(0.6f, -2.5f, up);
                t_f1 = -0.6f * up;
                torso_x = lean + 0.15f * (1.0f - up);
                break;
            case 1:  // sweep from the right
                t_a1x = -1.5f;
                t_a1y = u < 0.45f ? -1.0f * up : lerpf(1.1f, -1.0f, up);
                torso_y = u < 0.45f ? -0.5f * up : lerpf(0.5f, -0.5f, up);
                t_f1 = -0.2f;
                break;
            default:  // the heavy third blow, whole body behind it
                t_a1x = u < 0.45f ? -2.9f * up : lerpf(0.9f, -2.9f, up);
                t_a0x = t_a1x * 0.6f;
                t_f1 = -0.3f * up;
                torso_x = lean + 0.35f * (1.0f - up) - 0.15f * up;
                break;
        }
        q = std::fmin(1.0f, 30.0f * dt);
    }
    if (p.whirlwind_progress > 0.0f) {
        torso_y = p.whirlwind_progress * 4.0f * PI;
        t_a1x = -1.5f;
        t_a1z = -1.2f;
        t_a0z = 1.2f;
        q = 1.0f;
    }
    if (p.charge_time > 0.0f) {
        torso_x = 0.4f;
        t_a1x = -1.2f;
        t_a0x = -0.8f;
    }

    torso->x = toward(torso->x, torso_x, q);
    torso->y = p.whirlwind_progress > 0.0f ? torso_y : toward(torso->y, torso_y, q);
    a0->x = toward(a0->x, t_a0x, q);
    a1->x = toward(a1->x, t_a1x, q);
    a0->y = toward(a0->y, t_a0y, q);
    a1->y = toward(a1->y, t_a1y, q);
    a0->z = toward(a0->z, t_a0z, q);
    a1->z = toward(a1->z, t_a1z, q);
    f0->x = toward(f0->x, t_f0, q);
    f1->x = toward(f1->x, t_f1, q);

    if (r.armed) {
        bool archer = p.player_class == CLASS_ARCHER;
        bool shielded = p.player_class == CLASS_WARRIOR && p.whirlwind_progress <= 0.0f;
        weapons_pose(m, r, archer ? g : 0.0f, archer ? p.draw_blend : 0.0f, shielded ? g : 0.0f);
    }
}
