#pragma once
// The third-person camera behind the player, and the presentation camera of
// the character screens.
#include "common/mathx.h"

struct Player;

// Places the camera for this frame and hands it to the renderer: behind the
// player, pulled in along the line to the head at once when something solid
// stands between them, eased back out after, never nearer than the figure's
// shoulders (from there it looks from higher up or further round).
void camera_update(float dt);

// The pieces of camera_update, on an explicit record.
Vec3 camera_forward_of(float yaw, float pitch);
// Fraction of the way from the look-at point to an eye that is free of the
// world's solids, the eye kept clear of them (1: the player is in view).
float camera_view_free(Vec3 look, Vec3 eye, bool catacombs);
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
