// Weapons in hand: every class's figure holds its weapon in the hand the
// pose moves (the bow drawn to the cheek, the shield raised on guard), a
// worn weapon shows its own look, other players hold their class's, and the
// arrows stuck in a creature go with its corpse. Pictures of each class at
// rest and in action, and of every weapon of the catalogue, are left in the
// build folder for a person to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/game_time.h"
#include "game/main_loop.h"
#include "net/remote_players.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/player.h"
#include "play/player_input.h"
#include "play/player_pose.h"
#include "play/skills.h"
#include "render/hud.h"
#include "render/mesh.h"
#include "render/renderer.h"
#include "tests/support/scene_economy.h"
#include "world/camelot.h"
#include "world/human.h"
#include "world/model.h"
#include "world/terrain.h"
#include "world/weapons.h"
#include "world/world.h"

namespace {

bool game() {
    static int state = -1;
    if (state < 0) {
        headless_set_time_step(0.05);
        headless_set_window_size(960, 540);
        scene_economy();
        state = game_startup() == 0 ? 1 : 0;
        game_flags.character_creation_open = 0;  // no character file here: straight into play
        game_flags.title_overlay = 0;
    }
    return state == 1;
}

// A figure of a class as the player's and other players' are made.
struct Figure {
    Model model{};
    HumanRig rig{};
    Appearance look{};
    int cls = 0;
    MeshCollection meshes{};

    Figure(int player_class, bool woman, int weapon = 0) : cls(player_class) {
        look = appearance_from_choice({woman ? 1 : 0, 2, 1, 3, woman ? 2 : 0, woman ? 0 : 1});
        MeshCollection* previous = mesh_collection;
        mesh_collection = &meshes;
        int root = model_add_node(&model, -1, {0, 0, 0});
        human_build(&model, root, &look, &rig);
        figure_arm(&model, &rig);
        mesh_collection = previous;
        int worn[EQUIPMENT_SLOTS] = {};
        worn[11] = weapon;
        figure_dress_items(&model, rig, worn, cls);
    }
    ~Figure() {
        model_free(&model);
        mesh_release_all(&meshes);
        std::free(meshes.meshes);  // the game keeps its collections' arrays for the run
    }
    // Holds a pose long enough for the smoothed joints to settle.
    void pose(const HumanPose& p, int frames = 40) {
        for (int i = 0; i < frames; ++i) human_pose_apply(&model, rig, p, 0.05f);
    }
    void place(Vec3 feet, float heading) { model_evaluate(&model, mat4_translate(feet) * mat4_rotate_y(heading)); }
    Vec3 at(int node) const { return model_node_position(&model, node); }
    Vec3 axis(int node, int column) const {
        const float* m = model.nodes[node].world_matrix.m;
        return normalize(Vec3{m[column * 4], m[column * 4 + 1], m[column * 4 + 2]});
    }
    bool shown(int node) const { return node >= 0 && model.nodes[node].world_visible && model.nodes[node].mesh; }
};

HumanPose rest(int cls) {
    HumanPose p{};
    p.on_ground = 1;
    p.draw_blend = 1.0f;
    p.player_class = cls;
    return p;
}
HumanPose attacking(int cls) {
    HumanPose p = rest(cls);
    if (cls == CLASS_ARCHER) {
        p.guard_blend = 1.0f;  // aiming at the target, the string at the cheek
    } else if (cls == CLASS_WARRIOR) {
        p.swing_progress = 0.3f;  // the blade raised over the head
    } else {
        p.guard_blend = 1.0f;
        p.draw_blend = 0.0f;  // the bolt just left the staff
    }
    return p;
}
HumanPose guarding() {
    HumanPose p = rest(CLASS_WARRIOR);
    p.guard_blend = 1.0f;
    return p;
}

bool descends_from(const Model& m, int node, int ancestor) {
    for (int i = node; i >= 0; i = m.nodes[i].parent)
        if (i == ancestor) return true;
    return false;
}

// The far end of a tied part: its matrix's origin plus half its y axis.
Vec3 tied_end(const Model& m, int node) {
    const float* w = m.nodes[node].world_matrix.m;
    return Vec3{w[12], w[13], w[14]} + Vec3{w[4], w[5], w[6]} * 0.5f;
}

const Vec3 kForward = {0, 0, 1};  // heading 0 faces +z

}  // namespace

