#include "model/Criteria.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Criteria, CompareRounded) {
    EXPECT_TRUE(CriterionAtLeast(1.004, 1.0, kPressureStep));
    EXPECT_FALSE(CriterionAtLeast(0.994, 1.0, kPressureStep));
    EXPECT_TRUE(CriterionAtLeast(0.995, 1.0, kPressureStep));  // 1.00 after rounding
    EXPECT_TRUE(CriterionAtMost(45.04, 45.0, kTemperatureStep));
    EXPECT_FALSE(CriterionAtMost(45.05, 45.0, kTemperatureStep));
    EXPECT_TRUE(CriterionAtLeast(-2.345, -2.35, kPressureStep));
}

TEST(Criteria, NonFiniteNeverHolds) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const double zero = 0.0;
    for (double bad : {nan, inf, -inf, zero / zero}) {
        EXPECT_FALSE(CriterionAtLeast(bad, 0, kPressureStep));
        EXPECT_FALSE(CriterionAtLeast(0, bad, kPressureStep));
        EXPECT_FALSE(CriterionAtMost(bad, 0, kTemperatureStep));
        EXPECT_FALSE(CriterionAtMost(0, bad, kTemperatureStep));
    }
}

} // namespace
