// The minimap's place names and markers, and the big map: the view it opens
// on, zoom by notches kept under the pointer, panning that never leaves the
// view, the zone click and the way back; pictures of each.
#include <gtest/gtest.h>

#include <cstring>

#include "render/ui.h"
#include "world/terrain.h"
#include "ui/maps.h"
#include "tests/professions/professions_game.h"

namespace {

// The big map through its key, drawn so that it takes its input.
void open_map() {
    if (game_flags.windows.map) press_key(bindings[BIND_MAP], 1);
    press_key(bindings[BIND_MAP], 1);
}

void wheel_at(float notches, float x, float y) {
    std::vector<InputState> s(1, idle_input());
    s[0].wheel = notches;
    s[0].mouse_x = (int)x;
    s[0].mouse_y = (int)y;
    play(s, 1);
}

}  // namespace

TEST(Minimap, NamesThePlaceUnderThePlayer) {
    EXPECT_STREQ(minimap_place_name(48, 330, false), "Entrée des catacombes");
    EXPECT_STREQ(minimap_place_name(0, 0, false), "Forêt de Tervanne");
    EXPECT_STREQ(minimap_place_name(0, -500, false), "La Gaste Forêt");
    EXPECT_STREQ(minimap_place_name(-20, -990, false), "La Chapelle Verte");
    EXPECT_STREQ(minimap_place_name(360, -10, false), "Gué-Fleuri");  // the hamlet before the rest
    EXPECT_STREQ(minimap_place_name(36, 250, false), "La lande du Val");
    EXPECT_STREQ(minimap_place_name(-96, -40, false), "Lac de la Dame");
    EXPECT_STREQ(minimap_place_name(540 - 40, 180, false), "Place du marché");
    EXPECT_STREQ(minimap_place_name(-80, 110, false), "La vieille tour");
    EXPECT_STREQ(minimap_place_name(64, 60, false), "Le cercle de pierres");
    // The bears' den is checked before the zone name.
    EXPECT_STREQ(minimap_place_name(-165, -700, false), "Tanière des ours");
}

TEST(Minimap, MarkersOnlyInsideTheSquareNorthUp) {
    ASSERT_TRUE(professions_game());
    idle_frames(1);
    float sx, sy;
    UiRect r = minimap_rect();
    ASSERT_TRUE(minimap_project(0, 0, 0, 50, false, &sx, &sy));  // 50 north
    EXPECT_NEAR(sx, r.x + r.w * 0.5f, 0.01f);
    EXPECT_NEAR(sy, r.y + r.h * 0.25f, 0.01f);
    EXPECT_TRUE(minimap_project(0, 0, 96, 0, false, &sx, &sy));
    EXPECT_FALSE(minimap_project(0, 0, 98, 0, false, &sx, &sy));  // past 0.97 of 100
    EXPECT_FALSE(minimap_project(1048, 40, 1048, 66, true, &sx, &sy));  // 26 underground
    EXPECT_TRUE(minimap_project(1048, 40, 1048, 65, true, &sx, &sy));
}

TEST(BigMap, OpensOnTheZoneOfThePlayerAndZoomsByNotchesToSix) {
    ASSERT_TRUE(professions_game());
    fresh_player_at(0.0f, -450.0f);
    open_map();
    ASSERT_TRUE(game_flags.windows.map);
    EXPECT_STREQ(big_map_title(), "La Gaste Forêt");
    fresh_player_at(0.0f, -350.0f);
    open_map();
    EXPECT_STREQ(big_map_title(), "Forêt de Tervanne");
    EXPECT_EQ(big_map_state().zoom, 1.0f);

    // Four notches give 1.35^4, the fifth 1.35^5, the sixth stops at 6.
    UiRect p = big_map_panel();
    float px = p.x + p.w * 0.3f, py = p.y + p.h * 0.6f;
    float wx, wz;
    big_map_to_world(px, py, &wx, &wz);
    wheel_at(1.0f, px, py);  // one notch by the real wheel, the rest directly
    for (int n = 0; n < 3; ++n) big_map_wheel(1.0f, px, py);
    EXPECT_NEAR(big_map_state().zoom, 3.3215f, 0.001f);
    // The world point under the pointer stays there.
    float sx, sy;
    big_map_to_screen(wx, wz, &sx, &sy);
    EXPECT_NEAR(sx, px, 0.5f);
    EXPECT_NEAR(sy, py, 0.5f);
    big_map_wheel(1.0f, px, py);
    EXPECT_NEAR(big_map_state().zoom, 4.4840f, 0.001f);
    big_map_wheel(1.0f, px, py);
    EXPECT_EQ(big_map_state().zoom, 6.0f);
    big_map_wheel(1.0f, px, py);
    EXPECT_EQ(big_map_state().zoom, 6.0f);
    for (int n = 0; n < 9; ++n) big_map_wheel(-1.0f, px, py);
    EXPECT_EQ(big_map_state().zoom, 1.0f);

    // Escape closes it and does not reach the game (no pause menu).
    press_key(KEY_ESCAPE, 1);
    EXPECT_FALSE(game_flags.windows.map);
    EXPECT_FALSE(game_flags.paused);
}

