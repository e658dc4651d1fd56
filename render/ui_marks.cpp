// The colour-vision cues' shapes, built from flat rectangles so that they go
// into the interface batch with everything else.
#include "render/ui_marks.h"

#include <cmath>

#include "render/renderer.h"
#include "render/ui.h"

namespace {

const Vec4 RIM = {0.03f, 0.03f, 0.02f, 0.9f};

int clamp_count(int n) { return n < 0 ? 0 : (n > UI_MARK_STEPS ? UI_MARK_STEPS : n); }

}  // namespace

bool ui_marks_shown() { return view_settings.colour_vision != VISION_NORMAL; }

float ui_mark_steps_width(float h) {
    float bar = std::fmax(2.0f, std::round(h * 0.26f)), gap = std::fmax(1.0f, std::round(h * 0.12f));
    return UI_MARK_STEPS * bar + (UI_MARK_STEPS - 1) * gap;
}

float ui_mark_steps(float x, float y, float h, int filled, Vec4 colour) {
    filled = clamp_count(filled);
    const float bar = std::fmax(2.0f, std::round(h * 0.26f)), gap = std::fmax(1.0f, std::round(h * 0.12f));
    const float rim = std::fmax(1.0f, std::round(h * 0.08f));
    const Vec4 hollow = {colour.x * 0.35f, colour.y * 0.35f, colour.z * 0.35f, 0.75f};
    for (int i = 0; i < UI_MARK_STEPS; ++i) {
        // Heights 40, 60, 80, 100 % of h: the taller the bar, the stronger the foe.
        float bh = std::round(h * (0.4f + 0.2f * (float)i));
        float bx = x + (float)i * (bar + gap), by = y + h - bh;
        ui_rect(bx - rim, by - rim, bar + 2 * rim, bh + 2 * rim, RIM);
        ui_rect(bx, by, bar, bh, i < filled ? colour : hollow);
    }
    return ui_mark_steps_width(h);
}

float ui_mark_pips_width(float size, int count) {
    count = clamp_count(count);
    if (count == 0) return 0.0f;
    float gap = std::fmax(1.0f, std::round(size * 0.45f));
    return (float)count * size + (float)(count - 1) * gap;
}

float ui_mark_pips(float x, float y, float size, int count, Vec4 colour, float alpha) {
    count = clamp_count(count);
    const float gap = std::fmax(1.0f, std::round(size * 0.45f));
    const float rim = std::fmax(1.0f, std::round(size * 0.25f));
    for (int i = 0; i < count; ++i) {
        float px = x + (float)i * (size + gap);
        ui_rect(px - rim, y - rim, size + 2 * rim, size + 2 * rim, Vec4{RIM.x, RIM.y, RIM.z, RIM.w * alpha});
        ui_rect(px, y, size, size, Vec4{colour.x, colour.y, colour.z, alpha});
    }
    return ui_mark_pips_width(size, count);
}

