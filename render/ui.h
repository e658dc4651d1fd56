#pragma once
// Immediate-mode 2D drawing: every call appends quads to one batch that
// ui_flush draws at the end of the frame in submission order (later calls
// cover earlier ones). Coordinates are client pixels, origin top-left, y down.
// Text sizes are the nominal line height in pixels; every text call draws a
// soft drop shadow first. Strings are UTF-8.
#include <cstdint>

#include "common/mathx.h"
#include "render/mesh.h"  // UiVertex
#include "render/ui_rect.h"

// Colours are (r, g, b, a) in 0..1, straight alpha.
enum UiMode : int { UI_FLAT = 0, UI_GLYPH = 1, UI_SHADOW = 2, UI_PORTRAIT = 3, UI_MAP = 4 };
enum UiFont : int { UI_FONT_BODY = 0, UI_FONT_TITLE = 1 };

void ui_rect(float x, float y, float w, float h, Vec4 colour);
// Filled rectangle; a positive thickness adds four border strips inside its
// edges (top and bottom full width, left and right between them).
void ui_panel(float x, float y, float w, float h, Vec4 fill, Vec4 border, float thickness);
void ui_quad(float left, float top, float right, float bottom, float tex_left, float tex_top,
             float tex_right, float tex_bottom, Vec4 colour, int mode);

// One line (stops at a line feed); y is the top of the line. Returns the width.
float ui_text(float x, float y, const char* text, float size, Vec4 colour, int font);
void ui_text_centred(float centre_x, float y, const char* text, float size, Vec4 colour, int font);
// Width of the text up to its first line feed.
float ui_text_width(const char* text, float size, int font);
// Greedy word wrap on spaces and line feeds; returns the height used
// (line_spacing * size per line, so an empty text is one line).
float ui_text_wrapped(float x, float y, float max_width, const char* text, float size, Vec4 colour,
                      int font, float line_spacing);
float ui_text_wrapped_height(float max_width, const char* text, float size, int font,
                             float line_spacing);
// One line kept within max_width: when wider, it is cut at a letter and ends
// with "…" (say the whole text elsewhere, in a tooltip). Returns the width drawn.
float ui_text_fitted(float x, float y, float max_width, const char* text, float size, Vec4 colour, int font);
// The letters' ink of one line, from the line's top: where the highest
// letter starts and the lowest ends (both 0 for a text with no ink).
void ui_text_ink_rows(const char* text, float size, int font, float* top, float* bottom);

// The character preview image, upright; nothing before the first preview.
void ui_portrait(float x, float y, float w, float h);
// Creates or replaces the map image (RGBA 8-bit, width x height, top row first).
void ui_map_upload(const uint8_t* rgba, int width, int height);
// The map image with free texture coordinates per corner, in the order
// top-left, top-right, bottom-right, bottom-left (u, v pairs), so the map can
// turn. Nothing before the first upload.
void ui_map(float x, float y, float w, float h, const float corner_uv[8]);
bool ui_map_ready();

// Draws the batch over the window framebuffer in one call and empties it.
void ui_flush();

// ---- Boxes ---------------------------------------------------------------------
// The box that the texts drawn next belong to: a window, a row, a button, a
// tooltip. Boxes nest and draw nothing; they cost nothing unless a record is
// kept (tests), which then holds every text drawn with its box, so a check can
// find a text that leaves its box or runs over another box of its window.
enum UiBoxFlags : int {
    UI_BOX_LAYER = 1,  // drawn over what came before (a window, a tooltip): a group of its own
    UI_BOX_FREE = 2,   // groups texts without bounding them (a label over the world)
};
// inset: the border inside the box that its texts keep off.
void ui_box_begin(float x, float y, float w, float h, int flags = 0, float inset = 0.0f);
void ui_box_end();
struct UiBoxScope {
    UiBoxScope(float x, float y, float w, float h, int flags = 0, float inset = 0.0f) {
        ui_box_begin(x, y, w, h, flags, inset);
    }
    ~UiBoxScope() { ui_box_end(); }
    UiBoxScope(const UiBoxScope&) = delete;
    UiBoxScope& operator=(const UiBoxScope&) = delete;
};

// ---- Inspection (tests, benchmarks) -------------------------------------------
int ui_batch_count();                // vertices waiting for the next flush
const UiVertex* ui_batch_vertices();
void ui_batch_clear();

// The record of texts and boxes: kept from ui_record_begin (which empties it)
// to ui_record_end, over as many frames as are drawn meanwhile.
struct UiRecordedBox {
    float x, y, w, h, inset;
    int parent;  // -1: the screen
    int flags;   // UiBoxFlags
    int order;   // when it began, counted with the texts
};
struct UiRecordedText {
    float x0, y0, x1, y1;  // the letters' ink
    float size;
    int box;               // -1: the screen
    int order;             // when it was drawn, counted with the boxes
    char text[64];         // the line, cut
};
void ui_record_begin();
void ui_record_end();
int ui_recorded_box_count();
const UiRecordedBox* ui_recorded_boxes();
int ui_recorded_text_count();
const UiRecordedText* ui_recorded_texts();
// Boxes begun and not ended when a batch was flushed, and records that did
// not fit: both 0 in a sound record.
int ui_record_faults();

// ---- Fonts -------------------------------------------------------------------
// Baseline of a line in text sizes below its top.
float ui_baseline_factor(int font);
// Glyph record index for a code point in a font (after no fallback), or -1.
int ui_glyph_index(int font, int32_t code_point);
// Text decoding, one step: reads the code point at text[*pos], advances *pos
// and returns it; returns -1 at a line feed or the end (pos not advanced).
// Malformed sequences give '?'; the decoder never steps past the end.
int32_t ui_decode_utf8(const char* text, int* pos);
// The record drawn for a code point asked in a font, with every fallback.
int ui_resolve_glyph(int font, int32_t code_point);
