// The 2D batch: quads in submission order, the portrait and map images, and
// the one upload and one draw call per frame.
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "render/font_atlas.h"
#include "render/gl_api.h"
#include "render/gpu.h"
#include "render/renderer.h"
#include "render/renderer_math.h"
#include "render/ui.h"
#include "render/ui_internal.h"

namespace {

UiVertex* batch = nullptr;
int batch_count = 0;
int batch_capacity = 0;

uint32_t map_texture = 0;

// Room for n more vertices; the array starts at 64 and doubles.
bool reserve(int n) {
    if (batch_count + n <= batch_capacity) return true;
    int cap = batch_capacity ? batch_capacity : 64;
    while (cap < batch_count + n) cap *= 2;
    UiVertex* grown = (UiVertex*)render_grow(batch, sizeof(UiVertex) * (size_t)cap);
    if (!grown) {
        static bool said = false;
        render_note_full(&said, "le lot d'interface", batch_capacity);
        return false;
    }
    batch = grown;
    batch_capacity = cap;
    return true;
}

// The record of boxes and texts (tests): fixed tables, filled only while on.
constexpr int RECORD_BOXES = 4096, RECORD_TEXTS = 8192, BOX_DEPTH = 32;
UiRecordedBox recorded_boxes[RECORD_BOXES];
UiRecordedText recorded_texts[RECORD_TEXTS];
int recorded_box_count = 0, recorded_text_count = 0, record_faults = 0, record_order = 0;
bool recording = false;
int box_stack[BOX_DEPTH];
int box_depth = 0;  // counted while not recording too, so that ends match begins

// The panels of this batch (every box but the labels' own groups), kept
// always: the labels over the world give way to them.
constexpr int FRAME_PANELS = 512;
UiRect frame_panels[FRAME_PANELS];
int frame_panel_count = 0;
int free_from_depth = 0;  // depth of the outermost open free box, 0 when none
int batch_serial = 0;

void batch_restart() {
    batch_count = 0;
    frame_panel_count = 0;
    ++batch_serial;
}

inline UiVertex vert(float x, float y, float u, float v, Vec4 c, float mode) {
    return UiVertex{x, y, u, v, c.x, c.y, c.z, c.w, mode};
}

}  // namespace

void ui_quad(float left, float top, float right, float bottom, float tex_left, float tex_top,
             float tex_right, float tex_bottom, Vec4 colour, int mode) {
    if (!reserve(6)) return;
    float m = (float)mode;
    UiVertex* v = batch + batch_count;
    v[0] = vert(left, top, tex_left, tex_top, colour, m);
    v[1] = vert(right, top, tex_right, tex_top, colour, m);
    v[2] = vert(right, bottom, tex_right, tex_bottom, colour, m);
    v[3] = vert(left, top, tex_left, tex_top, colour, m);
    v[4] = vert(right, bottom, tex_right, tex_bottom, colour, m);
    v[5] = vert(left, bottom, tex_left, tex_bottom, colour, m);
    batch_count += 6;
}

void ui_rect(float x, float y, float w, float h, Vec4 colour) {
    ui_quad(x, y, x + w, y + h, 0, 0, 0, 0, colour, UI_FLAT);
}

void ui_panel(float x, float y, float w, float h, Vec4 fill, Vec4 border, float t) {
    ui_rect(x, y, w, h, fill);
    if (t <= 0.0f) return;
    ui_rect(x, y, w, t, border);
    ui_rect(x, y + h - t, w, t, border);
    ui_rect(x, y + t, t, h - 2 * t, border);
    ui_rect(x + w - t, y + t, t, h - 2 * t, border);
}

void ui_portrait(float x, float y, float w, float h) {
    if (render_portrait_texture() == 0) return;
    // The preview is rendered bottom-up: v runs from 1 at the top to 0.
    ui_quad(x, y, x + w, y + h, 0, 1, 1, 0, Vec4{1, 1, 1, 1}, UI_PORTRAIT);
}

bool ui_map_ready() { return map_texture != 0; }

void ui_map_upload(const uint8_t* rgba, int width, int height) {
    if (!rgba || width <= 0 || height <= 0 || !glGenTextures) return;
    // The world's map and the catacombs' swap at every trip below and back:
    // each keeps its own texture, and a new picture of a size already seen
    // goes into the storage already there instead of a new one.
    static uint32_t kept[2];
    static int kept_w[2], kept_h[2];
    int slot = 0;
    while (slot < 2 && kept[slot] && (kept_w[slot] != width || kept_h[slot] != height)) ++slot;
    bool fresh = slot == 2 || !kept[slot];
    if (slot == 2) slot = 1;
    if (!kept[slot]) glGenTextures(1, &kept[slot]);
    map_texture = kept[slot];
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, map_texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (fresh) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        kept_w[slot] = width;
        kept_h[slot] = height;
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    }
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glActiveTexture(GL_TEXTURE0);
}

void ui_map(float x, float y, float w, float h, const float uv[8]) {
    if (map_texture == 0 || !uv || !reserve(6)) return;
    Vec4 white = {1, 1, 1, 1};
    float m = (float)UI_MAP;
    UiVertex tl = vert(x, y, uv[0], uv[1], white, m);
    UiVertex tr = vert(x + w, y, uv[2], uv[3], white, m);
    UiVertex br = vert(x + w, y + h, uv[4], uv[5], white, m);
    UiVertex bl = vert(x, y + h, uv[6], uv[7], white, m);
    UiVertex* v = batch + batch_count;
    v[0] = tl;
    v[1] = tr;
    v[2] = br;
    v[3] = tl;
    v[4] = br;
    v[5] = bl;
    batch_count += 6;
}

