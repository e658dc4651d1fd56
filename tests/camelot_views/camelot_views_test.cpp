// Camelot and the landmarks in the real game, started once on the headless
// backend: the townsfolk are built and drawn, the interaction prompt answers
// near a villager and at the sword in the stone, and pictures of the town
// (the road before the west gate, the market, the castle court and more)
// are left in the build folder as camelot_view_<name>.png for a person to
// look at.
#include <gtest/gtest.h>

#include "tests/support/image_io.h"
#include "tests/support/scene_start.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "content/interaction_prompt.h"
#include "common/game_time.h"
#include "game/main_loop.h"
#include "play/player_input.h"
#include "platform/platform.h"
#include "play/bindings.h"
#include "play/player.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/gl_api.h"
#include "tests/support/culling_check.h"
#include "tests/support/shown.h"
#include "ui/character_preview.h"
#include "tests/support/scene_economy.h"
#include "world/forest.h"
#include "world/camelot.h"
#include "world/terrain.h"
#include "play/villagers.h"
#include "world/world.h"
#include "play/ambience.h"

namespace {

constexpr int W = 960, H = 540;
bool started = false;

class CamelotGame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        started = start_in_play(W, H, 1.0 / 30.0);
    }
};

struct View {
    const char* name;
    float ex, ez, eye_h;  // local to Camelot unless world is set
    float tx, tz, target_h;
    bool world;
};

// Draws the world and the townsfolk from a camera and returns the pixels.
std::vector<uint8_t> render_view(const View& v) {
    float ox = v.world ? 0.0f : CAMELOT_X, oz = v.world ? 0.0f : CAMELOT_Z;
    Vec3 eye = {ox + v.ex, 0, oz + v.ez};
    Vec3 target = {ox + v.tx, 0, oz + v.tz};
    eye.y = ground_height(eye.x, eye.z) + v.eye_h;
    target.y = ground_height(target.x, target.z) + v.target_h;
    render_camera = {eye, target, 60.0f};
    render_begin_frame();
    world_submit();
    ambience_submit();
    render_frame();
    headless_screenshot((std::string("camelot_view_") + v.name + ".png").c_str());
    std::vector<uint8_t> px((size_t)W * H * 4);
    headless_read_pixels(px.data(), W, H);
    return px;
}

// Share of pixels in the picture's middle band that are not sky-blue.
float solid_share(const std::vector<uint8_t>& px) {
    int solid = 0, total = 0;
    for (int y = H / 4; y < H * 3 / 4; y += 3)
        for (int x = 0; x < W; x += 3, ++total) {
            const uint8_t* p = &px[((size_t)y * W + x) * 4];
            if (!(p[2] > p[0] + 20 && p[2] > 150)) ++solid;
        }
    return (float)solid / (float)total;
}

void put_player(float lx, float lz, float heading) {
    Vec3 p = camelot_point(lx, lz);
    player.pos_x = p.x;
    player.pos_y = p.y;
    player.pos_z = p.z;
    player.heading = heading;
}

// One simulation frame of the player and the townsfolk (no drawing), with
// the interaction key pressed or not.
void step(bool interact) {
    const int key = bindings[BIND_INTERACT];
    std::memcpy(plat_input.key_down_prev, plat_input.key_down, sizeof plat_input.key_down);
    plat_input.key_down[key] = interact;
    plat_input.key_pressed[key] = interact;
    player_mouse_clicks(true);
    player_mouse_keys();
    if (player_act(1.0f / 30.0f)) {
        player_interaction_prompt();
        player_settle(1.0f / 30.0f);
    }
    villagers_step(1.0f / 30.0f);
    plat_input.key_pressed[key] = 0;
}

}  // namespace

