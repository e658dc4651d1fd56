#pragma once
#include <cstdint>

// Writes an 8-bit RGBA image (top row first) as a PNG file with stored
// (uncompressed) deflate blocks: no zlib needed, any viewer reads it.
bool png_write_rgba(const char* path, const uint8_t* rgba, int width, int height);
