#include "tarsilo/ResultRowOrder.h"

#include <gtest/gtest.h>

namespace {

AssignmentRow Row(const char* section, const char* maker, const char* type, const char* output, const char* offset) {
    AssignmentRow r;
    r.columns[AssignmentRow::Section] = section;
    r.columns[AssignmentRow::Manufacturer] = maker;
    r.columns[AssignmentRow::Type] = type;
    r.columns[AssignmentRow::Output] = output;
    r.columns[AssignmentRow::Offset] = offset;
    return r;
}

std::string Types(const std::deque<AssignmentRow>& rows) {
    std::string out;
    for (const AssignmentRow& r : rows) out += r.columns[AssignmentRow::Type] + ";";
    return out;
}

} // namespace

TEST(ResultRowOrder, KeysFollowTheClickedColumn) {
    const AssignmentRow r = Row("0,14", "Acme", "T1", "9.0", "120");
    EXPECT_EQ(ResultSortKey(r, 0), "0,14Acme" + std::string(46, ' ') + "T1" + std::string(48, ' ') +
                                       std::string(10, ' ') + "9.0");
    EXPECT_EQ(ResultSortKey(r, 3).substr(0, 17), "          9.00,14");
    EXPECT_EQ(ResultSortKey(r, 4), "");
    EXPECT_EQ(ResultSortKey(r, 1).size(), 50u + 4 + 50 + 13);
}

TEST(ResultRowOrder, OutputSortsRightAlignedAndTiesKeepTheirOrder) {
    std::deque<AssignmentRow> rows{Row("0,14", "Acme", "B", "10.0", "1"), Row("0,14", "Acme", "A", "9.0", "2"),
                                   Row("0,13", "acme", "C", "10.0", "3"), Row("0,14", "Acme", "D", "10.0", "4")};
    SortResultRows(rows, 3);
    EXPECT_EQ(Types(rows), "A;C;B;D;");
    SortResultRows(rows, 1);  // the same maker in both cases, then the section
    EXPECT_EQ(Types(rows), "C;A;B;D;");
    SortResultRows(rows, 2);
    EXPECT_EQ(Types(rows), "A;B;C;D;");
}

TEST(ResultRowOrder, TheHiddenColumnSortsNothing) {
    std::deque<AssignmentRow> rows{Row("0,2", "Z", "Z1", "30.0", "5"), Row("0,1", "A", "A1", "10.0", "1"),
                                   Row("0,15", "M", "M1", "20.0", "-1")};
    SortResultRows(rows, 4);
    EXPECT_EQ(Types(rows), "Z1;A1;M1;");
    EXPECT_EQ(CompareResultRows(rows[0], rows[1], 4), 0);
    EXPECT_EQ(rows[2].itemData, 2);
}

TEST(ResultRowOrder, UmlautsCompareAsTheirCapitals) {
    // "ä" and "Ä" in the program's code page are one letter for the order.
    const AssignmentRow lower = Row("0,1", "\xE4rtel", "X", "1.0", "1");
    const AssignmentRow upper = Row("0,1", "\xC4RTEL", "X", "1.0", "2");
    EXPECT_EQ(CompareResultRows(lower, upper, 1), 0);
    EXPECT_EQ(CompareResultRows(Row("0,1", "B", "X", "1.0", "1"), lower, 1), -1);
}

TEST(ResultRowOrder, TheCapitalsOutsideTheAccentBlockToo) {
    // "š", "œ", "ž" and "ÿ" have their capitals in 0x8A..0x9F, not 0x20 below.
    const char* pairs[][2] = {{"\x9A", "\x8A"}, {"\x9C", "\x8C"}, {"\x9E", "\x8E"}, {"\xFF", "\x9F"}};
    for (const auto& p : pairs) {
        const AssignmentRow small = Row("0,1", (std::string(p[0]) + "A").c_str(), "X", "1.0", "1");
        const AssignmentRow capital = Row("0,1", (std::string(p[1]) + "B").c_str(), "X", "1.0", "2");
        EXPECT_EQ(CompareResultRows(small, capital, 1), -1) << p[0];
        EXPECT_EQ(CompareResultRows(capital, small, 1), 1) << p[0];
    }
}
