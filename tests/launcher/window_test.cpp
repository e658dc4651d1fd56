// The launcher window's picture: what is enabled, said and drawn where.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launcher/layout.h"
#include "launcher/sdl/canvas.h"

namespace {

LauncherStatus status_in(int state) {
    LauncherStatus st{};
    st.state = state;
    st.progress = -1;
    return st;
}

struct Scene {
    LauncherScene s;
    std::vector<const DrawOp*> texts(const std::string& prefix = "") const {
        std::vector<const DrawOp*> out;
        for (int i = 0; i < s.count; i++)
            if (s.ops[i].kind == DRAW_TEXT && std::string(scene_text(s, s.ops[i])).rfind(prefix, 0) == 0)
                out.push_back(&s.ops[i]);
        return out;
    }
    const DrawOp* text(const std::string& exact) const {
        for (const DrawOp* op : texts())
            if (scene_text(s, *op) == exact) return op;
        return nullptr;
    }
    std::vector<const DrawOp*> buttons() const {
        std::vector<const DrawOp*> out;
        for (int i = 0; i < s.count; i++)
            if (s.ops[i].kind == DRAW_BUTTON) out.push_back(&s.ops[i]);
        return out;
    }
};

Scene* layout(const LauncherStatus& st, bool game, int hover = HOVER_NONE, float scale = 1.0f) {
    static Scene scene;
    int w, h;
    launcher_client_size(scale, &w, &h);
    launcher_layout(st, game, hover, scale, w, h, &scene.s);
    return &scene;
}

TEST(LauncherWindow, MainButtonPerStateAndGamePresence) {
    struct Row {
        int state;
        bool game;
        bool enabled;
        const char* label;
    } rows[] = {
        {STATE_CHECKING, true, false, "Jouer"},       {STATE_DOWNLOADING, true, false, "Jouer"},
        {STATE_READY, true, true, "Jouer"},           {STATE_READY, false, false, "Jouer"},
        {STATE_UNREACHABLE, true, true, "Jouer"},     {STATE_UNREACHABLE, false, false, "Jouer"},
        {STATE_DOWNLOAD_FAILED, true, true, "Jouer"}, {STATE_DOWNLOAD_FAILED, false, false, "Jouer"},
        {STATE_REPLACE_FAILED, true, true, "Réessayer"}, {STATE_REPLACE_FAILED, false, true, "Réessayer"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "state " << r.state << " game " << r.game);
        EXPECT_EQ(main_button_enabled(r.state, r.game), r.enabled);
        EXPECT_STREQ(main_button_label(r.state), r.label);
        EXPECT_FALSE(r.state == STATE_REPLACE_FAILED && can_play(r.state, r.game));
        Scene* sc = layout(status_in(r.state), r.game);
        auto buttons = sc->buttons();
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0]->color, 0x344038u);  // quit: always enabled, secondary
        EXPECT_EQ(buttons[1]->color, r.enabled ? 0xCEA446u : 0x2E3430u);
        const DrawOp* label = sc->text(r.label);
        ASSERT_TRUE(label);
        EXPECT_EQ(label->color, r.enabled ? 0x1E180Cu : 0x787C78u);
    }
}

TEST(LauncherWindow, HoverColoursAndHitTesting) {
    Scene* sc = layout(status_in(STATE_READY), true, HOVER_MAIN);
    EXPECT_EQ(sc->buttons()[1]->color, 0xE8BE5Cu);
    EXPECT_EQ(sc->buttons()[1]->outline, 0xECC86Eu);
    sc = layout(status_in(STATE_READY), true, HOVER_QUIT);
    EXPECT_EQ(sc->buttons()[0]->color, 0x46544Au);
    // Buttons: quit (36,346)-(196,388), main (W-236,346)-(W-36,388).
    EXPECT_EQ(launcher_hover_at(1, 620, 36, 346), HOVER_QUIT);
    EXPECT_EQ(launcher_hover_at(1, 620, 195, 387), HOVER_QUIT);
    EXPECT_EQ(launcher_hover_at(1, 620, 196, 360), HOVER_NONE);
    EXPECT_EQ(launcher_hover_at(1, 620, 384, 346), HOVER_MAIN);
    EXPECT_EQ(launcher_hover_at(1, 620, 583, 387), HOVER_MAIN);
    EXPECT_EQ(launcher_hover_at(1, 620, 500, 345), HOVER_NONE);
    EXPECT_EQ(launcher_hover_at(1.5f, 930, 576, 519), HOVER_MAIN);
}

