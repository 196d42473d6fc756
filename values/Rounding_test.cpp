#include "values/Rounding.h"
#include "testsupport/values/ValuesTestEnv.h"

#include <cmath>
#include <limits>

namespace {

using Rounding = ValuesTest;

TEST_F(Rounding, RoundToStep) {
    EXPECT_NEAR(RoundToStep(2.345, 100), 2.35, 1e-12);
    EXPECT_EQ(RoundToStep(-2.5, 1), -3.0);
    EXPECT_EQ(RoundToStep(2.5, 1), 3.0);
    EXPECT_EQ(RoundToStep(-2.4, 1), -2.0);
    EXPECT_NEAR(RoundToStep(1.23456, 1000), 1.235, 1e-12);
    // Beyond the 32-bit range and not a number: no undefined cast, no made-up value.
    EXPECT_EQ(RoundToStep(5e9, 100), 5e9);
    EXPECT_TRUE(std::isnan(RoundToStep(std::nan(""), 100)));
    EXPECT_TRUE(std::isinf(RoundToStep(std::numeric_limits<double>::infinity(), 10)));
}

// The number a "%f" text reads back as, bit for bit.
TEST_F(Rounding, RoundToSixDecimalsAsItsText) {
    EXPECT_EQ(RoundToSixDecimals(2.0000004), 2.0);
    EXPECT_EQ(RoundToSixDecimals(0.1234567), 0.123457);
    EXPECT_EQ(RoundToSixDecimals(-4999.9999996), -5000.0);
    // Exact halves go to the even digit; a half that is not exact in binary goes its own way.
    EXPECT_EQ(RoundToSixDecimals(0.0078125), 0.007812);
    EXPECT_EQ(RoundToSixDecimals(0.0234375), 0.023438);
    EXPECT_EQ(RoundToSixDecimals(0.0000005), 0.0);
    EXPECT_EQ(RoundToSixDecimals(1.0000005), 1.000001);
    // A negative value that rounds to zero reads back as minus zero, as "-0.000000" does.
    EXPECT_TRUE(std::signbit(RoundToSixDecimals(-1e-9)));
    EXPECT_FALSE(std::signbit(RoundToSixDecimals(1e-9)));
    EXPECT_EQ(RoundToSixDecimals(123456789012.0000007), 123456789012.0);
    EXPECT_TRUE(std::isnan(RoundToSixDecimals(std::nan(""))));
}

TEST_F(Rounding, NumbersAsText) {
    EXPECT_EQ(FormatFixed(2.5, 0, 0), "2.5");
    EXPECT_EQ(FormatFixed(3.0, 0, 0), "3");
    EXPECT_EQ(FormatFixed(0.126, 0, 2), "0.13");
    EXPECT_EQ(FormatFixed(7, 5, 0), "    7");
    EXPECT_EQ(FormatFixed(1.25, 6, 4), "  1.25");
    GermanNumeric de;
    ASSERT_TRUE(de.active());
    EXPECT_EQ(FormatFixed(0.126, 0, 2), "0.13");
    EXPECT_NEAR(RoundToStep(2.345, 100), 2.35, 1e-12);
}

} // namespace
