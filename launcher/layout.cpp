#include "launcher/layout.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t GOLD = 0xECC86E, PALE = 0xE2DCCC, GREY = 0xA0A49C, SALMON = 0xF09678;

struct Builder {
    LauncherScene* s;
    float scale;
    int w;  // client width in pixels

    int px(int v) const { return launcher_px(scale, v); }
    int right(int v) const { return w - px(v); }  // W - v

    DrawOp* add(DrawKind kind, int x0, int y0, int x1, int y1, uint32_t color) {
        if (s->count >= (int)(sizeof s->ops / sizeof s->ops[0])) return nullptr;
        DrawOp* op = &s->ops[s->count++];
        memset(op, 0, sizeof *op);
        *op = DrawOp{kind, x0, y0, x1, y1, color, 0, 0, 0, FONT_SANS, 0, 400, false, 0, 0};
        return op;
    }
    void text(int x0, int y0, int x1, int y1, const char* t, LauncherFont font, int units, int weight,
              bool italic, uint32_t color, int flags) {
        size_t n = strlen(t);
        if (s->text_used + n + 1 > sizeof s->text) return;
        DrawOp* op = add(DRAW_TEXT, x0, y0, x1, y1, color);
        if (!op) return;
        op->font = font;
        op->font_px = px(units);
        op->weight = weight;
        op->italic = italic;
        op->flags = flags;
        op->text = s->text_used;
        memcpy(s->text + s->text_used, t, n + 1);
        s->text_used += (int)n + 1;
    }
    void button(const PixelRect& r, const char* label, bool enabled, bool primary, bool hovered) {
        uint32_t fill, outline, ink;
        if (!enabled) { fill = 0x2E3430; outline = 0x505652; ink = 0x787C78; }
        else if (primary) { fill = hovered ? 0xE8BE5C : 0xCEA446; outline = GOLD; ink = 0x1E180C; }
        else { fill = hovered ? 0x46544A : 0x344038; outline = GOLD; ink = 0xECE4CE; }
        DrawOp* op = add(DRAW_BUTTON, r.x0, r.y0, r.x1, r.y1, fill);
        if (op) {
            op->outline = outline;
            op->corner = px(8);
            op->pen = px(1);
        }
        text(r.x0, r.y0, r.x1, r.y1, label, FONT_SANS, 17, 600, false, ink, TEXT_CENTER | TEXT_VCENTER);
    }
};

}  // namespace

float launcher_scale(int dpi_y) {
    float s = (float)dpi_y / 96.0f;
    return s < 1.0f ? 1.0f : s;
}

int launcher_px(float scale, int units) { return (int)std::lround((double)units * scale); }

void launcher_client_size(float scale, int* w, int* h) {
    *w = launcher_px(scale, LAUNCHER_CLIENT_W);
    *h = launcher_px(scale, LAUNCHER_CLIENT_H);
}

void launcher_buttons(float scale, int client_w, PixelRect* quit, PixelRect* main) {
    const int y0 = launcher_px(scale, 346), y1 = launcher_px(scale, 388);
    *quit = {launcher_px(scale, 36), y0, launcher_px(scale, 196), y1};
    *main = {client_w - launcher_px(scale, 236), y0, client_w - launcher_px(scale, 36), y1};
}

int launcher_hover_at(float scale, int client_w, int x, int y) {
    PixelRect quit, main;
    launcher_buttons(scale, client_w, &quit, &main);
    if (main.contains(x, y)) return HOVER_MAIN;
    if (quit.contains(x, y)) return HOVER_QUIT;
    return HOVER_NONE;
}

int launcher_fit_px(int font_px, int box_w, int (*measure)(int px, const void* ctx), const void* ctx) {
    const int smallest = (font_px * 3 + 4) / 5;
    int px = font_px;
    while (px > smallest && px > 1 && measure(px, ctx) > box_w) px--;
    return px;
}

bool can_play(int state, bool game_present) {
    return game_present && (state == STATE_READY || state == STATE_UNREACHABLE || state == STATE_DOWNLOAD_FAILED);
}

bool main_button_enabled(int state, bool game_present) {
    return state == STATE_REPLACE_FAILED || can_play(state, game_present);
}

const char* main_button_label(int state) { return state == STATE_REPLACE_FAILED ? "Réessayer" : "Jouer"; }

