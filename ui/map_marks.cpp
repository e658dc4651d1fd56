// Marker shapes of the maps, built from small squares so that they go into
// the interface batch like everything else.
#include <cmath>

#include "ui/map_marks.h"
#include "render/hud.h"
#include "render/ui.h"
#include "render/ui_marks.h"

namespace {

void dot(float x, float y, float r, Vec4 c) { ui_rect(x - r, y - r, 2 * r, 2 * r, c); }

// A diamond of stacked strips.
void diamond(float x, float y, float r, Vec4 c) {
    const int rows = 5;
    for (int i = -rows; i <= rows; ++i) {
        float t = 1.0f - std::fabs((float)i) / (float)(rows + 1);
        float h = r / (float)rows;
        ui_rect(x - r * t, y + (float)i * h - h * 0.5f, 2 * r * t, h + 0.5f, c);
    }
}

// A round disc of strips, one per pixel row.
void disc(float x, float y, float r, Vec4 c) {
    const int rows = (int)std::ceil(r);
    for (int i = -rows; i < rows; ++i) {
        float mid = ((float)i + 0.5f) / r;
        float half = r * std::sqrt(std::fmax(0.0f, 1.0f - mid * mid));
        ui_rect(x - half, y + (float)i, 2 * half, 1.0f, c);
    }
}

// A triangle pointing up, its centre of mass on (x, y).
void triangle(float x, float y, float r, Vec4 c) {
    const float top = y - r, h = 1.7f * r;
    const int rows = (int)std::ceil(h);
    for (int i = 0; i < rows; ++i) {
        float half = 0.95f * r * ((float)i + 0.5f) / (float)rows;
        ui_rect(x - half, top + (float)i, 2 * half, 1.0f, c);
    }
}

}  // namespace

void map_mark_node(float x, float y, float r, bool ore) {
    if (ore) {
        diamond(x, y, r + 1.0f, Vec4{0.1f, 0.08f, 0.06f, 0.9f});
        diamond(x, y, r, Vec4{0.86f, 0.55f, 0.28f, 1.0f});
    } else if (ui_marks_shown()) {
        disc(x, y, r + 1.0f, Vec4{0.05f, 0.1f, 0.05f, 0.9f});
        disc(x, y, r, Vec4{0.45f, 0.95f, 0.4f, 1.0f});
    } else {
        dot(x, y, r + 1.0f, Vec4{0.05f, 0.1f, 0.05f, 0.9f});
        dot(x, y, r, Vec4{0.45f, 0.95f, 0.4f, 1.0f});
    }
}

void map_mark_person(float x, float y, float r, int quest) {
    const bool highlighted = quest == 1 || quest == 2;
    if (highlighted && ui_marks_shown()) {
        // The quest's own sign, on the dark backing of the objectives' marks.
        const float size = 4.4f * r;
        ui_rect(x - 0.4f * size, y - 0.55f * size, 0.8f * size, 1.1f * size, Vec4{0.08f, 0.06f, 0.02f, 0.9f});
        ui_text_centred(x, y - 0.55f * size, quest == 1 ? "!" : "?", size, Vec4{1.0f, 0.9f, 0.45f, 1.0f},
                        UI_FONT_TITLE);
        return;
    }
    if (highlighted) dot(x, y, r + 2.5f, Vec4{1.0f, 0.85f, 0.2f, 0.9f});
    dot(x, y, r + 1.0f, Vec4{0.08f, 0.06f, 0.02f, 0.95f});
    dot(x, y, r, highlighted ? Vec4{1.0f, 0.95f, 0.55f, 1.0f} : Vec4{0.85f, 0.78f, 0.55f, 1.0f});
}

void map_mark_other_player(float x, float y, float r) {
    if (ui_marks_shown()) {
        triangle(x, y, r + 1.8f, Vec4{0.02f, 0.04f, 0.1f, 0.95f});
        triangle(x, y + 0.4f, r + 0.4f, Vec4{0.35f, 0.65f, 1.0f, 1.0f});
        return;
    }
    dot(x, y, r + 1.0f, Vec4{0.02f, 0.04f, 0.1f, 0.95f});
    dot(x, y, r, Vec4{0.35f, 0.65f, 1.0f, 1.0f});
}

void map_mark_place(float x, float y, float r) {
    if (ui_marks_shown()) {
        // A framed square with a heart, told apart from the ore's diamond.
        const Vec4 edge{0.1f, 0.07f, 0.02f, 0.9f}, gold{0.95f, 0.8f, 0.35f, 1.0f};
        const float t = std::fmax(1.0f, std::round(0.3f * r));
        dot(x, y, r + 1.5f, edge);
        dot(x, y, r, gold);
        dot(x, y, r - t, edge);
        dot(x, y, std::fmax(1.0f, r - 2.2f * t), gold);
        return;
    }
    diamond(x, y, r + 1.5f, Vec4{0.1f, 0.07f, 0.02f, 0.9f});
    diamond(x, y, r, Vec4{0.95f, 0.8f, 0.35f, 1.0f});
}

void map_mark_arrow(float x, float y, float r, float heading) {
    // Screen direction of the heading: +x is to the left, north is up.
    float dx = -std::sin(heading), dy = -std::cos(heading);
    float sx = -dy, sy = dx;  // across
    const Vec4 edge{0.05f, 0.03f, 0.0f, 1.0f};
    const Vec4 body{1.0f, 0.92f, 0.35f, 1.0f};
    for (int pass = 0; pass < 2; ++pass) {
        float grow = pass == 0 ? 1.2f : 0.0f;
        Vec4 c = pass == 0 ? edge : body;
        // From the tail to the tip, wide at the back with a notch in it.
        for (int i = 0; i <= 14; ++i) {
            float t = (float)i / 14.0f;  // 0 tail, 1 tip
            float along = -0.7f * r + t * 1.8f * r;
            float width = (1.0f - t) * 0.7f * r;
            for (int k = -4; k <= 4; ++k) {
                float a = width * (float)k / 4.0f;
                if (i < 4 && std::fabs(a) < 0.4f * r * (1.0f - (float)i / 4.0f)) continue;
                float cx = x + dx * along + sx * a, cy = y + dy * along + sy * a;
                float q = 0.11f * r + grow;
                ui_rect(cx - q, cy - q, 2 * q, 2 * q, c);
            }
        }
    }
}
