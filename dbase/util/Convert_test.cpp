#include "dbase/util/Convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace vx {
namespace {

std::string LongText(long v, int width) {
    std::string s(size_t(width < 0 ? -width : width), '?');
    EngineLongToAscii(v, s.data(), width);
    return s;
}

std::string DoubleText(double v, int width, int decimals, int* rc = nullptr) {
    std::string s(size_t(width), '?');
    int r = convertDoubleToText(v, s.data(), width, decimals);
    if (rc) *rc = r;
    return s;
}

TEST(ConvertTest, TextToNumbersUsesOnlyTheGivenBytes) {
    EXPECT_EQ(convertToDouble("  12.50xx", 7), 12.5);
    EXPECT_EQ(convertToDouble("123456", 3), 123.0);
    EXPECT_EQ(convertToLong("  -42  ", 7), -42);
    EXPECT_EQ(convertToLong("4711", 2), 47);
    // Only the first 49 characters count for a double.
    std::string longText(48, ' ');
    longText += "12";
    EXPECT_EQ(convertToDouble(longText.c_str(), int(longText.size())), 1.0);
}

TEST(ConvertTest, LongToAsciiWorkedCases) {
    EXPECT_EQ(LongText(1234, 3), "***");
    EXPECT_EQ(LongText(-12, 4), " -12");
    EXPECT_EQ(LongText(7, -3), "007");
    EXPECT_EQ(LongText(-5, 1), "*");
    EXPECT_EQ(LongText(-5, 3), " -5");
    EXPECT_EQ(LongText(-5, 2), "-5");
    EXPECT_EQ(LongText(-5, -3), "***");
    EXPECT_EQ(LongText(0, 4), "   0");
    EXPECT_EQ(LongText(0, -4), "0000");
    EXPECT_EQ(LongText(123, -3), "123");
    EXPECT_EQ(LongText(LONG_MIN, 20), "-9223372036854775808");
    EXPECT_EQ(LongText(LONG_MIN, 19), std::string(19, '*'));
}

TEST(ConvertTest, DoubleToTextPlacesThePointAndRounds) {
    int rc = 1;
    EXPECT_EQ(DoubleText(3.14159, 6, 2, &rc), "  3.14");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(DoubleText(-3.14159, 6, 2), " -3.14");
    EXPECT_EQ(DoubleText(0.5, 5, 2), " 0.50");
    EXPECT_EQ(DoubleText(-0.5, 5, 2), "-0.50");
    EXPECT_EQ(DoubleText(2.5, 3, 0), "  3");
    EXPECT_EQ(DoubleText(-2.5, 3, 0), " -3");
    EXPECT_EQ(DoubleText(0.125, 5, 2), " 0.13");
    EXPECT_EQ(DoubleText(1234.5, 10, 2), "   1234.50");
    EXPECT_EQ(DoubleText(-0.001, 5, 2), " 0.00");
}

TEST(ConvertTest, DoubleToTextWithoutRoomForTheLeadingZero) {
    EXPECT_EQ(DoubleText(0.5, 3, 2), ".50");
    EXPECT_EQ(DoubleText(-0.5, 4, 2), "-.50");
    // Decimals are cut to width - 1 and to 15.
    EXPECT_EQ(DoubleText(0.25, 2, 5), ".3");
    EXPECT_EQ(DoubleText(1.0, 18, 17), " 1.000000000000000");
}

TEST(ConvertTest, DoubleThatDoesNotFitFillsWithStars) {
    int rc = 0;
    EXPECT_EQ(DoubleText(1234.5, 6, 2, &rc), "******");
    EXPECT_EQ(rc, -440);
    EXPECT_EQ(DoubleText(-5, 1, 0, &rc), "*");
    EXPECT_EQ(rc, -440);
    EXPECT_EQ(DoubleText(99.996, 5, 2, &rc), "*****");
    EXPECT_EQ(DoubleText(1e300, 20, 2, &rc), std::string(20, '*'));
    EXPECT_EQ(rc, -440);
    EXPECT_EQ(DoubleText(std::numeric_limits<double>::quiet_NaN(), 5, 1, &rc), "*****");
    EXPECT_EQ(rc, -440);
    std::string none;
    EXPECT_EQ(convertDoubleToText(1, none.data(), 0, 0), -440);
}

TEST(ConvertTest, CaseInCodePage437) {
    char text[] = "m\x81ller \x84\x94 \xE1z";
    convertUpper(text);
    EXPECT_STREQ(text, "M\x9ALLER \x8E\x99 \xE1Z");
    for (char& c : text) c = convertLowerChar(c);
    EXPECT_STREQ(text, "m\x81ller \x84\x94 \xE1z");
    // Code page 1252 letters are not touched.
    EXPECT_EQ(convertUpperChar('\xFC'), '\xFC');
    EXPECT_EQ(convertLowerChar('\xDC'), '\xDC');
}

TEST(ConvertTest, NumericKeysSortAsTheNumbers) {
    std::vector<double> values = {-123.45, -12.5, -3, -0.5, 0, 0.25, 3, 12.5, 123.45, 999.99};
    std::vector<std::string> keys;
    for (double v : values) {
        std::string s(7, ' ');
        ASSERT_EQ(convertDoubleToText(v, s.data(), 7, 2), 0);
        convertNumericKey(s.data(), s.size());
        keys.push_back(s);
    }
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
    std::string s = "  -1.5";
    convertNumericKey(s.data(), s.size());
    // "000" then 92 - b on every byte: '0' -> ',', '1' -> '+', '.' stays, '5' -> '''.
    EXPECT_EQ(s, ",,,+.'");
}

TEST(ConvertTest, DescendNegatesBytes) {
    char key[] = "ABC";
    convertDescend(key, 3);
    EXPECT_EQ((unsigned char)key[0], 0xBF);
    EXPECT_EQ((unsigned char)key[1], 0xBE);
    EXPECT_EQ((unsigned char)key[2], 0xBD);
    convertDescend(key, 3);
    EXPECT_STREQ(key, "ABC");
}

} // namespace
} // namespace vx
