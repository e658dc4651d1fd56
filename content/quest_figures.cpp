// The quest figures: where Sire Keu, Viviane and the nine givers stand, their
// bodies, head turns, breathing and blinks, their names and markers, and the
// per-frame steps that keep the objectives in step with the bag.
#include "content/quest_figures.h"

#include <cmath>

#include "common/rng.h"
#include "content/quests.h"
#include "common/game_time.h"
#include "play/creatures.h"
#include "play/merchant.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "world/human.h"
#include "world/model.h"
#include "world/terrain.h"

namespace {

// One figure per row of the givers' table, in its order.
constexpr int FIGURE_COUNT = QUEST_FIGURE_COUNT;
constexpr int FIG_KEU = GIVER_KEU;
constexpr int FIG_LADY = GIVER_LADY;

const Vec4 LABEL_COLOUR = {0.95f, 0.85f, 0.55f, 1.0f};
const Vec4 GOLD_MARK = {1.0f, 0.82f, 0.15f, 1.0f};
const Vec4 GREY_MARK = {0.65f, 0.65f, 0.62f, 1.0f};

struct Figure {
    Model model;
    HumanRig rig;
    Appearance look;
    bool built;
    float head_turn;
    float blink_wait;  // until the next blink
    float blink_left;  // of the current one
    bool timers_ready;
};

Figure figures[FIGURE_COUNT];
Rng blink_rng{0x5EC0B11Au};

float wrap(float a) {
    a = std::fmod(a + PI, 2.0f * PI);
    if (a < 0.0f) a += 2.0f * PI;
    return a - PI;
}

Vec3 figure_position(int f) {
    const GiverDef& d = quest_givers[f];
    if (d.in_camelot) return camelot_point(d.x, d.z);
    return {d.x, ground_height(d.x, d.z), d.z};
}

float figure_facing(int f) { return quest_givers[f].facing; }

float blink_interval(int f) {
    return f == FIG_LADY ? rng_range(blink_rng, 2.8f, 5.3f) : rng_range(blink_rng, 2.5f, 5.5f);
}

void animate(int f, float dt) {
    Figure& fg = figures[f];
    // Each figure starts somewhere in its blink cycle rather than all at once.
    if (!fg.timers_ready) {
        fg.blink_wait = blink_interval(f);
        fg.timers_ready = true;
    }
    Vec3 p = figure_position(f);
    float dx = player.pos_x - p.x, dz = player.pos_z - p.z;
    float reach = f == FIG_LADY ? 12.0f : 10.0f;
    float limit = f == FIG_LADY ? 0.8f : 0.9f;
    float rate = std::fmin(1.0f, (f == FIG_LADY ? 2.5f : 3.0f) * dt);
    float want = 0.0f;
    if (dx * dx + dz * dz < reach * reach) {
        want = wrap(std::atan2(dx, dz) - figure_facing(f));
        want = clampf(want, -limit, limit);
    }
    fg.head_turn += (want - fg.head_turn) * rate;
    fg.head_turn = clampf(fg.head_turn, -limit, limit);

    if (fg.blink_left > 0.0f) {
        fg.blink_left -= dt;
        if (fg.blink_left < 0.0f) fg.blink_left = 0.0f;
    } else {
        fg.blink_wait -= dt;
        if (fg.blink_wait <= 0.0f) {
            fg.blink_left = f == FIG_LADY ? 0.18f : 0.17f;
            fg.blink_wait = blink_interval(f);
        }
    }
    if (!fg.built) return;
    float t = (float)game_clock + 1.7f * (float)f;
    Node* n = fg.model.nodes;
    n[fg.rig.head].rotation.y = fg.head_turn;
    if (fg.rig.torso >= 0) {
        n[fg.rig.torso].rotation.z = 0.025f * std::sin(0.7f * t);          // sway
        n[fg.rig.torso].scale.z = 1.0f + 0.012f * std::sin(1.6f * t);      // breath
    }
    for (int e = 0; e < 2; ++e) {
        int eye = fg.look.face_nodes[e];
        if (eye >= 0 && eye < fg.model.node_count) n[eye].scale.y = fg.blink_left > 0.0f ? 0.12f : 1.0f;
    }
}

void build_figure(int f) {
    Figure& fg = figures[f];
    const GiverDef& g = quest_givers[f];
    Vec3 tunic = g.colours[0], hair = g.colours[3];
    int woman = g.style[0], style = g.style[1], beard = g.style[2];
    AppearanceChoice c{woman, f % SKIN_COLOUR_COUNT == 4 ? 1 : f % 3, f % EYE_COLOUR_COUNT, 0, style, beard};
    fg.look = appearance_from_choice(c);
    fg.look.hair = hair;
    int root = model_add_node(&fg.model, -1, {0, 0, 0});
    human_build(&fg.model, root, &fg.look, &fg.rig);
    Material* cloth = human_clothing_material();
    for (int n = 0; n < fg.model.node_count; ++n) {
        Node& node = fg.model.nodes[n];
        if (node.material == cloth && node.tint.x == 1.0f && node.tint.y == 1.0f && node.tint.z == 1.0f)
            node.tint = tunic;
    }
    fg.built = true;
}

void submit_figure(int f) {
    Vec3 p = figure_position(f);
    Vec3 eye = render_camera.eye;
    float dx = p.x - eye.x, dz = p.z - eye.z;
    // All figures are built at the first drawn frame, not one by one as the
    // player comes near (no building in the middle of play).
    if (!figures[f].built)
        for (int k = 0; k < FIGURE_COUNT; ++k)
            if (!figures[k].built) build_figure(k);
    if (dx * dx + dz * dz > 110.0f * 110.0f) return;
    Figure& fg = figures[f];
    Mat4 root = mat4_translate(p) * mat4_rotate_y(figure_facing(f));
    model_evaluate(&fg.model, root);
    model_draw(&fg.model, nullptr, nullptr);
}

// A figure's name label with its marker, kept above the label.
void draw_label_and_marker(Vec3 feet, float label_height, const char* label, int kind, float height) {
    HudMark mark = {};
    if (kind != 0) {
        mark.at = feet + Vec3{0, height, 0};
        mark.text = kind == 1 ? "!" : "?";
        mark.size = 0.64f;
        mark.colour = kind == 3 ? GREY_MARK : GOLD_MARK;
        mark.font = UI_FONT_TITLE;
        mark.bob_amplitude = kind == 3 ? 0.0f : 0.06f;
        mark.bob = mark.bob_amplitude * std::sin(2.5f * (float)game_clock);
    }
    hud_world_label_marked(feet + Vec3{0, label_height, 0}, label, 0.144f, LABEL_COLOUR, UI_FONT_BODY, mark);
}

}  // namespace

