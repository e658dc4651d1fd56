// The player's clicks in the world (the title overlay, the merchant, quest
// givers, targets, corpses) and what the HUD and the sound see of the player.
#include <cmath>

#include "play/combat.h"
#include "play/loot.h"
#include "play/play_calls.h"
#include "play/merchant.h"
#include "play/player.h"
#include "play/targeting.h"
#include "render/hud.h"
#include "sound/sound.h"

void player_click(int button, int x, int y) {
    // The title overlay takes the first click; nothing else is handled with it.
    if (title_overlay) {
        title_overlay = 0;
        hud_message("Bienvenue à Tervanne", 2.0f);
        return;
    }
    // Left: the creature under the cursor, or no target. Right: the merchant,
    // then whoever wants to talk, then the creature under the cursor, then a
    // corpse to search.
    if (button == 1 && merchant_click()) return;
    if (button == 1 && play_calls.quests_right_click(x, y)) return;
    if (player_click_target(button == 0) || button != 1) return;
    loot_click();
}

void player_hud_update(float) {
    Vec3 feet = {player.pos_x, player.pos_y, player.pos_z};
    snd_set_player_position(feet);
    hud_player.player_class = player.player_class;
    hud_player.attacks_made = player.attacks_made;
    hud_player.targets_hit = player.targets_hit;
    hud_player.bullseyes = player.bullseyes;
    hud_player.kills = player.kills;
    hud_player.level = player.level;
    hud_player.health = player.health;
    hud_player.max_health = player.max_health;
    hud_player.rage = player.rage;
    hud_player.mana = player.mana;
    hud_player.max_mana = player.max_mana;
    hud_player.experience = player.experience;
    hud_player.experience_next = player.level >= 20 ? 0 : experience_need(player.level);
    hud_player.position = feet;
}
