// What the launcher window shows, as a list of drawing operations in pixels.
// Both windows (GDI, SDL) paint this list; they translate, they do not decide.
#pragma once
#include <cstdint>

#include "launcher/status.h"

constexpr int LAUNCHER_CLIENT_W = 620;  // logical units
constexpr int LAUNCHER_CLIENT_H = 410;

enum LauncherFont { FONT_SERIF, FONT_SANS };  // Georgia, Segoe UI

enum TextFlag {
    TEXT_CENTER = 1,    // horizontally centred, else left
    TEXT_VCENTER = 2,   // one line, vertically centred
    TEXT_WRAP = 4,      // word-wrapped from the top
    TEXT_ELLIPSIS = 8,  // one line cut with "…" at the right edge
    TEXT_FIT = 16,      // one line, its size lowered until it fits the box's width
};

// The size of a TEXT_FIT line: the largest from font_px down to 60 % of it
// whose width (measured by the painter's own fonts) fits box_w.
int launcher_fit_px(int font_px, int box_w, int (*measure)(int px, const void* ctx), const void* ctx);

enum DrawKind { DRAW_RECT, DRAW_BUTTON, DRAW_TEXT };

struct DrawOp {
    DrawKind kind;
    int x0, y0, x1, y1;     // pixels, x1/y1 exclusive
    uint32_t color;         // 0xRRGGBB: fill, or text colour
    uint32_t outline;       // DRAW_BUTTON
    int corner;             // DRAW_BUTTON: size of the rounded corner (ellipse width) in pixels
    int pen;                // DRAW_BUTTON: outline width in pixels
    LauncherFont font;      // DRAW_TEXT
    int font_px;            // character height in pixels
    int weight;             // 400 regular, 600 semi-bold, 700 bold
    bool italic;
    int flags;              // TextFlag bits
    int text;               // offset into LauncherScene::text
};

struct LauncherScene {
    DrawOp ops[400];
    int count;
    char text[8192];
    int text_used;
};

struct PixelRect {
    int x0, y0, x1, y1;
    bool contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

enum Hover { HOVER_NONE = 0, HOVER_MAIN = 1, HOVER_QUIT = 2 };

// Vertical pixels per logical inch / 96, at least 1.
float launcher_scale(int dpi_y);
int launcher_px(float scale, int units);  // rounded to the nearest pixel
void launcher_client_size(float scale, int* w, int* h);
void launcher_buttons(float scale, int client_w, PixelRect* quit, PixelRect* main);
int launcher_hover_at(float scale, int client_w, int x, int y);

bool can_play(int state, bool game_present);
bool main_button_enabled(int state, bool game_present);
const char* main_button_label(int state);

// Builds the whole window's picture.
void launcher_layout(const LauncherStatus& st, bool game_present, int hover, float scale, int client_w,
                     int client_h, LauncherScene* out);
inline const char* scene_text(const LauncherScene& s, const DrawOp& op) { return s.text + op.text; }
