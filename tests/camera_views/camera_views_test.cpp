// The third-person camera in the real game at 1280 x 720, where it used to
// go into the stone: beside a tower of the west gate with the view along its
// wall, in the gate's passage looking out, under a market awning looking
// down, and in a catacomb corridor with the back to a wall. The pictures are
// left in the build folder as camera_<name>.png for a person to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "game/main_loop.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/camera.h"
#include "play/catacomb_visits.h"
#include "play/player_input.h"
#include "play/player.h"
#include "play/player_move.h"
#include "play/villagers.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "world/solids.h"
#include "tests/support/scene_economy.h"
#include "world/catacombs.h"
#include "world/terrain.h"

namespace {

constexpr int W = 1280, H = 720;
bool started = false;

class CameraViews : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        headless_set_time_step(1.0 / 30.0);
        headless_set_window_size(W, H);
        scene_economy();
        if (game_startup() != 0) return;
        game_flags.character_creation_open = 0;  // no character file here: straight into play
        started = headless_has_context();
        bindings_reset();
        player_reset_new();
        game_flags.title_overlay = 0;
    }
};

InputState idle() {
    InputState s;
    std::memset(&s, 0, sizeof s);
    s.client_width = W;
    s.client_height = H;
    s.window_active = 1;
    s.mouse_x = W / 2;
    s.mouse_y = H / 2;
    return s;
}

void stand(Vec3 feet, float heading, float yaw, float pitch, float distance) {
    player.pos_x = feet.x;
    player.pos_y = feet.y;
    player.pos_z = feet.z;
    player.heading = heading;
    player.camera_yaw = yaw;
    player.camera_pitch = pitch;
    player.camera_distance = distance;
}

// A second of play standing still (the camera settles, the last frame is
// drawn), then the picture; the eye must see the head from the shoulders or farther.
void picture(const char* name) {
    hud_fade(0.0f);
    hud_message("", 0.0f);
    const int frames = 30;
    std::vector<InputState> script(frames, idle());
    headless_set_input_script(script.data(), frames);
    main_loop_set_draw_interval(frames);
    for (int f = 0; f < frames; ++f) game_frame();
    main_loop_set_draw_interval(1);
    std::string file = std::string("camera_") + name + ".png";
    EXPECT_TRUE(headless_screenshot(file.c_str())) << file;
    Vec3 head = {player.pos_x, player.pos_y + PLAYER_EYE_HEIGHT, player.pos_z};
    EXPECT_GE(length(player.camera_pos - head), 1.0f - 0.02f) << name;
    EXPECT_GE(camera_view_free(head, player.camera_pos, game_flags.underground != 0), 0.999f) << name;
}

}  // namespace

TEST_F(CameraViews, WhereTheCameraUsedToGoIntoTheStone) {
    ASSERT_TRUE(started) << "no GL context";
    // Outside the west gate beside its north tower, looking out along the
    // wall: the camera would stand inside the tower.
    stand(camelot_point(-126.2f, 6.5f), -PI * 0.5f, -PI * 0.5f - 0.9f, 0.25f, 6.5f);
    picture("gate_beside_the_tower");
    // In the passage by the open north leaf, looking out to the forest with
    // the camera turned toward the leaf.
    stand(camelot_point(-118.0f, 3.6f), -PI * 0.5f, -PI * 0.5f + 0.7f, 0.3f, 8.0f);
    picture("gate_looking_out");
    // Behind a market stall's counter beside its keeper, the camera high
    // over the counter: it comes down under the awning.
    stand(camelot_point(-52.9f, 14.2f), 0.0f, 0.0f, 0.9f, 6.5f);
    picture("under_a_market_awning");

    // A corridor of the catacombs (the first cell of the way to the crypt
    // closed to the south), the back against that wall.
    catacombs_enter();
    int ci[64], cj[64];
    int n = catacomb_main_path(ci, cj, 64);
    int k = n - 1;
    while (k > 0 && (catacomb_wall_open(ci[k], cj[k], DIR_NZ) || catacomb_room_of_cell(ci[k], cj[k]) >= 0)) --k;
    Vec3 c = catacomb_cell_centre(ci[k], cj[k]);
    Vec3 at = catacomb_resolve({c.x + 0.6f, 0.0f, c.z - 1.9f}, PLAYER_RADIUS);
    stand(at, 0.0f, 0.0f, 0.28f, 6.5f);
    picture("catacomb_corridor_against_a_wall");
    catacombs_leave();
}

// The gate's guard seen from all round, the camera behind the player: his
// name shows where the line from it to the eye is open, and not where a
// wall or a tower stands in between (it used to be drawn through the stone).
TEST_F(CameraViews, AGuardsNameShowsOnlyWhereNoStoneHidesIt) {
    ASSERT_TRUE(started) << "no GL context";
    int guard = 0;
    while (guard < VILLAGER_COUNT && std::strcmp(villager_defs[guard].name, "Garde Renaud") != 0) ++guard;
    ASSERT_LT(guard, VILLAGER_COUNT);
    int hidden = 0, open = 0;
    bool pictured = false;
    for (int k = 0; k < 16; ++k) {
        const Vec3 g = villager_state(guard).position;
        const float a = (float)k * PI / 8.0f;
        Vec3 feet = resolve_step(g + Vec3{4.5f * std::sin(a), 0.0f, 4.5f * std::cos(a)});
        for (int i = 0; i < 8; ++i) feet = resolve_step(feet);
        feet.y = ground_height(feet.x, feet.z);
        const float yaw = std::atan2(g.x - feet.x, g.z - feet.z);
        stand(feet, yaw, yaw, 0.2f, 4.0f);  // near enough for his name's size
        hud_fade(0.0f);
        hud_message("", 0.0f);
        const int frames = 8;
        std::vector<InputState> script(frames, idle());
        headless_set_input_script(script.data(), frames);
        main_loop_set_draw_interval(frames);
        ui_record_begin();
        for (int f = 0; f < frames; ++f) game_frame();
        ui_record_end();
        main_loop_set_draw_interval(1);

        const Vec3 label = villager_state(guard).position + Vec3{0, 2.1f, 0};
        const Vec3 eye = render_camera.eye;
        bool on_screen = false;
        Vec3 at = world_to_screen(label, &on_screen);
        if (!on_screen || at.x < 40 || at.x > W - 40 || at.y < 40 || at.y > H - 40 || hdist_hypot(feet, g) > 15.5f)
            continue;
        bool drawn = false;
        for (int i = 0; i < ui_recorded_text_count(); ++i)
            drawn = drawn || !std::strcmp(ui_recorded_texts()[i].text, "Garde Renaud");
        const bool stone = solids_segment_hit(label, eye, 0.0f) < 1.0f ||
                           obstacles_segment_hit(label, eye, 0.0f, 1.1f, 5.0f) < 1.0f;
        if (stone) {
            ++hidden;
            EXPECT_FALSE(drawn) << "the name drawn through the stone, seen from " << k;
            if (!pictured) {
                EXPECT_TRUE(headless_screenshot("camera_guard_behind_the_stone.png"));
                pictured = true;
            }
        } else {
            ++open;
            EXPECT_TRUE(drawn) << "the name missing in the open, seen from " << k;
        }
    }
    EXPECT_GT(hidden, 0) << "views with stone between the guard's name and the eye";
    EXPECT_GT(open, 0) << "views with the guard in the open";
}
