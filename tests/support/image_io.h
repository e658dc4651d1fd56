#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Binary PPM (P6, 8-bit RGB, top row first): the small committed reference
// images of the render tests.
bool read_ppm(const std::string& path, std::vector<uint8_t>& rgb, int& width, int& height);
bool write_ppm(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
