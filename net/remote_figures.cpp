// The other players' figures: built from their looks on first sight,
// rebuilt when the looks change, dressed again when only the items change
// (either at most once a second, the latest looks winning), posed from their
// records, drawn near the camera and labelled near us.
#include <cstring>

#include "net/net.h"
#include "net/remote_players.h"
#include "play/player.h"
#include "play/player_move.h"
#include "play/player_pose.h"
#include "play/skills.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "world/human.h"
#include "render/mesh.h"
#include "world/model.h"
#include "play/items.h"

namespace {

struct Figure {
    Model model;
    HumanRig rig;
    Appearance appearance;
    MeshCollection meshes;
    AppearanceChoice look;
    uint16_t dressed[NET_EQUIPMENT_SLOTS];
    int dressed_class;  // the class whose weapons it holds
    bool built;
    bool stale;          // the record's looks or items changed too soon after the last change
    float since_change;  // seconds since the figure was last built or dressed
    int builds;
};
Figure figures[NET_MAX_PLAYERS];
Material* class_cloth[3];

constexpr float kDrawDistance = 160.0f;
constexpr float kLabelDistance = 60.0f;
// A whole figure is costly to build: someone changing looks in a loop must
// not cost every other game a rebuild each frame.
constexpr float kChangeInterval = 1.0f;

AppearanceChoice look_of(const NetIdentity& id) {
    return {id.woman, id.skin, id.eyes, id.hair, id.style, id.beard};
}

bool same_look(const AppearanceChoice& a, const AppearanceChoice& b) {
    return a.woman == b.woman && a.skin == b.skin && a.eyes == b.eyes && a.hair == b.hair &&
           a.style == b.style && a.beard == b.beard;
}

Material* cloth_for_class(int cls) {
    if (cls < 0 || cls > 2) cls = 0;
    if (!class_cloth[cls]) {
        // The same class colours as our own figure.
        static const Vec3 colours[3] = {{0.30f, 0.45f, 0.22f}, {0.55f, 0.14f, 0.12f}, {0.62f, 0.56f, 0.42f}};
        class_cloth[cls] = material_copy(*human_clothing_material());
        class_cloth[cls]->colour = colours[cls];
    }
    return class_cloth[cls];
}

HumanPose pose_of(const Player& p) {
    HumanPose h{};
    h.stride_phase = p.stride_phase;
    h.walk_blend = p.walk_blend;
    h.run_blend = p.run_blend;
    h.vertical_speed = p.vertical_speed;
    h.on_ground = p.on_ground;
    h.guard_blend = p.guard_blend;
    h.draw_blend = p.draw_blend;
    h.swing_progress = p.swing_progress;
    h.combo_index = p.combo_index;
    h.whirlwind_progress = p.whirlwind_progress;
    h.charge_time = p.charge_time;
    h.player_class = p.player_class;
    return h;
}

bool same_world_as_player(const Vec3& p) { return in_catacombs(p.x) == in_catacombs(player.pos_x); }

Mat4 root_of(const Player& p) {
    Mat4 r = mat4_translate({p.pos_x, p.pos_y, p.pos_z}) * mat4_rotate_y(p.heading);
    if (p.body_pitch != 0.0f) r = r * mat4_rotate_x(p.body_pitch);
    return r;
}

}  // namespace

void remote_figure_free(int i) {
    if (i < 0 || i >= NET_MAX_PLAYERS) return;
    Figure& f = figures[i];
    if (f.built) {
        model_free(&f.model);
        mesh_release_all(&f.meshes);
    }
    f.built = false;
    remote_players[i].model = nullptr;
}

