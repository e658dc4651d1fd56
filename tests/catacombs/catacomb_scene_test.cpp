// The catacombs in the running game: a walk from the vestibule to the crypt's
// door along the distance map with the movement keys, never inside a wall;
// pictures of a corridor, a lit room and the crypt with its lord awake.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/main_loop.h"
#include "render/renderer.h"
#include "tests/catacombs/catacomb_game.h"
#include "tests/support/culling_check.h"

namespace {

// Frames with the forward key held (pressed on the first).
std::vector<InputState> forward_frames(int count) {
    std::vector<InputState> script;
    const int fwd = bindings[BIND_FORWARD];
    for (int f = 0; f < count; ++f) {
        InputState s = idle_frame();
        s.key_down[fwd] = 1;
        s.key_pressed[fwd] = f == 0;
        if (f > 0) s.key_down_prev[fwd] = 1;
        script.push_back(s);
    }
    return script;
}

float yaw_to(float x, float z) { return std::atan2(x - player.pos_x, z - player.pos_z); }

// A few frames standing still so the camera settles, then a picture.
bool picture(const char* file, int frames) {
    // The pictures are about the stone, not the fade and the banner of the entry.
    hud_fade(0.0f);
    hud_message("", 0.0f);
    std::vector<InputState> script(frames, idle_frame());
    headless_set_input_script(script.data(), (int)script.size());
    main_loop_set_draw_interval(1);
    for (int f = 0; f < frames; ++f) game_frame();
    return headless_screenshot(file);
}

// Mean brightness of the frame (0..255) and the level of its brightest hundredth.
void brightness(float* mean, float* bright) {
    std::vector<uint8_t> px(640 * 360 * 4);
    ASSERT_TRUE(headless_read_pixels(px.data(), 640, 360));
    std::vector<int> hist(256, 0);
    double sum = 0;
    for (size_t i = 0; i < px.size(); i += 4) {
        int l = (px[i] * 3 + px[i + 1] * 5 + px[i + 2] * 2) / 10;
        sum += l;
        hist[l]++;
    }
    *mean = (float)(sum / (640.0 * 360.0));
    int n = 0, at = 255;
    while (at > 0 && n < 640 * 360 / 100) n += hist[at--];
    *bright = (float)at;
}

}  // namespace

TEST(CatacombScene, WalkFromTheVestibuleToTheCryptDoorNeverEntersAWall) {
    ASSERT_TRUE(catacomb_game());
    surface_player_at(CATACOMB_ENTRY_X, CATACOMB_ENTRY_Z, 12);
    catacombs_enter();
    ASSERT_TRUE(game_flags.underground);
    // The garrison would stand in the way; this walk is about the walls.
    clear_world_creatures(1);

    int pi[400], pj[400];
    int n = catacomb_main_path(pi, pj, 400);
    ASSERT_GT(n, 10);
    // Waypoints from the start cell to the cell before the door, then the door.
    std::vector<Vec3> way;
    for (int k = n - 1; k >= 0; --k) way.push_back(catacomb_cell_centre(pi[k], pj[k]));
    way.push_back({1048.0f, 0.0f, 74.7f});

    std::vector<InputState> script = forward_frames(2400);
    headless_set_input_script(script.data(), (int)script.size());
    main_loop_set_draw_interval(100000);
    size_t next = 0;
    int inside_wall = 0, crossed = 0, frames = 0;
    Vec3 before = {player.pos_x, player.pos_y, player.pos_z};
    for (; frames < (int)script.size() && next < way.size(); ++frames) {
        // Steer by the camera, as the mouse would: toward the next waypoint.
        if (std::hypot(way[next].x - player.pos_x, way[next].z - player.pos_z) < 0.45f) {
            ++next;
            if (next == way.size()) break;
        }
        player.camera_yaw = yaw_to(way[next].x, way[next].z);
        game_frame();
        Vec3 now = {player.pos_x, player.pos_y, player.pos_z};
        if (catacomb_solid(now + Vec3{0, 1.0f, 0})) ++inside_wall;
        Vec3 r = catacomb_resolve(now, PLAYER_RADIUS - 0.02f);
        if (std::fabs(r.x - now.x) > 1e-3f || std::fabs(r.z - now.z) > 1e-3f) ++inside_wall;
        if (!catacomb_line_clear(before + Vec3{0, 1.0f, 0}, now + Vec3{0, 1.0f, 0})) ++crossed;
        before = now;
    }
    main_loop_set_draw_interval(1);
    EXPECT_EQ(next, way.size()) << "stopped before waypoint " << next << " of " << way.size() << " at ("
                                << player.pos_x << ", " << player.pos_z << ")";
    EXPECT_EQ(inside_wall, 0);
    EXPECT_EQ(crossed, 0);
    EXPECT_LT(std::hypot(player.pos_x - 1048.0f, player.pos_z - 74.7f), 0.6f);
    EXPECT_STREQ(catacomb_room_name({player.pos_x, 0, player.pos_z}), "Catacombes du Val sans Retour");
    // Walking the whole path showed every cell along it on the map.
    for (int k = 0; k < n; ++k) EXPECT_TRUE(catacombs_state().seen[pi[k]][pj[k]]);
    // The crypt is beyond the door, seen through it.
    EXPECT_TRUE(catacombs_state().seen[9][15]);
    catacombs_leave();
}

