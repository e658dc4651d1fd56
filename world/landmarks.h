#pragma once
// The hamlet of Gué-Fleuri, the wild sites and the archery butts by the
// first clearing. landmarks_build builds them into the world
// batches, the obstacles and the fire list.
#include "common/mathx.h"

// The camp fires of the hamlet and the wild sites become lights near the camera.
void landmarks_submit_lights(Vec3 eye, float flicker);
int landmark_fire_count();
Vec3 landmark_fire(int i);

// ---- Practice targets -------------------------------------------------------------
constexpr int PRACTICE_TARGET_COUNT = 4;
constexpr float PRACTICE_FACE_RADIUS = 0.6f;
// Centre of a target's painted face and the face's outward normal (world).
Vec3 practice_target_centre(int i);
Vec3 practice_target_normal(int i);
// Whether a point (an arrow tip) lies in the straw of a target's face; the
// centre of that face goes to *centre.
bool practice_target_hit(Vec3 p, Vec3* centre);

// How a hit scores by its distance from the centre.
struct PracticeScore {
    const char* text;  // "Dans le mille !", "Beau tir !" or "Touché"
    bool bullseye;
};
PracticeScore practice_score(float distance_from_centre);

void landmarks_build();   // the hamlet and the named wild sites