TEST_F(CamelotGame, ViewsOfTheTownForAPerson) {
    ASSERT_TRUE(started) << "no GL context";
    game_clock = 41.0;
    const View views[] = {
        {"road_before_west_gate", -168.0f, 16.0f, 1.8f, -120.0f, 0.0f, 6.0f, false},
        {"market", -63.0f, -9.0f, 2.0f, -30.0f, 6.0f, 2.0f, false},
        {"castle_court", 38.0f, -22.0f, 2.0f, 98.0f, 4.0f, 9.0f, false},
        {"artisans_quarter", -42.0f, -66.0f, 2.2f, -100.0f, -74.0f, 2.5f, false},
        {"guards_at_the_gate", -137.0f, 3.0f, 1.7f, -126.0f, 0.0f, 1.4f, false},
        {"smithy", -95.0f, -63.5f, 1.9f, -99.0f, -55.0f, 1.2f, false},
        {"from_above", -230.0f, -170.0f, 90.0f, -10.0f, 10.0f, 0.0f, false},
        {"hamlet", 330.0f, -40.0f, 2.5f, 365.0f, -5.0f, 2.0f, true},
        {"practice_targets", -2.0f, -2.0f, 1.7f, 20.0f, -1.0f, 1.3f, true},
        {"graveyard", -515.0f, -900.0f, 3.0f, -560.0f, -930.0f, 1.0f, true},
    };
    for (const View& v : views) {
        SCOPED_TRACE(v.name);
        std::vector<uint8_t> px = render_view(v);
        // Something stands in front of the camera in every view.
        EXPECT_GT(solid_share(px), 0.4f);
        if (std::strcmp(v.name, "market") != 0) continue;
        // Batching: the market, its townsfolk and the trees beyond in at most
        // 200 draw calls, and the very picture of every run drawn alone.
        const int batched = render_stats().draw_calls;
        EXPECT_LE(batched, 200);
        render_set_batching(false);
        std::vector<uint8_t> plain = render_view(v);
        render_set_batching(true);
        EXPECT_TRUE(px == plain) << "the market's picture changed with batching";
        EXPECT_LT(batched, render_stats().draw_calls / 2) << "at least halved";
        // The market as each colour-vision correction shows it
        // (camelot_view_market_<mode>.png): another picture, as bright.
        const char* const modes[] = {"protanopie", "deuteranopie", "tritanopie"};
        for (int mode = VISION_PROTANOPIA; mode < VISION_MODE_COUNT; ++mode) {
            view_settings.colour_vision = mode;
            View corrected = v;
            const std::string name = std::string("market_") + modes[mode - 1];
            corrected.name = name.c_str();
            std::vector<uint8_t> seen = render_view(corrected);
            view_settings.colour_vision = VISION_NORMAL;
            long changed = 0, sum_plain = 0, sum_seen = 0;
            for (size_t i = 0; i < px.size(); i += 4) {
                changed += seen[i] != px[i] || seen[i + 1] != px[i + 1] || seen[i + 2] != px[i + 2];
                sum_plain += px[i] + px[i + 1] + px[i + 2];
                sum_seen += seen[i] + seen[i + 1] + seen[i + 2];
            }
            EXPECT_GT(changed, (long)(px.size() / 4 / 2)) << modes[mode - 1];
            EXPECT_NEAR((double)sum_seen / (double)sum_plain, 1.0, 0.25) << modes[mode - 1];
        }
    }
}

// What the camera looks at is drawn: under trees looking up at their crowns
// (their feet below the view), with crowns across every edge of the screen,
// over the market and in the sheet's portrait, the picture with culling and
// batching on is the picture with both off.
TEST_F(CamelotGame, CullingLosesNothingTheCameraSees) {
    ASSERT_TRUE(started);
    game_clock = 41.0;
    put_player(-63.0f, -9.0f, 0.0f);
    struct Pose {
        const char* name;
        Vec3 eye, target;
    };
    std::vector<Pose> poses;
    const std::vector<TreePlacement>& trees = world_trees();
    ASSERT_GT(trees.size(), 2000u);
    const size_t picks[] = {40, 1200};
    const char* names[] = {"up_north", "up_east", "up_south", "up_west"};
    for (size_t t : picks) {
        const TreePlacement& tree = trees[t];
        for (int k = 0; k < 4; ++k) {
            const float a = (float)k * PI * 0.5f + 0.4f;
            const Vec3 eye = {tree.x - std::sin(a) * 4.0f, tree.y + 1.7f, tree.z - std::cos(a) * 4.0f};
            poses.push_back({names[k], eye, eye + Vec3{std::sin(a) * 4.0f, 9.0f, std::cos(a) * 4.0f}});
        }
    }
    const Vec3 market_eye = camelot_local_to_world(-63.0f, 2.0f, -9.0f);
    poses.push_back({"market", market_eye, camelot_local_to_world(-30.0f, 2.0f, 6.0f)});
    for (const Pose& p : poses) {
        SCOPED_TRACE(p.name);
        render_camera = {p.eye, p.target, 60.0f};
        const PictureDifference d = culled_against_whole(W, H);
        EXPECT_TRUE(picture_matches(d)) << d.pixels << " of " << d.total << " pixels differ";
    }
    // The sheet's portrait, culled by its own camera.
    auto portrait = [] {
        render_begin_frame();
        character_preview_render();
        std::vector<uint8_t> px((size_t)render_portrait_width() * render_portrait_height() * 4);
        glBindTexture(GL_TEXTURE_2D, render_portrait_texture());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return px;
    };
    const std::vector<uint8_t> culled = portrait();
    render_set_culling(false);
    render_set_batching(false);
    const std::vector<uint8_t> whole = portrait();
    render_set_culling(true);
    render_set_batching(true);
    const PictureDifference d = picture_difference(culled, whole);
    EXPECT_GT(d.total, 1000);
    EXPECT_TRUE(picture_matches(d)) << "portrait: " << d.pixels << " of " << d.total << " pixels differ";
}

