// The interface rectangle: which box a pointer on an edge belongs to, and
// when two boxes count as overlapping.
#include <gtest/gtest.h>

#include "render/ui_rect.h"

namespace {

TEST(UiRect, EdgesAreHalfOpen) {
    const UiRect r = {10, 20, 30, 40};
    EXPECT_TRUE(r.contains(10, 20));         // top-left corner is inside
    EXPECT_TRUE(r.contains(39.99f, 59.99f));
    EXPECT_FALSE(r.contains(40, 30));        // right edge is the next box's
    EXPECT_FALSE(r.contains(20, 60));        // so is the bottom edge
    EXPECT_FALSE(r.contains(9.99f, 30));
    EXPECT_FALSE(r.contains(20, 19.99f));
}

TEST(UiRect, BoxesEdgeToEdgeClaimEachPointOnce) {
    // Two slots side by side and two rows one above the other: the pointer on
    // their shared edge is over exactly one of them.
    const UiRect left = {0, 0, 52.5f, 52.5f}, right = {52.5f, 0, 52.5f, 52.5f};
    const UiRect upper = {0, 0, 300, 40}, lower = {0, 40, 300, 40};
    for (float y : {0.0f, 26.0f, 52.0f})
        EXPECT_EQ(left.contains(52.5f, y) + right.contains(52.5f, y), 1) << y;
    for (float x : {0.0f, 150.0f, 299.0f})
        EXPECT_EQ(upper.contains(x, 40) + lower.contains(x, 40), 1) << x;
}

TEST(UiRect, EmptyBoxHoldsNothing) {
    EXPECT_FALSE((UiRect{5, 5, 0, 10}).contains(5, 7));
    EXPECT_FALSE((UiRect{5, 5, 10, 0}).contains(7, 5));
    EXPECT_FALSE((UiRect{5, 5, -4, 10}).contains(4, 7));
}

TEST(UiRect, OverlapNeedsSharedArea) {
    const UiRect a = {0, 0, 100, 50};
    const UiRect touching_right = {100, 0, 20, 20}, touching_below = {0, 50, 20, 20};
    const UiRect corner = {99, 49, 20, 20}, inside = {10, 10, 5, 5}, apart = {200, 0, 5, 5};
    EXPECT_FALSE(a.overlaps(touching_right));
    EXPECT_FALSE(a.overlaps(touching_below));
    EXPECT_TRUE(a.overlaps(corner));
    EXPECT_TRUE(a.overlaps(inside));  // wholly within still overlaps
    EXPECT_FALSE(a.overlaps(apart));
    for (const UiRect& b : {touching_right, touching_below, corner, inside, apart})
        EXPECT_EQ(a.overlaps(b), b.overlaps(a));
}

}  // namespace
