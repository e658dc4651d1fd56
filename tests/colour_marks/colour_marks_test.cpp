// What the interface tells by colour is told by a shape too once a
// colour-vision correction is chosen, and only then: the real game started
// once on the headless backend, its drawing functions called and their 2D
// batch read back. Pictures of a fight and of the big map in the four modes
// are left in the build folder (colour_marks_fight_<mode>.png,
// colour_marks_map_<mode>.png); the README's montages are made of them with
//   montage -label '%t' <four pictures> -tile 2x2 -geometry +4+4 -background '#222' -fill '#ddd' out.png
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "content/professions.h"
#include "game/main_loop.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "play/ambience_rules.h"
#include "play/bindings.h"
#include "play/combat.h"
#include "play/creatures.h"
#include "play/items.h"
#include "play/player.h"
#include "play/player_input.h"
#include "render/hud.h"
#include "render/renderer.h"
#include "render/ui.h"
#include "tests/support/drawn_text.h"
#include "tests/support/scene_economy.h"
#include "tests/support/scene_start.h"
#include "ui/item_windows.h"
#include "ui/map_marks.h"
#include "ui/maps.h"
#include "ui/professions_screen.h"
#include "world/terrain.h"

namespace {

constexpr int W = 1280, H = 720;
const char* const MODE_NAMES[VISION_MODE_COUNT] = {"normale", "protanopie", "deuteranopie", "tritanopie"};

bool started = false;

void frame(bool draw) {
    InputState s;
    std::memset(&s, 0, sizeof s);
    s.client_width = W;
    s.client_height = H;
    s.window_active = 1;
    s.mouse_x = 4;
    s.mouse_y = H - 4;
    headless_set_input_script(&s, 1);
    main_loop_set_draw_interval(draw ? 1 : 1000000);
    game_frame();
}

using Quad = DrawnQuad;

// What `draw` puts into the 2D batch, which is left empty.
template <class Draw>
std::vector<Quad> quads_drawn_by(Draw draw) {
    ui_batch_clear();
    draw();
    std::vector<Quad> q = drawn_quads();
    ui_batch_clear();
    return q;
}

bool same(Vec4 a, Vec4 b) {
    return std::fabs(a.x - b.x) < 1e-4f && std::fabs(a.y - b.y) < 1e-4f && std::fabs(a.z - b.z) < 1e-4f &&
           std::fabs(a.w - b.w) < 1e-4f;
}

// Flat quads of exactly that colour, no wider than `max_w` pixels.
int flat_quads(const std::vector<Quad>& q, Vec4 colour, float max_w = 1e9f) {
    int n = 0;
    for (const Quad& k : q) n += k.mode == UI_FLAT && same(k.colour, colour) && k.x1 - k.x0 <= max_w;
    return n;
}

// What one call draws, as a coverage mask around (x, y) whole pixels, flat
// quads only: a shape to compare with another's.
template <class Fn>
std::vector<bool> shape_of(Fn draw) {
    constexpr int N = 32;
    ui_batch_clear();
    draw(100.0f, 100.0f);
    std::vector<bool> mask(N * N, false);
    for (const Quad& k : drawn_quads()) {
        if (k.mode != UI_FLAT) continue;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                float px = 100.0f - N / 2 + x + 0.5f, py = 100.0f - N / 2 + y + 0.5f;
                if (px >= k.x0 && px < k.x1 && py >= k.y0 && py < k.y1) mask[y * N + x] = true;
            }
    }
    ui_batch_clear();
    return mask;
}

class ColourMarks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        started = start_in_play(W, H, 0.05);
        hud_scale = (float)H / 1080.0f;
    }
    void TearDown() override { view_settings.colour_vision = VISION_NORMAL; }
};

