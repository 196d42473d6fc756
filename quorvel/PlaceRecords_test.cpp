#include "quorvel/PlaceRecords.h"

#include "dbase/data/Table.h"
#include "quorvel/CDatenbank.h"
#include "quorvel/ListLine.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "quorvel/RecordWalk.h"

#include <algorithm>

namespace {

const std::string kGap(29, ' ');

class PlaceRecords : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        MakeTable(Path("plz/PLZORT"), kPlzOrtFields, kPlzOrtTags,
                  {{{"PLZ", "66606"}, {"ORT", "St. Wendel"}, {"GEOH", "286"}},
                   {{"PLZ", "66111"}, {"ORT", "Saarbr\xFC" "cken"}, {"GEOH", "-99"}},
                   {{"PLZ", "01067"}, {"ORT", "Dresden"}, {"GEOH", "113"}},
                   {{"PLZ", "66001"}, {"ORT", "Sankt Gelöscht"}, {"*", ""}},
                   {{"PLZ", "86150"}, {"ORT", "\xD6" "ttingen"}, {"GEOH", "412"}}});
        ASSERT_EQ(db.Oeffnen(Path("db"), Path("plz")), 0);
        tab = db.Orte();
    }
    CDatenbank db;
    CPlzOrtTab* tab = nullptr;
};

TEST_F(PlaceRecords, LinesPutTownOrPostcodeFirstInFixedColumns) {
    EXPECT_EQ(PlaceLine("66111", "Saarbr\xFC" "cken", 2, false),
              "Saarbr\xFC" "cken" + std::string(39, ' ') + " 66111     " + kGap + "2");
    EXPECT_EQ(PlaceLine("66111", "Saarbr\xFC" "cken", 2, true),
              "66111      Saarbr\xFC" "cken" + std::string(39, ' ') + kGap + "2");
    // Towns are cut to 40 and padded to 50; postcodes cut to 10.
    const std::string longTown(45, 'X');
    EXPECT_EQ(PlaceLine("12345678901", longTown, 7, false),
              std::string(40, 'X') + std::string(10, ' ') + " 1234567890" + kGap + "7");
    EXPECT_EQ(RecordNumberOfLine(PlaceLine("1", "A B", 1234, true)), 1234);
}

TEST_F(PlaceRecords, ListsFollowTheKeyAndPassOverDeletedPlaces) {
    auto towns = [](const std::vector<std::string>& lines) {
        std::vector<long> recs;
        for (const std::string& line : lines) recs.push_back(RecordNumberOfLine(line));
        return recs;
    };
    // Town order: every town beginning with S (equal keys in the engine's
    // order), deleted Sankt passed over.
    std::vector<long> s = towns(PlaceLines(*tab, 'S', false));
    std::sort(s.begin(), s.end());
    EXPECT_EQ(s, (std::vector<long>{1, 2}));
    EXPECT_EQ(towns(PlaceLines(*tab, '\xD6', false)), (std::vector<long>{5}));
    // Postcode order: the postcodes beginning with 6, ascending.
    EXPECT_EQ(towns(PlaceLines(*tab, '6', true)), (std::vector<long>{2, 1}));
    EXPECT_EQ(PlaceLines(*tab, '6', true)[0].substr(0, 16), "66111      Saarb");
    EXPECT_TRUE(PlaceLines(*tab, 'Q', false).empty());
    EXPECT_EQ(vx::tableTagSelected(tab->Handle()), tab->plzTag.tag());
}

TEST_F(PlaceRecords, SavingMarksThePlaceAsEnteredByHand) {
    struct Case {
        const char* height;
        long stored;
    } cases[] = {{"", 0}, {"-99", -99}, {"451", 451}, {" 12x", 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        ASSERT_EQ(vx::tableAppendBlank(tab->Handle()), 0);
        const long rec = vx::tableRecNo(tab->Handle());
        ASSERT_EQ(SavePlace(*tab, {"04109", "Leipzig", "Sachsen", c.height}), 0);
        ASSERT_EQ(vx::tableGo(tab->Handle(), rec), 0);
        EXPECT_EQ(long(tab->geoh), c.stored);
        EXPECT_EQ(tab->FeldText(tab->hand), "T");
        const PlaceTexts back = ReadPlace(*tab);
        EXPECT_EQ(back.plz + "|" + back.ort + "|" + back.land, "04109|Leipzig|Sachsen");
        EXPECT_EQ(back.height, std::to_string(c.stored));
    }
}

TEST_F(PlaceRecords, BrowsingPassesOverDeletedRecordsAndStopsAtTheEnds) {
    vx::TableHandle* t = tab->Handle();
    vx::tableTagSelect(t, nullptr);
    ASSERT_EQ(vx::tableGo(t, 3), 0);
    EXPECT_FALSE(NextLive(t));
    EXPECT_EQ(vx::tableRecNo(t), 5);  // 4 is deleted
    EXPECT_TRUE(NextLive(t));
    EXPECT_EQ(vx::tableRecNo(t), 5);
    EXPECT_TRUE(OnLiveRecord(t));
    EXPECT_FALSE(PreviousLive(t));
    EXPECT_EQ(vx::tableRecNo(t), 3);
    ASSERT_EQ(vx::tableGo(t, 1), 0);
    EXPECT_TRUE(PreviousLive(t));
    EXPECT_EQ(vx::tableRecNo(t), 1);
    ASSERT_EQ(vx::tableGo(t, 4), 0);
    EXPECT_FALSE(OnLiveRecord(t));
}

TEST(ListLine, ColumnsAndRecordNumbers) {
    EXPECT_EQ(FitText("abc", 5), "abc  ");
    EXPECT_EQ(FitText("abcdefgh", 5), "abcde");
    EXPECT_EQ(FitText("abcdefgh", 3, 6), "abc   ");
    struct Case {
        const char* line;
        long rec;
    } cases[] = {{"A 12", 12}, {"A\t\t7", 7}, {"A 1 2 ", 0}, {"A 12x", 0}, {"", 0}, {"42", 42}, {"A 9999999999", 0}};
    for (const Case& c : cases) EXPECT_EQ(RecordNumberOfLine(c.line), c.rec) << c.line;
}

} // namespace
