#include "quorvel/AddressSearch.h"

#include "quorvel/CDatenbank.h"
#include "testsupport/quorvel/QuorvelTestEnv.h"
#include "quorvel/Soundex.h"

#include <algorithm>

namespace {

TEST(Soundex, CodesAsStoredInTheTables) {
    struct {
        const char* name;
        const char* code;
    } cases[] = {
        {"MEYER", "M600"},  {"Meyer", "M600"},  {"SCHMIDT", "S753"}, {"ABB", "A110"},  {"AB", "A100"},
        {"BRANDT", "B653"}, {"LLOYD", "L430"},  {"", ""},            {"A", "A000"},    {"Mann", "M550"},
        {"Merz", "M670"},   {"Moll", "M440"},   {"\xE4rger", "\xC4" "626"},            {"M\xFCller", "M460"},
        {"'Ab", "'100"},    {"Hans-J\xFCrgen", "H578"},                               {"12 B", "1100"},
        {"JJJ", "J880"},    {"Wagner", "W256"},
    };
    for (const auto& c : cases) EXPECT_EQ(SoundexCode(c.name), c.code) << c.name;
}

class AddressSearch : public QuorvelTest {
protected:
    void SetUp() override {
        QuorvelTest::SetUp();
        ASSERT_EQ(db.Oeffnen(Path("db"), Path("plz")), 0);
        messages.service.shown.clear();
    }
    void Add(const char* match, const char* name1, const char* ort, bool deleted = false) {
        CAdressTab& a = *db.Adressen();
        ASSERT_EQ(vx::tableAppendBlank(a.Handle()), 0);
        a.SetText(a.match, match);
        a.SetText(a.name1, name1);
        a.SetText(a.name1Soun, SoundexCode(name1));
        a.SetText(a.ort, ort);
        if (deleted) vx::tableDelete(a.Handle());
    }
    // "name#recNo" of every entry.
    std::vector<std::string> Phonetic(const std::string& text, size_t limit = 100) {
        std::vector<std::string> out;
        PhoneticPass(*db.Adressen(), text, [&](const std::string& name, long rec) {
            if (out.size() >= limit) return false;
            out.push_back(name + "#" + std::to_string(rec));
            return true;
        });
        return out;
    }
    std::vector<std::string> Substring(const std::string& text) {
        std::vector<std::string> out;
        SubstringPass(*db.Adressen(), text, [&](const std::string& name, long rec) {
            out.push_back(name + "#" + std::to_string(rec));
            return true;
        });
        return out;
    }
    void AddSample() {
        Add("MEY", "Meyer", "Hamburg");          // 1 M600
        Add("MERZ", "Merz", "K\xF6ln");          // 2 M670
        Add("MOLL", "Moll", "Bonn");             // 3 M440
        Add("MAI", "Maier", "M\xFCnchen");       // 4 M600
        Add("MAN", "Mann", "Berlin");            // 5 M550
        Add("ALT", "Meier", "Essen", true);      // 6 M600, deleted
        Add("BRA", "Brandt", "Kiel");            // 7 B653
        Add("BRA2", "Brandtner", "Kiel");        // 8 B653
        Add("Q", "'Ab", "Ulm");                  // 9 '100
    }
    CDatenbank db;
};

TEST_F(AddressSearch, ThePhoneticPassWalksTheRangeOfThePaddedCode) {
    AddSample();
    // M600..M699 in tag order: Mann (M550) and Moll (M440) lie outside.
    // The deleted record, still in the tag until a pack, stays out.
    std::vector<std::string> found = Phonetic("Meyer");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[2], "Merz#2");
    found.pop_back();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"Maier#4", "Meyer#1"}));
    EXPECT_EQ(vx::tableTagSelected(db.Adressen()->Handle()), db.Adressen()->primary.tag());
    // Four coded consonants: only that exact code.
    found = Phonetic("BRANDT");
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"Brandt#7", "Brandtner#8"}));
    // A list that refuses ends the walk.
    EXPECT_EQ(Phonetic("Meyer", 2).size(), 2u);
    // A name that begins with an apostrophe searches like any other.
    EXPECT_EQ(Phonetic("'Ab"), (std::vector<std::string>{"'Ab#9"}));
    EXPECT_EQ(Phonetic("Xaver"), std::vector<std::string>{});
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(db.Context().errorCode, 0);
}