void remote_figure_build(int i) {
    if (i < 0 || i >= NET_MAX_PLAYERS) return;
    Figure& f = figures[i];
    RemotePlayer& r = remote_players[i];
    AppearanceChoice look = look_of(r.id);
    bool new_look = !f.built || !same_look(f.look, look);
    bool new_items = memcmp(f.dressed, r.id.equipment, sizeof f.dressed) != 0 || f.dressed_class != r.id.player_class;
    if (f.built && (new_look || new_items) && f.since_change < kChangeInterval) {
        f.stale = true;  // remote_figure_animate catches up when the second is over
        r.model = &f.model;
        return;
    }
    f.stale = false;
    if (new_look) {
        remote_figure_free(i);
        f.appearance = appearance_from_choice(look);
        MeshCollection* previous = mesh_collection;
        mesh_collection = &f.meshes;
        int root = model_add_node(&f.model, -1, {0, 0, 0});
        human_build(&f.model, root, &f.appearance, &f.rig);
        figure_arm(&f.model, &f.rig);
        mesh_collection = previous;
        f.look = look;
        f.built = true;
        ++f.builds;
        memset(f.dressed, 0xff, sizeof f.dressed);  // dress it below
        f.since_change = 0.0f;
    }
    if (memcmp(f.dressed, r.id.equipment, sizeof f.dressed) != 0 || f.dressed_class != r.id.player_class) {
        // The weapon slot is not exchanged: each holds its class's own.
        figure_dress(&f.model, f.rig, r.id.equipment, r.id.player_class);
        memcpy(f.dressed, r.id.equipment, sizeof f.dressed);
        f.dressed_class = r.id.player_class;
        f.since_change = 0.0f;
    }
    r.model = &f.model;
}

int remote_figure_builds(int i) { return i >= 0 && i < NET_MAX_PLAYERS ? figures[i].builds : 0; }

bool remote_figure_current(int i) {
    if (i < 0 || i >= NET_MAX_PLAYERS || !figures[i].built) return false;
    const Figure& f = figures[i];
    const RemotePlayer& r = remote_players[i];
    return same_look(f.look, look_of(r.id)) && memcmp(f.dressed, r.id.equipment, sizeof f.dressed) == 0 &&
           f.dressed_class == r.id.player_class;
}

void remote_figure_animate(int i, float dt) {
    if (i < 0 || i >= NET_MAX_PLAYERS || !figures[i].built) return;
    Figure& f = figures[i];
    if (f.since_change < kChangeInterval) f.since_change += dt;
    if (f.stale && f.since_change >= kChangeInterval) remote_figure_build(i);
    human_pose_apply(&figures[i].model, figures[i].rig, pose_of(remote_players[i].pose), dt);
}

void net_draw_players() {
    if (!net_is_on()) return;
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        RemotePlayer& r = remote_players[i];
        if (!remote_drawable(r) || !same_world_as_player(r.shown)) continue;
        if (length(r.shown - render_camera.eye) > kDrawDistance) continue;
        model_evaluate(r.model, root_of(r.pose));
        model_draw(r.model, human_clothing_material(), cloth_for_class(r.id.player_class));
    }
}

// The renderer's submission step.
void remote_players_submit() { net_draw_players(); }

void net_draw_labels() {
    if (!net_is_on()) return;
    for (int i = 0; i < NET_MAX_PLAYERS; ++i) {
        const RemotePlayer& r = remote_players[i];
        if (!remote_drawable(r) || !same_world_as_player(r.shown)) continue;
        if (length(r.shown - render_camera.eye) > kDrawDistance) continue;
        float dx = r.shown.x - player.pos_x, dz = r.shown.z - player.pos_z;
        if (dx * dx + dz * dz > kLabelDistance * kLabelDistance) continue;
        const char* cls = class_defs[r.id.player_class > 2 ? 2 : r.id.player_class].name;
        const char* name = r.id.name[0] ? r.id.name : cls;
        hud_world_label(r.shown + Vec3{0.0f, 2.3f, 0.0f}, hud_fmt("%s\n%s  ·  niv. %d", name, cls, r.id.level),
                        0.15f, Vec4{0.45f, 0.75f, 1.0f, 1.0f}, UI_FONT_BODY);
    }
}