// The weapon of each class is a part under the hand that moves it, and stays
// in that hand when the attack carries the hand far from where it was.
TEST(WeaponsInHand, EachClassHoldsItsWeaponInTheHandThatStrikes) {
    ASSERT_TRUE(game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    for (int cls = 0; cls < 3; ++cls) {
        SCOPED_TRACE(cls);
        Figure f(cls, cls != CLASS_WARRIOR);
        ASSERT_TRUE(f.rig.armed);
        // The bow in the left hand, the sword or staff in the right.
        int weapon = cls == CLASS_ARCHER ? f.rig.bow : f.rig.held;
        int hand = cls == CLASS_ARCHER ? f.rig.hand[0] : f.rig.hand[1];
        EXPECT_TRUE(descends_from(f.model, weapon, hand));
        f.pose(rest(cls));
        f.place({0, 0, 0}, 0.0f);
        ASSERT_TRUE(f.shown(weapon));
        EXPECT_EQ(f.model.nodes[weapon].mesh, weapon_design_mesh(cls)) << "the class's own weapon";
        Vec3 hand_rest = f.at(hand), weapon_rest = f.at(weapon);
        EXPECT_LT(length(weapon_rest - hand_rest), 0.06f) << "held by the grip";
        // Only the warrior carries the shield, only the archer the quiver.
        EXPECT_EQ(f.shown(f.rig.shield), cls == CLASS_WARRIOR);
        EXPECT_EQ(f.shown(f.rig.quiver), cls == CLASS_ARCHER);
        EXPECT_FALSE(f.shown(weapon == f.rig.bow ? f.rig.held : f.rig.bow));

        f.pose(attacking(cls));
        f.place({0, 0, 0}, 0.0f);
        Vec3 hand_now = f.at(hand);
        EXPECT_GT(length(hand_now - hand_rest), 0.3f) << "the attack moves the hand";
        EXPECT_LT(length(f.at(weapon) - hand_now), 0.06f) << "and the weapon with it";
        EXPECT_GT(f.at(weapon).y, weapon_rest.y + 0.25f) << "raised to strike, aim or cast";
    }
}

// At full draw the string is at the drawing hand with an arrow on it, the
// bow upright; loosed, the string is straight again. On guard the shield
// faces the front of the chest; at rest it hangs at the side.
TEST(WeaponsInHand, TheBowIsDrawnAndTheShieldRaised) {
    ASSERT_TRUE(game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    Figure archer(CLASS_ARCHER, true);
    archer.pose(attacking(CLASS_ARCHER));
    archer.place({0, 0, 0}, 0.0f);
    Vec3 nock = archer.at(archer.rig.hand[1]);
    for (int s = 0; s < 2; ++s) EXPECT_LT(length(tied_end(archer.model, archer.rig.string[s]) - nock), 0.06f);
    EXPECT_TRUE(archer.shown(archer.rig.nocked));
    EXPECT_GT(archer.axis(archer.rig.bow, 1).y, 0.9f) << "the stave stands upright for the shot";
    float drawn = length(archer.at(archer.rig.bow) - nock);
    EXPECT_GT(drawn, 0.45f) << "drawn back to the cheek";

    HumanPose loosed = attacking(CLASS_ARCHER);
    loosed.draw_blend = 0.0f;
    archer.pose(loosed, 1);  // the frame of the shot
    archer.place({0, 0, 0}, 0.0f);
    EXPECT_FALSE(archer.shown(archer.rig.nocked));
    Vec3 mid = tied_end(archer.model, archer.rig.string[0]);
    EXPECT_LT(length(mid - archer.at(archer.rig.bow)), 0.2f) << "the string springs back to the stave";

    Figure warrior(CLASS_WARRIOR, false);
    warrior.pose(rest(CLASS_WARRIOR));
    warrior.place({0, 0, 0}, 0.0f);
    Vec3 chest = warrior.at(warrior.rig.torso) + Vec3{0, 0.35f, 0};
    EXPECT_LT(std::fabs(dot(warrior.axis(warrior.rig.shield, 1), kForward)), 0.5f) << "at the side";
    warrior.pose(guarding());
    warrior.place({0, 0, 0}, 0.0f);
    Vec3 shield = warrior.at(warrior.rig.shield);
    EXPECT_GT(dot(shield - chest, kForward), 0.2f) << "held out in front";
    EXPECT_LT(std::fabs(shield.y - chest.y), 0.3f) << "at chest height";
    EXPECT_GT(dot(warrior.axis(warrior.rig.shield, 1), kForward), 0.7f) << "its face turned to the front";
}

// A worn weapon shows its own look in place of the class's, for every weapon
// of the catalogue; a weapon the class does not wield leaves it its own.
TEST(WeaponsInHand, AWornWeaponShowsItsOwnLook) {
    ASSERT_TRUE(game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    std::vector<int> seen;
    for (int id = 1; id <= ITEM_LAST; ++id) {
        const ItemDef& d = item_def(id);
        if (d.kind != 26) continue;
        int cls = (int)d.item_class - 1;
        ASSERT_GE(cls, 0) << id;
        int design = figure_weapon_design(cls, id);
        EXPECT_NE(design, cls) << item_name(id) << " has a look of its own";
        for (int other : seen) EXPECT_NE(design, other) << item_name(id);
        seen.push_back(design);
        Figure f(cls, false, id);
        int node = cls == CLASS_ARCHER ? f.rig.bow : f.rig.held;
        f.place({0, 0, 0}, 0.0f);
        EXPECT_TRUE(f.shown(node));
        EXPECT_EQ(f.model.nodes[node].mesh, weapon_design_mesh(design)) << item_name(id);
    }
    EXPECT_EQ(seen.size(), 9u);
    EXPECT_EQ(figure_weapon_design(CLASS_WARRIOR, 93), CLASS_WARRIOR) << "no bow in a warrior's hand";
    EXPECT_EQ(figure_weapon_design(CLASS_DRUID, 0), CLASS_DRUID);

    // The player's own figure follows what is equipped, and its class.
    player_reset_new();
    player.player_class = CLASS_WARRIOR;
    std::memset(equipment, 0, sizeof(equipment));
    player_model_rebuild();
    const HumanRig& r = player_rig();
    ASSERT_TRUE(r.armed);
    // Armed from the first frame it is drawn, before the items' step runs.
    EXPECT_TRUE(player_model->nodes[r.held].visible);
    EXPECT_EQ(player_model->nodes[r.held].mesh, weapon_design_mesh(CLASS_WARRIOR));
    equipment[11] = 94;  // Hache du Chevalier Vert
    player_figure_dress();
    EXPECT_EQ(player_model->nodes[r.held].mesh, weapon_design_mesh(figure_weapon_design(CLASS_WARRIOR, 94)));
    EXPECT_TRUE(player_model->nodes[r.shield].visible);
    equipment[11] = 0;
    player_figure_dress();
    EXPECT_EQ(player_model->nodes[r.held].mesh, weapon_design_mesh(CLASS_WARRIOR));
    player.player_class = CLASS_ARCHER;
    player_figure_dress();
    EXPECT_TRUE(player_model->nodes[r.bow].visible);
    EXPECT_FALSE(player_model->nodes[r.shield].visible);
    EXPECT_FALSE(player_model->nodes[r.held].visible);
}

// Other players hold their class's weapon (the weapon slot is not sent), and
// a change of class changes it.
TEST(WeaponsInHand, OtherPlayersHoldTheirClassWeapon) {
    ASSERT_TRUE(game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    remote_clear_all();
    RemotePlayer& r = remote_players[2];
    r.present = r.active = r.has_pose = 1;
    std::strcpy(r.id.name, "Yvain");
    r.id.player_class = CLASS_WARRIOR;
    remote_figure_build(2);
    ASSERT_NE(r.model, nullptr);
    auto shows = [&](GpuMesh* mesh) {
        model_evaluate(r.model, mat4_identity());
        for (int i = 0; i < r.model->node_count; ++i)
            if (r.model->nodes[i].mesh == mesh && r.model->nodes[i].world_visible) return true;
        return false;
    };
    EXPECT_TRUE(shows(weapon_design_mesh(CLASS_WARRIOR)));
    EXPECT_FALSE(shows(weapon_design_mesh(CLASS_ARCHER)));
    r.id.player_class = CLASS_DRUID;
    for (int f = 0; f < 25; ++f) remote_figure_animate(2, 0.05f);  // past the second between changes
    remote_figure_build(2);
    EXPECT_TRUE(remote_figure_current(2));
    EXPECT_TRUE(shows(weapon_design_mesh(CLASS_DRUID)));
    EXPECT_FALSE(shows(weapon_design_mesh(CLASS_WARRIOR)));
    remote_clear_all();
}

// An arrow stuck in a boar lies down with its corpse and is gone with it
// (skinned, or its time up), instead of hanging where the boar stood.
TEST(WeaponsInHand, StuckArrowsGoWithTheCorpse) {
    ASSERT_TRUE(game());
    creatures_reset();
    player_reset_new();
    for (PlayerArrow& a : player_arrows) a.active = 0;
    Vec3 at = camelot_point(60.0f, 40.0f);
    at.y = ground_height(at.x, at.z);
    Creature* boar = spawn_creature(SP_BOAR, at, at);
    ASSERT_NE(boar, nullptr);
    boar->heading = 0.0f;
    Vec3 aim = creature_aim_point(boar);
    PlayerArrow* a = spawn_arrow(aim + Vec3{-3.0f, 0.0f, 0.0f}, {48.0f, 0.0f, 0.0f}, ARROW_PLAIN);
    for (int f = 0; f < 10 && !a->stuck; ++f) arrows_update(0.02f);
    ASSERT_TRUE(a->stuck);
    ASSERT_EQ(a->stuck_slot, creature_index(boar));
    float height_standing = a->pos.y - boar->pos.y;

    damage_creature(boar, 1e6f);
    boar->death_time = 2.0f;  // lying on its side
    arrows_update(0.02f);
    EXPECT_TRUE(a->active);
    EXPECT_LT(a->pos.y - boar->pos.y, height_standing - 0.1f) << "the arrow went down with the body";
    EXPECT_LT(hdist(a->pos, boar->pos), 1.2f);

    free_creature(boar);
    arrows_update(0.02f);
    EXPECT_FALSE(a->active) << "no arrow left hanging in the air";
    // One stuck in the ground stays.
    PlayerArrow* ground = spawn_arrow(at + Vec3{0, 0.3f, 0}, {0, -20.0f, 0}, ARROW_PLAIN);
    for (int f = 0; f < 10; ++f) arrows_update(0.02f);
    EXPECT_TRUE(ground->active && ground->stuck);
}

// Pictures: the three classes at rest, then the archer at full draw, the
// warrior on guard and mid-blow, the druid casting; and the weapons of the
// catalogue in hand, class by class.
TEST(WeaponsInHand, PicturesOfEachClassAtRestAndInAction) {
    ASSERT_TRUE(game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    creatures_reset();
    Vec3 base = camelot_point(48.0f, -10.0f);  // the open castle court
    base.y = ground_height(base.x, base.z);
    player.pos_x = base.x;
    player.pos_z = base.z + 30.0f;  // out of the picture
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    auto shoot = [&](std::vector<Figure*>& row, float spacing, float heading, const char* file, float back = 0.0f) {
        if (back <= 0.0f) back = 4.2f + 0.45f * (float)row.size();
        render_camera.eye = base + Vec3{spacing * (float)(row.size() - 1) * 0.5f, 1.6f, -back};
        render_camera.target = base + Vec3{spacing * (float)(row.size() - 1) * 0.5f, 1.1f, 0.0f};
        render_camera.fov_degrees = 45.0f;
        render_begin_frame();
        world_submit();
        for (size_t i = 0; i < row.size(); ++i) {
            row[i]->place(base + Vec3{spacing * (float)i, 0, 0}, heading);
            model_draw(&row[i]->model, human_clothing_material(), player_class_cloth(row[i]->cls));
        }
        render_frame();
        return headless_screenshot(file);
    };
    Figure archer(CLASS_ARCHER, true), warrior(CLASS_WARRIOR, false), druid(CLASS_DRUID, false);
    Figure archer2(CLASS_ARCHER, false), warrior2(CLASS_WARRIOR, true), druid2(CLASS_DRUID, true);
    archer.pose(rest(CLASS_ARCHER));
    warrior.pose(rest(CLASS_WARRIOR));
    druid.pose(rest(CLASS_DRUID));
    archer2.pose(attacking(CLASS_ARCHER));
    warrior2.pose(guarding());
    druid2.pose(attacking(CLASS_DRUID));
    std::vector<Figure*> row = {&archer, &warrior, &druid, &archer2, &warrior2, &druid2};
    // Turned a little toward the camera, so that what each hand holds shows.
    EXPECT_TRUE(shoot(row, 1.3f, PI + 0.5f, "weapons_classes.png"));

    Figure swinging(CLASS_WARRIOR, false);
    swinging.pose(attacking(CLASS_WARRIOR), 6);
    std::vector<Figure*> action = {&archer2, &warrior2, &swinging};
    EXPECT_TRUE(shoot(action, 1.1f, PI - 0.9f, "weapons_in_action.png"));
    std::vector<Figure*> drawing = {&archer2};
    EXPECT_TRUE(shoot(drawing, 0.0f, -PI * 0.5f - 0.5f, "weapons_archer_full_draw.png", 2.4f));
    std::vector<Figure*> guard = {&warrior2};
    EXPECT_TRUE(shoot(guard, 0.0f, PI + 0.35f, "weapons_warrior_guarding.png", 2.8f));

    // The catalogue's weapons by class, each beside the class's own.
    const char* files[3] = {"weapons_catalogue_bows.png", "weapons_catalogue_blades.png", "weapons_catalogue_staves.png"};
    for (int cls = 0; cls < 3; ++cls) {
        std::vector<Figure*> catalogue = {new Figure(cls, cls == CLASS_ARCHER)};
        for (int id = 1; id <= ITEM_LAST; ++id) {
            const ItemDef& d = item_def(id);
            if (d.kind == 26 && (int)d.item_class - 1 == cls) catalogue.push_back(new Figure(cls, id % 2 == 0, id));
        }
        for (Figure* f : catalogue) f->pose(rest(cls));
        EXPECT_TRUE(shoot(catalogue, 0.95f, PI + 0.45f, files[cls], 3.6f));
        for (Figure* f : catalogue) delete f;
    }
}


// The druid's bolt leaves the head of the staff in hand, above the figure.
TEST(WeaponsInHand, TheDruidsBoltLeavesTheStaffHead) {
    ASSERT_TRUE(game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    creatures_reset();
    player_reset_new();
    clear_skills();
    player.player_class = CLASS_DRUID;
    player_model_rebuild();
    const HumanRig& r = player_rig();
    HumanPose p{};
    p.on_ground = 1;
    p.player_class = CLASS_DRUID;
    p.guard_blend = 1.0f;
    for (int i = 0; i < 30; ++i) human_pose_apply(player_model, r, p, 0.05f);
    cast_bolt(1.0f, 0);
    const Bolt* bolt = nullptr;
    for (const Bolt& b : bolts)
        if (b.active) bolt = &b;
    ASSERT_NE(bolt, nullptr);
    model_evaluate(player_model, player_root_matrix());
    Vec3 hand = model_node_position(player_model, r.hand[1]);
    Vec3 top = mat4_mul_point(player_model->nodes[r.held].world_matrix, STAFF_HEAD);
    EXPECT_LT(length(bolt->pos - top), 0.05f);
    EXPECT_GT(bolt->pos.y - hand.y, 0.8f) << "from the staff's head, not the fist";
    clear_skills();
}

// Not a weapon, but met on the same first walk: the flame of a market lamp
// burns in the dish on top of its post instead of floating above it. The
// picture is of one of the market's four lamps.
TEST(WorldProps, AMarketLampBurnsOnItsPost) {
    ASSERT_TRUE(game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    creatures_reset();
    Vec3 post = camelot_point(-20.0f, 20.0f);
    int found = -1;
    for (int i = 0; i < camelot_torch_count(); ++i)
        if (hdist(camelot_torch_flame(i), post) < 0.01f) found = i;
    ASSERT_GE(found, 0);
    // The post stands 2.1 m from the ground with its dish on top; the flame
    // grows from there.
    float above = camelot_torch_flame(found).y - ground_height(post.x, post.z);
    EXPECT_NEAR(above, 2.1f, 0.03f);
    player.pos_x = post.x + 30.0f;
    player.pos_z = post.z;
    render_camera.eye = post + Vec3{-1.6f, 2.3f, -2.2f};
    render_camera.target = post + Vec3{0.0f, 1.9f, 0.0f};
    render_camera.fov_degrees = 45.0f;
    render_begin_frame();
    world_submit();
    render_frame();
    EXPECT_TRUE(headless_screenshot("props_market_lamp.png"));
}
