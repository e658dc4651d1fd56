#pragma once
#include <cstdint>

#include "common/mathx.h"
#include "world/human.h"

struct Creature;
struct Model;

enum PlayerClass : int32_t { CLASS_ARCHER = 0, CLASS_WARRIOR = 1, CLASS_DRUID = 2 };

// The one live player record: movement and camera first, then the character.
struct Player {
    // Movement.
    float pos_x, pos_y, pos_z;  // feet; y is up
    float vertical_speed;
    uint8_t on_ground;
    float heading;  // facing (sin, cos) in (x, z); saved as "cap"
    float ground_speed;
    float stride_phase;
    float guard_blend;
    float draw_blend;
    float attack_cooldown;

    // Character.
    int32_t player_class;
    char name[24];
    float rage, rage_idle;
    float swing_progress;  // 0 idle, else 0.001 .. 1
    int32_t combo_index;
    int32_t swing_hit_done;
    float combo_window;
    float charge_time;
    float whirlwind_progress;
    int32_t charge_target;

    // Camera.
    float camera_yaw, camera_pitch, camera_distance, camera_fov;  // fov in degrees
    Vec3 camera_pos;
    Vec3 camera_forward;
    float camera_reach;  // how far back the walls let the camera stand, eased out after them; 0 unknown

    int32_t attacks_made, targets_hit, bullseyes, kills;
    int32_t level, experience;
    float max_health, health;
    uint8_t dead;
    float death_time;
    float since_hurt;
    float levelup_glow;
    int32_t purse;
    int32_t armour, endurance, agility;
    float weapon_factor;

    Creature* target;
    float target_hold;
    float aim_time;
    uint8_t attack_requested, interact_requested;
    float last_stride_sine;

    // Pose blends and the camera's look-at point of this frame.
    float walk_blend, run_blend;
    float body_pitch;  // root pitch: 0 standing, -pi/2 laid down (death)
    Vec3 camera_target;

    // Class resources and skill state.
    float mana, max_mana;         // druid
    float cast_glow;              // 1 after a cast, fading
    float life_breath_time;       // heal over time of the druid's first spell
    float regeneration_time;
    float war_cry_time;
    float skill_cooldown[8];
    int32_t pending_shield_effect;  // 0 none, 1 stun, 2 bleed, 3 execute
    float swing_multiplier;
    // Armour of the worn items alone; the warrior's bonus follows the level.
    int32_t gear_armour;
};

extern Player player;
// Where the player stands: the point on the ground between the feet.
inline Vec3 player_feet() { return {player.pos_x, player.pos_y, player.pos_z}; }
extern AppearanceChoice player_look;

// The player's human model, rebuilt when the appearance changes; null until
// the first build (no GL context in unit tests).
extern Model* player_model;

// New character: record cleared and put at the spawn point.
void player_reset_new();

// Movement constants that other parts read.
constexpr float PLAYER_RADIUS = 0.35f;
constexpr float PLAYER_EYE_HEIGHT = 1.7f;

struct Appearance;
struct HumanRig;
// Builds (or rebuilds) the player's figure from player_look; needs GL.
void player_model_rebuild();
const HumanRig& player_rig();
// The tunic's material of a class (the figure's clothing is drawn with it).
struct Material;
Material* player_class_cloth(int cls);
// Feet position, heading (with the presentation turn) and the lying pitch of
// the death sequence.
Mat4 player_root_matrix();
// On the character screens the figure turns under the player's drag while
// the view stays where the heading put it: the turn about the feet, added to
// the heading for the figure alone. Back to 0 when play resumes.
extern float presentation_turn;

// A right click in the world and what its ray met first of play's own (the
// merchant, a creature, a body), held for game/ to offer first to the people
// of the layers above play: one nearer along the ray answers it instead.
constexpr float RIGHT_CLICK_NONE = 1e30f;
struct RightClick {
    bool wanted;
    int x, y;
    float merchant_t, creature_t, body_t;  // along the ray; RIGHT_CLICK_NONE where it met none
    Creature* creature;
    Creature* body;
    float nearest() const;
};

// The player's share of the frame's input, after the screens had theirs
// (game/ routes it): the bar and target keys; then the world's clicks and
// the look drag (clicks only when no screen took the mouse), which hand back
// the right click, if any; then the cursor's capture, and the attack and
// interact keys.
void player_keys_input();
RightClick player_mouse_clicks(bool clicks);
void player_right_click(const RightClick& click);
void player_mouse_keys();
// The player's step in two halves, around the interaction prompt that the
// frame runs between them (its sources are the people and places above
// play): player_act upkeeps the target, looks, walks and fights, and says
// whether the player stands in the world this frame (not on the character
// screens, not lying dead); player_settle then poses the figure, flies the
// arrows and follows with the camera. player_update is both halves with no
// prompt, for play alone (tests, benchmarks).
bool player_act(float dt);
void player_settle(float dt);
void player_update(float dt);
void player_submit();
// A click (press and release without a drag) of the left (0) or right (1)
// button at the cursor; a right one is handed back, not acted on.
RightClick player_click(int button, int x, int y);
// Death sequence; true while dead (the rest of the update is skipped).
// After 3.5 s the player comes to at Camelot or in the catacombs' vestibule.
bool player_death_step(float dt);
void player_revive();
void player_hud_update(float dt);
