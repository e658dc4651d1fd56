// The fighting steps of the player's frame: window and bar keys, Escape and
// a lost focus, the class's basic attack, and the per-frame updates of
// arrows, bolts, effects and traps.
#include "play/player_input.h"

#include "common/game_time.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/combat.h"
#include "play/player.h"
#include "play/skills.h"
#include "play/targeting.h"
#include "render/hud.h"
#include "render/ui_focus.h"


void player_windows_close_all() {
    game_flags.windows.map = 0;
    game_flags.windows.spellbook = 0;
    game_flags.windows.journal = 0;
    game_flags.windows.professions = 0;
    game_flags.character_sheet_open = 0;
}

void professions_window_show(bool open) {
    if (open) player_windows_close_all();
    game_flags.windows.professions = open ? 1 : 0;
}

void player_action_bar_keys() {
    if (game_flags.title_overlay || hud_dialog_state().open) return;
    for (int a = 0; a < BINDING_COUNT; ++a) {
        int slot = binding_bar_slot(a);
        if (slot >= 0 && binding_pressed(a)) use_bar_slot(slot);
    }
    int pad_slot = pad_bar_slot_pressed();
    if (pad_slot >= 0) use_bar_slot(pad_slot);
}

PlayEscape player_start_key() {
    // Only the key event counts: the dialog that Escape closes is gone by
    // now, and the key is still down in that frame.
    bool escape = plat_input.key_pressed[KEY_ESCAPE] != 0;
    // Start pauses the game from play, as Escape does with nothing targeted.
    if (!escape && pad_play_pressed(PAD_START) && !game_flags.paused && !hud_dialog_state().open &&
        !game_flags.title_overlay && !player_window_blocks_clicks())
        return PlayEscape::pause;
    return PlayEscape::none;
}

PlayEscape player_escape_and_focus(bool escape) {
    // Asked only while the game runs (game/ routes nothing else while paused).
    if (player_window_blocks_clicks()) return PlayEscape::none;
    if (escape) {
        if (target_is_valid(player.target)) {
            player.target = nullptr;
            player.target_hold = 0.0f;
            return PlayEscape::taken;
        }
        return PlayEscape::pause;
    }
    if (!plat_input.window_active && !game_flags.title_overlay && !hud_dialog_state().open) return PlayEscape::pause;
    return PlayEscape::none;
}

bool player_window_blocks_clicks() {
    const ScreenFlags& w = game_flags.windows;
    return game_flags.character_sheet_open || w.loot || w.merchant || w.journal || w.professions || w.spellbook ||
           w.map;
}

void player_attack_step(float dt) {
    skills_update(dt);
    if (!player.attack_requested || player.attack_cooldown > 0.0f) return;
    switch (player.player_class) {
        case CLASS_DRUID:
            if (ensure_target_for_attack(45.0f)) {
                cast_bolt(1.0f, 0);
                player.attack_cooldown = 0.7f;
            }
            break;
        case CLASS_WARRIOR:
            if (player.swing_progress > 0.0f || charge_running() || player.whirlwind_progress > 0.0f) break;
            if (ensure_target_for_attack(1e9f)) start_swing(next_combo_index(), 1.0f);
            break;
        default:
            if (ensure_target_for_attack(45.0f)) {
                launch_arrow(0.0f, 1.0f, ARROW_PLAIN);
                player.draw_blend = 0.0f;
                player.attack_cooldown = 0.55f;
            }
            break;
    }
}

void player_arrows_update(float dt) {
    arrows_update(dt);
    bolts_update(dt);
    damage_over_time_update(dt);
    particles_update(dt);
}

void player_traps_update(float dt) { traps_update(dt); }
