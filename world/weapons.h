#pragma once
// Weapons in the hands of human figures: a bow with its string and quiver,
// a sword or axe, a staff, a shield. Each design is generated once from the
// shape generators into one shared pool; a figure carries hidden nodes under
// its hands that show whichever design it holds.
#include <cstdint>

#include "common/mathx.h"

struct Model;
struct HumanRig;
struct GpuMesh;

enum WeaponKind : int32_t { WEAPON_NONE, WEAPON_BOW, WEAPON_SWORD, WEAPON_AXE, WEAPON_STAFF };

// How a design is ornamented; each kind reads the few that suit it.
enum WeaponTrim : int32_t {
    TRIM_PLAIN,     // the class's own weapon before anything is worn
    TRIM_WRAPPED,   // leather bands along a bow
    TRIM_LONG,      // a longer bow or blade
    TRIM_NOBLE,     // gilded guard and pommel, or gilded bow tips
    TRIM_LEAVES,    // a bunch of leaves tied under a staff's head
    TRIM_MOON,      // a crescent about a pale orb
    TRIM_IVY,       // ivy climbing a holly staff to a gilded stone
};

// One look of a weapon: colour is the wood or the blade, accent the grip,
// the bands, the guard or the stone.
struct WeaponDesign {
    WeaponKind kind;
    WeaponTrim trim;
    Vec3 colour;
    Vec3 accent;
};

// Builds every design once, with the shield, string, quiver and nocked
// arrow, into one pool of GPU buffers; later calls do nothing. Needs GL.
void weapons_build(const WeaponDesign* designs, int count);
bool weapons_ready();
// The stave, blade or staff mesh of design i of the list built (null when
// out of range or not built).
GpuMesh* weapon_design_mesh(int design);

// Adds the hidden weapon nodes to a human figure and records them in the
// rig: the bow in the left hand, the sword, axe or staff in the right, the
// shield on the left forearm, the quiver on the back, the string tied to
// the bow's tips and the drawing hand. Call right after human_build; needs
// weapons_build first.
void weapons_attach(Model* m, HumanRig* rig);

// Shows design `held` (an index of the list built, -1 none) in the right
// hand or, for a bow, the left; the shield and the quiver when asked.
void weapons_show(Model* m, const HumanRig& rig, int held, bool shield, bool quiver);

// The pose's part, after the arms are set: bows and staves stay upright in
// the hand (a bow leans at rest, aim 0, and stands for the shot, aim 1), and
// the string comes back to the drawing hand by aim x draw (draw 0 just
// loosed .. 1 full draw) with an arrow nocked near the end of the draw; the
// shield turns its face ahead of the chest by guard (0 hanging .. 1 raised).
void weapons_pose(Model* m, const HumanRig& rig, float aim, float draw, float guard);

// The head of a staff in its node's frame, where the spells leave.
constexpr Vec3 STAFF_HEAD = {0.0f, 0.97f, 0.0f};