// Five foes at the player's level -8, -4, 0, +3 and +6, in a row before him
// on open ground, standing still; the player's target is the strongest.
struct Lineup {
    Creature* foes[5] = {};
    const int gaps[5] = {-8, -4, 0, 3, 6};
    void make() {
        Vec3 at = open_ground(60.0f, 60.0f);
        player.pos_x = at.x;
        player.pos_y = at.y;
        player.pos_z = at.z;
        player.heading = PI * 0.5f;  // facing +x
        player.camera_yaw = PI * 0.5f;
        player.camera_pitch = 0.2f;
        player.camera_pos = {at.x - 6.0f, at.y + 3.0f, at.z};
        set_level_and_experience(12, 0);
        for (int i = 0; i < 5; ++i) {
            // Near and far in turn, so that neighbours' names do not run together.
            float x = at.x + (i % 2 ? 6.5f : 4.5f), z = at.z - 4.4f + 2.2f * (float)i;
            foes[i] = spawn_creature(i % 2 ? SP_WOLF : SP_BOAR, {x, ground_height(x, z), z}, {x, 0, z});
            ASSERT_NE(foes[i], nullptr);
            set_creature_level(foes[i], player.level + gaps[i]);
            foes[i]->heading = -PI * 0.5f;
            foes[i]->show_bar = 1;
        }
        player.target = foes[4];
        player.target_hold = 60.0f;
    }
    void clear() {
        player.target = nullptr;
        for (Creature* c : foes)
            if (c) free_creature(c);
    }
};

}  // namespace

// The name of a foe carries as many solid bars as its danger (none for one
// far below the player, four for one far above), in its colour, and so does
// the target frame; in the normal mode there are none. The bars come from
// the danger handed with the name, not from its colour: a villager's name of
// a foe's colour gets none.
TEST_F(ColourMarks, CreatureNamesTellTheirDangerByBars) {
    ASSERT_TRUE(started);
    Lineup line;
    line.make();
    for (int i = 0; i < 3; ++i) frame(i == 2);  // the camera settles, one frame drawn
    for (int mode = VISION_NORMAL; mode < VISION_MODE_COUNT; ++mode) {
        SCOPED_TRACE(MODE_NAMES[mode]);
        view_settings.colour_vision = mode;
        const std::vector<Quad> q = quads_drawn_by(creatures_draw_labels);
        for (int i = 0; i < 5; ++i) {
            const Vec3 c = level_colour(line.gaps[i]);
            const int bars = flat_quads(q, Vec4{c.x, c.y, c.z, 1.0f});
            // The last one is the target: its frame at the top tells it again.
            const int expected = mode == VISION_NORMAL ? 0 : (i == 4 ? 2 * i : i);
            EXPECT_EQ(bars, expected) << "gap " << line.gaps[i];
        }
    }
    line.clear();
    view_settings.colour_vision = VISION_PROTANOPIA;
    std::set<int> seen;
    for (int d = -12; d <= 12; ++d) {
        const Vec3 c = level_colour(d);
        const Vec4 colour = {c.x, c.y, c.z, 1.0f};
        const Vec3 at = render_camera.target;
        const auto plain = [&] { hud_world_label(at, "Loup  niv. 3", 0.16f, colour, UI_FONT_BODY); };
        const auto marked = [&] {
            hud_world_label_danger(at, "Loup  niv. 3", 0.16f, colour, UI_FONT_BODY, level_danger(d));
        };
        EXPECT_EQ(flat_quads(quads_drawn_by(plain), colour), 0) << "a plain label, gap " << d;
        seen.insert(flat_quads(quads_drawn_by(marked), colour));
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4}));
}

// At the largest text size the bars over the foes are larger and their names
// are raised as much: no letter of a name comes down onto its bar.
TEST_F(ColourMarks, NamesStayClearOfTheirBarsAtTheLargestText) {
    ASSERT_TRUE(started);
    Lineup line;
    line.make();
    for (int i = 0; i < 3; ++i) frame(i == 2);
    for (int size : {HUD_TEXT_SIZE_DEFAULT, HUD_TEXT_SIZE_MAX}) {
        SCOPED_TRACE(size);
        hud_text_size = size;
        hud_scale_update();
        const std::vector<Quad> q = quads_drawn_by(creatures_draw_labels);
        // The bars' frames, then each foe's letters (in its own colour)
        // against the frame under them; the target frame at the top is not
        // over the world.
        const float world_top = 120.0f * hud_scale;
        std::vector<Quad> frames;
        for (const Quad& k : q)
            if (k.mode == UI_FLAT && same(k.colour, Vec4{0.05f, 0.05f, 0.04f, 0.85f}) && k.y0 > world_top)
                frames.push_back(k);
        ASSERT_EQ(frames.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            const Vec3 c = level_colour(line.gaps[i]);
            float x0 = 1e9f, x1 = -1e9f, bottom = -1e9f;
            for (const Quad& k : q)
                if (k.mode == UI_GLYPH && same(k.colour, Vec4{c.x, c.y, c.z, 1.0f}) && k.y0 > world_top) {
                    x0 = std::fmin(x0, k.x0);
                    x1 = std::fmax(x1, k.x1);
                    bottom = std::fmax(bottom, k.y1);
                }
            ASSERT_LT(x0, x1) << "gap " << line.gaps[i];
            const Quad* under = nullptr;
            for (const Quad& f : frames)
                if (!under || std::fabs((f.x0 + f.x1) - (x0 + x1)) < std::fabs((under->x0 + under->x1) - (x0 + x1)))
                    under = &f;
            EXPECT_LE(bottom, under->y0) << "gap " << line.gaps[i];
        }
    }
    hud_text_size = HUD_TEXT_SIZE_DEFAULT;
    hud_scale_update();
    line.clear();
}

