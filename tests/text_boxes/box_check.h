#pragma once
// Reads the 2D batch's record of texts and boxes and lists every text that
// a player would see out of place: ink outside its box (or one of the boxes
// holding it, or the screen), ink over another box of its window, two
// texts of one box over each other, a label over the world under a panel, or
// a box that leaves the screen.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "render/ui.h"

namespace box_check {

constexpr float TOLERANCE = 1.0f;  // pixels of ink allowed over an edge (antialiasing, rounding)

inline const UiRecordedBox* box_at(int i) { return i >= 0 ? &ui_recorded_boxes()[i] : nullptr; }

inline bool is_free(int b) {
    for (; b >= 0; b = box_at(b)->parent)
        if (box_at(b)->flags & UI_BOX_FREE) return true;
    return false;
}

// The nearest box at or above b that starts a group of its own, -1 the screen's.
inline int layer_of(int b) {
    for (; b >= 0; b = box_at(b)->parent)
        if (box_at(b)->flags & UI_BOX_LAYER) return b;
    return -1;
}

inline bool is_at_or_above(int candidate, int b) {
    for (; b >= 0; b = box_at(b)->parent)
        if (b == candidate) return true;
    return false;
}

inline float overlap(float a0, float a1, float b0, float b1) { return std::fmin(a1, b1) - std::fmax(a0, b0); }

inline std::string text_name(const UiRecordedText& t) {
    char buf[200];
    std::snprintf(buf, sizeof buf, "\"%s\" (%.0f px, ink %.1f,%.1f to %.1f,%.1f)", t.text, t.size, t.x0, t.y0, t.x1,
                  t.y1);
    return buf;
}

inline std::string box_name(int b) {
    const UiRecordedBox& r = *box_at(b);
    // Named by the first text it holds, when it holds one.
    const char* first = nullptr;
    for (int i = 0; i < ui_recorded_text_count() && !first; ++i)
        if (ui_recorded_texts()[i].box == b) first = ui_recorded_texts()[i].text;
    char buf[200];
    std::snprintf(buf, sizeof buf, "box %.1f,%.1f %.1fx%.1f%s%s%s", r.x, r.y, r.w, r.h, first ? " of \"" : "",
                  first ? first : "", first ? "\"" : "");
    return buf;
}

// Whether the ink stays inside a rectangle shrunk by inset.
inline bool ink_inside(const UiRecordedText& t, float x, float y, float w, float h, float inset) {
    return t.x0 >= x + inset - TOLERANCE && t.y0 >= y + inset - TOLERANCE && t.x1 <= x + w - inset + TOLERANCE &&
           t.y1 <= y + h - inset + TOLERANCE;
}

// Every fault of the record, for a screen of w x h pixels.
inline std::vector<std::string> faults(float screen_w, float screen_h) {
    std::vector<std::string> out;
    if (ui_record_faults() != 0) out.push_back(std::to_string(ui_record_faults()) + " boxes left open or records lost");
    const int nt = ui_recorded_text_count(), nb = ui_recorded_box_count();
    const UiRecordedText* texts = ui_recorded_texts();
    // A window or a button partly off the screen, text in it or not (labels
    // over the world may go where the world takes them).
    for (int b = 0; b < nb; ++b) {
        const UiRecordedBox& r = *box_at(b);
        if (is_free(b) || r.w <= 0 || r.h <= 0) continue;
        if (r.x < -TOLERANCE || r.y < -TOLERANCE || r.x + r.w > screen_w + TOLERANCE || r.y + r.h > screen_h + TOLERANCE)
            out.push_back(box_name(b) + " leaves the screen");
    }
    for (int i = 0; i < nt; ++i) {
        const UiRecordedText& t = texts[i];
        for (int j = i + 1; j < nt; ++j) {
            const UiRecordedText& u = texts[j];
            if (u.box != t.box) continue;
            if (overlap(t.x0, t.x1, u.x0, u.x1) > TOLERANCE && overlap(t.y0, t.y1, u.y0, u.y1) > TOLERANCE)
                out.push_back(text_name(t) + " and " + text_name(u) + " cover each other");
        }
        if (is_free(t.box)) {
            // Over the world: anywhere on screen or off it, but never over a
            // window nor under a panel, where it could not be read.
            for (int b = 0; b < nb; ++b) {
                const UiRecordedBox& r = *box_at(b);
                if (is_free(b) || r.w <= 0 || r.h <= 0) continue;
                if (overlap(t.x0, t.x1, r.x, r.x + r.w) > TOLERANCE && overlap(t.y0, t.y1, r.y, r.y + r.h) > TOLERANCE)
                    out.push_back(text_name(t) + ", a label over the world, is drawn " +
                                  (r.order > t.order ? "under the panel " : "over the window ") + box_name(b));
            }
            continue;
        }
        if (!ink_inside(t, 0, 0, screen_w, screen_h, 0.0f)) out.push_back(text_name(t) + " leaves the screen");
        // Its box and those around it, up to the first that is drawn over
        // the others (a tooltip is not bound by the window it came from).
        for (int b = t.box; b >= 0; b = box_at(b)->parent) {
            const UiRecordedBox& r = *box_at(b);
            if (!ink_inside(t, r.x, r.y, r.w, r.h, r.inset)) {
                out.push_back(text_name(t) + " leaves its " + (b == t.box ? "" : "outer ") + box_name(b));
                break;
            }
            if (r.flags & UI_BOX_LAYER) break;
        }
        const int layer = layer_of(t.box);
        for (int b = 0; b < nb; ++b) {
            const UiRecordedBox& r = *box_at(b);
            if (r.w <= 0 || r.h <= 0 || is_free(b) || layer_of(b) != layer || is_at_or_above(b, t.box)) continue;
            if (overlap(t.x0, t.x1, r.x, r.x + r.w) > TOLERANCE && overlap(t.y0, t.y1, r.y, r.y + r.h) > TOLERANCE)
                out.push_back(text_name(t) + " runs over " + box_name(b));
        }
    }
    return out;
}

}  // namespace box_check