TEST(BigMap, DraggingPansButNeverLeavesTheView) {
    ASSERT_TRUE(professions_game());
    fresh_player_at(0.0f, 0.0f);
    open_map();
    UiRect p = big_map_panel();
    float cx = p.x + p.w * 0.5f, cy = p.y + p.h * 0.5f;
    // At zoom 1 the whole zone is shown: a drag cannot move it.
    big_map_drag_begin(cx, cy);
    big_map_drag_to(cx + 200, cy + 100);
    EXPECT_EQ(big_map_state().centre_x, 0.0f);
    EXPECT_EQ(big_map_state().centre_z, 5.0f);
    // Zoomed in, a drag moves it with the pointer, until the edge.
    big_map_wheel(3.0f, cx, cy);
    float vx0, vw, vz0, vh;
    big_map_visible(&vx0, &vw, &vz0, &vh);
    big_map_drag_begin(cx, cy);
    big_map_drag_to(cx + 50, cy);
    EXPECT_NEAR(big_map_state().centre_x, 50.0f / p.w * vw, 0.01f);
    big_map_drag_to(cx - 5000, cy - 5000);
    big_map_visible(&vx0, &vw, &vz0, &vh);
    EXPECT_NEAR(vx0, -820.0f, 0.01f);        // right edge of the screen is -x
    EXPECT_NEAR(vz0, -410.0f, 0.01f);        // dragged up: the south edge
    big_map_drag_to(cx + 5000, cy + 5000);
    big_map_visible(&vx0, &vw, &vz0, &vh);
    EXPECT_NEAR(vx0 + vw, 820.0f, 0.01f);
    EXPECT_NEAR(vz0 + vh, 420.0f, 0.01f);

    // By the real mouse: press, move left, release; the picture follows the pointer.
    std::vector<InputState> drag(3, idle_input());
    for (int f = 0; f < 3; ++f) {
        drag[f].mouse_x = (int)cx - (f >= 1 ? 40 : 0);
        drag[f].mouse_y = (int)cy;
        drag[f].button_down[0] = f < 2;
        drag[f].button_pressed[0] = f == 0;
        drag[f].button_down_prev[0] = f >= 1;
    }
    float before = big_map_state().centre_x;
    play(drag, 1);
    EXPECT_NEAR(big_map_state().centre_x, before - 40.0f / p.w * vw, 0.01f);
    EXPECT_FALSE(big_map_state().dragging);
    game_flags.windows.map = 0;
}

TEST(BigMap, AllZonesClickOpensAZoneAndRightClickGoesBack) {
    ASSERT_TRUE(professions_game());
    fresh_player_at(0.0f, 0.0f);
    open_map();
    big_map_right_click();
    EXPECT_EQ(big_map_state().view, MAP_ALL_ZONES);
    EXPECT_STREQ(big_map_title(), "Les terres du royaume");
    float sx, sy;
    big_map_to_screen(100.0f, -800.0f, &sx, &sy);
    click_at(sx, sy);
    EXPECT_EQ(big_map_state().view, MAP_ZONE);
    EXPECT_STREQ(big_map_title(), "La Gaste Forêt");
    EXPECT_EQ(big_map_state().zoom, 1.0f);
    // Right click by the mouse, then a click outside the land does nothing.
    click_at(sx, sy, 1);
    EXPECT_EQ(big_map_state().view, MAP_ALL_ZONES);
    big_map_to_screen(-820.0f, 0.0f, &sx, &sy);
    big_map_left_click(sx, sy);
    EXPECT_EQ(big_map_state().view, MAP_ALL_ZONES);
    big_map_to_screen(0.0f, -400.0f, &sx, &sy);
    big_map_left_click(sx, sy);
    EXPECT_EQ(big_map_state().zone, 0);

    // Hovering where the zones' outlines overlap names the zone a click
    // would open, and only that one, once more than with the pointer away.
    big_map_right_click();
    auto names_drawn = [](float px, float py, int* names) {
        std::vector<InputState> hover(1, idle_input());
        hover[0].mouse_x = (int)px;
        hover[0].mouse_y = (int)py;
        ui_record_begin();
        play(hover, 1);
        ui_record_end();
        names[0] = names[1] = 0;
        for (int i = 0; i < ui_recorded_text_count(); ++i) {
            names[0] += std::strcmp(ui_recorded_texts()[i].text, "Forêt de Tervanne") == 0;
            names[1] += std::strcmp(ui_recorded_texts()[i].text, "La Gaste Forêt") == 0;
        }
    };
    int away[2], over[2];
    names_drawn(1.0f, 1.0f, away);
    for (float z : {-395.0f, -405.0f}) {
        big_map_to_screen(0.0f, z, &sx, &sy);
        names_drawn(sx, sy, over);
        const int under = z > ZONE_BORDER_Z ? 0 : 1;
        EXPECT_EQ(over[under], away[under] + 1) << z;
        EXPECT_EQ(over[1 - under], away[1 - under]) << z;
    }
    game_flags.windows.map = 0;
}

