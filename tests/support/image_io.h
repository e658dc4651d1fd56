#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Binary PPM (P6, 8-bit RGB, top row first): the small committed reference
// images of the render tests.
bool read_ppm(const std::string& path, std::vector<uint8_t>& rgb, int& width, int& height);
// How far two RGB images of the same size are apart: the mean absolute
// difference per channel, and how many pixels differ by more than
// far_threshold summed over their three channels.
struct ImageDiff {
    double mean;
    int far_off;
};
ImageDiff compare_rgb(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int far_threshold = 60);

bool write_ppm(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
