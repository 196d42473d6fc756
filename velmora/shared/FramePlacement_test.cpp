#include "velmora/shared/FramePlacement.h"

#include "platform/Profile.h"
#include "testsupport/platform/TestProfile.h"

#include <gtest/gtest.h>

TEST(FramePlacement, RectTextRoundTrip) {
    EXPECT_EQ(FormatPlacementRect(12, 34, 812, 634), "0012 0034 0812 0634");
    EXPECT_EQ(FormatPlacementRect(-8, -8, 1928, 1088), "-008 -008 1928 1088");
    int l, t, r, b;
    ParsePlacementRect("-008 -008 1928 1088", l, t, r, b);
    EXPECT_EQ(l, -8);
    EXPECT_EQ(t, -8);
    EXPECT_EQ(r, 1928);
    EXPECT_EQ(b, 1088);
}

TEST(FramePlacement, IntegersAreReadAtFixedPositions) {
    int l, t, r, b;
    // Shorter than 16 characters: what lies at each position, 0 beyond the end.
    ParsePlacementRect("0100 0200 03", l, t, r, b);
    EXPECT_EQ(l, 100);
    EXPECT_EQ(t, 200);
    EXPECT_EQ(r, 3);
    EXPECT_EQ(b, 0);

    // Positions, not fields: blanks before a number are skipped as atol does.
    ParsePlacementRect("1 2 3 4 5 6 7 8 9 10", l, t, r, b);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(t, 4);
    EXPECT_EQ(r, 6);
    EXPECT_EQ(b, 9);
}

TEST(FramePlacement, ProfileDefaultsAndRoundTrip) {
    ScopedTestProfile profile("[Global]\n");
    FramePlacement p = LoadFramePlacement(vx::Profile());
    EXPECT_FALSE(p.hasRect);
    EXPECT_FALSE(p.minimized);
    EXPECT_FALSE(p.maximized);
    EXPECT_TRUE(p.toolbar);
    EXPECT_TRUE(p.statusBar);

    FramePlacement s;
    s.left = 40, s.top = 30, s.right = 840, s.bottom = 630;
    s.minimized = true;
    s.maximized = true;
    s.toolbar = false;
    SaveFramePlacement(vx::Profile(), s);
    EXPECT_EQ(vx::Profile().GetString("Window size", "Rect"), "0040 0030 0840 0630");
    EXPECT_EQ(vx::Profile().GetString("Window size", "icon"), "1");
    EXPECT_EQ(vx::Profile().GetString("Window size", "max"), "1");
    EXPECT_EQ(vx::Profile().GetString("Window size", "tool"), "0");
    EXPECT_EQ(vx::Profile().GetString("Window size", "status"), "1");

    FramePlacement back = LoadFramePlacement(vx::Profile());
    EXPECT_TRUE(back.hasRect);
    EXPECT_EQ(back.left, 40);
    EXPECT_EQ(back.bottom, 630);
    EXPECT_TRUE(back.minimized);
    EXPECT_TRUE(back.maximized);
    EXPECT_FALSE(back.toolbar);
    EXPECT_TRUE(back.statusBar);
}
