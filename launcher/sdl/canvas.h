// Software painter of the launcher's scene for the SDL window: rectangles,
// rounded buttons and FreeType text into a 32-bit 0xAARRGGBB pixel buffer.
#pragma once
#include <cstdint>

#include "launcher/layout.h"

// Loads the DejaVu faces that stand in for Georgia and Segoe UI; false (with
// a log line on stderr) when none is found, text is then not drawn.
bool canvas_load_fonts();
void canvas_paint(const LauncherScene& scene, uint32_t* pixels, int w, int h, int pitch_pixels);
