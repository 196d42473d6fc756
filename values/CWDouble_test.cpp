#include "platform/Archive.h"
#include "values/CWDouble.h"
#include "testsupport/values/ValuesTestEnv.h"

#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "testsupport/StoreAndLoad.h"

namespace {

using CellDouble = ValuesTest;

std::string Text(CWDouble& c) {
    std::string s;
    c.GetText(s, false);
    return s;
}

CWDouble Cell(uint16_t display, uint16_t internal, double value, uint16_t marker = 0) {
    CWDouble c;
    c.Init(0x12, 0, 0, 0, 4, display, internal, 0, marker, 0, 0, 0, false);
    c.value = value;
    return c;
}

// A cell of the unit 0x500 between minimum and maximum.
CWDouble Ranged(uint16_t display, double value, double minimum, double maximum) {
    CWDouble c = Cell(display, 0x500, value);
    c.minimum = minimum;
    c.maximum = maximum;
    return c;
}

TEST_F(CellDouble, ShowsWithTheDecimalsOfItsUnit) {
    for (auto [v, text] : {std::pair{12.5, "12,5"}, {12.0, "12"}, {0.0, "0"}, {-0.5, "-0,5"}, {100.0, "100"}}) {
        CWDouble c = Cell(0x502, 0x502, v);
        EXPECT_EQ(Text(c), text) << v;
    }
    CWDouble marked = Cell(0x502, 0x502, 12.5, 1);
    EXPECT_EQ(Text(marked), "12,5*");
    CWDouble keeps = Cell(0xB000, 0xB000, 12.5);
    EXPECT_EQ(Text(keeps), "12,50");
    CWDouble five = Cell(0x400, 0x400, 0.123456);
    EXPECT_EQ(Text(five), "0,12346");
    CWDouble all = Cell(0x900, 0x900, 0.035);
    EXPECT_EQ(Text(all), "0,035");
    EXPECT_STREQ(UnitFormat(0x301), "%.3f");
    EXPECT_STREQ(UnitFormat(0x800), "%.4f");
    EXPECT_STREQ(UnitFormat(0xC000), "%f");
}

TEST_F(CellDouble, ConvertsBetweenDisplayAndInternalUnit) {
    CWDouble c = Cell(0x502, 0x500, 0);
    c.SetText("1,5");
    EXPECT_DOUBLE_EQ(c.value, 0.015);
    EXPECT_EQ(c.shownValue, 1.5);
    EXPECT_EQ(Text(c), "1,5");
    std::string internal;
    c.GetText(internal, true);
    EXPECT_EQ(internal, "0,015");
    // A marker after the number does not disturb the reading.
    c.SetText("12,5*");
    EXPECT_DOUBLE_EQ(c.value, 0.125);
    // With "." as separator the text is read as it stands.
    g_DecimalSeparator = ".";
    c.SetText("2.5");
    EXPECT_DOUBLE_EQ(c.value, 0.025);
    EXPECT_EQ(Text(c), "2.5");
}

TEST_F(CellDouble, ResultCellsShowAStarWhileResultsAreStale) {
    CWDouble r = Cell(0x300, 0x300, 12.34, CWerte::MarkerResult);
    r.minimum = 20;
    r.maximum = 30;
    r.rangeMessageId = 901;
    EXPECT_EQ(Text(r), "*");
    std::string msg = "x";
    int failed = 0;
    r.CheckRange(msg, nullptr, &failed);
    EXPECT_EQ(msg, "");
    EXPECT_EQ(failed, 0);
    g_ResultsValid = 1;
    EXPECT_EQ(Text(r), "12,34*");
}

TEST_F(CellDouble, ChangedTextClearsResultsValid) {
    CWDouble c = Cell(0x500, 0x500, 2.0);
    EXPECT_EQ(Text(c), "2");
    g_ResultsValid = 1;
    c.SetText("2,0");
    EXPECT_EQ(g_ResultsValid, 1);
    c.SetText("2,5");
    EXPECT_EQ(g_ResultsValid, 0);
}

TEST_F(CellDouble, CheckRangeMessages) {
    vx::Strings().Set(901, "Der Wert muss zwischen %.1f und %.1f liegen");
    CWDouble c = Ranged(0x502, 0.05, 0.1, 1.0);
    c.valueId = 0x21;
    std::string msg;
    std::vector<int> ids;
    int failed = 0;
    c.CheckRange(msg, &ids, &failed);  // no message id: fails silently
    EXPECT_EQ(msg, "");
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(failed, 0);

    c.rangeMessageId = 901;
    c.CheckRange(msg, &ids, &failed);
    EXPECT_EQ(msg, "Der Wert muss zwischen 10,0 und 100,0 liegen cm\r\n");
    EXPECT_EQ(ids, std::vector<int>{0x21});
    EXPECT_EQ(failed, 1);

    c.value = 0.5;
    failed = 0;
    c.CheckRange(msg, nullptr, &failed);
    EXPECT_EQ(msg, "");
    EXPECT_EQ(failed, 0);

    // Equal limits skip the check unless asked for.
    c.minimum = c.maximum = 0;
    c.CheckRange(msg, nullptr, &failed);
    EXPECT_EQ(msg, "");
    c.checkWhenEqual = true;
    c.CheckRange(msg, nullptr, &failed);
    EXPECT_EQ(msg, "Der Wert muss zwischen 0,0 und 0,0 liegen cm\r\n");
}

TEST_F(CellDouble, CheckRangeKeepsSixDecimals) {
    CWDouble c = Ranged(0x500, 0.12345678, 0.0000004, 2.1234567);
    std::string msg;
    c.CheckRange(msg, nullptr, nullptr);
    EXPECT_EQ(c.value, 0.123457);
    EXPECT_EQ(c.minimum, 0.0);
    EXPECT_EQ(c.maximum, 2.123457);
}

TEST_F(CellDouble, LimitsTheWrongWayRoundNameTheMinimumOnly) {
    vx::Strings().Set(902, "Der Wert muss zwischen %.2f und %.2f liegen");
    CWDouble c = Ranged(0x500, 7.0, 5, 3);
    c.rangeMessageId = 902;
    std::string msg;
    int failed = 0;
    c.CheckRange(msg, nullptr, &failed);
    // The second conversion has no argument: it reads nothing from beyond the list.
    EXPECT_EQ(msg, "Der Wert muss zwischen 5,00 und 0,00 liegen m\r\n");
    EXPECT_EQ(failed, 1);
    c.value = 4;
    c.CheckRange(msg, nullptr, nullptr);
    EXPECT_FALSE(msg.empty());
}

TEST_F(CellDouble, ShortText) {
    std::string s;
    CWDouble a = Cell(0x500, 0x500, 1.5);
    a.GetShortText(s, false);
    EXPECT_EQ(s, "1,5   ");
    CWDouble b = Cell(0x500, 0x500, 2.0);
    b.GetShortText(s, false);
    EXPECT_EQ(s, "2     ");
    CWDouble z = Cell(0x500, 0x500, 0.0);
    z.GetShortText(s, true);
    EXPECT_EQ(s, "");
    z.GetShortText(s, false);
    EXPECT_EQ(s, "0     ");
    CWDouble n = Cell(0x502, 0x500, -0.0125);
    n.GetShortText(s, false);
    EXPECT_EQ(s, "-1,25  ");
}

TEST_F(CellDouble, ArchiveBytesAndRoundTrip) {
    CWDouble c = Cell(0x502, 0x500, 1.5, 2);
    const std::vector<uint8_t> expected = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F,
                                           0x02, 0x00, 0x02, 0x05, 0x01, 0x00, 0x00, 0x00};
    CWDouble d;
    d.minimum = 3;
    d.internalUnit = 0x500;
    EXPECT_EQ(StoreAndLoad(c, d), expected);
    EXPECT_EQ(d.value, 1.5);
    EXPECT_EQ(d.marker, 2);
    EXPECT_EQ(d.displayUnit, 0x502);
    EXPECT_EQ(d.archiveWord, 1);
    EXPECT_EQ(d.minimum, 3.0);  // limits do not travel