TEST(LauncherWindow, ScaleFollowsTheScreen) {
    EXPECT_FLOAT_EQ(launcher_scale(96), 1.0f);
    EXPECT_FLOAT_EQ(launcher_scale(72), 1.0f);
    EXPECT_FLOAT_EQ(launcher_scale(144), 1.5f);
    int w, h;
    launcher_client_size(launcher_scale(144), &w, &h);
    EXPECT_EQ(w, 930);
    EXPECT_EQ(h, 615);
    PixelRect quit, main;
    launcher_buttons(1.5f, 930, &quit, &main);
    EXPECT_EQ(quit.x0, 54);
    EXPECT_EQ(quit.y1, 582);
    EXPECT_EQ(main.x0, 576);
    EXPECT_EQ(main.x1, 876);
    Scene* sc = layout(status_in(STATE_READY), true, HOVER_NONE, 1.5f);
    EXPECT_EQ(sc->text("Tervanne")->font_px, 69);
    EXPECT_EQ(sc->text("Jouer")->font_px, 26);
    EXPECT_EQ(sc->buttons()[0]->corner, 12);
}

TEST(LauncherWindow, NotesHeadingAndCutAtTheBottomOfThePanel) {
    LauncherStatus st = status_in(STATE_READY);
    strcpy(st.new_version, "2.1");
    Scene* sc = layout(st, true);
    EXPECT_TRUE(sc->text("Nouveautés"));  // no notes: no version in the heading
    EXPECT_EQ(sc->text("Les nouveautés s'affichent ici quand le site est joignable.")->color, 0xA0A49Cu);
    EXPECT_TRUE(layout(status_in(STATE_CHECKING), true)->text("…"));

    st.note_count = 8;
    for (int i = 0; i < 8; i++) snprintf(st.notes[i], sizeof st.notes[i], "note %d", i);
    std::string long_note(159, 'z');
    strcpy(st.notes[1], long_note.c_str());
    sc = layout(st, true);
    EXPECT_TRUE(sc->text("Nouveautés de la version 2.1"));
    auto lines = sc->texts("• ");
    ASSERT_EQ(lines.size(), 5u);  // 156, 177, 198, 219, 240; 261 would pass 256
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(lines[i]->y0, 156 + 21 * (int)i);
        EXPECT_EQ(lines[i]->y1 - lines[i]->y0, 20);
        EXPECT_EQ(lines[i]->color, 0xE2DCCCu);
        EXPECT_TRUE(lines[i]->flags & TEXT_ELLIPSIS);
    }
    EXPECT_EQ(std::string(scene_text(sc->s, *lines[1])), "• " + long_note);
    strcpy(st.notes[1], (std::string(170, 'y')).c_str());  // 172 characters with the bullet
    sc = layout(st, true);
    EXPECT_EQ(std::string(scene_text(sc->s, *sc->texts("• ")[1])), "• " + std::string(167, 'y'));
}

TEST(LauncherWindow, StatusColourProgressAndInstalledVersion) {
    LauncherStatus st = status_in(STATE_DOWNLOADING);
    strcpy(st.status_text, "Téléchargement de la version 2…");
    st.progress = 0.5f;
    Scene* sc = layout(st, true);
    EXPECT_EQ(sc->text(st.status_text)->color, 0xE2DCCCu);
    EXPECT_TRUE(sc->text("Version installée : inconnue"));
    int fill_w = -1;
    for (int i = 0; i < sc->s.count; i++)
        if (sc->s.ops[i].kind == DRAW_RECT && sc->s.ops[i].color == 0xCEA446u) fill_w = sc->s.ops[i].x1 - sc->s.ops[i].x0;
    EXPECT_EQ(fill_w, 274);  // half of 620 - 72

    st.progress = 3.0f;  // never wider than the track
    sc = layout(st, true);
    for (int i = 0; i < sc->s.count; i++) {
        if (sc->s.ops[i].color == 0xCEA446u && sc->s.ops[i].kind == DRAW_RECT) {
            EXPECT_EQ(sc->s.ops[i].x1, 584);
        }
    }

    for (int state : {STATE_REPLACE_FAILED, STATE_DOWNLOAD_FAILED}) {
        st = status_in(state);
        strcpy(st.status_text, "échec");
        strcpy(st.installed_version, "1.9");
        sc = layout(st, true);
        EXPECT_EQ(sc->text("échec")->color, 0xF09678u);
        EXPECT_TRUE(sc->text("Version installée : 1.9"));
        for (int i = 0; i < sc->s.count; i++) EXPECT_NE(sc->s.ops[i].color, 0x0A100Du) << "no bar without progress";
    }
}