// The quest mark still in hand (grey "?") differs from the one to hand in
// (gold "?") by a glyph, not its colour alone, and only with a correction.
TEST_F(ColourMarks, AQuestInHandIsToldFromOneToHandIn) {
    ASSERT_TRUE(started);
    frame(true);
    const Vec3 at = render_camera.target;
    auto texts = [&](Vec4 colour) {
        HudMark m = {};
        m.at = at + Vec3{0, 0.5f, 0};
        m.text = "?";
        m.size = 0.64f;
        m.colour = colour;
        m.font = UI_FONT_TITLE;
        ui_record_begin();
        hud_world_label_marked(at, "Dame Viviane", 0.144f, Vec4{0.95f, 0.85f, 0.55f, 1}, UI_FONT_BODY, m);
        ui_record_end();
        std::string all;
        for (int i = 0; i < ui_recorded_text_count(); ++i) all += std::string(ui_recorded_texts()[i].text) + "|";
        ui_batch_clear();
        return all;
    };
    const Vec4 grey = {0.65f, 0.65f, 0.62f, 1}, gold = {1.0f, 0.82f, 0.15f, 1};
    EXPECT_EQ(texts(grey), texts(gold)) << "normal mode: as it always was";
    view_settings.colour_vision = VISION_TRITANOPIA;
    EXPECT_NE(texts(grey), texts(gold));
    EXPECT_NE(texts(grey).find("…"), std::string::npos);
}

// On the maps each kind of mark has a shape of its own with a correction;
// in the normal mode plants, people and other players share the square
// (their colour alone told them), as the reference pictures show.
TEST_F(ColourMarks, MapMarksHaveAShapePerKind) {
    ASSERT_TRUE(started);
    auto shapes = [] {
        const float r = 4.0f;
        return std::vector<std::vector<bool>>{
            shape_of([&](float x, float y) { map_mark_node(x, y, r, false); }),
            shape_of([&](float x, float y) { map_mark_node(x, y, r, true); }),
            shape_of([&](float x, float y) { map_mark_person(x, y, r, 0); }),
            shape_of([&](float x, float y) { map_mark_other_player(x, y, r); }),
            shape_of([&](float x, float y) { map_mark_place(x, y, r); }),
        };
    };
    const std::vector<std::vector<bool>> plain = shapes();
    EXPECT_EQ(plain[0], plain[2]);
    EXPECT_EQ(plain[2], plain[3]);
    view_settings.colour_vision = VISION_DEUTERANOPIA;
    const std::vector<std::vector<bool>> marked = shapes();
    for (size_t a = 0; a < marked.size(); ++a)
        for (size_t b = a + 1; b < marked.size(); ++b) EXPECT_NE(marked[a], marked[b]) << a << " and " << b;
    // A giver shows the sign of what he has for the player; one whose quest
    // is in hand shows none.
    auto signs = [](int quest) {
        ui_record_begin();
        map_mark_person(100, 100, 4.0f, quest);
        ui_record_end();
        std::string all;
        for (int i = 0; i < ui_recorded_text_count(); ++i) all += ui_recorded_texts()[i].text;
        ui_batch_clear();
        return all;
    };
    EXPECT_EQ(signs(1), "!");
    EXPECT_EQ(signs(2), "?");
    EXPECT_EQ(signs(3), "");
    view_settings.colour_vision = VISION_NORMAL;
    EXPECT_EQ(signs(1), "");
}

