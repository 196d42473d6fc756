#include "dbase/util/Collate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace vx {
namespace {

int Cmp(const std::string& a, const std::string& b) {
    size_t n = std::max(a.size(), b.size());
    std::string x = a, y = b;
    x.resize(n, ' ');
    y.resize(n, ' ');
    int r = collateCompare(x.data(), y.data(), n);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

TEST(CollateTest, WeightsArePermutation) {
    std::vector<bool> seen(256, false);
    for (int c = 0; c < 256; ++c) {
        EXPECT_FALSE(seen[kCollateWeight[c]]) << c;
        seen[kCollateWeight[c]] = true;
    }
}

TEST(CollateTest, UmlautSortsAsItsSpelling) {
    // "Müller" in code page 437.
    const std::string mueller = "M\x81ller";
    EXPECT_EQ(Cmp(mueller, "Mueller"), 0);
    EXPECT_EQ(Cmp("Mueller", mueller), 0);
    EXPECT_LT(Cmp(mueller, "Mullet"), 0);
    EXPECT_GT(Cmp("Mullet", mueller), 0);
    EXPECT_LT(Cmp("Mueller", "Mullet"), 0);
    EXPECT_GT(Cmp(mueller, "Muelle"), 0);
    EXPECT_LT(Cmp(mueller, "Muellerin"), 0);
    EXPECT_EQ(Cmp("Stra\xE1" "e", "Strasse"), 0);
    EXPECT_EQ(Cmp("\x8E" "rger", "Aerger"), 0);
    EXPECT_LT(Cmp("\x8E" "rger", "Affe"), 0);
}

TEST(CollateTest, DigitsBeforeLettersLowerAfterUpper) {
    EXPECT_LT(Cmp("9", "A"), 0);
    EXPECT_LT(Cmp("Z", "a"), 0);
    EXPECT_LT(Cmp(" ", "0"), 0);
    EXPECT_LT(Cmp("Ab", "Ac"), 0);
    EXPECT_LT(Cmp("AB", "Ab"), 0);
    EXPECT_EQ(Cmp("ABC", "ABC"), 0);
}

TEST(CollateTest, ExpansionAgainstBlankOrEndDecidesByTheBytes) {
    // The second letter meets a blank: ü (weight f9) against u (f5).
    EXPECT_GT(Cmp("M\x81", "Mu "), 0);
    std::string a = "M\x81", b = "Mu";
    EXPECT_GT(collateCompare(a.data(), b.data(), 2), 0);
    EXPECT_LT(collateCompare(b.data(), a.data(), 2), 0);
}

TEST(CollateTest, OneLetterExpansions) {
    // é is "ee", è is "e": against "e" the first letters agree, the bytes decide.
    EXPECT_NE(Cmp("\x8A", "e"), 0);
    EXPECT_LT(Cmp("\x8A" "a", "f"), 0);
    EXPECT_GT(Cmp("\xA4", "m"), 0);
    EXPECT_LT(Cmp("\xA4", "o"), 0);
}

TEST(CollateTest, ComparesOnlyNBytesAndIsAntisymmetric) {
    EXPECT_EQ(collateCompare("ABCx", "ABCy", 3), 0);
    EXPECT_EQ(collateCompare("", "", 0), 0);
    std::mt19937 rng(11);
    const std::string alphabet = std::string("aeouAEOUsl ") + "\x81\x84\x94\x8E\x99\x9A\xE1\x82\x8A";
    for (int k = 0; k < 20000; ++k) {
        size_t n = 1 + rng() % 8;
        std::string x(n, ' '), y(n, ' ');
        for (size_t i = 0; i < n; ++i) {
            x[i] = alphabet[rng() % alphabet.size()];
            y[i] = alphabet[rng() % alphabet.size()];
        }
        int r1 = collateCompare(x.data(), y.data(), n);
        int r2 = collateCompare(y.data(), x.data(), n);
        ASSERT_EQ(r1 < 0, r2 > 0) << x << " / " << y;
        ASSERT_EQ(r1 == 0, r2 == 0) << x << " / " << y;
        ASSERT_EQ(collateCompare(x.data(), x.data(), n), 0);
    }
}

} // namespace
} // namespace vx
