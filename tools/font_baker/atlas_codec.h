#pragma once
#include <cstdint>
#include <string>

// Encoder of the packed atlas text read by atlas_decode (common/font_atlas_codec.h).
std::string atlas_encode(const uint8_t* pixels, int width, int height);
