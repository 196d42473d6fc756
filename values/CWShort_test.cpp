#include "platform/Archive.h"
#include "values/CWShort.h"
#include "testsupport/values/ValuesTestEnv.h"

#include "platform/StringTable.h"
#include "testsupport/StoreAndLoad.h"

namespace {

using CellShort = ValuesTest;

TEST_F(CellShort, TextIsTruncatedAndClamped) {
    CWShort c;
    std::string s;
    for (auto [typed, v] : {std::pair{"12", 12}, {"3.9", 3}, {"-3.9", -3}, {"12,7", 12}, {"abc", 0},
                            {"1e12", 2147483647}, {"-1e12", -2147483647 - 1}, {"2147483648", 2147483647}}) {
        c.SetText(typed);
        EXPECT_EQ(c.value, v) << typed;
    }
    c.value = -42;
    c.marker = 1;
    c.GetText(s, false);
    EXPECT_EQ(s, "-42");
}

TEST_F(CellShort, RangeMessage) {
    vx::Strings().Set(903, "Bitte %.0f bis %.0f");
    CWShort c;
    c.Init(5, 0, 0, 0, 2, 0x600, 0x600, 0, 0, 903, 1.7, 10.9, false);
    c.value = 10;  // the integer parts of the limits count
    std::string msg;
    int failed = 0;
    c.CheckRange(msg, nullptr, &failed);
    EXPECT_EQ(msg, "");
    c.value = 11;
    c.CheckRange(msg, nullptr, &failed);
    EXPECT_EQ(msg, "Bitte 2 bis 11 %");
    EXPECT_EQ(failed, 1);
    std::vector<int> ids;
    c.CheckRange(msg, &ids, nullptr);
    EXPECT_EQ(msg, "Bitte 2 bis 11 %\r\n");
    EXPECT_EQ(ids, std::vector<int>{5});
    c.value = 0;
    c.CheckRange(msg, nullptr, nullptr);
    EXPECT_FALSE(msg.empty());
}

TEST_F(CellShort, ArchiveBytes) {
    CWShort c;
    c.value = -2;
    c.marker = 1;
    c.displayUnit = 0x600;
    const std::vector<uint8_t> expected = {0xFE, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x06, 0x01, 0x00, 0x00, 0x00};
    CWShort d;
    EXPECT_EQ(StoreAndLoad(c, d), expected);
    EXPECT_EQ(d.value, -2);
    EXPECT_EQ(d.displayUnit, 0x600);
}

} // namespace