TEST(MapScene, PicturesOfTheMinimapTheBigMapAndTheCatacombs) {
    ASSERT_TRUE(professions_game());
    // On the moor, among the moon flowers, facing north-west.
    fresh_player_at(20.0f, 250.0f);
    player.heading = 0.7f;
    player.camera_yaw = 0.7f;
    idle_frames(1);
    idle_frames(1, 1);
    EXPECT_TRUE(headless_screenshot("professions_minimap.png"));

    open_map();
    // Hover the player's arrow: "Vous".
    float sx, sy;
    big_map_to_screen(player.pos_x, player.pos_z, &sx, &sy);
    std::vector<InputState> hover(1, idle_input());
    for (InputState& s : hover) {
        s.mouse_x = (int)sx;
        s.mouse_y = (int)sy;
    }
    play(hover, 1);
    EXPECT_STREQ(big_map_state().hover_text, "Vous");
    EXPECT_TRUE(headless_screenshot("professions_big_map_zone.png"));
    // Zoomed on the moor, with the nodes named under the pointer.
    wheel_at(4.0f, sx, sy);
    EXPECT_TRUE(headless_screenshot("professions_big_map_zoomed.png"));
    big_map_right_click();
    idle_frames(1, 1);
    EXPECT_TRUE(headless_screenshot("professions_big_map_all_zones.png"));
    press_key(bindings[BIND_MAP], 1);
    EXPECT_FALSE(game_flags.windows.map);

    // Underground: the catacombs' own view, with the explored part.
    catacombs_enter();
    ASSERT_TRUE(game_flags.underground);
    clear_world_creatures(1);
    hud_fade(0.0f);
    idle_frames(4);
    open_map();
    idle_frames(1, 1);
    EXPECT_STREQ(big_map_title(), "Les catacombes du Val sans Retour");
    EXPECT_EQ(big_map_state().view, MAP_CATACOMBS);
    EXPECT_TRUE(headless_screenshot("professions_catacomb_map.png"));
    press_key(KEY_ESCAPE, 1);
    EXPECT_FALSE(game_flags.windows.map);
    catacombs_leave();
}

TEST(MapScene, PictureOfAnOreVeinAndAHerbAsThePlayerSeesThem) {
    ASSERT_TRUE(professions_game());
    // A copper vein with a plant near it, seen from 5 m.
    int best = -1;
    float best_d = 1e9f;
    for (int i = 0; i < gather_node_count(); ++i) {
        const GatherNode& a = gather_nodes()[i];
        if (a.kind != 3) continue;
        for (int j = 0; j < gather_node_count(); ++j) {
            const GatherNode& b = gather_nodes()[j];
            float d = std::hypot(a.x - b.x, a.z - b.z);
            if (b.kind < 3 && d < best_d) {
                best_d = d;
                best = i;
            }
        }
    }
    ASSERT_GE(best, 0);
    const GatherNode& vein = gather_nodes()[best];
    fresh_player_at(vein.x - 4.0f, vein.z - 3.0f);
    player.heading = player.camera_yaw = std::atan2(4.0f, 3.0f);
    idle_frames(2);
    EXPECT_FALSE(hud_prompt_shown());  // 5 m is out of reach
    idle_frames(1, 1);
    EXPECT_TRUE(headless_screenshot("professions_nodes.png"));
}
