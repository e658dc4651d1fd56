#pragma once
// Second cues for what the interface tells by colour (a creature's or a
// recipe's difficulty, an item's quality): drawn only while a colour-vision
// correction is chosen, so the default picture stays as it always was.
#include "common/mathx.h"

// Whether the cues are drawn this frame (a colour-vision mode other than normal).
bool ui_marks_shown();

constexpr int UI_MARK_STEPS = 4;
// Four bars rising left to right, `filled` of them solid in `colour` (0..4,
// clamped), the rest hollow; (x, y) is the top-left, h the tallest bar.
// Returns the width drawn.
float ui_mark_steps(float x, float y, float h, int filled, Vec4 colour);
float ui_mark_steps_width(float h);

// `count` small square pips in a row (0..4, clamped) from (x, y) top-left,
// each `size` wide with a dark rim, at `alpha` (a fading text's). Returns
// the width drawn (0 for none).
float ui_mark_pips(float x, float y, float size, int count, Vec4 colour, float alpha = 1.0f);
float ui_mark_pips_width(float size, int count);