void launcher_layout(const LauncherStatus& st, bool game_present, int hover, float scale, int client_w,
                     int client_h, LauncherScene* out) {
    out->count = 0;
    out->text_used = 0;
    Builder b{out, scale, client_w};

    // Background: bands of 2 units, dark green fading to almost black.
    const int band = b.px(2) > 0 ? b.px(2) : 1;
    for (int y = 0; y < client_h; y += band) {
        const double f = (double)y / (double)client_h;
        const int r = (int)std::lround(22 - 12 * f), g = (int)std::lround(42 - 26 * f),
                  bl = (int)std::lround(32 - 18 * f);
        b.add(DRAW_RECT, 0, y, client_w, y + band < client_h ? y + band : client_h,
              (uint32_t)(r << 16 | g << 8 | bl));
    }

    b.text(0, b.px(18), client_w, b.px(72), "Tervanne", FONT_SERIF, 46, 700, false, GOLD,
           TEXT_CENTER | TEXT_VCENTER);
    b.text(0, b.px(70), client_w, b.px(96), "Au temps du roi Arthur", FONT_SERIF, 16, 400, true, 0xD6CEBA,
           TEXT_CENTER | TEXT_VCENTER);
    b.add(DRAW_RECT, b.px(150), b.px(104), b.right(150), b.px(104) + b.px(1), 0x967C40);

    // News panel.
    b.add(DRAW_RECT, b.px(36), b.px(120), b.right(36), b.px(268), 0x0E1612);
    char line[700];
    if (st.new_version[0] && st.note_count > 0)
        snprintf(line, sizeof line, "Nouveautés de la version %s", st.new_version);
    else
        snprintf(line, sizeof line, "Nouveautés");
    b.text(b.px(52), b.px(130), b.right(52), b.px(152), line, FONT_SANS, 15, 600, false, GOLD, TEXT_VCENTER);

    if (st.note_count <= 0) {
        const char* t =
            st.state == STATE_CHECKING ? "…" : "Les nouveautés s'affichent ici quand le site est joignable.";
        b.text(b.px(52), b.px(156), b.right(52), b.px(176), t, FONT_SANS, 15, 400, false, GREY,
               TEXT_VCENTER | TEXT_ELLIPSIS);
    } else {
        for (int i = 0; i < st.note_count && i < LAUNCHER_MAX_NOTES; i++) {
            const int y = 156 + 21 * i;
            if (y >= 256) break;
            snprintf(line, sizeof line, "• %s", st.notes[i]);
            line[utf8_prefix_units(line, strlen(line), 169)] = 0;
            b.text(b.px(52), b.px(y), b.right(52), b.px(y + 20), line, FONT_SANS, 15, 400, false, PALE,
                   TEXT_VCENTER | TEXT_ELLIPSIS);
        }
    }

    const bool failed = st.state == STATE_REPLACE_FAILED || st.state == STATE_DOWNLOAD_FAILED;
    b.text(b.px(36), b.px(278), b.right(36), b.px(318), st.status_text, FONT_SANS, 15, 400, false,
           failed ? SALMON : PALE, TEXT_CENTER | TEXT_WRAP);

    if (st.progress >= 0) {
        const float p = st.progress < 1 ? st.progress : 1;
        b.add(DRAW_RECT, b.px(36), b.px(322), b.right(36), b.px(330), 0x0A100D);
        const int track = b.right(36) - b.px(36);
        b.add(DRAW_RECT, b.px(36), b.px(322), b.px(36) + (int)std::lround(p * track), b.px(330), 0xCEA446);
    }

    PixelRect quit, main;
    launcher_buttons(scale, client_w, &quit, &main);
    b.button(quit, "Quitter", true, false, hover == HOVER_QUIT);
    b.button(main, main_button_label(st.state), main_button_enabled(st.state, game_present), true,
             hover == HOVER_MAIN);

    snprintf(line, sizeof line, "Version installée : %s",
             st.installed_version[0] ? st.installed_version : "inconnue");
    // The box is narrow: a wider face than the intended one (Wine, the Linux
    // stand-ins) would run under the buttons, so the line shrinks instead.
    b.text(b.px(200), b.px(346), b.right(240), b.px(388), line, FONT_SANS, 15, 400, false, 0x828A80,
           TEXT_CENTER | TEXT_VCENTER | TEXT_FIT);
}
