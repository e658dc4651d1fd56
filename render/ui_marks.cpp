// The colour-vision cues' shapes, built from flat rectangles so that they go
// into the interface batch with everything else.
#include "render/ui_marks.h"

#include <cmath>

#include "render/renderer.h"
#include "render/ui.h"

namespace {

const Vec4 RIM = {0.03f, 0.03f, 0.02f, 0.9f};

// The colours play gives a creature's name, weakest first. Kept in step with
// play's table by a test: a label of another colour simply gets no mark.
const Vec4 creature_colours[5] = {
    {0.62f, 0.62f, 0.62f, 1.0f}, {0.35f, 0.95f, 0.3f, 1.0f}, {1.0f, 0.88f, 0.25f, 1.0f},
    {1.0f, 0.52f, 0.12f, 1.0f}, {1.0f, 0.18f, 0.12f, 1.0f},
};

bool same_colour(Vec4 a, Vec4 b) {
    return std::fabs(a.x - b.x) < 0.002f && std::fabs(a.y - b.y) < 0.002f && std::fabs(a.z - b.z) < 0.002f;
}

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

float ui_mark_pips(float x, float y, float size, int count, Vec4 colour) {
    count = clamp_count(count);
    const float gap = std::fmax(1.0f, std::round(size * 0.45f));
    const float rim = std::fmax(1.0f, std::round(size * 0.25f));
    for (int i = 0; i < count; ++i) {
        float px = x + (float)i * (size + gap);
        ui_rect(px - rim, y - rim, size + 2 * rim, size + 2 * rim, RIM);
        ui_rect(px, y, size, size, Vec4{colour.x, colour.y, colour.z, 1.0f});
    }
    return ui_mark_pips_width(size, count);
}

int ui_mark_creature_steps(Vec4 colour) {
    for (int i = 0; i < 5; ++i)
        if (same_colour(colour, creature_colours[i])) return i;
    return -1;
}
