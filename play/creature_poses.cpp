// Walk, trot and gallop of the four-legged; stride, look-around, bow draw and
// blows of the two-legged; the jolt of a hit, corpses lying down and the
// crypt lord's lean while he charges.
#include <cmath>

#include "common/game_time.h"
#include "play/creatures.h"
#include "world/species_models.h"
#include "world/terrain.h"

namespace {

Node* node_at(Creature* c, int slot) {
    if (slot < 0 || slot >= c->model.node_count || !c->model.nodes) return nullptr;
    return &c->model.nodes[slot];
}

void set_pitch(Creature* c, int slot, float v) {
    if (Node* n = node_at(c, slot)) n->rotation.x = v;
}

void pitch_toward(Creature* c, int slot, float target, float f) {
    if (Node* n = node_at(c, slot)) n->rotation.x += (target - n->rotation.x) * f;
}

const SpeciesSlots* slots_of(const Creature* c) {
    if (c->species < 0 || c->species >= SPECIES_MODEL_COUNT) return nullptr;
    return &species_models[c->species].slots;
}

float tail_amplitude(int species) {
    if (species == SP_WOLF) return 0.25f;
    if (species == SP_BEAR) return 0.1f;
    return 0.5f;
}

}  // namespace

bool species_is_quadruped(int species) {
    return species == SP_BOAR || species == SP_WOLF || species == SP_WOLF_SPIRIT || species == SP_BEAR;
}

void pose_quadruped(Creature* c, float dt, float v_ref) {
    const SpeciesSlots* s = slots_of(c);
    bool nodes = s && c->model.node_count > 0;
    float fx = std::sin(c->heading), fz = std::cos(c->heading);
    // 1. Body pitch follows the slope under it.
    if (nodes && c->world == WORLD_SURFACE) {
        float ahead = ground_height(c->pos.x + fx * 0.5f, c->pos.z + fz * 0.5f);
        float behind = ground_height(c->pos.x - fx * 0.5f, c->pos.z - fz * 0.5f);
        pitch_toward(c, s->body, -std::atan2(ahead - behind, 1.0f), std::fmin(1.0f, 6.0f * dt));
    } else if (nodes) {
        pitch_toward(c, s->body, 0.0f, std::fmin(1.0f, 6.0f * dt));
    }
    // 2-4. How much it walks and gallops, the phase, amplitude and gait offset.
    float w = v_ref > 0.0f ? std::fmin(1.0f, c->speed / v_ref) : 0.0f;
    float g = clampf((c->speed - 2.0f) * 0.25f, 0.0f, 1.0f);
    c->stride_phase += (2.4f * c->speed + 2.0f) * dt;
    // Wrapped by whole turns so the phase never loses precision.
    if (c->stride_phase > 64.0f * PI) c->stride_phase -= 64.0f * PI;
    float p = c->stride_phase;
    float a = 0.45f * w + 0.25f * g;
    float d = (1.0f - g) * (PI - g * PI * 0.5f);
    // 8. The head nod of a bite runs whether or not there is a figure.
    float nod = 0.0f;
    if (c->attack_anim > 0.0f) {
        c->attack_anim = std::fmax(0.0f, c->attack_anim - 2.2f * dt);
        nod = 0.5f * std::sin((1.0f - c->attack_anim) * PI);
    }
    if (!nodes) return;
    // 5. Upper legs.
    set_pitch(c, s->front_leg[0], a * std::sin(p));
    set_pitch(c, s->hind_leg[1], a * std::sin(p + d));
    set_pitch(c, s->front_leg[1], a * std::sin(p + PI));
    set_pitch(c, s->hind_leg[0], a * std::sin(p + PI + d));
    // 6. Lower legs fold while their leg swings forward.
    float b = 0.7f * w + 0.3f * g;
    set_pitch(c, s->lower_front[0], std::fmax(0.0f, -std::cos(p)) * b * 0.9f);
    set_pitch(c, s->lower_front[1], std::fmax(0.0f, -std::cos(p + PI)) * b * 0.9f);
    set_pitch(c, s->lower_hind[0], std::fmax(0.0f, -std::cos(p + PI + d)) * b * -0.8f);
    set_pitch(c, s->lower_hind[1], std::fmax(0.0f, -std::cos(p + d)) * b * -0.8f);
    // 7. Body lift.
    if (Node* body = node_at(c, s->body)) body->position.y = w * 0.04f * std::fabs(std::sin(p));
    // 8. Head.
    float head = nod - 0.15f * g + 0.04f * std::sin(0.5f * p);
    if (c->ai_state == CS_BOAR_IDLE && c->species == SP_BOAR) head += 0.55f;
    pitch_toward(c, s->head, head, std::fmin(1.0f, 8.0f * dt));
    // 9. Tail.
    float f = c->species == SP_WOLF ? 5.0f : 12.0f;
    if (Node* tail = node_at(c, s->tail))
        tail->rotation.z = tail_amplitude(c->species) * (float)std::sin(f * game_clock);
}

