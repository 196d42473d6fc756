#include "values/CTagReader.h"

#include <gtest/gtest.h>

namespace {

TEST(TagReader, CaseAndBlanksDoNotMatter) {
    CTagReader a, b;
    size_t pa = 0, pb = 0;
    std::string_view lower = "  <daten name1=\"Ofen\" tel=123 >";
    std::string_view upper = "<DATEN NAME1=\"Ofen\" TEL=123>";
    ASSERT_TRUE(a.ParseTag(lower, pa));
    ASSERT_TRUE(b.ParseTag(upper, pb));
    EXPECT_EQ(pa, lower.size());
    EXPECT_EQ(pb, upper.size());
    for (CTagReader* r : {&a, &b}) {
        EXPECT_EQ(r->GetName(), "DATEN");
        EXPECT_FALSE(r->IsEndTag());
        std::string v;
        EXPECT_TRUE(r->GetAttribute("Name1", v));
        EXPECT_EQ(v, "Ofen");
        EXPECT_TRUE(r->GetAttribute("tel", v));
        EXPECT_EQ(v, "123");
    }
    EXPECT_EQ(a.TagPosition(), 3u);
}

TEST(TagReader, QuotedValuesAreTakenWhole) {
    CTagReader r;
    size_t pos = 0;
    ASSERT_TRUE(r.ParseNext("xx<A B=\"1 > 2\" C D = 'e'>rest", pos));
    std::string v;
    EXPECT_TRUE(r.GetAttribute("B", v));
    EXPECT_EQ(v, "1 > 2");
    v = "untouched";
    EXPECT_TRUE(r.GetAttribute("C", v));
    EXPECT_EQ(v, "");
    EXPECT_TRUE(r.GetAttribute("D", v));
    EXPECT_EQ(v, "'e'");
    v = "untouched";
    EXPECT_FALSE(r.GetAttribute("E", v));
    EXPECT_EQ(v, "untouched");
    EXPECT_EQ(pos, 25u);
}

TEST(TagReader, FailingTags) {
    CTagReader r;
    size_t pos = 0;
    EXPECT_FALSE(r.ParseTag("<A B=\"1\"/>", pos));
    pos = 0;
    EXPECT_FALSE(r.ParseTag("<A B=\"open>", pos));
    pos = 0;
    EXPECT_FALSE(r.ParseTag("<A B=\"x\x01y\">", pos));  // a control byte ends the text
    pos = 0;
    EXPECT_FALSE(r.ParseTag("A>", pos));
    pos = 0;
    EXPECT_FALSE(r.ParseNext("no tag here", pos));
    pos = 100;
    EXPECT_FALSE(r.ParseNext("<A>", pos));
}

TEST(TagReader, EndTagsAndHighBytes) {
    CTagReader r;
    size_t pos = 0;
    ASSERT_TRUE(r.ParseNext("< / ende >", pos));
    EXPECT_TRUE(r.IsEndTag());
    EXPECT_EQ(r.GetName(), "ENDE");
    // Bytes above 0x7F are letters or name characters, never end bytes.
    pos = 0;
    std::string_view text = "<STRA\xDF" "E ORT=M\xFC" "nchen \x84X=\x9B>";
    ASSERT_TRUE(r.ParseTag(text, pos));
    EXPECT_EQ(r.GetName(), "STRA\xDF" "E");
    std::string v;
    EXPECT_TRUE(r.GetAttribute("ort", v));
    EXPECT_EQ(v, "M\xFC" "nchen");
    EXPECT_TRUE(r.GetAttribute("\x84X", v));
    EXPECT_EQ(v, "\x9B");
}

TEST(TagReader, NumbersFromAttributes) {
    CTagReader r;
    size_t pos = 0;
    ASSERT_TRUE(r.ParseTag("<GEO EMPF=325.500000 STDO=abc>", pos));
    EXPECT_EQ(r.GetAttributeDouble("EMPF", -99.0), 325.5);
    EXPECT_EQ(r.GetAttributeDouble("STDO", -99.0), -99.0);
    EXPECT_EQ(r.GetAttributeDouble("NONE", -99.0), -99.0);
}

} // namespace
