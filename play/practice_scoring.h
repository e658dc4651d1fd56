#pragma once
// Arrows on the archery butts by the first clearing.
#include "common/mathx.h"

// Scores an arrow tip that strikes a practice target: counts the hit (and a
// bullseye), plays the thud and shows "Dans le mille !", "Beau tir !" or
// "Touché" for 1.8 s. Returns false, doing nothing, when the tip is in no
// target's face.
bool practice_target_scored(Vec3 tip);
