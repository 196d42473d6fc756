#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(CodePage, Cp1252ToUtf8) {
    EXPECT_EQ(Cp1252ToUtf8("abc"), "abc");
    EXPECT_EQ(Cp1252ToUtf8("\xC4\xD6\xDC\xE4\xF6\xFC\xDF"),
              "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");   // euro sign
    EXPECT_EQ(Cp1252ToUtf8("\xB2\xB3\xB0"), "\xC2\xB2\xC2\xB3\xC2\xB0");  // ² ³ °
    EXPECT_EQ(Cp1252ToUtf8(std::string("\0x", 2)), std::string("\0x", 2));
}

TEST(CodePage, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int i = 1; i < 256; ++i) all += char(i);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(CodePage, Utf8ToCp1252ReplacesWhatItCannotHold) {
    // The source files are UTF-8 and compiled to code page 1252: "ä" is one byte here.
    EXPECT_EQ(std::string("ä").size(), 1u);
    EXPECT_EQ(Utf8ToCp1252("\xC3\xA4"), "ä");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5"), "\x80 5");
    EXPECT_EQ(Utf8ToCp1252("\xCE\xB1"), "?");              // Greek alpha
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80!"), "?!");    // emoji
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");                // cut sequence
    EXPECT_EQ(Utf8ToCp1252("a\x80\x80" "b"), "a?b");        // stray continuation bytes
    EXPECT_EQ(Utf8ToCp1252("\xC3(x"), "?(x");
}

TEST(CodePage, Cp437ToCp1252) {
    EXPECT_EQ(Cp437ToCp1252("Gr\x94\xE1" "e"), "Größe");
    EXPECT_EQ(Cp437ToCp1252("\x8E\x99\x9A\x84\x81"), "ÄÖÜäü");
    EXPECT_EQ(Cp437ToCp1252("\xF8\xFD\xE6"), "°²µ");
    EXPECT_EQ(Cp437ToCp1252("\xC9\xCD\xBB"), "???");  // box drawing has no place in 1252
    EXPECT_EQ(Cp437ToCp1252("plain"), "plain");
    EXPECT_EQ(Cp1252ToCp437("Größe"), "Gr\x94\xE1" "e");
    EXPECT_EQ(Cp1252ToCp437("\x80"), "?");
}

} // namespace
} // namespace vx

TEST(CodePage, CaseOfCp1252Letters) {
    // Umlauts, the other accented letters and the three letters of 0x8A..0x9F.
    EXPECT_EQ(vx::UpperCp1252("m\xFCller \xE4\xF6\xE9\xFE \x9A\x9C\x9E\xFF \xDF\xF7"),
              "M\xDCLLER \xC4\xD6\xC9\xDE \x8A\x8C\x8E\x9F \xDF\xF7");
    EXPECT_EQ(vx::LowerCp1252("M\xDCLLER \xC4\xD6\xC9\xDE \x8A\x8C\x8E\x9F \xDF\xD7"),
              "m\xFCller \xE4\xF6\xE9\xFE \x9A\x9C\x9E\xFF \xDF\xD7");
}
