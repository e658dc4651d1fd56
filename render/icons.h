#pragma once
// Icons drawn by code: each is painted once into a small grid of cells (an
// outline, the tinted body with its light and shade, and a few fixed colours)
// and drawn as runs of 2D rectangles, so it stays crisp from 28 px to 64 px.
// Skills and items share the numbering.
#include <cstdint>

#include "common/mathx.h"

constexpr int ICON_GRID = 24;
constexpr int ICON_COUNT = 42;

// Draws icon `icon` in the square (x, y, size); the body takes the tint.
// Unknown numbers draw a plain rune stone.
void icon_draw(int icon, float x, float y, float size, Vec3 tint, float alpha);

// The painted cells of an icon, ICON_GRID rows of ICON_GRID, the rune stone's
// for an unknown number. Paints: 0 empty, 1 outline, 2 body, 3 light, 4 shade
// (these three follow the tint), 5 wood, 6 steel, 7 fire, 8 ice, 9 glow,
// 10 blood, 11 earth.
const uint8_t* icon_cells(int icon);
