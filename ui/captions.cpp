// The sounds' captions on screen: low in the middle, just above the action
// bar, or above the prompt's place when something lies there, or at the left
// edge; never over a panel, bar or window drawn this frame (a caption that
// finds no free place waits for the window to close).
#include "ui/captions.h"

#include <cstdio>

#include "common/game_time.h"
#include "persist/options.h"
#include "platform/platform.h"
#include "render/hud.h"
#include "render/ui.h"
#include "render/ui_internal.h"
#include "sound/captions.h"

namespace {

bool clear_of_panels(const UiRect& b) {
    const UiRect* panels = nullptr;
    int n = ui_frame_panels(&panels);
    for (int i = 0; i < n; ++i)
        if (b.overlaps(panels[i])) return false;
    return true;
}

}  // namespace

int captions_lines(CaptionLine out[CAPTION_LINES_MAX]) {
    if (!options.sound_captions) return 0;
    SoundHeard heard[CAPTION_LINES_MAX];
    int n = snd_heard_recent(heard, CAPTION_LINES_MAX, game_clock, CAPTION_SECONDS);
    for (int i = 0; i < n; ++i) {
        const char* text = snd_caption_text(heard[i].caption);
        const char* where = snd_direction_words(heard[i].direction);
        if (where)
            std::snprintf(out[i].text, sizeof out[i].text, "%s · %s", text, where);
        else
            std::snprintf(out[i].text, sizeof out[i].text, "%s", text);
        double left = CAPTION_SECONDS - (game_clock - heard[i].time);
        float a = (float)(left / CAPTION_FADE_SECONDS);
        out[i].alpha = a < 0.0f ? 0.0f : (a > 1.0f ? 1.0f : a);
    }
    return n;
}

void captions_draw() {
    if (game_flags.paused) return;  // the world stands still under the shade: nothing is heard
    CaptionLine lines[CAPTION_LINES_MAX];
    int n = captions_lines(lines);
    if (n == 0) return;
    const float s = hud_scale;
    const float size = 18 * s, step = 1.4f * size, pad = 10 * s;
    const float W = (float)plat_input.client_width, H = (float)plat_input.client_height;
    float widest = 0.0f;
    for (int i = 0; i < n; ++i) {
        float w = ui_text_width(lines[i].text, size, UI_FONT_BODY);
        if (w > widest) widest = w;
    }
    const float bw = widest + 2 * pad, bh = n * step + 2 * 3 * s;
    // The action bar's panel tops out 194 s up, the prompt's 267 s up.
    const UiRect places[3] = {{(W - bw) * 0.5f, H - 202 * s - bh, bw, bh},
                             {(W - bw) * 0.5f, H - 275 * s - bh, bw, bh},
                             {14 * s, (H - bh) * 0.5f, bw, bh}};
    const UiRect* at = nullptr;
    for (const UiRect& b : places)
        if (!at && clear_of_panels(b)) at = &b;
    if (!at) return;
    float strongest = 0.0f;
    for (int i = 0; i < n; ++i)
        if (lines[i].alpha > strongest) strongest = lines[i].alpha;
    ui_rect(at->x, at->y, at->w, at->h, Vec4{0.02f, 0.03f, 0.02f, 0.55f * strongest});
    UiBoxScope box(at->x, at->y, at->w, at->h, UI_BOX_LAYER);
    // The newest at the bottom, nearest the bar; older ones climb.
    for (int i = 0; i < n; ++i) {
        Vec4 c = HUD_PARCHMENT;
        c.w = lines[i].alpha;
        float y = at->y + 3 * s + (float)(n - 1 - i) * step + (step - size) * 0.5f;
        if (at == &places[2])
            ui_text(at->x + pad, y, lines[i].text, size, c, UI_FONT_BODY);
        else
            ui_text_centred(W * 0.5f, y, lines[i].text, size, c, UI_FONT_BODY);
    }
}
