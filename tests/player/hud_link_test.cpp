// What the HUD shows of the player comes from the live player record each
// frame, with the experience needed for the next level.
#include <gtest/gtest.h>

#include "play/player.h"
#include "render/hud.h"

TEST(PlayerHud, ViewFollowsThePlayerRecord) {
    player_reset_new();
    player.level = 1;
    player.experience = 40;
    player.health = 63;
    player.max_health = 120;
    player.kills = 12;
    player.attacks_made = 57;
    player_hud_update(0.016f);
    EXPECT_EQ(hud_player.level, 1);
    EXPECT_EQ(hud_player.experience, 40);
    EXPECT_EQ(hud_player.experience_next, 100);
    EXPECT_FLOAT_EQ(hud_player.health, 63);
    EXPECT_FLOAT_EQ(hud_player.max_health, 120);
    EXPECT_EQ(hud_player.kills, 12);
    EXPECT_EQ(hud_player.attacks_made, 57);
    EXPECT_FLOAT_EQ(hud_player.position.x, player.pos_x);

    const int need[][2] = {{2, 283}, {3, 520}, {4, 800}, {5, 1118}, {10, 3162}, {19, 8282}, {20, 0}};
    for (auto& n : need) {
        player.level = n[0];
        player_hud_update(0.016f);
        EXPECT_EQ(hud_player.experience_next, n[1]) << "level " << n[0];
    }
}
