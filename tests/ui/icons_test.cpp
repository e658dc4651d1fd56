// The code-drawn icons: every number the game shows has a picture of its own,
// and a number outside the table gets the rune stone, not another icon.
#include <gtest/gtest.h>

#include <cstring>

#include "play/items.h"
#include "play/skills.h"
#include "render/icons.h"

namespace {

constexpr int CELLS = ICON_GRID * ICON_GRID;

bool same_cells(const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, CELLS) == 0; }

TEST(Icons, EveryItemAndSkillShowsAKnownIcon) {
    for (int id = 1; id <= ITEM_LAST; ++id) {
        int icon = item_icon(id);
        EXPECT_GE(icon, 0) << "item " << id;
        EXPECT_LT(icon, ICON_COUNT) << "item " << id;
    }
    for (int row = 0; row < SKILL_ROWS; ++row) {
        EXPECT_GE(skill_defs[row].icon, 0) << "skill row " << row;
        EXPECT_LT(skill_defs[row].icon, ICON_COUNT) << "skill row " << row;
    }
}

TEST(Icons, EachIconIsPaintedAndDistinct) {
    for (int i = 0; i < ICON_COUNT; ++i) {
        const uint8_t* c = icon_cells(i);
        int outline = 0, other = 0;
        for (int k = 0; k < CELLS; ++k) {
            EXPECT_LE(c[k], 11) << "icon " << i << " cell " << k;
            outline += c[k] == 1;
            other += c[k] > 1;
        }
        EXPECT_GT(outline, 0) << "icon " << i;
        EXPECT_GT(other, 0) << "icon " << i;
        for (int j = 0; j < i; ++j) EXPECT_FALSE(same_cells(c, icon_cells(j))) << i << " looks like " << j;
    }
}

TEST(Icons, UnknownNumbersDrawTheRuneStone) {
    const uint8_t* stone = icon_cells(-1);
    EXPECT_TRUE(same_cells(stone, icon_cells(ICON_COUNT)));
    EXPECT_TRUE(same_cells(stone, icon_cells(1000)));
    for (int i = 0; i < ICON_COUNT; ++i) EXPECT_FALSE(same_cells(stone, icon_cells(i))) << "icon " << i;
    int painted = 0;
    for (int k = 0; k < CELLS; ++k) painted += stone[k] != 0;
    EXPECT_GT(painted, 40);
}

}  // namespace