void ui_flush() {
    const int count = batch_count;
    batch_restart();
    // A box left open would own the next frame's texts.
    if (box_depth != 0 && recording) ++record_faults;
    box_depth = 0;
    free_from_depth = 0;
    if (!glDrawArrays || prog_ui.program == 0) return;  // no GL (unit tests): just empty
    if (tex_font == 0) {
        // gpu_init normally creates it; never draw text from an empty unit.
        const uint8_t* pixels = font_atlas_pixels();
        if (pixels) gpu_font_atlas_upload(pixels);
    }
    gpu_pass_begin(GPU_PASS_INTERFACE);
    const int w = plat_input.client_width, h = plat_input.client_height;
    glBindFramebuffer(GL_FRAMEBUFFER, plat_window_framebuffer());
    glViewport(0, 0, w, h);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(prog_ui.program);
    glUniform2f(prog_ui.u[U_ECRAN], (float)w, (float)h);
    float vision[9];
    colour_vision_matrix(view_settings.colour_vision, vision);
    glUniformMatrix3fv(prog_ui.u[U_VISION], 1, GL_FALSE, vision);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, render_portrait_texture());
    glUniform1i(prog_ui.u[U_PORTRAIT_UI], 1);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, map_texture);
    glUniform1i(prog_ui.u[U_CARTE_UI], 2);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tex_font);
    glUniform1i(prog_ui.u[U_POLICE], 0);
    if (count > 0) {
        glBindVertexArray(ui_vao);
        glBindBuffer(GL_ARRAY_BUFFER, ui_vbo);
        glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(sizeof(UiVertex) * (size_t)count), batch, GL_STREAM_DRAW);
        glDrawArrays(GL_TRIANGLES, 0, count);
        glBindVertexArray(0);
    }
    glDisable(GL_BLEND);
    gpu_pass_end();
}

void ui_box_begin(float x, float y, float w, float h, int flags, float inset) {
    ++box_depth;
    if (free_from_depth == 0 && (flags & UI_BOX_FREE)) free_from_depth = box_depth;
    if (free_from_depth == 0 && w > 0.0f && h > 0.0f && frame_panel_count < FRAME_PANELS)
        frame_panels[frame_panel_count++] = UiRect{x, y, w, h};
    if (!recording || box_depth > BOX_DEPTH) return;
    int index = -1;
    if (recorded_box_count < RECORD_BOXES) {
        index = recorded_box_count++;
        recorded_boxes[index] = {x, y, w, h, inset, box_depth > 1 ? box_stack[box_depth - 2] : -1, flags,
                                 record_order++};
    } else {
        ++record_faults;
    }
    box_stack[box_depth - 1] = index;
}

void ui_box_end() {
    if (box_depth > 0) {
        if (free_from_depth == box_depth) free_from_depth = 0;
        --box_depth;
    } else if (recording) {
        ++record_faults;
    }
}

bool ui_recording() { return recording; }

void ui_record_text(const char* text, int length, float x0, float y0, float x1, float y1, float size) {
    if (!recording) return;
    if (recorded_text_count >= RECORD_TEXTS) {
        ++record_faults;
        return;
    }
    UiRecordedText& t = recorded_texts[recorded_text_count++];
    t.x0 = x0;
    t.y0 = y0;
    t.x1 = x1;
    t.y1 = y1;
    t.size = size;
    t.order = record_order++;
    int depth = box_depth < BOX_DEPTH ? box_depth : BOX_DEPTH;
    t.box = depth > 0 ? box_stack[depth - 1] : -1;
    int n = length < (int)sizeof t.text - 1 ? length : (int)sizeof t.text - 1;
    while (n > 0 && n < length && ((unsigned char)text[n] & 0xC0) == 0x80) --n;
    std::memcpy(t.text, text, (size_t)n);
    t.text[n] = 0;
}

void ui_record_begin() {
    recorded_box_count = recorded_text_count = record_faults = record_order = 0;
    box_depth = 0;
    free_from_depth = 0;
    recording = true;
}

void ui_record_end() { recording = false; }
int ui_recorded_box_count() { return recorded_box_count; }
const UiRecordedBox* ui_recorded_boxes() { return recorded_boxes; }
int ui_recorded_text_count() { return recorded_text_count; }
const UiRecordedText* ui_recorded_texts() { return recorded_texts; }
int ui_record_faults() { return record_faults; }

int ui_batch_count() { return batch_count; }
const UiVertex* ui_batch_vertices() { return batch; }
void ui_batch_clear() { batch_restart(); }

int ui_batch_serial() { return batch_serial; }

void ui_batch_cut(int from, int to) {
    if (from < 0) from = 0;
    if (to > batch_count) to = batch_count;
    if (from >= to) return;
    std::memmove(batch + from, batch + to, sizeof(UiVertex) * (size_t)(batch_count - to));
    batch_count -= to - from;
}

int ui_frame_panels(const UiRect** out) {
    *out = frame_panels;
    return frame_panel_count;
}

void ui_record_cut(int from, int to) {
    if (from < 0) from = 0;
    if (to > recorded_text_count) to = recorded_text_count;
    if (from >= to) return;
    std::memmove(recorded_texts + from, recorded_texts + to,
                 sizeof(UiRecordedText) * (size_t)(recorded_text_count - to));
    recorded_text_count -= to - from;
}
