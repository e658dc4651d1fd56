// The single frame shown while the world is being built.
#include "ui/title_card.h"

#include "platform/platform.h"
#include "render/gpu.h"
#include "render/hud.h"
#include "render/ui.h"

void title_card_present() {
    const int w = plat_input.client_width, h = plat_input.client_height;
    const float s = (float)h / 1080.0f;
    render_clear_screen(Vec3{0.05f, 0.08f, 0.06f});
    const float cx = w * 0.5f, y = 0.42f * h;
    ui_text_centred(cx, y, "Tervanne", 54 * s, HUD_GOLD, UI_FONT_TITLE);
    ui_text_centred(cx, y + 80 * s, "La forêt s'éveille…", 22 * s, Vec4{0.73f, 0.69f, 0.58f, 1.0f}, UI_FONT_BODY);
    ui_flush();
}