TEST(CatacombScene, PicturesOfACorridorALitRoomAndTheCryptAwake) {
    ASSERT_TRUE(catacomb_game());
    if (!headless_has_context()) GTEST_SKIP() << "no GL context";
    surface_player_at(CATACOMB_ENTRY_X, CATACOMB_ENTRY_Z, 12);
    catacombs_enter();
    ASSERT_TRUE(game_flags.underground);

    // A corridor of the main path, looking along it toward the crypt.
    int pi[400], pj[400];
    int n = catacomb_main_path(pi, pj, 400);
    int k = n / 2;
    Vec3 a = catacomb_cell_centre(pi[k + 1], pj[k + 1]), b = catacomb_cell_centre(pi[k - 1], pj[k - 1]);
    put_player(a.x, a.z, std::atan2(b.x - a.x, b.z - a.z));
    player.camera_pitch = 0.05f;
    EXPECT_TRUE(picture("catacombs_corridor.png", 12));
    float mean = 0, bright = 0;
    brightness(&mean, &bright);
    // Dark, but lit somewhere.
    EXPECT_LT(mean, 70.0f);
    EXPECT_GT(bright, 60.0f);
    {
        // A jump back to the vestibule, far behind the last frame's camera
        // (as waking there after a death): its first frame has every wall.
        Vec3 c = catacomb_cell_centre(pi[n - 1], pj[n - 1]);
        EXPECT_GT(std::hypot(c.x - a.x, c.z - a.z), 30.0f);
        Vec3 d = catacomb_cell_centre(pi[n - 2], pj[n - 2]);
        put_player(c.x, c.z, std::atan2(d.x - c.x, d.z - c.z));
        std::vector<InputState> still(10, idle_frame());
        headless_set_input_script(still.data(), (int)still.size());
        main_loop_set_draw_interval(100000);  // the camera settles there, nothing is drawn
        for (int f = 0; f < 10; ++f) game_frame();
        main_loop_set_draw_interval(1);
        const PictureDifference diff = culled_against_whole(640, 360);
        EXPECT_TRUE(picture_matches(diff)) << diff.pixels << " of " << diff.total << " pixels lost after the jump";
        headless_screenshot("catacombs_after_jump.png");
    }

    // The ossuary from its south door, braziers burning in its corners.
    put_player(1048.0f, 42.5f, 0.0f);
    player.camera_pitch = 0.08f;
    EXPECT_TRUE(picture("catacombs_ossuary.png", 12));
    float corridor_mean = mean;
    brightness(&mean, &bright);
    // The brightest hundredth holds the HUD's texts too, whose shadows now ring
    // every letter: 100-107 here, as drawn natively and under the sanitizers.
    EXPECT_GT(bright, 92.0f);
    EXPECT_GT(mean, corridor_mean);
    // Batching: the ossuary, its guards and its braziers in at most 200 draw
    // calls, all passes, and the very picture of every run drawn on its own.
    EXPECT_LE(render_stats().draw_calls, 200);
    std::vector<uint8_t> plain(640 * 360 * 4), batched(640 * 360 * 4);
    render_set_batching(false);
    game_submit();
    render_frame();
    const int unbatched = render_stats().draw_calls;
    ASSERT_TRUE(headless_read_pixels(plain.data(), 640, 360));
    render_set_batching(true);
    game_submit();
    render_frame();
    ASSERT_TRUE(headless_read_pixels(batched.data(), 640, 360));
    EXPECT_TRUE(batched == plain) << "the ossuary's picture changed with batching";
    EXPECT_LE(render_stats().draw_calls, 200) << unbatched << " without batching; shadow " << render_stats().shadow_draws << ", opaque " << render_stats().opaque_draws << ", transparent " << render_stats().transparent_draws;

    // The crypt: stepping in wakes its lord. Only he is left, for a clear view.
    for (Creature& c : creatures)
        if (c.in_use && c.world == 1 && c.species != SP_BOSS) free_creature(&c);
    put_player(1048.0f, 79.5f, 0.0f);
    player.camera_pitch = 0.1f;
    player.camera_distance = 4.5f;
    EXPECT_TRUE(picture("catacombs_crypt.png", 14));
    Creature* lord = creature_boss();
    ASSERT_NE(lord, nullptr);
    EXPECT_EQ(lord->ai_state, CS_FIGHT);
    catacombs_leave();
}
