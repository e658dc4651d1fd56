#pragma once
#include <cstdint>
#include <vector>

// Signed Euclidean distance (in grid pixels) of every pixel of a binary mask to
// the shape's edge: positive inside, negative outside. The edge lies halfway
// between an inside and an outside pixel, so neighbours across it get +0.5 and
// -0.5.
std::vector<float> signed_distance(const std::vector<uint8_t>& inside, int width, int height);
