#include "game/input_route.h"

#include "common/game_time.h"
#include "content/quests.h"
#include "platform/platform.h"
#include "play/player.h"
#include "play/player_input.h"
#include "render/hud.h"
#include "ui/action_bar.h"
#include "ui/item_windows.h"
#include "ui/pause_dialog.h"
#include "ui/screen_keys.h"

namespace {

bool escape_pressed() { return plat_input.key_pressed[KEY_ESCAPE] != 0; }
void take_escape() { plat_input.key_pressed[KEY_ESCAPE] = 0; }

// What play asked of Escape and the focus: a pause opens the dialog at
// once, so that the rest of the frame sees the game paused.
bool apply(PlayEscape e) {
    if (e == PlayEscape::pause) pause_dialog_open();
    return e != PlayEscape::none;
}

// Escape down the chain: the dialog, the windows that close on it, then
// play (the target, the pause).
void route_escape() {
    if (apply(player_start_key())) return;
    if (escape_pressed() && hud_dialog_state().open) {
        hud_dialog_close();
        take_escape();
        return;
    }
    if (game_flags.paused) return;
    if (screens_take_escape(escape_pressed()) || apply(player_escape_and_focus(escape_pressed()))) take_escape();
}

}  // namespace

void route_dialog_input() {
    DialogTook took = hud_dialog_input();
    if (took.escape) take_escape();
    if (took.click) plat_input.button_pressed[0] = 0;
}

void route_frame_input() {
    // The character screens read their input as they are drawn.
    if (game_flags.paused || game_flags.character_creation_open || game_flags.character_select_open) return;
    bool window_acted = screen_keys_input();
    if (!window_acted) {
        player_keys_input();
        route_escape();
    }
    // The action bar and the spellbook take their own presses first.
    bool interface_took = interface_mouse_update();
    RightClick right = player_mouse_clicks(!window_acted && !player_window_blocks_clicks() && !interface_took);
    // Someone with a quest or a word to say, nearer along the ray than what
    // play's click met, answers it first.
    if (right.wanted && !quests_right_click(right.x, right.y, right.nearest())) player_right_click(right);
    player_mouse_keys();
    if (item_windows_take_escape(escape_pressed())) take_escape();
    items_windows_update();
}
