// The player's clicks in the world (the title overlay, the merchant, quest
// givers, targets, corpses) and what the HUD and the sound see of the player.
#include <cmath>

#include "play/combat.h"
#include "common/game_events.h"
#include "play/loot.h"
#include "play/merchant.h"
#include "play/player.h"
#include "play/targeting.h"
#include "render/renderer.h"
#include "render/hud.h"
#include "sound/sound.h"

RightClick player_click(int button, int x, int y) {
    RightClick none{};
    // The title overlay takes the first click; nothing else is handled with it.
    if (game_flags.title_overlay) {
        game_flags.title_overlay = 0;
        result_message("Bienvenue à Tervanne", 2.0f);
        return none;
    }
    // Left: the creature under the cursor, or no target.
    if (button != 1) {
        player_click_target(button == 0);
        return none;
    }
    // Right: whatever the cursor's ray meets first, whoever it is: the
    // merchant, a creature, a body, or (asked by game/ first, with the
    // distance to beat) someone with a quest or a word to say.
    Vec3 origin;
    Vec3 dir = screen_ray((float)x, (float)y, &origin);
    RightClick c{};
    c.wanted = true;
    c.x = x;
    c.y = y;
    c.merchant_t = merchant_ray_distance(origin, dir);
    if (c.merchant_t < 0.0f) c.merchant_t = RIGHT_CLICK_NONE;
    c.creature_t = c.body_t = RIGHT_CLICK_NONE;
    c.creature = pick_creature_along_ray(origin, dir, &c.creature_t);
    if (!c.creature) c.creature_t = RIGHT_CLICK_NONE;
    c.body = body_hit_by_ray(origin, dir, &c.body_t);
    if (!c.body) c.body_t = RIGHT_CLICK_NONE;
    return c;
}

float RightClick::nearest() const { return std::fmin(merchant_t, std::fmin(creature_t, body_t)); }

void player_right_click(const RightClick& c) {
    if (!c.wanted) return;
    const float nearest = c.nearest();
    if (nearest >= RIGHT_CLICK_NONE) {
        loot_click();
    } else if (c.merchant_t == nearest) {
        merchant_clicked();
    } else if (c.creature_t == nearest) {
        player.target = c.creature;
        player.target_hold = 1000000.0f;
    } else {
        loot_body_clicked(c.body);
    }
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
