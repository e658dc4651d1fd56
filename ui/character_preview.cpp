// The turning portrait of the character sheet: the player's own figure,
// dressed in what it wears, rendered alone into the portrait image before
// the frame's own submissions.
#include "ui/character_preview.h"

#include <cmath>

#include "common/game_time.h"
#include "platform/platform.h"
#include "ui/item_windows.h"
#include "play/items.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "world/human.h"
#include "world/model.h"

void character_preview_render() {
    // The figure is built by the first drawn frame; the sheet may come first.
    if (!player_model) player_model_rebuild();
    if (!player_model) return;
    player_figure_dress();
    UiRect p = sheet_portrait_box();
    // Alone in the lists, where the player stands (in the light of that place).
    Vec3 base = {player.pos_x, player.pos_y, player.pos_z};
    float turn = (float)game_clock * 0.6f;
    model_evaluate(player_model, mat4_translate(base) * mat4_rotate_y(turn));
    model_draw(player_model, human_clothing_material(), player_class_cloth(player.player_class));
    float tall = player_look.woman ? 0.96f : 1.0f;
    Vec3 target = base + Vec3{0, 0.98f * tall, 0};
    Vec3 eye = base + Vec3{0, 1.15f * tall, 4.3f};
    int w = (int)p.w, h = (int)p.h;
    render_preview(eye, target, 30.0f, w < 16 ? 16 : w, h < 16 ? 16 : h);
}
