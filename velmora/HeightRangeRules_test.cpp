#include "velmora/HeightRangeRules.h"

#include "platform/Profile.h"
#include "testsupport/platform/TestProfile.h"

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

TEST(DialogRules, TypedNumbersNeedTheirSyntax) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"325,5", true, 325.5}, {" 325.5 ", true, 325.5}, {"-1", true, -1.0}, {"7", true, 7.0},
        {",5", true, 0.5},      {"abc", false, 0},         {"", false, 0},      {"   ", false, 0},
        {"-", false, 0},        {",", false, 0},           {"1,5,5", false, 0}, {"1e308", false, 0},
        {"12,5*", false, 0},    {"1-2", false, 0},         {"--1", false, 0},   {"3 5", false, 0},
    };
    for (const Case& c : cases) {
        double v = -99;
        EXPECT_EQ(ReadTypedNumber(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
    // The range is checked only for a number, and only a passing one is taken.
    double v = -99;
    EXPECT_EQ(CheckTypedNumber("abc", 0, 5000, IDS_GEOHOEHE_BEREICH, v), unsigned(IDS_KEINE_ZAHL));
    EXPECT_EQ(CheckTypedNumber("5000,1", 0, 5000, IDS_GEOHOEHE_BEREICH, v), unsigned(IDS_GEOHOEHE_BEREICH));
    EXPECT_DOUBLE_EQ(v, -99);
    EXPECT_EQ(CheckTypedNumber("5000", 0, 5000, IDS_GEOHOEHE_BEREICH, v), 0u);
    EXPECT_DOUBLE_EQ(v, 5000);
}

TEST(DialogRules, HeightRangeDefaultsStoredAndChecked) {
    ScopedTestProfile profile("[Global]\nHStart=6.0\n");
    HeightRangeTexts texts = LoadHeightRange();
    EXPECT_EQ(texts.start, "6,0");
    EXPECT_EQ(texts.step, "2,0");
    EXPECT_EQ(texts.end, "30,0");

    HeightRange range;
    texts = {"4,5", "1,5", "20"};
    ASSERT_EQ(CheckHeightRange(texts, range), -1);
    EXPECT_DOUBLE_EQ(range.start, 4.5);
    const HeightRangeTexts written = SaveHeightRange(range);
    EXPECT_EQ(written.start, "4,5");
    EXPECT_EQ(written.end, "20,0");
    // The profile keeps the C locale's point.
    EXPECT_EQ(vx::Profile().GetString("Global", "HStart"), "4.5");
    EXPECT_EQ(vx::Profile().GetString("Global", "HStep"), "1.5");
    EXPECT_EQ(vx::Profile().GetString("Global", "HEnd"), "20.0");
}

TEST(DialogRules, HeightRangeLimitsNameTheFieldAndTheMessage) {
    struct Case {
        HeightRangeTexts texts;
        int wrong;
        unsigned message;
    };
    const Case cases[] = {
        {{"4", "0", "30"}, 1, IDS_SCHRITT_BEREICH},
        {{"4", "-2", "30"}, 1, IDS_SCHRITT_BEREICH},
        {{"4", "0,04", "30"}, 1, IDS_SCHRITT_BEREICH},  // kept as 0.0
        {{"4", "0,1", "20"}, -1, 0},                     // 161 heights
        {{"1", "0,1", "100"}, 1, IDS_ZU_VIELE_HOEHEN},   // 991 heights
        {{"1", "0,5", "100"}, -1, 0},                    // 199 heights
        {{"30", "2", "30"}, 0, IDS_HOEHENBEREICH_FALSCH},
        {{"31", "2", "30"}, 0, IDS_HOEHENBEREICH_FALSCH},
        {{"-4", "2", "30"}, 0, IDS_HOEHE_BEREICH},
        {{"0,9", "2", "30"}, 0, IDS_HOEHE_BEREICH},
        {{"4", "2", "1e308"}, 2, IDS_KEINE_ZAHL},
        {{"4", "2", "100,1"}, 2, IDS_HOEHE_BEREICH},
        {{"4", "2", "100"}, -1, 0},
        {{"abc", "2", "30"}, 0, IDS_KEINE_ZAHL},
        {{"4", "", "30"}, 1, IDS_KEINE_ZAHL},
    };
    for (const Case& c : cases) {
        HeightRange range;
        unsigned message = 12345;
        EXPECT_EQ(CheckHeightRange(c.texts, range, &message), c.wrong) << c.texts.start << " " << c.texts.step;
        EXPECT_EQ(message, c.message) << c.texts.start << " " << c.texts.step << " " << c.texts.end;
    }
    EXPECT_EQ(HeightCount({4, 2, 30}), 14);
    EXPECT_EQ(HeightCount({1, 0.5, 100}), 199);
}

TEST(DialogRules, StoredHeightRangeOutsideTheLimitsGivesTheDefaults) {
    {
        // The range that hung the calculation: back to the defaults.
        ScopedTestProfile profile("[Global]\nHStart=4.0\nHStep=2.0\nHEnd=1e308\n");
        const HeightRange r = StoredHeightRange();
        EXPECT_DOUBLE_EQ(r.start, 4.0);
        EXPECT_DOUBLE_EQ(r.step, 2.0);
        EXPECT_DOUBLE_EQ(r.end, 30.0);
    }
    for (const char* stored : {"HStart=-5\n", "HStep=0.0\n", "HStart=40.0\nHEnd=20.0\n", "HEnd=abc\n",
                               "HStart=1.0\nHStep=0.1\nHEnd=100.0\n"}) {
        ScopedTestProfile profile(std::string("[Global]\n") + stored);
        const HeightRange r = StoredHeightRange();
        EXPECT_DOUBLE_EQ(r.start, 4.0) << stored;
        EXPECT_DOUBLE_EQ(r.step, 2.0) << stored;
        EXPECT_DOUBLE_EQ(r.end, 30.0) << stored;
    }
    ScopedTestProfile profile("[Global]\nHStart=2.5\nHStep=0.5\nHEnd=12.0\n");
    const HeightRange r = StoredHeightRange();
    EXPECT_DOUBLE_EQ(r.start, 2.5);
    EXPECT_DOUBLE_EQ(r.step, 0.5);
    EXPECT_DOUBLE_EQ(r.end, 12.0);
}

TEST(DialogRules, HintSwitch) {
    ScopedTestProfile profile("");
    EXPECT_FALSE(HintSuppressed());
    SetHintSuppressed(true);
    EXPECT_EQ(vx::Profile().GetInt("Global", "Hinweis", -1), 1);
    EXPECT_TRUE(HintSuppressed());
}
