// The record of texts and boxes on its own, on texts drawn by hand: what the
// walk of the screens relies on to tell a text out of place, and the fitted
// line that some screens mend with.
#include <gtest/gtest.h>

#include <string>

#include "render/hud.h"
#include "render/ui.h"
#include "tests/text_boxes/box_check.h"

namespace {

const Vec4 WHITE = {1, 1, 1, 1};

std::string all(const std::vector<std::string>& faults) {
    std::string out;
    for (const std::string& f : faults) out += f + "\n";
    return out;
}

}  // namespace

TEST(BoxCheck, TextInsideItsBoxPassesAndOneThatRunsPastItOrOffScreenIsNamed) {
    ui_record_begin();
    {
        UiBoxScope row(100, 100, 300, 40);
        ui_text(110, 108, "Potion de soin", 20, WHITE, UI_FONT_BODY);
    }
    EXPECT_TRUE(box_check::faults(800, 600).empty()) << all(box_check::faults(800, 600));
    {
        UiBoxScope row(100, 150, 120, 40);
        ui_text(110, 158, "Potion de soin mineure", 20, WHITE, UI_FONT_BODY);
    }
    ui_text(780, 300, "Hors de l'écran", 20, WHITE, UI_FONT_BODY);
    ui_record_end();
    std::vector<std::string> f = box_check::faults(800, 600);
    ASSERT_EQ(f.size(), 2u) << all(f);
    EXPECT_NE(f[0].find("\"Potion de soin mineure\""), std::string::npos);
    EXPECT_NE(f[0].find("leaves its box"), std::string::npos);
    EXPECT_NE(f[1].find("leaves the screen"), std::string::npos);
    ui_batch_clear();
}

// The shop's fault: a hint of the window drawn over a row of the same window.
TEST(BoxCheck, AWindowsTextOverOneOfItsRowsOrUnderABorderIsNamed) {
    ui_record_begin();
    {
        UiBoxScope window(0, 0, 400, 300, UI_BOX_LAYER, 2);
        {
            UiBoxScope row(20, 200, 360, 40);
        }
        ui_text_centred(200, 230, "Clic sur un objet du sac : le vendre", 16, WHITE, UI_FONT_BODY);
        ui_text(10, 290, "Sur le bord", 16, WHITE, UI_FONT_BODY);
    }
    ui_record_end();
    std::vector<std::string> f = box_check::faults(800, 600);
    ASSERT_EQ(f.size(), 2u) << all(f);
    EXPECT_NE(f[0].find("runs over box 20.0,200.0"), std::string::npos) << f[0];
    EXPECT_NE(f[1].find("\"Sur le bord\""), std::string::npos);
    ui_batch_clear();
}

// A tooltip is drawn over the windows: neither bound by the window it came
// from nor checked against its rows, but its own lines must stay inside it.
TEST(BoxCheck, ALayerStandsApartAndTwoTextsOfOneBoxMustNotCoverEachOther) {
    ui_record_begin();
    {
        UiBoxScope window(0, 0, 200, 200, UI_BOX_LAYER);
        {
            UiBoxScope row(10, 10, 180, 40);
        }
        UiBoxScope tip(150, 20, 300, 60, UI_BOX_LAYER);
        ui_text(160, 30, "Bottes de marche", 18, WHITE, UI_FONT_BODY);
    }
    EXPECT_TRUE(box_check::faults(800, 600).empty()) << all(box_check::faults(800, 600));
    {
        UiBoxScope panel(0, 300, 400, 100);
        ui_text(10, 310, "Niveau", 20, WHITE, UI_FONT_BODY);
        ui_text(40, 312, "Niveau", 20, WHITE, UI_FONT_BODY);
    }
    ui_record_end();
    std::vector<std::string> f = box_check::faults(800, 600);
    ASSERT_EQ(f.size(), 1u) << all(f);
    EXPECT_NE(f[0].find("cover each other"), std::string::npos);
    ui_batch_clear();
}

