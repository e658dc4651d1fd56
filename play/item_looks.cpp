// Worn items on human figures: helmets, pauldrons, a coat over the tunic,
// bracers, gloves, belt, leggings, boots and an amulet, each in its item's
// colour and material, and the class's weapons in hand. The pieces are added
// to a figure once and shown or hidden as the items change.
#include <cstring>

#include "play/items.h"
#include "play/player.h"
#include "world/human.h"
#include "render/mesh.h"
#include "world/model.h"
#include "world/weapons.h"

namespace {

enum Piece {
    P_HELM, P_HOOD, P_SHOULDER_L, P_SHOULDER_R, P_COAT, P_BRACER_L, P_BRACER_R, P_GLOVE_L, P_GLOVE_R, P_BELT,
    P_THIGH_L, P_THIGH_R, P_SHIN_L, P_SHIN_R, P_BOOT_L, P_BOOT_R, P_FOOT_L, P_FOOT_R, P_AMULET, PIECE_COUNT
};

struct Shapes {
    GpuMesh* mesh[PIECE_COUNT];
    Material* material[5];  // by item material: none, cloth, leather, metal, fur
    bool ready;
};
Shapes shapes{};

GpuMesh* upload(MeshBuilder b) { return mesh_upload(&b); }

MeshBuilder joined(MeshBuilder a, MeshBuilder b, const Mat4& at) {
    mb_append(&a, &b, at, {1, 1, 1});
    mb_free(&b);
    return a;
}

void build_shapes() {
    bool was = mesh_collection_suspended;
    mesh_collection_suspended = true;  // shared by every figure, never released
    GpuMesh** m = shapes.mesh;
    m[P_HELM] = upload(joined(shape_ellipsoid_band(0.118f, 0.13f, 0.128f, 0.0f, 1.72f, 18),
                              shape_frustum(0.122f, 0.125f, 0.03f, 18, false), mat4_translate({0, -0.005f, 0})));
    m[P_HOOD] = upload(shape_ellipsoid_band(0.124f, 0.14f, 0.132f, 0.0f, 1.95f, 18));
    m[P_SHOULDER_L] = m[P_SHOULDER_R] = upload(shape_ellipsoid_band(0.095f, 0.075f, 0.09f, 0.0f, 1.7f, 14));
    m[P_COAT] = upload(shape_frustum(0.186f, 0.176f, 0.5f, 20, false));
    m[P_BRACER_L] = m[P_BRACER_R] = upload(shape_frustum(0.047f, 0.043f, 0.13f, 12, true));
    m[P_GLOVE_L] = m[P_GLOVE_R] = upload(shape_ellipsoid(0.04f, 0.056f, 0.029f, 12));
    m[P_BELT] = upload(joined(shape_frustum(0.166f, 0.168f, 0.07f, 20, false), shape_box({0.06f, 0.055f, 0.02f}),
                              mat4_translate({0, 0, 0.168f})));
    m[P_THIGH_L] = m[P_THIGH_R] = upload(shape_frustum(0.079f, 0.086f, 0.46f, 12, true));
    m[P_SHIN_L] = m[P_SHIN_R] = upload(shape_frustum(0.061f, 0.05f, 0.3f, 12, true));
    m[P_BOOT_L] = m[P_BOOT_R] = upload(shape_frustum(0.06f, 0.056f, 0.24f, 12, true));
    m[P_FOOT_L] = m[P_FOOT_R] = upload(shape_ellipsoid(0.057f, 0.046f, 0.136f, 12));
    m[P_AMULET] = upload(joined(shape_ellipsoid(0.028f, 0.034f, 0.012f, 10),
                                shape_frustum(0.004f, 0.004f, 0.12f, 4, false), mat4_translate({0, 0.07f, -0.01f})));
    mesh_collection_suspended = was;

    Material base;
    material_init(&base, {1, 1, 1});
    base.roughness = 0.9f;
    shapes.material[0] = shapes.material[1] = material_copy(base);
    base.roughness = 0.7f;
    shapes.material[2] = material_copy(base);
    Material metal;
    material_init(&metal, {1, 1, 1});
    metal.roughness = 0.3f;
    metal.light_flag_d = 1;
    shapes.material[3] = material_copy(metal);
    Material fur;
    material_init(&fur, {1, 1, 1}, 14.0f, 0.35f);
    fur.noise_on = 1;
    fur.roughness = 1.0f;
    shapes.material[4] = material_copy(fur);
    shapes.ready = true;
}

// Figures already carrying the pieces: where their first piece sits.
struct Dressed {
    const Model* model;
    const Node* nodes;
    int first;
};
Dressed dressed[24];

int add_pieces(Model* m, const HumanRig& r) {
    struct Place {
        int node;
        Vec3 at;
    };
    const Place places[PIECE_COUNT] = {
        {r.head, {0, 0.1f, 0.008f}},       {r.head, {0, 0.085f, 0.0f}},
        {r.arm[0], {0.0f, 0.005f, 0}},     {r.arm[1], {0.0f, 0.005f, 0}},
        {r.torso, {0, 0.23f, 0}},          {r.forearm[0], {0, -0.2f, 0}},
        {r.forearm[1], {0, -0.2f, 0}},     {r.hand[0], {0, 0, 0}},
        {r.hand[1], {0, 0, 0}},            {r.torso, {0, -0.01f, 0}},
        {r.leg[0], {0, -0.22f, 0}},        {r.leg[1], {0, -0.22f, 0}},
        {r.knee[0], {0, -0.15f, 0}},       {r.knee[1], {0, -0.15f, 0}},
        {r.knee[0], {0, -0.33f, 0}},       {r.knee[1], {0, -0.33f, 0}},
        {r.knee[0], {0, -0.445f, 0.045f}}, {r.knee[1], {0, -0.445f, 0.045f}},
        {r.torso, {0, 0.44f, 0.11f}},
    };
    int first = -1;
    for (int p = 0; p < PIECE_COUNT; ++p) {
        int n = model_add_part(m, places[p].node, shapes.mesh[p], shapes.material[1], places[p].at);
        if (n < 0) return -1;
        if (first < 0) first = n;
        m->nodes[n].visible = 0;
    }
    // The coat follows the flat of the chest.
    m->nodes[first + P_COAT].scale = {1.0f, 1.0f, 0.7f};
    return first;
}

void show(Model* m, int first, int piece, int id) {
    Node& n = m->nodes[first + piece];
    if (!item_exists(id)) {
        n.visible = 0;
        return;
    }
    const ItemDef& d = item_def(id);
    n.visible = 1;
    n.material = shapes.material[d.material <= 4 ? d.material : 1];
    n.tint = d.colour;
}

// ---- Weapons ----------------------------------------------------------------------------

// The class's own weapons first (archer, warrior, druid), then every weapon
// of the catalogue with its own look.
struct WeaponItem {
    int id;
    WeaponKind kind;
    WeaponTrim trim;
};
constexpr WeaponItem kWeaponItems[] = {
    {67, WEAPON_BOW, TRIM_WRAPPED},   // Arc de chasse gainé
    {68, WEAPON_BOW, TRIM_LONG},      // Arc long du forestier
    {93, WEAPON_BOW, TRIM_NOBLE},     // Arc de houx vert
    {69, WEAPON_SWORD, TRIM_LONG},    // Épée de fer
    {70, WEAPON_SWORD, TRIM_NOBLE},   // Épée du chevalier
    {94, WEAPON_AXE, TRIM_PLAIN},     // Hache du Chevalier Vert
    {71, WEAPON_STAFF, TRIM_LEAVES},  // Bâton de sauge
    {72, WEAPON_STAFF, TRIM_MOON},    // Bâton de lune
    {95, WEAPON_STAFF, TRIM_IVY},     // Bâton de la Chapelle
};
constexpr int kClassWeapons = 3;
constexpr WeaponKind kClassKind[kClassWeapons] = {WEAPON_BOW, WEAPON_SWORD, WEAPON_STAFF};
constexpr int kWeaponItemCount = (int)(sizeof(kWeaponItems) / sizeof(kWeaponItems[0]));

void build_weapons() {
    if (weapons_ready()) return;
    WeaponDesign d[kClassWeapons + kWeaponItemCount];
    d[0] = {WEAPON_BOW, TRIM_PLAIN, {0.50f, 0.34f, 0.18f}, {0.30f, 0.20f, 0.12f}};
    d[1] = {WEAPON_SWORD, TRIM_PLAIN, {0.62f, 0.63f, 0.66f}, {0.40f, 0.27f, 0.15f}};
    d[2] = {WEAPON_STAFF, TRIM_PLAIN, {0.46f, 0.33f, 0.20f}, {0.46f, 0.33f, 0.20f}};
    for (int i = 0; i < kWeaponItemCount; ++i) {
        const ItemDef& item = item_def(kWeaponItems[i].id);
        d[kClassWeapons + i] = {kWeaponItems[i].kind, kWeaponItems[i].trim, item.colour, item.accent};
    }
    weapons_build(d, kClassWeapons + kWeaponItemCount);
}

int clamp_class(int cls) { return cls < 0 || cls > 2 ? 0 : cls; }

}  // namespace

