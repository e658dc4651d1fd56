#pragma once
// What an eye may not enter, asked with a segment: the drawn stone, timber
// and cloth of the settlements as convex pieces (walls, gatehouses, gate
// leaves, houses and their roofs, awnings), the obstacle columns, and the
// catacombs' wall squares. The builders register the pieces beside what
// they draw; a lookup grid on the obstacle grid's 16 m cells finds those
// near a segment, so a query costs a few cells and allocates nothing.
//
// Every query answers the fraction of the way from a to b where the
// segment first enters something grown by `margin`, 1 when it gets through.
// A shape whose grown form already holds a is grown only as far as a's
// distance from it: a segment that starts in the margin of a wall still
// finds the wall it heads into, and one that leaves it is free.
#include "common/mathx.h"

// ---- Pieces ------------------------------------------------------------------
void solids_clear();
// The unit cube [-0.5, 0.5]^3 carried by m (a frame times a placement, the
// matrix kit_box draws its box with).
void solid_box(const Mat4& m);
// The prism kit_gable draws: base w wide along x centred on m's origin, apex
// h above it, d deep along z.
void solid_gable(const Mat4& m, float w, float h, float d);
int solid_count();
// Builds the lookup grid once the builders are done, so that play never
// does; a piece added later has the next query build it again.
void solids_seal();

float solids_segment_hit(Vec3 a, Vec3 b, float margin);
// Whether p lies in a piece grown by margin.
bool solids_hold(Vec3 p, float margin);

// ---- Obstacle columns ----------------------------------------------------------
// Against the columns at least min_radius wide and min_height tall.
float obstacles_segment_hit(Vec3 a, Vec3 b, float margin, float min_radius, float min_height);
// Whether the point at fraction t of the segment lies in columns of any size
// grown by margin, and where the segment enters the first of them and leaves
// the last (both t when in none).
bool obstacles_around(Vec3 a, Vec3 b, float t, float margin, float* enter, float* leave);

// ---- Catacombs ------------------------------------------------------------------
// The stone drawn proud of the wall squares: pilasters, skirting, cornices.
constexpr float CATACOMB_TRIM_DEPTH = 0.25f;
// Against the wall squares grown by margin + CATACOMB_TRIM_DEPTH (beyond the
// grid everything is stone), the floor and the ceiling grown by margin.
float catacomb_segment_hit(Vec3 a, Vec3 b, float margin);

// ---- Sight ----------------------------------------------------------------------
// Whether the line from a point to the eye gets through: on the surface the
// settlements' pieces and the columns big enough to hide a figure, below the
// catacombs' stone. Asked from the point, so that a point within a piece (a
// name inside an awning's cloth) is not hidden by that piece, while an eye
// pushed into a wall sees nothing through it.
bool solids_sight_clear(Vec3 point, Vec3 eye, bool catacombs);