// Labels over the world may go anywhere, but not over a window drawn before
// them (they belong under the windows).
TEST(BoxCheck, ALabelOverTheWorldDrawnAfterAWindowOverItIsNamed) {
    ui_record_begin();
    {
        UiBoxScope label(0, 0, 0, 0, UI_BOX_LAYER | UI_BOX_FREE);
        ui_text_centred(-5, 100, "Enclume", 20, WHITE, UI_FONT_BODY);  // half off screen: fine
    }
    {
        UiBoxScope window(100, 100, 300, 300, UI_BOX_LAYER);
    }
    {
        UiBoxScope label(0, 0, 0, 0, UI_BOX_LAYER | UI_BOX_FREE);
        ui_text_centred(200, 200, "Enclume", 20, WHITE, UI_FONT_BODY);
    }
    ui_record_end();
    std::vector<std::string> f = box_check::faults(800, 600);
    ASSERT_EQ(f.size(), 1u) << all(f);
    EXPECT_NE(f[0].find("a label over the world, is drawn over the window"), std::string::npos);
    ui_batch_clear();
}

TEST(BoxCheck, BoxesLeftOpenAtTheFlushAreCounted) {
    ui_record_begin();
    ui_box_begin(0, 0, 10, 10);
    ui_flush();  // no GL here: it only empties the batch
    ui_record_end();
    EXPECT_EQ(ui_record_faults(), 1);
    ASSERT_EQ(box_check::faults(800, 600).size(), 1u);
    // Outside a record nothing is kept, and the boxes still pair up.
    ui_box_begin(0, 0, 10, 10);
    ui_text(0, 0, "rien", 10, WHITE, UI_FONT_BODY);
    ui_box_end();
    EXPECT_EQ(ui_recorded_text_count(), 0);
    ui_batch_clear();
}

TEST(FittedText, ALineThatFitsIsDrawnWholeALongerOneEndsWithAnEllipsisWithinItsWidth) {
    const float size = 20;
    ui_record_begin();
    float whole = ui_text_width("Potion de soin", size, UI_FONT_BODY);
    EXPECT_FLOAT_EQ(ui_text_fitted(0, 0, whole + 1, "Potion de soin", size, WHITE, UI_FONT_BODY), whole);
    float room = ui_text_width("Potion de soin mineure", size, UI_FONT_BODY) * 0.6f;
    float drawn = ui_text_fitted(0, 40, room, "Potion de soin mineure", size, WHITE, UI_FONT_BODY);
    EXPECT_LE(drawn, room);
    EXPECT_GT(drawn, room * 0.7f);
    ui_record_end();
    ASSERT_EQ(ui_recorded_text_count(), 2);
    EXPECT_STREQ(ui_recorded_texts()[0].text, "Potion de soin");
    // Cut at a letter, never right after a blank, and ended by "…".
    std::string cut = ui_recorded_texts()[1].text;
    ASSERT_GE(cut.size(), 4u);
    EXPECT_EQ(cut.substr(cut.size() - 3), "…");
    EXPECT_NE(cut[cut.size() - 4], ' ');
    EXPECT_EQ(std::string("Potion de soin mineure").rfind(cut.substr(0, cut.size() - 3), 0), 0u) << cut;
    // Accented letters are never split.
    ui_record_begin();
    ui_text_fitted(0, 0, ui_text_width("Jambières", size, UI_FONT_BODY), "Jambières du Val", size, WHITE,
                   UI_FONT_BODY);
    ui_record_end();
    std::string accented = ui_recorded_texts()[0].text;
    EXPECT_EQ(std::string("Jambières du Val").rfind(accented.substr(0, accented.size() - 3), 0), 0u) << accented;
    int pos = 0;
    for (int32_t cp; (cp = ui_decode_utf8(accented.c_str(), &pos)) >= 0;) EXPECT_NE(cp, '?') << accented;
    ui_batch_clear();
}

TEST(FittedText, InkRowsOfALineWithADescenderReachBelowItsBaseline) {
    float top, bottom, top2, bottom2;
    ui_text_ink_rows("Rage", 20, UI_FONT_BODY, &top, &bottom);
    ui_text_ink_rows("Mana", 20, UI_FONT_BODY, &top2, &bottom2);
    EXPECT_GT(top, 0.0f);
    EXPECT_NEAR(top, top2, 1.0f);
    EXPECT_GT(bottom, bottom2 + 2.0f) << "the g hangs below";
    EXPECT_LT(bottom2, 20 * ui_baseline_factor(UI_FONT_BODY) + 1.0f);
    ui_text_ink_rows("", 20, UI_FONT_BODY, &top, &bottom);
    EXPECT_EQ(top, 0.0f);
    EXPECT_EQ(bottom, 0.0f);
}