int figure_weapon_design(int player_class, int weapon_id) {
    int cls = clamp_class(player_class);
    // A worn weapon shows its own look when it is one the class wields (a
    // damaged file could put a bow in a warrior's hand).
    for (int i = 0; i < kWeaponItemCount; ++i)
        if (kWeaponItems[i].id == weapon_id && (kWeaponItems[i].kind == kClassKind[cls] ||
                                                (cls == CLASS_WARRIOR && kWeaponItems[i].kind == WEAPON_AXE)))
            return kClassWeapons + i;
    return cls;
}

void figure_arm(Model* m, HumanRig* rig) {
    if (!m || !rig) return;
    build_weapons();
    weapons_attach(m, rig);
}

// Dresses a figure in twelve worn items (the weapon last; 0 = none).
void figure_dress_items(Model* m, const HumanRig& rig, const int* worn, int player_class) {
    if (!m || !m->nodes || rig.head < 0) return;
    if (!shapes.ready) build_shapes();
    Dressed* entry = nullptr;
    for (Dressed& d : dressed)
        if (d.model == m) entry = &d;
    bool valid = entry && entry->nodes == m->nodes && entry->first >= 0 && entry->first + PIECE_COUNT <= m->node_count &&
                 m->nodes[entry->first].mesh == shapes.mesh[P_HELM];
    if (!valid) {
        if (!entry)
            for (Dressed& d : dressed)
                if (!d.model) {
                    entry = &d;
                    break;
                }
        if (!entry) entry = &dressed[0];
        int first = add_pieces(m, rig);
        *entry = {m, m->nodes, first};
        if (first < 0) return;
    }
    int f = entry->first;
    int head = worn[0];
    bool hood = item_exists(head) && item_def(head).material != 3;
    show(m, f, P_HELM, hood ? 0 : head);
    show(m, f, P_HOOD, hood ? head : 0);
    show(m, f, P_AMULET, worn[1]);
    show(m, f, P_SHOULDER_L, worn[2]);
    show(m, f, P_SHOULDER_R, worn[2]);
    show(m, f, P_COAT, worn[3]);
    show(m, f, P_BRACER_L, worn[4]);
    show(m, f, P_BRACER_R, worn[4]);
    show(m, f, P_GLOVE_L, worn[5]);
    show(m, f, P_GLOVE_R, worn[5]);
    show(m, f, P_BELT, worn[6]);
    for (int s = 0; s < 2; ++s) {
        show(m, f, P_THIGH_L + s, worn[7]);
        show(m, f, P_SHIN_L + s, worn[7]);
        show(m, f, P_BOOT_L + s, worn[8]);
        show(m, f, P_FOOT_L + s, worn[8]);
    }
    int cls = clamp_class(player_class);
    weapons_show(m, rig, figure_weapon_design(cls, worn[11]), cls == CLASS_WARRIOR, cls == CLASS_ARCHER);
}

void figure_dress(Model* m, const HumanRig& rig, const uint16_t* equipment_ids, int player_class) {
    int worn[EQUIPMENT_SLOTS] = {};
    for (int i = 0; i < 11 && equipment_ids; ++i) worn[i] = equipment_ids[i];
    figure_dress_items(m, rig, worn, player_class);
}

// The player's own figure follows what is worn (after an equip, a load or a
// new look).
void player_figure_dress() {
    static const Node* last_nodes = nullptr;
    static int last_count = -1;
    static int last[EQUIPMENT_SLOTS] = {-1};
    static int last_class = -1;
    if (!player_model || !player_model->nodes) return;
    if (last_nodes == player_model->nodes && last_count == player_model->node_count &&
        std::memcmp(last, equipment, sizeof(last)) == 0 && last_class == player.player_class)
        return;
    figure_dress_items(player_model, player_rig(), equipment, player.player_class);
    last_nodes = player_model->nodes;
    last_count = player_model->node_count;
    std::memcpy(last, equipment, sizeof(last));
    last_class = player.player_class;
}
