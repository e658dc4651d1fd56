// HUD services: message, prompt, floating texts, labels and bars over the
// world, quest tracker, hit flash, fade, the modal dialog with its input and
// the pause dialog, the per-frame timers and the formatting ring.
#include "render/hud.h"
#include "render/ui_focus.h"
#include "render/hud_internal.h"
#include "render/ui_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/game_time.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "render/ui_marks.h"
#include "common/text_copy.h"
#include "sound/sound.h"
#include "render/render_calls.h"

HudPlayerView hud_player = {0, 0, 0, 0, 0, 1, 100.0f, 100.0f, 0.0f, 0.0f, 0.0f, 0, 1, {0, 0, 0}};
HudNetView hud_net = {};
float hud_scale = 1.0f;
int hud_text_size = HUD_TEXT_SIZE_DEFAULT;


namespace {

char message_text[512];
float message_time = 0.0f;
uint8_t prompt_shown = 0;
char prompt_text[256];
float flash = 0.0f;
float fade_time = 0.0f, fade_total = 0.0f;
FloatingText floats[HUD_FLOAT_SLOTS];
QuestTrackerEntry tracker[HUD_TRACKER_SLOTS];
Dialog dialog;
int fps_frames = 0;
double fps_last = 0.0;
int fps_value = 0;
char fmt_ring[HUD_FMT_BUFFERS][HUD_FMT_SIZE];
int fmt_next = 0;

void copy_text(char* dst, int capacity, const char* src) { copy_utf8(dst, capacity, src); }

// Depth of a point along the camera's view direction, and the pixel size
// of one world metre there (before any scale of the caller).
float view_depth(Vec3 p) {
    Vec3 dir = render_camera.target - render_camera.eye;
    float len = length(dir);
    if (len < 1e-9f) return 0.0f;
    return dot(p - render_camera.eye, dir * (1.0f / len));
}

float text_factor() {
    return (float)std::clamp(hud_text_size, HUD_TEXT_SIZE_MIN, HUD_TEXT_SIZE_MAX) / 100.0f;
}

float height_scale() { return (float)plat_input.client_height / 1080.0f; }

float pixels_per_metre(float depth) {
    float half = render_camera.fov_degrees * 0.5f * 3.14159265f / 180.0f;
    float t = std::tan(half);
    if (!(t > 1e-6f)) t = 1e-6f;
    return (float)plat_input.client_height / (2.0f * t) / depth;
}

}  // namespace

// ---- Services -------------------------------------------------------------------

void hud_message(const char* text, float seconds) {
    copy_text(message_text, sizeof message_text, text);
    message_time = seconds;
}

void hud_prompt(bool shown, const char* text) {
    prompt_shown = shown ? 1 : 0;
    if (text) copy_text(prompt_text, sizeof prompt_text, text);
}

// Off in the accessibility options: the health bar still tells of the blow.
void hud_hit_flash() { flash = view_settings.screen_flashes ? 0.45f : 0.0f; }

void hud_fade(float seconds) {
    fade_time = seconds > 0.0f ? seconds : 0.0f;
    fade_total = fade_time;
}

void hud_float_text(Vec3 position, const char* text, Vec4 colour, float lifetime, float rise, float size) {
    hud_float_text_marked(position, text, colour, lifetime, rise, size, -1);
}

void hud_float_text_marked(Vec3 position, const char* text, Vec4 colour, float lifetime, float rise, float size,
                           int pips) {
    for (FloatingText& f : floats) {
        if (f.active) continue;
        f.active = 1;
        f.position = position;
        copy_text(f.text, sizeof f.text, text);
        f.colour = colour;
        f.age = 0.0f;
        f.lifetime = lifetime;
        f.rise = rise;
        f.size = size;
        f.pips = (int8_t)std::clamp(pips, -1, UI_MARK_STEPS);
        return;
    }
}

