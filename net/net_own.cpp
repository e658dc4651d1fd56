// What the client says about our own player: the hello's identity and the
// pose packet's body, read from the live player record.
#include <cstring>

#include "net/net_internal.h"
#include "play/player.h"
#include "play/items.h"

static uint8_t small(int v, int hi) { return (uint8_t)(v < 0 ? 0 : (v > hi ? hi : v)); }

NetIdentity net_own_identity() {
    NetIdentity id{};
    memcpy(id.name, player.name, NET_NAME_SIZE - 1);
    id.name[NET_NAME_SIZE - 1] = 0;
    id.player_class = small(player.player_class, 2);
    id.woman = player_look.woman != 0;
    id.skin = small(player_look.skin, 255);
    id.eyes = small(player_look.eyes, 255);
    id.hair = small(player_look.hair, 255);
    id.style = small(player_look.style, 255);
    id.beard = small(player_look.beard, 255);
    id.level = small(player.level, 255);
    for (int s = 0; s < NET_EQUIPMENT_SLOTS; ++s) {
        int item = player_equipment_item(s);
        id.equipment[s] = (uint16_t)(item > 0 && item <= 0xffff ? item : 0);
    }
    return id;
}

NetPose net_own_pose() {
    NetPose p{};
    p.x = player.pos_x;
    p.y = player.pos_y;
    p.z = player.pos_z;
    p.heading = player.heading;
    p.ground_speed = player.ground_speed;
    p.guard_blend = player.guard_blend;
    p.swing_progress = player.swing_progress;
    p.whirlwind_progress = player.whirlwind_progress;
    p.combo_index = small(player.combo_index, 255);
    p.flags = (player.on_ground ? NET_FLAG_ON_GROUND : 0) | (player.dead ? NET_FLAG_DEAD : 0) |
              (player.charge_time > 0.0f ? NET_FLAG_CHARGING : 0);
    return p;
}