TEST_F(CamelotGame, TownsfolkStandWhereTheyBelongAndAreDrawnNearby) {
    ASSERT_TRUE(started);
    ASSERT_TRUE(villagers_have_figures());
    // The smith at his anvil, a guard at the west gate.
    float facing = 0.0f;
    Vec3 spot = workshop_position(5, &facing);
    EXPECT_NEAR(villager_state(0).position.x, spot.x, 1e-3f);
    EXPECT_NEAR(villager_state(0).position.z, spot.z, 1e-3f);
    EXPECT_NEAR(villager_state(6).position.x, CAMELOT_X - 127.0f, 1e-3f);
    // Seen from the market, figures are drawn; from the forest, none.
    int far_draws = 0, near_draws = 0;
    render_camera = {camelot_local_to_world(-40.0f, 2.0f, -8.0f), camelot_local_to_world(-40.0f, 1.0f, 10.0f), 60.0f};
    render_begin_frame();
    ambience_submit();
    near_draws = render_draw_count();
    render_camera = {{0, 3, 0}, {10, 2, 10}, 60.0f};
    render_begin_frame();
    ambience_submit();
    far_draws = render_draw_count();
    EXPECT_GT(near_draws, 100);
    EXPECT_EQ(far_draws, 0);
}

TEST_F(CamelotGame, PromptNamesTheNearestVillagerAndTheSword) {
    ASSERT_TRUE(started);
    char key[48];
    plat_key_name(bindings[BIND_INTERACT], key, (int)sizeof key);
    // Beside Vieux Mathieu, who stands still by the market cross.
    put_player(-33.5f, -2.4f, PI);
    step(false);
    ASSERT_TRUE(hud_prompt_shown());
    EXPECT_EQ(std::string(hud_prompt_text()), std::string(key) + " ou clic droit  ·  Parler à Vieux Mathieu");

    // Talking stops a walker for the talk: Isabeau on her way up street 1.
    VillagerState& isa = villager_state_mut(17);
    isa.pause = 0.0f;
    Vec3 at = isa.position;
    player.pos_x = at.x + 1.0f;
    player.pos_y = at.y;
    player.pos_z = at.z;
    step(true);
    step(false);
    EXPECT_GT(villager_state(17).pause, 5.5f);

    // At the sword in the stone: the prompt, and the message when pressed.
    player.pos_x = 64.0f + 2.6f;
    player.pos_z = 52.0f;
    player.pos_y = ground_height(player.pos_x, player.pos_z);
    step(false);
    EXPECT_EQ(std::string(hud_prompt_text()), std::string(key) + "  ·  Tenter de retirer l'épée");
    EXPECT_STRNE(shown_message(), "L'épée ne bouge pas d'un pouce.\nSeul le roi légitime pourra la retirer.");
    step(true);
    EXPECT_STREQ(shown_message(), "L'épée ne bouge pas d'un pouce.\nSeul le roi légitime pourra la retirer.");

    // Nothing in reach: no prompt.
    player.pos_x = 100.0f;
    player.pos_z = 100.0f;
    player.pos_y = ground_height(100.0f, 100.0f);
    step(false);
    EXPECT_FALSE(hud_prompt_shown());
}

TEST_F(CamelotGame, MapImageShowsTheTownPlan) {
    ASSERT_TRUE(started);
    const uint8_t* px = world_map_pixels();
    ASSERT_NE(px, nullptr);
    auto pixel = [&](float lx, float lz) {
        float x = CAMELOT_X + lx, z = CAMELOT_Z + lz;
        int c = (int)((x - WORLD_MAP_X0) / WORLD_MAP_SPAN * WORLD_MAP_SIZE);
        int r = (int)((z - WORLD_MAP_Z0) / WORLD_MAP_SPAN * WORLD_MAP_SIZE);
        const uint8_t* p = px + ((size_t)r * WORLD_MAP_SIZE + (size_t)c) * 4;
        Vec3 v = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
        return v;
    };
    // The painted plan is the plan's own colour where the plan has one.
    const HouseLot& l = camelot_lots()[3];
    Vec3 want;
    ASSERT_TRUE(camelot_map_colour(CAMELOT_X + l.lx, CAMELOT_Z + l.lz, &want));
    Vec3 got = pixel(l.lx, l.lz);
    EXPECT_NEAR(got.x, want.x, 0.01f);
    EXPECT_NEAR(got.y, want.y, 0.01f);
    Vec3 street = pixel(-100.0f, 0.0f), tower = pixel(120.0f, 120.0f);
    EXPECT_GT(std::fabs(street.x - got.x) + std::fabs(street.y - got.y), 0.1f);
    EXPECT_GT(std::fabs(tower.x - got.x) + std::fabs(tower.y - got.y), 0.1f);
    // The town on the map, for a person to look at.
    const int half = 150;
    int c0 = (int)((CAMELOT_X - WORLD_MAP_X0) / WORLD_MAP_SPAN * WORLD_MAP_SIZE) - half;
    int r0 = (int)((CAMELOT_Z - WORLD_MAP_Z0) / WORLD_MAP_SPAN * WORLD_MAP_SIZE) - half;
    std::vector<uint8_t> crop((size_t)(2 * half) * (2 * half) * 3);
    for (int r = 0; r < 2 * half; ++r)
        for (int c = 0; c < 2 * half; ++c)
            for (int k = 0; k < 3; ++k)
                crop[((size_t)(2 * half - 1 - r) * 2 * half + c) * 3 + k] =
                    px[((size_t)(r0 + r) * WORLD_MAP_SIZE + (size_t)(c0 + c)) * 4 + k];
    EXPECT_TRUE(write_ppm("camelot_map.ppm", crop, 2 * half, 2 * half));
}