namespace {

// Where a world label lands on screen: its text size, and the top of its
// first line (false when it is not drawn at all).
bool world_label_place(Vec3 p, float k, float* px_out, Vec3* at_out) {
    float d = view_depth(p);
    if (!(d > 0.3f)) return false;
    const float s = hud_scale;
    // Labels over the world follow the text size too, their smallest and
    // largest included.
    float px = pixels_per_metre(d) * k * text_factor();
    if (!(px >= 7.0f)) return false;
    float cap = (k <= 0.4f ? 30.0f : 140.0f) * s;
    if (px > cap) px = cap;
    *px_out = px;
    *at_out = world_to_screen(p);
    return true;
}

bool in_sight(Vec3 p) { return !render_calls.label_in_sight || render_calls.label_in_sight(render_camera.eye, p); }

int line_count(const char* text) {
    int lines = 1;
    for (const char* c = text; *c; ++c)
        if (*c == '\n') ++lines;
    return lines;
}

// Calls fn(line, length) for each line of a label (at most 255 bytes, never
// half a letter).
template <class Fn>
void for_lines(const char* text, Fn fn) {
    const char* line = text;
    char buf[256];
    for (;;) {
        int n = 0;
        while (line[n] && line[n] != '\n') ++n;
        int keep = n < 255 ? n : 255;
        while (keep < n && keep > 0 && ((unsigned char)line[keep] & 0xC0) == 0x80) --keep;
        std::memcpy(buf, line, keep);
        buf[keep] = 0;
        fn(buf);
        if (!line[n]) break;
        line += n + 1;
    }
}

// The lines of a label centred on x, the first with its top at y.
void label_lines(float x, float y, const char* text, float px, Vec4 colour, int font) {
    for_lines(text, [&](const char* line) {
        ui_text_centred(x, y, line, px, colour, font);
        y += 1.15f * px;
    });
}

struct LabelBox {
    float x0, y0, x1, y1;
};

// The ink of a label's lines centred on x, the first with its top at y.
LabelBox label_box(float x, float y, const char* text, float px, int font) {
    LabelBox b = {x, 1e30f, x, -1e30f};
    float top = y;
    for_lines(text, [&](const char* line) {
        float w = ui_text_width(line, px, font);
        float ink_top, ink_bottom;
        ui_text_ink_rows(line, px, font, &ink_top, &ink_bottom);
        if (ink_bottom > ink_top) {
            b.x0 = std::fmin(b.x0, x - w * 0.5f);
            b.x1 = std::fmax(b.x1, x + w * 0.5f);
            b.y0 = std::fmin(b.y0, top + ink_top);
            b.y1 = std::fmax(b.y1, top + ink_bottom);
        }
        top += 1.15f * px;
    });
    if (b.y1 < b.y0) b.y0 = b.y1 = y;
    return b;
}

LabelBox box_union(LabelBox a, LabelBox b) {
    if (a.x1 <= a.x0 && a.y1 <= a.y0) return b;
    return {std::fmin(a.x0, b.x0), std::fmin(a.y0, b.y0), std::fmax(a.x1, b.x1), std::fmax(a.y1, b.y1)};
}

bool boxes_overlap(const LabelBox& a, const LabelBox& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// What the labels of this batch cover on screen, so that floating texts can
// stack clear of them and all can give way to the panels drawn later.
enum PlacedKind : uint8_t { PLACED_LABEL, PLACED_FLOATING, PLACED_RESERVED };
struct PlacedLabel {
    LabelBox box;
    int vertex_from, vertex_to;  // its quads in the batch
    int text_from, text_to;      // its lines in the record (tests)
    PlacedKind kind;
};
constexpr int PLACED_MAX = 512;  // every creature's bar and name, the figures' and the floating texts
PlacedLabel placed[PLACED_MAX];
int placed_count = 0;
int placed_batch = -1;

void placed_sync() {
    if (placed_batch == ui_batch_serial()) return;
    placed_batch = ui_batch_serial();
    placed_count = 0;
}

// A label being drawn: where its quads and lines begin.
struct LabelMark {
    int vertex, text;
};
LabelMark label_mark() {
    placed_sync();
    return {ui_batch_count(), ui_recorded_text_count()};
}

void label_placed(const LabelMark& m, LabelBox box, PlacedKind kind) {
    placed_sync();
    if (placed_count >= PLACED_MAX) return;  // drawn, but it cannot give way
    placed[placed_count++] = {box, m.vertex, ui_batch_count(), m.text,
                              ui_recording() ? ui_recorded_text_count() : m.text, kind};
}

// With a colour-vision correction, a creature's name tells its danger by
// bars left of its first line as well as by its colour. Returns the box of
// the bars (empty for a label with no danger).
LabelBox danger_steps(float x, float top, const char* text, float px, Vec4 colour, int font, int steps) {
    if (steps < 0 || !ui_marks_shown()) return {0, 0, 0, 0};
    const float h = std::round(0.62f * px), w = ui_mark_steps_width(h);
    const float x0 = x - ui_text_width(text, px, font) * 0.5f - 0.35f * px - w;
    const float y0 = std::round(top + ui_baseline_factor(font) * px - h);
    ui_mark_steps(x0, y0, h, steps, colour);
    return {x0 - 1.0f, y0 - 1.0f, x0 + w + 1.0f, y0 + h + 1.0f};
}

// A quest mark told by its colour alone (grey: in hand, not yet done) gets
// a trailing ellipsis with a colour-vision correction.
bool mark_waiting(const HudMark& mark) {
    if (!ui_marks_shown()) return false;
    const Vec4 c = mark.colour;
    return std::fmax(c.x, std::fmax(c.y, c.z)) - std::fmin(c.x, std::fmin(c.y, c.z)) < 0.08f;
}

// An item's quality pips right of a label's first line, centred on its
// capitals as in the tooltips: where they go and the box they cover, rim
// included (empty for none or without a correction).
struct PipsPlace {
    float x, y, pip;
    LabelBox box;
};
PipsPlace quality_pips_place(float x, float top, const char* text, float px, int font, int pips) {
    if (pips <= 0 || !ui_marks_shown()) return {0, 0, 0, {0, 0, 0, 0}};
    const float pip = std::fmax(2.0f, std::round(0.24f * px)), w = ui_mark_pips_width(pip, pips);
    const float x0 = x + ui_text_width(text, px, font) * 0.5f + 0.45f * px;
    const float y0 = std::round(top + ui_baseline_factor(font) * px - 0.36f * px - pip * 0.5f);
    const float rim = std::fmax(1.0f, std::round(pip * 0.25f));
    return {x0, y0, pip, {x0 - rim, y0 - rim, x0 + w + rim, y0 + pip + rim}};
}

}  // namespace

void hud_world_label(Vec3 p, const char* text, float k, Vec4 colour, int font) {
    hud_world_label_danger(p, text, k, colour, font, -1);
}

void hud_world_label_danger(Vec3 p, const char* text, float k, Vec4 colour, int font, int steps) {
    if (!text) return;
    float px;
    Vec3 at;
    if (!world_label_place(p, k, &px, &at) || !in_sight(p)) return;
    LabelMark m = label_mark();
    // Each label is a group of its own: labels of figures behind one another
    // may cover each other, its own lines may not.
    UiBoxScope group(0, 0, 0, 0, UI_BOX_LAYER | UI_BOX_FREE);
    float top = at.y - line_count(text) * px * 1.15f * 0.5f;
    label_lines(at.x, top, text, px, colour, font);
    LabelBox bars = danger_steps(at.x, top, text, px, colour, font, steps);
    label_placed(m, box_union(bars, label_box(at.x, top, text, px, font)), PLACED_LABEL);
}

void hud_float_label(Vec3 p, const char* text, float k, Vec4 colour, int font, int pips) {
    if (!text) return;
    float px;
    Vec3 at;
    if (!world_label_place(p, k, &px, &at) || !in_sight(p)) return;
    placed_sync();
    float top = at.y - line_count(text) * px * 1.15f * 0.5f;
    LabelBox box = label_box(at.x, top, text, px, font);
    // The pips stack with the text: they widen what must keep clear, and
    // move with it.
    const PipsPlace q = quality_pips_place(at.x, top, text, px, font, pips);
    const bool marked = q.box.x1 > q.box.x0;
    if (marked) box = box_union(q.box, box);
    const float start_top = top;
    // Up, clear of each label it meets, until it meets none (it rises anyway).
    const float gap = 0.12f * px;
    for (int pass = 0; pass < 16; ++pass) {
        bool moved = false;
        for (int i = 0; i < placed_count; ++i) {
            if (!boxes_overlap(box, placed[i].box)) continue;
            float dy = placed[i].box.y0 - gap - box.y1;
            box.y0 += dy;
            box.y1 += dy;
            top += dy;
            moved = true;
        }
        if (!moved) break;
    }
    LabelMark m = label_mark();
    UiBoxScope group(0, 0, 0, 0, UI_BOX_LAYER | UI_BOX_FREE);
    label_lines(at.x, top, text, px, colour, font);
    if (marked) ui_mark_pips(q.x, q.y + (top - start_top), q.pip, pips, colour, colour.w);
    label_placed(m, box, PLACED_FLOATING);
}

void hud_labels_reserve(float x, float y, float w, float h) {
    LabelMark m = label_mark();
    label_placed(m, LabelBox{x, y, x + w, y + h}, PLACED_RESERVED);
}

void hud_labels_give_way() {
    placed_sync();
    const UiRect* panels = nullptr;
    const int panel_count = ui_frame_panels(&panels);
    // Last first: cutting a label's quads moves only those drawn after it.
    for (int i = placed_count - 1; i >= 0; --i) {
        const PlacedLabel& l = placed[i];
        if (l.kind == PLACED_RESERVED) continue;
        bool under = false;
        for (int k = 0; k < panel_count && !under; ++k) {
            const UiRect& r = panels[k];
            under = boxes_overlap(l.box, LabelBox{r.x, r.y, r.x + r.w, r.y + r.h});
        }
        // Names give way to the centred message too; floating texts stacked clear of it.
        for (int k = 0; k < placed_count && !under; ++k)
            under = placed[k].kind == PLACED_RESERVED && boxes_overlap(l.box, placed[k].box);
        if (!under) continue;
        ui_batch_cut(l.vertex_from, l.vertex_to);
        if (ui_recording()) ui_record_cut(l.text_from, l.text_to);
    }
    placed_count = 0;
}

void hud_world_label_marked(Vec3 p, const char* text, float k, Vec4 colour, int font, const HudMark& mark) {
    if (!text || !in_sight(p)) return;
    LabelMark m = label_mark();
    LabelBox drawn = {0, 0, 0, 0};
    {
        UiBoxScope group(0, 0, 0, 0, UI_BOX_LAYER | UI_BOX_FREE);
        float px = 0.0f;
        Vec3 at;
        bool label = world_label_place(p, k, &px, &at);
        float label_top = 0.0f;
        if (label) {
            float y = at.y - line_count(text) * px * 1.15f * 0.5f;
            label_lines(at.x, y, text, px, colour, font);
            drawn = label_box(at.x, y, text, px, font);
            float ink_top, ink_bottom;
            ui_text_ink_rows(text, px, font, &ink_top, &ink_bottom);
            label_top = y + ink_top;
        }
        float mpx;
        Vec3 mat;
        if (mark.text && world_label_place(mark.at, mark.size, &mpx, &mat)) {
            float y = mat.y - mpx * 1.15f * 0.5f;
            if (label) {
                // Lifted clear of the label's first line, shadow and all (it
                // falls 0.06 of the size lower and reaches a pixel past), with
                // room for the bob (which moves the mark by bob / size of its height).
                float ink_top, ink_bottom;
                ui_text_ink_rows(mark.text, mpx, mark.font, &ink_top, &ink_bottom);
                float bob_room = mark.size > 0.0f ? std::fabs(mark.bob_amplitude) / mark.size * mpx : 0.0f;
                float highest = label_top - 0.1f * mpx - 1.0f - bob_room - ink_bottom;
                if (y > highest) y = highest;
            }
            y -= mark.size > 0.0f ? mark.bob / mark.size * mpx : 0.0f;
            ui_text_centred(mat.x, y, mark.text, mpx, mark.colour, mark.font);
            drawn = box_union(drawn, label_box(mat.x, y, mark.text, mpx, mark.font));
            if (mark_waiting(mark)) {
                // On the mark's baseline, just past its right side.
                const float epx = 0.45f * mpx;
                const float ex = mat.x + 0.5f * ui_text_width(mark.text, mpx, mark.font) + 0.08f * mpx;
                const float ey = y + (ui_baseline_factor(mark.font) * mpx - ui_baseline_factor(UI_FONT_BODY) * epx);
                ui_text(ex, ey, "…", epx, mark.colour, UI_FONT_BODY);
                LabelBox e = label_box(ex + 0.5f * ui_text_width("…", epx, UI_FONT_BODY), ey, "…", epx, UI_FONT_BODY);
                drawn = box_union(drawn, e);
            }
        }
    }
    if (drawn.x1 > drawn.x0) label_placed(m, drawn, PLACED_LABEL);
}

void hud_health_bar(Vec3 p, float fraction, float k) {
    bool visible = false;
    Vec3 at = world_to_screen(p, &visible);
    if (!visible) return;  // behind the camera it would land mirrored on screen
    if (!in_sight(p)) return;
    float d = view_depth(p);
    if (d < 0.3f) d = 0.3f;
    float px = pixels_per_metre(d);
    // Shown from the same distance whatever the text size; nearer it grows
    // with the text, as the name over it does, up to the interface's cap.
    if (!(px * k >= 12.0f)) return;
    px *= text_factor();
    float cap = 190.0f * hud_scale;
    if (px > cap) px = cap;
    float f = fraction > 0.0f ? (fraction < 1.0f ? fraction : 1.0f) : 0.0f;  // NaN too: empty
    // The frame is as long as a full bar: a boss's longer one stays inside it.
    float bw = k * px, bh = 0.11f * px;
    float x0 = at.x - bw * 0.5f, y0 = at.y - bh * 0.5f;
    LabelMark m = label_mark();
    ui_rect(x0, y0, bw, bh, Vec4{0.05f, 0.05f, 0.04f, 0.85f});
    float fh = 0.07f * px;
    ui_rect(x0, at.y - fh * 0.5f, f * k * px, fh,
            Vec4{0.85f - 0.45f * f, 0.25f + 0.5f * f, 0.18f + 0.12f * f, 1.0f});
    label_placed(m, LabelBox{x0, y0, x0 + bw, y0 + bh}, PLACED_LABEL);
}

float hud_world_text_factor() { return text_factor(); }

void hud_tracker_set(int slot, const char* title, const char* const* lines, int line_count, bool completed) {
    if (slot < 0 || slot >= HUD_TRACKER_SLOTS) return;
    QuestTrackerEntry& e = tracker[slot];
    e.shown = 1;
    e.completed = completed ? 1 : 0;
    copy_text(e.title, sizeof e.title, title);
    if (line_count < 0 || !lines) line_count = 0;
    if (line_count > HUD_TRACKER_LINES) line_count = HUD_TRACKER_LINES;
    e.line_count = line_count;
    for (int i = 0; i < HUD_TRACKER_LINES; ++i) copy_text(e.lines[i], sizeof e.lines[i], i < line_count ? lines[i] : "");
}

void hud_tracker_set_giver(int slot, const char* name, uintptr_t giver_ref, Vec3 giver_position) {
    if (slot < 0 || slot >= HUD_TRACKER_SLOTS) return;
    QuestTrackerEntry& e = tracker[slot];
    copy_text(e.giver_name, sizeof e.giver_name, name);
    e.giver_ref = giver_ref;
    e.giver_position = giver_position;
}

void hud_tracker_clear(int slot) {
    if (slot < 0 || slot >= HUD_TRACKER_SLOTS) return;
    tracker[slot].shown = 0;
}

const QuestTrackerEntry* hud_tracker_get(int slot) {
    if (slot < 0 || slot >= HUD_TRACKER_SLOTS) return nullptr;
    return &tracker[slot];
}

// ---- Dialog -----------------------------------------------------------------------

void hud_dialog(const char* title, const char* body, const HudButton* buttons, int count) {
    if (count < 0 || !buttons) count = 0;
    if (count > HUD_DIALOG_BUTTONS) count = HUD_DIALOG_BUTTONS;
    copy_text(dialog.title, sizeof dialog.title, title);
    copy_text(dialog.body, sizeof dialog.body, body);
    dialog.button_count = count;
    for (int i = 0; i < HUD_DIALOG_BUTTONS; ++i) {
        DialogButton& b = dialog.buttons[i];
        copy_text(b.label, sizeof b.label, i < count ? buttons[i].label : "");
        b.action = i < count ? buttons[i].action : nullptr;
        b.rect = UiRect{0, 0, 0, 0};
    }
    dialog.open = 1;
    plat_set_cursor_captured(false);
}

void hud_dialog_close() {
    dialog.open = 0;
    game_flags.paused = 0;
    plat_set_cursor_captured(true);
}

DialogLayout hud_dialog_layout() {
    const float s = hud_scale;
    DialogLayout l = {};
    const float m = 24.0f * s;
    l.margin = m;
    l.body_height = ui_text_wrapped_height(500.0f * s, dialog.body, 18.0f * s, UI_FONT_BODY, 1.35f);
    float widths[HUD_DIALOG_BUTTONS] = {};
    float total = 0.0f;
    for (int i = 0; i < dialog.button_count; ++i) {
        float w = ui_text_width(dialog.buttons[i].label, 18.0f * s, UI_FONT_BODY) + 36.0f * s;
        widths[i] = w > 170.0f * s ? w : 170.0f * s;
        total += widths[i] + (i > 0 ? 18.0f * s : 0.0f);
    }
    float pw = 500.0f * s + 2 * m;
    if (total + 2 * m > pw) pw = total + 2 * m;
    float ph = 2 * m + 26.0f * s * 1.3f + 14.0f * s + l.body_height + 14.0f * s + 42.0f * s;
    l.panel = UiRect{(plat_input.client_width - pw) * 0.5f, (plat_input.client_height - ph) * 0.5f, pw, ph};
    float bx = l.panel.x + (pw - total) * 0.5f;
    float by = l.panel.y + ph - m - 42.0f * s;
    for (int i = 0; i < dialog.button_count; ++i) {
        l.buttons[i] = UiRect{bx, by, widths[i], 42.0f * s};
        dialog.buttons[i].rect = l.buttons[i];
        bx += widths[i] + 18.0f * s;
    }
    return l;
}

DialogTook hud_dialog_input() {
    if (game_flags.windows.options) return {};
    if (game_flags.paused && plat_input.key_pressed[KEY_ESCAPE]) {
        if (dialog.open) hud_dialog_close();
        return {true, false};
    }
    if (!dialog.open || !plat_input.button_pressed[0]) return {};
    DialogLayout l = hud_dialog_layout();
    const float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    for (int i = 0; i < dialog.button_count; ++i) {
        if (!l.buttons[i].contains(mx, my)) continue;
        snd_play(SFX_CLICK, 0.7f);
        HudAction action = dialog.buttons[i].action;
        hud_dialog_close();
        if (action) action();
        return {false, true};
    }
    return {};
}

// Draws the open dialog (over every window: see ui/hud_draw.cpp).
void hud_draw_dialog() {
    if (!dialog.open) return;
    const float s = hud_scale;
    DialogLayout l = hud_dialog_layout();
    const float m = l.margin;
    ui_panel(l.panel.x, l.panel.y, l.panel.w, l.panel.h, Vec4{0.07f, 0.1f, 0.08f, 0.94f}, HUD_GOLD, 2.0f * s);
    UiBoxScope box(l.panel.x, l.panel.y, l.panel.w, l.panel.h, UI_BOX_LAYER, 2.0f * s);
    ui_text(l.panel.x + m, l.panel.y + m, dialog.title, 26.0f * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text_wrapped(l.panel.x + m, l.panel.y + m + 26.0f * s * 1.3f + 14.0f * s, 500.0f * s, dialog.body,
                    18.0f * s, HUD_PARCHMENT, UI_FONT_BODY, 1.35f);
    const float mx = (float)plat_input.mouse_x, my = (float)plat_input.mouse_y;
    const float border = s > 1.0f ? s : 1.0f;
    ui_focus_modal();
    for (int i = 0; i < dialog.button_count; ++i) {
        const UiRect& r = l.buttons[i];
        ui_focus_add(r.x, r.y, r.w, r.h);
        bool hover = r.contains(mx, my);
        ui_panel(r.x, r.y, r.w, r.h, hover ? Vec4{0.22f, 0.28f, 0.18f, 1.0f} : Vec4{0.12f, 0.17f, 0.13f, 1.0f},
                 Vec4{0.83f, 0.68f, 0.24f, 0.8f}, border);
        UiBoxScope button(r.x, r.y, r.w, r.h, 0, border);
        ui_text_centred(r.x + r.w * 0.5f, r.y + (r.h - 18.0f * s) * 0.5f, dialog.buttons[i].label, 18.0f * s,
                        hover ? HUD_PARCHMENT : HUD_GOLD, UI_FONT_BODY);
    }
}

// ---- Timers -------------------------------------------------------------------------

namespace {

// The room the full windows need at scale 1 with a text above the default
// (the only case where the scale gives way), so that a larger text lets them
// grow as far as they stay on screen: every full window lays out for
// 1280 x 720 there (the class cards as short as their longest text, the
// character list, the journal and the shop scroll their rows, the spellbook
// turns its two), so the largest text fits 1080 rows.
// The loot window and the dialogs are small, and the options fit themselves
// (HudFitScope).
constexpr float FULL_WINDOW_W = 1280.0f, FULL_WINDOW_H = 720.0f;
// The HUD's corners need this many columns at scale 1.
constexpr float HUD_DESIGN_W = 1280.0f;

bool full_window_open() {
    const ScreenFlags& w = game_flags.windows;
    return game_flags.character_select_open || game_flags.character_creation_open ||
           game_flags.character_sheet_open || w.journal || w.spellbook || w.professions || w.merchant || w.map;
}

// 0 when no full window is open.
float full_window_height() { return full_window_open() ? FULL_WINDOW_H : 0.0f; }

}  // namespace

void hud_scale_update() {
    const float base = height_scale();
    float s = base * text_factor();
    if (s > base) {
        // A larger text gives way where the interface would not fit, down to
        // the default size and never below it.
        float fit = (float)plat_input.client_width / HUD_DESIGN_W;
        const float full_h = full_window_height();
        if (full_h > 0.0f)
            fit = std::fmin(fit, std::fmin((float)plat_input.client_width / FULL_WINDOW_W,
                                           (float)plat_input.client_height / full_h));
        s = std::fmin(s, std::fmax(base, fit));
    }
    hud_scale = s;
}

float hud_fit_scale(float design_w, float design_h) {
    const float base = height_scale();
    if (!(hud_scale > base)) return hud_scale;
    float fit = hud_scale;
    if (design_w > 0.0f) fit = std::fmin(fit, (float)plat_input.client_width / design_w);
    if (design_h > 0.0f) fit = std::fmin(fit, (float)plat_input.client_height / design_h);
    return fit > base ? fit : base;
}

void hud_update(float dt) {
    hud_scale_update();
    flash -= 0.9f * dt;
    if (flash < 0.0f) flash = 0.0f;
    // The fade runs on real frames, so it also ends while paused.
    fade_time -= dt > 0.016f ? dt : 0.016f;
    if (fade_time < 0.0f) fade_time = 0.0f;
    if (message_time > 0.0f) message_time -= dt;
    for (FloatingText& f : floats) {
        if (!f.active) continue;
        f.age += dt;
        if (f.age > f.lifetime) f.active = 0;
    }
    ++fps_frames;
    double now = plat_time();
    double elapsed = now - fps_last;
    if (elapsed > 0.5) {
        fps_value = (int)std::lround(fps_frames / elapsed);
        fps_frames = 0;
        fps_last = now;
    }
}

const char* hud_fmt(const char* fmt, ...) {
    char* out = fmt_ring[fmt_next];
    fmt_next = (fmt_next + 1) % HUD_FMT_BUFFERS;
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(out, HUD_FMT_SIZE, fmt, args);
    va_end(args);
    if (n < 0) {
        out[0] = 0;
    } else if (n >= HUD_FMT_SIZE) {
        // Cut at 511 bytes: drop a letter the cut split, or it draws as "?".
        int end = HUD_FMT_SIZE - 1;
        int lead = end;
        while (lead > 0 && ((unsigned char)out[lead - 1] & 0xC0) == 0x80 && end - lead < 3) --lead;
        if (lead > 0) {
            unsigned char b = (unsigned char)out[lead - 1];
            int need = (b & 0xE0) == 0xC0 ? 1 : ((b & 0xF0) == 0xE0 ? 2 : ((b & 0xF8) == 0xF0 ? 3 : -1));
            if (need > end - lead) out[lead - 1] = 0;
        }
    }
    return out;
}

// ---- State ----------------------------------------------------------------------------

const Dialog& hud_dialog_state() { return dialog; }
const char* hud_message_text() { return message_text; }
float hud_message_time() { return message_time; }
const FloatingText* hud_floating_texts() { return floats; }
bool hud_prompt_shown() { return prompt_shown != 0; }
const char* hud_prompt_text() { return prompt_text; }
float hud_hit_flash_strength() { return flash; }
float hud_fade_remaining() { return fade_time; }
float hud_fade_total() { return fade_total; }
int hud_fps() { return fps_value; }

void hud_reset() {
    message_text[0] = 0;
    message_time = 0.0f;
    prompt_shown = 0;
    prompt_text[0] = 0;
    flash = 0.0f;
    fade_time = fade_total = 0.0f;
    std::memset(floats, 0, sizeof floats);
    std::memset(tracker, 0, sizeof tracker);
    std::memset(&dialog, 0, sizeof dialog);
    fps_frames = 0;
    fps_last = plat_time();
    fps_value = 0;
    game_flags.windows = ScreenFlags{};
    game_flags.title_overlay = 1;
    hud_scale_update();
    if (!(hud_scale > 0.0f)) hud_scale = 1.0f;
}
