#include "dbase/util/Date.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vx {
namespace {

TEST(DateTest, JulianOfWorkedDateBothWays) {
    EXPECT_EQ(dateToJulian("20080828"), 2454707);
    EXPECT_EQ(dateFromJulian(2454707), "20080828");
}

TEST(DateTest, LeapYearsAndInvalidDates) {
    EXPECT_GT(dateToJulian("20000229"), 0);
    EXPECT_EQ(dateToJulian("19000229"), -1);
    EXPECT_EQ(dateToJulian("20080229") + 1, dateToJulian("20080301"));
    EXPECT_EQ(dateToJulian("20070228") + 1, dateToJulian("20070301"));
    EXPECT_EQ(dateToJulian("20081301"), -1);
    EXPECT_EQ(dateToJulian("20080001"), -1);
    EXPECT_EQ(dateToJulian("20080100"), -1);
    EXPECT_EQ(dateToJulian("20080431"), -1);
    EXPECT_EQ(dateToJulian("2008-1-1"), -1);
    EXPECT_EQ(dateToJulian("2008AB01"), -1);
}

TEST(DateTest, EmptyDate) {
    EXPECT_EQ(dateToJulian("        "), 0);
    EXPECT_EQ(dateToDouble("        "), 1.0E300);
    EXPECT_EQ(dateToDouble("20080828"), 2454707.0);
    EXPECT_EQ(dateFromJulian(0), "        ");
    EXPECT_EQ(dateFromJulian(-1), "        ");
}

TEST(DateTest, EveryDayRoundTripsAndIsConsecutive) {
    // From 1 Jan 1 up to 31 Dec 9999, every day number gives a date that maps back to it.
    int32_t first = dateToJulian("00010101");
    int32_t last = dateToJulian("99991231");
    ASSERT_EQ(first, kJulianBase + 1);
    char previous[8] = {};
    for (int32_t j = first; j <= last; ++j) {
        char d[9] = {};
        dateFromJulian(j, d);
        ASSERT_EQ(dateToJulian(d), j) << d;
        if (j > first) {
            ASSERT_LT(std::memcmp(previous, d, 8), 0) << d;
        }
        std::memcpy(previous, d, 8);
    }
}

TEST(DateTest, DayNumbersOutsideFourDigitYearsGiveBlanks) {
    EXPECT_EQ(dateFromJulian(dateToJulian("99991231") + 1), "        ");
    EXPECT_EQ(dateFromJulian(kJulianBase), "        ");
    EXPECT_EQ(dateFromJulian(INT32_MAX), "        ");
    EXPECT_EQ(dateFromJulian(1), "        ");
}

TEST(DateTest, PictureSetKeepsAtMost19Characters) {
    DatePicture p;
    EXPECT_STREQ(p.c_str(), "DD.MM.YY");
    EXPECT_EQ(p.set("DD.MM.CCYY"), 0);
    EXPECT_STREQ(p.c_str(), "DD.MM.CCYY");
    EXPECT_EQ(p.set("1234567890123456789"), 0);
    EXPECT_EQ(p.set("12345678901234567890"), -930);
    EXPECT_STREQ(p.c_str(), "1234567890123456789");
}

TEST(DateTest, PicturesShowAndReadDates) {
    // Show turns a date into text after the picture, Read the text back
    // into a date.
    enum Way { Show, Read };
    struct Case {
        Way way;
        const char* from;
        const char* picture;
        const char* want;
    };
    const Case cases[] = {
        {Show, "20080828", "DD.MM.YY", "28.08.08"},
        {Show, "20080828", "dd.mm.ccyy", "28.08.2008"},
        {Show, "20080828", "CCYYMMDD", "20080828"},
        {Show, "20080828", "MM/DD/YY", "08/28/08"},
        // A run longer than the part's two digits leaves its tail blank.
        {Show, "20080828", "DDD", "28 "},
        {Show, "        ", "DD.MM.YY", "  .  .  "},
        // Month names come out in code page 1252: ä is 0x84 in the name
        // table (437) and 0xE4 in the result (1252).
        {Show, "20080307", "DD. MMMMMMMMM CCYY", "07. M\xE4rz      2008"},
        {Show, "20080907", "MMMMMMMMMMMM", "September   "},
        {Show, "20080907", "MMM", "Sep"},
        {Show, "20081307", "MMM", "Dez"},
        {Show, "20080007", "MMM", "Jan"},
        {Show, "2008  07", "DD MMMM", "07     "},
        {Read, "28.08.08", "DD.MM.YY", "19080828"},
        {Read, "28.08.2008", "dd.mm.ccyy", "20080828"},
        {Read, "  .  .  ", "DD.MM.YY", "        "},
        {Read, "", "DD.MM.YY", "        "},
        // Missing parts take their defaults, remaining blanks become "0".
        {Read, "08/2008", "MM/CCYY", "20080801"},
        {Read, " 5.08.08", "DD.MM.YY", "19080805"},
        // Month names are read in code page 437, in any case and shortened.
        {Read, "07. M\x84rz 2008", "DD. MMMM CCYY", "20080307"},
        {Read, "07. m\x84r  2008", "DD. MMMM CCYY", "20080307"},
        {Read, "07. DEZEMBER 2008", "DD. MMMMMMMM CCYY", "20081207"},
        {Read, "07. Ju   2008", "DD. MMMM CCYY", "20080607"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.way == Read ? "read " : "show ") + c.from + " with " + c.picture);
        EXPECT_EQ(c.way == Read ? dateFromPicture(c.from, c.picture) : dateFormat(c.from, c.picture), c.want);
    }
    // An unknown name leaves no valid date.
    char d[8];
    dateFromPicture("07. Xyz  2008", "DD. MMMM CCYY", d);
    EXPECT_EQ(dateToJulian(d), -1);
}

TEST(DateTest, MonthNamesReadBackWhatFormatWrote) {
    const char* picture = "DD. MMMMMMMMM CCYY";
    for (int m = 1; m <= 12; ++m) {
        std::string date = "2008" + std::string(1, char('0' + m / 10)) + char('0' + m % 10) + "15";
        std::string shown = dateFormat(date.c_str(), picture);
        EXPECT_EQ(dateFromPicture(shown, picture), date) << shown;
    }
    // Picture characters outside the runs are copied as they are.
    EXPECT_EQ(dateFormat("20080307", "DD\xE4MMM"), "07\xE4M\xE4r");
}

TEST(DateTest, TodayAndTimeHaveTheirForms) {
    std::string today = dateToday();
    ASSERT_EQ(today.size(), 8u);
    EXPECT_GT(dateToJulian(today.c_str()), dateToJulian("20200101"));
    std::string t = timeNow();
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[2], ':');
    EXPECT_EQ(t[5], ':');
    EXPECT_LT(t.substr(0, 2), "24");
}

} // namespace
} // namespace vx