// The software painter used by the Linux window puts those colours where
// the layout says.
TEST(LauncherWindow, PaintedPixels) {
    canvas_load_fonts();
    LauncherStatus st = status_in(STATE_READY);
    st.progress = 1.0f;
    strcpy(st.status_text, "Le jeu est à jour (version 1.0).");
    Scene* sc = layout(st, true, HOVER_QUIT);
    std::vector<uint32_t> px(620 * 410, 0);
    canvas_paint(sc->s, px.data(), 620, 410, 620);
    auto at = [&](int x, int y) { return px[y * 620 + x] & 0xFFFFFF; };
    EXPECT_EQ(at(0, 0), 0x162A20u);          // background top
    EXPECT_EQ(at(619, 409), 0x0A100Eu);      // background bottom, f = 408/410
    EXPECT_EQ(at(40, 200), 0x0E1612u);       // news panel
    EXPECT_EQ(at(300, 104), 0x967C40u);      // rule
    EXPECT_EQ(at(300, 326), 0xCEA446u);      // full progress
    EXPECT_EQ(at(116, 350), 0x46544Au);      // hovered quit button fill
    EXPECT_EQ(at(500, 346), 0xECC86Eu);      // main button outline
    EXPECT_EQ(at(400, 384), 0xCEA446u);      // main button fill
    EXPECT_NE(at(36, 346), 0xECC86Eu);       // rounded corner is not square
    // Some gold title ink in the title band.
    int gold = 0;
    for (int y = 18; y < 72; y++)
        for (int x = 0; x < 620; x++) gold += at(x, y) == 0xECC86Eu;
    EXPECT_GT(gold, 100);
}

}  // namespace

namespace {

// Columns holding ink of one colour between y0 and y1 (first, last; -1 if none).
std::pair<int, int> ink_columns(const std::vector<uint32_t>& px, int y0, int y1, uint32_t ink) {
    int first = -1, last = -1;
    for (int x = 0; x < 620; x++)
        for (int y = y0; y < y1; y++)
            if ((px[y * 620 + x] & 0xFFFFFF) == ink) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

}  // namespace

// The installed version sits between the buttons whatever the face: a
// line wider than its box is drawn smaller, never cut at the box's edges
// (or hidden under "Quitter"); one that fits keeps its size.
TEST(LauncherWindow, InstalledVersionStaysWithinItsBox) {
    canvas_load_fonts();
    for (const char* version : {"", "1.0", "2024.12.31-correctif-7"}) {
        SCOPED_TRACE(version);
        LauncherStatus st = status_in(STATE_UNREACHABLE);
        strcpy(st.installed_version, version);
        Scene* sc = layout(st, true);
        std::vector<uint32_t> px(620 * 410, 0);
        canvas_paint(sc->s, px.data(), 620, 410, 620);
        const auto [first, last] = ink_columns(px, 346, 388, 0x828A80u);
        ASSERT_GE(first, 0);
        EXPECT_GT(first, 200);  // box from 200 to W - 240 = 380
        EXPECT_LT(last, 379);
    }
    auto measure = [](int px, const void*) { return px * 10; };
    EXPECT_EQ(launcher_fit_px(15, 150, measure, nullptr), 15);
    EXPECT_EQ(launcher_fit_px(15, 120, measure, nullptr), 12);
    EXPECT_EQ(launcher_fit_px(15, 10, measure, nullptr), 9);  // never below 60 %
}