    std::vector<uint8_t> cut(expected.begin(), expected.begin() + 11);
    auto shortIn = vx::Archive::ForLoading(cut);
    EXPECT_THROW(d.Serialize(shortIn), vx::ArchiveEndOfFile);
}

TEST_F(CellDouble, AssignmentCopiesBothValues) {
    CWDouble a = Cell(0x502, 0x500, 0.25, 1);
    a.minimum = 0.1;
    a.maximum = 0.9;
    a.archiveWord = 7;
    a.shownValue = 25;
    a.undoPending = true;
    CWDouble b;
    b = a;
    EXPECT_EQ(b.value, 0.25);
    EXPECT_EQ(b.shownValue, 25.0);
    EXPECT_EQ(b.displayUnit, 0x502);
    EXPECT_EQ(b.marker, 1);
    EXPECT_EQ(b.maximum, 0.9);
    EXPECT_EQ(b.archiveWord, 7);
    EXPECT_FALSE(b.undoPending);
}

TEST_F(CellDouble, GermanNumericLocaleChangesNothing) {
    GermanNumeric de;
    ASSERT_TRUE(de.active());
    CWDouble c = Cell(0x502, 0x500, 0);
    c.SetText("1,5");
    EXPECT_DOUBLE_EQ(c.value, 0.015);
    EXPECT_EQ(Text(c), "1,5");
    CWDouble k = Cell(0xB000, 0xB000, 12.5, 1);
    EXPECT_EQ(Text(k), "12,50*");
    std::string s;
    c.GetShortText(s, false);
    EXPECT_EQ(s, "1,5   ");
}

} // namespace
