#include "velmora/DialogRules.h"

#include "platform/Profile.h"
#include "velmora/shared/TestProfile.h"

#include <gtest/gtest.h>

TEST(DialogRules, DecimalCommaReadAndShown) {
    EXPECT_DOUBLE_EQ(ParseDecimalComma("325,5"), 325.5);
    EXPECT_DOUBLE_EQ(ParseDecimalComma("325.5"), 325.5);
    // Only the first comma is a decimal point; atof stops at the second.
    EXPECT_DOUBLE_EQ(ParseDecimalComma("1,5,5"), 1.5);
    EXPECT_DOUBLE_EQ(ParseDecimalComma("abc"), 0.0);
    EXPECT_EQ(GeoHeightText(325.5), "325,5");
    EXPECT_EQ(GeoHeightText(0), "0,0");
    EXPECT_EQ(FormatDecimalComma(2.25, 2), "2,25");
}

TEST(DialogRules, GeoHeightLimits) {
    EXPECT_TRUE(GeoHeightAllowed(ParseDecimalComma("325,5")));
    EXPECT_TRUE(GeoHeightAllowed(0.0));
    EXPECT_TRUE(GeoHeightAllowed(5000.0));
    EXPECT_FALSE(GeoHeightAllowed(ParseDecimalComma("5000,1")));
    EXPECT_FALSE(GeoHeightAllowed(-0.1));
}

TEST(DialogRules, DefaultGeoHeightWrittenWithSixDecimals) {
    ScopedTestProfile profile("");
    WriteDefaultGeoHeight(325.5);
    EXPECT_EQ(vx::Profile().GetString("Grunddaten", "GeoHoehe"), "325.500000");
}

TEST(DialogRules, CrossSectionSizeLimits) {
    EXPECT_FALSE(CrossSectionSizeAllowed(ParseDecimalComma("0,04")));
    EXPECT_TRUE(CrossSectionSizeAllowed(0.05));
    EXPECT_TRUE(CrossSectionSizeAllowed(ParseDecimalComma("2")));
    EXPECT_FALSE(CrossSectionSizeAllowed(2.0001));
}

TEST(DialogRules, HeightRangeDefaultsStoredAndChecked) {
    ScopedTestProfile profile("[Global]\nHStart=6.0\n");
    HeightRangeTexts texts = LoadHeightRange();
    EXPECT_EQ(texts.start, "6.0");
    EXPECT_EQ(texts.step, "2.0");
    EXPECT_EQ(texts.end, "30.0");

    HeightRange range;
    texts = {"4,5", "1,5", "20"};
    ASSERT_EQ(CheckHeightRange(texts, range), -1);
    EXPECT_DOUBLE_EQ(range.start, 4.5);
    const HeightRangeTexts written = SaveHeightRange(range);
    EXPECT_EQ(written.start, "4.5");
    EXPECT_EQ(vx::Profile().GetString("Global", "HStart"), "4.5");
    EXPECT_EQ(vx::Profile().GetString("Global", "HStep"), "1.5");
    EXPECT_EQ(vx::Profile().GetString("Global", "HEnd"), "20.0");

    // A step that would never end the diagram's loop, and start not below end.
    EXPECT_EQ(CheckHeightRange({"4", "0", "30"}, range), 1);
    EXPECT_EQ(CheckHeightRange({"4", "-2", "30"}, range), 1);
    EXPECT_EQ(CheckHeightRange({"4", "0,04", "30"}, range), 1);  // kept as 0.0
    EXPECT_EQ(CheckHeightRange({"30", "2", "30"}, range), 0);
    EXPECT_EQ(CheckHeightRange({"31", "2", "30"}, range), 0);
}

TEST(DialogRules, HintSwitch) {
    ScopedTestProfile profile("");
    EXPECT_FALSE(HintSuppressed());
    SetHintSuppressed(true);
    EXPECT_EQ(vx::Profile().GetInt("Global", "Hinweis", -1), 1);
    EXPECT_TRUE(HintSuppressed());
}