void pose_biped(Creature* c, float dt) {
    if (c->species < 0 || c->species >= SPECIES_COUNT) return;
    const SpeciesSlots* sl = slots_of(c);
    bool nodes = sl && c->model.node_count > 0;
    const SpeciesDef& def = species_defs[c->species];
    float w = def.walk_speed > 0.0f ? std::fmin(1.0f, c->speed / def.walk_speed) : 0.0f;
    float k = c->species == SP_GOBLIN ? 2.2f : 1.7f;
    c->stride_phase += (c->speed * k + 3.0f) * dt;
    if (c->stride_phase > 64.0f * PI) c->stride_phase -= 64.0f * PI;
    float p = c->stride_phase;
    float s = std::sin(p) * w;
    bool fight = c->ai_state == CS_FIGHT;
    bool guardian = c->species == SP_BONE_GUARDIAN;

    // The blow's arc is set directly; it advances even without a figure so
    // that the blow lands on time.
    bool blow = false;
    float u = 0.0f;
    if (c->draw_time <= 0.0f && c->attack_anim > 0.0f) {
        c->attack_anim = std::fmax(0.0f, c->attack_anim - 2.2f * dt);
        u = 1.0f - c->attack_anim;
        blow = true;
    }
    if (!nodes) return;

    // 2-4. Legs, knees, body lift.
    set_pitch(c, sl->leg[0], 0.6f * s);
    set_pitch(c, sl->leg[1], -0.6f * s);
    set_pitch(c, sl->knee[0], (std::fmax(0.0f, -std::cos(p)) * 0.9f + 0.1f) * w + 0.06f);
    set_pitch(c, sl->knee[1], (std::fmax(0.0f, std::cos(p)) * 0.9f + 0.1f) * w + 0.06f);
    Node* body = node_at(c, sl->body);
    if (body) body->position.y = w * 0.05f * std::fabs(std::cos(p));

    Node* off = node_at(c, sl->off_arm);
    Node* weapon = node_at(c, sl->weapon_arm);
    if (c->draw_time > 0.0f) {
        // 6. Drawing the bow.
        float e = std::fmin(1.0f, c->draw_time / 0.4f);
        float r = std::fmin(1.0f, 14.0f * dt);
        if (off) {
            off->rotation.x += (-1.5207964f - off->rotation.x) * r;
            off->rotation.z = 0.0f;
        }
        if (weapon) {
            weapon->rotation.x += (-1.4707963f - weapon->rotation.x) * r;
            weapon->rotation.y = 0.9f * e;
            weapon->rotation.z = -0.9f * e;
        }
        if (body) body->rotation.y += (-0.5f - body->rotation.y) * std::fmin(1.0f, 10.0f * dt);
        pitch_toward(c, sl->off_forearm, 0.0f, r);
        pitch_toward(c, sl->weapon_forearm, -1.2f * e, r);
    } else {
        // 7. Arms swing with the stride, the weapon arm strikes.
        float q = std::fmin(1.0f, 8.0f * dt);
        if (off) {
            float t = -0.6f * s - (fight && guardian ? 0.8f : 0.0f);
            off->rotation.x += (t - off->rotation.x) * q;
            off->rotation.z = 0.0f;
            float yaw = fight && guardian ? -1.0f : 0.0f;
            off->rotation.y += (yaw - off->rotation.y) * q;
        }
        if (weapon) {
            weapon->rotation.y += (0.0f - weapon->rotation.y) * q;
            weapon->rotation.z += (0.0f - weapon->rotation.z) * q;
        }
        if (body) body->rotation.y += (0.0f - body->rotation.y) * q;
        if (blow) {
            if (u < 0.5f) {
                if (weapon) weapon->rotation.x = -2.6f * std::sin(u * PI);
                set_pitch(c, sl->weapon_forearm, -1.3f * std::sin(u * PI));
            } else {
                float v = 2.0f * (u - 0.5f);
                if (weapon) weapon->rotation.x = 3.0f * v - 2.6f;
                set_pitch(c, sl->weapon_forearm, 1.2f * v - 1.3f);
            }
        } else {
            if (weapon) weapon->rotation.x += (0.5f * s - (fight ? 0.6f : 0.0f) - weapon->rotation.x) * q;
            pitch_toward(c, sl->weapon_forearm, -0.25f - (fight ? 0.45f : 0.1f * std::fabs(s)), q);
        }
        float off_fore = fight ? (guardian ? -1.0f : -0.6f) : -0.25f;
        pitch_toward(c, sl->off_forearm, off_fore, q);
    }
    // 8. Each creature looks around on its own rhythm.
    if (Node* head = node_at(c, sl->head))
        head->rotation.y = (fight ? 0.12f : 0.4f) * (float)std::sin(2.0 * game_clock + c->heading);
}