TEST_F(AddressSearch, TheSubstringPassSearchesWholeLiveRecordsIgnoringCase) {
    AddSample();
    // Found only in the town, with an umlaut in other case.
    EXPECT_EQ(Substring("m\xFCnchen"), (std::vector<std::string>{"Maier#4"}));
    EXPECT_EQ(Substring("KIEL"), (std::vector<std::string>{"Brandt#7", "Brandtner#8"}));
    // The deleted record stays out; the empty text lists every live record.
    EXPECT_EQ(Substring("essen"), std::vector<std::string>{});
    EXPECT_EQ(Substring("").size(), 8u);
}

TEST_F(AddressSearch, PickListLines) {
    EXPECT_EQ(MatchFromName("Firma Bauer"), "bauer");
    EXPECT_EQ(MatchFromName("Bauer"), "bauer");
    EXPECT_EQ(MatchFromName("A   B\xC4R"), "b\xE4r");
    // Leading blanks are trimmed, an odd number of them too: no letter is lost.
    EXPECT_EQ(MatchFromName("Firma  Bauer"), "bauer");
    EXPECT_EQ(MatchFromName("A    X"), "x");
    EXPECT_EQ(MatchFromName("A    "), "");
    EXPECT_EQ(PickListLine("MEY", "Meyer", "Hamburg", 17),
              "MEY        Meyer                     Hamburg                       \t\t\t\t\t\t\t\t17");
    const std::string cut = PickListLine("ABCDEFGHIJKL", std::string(30, 'n'), std::string(40, 'o'), 3);
    EXPECT_EQ(cut, "ABCDEFGHIJ " + std::string(25, 'n') + " " + std::string(30, 'o') + "\t\t\t\t\t\t\t\t3");
    EXPECT_EQ(RecNoOfPickLine(cut), 3);

    Add("", "Firma Bauer", "Ulm");
    Add("ZZZ", "Zimmer", "Kiel");
    Add("AAA", "Anton", "Bonn");
    Add("AAB", "Gelöscht", "Bonn", true);
    vx::tableTagSelect(db.Adressen()->Handle(), db.Adressen()->primary.tag());
    std::vector<std::string> lines;
    long first = -1;
    FillPickList(*db.Adressen(), [&](const std::string& line, long) {
        lines.push_back(line);
        return true;
    }, &first);
    // In the order of tag PRIMARY: the empty match code first.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 11), "bauer      ");
    EXPECT_EQ(RecNoOfPickLine(lines[0]), 1);
    EXPECT_EQ(lines[1].substr(0, 4), "AAA ");
    EXPECT_EQ(first, 1);
}

// Only a record with nothing in it is no address: one text anywhere, a memo
// or the hidden rebate group too, keeps it.
TEST_F(AddressSearch, OnlyRecordsWithoutAnyTextAreMarkedAsNoAddress) {
    CAdressTab& a = *db.Adressen();
    using Column = vx::FieldView& (*)(CAdressTab&);
    const std::pair<Column, const char*> records[] = {
        {nullptr, ""},
        {[](CAdressTab& t) -> vx::FieldView& { return t.match; }, "M"},
        {[](CAdressTab& t) -> vx::FieldView& { return t.handy; }, "0170"},
        {[](CAdressTab& t) -> vx::FieldView& { return t.bemerkung; }, "nur eine Bemerkung"},
        {[](CAdressTab& t) -> vx::FieldView& { return t.dummy; }, "Gruppe 2"},
        {nullptr, ""}};
    for (const auto& [column, text] : records) {
        ASSERT_EQ(vx::tableAppendBlank(a.Handle()), 0);
        if (column) {
            ASSERT_EQ(a.SetText(column(a), text), 0);
        }
    }
    Add("", "", "", true);
    ASSERT_EQ(vx::tableFlush(a.Handle()), 0);
    EXPECT_EQ(MarkBlankAddresses(a), 2);
    std::string marks;
    for (long n = 1; n <= vx::tableRecCount(a.Handle()); ++n) {
        ASSERT_EQ(vx::tableGo(a.Handle(), n), 0);
        marks += vx::tableDeleted(a.Handle()) ? '*' : '.';
    }
    EXPECT_EQ(marks, "*....**");
    EXPECT_EQ(MarkBlankAddresses(a), 0);
}

} // namespace
