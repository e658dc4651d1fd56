#pragma once
// The third-person camera behind the player, and the presentation camera of
// the character screens.
#include "common/mathx.h"

struct Player;

// Places the camera for this frame (smoothing, obstacle and wall occlusion,
// field of view) and hands it to the renderer.
void camera_update(float dt);

// The pieces of camera_update, on an explicit record.
Vec3 camera_forward_of(float yaw, float pitch);
// Distance the surface obstacles leave between the look-at point and the eye.
float camera_surface_clearance(Vec3 look, Vec3 forward, float pitch, float distance);
// The same against the dungeon walls.
float camera_catacomb_clearance(Vec3 look, Vec3 forward, float distance);
void camera_place(Player& p, float dt, bool catacombs);

// Presentation view: look-at, eye and field of view for a character shown
// from the front (portrait = the close view).
void camera_presentation(const Player& p, bool woman, bool portrait, Vec3* eye, Vec3* look,
                         float* fov);

// A heading near `preferred` from which the presentation view sees the figure
// through open air: a character saved against a rock or a wall would be shown
// from inside it. `preferred` when no heading is clear.
float presentation_heading(const Player& p, bool woman, float preferred);

// Hands eye, look-at point and field of view to the renderer.
void camera_publish(Vec3 eye, Vec3 look, float fov);
