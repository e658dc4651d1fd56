#pragma once
// Human figures (the player, other players, villagers, quest figures) built
// from an appearance record, with a sculpted head and four movable face parts.
#include <cstdint>

#include "common/mathx.h"

struct Model;
struct Material;
struct MeshBuilder;

// The six saved appearance choices (woman 0/1, skin 0-4, eyes 0-3, hair
// colour 0-6, hair style 0-2, beard 0-2).
struct AppearanceChoice {
    int32_t woman, skin, eyes, hair, style, beard;
};

constexpr int SKIN_COLOUR_COUNT = 5;
constexpr int EYE_COLOUR_COUNT = 4;
constexpr int HAIR_COLOUR_COUNT = 7;
constexpr int HAIR_STYLE_COUNT = 3;
constexpr int BEARD_STYLE_COUNT = 3;
extern const Vec3 skin_colours[SKIN_COLOUR_COUNT];
extern const Vec3 eye_colours[EYE_COLOUR_COUNT];
extern const Vec3 hair_colours[HAIR_COLOUR_COUNT];

// The body-shape input of the builder. The first reserved word carries the
// hair style (0 short, 1 shoulder length, 2 long and tied).
struct Appearance {
    Vec3 skin;
    Vec3 eyes;
    Vec3 hair;
    float femininity;  // 0 man .. 1 woman
    int32_t beard;     // 0 none, 1 short, 2 full
    float head_height; // output: top of the head above the feet
    int32_t face_nodes[4];  // left eye, right eye, left brow, right brow
    int32_t hair_style;
    int32_t reserved;
    Vec3 face_rest[2];  // rest positions of the left eye and left brow (right = mirrored)
    float face_scale;
};

// Colour tables applied to the saved choices; out-of-range values (a damaged
// file) are clamped into the tables.
Appearance appearance_from_choice(const AppearanceChoice& c);

// Nodes that poses move; -1 where absent.
struct HumanRig {
    int hips, torso, head;
    int leg[2], knee[2];       // 0 left, 1 right
    int arm[2], forearm[2];
    int hand[2];               // weapon goes in hand[1], a bow in hand[0]
    float hip_height;          // rest height of the hips node
    // Weapons (weapons_attach); meaningful only when armed is set.
    uint8_t armed;
    int bow, held, shield, quiver;
    int string[2], nocked;     // tied parts: the string's two halves, the arrow on it
    int string_tie;            // first of the three ties (string top, bottom, arrow)
};

// Builds body and head under parent (feet at the parent's origin, facing +z);
// returns the head node. The clothing parts use human_clothing_material(),
// which model_draw can swap for a figure's own colour.
int human_build(Model* m, int parent, Appearance* a, HumanRig* rig = nullptr);

// The clothing material shared by every human figure.
Material* human_clothing_material();

// The sculpted head on the CPU: 91 rings x 111 vertices, centred on the
// origin, facing +z; beard and brows coloured through vertex colours
// relative to the skin.
MeshBuilder human_head_mesh(const Appearance& a);
constexpr int HEAD_RINGS = 91;
constexpr int HEAD_RING_VERTICES = 111;

// Moves the four face parts for an expression amount in [0, 1].
void face_expression(Model* m, const Appearance* a, float amount);