// Every item frame of the bag carries as many pips as its quality's rank
// (none for grey), in the quality's colour; none in the normal mode.
TEST_F(ColourMarks, ItemFramesCountTheirQuality) {
    ASSERT_TRUE(started);
    inventory_clear();
    int by_quality[5] = {0, 0, 0, 0, 0};
    int wanted[5] = {0, 0, 0, 0, 0};
    for (int id = 1; id <= ITEM_LAST; ++id) {
        const int q = (int)item_def(id).quality;
        if (q < 0 || q > 4 || wanted[q] >= 2) continue;
        if (add_to_bag(id)) ++wanted[q];
    }
    for (int q = 0; q < 5; ++q) ASSERT_GE(wanted[q], 1) << "an item of quality " << q;
    game_flags.character_sheet_open = 1;
    for (int mode : {VISION_NORMAL, VISION_PROTANOPIA}) {
        SCOPED_TRACE(MODE_NAMES[mode]);
        view_settings.colour_vision = mode;
        const std::vector<Quad> q = quads_drawn_by(character_sheet_draw);
        for (int k = 0; k < 5; ++k) {
            by_quality[k] = flat_quads(q, quality_colour(k), 8.0f);
            EXPECT_EQ(by_quality[k], mode == VISION_NORMAL ? 0 : k * wanted[k]) << "quality " << k;
        }
    }
    game_flags.character_sheet_open = 0;
    inventory_clear();
}

// A recipe's difficulty in bars beside its level, and the legend says so.
TEST_F(ColourMarks, RecipesTellTheirDifficultyByBars) {
    ASSERT_TRUE(started);
    // The bars follow the colours' order, one band each.
    EXPECT_EQ(recipe_level_steps(-1), 4);
    EXPECT_EQ(recipe_level_steps(0), 3);
    EXPECT_EQ(recipe_level_steps(14), 3);
    EXPECT_EQ(recipe_level_steps(15), 2);
    EXPECT_EQ(recipe_level_steps(44), 1);
    EXPECT_EQ(recipe_level_steps(45), 0);
    professions_open(true);
    auto look = [] {
        ui_record_begin();
        professions_draw();
        ui_record_end();
        std::string legend;
        for (int i = 0; i < ui_recorded_text_count(); ++i)
            if (std::strncmp(ui_recorded_texts()[i].text, "Les ", 4) == 0) legend = ui_recorded_texts()[i].text;
        const std::vector<Quad> q = drawn_quads();
        ui_batch_clear();
        return std::make_pair(legend, q);
    };
    auto [plain_legend, plain] = look();
    view_settings.colour_vision = VISION_PROTANOPIA;
    auto [legend, marked] = look();
    professions_open(false);
    EXPECT_EQ(plain_legend.rfind("Les couleurs", 0), 0u);
    EXPECT_EQ(legend.rfind("Les barres", 0), 0u);
    // The first recipe row's level colour has its bars.
    const int recipe = professions_recipe_at_row(0);
    ASSERT_GE(recipe, 0);
    const int gap = profession_level[recipes[recipe].profession] - recipes[recipe].level;
    const Vec4 lc = recipe_level_colour(gap);
    EXPECT_EQ(flat_quads(plain, lc), 0);
    EXPECT_GE(flat_quads(marked, lc), recipe_level_steps(gap));
}

// A fight and the big map in each mode, for the README and a person to look at.
TEST_F(ColourMarks, PicturesOfEachMode) {
    ASSERT_TRUE(started);
    Lineup line;
    line.make();
    for (int i = 0; i < 3; ++i) frame(false);
    for (int mode = VISION_NORMAL; mode < VISION_MODE_COUNT; ++mode) {
        view_settings.colour_vision = mode;
        player.camera_pitch = 0.2f;  // the same view in each
        frame(true);
        EXPECT_TRUE(headless_screenshot((std::string("colour_marks_fight_") + MODE_NAMES[mode] + ".png").c_str()));
    }
    line.clear();
    big_map_set_open(true);
    for (int mode = VISION_NORMAL; mode < VISION_MODE_COUNT; ++mode) {
        view_settings.colour_vision = mode;
        frame(true);
        EXPECT_TRUE(headless_screenshot((std::string("colour_marks_map_") + MODE_NAMES[mode] + ".png").c_str()));
    }
    big_map_set_open(false);
}
