#include "ui/screen_keys.h"

#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "play/player_input.h"
#include "render/hud.h"
#include "render/ui_focus.h"
#include "ui/action_bar.h"
#include "ui/maps.h"

namespace {

void toggle(uint8_t* flag) {
    bool open = !*flag;
    if (open) player_windows_close_all();
    *flag = open ? 1 : 0;
}

}  // namespace

bool screen_keys_input() {
    if (game_flags.title_overlay || hud_dialog_state().open) return false;
    if (binding_pressed(BIND_MAP) || pad_play_pressed(PAD_BACK)) {
        // Each opening starts on the player's own zone at zoom 1.
        bool open = !game_flags.windows.map;
        if (open) player_windows_close_all();
        big_map_set_open(open);
        return true;
    }
    // Lying fallen, only the map opens.
    if (player.dead) return false;
    if (binding_pressed(BIND_SPELLBOOK)) {
        spellbook_toggle();
        return true;
    }
    if (binding_pressed(BIND_CHARACTER) || binding_pressed(BIND_BAG)) {
        toggle(&game_flags.character_sheet_open);
        return true;
    }
    if (binding_pressed(BIND_JOURNAL)) {
        toggle(&game_flags.windows.journal);
        return true;
    }
    if (binding_pressed(BIND_PROFESSIONS)) {
        professions_window_show(!game_flags.windows.professions);
        return true;
    }
    return false;
}

bool screens_take_escape(bool escape) {
    if (escape && game_flags.windows.journal) {
        game_flags.windows.journal = 0;
        return true;
    }
    if (escape && game_flags.windows.map) {
        big_map_set_open(false);
        return true;
    }
    // The pad's B backs out of the windows Escape leaves open for the keyboard
    // (the shop and the loot window close on Escape themselves).
    if (ui_focus_back_pressed() && !game_flags.windows.merchant && !game_flags.windows.loot &&
        (game_flags.character_sheet_open || game_flags.windows.spellbook || game_flags.windows.professions)) {
        player_windows_close_all();
        return true;
    }
    return false;
}

bool item_windows_take_escape(bool escape) {
    if (!escape) return false;
    if (shop_is_open()) {
        close_shop();
        return true;
    }
    if (game_flags.windows.loot) {
        loot_close();
        return true;
    }
    return false;
}