// ---- Places ----------------------------------------------------------------------

Vec3 giver_position(int g) {
    if (g < 0 || g >= QUEST_GIVER_COUNT) return {0, 0, 0};
    return figure_position(g);
}

Vec3 keu_position() { return figure_position(FIG_KEU); }
Vec3 lady_position() { return figure_position(FIG_LADY); }
float keu_facing() { return figure_facing(FIG_KEU); }

int standing_figure_points(float* xs, float* zs, int capacity) {
    // They never move once the world stands: kept until the world changes.
    static float fx[FIGURE_COUNT + 1], fz[FIGURE_COUNT + 1];
    static int world_obstacles = -1;
    if (world_obstacles != obstacle_count()) {
        world_obstacles = obstacle_count();
        for (int f = 0; f < FIGURE_COUNT; ++f) {
            Vec3 p = figure_position(f);
            fx[f] = p.x;
            fz[f] = p.z;
        }
        Vec3 m = merchant_position();
        fx[FIGURE_COUNT] = m.x;
        fz[FIGURE_COUNT] = m.z;
    }
    int n = 0;
    for (; n < FIGURE_COUNT + 1 && n < capacity; ++n) {
        xs[n] = fx[n];
        zs[n] = fz[n];
    }
    return n;
}
float lady_facing() { return figure_facing(FIG_LADY); }

Vec3 creature_usual_place(int species, int giver) {
    float x, z;
    switch (species) {
        case SP_BOAR: {
            Vec3 p = camelot_point(-160.0f, 0.0f);  // the woods outside the west gate
            x = p.x, z = p.z;
            break;
        }
        case SP_GOBLIN: x = 160, z = 124; break;
        case SP_WOLF: x = 208, z = -156; break;
        case SP_BRIGAND: x = -224, z = -104; break;
        case SP_BEAR: x = -165, z = -715; break;
        case SP_FELON: x = 170, z = -835; break;
        case SP_SKELETON:
        case SP_SKELETON_ARCHER:
        case SP_BONE_GUARDIAN:
        case SP_BOSS: x = 48, z = 328; break;  // the cave of the heath
        default:
            if (giver >= 0 && giver < QUEST_GIVER_COUNT) return giver_position(giver);
            return keu_position();
    }
    return {x, ground_height(x, z), z};
}

// ---- Per frame ----------------------------------------------------------------------

void seneschal_update(float dt) {
    if (game_flags.underground) return;
    animate(FIG_KEU, dt);
}

void lady_quest_update(float dt) {
    lady_recount();
    if (!game_flags.underground) animate(FIG_LADY, dt);
}

void quests_update(float dt) {
    givers_recount();
    if (game_flags.underground) return;
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) animate(g, dt);
}

void seneschal_submit() { submit_figure(FIG_KEU); }
void lady_submit() { submit_figure(FIG_LADY); }
void quest_figures_submit() {
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) submit_figure(g);
}

float quest_figure_head_turn(int f) { return f >= 0 && f < FIGURE_COUNT ? figures[f].head_turn : 0.0f; }
bool quest_figure_blinking(int f) { return f >= 0 && f < FIGURE_COUNT && figures[f].blink_left > 0.0f; }


// ---- Labels and markers ------------------------------------------------------------

void seneschal_labels_draw() {
    const GiverDef& d = quest_givers[FIG_KEU];
    draw_label_and_marker(keu_position(), 2.18f, hud_fmt("%s\n%s", d.short_name, d.title), keu_marker(), 2.45f);
}

void lady_label_draw() {
    const GiverDef& d = quest_givers[FIG_LADY];
    draw_label_and_marker(lady_position(), 2.15f, hud_fmt("%s\n%s", d.short_name, d.title), lady_marker(), 2.42f);
}

void quest_givers_labels_draw() {
    for (int g = 0; g < QUEST_GIVER_COUNT; ++g) {
        Vec3 p = giver_position(g);
        float dx = p.x - player.pos_x, dz = p.z - player.pos_z;
        if (dx * dx + dz * dz > 60.0f * 60.0f) continue;
        const GiverDef& d = quest_givers[g];
        draw_label_and_marker(p, 2.18f, hud_fmt("%s\n%s", d.full_name, d.title), giver_marker(g), 2.45f);
    }
}
