#include "values/RecordText.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordText, QuoteForRecordReturnsItsOwnText) {
    std::string a = QuoteForRecord("Der \"Ofen\"");
    std::string b = QuoteForRecord("Kamin");
    EXPECT_EQ(a, "Der 'Ofen'");
    EXPECT_EQ(b, "Kamin");
}

} // namespace
