#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Compressed 8-bit PNG files for the reference images of the render tests.
struct Image {
    int width = 0, height = 0, channels = 0;  // 3 (RGB) or 4 (RGBA)
    std::vector<uint8_t> pixels;              // top row first
};

bool png_save(const std::string& path, const Image& image);
// Reads non-interlaced 8-bit grey, RGB or RGBA files (grey comes back as RGB).
bool png_load(const std::string& path, Image& image);