void creature_pose(Creature* c, float dt) {
    if (species_is_quadruped(c->species)) {
        float v_ref = c->species == SP_BOAR ? 1.5f : (c->species == SP_BEAR ? 1.4f : 1.7f);
        pose_quadruped(c, dt, v_ref);
    } else {
        pose_biped(c, dt);
    }
}

Mat4 creature_root_matrix(const Creature* c) {
    float s = c->body_scale;
    // Translation and heading written out (the product of the two is exactly this).
    const float sy = std::sin(c->heading), cy = std::cos(c->heading);
    Mat4 r = mat4_identity();
    r.m[0] = cy;
    r.m[2] = -sy;
    r.m[8] = sy;
    r.m[10] = cy;
    r.m[12] = c->pos.x;
    r.m[13] = c->pos.y;
    r.m[14] = c->pos.z;
    const SpeciesDef& d = species_defs[c->species];
    if (c->ai_state == CS_DEAD) {
        // Falls onto its side over half a second and lies there.
        float lie = std::fmin(1.0f, c->death_time / 0.5f);
        lie = lie * lie * (3.0f - 2.0f * lie);
        float pivot = d.body_height * s;
        float rest = d.body_half_side * s;
        float h = pivot + (rest - pivot) * lie;
        r = r * mat4_translate({0, h, 0}) * mat4_rotate_z(lie * PI * 0.5f) * mat4_translate({0, -pivot, 0});
    } else {
        // A hit tips the body away from the blow, about the feet.
        if (c->stagger > 0.0f) {
            Vec3 hd = c->hit_dir_local;
            float ang = c->stagger * 0.9f;
            // Blow travelling along +forward pitches the top forward.
            r = r * mat4_rotate_x(ang * hd.z) * mat4_rotate_z(-ang * hd.x);
        }
        if (c->species == SP_BOSS && c->charge_state > 0) {
            float lean = c->charge_state == 1 ? -0.12f : 0.3f;
            r = r * mat4_rotate_x(lean);
        }
    }
    // The uniform scale: r is affine, so scaling its three axes is the product.
    for (int i = 0; i < 12; ++i) r.m[i] *= s;
    return r;
}
